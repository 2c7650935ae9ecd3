// The triangular part of a basis: logicals first, then column singletons
// (which add nothing to L) and row singletons (which add a column to L but no
// fill), repeated while the active submatrix has any. Simplex bases are mostly
// triangular, so this usually leaves a small nucleus or none.
#include <cmath>

#include "factor/lu_factors.h"

namespace lpsens::factor::detail {

namespace {

// Takes the pivot of a column with one active row: U's row is the rest of
// the pivot row; the other columns of that row lose an active entry.
bool take_column_singleton(BasisCopy& c, PivotSequence& s, int p, double tolerance, std::vector<int>& column_queue) {
    int r = -1;
    double v = 0;
    for (int e = c.col_start[p]; e < c.col_start[p + 1]; ++e)
        if (c.row_active[c.col_row[e]]) {
            r = c.col_row[e];
            v = c.col_value[e];
            break;
        }
    if (r < 0 || std::fabs(v) < tolerance) return false;
    s.open_pivot(r, p, v);
    for (int e = c.row_start[r]; e < c.row_start[r + 1]; ++e) {
        const int q = c.row_position[e];
        if (q == p || !c.col_active[q]) continue;
        s.u_position.push_back(q);
        s.u_value.push_back(c.row_value[e]);
        if (--c.col_count[q] == 1) column_queue.push_back(q);
    }
    s.close_pivot();
    c.row_active[r] = 0;
    c.col_active[p] = 0;
    c.row_count[r] = 0;
    c.col_count[p] = 0;
    return true;
}

// Takes the pivot of a row with one active column: L gets the column's other
// entries divided by the pivot; their rows lose an active entry. No threshold
// test: the row has no other active entry, so the step changes nothing in the
// active submatrix, and applying the multipliers computes what forward
// substitution with the triangular part would (backward stable however large
// they are).
bool take_row_singleton(BasisCopy& c, PivotSequence& s, int r, const FactorOptions& options,
                        std::vector<int>& row_queue) {
    int p = -1;
    double v = 0;
    for (int e = c.row_start[r]; e < c.row_start[r + 1]; ++e)
        if (c.col_active[c.row_position[e]]) {
            p = c.row_position[e];
            v = c.row_value[e];
            break;
        }
    if (p < 0 || std::fabs(v) < options.pivot_tolerance) return false;
    s.open_pivot(r, p, v);
    for (int e = c.col_start[p]; e < c.col_start[p + 1]; ++e) {
        const int i = c.col_row[e];
        if (i == r || !c.row_active[i]) continue;
        s.l_row.push_back(i);
        s.l_value.push_back(c.col_value[e] / v);
        if (--c.row_count[i] == 1) row_queue.push_back(i);
    }
    s.close_pivot();
    c.row_active[r] = 0;
    c.col_active[p] = 0;
    c.row_count[r] = 0;
    c.col_count[p] = 0;
    return true;
}

}  // namespace

void LuFactors::pivot_singletons() {
    BasisCopy& c = copy;
    PivotSequence& s = sequence;
    std::vector<int> column_queue;
    std::vector<int> row_queue;
    // Columns of one entry (the logicals among them) while their row is free;
    // a second logical of the same row is left without a pivot.
    for (int p = 0; p < rows; ++p) {
        if (c.col_start[p + 1] - c.col_start[p] != 1 || c.col_count[p] != 1) continue;
        if (take_column_singleton(c, s, p, options.pivot_tolerance, column_queue)) ++stats.logical_pivots;
    }
    for (int p = 0; p < rows; ++p)
        if (c.col_active[p] && c.col_count[p] == 1) column_queue.push_back(p);
    for (int r = 0; r < rows; ++r)
        if (c.row_active[r] && c.row_count[r] == 1) row_queue.push_back(r);
    // Column singletons first (they add nothing to L), then row singletons;
    // each pivot may make new singletons of either kind.
    std::size_t next_column = 0;
    std::size_t next_row = 0;
    while (next_column < column_queue.size() || next_row < row_queue.size()) {
        if (next_column < column_queue.size()) {
            const int p = column_queue[next_column++];
            if (c.col_active[p] && c.col_count[p] == 1 &&
                take_column_singleton(c, s, p, options.pivot_tolerance, column_queue))
                ++stats.singleton_pivots;
            continue;
        }
        const int r = row_queue[next_row++];
        if (c.row_active[r] && c.row_count[r] == 1 && take_row_singleton(c, s, r, options, row_queue))
            ++stats.singleton_pivots;
    }
}

}  // namespace lpsens::factor::detail
