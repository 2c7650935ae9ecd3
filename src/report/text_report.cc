#include "report/text_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace lpsens {

namespace {

// Numbers to 15 significant digits: as many as a double holds for sure, so
// that rounding noise of the last bits does not show.
std::string number(double x) {
    if (std::isnan(x)) return "-";
    if (std::isinf(x)) return x > 0 ? "inf" : "-inf";
    if (x == 0) return "0";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.15g", x);
    return buf;
}

std::string bound(Extended b) { return std::isinf(b) ? (b > 0 ? "inf" : "-inf") : number(static_cast<double>(b)); }

// A table: a heading line and rows of cells, each column aligned left ('l',
// names) or right ('r', numbers) as `align` says.
class Table {
public:
    Table(std::vector<std::string> heading, std::string align) : align_(std::move(align)) {
        rows_.push_back(std::move(heading));
    }
    void add(std::vector<std::string> cells) { rows_.push_back(std::move(cells)); }
    std::string text() const {
        std::vector<std::size_t> width(rows_[0].size(), 0);
        for (const auto& row : rows_)
            for (std::size_t c = 0; c < row.size(); ++c) width[c] = std::max(width[c], row[c].size());
        std::string out;
        for (std::size_t r = 0; r < rows_.size(); ++r) {
            std::string line = " ";
            for (std::size_t c = 0; c < rows_[r].size(); ++c) {
                const std::string& cell = rows_[r][c];
                const std::string pad(width[c] - cell.size(), ' ');
                line += ' ';
                line += align_[c] == 'l' ? cell + pad : pad + cell;
            }
            while (!line.empty() && line.back() == ' ') line.pop_back();
            out += line + "\n";
        }
        return out;
    }

private:
    std::string align_;
    std::vector<std::vector<std::string>> rows_;
};

std::string place(const std::optional<ModelPlace>& p, const Problem& model) {
    if (!p) return "-";
    const int i = p->index;
    switch (p->kind) {
    case ModelPlace::Kind::column: return model.columns[i].name;
    case ModelPlace::Kind::row: return model.rows[i].name + " (row)";
    case ModelPlace::Kind::bound: return model.columns[i].name + " (bound)";
    }
    return "-";
}

const char* row_type(const ProblemRow& row) {
    if (row.ranged) return "range";
    return row.type == 'L' ? "<=" : row.type == 'G' ? ">=" : "=";
}

std::pair<std::string, std::string> row_bounds(const ProblemRow& row) {
    const double rhs = static_cast<double>(row.rhs);
    if (!row.ranged)
        return row.type == 'L'   ? std::pair{std::string("-inf"), number(rhs)}
               : row.type == 'G' ? std::pair{number(rhs), std::string("inf")}
                                 : std::pair{number(rhs), number(rhs)};
    const double size = std::fabs(static_cast<double>(row.range));
    if (row.type == 'L') return {number(rhs - size), number(rhs)};
    if (row.type == 'G') return {number(rhs), number(rhs + size)};
    return row.range >= 0 ? std::pair{number(rhs), number(rhs + size)} : std::pair{number(rhs - size), number(rhs)};
}

// The ranging columns of one value: each limit with the objective there
// (the objective itself at an unlimited side the objective does not depend
// on, "-" where it grows without end) and the variables that enter and
// leave the basis.
std::vector<std::string> range_cells(const ModelRange& r, const Problem& model) {
    return {number(r.lower),
            std::isinf(r.objective_at_lower) ? "-" : number(r.objective_at_lower),
            place(r.entering_at_lower, model),
            place(r.leaving_at_lower, model),
            number(r.upper),
            std::isinf(r.objective_at_upper) ? "-" : number(r.objective_at_upper),
            place(r.entering_at_upper, model),
            place(r.leaving_at_upper, model)};
}

std::vector<std::string> with(std::vector<std::string> first, const std::vector<std::string>& more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

const std::vector<std::string> range_heading = {"Lower limit", "Objective", "Entering", "Leaving",
                                                "Upper limit", "Objective", "Entering", "Leaving"};
const std::string range_align = "rrllrrll";

// A name of the model for a core variable: a column, or a row's slack.
std::string place(const Problem& model, revised::Variable v) {
    const int i = v.index;
    return v.kind == revised::Variable::Kind::column ? model.columns[i].name : model.rows[i].name + " (row)";
}

std::string places(const Problem& model, const std::vector<revised::Variable>& list) {
    if (list.empty()) return "-";
    std::string out;
    for (const revised::Variable v : list) out += (out.empty() ? "" : ", ") + place(model, v);
    return out;
}

// The sweep: how it began and ended, then a record a line: where it stands,
// the optimum, its slope on the stretch that follows (per unit of the item
// when one moves, else of t) and the exchanges that made its basis.
std::string sweep_table(const Problem& model, const SweptItems& items, const sweep::Result& sweep, long max_records) {
    std::string out = "Sweep:      " + std::to_string(sweep.records.size()) + " records, the objective's " +
                      (model.maximise ? "maximum" : "minimum") + " at each; " +
                      end_words(items, sweep, max_records) + "\n";
    const std::string before = before_words(items, sweep);
    if (!before.empty()) out += "            " + before + "\n";
    const bool one = items.names.size() == 1;
    const double per = one && items.ends[0] != items.starts[0] ? items.ends[0] - items.starts[0] : 1.0;
    std::vector<std::string> heading = {"t"};
    for (const std::string& name : items.names) heading.push_back(name);
    for (const char* h : {"Objective", one ? "Slope" : "Slope in t", "Entering", "Leaving"}) heading.push_back(h);
    Table table(heading, std::string(heading.size() - 2, 'r') + "ll");
    for (const sweep::Record& r : sweep.records) {
        std::vector<std::string> cells = {number(r.t)};
        for (const double v : r.items) cells.push_back(number(v));
        cells.push_back(number(r.objective));
        cells.push_back(number(r.slope / per));
        cells.push_back(places(model, r.entering));
        cells.push_back(places(model, r.leaving));
        table.add(cells);
    }
    return out + "\n" + table.text();
}

}  // namespace

std::string text_report(const Problem& model, const ModelMap& map, const TextReportRun& run) {
    const bool stopped = !is_verdict(run.status);
    std::string out = "Problem:    " + model.title + (run.source.empty() ? "" : " (" + run.source + ")") + "\n";
    out += "Size:       " + std::to_string(model.row_count()) + " rows, " + std::to_string(model.column_count()) +
           " columns, " + std::to_string(model.matrix.nonzeros()) + " nonzeros\n";
    out += "Engine:     " + std::string(run.accurate ? "accurate" : "classic") +
           (stopped         ? ", stopped before a verdict"
            : run.exact    ? ", every check passed, verified exactly"
            : run.verified ? ", every check passed"
                           : ", CHECKS FAILED: see the warnings") +
           "\n";
    if (stopped)
        out += "Status:     NO VERDICT: stopped " +
               std::string(run.status == Status::exchange_limit ? "at the exchange limit"
                           : run.status == Status::time_limit   ? "at the time limit"
                                                                : "by numerical trouble") +
               (run.sweep != nullptr ? " after the records below" : "") + "\n";
    else
        out += "Status:     " + std::string(status_name(run.status)) + (run.exact ? " (verified exactly)" : run.verified ? "" : " (not proven)") + "\n";
    if (run.sweep != nullptr) return out + sweep_table(model, *run.swept, *run.sweep, run.max_records);
    if (run.results == nullptr) return out;
    const ModelResults& r = *run.results;
    if (stopped)
        out += "Objective:  " + number(r.objective) + " (of the best basis found, whose values follow: " +
               (run.feasible ? "feasible, not proven optimal" : "not feasible") + ")\n";
    else
        out += "Objective:  " + number(r.objective) + " (" + (map.maximise ? "maximum" : "minimum") +
               (run.status == Status::unbounded ? " not reached: the objective grows without end" : "") + ")\n";

    out += "\nRows\n";
    Table rows({"Name", "Type", "Activity", "Lower", "Upper", "Dual value"}, "llrrrr");
    for (int i = 0; i < model.row_count(); ++i) {
        const ProblemRow& row = model.rows[i];
        const ModelRowResult& result = r.rows[i];
        const auto [lower, upper] = row_bounds(row);
        rows.add({row.name, row_type(row), number(result.activity), lower, upper, number(result.dual)});
    }
    out += rows.text();

    out += "\nColumns\n";
    Table columns({"Name", "Value", "Lower", "Upper", "Cost", "Reduced cost"}, "lrrrrr");
    for (int j = 0; j < model.column_count(); ++j) {
        const ProblemColumn& c = model.columns[j];
        const ModelColumnResult& result = r.columns[j];
        columns.add({c.name, number(result.value), bound(c.lower), bound(c.upper), number(static_cast<double>(c.cost)),
                     number(result.reduced_cost)});
    }
    out += columns.text();
    if (run.status != Status::optimal) return out;

    out += "\nRanging of costs: the solution stays optimal between the limits\n";
    Table costs(with({"Name", "Cost"}, range_heading), "lr" + range_align);
    for (int j = 0; j < model.column_count(); ++j) {
        const ModelColumnResult& result = r.columns[j];
        costs.add(with({model.columns[j].name,
                        number(static_cast<double>(model.columns[j].cost))},
                       range_cells(*result.cost, model)));
    }
    out += costs.text();

    out += "\nRanging of right-hand sides: the basis stays feasible between the limits\n";
    Table rhs(with({"Name", "Rhs"}, range_heading), "lr" + range_align);
    for (int i = 0; i < model.row_count(); ++i)
        rhs.add(with({model.rows[i].name,
                      number(static_cast<double>(model.rows[i].rhs))},
                     range_cells(*r.rows[i].rhs, model)));
    out += rhs.text();

    out += "\nRanging of bounds: the basis stays feasible between the limits\n";
    Table bounds(with({"Name", "Bound", "Value"}, range_heading), "llr" + range_align);
    for (int j = 0; j < model.column_count(); ++j) {
        const ProblemColumn& c = model.columns[j];
        const ModelColumnResult& result = r.columns[j];
        // A fixed column's two bounds move apart, each with its own range.
        if (result.lower_bound)
            bounds.add(with({c.name, "lower", bound(c.lower)}, range_cells(*result.lower_bound, model)));
        if (result.upper_bound)
            bounds.add(with({c.name, "upper", bound(c.upper)}, range_cells(*result.upper_bound, model)));
    }
    out += bounds.text();
    return out;
}

void write_text_report(Channel& out, const Problem& model, const ModelMap& map, const TextReportRun& run) {
    const std::string report = text_report(model, map, run);
    std::string lines;
    lines.reserve(report.size() + report.size() / 16);
    for (const char c : report) {
        if (c == '\n') lines += line_end;
        else lines += c;
    }
    out.write(lines);
}

}  // namespace lpsens
