#include "check/checker.h"

#include <cstdio>

namespace lpsens {

void ResultChecker::check_final(const SolveResult& result, bool reported) {
    PrintedValues printed;
    if (reported) printed = printed_by_report(result.solution, problem_.variables, problem_.rows);
    reports_.emplace_back("the result", check_result(problem_, problem_.rhs, problem_.objective, form_, result,
                                                     reported ? &printed : nullptr));
}

void ResultChecker::check_record(const SweepItems& items, int s, const SweepRecord& record, const SolveResult& result) {
    // The problem at this record's t: the swept items at their values.
    std::vector<double> rhs = problem_.rhs;
    std::vector<double> objective = problem_.objective;
    std::vector<double>& swept = items.objective ? objective : rhs;
    for (int k = 1; k <= items.count(); ++k)
        swept[items.index[k]] =
            record.items[k].value;
    if (items.moves_constant) objective[0] = record.constant.value;
    const PrintedValues printed = printed_by_record(record.values, problem_.variables, problem_.rows);
    char context[80];
    std::snprintf(context, sizeof context, "record %d (t = %.12g)", s, record.t.value);
    CheckReport report = check_result(problem_, rhs, objective, form_, result, &printed);
    if (result.status != Status::optimal)
        report.findings.push_back("the record was taken where the problem has no optimum (" +
                                  std::string(result.status == Status::unbounded ? "unbounded" : "infeasible") + ")");
    reports_.emplace_back(context, std::move(report));
}

void ResultChecker::check_model_record(const Problem& model, const sweep::Target& target, int s,
                                       const sweep::Record& record) {
    char context[96];
    std::snprintf(context, sizeof context, "record %d in the model's terms (t = %.12g)", s, record.t);
    reports_.emplace_back(context, lpsens::check_model_record(model, target, record));
}

bool ResultChecker::passed() const {
    for (const auto& entry : reports_)
        if (!entry.second.passed()) return false;
    return true;
}

}  // namespace lpsens
