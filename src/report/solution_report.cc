#include "report/solution_report.h"

#include "numeric/report_fields.h"

namespace lpsens {

namespace {

// The infinity sign in a field of the solution report: its two bytes fill one column
// on the terminals it was made for, so a longer spelling (UTF-8, three
// bytes) widens the field by the difference to keep the columns aligned.
void append_infinity(std::string& line, const std::string& sign, bool negative) {
    const std::string text = (negative ? "-" : "") + sign;
    append_text(line, text, solution_field.width + static_cast<int>(sign.size()) - static_cast<int>(infinity_sign.size()));
}

void append_lower_bound(std::string& line, StoredReal base, double offset, const std::string& sign) {
    if (static_cast<Extended>(offset) > -9e30L)
        append_real(line, load_real(base) + static_cast<Extended>(offset), solution_field);
    else
        append_infinity(line, sign, true);
}

void append_upper_bound(std::string& line, StoredReal base, double offset, const std::string& sign) {
    if (static_cast<Extended>(offset) < 9e30L)
        append_real(line, load_real(base) + static_cast<Extended>(offset), solution_field);
    else
        append_infinity(line, sign, false);
}

// "    1, "x1",       3.000,       4.000,       0.000,       2.000,          ∞"
void write_item_line(Channel& out, int index, const Name& name, StoredReal base, const SolutionValue& value,
                     double lower, double upper, const std::string& infinity_text) {
    std::string line;
    append_integer(line, index, 5);
    line += ", \"";
    append_text(line, name, 1);
    line += "\",";
    append_real(line, load_real(base), solution_field);
    line += ',';
    append_real(line, value.level, solution_field);
    line += ',';
    append_real(line, value.price, solution_field);
    line += ',';
    append_lower_bound(line, base, lower, infinity_text);
    line += ',';
    append_upper_bound(line, base, upper, infinity_text);
    line += line_end;
    out.write(line);
}

void write_heading(Channel& out, std::string_view first, std::string_view second) {
    std::string line;
    append_text(line, first, 38);
    line += ',';
    append_text(line, second, solution_field.width);
    line += ',';
    append_text(line, "Shadow price", solution_field.width);
    line += ',';
    append_text(line, "Lower bound", solution_field.width);
    line += ',';
    append_text(line, "Upper bound", solution_field.width);
    line += line_end;
    out.write(line);
}

}  // namespace

void write_title_line(Channel& out, const std::string& title) {
    std::string line;
    append_text(line, title, 1);
    line += line_end;
    out.write(line);
}

void write_solution_report(Channel& out, const DocumentedForm& form, const Solution& solution, const Ranging& ranging,
                           const std::string& infinity_text) {
    std::string line = "Optimal value : ,";
    append_real(line, solution.objective, 15, 3);
    line += line_end;
    out.write(line);

    write_heading(out, "Profit coefficient", "Operational level");
    for (int j = 1; j <= form.variables(); ++j) {
        write_item_line(out, j, form.column_name(j), narrowed(form.cost(j)), solution.column[j], ranging.cost_lower[j],
                        ranging.cost_upper[j], infinity_text);
    }
    write_heading(out, "Constraint", "Resitual");
    for (int i = 1; i <= form.rows(); ++i) {
        write_item_line(out, i, form.row_name(i), narrowed(form.rhs(i)), solution.row[i], ranging.rhs_lower[i],
                        ranging.rhs_upper[i], infinity_text);
    }
}

}  // namespace lpsens
