// The order of the phases for one solve on the working LP.
//
// From the current basis: when the reduced costs are not dual feasible
// (after boxed variables take their better bound) and the basis is primal
// feasible, the primal simplex finishes; otherwise dual phase 1 runs on the
// auxiliary problem (every variable boxed: free ones in [-1000, 1000], those
// with one bound in [0, 1] or [-1, 0], the others fixed at 0) whose optimal
// basis is dual feasible for the LP unless the LP's dual is infeasible.
// Then dual phase 2. When dual phase 1 cannot reach dual feasibility, the
// dual simplex runs with (perturbed) zero costs, which either proves the LP
// infeasible or ends at a feasible basis from which the primal simplex
// finds the optimum or a ray. At the dual optimum the cost perturbations
// and shifts are removed and the primal simplex cleans up any reduced cost
// they leave wrong.
#pragma once

#include <cstdint>
#include <vector>

#include "revised/dual_simplex.h"
#include "revised/primal_simplex.h"
#include "revised/simplex_state.h"

namespace lpsens::revised {

enum class SolverOutcome { optimal, infeasible, unbounded, limit, trouble };

class SimplexSolver {
public:
    explicit SimplexSolver(SimplexState& state);

    // `fresh_factors`: factorise first (otherwise the factorisation must
    // be that of the current basis, as after the previous solve).
    // `perturb`: perturb the costs before the dual phases.
    SolverOutcome solve(bool fresh_factors, bool perturb, std::uint32_t seed, SolveStatus& limit_status);

    // After `infeasible` (scaled, by row) and `unbounded` (scaled, by var).
    const std::vector<double>& farkas_row() const { return dual_.farkas_row(); }
    double farkas_sign() const { return dual_.farkas_sign(); }
    const std::vector<double>& ray() const { return primal_.ray(); }

private:
    DualOutcome run_dual_phase1(SolveStatus& limit_status);
    DualOutcome run_with_zero_costs(SolveStatus& limit_status, std::uint32_t seed);

    SimplexState& s_;
    DualSimplex dual_;
    PrimalSimplex primal_;
};

}  // namespace lpsens::revised
