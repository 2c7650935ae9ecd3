// The parametric sweep of an LP in its own terms: the optimum at the start
// (or where one first exists), on every breakpoint where the basis changes,
// and at the end or on the edge beyond which there is none.
#pragma once

#include "revised/lp_data.h"
#include "revised/options.h"
#include "sweep/sweep_types.h"

namespace lpsens::sweep {

// Sweeps `lp` along `target`.  Every record is a solve of the LP at its
// value that the core has checked; between two records the optimum is one
// straight line.
Result run_sweep(const revised::LpData& lp, const Target& target, const Limits& limits,
                 const revised::Options& options = {});

}  // namespace lpsens::sweep
