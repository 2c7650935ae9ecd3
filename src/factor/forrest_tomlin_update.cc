// The Forrest-Tomlin update: the column at basis position p is replaced by
// the one solved last by ftran_for_update. Its spike s = R L^-1 a (the column
// through L and the row etas) replaces p's column of U. Moving p's pivot to
// the end of the order leaves its row r with entries left of the diagonal:
// the row of U at r, which a row eta eliminates using the rows of the later
// pivots. The multipliers solve U^T eta = (row r of U), restricted to those
// pivots; the new diagonal is s[r] - sum eta_j s[r_j], and must equal the old
// diagonal times the pivot of the solved column.
#include <cmath>

#include "factor/lu_factors.h"

namespace lpsens::factor::detail {

void LuFactors::remove_from_u_row(int row, int position) {
    const int begin = ur_start[row];
    const int last = begin + ur_count[row] - 1;
    for (int e = begin; e <= last; ++e)
        if (ur_position[e] == position) {
            ur_position[e] = ur_position[last];
            ur_value[e] = ur_value[last];
            --ur_count[row];
            return;
        }
}

void LuFactors::remove_from_u_column(int pivot, int row) {
    const int begin = uc_start[pivot];
    const int last = begin + uc_count[pivot] - 1;
    for (int e = begin; e <= last; ++e)
        if (uc_row[e] == row) {
            uc_row[e] = uc_row[last];
            uc_value[e] = uc_value[last];
            --uc_count[pivot];
            return;
        }
}

void LuFactors::append_to_u_row(int row, int position, double value) {
    if (ur_count[row] == ur_room[row]) {
        // Moves the row to the end of the pool with room to grow.
        const int start = static_cast<int>(ur_position.size());
        const int room = 2 * ur_count[row] + 4;
        ur_position.resize(ur_position.size() + static_cast<std::size_t>(room));
        ur_value.resize(ur_position.size());
        for (int e = 0; e < ur_count[row]; ++e) {
            ur_position[start + e] = ur_position[ur_start[row] + e];
            ur_value[start + e] = ur_value[ur_start[row] + e];
        }
        ur_start[row] = start;
        ur_room[row] = room;
    }
    const int slot = ur_start[row] + ur_count[row]++;
    ur_position[slot] = position;
    ur_value[slot] = value;
}

bool LuFactors::update(int p, double pivot) {
    if (!built || !spike_ready || p < 0 || p >= rows) return false;
    spike_ready = false;  // one spike serves one update
    if (stats.updates >= options.update_limit) return false;
    if (!(std::fabs(pivot) > options.update_pivot_tolerance * spike_result_largest)) return false;
    if (spike_largest > options.growth_limit * spike_column_largest) return false;

    const int t = pivot_of_position[p];
    const int r = pivot_row[t];
    // The multipliers of the row eta, by the rows of the later pivots.
    SparseVector& row_of_u = work.eta_rhs;
    SparseVector& eta = work.eta;
    for (int e = ur_start[r]; e < ur_start[r] + ur_count[r]; ++e) {
        row_of_u.value[ur_position[e]] = ur_value[e];
        row_of_u.index[row_of_u.count++] = ur_position[e];
    }
    solve_ut(row_of_u, eta, use_hyper(row_of_u, 0.0), t + 1);
    double diagonal = spike.value[r];
    for (int s = 0; s < eta.count; ++s) diagonal -= eta.value[eta.index[s]] * spike.value[eta.index[s]];
    const double expected = pivot_value[t] * pivot;
    if (!(std::fabs(diagonal - expected) <= options.update_accuracy_tolerance * std::fabs(expected))) {
        eta.clear();
        return false;
    }

    // The row eta.
    r_pivot_row.push_back(r);
    for (int s = 0; s < eta.count; ++s) {
        r_row.push_back(eta.index[s]);
        r_value.push_back(eta.value[eta.index[s]]);
    }
    r_start.push_back(static_cast<int>(r_row.size()));
    stats.update_entries += eta.count;
    eta.clear();

    // Out of U: the old column at p and the row at r, both copies.
    for (int e = uc_start[t]; e < uc_start[t] + uc_count[t]; ++e) remove_from_u_row(uc_row[e], p);
    for (int e = ur_start[r]; e < ur_start[r] + ur_count[r]; ++e)
        remove_from_u_column(pivot_of_position[ur_position[e]], r);
    ur_count[r] = 0;
    pivot_live[t] = 0;

    // The spike becomes the column of a new last pivot.
    const int k = static_cast<int>(pivot_row.size());
    pivot_row.push_back(r);
    pivot_position.push_back(p);
    pivot_value.push_back(diagonal);
    pivot_live.push_back(1);
    uc_start.push_back(static_cast<int>(uc_row.size()));
    int count = 0;
    for (int s = 0; s < spike.count; ++s) {
        const int i = spike.index[s];
        const double v = spike.value[i];
        if (i == r || v == 0.0) continue;
        uc_row.push_back(i);
        uc_value.push_back(v);
        append_to_u_row(i, p, v);
        ++count;
    }
    uc_count.push_back(count);
    pivot_of_row[r] = k;
    pivot_of_position[p] = k;
    stats.update_entries += count;
    ++stats.updates;
    return true;
}

}  // namespace lpsens::factor::detail
