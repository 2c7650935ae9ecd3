// A sweep in the model's terms as JSON: its items, the stretch without an
// optimum before the first record, every record with the model's values,
// activities, duals and reduced costs and the exchanges that made its basis,
// and how it ended.  The README lists every field.
#pragma once

#include <string>

#include "model/problem.h"
#include "report/sweep_words.h"
#include "sweep/sweep_types.h"

namespace lpsens {

// {"reason": R, "at": V, "t": t}: V the item's value, or t for several.
std::string json_sweep_end(const SweptItems& items, const sweep::Result& result);

// The "sweep" object, indented for its place inside "model".
// `kind`: "cost", "rhs" or "bound".
std::string json_model_sweep(const Problem& model, const char* kind, const SweptItems& items, const sweep::Result& result,
                             double tolerance);

}  // namespace lpsens
