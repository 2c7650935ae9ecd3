#include "analysis/sensitivity.h"

#include <cmath>
#include <limits>

namespace lpsens {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// The row the primal ratio test picks for a column entering (its entries
// `column`, the basic values `values`): the basic variable that reaches
// zero first (an artificial one, held at zero, as soon as the column moves
// it at all).  0 when none limits the column.
int leaving_row(const TableauView& view, const std::vector<double>& column, const std::vector<double>& values,
                double tolerance) {
    int best = 0;
    double best_ratio = infinity;
    for (int i = 1; i <= view.rows(); ++i) {
        const double t = column[static_cast<std::size_t>(i)];
        const bool artificial = view.basic(i).is_artificial();
        if (artificial ? std::fabs(t) <= tolerance : t <= tolerance) continue;
        const double ratio = artificial ? 0 : std::max(values[static_cast<std::size_t>(i)], 0.0) / t;
        if (ratio < best_ratio) {
            best_ratio = ratio;
            best = i;
        }
    }
    return best;
}

// The column the dual ratio test picks for a row (its entries `row`, the
// reduced costs `costs`) whose basic variable has fallen below zero (`sign`
// -1) or risen above it (+1, an artificial one): the column that brings it
// back while its reduced cost lasts longest.  Artificial columns never
// enter.  0 when there is none.
int entering_column(const TableauView& view, const std::vector<double>& row, const std::vector<double>& costs,
                    int sign, double tolerance) {
    int best = 0;
    double best_ratio = infinity;
    for (int j = 1; j <= view.columns(); ++j) {
        if (view.nonbasic(j).is_artificial()) continue;
        const double t = row[static_cast<std::size_t>(j)];
        // x_i changes by -theta t when column j rises by theta.
        if (sign < 0 ? t >= -tolerance : t <= tolerance) continue;
        const double ratio = std::max(costs[static_cast<std::size_t>(j)], 0.0) / std::fabs(t);
        if (ratio < best_ratio) {
            best_ratio = ratio;
            best = j;
        }
    }
    return best;
}

}  // namespace

DirectionRange range_rhs(const TableauView& view, const std::vector<std::pair<int, double>>& rows, double tolerance) {
    const int m = view.rows();
    std::vector<double> values, costs, line;
    view.column(0, values);
    view.row(0, costs);
    // How fast each basic variable moves, and the objective.
    std::vector<double> rate(static_cast<std::size_t>(m) + 1, 0.0);
    DirectionRange range;
    for (const auto& [row, weight] : rows) {
        const int position = view.row_position(row);
        if (position > 0) {
            rate[static_cast<std::size_t>(position)] += weight;
        } else {
            view.column(-position, line);
            for (int i = 0; i <= m; ++i) rate[static_cast<std::size_t>(i)] += weight * line[static_cast<std::size_t>(i)];
        }
    }
    range.rate = rate[0];
    range.lower.move = -infinity;
    range.upper.move = infinity;
    int lower_row = 0, upper_row = 0;
    for (int i = 1; i <= m; ++i) {
        const double r = rate[static_cast<std::size_t>(i)];
        if (std::fabs(r) <= tolerance) continue;
        if (view.basic(i).is_artificial()) {
            // Held at zero: any move is the end.
            if (range.upper.move > 0) {
                range.upper.move = 0;
                upper_row = i;
            }
            if (range.lower.move < 0) {
                range.lower.move = 0;
                lower_row = i;
            }
            continue;
        }
        const double value = std::max(values[static_cast<std::size_t>(i)], 0.0);
        if (r < 0 && value / -r < range.upper.move) {
            range.upper.move = value / -r;
            upper_row = i;
        } else if (r > 0 && -value / r > range.lower.move) {
            range.lower.move = -value / r;
            lower_row = i;
        }
    }
    const auto finish = [&](RangeEnd& end, int row, int direction) {
        if (row == 0) return;
        end.objective = values[0] + end.move * range.rate;
        end.leaving = view.basic(row);
        // Beyond the end the row's variable falls below zero, or an
        // artificial one moves off zero the way the rate pushes it.
        const double push = direction * rate[static_cast<std::size_t>(row)];
        view.row(row, line);
        const int column =
            entering_column(view, line, costs, view.basic(row).is_artificial() && push > 0 ? 1 : -1, tolerance);
        if (column != 0) end.entering = view.nonbasic(column);
    };
    finish(range.upper, upper_row, 1);
    finish(range.lower, lower_row, -1);
    return range;
}

DirectionRange range_costs(const TableauView& view, const std::vector<std::pair<int, double>>& costs,
                           double tolerance) {
    const int m = view.rows();
    const int n = view.columns();
    std::vector<double> values, reduced, line;
    view.column(0, values);
    view.row(0, reduced);
    // The weight of a variable in the direction (nonbasic ones stand at
    // zero, so only the basic ones make the objective's rate).
    auto weight_of = [&](VariableId v) {
        double w = 0;
        if (v.is_structural())
            for (const auto& [j, weight] : costs)
                if (j == v.index) w += weight;
        return w;
    };
    DirectionRange range;
    // How fast each reduced cost moves: the basic weights times their rows,
    // less a nonbasic column's own weight.
    std::vector<double> rate(static_cast<std::size_t>(n) + 1, 0.0);
    for (int i = 1; i <= m; ++i) {
        const double w = weight_of(view.basic(i));
        if (w == 0) continue;
        range.rate += w * values[static_cast<std::size_t>(i)];
        view.row(i, line);
        for (int j = 1; j <= n; ++j) rate[static_cast<std::size_t>(j)] += w * line[static_cast<std::size_t>(j)];
    }
    range.lower.move = -infinity;
    range.upper.move = infinity;
    int lower_column = 0, upper_column = 0;
    for (int j = 1; j <= n; ++j) {
        const VariableId v = view.nonbasic(j);
        if (v.is_artificial()) continue;
        const double r = rate[static_cast<std::size_t>(j)] - weight_of(v);
        if (std::fabs(r) <= tolerance) continue;
        const double d = std::max(reduced[static_cast<std::size_t>(j)], 0.0);
        if (r < 0 && d / -r < range.upper.move) {
            range.upper.move = d / -r;
            upper_column = j;
        } else if (r > 0 && -d / r > range.lower.move) {
            range.lower.move = -d / r;
            lower_column = j;
        }
    }
    const auto finish = [&](RangeEnd& end, int column) {
        if (column == 0) return;
        end.objective = values[0] + end.move * range.rate;
        end.entering = view.nonbasic(column);
        view.column(column, line);
        const int row = leaving_row(view, line, values, tolerance);
        if (row != 0) end.leaving = view.basic(row);
    };
    finish(range.upper, upper_column);
    finish(range.lower, lower_column);
    return range;
}

}  // namespace lpsens
