// The build of the factors: the basis is copied, its logical and singleton
// pivots are taken, the nucleus that remains is factorised by Markowitz
// search, positions left without a pivot get logicals, and the pivot sequence
// is stored as L, U and their transposed copies.
#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "factor/lu_factors.h"

namespace lpsens::factor::detail {

void PivotSequence::clear() {
    row.clear();
    position.clear();
    value.clear();
    l_start.assign(1, 0);
    l_row.clear();
    l_value.clear();
    u_start.assign(1, 0);
    u_position.clear();
    u_value.clear();
}

void PivotSequence::open_pivot(int pivot_row, int pivot_position, double pivot_value) {
    row.push_back(pivot_row);
    position.push_back(pivot_position);
    value.push_back(pivot_value);
}

void PivotSequence::close_pivot() {
    l_start.push_back(static_cast<int>(l_row.size()));
    u_start.push_back(static_cast<int>(u_position.size()));
}

void LuFactors::setup(const MatrixView& matrix) {
    a = matrix;
    rows = matrix.rows;
    built = false;
    spike.resize(rows);
    work.mark.assign(rows, 0);
    work.reach.assign(rows + 1, 0);
    work.stack_node.assign(rows + 1, 0);
    work.stack_edge.assign(rows + 1, 0);
    work.result.resize(rows);
    work.eta_rhs.resize(rows);
    work.eta.resize(rows);
}

void LuFactors::copy_basis(const std::vector<int>& basic) {
    const int m = rows;
    if (static_cast<int>(basic.size()) != m)
        throw std::invalid_argument("basis of " + std::to_string(basic.size()) + " columns for " +
                                    std::to_string(m) + " rows");
    BasisCopy& c = copy;
    c.col_start.assign(m + 1, 0);
    c.col_row.clear();
    c.col_value.clear();
    c.row_start.assign(m + 1, 0);
    for (int p = 0; p < m; ++p) {
        const int j = basic[p];
        if (j < 0 || j >= a.cols + m)
            throw std::out_of_range("basic column " + std::to_string(j) + " at position " + std::to_string(p));
        if (j >= a.cols) {
            c.col_row.push_back(j - a.cols);
            c.col_value.push_back(1.0);
        } else {
            for (int e = a.start[j]; e < a.start[j + 1]; ++e) {
                if (a.value[e] == 0.0) continue;
                c.col_row.push_back(a.row_index[e]);
                c.col_value.push_back(a.value[e]);
            }
        }
        c.col_start[p + 1] = static_cast<int>(c.col_row.size());
    }
    // Row-wise copy by counting.
    const std::size_t entries = c.col_row.size();
    for (std::size_t e = 0; e < entries; ++e) ++c.row_start[c.col_row[e] + 1];
    for (int r = 0; r < m; ++r) c.row_start[r + 1] += c.row_start[r];
    c.row_position.resize(entries);
    c.row_value.resize(entries);
    c.row_count.assign(m, 0);
    for (int p = 0; p < m; ++p)
        for (int e = c.col_start[p]; e < c.col_start[p + 1]; ++e) {
            const int r = c.col_row[e];
            const int slot = c.row_start[r] + c.row_count[r]++;
            c.row_position[slot] = p;
            c.row_value[slot] = c.col_value[e];
        }
    c.col_count.resize(m);
    for (int p = 0; p < m; ++p)
        c.col_count[p] =
            c.col_start[p + 1] - c.col_start[p];
    c.row_active.assign(m, 1);
    c.col_active.assign(m, 1);
    stats = FactorStats{};
    stats.rows = m;
    stats.basis_entries = static_cast<int>(entries);
}

int LuFactors::build(std::vector<int>& basic) {
    built = false;
    spike_ready = false;
    sequence.clear();
    copy_basis(basic);
    pivot_singletons();
    factorise_nucleus();
    const int deficiency = repair_deficiency(basic);
    store_factors();
    built = true;
    return deficiency;
}

int LuFactors::repair_deficiency(std::vector<int>& basic) {
    // Columns and rows still active had no acceptable pivot; pair them in
    // increasing order. Each such logical comes last: L^-1 leaves its unit
    // column alone (its row is no pivot row of L) and no later pivot exists.
    int deficiency = 0;
    for (int p = 0; p < rows; ++p) deficiency += copy.col_active[p];
    stats.rank_deficiency = deficiency;
    if (deficiency == 0) return 0;
    // U's rows may hold entries of those columns (they were active when the
    // rows were pivoted); a unit column has none there.
    PivotSequence& s = sequence;
    int kept = 0;
    for (int k = 0; k < s.size(); ++k) {
        const int begin = s.u_start[k];
        const int end = s.u_start[k + 1];
        s.u_start[k] = kept;
        for (int e = begin; e < end; ++e)
            if (!copy.col_active[s.u_position[e]]) {
                s.u_position[kept] = s.u_position[e];
                s.u_value[kept++] = s.u_value[e];
            }
    }
    s.u_start[s.size()] = kept;
    s.u_position.resize(kept);
    s.u_value.resize(kept);
    int r = 0;
    for (int p = 0; p < rows; ++p) {
        if (!copy.col_active[p]) continue;
        while (!copy.row_active[r]) ++r;
        basic[p] = a.cols + r;
        sequence.open_pivot(r, p, 1.0);
        sequence.close_pivot();
        copy.col_active[p] = 0;
        copy.row_active[r] = 0;
    }
    return deficiency;
}

void LuFactors::store_pivots() {
    const int m = rows;
    const PivotSequence& s = sequence;
    pivot_row = s.row;
    pivot_position = s.position;
    pivot_value = s.value;
    pivot_live.assign(m, 1);
    pivot_of_row.resize(m);
    pivot_of_position.resize(m);
    build_rank_of_row.resize(m);
    for (int k = 0; k < m; ++k) {
        pivot_of_row[s.row[k]] = k;
        pivot_of_position[s.position[k]] = k;
        build_rank_of_row[s.row[k]] = k;
    }
    u_largest = 0;
    for (double v : s.value) u_largest = std::max(u_largest, std::fabs(v));
}

// L column-wise, only the etas with entries.
void LuFactors::store_l_columns() {
    const int m = rows;
    const PivotSequence& s = sequence;
    l_pivot_row.clear();
    l_start.assign(1, 0);
    l_row.clear();
    l_value.clear();
    l_eta_of_row.assign(m, -1);
    for (int k = 0; k < m; ++k) {
        const int begin = s.l_start[k];
        const int end = s.l_start[k + 1];
        if (begin == end) continue;
        l_eta_of_row[s.row[k]] = static_cast<int>(l_pivot_row.size());
        l_pivot_row.push_back(s.row[k]);
        l_row.insert(l_row.end(), s.l_row.begin() + begin, s.l_row.begin() + end);
        l_value.insert(l_value.end(), s.l_value.begin() + begin, s.l_value.begin() + end);
        l_start.push_back(static_cast<int>(l_row.size()));
    }
}

// L row-wise, from its columns; and the rows with entries, latest pivot first.
void LuFactors::store_l_rows() {
    const int m = rows;
    const std::size_t l_entries = l_row.size();
    lt_start.assign(m + 1, 0);
    for (std::size_t e = 0; e < l_entries; ++e) ++lt_start[l_row[e] + 1];
    for (int r = 0; r < m; ++r) lt_start[r + 1] += lt_start[r];
    lt_row.resize(l_entries);
    lt_value.resize(l_entries);
    {
        std::vector<int> fill(lt_start.begin(), lt_start.end() - 1);
        for (std::size_t eta = 0; eta < l_pivot_row.size(); ++eta)
            for (int e = l_start[eta]; e < l_start[eta + 1]; ++e) {
                const int slot = fill[l_row[e]]++;
                lt_row[slot] = l_pivot_row[eta];
                lt_value[slot] = l_value[e];
            }
    }
    lt_order.clear();
    for (int k = m - 1; k >= 0; --k) {
        const int r = sequence.row[k];
        if (lt_start[r + 1] > lt_start[r]) lt_order.push_back(r);
    }
}

// U row-wise, by row, exactly as long as needed; updates move a row that
// grows to the end of the pool. The sequence is scratch: it takes the old
// arrays.
void LuFactors::store_u_rows() {
    const int m = rows;
    PivotSequence& s = sequence;
    ur_start.resize(m);
    ur_count.resize(m);
    ur_room.resize(m);
    ur_position.swap(s.u_position);
    ur_value.swap(s.u_value);
    for (int k = 0; k < m; ++k) {
        const int r = s.row[k];
        ur_start[r] = s.u_start[k];
        ur_count[r] = s.u_start[k + 1] - s.u_start[k];
        ur_room[r] = ur_count[r];
    }
    for (double v : ur_value) u_largest = std::max(u_largest, std::fabs(v));
}

// U column-wise, by pivot, from its rows.
void LuFactors::store_u_columns() {
    const int m = rows;
    const PivotSequence& s = sequence;
    const std::size_t u_entries = ur_position.size();
    uc_start.assign(m + 1, 0);
    uc_count.assign(m, 0);
    for (std::size_t e = 0; e < u_entries; ++e) ++uc_count[pivot_of_position[ur_position[e]]];
    for (int k = 0; k < m; ++k) uc_start[k + 1] = uc_start[k] + uc_count[k];
    uc_start.pop_back();
    uc_row.resize(u_entries);
    uc_value.resize(u_entries);
    std::vector<int> fill(uc_start.begin(), uc_start.end());
    for (int k = 0; k < m; ++k)
        for (int e = s.u_start[k]; e < s.u_start[k + 1]; ++e) {
            const int j = pivot_of_position[ur_position[e]];
            const int slot = fill[j]++;
            uc_row[slot] = s.row[k];
            uc_value[slot] = ur_value[e];
        }
}

void LuFactors::store_factors() {
    store_pivots();
    store_l_columns();
    store_l_rows();
    store_u_rows();
    store_u_columns();
    // No row etas yet.
    r_pivot_row.clear();
    r_start.assign(1, 0);
    r_row.clear();
    r_value.clear();

    stats.l_entries = static_cast<int>(l_row.size());
    stats.u_entries = static_cast<int>(ur_position.size());
    stats.updates = 0;
    stats.update_entries = 0;
}

}  // namespace lpsens::factor::detail
