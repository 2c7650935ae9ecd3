// The checks of one run: the problem as read, captured before any engine
// starts, and the reports of every result checked against it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "analysis/sweep_records.h"
#include "check/model_record_check.h"
#include "check/result_checks.h"
#include "form/double_form.h"

namespace lpsens {

class ResultChecker {
public:
    // Captures the form's values (as read when `exact`, else as the classic
    // engine stores them); call after the parametric start values are
    // written in.  The form gives the names of the findings.
    ResultChecker(const DocumentedForm& form, bool exact) : form_(form), problem_(capture_form(form, exact)) {}

    // The final result of an ordinary run; `reported` when the solution
    // report printed its values.
    void check_final(const SolveResult& result, bool reported);
    // Record s of a sweep over `items`, taken from `result`.
    void check_record(const SweepItems& items, int s, const SweepRecord& record, const SolveResult& result);

    // Record s of a sweep in the model's own terms.
    void check_model_record(const Problem& model, const sweep::Target& target, int s, const sweep::Record& record);

    bool passed() const;

    const DoubleForm& problem() const { return problem_; }
    const std::vector<std::pair<std::string, CheckReport>>& reports() const { return reports_; }

private:
    const DocumentedForm& form_;
    DoubleForm problem_;
    std::vector<std::pair<std::string, CheckReport>> reports_;
};

}  // namespace lpsens
