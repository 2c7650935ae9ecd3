#include "report/scenario_results.h"

#include <cmath>

#include "report/json_text.h"

namespace lpsens {

namespace {

using json::number;
using json::quoted;

bool optimal(const scenario::Outcome& o) { return o.status == revised::SolveStatus::optimal; }

std::string limit(double v) { return std::isinf(v) ? (v > 0 ? "\"inf\"" : "\"-inf\"") : number(v); }

std::string array(const std::vector<double>& values) {
    std::string text = "[";
    for (std::size_t k = 0; k < values.size(); ++k) text += (k ? ", " : "") + number(values[k]);
    return text + "]";
}

std::string names(const std::vector<std::string>& list) {
    std::string text = "[";
    for (std::size_t k = 0; k < list.size(); ++k) text += (k ? ", " : "") + quoted(list[k]);
    return text + "]";
}

std::string change_name(const Problem& model, const scenario::Change& c) {
    const std::string& name = c.kind == scenario::Kind::rhs ? model.rows[c.index].name : model.columns[c.index].name;
    return std::string(scenario::kind_name(c.kind)) + ":" + name;
}

std::string outcome_json(const Problem& model, const scenario::Outcome& o, const scenario::Scenario* s) {
    const bool opt = optimal(o);
    std::string j = "{";
    if (s != nullptr) {
        j += "\"label\": " + quoted(s->label) + ", \"changes\": {";
        for (std::size_t k = 0; k < s->changes.size(); ++k)
            j += (k ? ", " : "") + quoted(change_name(model, s->changes[k])) + ": " + limit(s->changes[k].value);
        j += "}, ";
    }
    j += "\"status\": \"" + std::string(scenario::status_name(o.status, o.verified)) + "\"";
    if (!o.verified && (opt || o.status == revised::SolveStatus::infeasible || o.status == revised::SolveStatus::unbounded))
        j += ", \"reported_status\": \"" + std::string(scenario::status_name(o.status, true)) + "\"";
    j += ", \"verified\": " + std::string(o.verified ? "true" : "false");
    j += ", \"objective\": " + (opt ? number(o.objective) : "null");
    j += ", \"iterations\": " + std::to_string(o.iterations);
    j += ", \"values\": " + (opt ? array(o.values) : "null");
    j += ", \"activities\": " + (opt ? array(o.activities) : "null");
    j += ", \"duals\": " + (opt ? array(o.duals) : "null");
    j += ", \"reduced_costs\": " + (opt ? array(o.reduced_costs) : "null");
    j += ", \"findings\": [";
    for (std::size_t k = 0; k < o.findings.size(); ++k) j += (k ? ", " : "") + quoted(o.findings[k]);
    return j + "]}";
}

}  // namespace

void write_scenario_table(Channel& out, const ScenarioBatch& batch) {
    out.write("scenario,status,objective");
    out.write(line_end);
    for (std::size_t k = 0; k < batch.outcomes->size(); ++k) {
        const scenario::Outcome& o = (*batch.outcomes)[k];
        std::string label = (*batch.scenarios)[k].label;
        if (label.find_first_of(",\"\r\n") != std::string::npos) {
            std::string q = "\"";
            for (const char c : label) q += c == '"' ? std::string("\"\"") : std::string(1, c);
            label = q + "\"";
        }
        out.write(label + "," + scenario::status_name(o.status, o.verified) + "," +
                  (optimal(o) ? number(o.objective) : std::string()));
        out.write(line_end);
    }
}

std::string scenario_json(const ScenarioBatch& batch) {
    const Problem& model = *batch.model;
    std::vector<std::string> rows, columns;
    for (const ProblemRow& r : model.rows) rows.push_back(r.name);
    for (const ProblemColumn& c : model.columns) columns.push_back(c.name);
    std::string j = "{\n";
    j += "  \"title\": " + quoted(model.title) + ",\n";
    j += "  \"mode\": \"scenarios\",\n  \"engine\": \"accurate\",\n";
    j += "  \"start\": \"" + std::string(batch.warm ? "warm" : "cold") + "\",\n";
    j += "  \"sense\": \"" + std::string(model.maximise ? "max" : "min") + "\",\n";
    j += "  \"rows\": " + names(rows) + ",\n";
    j += "  \"columns\": " + names(columns) + ",\n";
    j += "  \"base\": " + outcome_json(model, *batch.base, nullptr) + ",\n";
    j += "  \"scenarios\": [";
    for (std::size_t k = 0; k < batch.outcomes->size(); ++k)
        j += std::string(k ? ",\n    " : "\n    ") + outcome_json(model, (*batch.outcomes)[k], &(*batch.scenarios)[k]);
    j += batch.outcomes->empty() ? "]\n}\n" : "\n  ]\n}\n";
    return j;
}

}  // namespace lpsens
