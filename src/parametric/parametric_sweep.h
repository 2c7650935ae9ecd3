#pragma once

#include <functional>

#include "model/workspace.h"
#include "simplex/engine.h"

namespace lpsens {

// Called after each record is taken, with its number and the result of the
// re-optimisation that led to it (1 optimal, 9 unbounded; the ordinary
// solve's for record 1).
using RecordObserver = std::function<void(int record, int phase2_result)>;

// Sweeps t from 0 to 1, recording the optimum at t = 0 and just past every
// breakpoint (at most 20 records), then writes the parametric report.  From
// the first step on no artificial variable may take a nonzero value.
void parametric_sweep(Workspace& ws, SolveEngine& engine, int first_result = 1,
                      const RecordObserver& observe = {});

}  // namespace lpsens
