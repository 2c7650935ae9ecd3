// The revised engine: small LPs with known answers, random LPs judged by
// an independent certificate or by vertex enumeration, warm re-solves
// against cold ones, the sensitivity calls against the basis built here.
#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "revised/revised_simplex.h"
#include "revised/scaling.h"
#include "revised_test_support.h"

namespace lpsens::revised {
namespace {

using testing::ColSpec;
using testing::describe;
using testing::inf;
using testing::is_certified_optimal;
using testing::is_farkas_proof;
using testing::is_unbounded_proof;
using testing::make_lp;
using testing::RowSpec;

constexpr Sense kMin = Sense::minimise;
constexpr Sense kMax = Sense::maximise;

struct KnownCase {
    const char* name;
    LpData lp;
    SolveStatus status;
    double objective;  // when optimal
};

void PrintTo(const KnownCase& c, std::ostream* os) { *os << c.name; }

std::vector<KnownCase> known_cases() {
    std::vector<KnownCase> cases;
    // max 3x + 2y, x + y <= 4, x + 3y <= 6, 0 <= x <= 3: the bound of x is
    // active at the optimum (3, 1).
    cases.push_back({"boxed_column_max",
                     make_lp(kMax, {{-inf, 4}, {-inf, 6}}, {{3, 0, 3, {{0, 1}, {1, 1}}}, {2, 0, inf, {{0, 1}, {1, 3}}}}),
                     SolveStatus::optimal, 11});
    // A fixed column: x = 2, so y = 1 covers x + y >= 3.
    cases.push_back({"fixed_column",
                     make_lp(kMin, {{3, inf}}, {{1, 2, 2, {{0, 1}}}, {1, 0, inf, {{0, 1}}}}), SolveStatus::optimal, 3});
    // A free column bounded only through a row: min x, x >= -5.
    cases.push_back({"free_column", make_lp(kMin, {{-5, inf}}, {{1, -inf, inf, {{0, 1}}}}), SolveStatus::optimal, -5});
    // An upper bound only: max x with x <= 7 (and a loose row).
    cases.push_back({"upper_only_column_max",
                     make_lp(kMax, {{-inf, 10}}, {{1, -inf, 7, {{0, 1}}}, {0, 0, 1, {{0, 1}}}}), SolveStatus::optimal, 7});
    cases.push_back({"upper_only_column_min_unbounded",
                     make_lp(kMin, {{-inf, 10}}, {{1, -inf, 7, {{0, 1}}}, {0, 0, 1, {{0, 1}}}}), SolveStatus::unbounded, 0});
    // A ranged row 2 <= x + y <= 5, y in [0, 1]: min x = 1, max x = 5.
    cases.push_back({"ranged_row_min",
                     make_lp(kMin, {{2, 5}}, {{1, 0, inf, {{0, 1}}}, {0, 0, 1, {{0, 1}}}}), SolveStatus::optimal, 1});
    cases.push_back({"ranged_row_max",
                     make_lp(kMax, {{2, 5}}, {{1, 0, inf, {{0, 1}}}, {0, 0, 1, {{0, 1}}}}), SolveStatus::optimal, 5});
    // A free row changes nothing.
    cases.push_back({"free_row",
                     make_lp(kMin, {{1, inf}, {-inf, inf}}, {{1, 0, inf, {{0, 1}, {1, 1}}}, {1, 0, inf, {{0, 1}, {1, -1}}}}),
                     SolveStatus::optimal, 1});
    // Equality rows: x + y + z = 6, x - y = 0; min x + 2y + 3z = 9 at (3, 3, 0).
    cases.push_back({"equality_rows",
                     make_lp(kMin, {{6, 6}, {0, 0}},
                             {{1, 0, inf, {{0, 1}, {1, 1}}}, {2, 0, inf, {{0, 1}, {1, -1}}}, {3, 0, inf, {{0, 1}}}}),
                     SolveStatus::optimal, 9});
    // Negative lower bounds: min x + y with x + y >= -3, x >= -10, y >= -1.
    cases.push_back({"negative_lower_bounds",
                     make_lp(kMin, {{-3, inf}}, {{1, -10, inf, {{0, 1}}}, {1, -1, inf, {{0, 1}}}}), SolveStatus::optimal, -3});
    // Beale's example, on which the textbook simplex cycles: optimum -5/4.
    cases.push_back({"beale_cycling",
                     make_lp(kMin, {{-inf, 0}, {-inf, 0}, {-inf, 1}},
                             {{-0.75, 0, inf, {{0, 0.25}, {1, 0.5}}},
                              {20, 0, inf, {{0, -8}, {1, -12}}},
                              {-0.5, 0, inf, {{0, -1}, {1, -0.5}, {2, 1}}},
                              {6, 0, inf, {{0, 9}, {1, 3}}}}),
                     SolveStatus::optimal, -1.25});
    // Five constraints through the optimal vertex (1, 1).
    cases.push_back({"degenerate_vertex",
                     make_lp(kMin, {{-inf, 1}, {-inf, 1}, {-inf, 2}, {-inf, 0}, {-inf, 3}},
                             {{-1, 0, inf, {{0, 1}, {2, 1}, {3, 1}, {4, 2}}}, {-1, 0, inf, {{1, 1}, {2, 1}, {3, -1}, {4, 1}}}}),
                     SolveStatus::optimal, -2});
    // x + y <= 1 and x + y >= 3.
    cases.push_back({"infeasible_rows",
                     make_lp(kMin, {{-inf, 1}, {3, inf}}, {{1, 0, inf, {{0, 1}, {1, 1}}}, {1, 0, inf, {{0, 1}, {1, 1}}}}),
                     SolveStatus::infeasible, 0});
    // x + y >= 5 with x in [0, 1], y in [0, 2].
    cases.push_back({"infeasible_by_bounds",
                     make_lp(kMax, {{5, inf}}, {{1, 0, 1, {{0, 1}}}, {1, 0, 2, {{0, 1}}}}), SolveStatus::infeasible, 0});
    // min -x with x - y <= 1: along (1, 1) without end.
    cases.push_back({"unbounded_ray",
                     make_lp(kMin, {{-inf, 1}}, {{-1, 0, inf, {{0, 1}}}, {0, 0, inf, {{0, -1}}}}), SolveStatus::unbounded, 0});
    // A free column with x - y <= 3: x falls without end.
    cases.push_back({"unbounded_free_column",
                     make_lp(kMin, {{-inf, 3}}, {{1, -inf, inf, {{0, 1}}}, {0, 0, inf, {{0, -1}}}}), SolveStatus::unbounded, 0});
    // Infeasible and with an improving ray: infeasible wins.
    cases.push_back({"infeasible_and_dual_infeasible",
                     make_lp(kMin, {{-inf, 1}, {2, inf}}, {{-1, 0, inf, {{0, 1}, {1, 1}}}, {0, 0, inf, {{0, 1}, {1, 1}}}, {-1, 0, inf, {}}}),
                     SolveStatus::infeasible, 0});
    // No rows at all: each column at the bound its cost prefers.
    cases.push_back({"no_rows", make_lp(kMin, {}, {{1, 1, 2, {}}, {1, -3, 4, {}}}, 0.5), SolveStatus::optimal, -1.5});
    cases.push_back({"no_rows_unbounded", make_lp(kMax, {}, {{1, -inf, inf, {}}}), SolveStatus::unbounded, 0});
    // An empty column with a cost and an objective offset.
    cases.push_back({"empty_column_and_offset",
                     make_lp(kMax, {{-inf, 4}}, {{1, 0, inf, {{0, 2}}}, {-1, -2, 5, {}}}, 10), SolveStatus::optimal, 14});
    // Duplicate entries of one column in one row add up: 2x <= 4 as 1.5x + 0.5x.
    cases.push_back({"duplicate_entries",
                     make_lp(kMax, {{-inf, 4}}, {{1, 0, inf, {{0, 1.5}, {0, 0.5}}}}), SolveStatus::optimal, 2});
    // Badly scaled: 1e-6 x + 1e6 y >= 1e3 with costs to match.
    cases.push_back({"badly_scaled",
                     make_lp(kMin, {{1e3, inf}, {-inf, 2e6}},
                             {{1e-3, 0, inf, {{0, 1e-6}, {1, 1}}}, {1e4, 0, inf, {{0, 1e6}, {1, 1e-4}}}}),
                     SolveStatus::optimal, 10});
    // A free variable with a cost that must end basic (dual phase 1).
    cases.push_back({"free_column_needs_phase1",
                     make_lp(kMax, {{-inf, 4}, {-2, inf}}, {{1, -inf, inf, {{0, 1}, {1, 1}}}, {-1, 0, inf, {{0, -1}, {1, 1}}}}),
                     SolveStatus::optimal, 4});
    return cases;
}

class KnownAnswers : public ::testing::TestWithParam<KnownCase> {};

TEST_P(KnownAnswers, StatusObjectiveAndCertificates) {
    const KnownCase& c = GetParam();
    for (bool scale : {true, false}) {
        Options options;
        options.scale = scale;
        RevisedSimplex engine(c.lp, options);
        const LpSolution& s = engine.solve();
        ASSERT_EQ(s.status, c.status) << (scale ? "scaled\n" : "unscaled\n") << describe(c.lp);
        switch (c.status) {
            case SolveStatus::optimal:
                EXPECT_NEAR(s.objective, c.objective, 1e-9 * (1 + std::fabs(c.objective)));
                EXPECT_TRUE(is_certified_optimal(c.lp, s));
                break;
            case SolveStatus::infeasible: EXPECT_TRUE(is_farkas_proof(c.lp, s.farkas)); break;
            case SolveStatus::unbounded: EXPECT_TRUE(is_unbounded_proof(c.lp, s)); break;
            default: break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Small, KnownAnswers, ::testing::ValuesIn(known_cases()),
                         [](const ::testing::TestParamInfo<KnownCase>& info) { return std::string(info.param.name); });

// Statuses as the solution reports them, for one LP with every kind.
TEST(BasisStatuses, EveryKindReported) {
    // min -x0 + x1 + 0 x2 - x3 with x0 in [0, 2] (at upper), x1 >= 1 (at
    // lower), x2 free (nonbasic at zero), x3 fixed at 4; rows 0 (x0 + x3 <=
    // 10) and 1 (x1 - x3 >= -5) are loose, so their activities are basic.
    const LpData lp = make_lp(kMin, {{-inf, 10}, {-5, inf}},
                              {{-1, 0, 2, {{0, 1}}}, {1, 1, inf, {{1, 1}}}, {0, -inf, inf, {}}, {-1, 4, 4, {{0, 1}, {1, -1}}}});
    RevisedSimplex engine(lp);
    const LpSolution& s = engine.solve();
    ASSERT_EQ(s.status, SolveStatus::optimal);
    EXPECT_EQ(s.basis.col_status[0], BasisStatus::at_upper);
    EXPECT_EQ(s.basis.col_status[1], BasisStatus::at_lower);
    EXPECT_EQ(s.basis.col_status[2], BasisStatus::free_at_zero);
    EXPECT_EQ(s.basis.col_status[3], BasisStatus::fixed);
    EXPECT_EQ(s.basis.row_status[0], BasisStatus::basic);
    EXPECT_EQ(s.basis.row_status[1], BasisStatus::basic);
    EXPECT_TRUE(is_certified_optimal(lp, s));
    EXPECT_EQ(s.col_value[0], 2.0);
    EXPECT_EQ(s.col_value[3], 4.0);
    EXPECT_EQ(s.row_activity[0], 6.0);
}

// Duals: their signs in both senses, and the objective as bounds times duals.
struct DualCase {
    Sense sense;
    double y0, y1;  // expected row duals
};

class DualSigns : public ::testing::TestWithParam<DualCase> {};

TEST_P(DualSigns, FollowTheDocumentedConvention) {
    const DualCase c = GetParam();
    // x + y subject to x + 2y >= 2 (row 0) and 3x + y <= 3 (row 1), x, y >= 0.
    // The minimum is at (0, 1) with row 0 at its lower bound: y0 = 0.5 >= 0.
    // The maximum is at (0, 3) with row 1 at its upper bound: y1 = 1, of the
    // sign a maximisation asks for there (>= 0).
    const LpData lp = make_lp(c.sense, {{2, inf}, {-inf, 3}}, {{1, 0, inf, {{0, 1}, {1, 3}}}, {1, 0, inf, {{0, 2}, {1, 1}}}});
    RevisedSimplex engine(lp);
    const LpSolution& s = engine.solve();
    ASSERT_EQ(s.status, SolveStatus::optimal);
    EXPECT_NEAR(s.row_dual[0], c.y0, 1e-12);
    EXPECT_NEAR(s.row_dual[1], c.y1, 1e-12);
    // d = c - A^T y.
    EXPECT_NEAR(s.reduced_cost[0], 1 - (s.row_dual[0] + 3 * s.row_dual[1]), 1e-12);
    EXPECT_NEAR(s.reduced_cost[1], 1 - (2 * s.row_dual[0] + s.row_dual[1]), 1e-12);
    EXPECT_TRUE(is_certified_optimal(lp, s));
}

INSTANTIATE_TEST_SUITE_P(Senses, DualSigns,
                         ::testing::Values(DualCase{kMin, 0.5, 0.0},   // row 0 at lower: y >= 0 in a min
                                           DualCase{kMax, 0.0, 1.0}));  // row 1 at upper: y >= 0 in a max

// Random LPs of every bound kind, judged by an independent certificate.
class RandomCertified : public ::testing::TestWithParam<int> {};

TEST_P(RandomCertified, OptimalInfeasibleOrUnboundedWithProof) {
    const int size = GetParam();
    int counts[3] = {0, 0, 0};
    for (unsigned seed = 1; seed <= 60; ++seed) {
        std::mt19937 random(seed * 7919u + static_cast<unsigned>(size));
        const int rows = std::uniform_int_distribution<int>(1, size)(random);
        const int cols = std::uniform_int_distribution<int>(1, size)(random);
        const LpData lp = testing::random_lp(random, rows, cols, false, size > 10 ? 0.3 : 0.5);
        RevisedSimplex engine(lp);
        const LpSolution& s = engine.solve();
        switch (s.status) {
            case SolveStatus::optimal:
                ++counts[0];
                EXPECT_TRUE(is_certified_optimal(lp, s)) << "seed " << seed << '\n' << describe(lp);
                break;
            case SolveStatus::infeasible:
                ++counts[1];
                EXPECT_TRUE(is_farkas_proof(lp, s.farkas)) << "seed " << seed << '\n' << describe(lp);
                break;
            case SolveStatus::unbounded:
                ++counts[2];
                EXPECT_TRUE(is_unbounded_proof(lp, s)) << "seed " << seed << '\n' << describe(lp);
                break;
            default: ADD_FAILURE() << "status " << to_string(s.status) << " seed " << seed << '\n' << describe(lp);
        }
    }
    // The generator reaches all three outcomes.
    EXPECT_GT(counts[0], 0);
    EXPECT_GT(counts[1], 0);
    EXPECT_GT(counts[2] + (size > 10 ? 1 : 0), 0);
}

INSTANTIATE_TEST_SUITE_P(Sizes, RandomCertified, ::testing::Values(3, 6, 12, 30));

// Tiny boxed LPs against the best of all their vertices.
TEST(RandomEnumerated, OptimumEqualsBestVertex) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 random(seed);
        const int rows = std::uniform_int_distribution<int>(1, 4)(random);
        const int cols = std::uniform_int_distribution<int>(1, 4)(random);
        const LpData lp = testing::random_lp(random, rows, cols, true);
        double best = 0;
        const bool feasible = testing::enumerate_optimum(lp, best);
        RevisedSimplex engine(lp);
        const LpSolution& s = engine.solve();
        if (!feasible) {
            EXPECT_EQ(s.status, SolveStatus::infeasible) << "seed " << seed << '\n' << describe(lp);
            continue;
        }
        ASSERT_EQ(s.status, SolveStatus::optimal) << "seed " << seed << '\n' << describe(lp);
        EXPECT_NEAR(s.objective, best, 1e-9 * (1 + std::fabs(best))) << "seed " << seed << '\n' << describe(lp);
    }
}

// Warm re-solves after changes equal cold solves of the changed LP.
struct ChangeCase {
    const char* name;
    int kind;  // 0 cost, 1 column bounds, 2 row bounds, 3 any of them
};

class WarmResolve : public ::testing::TestWithParam<ChangeCase> {};

TEST_P(WarmResolve, EqualsColdSolve) {
    const ChangeCase c = GetParam();
    for (unsigned seed = 1; seed <= 25; ++seed) {
        std::mt19937 random(seed + 1000u * static_cast<unsigned>(c.kind));
        const int rows = std::uniform_int_distribution<int>(2, 12)(random);
        const int cols = std::uniform_int_distribution<int>(2, 12)(random);
        LpData lp = testing::random_lp(random, rows, cols, seed % 2 == 0);
        RevisedSimplex warm(lp);
        warm.solve();
        for (int step = 0; step < 8; ++step) {
            const int kind = c.kind == 3 ? std::uniform_int_distribution<int>(0, 2)(random) : c.kind;
            std::uniform_real_distribution<double> unit(0, 1);
            const double shift = std::floor(unit(random) * 7) - 3;
            if (kind == 0) {
                const int j = std::uniform_int_distribution<int>(0, cols - 1)(random);
                lp.cost[j] += shift;
                warm.set_cost(j, lp.cost[j]);
            } else if (kind == 1) {
                const int j = std::uniform_int_distribution<int>(0, cols - 1)(random);
                double lower = std::isfinite(lp.col_lower[j]) ? lp.col_lower[j] + shift : lp.col_lower[j];
                double upper = std::isfinite(lp.col_upper[j]) ? lp.col_upper[j] + shift : lp.col_upper[j];
                if (unit(random) < 0.2) upper = inf;  // a bound removed
                lp.col_lower[j] = lower;
                lp.col_upper[j] = upper;
                warm.set_col_bounds(j, lower, upper);
            } else {
                const int i = std::uniform_int_distribution<int>(0, rows - 1)(random);
                double lower = std::isfinite(lp.row_lower[i]) ? lp.row_lower[i] + shift : lp.row_lower[i];
                double upper = std::isfinite(lp.row_upper[i]) ? lp.row_upper[i] + shift : lp.row_upper[i];
                if (unit(random) < 0.2 && std::isfinite(upper)) lower = upper;  // the row becomes an equation
                lp.row_lower[i] = lower;
                lp.row_upper[i] = upper;
                warm.set_row_bounds(i, lower, upper);
            }
            const LpSolution warm_result = warm.solve();
            RevisedSimplex cold(lp);
            const LpSolution& cold_result = cold.solve();
            ASSERT_EQ(warm_result.status, cold_result.status) << "seed " << seed << " step " << step << '\n' << describe(lp);
            if (cold_result.status == SolveStatus::optimal) {
                EXPECT_NEAR(warm_result.objective, cold_result.objective, 1e-9 * (1 + std::fabs(cold_result.objective)));
                EXPECT_TRUE(is_certified_optimal(lp, warm_result)) << "seed " << seed << " step " << step;
            }
            if (warm_result.status == SolveStatus::infeasible) {
                EXPECT_TRUE(is_farkas_proof(lp, warm_result.farkas));
            }
            if (warm_result.status == SolveStatus::unbounded) {
                EXPECT_TRUE(is_unbounded_proof(lp, warm_result));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Changes, WarmResolve,
                         ::testing::Values(ChangeCase{"cost", 0}, ChangeCase{"column_bounds", 1},
                                           ChangeCase{"row_bounds", 2}, ChangeCase{"mixed", 3}),
                         [](const ::testing::TestParamInfo<ChangeCase>& info) { return std::string(info.param.name); });

TEST(WarmResolve, CostChangeUsesPrimalAndBoundChangeUsesDual) {
    // max 3x + 2y, x + y <= 4, x + 3y <= 6, 0 <= x <= 3.
    LpData lp = make_lp(kMax, {{-inf, 4}, {-inf, 6}}, {{3, 0, 3, {{0, 1}, {1, 1}}}, {2, 0, inf, {{0, 1}, {1, 3}}}});
    RevisedSimplex engine(lp);
    ASSERT_EQ(engine.solve().status, SolveStatus::optimal);
    engine.set_cost(1, 10);  // the optimum moves from (3, 1) to (0, 2)
    const LpSolution& after_cost = engine.solve();
    EXPECT_EQ(after_cost.iterations.dual_phase1 + after_cost.iterations.dual_phase2, 0);
    lp.cost[1] = 10;
    EXPECT_TRUE(is_certified_optimal(lp, after_cost));
    engine.set_row_bounds(0, -inf, 1);  // (0, 2) is cut off: the optimum is (0, 1)
    const LpSolution& after_bound = engine.solve();
    EXPECT_EQ(after_bound.iterations.primal, 0);
    EXPECT_GT(after_bound.iterations.dual_phase2, 0);
    lp.row_upper[0] = 1;
    EXPECT_TRUE(is_certified_optimal(lp, after_bound));
}

TEST(WarmStart, GivenOptimalBasisNeedsNoIterations) {
    std::mt19937 random(99);
    for (int k = 0; k < 10; ++k) {
        const LpData lp = testing::random_lp(random, 10, 14, true);
        RevisedSimplex first(lp);
        const LpSolution& s = first.solve();
        if (s.status != SolveStatus::optimal) continue;
        RevisedSimplex second(lp);
        second.set_basis(s.basis);
        const LpSolution& again = second.solve();
        ASSERT_EQ(again.status, SolveStatus::optimal);
        EXPECT_EQ(again.iterations.total(), 0);
        EXPECT_NEAR(again.objective, s.objective, 1e-9 * (1 + std::fabs(s.objective)));
    }
}

// The sensitivity calls against B' = [a_j or -e_i at each position] built
// here from the basis header.
TEST(Sensitivity, TableauAndSolvesAgreeWithTheBasisMatrix) {
    for (unsigned seed = 1; seed <= 20; ++seed) {
        std::mt19937 random(seed);
        const int rows = std::uniform_int_distribution<int>(2, 10)(random);
        const int cols = std::uniform_int_distribution<int>(2, 10)(random);
        const LpData lp = testing::random_lp(random, rows, cols, true);
        RevisedSimplex engine(lp);
        if (engine.solve().status != SolveStatus::optimal) continue;
        const std::vector<Variable> header = engine.basis_header();
        ASSERT_EQ(static_cast<int>(header.size()), rows);
        // Column of [A -I] for a variable.
        auto column_of = [&](Variable v) {
            std::vector<double> c(rows, 0.0);
            if (v.kind == Variable::Kind::row) {
                c[v.index] = -1.0;
            } else {
                for (int t = lp.start[v.index]; t < lp.start[v.index + 1]; ++t) c[lp.row_index[t]] += lp.value[t];
            }
            return c;
        };
        // B' times a vector by position.
        auto times_basis = [&](const std::vector<double>& by_position) {
            std::vector<double> out(rows, 0.0);
            for (int p = 0; p < rows; ++p) {
                const std::vector<double> c = column_of(header[p]);
                for (int i = 0; i < rows; ++i) out[i] += c[i] * by_position[p];
            }
            return out;
        };
        for (int p = 0; p < rows; ++p) EXPECT_EQ(engine.position_of(header[p]), p);
        std::vector<Variable> all;
        for (int j = 0; j < cols; ++j) all.push_back(Variable::column(j));
        for (int i = 0; i < rows; ++i) all.push_back(Variable::row(i));
        // Columns: B' T_k = column k.
        std::vector<std::vector<double>> columns;
        for (const Variable v : all) {
            const std::vector<double> t = engine.tableau_column(v);
            const std::vector<double> back = times_basis(t);
            const std::vector<double> expected = column_of(v);
            for (int i = 0; i < rows; ++i) EXPECT_NEAR(back[i], expected[i], 1e-9) << "seed " << seed;
            columns.push_back(t);
        }
        // Rows agree with the columns entry by entry.
        for (int p = 0; p < rows; ++p) {
            std::vector<double> col_entries, row_entries;
            engine.tableau_row(p, col_entries, row_entries);
            for (int j = 0; j < cols; ++j) EXPECT_NEAR(col_entries[j], columns[j][p], 1e-9) << "seed " << seed;
            for (int i = 0; i < rows; ++i) EXPECT_NEAR(row_entries[i], columns[cols + i][p], 1e-9) << "seed " << seed;
        }
        // Solves: B' x = b and B'^T y = c.
        std::vector<double> b(rows), x;
        for (int i = 0; i < rows; ++i) b[i] = i + 1.0;
        x = b;
        engine.solve_basis(x);
        const std::vector<double> bx = times_basis(x);
        for (int i = 0; i < rows; ++i) EXPECT_NEAR(bx[i], b[i], 1e-9);
        std::vector<double> y = b;
        engine.solve_basis_transpose(y);
        for (int p = 0; p < rows; ++p) {
            const std::vector<double> c = column_of(header[p]);
            double dot = 0;
            for (int i = 0; i < rows; ++i) dot += c[i] * y[i];
            EXPECT_NEAR(dot, b[p], 1e-9);
        }
    }
}

TEST(Limits, IterationLimitEndsTheSolve) {
    std::mt19937 random(5);
    const LpData lp = testing::random_lp(random, 30, 30, true, 0.4);
    Options options;
    options.iteration_limit = 1;
    RevisedSimplex engine(lp, options);
    const LpSolution& s = engine.solve();
    EXPECT_TRUE(s.status == SolveStatus::iteration_limit || s.iterations.total() <= 1) << to_string(s.status);
}

struct BadData {
    const char* name;
    void (*spoil)(LpData&);
};

class RejectsBadData : public ::testing::TestWithParam<BadData> {};

TEST_P(RejectsBadData, ThrowsInvalidArgument) {
    LpData lp = make_lp(kMin, {{0, 1}}, {{1, 0, 1, {{0, 1}}}});
    GetParam().spoil(lp);
    EXPECT_FALSE(lp.check().empty());
    EXPECT_THROW(RevisedSimplex engine(lp), std::invalid_argument);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, RejectsBadData,
    ::testing::Values(BadData{"lower_above_upper", [](LpData& lp) { lp.col_lower[0] = 2; }},
                      BadData{"row_lower_plus_infinity", [](LpData& lp) { lp.row_lower[0] = inf; lp.row_upper[0] = inf; }},
                      BadData{"nan_bound", [](LpData& lp) { lp.col_upper[0] = std::nan(""); }},
                      BadData{"row_index_out_of_range", [](LpData& lp) { lp.row_index[0] = 1; }},
                      BadData{"infinite_cost", [](LpData& lp) { lp.cost[0] = inf; }},
                      BadData{"start_size", [](LpData& lp) { lp.start.push_back(1); }}),
    [](const ::testing::TestParamInfo<BadData>& info) { return std::string(info.param.name); });

TEST(Scaling, FactorsArePowersOfTwoAndEvenOutEntries) {
    const LpData lp = make_lp(kMin, {{1, inf}, {1, inf}}, {{1, 0, inf, {{0, 1e-6}, {1, 3e4}}}, {1, 0, inf, {{0, 5e5}, {1, 2}}}});
    const Scaling s = compute_scaling(lp);
    int exponent = 0;
    for (double f : s.row_scale) EXPECT_EQ(std::frexp(f, &exponent), 0.5) << f;
    for (double f : s.col_scale) EXPECT_EQ(std::frexp(f, &exponent), 0.5) << f;
    double small = inf, big = 0;
    for (int j = 0; j < lp.cols; ++j)
        for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) {
            const double v = std::fabs(lp.value[t]) * s.row_scale[lp.row_index[t]] * s.col_scale[j];
            small = std::min(small, v);
            big = std::max(big, v);
        }
    EXPECT_LT(big / small, 1e11 / 16);  // the spread 5e11 shrinks
}

}  // namespace
}  // namespace lpsens::revised
