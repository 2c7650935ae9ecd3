// The checks of one run: the problem as read, captured before the tableau is
// built, and the reports of every result checked against it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "check/problem_as_read.h"
#include "check/result_checks.h"

namespace lpsens {

class ResultChecker {
public:
    // Captures the problem; call after the problem (and the parametric start
    // values) are read and before the tableau is initialised.
    explicit ResultChecker(const Workspace& ws) : problem_(capture_problem(ws)) {}

    // The final result of an ordinary run; `reported` when the solution
    // report was written (after extract_solution).
    void check_final(const Workspace& ws, Outcome outcome, bool reported);
    // Record s of a sweep, taken from the current tableau.
    void check_record(const Workspace& ws, int s, Outcome outcome);

    bool passed() const;
    // Warnings of every failed check, and with `show_figures` the figures of
    // every check, on the console.
    void report(Workspace& ws, bool show_figures) const;

    const ProblemAsRead& problem() const { return problem_; }
    const std::vector<std::pair<std::string, CheckReport>>& reports() const { return reports_; }

private:
    ProblemAsRead problem_;
    std::vector<std::pair<std::string, CheckReport>> reports_;
};

}  // namespace lpsens
