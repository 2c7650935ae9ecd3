#include "check/checker.h"

#include <cstdio>

namespace lpsens {

void ResultChecker::check_final(const Workspace& ws, Outcome outcome, bool reported) {
    PrintedValues printed;
    if (reported) printed = printed_by_report(ws);
    reports_.emplace_back("the result",
                          check_result(problem_, problem_.rhs, problem_.objective, ws, outcome, reported ? &printed : nullptr));
}

void ResultChecker::check_record(const Workspace& ws, int s, Outcome outcome) {
    // The problem at this record's t: the swept items at their values.
    std::vector<double> rhs = problem_.rhs;
    std::vector<double> objective = problem_.objective;
    std::vector<double>& swept = ws.run_mode == "pv" ? objective : rhs;
    for (int k = 1; k <= ws.param_count; ++k)
        swept[static_cast<std::size_t>(ws.param_index[k])] = ws.step_values[static_cast<std::size_t>(s)][k].value;
    const PrintedValues printed = printed_by_record(ws, s);
    char context[80];
    std::snprintf(context, sizeof context, "record %d (t = %.12g)", s, ws.step_parameter[static_cast<std::size_t>(s)].value);
    reports_.emplace_back(context, check_result(problem_, rhs, objective, ws, outcome, &printed));
}

bool ResultChecker::passed() const {
    for (const auto& entry : reports_)
        if (!entry.second.passed()) return false;
    return true;
}

void ResultChecker::report(Workspace& ws, bool show_figures) const {
    for (const auto& [context, result] : reports_) report_checks(ws, result, context, show_figures);
}

}  // namespace lpsens
