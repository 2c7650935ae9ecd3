#include "classic/sweep_steps.h"

#include "classic/cycle_guard.h"
#include "classic/phases.h"
#include "classic/pivot.h"

namespace lpsens {

namespace {

constexpr Extended negative_limit = -0.00001L;
const StoredReal best_ratio_start = stored(9e30L);

}  // namespace

void apply_move(ClassicState& cs, const ParameterMove& move) {
    const Extended length = move.length;
    const std::size_t items = move.index.size();
    if (move.objective) {
        const int columns = cs.column_count();
        StoredReal* target = cs.tableau.row(0);
        // The objective constant adds to the objective value alone.
        if (move.constant_delta != 0)
            store_real(load_real(target[0]) + static_cast<Extended>(move.constant_delta) * length, target[0],
                       Site::objective_step);
        for (std::size_t k = 0; k < items; ++k) {
            const int position = cs.column_origin[move.index[k]];
            const Extended delta = move.delta[k];
            if (position > 0) {
                const StoredReal* row = cs.tableau.row(position);
                for (int j = 0; j <= columns; ++j)
                    store_real(load_real(target[j]) + (delta * length) * load_real(row[j]), target[j],
                               Site::objective_step);
            } else {
                const int c = -position;
                store_real(load_real(target[c]) - delta * length, target[c], Site::objective_step);
            }
        }
        return;
    }
    const int m = cs.row_count;
    for (std::size_t k = 0; k < items; ++k) {
        const int position = cs.row_origin[move.index[k]];
        const Extended delta = move.delta[k];
        if (position < 0) {
            const int c = -position;
            for (int i = 0; i <= m; ++i)
                store_real(load_real(cs.tableau(i, 0)) + (delta * length) * load_real(cs.tableau(i, c)),
                           cs.tableau(i, 0), Site::rhs_step);
        } else {
            store_real(load_real(cs.tableau(position, 0)) + delta * length, cs.tableau(position, 0), Site::rhs_step);
        }
    }
}

namespace {

// The sign of row i's infeasibility: -1 when its value is below -0.00001;
// +1 when, while a sweep keeps artificial variables at zero, an artificial
// variable stands in it above 0.00001; 0 when the row is feasible.
int infeasibility_sign(const ClassicState& cs, int i) {
    const Extended value = load_real(cs.tableau(i, 0));
    if (value < negative_limit) return -1;
    if (cs.artificials_stay_at_zero && value > -negative_limit && cs.basis_label[i].is_artificial()) return 1;
    return 0;
}

// The leaving row: the first infeasible row, or while cycling the one whose
// basic variable has the smallest code.  0 when every row is feasible.
int infeasible_row(const ClassicState& cs, bool cycling) {
    int result = 0;
    for (int i = 1; i <= cs.row_count; ++i) {
        if (infeasibility_sign(cs, i) == 0) continue;
        if (!cycling) return i;
        if (result == 0 || cs.basis_label[i] < cs.basis_label[result]) result = i;
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
int entering_column_for(const ClassicState& cs, int r, int sign, bool cycling) {
    const StoredReal* row = cs.tableau.row(r);
    const StoredReal* objective = cs.tableau.row(0);
    const bool skip_artificials = cs.artificials_stay_at_zero;
    auto ratio = [&](int j, Extended& q) {
        const Extended entry = load_real(row[j]);
        if (!(sign < 0 ? entry < negative_limit : entry > -negative_limit)) return false;
        if (skip_artificials && cs.column_label[j].is_artificial()) return false;
        q = (sign < 0 ? -load_real(objective[j]) : load_real(objective[j])) / entry;
        return true;
    };
    int result = 0;
    Extended q = 0;
    if (!cycling) {
        StoredReal best = best_ratio_start;
        for (int j = 1; j <= cs.column_count(); ++j) {
            if (!ratio(j, q)) continue;
            if (q < load_real(best)) {
                store_real(q, best, Site::restore_feasibility);
                result = j;
            }
        }
        return result;
    }
    Extended smallest = 0;
    for (int j = 1; j <= cs.column_count(); ++j) {
        if (!ratio(j, q)) continue;
        if (result == 0 || q < smallest) smallest = q;
        result = j;
    }
    result = 0;
    for (int j = 1; j <= cs.column_count(); ++j) {
        if (!ratio(j, q) || q != smallest) continue;
        if (result == 0 || cs.column_label[j] < cs.column_label[result]) result = j;
    }
    return result;
}

}  // namespace

LoopEnd restore_feasibility(ClassicState& cs) {
    // A basis that comes round again switches both choices to the smallest
    // codes for the rest of the call.
    CycleGuard guard;
    for (long count = 0;; ++count) {
        const auto verdict = guard.observe(cs);
        if (verdict == CycleGuard::Verdict::give_up) {
            cs.console->write_line(
                "lpsens: warning: restoring feasibility stopped: a basis repeated even under the anti-cycling rule, "
                "so the result may not be exact");
            ++cs.log.stopped_early;
            return LoopEnd::feasible;
        }
        const bool cycling = verdict == CycleGuard::Verdict::cycling;
        const int r = infeasible_row(cs, cycling);
        if (r == 0) return LoopEnd::feasible;
        const int s = entering_column_for(cs, r, infeasibility_sign(cs, r), cycling);
        if (s == 0) return LoopEnd::infeasible;
        if (const LoopEnd stop = loop_stop(cs, count); stop != LoopEnd::none) {
            if (stop == LoopEnd::exchange_limit) ++cs.log.stopped_at_cap;
            return stop;
        }
        pivot(cs, r, s);
        ++cs.log.exchanges;
        show_status(cs, "restoring feasibility", false);
    }
}

}  // namespace lpsens
