// The results as JSON, at full precision (the shortest decimal that reads
// back to the same double), for scripts; the README lists every field.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/model_results.h"
#include "analysis/sweep_records.h"
#include "analysis/ranging.h"
#include "check/checker.h"
#include "exact/basis_proof.h"
#include "exact/exact_ranging.h"
#include "form/documented_form.h"
#include "report/sweep_words.h"
#include "sweep/sweep_types.h"

namespace lpsens {

// What a run has to say, whatever it reached.
struct RunResults {
    RunMode mode = RunMode::ordinary;
    bool accurate = false;
    // The first result's verdict, or how the run stopped before one (then
    // `solution` of an ordinary run is the best basis found, `feasible` or
    // not, and there is no ranging).
    Status status = Status::optimal;
    bool feasible = false;
    double tolerance = 0;  // values within it of zero are written as 0
    const Solution* solution = nullptr;  // ordinary runs that reached a result
    const Ranging* ranging = nullptr;    // and a verdict
    const SweepItems* items = nullptr;   // sweeps that took records
    const std::vector<SweepRecord>* records = nullptr;
    // Imported models: the model as read, its map and its results.
    const Problem* model = nullptr;
    const ModelMap* map = nullptr;
    const ModelResults* model_results = nullptr;
    // Sweeps in the model's terms (imported models; lpsens's own problems
    // beside their documented records): the model swept and the sweep.
    const sweep::Result* model_sweep = nullptr;
    const SweptItems* swept = nullptr;
    const Problem* sweep_model = nullptr;
    bool sweep_costs = false;
    bool sweep_bounds = false;  // bounds of columns (the library's sweeps)
    // --exact: the proof in exact arithmetic, in the terms of `exact_model`.
    const exact::ExactSolution* exact = nullptr;
    const Problem* exact_model = nullptr;
    const exact::ExactRanging* exact_ranging = nullptr;  // of a proven optimum, when made
};

// Takes the report a piece at a time, in order.
using JsonWriter = std::function<void(std::string_view)>;

// The results as JSON, handed to `write` in pieces of about a megabyte as
// they are made: a large model's report need never be whole in memory.
void write_json_results(const DocumentedForm& form, const RunResults& run, const ResultChecker& checker,
                        const JsonWriter& write);

// The same, whole.
std::string json_results(const DocumentedForm& form, const RunResults& run, const ResultChecker& checker);

}  // namespace lpsens
