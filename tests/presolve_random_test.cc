// Random LPs with planted structure for every reduction (empty rows and
// columns, fixed columns, row singletons, doubleton equations, forcing and
// redundant rows, free column singletons, duplicate rows and columns),
// judged by solving each with and without presolve: the same optimum, and
// the basis postsolve gives is optimal for the LP after the core's clean-up.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "presolve/presolve.h"
#include "revised/revised_simplex.h"
#include "revised_test_support.h"

namespace lpsens::revised::testing {
namespace {

// Builds an LP around a known feasible point x*, row by row.
class PlantedLp {
public:
    PlantedLp(std::mt19937& random, int cols) : random_(random) {
        for (int j = 0; j < cols; ++j) add_col(-3 + pick(4), 3 + pick(8));
    }

    int add_col(double lower, double upper) {
        cols_.push_back({static_cast<double>(pick(11)) - 5, lower, upper, {}});
        const double width = std::min(upper, 10.0) - std::max(lower, -10.0);
        x_.push_back(std::max(lower, -10.0) + width * static_cast<double>(pick(5)) / 4);
        return static_cast<int>(cols_.size()) - 1;
    }
    // A row of the given entries: an equality, a range, one side or a row
    // whose side cannot bind, around its activity at x*.
    void add_row(const std::vector<std::pair<int, double>>& entries, int kind) {
        double activity = 0;
        for (const auto& [j, a] : entries) activity += a * x_[j];
        const double gap = 1 + pick(3);
        RowSpec row{activity, activity};
        if (kind == 1) row = {activity - gap, activity + gap};
        if (kind == 2) row = {activity - gap, inf};
        if (kind == 3) row = {-inf, activity + gap};
        if (kind == 4) row = {-inf, 1e4};  // redundant over the boxes below 10^3
        const int i = static_cast<int>(rows_.size());
        rows_.push_back(row);
        for (const auto& [j, a] : entries) cols_[j].entries.push_back({i, a});
    }
    // A row all of whose columns sit at x* on the bound that meets its
    // upper side.
    void add_forcing_row(const std::vector<int>& cols) {
        std::vector<std::pair<int, double>> entries;
        double side = 0;
        for (int j : cols) {
            const double a = pick(2) == 0 ? 1.0 : -2.0;
            x_[j] = a > 0 ? cols_[j].lower : cols_[j].upper;
            side += a * x_[j];
            entries.push_back({j, a});
        }
        const int i = static_cast<int>(rows_.size());
        rows_.push_back({-inf, side});
        for (const auto& [j, a] : entries) cols_[j].entries.push_back({i, a});
    }
    std::vector<std::pair<int, double>> random_entries(int count) {
        std::vector<std::pair<int, double>> entries;
        while (static_cast<int>(entries.size()) < count) {
            const int j = pick(static_cast<int>(cols_.size()));
            if (std::any_of(entries.begin(), entries.end(), [&](const auto& e) { return e.first == j; })) continue;
            entries.push_back({j, static_cast<double>(pick(9)) - 4 + 0.5});
        }
        return entries;
    }
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    LpData lp(Sense sense) const { return make_lp(sense, rows_, cols_); }

    std::vector<ColSpec> cols_;
    std::vector<RowSpec> rows_;

private:
    std::mt19937& random_;
    std::vector<double> x_;
};

LpData planted_lp(std::uint32_t seed) {
    std::mt19937 random(seed);
    const int n = 12 + static_cast<int>(seed % 12);
    PlantedLp p(random, n);
    const int dense = n / 2;
    for (int r = 0; r < dense; ++r) p.add_row(p.random_entries(2 + p.pick(4)), p.pick(4));
    // Empty row and column, fixed column.
    p.rows_.push_back({-1.0 * p.pick(2), 1.0 * p.pick(2)});
    p.add_col(-1, 4);
    const int fixed = p.add_col(2, 2);
    p.add_row({{fixed, 1.5}, {p.pick(n), 1}}, 2);
    // Row singletons, doubleton equations, a redundant row.
    for (int k = 0; k < 2; ++k) p.add_row(p.random_entries(1), 1 + p.pick(3));
    for (int k = 0; k < 2; ++k) p.add_row(p.random_entries(2), 0);
    p.add_row(p.random_entries(3), 4);
    // A forcing row over two fresh columns that also enter a dense row.
    const int f1 = p.add_col(0, 5), f2 = p.add_col(-1, 3);
    p.add_forcing_row({f1, f2});
    p.add_row({{f1, 1}, {f2, 2}, {p.pick(n), 1}}, 2);
    // A free and an implied free column singleton, each in an equality.
    const int free = p.add_col(-inf, inf);
    auto entries = p.random_entries(2);
    entries.push_back({free, 2});
    p.add_row(entries, 0);
    const int implied = p.add_col(-1e3, 1e3);
    entries = p.random_entries(2);
    entries.push_back({implied, -1});
    p.add_row(entries, 0);
    // A duplicate row (scaled) and a duplicate column (another cost).
    const int copy_of = p.pick(dense);
    std::vector<std::pair<int, double>> copy;
    for (const ColSpec& c : p.cols_)
        for (const auto& [i, a] : c.entries)
            if (i == copy_of) copy.push_back({static_cast<int>(&c - p.cols_.data()), 2 * a});
    p.add_row(copy, 3);
    ColSpec twin = p.cols_[static_cast<std::size_t>(p.pick(n))];
    p.cols_.push_back(twin);
    twin.cost += 1;
    p.cols_.push_back(twin);
    return p.lp(seed % 3 == 0 ? Sense::maximise : Sense::minimise);
}

struct Outcome {
    SolveStatus status = SolveStatus::not_solved;
    double objective = 0;
    std::int64_t iterations = 0;  // of the LP's own solve
    bool warm = false;            // from the postsolved basis
};

Outcome solve_presolved(const LpData& lp) {
    const presolve::Presolved p = presolve::presolve(lp);
    RevisedSimplex engine(lp);
    bool warm = false;
    // As the accurate engine: an empty reduced LP is no start.
    if (p.outcome == presolve::Outcome::reduced && p.reduced.rows > 0 && p.reduced.cols > 0) {
        RevisedSimplex reduced(p.reduced);
        const LpSolution& r = reduced.solve();
        if (r.status == SolveStatus::optimal) {
            engine.set_basis(presolve::postsolve(lp, p, r).basis);
            warm = true;
        }
    }
    const LpSolution& s = engine.solve();
    return {s.status, s.objective, s.iterations.total(), warm};
}

TEST(PresolveRandom, SameOptimumAndAnOptimalBasisAfterTheCleanUp) {
    int optimal = 0, reduced = 0, warm = 0;
    std::int64_t cleanup = 0, most = 0;
    presolve::Counts made;
    for (std::uint32_t seed = 1; seed <= 300; ++seed) {
        const LpData lp = planted_lp(seed);
        RevisedSimplex plain(lp);
        const LpSolution& s = plain.solve();
        const Outcome o = solve_presolved(lp);
        ASSERT_EQ(o.status, s.status) << "seed " << seed << "\n" << describe(lp);
        if (s.status != SolveStatus::optimal) continue;
        ++optimal;
        EXPECT_NEAR(o.objective, s.objective, 1e-9 * std::max(1.0, std::fabs(s.objective))) << "seed " << seed;
        EXPECT_TRUE(is_certified_optimal(lp, plain.solution())) << "seed " << seed;
        const presolve::Presolved p = presolve::presolve(lp);
        if (p.outcome != presolve::Outcome::reduced) continue;
        ++reduced;
        for (int presolve::Counts::*count :
             {&presolve::Counts::empty_rows, &presolve::Counts::redundant_rows, &presolve::Counts::row_singletons,
              &presolve::Counts::forcing_rows, &presolve::Counts::empty_cols, &presolve::Counts::fixed_cols,
              &presolve::Counts::dominated_cols, &presolve::Counts::doubletons, &presolve::Counts::free_singletons,
              &presolve::Counts::duplicate_rows, &presolve::Counts::duplicate_cols})
            made.*count += p.counts.*count;
        if (!o.warm) continue;
        ++warm;
        cleanup += o.iterations;
        most = std::max(most, o.iterations);
    }
    RecordProperty("optimal", optimal);
    RecordProperty("warm", warm);
    RecordProperty("cleanup_iterations", static_cast<int>(cleanup));
    // The plants keep most problems feasible and bounded, and every one of
    // those presolves.
    EXPECT_GE(optimal, 200);
    EXPECT_EQ(reduced, optimal);
    // Every reduction had its turn.
    EXPECT_GT(made.empty_rows, 0);
    EXPECT_GT(made.redundant_rows, 0);
    EXPECT_GT(made.row_singletons, 0);
    EXPECT_GT(made.forcing_rows, 0);
    EXPECT_GT(made.empty_cols, 0);
    EXPECT_GT(made.fixed_cols, 0);
    EXPECT_GT(made.dominated_cols, 0);
    EXPECT_GT(made.doubletons, 0);
    EXPECT_GT(made.free_singletons, 0);
    EXPECT_GT(made.duplicate_rows, 0);
    EXPECT_GT(made.duplicate_cols, 0);
    // The postsolved basis is optimal or nearly: few clean-up iterations.
    EXPECT_GE(warm, optimal / 2);
    EXPECT_LE(cleanup, warm / 20) << "most " << most;
}

}  // namespace
}  // namespace lpsens::revised::testing
