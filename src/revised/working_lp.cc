#include "revised/working_lp.h"

#include <cmath>

namespace lpsens::revised {

void WorkingLp::set_cost(int col, double cost) { cost_by_var[col] = cost_sign * cost * var_scale[col]; }

void WorkingLp::set_col_bounds(int col, double lower, double upper) {
    lower_by_var[col] = lower / var_scale[col];
    upper_by_var[col] = upper / var_scale[col];
}

void WorkingLp::set_row_bounds(int row, double lower, double upper) {
    // s = -r, scaled by the row factor.
    lower_by_var[cols + row] = -upper * row_scale[row];
    upper_by_var[cols + row] = -lower * row_scale[row];
}

WorkingLp build_working_lp(const LpData& lp, const Scaling& scaling) {
    WorkingLp w;
    w.rows = lp.rows;
    w.cols = lp.cols;
    w.cost_sign = lp.sense == Sense::minimise ? 1.0 : -1.0;
    w.row_scale = scaling.row_scale;
    w.var_scale.resize(w.vars());
    for (int j = 0; j < lp.cols; ++j) w.var_scale[j] = scaling.col_scale[j];
    for (int i = 0; i < lp.rows; ++i) w.var_scale[lp.cols + i] = 1.0 / scaling.row_scale[i];

    // Columns, with duplicate entries summed and zeros dropped.
    std::vector<int> slot(lp.rows, -1);
    w.col_start.assign(1, 0);
    w.col_row.reserve(lp.nonzeros());
    w.col_value.reserve(lp.nonzeros());
    for (int j = 0; j < lp.cols; ++j) {
        const auto first = w.col_row.size();
        for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) {
            const int i = lp.row_index[t];
            const double v = lp.value[t] * scaling.row_scale[i] * scaling.col_scale[j];
            if (slot[i] >= 0) {
                w.col_value[slot[i]] += v;
            } else {
                slot[i] = static_cast<int>(w.col_row.size());
                w.col_row.push_back(i);
                w.col_value.push_back(v);
            }
        }
        // Clear the slots, then squeeze out entries that are zero.
        auto keep = first;
        for (auto t = first; t < w.col_row.size(); ++t) {
            slot[w.col_row[t]] = -1;
            if (w.col_value[t] == 0.0) continue;
            w.col_row[keep] = w.col_row[t];
            w.col_value[keep] = w.col_value[t];
            ++keep;
        }
        w.col_row.resize(keep);
        w.col_value.resize(keep);
        w.col_start.push_back(static_cast<int>(keep));
    }

    // The row-wise copy.
    w.row_start.assign(lp.rows + 1, 0);
    for (int i : w.col_row) ++w.row_start[i + 1];
    for (int i = 0; i < lp.rows; ++i) w.row_start[i + 1] += w.row_start[i];
    w.row_col.resize(w.col_row.size());
    w.row_value.resize(w.col_row.size());
    std::vector<int> next(w.row_start.begin(), w.row_start.end() - 1);
    for (int j = 0; j < lp.cols; ++j) {
        for (int t = w.col_start[j]; t < w.col_start[j + 1]; ++t) {
            const int at = next[w.col_row[t]]++;
            w.row_col[at] = j;
            w.row_value[at] = w.col_value[t];
        }
    }

    w.cost_by_var.assign(w.vars(), 0.0);
    w.lower_by_var.resize(w.vars());
    w.upper_by_var.resize(w.vars());
    for (int j = 0; j < lp.cols; ++j) {
        w.set_cost(j, lp.cost[j]);
        w.set_col_bounds(j, lp.col_lower[j], lp.col_upper[j]);
    }
    for (int i = 0; i < lp.rows; ++i) w.set_row_bounds(i, lp.row_lower[i], lp.row_upper[i]);
    return w;
}

}  // namespace lpsens::revised
