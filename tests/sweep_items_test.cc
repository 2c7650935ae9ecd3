// The parametric analysis: item texts, the items taken from the names, the
// advance of t, the steps, restoring feasibility and whole sweeps.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/sweep_items.h"
#include "analysis/sweep_step.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::hex_bytes;
using testing::lines;

TEST(ParametricText, Numbers) {
    const struct {
        const char* text;
        bool valid;
        Extended value;
    } cases[] = {
        {"10", true, 10},     {" 5", true, 5},          {"5 ", true, 5},     {"  -1.5  ", true, -1.5L},
        {"", true, 0},        {"   ", true, 0},         {"1e2", true, 100},  {"2.5E+2", true, 250},
        {"+.", true, 0},      {".5", true, 0.5L},
        {"\t5", false, 0},    {"5x", false, 0},         {"25$$$10", false, 0}, {"-", false, 0},
        {"1 2", false, 0},    {"abc", false, 0},
    };
    for (const auto& c : cases) {
        const auto parsed = parse_parametric_text(c.text);
        EXPECT_EQ(parsed.has_value(), c.valid) << "'" << c.text << "'";
        if (parsed && c.valid) {
            EXPECT_EQ(*parsed, c.value) << c.text;
        }
    }
}

// A form with the given names, variable j costing j and row i limited to
// 100 + i, and the items taken out of its names.
SweepItems take_items(DocumentedForm& form, RunMode mode, std::vector<std::string> variables,
                      std::vector<std::string> constraints) {
    form.problem.columns.resize(variables.size());
    form.problem.rows.resize(constraints.size());
    for (int j = 1; j <= form.variables(); ++j) {
        form.column_name(j) = variables[static_cast<std::size_t>(j - 1)];
        form.cost(j) = j;
    }
    for (int i = 1; i <= form.rows(); ++i) {
        form.row_name(i) = constraints[static_cast<std::size_t>(i - 1)];
        form.rhs(i) = 100 + i;
    }
    return extract_sweep_items(form, mode);
}

TEST(ParametricItems, TextThatIsNotANumberStopsTheRun) {
    const struct {
        RunMode mode;
        const char* name;
        const char* explanation;
    } cases[] = {
        {RunMode::cost_sweep, "x1&&&25$$$10", "variable 1 'x1&&&25$$$10': the end value '25$$$10' is not a number"},
        {RunMode::cost_sweep, "x$$$-1.5 x&&&2", "variable 1 'x$$$-1.5 x&&&2': the start value '-1.5 x' is not a number"},
        {RunMode::rhs_sweep, "c$$$1&&&\t2", "constraint 1 'c$$$1&&&\t2': the end value '\t2' is not a number"},
    };
    for (const auto& c : cases) {
        DocumentedForm form;
        try {
            take_items(form, c.mode, {c.name}, {c.name});
            ADD_FAILURE() << c.name;
        } catch (const RunError& e) {
            EXPECT_EQ(e.code(), 106);
            EXPECT_EQ(e.explanation(), c.explanation);
        }
    }
}

TEST(ParametricItems, ObjectiveItems) {
    DocumentedForm form;
    const SweepItems items = take_items(form, RunMode::cost_sweep, {"x1$$$10&&&25", "plain", "x$$$5", "$$$1&&&2", "x$$$&&&7",
                                                     "y$$$1e2&&&2.5E+2", "z&&&"},
                                        {"cap$$$100&&&150"});
    ASSERT_EQ(items.count(), 4);
    EXPECT_TRUE(items.objective);
    const int index[] = {1, 4, 5, 6};
    const double start[] = {10, 1, 0, 100}, end[] = {25, 2, 7, 250};
    for (std::size_t k = 1; k <= 4; ++k) {
        EXPECT_EQ(items.index[k], index[k - 1]);
        EXPECT_EQ(items.start[k].value, start[k - 1]);
        EXPECT_EQ(items.end[k].value, end[k - 1]);
        EXPECT_EQ(form.cost(index[k - 1]), start[k - 1]);  // the start replaces the input value
    }
    EXPECT_EQ(form.cost(2), 2);
    EXPECT_EQ(form.column_name(1), "x1");
    EXPECT_EQ(form.column_name(3), "x$$$5");  // no item: keeps its text
    EXPECT_EQ(form.column_name(4), "");
    EXPECT_EQ(form.column_name(7), "z&&&");
    EXPECT_EQ(form.row_name(1), "cap");  // not scanned in "pv": just cut
}

TEST(ParametricItems, RightHandSideItems) {
    DocumentedForm form;
    const SweepItems items = take_items(form, RunMode::rhs_sweep, {"x1$$$10&&&25"}, {"a", "cap$$$ 100&&& 150", "b$$$-3&&&"});
    ASSERT_EQ(items.count(), 2);
    EXPECT_FALSE(items.objective);
    EXPECT_EQ(items.index[1], 2);
    EXPECT_EQ(items.start[1].value, 100);
    EXPECT_EQ(items.end[1].value, 150);
    EXPECT_EQ(items.end[2].value, 0);
    EXPECT_EQ(form.rhs(2), 100);
    EXPECT_EQ(form.rhs(3), -3);
    EXPECT_EQ(form.column_name(1), "x1");  // cut by the suffix removal
    EXPECT_EQ(form.row_name(2), "cap");
}

TEST(AdvanceParameter, Rules) {
    const struct {
        Extended t, breakpoint;
        const char* t_after;
        Extended length_after;
        const char* why;
    } cases[] = {
        {0.5L, 0.3L, "80 26 58 1C CE 4C", -1, "0.00002 past the breakpoint; the tie rounds away"},
        {0.5L, 0.49999L, "81 00 00 00 00 00", 0.5L, "cut back to exactly 1"},
        {0.5L, 1000000, "81 00 00 00 00 00", 0.5L, "no breakpoint: straight to 1"},
        {0.5L, 999999.5L, "81 00 00 00 00 00", 0.5L, "above 999999 counts as none"},
        {0.99997L, 0.00001L, "81 00 00 00 00 00", -1, "from above 0.99997 every step ends at 1"},
        // 0.25002: 1.00008 x 2^-2, a fraction of 43,980,465.1 units of 2^-39.
        {0, 0.25L, "7F B1 16 9F 02 00", -1, "a plain step: 0.00002 past the breakpoint"},
    };
    for (const auto& c : cases) {
        SweepState state;
        state.t = stored(c.t);
        state.step_length = stored(c.breakpoint);
        advance_parameter(state);
        EXPECT_EQ(hex_bytes(state.t), c.t_after) << c.why;
        if (c.length_after >= 0) {
            EXPECT_EQ(load_real(state.step_length), c.length_after) << c.why;
        }
    }
    // The stored real nearest 0.80002 is one unit below the step's result.
    EXPECT_EQ(hex_bytes(stored(0.80002L)), "80 25 58 1C CE 4C");
}

}  // namespace
}  // namespace lpsens

namespace lpsens {
namespace {

}  // namespace
}  // namespace lpsens
