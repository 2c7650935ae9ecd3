// The parts that make every run end and every result checked: the command
// line, the basis rebuilt from the problem, the exchange monitor, the
// perturbation and the bounded cycle memory.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

#include "classic/cycle_guard.h"
#include "classic/exchange_monitor.h"
#include "classic/perturbation.h"
#include "classic/pivot.h"
#include "classic/tableau_init.h"
#include "driver/options.h"
#include "basis/basis_solution.h"
#include "form/problem_as_read.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::lines;

TEST(CommandLine, OptionsAnywhereAndTheirErrors) {
    struct Case {
        std::vector<const char*> args;
        const char* mode;   // expected mode, or null
        bool strict, show;  // expected flags
        long max;           // expected --max-exchanges
        const char* error;  // expected error text, or null when it parses
    };
    const std::vector<Case> cases = {
        {{}, nullptr, false, false, 0, nullptr},
        {{"pv"}, "pv", false, false, 0, nullptr},
        {{"--strict", "rvz", "x"}, "rvz", true, false, 0, nullptr},  // later plain arguments are ignored
        {{"lp", "--show-checks", "--max-exchanges=5000"}, "lp", false, true, 5000, nullptr},
        {{"-x"}, nullptr, false, false, 0, "unknown option -x"},  // one dash is an option too
        {{"--strict", "--strict"}, nullptr, false, false, 0, "the option --strict is given twice"},
        {{"--bogus"}, nullptr, false, false, 0, "unknown option --bogus"},
        {{"--"}, nullptr, false, false, 0, "unknown option --"},
        {{"--strict=1"}, nullptr, false, false, 0, "the option --strict takes no value"},
        {{"--max-exchanges"}, nullptr, false, false, 0, "the option --max-exchanges needs"},
        {{"--max-exchanges=0"}, nullptr, false, false, 0, "the option --max-exchanges needs"},
        {{"--max-exchanges=-3"}, nullptr, false, false, 0, "the option --max-exchanges needs"},
        {{"--max-exchanges=99999999999999999999"}, nullptr, false, false, 0, "the option --max-exchanges needs"},
        {{"--max-exchanges", "100"}, nullptr, false, false, 0, "the option --max-exchanges needs"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"lpsens"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string error;
        const auto parsed = parse_command_line(static_cast<int>(argv.size()), argv.data(), error);
        const std::string label = c.args.empty() ? "(none)" : c.args[0];
        if (c.error != nullptr) {
            EXPECT_FALSE(parsed) << label;
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << label << ": " << error;
            continue;
        }
        ASSERT_TRUE(parsed) << label << ": " << error;
        EXPECT_EQ(parsed->mode == nullptr ? std::string("-") : std::string(parsed->mode),
                  c.mode == nullptr ? std::string("-") : std::string(c.mode));
        EXPECT_EQ(parsed->strict, c.strict) << label;
        EXPECT_EQ(parsed->show_checks, c.show) << label;
        EXPECT_EQ(parsed->max_exchanges, c.max) << label;
    }
}

// max 3 x1 + 2 x2, x1 + x2 <= 4 (slack), x1 + 3 x2 >= 6, 2 x1 - x2 = 1.
std::string three_kinds() {
    return lines({"T", "3 2 1 1", "3", "2", "x1", "x2", "c", "g", "e", "0", "3", "2", "4", "1", "1", "6", "1", "3",
                  "1", "2", "-1"});
}

TEST(BasisSolution, SolvesBothWaysWithUnitAndStructuralColumns) {
    const ProblemAsRead p = capture_problem(testing::read_form(three_kinds()), false);
    // Basis: x1 in position 1, x2 in position 2, surplus of g in position 3.
    const std::vector<VariableId> labels = {{}, structural_variable(1), structural_variable(2), surplus_variable(1)};
    BasisSolution basis(p, labels);
    ASSERT_FALSE(basis.singular());
    // x1 + x2 = 4 and 2 x1 - x2 = 1 give x1 = 5/3, x2 = 7/3; surplus = x1 + 3 x2 - 6.
    const auto v = basis.solve({0, 4, 6, 1});
    EXPECT_NEAR(static_cast<double>(v[1]), 5.0 / 3, 1e-15);
    EXPECT_NEAR(static_cast<double>(v[2]), 7.0 / 3, 1e-15);
    EXPECT_NEAR(static_cast<double>(v[3]), 5.0 / 3 + 7.0 - 6, 1e-15);
    // y with y_g = 0 (surplus basic, cost 0): y_c + 2 y_e = 3, y_c - y_e = 2.
    const auto y = basis.solve_transposed({0, 3, 2, 0});
    EXPECT_NEAR(static_cast<double>(y[1]), 7.0 / 3, 1e-15);
    EXPECT_NEAR(static_cast<double>(y[3]), 1.0 / 3, 1e-15);
    EXPECT_EQ(y[2], 0);
}

TEST(BasisSolution, SingularBases) {
    const ProblemAsRead p = capture_problem(
        testing::read_form(lines({"T", "2 2 0 0", "x", "y", "a", "b", "0", "1", "1", "1", "1", "2", "2", "2", "4"})), false);
    const VariableId x = structural_variable(1), y = structural_variable(2);
    const VariableId slack_a{VariableKind::slack, 1}, slack_b{VariableKind::slack, 2};
    EXPECT_TRUE(BasisSolution(p, {{}, x, y}).singular());               // the columns (1,2) and (2,4)
    EXPECT_TRUE(BasisSolution(p, {{}, slack_a, slack_a}).singular());   // one unit column twice
    EXPECT_FALSE(BasisSolution(p, {{}, x, slack_b}).singular());
}

// A random sparse problem of m rows and m structural columns (each column
// a strong diagonal entry and a few others), in the checks' own form.
ProblemAsRead random_sparse(int m, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> value(-1, 1);
    ProblemAsRead p;
    p.rows = p.variables = m;
    p.kind.assign(static_cast<std::size_t>(m) + 1, RowKind::less_or_equal);
    p.ge_rows = {0};
    p.rhs.assign(static_cast<std::size_t>(m) + 1, 0);
    for (int i = 1; i <= m; ++i) p.rhs[static_cast<std::size_t>(i)] = value(rng) * 10;
    p.objective.assign(static_cast<std::size_t>(m) + 1, 0);
    for (int j = 1; j <= m; ++j) p.objective[static_cast<std::size_t>(j)] = value(rng);
    p.start.assign(static_cast<std::size_t>(m) + 2, 0);
    for (int j = 1; j <= m; ++j) {
        p.start[static_cast<std::size_t>(j)] = static_cast<std::int32_t>(p.value.size());
        std::set<int> rows = {j};
        for (int k = 0; k < 3; ++k) rows.insert(1 + static_cast<int>(rng() % static_cast<unsigned>(m)));
        for (const int i : rows) {
            p.row_of.push_back(i);
            p.value.push_back(i == j ? 4 + value(rng) : value(rng));
        }
    }
    p.start[static_cast<std::size_t>(m) + 1] = static_cast<std::int32_t>(p.value.size());
    return p;
}

TEST(BasisSolution, SparseAndDenseFactorisationsAgree) {
    // A basis of structural columns and slacks; K factorised dense (the
    // default for this size) and sparse (a dense limit of 0).
    for (const unsigned seed : {1u, 2u, 3u}) {
        const int m = 300;
        const ProblemAsRead p = random_sparse(m, seed);
        std::vector<VariableId> basic(static_cast<std::size_t>(m) + 1);
        for (int i = 1; i <= m; ++i)
            basic[static_cast<std::size_t>(i)] = i % 5 == 0 ? VariableId{VariableKind::slack, i} : structural_variable(i);
        const BasisSolution dense(p, basic), sparse(p, basic, 0);
        ASSERT_FALSE(dense.singular());
        ASSERT_FALSE(sparse.singular());
        EXPECT_TRUE(dense.pivot_ratio_known());
        EXPECT_FALSE(sparse.pivot_ratio_known());
        std::vector<Extended> rhs(p.rhs.begin(), p.rhs.end()), cost(static_cast<std::size_t>(m) + 1, 0);
        for (int i = 1; i <= m; ++i)
            if (basic[static_cast<std::size_t>(i)].is_structural()) cost[static_cast<std::size_t>(i)] = p.objective[static_cast<std::size_t>(i)];
        const auto a = dense.solve(rhs), b = sparse.solve(rhs);
        const auto ya = dense.solve_transposed(cost), yb = sparse.solve_transposed(cost);
        for (int i = 1; i <= m; ++i) {
            EXPECT_NEAR(static_cast<double>(a[static_cast<std::size_t>(i)]), static_cast<double>(b[static_cast<std::size_t>(i)]),
                        1e-12 * (1 + std::fabs(static_cast<double>(a[static_cast<std::size_t>(i)]))));
            EXPECT_NEAR(static_cast<double>(ya[static_cast<std::size_t>(i)]), static_cast<double>(yb[static_cast<std::size_t>(i)]),
                        1e-12 * (1 + std::fabs(static_cast<double>(ya[static_cast<std::size_t>(i)]))));
        }
    }
    // A column repeated makes both singular.
    ProblemAsRead p = random_sparse(40, 9);
    std::vector<VariableId> twice(41);
    for (int i = 1; i <= 40; ++i) twice[static_cast<std::size_t>(i)] = structural_variable(i);
    twice[7] = structural_variable(3);
    twice[3] = structural_variable(3);
    EXPECT_TRUE(BasisSolution(p, twice).singular());
    EXPECT_TRUE(BasisSolution(p, twice, 0).singular());
}

// The smallest pivot ratio of K by plain dense elimination with partial
// pivoting in column order (first largest entry wins), 0 when singular.
double dense_pivot_ratio(const ProblemAsRead& p, const std::vector<int>& columns) {
    const auto k = columns.size();
    std::vector<double> a(k * k, 0.0), column_max(k, 0.0);
    for (std::size_t b = 0; b < k; ++b)
        for (int e = p.start[static_cast<std::size_t>(columns[b])]; e < p.start[static_cast<std::size_t>(columns[b]) + 1]; ++e) {
            const auto r = static_cast<std::size_t>(p.row_of[static_cast<std::size_t>(e)] - 1);
            a[r * k + b] = p.value[static_cast<std::size_t>(e)];
            column_max[b] = std::max(column_max[b], std::fabs(a[r * k + b]));
        }
    double smallest = 1.0;
    for (std::size_t i = 0; i < k; ++i) {
        std::size_t best = i;
        for (std::size_t r = i + 1; r < k; ++r)
            if (std::fabs(a[r * k + i]) > std::fabs(a[best * k + i])) best = r;
        const double ratio = column_max[i] > 0 ? std::fabs(a[best * k + i]) / column_max[i] : 0.0;
        smallest = std::min(smallest, ratio);
        if (!(ratio > 1e-13)) return 0.0;
        for (std::size_t c = 0; c < k; ++c) std::swap(a[i * k + c], a[best * k + c]);
        for (std::size_t r = i + 1; r < k; ++r) {
            const double l = a[r * k + i] / a[i * k + i];
            for (std::size_t c = i + 1; c < k; ++c) a[r * k + c] -= l * a[i * k + c];
        }
    }
    return smallest;
}

TEST(BasisSolution, SmallBasesPivotAsDenseEliminationDoes) {
    // Bases of structural columns only (K is the whole basis): random sparse
    // ones, whose elimination fills in, and ones of entries +-1 and +-2 only,
    // where pivots tie and the first largest entry must win.
    for (const unsigned seed : {4u, 5u, 6u, 7u}) {
        const int m = seed < 6 ? 200 : 60;
        ProblemAsRead p = random_sparse(m, seed);
        if (seed >= 6)
            for (double& v : p.value) v = v > 2 ? 2.0 : v > 0 ? 1.0 : v > -0.5 ? -2.0 : -1.0;
        std::vector<VariableId> basic(static_cast<std::size_t>(m) + 1);
        std::vector<int> columns;
        for (int i = 1; i <= m; ++i) {
            basic[static_cast<std::size_t>(i)] = structural_variable(i);
            columns.push_back(i);
        }
        const BasisSolution basis(p, basic);
        const double expected = dense_pivot_ratio(p, columns);
        ASSERT_TRUE(basis.pivot_ratio_known());
        EXPECT_EQ(basis.singular(), expected == 0.0) << seed;
        if (expected == 0.0) continue;
        EXPECT_EQ(basis.smallest_pivot_ratio(), expected) << seed;  // the same bits
        const BasisSolution sparse(p, basic, 0);
        std::vector<Extended> rhs(p.rhs.begin(), p.rhs.end());
        const auto a = basis.solve(rhs), b = sparse.solve(rhs);
        std::vector<Extended> cost(static_cast<std::size_t>(m) + 1, 0);
        for (int i = 1; i <= m; ++i) cost[static_cast<std::size_t>(i)] = p.objective[static_cast<std::size_t>(i)];
        const auto ya = basis.solve_transposed(cost), yb = sparse.solve_transposed(cost);
        for (int i = 1; i <= m; ++i) {
            const auto si = static_cast<std::size_t>(i);
            EXPECT_NEAR(static_cast<double>(a[si]), static_cast<double>(b[si]), 1e-11 * (1 + std::fabs(static_cast<double>(a[si]))));
            EXPECT_NEAR(static_cast<double>(ya[si]), static_cast<double>(yb[si]), 1e-11 * (1 + std::fabs(static_cast<double>(ya[si]))));
        }
    }
}

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

}  // namespace
}  // namespace lpsens
