#include "report/json_sweep.h"

#include <cmath>

#include "report/json_text.h"

namespace lpsens {

namespace {

using json::inline_list;
using json::number;
using json::quoted;

// Where on the sweep: the item's value, or t when several items move.
double value_at(const SweptItems& items, const sweep::Result& result, double t) {
    return items.names.size() == 1 ? item_values_at(items, result, t)[0] : t;
}

std::string place(const Problem& model, revised::Variable v) {
    const int i = v.index;
    return v.kind == revised::Variable::Kind::column ? "{\"column\": " + quoted(model.columns[i].name) + "}"
                                                     : "{\"row\": " + quoted(model.rows[i].name) + "}";
}

}  // namespace

std::string json_sweep_end(const SweptItems& items, const sweep::Result& result) {
    return "{\"reason\": \"" + std::string(sweep::to_string(result.end)) + "\", \"at\": " +
           number(value_at(items, result, result.end_t)) + ", \"t\": " + number(result.end_t) + "}";
}

std::string json_model_sweep(const Problem& model, const char* kind, const SweptItems& items, const sweep::Result& result,
                             double tolerance) {
    const auto value = [&](double x) { return number(std::fabs(x) <= tolerance ? 0.0 : x); };
    const auto values = [&](const std::vector<double>& v) { return inline_list(v.size(), [&](std::size_t k) { return value(v[k]); }); };
    // The slope per unit of the item's own value when one item moves.
    const double per = items.names.size() == 1 && items.ends[0] != items.starts[0] ? items.ends[0] - items.starts[0] : 1.0;
    std::string j = "{\n      \"kind\": \"" + std::string(kind) + "\",\n";
    j += "      \"items\": " + inline_list(items.names.size(), [&](std::size_t k) {
             return "{\"name\": " + quoted(items.names[k]) + ", \"start\": " + number(items.starts[k]) +
                    ", \"end\": " + number(items.ends[k]) + "}";
         }) + ",\n";
    j += "      \"before\": ";
    if (result.before && !result.records.empty()) {
        const sweep::Stretch& s = *result.before;
        j += "{\"reason\": \"" + std::string(sweep::to_string(s.reason)) + "\", \"from\": " +
             number(value_at(items, result, s.from)) + ", \"to\": " + number(value_at(items, result, s.to)) +
             ", \"from_t\": " + number(s.from) + ", \"to_t\": " + number(s.to) + "}";
    } else {
        j += "null";
    }
    j += ",\n      \"records\": [";
    for (std::size_t k = 0; k < result.records.size(); ++k) {
        const sweep::Record& r = result.records[k];
        j += (k ? ",\n        " : "\n        ");
        j += "{\"t\": " + number(r.t) + ", \"items\": " + inline_list(r.items.size(), [&](std::size_t i) { return number(r.items[i]); }) +
             ", \"objective\": " + value(r.objective) + ", \"slope\": " + value(r.slope / per) +
             ", \"entering\": " + inline_list(r.entering.size(), [&](std::size_t i) { return place(model, r.entering[i]); }) +
             ", \"leaving\": " + inline_list(r.leaving.size(), [&](std::size_t i) { return place(model, r.leaving[i]); }) +
             ", \"values\": " + values(r.x) + ", \"activities\": " + values(r.activity) + ", \"duals\": " +
             values(r.dual) + ", \"reduced_costs\": " + values(r.reduced_cost) + "}";
    }
    j += result.records.empty() ? "]" : "\n      ]";
    j += ",\n      \"sweep_end\": " + json_sweep_end(items, result) + "\n    }";
    return j;
}

}  // namespace lpsens
