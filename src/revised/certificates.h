// Checks of the certificates an infeasible or unbounded result carries,
// done on the unscaled LP in long double.
//
// Rounding leaves entries that are zero in exact arithmetic slightly off
// zero; an entry counts as zero when it is below `noise` times the sum of
// the magnitudes of the products that make it up.
#pragma once

#include <string>
#include <vector>

#include "revised/lp_data.h"

namespace lpsens::revised {

inline constexpr double certificate_noise = 1e-9;

struct FarkasCheck {
    bool valid = false;
    // With z = A^T y: lhs_bound = max z^T x over the column bounds,
    // rhs_bound = min y^T r over the row bounds; valid when lhs < rhs by
    // more than rounding.
    double lhs_bound = 0;
    double rhs_bound = 0;
    std::string why;  // when not valid
};

// Checks y as it is (the orientation matters).
FarkasCheck check_farkas(const LpData& lp, const std::vector<double>& y);

struct RayCheck {
    bool valid = false;
    double cost_change = 0;  // cost^T dx
    std::string why;
};

// dx is a ray when x + t dx stays within the column bounds and A (x + t dx)
// within the row bounds for every t >= 0 (every moving column and row
// moves toward an infinite bound) and cost^T dx < 0 for a minimisation
// (> 0 for a maximisation). dx must be scaled to largest magnitude 1.
RayCheck check_ray(const LpData& lp, const std::vector<double>& dx);

}  // namespace lpsens::revised
