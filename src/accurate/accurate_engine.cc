#include "accurate/accurate_engine.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <thread>

#include "accurate/scaling.h"
#include "factor/basis_solution.h"
#include "numeric/plural.h"
#include "parallel/exchange_team.h"

namespace lpsens {

namespace {

constexpr double feasibility_tolerance = 1e-9;
constexpr double optimality_tolerance = 1e-9;
constexpr double pivot_limit = 1e-9;
constexpr int max_rounds = 30;
constexpr double perturbation_size = 1e-7;
constexpr int max_perturbations = 3;

// row -= pivot * f, entry by entry (vectorised: the two rows never overlap).
void subtract_multiple(double* __restrict row, const double* __restrict pivot, double f, std::size_t n) {
    for (std::size_t j = 0; j < n; ++j) row[j] -= pivot[j] * f;
}

}  // namespace

double AccurateEngine::scale_of(VariableId v) const {
    if (v.is_structural()) return column_scale_[static_cast<std::size_t>(v.index)];
    const int row = v.is_surplus() ? scaled_.ge_rows[static_cast<std::size_t>(v.index)] : v.index;
    return 1.0 / row_scale_[static_cast<std::size_t>(row)];
}

AccurateEngine::AccurateEngine(const DocumentedForm& form, const EngineSettings& settings, Channel& console)
    : console_(console),
      m_(form.rows()),
      n_(form.variables()),
      k2_(form.ge_count()),
      cols_(form.column_count()),
      width_(static_cast<std::size_t>(form.column_count()) + 1),
      scaled_(capture_problem(form, true)),
      cap_(exchange_cap(settings, form.rows(), form.column_count())),
      threads_(settings.threads > 0 ? settings.threads : default_threads()) {
    // The matrix as read, dense, for the scaling.
    const auto nw = static_cast<std::size_t>(n_) + 1;
    std::vector<double> a((static_cast<std::size_t>(m_) + 1) * nw, 0.0);
    for (int j = 1; j <= n_; ++j)
        for (int e = scaled_.start[static_cast<std::size_t>(j)]; e < scaled_.start[static_cast<std::size_t>(j) + 1]; ++e)
            a[static_cast<std::size_t>(scaled_.row_of[static_cast<std::size_t>(e)]) * nw + static_cast<std::size_t>(j)] =
                scaled_.value[static_cast<std::size_t>(e)];
    const Scaling scaling = scale_problem(a, m_, n_);
    row_scale_ = scaling.row;
    column_scale_ = scaling.column;
    for (int j = 1; j <= n_; ++j) {
        const double s = column_scale_[static_cast<std::size_t>(j)];
        scaled_.objective[static_cast<std::size_t>(j)] *= s;
        for (int e = scaled_.start[static_cast<std::size_t>(j)]; e < scaled_.start[static_cast<std::size_t>(j) + 1]; ++e)
            scaled_.value[static_cast<std::size_t>(e)] *= s * row_scale_[static_cast<std::size_t>(scaled_.row_of[static_cast<std::size_t>(e)])];
    }
    for (int i = 1; i <= m_; ++i) scaled_.rhs[static_cast<std::size_t>(i)] *= row_scale_[static_cast<std::size_t>(i)];

    // The starting basis of the classic tableau: slack or artificial
    // variables in the rows, structural and surplus variables in the columns.
    basis_label_.assign(static_cast<std::size_t>(m_) + 1, VariableId{});
    column_label_.assign(static_cast<std::size_t>(cols_) + 1, VariableId{});
    for (int i = 1; i <= m_; ++i) {
        const RowKind kind = scaled_.kind[static_cast<std::size_t>(i)];
        basis_label_[static_cast<std::size_t>(i)] = {kind == RowKind::less_or_equal ? VariableKind::slack
                                                     : kind == RowKind::equality    ? VariableKind::equality_artificial
                                                                                    : VariableKind::greater_artificial,
                                                     i};
    }
    for (int j = 1; j <= n_; ++j) column_label_[static_cast<std::size_t>(j)] = structural_variable(j);
    for (int k = 1; k <= k2_; ++k) column_label_[static_cast<std::size_t>(n_ + k)] = surplus_variable(k);
    t_.assign((static_cast<std::size_t>(m_) + 1) * width_, 0.0);
    rhs_shift_.assign(static_cast<std::size_t>(m_) + 1, 0.0);
}

// Raises every basic variable by a small pseudo-random amount: the
// right-hand sides move by B times those amounts.
void AccurateEngine::perturb() {
    std::uint64_t state = 0x9E3779B97F4A7C15ULL + static_cast<std::uint64_t>(perturbations_);
    for (int p = 1; p <= m_; ++p) {
        state = state * 6364136223846793005ULL + 1442695040888963407ULL;
        const double u = static_cast<double>(state >> 11) / 9007199254740992.0;
        const double x = t_[static_cast<std::size_t>(p) * width_];
        const double amount = (1 + u) * perturbation_size * (1 + std::fabs(x));
        const VariableId c = basis_label_[static_cast<std::size_t>(p)];
        if (c.is_structural()) {
            for (int e = scaled_.start[static_cast<std::size_t>(c.index)]; e < scaled_.start[static_cast<std::size_t>(c.index) + 1]; ++e)
                rhs_shift_[static_cast<std::size_t>(scaled_.row_of[static_cast<std::size_t>(e)])] +=
                    amount * scaled_.value[static_cast<std::size_t>(e)];
        } else {
            const bool surplus = c.is_surplus();
            const int row = surplus ? scaled_.ge_rows[static_cast<std::size_t>(c.index)] : c.index;
            rhs_shift_[static_cast<std::size_t>(row)] += surplus ? -amount : amount;
        }
    }
    perturbed_ = true;
    ++perturbations_;
    ++log_.perturbations;
    refresh();
}

void AccurateEngine::remove_perturbation() {
    std::fill(rhs_shift_.begin(), rhs_shift_.end(), 0.0);
    perturbed_ = false;
    refresh();
}

// Recomputes the whole tableau for the current basis from the scaled
// problem.  False when the basis is singular (the tableau is then kept).
bool AccurateEngine::refresh() {
    since_refresh_ = 0;
    BasisSolution basis(scaled_, basis_label_);
    if (basis.singular()) return false;
    std::vector<Extended> column(static_cast<std::size_t>(m_) + 1, 0);
    for (int i = 1; i <= m_; ++i)
        column[static_cast<std::size_t>(i)] =
            static_cast<Extended>(scaled_.rhs[static_cast<std::size_t>(i)]) + rhs_shift_[static_cast<std::size_t>(i)];
    const std::vector<Extended> x = basis.solve(column);
    for (int p = 1; p <= m_; ++p) t_[static_cast<std::size_t>(p) * width_] = static_cast<double>(x[static_cast<std::size_t>(p)]);

    std::vector<Extended> cost(static_cast<std::size_t>(m_) + 1, 0);
    Extended objective = scaled_.objective[0];
    for (int p = 1; p <= m_; ++p) {
        const VariableId c = basis_label_[static_cast<std::size_t>(p)];
        if (c.is_structural()) {
            cost[static_cast<std::size_t>(p)] = scaled_.objective[static_cast<std::size_t>(c.index)];
            objective += cost[static_cast<std::size_t>(p)] * x[static_cast<std::size_t>(p)];
        }
    }
    t_[0] = static_cast<double>(objective);
    const std::vector<Extended> y = basis.solve_transposed(cost);

    for (int j = 1; j <= cols_; ++j) {
        const VariableId c = column_label_[static_cast<std::size_t>(j)];
        std::fill(column.begin(), column.end(), Extended{0});
        Extended price = 0;
        if (c.is_structural()) {
            for (int e = scaled_.start[static_cast<std::size_t>(c.index)]; e < scaled_.start[static_cast<std::size_t>(c.index) + 1]; ++e) {
                const auto row = static_cast<std::size_t>(scaled_.row_of[static_cast<std::size_t>(e)]);
                column[row] = scaled_.value[static_cast<std::size_t>(e)];
                price += column[row] * y[row];
            }
            price -= scaled_.objective[static_cast<std::size_t>(c.index)];
        } else {
            const bool surplus = c.is_surplus();
            const auto row = static_cast<std::size_t>(surplus ? scaled_.ge_rows[static_cast<std::size_t>(c.index)] : c.index);
            column[row] = surplus ? -1 : 1;
            price = column[row] * y[row];
        }
        t_[static_cast<std::size_t>(j)] = static_cast<double>(price);
        const std::vector<Extended> w = basis.solve(column, 0);
        for (int p = 1; p <= m_; ++p)
            t_[static_cast<std::size_t>(p) * width_ + static_cast<std::size_t>(j)] = static_cast<double>(w[static_cast<std::size_t>(p)]);
    }
    return true;
}

bool AccurateEngine::primal_feasible() const {
    for (int i = 1; i <= m_; ++i) {
        const double x = t_[static_cast<std::size_t>(i) * width_];
        if (artificial(basis_label_[static_cast<std::size_t>(i)]) ? std::fabs(x) > feasibility_tolerance
                                                                   : x < -feasibility_tolerance)
            return false;
    }
    return true;
}

bool AccurateEngine::dual_feasible() const {
    for (int j = 1; j <= cols_; ++j)
        if (!artificial(column_label_[static_cast<std::size_t>(j)]) && t_[static_cast<std::size_t>(j)] < -optimality_tolerance)
            return false;
    return true;
}

void AccurateEngine::exchange(int r, int s) {
    double* pivot_row = &t_[static_cast<std::size_t>(r) * width_];
    const double p = pivot_row[s];
    nonzero_.clear();
    for (std::size_t j = 0; j < width_; ++j)
        if (pivot_row[j] != 0.0) {
            pivot_row[j] /= p;
            nonzero_.push_back(static_cast<int>(j));
        }
    pivot_row[s] = 1.0 / p;
    const bool dense = nonzero_.size() * 2 > width_;
    auto rows = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            if (i == r) continue;
            double* row = &t_[static_cast<std::size_t>(i) * width_];
            const double f = row[s];
            if (f == 0.0) continue;
            if (dense) {
                subtract_multiple(row, pivot_row, f, width_);
            } else {
                for (const int j : nonzero_) row[j] -= pivot_row[j] * f;
            }
            row[s] = -pivot_row[s] * f;
        }
    };
    // The rows are shared with a worker thread on large tableaux, as in the
    // classic exchange step.
    const int all = m_ + 1;
    if (threads_ > 1 && static_cast<long>(all) * static_cast<long>(width_) >= 250000) {
        if (!team_) team_ = std::make_shared<ExchangeTeam>();
        team_->run(all, chunk_rows(all, width_ * sizeof(double)), rows);
    } else {
        rows(0, all);
    }
    std::swap(basis_label_[static_cast<std::size_t>(r)], column_label_[static_cast<std::size_t>(s)]);
    ++since_refresh_;
    ++exchanges_;
}

// Harris's two-pass ratio test for column s; 0 when no row limits it.
int AccurateEngine::ratio_test(int s, bool phase1) const {
    auto bound = [&](int i, double& slack_ratio, double& ratio) {
        const double a = t_[static_cast<std::size_t>(i) * width_ + static_cast<std::size_t>(s)];
        const double x = t_[static_cast<std::size_t>(i) * width_];
        if (artificial(basis_label_[static_cast<std::size_t>(i)])) {
            if (std::fabs(a) <= pivot_limit) return false;
            if (phase1 && x > feasibility_tolerance) {  // a positive artificial may only fall to zero
                if (a <= 0) return false;
                slack_ratio = (x + feasibility_tolerance) / a;
                ratio = x / a;
                return true;
            }
            slack_ratio = (std::fabs(x) + feasibility_tolerance) / std::fabs(a);  // held at zero
            ratio = 0;
            return true;
        }
        if (x < -feasibility_tolerance || a <= pivot_limit) return false;  // infeasible ones are free in phase 1
        slack_ratio = (std::max(x, 0.0) + feasibility_tolerance) / a;
        ratio = std::max(x, 0.0) / a;
        return true;
    };
    double limit = HUGE_VAL;
    double slack_ratio = 0, ratio = 0;
    for (int i = 1; i <= m_; ++i)
        if (bound(i, slack_ratio, ratio)) limit = std::min(limit, slack_ratio);
    int result = 0;
    double largest = 0;
    if (limit < HUGE_VAL) {
        for (int i = 1; i <= m_; ++i) {
            if (!bound(i, slack_ratio, ratio) || ratio > limit) continue;
            const double a = std::fabs(t_[static_cast<std::size_t>(i) * width_ + static_cast<std::size_t>(s)]);
            if (a > largest) {
                largest = a;
                result = i;
            }
        }
        return result;
    }
    if (!phase1) return 0;
    // Nothing blocks: in phase 1 the step ends where the first infeasible
    // basic variable that the column raises reaches zero.
    double first = HUGE_VAL;
    for (int i = 1; i <= m_; ++i) {
        const double a = t_[static_cast<std::size_t>(i) * width_ + static_cast<std::size_t>(s)];
        const double x = t_[static_cast<std::size_t>(i) * width_];
        if (artificial(basis_label_[static_cast<std::size_t>(i)]) || x >= -feasibility_tolerance || a >= -pivot_limit) continue;
        if (x / a < first) {
            first = x / a;
            result = i;
        }
    }
    return result;
}

AccurateEngine::Loop AccurateEngine::primal(bool phase1) {
    std::vector<double> gradient(static_cast<std::size_t>(cols_) + 1);
    std::vector<char> rejected(static_cast<std::size_t>(cols_) + 1, 0);
    const long refresh_interval = 4 * static_cast<long>(m_) + 100;
    const long stall_limit = 50 + m_ / 4;
    double best = -HUGE_VAL;
    long stalled = 0;
    for (;;) {
        if (exchanges_ >= cap_) return Loop::limit;
        if (since_refresh_ >= refresh_interval) refresh();
        const double* d = &t_[0];
        double progress = t_[0];  // what the loop raises: the objective, or minus the infeasibility
        if (phase1) {
            progress = 0;
            // The gradient of the sum of infeasibilities along each column.
            std::fill(gradient.begin(), gradient.end(), 0.0);
            bool any = false;
            for (int i = 1; i <= m_; ++i) {
                const double x = t_[static_cast<std::size_t>(i) * width_];
                double sign = 0;
                if (artificial(basis_label_[static_cast<std::size_t>(i)])) {
                    if (x > feasibility_tolerance) sign = -1;
                    else if (x < -feasibility_tolerance) sign = 1;
                } else if (x < -feasibility_tolerance) {
                    sign = 1;
                }
                if (sign == 0) continue;
                // Weighted back to the problem's own units, so that phase 1
                // minimises the unscaled sum of the infeasibilities.
                sign *= scale_of(basis_label_[static_cast<std::size_t>(i)]);
                any = true;
                progress -= std::fabs(x * sign);
                const double* row = &t_[static_cast<std::size_t>(i) * width_];
                for (int j = 1; j <= cols_; ++j) gradient[static_cast<std::size_t>(j)] += sign * row[j];
            }
            if (!any) return Loop::done;
            d = gradient.data();
        }
        if (progress > best + 1e-11 * (1 + std::fabs(progress))) {
            best = progress;
            stalled = 0;
        } else if (++stalled >= stall_limit && !perturbed_ && perturbations_ < max_perturbations) {
            perturb();
            stalled = 0;
            best = -HUGE_VAL;
            continue;
        }
        int s = 0;
        double most_negative = -optimality_tolerance;
        for (int j = 1; j <= cols_; ++j) {
            if (rejected[static_cast<std::size_t>(j)] || artificial(column_label_[static_cast<std::size_t>(j)])) continue;
            if (d[j] < most_negative) {
                most_negative = d[j];
                s = j;
            }
        }
        if (s == 0) return phase1 ? Loop::stuck : Loop::done;
        const int r = ratio_test(s, phase1);
        if (r == 0) {
            if (!phase1) {
                unbounded_column_ = s;
                return Loop::unbounded;
            }
            rejected[static_cast<std::size_t>(s)] = 1;
            continue;
        }
        // A leaving variable a little on the wrong side of zero is set to zero.
        double& x = t_[static_cast<std::size_t>(r) * width_];
        const double a = t_[static_cast<std::size_t>(r) * width_ + static_cast<std::size_t>(s)];
        if (artificial(basis_label_[static_cast<std::size_t>(r)]) ? std::fabs(x) <= feasibility_tolerance
                                                                  : (x < 0 && a > 0 && x >= -feasibility_tolerance))
            x = 0;
        exchange(r, s);
        std::fill(rejected.begin(), rejected.end(), 0);
        console_.write(phase1 ? ':' : '.');
    }
}

AccurateEngine::Loop AccurateEngine::dual() {
    const long refresh_interval = 4 * static_cast<long>(m_) + 100;
    for (;;) {
        if (exchanges_ >= cap_) return Loop::limit;
        if (since_refresh_ >= refresh_interval) refresh();
        int r = 0;
        double worst = feasibility_tolerance;
        for (int i = 1; i <= m_; ++i) {
            const double x = t_[static_cast<std::size_t>(i) * width_];
            const double violation = artificial(basis_label_[static_cast<std::size_t>(i)]) ? std::fabs(x) : -x;
            if (violation > worst) {
                worst = violation;
                r = i;
            }
        }
        if (r == 0) return Loop::done;
        const double* row = &t_[static_cast<std::size_t>(r) * width_];
        const double sign = row[0] < 0 ? -1.0 : 1.0;  // the entries that move the row towards zero
        double limit = HUGE_VAL;
        for (int j = 1; j <= cols_; ++j) {
            const double a = sign * row[j];
            if (a <= pivot_limit || artificial(column_label_[static_cast<std::size_t>(j)])) continue;
            limit = std::min(limit, (std::max(t_[static_cast<std::size_t>(j)], 0.0) + optimality_tolerance) / a);
        }
        if (limit == HUGE_VAL) return Loop::stuck;  // the row cannot reach zero: no feasible solution
        int s = 0;
        double largest = 0;
        for (int j = 1; j <= cols_; ++j) {
            const double a = sign * row[j];
            if (a <= pivot_limit || artificial(column_label_[static_cast<std::size_t>(j)])) continue;
            if (std::max(t_[static_cast<std::size_t>(j)], 0.0) / a > limit) continue;
            if (a > largest) {
                largest = a;
                s = j;
            }
        }
        if (t_[static_cast<std::size_t>(s)] < 0) t_[static_cast<std::size_t>(s)] = 0;
        exchange(r, s);
        console_.write(':');
    }
}

AccurateEngine::Status AccurateEngine::solve_loops() {
    refresh();
    for (int round = 0; round < max_rounds; ++round) {
        if (!primal_feasible()) {
            const Loop loop = dual_feasible() && round > 0 ? dual() : primal(true);
            refresh();
            if (loop == Loop::limit) break;
            if (loop == Loop::stuck && !primal_feasible()) {
                if (!perturbed_) return Status::infeasible;
                remove_perturbation();
            }
            continue;
        }
        if (!dual_feasible()) {
            const Loop loop = primal(false);
            if (loop == Loop::unbounded) {
                if (perturbed_) remove_perturbation();
                return Status::unbounded;
            }
            refresh();
            if (loop == Loop::limit) break;
            continue;
        }
        if (perturbed_) {
            remove_perturbation();
            continue;
        }
        return Status::optimal;
    }
    console_.write_line("lpsens: warning: accurate mode stopped at the limit of " +
                        counted(cap_, "exchange", "exchanges") + " (--max-exchanges sets another)");
    ++log_.stopped_at_cap;
    return primal_feasible() ? Status::optimal : Status::infeasible;
}

// The tableau unscaled for the reports: x = scale * x' for every variable,
// so entry (i, j) is row i's scale times the scaled entry over column j's.
void AccurateEngine::export_tableau() {
    exported_basis_ = basis_label_;
    exported_columns_ = column_label_;
    row_origin_.assign(static_cast<std::size_t>(m_) + 1, 0);
    column_origin_.assign(static_cast<std::size_t>(cols_) + 1, 0);
    for (int i = 1; i <= m_; ++i) {
        const VariableId c = basis_label_[static_cast<std::size_t>(i)];
        (c.is_row_variable() ? row_origin_[static_cast<std::size_t>(c.index)]
                             : column_origin_[static_cast<std::size_t>(c.is_surplus() ? n_ + c.index : c.index)]) = i;
    }
    for (int j = 1; j <= cols_; ++j) {
        const VariableId c = column_label_[static_cast<std::size_t>(j)];
        (c.is_row_variable() ? row_origin_[static_cast<std::size_t>(c.index)]
                             : column_origin_[static_cast<std::size_t>(c.is_surplus() ? n_ + c.index : c.index)]) = -j;
    }
    std::vector<double> column_scale(static_cast<std::size_t>(cols_) + 1, 1.0);
    for (int j = 1; j <= cols_; ++j) column_scale[static_cast<std::size_t>(j)] = scale_of(column_label_[static_cast<std::size_t>(j)]);
    exported_.assign((static_cast<std::size_t>(m_) + 1) * width_, 0.0);
    for (int i = 0; i <= m_; ++i) {
        const double row_scale = i == 0 ? 1.0 : scale_of(basis_label_[static_cast<std::size_t>(i)]);
        const double* from = &t_[static_cast<std::size_t>(i) * width_];
        double* to = &exported_[static_cast<std::size_t>(i) * width_];
        to[0] = row_scale * from[0];
        for (int j = 1; j <= cols_; ++j) to[j] = row_scale * from[j] / column_scale[static_cast<std::size_t>(j)];
        for (int j = 0; j <= cols_; ++j)
            if (!std::isfinite(to[j]))
                throw RunError(error_code::overflow, Site::pivot_other_rows,
                               "a value of the final tableau is beyond the range of double precision");
    }
    // The phase-1 row of the classic tableau: -w, w the sum of the artificial
    // variables.
    exported_phase1_.assign(static_cast<std::size_t>(cols_) + 1, 0.0);
    for (int j = 0; j <= cols_; ++j) {
        Extended sum = j > 0 && artificial(column_label_[static_cast<std::size_t>(j)]) ? 1 : 0;
        for (int i = 1; i <= m_; ++i)
            if (artificial(basis_label_[static_cast<std::size_t>(i)])) sum -= entry(i, j);
        exported_phase1_[static_cast<std::size_t>(j)] = static_cast<double>(sum);
    }
}

SolveResult AccurateEngine::result() const {
    SolveResult r;
    r.status = status_ == Status::infeasible ? lpsens::Status::infeasible
               : status_ == Status::unbounded ? lpsens::Status::unbounded
                                              : lpsens::Status::optimal;
    take_basis(*this, r);
    if (r.status == lpsens::Status::infeasible) return r;
    r.solution = solution_from(*this, n_);
    if (r.status == lpsens::Status::unbounded) r.ray = column_label_[static_cast<std::size_t>(unbounded_column_)];
    return r;
}

SolveResult AccurateEngine::solve() {
    status_ = solve_loops();
    export_tableau();
    if (status_ != Status::infeasible) console_.write('.');
    return result();
}

SolveResult AccurateEngine::reoptimise(const ParameterMove& move) {
    // The problem at t: each item at start + delta t, scaled.
    if (move.constant_delta != 0)
        scaled_.objective[0] = static_cast<double>(static_cast<Extended>(move.constant_start) +
                                                   static_cast<Extended>(move.constant_delta) * move.t);
    for (std::size_t k = 0; k < move.index.size(); ++k) {
        const auto index = static_cast<std::size_t>(move.index[k]);
        const Extended value = static_cast<Extended>(move.start[k]) + static_cast<Extended>(move.delta[k]) * move.t;
        if (move.objective)
            scaled_.objective[index] = static_cast<double>(value) * column_scale_[index];
        else
            scaled_.rhs[index] = static_cast<double>(value) * row_scale_[index];
    }
    status_ = solve_loops();
    if (status_ == Status::infeasible) return result();
    export_tableau();
    console_.write('.');
    return result();
}

}  // namespace lpsens
