// What the revised core tells its observer while it solves, and where its
// limits stop it: every iteration as it happens, the figures of the current
// basis when asked, the log; the iteration limit and the deadline looked at
// before every iteration and only when one is needed.
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "revised/revised_simplex.h"
#include "revised_test_support.h"

namespace lpsens::revised {
namespace {

using testing::inf;
using testing::make_lp;

// Records everything it is told; asks for the figures after every iteration.
class Recorder final : public SolveObserver {
public:
    bool iterated(IterationKind kind) override {
        kinds.push_back(kind);
        return true;
    }
    void status(const IterationStatus& s) override {
        // The figures come at once: they count the iterations told so far.
        if (s.iterations != static_cast<std::int64_t>(kinds.size())) out_of_step = true;
        statuses.push_back(s);
    }
    void log(const std::string& line) override { lines.push_back(line); }

    long count(IterationKind kind) const {
        long n = 0;
        for (IterationKind k : kinds) n += k == kind;
        return n;
    }
    void clear() {
        kinds.clear();
        statuses.clear();
    }

    std::vector<IterationKind> kinds;
    std::vector<IterationStatus> statuses;
    std::vector<std::string> lines;
    bool out_of_step = false;
};

// max 3 x + 2 y, x + y <= 4, x + 3 y <= 6: optimum 12 at (4, 0).
LpData sample() {
    return make_lp(Sense::maximise, {{-inf, 4}, {-inf, 6}}, {{3, 0, inf, {{0, 1}, {1, 1}}}, {2, 0, inf, {{0, 1}, {1, 3}}}});
}

TEST(Observer, EveryIterationIsToldAsItHappens) {
    // Cold solves, then warm ones after a cost change (primal simplex) and
    // after a bound change (dual simplex), on random LPs of several shapes.
    for (unsigned seed = 1; seed <= 12; ++seed) {
        std::mt19937 random(seed);
        const int rows = 5 + static_cast<int>(seed) * 3;
        const LpData lp = testing::random_lp(random, rows, rows + 4, seed % 2 == 0, 0.4);
        RevisedSimplex engine(lp);
        Recorder recorder;
        engine.set_observer(&recorder);
        for (int solve = 0; solve < 3; ++solve) {
            if (solve == 1) engine.set_cost(0, lp.cost[0] + 1.5);
            if (solve == 2) engine.set_row_bounds(0, lp.row_lower[0], lp.row_upper[0] + 0.5);
            recorder.clear();
            const LpSolution& s = engine.solve();
            const std::string label = "seed " + std::to_string(seed) + ", solve " + std::to_string(solve);
            EXPECT_EQ(recorder.count(IterationKind::dual_phase1), s.iterations.dual_phase1) << label;
            EXPECT_EQ(recorder.count(IterationKind::dual), s.iterations.dual_phase2) << label;
            EXPECT_EQ(recorder.count(IterationKind::primal), s.iterations.primal) << label;
            EXPECT_EQ(recorder.statuses.size(), recorder.kinds.size()) << label;
        }
        EXPECT_FALSE(recorder.out_of_step) << "seed " << seed;
    }
}

TEST(Observer, FiguresDescribeTheCurrentBasis) {
    Options options;
    options.perturb_costs = false;
    RevisedSimplex engine(sample(), options);
    Recorder recorder;
    engine.set_observer(&recorder);
    const LpSolution& s = engine.solve();
    ASSERT_EQ(s.status, SolveStatus::optimal);
    ASSERT_FALSE(recorder.statuses.empty());
    // The slack basis is feasible: the primal simplex raises the objective
    // at every iteration, and its last one reaches the optimum.
    double last = 0;
    for (const IterationStatus& status : recorder.statuses) {
        EXPECT_EQ(status.kind, IterationKind::primal);
        EXPECT_GE(status.objective, last);
        EXPECT_EQ(status.primal_infeasibility, 0);
        last = status.objective;
    }
    EXPECT_DOUBLE_EQ(recorder.statuses.back().objective, 12);
}

TEST(Observer, TheLogGoesToTheObserver) {
    std::mt19937 random(3);
    Options options;
    options.log_level = 1;
    RevisedSimplex engine(testing::random_lp(random, 20, 20, false, 0.4), options);
    Recorder recorder;
    engine.set_observer(&recorder);
    engine.solve();
    ASSERT_FALSE(recorder.lines.empty());
    // The last line sums the solve up.
    EXPECT_NE(recorder.lines.back().find("iterations"), std::string::npos) << recorder.lines.back();
    for (const std::string& line : recorder.lines) EXPECT_EQ(line.find('\n'), std::string::npos) << line;
}

TEST(Limits, IterationLimitStopsOnlyWhereAnotherIterationIsNeeded) {
    for (unsigned seed = 1; seed <= 8; ++seed) {
        std::mt19937 random(seed);
        const LpData lp = testing::random_lp(random, 25, 30, true, 0.4);
        const std::int64_t needed = RevisedSimplex(lp).solve().iterations.total();
        ASSERT_GT(needed, 1) << "seed " << seed;
        for (const std::int64_t limit : {needed - 1, needed}) {
            Options options;
            options.iteration_limit = limit;
            RevisedSimplex engine(lp, options);
            const LpSolution& s = engine.solve();
            const std::string label = "seed " + std::to_string(seed) + ", limit " + std::to_string(limit);
            if (limit < needed) {
                EXPECT_EQ(s.status, SolveStatus::iteration_limit) << label;
                EXPECT_EQ(s.iterations.total(), limit) << label;
            } else {
                EXPECT_NE(s.status, SolveStatus::iteration_limit) << label;
                EXPECT_EQ(s.iterations.total(), needed) << label;
            }
        }
    }
}

TEST(Limits, APastDeadlineStopsBeforeTheFirstIteration) {
    Options options;
    options.deadline = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    {
        RevisedSimplex engine(sample(), options);
        const LpSolution& s = engine.solve();
        EXPECT_EQ(s.status, SolveStatus::time_limit);
        EXPECT_EQ(s.iterations.total(), 0);
        // The warm re-solve after a change stops the same way.
        engine.set_cost(1, 20);
        EXPECT_EQ(engine.solve().status, SolveStatus::time_limit);
    }
    // A problem whose first basis is optimal needs no iteration: its verdict
    // stands whatever the time.
    RevisedSimplex engine(make_lp(Sense::minimise, {{-inf, 4}}, {{1, 0, inf, {{0, 1}}}}), options);
    EXPECT_EQ(engine.solve().status, SolveStatus::optimal);
}

TEST(Limits, AFutureDeadlineLetsTheSolveEnd) {
    std::mt19937 random(9);
    Options options;
    options.deadline = std::chrono::steady_clock::now() + std::chrono::hours(1);
    RevisedSimplex engine(testing::random_lp(random, 30, 30, true, 0.4), options);
    const SolveStatus status = engine.solve().status;
    EXPECT_TRUE(status == SolveStatus::optimal || status == SolveStatus::infeasible ||
                status == SolveStatus::unbounded)
        << to_string(status);
}

}  // namespace
}  // namespace lpsens::revised
