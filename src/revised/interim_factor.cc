// An interim implementation of factor/basis_factor.h, good enough for the
// revised engine to be built and tested before the real factorisation lands:
//
//   build   Markowitz elimination with threshold pivoting on the whole basis
//           (column and row singletons come out first by themselves: they
//           have the lowest counts), kept as column etas of L, U by columns
//           and by rows, and the pivot sequence.
//   update  product form: each basis change appends one eta column (the
//           solved entering column) to a file applied after the LU solves.
//   solves  dense work arrays that skip zeros; the index list of the result
//           is rebuilt at the end, with values below 1e-14 dropped.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>
#include <vector>

#include "factor/basis_factor.h"

namespace lpsens::factor {

namespace {

constexpr double tiny_value = 1e-14;       // dropped from results
constexpr double kept_zero = 1e-300;        // an entry that cancelled to zero but stays listed
constexpr double threshold = 0.1;           // Markowitz relative pivot threshold
constexpr double absolute_pivot = 1e-11;    // below this nothing is a pivot
constexpr double update_pivot_limit = 1e-11;
constexpr int update_limit = 1000;
constexpr int search_limit = 4;             // candidates examined once a pivot is known

}  // namespace

// ---------------------------------------------------------------- SparseVector

void SparseVector::resize(int size) {
    value.assign(static_cast<std::size_t>(size), 0.0);
    index.assign(static_cast<std::size_t>(size), 0);
    count = 0;
}

void SparseVector::clear() {
    if (count >= 0 && count * 4 < size()) {
        for (int k = 0; k < count; ++k) value[index[k]] = 0.0;
    } else {
        std::fill(value.begin(), value.end(), 0.0);
    }
    count = 0;
}

void SparseVector::add(int i, double v) {
    if (value[i] == 0.0) {
        if (count >= 0) index[count++] = i;
        value[i] = v;
        if (value[i] == 0.0) value[i] = kept_zero;
    } else {
        value[i] += v;
        if (value[i] == 0.0) value[i] = kept_zero;  // still listed: keep it nonzero
    }
}

void SparseVector::rebuild_index() {
    count = 0;
    for (int i = 0; i < size(); ++i)
        if (value[i] != 0.0) index[count++] = i;
}

// ---------------------------------------------------------------- the factors

struct BasisFactor::Impl {
    MatrixView a;
    int m = 0;

    // Pivot k of the last build: row pivot_row[k], basis position pivot_pos[k].
    std::vector<int> pivot_row;     // by pivot
    std::vector<int> pivot_pos;     // by pivot
    std::vector<int> row_of_pos;    // by position: the pivot row of its pivot
    std::vector<int> pos_of_row;    // by row: the position of its pivot
    std::vector<double> u_diag;     // by pivot

    // L as column etas in pivot order: eta e eliminates below pivot row
    // l_pivot_row[e]; entries (l_row, l_value) of l_start[e] .. l_start[e+1]-1.
    std::vector<int> l_pivot_row, l_start, l_row;
    std::vector<double> l_value;

    // U without its diagonal, by columns (entries in rows of earlier pivots)
    // and by rows (entries in rows of later pivots), both indexed by pivot.
    std::vector<int> uc_start, uc_row;
    std::vector<double> uc_value;
    std::vector<int> ur_start, ur_row;
    std::vector<double> ur_value;

    // Product-form etas, one per update: position eta_pos[e], pivot
    // eta_pivot[e], other entries (eta_index by position, eta_value).
    std::vector<int> eta_pos, eta_start, eta_index;
    std::vector<double> eta_pivot, eta_value;

    // The result of the last ftran_for_update, by position.
    std::vector<int> saved_index;
    std::vector<double> saved_value;
    bool saved_valid = false;

    mutable std::vector<double> scratch;  // by row or position, all zero between calls

    // --- build workspace: the active submatrix
    std::vector<std::vector<int>> col_rows;     // by position
    std::vector<std::vector<double>> col_values;
    std::vector<std::vector<int>> row_cols;     // by row
    std::vector<int> col_head, col_next, col_prev, col_count_of;  // count buckets of columns
    std::vector<int> row_head, row_next, row_prev, row_count_of;  // count buckets of rows
    std::vector<double> col_max;                // -1 when unknown
    std::vector<int> slot_of_row;               // scatter map for one column, -1 elsewhere
    struct UEntry {
        int pivot;
        int position;
        double value;
    };
    std::vector<UEntry> u_entries;

    void load_basis(const std::vector<int>& basic);
    int eliminate();
    void finish_structures();

    void bucket_insert(std::vector<int>& head, std::vector<int>& next, std::vector<int>& prev,
                       std::vector<int>& count_of, int item, int count);
    void bucket_remove(std::vector<int>& head, std::vector<int>& next, std::vector<int>& prev,
                       std::vector<int>& count_of, int item);
    double column_max(int c);
    double entry(int r, int c) const;
    void pivot_on(int r, int c, int k);

    void solve_forward(SparseVector& x) const;
    void solve_backward(SparseVector& x) const;
    static void finish_index(SparseVector& x);
};

void BasisFactor::Impl::bucket_insert(std::vector<int>& head, std::vector<int>& next, std::vector<int>& prev,
                                      std::vector<int>& count_of, int item, int count) {
    count_of[item] = count;
    prev[item] = -1;
    next[item] = head[count];
    if (head[count] >= 0) prev[head[count]] = item;
    head[count] = item;
}

void BasisFactor::Impl::bucket_remove(std::vector<int>& head, std::vector<int>& next, std::vector<int>& prev,
                                      std::vector<int>& count_of, int item) {
    const int count = count_of[item];
    if (count < 0) return;
    if (prev[item] >= 0) next[prev[item]] = next[item];
    else head[count] = next[item];
    if (next[item] >= 0) prev[next[item]] = prev[item];
    count_of[item] = -1;
}

double BasisFactor::Impl::column_max(int c) {
    if (col_max[c] < 0) {
        double big = 0;
        for (double v : col_values[c]) big = std::max(big, std::fabs(v));
        col_max[c] = big;
    }
    return col_max[c];
}

double BasisFactor::Impl::entry(int r, int c) const {
    const auto& rows = col_rows[c];
    for (std::size_t t = 0; t < rows.size(); ++t)
        if (rows[t] == r) return col_values[c][t];
    return 0.0;
}

void BasisFactor::Impl::load_basis(const std::vector<int>& basic) {
    col_rows.resize(m);
    col_values.resize(m);
    row_cols.resize(m);
    for (int i = 0; i < m; ++i) {
        col_rows[i].clear();
        col_values[i].clear();
        row_cols[i].clear();
    }
    for (int p = 0; p < m; ++p) {
        const int var = basic[p];
        if (var >= a.cols) {
            const int r = var - a.cols;
            col_rows[p].push_back(r);
            col_values[p].push_back(1.0);
            row_cols[r].push_back(p);
        } else {
            for (int t = a.start[var]; t < a.start[var + 1]; ++t) {
                if (a.value[t] == 0.0) continue;
                col_rows[p].push_back(a.row_index[t]);
                col_values[p].push_back(a.value[t]);
                row_cols[a.row_index[t]].push_back(p);
            }
        }
    }
    col_head.assign(m + 2, -1);
    row_head.assign(m + 2, -1);
    col_next.assign(m, -1);
    col_prev.assign(m, -1);
    col_count_of.assign(m, -1);
    row_next.assign(m, -1);
    row_prev.assign(m, -1);
    row_count_of.assign(m, -1);
    col_max.assign(m, -1.0);
    slot_of_row.assign(m, -1);
    for (int p = 0; p < m; ++p)
        bucket_insert(col_head, col_next, col_prev, col_count_of, p, static_cast<int>(col_rows[p].size()));
    for (int r = 0; r < m; ++r)
        bucket_insert(row_head, row_next, row_prev, row_count_of, r, static_cast<int>(row_cols[r].size()));
}

void BasisFactor::Impl::pivot_on(int r, int c, int k) {
    bucket_remove(col_head, col_next, col_prev, col_count_of, c);
    bucket_remove(row_head, row_next, row_prev, row_count_of, r);
    pivot_row[k] = r;
    pivot_pos[k] = c;

    // The pivot column gives the eta of L.
    double pivot = 0;
    const std::size_t l_first = l_row.size();
    for (std::size_t t = 0; t < col_rows[c].size(); ++t) {
        if (col_rows[c][t] == r) pivot = col_values[c][t];
    }
    u_diag[k] = pivot;
    for (std::size_t t = 0; t < col_rows[c].size(); ++t) {
        const int i = col_rows[c][t];
        if (i == r) continue;
        l_row.push_back(i);
        l_value.push_back(col_values[c][t] / pivot);
        // Column c leaves row i's pattern.
        auto& pattern = row_cols[i];
        for (std::size_t s = 0; s < pattern.size(); ++s) {
            if (pattern[s] == c) {
                pattern[s] = pattern.back();
                pattern.pop_back();
                break;
            }
        }
    }
    const std::size_t l_end = l_row.size();
    if (l_end > l_first) {
        l_pivot_row.push_back(r);
        l_start.push_back(static_cast<int>(l_end));
    }

    // The pivot row gives U's row; the rest of the active matrix is updated.
    for (int j : row_cols[r]) {
        if (j == c) continue;
        auto& rows = col_rows[j];
        auto& values = col_values[j];
        double a_rj = 0;
        for (std::size_t t = 0; t < rows.size(); ++t) {
            if (rows[t] == r) {
                a_rj = values[t];
                rows[t] = rows.back();
                values[t] = values.back();
                rows.pop_back();
                values.pop_back();
                break;
            }
        }
        u_entries.push_back({k, j, a_rj});
        if (l_end > l_first && a_rj != 0.0) {
            for (std::size_t t = 0; t < rows.size(); ++t) slot_of_row[rows[t]] = static_cast<int>(t);
            for (std::size_t t = l_first; t < l_end; ++t) {
                const int i = l_row[t];
                const double change = -l_value[t] * a_rj;
                if (slot_of_row[i] >= 0) {
                    values[slot_of_row[i]] += change;
                } else {
                    slot_of_row[i] = static_cast<int>(rows.size());
                    rows.push_back(i);
                    values.push_back(change);
                    row_cols[i].push_back(j);
                }
            }
            for (int i : rows) slot_of_row[i] = -1;
        }
        col_max[j] = -1.0;
        bucket_remove(col_head, col_next, col_prev, col_count_of, j);
        bucket_insert(col_head, col_next, col_prev, col_count_of, j, static_cast<int>(rows.size()));
    }
    for (std::size_t t = l_first; t < l_end; ++t) {
        const int i = l_row[t];
        bucket_remove(row_head, row_next, row_prev, row_count_of, i);
        bucket_insert(row_head, row_next, row_prev, row_count_of, i, static_cast<int>(row_cols[i].size()));
    }
    row_cols[r].clear();
    col_rows[c].clear();
    col_values[c].clear();
}

// Runs the elimination; returns the number of pivots found (m when the
// basis is nonsingular).
int BasisFactor::Impl::eliminate() {
    pivot_row.assign(m, -1);
    pivot_pos.assign(m, -1);
    u_diag.assign(m, 0.0);
    l_pivot_row.clear();
    l_start.assign(1, 0);
    l_row.clear();
    l_value.clear();
    u_entries.clear();
    for (int k = 0; k < m; ++k) {
        int best_r = -1;
        int best_c = -1;
        long best_merit = -1;
        int searched = 0;
        for (int count = 1; count <= m; ++count) {
            // Columns with `count` entries.
            for (int c = col_head[count]; c >= 0;) {
                const int next = col_next[c];
                const double big = column_max(c);
                if (big <= absolute_pivot) {
                    c = next;
                    continue;
                }
                for (std::size_t t = 0; t < col_rows[c].size(); ++t) {
                    const double v = std::fabs(col_values[c][t]);
                    if (v < threshold * big || v <= absolute_pivot) continue;
                    const int r = col_rows[c][t];
                    const long merit = static_cast<long>(count - 1) * static_cast<long>(row_cols[r].size() - 1);
                    if (best_merit < 0 || merit < best_merit) {
                        best_merit = merit;
                        best_r = r;
                        best_c = c;
                    }
                }
                if (best_merit == 0) break;
                if (best_merit >= 0 && ++searched >= search_limit) break;
                c = next;
            }
            if (best_merit == 0 || (best_merit >= 0 && searched >= search_limit)) break;
            // Rows with `count` entries.
            for (int r = row_head[count]; r >= 0; r = row_next[r]) {
                for (int c : row_cols[r]) {
                    const double v = std::fabs(entry(r, c));
                    const double big = column_max(c);
                    if (v < threshold * big || v <= absolute_pivot) continue;
                    const long merit = static_cast<long>(col_rows[c].size() - 1) * static_cast<long>(count - 1);
                    if (best_merit < 0 || merit < best_merit) {
                        best_merit = merit;
                        best_r = r;
                        best_c = c;
                    }
                }
                if (best_merit == 0) break;
                if (best_merit >= 0 && ++searched >= search_limit) break;
            }
            if (best_merit == 0 || (best_merit >= 0 && searched >= search_limit)) break;
            if (best_merit >= 0 && best_merit <= static_cast<long>(count) * count) break;
        }
        if (best_merit < 0) return k;  // what is left is singular
        pivot_on(best_r, best_c, k);
    }
    return m;
}

void BasisFactor::Impl::finish_structures() {
    std::vector<int> pivot_of_pos(m);
    for (int k = 0; k < m; ++k) pivot_of_pos[pivot_pos[k]] = k;
    row_of_pos.assign(m, 0);
    pos_of_row.assign(m, 0);
    for (int k = 0; k < m; ++k) {
        row_of_pos[pivot_pos[k]] = pivot_row[k];
        pos_of_row[pivot_row[k]] = pivot_pos[k];
    }
    uc_start.assign(m + 1, 0);
    ur_start.assign(m + 1, 0);
    for (const auto& e : u_entries) {
        if (e.value == 0.0) continue;
        ++uc_start[pivot_of_pos[e.position] + 1];
        ++ur_start[e.pivot + 1];
    }
    for (int k = 0; k < m; ++k) {
        uc_start[k + 1] += uc_start[k];
        ur_start[k + 1] += ur_start[k];
    }
    const auto nu = static_cast<std::size_t>(uc_start[m]);
    uc_row.resize(nu);
    uc_value.resize(nu);
    ur_row.resize(nu);
    ur_value.resize(nu);
    std::vector<int> uc_next(uc_start.begin(), uc_start.end() - 1);
    std::vector<int> ur_next(ur_start.begin(), ur_start.end() - 1);
    for (const auto& e : u_entries) {
        if (e.value == 0.0) continue;
        const int later = pivot_of_pos[e.position];
        const int at_c = uc_next[later]++;
        uc_row[at_c] = pivot_row[e.pivot];
        uc_value[at_c] = e.value;
        const int at_r = ur_next[e.pivot]++;
        ur_row[at_r] = pivot_row[later];
        ur_value[at_r] = e.value;
    }
    u_entries.clear();
}

void BasisFactor::Impl::finish_index(SparseVector& x) {
    const int n = x.size();
    int count = 0;
    if (static_cast<int>(x.index.size()) < n) x.index.resize(n);
    for (int i = 0; i < n; ++i) {
        double& v = x.value[i];
        if (v == 0.0) continue;
        if (std::fabs(v) < tiny_value) {
            v = 0.0;
            continue;
        }
        x.index[count++] = i;
    }
    x.count = count;
}

// B x = b: L, then U (values stay at their rows), then rows to positions,
// then the update etas.
void BasisFactor::Impl::solve_forward(SparseVector& x) const {
    double* v = x.value.data();
    const int etas_l = static_cast<int>(l_pivot_row.size());
    for (int e = 0; e < etas_l; ++e) {
        const double pivot_value = v[l_pivot_row[e]];
        if (pivot_value == 0.0) continue;
        for (int t = l_start[e]; t < l_start[e + 1]; ++t) v[l_row[t]] -= l_value[t] * pivot_value;
    }
    for (int k = m - 1; k >= 0; --k) {
        const int r = pivot_row[k];
        if (v[r] == 0.0) continue;
        const double xk = v[r] / u_diag[k];
        v[r] = xk;
        for (int t = uc_start[k]; t < uc_start[k + 1]; ++t) v[uc_row[t]] -= uc_value[t] * xk;
    }
    // Rows to positions.
    for (int r = 0; r < m; ++r) {
        if (v[r] != 0.0) {
            scratch[pos_of_row[r]] = v[r];
            v[r] = 0.0;
        }
    }
    x.value.swap(scratch);
    v = x.value.data();
    const int etas = static_cast<int>(eta_pos.size());
    for (int e = 0; e < etas; ++e) {
        const int p = eta_pos[e];
        if (v[p] == 0.0) continue;
        const double xp = v[p] / eta_pivot[e];
        v[p] = xp;
        for (int t = eta_start[e]; t < eta_start[e + 1]; ++t) v[eta_index[t]] -= eta_value[t] * xp;
    }
    finish_index(x);
}

// B^T y = c: the update etas backwards, positions to rows, U^T, then L^T.
void BasisFactor::Impl::solve_backward(SparseVector& x) const {
    double* v = x.value.data();
    for (int e = static_cast<int>(eta_pos.size()) - 1; e >= 0; --e) {
        double dot = 0;
        for (int t = eta_start[e]; t < eta_start[e + 1]; ++t) dot += eta_value[t] * v[eta_index[t]];
        const int p = eta_pos[e];
        v[p] = (v[p] - dot) / eta_pivot[e];
    }
    for (int p = 0; p < m; ++p) {
        if (v[p] != 0.0) {
            scratch[row_of_pos[p]] = v[p];
            v[p] = 0.0;
        }
    }
    x.value.swap(scratch);
    v = x.value.data();
    for (int k = 0; k < m; ++k) {
        const int r = pivot_row[k];
        if (v[r] == 0.0) continue;
        const double yk = v[r] / u_diag[k];
        v[r] = yk;
        for (int t = ur_start[k]; t < ur_start[k + 1]; ++t) v[ur_row[t]] -= ur_value[t] * yk;
    }
    for (int e = static_cast<int>(l_pivot_row.size()) - 1; e >= 0; --e) {
        double dot = 0;
        for (int t = l_start[e]; t < l_start[e + 1]; ++t) dot += l_value[t] * v[l_row[t]];
        v[l_pivot_row[e]] -= dot;
    }
    finish_index(x);
}

// ---------------------------------------------------------------- BasisFactor

BasisFactor::BasisFactor() : impl_(std::make_unique<Impl>()) {}
BasisFactor::~BasisFactor() = default;
BasisFactor::BasisFactor(BasisFactor&&) noexcept = default;
BasisFactor& BasisFactor::operator=(BasisFactor&&) noexcept = default;

void BasisFactor::setup(const MatrixView& a) {
    impl_->a = a;
    impl_->m = a.rows;
    impl_->scratch.assign(static_cast<std::size_t>(a.rows), 0.0);
    impl_->eta_pos.clear();
    impl_->eta_start.assign(1, 0);
    impl_->eta_index.clear();
    impl_->eta_pivot.clear();
    impl_->eta_value.clear();
}

int BasisFactor::build(std::vector<int>& basic) {
    Impl& f = *impl_;
    f.eta_pos.clear();
    f.eta_start.assign(1, 0);
    f.eta_index.clear();
    f.eta_pivot.clear();
    f.eta_value.clear();
    f.saved_valid = false;
    int replaced = 0;
    for (int attempt = 0;; ++attempt) {
        f.load_basis(basic);
        const int found = f.eliminate();
        if (found == f.m) break;
        // Positions without a pivot take the logicals of rows without one.
        std::vector<char> row_done(f.m, 0), pos_done(f.m, 0);
        for (int k = 0; k < found; ++k) {
            row_done[f.pivot_row[k]] = 1;
            pos_done[f.pivot_pos[k]] = 1;
        }
        int r = 0;
        for (int p = 0; p < f.m; ++p) {
            if (pos_done[p]) continue;
            while (row_done[r]) ++r;
            basic[p] = f.a.cols + r;
            row_done[r] = 1;
            ++replaced;
        }
        if (attempt > 10) std::abort();  // cannot happen: logicals always factorise
    }
    f.finish_structures();
    return replaced;
}

void BasisFactor::ftran(SparseVector& rhs, double /*density*/) const { impl_->solve_forward(rhs); }

void BasisFactor::btran(SparseVector& rhs, double /*density*/) const { impl_->solve_backward(rhs); }

void BasisFactor::ftran_for_update(SparseVector& rhs, double density) {
    ftran(rhs, density);
    Impl& f = *impl_;
    f.saved_index.assign(rhs.index.begin(), rhs.index.begin() + rhs.count);
    f.saved_value.resize(f.saved_index.size());
    for (std::size_t t = 0; t < f.saved_index.size(); ++t) f.saved_value[t] = rhs.value[f.saved_index[t]];
    f.saved_valid = true;
}

bool BasisFactor::update(int p, double pivot) {
    Impl& f = *impl_;
    if (!f.saved_valid || std::fabs(pivot) < update_pivot_limit ||
        static_cast<int>(f.eta_pos.size()) >= update_limit)
        return false;
    f.eta_pos.push_back(p);
    f.eta_pivot.push_back(pivot);
    for (std::size_t t = 0; t < f.saved_index.size(); ++t) {
        if (f.saved_index[t] == p) continue;
        f.eta_index.push_back(f.saved_index[t]);
        f.eta_value.push_back(f.saved_value[t]);
    }
    f.eta_start.push_back(static_cast<int>(f.eta_index.size()));
    f.saved_valid = false;
    return true;
}

int BasisFactor::rows() const { return impl_->m; }

int BasisFactor::updates_since_build() const { return static_cast<int>(impl_->eta_pos.size()); }

}  // namespace lpsens::factor
