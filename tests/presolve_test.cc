// Presolve and postsolve: each reduction on a small LP whose optimal basis
// is known, and random LPs with planted structure judged by solving them
// with and without presolve.
#include <algorithm>
#include <cmath>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "presolve/presolve.h"
#include "revised/revised_simplex.h"
#include "revised_test_support.h"

namespace lpsens::revised::testing {
namespace {

using presolve::Counts;
using presolve::Outcome;

// The reduced LP's optimum; one without rows has each column where its
// cost sends it (the core wants at least one row).
LpSolution solve_reduced(const LpData& reduced) {
    if (reduced.rows > 0) {
        RevisedSimplex engine(reduced);
        return engine.solve();
    }
    LpSolution s;
    s.status = SolveStatus::optimal;
    const double sense = reduced.sense == Sense::maximise ? -1 : 1;
    for (int j = 0; j < reduced.cols; ++j) {
        const double c = sense * reduced.cost[j];
        const bool lower = c > 0 || (c == 0 && std::isfinite(reduced.col_lower[j]));
        s.col_value.push_back(lower ? reduced.col_lower[j] : reduced.col_upper[j]);
        s.reduced_cost.push_back(reduced.cost[j]);
        s.basis.col_status.push_back(reduced.col_lower[j] == reduced.col_upper[j] ? BasisStatus::fixed
                                     : lower                                       ? BasisStatus::at_lower
                                                                                   : BasisStatus::at_upper);
    }
    return s;
}

// The postsolved values and duals as a solution of `lp`, for the
// certificate of optimality computed from the LP alone.
LpSolution as_solution(const LpData& lp, const presolve::Postsolved& post) {
    LpSolution s;
    s.status = SolveStatus::optimal;
    s.col_value = post.col_value;
    s.row_dual = post.row_dual;
    s.reduced_cost = post.reduced_cost;
    s.row_activity.assign(static_cast<std::size_t>(lp.rows), 0);
    s.objective = lp.offset;
    for (int j = 0; j < lp.cols; ++j) {
        s.objective += lp.cost[j] * post.col_value[j];
        for (int k = lp.start[j]; k < lp.start[j + 1]; ++k)
            s.row_activity[lp.row_index[k]] += lp.value[k] * post.col_value[j];
    }
    s.basis = post.basis;
    return s;
}

std::string statuses(const std::vector<BasisStatus>& list) {
    std::string text;
    for (BasisStatus s : list) {
        switch (s) {
            case BasisStatus::basic: text += 'B'; break;
            case BasisStatus::at_lower: text += 'L'; break;
            case BasisStatus::at_upper: text += 'U'; break;
            case BasisStatus::free_at_zero: text += 'Z'; break;
            case BasisStatus::fixed: text += 'F'; break;
        }
    }
    return text;
}

struct ReductionCase {
    const char* name;
    LpData lp;
    int Counts::*reduction;  // made at least once
    const char* col_status;  // the optimal basis: B, L, U, Z, F by column
    const char* row_status;  // and by row
    double objective;
};

std::vector<ReductionCase> reduction_cases() {
    const Sense mn = Sense::minimise;
    std::vector<ReductionCase> cases;
    // Row 1 has no entry; column 2 none: its cost sends it to its upper bound.
    cases.push_back({"empty_row_and_column",
                     make_lp(mn, {{1, inf}, {-1, 2}}, {{1, 0, 10, {{0, 1}}}, {2, 0, 10, {{0, 1}}}, {-1, 0, 4, {}}}),
                     &Counts::empty_rows, "BLU", "LB", 1 - 4});
    // 2 x0 >= 4 moves to x0's bound, where it holds: the row is the one at
    // its bound and x0 basic.
    cases.push_back({"row_singleton_binding",
                     make_lp(mn, {{4, inf}, {3, inf}}, {{3, 0, 10, {{0, 2}, {1, 1}}}, {1, 0, 10, {{1, 1}}}}),
                     &Counts::row_singletons, "BB", "LL", 3 * 2 + 1});
    // The singleton's bound x0 <= 8 is not where x0 ends: the row is basic.
    cases.push_back({"row_singleton_slack",
                     make_lp(mn, {{-inf, 8}, {3, inf}}, {{1, 0, 10, {{0, 1}, {1, 1}}}, {2, 0, 10, {{1, 1}}}}),
                     &Counts::row_singletons, "BL", "BL", 3});
    // x2 is fixed at 1; the rows take it into their sides.
    cases.push_back({"fixed_column",
                     make_lp(mn, {{3, inf}, {-inf, 9}},
                             {{1, 0, 10, {{0, 1}, {1, 1}}}, {2, 0, 10, {{0, 1}, {1, 2}}}, {5, 1, 1, {{0, 1}, {1, 1}}}}),
                     &Counts::fixed_cols, "BLF", "LB", 2 + 5});
    // x0 + x1 <= 0 over [0, 5] forces both to 0; its dual makes x1 basic.
    cases.push_back({"forcing_row",
                     make_lp(mn, {{-inf, 0}, {1, inf}},
                             {{-1, 0, 5, {{0, 1}, {1, 1}}}, {-2, 0, 5, {{0, 1}, {1, 1}}}, {1, 0, 5, {{1, 1}}}}),
                     &Counts::forcing_rows, "LBB", "UL", 1});
    // x0 + x1 <= 100 cannot bind over [0, 10]^2.
    cases.push_back({"redundant_row",
                     make_lp(mn, {{-inf, 100}, {2, inf}}, {{1, 0, 10, {{0, 1}, {1, 1}}}, {3, 0, 10, {{0, 1}, {1, 1}}}}),
                     &Counts::redundant_rows, "BL", "BL", 2});
    // x2's cost wants it down and its row only bounds it from above.
    cases.push_back({"dominated_column",
                     make_lp(mn, {{2, inf}, {-inf, 6}},
                             {{1, 0, 10, {{0, 1}}}, {3, 0, 10, {{0, 1}, {1, 1}}}, {4, -1, 10, {{1, 1}}}}),
                     &Counts::dominated_cols, "BLL", "LB", 2 - 4});
    // x0 = x1 substituted; both basic at 1.
    cases.push_back({"doubleton_interior",
                     make_lp(mn, {{0, 0}, {2, inf}}, {{1, 0, 10, {{0, 1}, {1, 1}}}, {2, 0, 10, {{0, -1}, {1, 1}}}}),
                     &Counts::doubletons, "BB", "FL", 3});
    // x0 = x1 and x0 <= 3 gives x1 <= 3, where x1 ends: x0 sits on its own
    // bound and x1 is basic.
    cases.push_back({"doubleton_bound_moved",
                     make_lp(Sense::maximise, {{0, 0}, {-inf, 100}},
                             {{1, 0, 3, {{0, 1}, {1, 1}}}, {1, 0, 10, {{0, -1}, {1, 2}}}}),
                     &Counts::doubletons, "UB", "FB", 6});
    // x2 in [-20, 100] is implied by x0 + x1 + x2 = 4 over [0, 10]^2.
    cases.push_back({"implied_free_singleton",
                     make_lp(mn, {{4, 4}, {1, inf}},
                             {{2, 0, 10, {{0, 1}, {1, 1}}}, {3, 0, 10, {{0, 1}, {1, 1}}}, {-1, -20, 100, {{0, 1}}}}),
                     &Counts::free_singletons, "BLB", "FL", -1});
    // A free column alone in an inequality: its cost puts the row at a side.
    cases.push_back({"free_singleton_inequality",
                     make_lp(mn, {{-inf, 4}, {1, inf}},
                             {{2, 0, 10, {{0, 1}, {1, 1}}}, {3, 0, 10, {{0, 1}, {1, 1}}}, {-1, -inf, inf, {{0, 1}}}}),
                     &Counts::free_singletons, "BLB", "UL", 2 - 3});
    // Row 1 is twice row 0 and tighter: row 0 takes its side, and row 1 is
    // the one at its bound.
    cases.push_back({"duplicate_row",
                     make_lp(mn, {{2, inf}, {6, inf}}, {{1, 0, 10, {{0, 1}, {1, 2}}}, {2, 0, 10, {{0, 1}, {1, 2}}}}),
                     &Counts::duplicate_rows, "BL", "BL", 3});
    // Column 2 is twice column 1, its cost too: one column in [0, 8] that
    // ends at 7, split as x1 = 1 basic and x2 at its upper bound 3.
    cases.push_back({"duplicate_column",
                     make_lp(mn, {{10, inf}, {-inf, 7}},
                             {{3, 0, 10, {{0, 1}}}, {1, 0, 2, {{0, 1}, {1, 1}}}, {2, 0, 3, {{0, 2}, {1, 2}}},
                              {-1, 0, 1, {{1, 1}}}}),
                     &Counts::duplicate_cols, "BBUL", "LU", 16});
    // The forcing row of a maximisation (the signs of the duals turn).
    cases.push_back({"forcing_row_maximise",
                     make_lp(Sense::maximise, {{-inf, 0}, {1, inf}},
                             {{1, 0, 5, {{0, 1}, {1, 1}}}, {2, 0, 5, {{0, 1}, {1, 1}}}, {-1, 0, 5, {{1, 1}}}}),
                     &Counts::forcing_rows, "LBB", "UL", -1});
    return cases;
}

void PrintTo(const ReductionCase& c, std::ostream* out) { *out << c.name; }

class Reductions : public ::testing::TestWithParam<ReductionCase> {};

TEST_P(Reductions, PostsolvedBasisIsTheKnownOptimum) {
    const ReductionCase& c = GetParam();
    const presolve::Presolved p = presolve::presolve(c.lp);
    ASSERT_EQ(p.outcome, Outcome::reduced);
    EXPECT_GT(p.counts.*c.reduction, 0);
    const LpSolution reduced = solve_reduced(p.reduced);
    ASSERT_EQ(reduced.status, SolveStatus::optimal);
    const presolve::Postsolved post = presolve::postsolve(c.lp, p, reduced);
    EXPECT_EQ(statuses(post.basis.col_status), c.col_status);
    EXPECT_EQ(statuses(post.basis.row_status), c.row_status);
    const LpSolution values = as_solution(c.lp, post);
    EXPECT_NEAR(values.objective, c.objective, 1e-9);
    EXPECT_TRUE(is_certified_optimal(c.lp, values, 1e-9)) << describe(c.lp);
    // The core takes the basis as optimal: no iteration.
    RevisedSimplex engine(c.lp);
    engine.set_basis(post.basis);
    const LpSolution& s = engine.solve();
    ASSERT_EQ(s.status, SolveStatus::optimal);
    EXPECT_EQ(s.iterations.total(), 0);
    EXPECT_NEAR(s.objective, c.objective, 1e-9);
}

INSTANTIATE_TEST_SUITE_P(Small, Reductions, ::testing::ValuesIn(reduction_cases()),
                         [](const ::testing::TestParamInfo<ReductionCase>& info) { return info.param.name; });

// Presolve gives up, and leaves the verdict to the solve, where it sees
// the LP cannot be feasible.
TEST(Presolve, GivesUpOnInfeasibleReductions) {
    const Sense mn = Sense::minimise;
    const std::vector<LpData> lps = {
        make_lp(mn, {{1, 2}, {0, inf}}, {{1, 0, 1, {{1, 1}}}}),               // empty row 1 <= 0 <= 2
        make_lp(mn, {{4, inf}}, {{1, 0, 1, {{0, 2}}}}),                        // 2 x0 >= 4 with x0 <= 1
        make_lp(mn, {{5, inf}}, {{1, 0, 1, {{0, 1}}}, {1, 0, 1, {{0, 1}}}}),   // x0 + x1 >= 5 over [0, 1]^2
    };
    for (const LpData& lp : lps) {
        const presolve::Presolved p = presolve::presolve(lp);
        EXPECT_EQ(p.outcome, Outcome::gave_up) << describe(lp);
        EXPECT_EQ(p.reduced.rows + p.reduced.cols, 0);
    }
}

// An empty column whose cost wants it without end stays in the reduced LP,
// whose solve then says unbounded.
TEST(Presolve, LeavesUnboundedColumnsToTheSolve) {
    const LpData lp = make_lp(Sense::minimise, {{1, inf}}, {{1, 0, 10, {{0, 1}}}, {-1, 0, inf, {}}});
    const presolve::Presolved p = presolve::presolve(lp);
    ASSERT_NE(p.outcome, Outcome::gave_up);
    if (p.outcome == Outcome::reduced) {
        const auto kept = std::find(p.col_origin.begin(), p.col_origin.end(), 1);
        EXPECT_NE(kept, p.col_origin.end());
    }
}

}  // namespace
}  // namespace lpsens::revised::testing
