#include "simplex/solve.h"

#include <cmath>
#include <cstdio>

#include "simplex/cycle_guard.h"
#include "simplex/exchange_monitor.h"
#include "simplex/perturbation.h"
#include "simplex/pivot.h"

namespace lpsens {

namespace {

constexpr Extended feasibility_tolerance = -0.00001L;
// How often one loop may perturb; after that only the cap ends a stall.
constexpr int max_perturbations = 3;

std::string number_text(Extended x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.6Lg", x);
    return buf;
}

// The guard, the monitor and the perturbation of one exchange loop, and the
// console warnings they give.
class LoopControl {
public:
    LoopControl(Workspace& ws, const char* name, Extended (*objective)(const Workspace&))
        : ws_(ws), name_(name), objective_(objective), monitor_(ws, objective(ws)) {}

    CycleGuard& guard() { return guard_; }

    void exchange(int r, int s) {
        perturbation_.track_exchange(ws_, r, s);
        pivot(ws_, r, s);
    }

    // After an exchange; false when the loop must end here.
    bool go_on() {
        const Extended now = objective_(ws_);
        switch (monitor_.exchanged(now)) {
        case ExchangeMonitor::Event::none:
            return true;
        case ExchangeMonitor::Event::stalled:
            if (perturbations_ < max_perturbations && !perturbation_.active()) {
                ++perturbations_;
                ++ws_.exchange_log.perturbations;
                warn(std::string(name_) + " made no progress in " + std::to_string(stall_limit(ws_)) +
                     " exchanges; the right-hand sides are perturbed slightly to leave the degenerate vertex "
                     "and restored afterwards");
                perturbation_.apply(ws_);
            }
            return true;
        case ExchangeMonitor::Event::numbers_lost:
            warn(std::string(name_) + " stopped after " + std::to_string(monitor_.count()) +
                 " exchanges: its objective fell from " + number_text(monitor_.best()) + " to " +
                 number_text(now) + ", which exact arithmetic cannot do; rounding has taken over");
            ++ws_.exchange_log.stopped_early;
            return false;
        case ExchangeMonitor::Event::cap_reached:
            warn(std::string(name_) + " stopped at the limit of " + std::to_string(monitor_.count()) +
                 " exchanges (--max-exchanges sets another)");
            ++ws_.exchange_log.stopped_at_cap;
            return false;
        }
        return true;
    }

    // At a normal end of the loop: when perturbed, takes the perturbation
    // away and tells the loop to look again.
    bool take_away_perturbation() {
        if (!perturbation_.active()) return false;
        perturbation_.remove(ws_);
        monitor_.restart(objective_(ws_));
        guard_.exchanged(true);
        return true;
    }

    void finish() { perturbation_.remove(ws_); }

    void give_up() {
        warn(std::string(name_) + " stopped: a basis repeated even under the anti-cycling rule");
        ++ws_.exchange_log.stopped_early;
    }

private:
    void warn(const std::string& text) { ws_.console.write_line("lpsens: warning: " + text); }

    Workspace& ws_;
    const char* name_;
    Extended (*objective_)(const Workspace&);
    CycleGuard guard_;
    ExchangeMonitor monitor_;
    Perturbation perturbation_;
    int perturbations_ = 0;
};

Extended phase1_objective(const Workspace& ws) { return load_real(ws.phase1_row[0]); }
Extended phase2_objective(const Workspace& ws) { return load_real(ws.tableau(0, 0)); }

// While a sweep re-optimises, a basic artificial variable at zero with a
// negative entry in the entering column would grow away from zero; such a row
// limits the step at once.  Among them the largest entry in magnitude leaves.
// The classic choice stands where no artificial variable would move.
int leaving_row_keeping_artificials(const Workspace& ws, int s, int classic) {
    Extended step = -1;  // the classic step; -1 when unlimited
    if (classic != 0) step = load_real(ws.tableau(classic, 0)) / load_real(ws.tableau(classic, s));
    int result = classic;
    Extended largest = 0;
    for (int i = 1; i <= ws.row_count; ++i) {
        if (!is_artificial(ws.basis_label[i])) continue;
        const Extended entry = load_real(ws.tableau(i, s));
        if (!(entry < -pivot_tolerance)) continue;
        if (step >= 0 && -entry * step <= pivot_tolerance) continue;
        if (-entry > largest) {
            largest = -entry;
            result = i;
        }
    }
    return result;
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

int choose_phase2_column_smallest_code(const Workspace& ws, const std::vector<char>* barred) {
    int result = 0;
    const StoredReal* objective = ws.tableau.row(0);
    for (int j = 1; j <= ws.column_count(); ++j)
        if (load_real(ws.phase1_row[j]) < pivot_tolerance && objective[j].value < column_threshold.value &&
            (barred == nullptr || !(*barred)[j]) &&
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
    LoopControl loop(ws, "phase 1", phase1_objective);
    for (;;) {
        const auto verdict = loop.guard().observe(ws);
        if (verdict == CycleGuard::Verdict::give_up) {
            loop.give_up();
            break;
        }
        const bool cycling = verdict == CycleGuard::Verdict::cycling;
        ws.entering_column = cycling ? choose_phase1_column_smallest_code(ws) : choose_phase1_column(ws);
        ws.leaving_row = 0;
        if (ws.entering_column != 0)
            ws.leaving_row = cycling ? choose_leaving_row_smallest_code(ws, ws.entering_column)
                                     : choose_leaving_row(ws, ws.entering_column);
        // No entering column, or no row limits it (every entry at most
        // 0.00001, or every ratio 1e10 or more): phase 1 can go no further.
        if (ws.leaving_row == 0) {
            if (loop.take_away_perturbation()) continue;
            break;
        }
        const StoredReal before = ws.phase1_row[0];
        loop.exchange(ws.leaving_row, ws.entering_column);
        ws.console.write(':');
        loop.guard().exchanged(!(ws.phase1_row[0] == before));
        if (!loop.go_on()) break;
    }
    loop.finish();
    if (load_real(ws.phase1_row[0]) < feasibility_tolerance) {
        ws.out.write("No feasible solution");
        ws.out.write(line_end);
        return phase1_infeasible;
    }
    return phase1_feasible;
}

namespace {

// The entering column and leaving row of one phase-2 iteration.  While a
// sweep re-optimises, an artificial column that would enter at a nonzero
// value is passed over and the choice made again without it.
void choose_phase2_exchange(Workspace& ws, bool cycling) {
    const bool keep_artificials = ws.exchange.artificials_stay_at_zero;
    std::vector<char> barred;
    for (;;) {
        const std::vector<char>* bar = barred.empty() ? nullptr : &barred;
        ws.entering_column =
            cycling ? choose_phase2_column_smallest_code(ws, bar) : choose_phase2_column(ws, bar);
        ws.leaving_row = 0;
        if (ws.entering_column == 0) return;
        const int s = ws.entering_column;
        ws.leaving_row = cycling ? choose_leaving_row_smallest_code(ws, s) : choose_leaving_row(ws, s);
        if (!keep_artificials) return;
        ws.leaving_row = leaving_row_keeping_artificials(ws, s, ws.leaving_row);
        const bool enters_at_zero =
            ws.leaving_row != 0 && std::fabs(load_real(ws.tableau(ws.leaving_row, 0))) <= pivot_tolerance;
        if (!is_artificial(ws.column_label[s]) || enters_at_zero) return;
        if (barred.empty()) barred.assign(static_cast<std::size_t>(ws.column_count()) + 1, 0);
        barred[static_cast<std::size_t>(s)] = 1;
    }
}

}  // namespace

int solve_phase2(Workspace& ws) {
    LoopControl loop(ws, "phase 2", phase2_objective);
    for (;;) {
        const auto verdict = loop.guard().observe(ws);
        choose_phase2_exchange(ws, verdict != CycleGuard::Verdict::normal);
        ws.console.write('.');
        if (verdict == CycleGuard::Verdict::give_up) {
            loop.give_up();
            break;
        }
        if (ws.entering_column == 0) {
            if (loop.take_away_perturbation()) continue;
            break;
        }
        if (ws.leaving_row == 0) {
            loop.finish();
            ws.out.write("Unbounded solution");
            ws.out.write(line_end);
            return phase2_unbounded;
        }
        const StoredReal before = ws.tableau(0, 0);
        loop.exchange(ws.leaving_row, ws.entering_column);
        loop.guard().exchanged(!(ws.tableau(0, 0) == before));
        if (!loop.go_on()) break;
    }
    loop.finish();
    return phase2_optimal;
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
