#include "check/model_record_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace lpsens {

namespace {

constexpr Extended feasibility_tolerance = 1e-7L;
constexpr Extended objective_tolerance = 1e-9L;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

std::string figure(Extended v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10Lg", v);
    return text;
}

// Where a value stands between its bounds: -1 on the lower, +1 on the
// upper, 0 strictly between (or on both when they are equal: 2).
int place(Extended value, Extended lower, Extended upper, Extended tolerance) {
    const bool low = std::isfinite(static_cast<double>(lower)) && value <= lower + tolerance;
    const bool high = std::isfinite(static_cast<double>(upper)) && value >= upper - tolerance;
    return low && high ? 2 : low ? -1 : high ? 1 : 0;
}

// How far a dual or reduced cost has the wrong sign for an optimum, for a
// value at `where` (the sense of a minimisation: >= 0 at a lower bound).
Extended wrong_sign(Extended d, int where) {
    switch (where) {
        case 2: return 0;
        case -1: return std::max<Extended>(0, -d);
        case 1: return std::max<Extended>(0, d);
        default: return d < 0 ? -d : d;
    }
}

// The model's costs, row sides and column bounds at a record's values of
// the swept items.
struct ModelAt {
    std::vector<Extended> cost;
    std::vector<RowSides> sides, bounds;
};

ModelAt model_at(const Problem& model, const sweep::Target& target, const sweep::Record& record) {
    const int n = model.column_count();
    const int m = model.row_count();
    ModelAt at_record;
    std::vector<Extended>& cost = at_record.cost;
    std::vector<RowSides>& sides = at_record.sides;
    std::vector<RowSides>& bounds = at_record.bounds;
    cost.resize(at(n));
    sides.resize(at(m));
    bounds.resize(at(n));
    for (int j = 0; j < n; ++j) {
        cost[at(j)] = model.columns[at(j)].cost;
        bounds[at(j)] = {model.columns[at(j)].lower, model.columns[at(j)].upper};
    }
    for (int i = 0; i < m; ++i) sides[at(i)] = row_sides(model.rows[at(i)]);
    for (std::size_t k = 0; k < target.items.size(); ++k) {
        const sweep::Item& item = target.items[k];
        const Extended shift = static_cast<Extended>(record.items[k]) - static_cast<Extended>(item.reference);
        if (target.costs) {
            cost[at(item.index)] += shift;
        } else if (target.bounds) {
            const sweep::BoundSide side = k < target.sides.size() ? target.sides[k] : sweep::BoundSide::both;
            RowSides& b = bounds[at(item.index)];
            if (side != sweep::BoundSide::upper && std::isfinite(static_cast<double>(b.lower))) b.lower += shift;
            if (side != sweep::BoundSide::lower && std::isfinite(static_cast<double>(b.upper))) b.upper += shift;
        } else {
            RowSides& s = sides[at(item.index)];
            if (std::isfinite(static_cast<double>(s.lower))) s.lower += shift;
            if (std::isfinite(static_cast<double>(s.upper))) s.upper += shift;
        }
    }
    return at_record;
}

}  // namespace

CheckReport check_model_record(const Problem& model, const sweep::Target& target, const sweep::Record& record) {
    CheckReport report;
    const int n = model.column_count();
    const int m = model.row_count();
    const ModelAt values = model_at(model, target, record);
    const std::vector<Extended>& cost = values.cost;
    const std::vector<RowSides>& sides = values.sides;
    const std::vector<RowSides>& bounds = values.bounds;
    const Extended sense = model.maximise ? -1 : 1;  // duals in the sense of a minimisation

    // Rows: A x, its scale, and A^T y for the reduced costs.
    std::vector<Extended> activity(at(m), 0), row_scale(at(m), 1), aty(at(n), 0), column_scale(at(n), 1);
    Extended objective = model.constant, objective_scale = std::max<Extended>(1, std::fabs(model.constant));
    for (int j = 0; j < n; ++j) {
        const Extended x = record.x[at(j)];
        objective += cost[at(j)] * x;
        objective_scale = std::max(objective_scale, std::fabs(cost[at(j)] * x));
        column_scale[at(j)] = std::max<Extended>(1, std::fabs(cost[at(j)]));
        model.matrix.for_each(j, [&](int i, Extended a) {
            activity[at(i)] += a * x;
            row_scale[at(i)] = std::max(row_scale[at(i)], std::fabs(a * x));
            const Extended ya = a * static_cast<Extended>(record.dual[at(i)]);
            aty[at(j)] += ya;
            column_scale[at(j)] = std::max(column_scale[at(j)], std::fabs(ya));
        });
    }
    const auto note = [&](const std::string& what, Extended measure, double& largest) {
        largest = std::max(largest, static_cast<double>(measure));
        if (report.findings.size() < 20) report.findings.push_back(what);
    };
    for (int i = 0; i < m; ++i) {
        const RowSides& s = sides[at(i)];
        for (const Extended bound : {s.lower, s.upper})
            if (std::isfinite(static_cast<double>(bound))) row_scale[at(i)] = std::max(row_scale[at(i)], std::fabs(bound));
        const Extended scale = row_scale[at(i)];
        const Extended tolerance = feasibility_tolerance * scale;
        const std::string& name = model.rows[at(i)].name;
        const Extended violation = std::max<Extended>(s.lower - activity[at(i)], activity[at(i)] - s.upper);
        if (violation > tolerance)
            note("row \"" + name + "\" is violated by " + figure(violation), violation / scale,
                 report.primal_infeasibility);
        const Extended reported = record.activity[at(i)];
        if (std::fabs(reported - activity[at(i)]) > tolerance)
            note("row \"" + name + "\": activity " + figure(reported) + " reported, " + figure(activity[at(i)]) +
                     " recomputed",
                 std::fabs(reported - activity[at(i)]) / scale, report.primal_infeasibility);
        const Extended wrong = wrong_sign(sense * static_cast<Extended>(record.dual[at(i)]),
                                          place(activity[at(i)], s.lower, s.upper, tolerance));
        if (wrong > feasibility_tolerance * std::max<Extended>(1, std::fabs(static_cast<Extended>(record.dual[at(i)]))))
            note("row \"" + name + "\": its dual " + figure(record.dual[at(i)]) + " has the wrong sign for an optimum",
                 wrong, report.dual_infeasibility);
    }
    for (int j = 0; j < n; ++j) {
        const ProblemColumn& c = model.columns[at(j)];
        const RowSides& b = bounds[at(j)];
        const Extended x = record.x[at(j)];
        const Extended value_scale = std::max<Extended>(1, std::fabs(x));
        const Extended violation = std::max<Extended>(b.lower - x, x - b.upper);
        if (violation > feasibility_tolerance * value_scale)
            note("column \"" + c.name + "\" lies outside its bounds by " + figure(violation), violation / value_scale,
                 report.primal_infeasibility);
        const Extended d = cost[at(j)] - aty[at(j)];
        const Extended scale = column_scale[at(j)];
        if (std::fabs(d - static_cast<Extended>(record.reduced_cost[at(j)])) > feasibility_tolerance * scale)
            note("column \"" + c.name + "\": reduced cost " + figure(record.reduced_cost[at(j)]) + " reported, " +
                     figure(d) + " recomputed",
                 std::fabs(d - static_cast<Extended>(record.reduced_cost[at(j)])) / scale, report.dual_infeasibility);
        const Extended wrong = wrong_sign(sense * d, place(x, b.lower, b.upper, feasibility_tolerance * value_scale));
        if (wrong > feasibility_tolerance * scale)
            note("column \"" + c.name + "\": its reduced cost " + figure(d) + " has the wrong sign for an optimum",
                 wrong / scale, report.dual_infeasibility);
    }
    report.feasible = report.primal_infeasibility == 0;
    report.have_objective = true;
    report.objective = objective;
    if (std::fabs(objective - static_cast<Extended>(record.objective)) > objective_tolerance * objective_scale)
        report.findings.push_back("the objective " + figure(record.objective) + " is not c x, " + figure(objective));
    report.pivot_ratio_known = false;
    return report;
}

}  // namespace lpsens
