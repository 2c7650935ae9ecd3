// Primal and dual values of the current basis, computed afresh from the
// factorisation, and the feasibility measures the phases decide by.
#pragma once

#include <vector>

#include "revised/simplex_state.h"

namespace lpsens::revised {

// The value a nonbasic variable takes for its status and working bounds.
double nonbasic_value(const SimplexState& s, int var);

// Puts every nonbasic variable at the value its status gives.
void set_nonbasic_values(SimplexState& s);

// x_B from B x_B = -N x_N.
void compute_basic_values(SimplexState& s);

// y from B^T y = c_B; d_j = c_j - a_j^T y for nonbasic j, 0 for basic j.
// Writes y (by row) when asked.
void compute_reduced_costs(SimplexState& s, std::vector<double>* y_by_row = nullptr);

// Factorises, repairs the basis where the factorisation replaced columns
// (their dual weights reset to 1), and recomputes x and d. Returns the
// number of replaced columns.
int refactorise(SimplexState& s);

// How far x_var is outside [lower, upper] (0 inside).
inline double bound_violation(double x, double lower, double upper) {
    if (x < lower) return lower - x;
    if (x > upper) return x - upper;
    return 0.0;
}

// The largest bound violation among the basic variables.
double max_basic_infeasibility(const SimplexState& s);

// How wrong the reduced cost of nonbasic `var` is for where it sits (0 when
// dual feasible): positive d at an upper bound, negative at a lower bound,
// any nonzero d when free. A variable with equal bounds is never wrong.
double dual_infeasibility(const SimplexState& s, int var);

// Moves every nonbasic boxed variable to the bound its reduced cost
// prefers (at_lower when d >= 0); returns how many moved. Basic values are
// not recomputed.
int flip_to_dual_feasible_bounds(SimplexState& s);

// The number of nonbasic variables whose reduced cost is wrong by more than
// the dual tolerance, boxed ones left out unless `count_boxed` (a flip
// mends those), and the largest such error.
int count_dual_infeasibilities(const SimplexState& s, bool count_boxed, double* largest = nullptr);

// Restores dual feasibility after values were recomputed: boxed variables
// flip to the bound their reduced cost prefers (basic values recomputed
// when any did), the others get their cost shifted so that d_j = 0.
// Returns the number of cost shifts.
int correct_dual_infeasibilities(SimplexState& s);

// Adds `scale` times the column of `var` in [A I] to `v`.
void add_column(const WorkingLp& lp, int var, double scale, factor::SparseVector& v);

// The largest |(A x + s)_i| over the rows for the current values, relative
// to 1 + the largest |x|: how far the updated values have drifted from
// satisfying the rows.
double primal_residual(const SimplexState& s);

}  // namespace lpsens::revised
