// Random cost perturbation against dual degeneracy: each column's working
// cost moves by a small random amount in the direction that keeps it dual
// feasible where it sits (up for a variable with only a lower bound, down
// with only an upper bound, away from zero for a boxed one; free and fixed
// variables are left alone). The amount is about 5e-7 (1 + |c_j|) times a
// measure of the cost size. The perturbation is removed with
// SimplexState::restore_costs() and the primal simplex cleans up.
#pragma once

#include <cstdint>

#include "revised/simplex_state.h"

namespace lpsens::revised {

void perturb_costs(SimplexState& s, std::uint32_t seed);

}  // namespace lpsens::revised
