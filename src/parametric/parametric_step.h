// One step of the parametric sweep: move t to just past the next breakpoint
// (or to 1) and change the tableau to match.
#pragma once

#include "model/workspace.h"

namespace lpsens {

// The state a sweep shares with its step operations.
struct SweepState {
    StoredReal t;            // the sweep parameter
    StoredReal step_length;  // scratch: distance to the breakpoint, then the step
    StoredReal ratio;        // scratch: the candidate ratio
    std::int32_t item = 0;      // scratch: the current item's variable or row
    std::int32_t position = 0;  // scratch: its position
};

inline const StoredReal no_breakpoint_length = stored(1000000.0L);
inline constexpr float no_breakpoint_limit = 999999.0f;
inline constexpr Extended breakpoint_overshoot = 0.00002L;
inline constexpr float sweep_end = 1.0f;

// Mode "pv": the objective coefficients move; row 0 changes.
void objective_step(Workspace& ws, SweepState& state);

// Mode "rv": the right-hand sides move; column 0 changes.  Feasibility is
// restored afterwards by the engine (restore_feasibility in the classic one).
void rhs_step(Workspace& ws, SweepState& state);

// Dual-simplex exchanges until no right-hand side is below -0.00001.  Returns
// false when a negative row has no entry below -0.00001 to pivot on.
bool restore_feasibility(Workspace& ws);

// Moves t: straight to 1 when no breakpoint was found (step length above
// 999999), else 0.00002 past the breakpoint but never beyond 1.
void advance_parameter(SweepState& state);

}  // namespace lpsens
