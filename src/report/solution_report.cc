#include "report/solution_report.h"

#include "report/fields.h"
#include "simplex/solve.h"

namespace lpsens {

namespace {

const StoredReal minus_infinity_bound = stored(-9e30L);

// A ratio goes to the upper offset when it is above -1e-05 and lowers it;
// otherwise to the lower offset when it is below 1e-05 and raises it.
void offer_ratio(StoredReal ratio, StoredReal& lower, StoredReal& upper) {
    const Extended r = load_real(ratio);
    if (r > -range_tolerance && r < load_real(upper))
        upper = ratio;
    else if (r < range_tolerance && r > load_real(lower))
        lower = ratio;
}

bool negligible(Extended t) { return t >= -range_tolerance && t <= range_tolerance; }

// The infinity sign in a field of width 12: its two bytes fill one column
// on the terminals it was made for, so a longer spelling (UTF-8, three
// bytes) widens the field by the difference to keep the columns aligned.
void append_infinity(std::string& line, const std::string& sign, bool negative) {
    const std::string text = (negative ? "-" : "") + sign;
    append_text(line, text, 12 + static_cast<int>(sign.size()) - static_cast<int>(infinity_sign.size()));
}

void append_lower_bound(std::string& line, StoredReal base, StoredReal offset, const std::string& sign) {
    if (load_real(offset) > -9e30L)
        append_real(line, load_real(base) + load_real(offset), 12, 3);
    else
        append_infinity(line, sign, true);
}

void append_upper_bound(std::string& line, StoredReal base, StoredReal offset, const std::string& sign) {
    if (load_real(offset) < 9e30L)
        append_real(line, load_real(base) + load_real(offset), 12, 3);
    else
        append_infinity(line, sign, false);
}

// "    1, "x1",       3.000,       4.000,       0.000,       2.000,          ∞"
void write_item_line(Workspace& ws, int index, const Name& name, StoredReal base, const SolutionRecord& record,
                     StoredReal lower, StoredReal upper) {
    std::string line;
    append_integer(line, index, 5);
    line += ", \"";
    append_text(line, name, 1);
    line += "\",";
    append_real(line, load_real(base), 12, 3);
    line += ',';
    append_real(line, load_real(record.level), 12, 3);
    line += ',';
    append_real(line, load_real(record.price), 12, 3);
    line += ',';
    append_lower_bound(line, base, lower, ws.infinity_text);
    line += ',';
    append_upper_bound(line, base, upper, ws.infinity_text);
    line += line_end;
    ws.out.write(line);
}

void write_heading(Workspace& ws, std::string_view first, std::string_view second) {
    std::string line;
    append_text(line, first, 38);
    line += ',';
    append_text(line, second, 12);
    line += ',';
    append_text(line, "Shadow price", 12);
    line += ',';
    append_text(line, "Lower bound", 12);
    line += ',';
    append_text(line, "Upper bound", 12);
    line += line_end;
    ws.out.write(line);
}

}  // namespace

void compute_ranging(Workspace& ws) {
    const int m = ws.row_count;
    const int n = ws.var_count;
    const int columns = ws.column_count();
    for (int i = 1; i <= m; ++i) {
        ws.rhs_lower[i] = minus_infinity_bound;
        ws.rhs_upper[i] = infinity_bound;
    }
    for (int v = 1; v <= columns; ++v) {
        ws.cost_lower[v] = minus_infinity_bound;
        ws.cost_upper[v] = infinity_bound;
    }
    const StoredReal* objective = ws.tableau.row(0);

    // Basic variables.
    for (int i = 1; i <= m; ++i) {
        const int b = ws.basis_label[i];
        const int k = code_index(b);
        if (is_row_variable(b)) {
            store_real(-load_real(ws.tableau(i, 0)), ws.rhs_lower[k], Site::ranging);
            continue;
        }
        const int v = b < code::slack_base ? b : n + k;
        const StoredReal* row = ws.tableau.row(i);
        for (int j = 1; j <= columns; ++j) {
            const Extended t = load_real(row[j]);
            if (negligible(t)) continue;
            StoredReal ratio;
            store_real(-load_real(objective[j]) / t, ratio, Site::ranging);
            offer_ratio(ratio, ws.cost_lower[v], ws.cost_upper[v]);
        }
    }

    // Nonbasic variables.
    for (int j = 1; j <= columns; ++j) {
        const int c = ws.column_label[j];
        const int k = code_index(c);
        if (is_surplus(c)) {
            ws.cost_upper[n + k] = objective[j];
        } else if (c < code::slack_base) {
            ws.cost_upper[c] = objective[j];
        } else {
            for (int i = 1; i <= m; ++i) {
                const Extended t = load_real(ws.tableau(i, j));
                if (negligible(t)) continue;
                StoredReal ratio;
                store_real(-load_real(ws.tableau(i, 0)) / t, ratio, Site::ranging);
                offer_ratio(ratio, ws.rhs_lower[k], ws.rhs_upper[k]);
            }
        }
    }
}

void write_solution_report(Workspace& ws) {
    std::string line;
    append_text(line, ws.title, 1);
    line += line_end;
    ws.out.write(line);

    extract_solution(ws);
    compute_ranging(ws);

    line = "Optimal value : ,";
    append_real(line, load_real(ws.objective_value), 15, 3);
    line += line_end;
    ws.out.write(line);

    write_heading(ws, "Profit coefficient", "Operational level");
    for (int j = 1; j <= ws.var_count; ++j)
        write_item_line(ws, j, ws.column_names[j], ws.original_objective[j], ws.column_solution[j],
                        ws.cost_lower[j], ws.cost_upper[j]);
    write_heading(ws, "Constraint", "Resitual");
    for (int i = 1; i <= ws.row_count; ++i)
        write_item_line(ws, i, ws.row_names[i], ws.original_rhs[i], ws.row_solution[i], ws.rhs_lower[i],
                        ws.rhs_upper[i]);
}

}  // namespace lpsens
