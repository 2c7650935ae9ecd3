// The simplex engine: initialisation, the choice rules at their stored
// boundaries, the exchange step, both phases, the worked example entry by
// entry, and the anti-cycling guard on a problem that really cycles.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <optional>
#include <random>
#include <set>

#include "classic/invariants.h"
#include "classic/phases.h"
#include "classic/pivot.h"
#include "classic/state_view.h"
#include "classic/tableau_init.h"
#include "engine/solution.h"
#include "problem_generator.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::lines;

// Expects tableau rows 0..M and then the phase-1 row to equal `rows`.
void expect_tableau(const ClassicState& cs, const std::vector<std::vector<double>>& rows) {
    ASSERT_EQ(static_cast<int>(rows.size()), cs.row_count + 2);
    for (int i = 0; i <= cs.row_count + 1; ++i)
        for (int j = 0; j <= cs.column_count(); ++j) {
            const double got = i <= cs.row_count ? cs.tableau(i, j).value : cs.phase1_row[j].value;
            EXPECT_EQ(got, rows[i][j]) << "row " << i << " column " << j;
        }
}

int code(VariableId v) { return variable_code(v); }

TEST(Simplex, WorkedExampleEntryByEntry) {
    testing::Loaded loaded(testing::worked_example());
    ClassicState& cs = loaded.cs;
    initialise_tableau(cs);
    expect_tableau(cs, {{0, -2, -3, 0}, {4, 1, 1, 0}, {2, 1, 2, -1}, {-2, -1, -2, 1}});
    EXPECT_EQ(code(cs.basis_label[1]), 1001);
    EXPECT_EQ(code(cs.basis_label[2]), 3002);
    EXPECT_EQ(code(cs.column_label[3]), 4001);
    EXPECT_EQ(check_positions(cs), "");

    EXPECT_EQ(choose_phase1_column(cs), 2);
    EXPECT_EQ(choose_leaving_row(cs, 2), 2);
    EXPECT_EQ(solve_phase1(cs), phase1_feasible);
    EXPECT_EQ(loaded.console.captured(), ":");
    expect_tableau(cs, {{3, -0.5, 1.5, -1.5}, {3, 0.5, -0.5, 0.5}, {1, 0.5, 0.5, -0.5}, {0, 0, 1, 0}});
    EXPECT_EQ(code(cs.column_label[2]), 3002);
    EXPECT_EQ(code(cs.basis_label[2]), 2);

    EXPECT_EQ(solve_phase2(cs), phase2_optimal);
    EXPECT_EQ(loaded.console.captured(), ":..");
    expect_tableau(cs, {{12, 1, 0, 3}, {6, 1, -1, 2}, {4, 1, 0, 1}, {0, 0, 1, 0}});
    EXPECT_EQ(cs.row_origin[1], -3);
    EXPECT_EQ(cs.row_origin[2], -2);
    EXPECT_EQ(cs.column_origin[1], -1);
    EXPECT_EQ(cs.column_origin[2], 2);
    EXPECT_EQ(cs.column_origin[3], 1);
    EXPECT_EQ(check_positions(cs), "");

    const Solution solution = solution_from(StateView(cs), cs.var_count);
    EXPECT_EQ(solution.objective, 12);
    EXPECT_EQ(solution.column[1].level, 0);
    EXPECT_EQ(solution.column[1].price, 1);
    EXPECT_EQ(solution.column[2].level, 4);
    EXPECT_EQ(solution.column[3].level, 6);
    EXPECT_EQ(solution.row[1].price, 3);
    EXPECT_EQ(solution.row[2].level, 0);
}

TEST(Simplex, InitialisationOfRowLists) {
    // Row 1 in both lists, row 2 twice in the second list, N = 0.
    testing::Loaded loaded(lines({"T", "3 0 1 3", "1", "1 2 2", "a", "b", "c", "0", "5", "7", "9"}));
    ClassicState& cs = loaded.cs;
    initialise_tableau(cs);
    EXPECT_EQ(code(cs.basis_label[1]), 3001);  // the second list is applied last
    EXPECT_EQ(code(cs.basis_label[2]), 3002);
    EXPECT_EQ(code(cs.column_label[1]), 4001);
    EXPECT_EQ(code(cs.column_label[3]), 4003);
    // Columns: surplus 1 on row 1, surplus 2 and 3 on row 2.
    expect_tableau(cs, {{0, 0, 0, 0}, {5, -1, 0, 0}, {7, 0, -1, -1}, {9, 0, 0, 0}, {-(5 + 7 + 7 + 5), 2, 2, 2}});
    EXPECT_EQ(code(cs.basis_label[3]), 1003);
    EXPECT_EQ(check_positions(cs), "");
}

TEST(Simplex, ObjectiveConstantIsNotNegated) {
    testing::Loaded loaded(lines({"T", "0 1 0 0", "x", "4", "-2"}));
    ClassicState& cs = loaded.cs;
    initialise_tableau(cs);
    EXPECT_EQ(cs.tableau(0, 0).value, 4);
    EXPECT_EQ(cs.tableau(0, 1).value, 2);
}

TEST(ChoiceRules, ThresholdsAtTheirStoredBoundaries) {
    const StoredReal below = stored(-0.00001L);  // nearest stored value: just inside
    const StoredReal above = stored(0.00001L);
    EXPECT_GT(load_real(below), -0.00001L);
    EXPECT_LT(load_real(above), 0.00001L);
    const StoredReal next_above = testing::from_hex("70 1C 47 AC C5 27");
    const StoredReal next_below = testing::from_hex("70 1C 47 AC C5 A7");
    EXPECT_EQ(testing::hex_bytes(above), "70 1B 47 AC C5 27");
    EXPECT_GT(load_real(next_above), 0.00001L);

    testing::Blank blank(2, 3);
    ClassicState& cs = blank.cs;
    // Phase 1: the stored -0.00001 itself does not qualify, one step below does.
    cs.phase1_row[1] = below;
    EXPECT_EQ(choose_phase1_column(cs), 0);
    cs.phase1_row[3] = next_below;
    EXPECT_EQ(choose_phase1_column(cs), 3);
    cs.phase1_row[2] = next_below;  // equal entries: the lower column wins
    EXPECT_EQ(choose_phase1_column(cs), 2);

    // Phase 2: a phase-1 entry of the stored 0.00001 does not bar its column,
    // the next stored value above it does.
    for (int j = 1; j <= 3; ++j) cs.phase1_row[j] = StoredReal{};
    cs.tableau(0, 1) = stored(-2);
    cs.tableau(0, 2) = stored(-3);
    cs.tableau(0, 3) = stored(-3);
    EXPECT_EQ(choose_phase2_column(cs), 2);
    cs.phase1_row[2] = above;
    EXPECT_EQ(choose_phase2_column(cs), 2);
    cs.phase1_row[2] = next_above;
    EXPECT_EQ(choose_phase2_column(cs), 3);
    cs.tableau(0, 3) = below;
    cs.tableau(0, 1) = below;
    EXPECT_EQ(choose_phase2_column(cs), 0);

    // Ratio test: an entry of the stored 0.00001 is ignored.
    cs.tableau(1, 1) = above;
    cs.tableau(1, 0) = stored(1);
    EXPECT_EQ(choose_leaving_row(cs, 1), 0);
    cs.tableau(2, 1) = next_above;
    cs.tableau(2, 0) = stored(1);
    EXPECT_EQ(choose_leaving_row(cs, 1), 2);
}

TEST(ChoiceRules, RatioTest) {
    testing::Blank blank(3, 1);
    ClassicState& cs = blank.cs;
    auto set_column = [&](std::vector<std::pair<double, double>> rows) {
        for (int i = 1; i <= 3; ++i) {
            cs.tableau(i, 0) = stored(rows[i - 1].first);
            cs.tableau(i, 1) = stored(rows[i - 1].second);
        }
    };
    set_column({{4, 1}, {2, 1}, {2, 1}});
    EXPECT_EQ(choose_leaving_row(cs, 1), 2);  // equal exact ratios: the first wins
    set_column({{4, 1}, {-1, 2}, {0, 1}});
    EXPECT_EQ(choose_leaving_row(cs, 1), 2);  // a negative ratio beats every other
    set_column({{1e10, 1}, {2e10, 1}, {5, -1}});
    EXPECT_EQ(choose_leaving_row(cs, 1), 0);  // 1e10 or more is never accepted: unbounded
    set_column({{9999999999.0, 1}, {2e10, 1}, {5, -1}});
    EXPECT_EQ(choose_leaving_row(cs, 1), 1);
    // Equal ratios 1/3 whose stored value is above the exact ratio: every
    // later equal ratio is below the stored best, so the last one wins.
    set_column({{1, 3}, {2, 6}, {4, 12}});
    ASSERT_GT(load_real(stored(1.0L / 3)), 1.0L / 3);
    EXPECT_EQ(choose_leaving_row(cs, 1), 3);
    // 1/7 stores below the exact ratio: the first one stays.
    set_column({{1, 7}, {2, 14}, {4, 28}});
    ASSERT_LT(load_real(stored(1.0L / 7)), 1.0L / 7);
    EXPECT_EQ(choose_leaving_row(cs, 1), 1);
}

TEST(Simplex, PivotFormulas) {
    testing::Blank blank(2, 2);
    ClassicState& cs = blank.cs;
    const double values[3][3] = {{0, -1, -2}, {6, 2, 3}, {4, 0, 5}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) cs.tableau(i, j) = stored(values[i][j]);
    pivot(cs, 1, 1);
    // Pivot 1/p; pivot row a/p; pivot column -a/p; others a - a_is a_rj / p.
    expect_tableau(cs, {{3, 0.5, -0.5}, {3, 0.5, 1.5}, {4, 0, 5}, {0, 0, 0}});
    EXPECT_EQ(code(cs.basis_label[1]), 1);
    EXPECT_EQ(code(cs.column_label[1]), 1001);
    EXPECT_EQ(check_positions(cs), "");
    // A negative pivot element uses the same formulas.
    cs.tableau(2, 2) = stored(-4);
    pivot(cs, 2, 2);
    expect_tableau(cs, {{2.5, 0.5, -0.125}, {4.5, 0.5, 0.375}, {-1, 0, -0.25}, {0, 0, 0}});
}

TEST(Simplex, Outcomes) {
    const struct {
        const char* name;
        std::vector<std::string> problem;
        int exit_code;
        const char* out_start;
        const char* console;
    } cases[] = {
        {"infeasible", {"T", "1 1 1 0", "1", "x", "r", "0", "1", "5", "0"}, 0, "No feasible solution\r\n", ".\r\n"},
        {"unbounded", {"T", "1 2 0 0", "x", "y", "r", "0", "1", "1", "4", "1", "-1"}, 0,
         "Unbounded solution\r\nT\r\n", "...\r\n"},
        {"no rows, positive objective", {"T", "0 1 0 0", "x", "0", "1"}, 0, "Unbounded solution\r\n", "..\r\n"},
        {"no rows, nothing to gain", {"T", "0 1 0 0", "x", "0", "-1"}, 0, "T\r\n", "..\r\n"},
        // Phase-1 row constant just inside -0.00001: feasible.
        {"nearly feasible", {"T", "1 1 1 0", "1", "x", "r", "0", "-1", "0.000009", "0"}, 0, "T\r\n", "..\r\n"},
    };
    for (const auto& c : cases) {
        const auto result = testing::run_text(lines(c.problem));
        EXPECT_EQ(result.exit_code, c.exit_code) << c.name;
        EXPECT_EQ(result.out.substr(0, std::string(c.out_start).size()), c.out_start) << c.name;
        EXPECT_EQ(result.console, c.console) << c.name;
    }
}

TEST(Simplex, NegativeRightHandSideIsKeptWithAWarning) {
    const auto result = testing::run_text(lines({"T", "2 1 0 0", "x", "r1", "r2", "0", "1", "4", "1", "-2", "1"}));
    EXPECT_EQ(result.console,
              "lpsens: warning: row 2 has a negative right-hand side; it is not made feasible, so the reported "
              "solution may violate it\n...\r\n"
              "lpsens: warning: the checks of the result failed:\n"
              "lpsens: warning:   variable \"x\" is -2, below zero\n"
              "lpsens: warning:   rows with a negative right-hand side are not made feasible; multiply them by -1 "
              "(swapping <= and >=) and run again\n");
    // The negative ratio of row 2 wins: x enters at -2.
    EXPECT_NE(result.out.find("Optimal value : ,         -2.000"), std::string::npos);
}

TEST(Simplex, BasicArtificialAtLevelZeroStaysBasic) {
    // x + y = 0 (equality with zero right-hand side), x + y <= 4, max x.
    testing::Loaded loaded(lines({"T", "2 2 1 0", "1", "x", "y", "e", "c", "0", "1", "0", "0", "1", "1", "4", "1", "1"}));
    ClassicState& cs = loaded.cs;
    initialise_tableau(cs);
    ASSERT_EQ(solve_phase1(cs), phase1_feasible);
    solve_phase2(cs);
    const Solution solution = solution_from(StateView(cs), cs.var_count);
    bool artificial_basic = false;
    for (int i = 1; i <= 2; ++i) artificial_basic |= code(cs.basis_label[i]) == 2001;
    if (artificial_basic) {
        EXPECT_EQ(solution.row[1].level, 0);
        EXPECT_EQ(solution.row[1].price, 0);
    }
    EXPECT_EQ(solution.objective, 0);
    EXPECT_EQ(check_positions(cs), "");
}

// Beale's example: max 0.75 x1 - 150 x2 + 0.02 x3 - 6 x4 subject to
// 0.25 x1 - 60 x2 - 0.04 x3 + 9 x4 <= 0, 0.5 x1 - 90 x2 - 0.02 x3 + 3 x4 <= 0,
// x3 <= 1.  Optimum 0.05 at x1 = 0.04, x3 = 1.
std::string beale() {
    return lines({"Beale", "3 4 0 0", "x1", "x2", "x3", "x4", "r1", "r2", "r3", "0", "0.75", "-150", "0.02", "-6",
                  "0", "0.25", "-60", "-0.04", "9", "0", "0.5", "-90", "-0.02", "3", "1", "0", "0", "1", "0"});
}

TEST(Cycling, BealesExampleCyclesUnderThePlainRules) {
    testing::Loaded loaded(beale());
    ClassicState& cs = loaded.cs;
    initialise_tableau(cs);
    ASSERT_EQ(solve_phase1(cs), phase1_feasible);
    std::set<std::vector<VariableId>> seen;
    bool repeated = false;
    for (int iteration = 0; iteration < 50 && !repeated; ++iteration) {
        repeated = !seen.insert(cs.basis_label).second;
        const int s = choose_phase2_column(cs);
        ASSERT_NE(s, 0) << "the plain rules reached an optimum";
        const int r = choose_leaving_row(cs, s);
        ASSERT_NE(r, 0);
        pivot(cs, r, s);
    }
    EXPECT_TRUE(repeated);
    EXPECT_EQ(cs.tableau(0, 0).value, 0);  // no progress at all
}

TEST(Cycling, GuardReachesTheOptimum) {
    const auto result = testing::run_text(beale());
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_NE(result.out.find("Optimal value : ,          0.050"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("    1, \"x1\",       0.750,       0.040,"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("    3, \"x3\",       0.020,       1.000,"), std::string::npos) << result.out;
}

// Skipping zero factors and zero pivot-row entries changes no stored entry:
// the same problems solved both ways agree entry by entry after every
// exchange.
TEST(Pivot, SkippingZeroWorkChangesNothing) {
    for (const auto& shape : {bench::ProblemShape{30, 30, 0.2, 11, true}, bench::ProblemShape{25, 40, 1.0, 12, false},
                             bench::ProblemShape{40, 20, 0.1, 13, true}}) {
        const std::string text = bench::generate_problem(shape);
        testing::Loaded fast_problem(text), plain_problem(text);
        ClassicState& fast = fast_problem.cs;
        ClassicState& plain = plain_problem.cs;
        plain.skip_zero_work = false;
        initialise_tableau(fast);
        initialise_tableau(plain);
        int exchanges = 0;
        for (int phase = 1; phase <= 2; ++phase) {
            for (;;) {
                const int s = phase == 1 ? choose_phase1_column(plain) : choose_phase2_column(plain);
                if (s == 0) break;
                const int r = choose_leaving_row(plain, s);
                if (r == 0) break;
                pivot(plain, r, s);
                pivot(fast, r, s);
                ++exchanges;
                for (int i = 0; i <= plain.row_count; ++i)
                    for (int j = 0; j <= plain.column_count(); ++j)
                        ASSERT_EQ(plain.tableau(i, j), fast.tableau(i, j)) << i << "," << j;
                for (int j = 0; j <= plain.column_count(); ++j) ASSERT_EQ(plain.phase1_row[j], fast.phase1_row[j]);
                ASSERT_EQ(check_positions(fast), "");
            }
        }
        EXPECT_GT(exchanges, 5);
    }
}

}  // namespace
}  // namespace lpsens

namespace lpsens {
namespace {

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
