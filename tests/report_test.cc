// Ranging, the solution report and the tableau listing, and the removal of
// name suffixes before them.
#include <gtest/gtest.h>

#include <cmath>

#include "model/names.h"
#include "report/solution_report.h"
#include "report/tableau_listing.h"
#include "simplex/tableau_init.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::lines;

// x1 basic in row 1; columns hold the slack of row 1, x2 and x3.
void ranging_workspace(Workspace& ws, std::vector<double> objective, std::vector<double> row) {
    ws.row_count = 1;
    ws.var_count = 3;
    allocate_workspace(ws, nullptr);
    initialise_tableau(ws);
    ws.basis_label[1] = 1;
    ws.column_label[1] = 1001;
    for (int j = 0; j <= 3; ++j) {
        ws.tableau(0, j) = stored(objective[j]);
        ws.tableau(1, j) = stored(row[j]);
    }
}

TEST(Ranging, DegenerateRatios) {
    const struct {
        std::vector<double> objective, row;
        double lower, upper;  // 9e30 for no limit
        const char* why;
    } cases[] = {
        {{5, 0, 0, 2}, {1, 1, 1, 1}, 0, 0, "two zero ratios: upper 0 first, then lower 0"},
        {{5, 0, -3, 2}, {1, 1, 1, 1}, -2, 0, "one zero ratio among others: only the upper offset"},
        {{5, 3, 1, 2}, {1, 1, 1, 1}, -1, 9e30, "all ratios negative: the largest is the lower offset"},
        {{5, 3, 1, 2}, {1, -1, -2, 1}, -2, 0.5, "negative entries give positive ratios"},
        {{5, 3, 1, 2}, {1, 0.00001, -0.00001, 0}, -9e30, 9e30, "entries within 1e-05 take no part"},
        {{5, 3, 1, 2}, {1, 0.0000101, 0, 0}, -3 / 0.0000101, 9e30, "an entry just above 1e-05 takes part"},
    };
    for (const auto& c : cases) {
        Workspace ws;
        ranging_workspace(ws, c.objective, c.row);
        compute_ranging(ws);
        const double lower = ws.cost_lower[1].value, upper = ws.cost_upper[1].value;
        if (c.lower == -9e30)
            EXPECT_EQ(ws.cost_lower[1], stored(-9e30L)) << c.why;
        else
            EXPECT_NEAR(lower, c.lower, 1e-9 * (1 + std::abs(c.lower))) << c.why;
        if (c.upper == 9e30)
            EXPECT_EQ(ws.cost_upper[1], infinity_bound) << c.why;
        else
            EXPECT_NEAR(upper, c.upper, 1e-12) << c.why;
        // Nonbasic structural variables: upper offset = reduced cost.
        EXPECT_EQ(ws.cost_upper[2].value, c.objective[2]);
        EXPECT_EQ(ws.cost_lower[2], stored(-9e30L));
    }
}

TEST(Ranging, RatioOverflowIsARuntimeError) {
    Workspace ws;
    ranging_workspace(ws, {5, 1e38, 0, 0}, {1, 0.0001, 0, 0});
    try {
        compute_ranging(ws);
        FAIL() << "no runtime error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.code(), 205);
        EXPECT_EQ(e.site(), Site::ranging);
    }
}

TEST(SolutionReport, EmptyNamesTitleAndNoRows) {
    const auto result = testing::run_text(lines({"", "0 1 0 0", "", "0", "-1"}));
    EXPECT_EQ(result.out,
              " \r\n"
              "Optimal value : ,          0.000\r\n"
              "                    Profit coefficient,Operational level,Shadow price, Lower bound, Upper bound\r\n"
              "    1, \" \",      -1.000,       0.000,       1.000,         -\x81\x87,       0.000\r\n"
              "                            Constraint,    Resitual,Shadow price, Lower bound, Upper bound\r\n"
              "                                          1\r\n"
              "                                           \"\"\r\n"
              "  -1,Artificial coefficient,     0.000,     0.000\r\n"
              "   0,Profit coefficient,     0.000,     1.000\r\n");
}

TEST(SolutionReport, UnboundedRunStillReports) {
    const auto result = testing::run_text(lines({"U", "1 2 0 0", "x", "y", "r", "0", "1", "1", "4", "1", "-1"}));
    EXPECT_EQ(result.out.substr(0, 23), "Unbounded solution\r\nU\r\n");
    EXPECT_NE(result.out.find("Optimal value : ,          4.000"), std::string::npos);
}

TEST(TableauListing, OneColumnAndLongNames) {
    const std::string long_name = "a_rather_long_variable";
    const auto result = testing::run_text(lines({"L", "1 1 0 0", long_name, "r", "0", "1", "4", "1"}));
    const auto listing = result.out.substr(result.out.find("                                 "));
    EXPECT_EQ(listing,
              "                                       1001\r\n"
              "                                          \"r\"\r\n"
              "  -1,Artificial coefficient,     0.000,     0.000\r\n"
              "   0,Profit coefficient,     4.000,     1.000\r\n"
              "   1,\"a_rather_long_variable\",     4.000,     1.000\r\n");
}

TEST(TableauListing, ArtificialRowsAndSurplusLabels) {
    Workspace ws;
    ws.row_count = 3;
    ws.var_count = 1;
    ws.eq_count = 1;
    ws.ge_count = 1;
    allocate_workspace(ws, nullptr);
    ws.eq_rows[1] = 1;
    ws.ge_rows[1] = 3;
    ws.row_names = {"", "e", "le", "ge"};
    ws.column_names = {"", "x", ""};
    initialise_tableau(ws);
    EXPECT_EQ(display_name(ws, 2001), "\"e\"");
    EXPECT_EQ(display_name(ws, 1002), "\"le\"");
    EXPECT_EQ(display_name(ws, 3003), "\"ge\"");
    EXPECT_EQ(display_name(ws, 4001), "\"Surplus/ge\"");
    EXPECT_EQ(display_name(ws, 1), "\"x\"");
    write_tableau_listing(ws);
    EXPECT_NE(ws.out.captured().find("2001,               \"e\","), std::string::npos);
    EXPECT_NE(ws.out.captured().find("3003,              \"ge\","), std::string::npos);
    EXPECT_NE(ws.out.captured().find("         1,      4001\r\n"), std::string::npos);
}

TEST(NameSuffixes, ByMode) {
    const struct {
        const char* mode;
        const char* variable;
        const char* constraint;
        const char* variable_after;
        const char* constraint_after;
    } cases[] = {
        {"lp", "$$$x", "cap$$$10&&&20", "", "cap"},
        {"lp", "a$$b$$$c", "a$$b", "a$$b", "a$$b"},
        {"lp", "x&&&1", "y$$$1$$$2", "x&&&1", "y"},
        {nullptr, "x$$$1", "c$$$2", "x$$$1", "c$$$2"},
        {"LP", "x$$$1", "c$$$2", "x$$$1", "c$$$2"},
        {"pv", "x$$$5", "c$$$2", "x$$$5", "c"},
        {"rv", "y$$$9", "c$$$2", "y", "c$$$2"},
    };
    for (const auto& c : cases) {
        Workspace ws;
        ws.row_count = 1;
        ws.var_count = 1;
        allocate_workspace(ws, c.mode);
        ws.column_names[1] = c.variable;
        ws.row_names[1] = c.constraint;
        strip_name_suffixes(ws);
        EXPECT_EQ(ws.column_names[1], c.variable_after) << (c.mode ? c.mode : "none");
        EXPECT_EQ(ws.row_names[1], c.constraint_after) << (c.mode ? c.mode : "none");
    }
}

}  // namespace
}  // namespace lpsens
