#include "basis/basis_solution.h"

#include <algorithm>
#include <cmath>

namespace lpsens {

namespace {

// A pivot smaller than this times the largest entry of its column counts as
// zero: the basis is singular to working precision.
constexpr double singular_tolerance = 1e-13;
constexpr int refinement_steps = 3;

}  // namespace

BasisSolution::BasisSolution(const DoubleForm& problem, const std::vector<VariableId>& basic, int dense_limit)
    : problem_(problem), m_(problem.rows), dense_limit_(dense_limit) {
    const std::size_t size = static_cast<std::size_t>(m_) + 1;
    structural_.assign(size, 0);
    unit_row_.assign(size, 0);
    unit_sign_.assign(size, 1);
    covering_.assign(size, 0);
    local_row_.assign(size, -1);
    for (int p = 1; p <= m_; ++p) {
        const VariableId v = basic[p];
        if (v.is_structural()) {
            structural_[p] = v.index;
            columns_.push_back(p);
            continue;
        }
        const int row = problem.logical_row(v);
        unit_sign_[p] = DoubleForm::sign_of(v);
        unit_row_[p] = row;
        if (covering_[row] != 0) {
            singular_ = true;  // two unit columns on one row
            smallest_pivot_ratio_ = 0;
        }
        covering_[row] = p;
    }
    for (int i = 1; i <= m_; ++i)
        if (covering_[i] == 0) {
            local_row_[i] = static_cast<int>(rows_.size());
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
        k_matrix_.rows = k_;
        k_matrix_.start.assign(1, 0);
        for (std::size_t b = 0; b < k; ++b) {
            const int j = structural_[columns_[b]];
            for (int e = problem_.matrix.start[j]; e < problem_.matrix.start[j + 1]; ++e) {
                const int a = local_row_[problem_.matrix.row_index[e]];
                if (a < 0) continue;
                k_matrix_.row_index.push_back(a);
                k_matrix_.value.push_back(problem_.matrix.value[e]);
            }
            k_matrix_.start.push_back(static_cast<int>(k_matrix_.row_index.size()));
            ++k_matrix_.cols;
        }
        sparse_factor_.setup(k_matrix_.view());
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
    factorise_partial_pivoting();
}

// K's entries by row as first numbered (column, value), where each column's
// entries stand, and the largest magnitude of each column.
void BasisSolution::load_k(std::vector<std::vector<Entry>>& rows, std::vector<std::vector<Slot>>& column_rows,
                           std::vector<double>& column_max) const {
    for (int b = 0; b < k_; ++b) {
        const int j = structural_[columns_[b]];
        for (int e = problem_.matrix.start[j]; e < problem_.matrix.start[j + 1]; ++e) {
            const int a = local_row_[problem_.matrix.row_index[e]];
            if (a < 0) continue;
            const double v = problem_.matrix.value[e];
            auto& row = rows[a];
            column_rows[b].push_back({a, static_cast<int>(row.size())});
            row.push_back({b, v});
            column_max[b] = std::max(column_max[b], std::fabs(v));
        }
    }
}

// Gaussian elimination with partial pivoting in column order, as on a dense
// k x k array, but with only the nonzeros stored: row by row, with a list of
// the rows of each column. Every entry goes through the same operations in
// the same order as in the dense elimination (the skipped ones would only
// subtract zeros), so pivots, factors and solves are those of the dense
// one, at the cost of the fill instead of k^2.
void BasisSolution::factorise_partial_pivoting() {
    const auto k = static_cast<std::size_t>(k_);
    std::vector<std::vector<Entry>> rows(k);        // by row of K as first numbered: (column, value)
    std::vector<std::vector<Slot>> column_rows(k);  // by column: where its entries are
    std::vector<double> column_max(k, 0.0);
    load_k(rows, column_rows, column_max);
    std::vector<int> row_at(k), position_of(k);  // position <-> row as first numbered
    for (std::size_t i = 0; i < k; ++i) row_at[i] = position_of[i] = static_cast<int>(i);
    std::vector<int> slot_of_column(k, -1);
    std::vector<Entry> pivot_entries;  // the pivot row right of the pivot, nonzeros only
    pivot_row_.assign(k, 0);
    for (std::size_t i = 0; i < k; ++i) {
        // The largest entry of column i in positions i and below; ties to
        // the first position.
        std::size_t best = i;
        double best_value = 0;
        for (const Slot& c : column_rows[i]) {
            const auto position = static_cast<std::size_t>(position_of[static_cast<std::size_t>(c.row)]);
            if (position < i) continue;
            const double v = std::fabs(rows[c.row][c.slot].value);
            if (v > best_value || (v == best_value && position < best)) {
                best_value = v;
                best = position;
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
        std::swap(row_at[i], row_at[best]);
        position_of[row_at[i]] = static_cast<int>(i);
        position_of[row_at[best]] = static_cast<int>(best);

        double pivot = 0;
        pivot_entries.clear();
        for (const Entry& e : rows[row_at[i]]) {
            if (static_cast<std::size_t>(e.index) == i) pivot = e.value;
            else if (static_cast<std::size_t>(e.index) > i && e.value != 0.0) pivot_entries.push_back(e);
        }
        for (const Slot& c : column_rows[i]) {
            if (static_cast<std::size_t>(position_of[static_cast<std::size_t>(c.row)]) <= i) continue;
            auto& row = rows[c.row];
            if (row[c.slot].value == 0.0) continue;
            const double l = row[c.slot].value / pivot;
            row[c.slot].value = l;
            for (std::size_t t = 0; t < row.size(); ++t) slot_of_column[row[t].index] = static_cast<int>(t);
            for (const Entry& u : pivot_entries) {
                const int slot = slot_of_column[u.index];
                if (slot >= 0) {
                    row[slot].value -= l * u.value;
                } else {
                    double fill = 0.0;
                    fill -= l * u.value;
                    column_rows[u.index].push_back({c.row, static_cast<int>(row.size())});
                    row.push_back({u.index, fill});
                }
            }
            for (const Entry& e : row) slot_of_column[e.index] = -1;
        }
    }
    store_lu(rows, row_at);
}

void BasisSolution::store_lu(std::vector<std::vector<Entry>>& rows, const std::vector<int>& row_at) {
    const auto k = static_cast<std::size_t>(k_);
    lu_start_.assign(k + 1, 0);
    lu_diagonal_.assign(k, 0.0);
    lu_entries_.clear();
    for (std::size_t p = 0; p < k; ++p) {
        auto& row = rows[row_at[p]];
        std::sort(row.begin(), row.end(), [](const Entry& a, const Entry& b) { return a.index < b.index; });
        for (const Entry& e : row) {
            if (static_cast<std::size_t>(e.index) == p)
                lu_diagonal_[p] = e.value;
            else
                lu_entries_.push_back(e);
        }
        lu_start_[p + 1] = static_cast<int>(lu_entries_.size());
        std::vector<Entry>().swap(row);
    }
    std::vector<int> next(k + 1, 0);
    for (const Entry& e : lu_entries_) ++next[e.index + 1];
    for (std::size_t c = 0; c < k; ++c) next[c + 1] += next[c];
    lu_column_start_ = next;
    lu_by_column_.resize(lu_entries_.size());
    for (std::size_t p = 0; p < k; ++p)
        for (int t = lu_start_[p]; t < lu_start_[p + 1]; ++t) {
            const Entry& e = lu_entries_[t];
            lu_by_column_[next[e.index]++] = {static_cast<int>(p), e.value};
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
    for (std::size_t i = 0; i < k; ++i) std::swap(v[i], v[pivot_row_[i]]);
    // Row i of the factors: L in the columns before i, then U after it.
    for (std::size_t i = 0; i < k; ++i) {
        double s = v[i];
        for (int t = lu_start_[i]; t < lu_start_[i + 1]; ++t) {
            const Entry& e = lu_entries_[t];
            if (static_cast<std::size_t>(e.index) > i) break;
            s -= e.value * v[e.index];
        }
        v[i] = s;
    }
    for (std::size_t i = k; i-- > 0;) {
        double s = v[i];
        for (int t = lu_start_[i]; t < lu_start_[i + 1]; ++t) {
            const Entry& e = lu_entries_[t];
            if (static_cast<std::size_t>(e.index) > i) s -= e.value * v[e.index];
        }
        v[i] = s / lu_diagonal_[i];
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
    // Column i of the factors: U in the positions before i, then L after it.
    for (std::size_t i = 0; i < k; ++i) {
        double s = v[i];
        for (int t = lu_column_start_[i]; t < lu_column_start_[i + 1]; ++t) {
            const Entry& e = lu_by_column_[t];
            if (static_cast<std::size_t>(e.index) > i) break;
            s -= e.value * v[e.index];
        }
        v[i] = s / lu_diagonal_[i];
    }
    for (std::size_t i = k; i-- > 0;) {
        double s = v[i];
        for (int t = lu_column_start_[i]; t < lu_column_start_[i + 1]; ++t) {
            const Entry& e = lu_by_column_[t];
            if (static_cast<std::size_t>(e.index) > i) s -= e.value * v[e.index];
        }
        v[i] = s;
    }
    for (std::size_t i = k; i-- > 0;) std::swap(v[i], v[pivot_row_[i]]);
}

std::vector<Extended> BasisSolution::solve(const std::vector<Extended>& rhs, int refinements) const {
    const auto k = static_cast<std::size_t>(k_);
    std::vector<Extended> z(k, 0);
    std::vector<Extended> activity(m_ + 1, 0);
    auto compute_activity = [&] {
        std::fill(activity.begin(), activity.end(), Extended{0});
        for (std::size_t b = 0; b < k; ++b) {
            if (z[b] == 0) continue;
            for_each_entry(columns_[b], [&](int row, Extended a) { activity[row] += a * z[b]; });
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
    std::vector<Extended> v(m_ + 1, 0);
    for (std::size_t b = 0; b < k; ++b) v[columns_[b]] = z[b];
    for (int p = 1; p <= m_; ++p) {
        if (structural_[p] != 0) continue;
        const auto row = static_cast<std::size_t>(unit_row_[p]);
        v[p] = unit_sign_[p] * (rhs[row] - activity[row]);
    }
    return v;
}

std::vector<Extended> BasisSolution::solve_transposed(const std::vector<Extended>& cost) const {
    const auto k = static_cast<std::size_t>(k_);
    std::vector<Extended> y(m_ + 1, 0);
    for (int p = 1; p <= m_; ++p) {
        if (structural_[p] == 0) y[unit_row_[p]] = unit_sign_[p] * cost[p];
    }
    // What the structural columns still need: c_j - a_j^T y over the covered
    // rows, then less the part of the uncovered rows found so far.
    std::vector<double> correction(k);
    for (int step = 0; step <= refinement_steps; ++step) {
        bool zero = true;
        for (std::size_t b = 0; b < k; ++b) {
            Extended need = cost[columns_[b]];
            for_each_entry(columns_[b], [&](int row, Extended a) { need -= a * y[row]; });
            correction[b] = static_cast<double>(need);
            zero = zero && correction[b] == 0.0;
        }
        if (zero) break;
        lu_solve_transposed(correction);
        for (std::size_t a = 0; a < k; ++a) y[rows_[a]] += correction[a];
    }
    return y;
}

}  // namespace lpsens
