#pragma once

#include "model/workspace.h"

namespace lpsens {

// Sweeps t from 0 to 1, recording the optimum at t = 0 and just past every
// breakpoint (at most 20 records), then writes the parametric report.
void parametric_sweep(Workspace& ws);

}  // namespace lpsens
