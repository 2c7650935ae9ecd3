#include "classic/phases.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "classic/cycle_guard.h"
#include "classic/exchange_monitor.h"
#include "classic/perturbation.h"
#include "classic/pivot.h"
#include "numeric/plural.h"

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
    LoopControl(ClassicState& cs, const char* name, Extended (*objective)(const ClassicState&))
        : cs_(cs), name_(name), objective_(objective), monitor_(cs, objective(cs)) {}

    CycleGuard& guard() { return guard_; }

    void exchange(int r, int s) {
        perturbation_.track_exchange(cs_, r, s);
        pivot(cs_, r, s);
    }

    // After an exchange; false when the loop must end here.
    bool go_on() {
        const Extended now = objective_(cs_);
        switch (monitor_.exchanged(now)) {
        case ExchangeMonitor::Event::none:
            return true;
        case ExchangeMonitor::Event::stalled:
            if (perturbations_ < max_perturbations && !perturbation_.active()) {
                ++perturbations_;
                ++cs_.perturbations;
                warn(std::string(name_) + " made no progress in " + std::to_string(stall_limit(cs_)) +
                     " exchanges; the right-hand sides are perturbed slightly to leave the degenerate vertex "
                     "and restored afterwards");
                perturbation_.apply(cs_);
            }
            return true;
        case ExchangeMonitor::Event::numbers_lost:
            warn(std::string(name_) + " stopped after " + counted(monitor_.count(), "exchange", "exchanges") +
                 ": its objective fell from " + number_text(monitor_.best()) + " to " +
                 number_text(now) + ", which exact arithmetic cannot do; rounding has taken over");
            ++cs_.log.stopped_early;
            return false;
        case ExchangeMonitor::Event::cap_reached:
            // The loop stops before its next exchange, if it needs one.
            return true;
        }
        return true;
    }

    // Before an exchange: the stop that is due, or none.
    LoopEnd stop_due() {
        const LoopEnd stop = loop_stop(cs_, monitor_.count());
        if (stop == LoopEnd::exchange_limit) ++cs_.log.stopped_at_cap;
        return stop;
    }

    // At a normal end of the loop: when perturbed, takes the perturbation
    // away and tells the loop to look again.
    bool take_away_perturbation() {
        if (!perturbation_.active()) return false;
        perturbation_.remove(cs_);
        monitor_.restart(objective_(cs_));
        guard_.exchanged(true);
        return true;
    }

    void finish() { perturbation_.remove(cs_); }

    void give_up() {
        warn(std::string(name_) + " stopped: a basis repeated even under the anti-cycling rule");
        ++cs_.log.stopped_early;
    }

private:
    void warn(const std::string& text) { cs_.console->write_line("lpsens: warning: " + text); }

    ClassicState& cs_;
    const char* name_;
    Extended (*objective_)(const ClassicState&);
    CycleGuard guard_;
    ExchangeMonitor monitor_;
    Perturbation perturbation_;
    int perturbations_ = 0;
};

Extended phase1_objective(const ClassicState& cs) { return load_real(cs.phase1_row[0]); }
Extended phase2_objective(const ClassicState& cs) { return load_real(cs.tableau(0, 0)); }

// While a sweep re-optimises, a basic artificial variable at zero with a
// negative entry in the entering column would grow away from zero; such a row
// limits the step at once.  Among them the largest entry in magnitude leaves.
// The classic choice stands where no artificial variable would move.
int leaving_row_keeping_artificials(const ClassicState& cs, int s, int classic) {
    Extended step = -1;  // the classic step; -1 when unlimited
    if (classic != 0) step = load_real(cs.tableau(classic, 0)) / load_real(cs.tableau(classic, s));
    int result = classic;
    Extended largest = 0;
    for (int i = 1; i <= cs.row_count; ++i) {
        if (!cs.basis_label[i].is_artificial()) continue;
        const Extended entry = load_real(cs.tableau(i, s));
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

int choose_phase1_column_smallest_code(const ClassicState& cs) {
    int result = 0;
    for (int j = 1; j <= cs.column_count(); ++j)
        if (cs.phase1_row[j].value < column_threshold.value &&
            (result == 0 || cs.column_label[j] < cs.column_label[result]))
            result = j;
    return result;
}

int choose_phase2_column_smallest_code(const ClassicState& cs, const std::vector<char>* barred) {
    int result = 0;
    const StoredReal* objective = cs.tableau.row(0);
    for (int j = 1; j <= cs.column_count(); ++j)
        if (load_real(cs.phase1_row[j]) < pivot_tolerance && objective[j].value < column_threshold.value &&
            (barred == nullptr || !(*barred)[j]) &&
            (result == 0 || cs.column_label[j] < cs.column_label[result]))
            result = j;
    return result;
}

int choose_leaving_row_smallest_code(const ClassicState& cs, int s) {
    bool found = false;
    Extended smallest = 0;
    for (int i = 1; i <= cs.row_count; ++i) {
        const Extended entry = load_real(cs.tableau(i, s));
        if (!(entry > pivot_tolerance)) continue;
        const Extended q = load_real(cs.tableau(i, 0)) / entry;
        if (!found || q < smallest) smallest = q;
        found = true;
    }
    if (!found || smallest >= load_real(ratio_ceiling)) return 0;
    int result = 0;
    for (int i = 1; i <= cs.row_count; ++i) {
        const Extended entry = load_real(cs.tableau(i, s));
        if (!(entry > pivot_tolerance)) continue;
        if (load_real(cs.tableau(i, 0)) / entry != smallest) continue;
        if (result == 0 || cs.basis_label[i] < cs.basis_label[result]) result = i;
    }
    return result;
}

LoopEnd loop_stop(const ClassicState& cs, long count) {
    if (count >= exchange_cap(cs)) return LoopEnd::exchange_limit;
    if (past_deadline(cs.settings)) return LoopEnd::time_limit;
    return LoopEnd::none;
}

void show_status(ClassicState& cs, const char* phase, bool phase1) {
    if (!cs.status_line.due(*cs.console)) return;
    // Phase 1: the sum of the artificial variables; otherwise the most
    // negative value of a row.
    Extended infeasibility = 0;
    if (phase1) {
        infeasibility = -load_real(cs.phase1_row[0]);
    } else {
        for (int i = 1; i <= cs.row_count; ++i) infeasibility = std::max(infeasibility, -load_real(cs.tableau(i, 0)));
    }
    cs.status_line.write(*cs.console, {phase, cs.log.exchanges, static_cast<double>(load_real(cs.tableau(0, 0))),
                                       static_cast<double>(infeasibility)});
}

LoopEnd solve_phase1(ClassicState& cs) {
    LoopControl loop(cs, "phase 1", phase1_objective);
    LoopEnd stop = LoopEnd::none;
    for (;;) {
        const auto verdict = loop.guard().observe(cs);
        if (verdict == CycleGuard::Verdict::give_up) {
            loop.give_up();
            break;
        }
        const bool cycling = verdict == CycleGuard::Verdict::cycling;
        cs.entering_column = cycling ? choose_phase1_column_smallest_code(cs) : choose_phase1_column(cs);
        cs.leaving_row = 0;
        if (cs.entering_column != 0)
            cs.leaving_row = cycling ? choose_leaving_row_smallest_code(cs, cs.entering_column)
                                     : choose_leaving_row(cs, cs.entering_column);
        // No entering column, or no row limits it (every entry at most
        // 0.00001, or every ratio 1e10 or more): phase 1 can go no further.
        if (cs.leaving_row == 0) {
            if (loop.take_away_perturbation()) continue;
            break;
        }
        if ((stop = loop.stop_due()) != LoopEnd::none) break;
        const StoredReal before = cs.phase1_row[0];
        loop.exchange(cs.leaving_row, cs.entering_column);
        cs.console->mark(':');
        loop.guard().exchanged(!(cs.phase1_row[0] == before));
        if (!loop.go_on()) break;
        show_status(cs, "phase 1", true);
    }
    loop.finish();
    if (stop != LoopEnd::none) return stop;
    if (load_real(cs.phase1_row[0]) < feasibility_tolerance) {
        return LoopEnd::infeasible;
    }
    return LoopEnd::feasible;
}

namespace {

// The entering column and leaving row of one phase-2 iteration.  While a
// sweep re-optimises, an artificial column that would enter at a nonzero
// value is passed over and the choice made again without it.
void choose_phase2_exchange(ClassicState& cs, bool cycling) {
    const bool keep_artificials = cs.artificials_stay_at_zero;
    std::vector<char> barred;
    for (;;) {
        const std::vector<char>* bar = barred.empty() ? nullptr : &barred;
        cs.entering_column =
            cycling ? choose_phase2_column_smallest_code(cs, bar) : choose_phase2_column(cs, bar);
        cs.leaving_row = 0;
        if (cs.entering_column == 0) return;
        const int s = cs.entering_column;
        cs.leaving_row = cycling ? choose_leaving_row_smallest_code(cs, s) : choose_leaving_row(cs, s);
        if (!keep_artificials) return;
        cs.leaving_row = leaving_row_keeping_artificials(cs, s, cs.leaving_row);
        const bool enters_at_zero =
            cs.leaving_row != 0 && std::fabs(load_real(cs.tableau(cs.leaving_row, 0))) <= pivot_tolerance;
        if (!cs.column_label[s].is_artificial() || enters_at_zero) return;
        if (barred.empty()) barred.assign(cs.column_count() + 1, 0);
        barred[s] = 1;
    }
}

}  // namespace

LoopEnd solve_phase2(ClassicState& cs) {
    LoopControl loop(cs, "phase 2", phase2_objective);
    LoopEnd stop = LoopEnd::none;
    for (;;) {
        const auto verdict = loop.guard().observe(cs);
        choose_phase2_exchange(cs, verdict != CycleGuard::Verdict::normal);
        cs.console->mark('.');
        if (verdict == CycleGuard::Verdict::give_up) {
            loop.give_up();
            break;
        }
        if (cs.entering_column == 0) {
            if (loop.take_away_perturbation()) continue;
            break;
        }
        if (cs.leaving_row == 0) {
            loop.finish();
            return LoopEnd::unbounded;
        }
        if ((stop = loop.stop_due()) != LoopEnd::none) break;
        const StoredReal before = cs.tableau(0, 0);
        loop.exchange(cs.leaving_row, cs.entering_column);
        loop.guard().exchanged(!(cs.tableau(0, 0) == before));
        if (!loop.go_on()) break;
        show_status(cs, "phase 2", false);
    }
    loop.finish();
    return stop != LoopEnd::none ? stop : LoopEnd::optimal;
}

}  // namespace lpsens
