#include "report/tableau_listing.h"

#include "report/fields.h"

namespace lpsens {

std::string display_name(const Workspace& ws, int c) {
    const int k = code_index(c);
    if (is_row_variable(c)) return "\"" + ws.row_names[k] + "\"";
    if (is_surplus(c)) return "\"Surplus/" + ws.row_names[ws.ge_rows[k]] + "\"";
    return "\"" + ws.column_names[c] + "\"";
}

namespace {

void append_values(std::string& line, const StoredReal* values, int last) {
    for (int j = 0; j <= last; ++j) {
        if (j > 0) line += ',';
        append_real(line, load_real(values[j]), 10, 3);
    }
    line += line_end;
}

// "  -1,Artificial coefficient,     0.000,..." and the objective row.
void write_special_row(Workspace& ws, std::string_view code, std::string_view text, const StoredReal* values) {
    std::string line;
    append_text(line, code, 4);
    line += ',';
    append_text(line, text, 16);
    line += ',';
    append_values(line, values, ws.column_count());
    ws.out.write(line);
}

}  // namespace

void write_tableau_listing(Workspace& ws) {
    const int last = ws.column_count();
    std::string line;

    append_text(line, " ", 33);
    if (last == 0) {
        // No column after the right-hand side: the single field shows 0.
        append_integer(line, 0, 10);
    }
    for (int j = 1; j <= last; ++j) {
        if (j > 1) line += ',';
        append_integer(line, ws.column_label[j], 10);
    }
    line += line_end;
    ws.out.write(line);

    line.clear();
    append_text(line, " ", 33);
    for (int j = 1; j <= last; ++j) {
        if (j > 1) line += ',';
        append_text(line, display_name(ws, ws.column_label[j]), 12);
    }
    line += line_end;
    ws.out.write(line);

    write_special_row(ws, "  -1", "Artificial coefficient", ws.phase1_row.data());
    write_special_row(ws, "   0", "Profit coefficient", ws.tableau.row(0));

    for (int i = 1; i <= ws.row_count; ++i) {
        const int b = ws.basis_label[i];
        line.clear();
        append_integer(line, is_surplus(b) ? code::surplus_base + ws.ge_rows[code_index(b)] : b, 4);
        line += ',';
        append_text(line, display_name(ws, b), 18);
        line += ',';
        append_values(line, ws.tableau.row(i), last);
        ws.out.write(line);
    }
}

}  // namespace lpsens
