// Debug checks of the factors: every row and position has one live pivot,
// U is upper triangular in pivot order and L lower triangular in build
// order, and the row and column copies of each hold the same entries.
#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "factor/lu_factors.h"

namespace lpsens::factor::detail {

namespace {

using Entry = std::tuple<int, int, double>;  // (row, position or row, value)

std::string entry_name(const Entry& e) {
    return "(" + std::to_string(std::get<0>(e)) + ", " + std::to_string(std::get<1>(e)) + ")";
}

// The first entry in one list but not the other, or a repeated one.
std::string compare_copies(std::vector<Entry>& by_rows, std::vector<Entry>& by_columns, const char* what) {
    std::sort(by_rows.begin(), by_rows.end());
    std::sort(by_columns.begin(), by_columns.end());
    for (std::size_t e = 1; e < by_rows.size(); ++e)
        if (std::get<0>(by_rows[e]) == std::get<0>(by_rows[e - 1]) &&
            std::get<1>(by_rows[e]) == std::get<1>(by_rows[e - 1]))
            return std::string(what) + ": entry " + entry_name(by_rows[e]) + " twice";
    if (by_rows != by_columns) {
        std::size_t e = 0;
        while (e < by_rows.size() && e < by_columns.size() && by_rows[e] == by_columns[e]) ++e;
        const Entry& differing = e < by_rows.size() ? by_rows[e] : by_columns[e];
        return std::string(what) + ": row and column copies differ at " + entry_name(differing);
    }
    return {};
}

}  // namespace

std::string LuFactors::check_invariants() const {
    if (!built) return {};
    const int pivots = static_cast<int>(pivot_row.size());
    std::vector<int> live_of_row(rows, -1);
    std::vector<int> live_of_position(rows, -1);
    int live = 0;
    for (int k = 0; k < pivots; ++k) {
        if (!pivot_live[k]) continue;
        ++live;
        const int r = pivot_row[k];
        const int p = pivot_position[k];
        if (r < 0 || r >= rows || p < 0 || p >= rows) return "pivot " + std::to_string(k) + " out of range";
        if (live_of_row[r] >= 0 || live_of_position[p] >= 0)
            return "row " + std::to_string(r) + " or position " + std::to_string(p) + " has two live pivots";
        live_of_row[r] = k;
        live_of_position[p] = k;
        if (!(std::isfinite(pivot_value[k]) && pivot_value[k] != 0.0))
            return "pivot " + std::to_string(k) + " has value " + std::to_string(pivot_value[k]);
    }
    if (live != rows) return std::to_string(live) + " live pivots for " + std::to_string(rows) + " rows";
    for (int i = 0; i < rows; ++i)
        if (pivot_of_row[i] != live_of_row[i] || pivot_of_position[i] != live_of_position[i])
            return "pivot_of_row or pivot_of_position wrong at " + std::to_string(i);

    // U: upper triangular in pivot order, both copies alike.
    std::vector<Entry> by_rows;
    std::vector<Entry> by_columns;
    for (int r = 0; r < rows; ++r)
        for (int e = ur_start[r]; e < ur_start[r] + ur_count[r]; ++e) {
            const int p = ur_position[e];
            if (p < 0 || p >= rows || pivot_of_position[p] <= pivot_of_row[r])
                return "U row " + std::to_string(r) + " has an entry at position " + std::to_string(p) +
                       " not after its pivot";
            if (!std::isfinite(ur_value[e])) return "U row " + std::to_string(r) + " has a value not finite";
            by_rows.emplace_back(r, p, ur_value[e]);
        }
    for (int k = 0; k < pivots; ++k) {
        if (!pivot_live[k]) continue;
        for (int e = uc_start[k]; e < uc_start[k] + uc_count[k]; ++e) {
            const int r = uc_row[e];
            if (r < 0 || r >= rows || pivot_of_row[r] >= k)
                return "U column of pivot " + std::to_string(k) + " has an entry in row " + std::to_string(r) +
                       " not before it";
            by_columns.emplace_back(r, pivot_position[k], uc_value[e]);
        }
    }
    if (std::string broken = compare_copies(by_rows, by_columns, "U"); !broken.empty()) return broken;

    // L: each eta's rows are pivoted after its own row in the build.
    by_rows.clear();
    by_columns.clear();
    for (std::size_t eta = 0; eta < l_pivot_row.size(); ++eta) {
        const int pivot = l_pivot_row[eta];
        if (l_eta_of_row[pivot] != static_cast<int>(eta)) return "L eta " + std::to_string(eta) + " not found by its row";
        for (int e = l_start[eta]; e < l_start[eta + 1]; ++e) {
            const int i = l_row[e];
            if (i < 0 || i >= rows || build_rank_of_row[i] <= build_rank_of_row[pivot])
                return "L eta of row " + std::to_string(pivot) + " has an entry in row " + std::to_string(i) +
                       " not pivoted later";
            if (!std::isfinite(l_value[e])) return "L has a value not finite";
            by_columns.emplace_back(i, pivot, l_value[e]);
        }
        if (eta > 0 && build_rank_of_row[pivot] <= build_rank_of_row[l_pivot_row[eta - 1]])
            return "L etas out of build order at " + std::to_string(eta);
    }
    for (int i = 0; i < rows; ++i)
        for (int e = lt_start[i]; e < lt_start[i + 1]; ++e) by_rows.emplace_back(i, lt_row[e], lt_value[e]);
    if (std::string broken = compare_copies(by_rows, by_columns, "L"); !broken.empty()) return broken;
    for (std::size_t s = 1; s < lt_order.size(); ++s)
        if (build_rank_of_row[lt_order[s]] >= build_rank_of_row[lt_order[s - 1]])
            return "rows of L's transpose out of order at " + std::to_string(s);

    // Row etas: multipliers of rows other than their own.
    for (std::size_t eta = 0; eta < r_pivot_row.size(); ++eta)
        for (int e = r_start[eta]; e < r_start[eta + 1]; ++e)
            if (r_row[e] == r_pivot_row[eta] || !std::isfinite(r_value[e]))
                return "row eta " + std::to_string(eta) + " is malformed";
    return {};
}

}  // namespace lpsens::factor::detail
