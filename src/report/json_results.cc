#include "report/json_results.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace lpsens {

namespace {

std::string number(double x) {
    if (!std::isfinite(x)) return "null";
    if (x == 0) return "0";
    char buf[32];
    const auto result = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, result.ptr);
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x80) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);  // names are bytes; non-ASCII ones as Latin-1
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

// A ranging limit: null for "no limit".
std::string limit(StoredReal base, double offset, bool upper) {
    const Extended o = offset;
    if (upper ? o >= 9e30L : o <= -9e30L) return "null";
    return number(static_cast<double>(load_real(base) + o));
}

template <class Item>
std::string list(int from, int to, Item item) {
    std::string out = "[";
    for (int k = from; k <= to; ++k) out += (k > from ? ",\n    " : "\n    ") + item(k);
    return out + (to >= from ? "\n  ]" : "]");
}

}  // namespace

std::string json_results(const DocumentedForm& form, const RunResults& run, const ResultChecker& checker) {
    const int n = form.variables();
    const int m = form.rows();
    const bool parametric = run.mode == "pv" || run.mode == "rv";
    std::string j = "{\n";
    j += "  \"title\": " + quoted(form.title()) + ",\n";
    j += "  \"mode\": \"" + std::string(parametric ? run.mode : "ordinary") + "\",\n";
    j += "  \"engine\": \"" + std::string(run.accurate ? "accurate" : "classic") + "\",\n";
    j += "  \"status\": \"" + run.status + "\",\n";
    if (run.solution != nullptr && !parametric) {
        const Solution& solution = *run.solution;
        const Ranging& ranging = *run.ranging;
        j += "  \"objective\": " + number(solution.objective) + ",\n";
        j += "  \"variables\": " + list(1, n, [&](int v) {
            const auto sv = static_cast<std::size_t>(v);
            const StoredReal cost = narrowed(form.cost(v));
            return "{\"name\": " + quoted(form.column_name(v)) + ", \"cost\": " + number(cost.value) +
                   ", \"level\": " + number(solution.column[sv].level) +
                   ", \"reduced_cost\": " + number(solution.column[sv].price) +
                   ", \"cost_lower\": " + limit(cost, ranging.cost_lower[sv], false) +
                   ", \"cost_upper\": " + limit(cost, ranging.cost_upper[sv], true) + "}";
        }) + ",\n";
        j += "  \"rows\": " + list(1, m, [&](int i) {
            const auto si = static_cast<std::size_t>(i);
            const StoredReal rhs = narrowed(form.rhs(i));
            return "{\"name\": " + quoted(form.row_name(i)) + ", \"rhs\": " + number(rhs.value) +
                   ", \"residual\": " + number(solution.row[si].level) +
                   ", \"activity\": " + number(static_cast<double>(load_real(rhs) - static_cast<Extended>(solution.row[si].level))) +
                   ", \"shadow_price\": " + number(solution.row[si].price) +
                   ", \"rhs_lower\": " + limit(rhs, ranging.rhs_lower[si], false) +
                   ", \"rhs_upper\": " + limit(rhs, ranging.rhs_upper[si], true) + "}";
        }) + ",\n";
    }
    if (parametric && run.records != nullptr && !run.records->empty()) {
        const SweepItems& items = *run.items;
        const std::vector<SweepRecord>& records = *run.records;
        j += "  \"items\": " + list(1, items.count(), [&](int k) {
            const auto sk = static_cast<std::size_t>(k);
            const int index = items.index[sk];
            return "{\"name\": " + quoted(items.objective ? form.column_name(index) : form.row_name(index)) +
                   ", \"start\": " + number(items.start[sk].value) + ", \"end\": " + number(items.end[sk].value) + "}";
        }) + ",\n";
        j += "  \"records\": " + list(1, static_cast<int>(records.size()), [&](int s) {
            const SweepRecord& record = records[static_cast<std::size_t>(s - 1)];
            const std::vector<double>& r = record.values;
            auto values = [&](int from, int count) {
                std::string out = "[";
                for (int x = 0; x < count; ++x) out += (x ? ", " : "") + number(r[static_cast<std::size_t>(from + x)]);
                return out + "]";
            };
            std::string item_values = "[";
            for (int k = 1; k <= items.count(); ++k)
                item_values += (k > 1 ? ", " : "") + number(record.items[static_cast<std::size_t>(k)].value);
            return "{\"t\": " + number(record.t.value) + ", \"items\": " + item_values +
                   "], \"objective\": " + number(r[0]) + ", \"levels\": " + values(1, n) +
                   ", \"residuals\": " + values(n + 1, m) + ", \"reduced_costs\": " + values(n + m + 1, n) +
                   ", \"shadow_prices\": " + values(2 * n + m + 1, m) + "}";
        }) + ",\n";
    }
    if (run.imported != nullptr && run.solution != nullptr && !parametric) {
        const ModelMap& map = *run.imported;
        const Solution& solution = *run.solution;
        const Extended sense = map.maximise ? 1 : -1;
        j += "  \"model\": {\"sense\": \"" + std::string(map.maximise ? "max" : "min") +
             "\", \"objective\": " + number(static_cast<double>(sense * static_cast<Extended>(solution.objective))) +
             ", \"variables\": " + list(0, static_cast<int>(map.variables.size()) - 1, [&](int v) {
                 const VariableMap& variable = map.variables[static_cast<std::size_t>(v)];
                 Extended x = variable.shift;
                 if (variable.part)
                     x += variable.sign * static_cast<Extended>(solution.column[static_cast<std::size_t>(variable.part)].level);
                 if (variable.negative_part)
                     x -= static_cast<Extended>(solution.column[static_cast<std::size_t>(variable.negative_part)].level);
                 return "{\"name\": " + quoted(variable.name) + ", \"value\": " + number(static_cast<double>(x)) + "}";
             }) + "},\n";
    }
    const auto& reports = checker.reports();
    j += "  \"checks\": " + list(0, static_cast<int>(reports.size()) - 1, [&](int k) {
        const auto& [context, r] = reports[static_cast<std::size_t>(k)];
        std::string c = "{\"context\": " + quoted(context) + ", \"passed\": " + (r.passed() ? "true" : "false");
        if (r.have_objective) c += ", \"recomputed_objective\": " + number(static_cast<double>(r.objective));
        if (r.certificate_checked) c += ", \"certificate_bound\": " + number(static_cast<double>(r.certificate_bound));
        c += ", \"singular\": " + std::string(r.singular ? "true" : "false") +
             ", \"primal_infeasibility\": " + number(r.primal_infeasibility) +
             ", \"dual_infeasibility\": " + number(r.dual_infeasibility) +
             ", \"printed_difference\": " + number(r.printed_difference) + ", \"findings\": [";
        for (std::size_t f = 0; f < r.findings.size(); ++f) c += (f ? ", " : "") + quoted(r.findings[f]);
        return c + "]}";
    }) + "\n";
    return j + "}\n";
}

}  // namespace lpsens
