#pragma once

#include "model/workspace.h"

namespace lpsens {

// The table of a parametric sweep: one column per record 1..step_count.
void write_parametric_report(Workspace& ws, int step_count);

}  // namespace lpsens
