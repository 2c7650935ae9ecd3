// The two phases of the simplex method.
#pragma once

#include "classic/classic_state.h"

namespace lpsens {

inline constexpr int phase1_feasible = 1;
inline constexpr int phase1_infeasible = 0;
inline constexpr int phase2_optimal = 1;
inline constexpr int phase2_unbounded = 9;
// Any exchange loop (the phases, the restoration of feasibility) that needs
// another exchange when it has made as many as it may, or when the run's
// deadline has come, stops there without a verdict.
inline constexpr int loop_exchange_limit = -1;
inline constexpr int loop_time_limit = -2;

// Drives the sum of the artificial variables to zero, writing ":" to the
// console per exchange.  1 when feasible, 0 when not, or a loop stop.
int solve_phase1(ClassicState& cs);

// Maximises the objective, writing "." to the console per iteration.  1 at
// an optimum; 9 when the entering column is unbounded (entering_column
// then names it); or a loop stop.
int solve_phase2(ClassicState& cs);

// The loop stop due before the next exchange, when the loop has made
// `count` exchanges: loop_exchange_limit, loop_time_limit, or 0 for none.
int loop_stop(const ClassicState& cs, long count);

// The status line of a loop on the console, when one is due; `phase1`
// measures the infeasibility by the artificial variables.
void show_status(ClassicState& cs, const char* phase, bool phase1);

// Smallest-code rules used while a loop is cycling.
int choose_phase1_column_smallest_code(const ClassicState& cs);
int choose_phase2_column_smallest_code(const ClassicState& cs, const std::vector<char>* barred = nullptr);
int choose_leaving_row_smallest_code(const ClassicState& cs, int s);

}  // namespace lpsens
