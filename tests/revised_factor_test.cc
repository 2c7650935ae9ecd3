// The basis factorisation through its header: solves checked by
// multiplying back with the basis, after builds and after updates, and the
// repair of singular bases.
#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "factor/basis_factor.h"

namespace {

using lpsens::factor::BasisFactor;
using lpsens::factor::MatrixView;
using lpsens::factor::SparseVector;

// A random sparse matrix, column-wise, with entries from a small set.
struct Matrix : lpsens::factor::SparseMatrix {
    Matrix() { start = {0}; }
};

Matrix random_matrix(std::mt19937& random, int rows, int cols, double density) {
    Matrix a;
    a.rows = rows;
    a.cols = cols;
    std::uniform_real_distribution<double> unit(0, 1);
    // Moderate values: the checks below measure residuals against the size
    // of the solution, which says little for bases that entries of 1e-3 and
    // 1e3 make ill-conditioned (the factorisation's own tests cover those).
    const double values[] = {-4, -1, -0.5, 0.25, 1, 2, 3};
    for (int j = 0; j < cols; ++j) {
        for (int i = 0; i < rows; ++i) {
            if (unit(random) < density) {
                a.row_index.push_back(i);
                a.value.push_back(values[std::uniform_int_distribution<int>(0, 6)(random)]);
            }
        }
        a.start.push_back(static_cast<int>(a.row_index.size()));
    }
    return a;
}

// B times x (x by position), B's column p being basic[p] of [A I].
std::vector<double> multiply(const Matrix& a, const std::vector<int>& basic, const std::vector<double>& x) {
    std::vector<double> out(a.rows, 0.0);
    for (int p = 0; p < a.rows; ++p) {
        const int var = basic[p];
        if (var >= a.cols) {
            out[var - a.cols] += x[p];
            continue;
        }
        for (int t = a.start[var]; t < a.start[var + 1]; ++t) out[a.row_index[t]] += a.value[t] * x[p];
    }
    return out;
}

// B^T times y (y by row), by position.
std::vector<double> multiply_transpose(const Matrix& a, const std::vector<int>& basic, const std::vector<double>& y) {
    std::vector<double> out(a.rows, 0.0);
    for (int p = 0; p < a.rows; ++p) {
        const int var = basic[p];
        if (var >= a.cols) {
            out[p] = y[var - a.cols];
            continue;
        }
        for (int t = a.start[var]; t < a.start[var + 1]; ++t) out[p] += a.value[t] * y[a.row_index[t]];
    }
    return out;
}

SparseVector sparse_from(const std::vector<double>& dense) {
    SparseVector v;
    v.resize(static_cast<int>(dense.size()));
    for (std::size_t i = 0; i < dense.size(); ++i)
        if (dense[i] != 0) v.add(static_cast<int>(i), dense[i]);
    return v;
}

double max_abs(const std::vector<double>& v) {
    double m = 0;
    for (double x : v) m = std::max(m, std::fabs(x));
    return m;
}

// Checks ftran and btran of a random sparse right-hand side against the
// basis (backward error against the sizes of B's entries and of the
// solution), that the index lists name every nonzero, and that solving
// without an index list gives the same.
void expect_solves(const Matrix& a, const BasisFactor& factor, const std::vector<int>& basic, std::mt19937& random,
                   bool unit_vector = false) {
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<double> b(a.rows, 0.0);
    if (unit_vector) {
        b[std::uniform_int_distribution<int>(0, a.rows - 1)(random)] = 1.0;
    } else {
        for (int i = 0; i < a.rows; ++i)
            if (unit(random) < 0.3 || i == 0) b[i] = unit(random) * 4 - 2;
    }
    SparseVector x = sparse_from(b);
    factor.ftran(x);
    std::vector<double> listed(a.rows, 0.0);
    for (int k = 0; k < x.count; ++k) listed[x.index[k]] = x.value[x.index[k]];
    EXPECT_EQ(listed, x.value) << "ftran's index list misses a nonzero";
    const std::vector<double> bx = multiply(a, basic, x.value);
    const double big = max_abs(a.value) + 1;
    for (int i = 0; i < a.rows; ++i) EXPECT_NEAR(bx[i], b[i], 1e-9 * (1 + big * max_abs(x.value))) << "row " << i;
    // The same right-hand side without its index list (count < 0) gives
    // the same solution.
    SparseVector unlisted;
    unlisted.resize(a.rows);
    unlisted.value = b;
    unlisted.count = -1;
    factor.ftran(unlisted);
    for (int p = 0; p < a.rows; ++p) EXPECT_NEAR(unlisted.value[p], x.value[p], 1e-12 * (1 + max_abs(x.value)));

    SparseVector y = sparse_from(b);
    factor.btran(y);
    const std::vector<double> bty = multiply_transpose(a, basic, y.value);
    for (int p = 0; p < a.rows; ++p) EXPECT_NEAR(bty[p], b[p], 1e-9 * (1 + big * max_abs(y.value))) << "position " << p;
    unlisted.value = b;
    unlisted.count = -1;
    factor.btran(unlisted);
    for (int i = 0; i < a.rows; ++i) EXPECT_NEAR(unlisted.value[i], y.value[i], 1e-12 * (1 + max_abs(y.value)));
}

// Basic columns: every structural column that keeps the basis square and,
// for the rest, logicals, shuffled over the positions.
std::vector<int> mixed_basis(std::mt19937& random, const Matrix& a, double structural_share) {
    std::vector<int> basic;
    std::uniform_real_distribution<double> unit(0, 1);
    for (int i = 0; i < a.rows; ++i) {
        const bool structural = i < a.cols && unit(random) < structural_share;
        basic.push_back(structural ? i : a.cols + i);
    }
    std::shuffle(basic.begin(), basic.end(), random);
    return basic;
}

struct FactorCase {
    int rows;
    int cols;
    double density;
    double structural_share;
};

class FactorSolves : public ::testing::TestWithParam<FactorCase> {};

TEST_P(FactorSolves, BuildThenUpdatesKeepSolvesExact) {
    const FactorCase c = GetParam();
    for (unsigned seed = 1; seed <= 5; ++seed) {
        std::mt19937 random(seed);
        const Matrix a = random_matrix(random, c.rows, c.cols, c.density);
        BasisFactor factor;
        factor.setup(a.view());
        std::vector<int> basic = mixed_basis(random, a, c.structural_share);
        const int replaced = factor.build(basic);
        EXPECT_GE(replaced, 0);
        EXPECT_EQ(factor.rows(), c.rows);
        EXPECT_EQ(factor.updates_since_build(), 0);
        expect_solves(a, factor, basic, random);
        // Column replacements, each followed by solves.
        for (int step = 0; step < 30; ++step) {
            const int entering = std::uniform_int_distribution<int>(0, c.cols + c.rows - 1)(random);
            if (std::find(basic.begin(), basic.end(), entering) != basic.end()) continue;
            SparseVector column;
            column.resize(c.rows);
            if (entering >= c.cols) column.add(entering - c.cols, 1.0);
            else
                for (int t = a.start[entering]; t < a.start[entering + 1]; ++t) column.add(a.row_index[t], a.value[t]);
            factor.ftran_for_update(column);
            // The position with the largest entry, and only a large one: the
            // updated basis stays about as well conditioned as the first.
            int p = 0;
            for (int i = 1; i < c.rows; ++i)
                if (std::fabs(column.value[i]) > std::fabs(column.value[p])) p = i;
            if (std::fabs(column.value[p]) < 1) continue;
            basic[p] = entering;
            if (!factor.update(p, column.value[p])) {
                factor.build(basic);
            }
            expect_solves(a, factor, basic, random);
            expect_solves(a, factor, basic, random, true);  // sparse solves follow the nonzeros
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, FactorSolves,
                         ::testing::Values(FactorCase{1, 1, 1.0, 1.0},     // one row
                                           FactorCase{5, 8, 0.6, 0.5},     // small and dense
                                           FactorCase{40, 60, 0.08, 0.7},  // sparse
                                           FactorCase{120, 90, 0.03, 0.9},  // mostly structural
                                           FactorCase{60, 200, 0.3, 1.0}));  // fill-in in the kernel

TEST(FactorSingular, RepeatedColumnIsReplacedByALogical) {
    Matrix a;
    a.rows = 3;
    a.cols = 2;
    // Column 0 = column 1 = (1, 1, 0).
    a.row_index = {0, 1, 0, 1};
    a.value = {1, 1, 1, 1};
    a.start = {0, 2, 4};
    BasisFactor factor;
    factor.setup(a.view());
    std::vector<int> basic = {0, 1, 4};  // both columns and the logical of row 2
    EXPECT_EQ(factor.build(basic), 1);
    // One of the columns gave way to the logical of row 0 or row 1.
    std::vector<int> sorted = basic;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted[2], 4);
    EXPECT_TRUE(sorted[1] == 2 || sorted[1] == 3);
    std::mt19937 random(3);
    expect_solves(a, factor, basic, random);
}

TEST(FactorSingular, EmptyColumnIsReplaced) {
    Matrix a;
    a.rows = 2;
    a.cols = 1;
    a.start = {0, 0};
    BasisFactor factor;
    factor.setup(a.view());
    std::vector<int> basic = {0, 1};
    EXPECT_EQ(factor.build(basic), 1);
    EXPECT_EQ(basic[0], 2);  // the logical of row 1 (row 0's logical is already basic at position 1)
}

TEST(SparseVectorTest, AddListsNewEntriesAndClearZeroesThem) {
    SparseVector v;
    v.resize(5);
    v.add(3, 1.5);
    v.add(3, 2.0);  // already listed
    v.add(0, -1.0);
    EXPECT_EQ(v.count, 2);
    EXPECT_EQ(v.value[3], 3.5);
    v.clear();
    EXPECT_EQ(v.count, 0);
    for (double x : v.value) EXPECT_EQ(x, 0.0);
    v.value[4] = 2.0;
    v.rebuild_index();
    ASSERT_EQ(v.count, 1);
    EXPECT_EQ(v.index[0], 4);
}

}  // namespace
