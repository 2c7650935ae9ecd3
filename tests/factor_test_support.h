// Matrices, bases and independent checks for the tests of the basis
// factorisation: residuals are computed from the matrix itself, the rank by
// dense elimination with partial pivoting, never through the factors.
#pragma once

#include <random>
#include <vector>

#include "factor/basis_factor.h"
#include "factor/crash_basis.h"

namespace lpsens::factor::testing {

// A column-wise matrix, its columns added one by one (from none).
struct TestMatrix : SparseMatrix {
    TestMatrix() { start = {0}; }
};

// rows x cols with about `per_column` entries in each column (at least one),
// values of magnitude 0.1 .. 10 of either sign.
TestMatrix random_matrix(int rows, int cols, double per_column, std::mt19937& rng);

// A basis of `structurals` distinct structural columns at random positions,
// logicals of distinct rows at the others.
std::vector<int> random_basis(const TestMatrix& a, int structurals, std::mt19937& rng);

// The basis matrix, dense, row-major.
std::vector<double> dense_basis(const TestMatrix& a, const std::vector<int>& basic);

// max |B x - b| / (max |B| max |x| + max |b|); x by position, b by row.
double ftran_residual(const TestMatrix& a, const std::vector<int>& basic, const std::vector<double>& x,
                      const std::vector<double>& b);
// max |B^T y - c| / (max |B| max |y| + max |c|); y by row, c by position.
double btran_residual(const TestMatrix& a, const std::vector<int>& basic, const std::vector<double>& y,
                      const std::vector<double>& c);

// The rank of the basis by dense elimination with partial pivoting; entries
// below `tolerance` times the largest are taken as zero.
int dense_rank(const TestMatrix& a, const std::vector<int>& basic, double tolerance = 1e-9);

// A vector with `nonzeros` random entries (all of them when negative).
SparseVector random_vector(int size, int nonzeros, std::mt19937& rng);

// The listed entries must be the nonzeros: each listed once, none missing.
bool list_is_exact(const SparseVector& v);

double max_difference(const std::vector<double>& x, const std::vector<double>& y);
double max_magnitude(const std::vector<double>& x);

}  // namespace lpsens::factor::testing
