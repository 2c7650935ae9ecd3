// Ranging judged by re-solving: each side of a range is moved to just inside
// its limit (an unlimited side some way out), the problem is solved afresh by
// the accurate engine, and the optimum there must be the one the ranging
// promised.  The ranging code has no say in the verdict.
#pragma once

#include <string>
#include <vector>

#include "form/documented_form.h"

namespace lpsens::testing {

struct Verdicts {
    int problems = 0;    // judged: optima that pass the run's checks and agree with a fresh solve
    int unverified = 0;  // optima the checks reject or a fresh solve contradicts
    int limits = 0;    // sides moved and solved again
    int wrong = 0;
    std::vector<std::string> failures;  // the first few, with the problem's name

    void add(const Verdicts& other);
    void fail(const std::string& what);
    std::string summary() const;
};

// Which sides to judge: every `stride`-th value of a problem (1: all).
struct JudgeOptions {
    bool accurate = true;  // the engine whose final tableau is ranged
    int stride = 1;
    std::string name;      // for the failures
    bool presolve = false; // the accurate engine of an imported model starts from a presolved solve
};

// The CSV ranging of the form (compute_ranging, the documented rule with its
// mends): right-hand sides and costs of the form's rows and variables.
Verdicts judge_form_ranging(const DocumentedForm& form, const JudgeOptions& options);

// The ranging in the model's own terms (model_results): right-hand sides,
// costs and bounds of the model's rows and columns.  `model` may be
// lpsens's own problem (ranged through its identity map) or an imported one.
Verdicts judge_model_ranging(const Problem& model, const JudgeOptions& options);

// A sweep of the cost of model column `column` from `start` to `end` (mode
// "pv" in the model's terms): the optimum recorded at every record, and
// half-way to the next one the optimum the record's basis promises (its
// objective plus the column's value times the change of cost), since the
// next breakpoint lies only just before the next record.  Each is judged by
// a fresh solve.
Verdicts judge_cost_sweep(const Problem& model, int column, Extended start, Extended end, const JudgeOptions& options);

// The optimum of a model in its own sense from a fresh accurate solve, or
// nothing when it has none.
std::optional<double> fresh_optimum(const Problem& model);

}  // namespace lpsens::testing
