// Ranging, the solution report and the tableau listing, and the removal of
// name suffixes before them.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/ranging.h"
#include "classic/state_view.h"
#include "classic/tableau_init.h"
#include "form/names.h"
#include "report/solution_report.h"
#include "report/tableau_listing.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::lines;

// x1 basic in row 1; columns hold the slack of row 1, x2 and x3.
void ranging_tableau(ClassicState& cs, std::vector<double> objective, std::vector<double> row) {
    cs.basis_label[1] = structural_variable(1);
    cs.column_label[1] = {VariableKind::slack, 1};
    for (int j = 0; j <= 3; ++j) {
        cs.tableau(0, j) = stored(objective[static_cast<std::size_t>(j)]);
        cs.tableau(1, j) = stored(row[static_cast<std::size_t>(j)]);
    }
}

TEST(Ranging, DegenerateRatios) {
    const struct {
        std::vector<double> objective, row;
        double lower, upper;  // 9e30 for no limit
        const char* why;
    } cases[] = {
        // A zero reduced cost limits the side its entry points to: with a
        // positive entry the cost may rise freely but not fall at all.
        {{5, 0, 0, 2}, {1, 1, 1, 1}, 0, 9e30, "zero ratios with positive entries: lower offset 0"},
        {{5, 0, 0, 2}, {1, -1, -1, 1}, -2, 0, "zero ratios with negative entries: upper offset 0"},
        {{5, 0, 4, 2}, {1, 1, -2, 1}, 0, 2, "a zero ratio among others keeps to its own side"},
        {{5, 0.000001, 3, 2}, {1, -1, 1, 1}, -2, 0.000001, "a tiny positive ratio from a negative entry: upper"},
        {{5, 3, 1, 2}, {1, 1, 1, 1}, -1, 9e30, "all ratios negative: the largest is the lower offset"},
        {{5, 3, 1, 2}, {1, -1, -2, 1}, -2, 0.5, "negative entries give positive ratios"},
        {{5, 0, 0, 2}, {1, 0.00001, -0.00001, 0}, -9e30, 9e30, "entries within 1e-05 over zero take no part"},
        {{5, 3, 1, 2}, {1, 0.9e-7, -0.9e-7, 0}, -9e30, 9e30, "entries within 1e-07 take no part"},
        // A real entry of 1e-05 or less still ends the basis where its ratio
        // says, once its reduced cost is clearly above zero.
        {{5, 3, 1, 2}, {1, 0.00001, -0.00001, 0}, -3 / 0.00001, 1 / 0.00001, "small entries over clear reduced costs"},
        {{5, 3, 1, 2}, {1, 0.0000101, 0, 0}, -3 / 0.0000101, 9e30, "an entry just above 1e-05 takes part"},
    };
    for (const auto& c : cases) {
        testing::Blank blank(1, 3);
        ranging_tableau(blank.cs, c.objective, c.row);
        const Ranging r = compute_ranging(StateView(blank.cs), 3);
        const double lower = r.cost_lower[1], upper = r.cost_upper[1];
        if (c.lower == -9e30)
            EXPECT_EQ(lower, stored(-9e30L).value) << c.why;
        else
            EXPECT_NEAR(lower, c.lower, 1e-9 * (1 + std::abs(c.lower))) << c.why;
        if (c.upper == 9e30)
            EXPECT_EQ(upper, infinity_bound.value) << c.why;
        else
            EXPECT_NEAR(upper, c.upper, 1e-12 * (1 + std::abs(c.upper))) << c.why;
        // Nonbasic structural variables: upper offset = reduced cost.
        EXPECT_EQ(r.cost_upper[2], c.objective[2]);
        EXPECT_EQ(r.cost_lower[2], stored(-9e30L).value);
    }
}

TEST(Ranging, RatioOverflowIsARuntimeError) {
    testing::Blank blank(1, 3);
    ranging_tableau(blank.cs, {5, 1e38, 0, 0}, {1, 0.0001, 0, 0});
    try {
        compute_ranging(StateView(blank.cs), 3);
        FAIL() << "no runtime error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.code(), 205);
        EXPECT_EQ(e.site(), Site::ranging);
    }
}

// An artificial variable basic at zero must stay at zero: a row where one
// stands limits every right-hand side that moves it, both ways, at once.
// max -5 x1 with c1: 4 x1 <= 24, c2: 3 x1 <= 18 and c3: 4 x1 >= 24 (or = 24):
// the classic engine ends with c3's artificial variable basic at zero, and
// below 24 c1 leaves no solution (x1 >= 6 and x1 <= rhs / 4), above 24 for
// c3 neither.  Re-solving says the same (ranging_random_test.cc).
TEST(Ranging, AnArtificialVariableBasicAtZeroStaysThere) {
    const struct {
        const char* lists;  // the dimension line and the list of c3
        const char* list;
    } cases[] = {{"3 1 0 1", "3"}, {"3 1 1 0", "3"}};
    for (const auto& c : cases) {
        const auto result = testing::run_text(
            lines({"Small", c.lists, c.list, "x1", "c1", "c2", "c3", "0", "-5", "24", "4", "18", "3", "24", "4"}));
        ASSERT_EQ(result.exit_code, 0) << result.console;
        const std::string constraints = result.out.substr(result.out.find("    1, \"c1\""));
        EXPECT_EQ(constraints.substr(0, constraints.find("\r\n", constraints.find("    3, \"c3\"")) + 2),
                  "    1, \"c1\",      24.000,       0.000,      -1.250,      24.000,      24.000\r\n"
                  "    2, \"c2\",      18.000,       0.000,       0.000,      18.000,          \x81\x87\r\n"
                  "    3, \"c3\",      24.000,       0.000,       0.000,      24.000,      24.000\r\n")
            << c.lists;
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
    const DocumentedForm form =
        testing::read_form(lines({"T", "3 1 1 1", "1", "3", "x", "e", "le", "ge", "0", "0", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(display_name(form, {VariableKind::equality_artificial, 1}), "\"e\"");
    EXPECT_EQ(display_name(form, {VariableKind::slack, 2}), "\"le\"");
    EXPECT_EQ(display_name(form, {VariableKind::greater_artificial, 3}), "\"ge\"");
    EXPECT_EQ(display_name(form, surplus_variable(1)), "\"Surplus/ge\"");
    EXPECT_EQ(display_name(form, structural_variable(1)), "\"x\"");
    testing::Loaded loaded(lines({"T", "3 1 1 1", "1", "3", "x", "e", "le", "ge", "0", "0", "0", "0", "0", "0", "0", "0"}));
    initialise_tableau(loaded.cs);
    Channel out;
    write_tableau_listing(out, StateView(loaded.cs), loaded.form);
    EXPECT_NE(out.captured().find("2001,               \"e\","), std::string::npos);
    EXPECT_NE(out.captured().find("3003,              \"ge\","), std::string::npos);
    EXPECT_NE(out.captured().find("         1,      4001\r\n"), std::string::npos);
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
        DocumentedForm form;
        form.problem.columns.resize(1);
        form.problem.rows.resize(1);
        form.column_name(1) = c.variable;
        form.row_name(1) = c.constraint;
        strip_name_suffixes(form, run_mode_of(c.mode));
        EXPECT_EQ(form.column_name(1), c.variable_after) << (c.mode ? c.mode : "none");
        EXPECT_EQ(form.row_name(1), c.constraint_after) << (c.mode ? c.mode : "none");
    }
}

}  // namespace
}  // namespace lpsens
