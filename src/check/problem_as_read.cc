#include "check/problem_as_read.h"

namespace lpsens {

ProblemAsRead capture_problem(const Workspace& ws) {
    // The values as read where they were kept (accurate mode), else the
    // stored values the tableau starts from.
    const bool exact = !ws.input_values.empty();
    auto value_at = [&](int i, int j) {
        return exact ? static_cast<double>(ws.input_value(i, j)) : ws.tableau(i, j).value;
    };
    ProblemAsRead p;
    const int m = ws.row_count;
    const int n = ws.var_count;
    p.rows = m;
    p.variables = n;
    p.kind.assign(static_cast<std::size_t>(m) + 1, RowKind::less_or_equal);
    for (int t = 1; t <= ws.eq_count; ++t) p.kind[static_cast<std::size_t>(ws.eq_rows[t])] = RowKind::equality;
    // A row in both lists counts as greater-or-equal, as the tableau sees it.
    p.ge_rows.assign(static_cast<std::size_t>(ws.ge_count) + 1, 0);
    for (int k = 1; k <= ws.ge_count; ++k) {
        p.ge_rows[static_cast<std::size_t>(k)] = ws.ge_rows[k];
        p.kind[static_cast<std::size_t>(ws.ge_rows[k])] = RowKind::greater_or_equal;
    }
    p.rhs.assign(static_cast<std::size_t>(m) + 1, 0.0);
    for (int i = 1; i <= m; ++i) p.rhs[static_cast<std::size_t>(i)] = value_at(i, 0);
    p.objective.assign(static_cast<std::size_t>(n) + 1, 0.0);
    for (int j = 0; j <= n; ++j) p.objective[static_cast<std::size_t>(j)] = value_at(0, j);
    p.start.assign(static_cast<std::size_t>(n) + 2, 0);
    for (int j = 1; j <= n; ++j) {
        p.start[static_cast<std::size_t>(j)] = static_cast<std::int32_t>(p.value.size());
        for (int i = 1; i <= m; ++i) {
            const double a = value_at(i, j);
            if (a == 0.0) continue;
            p.row_of.push_back(i);
            p.value.push_back(a);
        }
    }
    p.start[static_cast<std::size_t>(n) + 1] = static_cast<std::int32_t>(p.value.size());
    return p;
}

}  // namespace lpsens
