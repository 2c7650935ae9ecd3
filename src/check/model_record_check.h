// The check of a sweep record in the model's own terms, against the model
// as read with the swept items at the record's values: the values lie
// within their bounds, A x is the activity reported, the reduced costs are
// the costs less A^T times the duals, every dual and reduced cost has the
// sign an optimum needs where its row or column stands, and the objective is
// c x plus the constant.  Tolerances, relative to each row's or column's own
// magnitudes as in the other checks: 1e-7 for feasibility and signs, 1e-9
// for the recomputed objective.
#pragma once

#include "check/result_checks.h"
#include "model/problem.h"
#include "sweep/sweep_types.h"

namespace lpsens {

CheckReport check_model_record(const Problem& model, const sweep::Target& target, const sweep::Record& record);

}  // namespace lpsens
