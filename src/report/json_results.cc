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
std::string limit(StoredReal base, StoredReal offset, bool upper) {
    const Extended o = load_real(offset);
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

std::string json_results(const Workspace& ws, const RunFacts& facts, const ResultChecker& checker,
                         const std::optional<ConvertedModel>& imported) {
    const int n = ws.var_count;
    const int m = ws.row_count;
    std::string j = "{\n";
    j += "  \"title\": " + quoted(ws.title) + ",\n";
    j += "  \"mode\": \"" + std::string(ws.parametric() ? ws.run_mode : "ordinary") + "\",\n";
    j += "  \"engine\": \"" + std::string(facts.accurate ? "accurate" : "classic") + "\",\n";
    j += "  \"status\": \"" + facts.status + "\",\n";
    const bool solved = facts.status != "infeasible";
    if (solved && !ws.parametric()) {
        j += "  \"objective\": " + number(ws.objective_value.value) + ",\n";
        j += "  \"variables\": " + list(1, n, [&](int v) {
            const auto sv = static_cast<std::size_t>(v);
            return "{\"name\": " + quoted(ws.column_names[sv]) + ", \"cost\": " + number(ws.original_objective[sv].value) +
                   ", \"level\": " + number(ws.column_solution[sv].level.value) +
                   ", \"reduced_cost\": " + number(ws.column_solution[sv].price.value) +
                   ", \"cost_lower\": " + limit(ws.original_objective[sv], ws.cost_lower[sv], false) +
                   ", \"cost_upper\": " + limit(ws.original_objective[sv], ws.cost_upper[sv], true) + "}";
        }) + ",\n";
        j += "  \"rows\": " + list(1, m, [&](int i) {
            const auto si = static_cast<std::size_t>(i);
            return "{\"name\": " + quoted(ws.row_names[si]) + ", \"rhs\": " + number(ws.original_rhs[si].value) +
                   ", \"residual\": " + number(ws.row_solution[si].level.value) +
                   ", \"activity\": " + number(static_cast<double>(load_real(ws.original_rhs[si]) - load_real(ws.row_solution[si].level))) +
                   ", \"shadow_price\": " + number(ws.row_solution[si].price.value) +
                   ", \"rhs_lower\": " + limit(ws.original_rhs[si], ws.rhs_lower[si], false) +
                   ", \"rhs_upper\": " + limit(ws.original_rhs[si], ws.rhs_upper[si], true) + "}";
        }) + ",\n";
    }
    if (ws.parametric() && ws.record_count > 0) {
        const bool pv = ws.run_mode == "pv";
        j += "  \"items\": " + list(1, ws.param_count, [&](int k) {
            const int index = ws.param_index[k];
            return "{\"name\": " + quoted(pv ? ws.column_names[index] : ws.row_names[index]) +
                   ", \"start\": " + number(ws.param_start[k].value) + ", \"end\": " + number(ws.param_end[k].value) + "}";
        }) + ",\n";
        j += "  \"records\": " + list(1, ws.record_count, [&](int s) {
            const std::vector<StoredReal>& r = ws.step_results[static_cast<std::size_t>(s)];
            auto values = [&](int from, int count) {
                std::string out = "[";
                for (int x = 0; x < count; ++x) out += (x ? ", " : "") + number(r[static_cast<std::size_t>(from + x)].value);
                return out + "]";
            };
            std::string items = "[";
            for (int k = 1; k <= ws.param_count; ++k)
                items += (k > 1 ? ", " : "") + number(ws.step_values[static_cast<std::size_t>(s)][k].value);
            return "{\"t\": " + number(ws.step_parameter[static_cast<std::size_t>(s)].value) + ", \"items\": " + items +
                   "], \"objective\": " + number(r[0].value) + ", \"levels\": " + values(1, n) +
                   ", \"residuals\": " + values(n + 1, m) + ", \"reduced_costs\": " + values(n + m + 1, n) +
                   ", \"shadow_prices\": " + values(2 * n + m + 1, m) + "}";
        }) + ",\n";
    }
    if (imported && solved && !ws.parametric()) {
        const Extended sense = imported->maximise ? 1 : -1;
        j += "  \"model\": {\"sense\": \"" + std::string(imported->maximise ? "max" : "min") +
             "\", \"objective\": " + number(static_cast<double>(sense * load_real(ws.objective_value))) +
             ", \"variables\": " + list(0, static_cast<int>(imported->variables.size()) - 1, [&](int v) {
                 const VariableMap& map = imported->variables[static_cast<std::size_t>(v)];
                 Extended x = map.shift;
                 if (map.part) x += map.sign * load_real(ws.column_solution[static_cast<std::size_t>(map.part)].level);
                 if (map.negative_part)
                     x -= load_real(ws.column_solution[static_cast<std::size_t>(map.negative_part)].level);
                 return "{\"name\": " + quoted(map.name) + ", \"value\": " + number(static_cast<double>(x)) + "}";
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
