// The two phases of the simplex method and the extraction of the solution.
#pragma once

#include "model/workspace.h"

namespace lpsens {

inline constexpr int phase1_feasible = 1;
inline constexpr int phase1_infeasible = 0;
inline constexpr int phase2_optimal = 1;
inline constexpr int phase2_unbounded = 9;

// Drives the sum of the artificial variables to zero, writing ":" to the
// console per exchange.  1 when feasible; 0 after writing "No feasible
// solution" to the report channel.
int solve_phase1(Workspace& ws);

// Maximises the objective, writing "." to the console per iteration.  1 at
// an optimum; 9 after writing "Unbounded solution".
int solve_phase2(Workspace& ws);

// Copies levels, prices and the objective value out of the tableau.
void extract_solution(Workspace& ws);

// The solution record of a variable code.
SolutionRecord& record_of(Workspace& ws, int code);

// Smallest-code rules used while a loop is cycling.
int choose_phase1_column_smallest_code(const Workspace& ws);
int choose_phase2_column_smallest_code(const Workspace& ws, const std::vector<char>* barred = nullptr);
int choose_leaving_row_smallest_code(const Workspace& ws, int s);

}  // namespace lpsens
