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
    const auto i = static_cast<std::size_t>(p->index);
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

}  // namespace

std::string text_report(const Problem& model, const ModelMap& map, const TextReportRun& run) {
    const char* status = run.status == Status::optimal     ? "optimal"
                         : run.status == Status::unbounded ? "unbounded"
                                                           : "infeasible";
    std::string out = "Problem:    " + model.title + (run.source.empty() ? "" : " (" + run.source + ")") + "\n";
    out += "Size:       " + std::to_string(model.row_count()) + " rows, " + std::to_string(model.column_count()) +
           " columns, " + std::to_string(model.matrix.nonzeros()) + " nonzeros\n";
    out += "Engine:     " + std::string(run.accurate ? "accurate" : "classic") +
           (run.verified ? ", every check passed" : ", CHECKS FAILED: see the warnings") + "\n";
    out += "Status:     " + std::string(status) + (run.verified ? "" : " (not proven)") + "\n";
    if (run.records != nullptr) {
        out += "Sweep:      " + std::to_string(run.records->size()) + " records, the objective's " +
               (map.maximise ? "maximum" : "minimum") + " at each\n\n";
        std::vector<std::string> heading = {"t"};
        const SweepItems& items = *run.items;
        for (const auto& item : items.model_items) heading.push_back(item.name);
        heading.push_back("Objective");
        Table table(heading, std::string(heading.size(), 'r'));
        const double sense = map.maximise ? 1 : -1;
        for (const SweepRecord& record : *run.records) {
            std::vector<std::string> cells = {number(record.t.value)};
            for (const auto& item : items.model_items)
                cells.push_back(number(static_cast<double>(item.start + (item.end - item.start) * load_real(record.t))));
            cells.push_back(number(sense * record.values[0]));
            table.add(cells);
        }
        return out + table.text();
    }
    if (run.results == nullptr) return out;
    const ModelResults& r = *run.results;
    out += "Objective:  " + number(r.objective) + " (" + (map.maximise ? "maximum" : "minimum") +
           (run.status == Status::unbounded ? " not reached: the objective grows without end" : "") + ")\n";

    out += "\nRows\n";
    Table rows({"Name", "Type", "Activity", "Lower", "Upper", "Dual value"}, "llrrrr");
    for (int i = 0; i < model.row_count(); ++i) {
        const ProblemRow& row = model.rows[static_cast<std::size_t>(i)];
        const ModelRowResult& result = r.rows[static_cast<std::size_t>(i)];
        const auto [lower, upper] = row_bounds(row);
        rows.add({row.name, row_type(row), number(result.activity), lower, upper, number(result.dual)});
    }
    out += rows.text();

    out += "\nColumns\n";
    Table columns({"Name", "Value", "Lower", "Upper", "Cost", "Reduced cost"}, "lrrrrr");
    for (int j = 0; j < model.column_count(); ++j) {
        const ProblemColumn& c = model.columns[static_cast<std::size_t>(j)];
        const ModelColumnResult& result = r.columns[static_cast<std::size_t>(j)];
        columns.add({c.name, number(result.value), bound(c.lower), bound(c.upper), number(static_cast<double>(c.cost)),
                     number(result.reduced_cost)});
    }
    out += columns.text();
    if (run.status != Status::optimal) return out;

    out += "\nRanging of costs: the solution stays optimal between the limits\n";
    Table costs(with({"Name", "Cost"}, range_heading), "lr" + range_align);
    for (int j = 0; j < model.column_count(); ++j) {
        const ModelColumnResult& result = r.columns[static_cast<std::size_t>(j)];
        costs.add(with({model.columns[static_cast<std::size_t>(j)].name,
                        number(static_cast<double>(model.columns[static_cast<std::size_t>(j)].cost))},
                       range_cells(*result.cost, model)));
    }
    out += costs.text();

    out += "\nRanging of right-hand sides: the basis stays feasible between the limits\n";
    Table rhs(with({"Name", "Rhs"}, range_heading), "lr" + range_align);
    for (int i = 0; i < model.row_count(); ++i)
        rhs.add(with({model.rows[static_cast<std::size_t>(i)].name,
                      number(static_cast<double>(model.rows[static_cast<std::size_t>(i)].rhs))},
                     range_cells(*r.rows[static_cast<std::size_t>(i)].rhs, model)));
    out += rhs.text();

    out += "\nRanging of bounds: the basis stays feasible between the limits\n";
    Table bounds(with({"Name", "Bound", "Value"}, range_heading), "llr" + range_align);
    for (int j = 0; j < model.column_count(); ++j) {
        const ProblemColumn& c = model.columns[static_cast<std::size_t>(j)];
        const ModelColumnResult& result = r.columns[static_cast<std::size_t>(j)];
        // A fixed column's two bounds move apart, each with its own range.
        if (result.lower_bound)
            bounds.add(with({c.name, "lower", bound(c.lower)}, range_cells(*result.lower_bound, model)));
        if (result.upper_bound)
            bounds.add(with({c.name, "upper", bound(c.upper)}, range_cells(*result.upper_bound, model)));
    }
    out += bounds.text();
    return out;
}

}  // namespace lpsens
