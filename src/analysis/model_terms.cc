#include "analysis/model_terms.h"

#include <cmath>
#include <limits>

#include "analysis/sensitivity.h"

namespace lpsens {

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

double snapped(Extended x, double tolerance) {
    return std::fabs(x) <= tolerance ? 0.0 : static_cast<double>(x);
}

// The objective after a move of `move` at `rate` per unit; an infinite move
// leaves it unchanged at rate 0.
double objective_at(double objective, double rate, double move) {
    if (rate == 0) return objective;
    return objective + rate * move;
}

// A direction range of the form turned into the model's terms: the value at
// `base` moves by the form's moves; the objective changes by `rate` per unit.
ModelRange in_model_terms(const DirectionRange& range, const ModelMap& map, const DocumentedForm& form, double base,
                          double objective, double rate) {
    ModelRange r;
    r.lower = base + range.lower.move;
    r.upper = base + range.upper.move;
    r.objective_at_lower = objective_at(objective, rate, range.lower.move);
    r.objective_at_upper = objective_at(objective, rate, range.upper.move);
    if (range.lower.entering) r.entering_at_lower = model_place(map, form, *range.lower.entering);
    if (range.lower.leaving) r.leaving_at_lower = model_place(map, form, *range.lower.leaving);
    if (range.upper.entering) r.entering_at_upper = model_place(map, form, *range.upper.entering);
    if (range.upper.leaving) r.leaving_at_upper = model_place(map, form, *range.upper.leaving);
    return r;
}

ModelRange unlimited(double objective, double rate) {
    ModelRange r;
    r.lower = -infinity;
    r.upper = infinity;
    r.objective_at_lower = objective_at(objective, rate, -infinity);
    r.objective_at_upper = objective_at(objective, rate, infinity);
    return r;
}

}  // namespace

ModelPlace model_place(const ModelMap& map, const DocumentedForm& form, VariableId v) {
    if (v.is_structural()) return {ModelPlace::Kind::column, map.variable_of[static_cast<std::size_t>(v.index)]};
    const int row = v.is_surplus() ? form.ge_rows[static_cast<std::size_t>(v.index)] : v.index;
    const FormRowOrigin& origin = map.form_rows[static_cast<std::size_t>(row)];
    if (origin.bound_of >= 0) return {ModelPlace::Kind::bound, origin.bound_of};
    return {ModelPlace::Kind::row, origin.model_row};
}

ModelResults model_results(const Problem& model, const ModelMap& map, const DocumentedForm& form,
                           const SolveResult& result, const TableauView& view, double tolerance) {
    const Solution& s = result.solution;
    const Extended sense = map.maximise ? 1 : -1;
    const int rows = model.row_count();
    const int columns = model.column_count();
    ModelResults out;
    out.objective = snapped(sense * static_cast<Extended>(s.objective), tolerance);

    std::vector<Extended> x(static_cast<std::size_t>(columns), 0);
    for (int j = 0; j < columns; ++j) {
        const VariableMap& v = map.variables[static_cast<std::size_t>(j)];
        Extended value = v.shift;
        if (v.part) value += v.sign * static_cast<Extended>(s.column[static_cast<std::size_t>(v.part)].level);
        if (v.negative_part) value -= static_cast<Extended>(s.column[static_cast<std::size_t>(v.negative_part)].level);
        x[static_cast<std::size_t>(j)] = value;
    }
    std::vector<Extended> activity(static_cast<std::size_t>(rows), 0), dual(static_cast<std::size_t>(rows), 0);
    for (int j = 0; j < columns; ++j)
        model.matrix.for_each(j, [&](int r, Extended a) { activity[static_cast<std::size_t>(r)] += a * x[static_cast<std::size_t>(j)]; });
    for (int r = 0; r < rows; ++r)
        for (const auto& [i, sign] : map.rows[static_cast<std::size_t>(r)].rows)
            dual[static_cast<std::size_t>(r)] += sense * sign * static_cast<Extended>(s.row[static_cast<std::size_t>(i)].price);
    out.rows.resize(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) {
        out.rows[static_cast<std::size_t>(r)].activity = snapped(activity[static_cast<std::size_t>(r)], tolerance);
        out.rows[static_cast<std::size_t>(r)].dual = snapped(dual[static_cast<std::size_t>(r)], tolerance);
    }
    out.columns.resize(static_cast<std::size_t>(columns));
    for (int j = 0; j < columns; ++j) {
        Extended reduced = model.columns[static_cast<std::size_t>(j)].cost;
        model.matrix.for_each(j, [&](int r, Extended a) { reduced -= dual[static_cast<std::size_t>(r)] * a; });
        out.columns[static_cast<std::size_t>(j)].value = snapped(x[static_cast<std::size_t>(j)], tolerance);
        out.columns[static_cast<std::size_t>(j)].reduced_cost = snapped(reduced, tolerance);
    }
    if (result.status != Status::optimal) return out;

    const double f = out.objective;
    const double sf = static_cast<double>(sense);
    const TableauBase base(view);
    // A model row's right-hand side moves each form row it became.
    for (int r = 0; r < rows; ++r) {
        std::vector<std::pair<int, double>> direction;
        for (const auto& [i, sign] : map.rows[static_cast<std::size_t>(r)].rows) direction.push_back({i, sign});
        const DirectionRange range = range_rhs(base, direction, tolerance);
        out.rows[static_cast<std::size_t>(r)].rhs = in_model_terms(
            range, map, form, static_cast<double>(model.rows[static_cast<std::size_t>(r)].rhs), f, sf * range.rate);
    }
    for (int j = 0; j < columns; ++j) {
        const VariableMap& v = map.variables[static_cast<std::size_t>(j)];
        const ProblemColumn& c = model.columns[static_cast<std::size_t>(j)];
        ModelColumnResult& col = out.columns[static_cast<std::size_t>(j)];
        const double value = static_cast<double>(x[static_cast<std::size_t>(j)]);
        // The cost: the costs of the parts move with it.
        std::vector<std::pair<int, double>> costs;
        if (v.part) costs.push_back({v.part, sf * v.sign});
        if (v.negative_part) costs.push_back({v.negative_part, -sf});
        col.cost = costs.empty() ? unlimited(f, value)
                                 : in_model_terms(range_costs(base, costs, tolerance), map, form,
                                                  static_cast<double>(c.cost), f, value);
        // A bound the variable is measured from (a shift, a mirror, a fixed
        // value) moves the right-hand side of every row it is in.
        std::vector<std::pair<int, double>> shifted;
        model.matrix.for_each(j, [&](int r, Extended a) {
            for (const auto& [i, sign] : map.rows[static_cast<std::size_t>(r)].rows)
                shifted.push_back({i, -sign * static_cast<double>(a)});
        });
        const auto shift_range = [&](std::vector<std::pair<int, double>> direction, double from) {
            const DirectionRange range = range_rhs(base, direction, tolerance);
            // The objective also moves with the constant the shift made.
            return in_model_terms(range, map, form, from, f, sf * range.rate + static_cast<double>(c.cost));
        };
        const bool low = c.lower > -model_infinity, high = c.upper < model_infinity;
        if (low && high && c.lower == c.upper) {
            col.lower_bound = shift_range(shifted, static_cast<double>(c.lower));
            col.upper_bound = col.lower_bound;
        } else if (low) {
            std::vector<std::pair<int, double>> direction = shifted;
            if (v.bound_row) direction.push_back({v.bound_row, -1});
            col.lower_bound = shift_range(direction, static_cast<double>(c.lower));
            if (v.bound_row) {
                const DirectionRange range = range_rhs(base, {{v.bound_row, 1}}, tolerance);
                col.upper_bound = in_model_terms(range, map, form, static_cast<double>(c.upper), f, sf * range.rate);
            }
        } else if (high) {
            col.upper_bound = shift_range(shifted, static_cast<double>(c.upper));
        }
    }
    return out;
}

}  // namespace lpsens
