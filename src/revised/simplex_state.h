// Everything the simplex iterations change, in the working LP's terms
// (scaled, minimisation, A x + s = 0).
#pragma once

#include <chrono>
#include <cstdint>
#include <vector>

#include "revised/dual_edge_weights.h"
#include "revised/observer.h"
#include "revised/solver_options.h"
#include "revised/simplex_basis.h"
#include "revised/lp_solution.h"
#include "revised/working_lp.h"

namespace lpsens::revised {

struct Tolerances {
    double primal = 1e-7;
    double dual = 1e-7;
    double pivot = 1e-7;
};

// Iteration and time limits of one solve.
class SolveClock {
public:
    void start(const Options& options, std::int64_t iterations_done);
    // True when a limit is reached; `status` says which.
    bool limit_reached(std::int64_t iterations_done, SolveStatus& status) const;

private:
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point deadline_ = std::chrono::steady_clock::time_point::max();
    std::int64_t iteration_limit_ = INT64_MAX;
    double time_limit_ = 0;
};

// A running average of the fill (nonzeros / size) of one kind of solve,
// passed to the factorisation as its density hint.
struct SolveDensity {
    double value = 0.0;
    void record(const factor::SparseVector& v) {
        const double fill = v.count < 0 || v.size() == 0 ? 1.0 : static_cast<double>(v.count) / v.size();
        value = 0.95 * value + 0.05 * fill;
    }
};

struct SimplexState {
    const WorkingLp* lp = nullptr;
    SimplexBasis basis;
    DualEdgeWeights dual_weights;

    // The bounds and costs the iterations work with: the LP's, or the box
    // of dual phase 1, or costs with perturbations and shifts.
    std::vector<double> lower_by_var;
    std::vector<double> upper_by_var;
    std::vector<double> cost_by_var;
    bool costs_modified = false;  // cost_by_var differs from lp->cost_by_var

    std::vector<double> x_by_var;  // every variable; nonbasic ones at their bound (or 0)
    std::vector<double> d_by_var;  // reduced costs; 0 for basic variables

    Tolerances tol;
    // Fill of the BTRAN'd pivot rows, the FTRAN'd entering columns, the
    // steepest-edge FTRANs and the bound-flip FTRANs.
    SolveDensity row_density, column_density, tau_density, flip_density;
    IterationCounts iterations;
    SolveClock clock;
    int log_level = 0;
    int refactor_interval = 100;
    SolveObserver* observer = nullptr;  // null: nobody is told
    double objective_offset = 0;        // the LP's, for the observer's figures

    int rows() const { return lp->rows; }
    int cols() const { return lp->cols; }
    int vars() const { return lp->vars(); }

    // Sizes everything for `lp` and takes its bounds and costs.
    void setup(const WorkingLp& working_lp);
    // Back to the LP's own bounds and costs (values are not recomputed).
    void restore_bounds();
    void restore_costs();

    // After every iteration: tells the observer, with the figures when it
    // asks for them.
    void iterated(IterationKind kind);
    // A line of the log when log_level is at least `level`.
    void log(int level, const std::string& line) const;
};

}  // namespace lpsens::revised
