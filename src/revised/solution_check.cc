#include "revised/solution_check.h"

#include <algorithm>
#include <cmath>

namespace lpsens::revised {

namespace {
using Wide = long double;

double violation(double x, double lower, double upper) {
    if (x < lower) return lower - x;
    if (x > upper) return x - upper;
    return 0.0;
}

// How wrong a dual value is for where its variable sits; `value` is in
// minimisation terms (d for a column, y for a row's activity).
double dual_error(BasisStatus status, double value) {
    switch (status) {
        case BasisStatus::basic: return std::fabs(value);
        case BasisStatus::at_lower: return value < 0 ? -value : 0.0;
        case BasisStatus::at_upper: return value > 0 ? value : 0.0;
        case BasisStatus::free_at_zero: return std::fabs(value);
        case BasisStatus::fixed: return 0.0;
    }
    return 0.0;
}
}  // namespace

SolutionCheck check_solution(const LpData& lp, const WorkingLp& working, LpSolution& solution, double tolerance,
                             bool check_duals) {
    SolutionCheck check;
    const int n = lp.cols;
    const int m = lp.rows;
    double primal_unscaled = 0, primal_scaled = 0;
    bool primal_ok = true;
    // Values recomputed through the factors carry rounding in proportion
    // to the largest of them.
    double largest = 0;
    for (int j = 0; j < n; ++j) largest = std::max(largest, std::fabs(solution.col_value[j] / working.var_scale[j]));
    for (int i = 0; i < m; ++i) largest = std::max(largest, std::fabs(solution.row_activity[i] * working.row_scale[i]));
    const double allowed = tolerance + 1e-12 * largest;
    std::vector<Wide> activity(m, 0);
    for (int j = 0; j < n; ++j) {
        const double x = solution.col_value[j];
        const double v = violation(x, lp.col_lower[j], lp.col_upper[j]);
        const double scaled = v / working.var_scale[j];
        primal_unscaled = std::max(primal_unscaled, v);
        primal_scaled = std::max(primal_scaled, scaled);
        if (scaled > allowed + 1e-9 * std::fabs(x / working.var_scale[j])) primal_ok = false;
        for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) activity[lp.row_index[t]] += static_cast<Wide>(lp.value[t]) * x;
    }
    for (int i = 0; i < m; ++i) {
        const double r = static_cast<double>(activity[i]);
        const double v = violation(r, lp.row_lower[i], lp.row_upper[i]);
        const double scaled = v * working.row_scale[i];
        primal_unscaled = std::max(primal_unscaled, v);
        primal_scaled = std::max(primal_scaled, scaled);
        if (scaled > allowed + 1e-9 * std::fabs(r * working.row_scale[i])) primal_ok = false;
    }
    solution.primal_infeasibility = primal_unscaled;
    check.primal_scaled = primal_scaled;
    check.primal_ok = primal_ok;

    const double sign = lp.sense == Sense::minimise ? 1.0 : -1.0;
    double dual_unscaled = 0, dual_scaled = 0;
    bool dual_ok = true;
    if (check_duals) {
        solution.reduced_cost.assign(n, 0.0);
        for (int j = 0; j < n; ++j) {
            Wide d = lp.cost[j];
            Wide magnitude = std::fabs(lp.cost[j]);
            for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) {
                const Wide product = static_cast<Wide>(lp.value[t]) * solution.row_dual[lp.row_index[t]];
                d -= product;
                magnitude += std::fabs(product);
            }
            const BasisStatus status = solution.basis.col_status[j];
            solution.reduced_cost[j] = status == BasisStatus::basic ? 0.0 : static_cast<double>(d);
            const double e = dual_error(status, sign * static_cast<double>(d));
            const double scaled = e * working.var_scale[j];
            dual_unscaled = std::max(dual_unscaled, e);
            dual_scaled = std::max(dual_scaled, scaled);
            if (scaled > tolerance + 1e-9 * static_cast<double>(magnitude) * working.var_scale[j]) dual_ok = false;
        }
        for (int i = 0; i < m; ++i) {
            const double y = solution.row_dual[i];
            const double e = dual_error(solution.basis.row_status[i], sign * y);
            const double scaled = e / working.row_scale[i];
            dual_unscaled = std::max(dual_unscaled, e);
            dual_scaled = std::max(dual_scaled, scaled);
            if (scaled > tolerance) dual_ok = false;
        }
    }
    solution.dual_infeasibility = dual_unscaled;
    check.dual_scaled = dual_scaled;
    check.dual_ok = dual_ok;
    return check;
}

}  // namespace lpsens::revised
