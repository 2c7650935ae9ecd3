// The basis factorisation judged from outside: residuals of B x = b and
// B^T y = c computed from the matrix, updates against fresh factorisations,
// rank repair against a dense rank, hyper-sparse against sparse solves.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <random>

#include "factor/basis_factor.h"
#include "factor_test_support.h"

namespace lpsens::factor::testing {
namespace {

constexpr double residual_limit = 1e-12;

// Solves B x = b and B^T y = c for the given right-hand sides and returns the
// larger relative residual; checks the result lists on the way.
double solve_residual(const BasisFactor& factor, const TestMatrix& a, const std::vector<int>& basic,
                      const SparseVector& rhs, double density) {
    SparseVector x = rhs;
    factor.ftran(x, density);
    EXPECT_TRUE(list_is_exact(x));
    SparseVector y = rhs;
    factor.btran(y, density);
    EXPECT_TRUE(list_is_exact(y));
    return std::max(ftran_residual(a, basic, x.value, rhs.value), btran_residual(a, basic, y.value, rhs.value));
}

struct RandomCase {
    int rows;
    double per_column;      // entries in a structural column
    double structural_share;
};

void PrintTo(const RandomCase& c, std::ostream* os) {
    *os << c.rows << " rows, " << c.per_column << " per column, " << c.structural_share << " structural";
}

class RandomBases : public ::testing::TestWithParam<RandomCase> {};

TEST_P(RandomBases, SolvesHaveTinyResiduals) {
    const RandomCase c = GetParam();
    std::mt19937 rng(static_cast<unsigned>(c.rows * 131 + c.per_column * 17 + c.structural_share * 1000));
    const TestMatrix a = random_matrix(c.rows, 2 * c.rows, c.per_column, rng);
    for (int trial = 0; trial < 3; ++trial) {
        const std::vector<int> chosen = random_basis(a, static_cast<int>(c.structural_share * c.rows), rng);
        std::vector<int> basic = chosen;
        BasisFactor factor;
        factor.setup(a.view());
        const int deficiency = factor.build(basic);
        ASSERT_EQ(factor.check_invariants(), "");
        EXPECT_EQ(c.rows - deficiency, dense_rank(a, chosen)) << "the rank is found";
        // Random bases short of rank can be ill-conditioned once repaired
        // (a condition of 1e13 is seen), so the rank is taken loosely here.
        EXPECT_EQ(dense_rank(a, basic, 1e-13), c.rows) << "the repaired basis is nonsingular";
        EXPECT_EQ(factor.stats().rank_deficiency, deficiency);
        for (int nonzeros : {1, 3, -1})
            for (double density : {0.01, 1.0})
                EXPECT_LT(solve_residual(factor, a, basic, random_vector(c.rows, nonzeros, rng), density),
                          residual_limit)
                    << "nonzeros " << nonzeros << " density " << density;
    }
}

INSTANTIATE_TEST_SUITE_P(SizesAndDensities, RandomBases,
                         ::testing::Values(RandomCase{1, 1, 1.0}, RandomCase{2, 2, 1.0}, RandomCase{10, 3, 1.0},
                                           RandomCase{10, 10, 1.0}, RandomCase{60, 2, 0.5},
                                           RandomCase{60, 6, 1.0}, RandomCase{60, 30, 0.8},
                                           RandomCase{300, 3, 0.3}, RandomCase{300, 4, 0.7},
                                           RandomCase{300, 5, 1.0}, RandomCase{1000, 3, 0.5},
                                           RandomCase{1000, 2.5, 0.9}));

// Replaces basic columns one by one, as the simplex method does: the
// entering column is solved, a position whose entry is large enough leaves.
struct Exchange {
    int position;
    int entering;
};

// Picks an exchange with a pivot of at least a third of the column's largest
// entry (random pivots far below the largest make ill-conditioned bases).
Exchange choose_exchange(const BasisFactor& factor, const TestMatrix& a, const std::vector<int>& basic,
                         std::mt19937& rng, SparseVector& column) {
    std::uniform_int_distribution<int> any_column(0, a.cols + a.rows - 1);
    for (;;) {
        const int j = any_column(rng);
        if (std::find(basic.begin(), basic.end(), j) != basic.end()) continue;
        column.clear();
        if (j < a.cols)
            for (int e = a.start[j]; e < a.start[j + 1]; ++e) column.add(a.row_index[e], a.value[e]);
        else
            column.add(j - a.cols, 1.0);
        SparseVector x = column;
        factor.ftran(x, 0.05);
        const double largest = max_magnitude(x.value);
        std::vector<int> candidates;
        for (int p = 0; p < a.rows; ++p)
            if (std::fabs(x.value[p]) >= largest / 3 && largest > 0) candidates.push_back(p);
        if (candidates.empty()) continue;
        return {candidates[std::uniform_int_distribution<int>(0, static_cast<int>(candidates.size()) - 1)(rng)], j};
    }
}

struct UpdateCase {
    int rows;
    double per_column;
    double structural_share;
    int exchanges;
};

void PrintTo(const UpdateCase& c, std::ostream* os) {
    *os << c.rows << " rows, " << c.per_column << " per column, " << c.structural_share << " structural, "
        << c.exchanges << " exchanges";
}

class UpdateSequences : public ::testing::TestWithParam<UpdateCase> {};

TEST_P(UpdateSequences, AgreeWithFreshFactorisations) {
    const UpdateCase c = GetParam();
    std::mt19937 rng(static_cast<unsigned>(c.rows * 7 + c.exchanges));
    const TestMatrix a = random_matrix(c.rows, 3 * c.rows, c.per_column, rng);
    std::vector<int> basic = random_basis(a, static_cast<int>(c.structural_share * c.rows), rng);
    BasisFactor factor;
    factor.setup(a.view());
    factor.build(basic);
    SparseVector column;
    column.resize(c.rows);
    int refused = 0;
    int rebuilt_at_limit = 0;
    for (int step = 0; step < c.exchanges; ++step) {
        const Exchange exchange = choose_exchange(factor, a, basic, rng, column);
        SparseVector x = column;
        factor.ftran_for_update(x, 0.05);
        basic[exchange.position] = exchange.entering;
        const bool at_limit = factor.updates_since_build() == factor.options().update_limit;
        if (!factor.update(exchange.position, x.value[exchange.position])) {
            ++(at_limit ? rebuilt_at_limit : refused);
            factor.build(basic);
        }
        ASSERT_EQ(factor.check_invariants(), "") << "after exchange " << step;
        if (step % 5 != 4) continue;
        std::vector<int> fresh_basic = basic;
        BasisFactor fresh;
        fresh.setup(a.view());
        ASSERT_EQ(fresh.build(fresh_basic), 0) << "exchanges keep the basis nonsingular";
        for (int nonzeros : {1, -1}) {
            const SparseVector rhs = random_vector(c.rows, nonzeros, rng);
            const double density = nonzeros == 1 ? 0.01 : 1.0;
            EXPECT_LT(solve_residual(factor, a, basic, rhs, density), 1e-10)
                << "after exchange " << step << " fresh " << solve_residual(fresh, a, basic, rhs, density);
            SparseVector updated = rhs;
            SparseVector rebuilt = rhs;
            factor.ftran(updated);
            fresh.ftran(rebuilt);
            EXPECT_LT(max_difference(updated.value, rebuilt.value), 1e-9 * (1 + max_magnitude(rebuilt.value)));
            updated = rhs;
            rebuilt = rhs;
            factor.btran(updated);
            fresh.btran(rebuilt);
            EXPECT_LT(max_difference(updated.value, rebuilt.value), 1e-9 * (1 + max_magnitude(rebuilt.value)));
        }
    }
    EXPECT_LE(refused, c.exchanges / 20) << "well-chosen pivots are seldom refused";
    EXPECT_EQ(rebuilt_at_limit, (c.exchanges - refused) / (factor.options().update_limit + 1));
}

INSTANTIATE_TEST_SUITE_P(SizesAndLengths, UpdateSequences,
                         ::testing::Values(UpdateCase{5, 2, 0.6, 40}, UpdateCase{40, 3, 0.5, 200},
                                           UpdateCase{200, 3, 0.6, 300}, UpdateCase{200, 6, 1.0, 150},
                                           UpdateCase{600, 2.5, 0.8, 250}));

// A small basis with its entering column solved, for the refusals below.
struct Prepared {
    TestMatrix a;
    std::vector<int> basic;
    BasisFactor factor;
    SparseVector x;
};

void prepare(Prepared& s, int entering) {
    // Columns: 0 = (1, 1, 0), 1 = (0, 1, 1), 2 = (1, 0, 1), 3 = (2, 2, 0).
    s.a.rows = 3;
    s.a.add_column({{0, 1.0}, {1, 1.0}});
    s.a.add_column({{1, 1.0}, {2, 1.0}});
    s.a.add_column({{0, 1.0}, {2, 1.0}});
    s.a.add_column({{0, 2.0}, {1, 2.0}});
    s.basic = {0, 1, 2};
    s.factor.setup(s.a.view());
    ASSERT_EQ(s.factor.build(s.basic), 0);
    s.x.resize(3);
    for (int e = s.a.start[entering]; e < s.a.start[entering + 1]; ++e) s.x.add(s.a.row_index[e], s.a.value[e]);
    s.factor.ftran_for_update(s.x);
}

TEST(UpdateRefusals, WhenThePivotIsZeroOrWrongOrGrowsOrTheLimitIsReached) {
    {
        // Column 3 = 2 x column 0: its solved column is (2, 0, 0); positions
        // 1 and 2 have a zero pivot.
        Prepared s;
        prepare(s, 3);
        EXPECT_NEAR(s.x.value[0], 2.0, 1e-15);
        EXPECT_FALSE(s.factor.update(1, s.x.value[1]));
    }
    {
        // A pivot that disagrees with the solve: the new diagonal of U
        // tells.
        Prepared s;
        prepare(s, 3);
        EXPECT_FALSE(s.factor.update(0, 3.0));
    }
    {
        // Growth: a limit below 1 refuses a spike as large as its column.
        Prepared s;
        FactorOptions options;
        options.growth_limit = 0.5;
        s.factor.set_options(options);
        prepare(s, 3);
        EXPECT_FALSE(s.factor.update(0, s.x.value[0]));
    }
    {
        // An update needs its own ftran_for_update.
        Prepared s;
        prepare(s, 3);
        EXPECT_TRUE(s.factor.update(0, s.x.value[0]));
        EXPECT_FALSE(s.factor.update(0, s.x.value[0]));
    }
    {
        // The limit on updates.
        Prepared s;
        FactorOptions options;
        options.update_limit = 2;
        s.factor.set_options(options);
        prepare(s, 3);
        int done = 0;
        for (int k = 0; k < 4; ++k) {
            // Column 0 and column 3 take turns at position 0.
            s.x.clear();
            const int entering = k % 2 == 0 ? 3 : 0;
            for (int e = s.a.start[entering]; e < s.a.start[entering + 1]; ++e)
                s.x.add(s.a.row_index[e], s.a.value[e]);
            s.factor.ftran_for_update(s.x);
            done += s.factor.update(0, s.x.value[0]);
        }
        EXPECT_EQ(done, 2);
        EXPECT_EQ(s.factor.updates_since_build(), 2);
    }
}

// Bases short of full rank by construction; the expected deficiency is the
// rank the dense elimination finds short.
struct SingularCase {
    const char* name;
    int deficiency;
};

class SingularBases : public ::testing::TestWithParam<SingularCase> {};

TEST_P(SingularBases, AreRepairedWithLogicals) {
    const std::string name = GetParam().name;
    std::mt19937 rng(5);
    const int m = 80;
    TestMatrix a = random_matrix(m, m, 4, rng);
    std::vector<int> basic(static_cast<std::size_t>(m));
    for (int p = 0; p < m; ++p) basic[p] = p;
    // Extra columns m.. made from the random ones.
    const auto column = [&](int j) {
        std::vector<std::pair<int, double>> entries;
        for (int e = a.start[j]; e < a.start[j + 1]; ++e) entries.emplace_back(a.row_index[e], a.value[e]);
        return entries;
    };
    const auto sum_of = [&](int j, int k, double scale, double noise) {
        std::vector<double> dense(static_cast<std::size_t>(m), 0.0);
        for (auto [r, v] : column(j)) dense[r] += v;
        for (auto [r, v] : column(k)) dense[r] += scale * v;
        std::vector<std::pair<int, double>> entries;
        for (int r = 0; r < m; ++r)
            if (dense[r] != 0.0) entries.emplace_back(r, dense[r] * (1 + noise * (r % 3)));
        return entries;
    };
    if (name == "duplicate_column") {
        basic[7] = 3;
    } else if (name == "empty_column") {
        a.add_column({});
        basic[10] = a.cols - 1;
    } else if (name == "two_logicals_of_one_row") {
        basic[4] = a.cols + 9;
        basic[50] = a.cols + 9;
    } else if (name == "dependent_column") {
        a.add_column(sum_of(1, 2, -3.0, 0.0));
        basic[20] = a.cols - 1;
    } else if (name == "nearly_dependent_column") {
        a.add_column(sum_of(1, 2, 0.5, 1e-15));
        basic[20] = a.cols - 1;
    } else if (name == "three_dependent_columns") {
        a.add_column(sum_of(4, 5, 1.0, 0.0));
        a.add_column(sum_of(6, 7, 2.0, 0.0));
        a.add_column(sum_of(8, 9, -1.0, 0.0));
        basic[30] = a.cols - 3;
        basic[31] = a.cols - 2;
        basic[32] = a.cols - 1;
    } else if (name == "tiny_column") {
        a.add_column({{3, 1e-13}, {40, -2e-13}});
        basic[60] = a.cols - 1;
    }
    const int expected = m - dense_rank(a, basic, 1e-11);
    EXPECT_EQ(expected, GetParam().deficiency) << "the test's own construction";
    std::vector<int> repaired = basic;
    BasisFactor factor;
    factor.setup(a.view());
    EXPECT_EQ(factor.build(repaired), expected);
    ASSERT_EQ(factor.check_invariants(), "");
    int changed = 0;
    for (int p = 0; p < m; ++p)
        if (repaired[p] != basic[p]) {
            ++changed;
            EXPECT_GE(repaired[p], a.cols) << "a position without pivot gets a logical";
        }
    EXPECT_EQ(changed, expected);
    EXPECT_EQ(dense_rank(a, repaired), m);
    EXPECT_LT(solve_residual(factor, a, repaired, random_vector(m, -1, rng), 1.0), residual_limit);
}

INSTANTIATE_TEST_SUITE_P(Kinds, SingularBases,
                         ::testing::Values(SingularCase{"duplicate_column", 1}, SingularCase{"empty_column", 1},
                                           SingularCase{"two_logicals_of_one_row", 1},
                                           SingularCase{"dependent_column", 1},
                                           SingularCase{"nearly_dependent_column", 1},
                                           SingularCase{"three_dependent_columns", 3},
                                           SingularCase{"tiny_column", 1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SolvePaths, HyperSparseAndSparseAgree) {
    std::mt19937 rng(11);
    const int m = 2000;
    const TestMatrix a = random_matrix(m, 2 * m, 2.2, rng);
    std::vector<int> basic = random_basis(a, m * 3 / 4, rng);
    BasisFactor factor;
    factor.setup(a.view());
    factor.build(basic);
    SparseVector column;
    column.resize(m);
    for (int step = 0; step < 30; ++step) {
        const Exchange exchange = choose_exchange(factor, a, basic, rng, column);
        SparseVector x = column;
        factor.ftran_for_update(x, 0.01);
        basic[exchange.position] = exchange.entering;
        ASSERT_TRUE(factor.update(exchange.position, x.value[exchange.position]));
    }
    for (int nonzeros : {1, 2, 10}) {
        const SparseVector rhs = random_vector(m, nonzeros, rng);
        for (bool transposed : {false, true}) {
            SparseVector hyper = rhs;
            SparseVector sparse = rhs;
            if (transposed) {
                factor.btran(hyper, 0.001);
                factor.btran(sparse, 1.0);
            } else {
                factor.ftran(hyper, 0.001);
                factor.ftran(sparse, 1.0);
            }
            EXPECT_TRUE(list_is_exact(hyper));
            EXPECT_TRUE(list_is_exact(sparse));
            EXPECT_LE(max_difference(hyper.value, sparse.value), 1e-13 * (1 + max_magnitude(sparse.value)));
            EXPECT_LT(hyper.count, m / 4) << "a sparse result";
        }
    }
}

TEST(SolvePaths, InputListsMayRepeatOrBeUnknown) {
    std::mt19937 rng(12);
    const TestMatrix a = random_matrix(50, 100, 3, rng);
    std::vector<int> basic = random_basis(a, 40, rng);
    BasisFactor factor;
    factor.setup(a.view());
    factor.build(basic);
    SparseVector rhs = random_vector(50, 5, rng);
    SparseVector repeated = rhs;
    repeated.index[repeated.count++] = rhs.index[0];  // listed twice, as add() may leave it
    SparseVector unknown = rhs;
    unknown.count = -1;
    for (double density : {0.01, 1.0}) {
        SparseVector x = rhs, y = repeated, z = unknown;
        factor.ftran(x, density);
        factor.ftran(y, density);
        factor.ftran(z, density);
        EXPECT_EQ(x.value, y.value);
        EXPECT_EQ(x.value, z.value);
        EXPECT_TRUE(list_is_exact(y));
        EXPECT_TRUE(list_is_exact(z));
    }
}

// Small bases whose solutions are known exactly.
TEST(EdgeCases, OneByOneAllLogicalsPermutationDenseColumn) {
    {
        TestMatrix a;
        a.rows = 1;
        a.add_column({{0, 4.0}});
        BasisFactor factor;
        factor.setup(a.view());
        std::vector<int> basic{0};
        EXPECT_EQ(factor.build(basic), 0);
        SparseVector v;
        v.resize(1);
        v.add(0, 2.0);
        factor.ftran(v);
        EXPECT_EQ(v.value[0], 0.5);
        factor.btran(v);
        EXPECT_EQ(v.value[0], 0.125);
        basic = {1};
        EXPECT_EQ(factor.build(basic), 0);
        factor.ftran(v);
        EXPECT_EQ(v.value[0], 0.125);
    }
    const int m = 40;
    std::mt19937 rng(3);
    TestMatrix a;
    a.rows = m;
    // Columns 0..m-1: a permutation; column m: dense.
    std::vector<int> target(static_cast<std::size_t>(m));
    for (int r = 0; r < m; ++r) target[r] = r;
    std::shuffle(target.begin(), target.end(), rng);
    for (int j = 0; j < m; ++j) a.add_column({{target[j], 1.0}});
    std::vector<std::pair<int, double>> dense;
    for (int r = 0; r < m; ++r) dense.emplace_back(r, r + 1.0);
    a.add_column(dense);
    const SparseVector rhs = random_vector(m, -1, rng);
    BasisFactor factor;
    factor.setup(a.view());
    {
        // All logicals in reverse order: x[p] = b[m - 1 - p].
        std::vector<int> basic;
        for (int p = 0; p < m; ++p) basic.push_back(a.cols + m - 1 - p);
        EXPECT_EQ(factor.build(basic), 0);
        SparseVector x = rhs;
        factor.ftran(x);
        for (int p = 0; p < m; ++p) EXPECT_EQ(x.value[p], rhs.value[m - 1 - p]);
    }
    {
        // The permutation: x[j] = b[target[j]], y[target[j]] = c[j].
        std::vector<int> basic;
        for (int j = 0; j < m; ++j) basic.push_back(j);
        EXPECT_EQ(factor.build(basic), 0);
        SparseVector x = rhs;
        factor.ftran(x);
        SparseVector y = rhs;
        factor.btran(y);
        for (int j = 0; j < m; ++j) {
            EXPECT_EQ(x.value[j], rhs.value[target[j]]);
            EXPECT_EQ(y.value[target[j]], rhs.value[j]);
        }
    }
    {
        // The dense column among logicals, at each place.
        for (int place : {0, m / 2, m - 1}) {
            std::vector<int> basic;
            for (int p = 0; p < m; ++p) basic.push_back(a.cols + p);
            basic[place] = m;
            EXPECT_EQ(factor.build(basic), 0);
            EXPECT_LT(solve_residual(factor, a, basic, rhs, 1.0), residual_limit);
            EXPECT_LT(solve_residual(factor, a, basic, random_vector(m, 1, rng), 0.01), residual_limit);
        }
    }
}

}  // namespace
}  // namespace lpsens::factor::testing
