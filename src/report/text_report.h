// The readable report (--report=text): the results in the model's own terms
// and sense, every row and column with its type, value, bounds and dual
// value, and the ranging of costs, right-hand sides and bounds with the
// objective and the variables that enter and leave at each limit; aligned
// tables, numbers at full precision.
#pragma once

#include <string>
#include <vector>

#include "analysis/model_results.h"
#include "analysis/sweep_records.h"
#include "io/channel.h"
#include "report/sweep_words.h"
#include "sweep/sweep_types.h"

namespace lpsens {

struct TextReportRun {
    std::string source;      // where the model came from
    bool accurate = false;
    bool verified = false;   // every check passed
    bool exact = false;      // and the verdict is proven in exact arithmetic
    // The first result's verdict, or how the run stopped before one; then
    // the results are those of the best basis found, `feasible` or not.
    Status status = Status::optimal;
    bool feasible = false;
    const ModelResults* results = nullptr;  // solved ordinary runs
    // Sweeps: the sweep in the model's terms, its items, and the most
    // records it could take.
    const sweep::Result* sweep = nullptr;
    const SweptItems* swept = nullptr;
    long max_records = 0;
};

// The report, its lines ended by "\n".
std::string text_report(const Problem& model, const ModelMap& map, const TextReportRun& run);

// The report on `out`, every line ended with CR LF as all of lpsens's lines.
void write_text_report(Channel& out, const Problem& model, const ModelMap& map, const TextReportRun& run);

}  // namespace lpsens
