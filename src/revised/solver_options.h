// What a caller may set for a solve. The tolerances apply to the scaled
// model (see scaling.h); the result is checked against the unscaled model
// with the same tolerances carried back through the scale factors.
#pragma once

#include <chrono>
#include <cstdint>

#include "revised/lp_data.h"

namespace lpsens::revised {

struct Options {
    // A basic variable is primal feasible when it is within this of its
    // bounds (scaled model).
    double primal_feasibility_tolerance = 1e-7;
    // A nonbasic variable is dual feasible when its reduced cost has the
    // wrong sign by no more than this (scaled model).
    double dual_feasibility_tolerance = 1e-7;
    // Smallest pivot the ratio tests accept: in the primal one relative to
    // the largest entry of the solved column (floor 1e-9); in the dual one
    // on the scaled tableau row, from 1e-9 just after a refactorisation up
    // to this value after 20 updates.
    double pivot_tolerance = 1e-7;
    // Updates of the factorisation between two refactorisations.
    int refactor_interval = 100;
    // Limits; a solve that reaches one ends with that status.  Each is
    // looked at before every iteration (the first too), never when no
    // iteration is needed: a solve that needs none ends with its verdict.
    std::int64_t iteration_limit = INT64_MAX;
    double time_limit_seconds = infinity;  // from the start of each solve
    // A moment no solve may go beyond (time_limit status), whenever it
    // starts: the caller's own limit on a run of several solves.
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max();
    bool scale = true;
    // Random cost perturbation against dual degeneracy (cold starts only).
    bool perturb_costs = true;
    // 0 silent; 1 a line per phase to the observer's log; 2 also a line
    // every 1000 iterations.
    int log_level = 0;
    std::uint32_t seed = 1;
};

}  // namespace lpsens::revised
