#include "report/tableau_listing.h"

#include <algorithm>

#include "numeric/report_fields.h"

namespace lpsens {

std::string display_name(const DocumentedForm& form, VariableId v) {
    if (v.is_row_variable()) return "\"" + form.row_name(v.index) + "\"";
    if (v.is_surplus()) return "\"Surplus/" + form.row_name(form.ge_rows[v.index]) + "\"";
    return "\"" + form.column_name(v.index) + "\"";
}

namespace {

template <class ValueAt>
void append_values(std::string& line, ValueAt value_at, int last) {
    line.reserve(line.size() + 11 * (static_cast<std::size_t>(last) + 1) + 2);
    for (int j = 0; j <= last; ++j) {
        if (j > 0) line += ',';
        append_real(line, value_at(j), 10, 3);
    }
    line += line_end;
}

// "  -1,Artificial coefficient,     0.000,..." and the objective row.
template <class ValueAt>
void write_special_row(Channel& out, std::string_view code, std::string_view text, ValueAt value_at, int last) {
    std::string line;
    append_text(line, code, 4);
    line += ',';
    append_text(line, text, 16);
    line += ',';
    append_values(line, value_at, last);
    out.write(line);
}

}  // namespace

void write_tableau_listing(Channel& out, const TableauView& view, const DocumentedForm& form) {
    const int last = view.columns();
    const int unit = code_unit(std::max({form.rows(), form.variables(), form.ge_count()}));
    std::string line;

    append_text(line, " ", 33);
    if (last == 0) {
        // No column after the right-hand side: the single field shows 0.
        append_integer(line, 0, 10);
    }
    for (int j = 1; j <= last; ++j) {
        if (j > 1) line += ',';
        append_integer(line, variable_code(view.nonbasic(j), unit), 10);
    }
    line += line_end;
    out.write(line);

    line.clear();
    append_text(line, " ", 33);
    for (int j = 1; j <= last; ++j) {
        if (j > 1) line += ',';
        append_text(line, display_name(form, view.nonbasic(j)), 12);
    }
    line += line_end;
    out.write(line);

    std::vector<double> values;
    write_special_row(out, "  -1", "Artificial coefficient", [&](int j) { return view.phase1_entry(j); }, last);
    view.row(0, values);
    write_special_row(out, "   0", "Profit coefficient", [&](int j) { return values[j]; }, last);

    for (int i = 1; i <= view.rows(); ++i) {
        const VariableId b = view.basic(i);
        view.row(i, values);
        line.clear();
        // A basic surplus variable is labelled with its row's number.
        append_integer(line,
                       variable_code(b.is_surplus() ? surplus_variable(form.ge_rows[b.index]) : b, unit),
                       4);
        line += ',';
        append_text(line, display_name(form, b), 18);
        line += ',';
        append_values(line, [&](int j) { return values[j]; }, last);
        out.write(line);
    }
}

}  // namespace lpsens
