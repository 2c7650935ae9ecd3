#include "parametric/parametric_sweep.h"

#include "parametric/parametric_step.h"
#include "report/parametric_report.h"
#include "simplex/solve.h"

namespace lpsens {

namespace {

constexpr Extended sweep_end_test = 0.99999L;

void take_record(Workspace& ws, const SweepState& state, int s) {
    const int n = ws.var_count;
    const int m = ws.row_count;
    extract_solution(ws);
    ws.step_parameter[s] = state.t;
    for (int k = 1; k <= ws.param_count; ++k)
        store_real(load_real(ws.param_start[k]) + load_real(ws.param_delta[k]) * load_real(state.t),
                   ws.step_values[s][k], Site::sweep_record);
    std::vector<StoredReal>& record = ws.step_results[s];
    record[0] = ws.objective_value;
    for (int j = 1; j <= n; ++j) {
        record[j] = ws.column_solution[j].level;
        record[n + m + j] = ws.column_solution[j].price;
    }
    for (int i = 1; i <= m; ++i) {
        record[n + i] = ws.row_solution[i].level;
        record[2 * n + m + i] = ws.row_solution[i].price;
    }
}

}  // namespace

void parametric_sweep(Workspace& ws, SolveEngine& engine, int first_result, const RecordObserver& observe) {
    for (int s = 1; s <= max_records; ++s) {
        ws.step_parameter[s] = StoredReal{};
        for (int k = 1; k <= ws.param_count; ++k) ws.step_values[s][k] = StoredReal{};
        for (auto& value : ws.step_results[s]) value = StoredReal{};
    }
    for (int k = 1; k <= ws.param_count; ++k)
        store_real(load_real(ws.param_end[k]) - load_real(ws.param_start[k]), ws.param_delta[k],
                   Site::sweep_record);

    SweepState state;
    int s = 1;
    int result = first_result;
    ws.exchange.artificials_stay_at_zero = true;
    for (;;) {
        take_record(ws, state, s);
        if (observe) observe(s, result);
        if (s == max_records) break;
        if (load_real(state.t) > sweep_end_test) break;
        if (ws.run_mode == "pv")
            objective_step(ws, state);
        else
            rhs_step(ws, state);
        result = engine.reoptimise(ws, state.t);
        if (result == 0) {
            // No exchange can make some row feasible: the problem has no
            // feasible solution at this t.  The sweep ends here.
            ws.out.write("No feasible solution");
            ws.out.write(line_end);
            break;
        }
        ++s;
    }
    ws.exchange.artificials_stay_at_zero = false;
    ws.record_count = s;
    write_parametric_report(ws, s);
}

}  // namespace lpsens
