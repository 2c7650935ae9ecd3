#include "sweep/model_sweep.h"

#include <algorithm>
#include <cmath>

#include "sweep/breakpoint.h"
#include "sweep/parametric_lp.h"
#include "sweep/sweep_stretch.h"

namespace lpsens::sweep {

const char* to_string(EndReason reason) {
    switch (reason) {
        case EndReason::end: return "end";
        case EndReason::infeasible: return "infeasible";
        case EndReason::unbounded: return "unbounded";
        case EndReason::record_limit: return "record limit";
        case EndReason::exchange_limit: return "exchange limit";
        case EndReason::time_limit: return "time limit";
        case EndReason::numerical_trouble: return "numerical trouble";
    }
    return "?";
}

namespace {

using revised::LpSolution;
using revised::SolveStatus;
using revised::Variable;

// Steps of theta below this fraction of the sweep's length (at least 1)
// are no steps: the breakpoint is where the sweep stands.
constexpr double step_noise = 1e-11;
// Where the first optimum's theta reads as just outside by rounding, it
// is moved inside by up to this fraction of the length.
constexpr double edge_nudge = 1e-9;

EndReason reason_of(SolveStatus status) {
    switch (status) {
        case SolveStatus::infeasible: return EndReason::infeasible;
        case SolveStatus::unbounded: return EndReason::unbounded;
        case SolveStatus::iteration_limit: return EndReason::exchange_limit;
        case SolveStatus::time_limit: return EndReason::time_limit;
        default: return EndReason::numerical_trouble;
    }
}

class Sweeper {
public:
    Sweeper(const revised::LpData& lp, const Target& target, const Limits& limits, const revised::Options& options)
        : lp_(lp, target, options), limits_(limits), options_(options),
          length_(lp_.theta_end()), noise_(step_noise * std::max(1.0, length_)) {}
    Sweeper(revised::RevisedSimplex& core, const Target& target, const Limits& limits, RecordObserver* observer)
        : lp_(core, target), limits_(limits), options_(core.options()), length_(lp_.theta_end()),
          noise_(step_noise * std::max(1.0, length_)), observer_(observer) {}

    Result run() {
        if (!start()) return result_;
        for (;;) {
            if (static_cast<long>(result_.records.size()) >= limits_.max_records)
                return stop(EndReason::record_limit, theta_);
            Breakpoint b = next_breakpoint(lp_, solution_);
            if (theta_ + b.step >= length_ - noise_) {
                // The basis holds to the end.
                if (length_ > theta_) {
                    if (!solve_at(length_)) return stop(reason_of(solution_.status), theta_);
                    take_record(length_, {}, {});
                }
                return stop(EndReason::end, length_);
            }
            if (!cross(theta_ + b.step, b)) return result_;
        }
    }

private:
    // The first record: at the start, or where the optimum begins.  False
    // when the sweep ends before it.
    bool start() {
        if (!solve_at(0)) {
            const SolveStatus status = solution_.status;
            // Feasibility does not depend on the costs, nor boundedness on
            // the sides (given a feasible point): those hold everywhere.
            const bool searchable = lp_.costs() ? status == SolveStatus::unbounded : status == SolveStatus::infeasible;
            if (!searchable) {
                if (status == SolveStatus::infeasible || status == SolveStatus::unbounded)
                    result_.before = Stretch{reason_of(status), 0.0, 1.0};
                stop(reason_of(status), 0.0);
                return false;
            }
            const FirstOptimum first =
                lp_.costs() ? first_bounded_theta(lp_, options_) : first_feasible_theta(lp_, options_);
            if (first.status != SolveStatus::optimal) {
                // The auxiliary LP infeasible: nowhere on the sweep.
                if (first.status == SolveStatus::infeasible) {
                    result_.before = Stretch{reason_of(status), 0.0, 1.0};
                    stop(reason_of(status), 0.0);
                } else {
                    stop(reason_of(first.status), 0.0);
                }
                return false;
            }
            double theta = std::min(first.theta, length_);
            for (int nudge = 0; !solve_at(theta) && solution_.status == status && nudge < 3; ++nudge)
                theta = std::min(length_, theta + edge_nudge * std::max(1.0, length_) * (nudge + 1));
            if (solution_.status != SolveStatus::optimal) {
                stop(reason_of(solution_.status), lp_.t_of(theta));
                return false;
            }
            result_.before = Stretch{reason_of(status), 0.0, lp_.t_of(theta)};
        }
        take_record(lp_.theta(), {}, {});
        return true;
    }

    // Crosses the breakpoint at theta `at`: exchanges until a basis holds
    // beyond it and records there.  False when the sweep ends at it.
    bool cross(double at, Breakpoint b) {
        std::vector<Variable> entering, leaving;
        const int patience = 50 + lp_.lp().rows;  // exchanges at one point before giving up on them
        for (int exchanges = 0;; ++exchanges) {
            const Exchange e = choose_exchange(lp_, solution_, b);
            if (e.kind == Exchange::Kind::none || exchanges == patience) {
                if (e.kind != Exchange::Kind::none) return step_past(at);
                // No basis holds beyond: the last record stands on the edge.
                if (!solve_at(at)) {
                    stop(reason_of(solution_.status), lp_.t_of(at));
                    return false;
                }
                if (result_.records.back().t != lp_.t_of(at)) take_record(at, entering, leaving);
                stop(lp_.costs() ? EndReason::unbounded : EndReason::infeasible, at);
                return false;
            }
            apply(lp_, e);
            if (e.kind == Exchange::Kind::pivot) {
                entering.push_back(e.entering);
                leaving.push_back(e.leaving);
            }
            if (!solve_at(at)) {
                stop(reason_of(solution_.status), at);
                return false;
            }
            b = next_breakpoint(lp_, solution_);
            if (b.step > noise_) break;
        }
        take_record(at, entering, leaving);
        return true;
    }

    // Degenerate exchanges that go round at one point: the core finds the
    // basis a little past it.
    bool step_past(double at) {
        const double past = std::min(length_, at + edge_nudge * std::max(1.0, length_));
        if (!solve_at(past)) {
            stop(reason_of(solution_.status), at);
            return false;
        }
        take_record(past, {}, {});
        return true;
    }

    // Solves the LP at theta from the current basis; true for an optimum.
    bool solve_at(double theta) {
        lp_.move_to(theta);
        theta_ = theta;
        revised::Options options = options_;
        options.iteration_limit = limits_.exchange_limit;
        if (limits_.deadline) {
            if (std::chrono::steady_clock::now() >= *limits_.deadline) {
                solution_.status = SolveStatus::time_limit;
                return false;
            }
            options.deadline = *limits_.deadline;
        }
        lp_.core().set_options(options);
        solution_ = lp_.core().solve();
        return solution_.status == SolveStatus::optimal;
    }

    void take_record(double theta, std::vector<Variable> entering, std::vector<Variable> leaving) {
        // A breakpoint where the sweep already stands (a first optimum whose
        // basis holds no further): the record there is the basis that holds
        // beyond, reached by the exchanges of both.
        const bool replaces = !result_.records.empty() && result_.records.back().t == lp_.t_of(theta);
        if (replaces) {
            Record old = std::move(result_.records.back());
            result_.records.pop_back();
            if (!result_.records.empty()) {
                entering.insert(entering.begin(), old.entering.begin(), old.entering.end());
                leaving.insert(leaving.begin(), old.leaving.begin(), old.leaving.end());
            } else {
                entering.clear();
                leaving.clear();
            }
        }
        Record r;
        r.t = lp_.t_of(theta);
        r.items = lp_.item_values(theta);
        r.objective = solution_.objective;
        r.slope = lp_.slope(solution_) * length_;
        r.x = solution_.col_value;
        r.activity = solution_.row_activity;
        r.dual = solution_.row_dual;
        r.reduced_cost = solution_.reduced_cost;
        r.entering = std::move(entering);
        r.leaving = std::move(leaving);
        result_.records.push_back(std::move(r));
        if (observer_ != nullptr) {
            observer_->taken(result_.records.back(), replaces);
            // The observer may have moved and solved the core: the sweep's
            // own values again, from the basis it left.
            solve_at(theta);
        }
    }

    Result& stop(EndReason reason, double theta) {
        result_.end = reason;
        result_.end_t = lp_.t_of(theta);
        return result_;
    }

    ParametricLp lp_;
    const Limits limits_;
    const revised::Options options_;
    const double length_;
    const double noise_;
    double theta_ = 0;
    LpSolution solution_;
    Result result_;
    RecordObserver* observer_ = nullptr;
};

}  // namespace

Result run_sweep(const revised::LpData& lp, const Target& target, const Limits& limits,
                 const revised::Options& options) {
    return Sweeper(lp, target, limits, options).run();
}

Result run_sweep(revised::RevisedSimplex& core, const Target& target, const Limits& limits,
                 RecordObserver* observer) {
    return Sweeper(core, target, limits, observer).run();
}

}  // namespace lpsens::sweep
