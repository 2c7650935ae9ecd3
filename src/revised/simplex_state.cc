#include "revised/simplex_state.h"

namespace lpsens::revised {

void SolveClock::start(const Options& options, std::int64_t iterations_done) {
    start_ = std::chrono::steady_clock::now();
    iteration_limit_ = options.iteration_limit == INT64_MAX ? INT64_MAX : iterations_done + options.iteration_limit;
    time_limit_ = options.time_limit_seconds;
}

bool SolveClock::limit_reached(std::int64_t iterations_done, SolveStatus& status) const {
    if (iterations_done >= iteration_limit_) {
        status = SolveStatus::iteration_limit;
        return true;
    }
    if (time_limit_ < infinity) {
        const std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start_;
        if (spent.count() > time_limit_) {
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

void SimplexState::restore_costs() {
    cost_by_var = lp->cost_by_var;
    costs_modified = false;
}

}  // namespace lpsens::revised
