#include "revised/simplex_values.h"

#include <algorithm>
#include <cmath>

namespace lpsens::revised {

double nonbasic_value(const SimplexState& s, int var) {
    switch (s.basis.status_by_var[var]) {
        case VarStatus::at_lower: return s.lower_by_var[var];
        case VarStatus::at_upper: return s.upper_by_var[var];
        case VarStatus::at_zero: return 0.0;
        case VarStatus::basic: break;
    }
    return s.x_by_var[var];
}

void set_nonbasic_values(SimplexState& s) {
    for (int var = 0; var < s.vars(); ++var) {
        // A status that names an infinite bound is repaired first.
        VarStatus& status = s.basis.status_by_var[var];
        if (status == VarStatus::basic) continue;
        const bool has_lower = std::isfinite(s.lower_by_var[var]);
        const bool has_upper = std::isfinite(s.upper_by_var[var]);
        if (status == VarStatus::at_lower && !has_lower) status = has_upper ? VarStatus::at_upper : VarStatus::at_zero;
        if (status == VarStatus::at_upper && !has_upper) status = has_lower ? VarStatus::at_lower : VarStatus::at_zero;
        if (status == VarStatus::at_zero && (has_lower || has_upper))
            status = has_lower ? VarStatus::at_lower : VarStatus::at_upper;
        s.x_by_var[var] = nonbasic_value(s, var);
    }
}

void compute_basic_values(SimplexState& s) {
    const WorkingLp& lp = *s.lp;
    const int m = lp.rows;
    factor::SparseVector rhs;
    rhs.resize(m);
    std::fill(rhs.value.begin(), rhs.value.end(), 0.0);
    for (int j = 0; j < lp.cols; ++j) {
        if (s.basis.is_basic(j)) continue;
        const double x = s.x_by_var[j];
        if (x == 0.0) continue;
        for (int t = lp.col_start[j]; t < lp.col_start[j + 1]; ++t) rhs.value[lp.col_row[t]] -= lp.col_value[t] * x;
    }
    for (int i = 0; i < m; ++i) {
        if (s.basis.is_basic(lp.cols + i)) continue;
        rhs.value[i] -= s.x_by_var[lp.cols + i];
    }
    rhs.count = -1;
    rhs.rebuild_index();
    s.basis.factor().ftran(rhs, 1.0);
    for (int p = 0; p < m; ++p) s.x_by_var[s.basis.basic_by_position[p]] = rhs.value[p];
}

void compute_reduced_costs(SimplexState& s, std::vector<double>* y_by_row) {
    const WorkingLp& lp = *s.lp;
    const int m = lp.rows;
    factor::SparseVector y;
    y.resize(m);
    for (int p = 0; p < m; ++p) y.value[p] = s.cost_by_var[s.basis.basic_by_position[p]];
    y.rebuild_index();
    s.basis.factor().btran(y, 1.0);
    for (int j = 0; j < lp.cols; ++j) {
        if (s.basis.is_basic(j)) {
            s.d_by_var[j] = 0.0;
            continue;
        }
        double dot = 0;
        for (int t = lp.col_start[j]; t < lp.col_start[j + 1]; ++t) dot += lp.col_value[t] * y.value[lp.col_row[t]];
        s.d_by_var[j] = s.cost_by_var[j] - dot;
    }
    for (int i = 0; i < m; ++i) {
        const int var = lp.cols + i;
        s.d_by_var[var] = s.basis.is_basic(var) ? 0.0 : s.cost_by_var[var] - y.value[i];
    }
    if (y_by_row) y_by_row->assign(y.value.begin(), y.value.end());
}

int refactorise(SimplexState& s) {
    const int replaced = s.basis.factorise();
    ++s.iterations.refactorisations;
    if (replaced > 0) {
        for (int var : s.basis.replaced_vars) {
            // Out of the basis at a finite bound where it has one.
            const bool has_lower = std::isfinite(s.lower_by_var[var]);
            const bool has_upper = std::isfinite(s.upper_by_var[var]);
            s.basis.status_by_var[var] = has_lower ? VarStatus::at_lower
                                         : has_upper ? VarStatus::at_upper
                                                     : VarStatus::at_zero;
        }
        // The changed positions make the old weights stale.
        s.dual_weights.compute_exact(s.basis);
    }
    set_nonbasic_values(s);
    compute_basic_values(s);
    compute_reduced_costs(s);
    return replaced;
}

double max_basic_infeasibility(const SimplexState& s) {
    double worst = 0;
    for (int p = 0; p < s.rows(); ++p) {
        const int var = s.basis.basic_by_position[p];
        worst = std::max(worst, bound_violation(s.x_by_var[var], s.lower_by_var[var], s.upper_by_var[var]));
    }
    return worst;
}

double dual_infeasibility(const SimplexState& s, int var) {
    const double d = s.d_by_var[var];
    const double lower = s.lower_by_var[var];
    const double upper = s.upper_by_var[var];
    if (lower == upper) return 0.0;
    switch (s.basis.status_by_var[var]) {
        case VarStatus::basic: return 0.0;
        case VarStatus::at_lower: return d < 0 ? -d : 0.0;
        case VarStatus::at_upper: return d > 0 ? d : 0.0;
        case VarStatus::at_zero: return std::fabs(d);
    }
    return 0.0;
}

int flip_to_dual_feasible_bounds(SimplexState& s) {
    int flips = 0;
    for (int var = 0; var < s.vars(); ++var) {
        VarStatus& status = s.basis.status_by_var[var];
        if (status == VarStatus::basic) continue;
        const double lower = s.lower_by_var[var];
        const double upper = s.upper_by_var[var];
        if (!std::isfinite(lower) || !std::isfinite(upper) || lower == upper) continue;
        const double d = s.d_by_var[var];
        if (status == VarStatus::at_lower && d < -s.tol.dual) {
            status = VarStatus::at_upper;
            s.x_by_var[var] = upper;
            ++flips;
        } else if (status == VarStatus::at_upper && d > s.tol.dual) {
            status = VarStatus::at_lower;
            s.x_by_var[var] = lower;
            ++flips;
        }
    }
    return flips;
}

int count_dual_infeasibilities(const SimplexState& s, bool count_boxed, double* largest) {
    int count = 0;
    double worst = 0;
    for (int var = 0; var < s.vars(); ++var) {
        const double e = dual_infeasibility(s, var);
        if (e > s.tol.dual) {
            const bool boxed = std::isfinite(s.lower_by_var[var]) && std::isfinite(s.upper_by_var[var]);
            if (boxed && !count_boxed) continue;
            ++count;
            worst = std::max(worst, e);
        }
    }
    if (largest) *largest = worst;
    return count;
}

int correct_dual_infeasibilities(SimplexState& s) {
    if (flip_to_dual_feasible_bounds(s) > 0) compute_basic_values(s);
    int shifts = 0;
    for (int var = 0; var < s.vars(); ++var) {
        if (dual_infeasibility(s, var) <= s.tol.dual) continue;
        s.cost_by_var[var] -= s.d_by_var[var];
        s.d_by_var[var] = 0.0;
        s.costs_modified = true;
        ++shifts;
    }
    return shifts;
}

void add_column(const WorkingLp& lp, int var, double scale, factor::SparseVector& v) {
    if (var >= lp.cols) {
        v.add(var - lp.cols, scale);
        return;
    }
    for (int t = lp.col_start[var]; t < lp.col_start[var + 1]; ++t) v.add(lp.col_row[t], lp.col_value[t] * scale);
}

double primal_residual(const SimplexState& s) {
    const WorkingLp& lp = *s.lp;
    std::vector<double> r(lp.rows, 0.0);
    double biggest = 0;
    for (int j = 0; j < lp.cols; ++j) {
        const double x = s.x_by_var[j];
        biggest = std::max(biggest, std::fabs(x));
        if (x == 0.0) continue;
        for (int t = lp.col_start[j]; t < lp.col_start[j + 1]; ++t) r[lp.col_row[t]] += lp.col_value[t] * x;
    }
    double worst = 0;
    for (int i = 0; i < lp.rows; ++i) {
        const double x = s.x_by_var[lp.cols + i];
        biggest = std::max(biggest, std::fabs(x));
        worst = std::max(worst, std::fabs(r[i] + x));
    }
    return worst / (1.0 + biggest);
}

}  // namespace lpsens::revised
