// Scale factors for the rows and columns of A, all powers of two, so that
// scaling and unscaling are exact.
//
// The scaled matrix is R A C (R = diag(row_scale), C = diag(col_scale)): a
// column value x_j is col_scale[j] times its scaled value, a row activity
// r_i is its scaled value divided by row_scale[i].
//
// compute_scaling: geometric-mean passes over rows and columns in turn (each
// factor one over the square root of the smallest times the largest entry
// it sees) while the spread of the entries keeps shrinking, then
// equilibration of the columns (largest entry of each about 1), every factor
// rounded to the nearest power of two and kept within 2^-40 .. 2^40.
#pragma once

#include <vector>

#include "revised/lp_data.h"

namespace lpsens::revised {

struct Scaling {
    std::vector<double> row_scale;  // by row
    std::vector<double> col_scale;  // by column
};

Scaling compute_scaling(const LpData& lp);

// All factors 1: the model as given.
Scaling identity_scaling(const LpData& lp);

}  // namespace lpsens::revised
