#include "report/problem_file.h"

#include <cstdio>

namespace lpsens {

std::string problem_text(const DocumentedForm& form, bool exact) {
    const int m = form.rows();
    const int n = form.variables();
    auto value = [&](Extended x) {
        char buf[64];
        if (exact)
            std::snprintf(buf, sizeof buf, "%.21Lg", x);
        else
            std::snprintf(buf, sizeof buf, "%.17g", narrowed(x).value);  // a stored value reads back the same
        return std::string(buf);
    };
    std::string text = form.title() + "\r\n" + std::to_string(m) + " " + std::to_string(n) + " " +
                       std::to_string(form.eq_count()) + " " + std::to_string(form.ge_count()) + "\r\n";
    for (const auto* list : {&form.eq_rows, &form.ge_rows}) {
        if (list->size() < 2) continue;
        for (std::size_t k = 1; k < list->size(); ++k) text += (k > 1 ? " " : "") + std::to_string((*list)[k]);
        text += "\r\n";
    }
    for (int j = 1; j <= n; ++j) text += form.column_name(j) + "\r\n";
    for (int i = 1; i <= m; ++i) text += form.row_name(i) + "\r\n";
    // The matrix row by row, as the format wants it.
    std::vector<Extended> dense((static_cast<std::size_t>(m) + 1) * (static_cast<std::size_t>(n) + 1), 0);
    auto at = [&](int i, int j) -> Extended& {
        return dense[static_cast<std::size_t>(i) * (static_cast<std::size_t>(n) + 1) + static_cast<std::size_t>(j)];
    };
    at(0, 0) = form.constant();
    for (int j = 1; j <= n; ++j) {
        at(0, j) = form.cost(j);
        form.for_each_entry(j, [&](int i, Extended a) { at(i, j) = a; });
    }
    for (int i = 1; i <= m; ++i) at(i, 0) = form.rhs(i);
    for (const Extended x : dense) text += value(x) + "\r\n";
    return text;
}

}  // namespace lpsens
