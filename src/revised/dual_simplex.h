// Dual simplex iterations: from a dual feasible basis (for the working
// costs and bounds) until the basic variables are within their bounds.
//
// One iteration: CHUZR picks the leaving row by dual steepest edge
// (infeasibility^2 / weight); BTRAN gives rho = B^-T e_r; the tableau row
// follows from rho; CHUZC (dual_ratio_test.h) picks the entering variable
// and the bound flips; FTRANs give the entering column, the flip column and
// tau = B^-1 rho for the weights; then duals, primals, weights and the
// factorisation are updated.
#pragma once

#include <cstdint>
#include <vector>

#include "factor/basis_factor.h"
#include "revised/dual_ratio_test.h"
#include "revised/simplex_state.h"
#include "revised/tableau_row.h"

namespace lpsens::revised {

enum class DualOutcome {
    optimal,     // primal feasible within tolerance (for the working data)
    infeasible,  // a row without candidates: see farkas_row()
    limit,       // iteration or time limit
    trouble,     // a fresh factorisation disagrees with the tableau row
};

class DualSimplex {
public:
    explicit DualSimplex(SimplexState& state);

    // Iterates; `phase` (1 or 2) only says which counter to advance.
    DualOutcome run(int phase, SolveStatus& limit_status);

    // After `infeasible`: rho = B^-T e_r of the row that proves it (scaled,
    // by row), and the sign of that row's infeasibility (-1 below its lower
    // bound, +1 above its upper bound).
    const std::vector<double>& farkas_row() const { return farkas_row_; }
    double farkas_sign() const { return farkas_sign_; }

private:
    int choose_row() const;
    // Squared bound violation of the basic variable at p, 0 within tolerance.
    void measure_infeasibility(int p);
    void measure_all_infeasibilities();
    // Refactorises and repairs dual feasibility.
    void rebuild();
    void apply_flips(const std::vector<int>& flips);

    // One iteration, in its steps.
    void compute_pivot_row(int r);     // BTRAN and the tableau row; r's weight
    void compute_column(int entering);  // FTRAN of the entering column
    void compute_tau();                 // FTRAN of rho for the weights
    // Flips, duals, primals, weights and the basis exchange at position r;
    // true when the factors are due to be rebuilt.
    bool pivot(int r, int entering, double delta, double alpha);
    void update_duals(int entering, int leaving);
    void update_primals(int entering, int leaving, double bound, double alpha);
    // The residual check (sets refactor_due), checks and the progress log.
    void after_iteration(int phase, std::int64_t counter, bool& refactor_due);

    SimplexState& s_;
    TableauRow row_;
    DualRatioTest ratio_test_;
    DualStep step_;
    factor::SparseVector rho_, column_, tau_, flip_column_;
    std::vector<double> infeasibility_by_position_;
    std::vector<double> farkas_row_;
    double farkas_sign_ = 0;
};

}  // namespace lpsens::revised
