// The two phases of the simplex method.
#pragma once

#include "classic/classic_state.h"

namespace lpsens {

inline constexpr int phase1_feasible = 1;
inline constexpr int phase1_infeasible = 0;
inline constexpr int phase2_optimal = 1;
inline constexpr int phase2_unbounded = 9;

// Drives the sum of the artificial variables to zero, writing ":" to the
// console per exchange.  1 when feasible, 0 when not.
int solve_phase1(ClassicState& cs);

// Maximises the objective, writing "." to the console per iteration.  1 at
// an optimum; 9 when the entering column is unbounded (entering_column
// then names it).
int solve_phase2(ClassicState& cs);

// Smallest-code rules used while a loop is cycling.
int choose_phase1_column_smallest_code(const ClassicState& cs);
int choose_phase2_column_smallest_code(const ClassicState& cs, const std::vector<char>* barred = nullptr);
int choose_leaving_row_smallest_code(const ClassicState& cs, int s);

}  // namespace lpsens
