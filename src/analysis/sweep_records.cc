#include "analysis/sweep_records.h"

#include "analysis/sweep_step.h"

namespace lpsens {

namespace {

constexpr Extended sweep_end_test = 0.99999L;

}  // namespace

SweepMove sweep_move(const SweepItems& items) {
    SweepMove m;
    m.delta.assign(items.count() + 1, StoredReal{});
    for (int k = 1; k <= items.count(); ++k) {
        store_real(load_real(items.end[k]) - load_real(items.start[k]), m.delta[k], Site::sweep_record);
    }
    if (items.moves_constant)
        store_real(load_real(items.constant_end) - load_real(items.constant_start), m.constant_delta, Site::sweep_record);
    ParameterMove& move = m.move;
    move.objective = items.objective;
    move.constant_start = items.constant_start.value;
    move.constant_delta = m.constant_delta.value;
    for (int k = 1; k <= items.count(); ++k) {
        move.index.push_back(items.index[k]);
        move.start.push_back(items.start[k].value);
        move.delta.push_back(m.delta[k].value);
    }
    return m;
}

SweepRecord take_record(const Solution& solution, const SweepItems& items, const SweepMove& move, StoredReal t,
                        int n, int m) {
    SweepRecord r;
    r.t = t;
    if (items.moves_constant)
        store_real(load_real(items.constant_start) + load_real(move.constant_delta) * load_real(t), r.constant,
                   Site::sweep_record);
    r.items.assign(items.count() + 1, StoredReal{});
    for (int k = 1; k <= items.count(); ++k) {
        store_real(load_real(items.start[k]) + load_real(move.delta[k]) * load_real(t), r.items[k],
                   Site::sweep_record);
    }
    r.values.assign(2 * (static_cast<std::size_t>(n) + static_cast<std::size_t>(m)) + 1, 0.0);
    r.values[0] = solution.objective;
    for (int j = 1; j <= n; ++j) {
        const SolutionValue& v = solution.column[j];
        r.values[j] = v.level;
        r.values[n + m + j] = v.price;
    }
    for (int i = 1; i <= m; ++i) {
        const SolutionValue& v = solution.row[i];
        r.values[n + i] = v.level;
        r.values[2 * n + m + i] = v.price;
    }
    return r;
}

std::vector<SweepRecord> sweep_records(SolveEngine& engine, const SweepItems& items, int variables,
                                          const SolveResult& first, SweepObserver& observer) {
    const int m = engine.tableau().rows();
    SweepMove sweep = sweep_move(items);
    ParameterMove& move = sweep.move;

    std::vector<SweepRecord> records;
    SweepState state;
    SolveResult result = first;
    for (;;) {
        records.push_back(take_record(result.solution, items, sweep, state.t, variables, m));
        observer.record(static_cast<int>(records.size()), records.back(), result);
        if (records.size() == max_records) break;
        if (load_real(state.t) > sweep_end_test) break;
        next_breakpoint(engine.tableau(), items, sweep.delta, state);
        move.t = state.t.value;
        move.length = state.step_length.value;
        result = engine.reoptimise(move);
        if (result.status != Status::optimal) {
            // No optimum at this t: no exchange can make some row feasible,
            // or the objective grows without end.  The sweep ends here with
            // the records taken so far.
            observer.verdict(result.status);
            break;
        }
    }
    return records;
}

}  // namespace lpsens
