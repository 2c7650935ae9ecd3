#include "analysis/model_results.h"

#include <cmath>
#include <limits>
#include <memory>
#include <utility>

#include "analysis/direction_ranging.h"
#include "analysis/shared_passes.h"

namespace lpsens {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

double snapped(Extended x, double tolerance) {
    return std::fabs(x) <= tolerance ? 0.0 : static_cast<double>(x);
}

// The objective after a move of `move` at `rate` per unit: the objective
// itself at rate 0, however far the move (an unlimited side of a value the
// objective does not depend on), and no finite value (infinite) for an
// unlimited move at any other rate.
double objective_at(double objective, double rate, double move) {
    if (rate == 0) return objective;
    return objective + rate * move;
}

// A direction range of the form turned into the model's terms: the value at
// `base` moves by the form's moves; the objective changes by `rate` per unit
// (0 within the tolerance, as the dual values and reduced costs are).
ModelRange in_model_terms(const DirectionRange& range, const ModelMap& map, const DocumentedForm& form, double base,
                          double objective, double rate, double tolerance) {
    ModelRange r;
    r.rate = snapped(rate, tolerance);
    r.lower = base + range.lower.move;
    r.upper = base + range.upper.move;
    r.objective_at_lower = objective_at(objective, r.rate, range.lower.move);
    r.objective_at_upper = objective_at(objective, r.rate, range.upper.move);
    if (range.lower.entering) r.entering_at_lower = model_place(map, form, *range.lower.entering);
    if (range.lower.leaving) r.leaving_at_lower = model_place(map, form, *range.lower.leaving);
    if (range.upper.entering) r.entering_at_upper = model_place(map, form, *range.upper.entering);
    if (range.upper.leaving) r.leaving_at_upper = model_place(map, form, *range.upper.leaving);
    return r;
}

ModelRange unlimited(double objective, double rate, double tolerance) {
    ModelRange r;
    r.rate = snapped(rate, tolerance);
    r.lower = -infinity;
    r.upper = infinity;
    r.objective_at_lower = objective_at(objective, r.rate, -infinity);
    r.objective_at_upper = objective_at(objective, r.rate, infinity);
    return r;
}

// One bound of a fixed column (l = u) moving alone, from the range of its
// fixed value (both bounds moving together, at `fixed.rate`, the column's
// reduced cost).  The bound can move towards the other one only to where it
// stands: l above u, or u below l, leaves no solution.  Moving away from it,
// the column follows the bound when the objective gains by that (then the
// range is the fixed value's on that side); otherwise it stays where it is,
// the objective unchanged, without limit, as long as the duals prove the
// basis optimal (`proven`).  Where they do not, a column held back by an
// artificial variable at zero can go no further than where it stands.
ModelRange one_bound_of_fixed(const ModelRange& fixed, const DirectionRange& form_range, double value,
                              double objective, bool upper_bound, bool gains_up, bool proven, const ModelMap& map,
                              const DocumentedForm& form) {
    ModelRange r;
    const bool follows = fixed.rate != 0 && gains_up == upper_bound;
    const RangeEnd& away = upper_bound ? form_range.upper : form_range.lower;
    const bool held = !follows && !proven && form_range.moves_held;
    r.rate = follows ? fixed.rate : 0;
    double& near = upper_bound ? r.lower : r.upper;
    double& far = upper_bound ? r.upper : r.lower;
    near = value;
    (upper_bound ? r.objective_at_lower : r.objective_at_upper) = objective;
    far = follows ? (upper_bound ? fixed.upper : fixed.lower) : held ? value : upper_bound ? infinity : -infinity;
    (upper_bound ? r.objective_at_upper : r.objective_at_lower) =
        follows ? (upper_bound ? fixed.objective_at_upper : fixed.objective_at_lower) : objective;
    if (follows) {
        (upper_bound ? r.entering_at_upper : r.entering_at_lower) =
            upper_bound ? fixed.entering_at_upper : fixed.entering_at_lower;
        (upper_bound ? r.leaving_at_upper : r.leaving_at_lower) =
            upper_bound ? fixed.leaving_at_upper : fixed.leaving_at_lower;
    } else if (held && away.leaving) {
        (upper_bound ? r.leaving_at_upper : r.leaving_at_lower) = model_place(map, form, *away.leaving);
    }
    return r;
}

// The ranging of one model row or column in the model's terms, from a
// tableau base (each thread its own).
struct ModelRanger {
    const Problem& model;
    const ModelMap& map;
    const DocumentedForm& form;
    double f;   // the model's objective
    double sf;  // +1 when the model maximises, -1 when it minimises
    double tolerance;

    void row(const TableauBase& base, int r, ModelRowResult& result) const {
        // A model row's right-hand side moves each form row it became.
        std::vector<std::pair<int, double>> direction;
        for (const auto& [i, sign] : map.rows[r].rows) direction.push_back({i, sign});
        const DirectionRange range = range_rhs(base, direction, tolerance);
        result.rhs = in_model_terms(range, map, form, static_cast<double>(model.rows[r].rhs), f,
                                    sf * range.rate, tolerance);
    }

    void column(const TableauBase& base, int j, bool proven, ModelColumnResult& col) const {
        const VariableMap& v = map.variables[j];
        const ProblemColumn& c = model.columns[j];
        const double value = col.value;
        // The cost: the costs of the parts move with it.
        std::vector<std::pair<int, double>> costs;
        if (v.part) costs.push_back({v.part, sf * v.sign});
        if (v.negative_part) costs.push_back({v.negative_part, -sf});
        col.cost = costs.empty() ? unlimited(f, value, tolerance)
                                 : in_model_terms(range_costs(base, costs, tolerance), map, form,
                                                  static_cast<double>(c.cost), f, value, tolerance);
        // A bound the variable is measured from (a shift, a mirror, a fixed
        // value) moves the right-hand side of every row it is in.
        std::vector<std::pair<int, double>> shifted;
        model.matrix.for_each(j, [&](int r, Extended a) {
            for (const auto& [i, sign] : map.rows[r].rows)
                shifted.push_back({i, -sign * static_cast<double>(a)});
        });
        DirectionRange form_range;
        const auto shift_range = [&](std::vector<std::pair<int, double>> direction, double from) {
            form_range = range_rhs(base, direction, tolerance);
            // The objective also moves with the constant the shift made.
            return in_model_terms(form_range, map, form, from, f, sf * form_range.rate + static_cast<double>(c.cost),
                                  tolerance);
        };
        const bool low = c.lower > -model_infinity, high = c.upper < model_infinity;
        const double lower = static_cast<double>(c.lower), upper = static_cast<double>(c.upper);
        if (low && high && c.lower == c.upper) {
            const ModelRange fixed = shift_range(shifted, lower);
            const bool gains_up = (fixed.rate > 0) == map.maximise;
            col.lower_bound = one_bound_of_fixed(fixed, form_range, lower, f, false, gains_up, proven, map, form);
            col.upper_bound = one_bound_of_fixed(fixed, form_range, upper, f, true, gains_up, proven, map, form);
        } else if (low) {
            std::vector<std::pair<int, double>> direction = shifted;
            if (v.bound_row) direction.push_back({v.bound_row, -1});
            col.lower_bound = shift_range(direction, lower);
            if (v.bound_row) {
                const DirectionRange range = range_rhs(base, {{v.bound_row, 1}}, tolerance);
                col.upper_bound = in_model_terms(range, map, form, upper, f, sf * range.rate, tolerance);
            }
        } else if (high) {
            col.upper_bound = shift_range(shifted, upper);
        }
        // Neither bound passes the other: a computed limit beyond it is
        // rounding (in exact arithmetic the other bound's row stops it there).
        if (col.lower_bound && high && col.lower_bound->upper > upper) col.lower_bound->upper = upper;
        if (col.upper_bound && low && col.upper_bound->lower < lower) col.upper_bound->lower = lower;
    }
};

}  // namespace

ModelPlace model_place(const ModelMap& map, const DocumentedForm& form, VariableId v) {
    if (v.is_structural()) return {ModelPlace::Kind::column, map.variable_of[v.index]};
    const int row = v.is_surplus() ? form.ge_rows[v.index] : v.index;
    const FormRowOrigin& origin = map.form_rows[row];
    if (origin.bound_of >= 0) return {ModelPlace::Kind::bound, origin.bound_of};
    return {ModelPlace::Kind::row, origin.model_row};
}

ModelResults model_results(const Problem& model, const ModelMap& map, const DocumentedForm& form,
                           const SolveResult& result, const TableauView& view, double tolerance, int threads) {
    const Solution& s = result.solution;
    const Extended sense = map.maximise ? 1 : -1;
    const int rows = model.row_count();
    const int columns = model.column_count();
    ModelResults out;
    out.objective = snapped(sense * static_cast<Extended>(s.objective), tolerance);

    std::vector<Extended> x(columns, 0);
    for (int j = 0; j < columns; ++j) {
        const VariableMap& v = map.variables[j];
        Extended value = v.shift;
        if (v.part) value += v.sign * static_cast<Extended>(s.column[v.part].level);
        if (v.negative_part) value -= static_cast<Extended>(s.column[v.negative_part].level);
        x[j] = value;
    }
    std::vector<Extended> activity(rows, 0), dual(rows, 0);
    for (int j = 0; j < columns; ++j)
        model.matrix.for_each(j, [&](int r, Extended a) { activity[r] += a * x[j]; });
    for (int r = 0; r < rows; ++r)
        for (const auto& [i, sign] : map.rows[r].rows)
            dual[r] += sense * sign * static_cast<Extended>(s.row[i].price);
    out.rows.resize(rows);
    for (int r = 0; r < rows; ++r) {
        out.rows[r].activity = snapped(activity[r], tolerance);
        out.rows[r].dual = snapped(dual[r], tolerance);
    }
    out.columns.resize(columns);
    for (int j = 0; j < columns; ++j) {
        Extended reduced = model.columns[j].cost;
        model.matrix.for_each(j, [&](int r, Extended a) { reduced -= dual[r] * a; });
        out.columns[j].value = snapped(x[j], tolerance);
        out.columns[j].reduced_cost = snapped(reduced, tolerance);
    }
    if (result.status != Status::optimal) return out;

    const ModelRanger ranger{model, map, form, out.objective, static_cast<double>(sense), tolerance};
    const std::vector<int> partners = free_partners(map, form.variables());
    bool proven = false;
    {
        const TableauBase base(view, partners);
        proven = duals_prove_optimum(base, tolerance);
    }
    // Each thread ranges from a base of its own view (the ratio tests keep
    // what they found there).
    shared_pass(view, rows + columns, threads, [&](const TableauView& v) {
        return [&, base = std::make_unique<TableauBase>(v, partners)](int k) {
            if (k < rows) ranger.row(*base, k, out.rows[k]);
            else ranger.column(*base, k - rows, proven, out.columns[k - rows]);
        };
    });
    return out;
}

}  // namespace lpsens
