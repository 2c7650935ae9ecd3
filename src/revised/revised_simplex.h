// The revised simplex engine: dual simplex (phase 1 and 2) with primal
// simplex clean-up on a sparse LU factorisation of the basis, for LPs of
// any size. See solution.h for what a solve returns and its sign
// conventions.
//
//   RevisedSimplex engine(lp);            // scales the LP, slack basis
//   const LpSolution& s = engine.solve();   // cold: dual simplex
//   engine.set_cost(j, c);                // then a warm re-solve:
//   engine.solve();                       //   primal simplex from the basis
//   engine.set_row_bounds(i, lo, up);
//   engine.solve();                       //   dual simplex from the basis
//
// Variables of the LP are its columns x_j and its row activities r_i, tied
// by A x - r = 0. After a solve the basis (and its factorisation) stays
// available for the sensitivity calls below until the next change.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "revised/lp_data.h"
#include "revised/observer.h"
#include "revised/solver_options.h"
#include "revised/lp_solution.h"

namespace lpsens::revised {

// A variable of the LP: a column, or a row's activity.
struct Variable {
    enum class Kind : std::uint8_t { column, row };
    Kind kind = Kind::column;
    int index = 0;

    static Variable column(int j) { return {Kind::column, j}; }
    static Variable row(int i) { return {Kind::row, i}; }
    friend bool operator==(Variable a, Variable b) { return a.kind == b.kind && a.index == b.index; }
};

class RevisedSimplex {
public:
    // Throws std::invalid_argument when lp.check() finds a fault.
    explicit RevisedSimplex(LpData lp, Options options = {});
    ~RevisedSimplex();
    RevisedSimplex(RevisedSimplex&&) noexcept;
    RevisedSimplex& operator=(RevisedSimplex&&) noexcept;

    const LpData& lp() const { return lp_; }
    const Options& options() const { return options_; }
    // Takes effect at the next solve; a change of `scale` rebuilds the
    // engine, so that solve starts cold.
    void set_options(const Options& options);
    // Told of every iteration and given the log from the next solve on;
    // null for nobody.  It must outlive the solves it watches.
    void set_observer(SolveObserver* observer) { observer_ = observer; }

    // Solves from the current basis: the slack basis at first (with cost
    // perturbation when the options allow), afterwards the basis the last
    // solve ended with or the one given to set_basis. The result is checked
    // against the unscaled LP (solution_check.h, certificates.h); a result
    // that fails is never returned as final: the solve is redone with fresh
    // factors and tighter tolerances, then from the slack basis, and only
    // then the status is numerical_trouble.
    const LpSolution& solve();
    const LpSolution& solution() const { return solution_; }

    // Warm start from `basis` (as LpSolution::basis gives it). Where it does
    // not have exactly `rows` basic entries it is repaired with logicals;
    // nonbasic statuses that name an infinite bound move to the other.
    void set_basis(const Basis& basis);
    // Back to the slack basis: the next solve is cold.
    void reset_basis();

    // Changes for warm re-solves; the basis stays. Bounds may be infinite.
    void set_cost(int col, double cost);
    void set_col_bounds(int col, double lower, double upper);
    void set_row_bounds(int row, double lower, double upper);

    // --- Sensitivity access, valid once a solve has ended (any status
    // other than not_solved) and until the next change or solve.
    //
    // The tableau is T = B^-1 [A  -I] for the basis matrix B whose column
    // at position p is a_j when column j is basic there and -e_i when row
    // i's activity is: the basic variables move as v_B = -T v_N when the
    // nonbasic ones move by v_N. All in unscaled terms.

    int rows() const { return lp_.rows; }
    // The basic variable at each position 0..rows-1.
    std::vector<Variable> basis_header() const;
    // The position of `v` in the basis, or -1 when it is nonbasic.
    int position_of(Variable v) const;
    // Row `position` of T: col_entries by column, row_entries by row (1 at
    // the basic variable's own entry, 0 at the other basic ones).
    void tableau_row(int position, std::vector<double>& col_entries, std::vector<double>& row_entries) const;
    // Column of T for `v`, by position (B^-1 times v's column of [A -I]).
    std::vector<double> tableau_column(Variable v) const;
    // B x = b in place: b by row in, x by position out.
    void solve_basis(std::vector<double>& values) const;
    // B^T y = c in place: c by position in, y by row out.
    void solve_basis_transpose(std::vector<double>& values) const;

    // --- Stepping the basis by hand (parametric analysis): the next solve
    // starts from the basis these leave and recomputes every value.
    //
    // The nonbasic `entering` takes the place of the basic variable at
    // `position`, which becomes nonbasic at `leaving_status` (a bound of its
    // own). The factorisation takes the change as an update, or is rebuilt
    // at the next solve when it cannot.
    void exchange(int position, Variable entering, BasisStatus leaving_status);
    // The nonbasic `v` moves to the bound `status` names.
    void set_nonbasic_status(Variable v, BasisStatus status);

private:
    struct Engine;  // the working LP, the simplex state and the solver
    void build_engine();
    void finish_solution(int outcome, SolveStatus limit_status);

    LpData lp_;
    Options options_;
    std::unique_ptr<Engine> engine_;
    LpSolution solution_;
    SolveObserver* observer_ = nullptr;
    bool has_basis_ = false;  // false: the next solve starts cold
};

}  // namespace lpsens::revised
