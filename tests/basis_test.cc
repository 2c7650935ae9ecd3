// The basis of the form rebuilt from the problem and solved both ways: unit
// and structural columns, singular bases, and its two factorisations judged
// against each other and against plain dense elimination.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <set>

#include "basis/basis_solution.h"
#include "form/double_form.h"
#include "form_support.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::lines;
using testing::three_kinds;

TEST(BasisSolution, SolvesBothWaysWithUnitAndStructuralColumns) {
    const DoubleForm p = capture_form(testing::read_form(three_kinds()), false);
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
    const DoubleForm p = capture_form(
        testing::read_form(lines({"T", "2 2 0 0", "x", "y", "a", "b", "0", "1", "1", "1", "1", "2", "2", "2", "4"})), false);
    const VariableId x = structural_variable(1), y = structural_variable(2);
    const VariableId slack_a{VariableKind::slack, 1}, slack_b{VariableKind::slack, 2};
    EXPECT_TRUE(BasisSolution(p, {{}, x, y}).singular());               // the columns (1,2) and (2,4)
    EXPECT_TRUE(BasisSolution(p, {{}, slack_a, slack_a}).singular());   // one unit column twice
    EXPECT_FALSE(BasisSolution(p, {{}, x, slack_b}).singular());
}

// A random sparse problem of m rows and m structural columns (each column
// a strong diagonal entry and a few others), in the checks' own form.
DoubleForm random_sparse(int m, unsigned seed) {
    std::mt19937 rng(seed);
    std::uniform_real_distribution<double> value(-1, 1);
    DoubleForm p;
    p.rows = p.variables = m;
    p.kind.assign(static_cast<std::size_t>(m) + 1, RowKind::less_or_equal);
    p.ge_rows = {0};
    p.rhs.assign(static_cast<std::size_t>(m) + 1, 0);
    for (int i = 1; i <= m; ++i) p.rhs[static_cast<std::size_t>(i)] = value(rng) * 10;
    p.objective.assign(static_cast<std::size_t>(m) + 1, 0);
    for (int j = 1; j <= m; ++j) p.objective[static_cast<std::size_t>(j)] = value(rng);
    p.matrix.start.assign(static_cast<std::size_t>(m) + 2, 0);
    for (int j = 1; j <= m; ++j) {
        p.matrix.start[static_cast<std::size_t>(j)] = static_cast<std::int32_t>(p.matrix.value.size());
        std::set<int> rows = {j};
        for (int k = 0; k < 3; ++k) rows.insert(1 + static_cast<int>(rng() % static_cast<unsigned>(m)));
        for (const int i : rows) {
            p.matrix.row_index.push_back(i);
            p.matrix.value.push_back(i == j ? 4 + value(rng) : value(rng));
        }
    }
    p.matrix.start[static_cast<std::size_t>(m) + 1] = static_cast<std::int32_t>(p.matrix.value.size());
    return p;
}

TEST(BasisSolution, SparseAndDenseFactorisationsAgree) {
    // A basis of structural columns and slacks; K factorised dense (the
    // default for this size) and sparse (a dense limit of 0).
    for (const unsigned seed : {1u, 2u, 3u}) {
        const int m = 300;
        const DoubleForm p = random_sparse(m, seed);
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
    DoubleForm p = random_sparse(40, 9);
    std::vector<VariableId> twice(41);
    for (int i = 1; i <= 40; ++i) twice[static_cast<std::size_t>(i)] = structural_variable(i);
    twice[7] = structural_variable(3);
    twice[3] = structural_variable(3);
    EXPECT_TRUE(BasisSolution(p, twice).singular());
    EXPECT_TRUE(BasisSolution(p, twice, 0).singular());
}

// The smallest pivot ratio of K by plain dense elimination with partial
// pivoting in column order (first largest entry wins), 0 when singular.
double dense_pivot_ratio(const DoubleForm& p, const std::vector<int>& columns) {
    const auto k = columns.size();
    std::vector<double> a(k * k, 0.0), column_max(k, 0.0);
    for (std::size_t b = 0; b < k; ++b)
        for (int e = p.matrix.start[static_cast<std::size_t>(columns[b])]; e < p.matrix.start[static_cast<std::size_t>(columns[b]) + 1]; ++e) {
            const auto r = static_cast<std::size_t>(p.matrix.row_index[static_cast<std::size_t>(e)] - 1);
            a[r * k + b] = p.matrix.value[static_cast<std::size_t>(e)];
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
        DoubleForm p = random_sparse(m, seed);
        if (seed >= 6)
            for (double& v : p.matrix.value) v = v > 2 ? 2.0 : v > 0 ? 1.0 : v > -0.5 ? -2.0 : -1.0;
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

}  // namespace
}  // namespace lpsens
