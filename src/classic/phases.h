// The two phases of the simplex method.
#pragma once

#include "classic/classic_state.h"

namespace lpsens {

// How an exchange loop (the phases, the restoration of feasibility) ends:
// its verdict, or a stop without one when it needs another exchange after
// as many as it may make, or after the run's deadline.
enum class LoopEnd { none, feasible, infeasible, optimal, unbounded, exchange_limit, time_limit };

inline bool is_stop(LoopEnd end) { return end == LoopEnd::exchange_limit || end == LoopEnd::time_limit; }

// Drives the sum of the artificial variables to zero, writing ":" to the
// console per exchange: feasible, infeasible, or a stop.
LoopEnd solve_phase1(ClassicState& cs);

// Maximises the objective, writing "." to the console per iteration:
// optimal; unbounded when the entering column is (entering_column then
// names it); or a stop.
LoopEnd solve_phase2(ClassicState& cs);

// The stop due before the next exchange, when the loop has made `count`
// exchanges, or none.
LoopEnd loop_stop(const ClassicState& cs, long count);

// The status line of a loop on the console, when one is due; `phase1`
// measures the infeasibility by the artificial variables.
void show_status(ClassicState& cs, const char* phase, bool phase1);

// Smallest-code rules used while a loop is cycling.
int choose_phase1_column_smallest_code(const ClassicState& cs);
int choose_phase2_column_smallest_code(const ClassicState& cs, const std::vector<char>* barred = nullptr);
int choose_leaving_row_smallest_code(const ClassicState& cs, int s);

}  // namespace lpsens
