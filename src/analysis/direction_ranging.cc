#include "analysis/direction_ranging.h"

#include <algorithm>
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

// Ratio tests read the entries of a line in no particular order: of equal
// ratios the lowest row or column wins, as if read in order.  `closer` is
// whether the candidate's ratio beats the best so far.
bool wins(bool closer, bool tied, int index, int best) { return closer || (tied && index < best); }

// The row the primal ratio test picks for a column entering (its nonzero
// entries `column`): the basic variable that reaches zero first (an
// artificial one, held at zero, as soon as the column moves it at all; half
// of a free variable never).  0 when none limits the column.
int leaving_row(const TableauBase& base, const std::vector<std::pair<int, double>>& column, double tolerance) {
    const std::vector<double>& values = base.values;
    int best = 0;
    double best_ratio = infinity;
    for (const auto& [i, t] : column) {
        if (base.free_in_row(i)) continue;
        const bool artificial = base.held_in_row(i);
        if (artificial ? std::fabs(t) <= tolerance : t <= tolerance) continue;
        const double ratio = artificial ? 0 : at_least_zero(values[i], tolerance) / t;
        if (wins(ratio < best_ratio, ratio == best_ratio, i, best)) {
            best_ratio = ratio;
            best = i;
        }
    }
    return best;
}

// The column the dual ratio test picks for a row (its nonzero entries
// `row`, the reduced costs `costs`) whose basic variable has fallen below
// zero (`sign` -1) or risen above it (+1, an artificial one): the column
// that brings it back while its reduced cost lasts longest.  Artificial
// columns and the tied halves of free variables never enter.  0 when there
// is none.
int entering_column(const TableauBase& base, const std::vector<std::pair<int, double>>& row, int sign,
                    double tolerance) {
    const std::vector<double>& costs = base.costs;
    int best = 0;
    double best_ratio = infinity;
    for (const auto& [j, t] : row) {
        if (base.closed_column(j)) continue;
        // x_i changes by -theta t when column j rises by theta.
        if (sign < 0 ? t >= -tolerance : t <= tolerance) continue;
        const double ratio = at_least_zero(costs[j], tolerance) / std::fabs(t);
        if (wins(ratio < best_ratio, ratio == best_ratio, j, best)) {
            best_ratio = ratio;
            best = j;
        }
    }
    return best;
}

// Offers the move `move` of line `index` to the end `end` of a range, the
// line that limits it so far being `at`: the upper end takes the smallest
// move, the lower end the largest (the smallest decrease).
void offer_upper(double move, int index, RangeEnd& end, int& at) {
    if (wins(move < end.move, move == end.move, index, at)) {
        end.move = move;
        at = index;
    }
}
void offer_lower(double move, int index, RangeEnd& end, int& at) {
    if (wins(move > end.move, move == end.move, index, at)) {
        end.move = move;
        at = index;
    }
}

}  // namespace

std::vector<int> free_partners(const ModelMap& map, int variables) {
    std::vector<int> partner(variables + 1, 0);
    for (const VariableMap& v : map.variables)
        if (v.part != 0 && v.negative_part != 0) {
            partner[v.part] = v.negative_part;
            partner[v.negative_part] = v.part;
        }
    return partner;
}

TableauBase::TableauBase(const TableauView& v, std::vector<int> halves) : view(v), partner(std::move(halves)) {
    view.column(0, values);
    view.row(0, costs);
    row_kind.assign(view.rows() + 1, RowKind::plain);
    for (int i = 1; i <= view.rows(); ++i)
        if (free_half(partner, view.basic(i))) row_kind[i] = RowKind::free_half;
        else if (held_at_zero(view, i)) row_kind[i] = RowKind::held;
    column_kind.assign(view.columns() + 1, ColumnKind::open);
    for (int j = 1; j <= view.columns(); ++j) {
        const VariableId c = view.nonbasic(j);
        if (c.is_artificial()) column_kind[j] = ColumnKind::artificial;
        else if (free_half(partner, c) && view.column_position(partner[c.index]) > 0)
            column_kind[j] = ColumnKind::tied;
    }
    entering_.assign(2 * (static_cast<std::size_t>(view.rows()) + 1), -1);
    leaving_.assign(view.columns() + 1, -1);
}

int TableauBase::entering_for(int i, int sign, double tolerance) const {
    int& known = entering_[2 * static_cast<std::size_t>(i) + (sign > 0 ? 1 : 0)];
    if (known < 0) {
        view.row_entries(i, line_);
        known = entering_column(*this, line_, sign, tolerance);
    }
    return known;
}

int TableauBase::leaving_for(int j, double tolerance) const {
    int& known = leaving_[j];
    if (known < 0) {
        view.column_entries(j, line_);
        known = leaving_row(*this, line_, tolerance);
    }
    return known;
}

bool duals_prove_optimum(const TableauBase& base, double tolerance) {
    for (int j = 1; j <= base.view.columns(); ++j)
        if (!base.view.nonbasic(j).is_artificial() && base.costs[j] < -tolerance)
            return false;
    return true;
}

DirectionRange range_rhs(const TableauBase& base, const std::vector<std::pair<int, double>>& rows, double tolerance) {
    const TableauView& view = base.view;
    const std::vector<double>& values = base.values;
    // How fast each basic variable moves, and the objective.
    std::vector<std::pair<int, double>> rate;
    DirectionRange range;
    range.rate = view.rhs_rates(rows, rate);
    range.lower.move = -infinity;
    range.upper.move = infinity;
    int lower_row = 0, upper_row = 0;
    double lower_rate = 0, upper_rate = 0;
    for (const auto& [i, r] : rate) {
        if (std::fabs(r) <= tolerance || base.free_in_row(i)) continue;
        const int was_upper = upper_row, was_lower = lower_row;
        if (base.held_in_row(i)) {
            // Held at zero: any move is the end.
            range.moves_held = true;
            offer_upper(0.0, i, range.upper, upper_row);
            offer_lower(0.0, i, range.lower, lower_row);
        } else {
            const double value = at_least_zero(values[i], tolerance);
            if (r < 0) offer_upper(value / -r, i, range.upper, upper_row);
            else offer_lower(-value / r, i, range.lower, lower_row);
        }
        if (upper_row != was_upper) upper_rate = r;
        if (lower_row != was_lower) lower_rate = r;
    }
    const auto finish = [&](RangeEnd& end, int row, double row_rate, int direction) {
        if (row == 0) return;
        end.objective = values[0] + end.move * range.rate;
        end.leaving = view.basic(row);
        // Beyond the end the row's variable falls below zero, or an
        // artificial one moves off zero the way the rate pushes it.
        const double push = direction * row_rate;
        const int column = base.entering_for(row, base.held_in_row(row) && push > 0 ? 1 : -1, tolerance);
        if (column != 0) end.entering = view.nonbasic(column);
    };
    finish(range.upper, upper_row, upper_rate, 1);
    finish(range.lower, lower_row, lower_rate, -1);
    return range;
}

DirectionRange range_costs(const TableauBase& base, const std::vector<std::pair<int, double>>& costs,
                           double tolerance) {
    const TableauView& view = base.view;
    const std::vector<double>& values = base.values;
    const std::vector<double>& reduced = base.costs;
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
    std::vector<std::pair<int, double>> rate;
    DirectionRange range;
    range.rate = basic_rows.empty() ? 0.0 : view.row_combination(basic_rows, rate);
    for (const auto& [own_column, weight] : own) {
        const int column = own_column;  // a structured binding cannot be captured by every compiler
        const auto at = std::find_if(rate.begin(), rate.end(), [&](const auto& e) { return e.first == column; });
        if (at == rate.end()) rate.push_back({column, -weight});
        else at->second -= weight;
    }
    range.lower.move = -infinity;
    range.upper.move = infinity;
    int lower_column = 0, upper_column = 0;
    for (const auto& [j, r] : rate) {
        if (r == 0 || base.closed_column(j)) continue;
        if (std::fabs(r) <= tolerance) continue;
        const double d = at_least_zero(reduced[j], tolerance);
        if (r < 0) offer_upper(d / -r, j, range.upper, upper_column);
        else offer_lower(-d / r, j, range.lower, lower_column);
    }
    const auto finish = [&](RangeEnd& end, int column) {
        if (column == 0) return;
        end.objective = values[0] + end.move * range.rate;
        end.entering = view.nonbasic(column);
        const int row = base.leaving_for(column, tolerance);
        if (row != 0) end.leaving = view.basic(row);
    };
    finish(range.upper, upper_column);
    finish(range.lower, lower_column);
    return range;
}

}  // namespace lpsens
