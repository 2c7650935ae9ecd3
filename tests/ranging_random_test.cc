// Ranging on many small generated problems, judged by re-solving just inside
// every printed limit (ranging_judge.h): lpsens's own problems with equality
// and >= rows, whose final bases often keep an artificial variable basic at
// zero, and imported models with free, fixed, bounded and mirrored columns
// and ranged rows.  Both engines, the CSV ranging and the one in the model's
// own terms.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "ranging_judge.h"

namespace lpsens {
namespace {

using testing::JudgeOptions;
using testing::Verdicts;

// A wider survey than the test's own: LPSENS_RANDOM_TRIALS problems of each
// kind (1500 by default), LPSENS_RANDOM_SCALE times as many rows and columns.
int from_environment(const char* name, int otherwise) {
    const char* text = std::getenv(name);
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : otherwise;
}
// Fewer by default where the build checks every access (the sanitizer
// build), which runs them many times slower.
#ifdef NDEBUG
constexpr int default_trials = 1500;
#else
constexpr int default_trials = 300;
#endif
int trials() { return from_environment("LPSENS_RANDOM_TRIALS", default_trials); }
// A count expected of the default 1500 trials, for the trials run.
int share(int of_1500) { return of_1500 * trials() / 1500; }
int scale() { return from_environment("LPSENS_RANDOM_SCALE", 1); }

// Small integers with many zeros and ties, so that degenerate vertices and
// artificial variables basic at zero are common.
int small(std::mt19937& rng, int low, int high) {
    return low + static_cast<int>(rng() % static_cast<unsigned>(high - low + 1));
}

// lpsens's own problem: maximise, x >= 0, rows <=, = (the first list) and
// >= (the second), some right-hand sides negative.
Problem own_problem(std::mt19937& rng) {
    Problem p;
    p.native = true;
    p.maximise = true;
    p.title = "Random";
    const int n = small(rng, 1, 4 * scale()), m = small(rng, 1, 5 * scale());
    for (int j = 0; j < n; ++j) p.columns.push_back({"x" + std::to_string(j + 1), static_cast<Extended>(small(rng, -4, 6))});
    for (int i = 0; i < m; ++i) {
        ProblemRow row;
        row.name = "r" + std::to_string(i + 1);
        const int kind = small(rng, 0, 3);
        row.type = kind == 0 || kind == 1 ? 'L' : kind == 2 ? 'E' : 'G';
        row.rhs = row.type == 'L' ? small(rng, -2, 12) : row.type == 'E' ? small(rng, 0, 8) : small(rng, -3, 6);
        if (row.type == 'E') p.equality_list.push_back(i + 1);
        if (row.type == 'G') p.greater_list.push_back(i + 1);
        p.rows.push_back(row);
    }
    // Most problems get a last row that bounds every variable.
    const bool capped = rng() % 4 != 0;
    if (capped) p.rows.push_back({"cap", 'L', static_cast<Extended>(small(rng, 4, 20))});
    for (int j = 0; j < n; ++j) {
        std::vector<std::pair<int, Extended>> column;
        for (int i = 0; i < m; ++i) {
            const int a = small(rng, -2, 5);
            if (a != 0 && rng() % 3 != 0) column.push_back({i, static_cast<Extended>(a)});
        }
        if (capped) column.push_back({m, static_cast<Extended>(small(rng, 1, 3))});
        p.matrix.add_column(column);
    }
    return p;
}

// An imported model: either sense, rows of every type and some ranged,
// columns free, fixed, bounded on one or both sides, and a box of ranged
// rows so that most are bounded.
Problem imported_model(std::mt19937& rng) {
    Problem p;
    p.maximise = rng() % 2 == 0;
    p.title = "Random";
    const int n = small(rng, 1, 4 * scale()), m = small(rng, 1, 4 * scale());
    for (int j = 0; j < n; ++j) {
        ProblemColumn c{"x" + std::to_string(j + 1), static_cast<Extended>(small(rng, -4, 5))};
        const int l = small(rng, -3, 3), u = l + small(rng, 0, 5);
        switch (rng() % 7) {
            case 0: break;
            case 1: c.upper = u < 1 ? 1 : u; break;
            case 2: c.lower = l; break;
            case 3: c.lower = c.upper = l; break;
            case 4: c.lower = -model_infinity; break;
            case 5: c.lower = -model_infinity; c.upper = l; break;
            default: c.lower = l; c.upper = u; break;
        }
        p.columns.push_back(c);
    }
    std::vector<std::vector<std::pair<int, Extended>>> columns(static_cast<std::size_t>(n));
    for (int i = 0; i < m; ++i) {
        ProblemRow row{"r" + std::to_string(i + 1), "LGE"[rng() % 3], static_cast<Extended>(small(rng, -6, 10))};
        if (rng() % 4 == 0) {
            row.ranged = true;
            row.range = small(rng, -3, 4);
        }
        p.rows.push_back(row);
        for (int j = 0; j < n; ++j) {
            const int a = small(rng, -3, 4);
            if (a != 0 && rng() % 4 != 0) columns[static_cast<std::size_t>(j)].push_back({i, static_cast<Extended>(a)});
        }
    }
    if (rng() % 4 != 0) {
        // -20 <= sum x <= 20.
        p.rows.push_back({"box", 'L', 20, true, 40});
        for (auto& column : columns) column.push_back({m, 1});
    }
    for (const auto& column : columns) p.matrix.add_column(column);
    return p;
}

// The verdicts of every limit of a problem in its four views: the CSV of
// the documented form and the model's terms, each by both engines; for an
// imported model also the model's terms from a solve that starts presolved.
struct FourViews {
    Verdicts classic_csv, accurate_csv, classic_model, accurate_model, accurate_presolved;

    void judge(const Problem& p, const DocumentedForm& form, const std::string& name) {
        classic_csv.add(testing::judge_form_ranging(form, {false, 1, name}));
        accurate_csv.add(testing::judge_form_ranging(form, {true, 1, name}));
        classic_model.add(testing::judge_model_ranging(p, {false, 1, name}));
        accurate_model.add(testing::judge_model_ranging(p, {true, 1, name}));
        if (!p.native) accurate_presolved.add(testing::judge_model_ranging(p, {true, 1, name + " presolved", true}));
    }
    void expect(int least_problems) const {
        for (const auto& [what, v] : {std::pair<const char*, const Verdicts&>{"classic CSV", classic_csv},
                                      {"accurate CSV", accurate_csv},
                                      {"classic, model's terms", classic_model},
                                      {"accurate, model's terms", accurate_model}}) {
            EXPECT_GT(v.problems, least_problems) << what;
            EXPECT_EQ(v.wrong, 0) << what << ": " << v.summary();
            std::printf("%s: %s\n", what, v.summary().c_str());
        }
        EXPECT_EQ(accurate_presolved.wrong, 0) << accurate_presolved.summary();
    }
};

TEST(RangingRandom, OwnProblemsEveryLimitHoldsInBothEnginesAndBothViews) {
    std::mt19937 rng(2207);
    FourViews views;
    for (int trial = 0; trial < trials(); ++trial) {
        const Problem p = own_problem(rng);
        views.judge(p, native_form(p), "own problem " + std::to_string(trial));
    }
    views.expect(share(550));
}

TEST(RangingRandom, ImportedModelsEveryLimitHoldsInBothEnginesAndBothViews) {
    std::mt19937 rng(1022);
    FourViews views;
    for (int trial = 0; trial < trials(); ++trial) {
        const Problem p = imported_model(rng);
        std::vector<std::string> said;
        views.judge(p, convert_model(p, said).form, "model " + std::to_string(trial));
    }
    views.expect(share(400));
    EXPECT_GT(views.accurate_presolved.problems, share(400));
    std::printf("accurate, model's terms, presolved: %s\n", views.accurate_presolved.summary().c_str());
}

// Sweeps of a free column's cost in the model's terms: the free column is
// one column, whose value crossing zero is no breakpoint and whose
// breakpoints are all recorded.
TEST(RangingRandom, SweepsOfAFreeColumnsCostMissNoBreakpoint) {
    std::mt19937 rng(3);
    Verdicts classic, accurate;
    for (int trial = 0; trial < trials(); ++trial) {
        Problem p = imported_model(rng);
        const int j = small(rng, 0, p.column_count() - 1);
        p.columns[static_cast<std::size_t>(j)].lower = -model_infinity;
        p.columns[static_cast<std::size_t>(j)].upper = model_infinity;
        const Extended start = p.columns[static_cast<std::size_t>(j)].cost;
        const Extended end = start + (rng() % 2 ? 8 : -8);
        const std::string name = "model " + std::to_string(trial) + " swept";
        classic.add(testing::judge_cost_sweep(p, j, start, end, {false, 1, name}));
        accurate.add(testing::judge_cost_sweep(p, j, start, end, {true, 1, name}));
    }
    for (const auto& [what, v] :
         {std::pair<const char*, const Verdicts&>{"classic", classic}, {"accurate", accurate}}) {
        EXPECT_GT(v.problems, share(500)) << what;
        EXPECT_EQ(v.wrong, 0) << what << ": " << v.summary();
        std::printf("%s: %s\n", what, v.summary().c_str());
    }
}

}  // namespace
}  // namespace lpsens
