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
    auto entry = [&](int i, int j) { return std::fabs(a[static_cast<std::size_t>(i) * width + static_cast<std::size_t>(j)]); };
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 1; i <= rows; ++i) {
            double smallest = HUGE_VAL, largest = 0;
            for (int j = 1; j <= columns; ++j) {
                const double v = entry(i, j) * s.column[static_cast<std::size_t>(j)];
                if (v == 0) continue;
                smallest = std::min(smallest, v);
                largest = std::max(largest, v);
            }
            s.row[static_cast<std::size_t>(i)] = factor_for(smallest, largest);
        }
        for (int j = 1; j <= columns; ++j) {
            double smallest = HUGE_VAL, largest = 0;
            for (int i = 1; i <= rows; ++i) {
                const double v = entry(i, j) * s.row[static_cast<std::size_t>(i)];
                if (v == 0) continue;
                smallest = std::min(smallest, v);
                largest = std::max(largest, v);
            }
            s.column[static_cast<std::size_t>(j)] = factor_for(smallest, largest);
        }
    }
    return s;
}

}  // namespace lpsens
