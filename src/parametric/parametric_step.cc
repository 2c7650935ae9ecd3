#include "parametric/parametric_step.h"

#include "simplex/cycle_guard.h"
#include "simplex/exchange_monitor.h"
#include "simplex/pivot.h"

namespace lpsens {

namespace {

constexpr Extended negative_limit = -0.00001L;
constexpr Extended breakpoint_minimum = 0.00001L;
const StoredReal best_ratio_start = stored(9e30L);

// Records in state.step_length the smallest ratio value / -direction over
// the entries whose direction is below -0.00001 and whose ratio exceeds
// 0.00001; 1000000 when there is none.
template <class ValueAt>
void search_breakpoint(Workspace& ws, SweepState& state, int count, ValueAt value_at, Site site) {
    state.step_length = no_breakpoint_length;
    state.ratio = StoredReal{};
    for (int x = 1; x <= count; ++x) {
        const Extended direction = load_real(ws.sweep_direction[x]);
        if (!(direction < negative_limit)) continue;
        store_real(load_real(value_at(x)) / -direction, state.ratio, site);
        if (load_real(state.ratio) > breakpoint_minimum && state.ratio.value < state.step_length.value)
            state.step_length = state.ratio;
    }
}

}  // namespace

void advance_parameter(SweepState& state) {
    const Extended one = sweep_end;
    if (load_real(state.step_length) > no_breakpoint_limit) {
        store_real(one - load_real(state.t), state.step_length);
        state.t = stored(one);
        return;
    }
    store_real(load_real(state.step_length) + breakpoint_overshoot, state.step_length);
    if (load_real(state.t) + load_real(state.step_length) > one) {
        store_real(one - load_real(state.t), state.step_length);
        state.t = stored(one);
    } else {
        store_real(load_real(state.t) + load_real(state.step_length), state.t);
    }
}

void objective_step(Workspace& ws, SweepState& state) {
    const int columns = ws.column_count();
    for (int j = 1; j <= columns; ++j) ws.sweep_direction[j] = StoredReal{};
    for (int k = 1; k <= ws.param_count; ++k) {
        state.item = ws.param_index[k];
        state.position = ws.column_origin[state.item];
        const Extended delta = load_real(ws.param_delta[k]);
        if (state.position > 0) {
            const StoredReal* row = ws.tableau.row(state.position);
            for (int j = 1; j <= columns; ++j)
                store_real(load_real(ws.sweep_direction[j]) + delta * load_real(row[j]), ws.sweep_direction[j],
                           Site::objective_step);
        } else {
            const int c = -state.position;
            store_real(load_real(ws.sweep_direction[c]) - delta, ws.sweep_direction[c], Site::objective_step);
        }
    }
    const StoredReal* objective = ws.tableau.row(0);
    search_breakpoint(ws, state, columns, [&](int j) { return objective[j]; }, Site::objective_step);
    advance_parameter(state);

    const Extended length = load_real(state.step_length);
    StoredReal* target = ws.tableau.row(0);
    for (int k = 1; k <= ws.param_count; ++k) {
        state.item = ws.param_index[k];
        state.position = ws.column_origin[state.item];
        const Extended delta = load_real(ws.param_delta[k]);
        if (state.position > 0) {
            const StoredReal* row = ws.tableau.row(state.position);
            for (int j = 0; j <= columns; ++j)
                store_real(load_real(target[j]) + (delta * length) * load_real(row[j]), target[j],
                           Site::objective_step);
        } else {
            const int c = -state.position;
            store_real(load_real(target[c]) - delta * length, target[c], Site::objective_step);
        }
    }
}

void rhs_step(Workspace& ws, SweepState& state) {
    const int m = ws.row_count;
    for (int i = 1; i <= m; ++i) ws.sweep_direction[i] = StoredReal{};
    for (int k = 1; k <= ws.param_count; ++k) {
        state.item = ws.param_index[k];
        state.position = ws.row_origin[state.item];
        const Extended delta = load_real(ws.param_delta[k]);
        if (state.position < 0) {
            const int c = -state.position;
            for (int i = 1; i <= m; ++i)
                store_real(load_real(ws.sweep_direction[i]) + delta * load_real(ws.tableau(i, c)),
                           ws.sweep_direction[i], Site::rhs_step);
        } else {
            const int p = state.position;
            store_real(load_real(ws.sweep_direction[p]) + delta, ws.sweep_direction[p], Site::rhs_step);
        }
    }
    search_breakpoint(ws, state, m, [&](int i) { return ws.tableau(i, 0); }, Site::rhs_step);
    advance_parameter(state);

    const Extended length = load_real(state.step_length);
    for (int k = 1; k <= ws.param_count; ++k) {
        state.item = ws.param_index[k];
        state.position = ws.row_origin[state.item];
        const Extended delta = load_real(ws.param_delta[k]);
        if (state.position < 0) {
            const int c = -state.position;
            for (int i = 0; i <= m; ++i)
                store_real(load_real(ws.tableau(i, 0)) + (delta * length) * load_real(ws.tableau(i, c)),
                           ws.tableau(i, 0), Site::rhs_step);
        } else {
            const int p = state.position;
            store_real(load_real(ws.tableau(p, 0)) + delta * length, ws.tableau(p, 0), Site::rhs_step);
        }
    }
}

namespace {

// The sign of row i's infeasibility: -1 when its value is below -0.00001;
// +1 when, while a sweep keeps artificial variables at zero, an artificial
// variable stands in it above 0.00001; 0 when the row is feasible.
int infeasibility_sign(const Workspace& ws, int i) {
    const Extended value = load_real(ws.tableau(i, 0));
    if (value < negative_limit) return -1;
    if (ws.exchange.artificials_stay_at_zero && value > -negative_limit && is_artificial(ws.basis_label[i])) return 1;
    return 0;
}

// The leaving row: the first infeasible row, or while cycling the one whose
// basic variable has the smallest code.  0 when every row is feasible.
int infeasible_row(const Workspace& ws, bool cycling) {
    int result = 0;
    for (int i = 1; i <= ws.row_count; ++i) {
        if (infeasibility_sign(ws, i) == 0) continue;
        if (!cycling) return i;
        if (result == 0 || ws.basis_label[i] < ws.basis_label[result]) result = i;
    }
    return result;
}

// The entering column for row r, whose value must move by the sign `sign`
// the other way: the smallest ratio objective / |entry| over the entries of
// that sign beyond 0.00001 (first on ties, the running minimum held in the
// stored format); while cycling, among the columns whose exact ratio equals
// the smallest, the one with the smallest code.  While a sweep keeps
// artificial variables at zero, artificial columns never enter here (they
// would enter at the row's nonzero value).
int entering_column_for(const Workspace& ws, int r, int sign, bool cycling) {
    const StoredReal* row = ws.tableau.row(r);
    const StoredReal* objective = ws.tableau.row(0);
    const bool skip_artificials = ws.exchange.artificials_stay_at_zero;
    auto ratio = [&](int j, Extended& q) {
        const Extended entry = load_real(row[j]);
        if (!(sign < 0 ? entry < negative_limit : entry > -negative_limit)) return false;
        if (skip_artificials && is_artificial(ws.column_label[j])) return false;
        q = (sign < 0 ? -load_real(objective[j]) : load_real(objective[j])) / entry;
        return true;
    };
    int result = 0;
    Extended q = 0;
    if (!cycling) {
        StoredReal best = best_ratio_start;
        for (int j = 1; j <= ws.column_count(); ++j) {
            if (!ratio(j, q)) continue;
            if (q < load_real(best)) {
                store_real(q, best, Site::restore_feasibility);
                result = j;
            }
        }
        return result;
    }
    Extended smallest = 0;
    for (int j = 1; j <= ws.column_count(); ++j) {
        if (!ratio(j, q)) continue;
        if (result == 0 || q < smallest) smallest = q;
        result = j;
    }
    result = 0;
    for (int j = 1; j <= ws.column_count(); ++j) {
        if (!ratio(j, q) || q != smallest) continue;
        if (result == 0 || ws.column_label[j] < ws.column_label[result]) result = j;
    }
    return result;
}

}  // namespace

bool restore_feasibility(Workspace& ws) {
    // A basis that comes round again switches both choices to the smallest
    // codes for the rest of the call.
    CycleGuard guard;
    const long cap = exchange_cap(ws);
    for (long count = 0;; ++count) {
        const auto verdict = guard.observe(ws);
        if (verdict == CycleGuard::Verdict::give_up || count >= cap) {
            ws.console.write_line(verdict == CycleGuard::Verdict::give_up
                                      ? "lpsens: warning: restoring feasibility stopped: a basis repeated even under "
                                        "the anti-cycling rule, so the result may not be exact"
                                      : "lpsens: warning: restoring feasibility stopped at the limit of " +
                                            std::to_string(cap) + " exchanges, so the result may not be exact");
            ++(count >= cap ? ws.exchange_log.stopped_at_cap : ws.exchange_log.stopped_early);
            return true;
        }
        const bool cycling = verdict == CycleGuard::Verdict::cycling;
        const int r = infeasible_row(ws, cycling);
        if (r == 0) return true;
        const int s = entering_column_for(ws, r, infeasibility_sign(ws, r), cycling);
        if (s == 0) return false;
        pivot(ws, r, s);
        ++ws.exchange_log.exchanges;
    }
}

}  // namespace lpsens
