#include "revised/scaling.h"

#include <algorithm>
#include <cmath>

namespace lpsens::revised {

namespace {

constexpr int max_passes = 8;
constexpr double min_factor = 0x1p-40;
constexpr double max_factor = 0x1p40;

double nearest_power_of_two(double s) {
    if (!(s > 0) || !std::isfinite(s)) return 1.0;
    const double p = std::exp2(std::round(std::log2(s)));
    return std::clamp(p, min_factor, max_factor);
}

// max/min of the scaled absolute entries; 1 for an empty matrix.
double spread(const LpData& lp, const std::vector<double>& row, const std::vector<double>& col) {
    double small = infinity, big = 0;
    for (int j = 0; j < lp.cols; ++j) {
        for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) {
            const double v = std::fabs(lp.value[t]) * row[lp.row_index[t]] * col[j];
            if (v == 0) continue;
            small = std::min(small, v);
            big = std::max(big, v);
        }
    }
    return big > 0 ? big / small : 1.0;
}

}  // namespace

Scaling identity_scaling(const LpData& lp) {
    return Scaling{std::vector<double>(lp.rows, 1.0), std::vector<double>(lp.cols, 1.0)};
}

Scaling compute_scaling(const LpData& lp) {
    std::vector<double> row(lp.rows, 1.0), col(lp.cols, 1.0);
    std::vector<double> row_min(lp.rows), row_max(lp.rows);
    double last = spread(lp, row, col);
    for (int pass = 0; pass < max_passes; ++pass) {
        std::vector<double> row_try = row, col_try = col;
        std::fill(row_min.begin(), row_min.end(), infinity);
        std::fill(row_max.begin(), row_max.end(), 0.0);
        for (int j = 0; j < lp.cols; ++j) {
            for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) {
                const double v = std::fabs(lp.value[t]) * col_try[j];
                if (v == 0) continue;
                const int i = lp.row_index[t];
                row_min[i] = std::min(row_min[i], v);
                row_max[i] = std::max(row_max[i], v);
            }
        }
        for (int i = 0; i < lp.rows; ++i)
            if (row_max[i] > 0) row_try[i] = 1.0 / std::sqrt(row_min[i] * row_max[i]);
        for (int j = 0; j < lp.cols; ++j) {
            double small = infinity, big = 0;
            for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) {
                const double v = std::fabs(lp.value[t]) * row_try[lp.row_index[t]];
                if (v == 0) continue;
                small = std::min(small, v);
                big = std::max(big, v);
            }
            if (big > 0) col_try[j] = 1.0 / std::sqrt(small * big);
        }
        const double now = spread(lp, row_try, col_try);
        if (!(now < last)) break;
        row = std::move(row_try);
        col = std::move(col_try);
        const bool small_gain = now > 0.9 * last;
        last = now;
        if (small_gain) break;
    }
    Scaling s;
    s.row_scale.resize(lp.rows);
    s.col_scale.resize(lp.cols);
    for (int i = 0; i < lp.rows; ++i) s.row_scale[i] = nearest_power_of_two(row[i]);
    // Equilibration: the largest entry of each column near 1.
    for (int j = 0; j < lp.cols; ++j) {
        double big = 0;
        for (int t = lp.start[j]; t < lp.start[j + 1]; ++t)
            big = std::max(big, std::fabs(lp.value[t]) * s.row_scale[lp.row_index[t]]);
        s.col_scale[j] = big > 0 ? nearest_power_of_two(1.0 / big) : 1.0;
    }
    return s;
}

}  // namespace lpsens::revised
