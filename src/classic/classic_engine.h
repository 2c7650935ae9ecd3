// The documented engine: the two phases of the condensed tableau in the
// stored format; a sweep restores feasibility by dual exchanges (mode "rv")
// and re-optimises with phase 2.
#pragma once

#include <memory>

#include "classic/kernel_kind.h"
#include "engine/engine.h"
#include "form/documented_form.h"
#include "io/channel.h"

namespace lpsens {

enum class LoopEnd;  // classic/phases.h

struct ClassicState;
class ClassicTableauView;

class ClassicEngine final : public SolveEngine {
public:
    // Loads the form into the tableau and builds the starting tableau.
    // `objective_may_fall` is set when a right-hand side starts negative;
    // `kernel` is the exchange step's inner loop and `threads` how many
    // share its rows (0: both cores on large problems); the same values
    // from each.
    ClassicEngine(const DocumentedForm& form, const EngineSettings& settings, Channel& console,
                  bool objective_may_fall = false, KernelKind kernel = KernelKind::best, int threads = 0);
    ~ClassicEngine() override;

    SolveResult solve() override;
    SolveResult reoptimise(const ParameterMove& move) override;
    const TableauView& tableau() const override;
    const ExchangeLog& log() const override;

private:
    SolveResult result(Status status) const;
    // A loop stopped (at the exchange limit or the deadline) with a basis
    // that is `feasible` or not.
    SolveResult stopped(LoopEnd stop, bool feasible) const;
    // Phase 2 from the current (feasible) basis.
    SolveResult phase2();

    // The state is the engine's own: nothing outside the classic engine
    // sees it but through the tableau view.
    std::unique_ptr<ClassicState> state_;
    ClassicState& cs_;
    std::unique_ptr<ClassicTableauView> view_;
};

// The result of a tableau in `status`: basis, values, and for "unbounded"
// the entering column's variable.
SolveResult classic_result(const ClassicState& cs, Status status);

}  // namespace lpsens
