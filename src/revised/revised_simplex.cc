#include "revised/revised_simplex.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "revised/certificates.h"
#include "revised/scaling.h"
#include "revised/simplex_solver.h"
#include "revised/simplex_state.h"
#include "revised/simplex_values.h"
#include "revised/solution_check.h"
#include "revised/working_lp.h"

namespace lpsens::revised {

namespace {

// How many times a result that fails its check is redone: first from the
// same basis with fresh factors and tolerances ten times tighter, then
// from the slack basis with another perturbation.
constexpr int max_attempts = 3;
// A result passes its check when its violations are within this many
// times the working tolerances (scaled units).
constexpr double check_factor = 10.0;

// Entries of a certificate below this fraction of its largest entry are
// rounding noise and dropped.
constexpr double certificate_drop = 1e-11;

Variable variable_of(int var, int cols) {
    return var < cols ? Variable::column(var) : Variable::row(var - cols);
}

// -1 for a row's logical (whose value is minus the activity), 1 for a column.
double sign_of(int var, int cols) { return var < cols ? 1.0 : -1.0; }

// A status as the caller names it (for a row: where its activity is) as the
// working LP keeps it (for a row: where its logical, minus the activity, is).
VarStatus to_var_status(BasisStatus b, bool logical) {
    switch (b) {
        case BasisStatus::basic: return VarStatus::basic;
        case BasisStatus::at_lower: return logical ? VarStatus::at_upper : VarStatus::at_lower;
        case BasisStatus::at_upper: return logical ? VarStatus::at_lower : VarStatus::at_upper;
        case BasisStatus::free_at_zero: return VarStatus::at_zero;
        case BasisStatus::fixed: return VarStatus::at_lower;
    }
    return VarStatus::at_lower;
}

}  // namespace

struct RevisedSimplex::Engine {
    WorkingLp working;
    SimplexState state;
    std::unique_ptr<SimplexSolver> solver;
    bool weights_stale = false;  // a basis was given: exact weights needed
    bool factor_current = false; // the factorisation is that of the current basis
    int var_of(Variable v) const { return v.kind == Variable::Kind::column ? v.index : working.cols + v.index; }
};

const char* to_string(SolveStatus status) {
    switch (status) {
        case SolveStatus::not_solved: return "not solved";
        case SolveStatus::optimal: return "optimal";
        case SolveStatus::infeasible: return "infeasible";
        case SolveStatus::unbounded: return "unbounded";
        case SolveStatus::iteration_limit: return "iteration limit";
        case SolveStatus::time_limit: return "time limit";
        case SolveStatus::numerical_trouble: return "numerical trouble";
    }
    return "?";
}

RevisedSimplex::RevisedSimplex(LpData lp, Options options) : lp_(std::move(lp)), options_(options) {
    if (const std::string why = lp_.check(); !why.empty()) throw std::invalid_argument("LpData: " + why);
    build_engine();
}

RevisedSimplex::~RevisedSimplex() = default;
RevisedSimplex::RevisedSimplex(RevisedSimplex&&) noexcept = default;
RevisedSimplex& RevisedSimplex::operator=(RevisedSimplex&&) noexcept = default;

void RevisedSimplex::build_engine() {
    engine_ = std::make_unique<Engine>();
    Engine& e = *engine_;
    e.working = build_working_lp(lp_, options_.scale ? compute_scaling(lp_) : identity_scaling(lp_));
    e.state.setup(e.working);
    e.state.basis.set_slack_basis(e.working.lower_by_var, e.working.upper_by_var);
    e.solver = std::make_unique<SimplexSolver>(e.state);
    has_basis_ = false;
}

void RevisedSimplex::set_options(const Options& options) {
    const bool rescale = options.scale != options_.scale;
    options_ = options;
    if (rescale) build_engine();
}

void RevisedSimplex::reset_basis() {
    Engine& e = *engine_;
    e.state.basis.set_slack_basis(e.working.lower_by_var, e.working.upper_by_var);
    e.state.dual_weights.set_unit(e.working.rows);
    e.weights_stale = false;
    e.factor_current = false;
    has_basis_ = false;
}

void RevisedSimplex::set_basis(const Basis& basis) {
    Engine& e = *engine_;
    const int n = lp_.cols;
    const int m = lp_.rows;
    if (static_cast<int>(basis.col_status.size()) != n || static_cast<int>(basis.row_status.size()) != m)
        throw std::invalid_argument("Basis: wrong number of statuses");
    std::vector<VarStatus> status(n + m);
    int basic = 0;
    for (int j = 0; j < n; ++j) {
        status[j] = to_var_status(basis.col_status[j], false);
        if (status[j] == VarStatus::basic && ++basic > m) status[j] = VarStatus::at_lower;
    }
    for (int i = 0; i < m; ++i) {
        status[n + i] = to_var_status(basis.row_status[i], true);
        if (status[n + i] == VarStatus::basic && ++basic > m) status[n + i] = VarStatus::at_lower;
    }
    // Too few basic: logicals fill up.
    for (int i = 0; i < m && basic < m; ++i) {
        if (status[n + i] == VarStatus::basic) continue;
        status[n + i] = VarStatus::basic;
        ++basic;
    }
    e.state.basis.set_statuses(status);
    e.weights_stale = true;
    e.factor_current = false;
    has_basis_ = true;
}

void RevisedSimplex::set_cost(int col, double cost) {
    if (!std::isfinite(cost)) throw std::invalid_argument("set_cost: cost not finite");
    lp_.cost.at(col) = cost;
    engine_->working.set_cost(col, cost);
}

void RevisedSimplex::set_col_bounds(int col, double lower, double upper) {
    lp_.col_lower.at(col) = lower;
    lp_.col_upper.at(col) = upper;
    if (const std::string why = lp_.check(); !why.empty()) throw std::invalid_argument("set_col_bounds: " + why);
    engine_->working.set_col_bounds(col, lower, upper);
}

void RevisedSimplex::set_row_bounds(int row, double lower, double upper) {
    lp_.row_lower.at(row) = lower;
    lp_.row_upper.at(row) = upper;
    if (const std::string why = lp_.check(); !why.empty()) throw std::invalid_argument("set_row_bounds: " + why);
    engine_->working.set_row_bounds(row, lower, upper);
}

const LpSolution& RevisedSimplex::solve() {
    Engine& e = *engine_;
    SimplexState& s = e.state;
    s.iterations = IterationCounts{};
    s.log_level = options_.log_level;
    s.refactor_interval = options_.refactor_interval;
    s.observer = observer_;
    s.objective_offset = lp_.offset;
    s.clock.start(options_, 0);
    int retries = 0;
    for (int attempt = 0; attempt < max_attempts; ++attempt) {
        const double tighten = attempt == 0 ? 1.0 : 0.1;
        s.tol.primal = options_.primal_feasibility_tolerance * tighten;
        s.tol.dual = options_.dual_feasibility_tolerance * tighten;
        s.tol.pivot = options_.pivot_tolerance;
        s.restore_bounds();
        s.restore_costs();
        if (attempt == max_attempts - 1 && attempt > 0) reset_basis();
        const bool cold = !has_basis_;
        if (e.weights_stale) {
            refactorise(s);
            s.dual_weights.compute_exact(s.basis);
            e.weights_stale = false;
            e.factor_current = true;
        }
        SolveStatus limit_status = SolveStatus::iteration_limit;
        const SolverOutcome outcome = e.solver->solve(!e.factor_current || attempt > 0, cold && options_.perturb_costs,
                                                      options_.seed + 7919u * attempt, limit_status);
        has_basis_ = true;
        // A solve that stopped early may have left an update unapplied:
        // the sensitivity calls need the factors of the final basis.
        if (outcome == SolverOutcome::limit || outcome == SolverOutcome::trouble) refactorise(s);
        e.factor_current = true;
        finish_solution(static_cast<int>(outcome), limit_status);
        solution_.iterations = s.iterations;
        solution_.iterations.retries = retries;
        if (solution_.status != SolveStatus::numerical_trouble) break;
        ++retries;
        s.log(1, "the result failed its check: solving again");
    }
    if (s.observer != nullptr && options_.log_level >= 1) {
        char line[160];
        std::snprintf(line, sizeof line, "%s, objective %.12g, %lld iterations", to_string(solution_.status),
                      solution_.objective, static_cast<long long>(solution_.iterations.total()));
        s.log(1, line);
    }
    return solution_;
}

namespace {

// Values (unscaled) and statuses as the caller names them, from the working
// LP's; a row's from its logical, which is minus its activity.
void take_values_and_statuses(const WorkingLp& w, const SimplexState& s, int n, int m, LpSolution& sol) {
    sol.col_value.resize(n);
    sol.row_activity.resize(m);
    sol.basis.col_status.resize(n);
    sol.basis.row_status.resize(m);
    for (int var = 0; var < n + m; ++var) {
        const double value = w.var_scale[var] * s.x_by_var[var];
        const bool logical = var >= n;
        BasisStatus status;
        const VarStatus vs = s.basis.status_by_var[var];
        if (vs == VarStatus::basic) status = BasisStatus::basic;
        else if (w.lower_by_var[var] == w.upper_by_var[var]) status = BasisStatus::fixed;
        else if (vs == VarStatus::at_zero) status = BasisStatus::free_at_zero;
        else if (vs == VarStatus::at_lower) status = logical ? BasisStatus::at_upper : BasisStatus::at_lower;
        else status = logical ? BasisStatus::at_lower : BasisStatus::at_upper;
        if (logical) {
            sol.row_activity[var - n] = -value;
            sol.basis.row_status[var - n] = status;
        } else {
            sol.col_value[var] = value;
            sol.basis.col_status[var] = status;
        }
    }
}

// Nonbasic values exactly at their bounds.
void snap_nonbasic_to_bounds(const LpData& lp, LpSolution& sol) {
    for (int j = 0; j < lp.cols; ++j) {
        if (sol.basis.col_status[j] == BasisStatus::at_lower || sol.basis.col_status[j] == BasisStatus::fixed)
            sol.col_value[j] = lp.col_lower[j];
        else if (sol.basis.col_status[j] == BasisStatus::at_upper) sol.col_value[j] = lp.col_upper[j];
    }
    for (int i = 0; i < lp.rows; ++i) {
        if (sol.basis.row_status[i] == BasisStatus::at_lower || sol.basis.row_status[i] == BasisStatus::fixed)
            sol.row_activity[i] = lp.row_lower[i];
        else if (sol.basis.row_status[i] == BasisStatus::at_upper) sol.row_activity[i] = lp.row_upper[i];
    }
}

// The LP's objective at the solution's values, summed in long double.
double objective_at(const LpData& lp, const LpSolution& sol) {
    long double objective = lp.offset;
    for (int j = 0; j < lp.cols; ++j) objective += static_cast<long double>(lp.cost[j]) * sol.col_value[j];
    return static_cast<double>(objective);
}

// Duals from the LP's own costs (a perturbation or shift is taken back).
void take_duals(SimplexState& s, const WorkingLp& w, int m, LpSolution& sol) {
    std::vector<double> y_scaled;
    if (s.costs_modified) s.restore_costs();
    compute_reduced_costs(s, &y_scaled);
    sol.row_dual.resize(m);
    for (int i = 0; i < m; ++i) sol.row_dual[i] = w.cost_sign * w.row_scale[i] * y_scaled[i];
}

// An optimal outcome stands when the point passes its check.
void judge_optimal(const LpData& lp, const WorkingLp& w, const SimplexState& s, int log_level, double tolerance,
                   LpSolution& sol) {
    const SolutionCheck check = check_solution(lp, w, sol, tolerance, true);
    sol.status = check.primal_ok && check.dual_ok ? SolveStatus::optimal : SolveStatus::numerical_trouble;
    if (s.observer != nullptr && log_level >= 1 && sol.status != SolveStatus::optimal) {
        char line[120];
        std::snprintf(line, sizeof line, "check: primal %.3g dual %.3g (scaled)", check.primal_scaled,
                      check.dual_scaled);
        s.log(1, line);
    }
}

// An infeasible outcome stands when rho (scaled, by row) unscaled gives a
// Farkas certificate, with either sign.
void judge_infeasible(const LpData& lp, const WorkingLp& w, const SimplexState& s, const std::vector<double>& rho,
                      double tolerance, LpSolution& sol) {
    check_solution(lp, w, sol, tolerance, false);
    const int m = lp.rows;
    std::vector<double> y(m);
    double big = 0;
    for (int i = 0; i < m; ++i) {
        y[i] = w.row_scale[i] * rho[i];
        big = std::max(big, std::fabs(y[i]));
    }
    for (double& v : y) v = std::fabs(v) < certificate_drop * big ? 0.0 : v / big;
    FarkasCheck check = check_farkas(lp, y);
    if (!check.valid) {
        for (double& v : y) v = -v;
        check = check_farkas(lp, y);
    }
    if (check.valid) {
        sol.status = SolveStatus::infeasible;
        sol.farkas = std::move(y);
        sol.farkas_lhs_bound = check.lhs_bound;
        sol.farkas_rhs_bound = check.rhs_bound;
    } else {
        sol.status = SolveStatus::numerical_trouble;
        s.log(1, "Farkas check: " + check.why);
    }
}

// An unbounded outcome stands when the point is feasible and the ray (scaled,
// by var) unscaled passes its check.
void judge_unbounded(const LpData& lp, const WorkingLp& w, const SimplexState& s, const std::vector<double>& ray,
                     double tolerance, LpSolution& sol) {
    const SolutionCheck feasible = check_solution(lp, w, sol, tolerance, false);
    const int n = lp.cols;
    std::vector<double> dx(n);
    double big = 0;
    for (int j = 0; j < n; ++j) {
        dx[j] = w.var_scale[j] * ray[j];
        big = std::max(big, std::fabs(dx[j]));
    }
    if (big > 0)
        for (double& v : dx) v = std::fabs(v) < certificate_drop * big ? 0.0 : v / big;
    const RayCheck check = check_ray(lp, dx);
    if (check.valid && feasible.primal_ok) {
        sol.status = SolveStatus::unbounded;
        sol.ray = std::move(dx);
    } else {
        sol.status = SolveStatus::numerical_trouble;
        s.log(1, "ray check: " + check.why + (feasible.primal_ok ? "" : " (point infeasible)"));
    }
}

}  // namespace

void RevisedSimplex::finish_solution(int outcome_code, SolveStatus limit_status) {
    const auto outcome = static_cast<SolverOutcome>(outcome_code);
    Engine& e = *engine_;
    SimplexState& s = e.state;
    const WorkingLp& w = e.working;
    LpSolution& sol = solution_;
    sol = LpSolution{};
    take_values_and_statuses(w, s, lp_.cols, lp_.rows, sol);
    snap_nonbasic_to_bounds(lp_, sol);
    sol.objective = objective_at(lp_, sol);
    take_duals(s, w, lp_.rows, sol);

    const double tolerance = check_factor * std::max(s.tol.primal, s.tol.dual);
    switch (outcome) {
        case SolverOutcome::optimal: judge_optimal(lp_, w, s, options_.log_level, tolerance, sol); break;
        case SolverOutcome::infeasible: judge_infeasible(lp_, w, s, e.solver->farkas_row(), tolerance, sol); break;
        case SolverOutcome::unbounded: judge_unbounded(lp_, w, s, e.solver->ray(), tolerance, sol); break;
        case SolverOutcome::limit:
            check_solution(lp_, w, sol, tolerance, true);
            sol.status = limit_status;
            break;
        case SolverOutcome::trouble:
            check_solution(lp_, w, sol, tolerance, true);
            sol.status = SolveStatus::numerical_trouble;
            break;
    }
}

// ------------------------------------------------------------ sensitivity

std::vector<Variable> RevisedSimplex::basis_header() const {
    const Engine& e = *engine_;
    std::vector<Variable> header(lp_.rows);
    for (int p = 0; p < lp_.rows; ++p) header[p] = variable_of(e.state.basis.basic_by_position[p], lp_.cols);
    return header;
}

int RevisedSimplex::position_of(Variable v) const {
    const Engine& e = *engine_;
    return e.state.basis.position_by_var[e.var_of(v)];
}

void RevisedSimplex::tableau_row(int position, std::vector<double>& col_entries,
                                 std::vector<double>& row_entries) const {
    const Engine& e = *engine_;
    const WorkingLp& w = e.working;
    const SimplexBasis& basis = e.state.basis;
    const int n = w.cols;
    const int m = w.rows;
    factor::SparseVector rho;
    rho.resize(m);
    rho.add(position, 1.0);
    basis.factor().btran(rho, 0.1);
    const int basic_var = basis.basic_by_position[position];
    const double row_factor = w.var_scale[basic_var] * sign_of(basic_var, n);
    col_entries.assign(n, 0.0);
    row_entries.assign(m, 0.0);
    for (int j = 0; j < n; ++j) {
        if (basis.is_basic(j)) continue;
        double dot = 0;
        for (int t = w.col_start[j]; t < w.col_start[j + 1]; ++t) dot += w.col_value[t] * rho.value[w.col_row[t]];
        col_entries[j] = row_factor * dot / w.var_scale[j];
    }
    for (int i = 0; i < m; ++i) {
        if (basis.is_basic(n + i)) continue;
        row_entries[i] = -row_factor * rho.value[i] / w.var_scale[n + i];
    }
    if (basic_var < n) col_entries[basic_var] = 1.0;
    else row_entries[basic_var - n] = 1.0;
}

std::vector<double> RevisedSimplex::tableau_column(Variable v) const {
    const Engine& e = *engine_;
    const WorkingLp& w = e.working;
    const SimplexBasis& basis = e.state.basis;
    const int var = e.var_of(v);
    const int m = w.rows;
    std::vector<double> out(m, 0.0);
    if (basis.is_basic(var)) {
        out[basis.position_by_var[var]] = 1.0;
        return out;
    }
    factor::SparseVector column;
    column.resize(m);
    add_column(w, var, 1.0, column);
    basis.factor().ftran(column, 0.1);
    const double column_factor = sign_of(var, w.cols) / w.var_scale[var];
    for (int p = 0; p < m; ++p) {
        const int basic_var = basis.basic_by_position[p];
        out[p] = column.value[p] * w.var_scale[basic_var] * sign_of(basic_var, w.cols) * column_factor;
    }
    return out;
}

void RevisedSimplex::solve_basis(std::vector<double>& values) const {
    const Engine& e = *engine_;
    const WorkingLp& w = e.working;
    const int m = w.rows;
    factor::SparseVector v;
    v.resize(m);
    for (int i = 0; i < m; ++i) v.value[i] = values.at(i) * w.row_scale[i];
    v.rebuild_index();
    e.state.basis.factor().ftran(v, 1.0);
    for (int p = 0; p < m; ++p) {
        const int var = e.state.basis.basic_by_position[p];
        values[p] = v.value[p] * w.var_scale[var] * sign_of(var, w.cols);
    }
}

void RevisedSimplex::solve_basis_transpose(std::vector<double>& values) const {
    const Engine& e = *engine_;
    const WorkingLp& w = e.working;
    const int m = w.rows;
    factor::SparseVector v;
    v.resize(m);
    for (int p = 0; p < m; ++p) {
        const int var = e.state.basis.basic_by_position[p];
        v.value[p] = values.at(p) * w.var_scale[var] * sign_of(var, w.cols);
    }
    v.rebuild_index();
    e.state.basis.factor().btran(v, 1.0);
    for (int i = 0; i < m; ++i) values[i] = v.value[i] * w.row_scale[i];
}

// ------------------------------------------------------------ stepping

void RevisedSimplex::exchange(int position, Variable entering, BasisStatus leaving_status) {
    Engine& e = *engine_;
    const WorkingLp& w = e.working;
    SimplexBasis& basis = e.state.basis;
    const int var = e.var_of(entering);
    if (position < 0 || position >= w.rows || basis.is_basic(var))
        throw std::invalid_argument("exchange: not a basic position and a nonbasic variable");
    const int leaving = basis.basic_by_position[position];
    const VarStatus status = to_var_status(leaving_status, leaving >= w.cols);
    if (!e.factor_current || e.weights_stale) {
        // Without factors of the current basis there is nothing to update:
        // the next solve factorises the new one.
        std::vector<VarStatus> statuses = basis.status_by_var;
        statuses[leaving] = status;
        statuses[var] = VarStatus::basic;
        basis.set_statuses(statuses);
        e.factor_current = false;
        return;
    }
    factor::SparseVector column;
    column.resize(w.rows);
    add_column(w, var, 1.0, column);
    basis.factor().ftran_for_update(column, 0.1);
    // The steepest-edge weight of the position is a guess until the next
    // exact computation; the values are recomputed by the next solve.
    if (!basis.exchange(position, var, column.value[position], status)) e.factor_current = false;
}

void RevisedSimplex::set_nonbasic_status(Variable v, BasisStatus status) {
    Engine& e = *engine_;
    const int var = e.var_of(v);
    if (e.state.basis.is_basic(var)) throw std::invalid_argument("set_nonbasic_status: the variable is basic");
    e.state.basis.status_by_var[var] = to_var_status(status, var >= e.working.cols);
}

}  // namespace lpsens::revised
