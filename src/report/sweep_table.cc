#include "report/sweep_table.h"

#include "numeric/report_fields.h"

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
        append_real(line, value_of(s), record_field);
    }
    line += line_end;
}

}  // namespace

void write_sweep_table(Channel& out, const DocumentedForm& form, const SweepItems& items,
                             const std::vector<SweepRecord>& records) {
    const int n = form.variables();
    const int m = form.rows();
    const int step_count = static_cast<int>(records.size());
    auto record = [&](int s) -> const SweepRecord& { return records[s - 1]; };
    std::string line = form.title();
    line += line_end;
    out.write(line);

    line.clear();
    append_integer(line, items.count(), 5);
    line += ',';
    append_integer(line, step_count, 5);
    line += line_end;
    out.write(line);

    line.clear();
    append_text(line, "Parameter", 25);
    line += ',';
    append_value_row(line, step_count, [&](int s) { return record(s).t.value; });
    out.write(line);

    for (int k = 1; k <= items.count(); ++k) {
        line.clear();
        const int item = items.index[k];
        append_label(line, k, items.objective ? form.column_name(item) : form.row_name(item));
        append_value_row(line, step_count, [&](int s) { return record(s).items[k].value; });
        out.write(line);
    }

    line.clear();
    append_text(line, "    Optimal value", 25);
    line += ',';
    append_value_row(line, step_count, [&](int s) { return record(s).values[0]; });
    out.write(line);

    const auto section = [&](std::string_view heading, int count, bool rows, int offset) {
        std::string text(heading);
        text += line_end;
        out.write(text);
        for (int x = 1; x <= count; ++x) {
            std::string row_line;
            append_label(row_line, x, rows ? form.row_name(x) : form.column_name(x));
            append_value_row(row_line, step_count,
                             [&](int s) { return record(s).values[offset + x]; });
            out.write(row_line);
        }
    };
    section("Operational level", n, false, 0);
    section("Residual", m, true, n);
    section("Shadow price(Shadow profit)", n, false, n + m);
    section("Shadow price   (Imputed price)", m, true, 2 * n + m);
}

}  // namespace lpsens
