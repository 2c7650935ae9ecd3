// A run of scenarios: the model and a table of its scenarios (--scenarios),
// each solved from the model's optimal basis, a verdict per scenario on
// standard output and the whole results in the JSON.
#pragma once

#include "driver/options.h"
#include "io/channel.h"
#include "model/problem.h"

namespace lpsens {

// Solves `model` and its scenarios on the usable cores (--threads=1: one).
// Returns the exit code: 0, or 70 under --strict when a result is not
// verified.  A failure throws RunError.
int run_scenarios(Channels& channels, const Problem& model, const RunOptions& options);

}  // namespace lpsens
