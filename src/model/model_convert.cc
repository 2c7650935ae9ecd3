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
#include <cstdio>
#include <map>

#include "model/lp_model.h"
#include "model/run_error.h"
#include "model/workspace.h"

namespace lpsens {

namespace {

struct OutRow {
    std::string name;
    char type;  // 'L', 'G', 'E'
    Extended rhs;
    std::map<int, Extended> entries;  // by converted variable, 1-based
};

std::string number_text(Extended x) {
    if (x == 0) return "0";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.21Lg", x);
    return buf;
}

}  // namespace

void finish_model(LpModel& model) {
    long integers = 0;
    for (const ModelColumn& c : model.columns) integers += c.integer;
    if (integers > 0)
        model.warnings.push_back(std::to_string(integers) +
                                 " integer variables are treated as continuous (the relaxation is solved)");
    if (model.name.empty()) model.name = model.source;
}

ConvertedModel convert_model(const LpModel& model, std::vector<std::string>& console_lines) {
    ConvertedModel out;
    out.maximise = model.maximise;
    const Extended sense = model.maximise ? 1 : -1;
    Extended constant = sense * model.constant;

    // Rows first: each model row's right-hand side and its range.
    std::vector<OutRow> rows;
    std::vector<int> first_row(model.rows.size(), -1), second_row(model.rows.size(), -1);
    std::vector<Extended> rhs_shift(model.rows.size(), 0);
    for (std::size_t r = 0; r < model.rows.size(); ++r) {
        const ModelRow& row = model.rows[r];
        if (!row.ranged) {
            first_row[r] = static_cast<int>(rows.size());
            rows.push_back({row.name, row.type, row.rhs, {}});
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
            rows.push_back({row.name, 'E', row.rhs, {}});
            continue;
        }
        // The row keeps its own side; ".rng" holds the other.
        const bool keeps_upper = row.type == 'L' || (row.type == 'E' && row.range < 0);
        rows.push_back({row.name, keeps_upper ? 'L' : 'G', keeps_upper ? high : low, {}});
        second_row[r] = static_cast<int>(rows.size());
        rows.push_back({row.name + ".rng", keeps_upper ? 'G' : 'L', keeps_upper ? low : high, {}});
    }

    // Columns.
    std::vector<std::string> names;      // converted variables, 0-based
    std::vector<Extended> costs;
    std::vector<OutRow> bound_rows;
    long fixed = 0, shifted = 0, mirrored = 0, split = 0;
    auto add_variable = [&](const std::string& name, Extended cost, const ModelColumn& c, Extended sign) {
        names.push_back(name);
        costs.push_back(sense * cost * sign);
        const int v = static_cast<int>(names.size());
        for (const auto& [r, a] : c.entries) {
            const auto rr = static_cast<std::size_t>(r);
            rows[static_cast<std::size_t>(first_row[rr])].entries[v] += sign * a;
            if (second_row[rr] >= 0) rows[static_cast<std::size_t>(second_row[rr])].entries[v] += sign * a;
        }
        return v;
    };
    auto move_to_constant = [&](const ModelColumn& c, Extended value) {
        constant += sense * c.cost * value;
        for (const auto& [r, a] : c.entries) {
            const auto rr = static_cast<std::size_t>(r);
            rows[static_cast<std::size_t>(first_row[rr])].rhs -= a * value;
            if (second_row[rr] >= 0) rows[static_cast<std::size_t>(second_row[rr])].rhs -= a * value;
        }
    };
    for (const ModelColumn& c : model.columns) {
        VariableMap map;
        map.name = c.name;
        const bool low = c.lower > -model_infinity, high = c.upper < model_infinity;
        if (low && high && c.lower == c.upper) {
            ++fixed;
            map.shift = c.lower;
            move_to_constant(c, c.lower);
        } else if (low) {
            if (c.lower != 0) {
                ++shifted;
                move_to_constant(c, c.lower);
            }
            map.shift = c.lower;
            map.part = add_variable(c.name, c.cost, c, 1);
            if (high) bound_rows.push_back({c.name + ".ub", 'L', c.upper - c.lower, {{map.part, 1}}});
        } else if (high) {
            ++mirrored;
            move_to_constant(c, c.upper);
            map.shift = c.upper;
            map.sign = -1;
            map.part = add_variable(c.name + ".neg", c.cost, c, -1);
        } else {
            ++split;
            map.part = add_variable(c.name + ".pos", c.cost, c, 1);
            map.negative_part = add_variable(c.name + ".neg", c.cost, c, -1);
        }
        out.variables.push_back(map);
    }
    for (OutRow& r : bound_rows) rows.push_back(std::move(r));

    // Negative right-hand sides: the row times -1.
    long flipped = 0;
    for (OutRow& r : rows) {
        if (!(r.rhs < 0)) continue;
        ++flipped;
        r.rhs = -r.rhs;
        for (auto& entry : r.entries) entry.second = -entry.second;
        if (r.type != 'E') r.type = r.type == 'L' ? 'G' : 'L';
    }

    const std::size_t m = rows.size(), n = names.size();
    if (m > static_cast<std::size_t>(max_rows) || n > static_cast<std::size_t>(max_vars))
        throw RunError(error_code::invalid_number, Site::convert_model,
                       model.source + ": after conversion the problem has " + std::to_string(m) + " rows and " +
                           std::to_string(n) + " variables; lpsens takes at most " + std::to_string(max_rows) +
                           " rows and " + std::to_string(max_vars) + " variables");

    if (!model.maximise)
        console_lines.push_back("minimisation: the report shows the maximum of minus the objective");
    std::string done = "conversion: " + std::to_string(m) + " rows and " + std::to_string(n) + " variables";
    const long added = static_cast<long>(m) - static_cast<long>(model.rows.size());
    if (added > 0) done += "; " + std::to_string(added) + " rows added for upper bounds and ranges";
    if (fixed > 0) done += "; " + std::to_string(fixed) + " fixed variables removed";
    if (shifted > 0) done += "; " + std::to_string(shifted) + " variables shifted to a lower bound of 0";
    if (mirrored > 0) done += "; " + std::to_string(mirrored) + " variables mirrored";
    if (split > 0) done += "; " + std::to_string(split) + " free variables split";
    if (flipped > 0) done += "; " + std::to_string(flipped) + " rows multiplied by -1";
    console_lines.push_back(done);

    // The problem text.
    std::string& t = out.text;
    t = model.name + "\r\n" + std::to_string(m) + " " + std::to_string(n) + " ";
    std::vector<std::size_t> eq, ge;
    for (std::size_t i = 0; i < m; ++i) {
        if (rows[i].type == 'E') eq.push_back(i + 1);
        if (rows[i].type == 'G') ge.push_back(i + 1);
    }
    t += std::to_string(eq.size()) + " " + std::to_string(ge.size()) + "\r\n";
    for (const auto* list : {&eq, &ge}) {
        if (list->empty()) continue;
        std::string line;
        for (std::size_t k = 0; k < list->size(); ++k) line += (k ? " " : "") + std::to_string((*list)[k]);
        t += line + "\r\n";
    }
    for (const std::string& name : names) t += name + "\r\n";
    for (const OutRow& r : rows) t += r.name + "\r\n";
    t += number_text(constant) + "\r\n";
    for (const Extended c : costs) t += number_text(c) + "\r\n";
    for (const OutRow& r : rows) {
        t += number_text(r.rhs) + "\r\n";
        auto it = r.entries.begin();
        for (std::size_t j = 1; j <= n; ++j) {
            Extended a = 0;
            if (it != r.entries.end() && static_cast<std::size_t>(it->first) == j) a = (it++)->second;
            t += number_text(a) + "\r\n";
        }
    }
    return out;
}

}  // namespace lpsens
