#include "model/problem.h"

#include "numeric/plural.h"

namespace lpsens {

void ColumnMatrix::add_column(const std::vector<std::pair<int, Extended>>& entries) {
    for (const auto& [r, v] : entries) {
        row.push_back(r);
        value.push_back(v);
    }
    start.push_back(static_cast<std::int32_t>(value.size()));
}

RowSides row_sides(const ProblemRow& row) {
    RowSides sides;
    const Extended size = row.range < 0 ? -row.range : row.range;
    switch (row.type) {
        case 'L':
            sides.upper = row.rhs;
            if (row.ranged) sides.lower = row.rhs - size;
            break;
        case 'G':
            sides.lower = row.rhs;
            if (row.ranged) sides.upper = row.rhs + size;
            break;
        default:  // 'E'
            sides.lower = sides.upper = row.rhs;
            if (row.ranged) (row.range > 0 ? sides.upper : sides.lower) = row.rhs + row.range;
            break;
    }
    return sides;
}

void finish_model(Problem& problem, const std::vector<std::vector<std::pair<int, Extended>>>& entries) {
    long integers = 0;
    for (const ProblemColumn& c : problem.columns) integers += c.integer;
    if (integers > 0)
        problem.warnings.push_back(counted(integers, "integer variable is", "integer variables are") +
                                   " treated as continuous (the relaxation is solved)");
    if (problem.title.empty()) problem.title = problem.source;
    problem.matrix = ColumnMatrix{};
    for (const auto& column : entries) problem.matrix.add_column(column);
}

bool blank_text(const std::string& text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) > ' ') return false;
    return true;
}

std::string empty_model_message(const std::string& source) {
    return source == "standard input" ? "standard input is empty" : source + ": the file is empty";
}

}  // namespace lpsens
