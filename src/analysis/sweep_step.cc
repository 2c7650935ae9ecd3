#include "analysis/sweep_step.h"

#include "analysis/direction_ranging.h"

namespace lpsens {

namespace {

constexpr Extended negative_limit = -0.00001L;
constexpr Extended breakpoint_minimum = 0.00001L;
// How far below zero a reduced cost may stand and still be tied at zero, and
// where the step after a tie takes it.
constexpr Extended tie_reach = 0.00002L;
constexpr Extended tie_target = 0.00003L;

// Records in state.step_length the smallest ratio value / -direction over
// the entries whose direction is below -0.00001 and whose ratio exceeds
// 0.00001; 1000000 when there is none.
template <class ValueAt>
void search_breakpoint(const std::vector<StoredReal>& direction, SweepState& state, int count, ValueAt value_at,
                       Site site) {
    state.step_length = no_breakpoint_length;
    state.ratio = StoredReal{};
    for (int x = 1; x <= count; ++x) {
        const Extended d = load_real(direction[x]);
        if (!(d < negative_limit)) continue;
        store_real(static_cast<Extended>(value_at(x)) / -d, state.ratio, site);
        if (load_real(state.ratio) > breakpoint_minimum && state.ratio.value < state.step_length.value)
            state.step_length = state.ratio;
    }
}

// In an imported model's sweep, a reduced cost at zero (or just below it, to
// the engine's precision) that the move pulls further down is a breakpoint
// at once: the basis is optimal at t alone.  The search passes such ratios
// over (it takes ratios above 0.00001 only, as the documented sweep does), so
// a sweep that starts at a tie, or meets a free variable of the model
// (nonbasic, it is two halves whose reduced costs are tied at zero, d and
// -d), would step over every breakpoint up to the next ratio.  The step goes
// to where that reduced cost stands at -0.00003, past the engines' entering
// thresholds (0.00001 for the classic engine), and at least 0.00002 past t
// as past any breakpoint.  A reduced cost already at -0.00002 or below is no
// tie: the engine did not let its column enter (the classic engine's phase 2
// leaves out the columns phase 1 proved must stay at zero).  Artificial
// columns never enter.  False when there is no such tie.
bool tie_breakpoint(const TableauView& view, const std::vector<StoredReal>& direction, const std::vector<double>& costs,
                    SweepState& state) {
    Extended nearest = -1;
    for (int j = 1; j < static_cast<int>(direction.size()); ++j) {
        const Extended d = load_real(direction[j]);
        if (!(d < negative_limit) || view.nonbasic(j).is_artificial()) continue;
        const Extended reduced = costs[j];
        if (reduced > -d * breakpoint_minimum || reduced <= -tie_reach) continue;
        const Extended step = (reduced + tie_target) / -d;
        if (nearest < 0 || step < nearest) nearest = step;
    }
    if (nearest < 0) return false;
    const Extended beyond = nearest - breakpoint_overshoot;
    store_real(beyond > 0 ? beyond : 0, state.step_length, Site::objective_step);
    return true;
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

void next_breakpoint(const TableauView& view, const SweepItems& items, const std::vector<StoredReal>& delta,
                     SweepState& state) {
    if (items.objective) {
        // A basic item moves the objective row by delta times its row, a
        // nonbasic one its own column by -delta.
        const int columns = view.columns();
        std::vector<StoredReal> direction(columns + 1);
        std::vector<double> line;
        for (int k = 1; k <= items.count(); ++k) {
            const int position = view.column_position(items.index[k]);
            const Extended d = load_real(delta[k]);
            if (position > 0) {
                view.row(position, line);
                for (int j = 1; j <= columns; ++j) {
                    StoredReal& target = direction[j];
                    store_real(load_real(target) + d * static_cast<Extended>(line[j]), target,
                               Site::objective_step);
                }
            } else {
                StoredReal& target = direction[-position];
                store_real(load_real(target) - d, target, Site::objective_step);
            }
        }
        view.row(0, line);
        if (!items.model_terms || !tie_breakpoint(view, direction, line, state))
            search_breakpoint(direction, state, columns, [&](int j) { return line[j]; },
                              Site::objective_step);
    } else {
        // A nonbasic item's row variable moves the right-hand sides by delta
        // times its column, a basic one its own row by delta.
        const int m = view.rows();
        std::vector<StoredReal> direction(m + 1);
        std::vector<double> line;
        for (int k = 1; k <= items.count(); ++k) {
            const int position = view.row_position(items.index[k]);
            const Extended d = load_real(delta[k]);
            if (position < 0) {
                view.column(-position, line);
                for (int i = 1; i <= m; ++i) {
                    StoredReal& target = direction[i];
                    store_real(load_real(target) + d * static_cast<Extended>(line[i]), target,
                               Site::rhs_step);
                }
            } else {
                StoredReal& target = direction[position];
                store_real(load_real(target) + d, target, Site::rhs_step);
            }
        }
        // Half of a free variable of the model reaching zero is no event:
        // its other half takes its place, nothing else changes.
        for (int i = 1; i <= m; ++i)
            if (free_half(items.free_partner, view.basic(i))) direction[i] = StoredReal{};
        view.column(0, line);
        search_breakpoint(direction, state, m, [&](int i) { return line[i]; }, Site::rhs_step);
    }
    advance_parameter(state);
}

}  // namespace lpsens
