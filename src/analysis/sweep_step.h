// One step of a parametric sweep: the next breakpoint read off the tableau,
// and t moved just past it (or to 1).
#pragma once

#include <vector>

#include "analysis/sweep_items.h"
#include "engine/tableau_view.h"

namespace lpsens {

// The state a sweep shares with its steps.
struct SweepState {
    StoredReal t;            // the sweep parameter
    StoredReal step_length;  // scratch: distance to the breakpoint, then the step
    StoredReal ratio;        // scratch: the candidate ratio
};

inline const StoredReal no_breakpoint_length = stored(1000000.0L);
inline constexpr float no_breakpoint_limit = 999999.0f;
inline constexpr Extended breakpoint_overshoot = 0.00002L;
inline constexpr float sweep_end = 1.0f;

// The rate at which each entry of the objective row (mode "pv", columns
// 1..N+K2) or of the right-hand-side column (mode "rv", rows 1..M) moves
// with t, and the smallest step that brings one of them to zero; then t
// moves past it.  `delta` holds each item's end - start (1-based).
void next_breakpoint(const TableauView& view, const SweepItems& items, const std::vector<StoredReal>& delta,
                     SweepState& state);

// Moves t: straight to 1 when no breakpoint was found (step length above
// 999999), else 0.00002 past the breakpoint but never beyond 1.
void advance_parameter(SweepState& state);

}  // namespace lpsens
