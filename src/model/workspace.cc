#include "model/workspace.h"

#include <new>

namespace lpsens {

std::string run_mode_of(const char* first_argument) {
    if (first_argument == nullptr) return {};
    std::string mode(first_argument);
    if (mode.size() > 2) mode.resize(2);
    return mode;
}

void allocate_workspace(Workspace& ws, const char* first_argument) {
    ws.run_mode = run_mode_of(first_argument);
    const std::size_t m = static_cast<std::size_t>(ws.row_count);
    const std::size_t n = static_cast<std::size_t>(ws.var_count);
    const std::size_t columns = n + static_cast<std::size_t>(ws.ge_count);
    try {
        ws.eq_rows.assign(m + 1, 0);
        ws.ge_rows.assign(m + 1, 0);
        ws.rhs_lower.assign(m + 1, {});
        ws.rhs_upper.assign(m + 1, {});
        ws.original_rhs.assign(m + 1, {});
        ws.basis_label.assign(m + 1, 0);
        ws.row_names.assign(m + 1, {});
        ws.row_solution.assign(m + 1, {});
        ws.phase1_row.assign(columns + 1, {});
        ws.column_names.assign(columns + 1, {});
        ws.column_label.assign(columns + 1, 0);
        ws.column_solution.assign(columns + 1, {});
        ws.cost_lower.assign(columns + 1, {});
        ws.cost_upper.assign(columns + 1, {});
        ws.original_objective.assign(n + 1, {});
        ws.row_origin.assign(m + 1, 0);
        ws.column_origin.assign(columns + 1, 0);
        for (int s = 1; s <= max_records; ++s) ws.step_results[s].assign(2 * (m + n) + 1, {});
        if (ws.run_mode == "pv") {
            ws.param_index.assign(n + 1, 0);
            ws.sweep_direction.assign(columns + 1, {});
            ws.param_start.assign(n + 1, {});
            ws.param_end.assign(n + 1, {});
        } else if (ws.run_mode == "rv") {
            ws.param_index.assign(m + 1, 0);
            ws.sweep_direction.assign(m + 1, {});
            ws.param_start.assign(m + 1, {});
            ws.param_end.assign(m + 1, {});
        }
        ws.tableau.allocate(ws.row_count + 1, static_cast<int>(columns) + 1);
    } catch (const std::bad_alloc&) {
        throw RunError(error_code::out_of_memory, Site::allocate, "out of memory for the problem workspace");
    }
}

}  // namespace lpsens
