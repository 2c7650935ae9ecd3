#include "simplex/solve.h"

#include "simplex/cycle_guard.h"
#include "simplex/pivot.h"

namespace lpsens {

namespace {

constexpr Extended feasibility_tolerance = -0.00001L;

void give_up_warning(Workspace& ws, const char* phase) {
    ws.console.write(std::string("lpsens: warning: ") + phase +
                     " stopped: a basis repeated even under the anti-cycling rule, so the result may "
                     "not be exact\n");
}

}  // namespace

int choose_phase1_column_smallest_code(const Workspace& ws) {
    int result = 0;
    for (int j = 1; j <= ws.column_count(); ++j)
        if (ws.phase1_row[j].value < column_threshold.value &&
            (result == 0 || ws.column_label[j] < ws.column_label[result]))
            result = j;
    return result;
}

int choose_phase2_column_smallest_code(const Workspace& ws) {
    int result = 0;
    const StoredReal* objective = ws.tableau.row(0);
    for (int j = 1; j <= ws.column_count(); ++j)
        if (load_real(ws.phase1_row[j]) < pivot_tolerance && objective[j].value < column_threshold.value &&
            (result == 0 || ws.column_label[j] < ws.column_label[result]))
            result = j;
    return result;
}

int choose_leaving_row_smallest_code(const Workspace& ws, int s) {
    bool found = false;
    Extended smallest = 0;
    for (int i = 1; i <= ws.row_count; ++i) {
        const Extended entry = load_real(ws.tableau(i, s));
        if (!(entry > pivot_tolerance)) continue;
        const Extended q = load_real(ws.tableau(i, 0)) / entry;
        if (!found || q < smallest) smallest = q;
        found = true;
    }
    if (!found || smallest >= load_real(ratio_ceiling)) return 0;
    int result = 0;
    for (int i = 1; i <= ws.row_count; ++i) {
        const Extended entry = load_real(ws.tableau(i, s));
        if (!(entry > pivot_tolerance)) continue;
        if (load_real(ws.tableau(i, 0)) / entry != smallest) continue;
        if (result == 0 || ws.basis_label[i] < ws.basis_label[result]) result = i;
    }
    return result;
}

int solve_phase1(Workspace& ws) {
    CycleGuard guard;
    for (;;) {
        const auto verdict = guard.observe(ws);
        if (verdict == CycleGuard::Verdict::give_up) {
            give_up_warning(ws, "phase 1");
            break;
        }
        const bool cycling = verdict == CycleGuard::Verdict::cycling;
        ws.entering_column = cycling ? choose_phase1_column_smallest_code(ws) : choose_phase1_column(ws);
        if (ws.entering_column == 0) break;
        ws.leaving_row = cycling ? choose_leaving_row_smallest_code(ws, ws.entering_column)
                                 : choose_leaving_row(ws, ws.entering_column);
        // No row limits the column (every entry at most 0.00001, or every
        // ratio 1e10 or more): phase 1 can go no further.
        if (ws.leaving_row == 0) break;
        const StoredReal before = ws.phase1_row[0];
        pivot(ws, ws.leaving_row, ws.entering_column);
        ws.console.write(':');
        guard.exchanged(!(ws.phase1_row[0] == before));
    }
    if (load_real(ws.phase1_row[0]) < feasibility_tolerance) {
        ws.out.write("No feasible solution");
        ws.out.write(line_end);
        return phase1_infeasible;
    }
    return phase1_feasible;
}

int solve_phase2(Workspace& ws) {
    CycleGuard guard;
    for (;;) {
        const auto verdict = guard.observe(ws);
        const bool cycling = verdict != CycleGuard::Verdict::normal;
        ws.entering_column = cycling ? choose_phase2_column_smallest_code(ws) : choose_phase2_column(ws);
        ws.console.write('.');
        if (verdict == CycleGuard::Verdict::give_up) {
            give_up_warning(ws, "phase 2");
            return phase2_optimal;
        }
        if (ws.entering_column == 0) return phase2_optimal;
        ws.leaving_row = cycling ? choose_leaving_row_smallest_code(ws, ws.entering_column)
                                 : choose_leaving_row(ws, ws.entering_column);
        if (ws.leaving_row == 0) {
            ws.out.write("Unbounded solution");
            ws.out.write(line_end);
            return phase2_unbounded;
        }
        const StoredReal before = ws.tableau(0, 0);
        pivot(ws, ws.leaving_row, ws.entering_column);
        guard.exchanged(!(ws.tableau(0, 0) == before));
    }
}

SolutionRecord& record_of(Workspace& ws, int c) {
    if (c < code::slack_base) return ws.column_solution[c];
    if (c > code::surplus_base) return ws.column_solution[ws.var_count + (c - code::surplus_base)];
    return ws.row_solution[code_index(c)];
}

void extract_solution(Workspace& ws) {
    for (int i = 1; i <= ws.row_count; ++i) {
        SolutionRecord& record = record_of(ws, ws.basis_label[i]);
        record.level = ws.tableau(i, 0);
        record.price = StoredReal{};
    }
    for (int j = 1; j <= ws.column_count(); ++j) {
        SolutionRecord& record = record_of(ws, ws.column_label[j]);
        record.level = StoredReal{};
        record.price = ws.tableau(0, j);
    }
    ws.objective_value = ws.tableau(0, 0);
}

}  // namespace lpsens
