#include "scenario/scenario.h"

#include <algorithm>
#include <cmath>

#include "numeric/run_error.h"

namespace lpsens::scenario {

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw RunError(error_code::invalid_number, Site::read_values, what);
}

std::vector<std::pair<std::string_view, int>> sorted_names(const std::vector<std::string_view>& names) {
    std::vector<std::pair<std::string_view, int>> sorted;
    sorted.reserve(names.size());
    for (std::size_t k = 0; k < names.size(); ++k) sorted.emplace_back(names[k], static_cast<int>(k));
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

int find_name(const std::vector<std::pair<std::string_view, int>>& sorted, std::string_view name) {
    const auto at = std::lower_bound(sorted.begin(), sorted.end(), std::pair<std::string_view, int>(name, -1));
    return at != sorted.end() && at->first == name ? at->second : -1;
}

}  // namespace

const char* kind_name(Kind kind) {
    switch (kind) {
        case Kind::rhs: return "rhs";
        case Kind::cost: return "cost";
        case Kind::lower: return "lower";
        default: return "upper";
    }
}

ItemNames::ItemNames(const Problem& model) : model_(model) {
    std::vector<std::string_view> rows, columns;
    for (const ProblemRow& r : model.rows) rows.push_back(r.name);
    for (const ProblemColumn& c : model.columns) columns.push_back(c.name);
    rows_ = sorted_names(rows);
    columns_ = sorted_names(columns);
}

Item ItemNames::find(std::string_view text) const {
    const std::size_t colon = text.find(':');
    if (colon != std::string_view::npos) {
        const std::string_view kind = text.substr(0, colon), name = text.substr(colon + 1);
        Item item;
        if (kind == "rhs") {
            item.kind = Kind::rhs;
            item.index = find_name(rows_, name);
            if (item.index < 0) fail("'" + std::string(text) + "': the model has no row '" + std::string(name) + "'");
            return item;
        }
        if (kind == "cost" || kind == "lower" || kind == "upper") {
            item.kind = kind == "cost" ? Kind::cost : kind == "lower" ? Kind::lower : Kind::upper;
            item.index = find_name(columns_, name);
            if (item.index < 0)
                fail("'" + std::string(text) + "': the model has no column '" + std::string(name) + "'");
            return item;
        }
        // A name of the model may hold a colon itself.
        if (find_name(rows_, text) < 0 && find_name(columns_, text) < 0)
            fail("'" + std::string(text) + "': the kind '" + std::string(kind) +
                 "' is none of rhs, cost, lower and upper");
    }
    const int row = find_name(rows_, text), column = find_name(columns_, text);
    if (row >= 0 && column >= 0)
        fail("'" + std::string(text) + "' is both a row and a column: say rhs:" + std::string(text) + " or cost:" +
             std::string(text));
    if (row >= 0) return {Kind::rhs, row};
    if (column >= 0) return {Kind::cost, column};
    fail("'" + std::string(text) + "': the model has no row or column of that name");
}

void check_change(const Problem& model, const Change& change) {
    const bool row = change.kind == Kind::rhs;
    const int count = row ? model.row_count() : model.column_count();
    if (change.index < 0 || change.index >= count)
        fail(std::string("a change of ") + kind_name(change.kind) + " names index " + std::to_string(change.index) +
             " of " + std::to_string(count));
    const std::string& name = row ? model.rows[change.index].name : model.columns[change.index].name;
    const std::string what = std::string(kind_name(change.kind)) + ":" + name;
    if (std::isnan(change.value)) fail(what + ": the value is not a number");
    if ((change.kind == Kind::rhs || change.kind == Kind::cost) && !std::isfinite(change.value))
        fail(what + ": the value must be finite");
    if (change.kind == Kind::lower && change.value == HUGE_VAL) fail(what + ": a lower bound cannot be +infinity");
    if (change.kind == Kind::upper && change.value == -HUGE_VAL) fail(what + ": an upper bound cannot be -infinity");
}

void apply(Problem& model, const Change& change) {
    const auto bound = [](double v) { return std::isfinite(v) ? Extended(v) : v > 0 ? model_infinity : -model_infinity; };
    switch (change.kind) {
        case Kind::rhs: model.rows[change.index].rhs = change.value; break;
        case Kind::cost: model.columns[change.index].cost = change.value; break;
        case Kind::lower: model.columns[change.index].lower = bound(change.value); break;
        case Kind::upper: model.columns[change.index].upper = bound(change.value); break;
    }
}

}  // namespace lpsens::scenario
