#pragma once

#include "model/workspace.h"

namespace lpsens {

// A ranging offset at or beyond this magnitude stands for "no limit".
inline const StoredReal infinity_bound = stored(9e30L);
inline constexpr Extended range_tolerance = 1e-05L;
// The two bytes of the infinity sign in the reports.
inline constexpr std::string_view infinity_sign = "\x81\x87";

// Fills cost_lower/cost_upper (1..N+K2) and rhs_lower/rhs_upper (1..M) from
// the final tableau.
void compute_ranging(Workspace& ws);

// Title, optimal value, one line per variable and one per constraint.
void write_solution_report(Workspace& ws);

}  // namespace lpsens
