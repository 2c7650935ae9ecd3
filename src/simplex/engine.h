// The seam between the run sequence and the arithmetic that solves: the
// classic engine (the stored format and the documented rules) or another one
// (accurate mode) that leaves the same workspace behind for the reports.
#pragma once

#include "model/workspace.h"

namespace lpsens {

class SolveEngine {
public:
    virtual ~SolveEngine() = default;
    // 1 when a feasible basis has been found; 0 after writing "No feasible
    // solution".
    virtual int phase1(Workspace& ws) = 0;
    // 1 at an optimum; 9 after writing "Unbounded solution".  The tableau,
    // labels and origins then describe the final basis.
    virtual int phase2(Workspace& ws) = 0;
    // After a sweep step moved t (and changed the tableau to match): makes
    // the tableau optimal for the problem at t.  1 optimal, 9 unbounded
    // ("Unbounded solution" written), 0 when no solution is feasible at t
    // (nothing written).
    virtual int reoptimise(Workspace& ws, StoredReal t) = 0;
};

// The documented engine: the two phases of the condensed tableau in the
// stored format; a sweep restores feasibility by dual exchanges (mode "rv")
// and re-optimises with phase 2.
class ClassicEngine : public SolveEngine {
public:
    int phase1(Workspace& ws) override;
    int phase2(Workspace& ws) override;
    int reoptimise(Workspace& ws, StoredReal t) override;
};

}  // namespace lpsens
