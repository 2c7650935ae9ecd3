#include "accurate/scaling.h"

#include <algorithm>
#include <cmath>

namespace lpsens {

namespace {

constexpr int passes = 6;

// The power of two nearest 1 / sqrt(smallest * largest); 1 for no entries.
double factor_for(double smallest, double largest) {
    if (!(largest > 0)) return 1;
    const double mean = std::sqrt(smallest) * std::sqrt(largest);
    return std::ldexp(1.0, -static_cast<int>(std::lround(std::log2(mean))));
}

}  // namespace

Scaling scale_problem(const std::vector<double>& a, int rows, int columns) {
    Scaling s;
    s.row.assign(static_cast<std::size_t>(rows) + 1, 1.0);
    s.column.assign(static_cast<std::size_t>(columns) + 1, 1.0);
    const auto width = static_cast<std::size_t>(columns) + 1;
    // The factor of line k (a row, or with `by_column` a column) against the
    // other direction's current factors.
    auto factor_of = [&](int k, bool by_column) {
        const int count = by_column ? rows : columns;
        const std::vector<double>& other = by_column ? s.row : s.column;
        double smallest = HUGE_VAL, largest = 0;
        for (int l = 1; l <= count; ++l) {
            const std::size_t at = by_column ? static_cast<std::size_t>(l) * width + static_cast<std::size_t>(k)
                                             : static_cast<std::size_t>(k) * width + static_cast<std::size_t>(l);
            const double v = std::fabs(a[at]) * other[static_cast<std::size_t>(l)];
            if (v == 0) continue;
            smallest = std::min(smallest, v);
            largest = std::max(largest, v);
        }
        return factor_for(smallest, largest);
    };
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 1; i <= rows; ++i) s.row[static_cast<std::size_t>(i)] = factor_of(i, false);
        for (int j = 1; j <= columns; ++j) s.column[static_cast<std::size_t>(j)] = factor_of(j, true);
    }
    return s;
}

}  // namespace lpsens
