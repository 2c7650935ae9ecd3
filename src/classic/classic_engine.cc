#include "classic/classic_engine.h"

#include "classic/classic_state.h"
#include "classic/phases.h"
#include "classic/pivot.h"
#include "classic/classic_tableau_view.h"
#include "classic/sweep_steps.h"
#include "classic/tableau_init.h"

namespace lpsens {

ClassicEngine::ClassicEngine(const DocumentedForm& form, const EngineSettings& settings, Channel& console,
                             bool objective_may_fall, KernelKind kernel, int threads)
    : state_(std::make_unique<ClassicState>()), cs_(*state_), view_(std::make_unique<ClassicTableauView>(cs_)) {
    cs_.settings = settings;
    cs_.kernel = kernel;
    cs_.threads = threads;
    cs_.console = &console;
    cs_.objective_may_fall = objective_may_fall;
    load_form(cs_, form);
    initialise_tableau(cs_);
}

ClassicEngine::~ClassicEngine() = default;

const TableauView& ClassicEngine::tableau() const { return *view_; }
const ExchangeLog& ClassicEngine::log() const { return cs_.log; }

SolveResult classic_result(const ClassicState& cs, Status status) {
    const ClassicTableauView view(cs);
    SolveResult r;
    r.status = status;
    take_basis(view, r);
    if (status == Status::infeasible) return r;
    r.solution = solution_from(view, cs.var_count);
    if (status == Status::unbounded) r.ray = cs.column_label[cs.entering_column];
    return r;
}

namespace {

// The status of a loop that stopped before its verdict.
Status stop_status(LoopEnd stop) { return stop == LoopEnd::time_limit ? Status::time_limit : Status::exchange_limit; }

}  // namespace

SolveResult ClassicEngine::result(Status status) const { return classic_result(cs_, status); }

SolveResult ClassicEngine::stopped(LoopEnd stop, bool feasible) const {
    SolveResult r = classic_result(cs_, stop_status(stop));
    r.feasible = feasible;
    return r;
}

SolveResult ClassicEngine::phase2() {
    const LoopEnd outcome = solve_phase2(cs_);
    if (is_stop(outcome)) return stopped(outcome, true);
    return result(outcome == LoopEnd::unbounded ? Status::unbounded : Status::optimal);
}

SolveResult ClassicEngine::solve() {
    cs_.status_line.start();
    const LoopEnd phase1 = solve_phase1(cs_);
    if (is_stop(phase1)) return stopped(phase1, false);
    if (phase1 != LoopEnd::feasible) return result(Status::infeasible);
    return phase2();
}

SolveResult ClassicEngine::reoptimise(const ParameterMove& move) {
    cs_.status_line.start();
    // From the first step of a sweep on, no artificial variable may take a
    // nonzero value.
    cs_.artificials_stay_at_zero = true;
    apply_move(cs_, move);
    if (!move.objective) {
        const LoopEnd restored = restore_feasibility(cs_);
        if (is_stop(restored)) return stopped(restored, false);
        if (restored == LoopEnd::infeasible) return result(Status::infeasible);
    }
    return phase2();
}

}  // namespace lpsens
