// Invariants of the simplex state, checked after every iteration in debug
// builds (and by tests). Each returns an empty string when it holds, else
// a description of the first violation.
#pragma once

#include <string>

#include "revised/simplex_state.h"

namespace lpsens::revised {

// basic_by_position, position_by_var and status_by_var describe the same
// basis: each position holds a distinct basic variable that points back to
// it, and exactly the variables at some position are basic.
std::string check_basis_consistency(const SimplexBasis& basis);

// Every nonbasic variable sits at the value its status names (a finite
// bound, or zero when free).
std::string check_nonbasic_values(const SimplexState& s);

// The updated values satisfy A x + s = 0 to `tolerance` (relative to 1 +
// the largest value), and the updated reduced costs agree with c - A^T y
// for y from a fresh BTRAN to `tolerance` (relative to 1 + the size of the
// products that make each of them up).
std::string check_residuals(const SimplexState& s, double tolerance);

// All of the above.
std::string check_invariants(const SimplexState& s, double tolerance = 1e-6);

}  // namespace lpsens::revised
