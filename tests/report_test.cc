// Ranging, the solution report and the tableau listing, and the removal of
// name suffixes before them.
#include <gtest/gtest.h>

#include <cmath>

#include "analysis/ranging.h"
#include "form/names.h"
#include "report/solution_report.h"
#include "report/tableau_listing.h"
#include "dense_tableau.h"
#include "form_support.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::lines;

// x1 basic in row 1; columns hold the slack of row 1, x2 and x3; the
// entries as the stored format holds them.
testing::DenseTableau ranging_tableau(const std::vector<double>& objective, const std::vector<double>& row) {
    testing::DenseTableau t(1, 3);
    t.set_basic(1, structural_variable(1));
    t.set_nonbasic(1, {VariableKind::slack, 1});
    for (int j = 0; j <= 3; ++j) {
        t.at(0, j) = stored(objective[j]).value;
        t.at(1, j) = stored(row[j]).value;
    }
    return t;
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
        const Ranging r = compute_ranging(ranging_tableau(c.objective, c.row), 3);
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

TEST(Ranging, RatioOverflowIsARuntimeErrorOrNoLimit) {
    // A cost ratio, or a basic slack's offset, beyond the stored format:
    // runtime error 205 in the stored format's arithmetic, no limit (as any
    // ratio beyond 9e30 leaves it) in the accurate engine's.  Just below the
    // format's largest value the ratio is stored, and is no limit either.
    const struct {
        double reduced_cost, entry;  // of the slack's column, x1 basic
        double basic_slack;          // or, where not 0, row 1's slack basic at this value
        bool overflows;
    } cases[] = {
        {1e38, 0.0001, 0, true},     {-1e38, 0.0001, 0, true}, {1e38, -1e-6, 0, true},
        {1.7e36, -0.01, 0, false},   {1e30, -0.01, 0, false},  {0, 0, 2e38, true},
        {0, 0, -1.8e38, true},       {0, 0, 1.6e38, false},
    };
    for (const auto& c : cases) {
        testing::DenseTableau t(1, 3);
        if (c.basic_slack != 0) {
            t.at(1, 0) = c.basic_slack;
        } else {
            t.set_basic(1, structural_variable(1));
            t.set_nonbasic(1, {VariableKind::slack, 1});
            t.at(0, 1) = c.reduced_cost;
            t.at(1, 1) = c.entry;
            t.at(1, 0) = 1;
        }
        try {
            compute_ranging(t, 3);
            EXPECT_FALSE(c.overflows) << c.reduced_cost << " " << c.basic_slack;
        } catch (const RunError& e) {
            EXPECT_TRUE(c.overflows) << c.reduced_cost << " " << c.basic_slack;
            EXPECT_EQ(e.code(), 205);
            EXPECT_EQ(e.site(), Site::ranging);
        }
        const Ranging r = compute_ranging(t, 3, 1, true);
        if (c.basic_slack != 0) {
            EXPECT_EQ(r.rhs_lower[1], c.overflows ? stored(-9e30L).value : stored(-c.basic_slack).value);
        } else {
            EXPECT_EQ(r.cost_lower[1], stored(-9e30L).value) << c.reduced_cost;
            EXPECT_EQ(r.cost_upper[1], infinity_bound.value) << c.reduced_cost;
        }
    }
}

TEST(TableauListing, ArtificialRowsAndSurplusLabels) {
    const DocumentedForm form =
        testing::read_form(lines({"T", "3 1 1 1", "1", "3", "x", "e", "le", "ge", "0", "0", "0", "0", "0", "0", "0", "0"}));
    EXPECT_EQ(display_name(form, {VariableKind::equality_artificial, 1}), "\"e\"");
    EXPECT_EQ(display_name(form, {VariableKind::slack, 2}), "\"le\"");
    EXPECT_EQ(display_name(form, {VariableKind::greater_artificial, 3}), "\"ge\"");
    EXPECT_EQ(display_name(form, surplus_variable(1)), "\"Surplus/ge\"");
    EXPECT_EQ(display_name(form, structural_variable(1)), "\"x\"");
    // The starting tableau: the artificial variables of rows 1 and 3 and the
    // slack of row 2 basic, x and the surplus of row 3 in the columns.
    testing::DenseTableau start(3, 1, 1);
    start.set_basic(1, {VariableKind::equality_artificial, 1});
    start.set_basic(3, {VariableKind::greater_artificial, 3});
    start.at(3, 2) = -1;
    Channel out;
    write_tableau_listing(out, start, form);
    EXPECT_NE(out.captured().find("2001,               \"e\","), std::string::npos);
    EXPECT_NE(out.captured().find("3003,              \"ge\","), std::string::npos);
    EXPECT_NE(out.captured().find("         1,      4001\r\n"), std::string::npos);
}

TEST(NameSuffixes, ByMode) {
    const struct {
        RunMode mode;
        const char* variable;
        const char* constraint;
        const char* variable_after;
        const char* constraint_after;
    } cases[] = {
        {RunMode::cut_names, "$$$x", "cap$$$10&&&20", "", "cap"},
        {RunMode::cut_names, "a$$b$$$c", "a$$b", "a$$b", "a$$b"},
        {RunMode::cut_names, "x&&&1", "y$$$1$$$2", "x&&&1", "y"},
        {RunMode::ordinary, "x$$$1", "c$$$2", "x$$$1", "c$$$2"},
        {RunMode::cost_sweep, "x$$$5", "c$$$2", "x$$$5", "c"},
        {RunMode::rhs_sweep, "y$$$9", "c$$$2", "y", "c$$$2"},
    };
    for (const auto& c : cases) {
        DocumentedForm form;
        form.problem.columns.resize(1);
        form.problem.rows.resize(1);
        form.column_name(1) = c.variable;
        form.row_name(1) = c.constraint;
        strip_name_suffixes(form, c.mode);
        EXPECT_EQ(form.column_name(1), c.variable_after) << mode_name(c.mode);
        EXPECT_EQ(form.row_name(1), c.constraint_after) << mode_name(c.mode);
    }
}

}  // namespace
}  // namespace lpsens
