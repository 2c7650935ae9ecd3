// What a solve returns, in the LP's own (unscaled) terms.
//
// Sign convention of the duals, for either sense: the reduced costs are
//
//   d = cost - A^T y
//
// and at an optimum of a minimisation d_j >= 0 for a column at its lower
// bound, d_j <= 0 at its upper bound, d_j = 0 when basic; a row at its lower
// bound has y_i >= 0, at its upper bound y_i <= 0, and y_i = 0 when its
// activity is basic (strictly inside its bounds or free). For a
// maximisation every one of those signs is reversed. In both senses
//   cost^T x = y^T (A x) + d^T x,
// so the objective is the bounds weighted by their duals (plus the offset).
#pragma once

#include <cstdint>
#include <vector>

namespace lpsens::revised {

enum class SolveStatus {
    not_solved,
    optimal,
    infeasible,         // with a Farkas certificate
    unbounded,          // with a feasible point and a primal ray
    iteration_limit,
    time_limit,
    numerical_trouble,  // no result passed its own check
};

const char* to_string(SolveStatus status);

// Where a variable is. For a row the variable is its activity r_i = a_i x:
// at_lower means r_i = row_lower[i].
enum class BasisStatus : std::uint8_t {
    basic,
    at_lower,
    at_upper,
    free_at_zero,  // nonbasic with both bounds infinite, at value 0
    fixed,         // nonbasic with equal bounds
};

// A basis for warm starts: exactly `rows` entries of the two lists are basic.
struct Basis {
    std::vector<BasisStatus> col_status;  // by column
    std::vector<BasisStatus> row_status;  // by row
};

struct IterationCounts {
    std::int64_t dual_phase1 = 0;
    std::int64_t dual_phase2 = 0;  // including the dual iterations for feasibility
    std::int64_t primal = 0;       // clean-up and cost-change re-solves
    std::int64_t total() const { return dual_phase1 + dual_phase2 + primal; }
    int refactorisations = 0;
    int retries = 0;               // solves redone after a failed check
};

struct LpSolution {
    SolveStatus status = SolveStatus::not_solved;
    double objective = 0;               // cost^T x + offset, in the LP's sense

    std::vector<double> col_value;      // x, by column
    std::vector<double> row_activity;   // A x, by row
    std::vector<double> row_dual;       // y, by row (see the convention above)
    std::vector<double> reduced_cost;   // d = cost - A^T y, by column
    Basis basis;
    IterationCounts iterations;

    // Measured from the unscaled LP: the largest bound violation of x and of
    // A x (recomputed from A), and the largest wrong-signed reduced cost or
    // row dual (d recomputed from y).
    double primal_infeasibility = 0;
    double dual_infeasibility = 0;

    // status infeasible: row multipliers y such that, with z = A^T y,
    //   max { z^T x : col_lower <= x <= col_upper }
    //     < min { y^T r : row_lower <= r <= row_upper },
    // impossible when r = A x. The two sides are farkas_lhs_bound and
    // farkas_rhs_bound (entries of z below rounding noise count as 0).
    std::vector<double> farkas;         // by row
    double farkas_lhs_bound = 0;
    double farkas_rhs_bound = 0;

    // status unbounded: a direction dx (by column, largest entry 1 in
    // magnitude) with cost^T dx < 0 (minimisation; > 0 for maximisation)
    // along which x stays within the column bounds and A x within the row
    // bounds without end; col_value is a feasible point.
    std::vector<double> ray;            // by column
};

}  // namespace lpsens::revised
