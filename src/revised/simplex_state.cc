#include "revised/simplex_state.h"

#include <limits>

#include "revised/simplex_values.h"

namespace lpsens::revised {

void SolveClock::start(const Options& options, std::int64_t iterations_done) {
    start_ = std::chrono::steady_clock::now();
    iteration_limit_ = options.iteration_limit == INT64_MAX ? INT64_MAX : iterations_done + options.iteration_limit;
    time_limit_ = options.time_limit_seconds;
    deadline_ = options.deadline;
}

bool SolveClock::limit_reached(std::int64_t iterations_done, SolveStatus& status) const {
    if (iterations_done >= iteration_limit_) {
        status = SolveStatus::iteration_limit;
        return true;
    }
    if (time_limit_ < infinity || deadline_ != std::chrono::steady_clock::time_point::max()) {
        const auto now = std::chrono::steady_clock::now();
        const std::chrono::duration<double> spent = now - start_;
        if (spent.count() > time_limit_ || now >= deadline_) {
            status = SolveStatus::time_limit;
            return true;
        }
    }
    return false;
}

void SimplexState::setup(const WorkingLp& working_lp) {
    lp = &working_lp;
    basis.setup(working_lp);
    dual_weights.set_unit(working_lp.rows);
    lower_by_var = working_lp.lower_by_var;
    upper_by_var = working_lp.upper_by_var;
    cost_by_var = working_lp.cost_by_var;
    costs_modified = false;
    x_by_var.assign(working_lp.vars(), 0.0);
    d_by_var.assign(working_lp.vars(), 0.0);
}

void SimplexState::restore_bounds() {
    lower_by_var = lp->lower_by_var;
    upper_by_var = lp->upper_by_var;
}

void SimplexState::iterated(IterationKind kind) {
    if (observer == nullptr || !observer->iterated(kind)) return;
    IterationStatus status;
    status.kind = kind;
    status.iterations = iterations.total();
    if (kind == IterationKind::dual_phase1) {
        status.objective = status.primal_infeasibility = std::numeric_limits<double>::quiet_NaN();
    } else {
        // cost_by_var is cost_sign * cost * var_scale, x_by_var the value
        // over var_scale: their product is the LP's cost times its value.
        long double objective = objective_offset;
        for (int j = 0; j < lp->cols; ++j)
            objective += static_cast<long double>(lp->cost_sign * lp->cost_by_var[j]) * x_by_var[j];
        status.objective = static_cast<double>(objective);
        status.primal_infeasibility = max_basic_infeasibility(*this);
    }
    observer->status(status);
}

void SimplexState::log(int level, const std::string& line) const {
    if (observer != nullptr && log_level >= level) observer->log(line);
}

void SimplexState::restore_costs() {
    cost_by_var = lp->cost_by_var;
    costs_modified = false;
}

}  // namespace lpsens::revised
