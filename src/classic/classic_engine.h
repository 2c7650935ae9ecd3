// The documented engine: the two phases of the condensed tableau in the
// stored format; a sweep restores feasibility by dual exchanges (mode "rv")
// and re-optimises with phase 2.
#pragma once

#include "classic/classic_state.h"
#include "classic/state_view.h"
#include "engine/engine.h"
#include "form/documented_form.h"

namespace lpsens {

class ClassicEngine final : public SolveEngine {
public:
    // Loads the form into the tableau and builds the starting tableau.
    // `objective_may_fall` is set when a right-hand side starts negative.
    ClassicEngine(const DocumentedForm& form, const EngineSettings& settings, Channel& console,
                  bool objective_may_fall = false);

    SolveResult solve() override;
    SolveResult reoptimise(const ParameterMove& move) override;
    const TableauView& tableau() const override { return view_; }
    const ExchangeLog& log() const override { return cs_.log; }

private:
    SolveResult result(Status status) const;
    // A loop stopped (loop_exchange_limit or loop_time_limit) with a basis
    // that is `feasible` or not.
    SolveResult stopped(int stop, bool feasible) const;
    // Phase 2 from the current (feasible) basis.
    SolveResult phase2();

    ClassicState cs_;
    StateView view_{cs_};
};

// The result of a tableau in `status`: basis, values, and for "unbounded"
// the entering column's variable.
SolveResult classic_result(const ClassicState& cs, Status status);

}  // namespace lpsens
