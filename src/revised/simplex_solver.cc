#include "revised/simplex_solver.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <string>

#include "revised/cost_perturbation.h"
#include "revised/simplex_values.h"

namespace lpsens::revised {

namespace {

constexpr int max_rounds = 40;
constexpr int max_troubles = 4;
constexpr double cleanup_tolerance_factor = 1e-4;

// The box of dual phase 1 for a variable with bounds [lower, upper].
void auxiliary_bounds(double lower, double upper, double& aux_lower, double& aux_upper) {
    const bool has_lower = std::isfinite(lower);
    const bool has_upper = std::isfinite(upper);
    if (!has_lower && !has_upper) {
        aux_lower = -1000;
        aux_upper = 1000;
    } else if (!has_upper) {
        aux_lower = 0;
        aux_upper = 1;
    } else if (!has_lower) {
        aux_lower = -1;
        aux_upper = 0;
    } else {
        aux_lower = 0;
        aux_upper = 0;
    }
}

const char* name(DualOutcome o) {
    switch (o) {
        case DualOutcome::optimal: return "optimal";
        case DualOutcome::infeasible: return "infeasible";
        case DualOutcome::limit: return "limit";
        case DualOutcome::trouble: return "trouble";
    }
    return "?";
}

const char* name(PrimalOutcome o) {
    switch (o) {
        case PrimalOutcome::optimal: return "optimal";
        case PrimalOutcome::unbounded: return "unbounded";
        case PrimalOutcome::infeasible: return "lost feasibility";
        case PrimalOutcome::limit: return "limit";
        case PrimalOutcome::stalled: return "stalled";
    }
    return "?";
}

// Logs how a primal run ended and says whether that ends the solve: an
// optimum, a ray or a limit does; lost feasibility or a stall goes round again.
bool primal_ends_solve(PrimalOutcome p, const char* what, const SimplexState& s, SolverOutcome& outcome) {
    s.log(1, std::string(what) + ": " + name(p));
    switch (p) {
        case PrimalOutcome::optimal: outcome = SolverOutcome::optimal; return true;
        case PrimalOutcome::unbounded: outcome = SolverOutcome::unbounded; return true;
        case PrimalOutcome::limit: outcome = SolverOutcome::limit; return true;
        case PrimalOutcome::infeasible:
        case PrimalOutcome::stalled: return false;
    }
    return false;
}

}  // namespace

SimplexSolver::SimplexSolver(SimplexState& state) : s_(state), dual_(state), primal_(state) {}

DualOutcome SimplexSolver::run_dual_phase1(SolveStatus& limit_status) {
    for (int var = 0; var < s_.vars(); ++var)
        auxiliary_bounds(s_.lp->lower_by_var[var], s_.lp->upper_by_var[var], s_.lower_by_var[var],
                         s_.upper_by_var[var]);
    for (int var = 0; var < s_.vars(); ++var) {
        VarStatus& status = s_.basis.status_by_var[var];
        if (status == VarStatus::basic) continue;
        status = s_.d_by_var[var] >= 0 ? VarStatus::at_lower : VarStatus::at_upper;
    }
    set_nonbasic_values(s_);
    compute_basic_values(s_);
    const DualOutcome outcome = dual_.run(1, limit_status);
    s_.restore_bounds();
    set_nonbasic_values(s_);
    compute_basic_values(s_);
    s_.log(1, std::string("dual phase 1: ") + name(outcome) + " after " + std::to_string(s_.iterations.dual_phase1) +
                  " iterations");
    return outcome;
}

DualOutcome SimplexSolver::run_with_zero_costs(SolveStatus& limit_status, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(1e-7, 2e-7);
    for (int var = 0; var < s_.vars(); ++var) {
        double c = 0;
        switch (s_.basis.status_by_var[var]) {
            case VarStatus::at_lower: c = uniform(random); break;
            case VarStatus::at_upper: c = -uniform(random); break;
            default: break;
        }
        s_.cost_by_var[var] = c;
    }
    s_.costs_modified = true;
    compute_reduced_costs(s_);
    const DualOutcome outcome = dual_.run(2, limit_status);
    s_.log(1, std::string("dual simplex without costs: ") + name(outcome));
    return outcome;
}

SolverOutcome SimplexSolver::solve(bool fresh_factors, bool perturb, std::uint32_t seed,
                                   SolveStatus& limit_status) {
    if (fresh_factors) {
        refactorise(s_);
    } else {
        set_nonbasic_values(s_);
        compute_basic_values(s_);
        compute_reduced_costs(s_);
    }
    if (perturb) {
        perturb_costs(s_, seed);
        compute_reduced_costs(s_);
    }
    bool tried_phase1 = false;
    int troubles = 0;
    SolverOutcome outcome = SolverOutcome::trouble;
    for (int round = 0; round < max_rounds; ++round) {
        if (flip_to_dual_feasible_bounds(s_) > 0) compute_basic_values(s_);
        if (count_dual_infeasibilities(s_, false) > 0) {
            if (max_basic_infeasibility(s_) <= s_.tol.primal) {
                s_.restore_costs();
                compute_reduced_costs(s_);
                if (primal_ends_solve(primal_.run(limit_status), "primal simplex", s_, outcome))
                    return outcome;
                continue;
            }
            if (!tried_phase1) {
                tried_phase1 = true;
                const DualOutcome d = run_dual_phase1(limit_status);
                if (d == DualOutcome::limit) return SolverOutcome::limit;
                if (d == DualOutcome::trouble && ++troubles > max_troubles) return SolverOutcome::trouble;
                continue;
            }
            // The dual looks infeasible: first a feasible point, without costs.
            const DualOutcome d = run_with_zero_costs(limit_status, seed + 17 * round);
            s_.restore_costs();
            compute_reduced_costs(s_);
            if (d == DualOutcome::infeasible) return SolverOutcome::infeasible;
            if (d == DualOutcome::limit) return SolverOutcome::limit;
            if (d == DualOutcome::trouble) {
                if (++troubles > max_troubles) return SolverOutcome::trouble;
                refactorise(s_);
                continue;
            }
            if (primal_ends_solve(primal_.run(limit_status), "primal simplex", s_, outcome))
                return outcome;
            continue;
        }

        const DualOutcome d = dual_.run(2, limit_status);
        s_.log(1, std::string("dual phase 2: ") + name(d) + " after " + std::to_string(s_.iterations.dual_phase2) +
                      " iterations");
        if (d == DualOutcome::infeasible) return SolverOutcome::infeasible;
        if (d == DualOutcome::limit) return SolverOutcome::limit;
        if (d == DualOutcome::trouble) {
            if (++troubles > max_troubles) return SolverOutcome::trouble;
            refactorise(s_);
            continue;
        }
        if (s_.costs_modified) {
            s_.restore_costs();
            compute_reduced_costs(s_);
        }
        // The clean-up removes even the reduced costs that are wrong by less
        // than the tolerance: the perturbation leaves many of them, and on
        // large primal values together they move the objective.
        const double dual_tolerance = s_.tol.dual;
        s_.tol.dual = dual_tolerance * cleanup_tolerance_factor;
        if (count_dual_infeasibilities(s_, true) == 0) {
            s_.tol.dual = dual_tolerance;
            return SolverOutcome::optimal;
        }
        PrimalOutcome p = primal_.run(limit_status, std::max<std::int64_t>(1000, s_.rows()));
        s_.tol.dual = dual_tolerance;
        // Without progress at the fine tolerance the ordinary one decides.
        if (p == PrimalOutcome::stalled) p = primal_.run(limit_status);
        if (primal_ends_solve(p, "primal clean-up", s_, outcome)) return outcome;
    }
    return SolverOutcome::trouble;
}

}  // namespace lpsens::revised
