#include "presolve/work_lp.h"

#include <cmath>

namespace lpsens::presolve {

WorkLp::WorkLp(const revised::LpData& lp)
    : rows(lp.rows), cols(lp.cols), sense(lp.sense == revised::Sense::maximise ? -1.0 : 1.0), offset(lp.offset),
      by_col(static_cast<std::size_t>(lp.cols)), by_row(static_cast<std::size_t>(lp.rows)),
      row_on(static_cast<std::size_t>(lp.rows), 1), col_on(static_cast<std::size_t>(lp.cols), 1),
      row_count(static_cast<std::size_t>(lp.rows), 0), col_count(static_cast<std::size_t>(lp.cols), 0),
      cost(lp.cost), col_lower(lp.col_lower), col_upper(lp.col_upper), row_lower(lp.row_lower),
      row_upper(lp.row_upper), row_version_(static_cast<std::size_t>(lp.rows), 1),
      activity_version_(static_cast<std::size_t>(lp.rows), 0), activity_(static_cast<std::size_t>(lp.rows)) {
    // A row met twice in a column counts once, with the sum of its entries.
    std::vector<int> slot(rows, -1);
    for (int j = 0; j < cols; ++j) {
        std::vector<Entry>& column = by_col[j];
        for (int k = lp.start[j]; k < lp.start[j + 1]; ++k) {
            const int i = lp.row_index[k];
            if (slot[i] >= 0) column[slot[i]].value += lp.value[k];
            else {
                slot[i] = static_cast<int>(column.size());
                column.push_back({i, lp.value[k]});
            }
        }
        std::size_t kept = 0;
        for (const Entry& e : column) {
            slot[e.index] = -1;
            if (e.value != 0) column[kept++] = e;
        }
        column.resize(kept);
        for (const Entry& e : column) {
            by_row[e.index].push_back({j, e.value});
            ++col_count[j];
            ++row_count[e.index];
        }
    }
}

void WorkLp::remove_row(int i) {
    row_on[i] = 0;
    for (const Entry& e : by_row[i])
        if (col_on[e.index]) --col_count[e.index];
}

void WorkLp::remove_col(int j) {
    col_on[j] = 0;
    for (const Entry& e : by_col[j])
        if (row_on[e.index]) {
            --row_count[e.index];
            touch_row(e.index);
        }
}

namespace {

bool erase_entry(std::vector<Entry>& list, int index) {
    for (std::size_t k = 0; k < list.size(); ++k)
        if (list[k].index == index) {
            list[k] = list.back();
            list.pop_back();
            return true;
        }
    return false;
}

}  // namespace

void WorkLp::add_to_entry(int i, int j, double delta) {
    touch_row(i);
    scanned_ += static_cast<long long>(by_row[i].size() + by_col[j].size());
    for (Entry& e : by_row[i]) {
        if (e.index != j) continue;
        const double sum = e.value + delta;
        if (std::fabs(sum) <= 1e-12 * std::max(std::fabs(e.value), std::fabs(delta))) {
            erase_entry(by_row[i], j);
            erase_entry(by_col[j], i);
            --row_count[i];
            --col_count[j];
            return;
        }
        e.value = sum;
        for (Entry& c : by_col[j])
            if (c.index == i) c.value = sum;
        return;
    }
    by_row[i].push_back({j, delta});
    by_col[j].push_back({i, delta});
    ++row_count[i];
    ++col_count[j];
}

void WorkLp::set_col_bounds(int j, double lower, double upper) {
    col_lower[j] = lower;
    col_upper[j] = upper;
    touch_col_rows(j);
}

void WorkLp::touch_col_rows(int j) {
    for (const Entry& e : by_col[j])
        if (row_on[e.index]) touch_row(e.index);
}

void add_to_activity(Activity& a, double coef, double lower, double upper, int sign) {
    const double low = coef > 0 ? lower : upper;
    const double high = coef > 0 ? upper : lower;
    if (std::isinf(low)) a.min_infinite += sign;
    else a.min += sign * coef * low;
    if (std::isinf(high)) a.max_infinite += sign;
    else a.max += sign * coef * high;
}

const Activity& WorkLp::activity(int i) {
    if (activity_version_[i] != row_version_[i]) {
        Activity a;
        for (const Entry& e : by_row[i])
            if (col_on[e.index]) add_to_activity(a, e.value, col_lower[e.index], col_upper[e.index]);
        activity_[i] = a;
        activity_version_[i] = row_version_[i];
    }
    return activity_[i];
}

const Entry* WorkLp::first_in_row(int i) const {
    for (const Entry& e : by_row[i])
        if (col_on[e.index]) return &e;
    return nullptr;
}

}  // namespace lpsens::presolve
