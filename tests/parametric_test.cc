// The parametric analysis: item texts, the items taken from the names, the
// advance of t, the steps, restoring feasibility and whole sweeps.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "analysis/parametric_items.h"
#include "analysis/parametric_step.h"
#include "classic/invariants.h"
#include "classic/sweep_steps.h"
#include "classic/tableau_init.h"
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
    return extract_parametric_items(form, mode);
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
    // Through the whole run: nothing on the report channel before the error.
    const auto result = testing::run_text(testing::sample_problem("x1$$$abc&&&4"), "pv");
    EXPECT_EQ(result.exit_code, 106);
    EXPECT_EQ(result.out, "Runtime error 106 at 00040010\r\n");
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

TEST(RestoreFeasibility, LowestNegativeRowFirst) {
    testing::Blank blank(2, 2);
    ClassicState& cs = blank.cs;
    const double rows[3][3] = {{0, 1, 2}, {-1, -1, 0}, {-1, -1, -1}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) cs.tableau(i, j) = stored(rows[i][j]);
    EXPECT_TRUE(restore_feasibility(cs));
    // Row 1 went first; the exchange made row 2 feasible as well.
    EXPECT_EQ(variable_code(cs.basis_label[1]), 1);
    EXPECT_EQ(variable_code(cs.basis_label[2]), 1002);
    EXPECT_EQ(cs.tableau(1, 0).value, 1);
    EXPECT_EQ(cs.tableau(2, 0).value, 0);
    EXPECT_EQ(check_positions(cs), "");
}

TEST(RestoreFeasibility, NoEntryToPivotOn) {
    testing::Blank blank(1, 1);
    ClassicState& cs = blank.cs;
    cs.tableau(1, 0) = stored(-1);
    cs.tableau(1, 1) = stored(-0.00001L);  // not below -0.00001
    EXPECT_FALSE(restore_feasibility(cs));
}

// The objective coefficient of x1 sweeps over many vertices of a polygon.
std::string polygon(int sides, const std::string& x1_item) {
    std::vector<std::string> text = {"Polygon", std::to_string(sides) + " 2 0 0", x1_item, "x2"};
    for (int i = 1; i <= sides; ++i) text.push_back("side" + std::to_string(i));
    text.insert(text.end(), {"0", "0", "1"});
    for (int i = 0; i < sides; ++i) {
        const double angle = (i + 0.5) * (M_PI / 2) / sides;
        char buf[3][32];
        std::snprintf(buf[0], sizeof buf[0], "%.4f", std::cos(angle));
        std::snprintf(buf[1], sizeof buf[1], "%.4f", std::sin(angle));
        text.insert(text.end(), {"10", buf[0], buf[1]});
    }
    return lines(text);
}

TEST(Sweep, StopsAfterTwentyRecords) {
    const auto result = testing::run_text(polygon(40, "x1$$$0&&&100"), "pv");
    ASSERT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out.substr(0, 22), "Polygon\r\n    1,   20\r\n");
    const auto parameter_line = result.out.substr(22, result.out.find("\r\n", 22) - 22);
    EXPECT_EQ(std::count(parameter_line.begin(), parameter_line.end(), ','), 20);
    EXPECT_EQ(parameter_line.find("1.000"), std::string::npos);  // t stays below 1
}

TEST(Sweep, NoItemGivesTwoEqualRecords) {
    const auto result = testing::run_text(testing::sample_problem(), "pv");
    EXPECT_EQ(result.out.substr(0, result.out.find("Operational")),
              "Sample\r\n    0,    2\r\n                Parameter,     0.000,     1.000\r\n"
              "            Optimal value,    12.000,    12.000\r\n");
    EXPECT_EQ(result.console, "....\r\n");
}

TEST(Sweep, InfeasibleRightHandSideEndsTheSweep) {
    // max x subject to x <= b, with b running from 4 to -4.
    const auto result = testing::run_text(lines({"Shrink", "1 1 0 0", "x", "cap$$$4&&&-4", "0", "1", "9", "1"}), "rv");
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out,
              "No feasible solution\r\n"
              "Shrink\r\n"
              "    1,    1\r\n"
              "                Parameter,     0.000\r\n"
              "   1,               \"cap\",     4.000\r\n"
              "            Optimal value,     4.000\r\n"
              "Operational level\r\n"
              "   1,                 \"x\",     4.000\r\n"
              "Residual\r\n"
              "   1,               \"cap\",     0.000\r\n"
              "Shadow price(Shadow profit)\r\n"
              "   1,                 \"x\",     0.000\r\n"
              "Shadow price   (Imputed price)\r\n"
              "   1,               \"cap\",     1.000\r\n");
}

TEST(Sweep, ObjectiveItemOnBasicAndNonbasicVariables) {
    // x1 is basic at the optimum of the sample, x2 nonbasic.  Raising x2's
    // coefficient past 3 brings it into the basis.
    const auto result = testing::run_text(lines({"Sample", "2 2 0 0", "x1$$$3&&&3", "x2$$$2&&&8", "c1", "c2", "0",
                                                 "3", "2", "4", "1", "1", "6", "1", "3"}),
                                          "pv");
    ASSERT_EQ(result.exit_code, 0) << result.out;
    EXPECT_EQ(result.out.substr(0, result.out.find("Operational")),
              "Sample\r\n    2,    3\r\n                Parameter,     0.000,     0.167,     1.000\r\n"
              "   1,                \"x1\",     3.000,     3.000,     3.000\r\n"
              "   2,                \"x2\",     2.000,     3.000,     8.000\r\n"
              "            Optimal value,    12.000,    12.000,    17.000\r\n");
}

}  // namespace
}  // namespace lpsens

namespace lpsens {
namespace {

// Random small sweeps, some of them unbounded on the way: every record is an
// optimum of the problem at its t (the checks of each record, under
// --strict), and a sweep that reaches an unbounded t ends there.
TEST(Sweep, RandomSweepsRecordOnlyOptima) {
    std::mt19937 rng(2024);
    auto pick = [&](int low, int high) { return low + static_cast<int>(rng() % static_cast<unsigned>(high - low + 1)); };
    int unbounded = 0, records = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const bool pv = trial % 2 == 0;
        const int n = pick(2, 4), m = pick(1, 4);
        std::vector<std::string> eq, ge;
        std::vector<std::string> text = {"Random"};
        std::vector<int> kind(static_cast<std::size_t>(m));
        for (int i = 0; i < m; ++i) {
            kind[static_cast<std::size_t>(i)] = pick(0, 9) < 6 ? 0 : pick(0, 1) == 0 ? 1 : 2;
            if (kind[static_cast<std::size_t>(i)] == 1) eq.push_back(std::to_string(i + 1));
            if (kind[static_cast<std::size_t>(i)] == 2) ge.push_back(std::to_string(i + 1));
        }
        testing::add_dimensions(text, m, n, eq, ge);
        // One item: a cost (pv) or a right-hand side (rv) moving across a
        // range that may make the problem unbounded or infeasible.
        const int item = pv ? pick(1, n) : pick(1, m);
        const std::string range = "$$$" + std::to_string(pv ? pick(-4, 6) : pick(0, 20)) + "&&&" + std::to_string(pv ? pick(-4, 8) : pick(-5, 25));
        for (int j = 1; j <= n; ++j) text.push_back("x" + std::to_string(j) + (pv && j == item ? range : ""));
        for (int i = 1; i <= m; ++i) text.push_back("r" + std::to_string(i) + (!pv && i == item ? range : ""));
        text.push_back("0");
        for (int j = 0; j < n; ++j) text.push_back(std::to_string(pick(-3, 5)));
        for (int i = 0; i < m; ++i) {
            text.push_back(std::to_string(pick(0, 20)));
            for (int j = 0; j < n; ++j) text.push_back(std::to_string(pick(-2, 6)));
        }
        for (const bool accurate : {false, true}) {
            RunOptions options;
            options.mode = pv ? "pv" : "rv";
            options.accurate = accurate;
            options.strict = true;
            const auto result = testing::run_text(lines(text), options);
            ASSERT_EQ(result.exit_code, 0) << lines(text) << (accurate ? "--accurate\n" : "\n") << result.out
                                           << result.console;
            const std::size_t verdict = result.out.find("Unbounded solution");
            if (verdict != std::string::npos) {
                ++unbounded;
                // The verdict ends the sweep: the table, if any, follows it.
                EXPECT_EQ(result.out.find("Unbounded solution", verdict + 1), std::string::npos);
            }
            const auto second = result.out.find("\r\n") + 2;
            if (result.out.compare(second, 5, "    1") == 0) records += std::stoi(result.out.substr(second + 6, 5));
        }
    }
    EXPECT_GT(unbounded, 20);
    EXPECT_GT(records, 400);
}

}  // namespace
}  // namespace lpsens
