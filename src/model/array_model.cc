#include "model/array_model.h"

#include <cmath>
#include <unordered_set>

#include "numeric/run_error.h"

namespace lpsens {

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw RunError(error_code::invalid_number, Site::read_values, "the model's arrays: " + what);
}

void check_size(std::size_t size, std::size_t expected, const char* what) {
    if (size != expected)
        fail(std::string(what) + " has " + std::to_string(size) + " entries, not " + std::to_string(expected));
}

std::vector<std::string> names_of(const std::vector<std::string>& given, std::size_t count, const char* prefix,
                                  const char* what) {
    if (given.empty()) {
        std::vector<std::string> made(count);
        for (std::size_t k = 0; k < count; ++k) made[k] = prefix + std::to_string(k + 1);
        return made;
    }
    check_size(given.size(), count, what);
    std::unordered_set<std::string> seen;
    for (const std::string& name : given) {
        if (name.empty()) fail(std::string("a name in ") + what + " is empty");
        if (name.size() > name_limit)
            fail(std::string(what) + ": '" + name + "' is longer than " + std::to_string(name_limit) + " characters");
        for (const char c : name)
            if (static_cast<unsigned char>(c) <= ' ') fail(std::string(what) + ": '" + name + "' holds a blank");
        if (!seen.insert(name).second) fail(std::string(what) + ": '" + name + "' is given twice");
    }
    return given;
}

void check_sides(double lower, double upper, const std::string& what) {
    if (std::isnan(lower) || std::isnan(upper)) fail(what + " has a side that is not a number");
    if (lower > upper) fail(what + ": the lower side " + std::to_string(lower) + " is above the upper one");
    if (lower == HUGE_VAL || upper == -HUGE_VAL) fail(what + " has an infinite side on the wrong side");
}

ProblemRow row_of(const std::string& name, double lower, double upper) {
    ProblemRow row;
    row.name = name;
    const bool low = std::isfinite(lower), up = std::isfinite(upper);
    if (!low && !up) fail("row '" + name + "' has no finite side");
    if (low && up && lower == upper) {
        row.type = 'E';
        row.rhs = lower;
    } else if (low && up) {
        row.type = 'G';
        row.rhs = lower;
        row.ranged = true;
        row.range = static_cast<Extended>(upper) - static_cast<Extended>(lower);
    } else {
        row.type = low ? 'G' : 'L';
        row.rhs = low ? lower : upper;
    }
    return row;
}

}  // namespace

Problem model_from_arrays(const ModelArrays& a) {
    const std::size_t n = a.costs.size();
    const std::size_t m = a.row_lower.size();
    check_size(a.column_lower.size(), n, "the column lower bounds");
    check_size(a.column_upper.size(), n, "the column upper bounds");
    check_size(a.row_upper.size(), m, "the row upper sides");
    check_size(a.start.size(), n + 1, "the column starts");
    check_size(a.row.size(), a.value.size(), "the row indices");
    if (!std::isfinite(a.constant)) fail("the objective constant is not a finite number");
    const std::vector<std::string> row_names = names_of(a.row_names, m, "r", "the row names");
    const std::vector<std::string> column_names = names_of(a.column_names, n, "x", "the column names");

    Problem p;
    p.title = a.title.empty() ? "model" : a.title;
    p.source = "the model's arrays";
    p.binary_values = true;
    p.maximise = a.maximise;
    p.constant = a.constant;
    p.rows.reserve(m);
    for (std::size_t i = 0; i < m; ++i) {
        check_sides(a.row_lower[i], a.row_upper[i], "row '" + row_names[i] + "'");
        p.rows.push_back(row_of(row_names[i], a.row_lower[i], a.row_upper[i]));
    }
    if (a.start[0] != 0 || a.start[n] != static_cast<std::int64_t>(a.value.size()))
        fail("the column starts must run from 0 to the number of entries");
    std::vector<int> last_seen(m, -1);
    p.columns.reserve(n);
    for (std::size_t j = 0; j < n; ++j) {
        const std::string& name = column_names[j];
        ProblemColumn c;
        c.name = name;
        if (!std::isfinite(a.costs[j])) fail("column '" + name + "': its cost is not a finite number");
        c.cost = a.costs[j];
        check_sides(a.column_lower[j], a.column_upper[j], "column '" + name + "'");
        c.lower = std::isfinite(a.column_lower[j]) ? Extended(a.column_lower[j]) : -model_infinity;
        c.upper = std::isfinite(a.column_upper[j]) ? Extended(a.column_upper[j]) : model_infinity;
        p.columns.push_back(c);
        if (a.start[j + 1] < a.start[j]) fail("the column starts fall at column '" + name + "'");
        std::vector<std::pair<int, Extended>> entries;
        for (std::int64_t e = a.start[j]; e < a.start[j + 1]; ++e) {
            const std::int64_t r = a.row[static_cast<std::size_t>(e)];
            const double v = a.value[static_cast<std::size_t>(e)];
            if (r < 0 || r >= static_cast<std::int64_t>(m))
                fail("column '" + name + "': row index " + std::to_string(r) + " is out of range");
            if (!std::isfinite(v)) fail("column '" + name + "': an entry is not a finite number");
            if (last_seen[static_cast<std::size_t>(r)] == static_cast<int>(j))
                fail("column '" + name + "': row '" + row_names[static_cast<std::size_t>(r)] + "' is given twice");
            last_seen[static_cast<std::size_t>(r)] = static_cast<int>(j);
            if (v != 0) entries.emplace_back(static_cast<int>(r), v);
        }
        p.matrix.add_column(entries);
    }
    return p;
}

}  // namespace lpsens
