// The ranging of a proven optimum in exact rationals: how far each cost and
// each row's right-hand side may move with the proven basis staying optimal
// (costs) or feasible (right-hand sides), and the objective at each limit.
//
// A cost: nonbasic, until its reduced cost reaches 0; basic, until the first
// nonbasic reduced cost that moves with it reaches 0.  A right-hand side
// moves every finite side of its row: an inactive row until its activity
// meets the side that moves toward it, an active one until the first basic
// variable it moves meets a bound.  Within the limits the values (costs) or
// the duals (right-hand sides) stay, so the objective at a limit is the
// objective plus the value (dual) times the move.
#pragma once

#include <gmpxx.h>

#include <chrono>
#include <optional>
#include <vector>

#include "exact/basis_proof.h"
#include "exact/rational_lp.h"

namespace lpsens::exact {

struct ExactRange {
    Bound lower, upper;                                // none: no limit
    // The objective there; at a side without a limit the objective itself
    // where it does not depend on the value, none where it does.
    Bound objective_at_lower, objective_at_upper;
};

struct ExactRanging {
    std::vector<ExactRange> rhs;   // by row
    std::vector<ExactRange> cost;  // by column
};

// The ranging of `solution` (a proven optimum of `lp`, its basis with it);
// none where it is not done by `deadline` (rational tableau rows can grow
// long).
std::optional<ExactRanging> exact_ranging(const RationalLp& lp, const ExactSolution& solution,
                                          std::chrono::steady_clock::time_point deadline);

}  // namespace lpsens::exact
