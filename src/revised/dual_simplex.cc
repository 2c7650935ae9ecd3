#include "revised/dual_simplex.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <string>

#include "revised/invariants.h"
#include "revised/simplex_values.h"

namespace lpsens::revised {

namespace {
// The pivot from the tableau row and from the FTRAN'd column must agree
// to this relative difference, or the factorisation is rebuilt.
constexpr double pivot_agreement = 1e-7;
// Every so many updates the rows are checked against the updated values.
constexpr int residual_check_interval = 20;
constexpr double residual_limit = 1e-9;
}  // namespace

DualSimplex::DualSimplex(SimplexState& state) : s_(state) {
    row_.setup(*s_.lp);
    const int m = s_.rows();
    rho_.resize(m);
    column_.resize(m);
    tau_.resize(m);
    flip_column_.resize(m);
}

void DualSimplex::measure_infeasibility(int p) {
    const int var = s_.basis.basic_by_position[p];
    const double x = s_.x_by_var[var];
    const double lower = s_.lower_by_var[var];
    const double upper = s_.upper_by_var[var];
    const double tol = s_.tol.primal;
    double v = 0;
    if (x < lower - tol) v = lower - x;
    else if (x > upper + tol) v = x - upper;
    infeasibility_by_position_[p] = v * v;
}

void DualSimplex::measure_all_infeasibilities() {
    infeasibility_by_position_.resize(s_.rows());
    for (int p = 0; p < s_.rows(); ++p) measure_infeasibility(p);
}

int DualSimplex::choose_row() const {
    const int m = s_.rows();
    const double* infeasibility = infeasibility_by_position_.data();
    int best = -1;
    double best_merit = 0;  // infeasibility / weight of `best`
    for (int p = 0; p < m; ++p) {
        const double v = infeasibility[p];
        if (v > best_merit * s_.dual_weights.weight(p)) {
            best_merit = v / s_.dual_weights.weight(p);
            best = p;
        }
    }
    return best;
}

void DualSimplex::rebuild() {
    refactorise(s_);
    correct_dual_infeasibilities(s_);
    measure_all_infeasibilities();
}

void DualSimplex::apply_flips(const std::vector<int>& flips) {
    flip_column_.clear();
    for (int var : flips) {
        VarStatus& status = s_.basis.status_by_var[var];
        const double lower = s_.lower_by_var[var];
        const double upper = s_.upper_by_var[var];
        double change;
        if (status == VarStatus::at_lower) {
            status = VarStatus::at_upper;
            change = upper - lower;
            s_.x_by_var[var] = upper;
        } else {
            status = VarStatus::at_lower;
            change = lower - upper;
            s_.x_by_var[var] = lower;
        }
        add_column(*s_.lp, var, change, flip_column_);
    }
    s_.basis.factor().ftran(flip_column_, s_.flip_density.value);
    s_.flip_density.record(flip_column_);
    const int* basic = s_.basis.basic_by_position.data();
    for (int k = 0; k < flip_column_.count; ++k) {
        const int p = flip_column_.index[k];
        s_.x_by_var[basic[p]] -= flip_column_.value[p];
        measure_infeasibility(p);
    }
}

void DualSimplex::compute_pivot_row(int r) {
    rho_.clear();
    rho_.add(r, 1.0);
    s_.basis.factor().btran(rho_, s_.row_density.value);
    s_.row_density.record(rho_);
    // The exact weight of the leaving row comes with rho for free.
    double weight = 0;
    for (int k = 0; k < rho_.count; ++k) weight += rho_.value[rho_.index[k]] * rho_.value[rho_.index[k]];
    s_.dual_weights.set(r, weight);
    row_.compute(rho_, s_.basis);
}

void DualSimplex::compute_column(int entering) {
    column_.clear();
    add_column(*s_.lp, entering, 1.0, column_);
    s_.basis.factor().ftran_for_update(column_, s_.column_density.value);
    s_.column_density.record(column_);
}

void DualSimplex::compute_tau() {
    tau_.clear();
    for (int k = 0; k < rho_.count; ++k) tau_.add(rho_.index[k], rho_.value[rho_.index[k]]);
    s_.basis.factor().ftran(tau_, s_.tau_density.value);
    s_.tau_density.record(tau_);
}

void DualSimplex::update_duals(int entering, int leaving) {
    const double theta_dual = step_.theta_dual;
    if (theta_dual != 0.0) {
        for (int var : row_.nonzero_vars()) s_.d_by_var[var] -= theta_dual * row_.value(var);
    } else if (s_.d_by_var[entering] != 0.0) {
        s_.cost_by_var[entering] -= s_.d_by_var[entering];
        s_.costs_modified = true;
    }
    s_.d_by_var[entering] = 0.0;
    s_.d_by_var[leaving] = -theta_dual;
}

void DualSimplex::update_primals(int entering, int leaving, double bound, double alpha) {
    const double theta_primal = (s_.x_by_var[leaving] - bound) / alpha;
    const int* basic = s_.basis.basic_by_position.data();
    for (int k = 0; k < column_.count; ++k) {
        const int p = column_.index[k];
        s_.x_by_var[basic[p]] -= theta_primal * column_.value[p];
    }
    s_.x_by_var[entering] += theta_primal;
    s_.x_by_var[leaving] = bound;
}

bool DualSimplex::pivot(int r, int entering, double delta, double alpha) {
    const int leaving = s_.basis.basic_by_position[r];
    if (!step_.flips.empty()) apply_flips(step_.flips);
    update_duals(entering, leaving);
    const double bound = delta < 0 ? s_.lower_by_var[leaving] : s_.upper_by_var[leaving];
    update_primals(entering, leaving, bound, alpha);
    s_.dual_weights.update(column_, r, alpha, tau_);
    bool refactor_due = false;
    if (!s_.basis.exchange(r, entering, alpha, delta < 0 ? VarStatus::at_lower : VarStatus::at_upper))
        refactor_due = true;
    for (int k = 0; k < column_.count; ++k) measure_infeasibility(column_.index[k]);
    measure_infeasibility(r);
    return refactor_due;
}

void DualSimplex::after_iteration(int phase, std::int64_t counter, bool& refactor_due) {
    // The updated values must still satisfy the rows; when they have
    // drifted the factors are rebuilt and the values recomputed.
    if (s_.basis.updates() % residual_check_interval == 0 && primal_residual(s_) > residual_limit)
        refactor_due = true;
#ifndef NDEBUG
    if (const std::string why = refactor_due ? std::string() : check_invariants(s_, 1e-5); !why.empty())
        throw std::logic_error("dual simplex invariant after " + std::to_string(counter) + " iterations, " +
                               std::to_string(s_.basis.updates()) + " updates: " + why);
#endif
    if (s_.log_level >= 2 && counter % 1000 == 0) {
        char line[120];
        std::snprintf(line, sizeof line, "dual phase %d: %lld iterations, primal infeasibility %.3g", phase,
                      static_cast<long long>(counter), max_basic_infeasibility(s_));
        s_.log(2, line);
    }
}

DualOutcome DualSimplex::run(int phase, SolveStatus& limit_status) {
    bool refactor_due = false;
    std::int64_t& counter = phase == 1 ? s_.iterations.dual_phase1 : s_.iterations.dual_phase2;
    measure_all_infeasibilities();
    for (;;) {
        if (refactor_due || s_.basis.updates() >= s_.refactor_interval) {
            rebuild();
            refactor_due = false;
        }
        const int r = choose_row();
        if (r < 0) {
            if (s_.basis.updates() == 0) return DualOutcome::optimal;
            rebuild();  // confirm with fresh values
            continue;
        }
        const int leaving = s_.basis.basic_by_position[r];
        const double x_leaving = s_.x_by_var[leaving];
        const double delta = x_leaving < s_.lower_by_var[leaving] ? x_leaving - s_.lower_by_var[leaving]
                                                                  : x_leaving - s_.upper_by_var[leaving];
        compute_pivot_row(r);
        ratio_test_.choose(row_, delta, s_, s_.basis.updates(), step_);
        if (step_.entering < 0) {
            if (s_.basis.updates() > 0) {
                rebuild();
                continue;
            }
            farkas_row_.assign(rho_.value.begin(), rho_.value.end());
            farkas_sign_ = delta < 0 ? -1.0 : 1.0;
            return DualOutcome::infeasible;
        }
        const int entering = step_.entering;
        compute_column(entering);
        // The pivot from the column must agree with the row's, and not be tiny.
        const double alpha = column_.value[r];
        const double difference = std::fabs(alpha - step_.alpha);
        if (difference > pivot_agreement * std::min(std::fabs(alpha), std::fabs(step_.alpha)) &&
            s_.basis.updates() > 0) {
            rebuild();
            continue;
        }
        if (std::fabs(alpha) < 1e-11) {
            if (s_.basis.updates() == 0) return DualOutcome::trouble;
            rebuild();
            continue;
        }
        // An iteration is due: the limits come first.
        if (s_.clock.limit_reached(s_.iterations.total(), limit_status)) return DualOutcome::limit;
        compute_tau();
        refactor_due = pivot(r, entering, delta, alpha);
        ++counter;
        s_.iterated(phase == 1 ? IterationKind::dual_phase1 : IterationKind::dual);
        after_iteration(phase, counter, refactor_due);
    }
}

}  // namespace lpsens::revised
