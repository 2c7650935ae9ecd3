#include "factor/basis_solution.h"

#include <algorithm>
#include <cmath>

namespace lpsens {

namespace {

// A pivot smaller than this times the largest entry of its column counts as
// zero: the basis is singular to working precision.
constexpr double singular_tolerance = 1e-13;
constexpr int refinement_steps = 3;

}  // namespace

BasisSolution::BasisSolution(const ProblemAsRead& problem, const std::vector<VariableId>& basic, int dense_limit)
    : problem_(problem), m_(problem.rows), dense_limit_(dense_limit) {
    const std::size_t size = static_cast<std::size_t>(m_) + 1;
    structural_.assign(size, 0);
    unit_row_.assign(size, 0);
    unit_sign_.assign(size, 1);
    covering_.assign(size, 0);
    local_row_.assign(size, -1);
    for (int p = 1; p <= m_; ++p) {
        const VariableId v = basic[static_cast<std::size_t>(p)];
        const auto sp = static_cast<std::size_t>(p);
        if (v.is_structural()) {
            structural_[sp] = v.index;
            columns_.push_back(p);
            continue;
        }
        int row = v.index;
        if (v.is_surplus()) {
            row = problem.ge_rows[static_cast<std::size_t>(v.index)];
            unit_sign_[sp] = -1;
        }
        unit_row_[sp] = row;
        if (covering_[static_cast<std::size_t>(row)] != 0) {
            singular_ = true;  // two unit columns on one row
            smallest_pivot_ratio_ = 0;
        }
        covering_[static_cast<std::size_t>(row)] = p;
    }
    for (int i = 1; i <= m_; ++i)
        if (covering_[static_cast<std::size_t>(i)] == 0) {
            local_row_[static_cast<std::size_t>(i)] = static_cast<int>(rows_.size());
            rows_.push_back(i);
        }
    if (!singular_ && rows_.size() != columns_.size()) {
        singular_ = true;
        smallest_pivot_ratio_ = 0;
    }
    if (!singular_) factorise();
}

void BasisSolution::factorise() {
    k_ = static_cast<int>(columns_.size());
    const auto k = static_cast<std::size_t>(k_);
    if (k_ > dense_limit_) {
        sparse_ = true;
        k_start_.assign(1, 0);
        for (std::size_t b = 0; b < k; ++b) {
            const int j = structural_[static_cast<std::size_t>(columns_[b])];
            for (int e = problem_.start[static_cast<std::size_t>(j)]; e < problem_.start[static_cast<std::size_t>(j) + 1]; ++e) {
                const int a = local_row_[static_cast<std::size_t>(problem_.row_of[static_cast<std::size_t>(e)])];
                if (a < 0) continue;
                k_row_.push_back(a);
                k_value_.push_back(problem_.value[static_cast<std::size_t>(e)]);
            }
            k_start_.push_back(static_cast<int>(k_row_.size()));
        }
        factor::MatrixView view;
        view.rows = view.cols = k_;
        view.start = k_start_.data();
        view.row_index = k_row_.data();
        view.value = k_value_.data();
        sparse_factor_.setup(view);
        factor::FactorOptions options;
        options.drop_tolerance = 0;  // the refinement's corrections are small by design
        sparse_factor_.set_options(options);
        std::vector<int> basic(k);
        for (std::size_t b = 0; b < k; ++b) basic[b] = static_cast<int>(b);
        if (sparse_factor_.build(basic) > 0) {
            singular_ = true;
            smallest_pivot_ratio_ = 0;
            for (std::size_t b = 0; b < k; ++b)
                if (basic[b] != static_cast<int>(b)) {
                    singular_position_ = columns_[b];
                    break;
                }
        }
        work_.resize(k_);
        return;
    }
    lu_.assign(k * k, 0.0);
    std::vector<double> column_max(k, 0.0);
    for (std::size_t b = 0; b < k; ++b) {
        const int j = structural_[static_cast<std::size_t>(columns_[b])];
        for (int e = problem_.start[static_cast<std::size_t>(j)]; e < problem_.start[static_cast<std::size_t>(j) + 1]; ++e) {
            const int a = local_row_[static_cast<std::size_t>(problem_.row_of[static_cast<std::size_t>(e)])];
            if (a < 0) continue;
            const double v = problem_.value[static_cast<std::size_t>(e)];
            lu_[static_cast<std::size_t>(a) * k + b] = v;
            column_max[b] = std::max(column_max[b], std::fabs(v));
        }
    }
    pivot_row_.assign(k, 0);
    for (std::size_t i = 0; i < k; ++i) {
        std::size_t best = i;
        double best_value = std::fabs(lu_[i * k + i]);
        for (std::size_t r = i + 1; r < k; ++r) {
            const double v = std::fabs(lu_[r * k + i]);
            if (v > best_value) {
                best_value = v;
                best = r;
            }
        }
        const double ratio = column_max[i] > 0 ? best_value / column_max[i] : 0.0;
        smallest_pivot_ratio_ = std::min(smallest_pivot_ratio_, ratio);
        if (!(ratio > singular_tolerance)) {
            singular_ = true;
            singular_position_ = columns_[i];
            return;
        }
        pivot_row_[i] = static_cast<int>(best);
        if (best != i) std::swap_ranges(lu_.begin() + static_cast<long>(i * k), lu_.begin() + static_cast<long>((i + 1) * k),
                                        lu_.begin() + static_cast<long>(best * k));
        const double pivot = lu_[i * k + i];
        const double* pivot_row = &lu_[i * k];
        for (std::size_t r = i + 1; r < k; ++r) {
            double* row = &lu_[r * k];
            if (row[i] == 0.0) continue;
            const double l = row[i] / pivot;
            row[i] = l;
            for (std::size_t c = i + 1; c < k; ++c) row[c] -= l * pivot_row[c];
        }
    }
}

void BasisSolution::lu_solve(std::vector<double>& v) const {
    const auto k = static_cast<std::size_t>(k_);
    if (sparse_) {
        work_.clear();
        for (std::size_t i = 0; i < k; ++i)
            if (v[i] != 0) work_.add(static_cast<int>(i), v[i]);
        sparse_factor_.ftran(work_);
        for (std::size_t i = 0; i < k; ++i) v[i] = work_.value[i];
        return;
    }
    for (std::size_t i = 0; i < k; ++i) std::swap(v[i], v[static_cast<std::size_t>(pivot_row_[i])]);
    for (std::size_t i = 0; i < k; ++i) {
        double s = v[i];
        for (std::size_t c = 0; c < i; ++c) s -= lu_[i * k + c] * v[c];
        v[i] = s;
    }
    for (std::size_t i = k; i-- > 0;) {
        double s = v[i];
        for (std::size_t c = i + 1; c < k; ++c) s -= lu_[i * k + c] * v[c];
        v[i] = s / lu_[i * k + i];
    }
}

void BasisSolution::lu_solve_transposed(std::vector<double>& v) const {
    const auto k = static_cast<std::size_t>(k_);
    if (sparse_) {
        work_.clear();
        for (std::size_t i = 0; i < k; ++i)
            if (v[i] != 0) work_.add(static_cast<int>(i), v[i]);
        sparse_factor_.btran(work_);
        for (std::size_t i = 0; i < k; ++i) v[i] = work_.value[i];
        return;
    }
    // K = P^T L U, so K^T z = v is U^T w = v, L^T u = w, z = P^T u.
    for (std::size_t i = 0; i < k; ++i) {
        double s = v[i];
        for (std::size_t c = 0; c < i; ++c) s -= lu_[c * k + i] * v[c];
        v[i] = s / lu_[i * k + i];
    }
    for (std::size_t i = k; i-- > 0;) {
        double s = v[i];
        for (std::size_t c = i + 1; c < k; ++c) s -= lu_[c * k + i] * v[c];
        v[i] = s;
    }
    for (std::size_t i = k; i-- > 0;) std::swap(v[i], v[static_cast<std::size_t>(pivot_row_[i])]);
}

std::vector<Extended> BasisSolution::solve(const std::vector<Extended>& rhs, int refinements) const {
    const auto k = static_cast<std::size_t>(k_);
    std::vector<Extended> z(k, 0);
    std::vector<Extended> activity(static_cast<std::size_t>(m_) + 1, 0);
    auto compute_activity = [&] {
        std::fill(activity.begin(), activity.end(), Extended{0});
        for (std::size_t b = 0; b < k; ++b) {
            if (z[b] == 0) continue;
            for_each_entry(columns_[b], [&](int row, Extended a) { activity[static_cast<std::size_t>(row)] += a * z[b]; });
        }
    };
    std::vector<double> correction(k);
    for (int step = 0; step <= refinements; ++step) {
        compute_activity();
        bool zero = true;
        for (std::size_t a = 0; a < k; ++a) {
            const auto row = static_cast<std::size_t>(rows_[a]);
            correction[a] = static_cast<double>(rhs[row] - activity[row]);
            zero = zero && correction[a] == 0.0;
        }
        if (zero) break;
        lu_solve(correction);
        for (std::size_t b = 0; b < k; ++b) z[b] += correction[b];
    }
    compute_activity();
    std::vector<Extended> v(static_cast<std::size_t>(m_) + 1, 0);
    for (std::size_t b = 0; b < k; ++b) v[static_cast<std::size_t>(columns_[b])] = z[b];
    for (int p = 1; p <= m_; ++p) {
        const auto sp = static_cast<std::size_t>(p);
        if (structural_[sp] != 0) continue;
        const auto row = static_cast<std::size_t>(unit_row_[sp]);
        v[sp] = unit_sign_[sp] * (rhs[row] - activity[row]);
    }
    return v;
}

std::vector<Extended> BasisSolution::solve_transposed(const std::vector<Extended>& cost) const {
    const auto k = static_cast<std::size_t>(k_);
    std::vector<Extended> y(static_cast<std::size_t>(m_) + 1, 0);
    for (int p = 1; p <= m_; ++p) {
        const auto sp = static_cast<std::size_t>(p);
        if (structural_[sp] == 0) y[static_cast<std::size_t>(unit_row_[sp])] = unit_sign_[sp] * cost[sp];
    }
    // What the structural columns still need: c_j - a_j^T y over the covered
    // rows, then less the part of the uncovered rows found so far.
    std::vector<double> correction(k);
    for (int step = 0; step <= refinement_steps; ++step) {
        bool zero = true;
        for (std::size_t b = 0; b < k; ++b) {
            Extended need = cost[static_cast<std::size_t>(columns_[b])];
            for_each_entry(columns_[b], [&](int row, Extended a) { need -= a * y[static_cast<std::size_t>(row)]; });
            correction[b] = static_cast<double>(need);
            zero = zero && correction[b] == 0.0;
        }
        if (zero) break;
        lu_solve_transposed(correction);
        for (std::size_t a = 0; a < k; ++a) y[static_cast<std::size_t>(rows_[a])] += correction[a];
    }
    return y;
}

}  // namespace lpsens
