#include "classic/classic_engine.h"

#include "classic/phases.h"
#include "classic/pivot.h"
#include "classic/sweep_steps.h"
#include "classic/tableau_init.h"

namespace lpsens {

ClassicEngine::ClassicEngine(const DocumentedForm& form, const EngineSettings& settings, Channel& console,
                             bool objective_may_fall) {
    cs_.settings = settings;
    cs_.console = &console;
    cs_.objective_may_fall = objective_may_fall;
    load_form(cs_, form);
    initialise_tableau(cs_);
}

SolveResult classic_result(const ClassicState& cs, Status status) {
    const StateView view(cs);
    SolveResult r;
    r.status = status;
    take_basis(view, r);
    if (status == Status::infeasible) return r;
    r.solution = solution_from(view, cs.var_count);
    if (status == Status::unbounded) r.ray = cs.column_label[static_cast<std::size_t>(cs.entering_column)];
    return r;
}

SolveResult ClassicEngine::result(Status status) const { return classic_result(cs_, status); }

SolveResult ClassicEngine::solve() {
    if (solve_phase1(cs_) != phase1_feasible) return result(Status::infeasible);
    return result(solve_phase2(cs_) == phase2_unbounded ? Status::unbounded : Status::optimal);
}

SolveResult ClassicEngine::reoptimise(const ParameterMove& move) {
    // From the first step of a sweep on, no artificial variable may take a
    // nonzero value.
    cs_.artificials_stay_at_zero = true;
    apply_move(cs_, move);
    if (!move.objective && !restore_feasibility(cs_)) return result(Status::infeasible);
    return result(solve_phase2(cs_) == phase2_unbounded ? Status::unbounded : Status::optimal);
}

}  // namespace lpsens
