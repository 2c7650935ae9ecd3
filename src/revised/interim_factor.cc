// An interim implementation of factor/basis_factor.h, good enough for the
// revised engine to be built, tested and timed before the real
// factorisation lands:
//
//   build   Markowitz elimination with threshold pivoting on the whole basis
//           (column and row singletons come out first by themselves: they
//           have the lowest counts). L is kept as column etas; U by columns
//           in a pivot order that the updates change.
//   update  Forrest-Tomlin: the entering column, as far as L and the row
//           etas transform it (the spike), replaces its position's column
//           of U and moves to the end of the pivot order; the old row of
//           that position is eliminated with one row eta.
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
constexpr double update_agreement = 1e-8;   // new diagonal against pivot times old one
constexpr double max_multiplier = 1e8;    // largest entry of a row eta
constexpr int update_limit = 1000;
constexpr int search_limit = 4;             // candidates examined once a pivot is known
constexpr double sparse_fraction = 0.05;    // solves follow the nonzeros below this fill
constexpr double sparse_result = 0.1;       // ... when the result is expected below this

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

    // Slot k is pivot k of the last build: row slot_row[k], basis position
    // slot_pos[k], diagonal entry diag[k] of U. Updates keep each slot's row
    // and position and change its column, diagonal and place in `order`.
    std::vector<int> slot_row;      // by slot
    std::vector<int> slot_pos;      // by slot
    std::vector<int> slot_of_pos;   // by position
    std::vector<int> row_of_pos;    // by position
    std::vector<int> pos_of_row;    // by row
    std::vector<double> diag;       // by slot
    std::vector<int> order;         // the slots in pivot order
    std::vector<int> place;         // by slot: its index in `order`

    // L as column etas in pivot order: eta e eliminates below pivot row
    // l_pivot_row[e]; entries (l_row, l_value) of l_start[e] .. l_start[e+1]-1.
    std::vector<int> l_pivot_row, l_start, l_row;
    std::vector<double> l_value;

    // U without its diagonal, by columns: slot k's entries are
    // u_row/u_value[col_start[k] .. col_start[k] + col_len[k]), in rows of
    // slots earlier in `order`. Replaced columns are appended.
    std::vector<int> col_start, col_len, u_row;
    std::vector<double> u_value;
    std::size_t u_built = 0;        // entries after the last build
    // The same entries by rows: row r's entries, each with the slot of its
    // column (a slot later in `order` than r's own).
    struct RowPart {
        int slot;
        double value;
    };
    std::vector<std::vector<RowPart>> u_rows;  // by row
    std::vector<double> work_by_slot;          // all zero between updates

    // Row etas of the updates: x[r_pivot_row[e]] -= sum r_value * x[r_row].
    std::vector<int> r_pivot_row, r_start, r_row;
    std::vector<double> r_value;
    int updates = 0;

    // The spike of the last ftran_for_update, by row.
    std::vector<int> spike_row;
    std::vector<double> spike_value;
    bool spike_valid = false;

    mutable std::vector<double> scratch;  // by row or position, all zero between calls
    // Workspace of the sparse solves: rows listed (all unmarked between
    // calls), the depth-first search over U's graph, its result.
    std::vector<int> slot_of_row;         // by row
    mutable std::vector<char> listed;     // by row
    mutable std::vector<int> list;        // rows that may be nonzero
    mutable std::vector<char> visited;    // by slot
    mutable std::vector<int> stack, next_edge, reached;
    std::vector<double> multiplier;       // by row, all zero between updates

    // --- build workspace: the active submatrix. Columns only grow during a
    // build: entries in rows already pivoted (row_done) stay, dead, so that
    // the row patterns can point at entries by their place in the column.
    // Row patterns are lazy too: they may list columns already pivoted.
    struct RowEntry {
        int col;
        int slot;  // place in the column's lists
    };
    std::vector<std::vector<int>> col_rows;     // by position
    std::vector<std::vector<double>> col_values;
    std::vector<int> col_count;                 // by position: live entries
    std::vector<std::vector<RowEntry>> row_cols; // by row
    std::vector<int> row_count;                 // by row: live entries
    std::vector<char> col_done, row_done;
    std::vector<int> col_head, col_next, col_prev, col_count_of;  // count buckets of columns
    std::vector<int> row_head, row_next, row_prev, row_count_of;  // count buckets of rows
    std::vector<double> col_max;                // -1 when unknown
    std::vector<int> slot_in_column;            // scatter map for one column, -1 elsewhere
    struct UEntry {
        int pivot;
        int position;
        double value;
    };
    std::vector<UEntry> u_entries;

    void load_basis(const std::vector<int>& basic);
    int eliminate();
    void finish_structures();

    static void bucket_insert(std::vector<int>& head, std::vector<int>& next, std::vector<int>& prev,
                              std::vector<int>& count_of, int item, int count);
    static void bucket_remove(std::vector<int>& head, std::vector<int>& next, std::vector<int>& prev,
                              std::vector<int>& count_of, int item);
    double column_max(int c);
    void pivot_on(int r, int c, int k);

    void solve_lower(double* x) const;
    void list_row(int r) const {
        if (!listed[r]) {
            listed[r] = 1;
            list.push_back(r);
        }
    }
    // Slots reached from the slots of the listed rows along U's columns
    // (by_rows false) or rows (true), in postorder: a slot comes after
    // every slot it reaches.
    // False (with nothing left marked) when more than `limit` slots are
    // reached: dense work is cheaper then.
    bool search(bool by_rows, std::size_t limit) const;
    void solve_forward(SparseVector& x, bool keep_spike, double density);
    void solve_backward(SparseVector& x, double density) const;
    bool update(int p, double pivot);
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
        for (std::size_t t = 0; t < col_rows[c].size(); ++t)
            if (!row_done[col_rows[c][t]]) big = std::max(big, std::fabs(col_values[c][t]));
        col_max[c] = big;
    }
    return col_max[c];
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
            row_cols[r].push_back({p, 0});
        } else {
            for (int t = a.start[var]; t < a.start[var + 1]; ++t) {
                if (a.value[t] == 0.0) continue;
                row_cols[a.row_index[t]].push_back({p, static_cast<int>(col_rows[p].size())});
                col_rows[p].push_back(a.row_index[t]);
                col_values[p].push_back(a.value[t]);
            }
        }
    }
    row_count.resize(m);
    col_count.resize(m);
    for (int r = 0; r < m; ++r) row_count[r] = static_cast<int>(row_cols[r].size());
    for (int p = 0; p < m; ++p) col_count[p] = static_cast<int>(col_rows[p].size());
    col_done.assign(m, 0);
    row_done.assign(m, 0);
    col_head.assign(m + 2, -1);
    row_head.assign(m + 2, -1);
    col_next.assign(m, -1);
    col_prev.assign(m, -1);
    col_count_of.assign(m, -1);
    row_next.assign(m, -1);
    row_prev.assign(m, -1);
    row_count_of.assign(m, -1);
    col_max.assign(m, -1.0);
    slot_in_column.assign(m, -1);
    for (int p = 0; p < m; ++p)
        bucket_insert(col_head, col_next, col_prev, col_count_of, p, static_cast<int>(col_rows[p].size()));
    for (int r = 0; r < m; ++r) bucket_insert(row_head, row_next, row_prev, row_count_of, r, row_count[r]);
}

void BasisFactor::Impl::pivot_on(int r, int c, int k) {
    bucket_remove(col_head, col_next, col_prev, col_count_of, c);
    bucket_remove(row_head, row_next, row_prev, row_count_of, r);
    slot_row[k] = r;
    slot_pos[k] = c;

    // The pivot column gives the eta of L; column c leaves the rows it
    // meets (lazily: only their counts change).
    double pivot = 0;
    const auto& pivot_rows = col_rows[c];
    for (std::size_t t = 0; t < pivot_rows.size(); ++t)
        if (pivot_rows[t] == r && !row_done[r]) pivot = col_values[c][t];
    diag[k] = pivot;
    col_done[c] = 1;
    row_done[r] = 1;
    const std::size_t l_first = l_row.size();
    for (std::size_t t = 0; t < pivot_rows.size(); ++t) {
        const int i = pivot_rows[t];
        if (row_done[i]) continue;
        l_row.push_back(i);
        l_value.push_back(col_values[c][t] / pivot);
        --row_count[i];
    }
    const std::size_t l_end = l_row.size();
    if (l_end > l_first) {
        l_pivot_row.push_back(r);
        l_start.push_back(static_cast<int>(l_end));
    }

    // The pivot row gives U's row; the rest of the active matrix is updated.
    for (const RowEntry e : row_cols[r]) {
        const int j = e.col;
        if (col_done[j]) continue;
        auto& rows = col_rows[j];
        auto& values = col_values[j];
        const double a_rj = values[e.slot];
        --col_count[j];
        u_entries.push_back({k, j, a_rj});
        if (l_end > l_first && a_rj != 0.0) {
            for (std::size_t t = 0; t < rows.size(); ++t)
                if (!row_done[rows[t]]) slot_in_column[rows[t]] = static_cast<int>(t);
            for (std::size_t t = l_first; t < l_end; ++t) {
                const int i = l_row[t];
                const double change = -l_value[t] * a_rj;
                if (slot_in_column[i] >= 0) {
                    values[slot_in_column[i]] += change;
                } else {
                    slot_in_column[i] = static_cast<int>(rows.size());
                    row_cols[i].push_back({j, static_cast<int>(rows.size())});
                    rows.push_back(i);
                    values.push_back(change);
                    ++row_count[i];
                    ++col_count[j];
                }
            }
            for (int i : rows) slot_in_column[i] = -1;
        }
        col_max[j] = -1.0;
        bucket_remove(col_head, col_next, col_prev, col_count_of, j);
        bucket_insert(col_head, col_next, col_prev, col_count_of, j, col_count[j]);
    }
    for (std::size_t t = l_first; t < l_end; ++t) {
        const int i = l_row[t];
        bucket_remove(row_head, row_next, row_prev, row_count_of, i);
        bucket_insert(row_head, row_next, row_prev, row_count_of, i, row_count[i]);
    }
    row_cols[r].clear();
}

// Runs the elimination; returns the number of pivots found (m when the
// basis is nonsingular).
int BasisFactor::Impl::eliminate() {
    slot_row.assign(m, -1);
    slot_pos.assign(m, -1);
    diag.assign(m, 0.0);
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
            for (int c = col_head[count]; c >= 0; c = col_next[c]) {
                const double big = column_max(c);
                if (big <= absolute_pivot) continue;
                for (std::size_t t = 0; t < col_rows[c].size(); ++t) {
                    const int r = col_rows[c][t];
                    if (row_done[r]) continue;
                    const double v = std::fabs(col_values[c][t]);
                    if (v < threshold * big || v <= absolute_pivot) continue;
                    const long merit = static_cast<long>(count - 1) * static_cast<long>(row_count[r] - 1);
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
            // Rows with `count` entries; their patterns are compacted on the way.
            for (int r = row_head[count]; r >= 0; r = row_next[r]) {
                auto& pattern = row_cols[r];
                std::size_t keep = 0;
                for (std::size_t t = 0; t < pattern.size(); ++t) {
                    const RowEntry e = pattern[t];
                    const int c = e.col;
                    if (col_done[c]) continue;
                    pattern[keep++] = e;
                    const double v = std::fabs(col_values[c][e.slot]);
                    const double big = column_max(c);
                    if (v < threshold * big || v <= absolute_pivot) continue;
                    const long merit = static_cast<long>(col_count[c] - 1) * static_cast<long>(count - 1);
                    if (best_merit < 0 || merit < best_merit) {
                        best_merit = merit;
                        best_r = r;
                        best_c = c;
                    }
                }
                pattern.resize(keep);
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
    slot_of_pos.assign(m, 0);
    row_of_pos.assign(m, 0);
    pos_of_row.assign(m, 0);
    for (int k = 0; k < m; ++k) {
        slot_of_pos[slot_pos[k]] = k;
        row_of_pos[slot_pos[k]] = slot_row[k];
        pos_of_row[slot_row[k]] = slot_pos[k];
    }
    order.resize(m);
    place.resize(m);
    for (int k = 0; k < m; ++k) order[k] = place[k] = k;
    col_start.assign(m, 0);
    col_len.assign(m, 0);
    for (const auto& e : u_entries)
        if (e.value != 0.0) ++col_len[slot_of_pos[e.position]];
    int at = 0;
    for (int k = 0; k < m; ++k) {
        col_start[k] = at;
        at += col_len[k];
    }
    u_row.resize(static_cast<std::size_t>(at));
    u_value.resize(static_cast<std::size_t>(at));
    std::vector<int> fill(col_start);
    u_rows.resize(m);
    for (auto& row : u_rows) row.clear();
    for (const auto& e : u_entries) {
        if (e.value == 0.0) continue;
        const int later = slot_of_pos[e.position];
        u_row[fill[later]] = slot_row[e.pivot];
        u_value[fill[later]++] = e.value;
        u_rows[slot_row[e.pivot]].push_back({later, e.value});
    }
    work_by_slot.assign(m, 0.0);
    slot_of_row.assign(m, 0);
    for (int k = 0; k < m; ++k) slot_of_row[slot_row[k]] = k;
    listed.assign(m, 0);
    visited.assign(m, 0);
    next_edge.assign(m, 0);
    list.clear();
    u_built = u_row.size();
    u_entries.clear();
    r_pivot_row.clear();
    r_start.assign(1, 0);
    r_row.clear();
    r_value.clear();
    updates = 0;
    spike_valid = false;
    multiplier.assign(m, 0.0);
}

void BasisFactor::Impl::solve_lower(double* v) const {
    const int etas_l = static_cast<int>(l_pivot_row.size());
    for (int e = 0; e < etas_l; ++e) {
        const double pivot_value = v[l_pivot_row[e]];
        if (pivot_value == 0.0) continue;
        for (int t = l_start[e]; t < l_start[e + 1]; ++t) v[l_row[t]] -= l_value[t] * pivot_value;
    }
    const int etas_r = static_cast<int>(r_pivot_row.size());
    for (int e = 0; e < etas_r; ++e) {
        double dot = 0;
        for (int t = r_start[e]; t < r_start[e + 1]; ++t) dot += r_value[t] * v[r_row[t]];
        v[r_pivot_row[e]] -= dot;
    }
}

bool BasisFactor::Impl::search(bool by_rows, std::size_t limit) const {
    reached.clear();
    for (int start_row : list) {
        const int start = slot_of_row[start_row];
        if (visited[start]) continue;
        visited[start] = 1;
        stack.push_back(start);
        next_edge[start] = 0;
        while (!stack.empty()) {
            const int k = stack.back();
            int child = -1;
            if (by_rows) {
                const auto& parts = u_rows[slot_row[k]];
                if (next_edge[k] < static_cast<int>(parts.size())) child = parts[next_edge[k]++].slot;
            } else if (next_edge[k] < col_len[k]) {
                child = slot_of_row[u_row[col_start[k] + next_edge[k]++]];
            }
            if (child < 0) {
                stack.pop_back();
                reached.push_back(k);
                if (reached.size() > limit) {
                    for (int done : reached) visited[done] = 0;
                    for (int open : stack) visited[open] = 0;
                    stack.clear();
                    return false;
                }
            } else if (!visited[child]) {
                visited[child] = 1;
                next_edge[child] = 0;
                stack.push_back(child);
            }
        }
    }
    for (int k : reached) visited[k] = 0;
    return true;
}

// B x = b: L and the row etas, U (values stay at their rows), then rows to
// positions with the index list rebuilt. A sparse right-hand side is
// followed through its nonzeros: lists through L and the row etas, a
// depth-first search for U.
void BasisFactor::Impl::solve_forward(SparseVector& x, bool keep_spike, double density) {
    double* v = x.value.data();
    bool sparse = x.count >= 0 && x.count < sparse_fraction * m && density < sparse_result;
    if (sparse) {
        list.clear();
        for (int k = 0; k < x.count; ++k) list_row(x.index[k]);
        const int etas_l = static_cast<int>(l_pivot_row.size());
        for (int e = 0; e < etas_l; ++e) {
            const double pivot_value = v[l_pivot_row[e]];
            if (pivot_value == 0.0) continue;
            for (int t = l_start[e]; t < l_start[e + 1]; ++t) {
                list_row(l_row[t]);
                v[l_row[t]] -= l_value[t] * pivot_value;
            }
        }
        const int etas_r = static_cast<int>(r_pivot_row.size());
        for (int e = 0; e < etas_r; ++e) {
            double dot = 0;
            for (int t = r_start[e]; t < r_start[e + 1]; ++t) dot += r_value[t] * v[r_row[t]];
            if (dot == 0.0) continue;
            list_row(r_pivot_row[e]);
            v[r_pivot_row[e]] -= dot;
        }
        for (int r : list) listed[r] = 0;
        if (list.size() > sparse_fraction * m) sparse = false;
    } else {
        solve_lower(v);
    }
    if (keep_spike) {
        spike_row.clear();
        spike_value.clear();
        if (sparse) {
            for (int r : list) {
                if (v[r] == 0.0) continue;
                spike_row.push_back(r);
                spike_value.push_back(v[r]);
            }
        } else {
            for (int r = 0; r < m; ++r) {
                if (v[r] == 0.0) continue;
                spike_row.push_back(r);
                spike_value.push_back(v[r]);
            }
        }
        spike_valid = true;
    }
    if (sparse) sparse = search(false, static_cast<std::size_t>(sparse_result * m));
    if (sparse) {
        for (auto it = reached.rbegin(); it != reached.rend(); ++it) {
            const int k = *it;
            const int r = slot_row[k];
            if (v[r] == 0.0) continue;
            const double xk = v[r] / diag[k];
            v[r] = xk;
            const int end = col_start[k] + col_len[k];
            for (int t = col_start[k]; t < end; ++t) v[u_row[t]] -= u_value[t] * xk;
        }
    } else {
        for (int idx = m - 1; idx >= 0; --idx) {
            const int k = order[idx];
            const int r = slot_row[k];
            if (v[r] == 0.0) continue;
            const double xk = v[r] / diag[k];
            v[r] = xk;
            const int end = col_start[k] + col_len[k];
            for (int t = col_start[k]; t < end; ++t) v[u_row[t]] -= u_value[t] * xk;
        }
    }
    // Rows to positions; the list of nonzeros on the way.
    if (static_cast<int>(x.index.size()) < m) x.index.resize(m);
    int count = 0;
    auto move_row = [&](int r) {
        const double value = v[r];
        if (value == 0.0) return;
        v[r] = 0.0;
        if (std::fabs(value) < tiny_value) return;
        const int p = pos_of_row[r];
        scratch[p] = value;
        x.index[count++] = p;
    };
    if (sparse) {
        for (int k : reached) move_row(slot_row[k]);
    } else {
        for (int r = 0; r < m; ++r) move_row(r);
    }
    x.value.swap(scratch);
    x.count = count;
}

// B^T y = c: positions to rows, U^T, the row etas backwards, then L^T.
// A sparse right-hand side is followed through U^T by a depth-first search
// over U's rows.
void BasisFactor::Impl::solve_backward(SparseVector& x, double density) const {
    double* v = x.value.data();
    bool sparse = x.count >= 0 && x.count < sparse_fraction * m && density < sparse_result;
    if (sparse) {
        list.clear();
        for (int k = 0; k < x.count; ++k) {
            const int p = x.index[k];
            if (v[p] == 0.0) continue;
            const int r = row_of_pos[p];
            scratch[r] = v[p];
            v[p] = 0.0;
            list.push_back(r);
        }
    } else {
        for (int p = 0; p < m; ++p) {
            if (v[p] != 0.0) {
                scratch[row_of_pos[p]] = v[p];
                v[p] = 0.0;
            }
        }
    }
    x.value.swap(scratch);
    v = x.value.data();
    auto solve_slot = [&](int k) {
        const int r = slot_row[k];
        if (v[r] == 0.0) return;
        const double yk = v[r] / diag[k];
        v[r] = yk;
        for (const RowPart& part : u_rows[r]) v[slot_row[part.slot]] -= part.value * yk;
    };
    if (sparse) sparse = search(true, static_cast<std::size_t>(sparse_result * m));
    if (sparse) {
        list.clear();
        for (auto it = reached.rbegin(); it != reached.rend(); ++it) {
            solve_slot(*it);
            list_row(slot_row[*it]);
        }
    } else {
        for (int idx = 0; idx < m; ++idx) solve_slot(order[idx]);
    }
    for (int e = static_cast<int>(r_pivot_row.size()) - 1; e >= 0; --e) {
        const double value = v[r_pivot_row[e]];
        if (value == 0.0) continue;
        for (int t = r_start[e]; t < r_start[e + 1]; ++t) {
            if (sparse) list_row(r_row[t]);
            v[r_row[t]] -= r_value[t] * value;
        }
    }
    for (int e = static_cast<int>(l_pivot_row.size()) - 1; e >= 0; --e) {
        double dot = 0;
        for (int t = l_start[e]; t < l_start[e + 1]; ++t) dot += l_value[t] * v[l_row[t]];
        if (dot == 0.0) continue;
        if (sparse) list_row(l_pivot_row[e]);
        v[l_pivot_row[e]] -= dot;
    }
    if (static_cast<int>(x.index.size()) < m) x.index.resize(m);
    int count = 0;
    auto keep_row = [&](int r) {
        double& value = v[r];
        if (value == 0.0) return;
        if (std::fabs(value) < tiny_value) {
            value = 0.0;
            return;
        }
        x.index[count++] = r;
    };
    if (sparse) {
        for (int r : list) {
            listed[r] = 0;
            keep_row(r);
        }
    } else {
        for (int r = 0; r < m; ++r) keep_row(r);
    }
    x.count = count;
}

bool BasisFactor::Impl::update(int p, double pivot) {
    if (!spike_valid || std::fabs(pivot) < update_pivot_limit || updates >= update_limit) return false;
    // Too much growth of U since the build: a fresh one is cheaper.
    if (u_row.size() > 3 * u_built + 10 * static_cast<std::size_t>(m)) return false;
    spike_valid = false;
    const int s = slot_of_pos[p];
    const int rs = slot_row[s];

    // Row rs of U leaves the columns it crosses and is eliminated with the
    // rows of the slots after s, in order: the multipliers form a row eta.
    for (const RowPart& part : u_rows[rs]) {
        work_by_slot[part.slot] = part.value;
        const int j = part.slot;
        const int first = col_start[j];
        int end = first + col_len[j];
        for (int t = first; t < end; ++t) {
            if (u_row[t] != rs) continue;
            --end;
            u_row[t] = u_row[end];
            u_value[t] = u_value[end];
            break;
        }
        col_len[j] = end - first;
    }
    u_rows[rs].clear();
    const std::size_t r_first = r_row.size();
    for (int idx = place[s] + 1; idx < m; ++idx) {
        const int j = order[idx];
        const double w = work_by_slot[j];
        if (w == 0.0) continue;
        work_by_slot[j] = 0.0;
        const double mult = w / diag[j];
        multiplier[slot_row[j]] = mult;
        r_row.push_back(slot_row[j]);
        r_value.push_back(mult);
        for (const RowPart& part : u_rows[slot_row[j]]) work_by_slot[part.slot] -= mult * part.value;
    }
    // The spike, transformed by the same row operation, is the new column.
    double new_diag = 0;
    for (std::size_t t = 0; t < spike_row.size(); ++t) {
        if (spike_row[t] == rs) new_diag += spike_value[t];
        else new_diag -= multiplier[spike_row[t]] * spike_value[t];
    }
    double biggest = 0;
    for (std::size_t t = r_first; t < r_row.size(); ++t) {
        multiplier[r_row[t]] = 0.0;
        biggest = std::max(biggest, std::fabs(r_value[t]));
    }
    // The update fails (and a build follows) when the new diagonal does not
    // match the determinant's change, or the row eta grows too large.
    const double expected = pivot * diag[s];
    if (!(std::fabs(new_diag - expected) <= update_agreement * std::max(std::fabs(new_diag), std::fabs(expected))) ||
        std::fabs(new_diag) < absolute_pivot || biggest > max_multiplier)
        return false;
    if (r_row.size() > r_first) {
        r_pivot_row.push_back(rs);
        r_start.push_back(static_cast<int>(r_row.size()));
    }
    for (int t = col_start[s]; t < col_start[s] + col_len[s]; ++t) {
        auto& row = u_rows[u_row[t]];
        for (std::size_t k = 0; k < row.size(); ++k) {
            if (row[k].slot != s) continue;
            row[k] = row.back();
            row.pop_back();
            break;
        }
    }
    col_start[s] = static_cast<int>(u_row.size());
    for (std::size_t t = 0; t < spike_row.size(); ++t) {
        if (spike_row[t] == rs || std::fabs(spike_value[t]) < tiny_value) continue;
        u_row.push_back(spike_row[t]);
        u_value.push_back(spike_value[t]);
        u_rows[spike_row[t]].push_back({s, spike_value[t]});
    }
    col_len[s] = static_cast<int>(u_row.size()) - col_start[s];
    diag[s] = new_diag;
    // Slot s goes to the end of the pivot order.
    for (int idx = place[s]; idx < m - 1; ++idx) {
        order[idx] = order[idx + 1];
        place[order[idx]] = idx;
    }
    order[m - 1] = s;
    place[s] = m - 1;
    ++updates;
    return true;
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
    impl_->updates = 0;
}

int BasisFactor::build(std::vector<int>& basic) {
    Impl& f = *impl_;
    int replaced = 0;
    for (int attempt = 0;; ++attempt) {
        f.load_basis(basic);
        const int found = f.eliminate();
        if (found == f.m) break;
        // Positions without a pivot take the logicals of rows without one.
        std::vector<char> row_done(f.m, 0), pos_done(f.m, 0);
        for (int k = 0; k < found; ++k) {
            row_done[f.slot_row[k]] = 1;
            pos_done[f.slot_pos[k]] = 1;
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

void BasisFactor::ftran(SparseVector& rhs, double density) const {
    // The solve keeps no spike unless asked; const_cast keeps the const
    // interface without a second copy of the code.
    const_cast<Impl&>(*impl_).solve_forward(rhs, false, density);
}

void BasisFactor::btran(SparseVector& rhs, double density) const { impl_->solve_backward(rhs, density); }

void BasisFactor::ftran_for_update(SparseVector& rhs, double density) { impl_->solve_forward(rhs, true, density); }

bool BasisFactor::update(int p, double pivot) { return impl_->update(p, pivot); }

int BasisFactor::rows() const { return impl_->m; }

int BasisFactor::updates_since_build() const { return impl_->updates; }

}  // namespace lpsens::factor
