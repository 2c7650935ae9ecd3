// The check every result passes before a solve returns it: primal and dual
// feasibility measured on the unscaled LP (A x and d = cost - A^T y
// recomputed in long double), judged in the scaled model's units.
#pragma once

#include "revised/lp_data.h"
#include "revised/lp_solution.h"
#include "revised/working_lp.h"

namespace lpsens::revised {

struct SolutionCheck {
    bool primal_ok = false;
    bool dual_ok = false;
    // The largest violations in scaled units.
    double primal_scaled = 0;
    double dual_scaled = 0;
};

// Fills solution.primal_infeasibility and .dual_infeasibility (unscaled)
// and recomputes solution.reduced_cost from solution.row_dual. A value
// passes when its violation, in scaled units, is at most `tolerance` plus
// 1e-9 of the magnitude it is measured against (plus, on the primal side,
// 1e-12 of the largest scaled value, for the rounding of solves with
// large values). The dual side is checked only when `check_duals`.
SolutionCheck check_solution(const LpData& lp, const WorkingLp& working, LpSolution& solution, double tolerance,
                             bool check_duals);

}  // namespace lpsens::revised
