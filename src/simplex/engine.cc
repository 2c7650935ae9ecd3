#include "simplex/engine.h"

#include "parametric/parametric_step.h"
#include "simplex/solve.h"

namespace lpsens {

int ClassicEngine::phase1(Workspace& ws) { return solve_phase1(ws); }

int ClassicEngine::phase2(Workspace& ws) { return solve_phase2(ws); }

int ClassicEngine::reoptimise(Workspace& ws, StoredReal) {
    if (ws.run_mode != "pv" && !restore_feasibility(ws)) return 0;
    return solve_phase2(ws);
}

}  // namespace lpsens
