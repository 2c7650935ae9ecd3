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

TableauBase::TableauBase(const TableauView& v) : view(v) {
    view.column(0, values);
    view.row(0, costs);
}

DirectionRange range_rhs(const TableauBase& base, const std::vector<std::pair<int, double>>& rows, double tolerance) {
    const TableauView& view = base.view;
    const int m = view.rows();
    const std::vector<double>& values = base.values;
    const std::vector<double>& costs = base.costs;
    std::vector<double> line;
    // How fast each basic variable moves, and the objective.
    std::vector<double> rate;
    view.rhs_rates(rows, rate);
    DirectionRange range;
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

DirectionRange range_costs(const TableauBase& base, const std::vector<std::pair<int, double>>& costs,
                           double tolerance) {
    const TableauView& view = base.view;
    const int n = view.columns();
    const std::vector<double>& values = base.values;
    const std::vector<double>& reduced = base.costs;
    std::vector<double> line;
    // How fast each reduced cost moves: the basic variables' weights times
    // their rows, less a nonbasic column's own weight (nonbasic variables
    // stand at zero, so only the basic ones make the objective's rate).
    std::vector<std::pair<int, double>> basic_rows;
    std::vector<std::pair<int, double>> own;  // (column, weight) of nonbasic variables
    for (const auto& [j, weight] : costs) {
        const int position = view.column_position(j);
        if (position > 0) basic_rows.push_back({position, weight});
        else own.push_back({-position, weight});
    }
    std::vector<double> rate;
    view.row_combination(basic_rows, rate);
    for (const auto& [column, weight] : own) rate[static_cast<std::size_t>(column)] -= weight;
    DirectionRange range;
    range.rate = rate[0];
    range.lower.move = -infinity;
    range.upper.move = infinity;
    int lower_column = 0, upper_column = 0;
    for (int j = 1; j <= n; ++j) {
        const double r = rate[static_cast<std::size_t>(j)];
        if (r == 0 || view.nonbasic(j).is_artificial()) continue;
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
