#include "exact/rational_lu.h"

#include <algorithm>
#include <limits>
#include <map>
#include <set>

namespace lpsens::exact {

RationalLu::RationalLu(const std::vector<std::vector<Entry>>& columns, int m,
                       std::chrono::steady_clock::time_point deadline)
    : m_(m), scale_(m, 1) {
    const bool timed = deadline != std::chrono::steady_clock::time_point::max();
    // The active submatrix by rows (values) and by columns (patterns), each
    // column scaled to whole numbers (by the least common multiple of its
    // denominators): B D is factorised, whose early eliminations are of
    // integers and far cheaper.
    std::vector<std::map<int, mpq_class>> rows(m);
    std::vector<std::set<int>> cols(m);
    for (int j = 0; j < m && j < static_cast<int>(columns.size()); ++j) {
        mpz_class& d = scale_[j];
        for (const Entry& e : columns[j]) mpz_lcm(d.get_mpz_t(), d.get_mpz_t(), e.value.get_den_mpz_t());
        for (const Entry& e : columns[j]) {
            rows[e.row][j] = e.value * d;
            cols[j].insert(e.row);
        }
    }
    // Columns and rows by their count, for the Markowitz search.
    std::set<std::pair<std::size_t, int>> by_count, rows_by_count;
    for (int j = 0; j < m; ++j) by_count.insert({cols[j].size(), j});
    for (int i = 0; i < m; ++i) rows_by_count.insert({rows[i].size(), i});
    std::vector<bool> row_done(m, false);
    steps_.reserve(m);
    for (int k = 0; k < m; ++k) {
        if (by_count.empty() || by_count.begin()->first == 0 || rows_by_count.begin()->first == 0) {
            singular_ = true;
            return;
        }
        if (timed && k % 16 == 0 && std::chrono::steady_clock::now() >= deadline) {
            out_of_time_ = true;
            steps_.clear();
            return;
        }
        // A row singleton (no fill, no arithmetic), else the least
        // Markowitz count among the first few sparsest columns.
        long best = std::numeric_limits<long>::max();
        int pivot_row = -1, pivot_col = -1;
        if (!rows_by_count.empty() && rows_by_count.begin()->first == 1) {
            pivot_row = rows_by_count.begin()->second;
            pivot_col = rows[pivot_row].begin()->first;
            best = 0;
        }
        int looked = best == 0 ? 4 : 0;
        for (auto it = by_count.begin(); it != by_count.end() && looked < 4; ++it, ++looked) {
            const int j = it->second;
            const long col_count = static_cast<long>(it->first) - 1;
            for (const int i : cols[j]) {
                const long cost = col_count * (static_cast<long>(rows[i].size()) - 1);
                if (cost < best) {
                    best = cost;
                    pivot_row = i;
                    pivot_col = j;
                }
            }
            if (best == 0) break;
        }
        Step step;
        step.row = pivot_row;
        step.col = pivot_col;
        step.pivot = rows[pivot_row][pivot_col];
        std::map<int, mpq_class>& prow = rows[pivot_row];
        for (const auto& [j, v] : prow)
            if (j != pivot_col) step.upper.emplace_back(j, v);
        // The other rows of the pivot column lose their entry there.
        rows_by_count.erase({prow.size(), pivot_row});
        for (const int i : cols[pivot_col]) {
            if (i == pivot_row) continue;
            rows_by_count.erase({rows[i].size(), i});
            mpq_class multiplier = rows[i][pivot_col] / step.pivot;
            rows[i].erase(pivot_col);
            for (const auto& [j, v] : step.upper) {
                mpq_class& target = rows[i][j];
                const bool fill = target == 0 && !cols[j].count(i);
                target -= multiplier * v;
                if (target == 0) {
                    rows[i].erase(j);
                    if (!fill) {
                        by_count.erase({cols[j].size(), j});
                        cols[j].erase(i);
                        by_count.insert({cols[j].size(), j});
                    }
                } else if (fill) {
                    by_count.erase({cols[j].size(), j});
                    cols[j].insert(i);
                    by_count.insert({cols[j].size(), j});
                }
            }
            step.lower.push_back({i, std::move(multiplier)});
            rows_by_count.insert({rows[i].size(), i});
        }
        // The pivot row and column leave the active submatrix.
        for (const auto& [j, v] : step.upper) {
            by_count.erase({cols[j].size(), j});
            cols[j].erase(pivot_row);
            by_count.insert({cols[j].size(), j});
        }
        by_count.erase({cols[pivot_col].size(), pivot_col});
        cols[pivot_col].clear();
        prow.clear();
        row_done[pivot_row] = true;
        steps_.push_back(std::move(step));
    }
}

void RationalLu::solve(std::vector<mpq_class>& b) const {
    // L: the eliminations in order.
    for (const Step& s : steps_) {
        if (b[s.row] == 0) continue;
        for (const Entry& e : s.lower) b[e.row] -= e.value * b[s.row];
    }
    // U: the pivots backwards; x by column.
    std::vector<mpq_class> x(m_);
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it) {
        mpq_class v = b[it->row];
        for (const auto& [j, u] : it->upper) v -= u * x[j];
        x[it->col] = v / it->pivot;
    }
    for (int j = 0; j < m_; ++j)
        if (scale_[j] != 1 && x[j] != 0) x[j] *= scale_[j];
    b = std::move(x);
}

void RationalLu::solve_transpose(std::vector<mpq_class>& c) const {
    // U^T: the pivots in order; w by pivot row.
    std::vector<mpq_class> w(m_);
    std::vector<mpq_class> rest = c;  // by column, what is left of D c
    for (int j = 0; j < m_; ++j)
        if (scale_[j] != 1 && rest[j] != 0) rest[j] *= scale_[j];
    for (const Step& s : steps_) {
        const mpq_class v = rest[s.col] / s.pivot;
        for (const auto& [j, u] : s.upper) rest[j] -= u * v;
        w[s.row] = v;
    }
    // L^T: the eliminations backwards.
    for (auto it = steps_.rbegin(); it != steps_.rend(); ++it)
        for (const Entry& e : it->lower) w[it->row] -= e.value * w[e.row];
    c = std::move(w);
}

}  // namespace lpsens::exact
