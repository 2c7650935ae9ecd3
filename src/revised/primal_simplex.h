// Primal simplex iterations from a primal feasible basis (for the working
// bounds) until the reduced costs are dual feasible: the clean-up after the
// dual simplex has removed its cost perturbations and shifts, and the
// re-solve after costs change.
//
// Pricing is Devex (reference weights reset every refactorisation); the
// ratio test is Harris's two passes, and an entering boxed variable that
// reaches its other bound first just flips. The dual steepest-edge weights
// are updated as well (one more FTRAN an iteration) so that they stay
// exact for the dual simplex.
#pragma once

#include <cstdint>
#include <vector>

#include "factor/basis_factor.h"
#include "revised/simplex_state.h"
#include "revised/tableau_row.h"

namespace lpsens::revised {

enum class PrimalOutcome {
    optimal,     // dual feasible with the basic variables within bounds
    unbounded,   // see ray()
    infeasible,  // fresh values show the basis lost primal feasibility
    limit,
    stalled,     // the iteration budget ran out
};

class PrimalSimplex {
public:
    explicit PrimalSimplex(SimplexState& state);

    // At most `budget` iterations (bound flips included) before `stalled`.
    PrimalOutcome run(SolveStatus& limit_status, std::int64_t budget = INT64_MAX);

    // After `unbounded`: the direction of every variable (scaled, by var)
    // along which the objective falls without end.
    const std::vector<double>& ray() const { return ray_; }

private:
    int choose_column() const;
    // Refactorises; false when the basis is no longer primal feasible.
    bool rebuild();
    void reset_weights();

    // One iteration, in its steps. dir: +1 when the entering variable
    // rises, -1 when it falls.
    double entering_direction(int entering) const;
    void compute_column(int entering);  // FTRAN of the entering column
    // The ratio test: the position of the leaving variable, or -1 when none
    // blocks, and the step to it (left alone when none blocks).
    int choose_leaving(double dir, double& step) const;
    double smallest_pivot() const;  // column entries below it never pivot
    double relaxed_step(double dir, double min_alpha) const;
    int largest_blocking_pivot(double dir, double min_alpha, double relaxed, double& step) const;
    void record_ray(int entering, double dir);
    // The entering variable reaches its other bound before any basic one.
    void flip_entering(int entering, double dir, double range);
    // Computes the pivot row; false when its pivot disagrees with the
    // column's after updates (the factors have drifted).
    bool pivot_row_agrees(int r, int entering);
    // Exchanges the basis at position r; true when the factors are due to be
    // rebuilt.
    bool pivot(int r, int entering, double dir, double step);
    void update_duals_and_devex(int entering, int leaving, double alpha);
    void update_dual_weights(int r, double alpha);
    void update_primals(int entering, int leaving, double theta, bool to_lower);

    SimplexState& s_;
    TableauRow row_;
    factor::SparseVector column_, rho_, tau_;
    std::vector<double> devex_weight_by_var_;
    std::vector<double> ray_;
};

}  // namespace lpsens::revised
