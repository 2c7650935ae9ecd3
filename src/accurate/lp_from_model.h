// A model as the revised simplex core solves it: the rows' types and ranges
// become row bounds, the columns keep their bounds, the objective constant
// becomes the offset, in the model's own sense.  Nothing is converted.
#pragma once

#include "model/problem.h"
#include "revised/lp_data.h"

namespace lpsens {

revised::LpData lp_from_model(const Problem& model);

// The two bounds of a model row (an MPS range widens it on one side).
void row_bounds(const ProblemRow& row, double& lower, double& upper);

}  // namespace lpsens
