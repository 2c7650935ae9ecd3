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

// The report as it is made, handed on a piece at a time where a writer
// takes it (a large model's runs to hundreds of megabytes).
class Pieces {
public:
    static constexpr std::size_t piece = std::size_t{1} << 20;
    explicit Pieces(const JsonWriter* write) : write_(write) {}
    std::string text;
    // Hands the text on once a piece is full.
    void pass_on() {
        if (write_ != nullptr && text.size() >= piece) {
            (*write_)(text);
            text.clear();
        }
    }
    void finish() {
        if (write_ != nullptr) (*write_)(text);
    }

private:
    const JsonWriter* write_;
};

// A list of one item per line, appended to `out`.
template <class Item>
void list(Pieces& out, int from, int to, Item item, const char* indent = "    ", const char* close = "\n  ]") {
    out.text += '[';
    for (int k = from; k <= to; ++k) {
        out.text += k > from ? ",\n" : "\n";
        out.text += indent;
        out.text += item(k);
        out.pass_on();
    }
    out.text += to >= from ? close : "]";
}

void place(std::string& out, const std::optional<ModelPlace>& p, const Problem& model) {
    if (!p) {
        out += "null";
        return;
    }
    const int i = p->index;
    switch (p->kind) {
    case ModelPlace::Kind::column: out += "{\"column\": "; out += quoted(model.columns[i].name); break;
    case ModelPlace::Kind::row: out += "{\"row\": "; out += quoted(model.rows[i].name); break;
    case ModelPlace::Kind::bound: out += "{\"bound\": "; out += quoted(model.columns[i].name); break;
    }
    out += '}';
}

void range(std::string& out, const char* key, const std::optional<ModelRange>& r, const Problem& model) {
    out += key;
    if (!r) {
        out += "null";
        return;
    }
    out += "{\"lower\": ";
    out += number(r->lower);
    out += ", \"upper\": ";
    out += number(r->upper);
    out += ", \"objective_at_lower\": ";
    out += number(r->objective_at_lower);
    out += ", \"objective_at_upper\": ";
    out += number(r->objective_at_upper);
    out += ", \"entering_at_lower\": ";
    place(out, r->entering_at_lower, model);
    out += ", \"leaving_at_lower\": ";
    place(out, r->leaving_at_lower, model);
    out += ", \"entering_at_upper\": ";
    place(out, r->entering_at_upper, model);
    out += ", \"leaving_at_upper\": ";
    place(out, r->leaving_at_upper, model);
    out += '}';
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

namespace {

// Values the engine computed: within its tolerance of zero they are 0.
struct Computed {
    double tolerance;
    std::string operator()(double x) const { return number(std::fabs(x) <= tolerance ? 0.0 : x); }
};

// The run's title, mode, engine and verdict.
// Whether the exact proof confirms the run's verdict.
bool proven_exactly(const RunResults& run) {
    if (run.exact == nullptr) return false;
    switch (run.exact->proof) {
        case exact::Proof::optimal: return run.status == Status::optimal;
        case exact::Proof::infeasible: return run.status == Status::infeasible;
        case exact::Proof::unbounded: return run.status == Status::unbounded;
        default: return false;
    }
}

void head(const DocumentedForm& form, const RunResults& run, bool verified, bool stopped, std::string& j) {
    const bool parametric = is_sweep(run.mode);
    const std::string status = status_name(run.status);
    j += "{\n";
    j += "  \"title\": " + quoted(form.title()) + ",\n";
    j += "  \"mode\": \"" + std::string(parametric ? mode_name(run.mode) : "ordinary") + "\",\n";
    j += "  \"engine\": \"" + std::string(run.accurate ? "accurate" : "classic") + "\",\n";
    // A verdict the checks could not confirm is not stated as a fact.
    j += "  \"status\": \"" + (verified || stopped ? status : std::string("unverified")) + "\",\n";
    if (!verified && !stopped) j += "  \"reported_status\": \"" + status + "\",\n";
    j += "  \"verified\": " + std::string(verified && proven_exactly(run) ? "\"exact\"" : verified ? "true" : "false") + ",\n";
}

// The solution of an ordinary run: the objective, the variables and the rows,
// with their ranging when there is any.
void solution_json(const DocumentedForm& form, const RunResults& run, const Ranging* ranging, bool stopped,
                   Pieces& pieces) {
    const int n = form.variables();
    const int m = form.rows();
    const Computed value{run.tolerance};
    const Solution& solution = *run.solution;
    std::string& j = pieces.text;
    if (stopped) j += "  \"feasible\": " + std::string(run.feasible ? "true" : "false") + ",\n";
    j += "  \"objective\": " + value(solution.objective) + ",\n";
    j += "  \"variables\": ";
    list(pieces, 1, n, [&](int v) {
        const StoredReal cost = narrowed(form.cost(v));
        std::string text = "{\"name\": " + quoted(form.column_name(v)) + ", \"cost\": " + number(cost.value) +
                           ", \"level\": " + value(solution.column[v].level) +
                           ", \"reduced_cost\": " + value(solution.column[v].price);
        if (ranging != nullptr)
            text += ", \"cost_lower\": " + limit(cost, ranging->cost_lower[v], false) +
                    ", \"cost_upper\": " + limit(cost, ranging->cost_upper[v], true);
        return text + "}";
    });
    j += ",\n";
    // A row's activity is A x of the form's values.
    std::vector<Extended> activity(m + 1, 0);
    for (int v = 1; v <= n; ++v)
        form.for_each_entry(v, [&](int i, Extended a) {
            activity[i] += a * static_cast<Extended>(solution.column[v].level);
        });
    j += "  \"rows\": ";
    list(pieces, 1, m, [&](int i) {
        const StoredReal rhs = narrowed(form.rhs(i));
        std::string text = "{\"name\": " + quoted(form.row_name(i)) + ", \"rhs\": " + number(rhs.value) +
                           ", \"residual\": " + value(solution.row[i].level) +
                           ", \"activity\": " + value(static_cast<double>(activity[i])) +
                           ", \"shadow_price\": " + value(solution.row[i].price);
        if (ranging != nullptr)
            text += ", \"rhs_lower\": " + limit(rhs, ranging->rhs_lower[i], false) +
                    ", \"rhs_upper\": " + limit(rhs, ranging->rhs_upper[i], true);
        return text + "}";
    });
    j += ",\n";
}

// One record of a sweep: t, the items' values, the objective and the
// solution's four vectors.
std::string record_json(const DocumentedForm& form, const RunResults& run, const SweepRecord& record) {
    const int n = form.variables();
    const int m = form.rows();
    const Computed value{run.tolerance};
    const SweepItems& items = *run.items;
    const bool imported = run.map != nullptr;
    const double sense = imported && !run.map->maximise ? -1 : 1;
    const std::vector<double>& r = record.values;
    auto values = [&](int from, int count) {
        std::string out = "[";
        for (int x = 0; x < count; ++x) out += (x ? ", " : "") + value(r[from + x]);
        return out + "]";
    };
    std::string item_values = "[";
    for (int k = 1; k <= items.count(); ++k)
        item_values += (k > 1 ? ", " : "") + number(record.items[k].value);
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
}

// A sweep's items, in the form's terms and the model's, and its records.
void sweep_json(const DocumentedForm& form, const RunResults& run, Pieces& pieces) {
    const SweepItems& items = *run.items;
    const std::vector<SweepRecord>& records = *run.records;
    std::string& j = pieces.text;
    j += "  \"items\": ";
    list(pieces, 1, items.count(), [&](int k) {
        const int index = items.index[k];
        return "{\"name\": " + quoted(items.objective ? form.column_name(index) : form.row_name(index)) +
               ", \"start\": " + number(items.start[k].value) + ", \"end\": " + number(items.end[k].value) + "}";
    });
    j += ",\n";
    if (run.map != nullptr) {
        j += "  \"model_items\": ";
        list(pieces, 0, static_cast<int>(items.model_items.size()) - 1, [&](int k) {
            const SweepItems::ModelItem& item = items.model_items[k];
            return "{\"name\": " + quoted(item.name) + ", \"start\": " + number(static_cast<double>(item.start)) +
                   ", \"end\": " + number(static_cast<double>(item.end)) + "}";
        });
        j += ",\n";
    }
    j += "  \"records\": ";
    list(pieces, 1, static_cast<int>(records.size()), [&](int s) { return record_json(form, run, records[s - 1]); });
    j += ",\n";
}

// An imported model's results in its own terms: its rows and its variables,
// with their ranging unless the run stopped short.
void model_json(const RunResults& run, bool stopped, Pieces& pieces) {
    const Problem& model = *run.model;
    const ModelResults& results = *run.model_results;
    std::string& j = pieces.text;
    j += "  \"model\": {\n    \"sense\": \"" + std::string(run.map->maximise ? "max" : "min") +
         "\",\n    \"objective\": " + number(results.objective) + ",\n    \"constant\": " +
         number(static_cast<double>(model.constant)) + ",\n";
    j += "    \"rows\": ";
    list(pieces, 0, model.row_count() - 1, [&](int r) {
        const ProblemRow& row = model.rows[r];
        const ModelRowResult& result = results.rows[r];
        const auto [lower, upper] = row_bounds(row);
        std::string text = "{\"name\": " + quoted(row.name) + ", \"type\": \"" + row_type(row) +
               "\", \"rhs\": " + number(static_cast<double>(row.rhs)) + ", \"lower\": " + number(lower) +
               ", \"upper\": " + number(upper) + ", \"activity\": " + number(result.activity) +
               ", \"dual\": " + number(result.dual);
        if (!stopped) range(text, ", \"rhs_ranging\": ", result.rhs, model);
        return text + "}";
    }, "      ", "\n    ]");
    j += ",\n";
    j += "    \"variables\": ";
    list(pieces, 0, model.column_count() - 1, [&](int c) {
        const ProblemColumn& column = model.columns[c];
        const ModelColumnResult& result = results.columns[c];
        std::string text = "{\"name\": " + quoted(column.name) +
                           ", \"cost\": " + number(static_cast<double>(column.cost)) +
                           ", \"lower\": " + bound(column.lower) + ", \"upper\": " + bound(column.upper) +
                           ", \"value\": " + number(result.value) +
                           ", \"reduced_cost\": " + number(result.reduced_cost);
        if (!stopped) {
            range(text, ", \"cost_ranging\": ", result.cost, model);
            range(text, ", \"lower_bound_ranging\": ", result.lower_bound, model);
            range(text, ", \"upper_bound_ranging\": ", result.upper_bound, model);
        }
        return text + "}";
    }, "      ", "\n    ]");
    j += "\n  },\n";
}

// An exact range: its limits and the objective there, as rational strings
// (null for none).
std::string exact_range(const exact::ExactRange& r) {
    const auto text = [](const exact::Bound& b) { return b ? quoted(exact::text_of(*b)) : std::string("null"); };
    return "{\"lower\": " + text(r.lower) + ", \"upper\": " + text(r.upper) +
           ", \"objective_at_lower\": " + text(r.objective_at_lower) +
           ", \"objective_at_upper\": " + text(r.objective_at_upper) + "}";
}

// --exact: the proof, and the exact values of a proven optimum as rational
// strings in the model's terms.
void exact_json(const RunResults& run, Pieces& pieces) {
    const exact::ExactSolution& e = *run.exact;
    std::string& j = pieces.text;
    j += "  \"exact\": {\"proof\": \"" + std::string(exact::to_string(e.proof)) + "\"";
    if (e.proof == exact::Proof::unproven) {
        j += ", \"why\": " + quoted(e.why) + "},\n";
        return;
    }
    const Problem& model = *run.exact_model;
    const auto rationals = [](const std::vector<mpq_class>& v) {
        std::string text = "[";
        for (std::size_t k = 0; k < v.size(); ++k) text += (k ? ", " : "") + quoted(exact::text_of(v[k]));
        return text + "]";
    };
    if (e.proof == exact::Proof::infeasible) {
        j += ", \"farkas\": " + rationals(e.duals) + "},\n";
        return;
    }
    if (e.proof == exact::Proof::unbounded) {
        j += ", \"point\": " + rationals(e.values) + ", \"ray\": " + rationals(e.ray) + "},\n";
        return;
    }
    j += ", \"pivots\": " + std::to_string(e.pivots) + ", \"objective\": " + quoted(exact::text_of(e.objective)) +
         ",\n    \"rows\": ";
    const exact::ExactRanging* ranging = run.exact_ranging;
    list(pieces, 0, model.row_count() - 1, [&](int i) {
        return "{\"name\": " + quoted(model.rows[i].name) + ", \"activity\": " + quoted(exact::text_of(e.activities[i])) +
               ", \"dual\": " + quoted(exact::text_of(e.duals[i])) +
               (ranging ? ", \"rhs_ranging\": " + exact_range(ranging->rhs[i]) : std::string()) + "}";
    }, "      ", "\n    ]");
    j += ",\n    \"variables\": ";
    list(pieces, 0, model.column_count() - 1, [&](int c) {
        return "{\"name\": " + quoted(model.columns[c].name) + ", \"value\": " + quoted(exact::text_of(e.values[c])) +
               ", \"reduced_cost\": " + quoted(exact::text_of(e.reduced_costs[c])) +
               (ranging ? ", \"cost_ranging\": " + exact_range(ranging->cost[c]) : std::string()) + "}";
    }, "      ", "\n    ]");
    j += "\n  },\n";
}

// What each check found.
void checks_json(const ResultChecker& checker, Pieces& pieces) {
    const auto& reports = checker.reports();
    pieces.text += "  \"checks\": ";
    list(pieces, 0, static_cast<int>(reports.size()) - 1, [&](int k) {
        const auto& [context, r] = reports[k];
        std::string c = "{\"context\": " + quoted(context) + ", \"passed\": " + (r.passed() ? "true" : "false");
        if (r.have_objective) c += ", \"recomputed_objective\": " + number(static_cast<double>(r.objective));
        if (r.certificate_checked) c += ", \"certificate_bound\": " + number(static_cast<double>(r.certificate_bound));
        c += ", \"singular\": " + std::string(r.singular ? "true" : "false") +
             ", \"primal_infeasibility\": " + number(r.primal_infeasibility) +
             ", \"dual_infeasibility\": " + number(r.dual_infeasibility) +
             ", \"printed_difference\": " + number(r.printed_difference) + ", \"findings\": [";
        for (std::size_t f = 0; f < r.findings.size(); ++f) c += (f ? ", " : "") + quoted(r.findings[f]);
        return c + "]}";
    });
}

void make_json(const DocumentedForm& form, const RunResults& run, const ResultChecker& checker, Pieces& pieces) {
    const bool parametric = is_sweep(run.mode);
    // A run stopped before its verdict proves nothing and is not checked.
    const bool stopped = !is_verdict(run.status);
    const bool verified = !stopped && (checker.passed() || proven_exactly(run));
    std::string& j = pieces.text;
    head(form, run, verified, stopped, j);
    // Ranging only where there is a verdict; a stopped run's values are
    // those of the best basis found, which may not even be feasible.
    const Ranging* ranging = stopped ? nullptr : run.ranging;
    if (run.solution != nullptr && !parametric) solution_json(form, run, ranging, stopped, pieces);
    if (parametric && run.records != nullptr && !run.records->empty()) sweep_json(form, run, pieces);
    if (run.model_results != nullptr && !parametric) model_json(run, stopped, pieces);
    if (run.model_sweep != nullptr) {
        j += "  \"sweep_end\": " + json_sweep_end(*run.swept, *run.model_sweep) + ",\n";
        j += "  \"model\": {\n    \"sense\": \"" + std::string(run.sweep_model->maximise ? "max" : "min") +
             "\",\n    \"sweep\": " +
             json_model_sweep(*run.sweep_model, run.sweep_costs ? "cost" : run.sweep_bounds ? "bound" : "rhs", *run.swept, *run.model_sweep, run.tolerance) + "\n  },\n";
    }
    if (run.exact != nullptr) exact_json(run, pieces);
    checks_json(checker, pieces);
    j += "\n";
    j += "}\n";
    pieces.finish();
}

}  // namespace

void write_json_results(const DocumentedForm& form, const RunResults& run, const ResultChecker& checker,
                        const JsonWriter& write) {
    // Room for a piece and the item that fills it.
    Pieces pieces(&write);
    pieces.text.reserve(Pieces::piece + (Pieces::piece >> 2));
    make_json(form, run, checker, pieces);
}

std::string json_results(const DocumentedForm& form, const RunResults& run, const ResultChecker& checker) {
    // Room for the whole report at once: growing it step by step would copy
    // it and touch fresh memory each time.  Room not written to costs nothing.
    Pieces pieces(nullptr);
    std::size_t bytes = 4096 + 300 * static_cast<std::size_t>(form.variables() + form.rows());
    if (run.records != nullptr)
        bytes += run.records->size() * (64 + 48 * static_cast<std::size_t>(form.variables() + form.rows()));
    if (run.model != nullptr) bytes += 1200 * static_cast<std::size_t>(run.model->row_count() + run.model->column_count());
    pieces.text.reserve(bytes);
    make_json(form, run, checker, pieces);
    return std::move(pieces.text);
}

}  // namespace lpsens
