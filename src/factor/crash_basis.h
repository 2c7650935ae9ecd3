// A starting basis of a matrix that is triangular by construction, so that
// its factorisation needs no elimination beyond the singletons: what the
// factorisation's tests and benchmark start from on real models.
#pragma once

#include <vector>

#include "factor/basis_factor.h"

namespace lpsens::factor {

// A lower triangular crash: each structural column, in order, with an entry
// of at least a tenth of its largest in a row no earlier crash column
// touches (the last such row is its pivot row); logicals (cols + row)
// elsewhere.
std::vector<int> crash_basis(const MatrixView& a);

}  // namespace lpsens::factor
