// The results as JSON, at full precision (the shortest decimal that reads
// back to the same double), for scripts; the README lists every field.
#pragma once

#include <optional>
#include <string>

#include "check/checker.h"
#include "model/lp_model.h"
#include "model/workspace.h"

namespace lpsens {

struct RunFacts {
    std::string status;   // "optimal", "unbounded" or "infeasible"
    bool accurate = false;
};

std::string json_results(const Workspace& ws, const RunFacts& facts, const ResultChecker& checker,
                         const std::optional<ConvertedModel>& imported);

}  // namespace lpsens
