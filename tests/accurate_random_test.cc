// The accurate engine on many small random problems, judged by an
// independent method: the best vertex of the feasible region, found by
// enumerating every choice of active constraints.  Every run must also pass
// its own checks (exit 0 under --strict): optima, "No feasible solution"
// with its certificate and "Unbounded solution" with its ray.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "run_support.h"
#include "test_support.h"

namespace lpsens {
namespace {

constexpr long double infinite = HUGE_VALL;
using testing::Polyhedron;
using testing::best_vertex;

double printed_optimum(const std::string& out) {
    const auto at = out.find("Optimal value : ,");
    if (at == std::string::npos) return NAN;
    return std::strtod(out.c_str() + at + 17, nullptr);
}

// An MPS line in the fixed columns: type, two names, a value.
std::string card(const std::string& type, const std::string& a, const std::string& b = "", const std::string& v = "") {
    char line[96];
    std::snprintf(line, sizeof line, " %-2s %-8s  %-8s  %12s", type.c_str(), a.c_str(), b.c_str(), v.c_str());
    std::string s(line);
    while (!s.empty() && s.back() == ' ') s.pop_back();
    return s + "\n";
}

// Models with every kind of row, range and bound the conversion knows: the
// accurate engine solves them as they are and reports them through the
// conversion.  A box of ranged rows (-50 <= x_j <= 50) keeps every one
// bounded, so the best vertex is the optimum.
TEST(AccurateRandom, ImportedModelsWithBoundsAndRangesReachTheBestVertex) {
    std::mt19937 rng(2026);
    int feasible = 0, infeasible = 0;
    for (int trial = 0; trial < 500; ++trial) {
        const int n = 1 + static_cast<int>(rng() % 3);
        const int m = 1 + static_cast<int>(rng() % 3);
        Polyhedron poly;
        poly.n = n;
        std::string rows = "ROWS\n N  obj\n", columns = "COLUMNS\n", rhs = "RHS\n", ranges = "RANGES\n",
                    bounds = "BOUNDS\n";
        std::vector<std::vector<int>> a(static_cast<std::size_t>(m + n), std::vector<int>(static_cast<std::size_t>(n), 0));
        std::vector<long double> cost(static_cast<std::size_t>(n));
        for (int i = 0; i < m; ++i) {
            const char type = "LGE"[rng() % 3];
            const std::string name = "r" + std::to_string(i + 1);
            rows += std::string(" ") + type + "  " + name + "\n";
            std::vector<long double> coefficients;
            for (int j = 0; j < n; ++j) {
                a[i][j] = static_cast<int>(rng() % 9) - 3;
                coefficients.push_back(a[i][j]);
            }
            const long double b = static_cast<int>(rng() % 21) - 8;
            rhs += card("", "RHS", name, std::to_string(static_cast<int>(b)));
            long double lower = type == 'L' ? -infinite : b, upper = type == 'G' ? infinite : b;
            if (rng() % 3 == 0) {
                const int range = static_cast<int>(rng() % 9) - 4;
                ranges += card("", "RNG", name, std::to_string(range));
                const long double size = std::fabs(static_cast<long double>(range));
                if (type == 'L') lower = b - size;
                else if (type == 'G') upper = b + size;
                else if (range > 0) upper = b + range;
                else lower = b + range;
            }
            poly.add_range(coefficients, lower, upper);
        }
        for (int j = 0; j < n; ++j) {
            const std::string box = "box" + std::to_string(j + 1);
            rows += " E  " + box + "\n";
            a[static_cast<std::size_t>(m + j)][static_cast<std::size_t>(j)] = 1;
            rhs += card("", "RHS", box, "-50");
            ranges += card("", "RNG", box, "100");
            std::vector<long double> unit(static_cast<std::size_t>(n), 0);
            unit[static_cast<std::size_t>(j)] = 1;
            poly.add_range(unit, -50, 50);
        }
        for (int j = 0; j < n; ++j) {
            const std::string x = "x" + std::to_string(j + 1);
            cost[static_cast<std::size_t>(j)] = static_cast<int>(rng() % 11) - 5;
            columns += card("", x, "obj", std::to_string(static_cast<int>(cost[static_cast<std::size_t>(j)])));
            for (int i = 0; i < m + n; ++i)
                if (a[i][j] != 0)
                    columns += card("", x, i < m ? "r" + std::to_string(i + 1) : "box" + std::to_string(i - m + 1),
                                    std::to_string(a[i][j]));
            long double lower = 0, upper = infinite;
            const int l = static_cast<int>(rng() % 7) - 3, u = l + static_cast<int>(rng() % 6);
            switch (rng() % 7) {
                case 0: break;
                case 1: bounds += card("UP", "BND", x, std::to_string(u < 1 ? 1 : u)); upper = u < 1 ? 1 : u; break;
                case 2: bounds += card("LO", "BND", x, std::to_string(l)); lower = l; break;
                case 3: bounds += card("FX", "BND", x, std::to_string(l)); lower = upper = l; break;
                case 4: bounds += card("FR", "BND", x); lower = -infinite; break;
                case 5: bounds += card("MI", "BND", x); bounds += card("UP", "BND", x, std::to_string(l)); lower = -infinite; upper = l; break;
                default:
                    bounds += card("LO", "BND", x, std::to_string(l));
                    bounds += card("UP", "BND", x, std::to_string(u));
                    lower = l;
                    upper = u;
                    break;
            }
            std::vector<long double> unit(static_cast<std::size_t>(n), 0);
            unit[static_cast<std::size_t>(j)] = 1;
            poly.add_range(unit, lower, upper);
        }
        const std::string model = "NAME          RANDOM\n" + rows + columns + rhs + ranges + bounds + "ENDATA\n";
        // MPS minimises: the report shows the maximum of minus the objective.
        for (long double& c : cost) c = -c;
        const auto expected = best_vertex(poly, cost);

        RunOptions options;
        options.format = "mps";
        options.strict = true;
        const auto result = testing::run_text(model, options);
        ASSERT_EQ(result.exit_code, 0) << model << result.out << result.console;
        if (!expected) {
            EXPECT_EQ(result.out, "No feasible solution\r\n") << model;
            ++infeasible;
            continue;
        }
        EXPECT_NEAR(printed_optimum(result.out), static_cast<double>(*expected), 0.0015) << model << result.out;
        ++feasible;
    }
    EXPECT_GT(feasible, 150);
    EXPECT_GT(infeasible, 50);
}

// lpsens's own format, unboxed: optima, infeasible and unbounded problems,
// negative right-hand sides.  An optimum is the best vertex; "No feasible
// solution" means there is no vertex; "Unbounded solution" needs a feasible
// point (x >= 0 makes every nonempty region have a vertex).
TEST(AccurateRandom, SmallProblemsPassTheirChecksWhateverTheVerdict) {
    std::mt19937 rng(77);
    int optimal = 0, infeasible = 0, unbounded = 0;
    for (int trial = 0; trial < 3000; ++trial) {
        const int n = 1 + static_cast<int>(rng() % 3);
        const int m = 1 + static_cast<int>(rng() % 4);
        Polyhedron poly;
        poly.n = n;
        std::vector<std::string> eq, ge, text;
        // One value per line: the objective row (its constant first), then
        // each row's right-hand side and coefficients.
        std::vector<std::string> values = {"0"};
        std::vector<long double> cost;
        for (int j = 0; j < n; ++j) {
            cost.push_back(static_cast<int>(rng() % 11) - 4);
            values.push_back(std::to_string(static_cast<int>(cost.back())));
        }
        for (int i = 0; i < m; ++i) {
            const unsigned u = rng() % 10;
            const int kind = u < 6 ? 0 : (u < 8 ? 1 : 2);
            if (kind == 1) eq.push_back(std::to_string(i + 1));
            if (kind == 2) ge.push_back(std::to_string(i + 1));
            const int b = static_cast<int>(rng() % 21) - 5;
            values.push_back(std::to_string(b));
            std::vector<long double> row;
            for (int j = 0; j < n; ++j) {
                const int a = static_cast<int>(rng() % 11) - 3;
                row.push_back(a);
                values.push_back(std::to_string(a));
            }
            poly.add_range(row, kind == 0 ? -infinite : b, kind == 2 ? infinite : b);
        }
        for (int j = 0; j < n; ++j) {
            std::vector<long double> unit(static_cast<std::size_t>(n), 0);
            unit[static_cast<std::size_t>(j)] = 1;
            poly.add_range(unit, 0, infinite);
        }
        text.push_back("Random");
        testing::add_dimensions(text, m, n, eq, ge);
        for (int j = 0; j < n; ++j) text.push_back("x" + std::to_string(j + 1));
        for (int i = 0; i < m; ++i) text.push_back("r" + std::to_string(i + 1));
        text.insert(text.end(), values.begin(), values.end());
        const std::string problem = testing::lines(text);

        RunOptions options;
        options.accurate = true;
        options.strict = true;
        const auto result = testing::run_text(problem, options);
        ASSERT_EQ(result.exit_code, 0) << problem << result.out << result.console;
        const auto vertex = best_vertex(poly, cost);
        if (result.out.rfind("No feasible solution", 0) == 0) {
            EXPECT_FALSE(vertex) << problem;
            ++infeasible;
        } else if (result.out.rfind("Unbounded solution", 0) == 0) {
            EXPECT_TRUE(vertex) << problem;
            ++unbounded;
        } else {
            ASSERT_TRUE(vertex) << problem << result.out;
            EXPECT_NEAR(printed_optimum(result.out), static_cast<double>(*vertex), 0.0015) << problem << result.out;
            ++optimal;
        }
    }
    EXPECT_GT(optimal, 1000);
    EXPECT_GT(infeasible, 300);
    EXPECT_GT(unbounded, 300);
}

}  // namespace
}  // namespace lpsens
