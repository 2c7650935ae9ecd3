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
#include "classic/classic_tableau_view.h"
#include "classic/tableau_init.h"
#include "engine/solution.h"
#include "problem_generator.h"
#include "classic_support.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::beale;
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
    EXPECT_EQ(solve_phase1(cs), LoopEnd::feasible);
    EXPECT_EQ(loaded.console.captured(), ":");
    expect_tableau(cs, {{3, -0.5, 1.5, -1.5}, {3, 0.5, -0.5, 0.5}, {1, 0.5, 0.5, -0.5}, {0, 0, 1, 0}});
    EXPECT_EQ(code(cs.column_label[2]), 3002);
    EXPECT_EQ(code(cs.basis_label[2]), 2);

    EXPECT_EQ(solve_phase2(cs), LoopEnd::optimal);
    EXPECT_EQ(loaded.console.captured(), ":..");
    expect_tableau(cs, {{12, 1, 0, 3}, {6, 1, -1, 2}, {4, 1, 0, 1}, {0, 0, 1, 0}});
    EXPECT_EQ(cs.row_origin[1], -3);
    EXPECT_EQ(cs.row_origin[2], -2);
    EXPECT_EQ(cs.column_origin[1], -1);
    EXPECT_EQ(cs.column_origin[2], 2);
    EXPECT_EQ(cs.column_origin[3], 1);
    EXPECT_EQ(check_positions(cs), "");

    const Solution solution = solution_from(ClassicTableauView(cs), cs.var_count);
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

TEST(Simplex, BasicArtificialAtLevelZeroStaysBasic) {
    // x + y = 0 (equality with zero right-hand side), x + y <= 4, max x.
    testing::Loaded loaded(lines({"T", "2 2 1 0", "1", "x", "y", "e", "c", "0", "1", "0", "0", "1", "1", "4", "1", "1"}));
    ClassicState& cs = loaded.cs;
    initialise_tableau(cs);
    ASSERT_EQ(solve_phase1(cs), LoopEnd::feasible);
    solve_phase2(cs);
    const Solution solution = solution_from(ClassicTableauView(cs), cs.var_count);
    bool artificial_basic = false;
    for (int i = 1; i <= 2; ++i) artificial_basic |= code(cs.basis_label[i]) == 2001;
    if (artificial_basic) {
        EXPECT_EQ(solution.row[1].level, 0);
        EXPECT_EQ(solution.row[1].price, 0);
    }
    EXPECT_EQ(solution.objective, 0);
    EXPECT_EQ(check_positions(cs), "");
}


TEST(Cycling, BealesExampleCyclesUnderThePlainRules) {
    testing::Loaded loaded(beale());
    ClassicState& cs = loaded.cs;
    initialise_tableau(cs);
    ASSERT_EQ(solve_phase1(cs), LoopEnd::feasible);
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
