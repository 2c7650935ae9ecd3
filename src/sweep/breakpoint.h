// Where the current basis stops being optimal along the sweep, and the
// exchange there that gives the basis that holds beyond.
//
// Right-hand sides: the basic values move along theta; the breakpoint is
// where the first reaches a bound, and the dual ratio test on its row picks
// the entering variable (the duals stay optimal).  Costs: the reduced costs
// move along theta; the breakpoint is where the first reaches zero, and the
// primal ratio test on its column picks the leaving variable (or its bound
// flips).  A ratio test that finds nothing means no basis holds beyond the
// breakpoint: infeasible (sides) or unbounded (costs).
#pragma once

#include <limits>

#include "revised/revised_simplex.h"
#include "sweep/parametric_lp.h"

namespace lpsens::sweep {

struct Breakpoint {
    double step = std::numeric_limits<double>::infinity();  // in theta; infinite: none
    // Sides: the basic position that reaches a bound, and which bound.
    int position = -1;
    bool to_upper = false;
    // Costs: the nonbasic variable whose reduced cost reaches zero, and the
    // way it moves when it enters (+1 up, -1 down).
    revised::Variable entering;
    int direction = 0;
};

// The next breakpoint from the solution of the current basis at the LP's
// current theta.
Breakpoint next_breakpoint(const ParametricLp& lp, const revised::LpSolution& solution);

struct Exchange {
    enum class Kind { none, pivot, flip } kind = Kind::none;
    int position = -1;                 // pivot: the position that changes hands
    revised::Variable entering;        // pivot: the entering variable; flip: the one that moves
    revised::Variable leaving;         // pivot
    revised::BasisStatus status = revised::BasisStatus::at_lower;  // the leaving (or flipped) variable's bound
};

// The exchange at breakpoint `at` of the solution's basis.
Exchange choose_exchange(const ParametricLp& lp, const revised::LpSolution& solution, const Breakpoint& at);

// Carries it out on the core.
void apply(ParametricLp& lp, const Exchange& exchange);

}  // namespace lpsens::sweep
