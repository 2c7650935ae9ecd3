#include "report/parametric_report.h"

#include "report/fields.h"

namespace lpsens {

namespace {

// Width-4 number, ",", the quoted name in width 20, ",", then the value row.
void append_label(std::string& line, int index, const Name& name) {
    append_integer(line, index, 4);
    line += ',';
    append_text(line, "\"" + name + "\"", 20);
    line += ',';
}

template <class ValueOf>
void append_value_row(std::string& line, int step_count, ValueOf value_of) {
    for (int s = 1; s <= step_count; ++s) {
        if (s > 1) line += ',';
        append_real(line, load_real(value_of(s)), 10, 3);
    }
    line += line_end;
}

}  // namespace

void write_parametric_report(Workspace& ws, int step_count) {
    const int n = ws.var_count;
    const int m = ws.row_count;
    std::string line = ws.title;
    line += line_end;
    ws.out.write(line);

    line.clear();
    append_integer(line, ws.param_count, 5);
    line += ',';
    append_integer(line, step_count, 5);
    line += line_end;
    ws.out.write(line);

    line.clear();
    append_text(line, "Parameter", 25);
    line += ',';
    append_value_row(line, step_count, [&](int s) { return ws.step_parameter[s]; });
    ws.out.write(line);

    for (int k = 1; k <= ws.param_count; ++k) {
        line.clear();
        const int item = ws.param_index[k];
        append_label(line, k, ws.run_mode == "pv" ? ws.column_names[item] : ws.row_names[item]);
        append_value_row(line, step_count, [&](int s) { return ws.step_values[s][k]; });
        ws.out.write(line);
    }

    line.clear();
    append_text(line, "    Optimal value", 25);
    line += ',';
    append_value_row(line, step_count, [&](int s) { return ws.step_results[s][0]; });
    ws.out.write(line);

    const auto section = [&](std::string_view heading, int count, bool rows, int offset) {
        std::string text(heading);
        text += line_end;
        ws.out.write(text);
        for (int x = 1; x <= count; ++x) {
            std::string row_line;
            append_label(row_line, x, rows ? ws.row_names[x] : ws.column_names[x]);
            append_value_row(row_line, step_count, [&](int s) { return ws.step_results[s][offset + x]; });
            ws.out.write(row_line);
        }
    };
    section("Operational level", n, false, 0);
    section("Residual", m, true, n);
    section("Shadow price(Shadow profit)", n, false, n + m);
    section("Shadow price   (Imputed price)", m, true, 2 * n + m);
}

}  // namespace lpsens
