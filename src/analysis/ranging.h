// Ranging: how far each objective coefficient and each right-hand side may
// move before the final basis stops being optimal or feasible, read off the
// final tableau.
#pragma once

#include <vector>

#include "engine/tableau_view.h"
#include "numeric/stored_real.h"

namespace lpsens {

// A ranging offset at or beyond this magnitude stands for "no limit".
inline const StoredReal infinity_bound = stored(9e30L);
inline constexpr Extended range_tolerance = 1e-05L;

struct Ranging {
    // Offsets from the coefficient or right-hand side as read.
    std::vector<double> cost_lower;  // 1..N+K2
    std::vector<double> cost_upper;  // 1..N+K2
    std::vector<double> rhs_lower;   // 1..M
    std::vector<double> rhs_upper;   // 1..M
};

// The offsets of every column variable's cost (structural j, surplus N+k)
// and every row's right-hand side, for a tableau of N structural variables.
// The rows and columns of a large tableau are read by `threads` threads (0:
// as many as the process may use, at most two) where the view can make a
// view for another thread; the offsets are the same for any number.
//
// A ratio too large for the stored format stops the run (runtime error
// 205), as every value stored does, unless `huge_ratio_is_no_limit`: then
// it is passed over, as it would be had it been stored, being beyond any
// offset (an offset of 9e30 or more is no limit).  The accurate engine's
// tableaux of models at the format's extremes have such ratios.
Ranging compute_ranging(const TableauView& view, int variables, int threads = 0, bool huge_ratio_is_no_limit = false);

}  // namespace lpsens
