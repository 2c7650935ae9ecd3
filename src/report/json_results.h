// The results as JSON, at full precision (the shortest decimal that reads
// back to the same double), for scripts; the README lists every field.
#pragma once

#include <string>
#include <vector>

#include "analysis/parametric_sweep.h"
#include "analysis/ranging.h"
#include "check/checker.h"
#include "form/documented_form.h"

namespace lpsens {

// What a run has to say, whatever it reached.
struct RunResults {
    std::string mode;      // the run mode ("pv", "rv", or another: ordinary)
    bool accurate = false;
    std::string status;    // "optimal", "unbounded" or "infeasible"
    const Solution* solution = nullptr;  // ordinary runs that reached a result
    const Ranging* ranging = nullptr;
    const SweepItems* items = nullptr;   // sweeps that took records
    const std::vector<SweepRecord>* records = nullptr;
    const ModelMap* imported = nullptr;  // imported models
};

std::string json_results(const DocumentedForm& form, const RunResults& run, const ResultChecker& checker);

}  // namespace lpsens
