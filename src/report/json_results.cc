#include "report/json_results.h"

#include "report/json_sweep.h"
#include "report/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace lpsens {

namespace {

using json::number;
using json::quoted;

// A ranging limit: null for "no limit".
std::string limit(StoredReal base, double offset, bool upper) {
    const Extended o = offset;
    if (upper ? o >= 9e30L : o <= -9e30L) return "null";
    return number(static_cast<double>(load_real(base) + o));
}

template <class Item>
std::string list(int from, int to, Item item, const char* indent = "    ", const char* close = "\n  ]") {
    std::string out = "[";
    for (int k = from; k <= to; ++k) out += (k > from ? ",\n" : "\n") + std::string(indent) + item(k);
    return out + (to >= from ? close : "]");
}

std::string place(const std::optional<ModelPlace>& p, const Problem& model) {
    if (!p) return "null";
    const auto i = static_cast<std::size_t>(p->index);
    switch (p->kind) {
    case ModelPlace::Kind::column: return "{\"column\": " + quoted(model.columns[i].name) + "}";
    case ModelPlace::Kind::row: return "{\"row\": " + quoted(model.rows[i].name) + "}";
    case ModelPlace::Kind::bound: return "{\"bound\": " + quoted(model.columns[i].name) + "}";
    }
    return "null";
}

std::string range(const std::optional<ModelRange>& r, const Problem& model) {
    if (!r) return "null";
    return "{\"lower\": " + number(r->lower) + ", \"upper\": " + number(r->upper) +
           ", \"objective_at_lower\": " + number(r->objective_at_lower) +
           ", \"objective_at_upper\": " + number(r->objective_at_upper) +
           ", \"entering_at_lower\": " + place(r->entering_at_lower, model) +
           ", \"leaving_at_lower\": " + place(r->leaving_at_lower, model) +
           ", \"entering_at_upper\": " + place(r->entering_at_upper, model) +
           ", \"leaving_at_upper\": " + place(r->leaving_at_upper, model) + "}";
}

const char* row_type(const ProblemRow& row) {
    if (row.ranged) return "ranged";
    return row.type == 'L' ? "<=" : row.type == 'G' ? ">=" : "=";
}

// A row's two bounds, as the model states them.
std::pair<double, double> row_bounds(const ProblemRow& row) {
    const double rhs = static_cast<double>(row.rhs);
    const double inf = HUGE_VAL;
    if (!row.ranged) return row.type == 'L' ? std::pair{-inf, rhs} : row.type == 'G' ? std::pair{rhs, inf} : std::pair{rhs, rhs};
    const double size = std::fabs(static_cast<double>(row.range));
    if (row.type == 'L') return {rhs - size, rhs};
    if (row.type == 'G') return {rhs, rhs + size};
    return row.range >= 0 ? std::pair{rhs, rhs + size} : std::pair{rhs - size, rhs};
}

std::string bound(Extended b) { return number(std::isinf(b) ? HUGE_VAL : static_cast<double>(b)); }

}  // namespace

std::string json_results(const DocumentedForm& form, const RunResults& run, const ResultChecker& checker) {
    const int n = form.variables();
    const int m = form.rows();
    const bool parametric = run.mode == "pv" || run.mode == "rv";
    // Values the engine computed: within its tolerance of zero they are 0.
    const auto value = [&](double x) { return number(std::fabs(x) <= run.tolerance ? 0.0 : x); };
    // A run stopped before its verdict proves nothing and is not checked.
    const bool stopped = !is_verdict(run.status);
    const bool verified = !stopped && checker.passed();
    const std::string status = status_name(run.status);
    std::string j = "{\n";
    j += "  \"title\": " + quoted(form.title()) + ",\n";
    j += "  \"mode\": \"" + std::string(parametric ? run.mode : "ordinary") + "\",\n";
    j += "  \"engine\": \"" + std::string(run.accurate ? "accurate" : "classic") + "\",\n";
    // A verdict the checks could not confirm is not stated as a fact.
    j += "  \"status\": \"" + (verified || stopped ? status : std::string("unverified")) + "\",\n";
    if (!verified && !stopped) j += "  \"reported_status\": \"" + status + "\",\n";
    j += "  \"verified\": " + std::string(verified ? "true" : "false") + ",\n";
    // Ranging only where there is a verdict; a stopped run's values are
    // those of the best basis found, which may not even be feasible.
    const Ranging* ranging = stopped ? nullptr : run.ranging;
    if (run.solution != nullptr && !parametric) {
        const Solution& solution = *run.solution;
        if (stopped) j += "  \"feasible\": " + std::string(run.feasible ? "true" : "false") + ",\n";
        j += "  \"objective\": " + value(solution.objective) + ",\n";
        j += "  \"variables\": " + list(1, n, [&](int v) {
            const auto sv = static_cast<std::size_t>(v);
            const StoredReal cost = narrowed(form.cost(v));
            std::string text = "{\"name\": " + quoted(form.column_name(v)) + ", \"cost\": " + number(cost.value) +
                               ", \"level\": " + value(solution.column[sv].level) +
                               ", \"reduced_cost\": " + value(solution.column[sv].price);
            if (ranging != nullptr)
                text += ", \"cost_lower\": " + limit(cost, ranging->cost_lower[sv], false) +
                        ", \"cost_upper\": " + limit(cost, ranging->cost_upper[sv], true);
            return text + "}";
        }) + ",\n";
        // A row's activity is A x of the form's values.
        std::vector<Extended> activity(static_cast<std::size_t>(m) + 1, 0);
        for (int v = 1; v <= n; ++v)
            form.for_each_entry(v, [&](int i, Extended a) {
                activity[static_cast<std::size_t>(i)] += a * static_cast<Extended>(solution.column[static_cast<std::size_t>(v)].level);
            });
        j += "  \"rows\": " + list(1, m, [&](int i) {
            const auto si = static_cast<std::size_t>(i);
            const StoredReal rhs = narrowed(form.rhs(i));
            std::string text = "{\"name\": " + quoted(form.row_name(i)) + ", \"rhs\": " + number(rhs.value) +
                               ", \"residual\": " + value(solution.row[si].level) +
                               ", \"activity\": " + value(static_cast<double>(activity[si])) +
                               ", \"shadow_price\": " + value(solution.row[si].price);
            if (ranging != nullptr)
                text += ", \"rhs_lower\": " + limit(rhs, ranging->rhs_lower[si], false) +
                        ", \"rhs_upper\": " + limit(rhs, ranging->rhs_upper[si], true);
            return text + "}";
        }) + ",\n";
    }
    if (parametric && run.records != nullptr && !run.records->empty()) {
        const SweepItems& items = *run.items;
        const std::vector<SweepRecord>& records = *run.records;
        const bool imported = run.map != nullptr;
        const double sense = imported && !run.map->maximise ? -1 : 1;
        j += "  \"items\": " + list(1, items.count(), [&](int k) {
            const auto sk = static_cast<std::size_t>(k);
            const int index = items.index[sk];
            return "{\"name\": " + quoted(items.objective ? form.column_name(index) : form.row_name(index)) +
                   ", \"start\": " + number(items.start[sk].value) + ", \"end\": " + number(items.end[sk].value) + "}";
        }) + ",\n";
        if (imported)
            j += "  \"model_items\": " + list(0, static_cast<int>(items.model_items.size()) - 1, [&](int k) {
                const SweepItems::ModelItem& item = items.model_items[static_cast<std::size_t>(k)];
                return "{\"name\": " + quoted(item.name) + ", \"start\": " + number(static_cast<double>(item.start)) +
                       ", \"end\": " + number(static_cast<double>(item.end)) + "}";
            }) + ",\n";
        j += "  \"records\": " + list(1, static_cast<int>(records.size()), [&](int s) {
            const SweepRecord& record = records[static_cast<std::size_t>(s - 1)];
            const std::vector<double>& r = record.values;
            auto values = [&](int from, int count) {
                std::string out = "[";
                for (int x = 0; x < count; ++x) out += (x ? ", " : "") + value(r[static_cast<std::size_t>(from + x)]);
                return out + "]";
            };
            std::string item_values = "[";
            for (int k = 1; k <= items.count(); ++k)
                item_values += (k > 1 ? ", " : "") + number(record.items[static_cast<std::size_t>(k)].value);
            std::string text = "{\"t\": " + number(record.t.value) + ", \"items\": " + item_values +
                               "], \"objective\": " + value(r[0]) + ", \"model_objective\": " + value(sense * r[0]);
            if (imported) {
                std::string model_values = "[";
                for (std::size_t k = 0; k < items.model_items.size(); ++k) {
                    const SweepItems::ModelItem& item = items.model_items[k];
                    model_values += (k ? ", " : "") + number(static_cast<double>(
                                                          item.start + (item.end - item.start) * load_real(record.t)));
                }
                text += ", \"model_items\": " + model_values + "]";
            }
            return text + ", \"levels\": " + values(1, n) + ", \"residuals\": " + values(n + 1, m) +
                   ", \"reduced_costs\": " + values(n + m + 1, n) + ", \"shadow_prices\": " + values(2 * n + m + 1, m) +
                   "}";
        }) + ",\n";
    }
    if (run.model_results != nullptr && !parametric) {
        const Problem& model = *run.model;
        const ModelResults& results = *run.model_results;
        j += "  \"model\": {\n    \"sense\": \"" + std::string(run.map->maximise ? "max" : "min") +
             "\",\n    \"objective\": " + number(results.objective) + ",\n    \"constant\": " +
             number(static_cast<double>(model.constant)) + ",\n";
        j += "    \"rows\": " + list(0, model.row_count() - 1, [&](int r) {
            const ProblemRow& row = model.rows[static_cast<std::size_t>(r)];
            const ModelRowResult& result = results.rows[static_cast<std::size_t>(r)];
            const auto [lower, upper] = row_bounds(row);
            return "{\"name\": " + quoted(row.name) + ", \"type\": \"" + row_type(row) +
                   "\", \"rhs\": " + number(static_cast<double>(row.rhs)) + ", \"lower\": " + number(lower) +
                   ", \"upper\": " + number(upper) + ", \"activity\": " + number(result.activity) +
                   ", \"dual\": " + number(result.dual) +
                   (stopped ? std::string() : ", \"rhs_ranging\": " + range(result.rhs, model)) + "}";
        }, "      ", "\n    ]") + ",\n";
        j += "    \"variables\": " + list(0, model.column_count() - 1, [&](int c) {
            const ProblemColumn& column = model.columns[static_cast<std::size_t>(c)];
            const ModelColumnResult& result = results.columns[static_cast<std::size_t>(c)];
            return "{\"name\": " + quoted(column.name) + ", \"cost\": " + number(static_cast<double>(column.cost)) +
                   ", \"lower\": " + bound(column.lower) + ", \"upper\": " + bound(column.upper) +
                   ", \"value\": " + number(result.value) + ", \"reduced_cost\": " + number(result.reduced_cost) +
                   (stopped ? std::string()
                            : ", \"cost_ranging\": " + range(result.cost, model) +
                                  ", \"lower_bound_ranging\": " + range(result.lower_bound, model) +
                                  ", \"upper_bound_ranging\": " + range(result.upper_bound, model)) +
                   "}";
        }, "      ", "\n    ]") + "\n  },\n";
    }
    if (run.model_sweep != nullptr) {
        j += "  \"sweep_end\": " + json_sweep_end(*run.swept, *run.model_sweep) + ",\n";
        j += "  \"model\": {\n    \"sense\": \"" + std::string(run.sweep_model->maximise ? "max" : "min") +
             "\",\n    \"sweep\": " +
             json_model_sweep(*run.sweep_model, run.sweep_costs, *run.swept, *run.model_sweep, run.tolerance) + "\n  },\n";
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
