#include "form/double_form.h"

namespace lpsens {

DoubleForm capture_form(const DocumentedForm& form, bool exact) {
    auto value_of = [&](Extended x) { return exact ? static_cast<double>(x) : narrowed(x).value; };
    DoubleForm p;
    const int m = form.rows();
    const int n = form.variables();
    p.rows = m;
    p.variables = n;
    p.kind.assign(m + 1, RowKind::less_or_equal);
    for (int t = 1; t <= form.eq_count(); ++t)
        p.kind[form.eq_rows[t]] = RowKind::equality;
    // A row in both lists counts as greater-or-equal, as the tableau sees it.
    p.ge_rows = form.ge_rows;
    for (int k = 1; k <= form.ge_count(); ++k)
        p.kind[form.ge_rows[k]] = RowKind::greater_or_equal;
    p.rhs.assign(m + 1, 0.0);
    for (int i = 1; i <= m; ++i) p.rhs[i] = value_of(form.rhs(i));
    p.objective.assign(n + 1, 0.0);
    p.objective[0] = value_of(form.constant());
    for (int j = 1; j <= n; ++j) p.objective[j] = value_of(form.cost(j));
    p.matrix.rows = m + 1;
    p.matrix.cols = n + 1;
    p.matrix.start.assign(n + 2, 0);
    for (int j = 1; j <= n; ++j) {
        p.matrix.start[j] = static_cast<std::int32_t>(p.matrix.value.size());
        form.for_each_entry(j, [&](int i, Extended x) {
            const double a = value_of(x);
            if (a == 0.0) return;
            p.matrix.row_index.push_back(i);
            p.matrix.value.push_back(a);
        });
    }
    p.matrix.start[n + 1] = static_cast<std::int32_t>(p.matrix.value.size());
    return p;
}

}  // namespace lpsens
