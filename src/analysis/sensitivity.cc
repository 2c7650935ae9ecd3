#include "analysis/sensitivity.h"

#include <cmath>
#include <limits>
#include <utility>

namespace lpsens {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// A basic value or a reduced cost as the ratio tests take it: never below
// zero, and zero within the tolerance (the engine's own, at which the
// reports show it as zero): a basis whose value is zero to the engine's
// precision has no room to move it.
double at_least_zero(double x, double tolerance) { return x <= tolerance ? 0.0 : x; }

// The row the primal ratio test picks for a column entering (its entries
// `column`): the basic variable that reaches zero first (an artificial one,
// held at zero, as soon as the column moves it at all; half of a free
// variable never).  0 when none limits the column.
int leaving_row(const TableauBase& base, const std::vector<double>& column, double tolerance) {
    const TableauView& view = base.view;
    const std::vector<double>& values = base.values;
    int best = 0;
    double best_ratio = infinity;
    for (int i = 1; i <= view.rows(); ++i) {
        if (base.free_in_row(i)) continue;
        const double t = column[static_cast<std::size_t>(i)];
        const bool artificial = held_at_zero(view, i);
        if (artificial ? std::fabs(t) <= tolerance : t <= tolerance) continue;
        const double ratio = artificial ? 0 : at_least_zero(values[static_cast<std::size_t>(i)], tolerance) / t;
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
// back while its reduced cost lasts longest.  Artificial columns and the
// tied halves of free variables never enter.  0 when there is none.
int entering_column(const TableauBase& base, const std::vector<double>& row, int sign, double tolerance) {
    const TableauView& view = base.view;
    const std::vector<double>& costs = base.costs;
    int best = 0;
    double best_ratio = infinity;
    for (int j = 1; j <= view.columns(); ++j) {
        if (view.nonbasic(j).is_artificial() || base.tied_column(j)) continue;
        const double t = row[static_cast<std::size_t>(j)];
        // x_i changes by -theta t when column j rises by theta.
        if (sign < 0 ? t >= -tolerance : t <= tolerance) continue;
        const double ratio = at_least_zero(costs[static_cast<std::size_t>(j)], tolerance) / std::fabs(t);
        if (ratio < best_ratio) {
            best_ratio = ratio;
            best = j;
        }
    }
    return best;
}

}  // namespace

std::vector<int> free_partners(const ModelMap& map, int variables) {
    std::vector<int> partner(static_cast<std::size_t>(variables) + 1, 0);
    for (const VariableMap& v : map.variables)
        if (v.part != 0 && v.negative_part != 0) {
            partner[static_cast<std::size_t>(v.part)] = v.negative_part;
            partner[static_cast<std::size_t>(v.negative_part)] = v.part;
        }
    return partner;
}

TableauBase::TableauBase(const TableauView& v, std::vector<int> halves) : view(v), partner(std::move(halves)) {
    view.column(0, values);
    view.row(0, costs);
}

bool TableauBase::free_in_row(int i) const { return free_half(partner, view.basic(i)); }

bool TableauBase::tied_column(int j) const {
    const VariableId c = view.nonbasic(j);
    return free_half(partner, c) && view.column_position(partner[static_cast<std::size_t>(c.index)]) > 0;
}

bool duals_prove_optimum(const TableauBase& base, double tolerance) {
    for (int j = 1; j <= base.view.columns(); ++j)
        if (!base.view.nonbasic(j).is_artificial() && base.costs[static_cast<std::size_t>(j)] < -tolerance)
            return false;
    return true;
}

DirectionRange range_rhs(const TableauBase& base, const std::vector<std::pair<int, double>>& rows, double tolerance) {
    const TableauView& view = base.view;
    const int m = view.rows();
    const std::vector<double>& values = base.values;
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
        if (std::fabs(r) <= tolerance || base.free_in_row(i)) continue;
        if (held_at_zero(view, i)) {
            // Held at zero: any move is the end.
            range.moves_held = true;
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
        const double value = at_least_zero(values[static_cast<std::size_t>(i)], tolerance);
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
            entering_column(base, line, held_at_zero(view, row) && push > 0 ? 1 : -1, tolerance);
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
        if (r == 0 || view.nonbasic(j).is_artificial() || base.tied_column(j)) continue;
        if (std::fabs(r) <= tolerance) continue;
        const double d = at_least_zero(reduced[static_cast<std::size_t>(j)], tolerance);
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
        const int row = leaving_row(base, line, tolerance);
        if (row != 0) end.leaving = view.basic(row);
    };
    finish(range.upper, upper_column);
    finish(range.lower, lower_column);
    return range;
}

}  // namespace lpsens
