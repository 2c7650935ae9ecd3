// The conversion of a model to lpsens's own problem: maximise, every variable
// at least 0, every right-hand side at least 0.
//
// Per variable with bounds [l, u]:
//   l = u          fixed: removed, its part moved to the constant and the
//                  right-hand sides;
//   l finite       x = l + x' (x' >= 0); with u finite too the row
//                  "NAME.ub": x' <= u - l;
//   l = -inf, u    x = u - x', the column negated ("NAME.neg");
//   free           x = x+ - x- ("NAME.pos", "NAME.neg").
// A ranged row becomes the row itself and "NAME.rng" for its other side (an
// equality row when the range is 0).  Free rows other than the objective are
// dropped.  A row whose right-hand side is negative is multiplied by -1, so
// that <= and >= swap.  A minimisation is turned into the maximisation of
// minus the objective.
#include <algorithm>
#include <cstdio>

#include "form/documented_form.h"
#include "numeric/plural.h"
#include "numeric/run_error.h"

namespace lpsens {

namespace {

struct OutRow {
    std::string name;
    char type;  // 'L', 'G', 'E'
    Extended rhs;
    std::vector<std::pair<int, Extended>> entries;  // by converted variable (1-based), in order

    // Adds to the entry of variable v, the newest variable of the row.
    void add(int v, Extended a) {
        if (!entries.empty() && entries.back().first == v) entries.back().second += a;
        else entries.push_back({v, a});
    }
    FormRowOrigin origin;
};

// The values of the form are exact; a zero is +0.
Extended value_of(Extended x) { return x == 0 ? 0 : x; }

// A name as the form keeps it: one line of at most 80 characters.
std::string cut_name(const std::string& name) {
    return name.substr(0, std::min({name.size(), name.find_first_of("\r\n"), name_limit}));
}

}  // namespace

ConvertedModel convert_model(const Problem& model, std::vector<std::string>& console_lines) {
    ConvertedModel out;
    out.map.maximise = model.maximise;
    const Extended sense = model.maximise ? 1 : -1;
    Extended constant = sense * model.constant;

    // Rows first: each model row's right-hand side and its range.
    std::vector<OutRow> rows;
    std::vector<int> first_row(model.rows.size(), -1), second_row(model.rows.size(), -1);
    std::vector<Extended> rhs_shift(model.rows.size(), 0);
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        const ProblemRow& row = model.rows[r];
        const auto side_of = [](char type) { return type == 'L' ? 'U' : type == 'G' ? 'L' : 'E'; };
        if (!row.ranged) {
            first_row[r] = static_cast<int>(rows.size());
            rows.push_back({row.name, row.type, row.rhs, {}, {static_cast<int>(r), -1, false, 1, side_of(row.type), 0}});
            continue;
        }
        const Extended size = row.range < 0 ? -row.range : row.range;
        Extended low = row.rhs, high = row.rhs;
        if (row.type == 'L') low = row.rhs - size;
        else if (row.type == 'G') high = row.rhs + size;
        else if (row.range >= 0) high = row.rhs + size;
        else low = row.rhs - size;
        first_row[r] = static_cast<int>(rows.size());
        if (size == 0) {
            rows.push_back({row.name, 'E', row.rhs, {}, {static_cast<int>(r), -1, false, 1, 'E', 0}});
            continue;
        }
        // The row keeps its own side; ".rng" holds the other.
        const bool keeps_upper = row.type == 'L' || (row.type == 'E' && row.range < 0);
        rows.push_back({row.name, keeps_upper ? 'L' : 'G', keeps_upper ? high : low, {},
                        {static_cast<int>(r), -1, false, 1, keeps_upper ? 'U' : 'L', 0}});
        second_row[r] = static_cast<int>(rows.size());
        rows.push_back({row.name + ".rng", keeps_upper ? 'G' : 'L', keeps_upper ? low : high, {},
                        {static_cast<int>(r), -1, true, 1, keeps_upper ? 'L' : 'U', 0}});
    }

    // Columns.
    std::vector<std::string> names;      // converted variables, 0-based
    std::vector<Extended> costs;
    std::vector<OutRow> bound_rows;
    long fixed = 0, shifted = 0, mirrored = 0, split = 0;
    auto add_variable = [&](const std::string& name, Extended cost, const std::vector<std::pair<int, Extended>>& entries, Extended sign) {
        names.push_back(name);
        costs.push_back(sense * cost * sign);
        out.map.variable_of.push_back(static_cast<int>(out.map.variables.size()));
        const int v = static_cast<int>(names.size());
        for (const auto& [r, a] : entries) {
            rows[first_row[r]].add(v, sign * a);
            if (second_row[r] >= 0) rows[second_row[r]].add(v, sign * a);
        }
        return v;
    };
    auto move_to_constant = [&](const ProblemColumn& c, const std::vector<std::pair<int, Extended>>& entries,
                                Extended value) {
        constant += sense * c.cost * value;
        for (const auto& [r, a] : entries) {
            rows[first_row[r]].rhs -= a * value;
            if (second_row[r] >= 0) rows[second_row[r]].rhs -= a * value;
        }
    };
    std::vector<std::vector<std::pair<int, Extended>>> entries_of(model.columns.size());
    for (int j = 0; j < model.column_count(); ++j)
        model.matrix.for_each(j, [&](int r, Extended a) { entries_of[j].push_back({r, a}); });
    for (std::size_t column = 0; column < model.columns.size(); ++column) {
        const ProblemColumn& c = model.columns[column];
        const auto& entries = entries_of[column];
        VariableMap map;
        map.name = c.name;
        const bool low = c.lower > -model_infinity, high = c.upper < model_infinity;
        if (low && high && c.lower == c.upper) {
            ++fixed;
            map.shift = c.lower;
            move_to_constant(c, entries, c.lower);
        } else if (low) {
            if (c.lower != 0) {
                ++shifted;
                move_to_constant(c, entries, c.lower);
            }
            map.shift = c.lower;
            map.part = add_variable(c.name, c.cost, entries, 1);
            if (high) {
                bound_rows.push_back({c.name + ".ub", 'L', c.upper - c.lower, {{map.part, 1}},
                                      FormRowOrigin{-1, static_cast<int>(column), false, 1, 'U', c.lower}});
                map.bound_row = static_cast<int>(rows.size() + bound_rows.size());
            }
        } else if (high) {
            ++mirrored;
            move_to_constant(c, entries, c.upper);
            map.shift = c.upper;
            map.sign = -1;
            map.part = add_variable(c.name + ".neg", c.cost, entries, -1);
        } else {
            ++split;
            map.part = add_variable(c.name + ".pos", c.cost, entries, 1);
            map.negative_part = add_variable(c.name + ".neg", c.cost, entries, -1);
        }
        out.map.variables.push_back(map);
    }
    for (OutRow& r : bound_rows) rows.push_back(std::move(r));

    // What the shifts moved to the right-hand sides: the model's side value
    // less the row's right-hand side now.
    for (OutRow& r : rows) {
        if (r.origin.model_row < 0) continue;
        const ProblemRow& row = model.rows[r.origin.model_row];
        Extended side_value = row.rhs;
        if (row.ranged) {
            const Extended size = row.range < 0 ? -row.range : row.range;
            if (row.type == 'L') side_value = r.origin.side == 'U' ? row.rhs : row.rhs - size;
            else if (row.type == 'G') side_value = r.origin.side == 'L' ? row.rhs : row.rhs + size;
            else if (size != 0) side_value = (r.origin.side == 'L') == (row.range >= 0) ? row.rhs : row.rhs + row.range;
        }
        r.origin.offset = side_value - r.rhs;
    }

    // Negative right-hand sides: the row times -1.
    long flipped = 0;
    for (OutRow& r : rows) {
        if (!(r.rhs < 0)) continue;
        ++flipped;
        r.origin.sign = -1;
        r.rhs = -r.rhs;
        for (auto& entry : r.entries) entry.second = -entry.second;
        if (r.type != 'E') r.type = r.type == 'L' ? 'G' : 'L';
    }

    const std::size_t m = rows.size(), n = names.size();

    if (!model.maximise)
        console_lines.push_back("minimisation: the report shows the maximum of minus the objective");
    std::string done = "conversion: " + counted(static_cast<long long>(m), "row", "rows") + " and " +
                       counted(static_cast<long long>(n), "variable", "variables");
    const long added = static_cast<long>(m) - static_cast<long>(model.rows.size());
    if (added > 0) done += "; " + counted(added, "row", "rows") + " added for upper bounds and ranges";
    if (fixed > 0) done += "; " + counted(fixed, "fixed variable", "fixed variables") + " removed";
    if (shifted > 0)
        done += "; " + counted(shifted, "variable", "variables") + " shifted to a lower bound of 0";
    if (mirrored > 0) done += "; " + counted(mirrored, "variable", "variables") + " mirrored";
    if (split > 0) done += "; " + counted(split, "free variable", "free variables") + " split";
    if (flipped > 0) done += "; " + counted(flipped, "row", "rows") + " multiplied by -1";
    console_lines.push_back(done);

    out.map.rows.resize(model.rows.size());
    for (std::size_t i = 0; i < m; ++i) {
        const FormRowOrigin& origin = rows[i].origin;
        out.map.form_rows.push_back(origin);
        if (origin.model_row >= 0)
            out.map.rows[origin.model_row].rows.push_back({static_cast<int>(i + 1), origin.sign});
    }

    // The form.
    DocumentedForm& form = out.form;
    Problem& p = form.problem;
    p.title = cut_name(model.title);
    p.source = model.source;
    p.maximise = true;
    p.constant = value_of(constant);
    for (std::size_t i = 0; i < m; ++i) {
        p.rows.push_back({cut_name(rows[i].name), rows[i].type, value_of(rows[i].rhs), false, 0});
        if (rows[i].type == 'E') form.eq_rows.push_back(static_cast<std::int32_t>(i + 1));
        if (rows[i].type == 'G') form.ge_rows.push_back(static_cast<std::int32_t>(i + 1));
    }
    std::vector<std::vector<std::pair<int, Extended>>> columns(n);
    for (std::size_t i = 0; i < m; ++i)
        for (const auto& [v, a] : rows[i].entries)
            if (a != 0) columns[v - 1].push_back({static_cast<int>(i), a});
    for (std::size_t j = 0; j < n; ++j) {
        ProblemColumn column;
        column.name = cut_name(names[j]);
        column.cost = value_of(costs[j]);
        p.columns.push_back(column);
        p.matrix.add_column(columns[j]);
    }
    return out;
}

}  // namespace lpsens
