#include "revised/primal_simplex.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "revised/invariants.h"
#include "revised/simplex_values.h"

namespace lpsens::revised {

namespace {
constexpr double pivot_agreement = 1e-7;
constexpr double weight_reset_limit = 1e6;
constexpr int residual_check_interval = 20;
constexpr double residual_limit = 1e-9;
}  // namespace

PrimalSimplex::PrimalSimplex(SimplexState& state) : s_(state) {
    row_.setup(*s_.lp);
    column_.resize(s_.rows());
    rho_.resize(s_.rows());
    tau_.resize(s_.rows());
}

void PrimalSimplex::reset_weights() { devex_weight_by_var_.assign(s_.vars(), 1.0); }

int PrimalSimplex::choose_column() const {
    int best = -1;
    double best_merit = 0;
    const double tol = s_.tol.dual;
    for (int var = 0; var < s_.vars(); ++var) {
        if (s_.basis.status_by_var[var] == VarStatus::basic) continue;
        const double e = dual_infeasibility(s_, var);
        if (e <= tol) continue;
        const double merit = e * e / devex_weight_by_var_[var];
        if (merit > best_merit) {
            best_merit = merit;
            best = var;
        }
    }
    return best;
}

bool PrimalSimplex::rebuild() {
    refactorise(s_);
    reset_weights();
    return max_basic_infeasibility(s_) <= s_.tol.primal;
}

double PrimalSimplex::entering_direction(int entering) const {
    const VarStatus entering_status = s_.basis.status_by_var[entering];
    return entering_status == VarStatus::at_lower   ? 1.0
           : entering_status == VarStatus::at_upper ? -1.0
           : s_.d_by_var[entering] < 0              ? 1.0
                                                    : -1.0;
}

void PrimalSimplex::compute_column(int entering) {
    column_.clear();
    add_column(*s_.lp, entering, 1.0, column_);
    s_.basis.factor().ftran_for_update(column_, s_.column_density.value);
    s_.column_density.record(column_);
}

double PrimalSimplex::smallest_pivot() const {
    double biggest = 0;
    for (int k = 0; k < column_.count; ++k) biggest = std::max(biggest, std::fabs(column_.value[column_.index[k]]));
    return std::max(1e-9, s_.tol.pivot * biggest);
}

double PrimalSimplex::relaxed_step(double dir, double min_alpha) const {
    const int* basic = s_.basis.basic_by_position.data();
    const double tol = s_.tol.primal;
    double relaxed = infinity;
    for (int k = 0; k < column_.count; ++k) {
        const int p = column_.index[k];
        const double a = column_.value[p];
        if (std::fabs(a) < min_alpha) continue;
        const int var = basic[p];
        const double rate = -dir * a;
        const double x = s_.x_by_var[var];
        if (rate < 0) {
            if (std::isfinite(s_.lower_by_var[var]))
                relaxed = std::min(relaxed, (x - s_.lower_by_var[var] + tol) / -rate);
        } else if (std::isfinite(s_.upper_by_var[var])) {
            relaxed = std::min(relaxed, (s_.upper_by_var[var] + tol - x) / rate);
        }
    }
    return relaxed;
}

int PrimalSimplex::largest_blocking_pivot(double dir, double min_alpha, double relaxed, double& step) const {
    const int* basic = s_.basis.basic_by_position.data();
    int leaving_position = -1;
    double largest = 0;
    for (int k = 0; k < column_.count; ++k) {
        const int p = column_.index[k];
        const double a = column_.value[p];
        if (std::fabs(a) < min_alpha) continue;
        const int var = basic[p];
        const double rate = -dir * a;
        const double x = s_.x_by_var[var];
        double exact;
        if (rate < 0) {
            if (!std::isfinite(s_.lower_by_var[var])) continue;
            exact = (x - s_.lower_by_var[var]) / -rate;
        } else {
            if (!std::isfinite(s_.upper_by_var[var])) continue;
            exact = (s_.upper_by_var[var] - x) / rate;
        }
        if (exact <= relaxed && std::fabs(a) > largest) {
            largest = std::fabs(a);
            leaving_position = p;
            step = std::max(exact, 0.0);
        }
    }
    return leaving_position;
}

int PrimalSimplex::choose_leaving(double dir, double& step) const {
    // Harris: the largest step that keeps every basic variable within its
    // bounds widened by the tolerance, then the largest pivot among the
    // variables that block within it.
    const double min_alpha = smallest_pivot();
    const double relaxed = relaxed_step(dir, min_alpha);
    return largest_blocking_pivot(dir, min_alpha, relaxed, step);
}

void PrimalSimplex::record_ray(int entering, double dir) {
    const int* basic = s_.basis.basic_by_position.data();
    ray_.assign(s_.vars(), 0.0);
    ray_[entering] = dir;
    for (int k = 0; k < column_.count; ++k) {
        const int p = column_.index[k];
        ray_[basic[p]] = -dir * column_.value[p];
    }
}

void PrimalSimplex::flip_entering(int entering, double dir, double range) {
    const int* basic = s_.basis.basic_by_position.data();
    for (int k = 0; k < column_.count; ++k) {
        const int p = column_.index[k];
        s_.x_by_var[basic[p]] -= dir * range * column_.value[p];
    }
    s_.basis.status_by_var[entering] = dir > 0 ? VarStatus::at_upper : VarStatus::at_lower;
    s_.x_by_var[entering] = dir > 0 ? s_.upper_by_var[entering] : s_.lower_by_var[entering];
}

bool PrimalSimplex::pivot_row_agrees(int r, int entering) {
    const double alpha = column_.value[r];
    rho_.clear();
    rho_.add(r, 1.0);
    s_.basis.factor().btran(rho_, s_.row_density.value);
    s_.row_density.record(rho_);
    row_.compute(rho_, s_.basis);
    const double alpha_row = row_.value(entering);
    return !(std::fabs(alpha - alpha_row) > pivot_agreement * std::min(std::fabs(alpha), std::fabs(alpha_row)) &&
             s_.basis.updates() > 0);
}

void PrimalSimplex::update_duals_and_devex(int entering, int leaving, double alpha) {
    const double theta_dual = s_.d_by_var[entering] / alpha;
    const double w_entering = devex_weight_by_var_[entering];
    for (int var : row_.nonzero_vars()) {
        const double a = row_.value(var);
        s_.d_by_var[var] -= theta_dual * a;
        const double ratio = a / alpha;
        devex_weight_by_var_[var] = std::max(devex_weight_by_var_[var], ratio * ratio * w_entering);
    }
    s_.d_by_var[entering] = 0.0;
    s_.d_by_var[leaving] = -theta_dual;
    devex_weight_by_var_[leaving] = std::max(w_entering / (alpha * alpha), 1.0);
}

void PrimalSimplex::update_dual_weights(int r, double alpha) {
    double weight = 0;
    tau_.clear();
    for (int k = 0; k < rho_.count; ++k) {
        const double v = rho_.value[rho_.index[k]];
        weight += v * v;
        tau_.add(rho_.index[k], v);
    }
    s_.basis.factor().ftran(tau_, s_.tau_density.value);
    s_.tau_density.record(tau_);
    s_.dual_weights.set(r, weight);
    s_.dual_weights.update(column_, r, alpha, tau_);
}

void PrimalSimplex::update_primals(int entering, int leaving, double theta, bool to_lower) {
    const int* basic = s_.basis.basic_by_position.data();
    for (int k = 0; k < column_.count; ++k) {
        const int p = column_.index[k];
        s_.x_by_var[basic[p]] -= theta * column_.value[p];
    }
    s_.x_by_var[entering] += theta;
    s_.x_by_var[leaving] = to_lower ? s_.lower_by_var[leaving] : s_.upper_by_var[leaving];
}

bool PrimalSimplex::pivot(int r, int entering, double dir, double step) {
    const int leaving = s_.basis.basic_by_position[r];
    const double alpha = column_.value[r];
    update_duals_and_devex(entering, leaving, alpha);
    // The dual simplex's edge weights follow the basis change too, so that
    // a later dual solve (a bound change) prices well.
    update_dual_weights(r, alpha);
    const double rate = -dir * alpha;
    const bool to_lower = rate < 0;
    update_primals(entering, leaving, dir * step, to_lower);

    bool refactor_due = false;
    if (!s_.basis.exchange(r, entering, alpha, to_lower ? VarStatus::at_lower : VarStatus::at_upper))
        refactor_due = true;
    if (devex_weight_by_var_[leaving] > weight_reset_limit) reset_weights();
    if (s_.basis.updates() % residual_check_interval == 0 && primal_residual(s_) > residual_limit)
        refactor_due = true;
#ifndef NDEBUG
    if (const std::string why = refactor_due ? std::string() : check_invariants(s_, 1e-5); !why.empty())
        throw std::logic_error("primal simplex invariant: " + why);
#endif
    return refactor_due;
}

PrimalOutcome PrimalSimplex::run(SolveStatus& limit_status, std::int64_t budget) {
    reset_weights();
    const std::int64_t last = budget == INT64_MAX ? INT64_MAX : s_.iterations.primal + budget;
    bool refactor_due = false;
    for (;;) {
        if (refactor_due || s_.basis.updates() >= s_.refactor_interval) {
            refactor_due = false;
            if (!rebuild()) return PrimalOutcome::infeasible;
        }
        if (s_.iterations.primal >= last) {
            if (!rebuild()) return PrimalOutcome::infeasible;
            return PrimalOutcome::stalled;
        }
        const int entering = choose_column();
        if (entering < 0) {
            if (s_.basis.updates() == 0) return PrimalOutcome::optimal;
            if (!rebuild()) return PrimalOutcome::infeasible;
            continue;
        }
        const double dir = entering_direction(entering);
        compute_column(entering);
        double step = infinity;
        const int leaving_position = choose_leaving(dir, step);
        const double range = s_.upper_by_var[entering] - s_.lower_by_var[entering];
        if (leaving_position < 0 && !(range < infinity)) {
            record_ray(entering, dir);
            return PrimalOutcome::unbounded;
        }
        // An iteration is due: the limits come first.
        if (s_.clock.limit_reached(s_.iterations.total(), limit_status)) return PrimalOutcome::limit;
        ++s_.iterations.primal;
        if (leaving_position < 0 || range <= step) {
            // The entering variable reaches its other bound first.
            flip_entering(entering, dir, range);
            s_.iterated(IterationKind::primal);
            continue;
        }
        if (!pivot_row_agrees(leaving_position, entering)) {
            // Counted, but the basis stays: the observer is told all the same.
            s_.iterated(IterationKind::primal);
            if (!rebuild()) return PrimalOutcome::infeasible;
            continue;
        }
        refactor_due = pivot(leaving_position, entering, dir, step);
        s_.iterated(IterationKind::primal);
        if (s_.log_level >= 2 && s_.iterations.primal % 1000 == 0)
            s_.log(2, "primal: " + std::to_string(s_.iterations.primal) + " iterations");
    }
}

}  // namespace lpsens::revised
