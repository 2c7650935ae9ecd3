// The parts of the classic engine that make every solve end: the exchange
// monitor, the perturbation, the bounded cycle memory, and the dual
// exchanges that make a sweep's basis feasible again.
#include <gtest/gtest.h>

#include "classic/cycle_guard.h"
#include "classic/invariants.h"
#include "classic/sweep_steps.h"
#include "classic/exchange_monitor.h"
#include "classic/perturbation.h"
#include "classic/pivot.h"
#include "classic/tableau_init.h"
#include "classic_support.h"
#include "classic_support.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::lines;
using testing::three_kinds;

TEST(ExchangeMonitor, EventsAtTheirBounds) {
    ClassicState ws;
    ws.row_count = 10;
    ws.var_count = 10;
    EXPECT_EQ(stall_limit(ws), 5 * 20 + 500);
    EXPECT_EQ(exchange_cap(ws), 50 * 20 + 1000);
    ws.settings.max_exchanges = 3;
    EXPECT_EQ(exchange_cap(ws), 3);

    {  // A fall within the noise passes; one beyond it is lost numbers.
        ExchangeMonitor m(ws, -1000);
        EXPECT_EQ(m.exchanged(-500), ExchangeMonitor::Event::none);
        EXPECT_EQ(m.exchanged(-500 - 0.9e-6L * 1000), ExchangeMonitor::Event::none);
        EXPECT_EQ(m.exchanged(-500 - 1.1e-6L * 1000), ExchangeMonitor::Event::numbers_lost);
    }
    {  // Inputs with negative right-hand sides may fall on purpose.
        ws.objective_may_fall = true;
        ExchangeMonitor m(ws, 0);
        EXPECT_EQ(m.exchanged(-2), ExchangeMonitor::Event::none);
        ws.objective_may_fall = false;
    }
    {  // The cap counts every exchange.
        ExchangeMonitor m(ws, 0);
        EXPECT_EQ(m.exchanged(1), ExchangeMonitor::Event::none);
        EXPECT_EQ(m.exchanged(2), ExchangeMonitor::Event::none);
        EXPECT_EQ(m.exchanged(3), ExchangeMonitor::Event::cap_reached);
    }
    ws.settings.max_exchanges = 0;
    {  // A stall is reported once, after exactly the limit, and again only after progress.
        ExchangeMonitor m(ws, 5);
        for (long k = 1; k < stall_limit(ws); ++k) ASSERT_EQ(m.exchanged(5 + 1e-12L), ExchangeMonitor::Event::none);
        EXPECT_EQ(m.exchanged(5), ExchangeMonitor::Event::stalled);
        EXPECT_EQ(m.exchanged(5), ExchangeMonitor::Event::none);
        EXPECT_EQ(m.exchanged(6), ExchangeMonitor::Event::none);
    }
}

TEST(Perturbation, TakingItAwayRestoresTheRightHandSides) {
    // The same exchanges with and without a perturbation in between end with
    // column 0 equal to within a few units of the stored format.
    const std::string text = three_kinds();
    testing::Loaded plain_problem(text), perturbed_problem(text);
    ClassicState& plain = plain_problem.cs;
    ClassicState& perturbed = perturbed_problem.cs;
    for (ClassicState* cs : {&plain, &perturbed}) initialise_tableau(*cs);
    Perturbation perturbation;
    perturbation.apply(perturbed);
    EXPECT_NE(perturbed.tableau(1, 0).value, plain.tableau(1, 0).value);
    for (auto [r, s] : {std::pair{3, 1}, std::pair{2, 2}}) {
        perturbation.track_exchange(perturbed, r, s);
        pivot(perturbed, r, s);
        pivot(plain, r, s);
    }
    perturbation.remove(perturbed);
    EXPECT_FALSE(perturbation.active());
    for (int i = 0; i <= 3; ++i)
        EXPECT_NEAR(perturbed.tableau(i, 0).value, plain.tableau(i, 0).value, 1e-9) << "row " << i;
    EXPECT_NEAR(perturbed.phase1_row[0].value, plain.phase1_row[0].value, 1e-9);
}

TEST(CycleGuard, MemoryIsBoundedByItsWindow) {
    ClassicState ws;
    ws.row_count = 1;
    ws.basis_label.assign(2, VariableId{});
    CycleGuard guard(4);
    for (int b = 1; b <= 10; ++b) {
        ws.basis_label[1] = structural_variable(b);
        EXPECT_EQ(guard.observe(ws), CycleGuard::Verdict::normal);
    }
    EXPECT_EQ(guard.remembered(), 4u);
    ws.basis_label[1] = structural_variable(2);  // forgotten: not seen as a repeat
    EXPECT_EQ(guard.observe(ws), CycleGuard::Verdict::normal);
    ws.basis_label[1] = structural_variable(10);  // remembered
    EXPECT_EQ(guard.observe(ws), CycleGuard::Verdict::cycling);
}

// The largest problem the stored format allows fills a tableau of 1000 rows
// and 1000 columns (row 0 the objective, column 0 the right-hand sides).
TEST(Tableau, TheLargestProblemIsAccepted) {
    testing::Loaded loaded(lines({"T", "999 999 0 0"}));
    EXPECT_EQ(loaded.cs.tableau.rows(), 1000);
    EXPECT_EQ(loaded.cs.tableau.columns(), 1000);
}

TEST(RestoreFeasibility, LowestNegativeRowFirst) {
    testing::Blank blank(2, 2);
    ClassicState& cs = blank.cs;
    const double rows[3][3] = {{0, 1, 2}, {-1, -1, 0}, {-1, -1, -1}};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) cs.tableau(i, j) = stored(rows[i][j]);
    EXPECT_EQ(restore_feasibility(cs), LoopEnd::feasible);
    // Row 1 went first; the exchange made row 2 feasible as well.
    EXPECT_EQ(variable_code(cs.basis_label[1]), 1);
    EXPECT_EQ(variable_code(cs.basis_label[2]), 1002);
    EXPECT_EQ(cs.tableau(1, 0).value, 1);
    EXPECT_EQ(cs.tableau(2, 0).value, 0);
    EXPECT_EQ(check_positions(cs), "");
}

TEST(RestoreFeasibility, NoEntryToPivotOn) {
    testing::Blank blank(1, 1);
    ClassicState& cs = blank.cs;
    cs.tableau(1, 0) = stored(-1);
    cs.tableau(1, 1) = stored(-0.00001L);  // not below -0.00001
    EXPECT_EQ(restore_feasibility(cs), LoopEnd::infeasible);
}

}  // namespace
}  // namespace lpsens
