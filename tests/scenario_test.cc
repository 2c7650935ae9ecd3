// Scenarios: the table reader's boundaries, models from arrays, the
// certificates of infeasible and unbounded models in their own terms, and
// warm scenario solves judged by cold solves of the changed model.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "check/model_certificates.h"
#include "model/array_model.h"
#include "numeric/run_error.h"
#include "scenario/scenario_solver.h"
#include "scenario/scenario_table.h"

namespace lpsens {
namespace {

constexpr double inf = HUGE_VAL;

// max 3a + 2b  s.t.  cap: a + b <= 4,  lab: a + 3b <= 6,  a, b >= 0.
Problem production() {
    ModelArrays a;
    a.maximise = true;
    a.costs = {3, 2};
    a.column_lower = {0, 0};
    a.column_upper = {inf, inf};
    a.row_lower = {-inf, -inf};
    a.row_upper = {4, 6};
    a.start = {0, 2, 4};
    a.row = {0, 1, 0, 1};
    a.value = {1, 1, 1, 3};
    a.row_names = {"cap", "lab"};
    a.column_names = {"a", "b"};
    return model_from_arrays(a);
}

std::string error_of(const std::string& table) {
    try {
        scenario::read_scenario_table(table, "s.csv", production());
    } catch (const RunError& e) {
        return e.explanation();
    }
    return "";
}

TEST(ScenarioTable, ReadsLabelsCellsAndInfinities) {
    const auto s = scenario::read_scenario_table(
        "Scenario,rhs:cap,\"cost:a\",upper:b\r\n\r\nlow,3,,inf\nhigh , 5 ,\"2.5\",-1e-3\n", "s.csv", production());
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].label, "low");
    ASSERT_EQ(s[0].changes.size(), 2u);
    EXPECT_EQ(s[0].changes[0].kind, scenario::Kind::rhs);
    EXPECT_EQ(s[0].changes[0].value, 3);
    EXPECT_EQ(s[0].changes[1].kind, scenario::Kind::upper);
    EXPECT_EQ(s[0].changes[1].value, inf);
    EXPECT_EQ(s[1].label, "high");
    EXPECT_EQ(s[1].changes[1].value, 2.5);
    EXPECT_EQ(s[1].changes[2].value, -1e-3);
    // Without a label column the scenarios are numbered.
    const auto n = scenario::read_scenario_table("cap,a\n1,2\n3,\n", "s.csv", production());
    EXPECT_EQ(n[1].label, "2");
    EXPECT_EQ(n[0].changes[1].kind, scenario::Kind::cost);
}

TEST(ScenarioTable, ErrorsNameTheFileTheLineAndTheFault) {
    const struct {
        const char* table;
        const char* error;
    } cases[] = {
        {"", "s.csv:0: the table has no heading line"},
        {"rhs:nosuch\n1\n", "s.csv:1: 'rhs:nosuch': the model has no row 'nosuch'"},
        {"cap,rhs:cap\n1,2\n", "s.csv:1: 'rhs:cap' names an item of an earlier heading"},
        {"cap,lab\n1\n", "s.csv:2: the line has 1 cell for 2 headings"},
        {"cap\n\n\nx1\n", "s.csv:4: 'x1' under 'cap' is not a number"},
        {"cap\nnan\n", "s.csv:2: 'nan' under 'cap' is not a number"},
        {"cap\n1e999\n", "s.csv:2: '1e999' under 'cap' is not a number"},
        {"cap\ninf\n", "s.csv:2: rhs:cap: the value must be finite"},
        {"lower:a\ninf\n", "s.csv:2: lower:a: a lower bound cannot be +infinity"},
        {"cap\n\"1\n", "s.csv:2: a quote is not closed"},
        {"scenario,\n", "s.csv:1: heading 2 is empty"},
        {"size:a\n1\n", "s.csv:1: 'size:a': the kind 'size' is none of rhs, cost, lower and upper"},
    };
    for (const auto& c : cases) EXPECT_EQ(error_of(c.table), c.error) << c.table;
}

TEST(ArrayModel, RowsTakeTheKindTheirSidesSay) {
    ModelArrays a;
    a.costs = {1};
    a.column_lower = {-inf};
    a.column_upper = {2};
    a.row_lower = {-inf, 1, 3, 1};
    a.row_upper = {5, inf, 3, 4};
    a.start = {0, 4};
    a.row = {0, 1, 2, 3};
    a.value = {1, 1, 1, 1};
    const Problem p = model_from_arrays(a);
    ASSERT_EQ(p.row_count(), 4);
    EXPECT_EQ(p.rows[0].type, 'L');
    EXPECT_EQ(p.rows[1].type, 'G');
    EXPECT_EQ(p.rows[2].type, 'E');
    EXPECT_TRUE(p.rows[3].ranged);
    for (int i = 0; i < 4; ++i) {
        const RowSides s = row_sides(p.rows[i]);
        EXPECT_EQ(static_cast<double>(s.lower), a.row_lower[i]) << i;
        EXPECT_EQ(static_cast<double>(s.upper), a.row_upper[i]) << i;
    }
    EXPECT_EQ(p.rows[0].name, "r1");
    EXPECT_EQ(p.columns[0].name, "x1");
    EXPECT_EQ(p.columns[0].lower, -model_infinity);
}

TEST(ModelCertificates, ProveWhatTheyClaimAndNoMore) {
    Problem p = production();
    // a + b <= 4 and a + 3b >= 13 with 0 <= b <= 4: a + 3b <= 4 + 2b <= 12.
    p.rows[1].type = 'G';
    p.rows[1].rhs = 13;
    p.columns[1].upper = 4;
    // y = (-1, 1/3): z = A^T y = (-2/3, 0), so max z x = 0 over a >= 0,
    // while min y r = -4 + 13/3 = 1/3.
    EXPECT_TRUE(check_model_farkas(p, {-1, 1.0 / 3}).passed());
    EXPECT_FALSE(check_model_farkas(p, {-1, 0.2}).passed());  // 0 < -4 + 2.6 fails
    EXPECT_FALSE(check_model_farkas(p, {1, 1}).passed());     // a has no upper bound
    EXPECT_FALSE(check_model_farkas(p, {1}).passed());
    // Unbounded: max a with only a - b <= 1: the ray (1, 1) from (0, 0).
    Problem u = production();
    u.rows.resize(1);
    u.matrix = ColumnMatrix{};
    u.matrix.add_column({{0, 1}});
    u.matrix.add_column({{0, -1}});
    u.rows[0].rhs = 1;
    EXPECT_TRUE(check_model_ray(u, {0, 0}, {1, 1}).passed());
    EXPECT_FALSE(check_model_ray(u, {0, 0}, {1, 0}).passed());     // meets the row
    EXPECT_FALSE(check_model_ray(u, {2, 0}, {1, 1}).passed());     // starts outside it
    EXPECT_FALSE(check_model_ray(u, {0, 0}, {-1, -1}).passed());   // meets the bounds
}

TEST(ScenarioSolver, WarmResultsEqualColdOnesAndTheModelIsLeftAsItWas) {
    scenario::Settings warm;
    scenario::Settings cold;
    cold.warm = false;
    scenario::ScenarioSolver w(production(), warm), c(production(), cold);
    EXPECT_EQ(w.base().objective, 12);
    const std::vector<scenario::Scenario> scenarios = {
        {"cap", {{scenario::Kind::rhs, 0, 5}}},
        {"b", {{scenario::Kind::cost, 1, 5}}},
        {"both", {{scenario::Kind::lower, 1, 1}, {scenario::Kind::upper, 0, 3}}},
        {"twice", {{scenario::Kind::rhs, 0, 1}, {scenario::Kind::rhs, 0, 3}}},
        {"infeasible", {{scenario::Kind::lower, 0, 5}}},
        {"unbounded", {{scenario::Kind::lower, 1, -inf}}},  // along (1, -1)
        {"crossed", {{scenario::Kind::upper, 0, 1}, {scenario::Kind::lower, 0, 2}}},
    };
    const double expected[] = {15, 14, 11, 9, NAN, NAN, NAN};
    for (int round = 0; round < 2; ++round)
        for (std::size_t k = 0; k < scenarios.size(); ++k) {
            const scenario::Outcome a = w.solve(scenarios[k]);
            const scenario::Outcome b = c.solve(scenarios[k]);
            EXPECT_TRUE(a.verified) << scenarios[k].label;
            EXPECT_EQ(a.status, b.status) << scenarios[k].label;
            if (!std::isnan(expected[k])) {
                EXPECT_EQ(a.objective, expected[k]) << scenarios[k].label;
                EXPECT_EQ(b.objective, expected[k]) << scenarios[k].label;
            }
        }
    EXPECT_EQ(w.solve(scenarios[6]).status, revised::SolveStatus::infeasible);
    EXPECT_EQ(w.solve({}).objective, 12);
    EXPECT_EQ(w.model().rows[0].rhs, 4);
    EXPECT_EQ(scenario::solve_batch(w, warm, scenarios, 2)[1].objective, 14);
    EXPECT_THROW(w.solve({"bad", {{scenario::Kind::cost, 2, 1}}}), RunError);
}

}  // namespace
}  // namespace lpsens
