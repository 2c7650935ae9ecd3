// Scaling of a problem's rows and columns by powers of two.
//
// Each row i gets a factor r_i and each column j a factor s_j, so that the
// scaled entries r_i a_ij s_j lie near 1: geometric-mean scaling (the factor
// of a row is one over the square root of its smallest times its largest
// entry), rows and columns in turn for a few passes, each factor rounded to
// a power of two.  Multiplying by a power of two is exact, so scaling and
// unscaling lose nothing.
#pragma once

#include <vector>

namespace lpsens {

struct Scaling {
    std::vector<double> row;     // r_i, 1..M
    std::vector<double> column;  // s_j, 1..N
};

// Scales of the M x N matrix `a` (row-major, rows 1..M and columns 1..N of an
// (M+1) x (N+1) block whose row 0 and column 0 are not scaled here).
Scaling scale_problem(const std::vector<double>& a, int rows, int columns);

}  // namespace lpsens
