// Where a sweep that starts without an optimum first has one.
//
// Sides: the points (x, theta) that satisfy the rows at theta form one LP,
// whose least theta is where the model first becomes feasible.  Costs: the
// objective is bounded where the dual has a feasible point; the pairs
// (dual values, theta) form another LP, whose least theta is where the
// optimum first is finite.  Both sets are intervals, so past that theta the
// sweep goes on until its end or until it stops having an optimum for good.
#pragma once

#include <optional>

#include "sweep/parametric_lp.h"

namespace lpsens::sweep {

struct FirstOptimum {
    revised::SolveStatus status = revised::SolveStatus::not_solved;  // of the auxiliary LP
    double theta = 0;  // status optimal: the least theta
};

// The least theta in [0, theta_end] at which the sides can be met.
FirstOptimum first_feasible_theta(const ParametricLp& lp, const revised::Options& options);

// The least theta in [0, theta_end] at which the objective is bounded (the
// LP being feasible).
FirstOptimum first_bounded_theta(const ParametricLp& lp, const revised::Options& options);

}  // namespace lpsens::sweep
