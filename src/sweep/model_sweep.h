// The parametric sweep of an LP in its own terms: the optimum at the start
// (or where one first exists), on every breakpoint where the basis changes,
// and at the end or on the edge beyond which there is none.
#pragma once

#include "revised/lp_data.h"
#include "revised/solver_options.h"
#include "sweep/sweep_types.h"

namespace lpsens::sweep {

// Told of each record as it is taken, with the core standing at the
// record's basis and values; it may move and solve the core (the sweep then
// goes back to its own values).  A record may take the place of the one
// before, where that one's basis held no further than its own point.
class RecordObserver {
public:
    virtual ~RecordObserver() = default;
    virtual void taken(const Record& record, bool replaces_previous) = 0;
};

// Sweeps `lp` along `target`.  Every record is a solve of the LP at its
// value that the core has checked; between two records the optimum is one
// straight line.
Result run_sweep(const revised::LpData& lp, const Target& target, const Limits& limits,
                 const revised::Options& options = {});

// The same on a core that holds the LP (at the items' start values) and
// perhaps a basis already; its options stay but for the limits.
Result run_sweep(revised::RevisedSimplex& core, const Target& target, const Limits& limits,
                 RecordObserver* observer = nullptr);

}  // namespace lpsens::sweep
