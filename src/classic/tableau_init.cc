#include "classic/tableau_init.h"

#include <new>

namespace lpsens {

void allocate_state(ClassicState& cs, int rows, int variables, const std::vector<std::int32_t>& eq_rows,
                    const std::vector<std::int32_t>& ge_rows) {
    cs.row_count = rows;
    cs.var_count = variables;
    cs.eq_count = static_cast<std::int32_t>(eq_rows.size()) - 1;
    cs.ge_count = static_cast<std::int32_t>(ge_rows.size()) - 1;
    const std::size_t m = static_cast<std::size_t>(rows);
    const std::size_t columns = static_cast<std::size_t>(cs.column_count());
    try {
        cs.eq_rows = eq_rows;
        cs.ge_rows = ge_rows;
        cs.phase1_row.assign(columns + 1, {});
        cs.basis_label.assign(m + 1, VariableId{});
        cs.column_label.assign(columns + 1, VariableId{});
        cs.row_origin.assign(m + 1, 0);
        cs.column_origin.assign(columns + 1, 0);
        cs.tableau.allocate(rows + 1, static_cast<int>(columns) + 1);
    } catch (const std::bad_alloc&) {
        throw RunError(error_code::out_of_memory, Site::allocate, "out of memory for the problem workspace");
    }
}

void load_form(ClassicState& cs, const DocumentedForm& form) {
    allocate_state(cs, form.rows(), form.variables(), form.eq_rows, form.ge_rows);
    StoredReal* objective = cs.tableau.row(0);
    objective[0] = narrowed(form.constant());
    for (int j = 1; j <= form.variables(); ++j) {
        objective[j] = narrowed(form.cost(j));
        form.for_each_entry(j, [&](int i, Extended a) { cs.tableau(i, j) = narrowed(a); });
    }
    for (int i = 1; i <= form.rows(); ++i) cs.tableau(i, 0) = narrowed(form.rhs(i));
}

namespace {

// phase1_row := phase1_row - tableau row r, entry by entry, each difference
// rounded on the store.
void subtract_row(ClassicState& cs, int r) {
    const StoredReal* row = cs.tableau.row(r);
    for (int j = 0; j <= cs.column_count(); ++j)
        store_real(load_real(cs.phase1_row[j]) - load_real(row[j]), cs.phase1_row[j], Site::initialise);
}

}  // namespace

void initialise_tableau(ClassicState& cs) {
    const int n = cs.var_count;
    const int m = cs.row_count;
    StoredReal* objective = cs.tableau.row(0);
    for (int j = 1; j <= n; ++j) store_real(-load_real(objective[j]), objective[j], Site::initialise);

    for (int i = 1; i <= m; ++i) {
        cs.basis_label[i] = {VariableKind::slack, i};
        cs.row_origin[i] = i;
    }
    for (int t = 1; t <= cs.eq_count; ++t) cs.basis_label[cs.eq_rows[t]] = {VariableKind::equality_artificial, cs.eq_rows[t]};
    for (int t = 1; t <= cs.ge_count; ++t) cs.basis_label[cs.ge_rows[t]] = {VariableKind::greater_artificial, cs.ge_rows[t]};

    for (int j = 1; j <= n; ++j) {
        cs.column_label[j] = structural_variable(j);
        cs.column_origin[j] = -j;
    }
    for (int k = 1; k <= cs.ge_count; ++k) {
        cs.column_label[n + k] = surplus_variable(k);
        cs.column_origin[n + k] = -(n + k);
    }
    for (int k = 1; k <= cs.ge_count; ++k) cs.tableau(cs.ge_rows[k], n + k) = stored(-1.0L);

    for (int j = 0; j <= cs.column_count(); ++j) cs.phase1_row[j] = StoredReal{};
    for (int t = 1; t <= cs.ge_count; ++t) subtract_row(cs, cs.ge_rows[t]);
    for (int t = 1; t <= cs.eq_count; ++t) subtract_row(cs, cs.eq_rows[t]);
}

}  // namespace lpsens
