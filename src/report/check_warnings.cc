#include "report/check_warnings.h"

#include <cstdio>

namespace lpsens {

namespace {

std::string number(Extended x, int digits = 6) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*Lg", digits, x);
    return buf;
}

}  // namespace

void report_checks(Channel& console, const CheckReport& report, const std::string& context, bool show_figures,
                   const CheckAdvice& advice) {
    auto line = [&](const std::string& kind, const std::string& text) {
        console.write("lpsens: " + kind + ": " + text + "\n");
    };
    if (show_figures) {
        std::string figures = context + ":";
        if (report.certificate_checked)
            figures += " certificate of infeasibility with bound " + number(report.certificate_bound, 6) + ",";
        else if (report.have_objective) figures += " recomputed objective " + number(report.objective, 15) + ",";
        if (!report.certificate_checked && !report.singular)
            figures += " primal infeasibility " + number(report.primal_infeasibility, 3) + ", dual infeasibility " +
                       number(report.dual_infeasibility, 3) + ", printed difference " +
                       number(report.printed_difference, 3) +
                       (report.printed_difference == 1 ? " unit," : " units,");
        if (report.pivot_ratio_known)
            figures += " smallest pivot " + number(report.pivot_ratio, 3);
        else if (figures.back() == ',')
            figures.pop_back();
        line("check", figures + (report.passed() ? ", passed" : ", failed"));
    }
    if (report.passed()) return;
    line("warning", "the checks of " + context + " failed:");
    for (const std::string& finding : report.findings) line("warning", "  " + finding);
    if (report.have_objective && report.feasible && !report.singular)
        line("warning", "  the final basis, recomputed from the problem, is feasible with objective value " +
                            number(report.objective, 15));
    if (advice.proven_exactly && advice.exact_tableau)
        line("warning", "  the report is made from the proven basis in exact rational arithmetic (below): these "
                        "findings are the floating-point checks' own");
    else if (advice.proven_exactly)
        line("warning", "  the verdict is proven in exact rational arithmetic all the same (below)");
    else if (advice.accurate)
        line("warning", "  accurate mode could not settle this problem; please report it together with the "
                        "problem file");
    else if (advice.negative_rhs)
        line("warning", "  rows with a negative right-hand side are not made feasible; multiply them by -1 "
                        "(swapping <= and >=) and run again");
    else
        line("warning", "  the arithmetic of the stored format (40-bit reals, fixed 0.00001 tolerances) has lost "
                        "this problem; run it again with --accurate");
}

void report_all_checks(Channel& console, const ResultChecker& checker, bool show_figures, const CheckAdvice& advice) {
    for (const auto& [context, result] : checker.reports()) report_checks(console, result, context, show_figures, advice);
}

}  // namespace lpsens
