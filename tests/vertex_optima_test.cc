// Both engines, run whole on small random problems, against the best
// vertex found by enumerating every vertex.
#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "driver/options.h"
#include "run_support.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::lines;

// An independent reference for small problems: every vertex of the feasible
// region (N active constraints among the rows and x >= 0), the best one wins.
struct SmallProblem {
    int m, n;
    std::vector<int> kind;              // 0 <=, 1 =, 2 >=
    std::vector<std::vector<int>> a;    // m rows of n
    std::vector<int> b, c;
};

std::optional<long double> best_vertex(const SmallProblem& p) {
    // The rows (= gives both sides), then x >= 0.
    testing::Polyhedron region;
    region.n = p.n;
    for (int i = 0; i < p.m; ++i) {
        const std::vector<long double> row(p.a[i].begin(), p.a[i].end());
        region.add_range(row, p.kind[i] == 0 ? -HUGE_VALL : p.b[i], p.kind[i] == 2 ? HUGE_VALL : p.b[i]);
    }
    for (int j = 0; j < p.n; ++j) {
        std::vector<long double> unit(static_cast<std::size_t>(p.n), 0);
        unit[static_cast<std::size_t>(j)] = 1;
        region.add_range(unit, 0, HUGE_VALL);
    }
    return testing::best_vertex(region, std::vector<long double>(p.c.begin(), p.c.end()));
}

std::string text_of(const SmallProblem& p) {
    std::vector<std::string> t = {"Small"};
    std::vector<std::string> eq, ge;
    for (int i = 0; i < p.m; ++i) {
        if (p.kind[i] == 1) eq.push_back(std::to_string(i + 1));
        if (p.kind[i] == 2) ge.push_back(std::to_string(i + 1));
    }
    testing::add_dimensions(t, p.m, p.n, eq, ge);
    for (int j = 0; j < p.n; ++j) t.push_back("x" + std::to_string(j + 1));
    for (int i = 0; i < p.m; ++i) t.push_back("r" + std::to_string(i + 1));
    t.push_back("0");
    for (int j = 0; j < p.n; ++j) t.push_back(std::to_string(p.c[j]));
    for (int i = 0; i < p.m; ++i) {
        t.push_back(std::to_string(p.b[i]));
        for (int j = 0; j < p.n; ++j) t.push_back(std::to_string(p.a[i][j]));
    }
    return lines(t);
}

// Both engines against vertex enumeration.  The accurate one also gets
// negative right-hand sides, which it makes feasible, and must pass its
// checks (exit 0 under --strict).
void expect_vertex_optima(bool accurate, int lowest_rhs, unsigned seed) {
    std::mt19937 rng(seed);
    RunOptions options;
    options.accurate = accurate;
    options.strict = accurate;
    int infeasible = 0, solved = 0;
    for (int trial = 0; trial < 600; ++trial) {
        SmallProblem p;
        p.n = 1 + static_cast<int>(rng() % 3);
        p.m = 1 + static_cast<int>(rng() % 4);
        for (int i = 0; i < p.m; ++i) {
            const unsigned u = rng() % 10;
            p.kind.push_back(u < 6 ? 0 : (u < 8 ? 1 : 2));
            std::vector<int> row;
            for (int j = 0; j < p.n; ++j) row.push_back(static_cast<int>(rng() % 11) - 3);
            p.a.push_back(row);
            p.b.push_back(lowest_rhs + static_cast<int>(rng() % static_cast<unsigned>(21 - lowest_rhs)));
        }
        // A box keeps every problem bounded.
        p.kind.push_back(0);
        p.a.push_back(std::vector<int>(static_cast<std::size_t>(p.n), 1));
        p.b.push_back(50);
        ++p.m;
        for (int j = 0; j < p.n; ++j) p.c.push_back(static_cast<int>(rng() % 11) - 4);

        const auto expected = best_vertex(p);
        const auto result = testing::run_text(text_of(p), options);
        ASSERT_EQ(result.exit_code, 0) << text_of(p) << result.console;
        if (!expected) {
            EXPECT_EQ(result.out, "No feasible solution\r\n") << text_of(p);
            ++infeasible;
            continue;
        }
        const auto at = result.out.find("Optimal value : ,");
        ASSERT_NE(at, std::string::npos) << text_of(p) << result.out;
        const long double value = std::strtold(result.out.c_str() + at + 17, nullptr);
        EXPECT_NEAR(static_cast<double>(value), static_cast<double>(*expected), 0.0015) << text_of(p);
        ++solved;
    }
    EXPECT_GT(infeasible, 20);
    EXPECT_GT(solved, 300);
}

TEST(Simplex, OptimumMatchesVertexEnumerationOnSmallProblems) { expect_vertex_optima(false, 0, 31337); }

TEST(Accurate, OptimumMatchesVertexEnumerationOnSmallProblems) {
    expect_vertex_optima(true, 0, 31337);
    expect_vertex_optima(true, -5, 4711);
}

}  // namespace
}  // namespace lpsens
