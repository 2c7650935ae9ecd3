// Accurate mode: the same pipeline and reports, with numerics built for real
// problems.
//
// The engine keeps its own condensed tableau of the problem in double
// precision, never narrowed to the stored format:
//   - the input values as read (extended precision, held in double here);
//   - rows and columns scaled by powers of two (scale_problem), undone
//     exactly when the tableau is handed to the reports;
//   - tolerances on the scaled problem: a basic variable counts as below
//     zero under -1e-9, a reduced cost as negative under -1e-9, and an entry
//     smaller than 1e-9 in magnitude is never pivoted on;
//   - Harris's two-pass ratio test: the first pass finds the longest step
//     that keeps every basic variable above -1e-9, the second takes, among
//     the rows that block within it, the one with the largest entry; a
//     leaving variable a little below zero is set to zero first (a shift of
//     its right-hand side that the next refresh takes away);
//   - the tableau refreshed from the problem for the current basis (a
//     factorisation of the basis matrix with iterative refinement) every
//     4 M + 100 exchanges and at the end of every phase, and pivoting goes on
//     until the refreshed tableau is feasible and optimal;
//   - a loop that makes no progress for 50 + M / 4 exchanges (a degenerate
//     vertex) perturbs the right-hand sides so that every basic variable
//     rises by a small, different amount; the perturbation is taken away at
//     the end and the dual simplex method repairs what that leaves.
//
// Choice rules: phase 1 minimises the sum of the infeasibilities (positive
// artificial variables and negative basic variables), recomputed at every
// iteration; both phases take the most negative (scaled) reduced cost;
// artificial variables never enter once they have left and a basic one is
// held at zero from both sides in phase 2; a sweep re-optimises with the dual
// simplex method (mode "rv") or phase 2 (mode "pv") from the current basis.
#pragma once

#include <memory>
#include <vector>

#include "engine/engine.h"
#include "form/documented_form.h"
#include "form/problem_as_read.h"
#include "io/channel.h"

namespace lpsens {

class ExchangeTeam;

class AccurateEngine final : public SolveEngine, private TableauView {
public:
    // Takes the form's values as read (with the parametric start values
    // written in).
    AccurateEngine(const DocumentedForm& form, const EngineSettings& settings, Channel& console);

    SolveResult solve() override;
    SolveResult reoptimise(const ParameterMove& move) override;
    const TableauView& tableau() const override { return *this; }
    const ExchangeLog& log() const override { return log_; }

    enum class Status { optimal, unbounded, infeasible };

private:
    enum class Loop { done, stuck, unbounded, limit };

    Status solve_loops();
    Loop primal(bool phase1);
    Loop dual();
    bool refresh();
    bool primal_feasible() const;
    bool dual_feasible() const;
    void exchange(int r, int s);
    int ratio_test(int s, bool phase1) const;
    void export_tableau();
    SolveResult result() const;
    void perturb();
    void remove_perturbation();
    double scale_of(VariableId v) const;  // x = scale * x' for the variable v
    bool artificial(VariableId v) const { return v.is_artificial(); }

    // The view of the exported (unscaled) tableau.
    int rows() const override { return m_; }
    int columns() const override { return cols_; }
    double entry(int i, int j) const override {
        return exported_[static_cast<std::size_t>(i) * width_ + static_cast<std::size_t>(j)];
    }
    double phase1_entry(int j) const override { return exported_phase1_[static_cast<std::size_t>(j)]; }
    VariableId basic(int i) const override { return exported_basis_[static_cast<std::size_t>(i)]; }
    VariableId nonbasic(int j) const override { return exported_columns_[static_cast<std::size_t>(j)]; }
    int row_position(int i) const override { return row_origin_[static_cast<std::size_t>(i)]; }
    int column_position(int v) const override { return column_origin_[static_cast<std::size_t>(v)]; }

    Channel& console_;
    ExchangeLog log_;
    int m_, n_, k2_, cols_;
    std::size_t width_;
    ProblemAsRead scaled_;             // the scaled problem; rhs and objective change in sweeps
    std::vector<double> row_scale_;    // 1..M
    std::vector<double> column_scale_; // 1..N
    std::vector<double> t_;            // (M+1) x (N+K2+1), row-major, scaled
    std::vector<VariableId> basis_label_;   // 1..M
    std::vector<VariableId> column_label_;  // 1..N+K2
    std::vector<int> nonzero_;         // scratch: nonzero columns of the pivot row
    std::vector<double> rhs_shift_;    // 1..M: the perturbation of the right-hand sides (scaled)
    bool perturbed_ = false;
    int perturbations_ = 0;
    long since_refresh_ = 0;
    long exchanges_ = 0;
    long cap_;
    int threads_;
    std::shared_ptr<ExchangeTeam> team_;  // the worker thread, made on first use
    Status status_ = Status::optimal;
    int unbounded_column_ = 0;
    // The final tableau, unscaled, as the reports see it.
    std::vector<double> exported_;              // (M+1) x (N+K2+1), row-major
    std::vector<double> exported_phase1_;       // 0..N+K2
    std::vector<VariableId> exported_basis_;    // 1..M
    std::vector<VariableId> exported_columns_;  // 1..N+K2
    std::vector<int> row_origin_;               // 1..M
    std::vector<int> column_origin_;            // 1..N+K2
};

}  // namespace lpsens
