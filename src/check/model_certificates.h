// Checks of the certificates that prove a model has no optimum, against the
// model as read (with any change already made to it), in extended precision:
//   - infeasible: row multipliers y such that no x within the column bounds
//     gives A x within the row sides: with z = A^T y, the largest z x over
//     the column bounds stays below the smallest y r over the row sides.
//     An entry of z within 1e-9 of its column's scale (max(1, |y_i a_ij|))
//     counts as 0; the gap must pass 1e-9 of the sides' scale.
//   - unbounded: a feasible point x and a direction dx that keeps x + t dx
//     within the column bounds and the row sides for every t >= 0 and moves
//     the objective the right way (down for a minimisation): entries of dx
//     and of A dx within 1e-9 of their scale count as 0.
#pragma once

#include <vector>

#include "check/result_checks.h"
#include "model/problem.h"

namespace lpsens {

CheckReport check_model_farkas(const Problem& model, const std::vector<double>& y);
CheckReport check_model_ray(const Problem& model, const std::vector<double>& x, const std::vector<double>& dx);

}  // namespace lpsens
