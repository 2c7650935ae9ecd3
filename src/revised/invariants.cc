#include "revised/invariants.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "revised/simplex_values.h"

namespace lpsens::revised {

std::string check_basis_consistency(const SimplexBasis& basis) {
    const int m = basis.rows();
    const int vars = static_cast<int>(basis.position_by_var.size());
    std::vector<char> seen(vars, 0);
    for (int p = 0; p < m; ++p) {
        const int var = basis.basic_by_position[p];
        if (var < 0 || var >= vars) return "position " + std::to_string(p) + " holds no variable";
        if (seen[var]) return "variable " + std::to_string(var) + " at two positions";
        seen[var] = 1;
        if (basis.position_by_var[var] != p)
            return "variable " + std::to_string(var) + " does not point back to position " + std::to_string(p);
        if (basis.status_by_var[var] != VarStatus::basic)
            return "variable " + std::to_string(var) + " at position " + std::to_string(p) + " is not marked basic";
    }
    for (int var = 0; var < vars; ++var) {
        if (seen[var]) continue;
        if (basis.position_by_var[var] != -1) return "nonbasic variable " + std::to_string(var) + " has a position";
        if (basis.status_by_var[var] == VarStatus::basic)
            return "variable " + std::to_string(var) + " marked basic without a position";
    }
    return {};
}

std::string check_nonbasic_values(const SimplexState& s) {
    for (int var = 0; var < s.vars(); ++var) {
        const VarStatus status = s.basis.status_by_var[var];
        if (status == VarStatus::basic) continue;
        const double expected = nonbasic_value(s, var);
        if (!std::isfinite(expected))
            return "nonbasic variable " + std::to_string(var) + " sits at an infinite bound";
        if (s.x_by_var[var] != expected)
            return "nonbasic variable " + std::to_string(var) + " is not at the value of its status";
    }
    return {};
}

std::string check_residuals(const SimplexState& s, double tolerance) {
    const double primal = primal_residual(s);
    if (!(primal <= tolerance)) return "primal residual " + std::to_string(primal);
    const WorkingLp& lp = *s.lp;
    factor::SparseVector y;
    y.resize(lp.rows);
    for (int p = 0; p < lp.rows; ++p) y.value[p] = s.cost_by_var[s.basis.basic_by_position[p]];
    y.rebuild_index();
    s.basis.factor().btran(y, 1.0);
    // Rounding grows with the products that make up each reduced cost, and
    // the updates since the last recomputation carry the rounding of the
    // largest costs into every reduced cost.
    double biggest_y = 0, biggest_cost = 0;
    for (int i = 0; i < lp.rows; ++i) biggest_y = std::max(biggest_y, std::fabs(y.value[i]));
    for (int var = 0; var < s.vars(); ++var) biggest_cost = std::max(biggest_cost, std::fabs(s.cost_by_var[var]));
    for (int var = 0; var < s.vars(); ++var) {
        if (s.basis.is_basic(var)) continue;
        double d = s.cost_by_var[var];
        double magnitude = std::fabs(d) + biggest_y + biggest_cost;
        if (var < lp.cols) {
            for (int t = lp.col_start[var]; t < lp.col_start[var + 1]; ++t) {
                d -= lp.col_value[t] * y.value[lp.col_row[t]];
                magnitude += std::fabs(lp.col_value[t]) * biggest_y;
            }
        } else {
            d -= y.value[var - lp.cols];
        }
        const double difference = std::fabs(d - s.d_by_var[var]);
        if (!(difference <= tolerance * (1 + magnitude)))
            return "reduced cost of variable " + std::to_string(var) + " off by " + std::to_string(difference);
    }
    return {};
}

std::string check_invariants(const SimplexState& s, double tolerance) {
    if (std::string why = check_basis_consistency(s.basis); !why.empty()) return why;
    if (std::string why = check_nonbasic_values(s); !why.empty()) return why;
    return check_residuals(s, tolerance);
}

}  // namespace lpsens::revised
