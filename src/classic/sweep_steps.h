// The classic engine's part of a parametric sweep: the tableau changed to
// match a new t, and feasibility restored by dual exchanges.
#pragma once

#include "classic/classic_state.h"
#include "classic/phases.h"
#include "engine/engine.h"

namespace lpsens {

// Mode "pv": row 0 moves by delta times the step length for every item (a
// basic item's row, a nonbasic item's own column), and the objective value
// with the constant when it moves.  Mode "rv": column 0 likewise.
void apply_move(ClassicState& cs, const ParameterMove& move);

// Dual-simplex exchanges until no right-hand side is below -0.00001:
// feasible; infeasible when a negative row has no entry below -0.00001 to
// pivot on; or a stop when it needs another exchange beyond the cap or
// after the deadline.
LoopEnd restore_feasibility(ClassicState& cs);

}  // namespace lpsens
