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

// The form's rows as they are built, and where each model row went.
struct OutRows {
    std::vector<OutRow> rows;
    std::vector<int> first_row, second_row;  // by model row: its form rows (0-based), -1 for none
};

// Each model row's right-hand side and its range, as rows of the form.
OutRows convert_rows(const Problem& model) {
    OutRows out;
    std::vector<OutRow>& rows = out.rows;
    out.first_row.assign(model.rows.size(), -1);
    out.second_row.assign(model.rows.size(), -1);
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        const ProblemRow& row = model.rows[r];
        const auto side_of = [](char type) { return type == 'L' ? 'U' : type == 'G' ? 'L' : 'E'; };
        if (!row.ranged) {
            out.first_row[r] = static_cast<int>(rows.size());
            rows.push_back({row.name, row.type, row.rhs, {}, {static_cast<int>(r), -1, false, 1, side_of(row.type), 0}});
            continue;
        }
        const Extended size = row.range < 0 ? -row.range : row.range;
        Extended low = row.rhs, high = row.rhs;
        if (row.type == 'L') low = row.rhs - size;
        else if (row.type == 'G') high = row.rhs + size;
        else if (row.range >= 0) high = row.rhs + size;
        else low = row.rhs - size;
        out.first_row[r] = static_cast<int>(rows.size());
        if (size == 0) {
            rows.push_back({row.name, 'E', row.rhs, {}, {static_cast<int>(r), -1, false, 1, 'E', 0}});
            continue;
        }
        // The row keeps its own side; ".rng" holds the other.
        const bool keeps_upper = row.type == 'L' || (row.type == 'E' && row.range < 0);
        rows.push_back({row.name, keeps_upper ? 'L' : 'G', keeps_upper ? high : low, {},
                        {static_cast<int>(r), -1, false, 1, keeps_upper ? 'U' : 'L', 0}});
        out.second_row[r] = static_cast<int>(rows.size());
        rows.push_back({row.name + ".rng", keeps_upper ? 'G' : 'L', keeps_upper ? low : high, {},
                        {static_cast<int>(r), -1, true, 1, keeps_upper ? 'L' : 'U', 0}});
    }
    return out;
}

using Entries = std::vector<std::pair<int, Extended>>;  // (model row, value)

// The conversion of the columns, one at a time: the form's variables, their
// entries in the rows, and what fixed and shifted columns move to the
// constant and the right-hand sides.
struct ColumnConversion {
    Extended sense;     // 1 to maximise, -1 to minimise
    Extended constant;  // the form's objective constant so far
    OutRows& out;
    ModelMap& map;
    std::vector<std::string> names;  // the form's variables, 0-based
    std::vector<Extended> costs;
    std::vector<OutRow> bound_rows;
    long fixed = 0, shifted = 0, mirrored = 0, split = 0;

    // A new variable of the form: the column times sign.
    int add_variable(const std::string& name, Extended cost, const Entries& entries, Extended sign) {
        names.push_back(name);
        costs.push_back(sense * cost * sign);
        map.variable_of.push_back(static_cast<int>(map.variables.size()));
        const int v = static_cast<int>(names.size());
        for (const auto& [r, a] : entries) {
            out.rows[out.first_row[r]].add(v, sign * a);
            if (out.second_row[r] >= 0) out.rows[out.second_row[r]].add(v, sign * a);
        }
        return v;
    }
    // The column's part at `value`, to the constant and the right-hand sides.
    void move_to_constant(const ProblemColumn& c, const Entries& entries, Extended value) {
        constant += sense * c.cost * value;
        for (const auto& [r, a] : entries) {
            out.rows[out.first_row[r]].rhs -= a * value;
            if (out.second_row[r] >= 0) out.rows[out.second_row[r]].rhs -= a * value;
        }
    }
    void convert(const ProblemColumn& c, std::size_t column, const Entries& entries);
};

void ColumnConversion::convert(const ProblemColumn& c, std::size_t column, const Entries& entries) {
    VariableMap variable;
    variable.name = c.name;
    const bool low = c.lower > -model_infinity, high = c.upper < model_infinity;
    if (low && high && c.lower == c.upper) {
        ++fixed;
        variable.shift = c.lower;
        move_to_constant(c, entries, c.lower);
    } else if (low) {
        if (c.lower != 0) {
            ++shifted;
            move_to_constant(c, entries, c.lower);
        }
        variable.shift = c.lower;
        variable.part = add_variable(c.name, c.cost, entries, 1);
        if (high) {
            bound_rows.push_back({c.name + ".ub", 'L', c.upper - c.lower, {{variable.part, 1}},
                                  FormRowOrigin{-1, static_cast<int>(column), false, 1, 'U', c.lower}});
            variable.bound_row = static_cast<int>(out.rows.size() + bound_rows.size());
        }
    } else if (high) {
        ++mirrored;
        move_to_constant(c, entries, c.upper);
        variable.shift = c.upper;
        variable.sign = -1;
        variable.part = add_variable(c.name + ".neg", c.cost, entries, -1);
    } else {
        ++split;
        variable.part = add_variable(c.name + ".pos", c.cost, entries, 1);
        variable.negative_part = add_variable(c.name + ".neg", c.cost, entries, -1);
    }
    map.variables.push_back(variable);
}

// Records in each row's origin what the shifts moved to its right-hand
// side: the model's side value less the row's right-hand side now.
void record_offsets(const Problem& model, std::vector<OutRow>& rows) {
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
}

// Multiplies by -1 each row whose right-hand side is negative; returns how
// many were.
long flip_negative_rows(std::vector<OutRow>& rows) {
    long flipped = 0;
    for (OutRow& r : rows) {
        if (!(r.rhs < 0)) continue;
        ++flipped;
        r.origin.sign = -1;
        r.rhs = -r.rhs;
        for (auto& entry : r.entries) entry.second = -entry.second;
        if (r.type != 'E') r.type = r.type == 'L' ? 'G' : 'L';
    }
    return flipped;
}

// The console's account of the conversion.
void report_conversion(const Problem& model, const ColumnConversion& columns, std::size_t m, long flipped,
                       std::vector<std::string>& console_lines) {
    const std::size_t n = columns.names.size();
    if (!model.maximise)
        console_lines.push_back("minimisation: the report shows the maximum of minus the objective");
    std::string done = "conversion: " + counted(static_cast<long long>(m), "row", "rows") + " and " +
                       counted(static_cast<long long>(n), "variable", "variables");
    const long added = static_cast<long>(m) - static_cast<long>(model.rows.size());
    if (added > 0) done += "; " + counted(added, "row", "rows") + " added for upper bounds and ranges";
    if (columns.fixed > 0) done += "; " + counted(columns.fixed, "fixed variable", "fixed variables") + " removed";
    if (columns.shifted > 0)
        done += "; " + counted(columns.shifted, "variable", "variables") + " shifted to a lower bound of 0";
    if (columns.mirrored > 0) done += "; " + counted(columns.mirrored, "variable", "variables") + " mirrored";
    if (columns.split > 0) done += "; " + counted(columns.split, "free variable", "free variables") + " split";
    if (flipped > 0) done += "; " + counted(flipped, "row", "rows") + " multiplied by -1";
    console_lines.push_back(done);
}

// The form's problem from the converted rows and variables.
void write_form(const Problem& model, const std::vector<OutRow>& rows, const ColumnConversion& columns,
                DocumentedForm& form) {
    const std::size_t m = rows.size(), n = columns.names.size();
    Problem& p = form.problem;
    p.title = cut_name(model.title);
    p.source = model.source;
    p.maximise = true;
    p.constant = value_of(columns.constant);
    for (std::size_t i = 0; i < m; ++i) {
        p.rows.push_back({cut_name(rows[i].name), rows[i].type, value_of(rows[i].rhs), false, 0});
        if (rows[i].type == 'E') form.eq_rows.push_back(static_cast<std::int32_t>(i + 1));
        if (rows[i].type == 'G') form.ge_rows.push_back(static_cast<std::int32_t>(i + 1));
    }
    std::vector<std::vector<std::pair<int, Extended>>> entries(n);
    for (std::size_t i = 0; i < m; ++i)
        for (const auto& [v, a] : rows[i].entries)
            if (a != 0) entries[v - 1].push_back({static_cast<int>(i), a});
    for (std::size_t j = 0; j < n; ++j) {
        ProblemColumn column;
        column.name = cut_name(columns.names[j]);
        column.cost = value_of(columns.costs[j]);
        p.columns.push_back(column);
        p.matrix.add_column(entries[j]);
    }
}

}  // namespace

ConvertedModel convert_model(const Problem& model, std::vector<std::string>& console_lines) {
    ConvertedModel out;
    out.map.maximise = model.maximise;
    const Extended sense = model.maximise ? 1 : -1;

    // Rows first, then the columns, their bound rows after the rows.
    OutRows converted = convert_rows(model);
    ColumnConversion columns{sense, sense * model.constant, converted, out.map, {}, {}, {}};
    std::vector<Entries> entries_of(model.columns.size());
    for (int j = 0; j < model.column_count(); ++j)
        model.matrix.for_each(j, [&](int r, Extended a) { entries_of[j].push_back({r, a}); });
    for (std::size_t column = 0; column < model.columns.size(); ++column)
        columns.convert(model.columns[column], column, entries_of[column]);
    std::vector<OutRow>& rows = converted.rows;
    for (OutRow& r : columns.bound_rows) rows.push_back(std::move(r));

    record_offsets(model, rows);
    const long flipped = flip_negative_rows(rows);
    report_conversion(model, columns, rows.size(), flipped, console_lines);

    out.map.rows.resize(model.rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const FormRowOrigin& origin = rows[i].origin;
        out.map.form_rows.push_back(origin);
        if (origin.model_row >= 0)
            out.map.rows[origin.model_row].rows.push_back({static_cast<int>(i + 1), origin.sign});
    }
    write_form(model, rows, columns, out.form);
    return out;
}

}  // namespace lpsens
