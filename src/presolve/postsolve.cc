// The undo of every step, last first. Each rebuilds the values, duals and
// statuses of what its step removed from those of the problem after it:
//   x  the column values, y the row duals;
//   d  the reduced costs with respect to the rows put back so far (a row's
//      dual, once known, is taken off the reduced costs of its columns);
//   statuses, with "at lower" and "at upper" naming the bounds of the
//      problem at that step, so that a step whose bound a column sits on
//      can hand the column's place to its row.
#include <cmath>
#include <stdexcept>

#include "presolve/presolve.h"

namespace lpsens::presolve {

namespace {

using revised::BasisStatus;

enum class At : unsigned char { basic, lower, upper, zero };

struct Values {
    double sense;  // +1 to minimise, -1 to maximise: the sign of a dual-feasible d at a lower bound
    std::vector<double> x, y, d;
    std::vector<At> col, row;
};

At from_basis(BasisStatus s) {
    switch (s) {
        case BasisStatus::basic: return At::basic;
        case BasisStatus::at_lower: return At::lower;
        case BasisStatus::at_upper: return At::upper;
        case BasisStatus::free_at_zero: return At::zero;
        case BasisStatus::fixed: return At::lower;
    }
    return At::lower;
}

// A row's dual y goes onto the reduced costs of its columns.
void take_row_dual(const Presolved& p, const Step& s, Values& v) {
    const double y = v.y[s.row];
    if (y == 0) return;
    for (int k = s.row_begin; k < s.row_end; ++k) v.d[p.row_pool[k].index] -= p.row_pool[k].value * y;
}

// The reduced cost of a column put back: its cost less its rows' duals
// (the rows of its step count with dual 0 until the step sets them).
double reduced_cost(const Presolved& p, const RemovedCol& c, const Values& v) {
    double d = c.cost;
    for (int k = c.begin; k < c.end; ++k) d -= p.col_pool[k].value * v.y[p.col_pool[k].index];
    return d;
}

// A nonbasic column of the step's problem: at the bound its value is on;
// a fixed one at the bound its reduced cost points to.
At nonbasic_at(const RemovedCol& c, double x, double d, double sense) {
    if (c.lower == c.upper) return sense * d >= 0 ? At::lower : At::upper;
    if (x == c.lower) return At::lower;
    if (x == c.upper) return At::upper;
    return At::zero;
}

void undo_removed_col(const Presolved& p, const Step& s, Values& v) {
    const RemovedCol& c = p.removed_cols[s.removed_begin];
    v.x[c.col] = c.value;
    v.d[c.col] = reduced_cost(p, c, v);
    v.col[c.col] = nonbasic_at(c, c.value, v.d[c.col], v.sense);
}

void undo_row_singleton(const Step& s, Values& v) {
    const At at = v.col[s.col];
    v.y[s.row] = 0;
    if ((s.lower_tightened && at == At::lower) || (s.upper_tightened && at == At::upper)) {
        // The column sits on a bound the row gave it: the row is the one at
        // its side, and the column is basic.
        v.y[s.row] = v.d[s.col] / s.coef;
        v.d[s.col] = 0;
        v.col[s.col] = At::basic;
        v.row[s.row] = (at == At::lower) == (s.coef > 0) ? At::lower : At::upper;
        return;
    }
    v.row[s.row] = At::basic;
}

void undo_forcing_row(const Presolved& p, const Step& s, Values& v) {
    v.y[s.row] = 0;
    for (int r = s.removed_begin; r < s.removed_end; ++r) {
        const RemovedCol& c = p.removed_cols[r];
        v.x[c.col] = c.value;
        v.d[c.col] = reduced_cost(p, c, v);
    }
    // With t = sense * y, a column at the bound the row forces stays dual
    // feasible while t <= sense * d / a (row at its upper side; >= at its
    // lower), and the row's own sign asks t <= 0 (>= 0). The column that
    // limits t most becomes basic; fixed columns take any sign.
    double t = 0;
    int limiting = -1;
    for (int r = s.removed_begin; r < s.removed_end; ++r) {
        const RemovedCol& c = p.removed_cols[r];
        if (c.lower == c.upper) continue;
        const double a = p.row_pool[s.row_begin + (r - s.removed_begin)].value;
        const double ratio = v.sense * v.d[c.col] / a;
        if (s.upper_side ? ratio < t : ratio > t) {
            t = ratio;
            limiting = c.col;
        }
    }
    v.y[s.row] = v.sense * t;
    take_row_dual(p, s, v);
    for (int r = s.removed_begin; r < s.removed_end; ++r) {
        const RemovedCol& c = p.removed_cols[r];
        v.col[c.col] = nonbasic_at(c, c.value, v.d[c.col], v.sense);
    }
    if (limiting >= 0) {
        v.d[limiting] = 0;
        v.col[limiting] = At::basic;
        v.row[s.row] = s.upper_side ? At::upper : At::lower;
    } else {
        v.row[s.row] = At::basic;
    }
}

void undo_doubleton(const Presolved& p, const Step& s, Values& v) {
    const RemovedCol& c = p.removed_cols[s.removed_begin];
    const int j = c.col, k = s.col;
    const double aj = s.removed_coef, ak = s.coef;
    v.x[j] = (s.side - ak * v.x[k]) / aj;
    v.y[s.row] = 0;
    const double dj0 = reduced_cost(p, c, v);  // without the row's dual
    // d_k = d'_k + (ak / aj) dj0 - ak y and d_j = dj0 - aj y, where d'_k is
    // x_k's reduced cost in the problem with x_j substituted.
    const At at = v.col[k];
    const double dk_after = v.d[k];
    if ((s.lower_tightened && at == At::lower) || (s.upper_tightened && at == At::upper)) {
        // x_k sits on a bound x_j gave it: x_j is on its own bound, x_k basic.
        v.y[s.row] = dk_after / ak + dj0 / aj;
        v.d[k] = 0;
        v.d[j] = -aj * dk_after / ak;
        v.col[k] = At::basic;
        const bool same_sign = (aj > 0) == (ak > 0);
        // x_k at its lower bound means x_j at its upper one when the signs agree.
        const bool j_upper = (at == At::lower) == same_sign;
        v.col[j] = c.lower == c.upper ? (v.sense * v.d[j] >= 0 ? At::lower : At::upper)
                                      : (j_upper ? At::upper : At::lower);
        if (std::isinf(j_upper ? c.upper : c.lower)) v.col[j] = At::zero;
    } else {
        v.y[s.row] = dj0 / aj;
        v.d[j] = 0;
        v.col[j] = At::basic;
    }
    v.row[s.row] = v.sense * v.y[s.row] >= 0 ? At::lower : At::upper;
}

void undo_free_singleton(const Presolved& p, const Step& s, Values& v) {
    const RemovedCol& c = p.removed_cols[s.removed_begin];
    double rest = 0;
    for (int k = s.row_begin; k < s.row_end; ++k)
        if (p.row_pool[k].index != c.col) rest += p.row_pool[k].value * v.x[p.row_pool[k].index];
    v.x[c.col] = (s.side - rest) / s.removed_coef;
    // The other columns' costs took the row's dual already.
    v.y[s.row] = c.cost / s.removed_coef;
    v.d[c.col] = 0;
    v.col[c.col] = At::basic;
    v.row[s.row] = s.upper_side ? At::upper : At::lower;
}

void undo_duplicate_row(const Step& s, Values& v) {
    const int i = s.other, r = s.row;
    const At at = v.row[i];
    v.y[r] = 0;
    if ((s.lower_tightened && at == At::lower) || (s.upper_tightened && at == At::upper)) {
        // Row i sits on a side row r gave it: r holds there, with the dual
        // (the columns see the same a_i y_i = a_r y_r), and row i is basic.
        v.y[r] = v.y[i] / s.scale;
        v.y[i] = 0;
        v.row[i] = At::basic;
        v.row[r] = (at == At::lower) == (s.scale > 0) ? At::lower : At::upper;
        return;
    }
    v.row[r] = At::basic;
}

bool within(double x, double lower, double upper) {
    return x >= lower - 1e-9 * (1 + std::fabs(lower)) && x <= upper + 1e-9 * (1 + std::fabs(upper));
}

void undo_duplicate_col(const Presolved& p, const Step& s, Values& v) {
    const RemovedCol& c = p.removed_cols[s.removed_begin];
    const int j = s.other, k = c.col;
    const double scale = s.scale, merged = v.x[j];
    const At at = v.col[j];
    v.d[k] = scale * v.d[j];
    // x_j + scale x_k is the merged column's value.
    if (at == At::lower || at == At::upper) {
        const bool k_lower = (at == At::lower) == (scale > 0);
        v.x[j] = at == At::lower ? s.other_lower : s.other_upper;
        v.x[k] = k_lower ? c.lower : c.upper;
        v.col[k] = k_lower ? At::lower : At::upper;
        return;
    }
    if (at == At::zero) {
        v.x[k] = 0;
        v.col[k] = At::zero;
        return;
    }
    // Basic: one of the two is basic, the other on a bound of its own.
    for (const double xk : {c.lower, c.upper}) {
        const double xj = merged - scale * xk;
        if (std::isfinite(xk) && within(xj, s.other_lower, s.other_upper)) {
            v.x[j] = xj;
            v.x[k] = xk;
            v.col[k] = xk == c.lower ? At::lower : At::upper;
            return;
        }
    }
    for (const double xj : {s.other_lower, s.other_upper}) {
        const double xk = (merged - xj) / scale;
        if (std::isfinite(xj) && within(xk, c.lower, c.upper)) {
            v.x[j] = xj;
            v.x[k] = xk;
            v.col[j] = xj == s.other_lower ? At::lower : At::upper;
            v.col[k] = At::basic;
            return;
        }
    }
    v.x[k] = 0;
    v.col[k] = At::zero;
}

// The status of a variable with bounds [lower, upper] of the LP as given.
BasisStatus final_status(At at, double x, double lower, double upper) {
    if (at == At::basic) return BasisStatus::basic;
    if (lower == upper) return BasisStatus::fixed;
    const bool has_lower = std::isfinite(lower), has_upper = std::isfinite(upper);
    if (!has_lower && !has_upper) return BasisStatus::free_at_zero;
    if (at == At::zero) {
        // A free-looking place on a bounded variable: the nearer bound.
        if (has_lower && has_upper) return std::fabs(x - lower) <= std::fabs(upper - x) ? BasisStatus::at_lower : BasisStatus::at_upper;
        return has_lower ? BasisStatus::at_lower : BasisStatus::at_upper;
    }
    if (at == At::lower) return has_lower ? BasisStatus::at_lower : BasisStatus::at_upper;
    return has_upper ? BasisStatus::at_upper : BasisStatus::at_lower;
}

}  // namespace

Postsolved postsolve(const revised::LpData& lp, const Presolved& p, const revised::LpSolution& reduced) {
    const auto n = static_cast<std::size_t>(lp.cols), m = static_cast<std::size_t>(lp.rows);
    Values v;
    v.sense = lp.sense == revised::Sense::maximise ? -1.0 : 1.0;
    v.x.assign(n, 0);
    v.d.assign(n, 0);
    v.y.assign(m, 0);
    v.col.assign(n, At::lower);
    v.row.assign(m, At::basic);
    if (p.outcome == Outcome::reduced) {
        if (reduced.col_value.size() != p.col_origin.size() || reduced.row_dual.size() != p.row_origin.size() ||
            reduced.basis.col_status.size() != p.col_origin.size() ||
            reduced.basis.row_status.size() != p.row_origin.size())
            throw std::invalid_argument("postsolve: the solution is not one of the reduced problem");
        for (std::size_t j = 0; j < p.col_origin.size(); ++j) {
            const auto c = static_cast<std::size_t>(p.col_origin[j]);
            v.x[c] = reduced.col_value[j];
            v.d[c] = reduced.reduced_cost[j];
            v.col[c] = from_basis(reduced.basis.col_status[j]);
            // A fixed column's side is the one its reduced cost points to.
            if (reduced.basis.col_status[j] == BasisStatus::fixed && v.sense * v.d[c] < 0) v.col[c] = At::upper;
        }
        for (std::size_t i = 0; i < p.row_origin.size(); ++i) {
            const auto r = static_cast<std::size_t>(p.row_origin[i]);
            v.y[r] = reduced.row_dual[i];
            v.row[r] = from_basis(reduced.basis.row_status[i]);
            if (reduced.basis.row_status[i] == BasisStatus::fixed && v.sense * v.y[r] < 0) v.row[r] = At::upper;
        }
        for (auto s = p.steps.rbegin(); s != p.steps.rend(); ++s) {
            switch (s->kind) {
                case StepKind::free_row:
                    v.y[s->row] = 0;
                    v.row[s->row] = At::basic;
                    break;
                case StepKind::removed_col: undo_removed_col(p, *s, v); break;
                case StepKind::row_singleton: undo_row_singleton(*s, v); break;
                case StepKind::forcing_row: undo_forcing_row(p, *s, v); break;
                case StepKind::doubleton: undo_doubleton(p, *s, v); break;
                case StepKind::free_singleton: undo_free_singleton(p, *s, v); break;
                case StepKind::duplicate_row: undo_duplicate_row(*s, v); break;
                case StepKind::duplicate_col: undo_duplicate_col(p, *s, v); break;
            }
        }
    }
    Postsolved out;
    out.basis.col_status.resize(n);
    out.basis.row_status.resize(m);
    for (std::size_t j = 0; j < n; ++j)
        out.basis.col_status[j] = final_status(v.col[j], v.x[j], lp.col_lower[j], lp.col_upper[j]);
    std::vector<double> activity(m, 0);
    for (int j = 0; j < lp.cols; ++j)
        for (int k = lp.start[j]; k < lp.start[j + 1]; ++k) activity[lp.row_index[k]] += lp.value[k] * v.x[j];
    for (std::size_t i = 0; i < m; ++i)
        out.basis.row_status[i] = final_status(v.row[i], activity[i], lp.row_lower[i], lp.row_upper[i]);
    out.col_value = std::move(v.x);
    out.row_dual = std::move(v.y);
    out.reduced_cost = std::move(v.d);
    return out;
}

}  // namespace lpsens::presolve
