// What the core tells its caller while it solves.  The core never writes
// anywhere itself: every iteration, every status a caller asks for and
// every line of its log (Options::log_level) goes to the observer the
// caller attaches (RevisedSimplex::set_observer), and nowhere without one.
#pragma once

#include <cstdint>
#include <string>

namespace lpsens::revised {

// The kind of an iteration: of dual phase 1 (seeking a dual feasible
// basis), of the dual simplex for the LP's own costs (including the
// iterations without costs that seek a feasible point), or of the primal
// simplex (clean-up and warm re-solves after a cost change).
enum class IterationKind { dual_phase1, dual, primal };

// Where a solve stands.  Outside dual phase 1 the objective is that of the
// current values for the LP's own costs, in its own sense and unscaled, and
// the infeasibility is the largest bound violation of a basic variable
// (scaled); in dual phase 1 neither means anything for the LP, and both are
// NaN.
struct IterationStatus {
    IterationKind kind = IterationKind::dual;
    std::int64_t iterations = 0;  // of this solve, all kinds
    double objective = 0;
    double primal_infeasibility = 0;
};

class SolveObserver {
public:
    virtual ~SolveObserver() = default;
    // After every iteration, as it happens.  Returning true asks for
    // status() at once (its figures take a pass over the basis, so the
    // observer decides how often).
    virtual bool iterated(IterationKind kind) = 0;
    virtual void status(const IterationStatus& status) = 0;
    // One line of the core's log, without a line end.
    virtual void log(const std::string& line) = 0;
};

}  // namespace lpsens::revised
