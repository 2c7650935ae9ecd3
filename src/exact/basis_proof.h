// A basis of a model's LP proven in exact rationals: its values, activities,
// duals and reduced costs solved exactly from the model's own numbers, and
// whether they are feasible and optimal without any tolerance; exact pivots
// from it where it is not (below).
//
// Sign conventions are the revised core's (revised/lp_solution.h): d = cost
// - A^T y; a row's dual is the change of the objective per unit of its
// right-hand side.
#pragma once

#include <gmpxx.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "exact/rational_lp.h"
#include "exact/rational_lu.h"
#include "revised/lp_solution.h"

namespace lpsens::exact {

enum class Proof {
    optimal,     // the basis is feasible and optimal, exactly
    infeasible,  // a Farkas certificate holds exactly
    unbounded,   // a feasible point and a ray hold exactly
    unproven,    // none of these could be shown
};

const char* to_string(Proof proof);

struct ExactSolution {
    Proof proof = Proof::unproven;
    mpq_class objective;
    std::vector<mpq_class> values;         // by column
    std::vector<mpq_class> activities;     // by row
    std::vector<mpq_class> duals;          // by row
    std::vector<mpq_class> reduced_costs;  // by column
    // The certificates: infeasible, the row multipliers in `duals`;
    // unbounded, the feasible point in `values` and the ray here.
    std::vector<mpq_class> ray;            // by column
    revised::Basis basis;                  // the basis proven (after any exact pivots)
    // A proven optimum: the factors of its basis (its basic variables in
    // increasing order, columns then rows), for the exact ranging.
    std::shared_ptr<const RationalLu> factors;
    int pivots = 0;                        // exact pivots made from the basis given
    std::string why;                       // what stood in the way, when unproven
};

struct ProofLimits {
    int max_pivots = 1000;  // exact pivots from the basis given
    // When the proof gives up, unproven and out of time: the run's time limit.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
};

// Proves `basis` of `lp` optimal, or carries it on by exact pivots (Bland's
// rule, so they end): the primal simplex method from a feasible basis, the
// dual one from a dual feasible basis, and from a basis that is neither the
// dual one with every cost 0 until it is feasible.  They end on a proven
// optimum, on a row that proves the LP infeasible, or on a ray that proves
// it unbounded.  A basis that is singular here gives way to the slack basis.
ExactSolution prove_optimal(const RationalLp& lp, revised::Basis basis, const ProofLimits& limits = {});

// The LP solved in exact arithmetic alone, from `start` or the slack basis.
ExactSolution solve_exactly(const RationalLp& lp, const revised::Basis* start, const ProofLimits& limits = {});

// Proves infeasibility by the row multipliers `y` of a floating-point
// certificate: as the doubles they are, or else each entry as the simplest
// fraction within 1e-12 of it (relative to the largest), entries below that
// as 0.
ExactSolution prove_infeasible(const RationalLp& lp, const std::vector<double>& y);

// Proves unboundedness by the point `x` and the direction `dx` of a
// floating-point certificate, taken as they are or as simplest fractions
// like the Farkas multipliers; the point must be feasible and the direction
// a ray exactly.
ExactSolution prove_unbounded(const RationalLp& lp, const std::vector<double>& x, const std::vector<double>& dx);

}  // namespace lpsens::exact
