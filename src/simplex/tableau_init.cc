#include "simplex/tableau_init.h"

namespace lpsens {

namespace {

// phase1_row := phase1_row - tableau row r, entry by entry, each difference
// rounded on the store.
void subtract_row(Workspace& ws, int r) {
    const StoredReal* row = ws.tableau.row(r);
    for (int j = 0; j <= ws.column_count(); ++j)
        store_real(load_real(ws.phase1_row[j]) - load_real(row[j]), ws.phase1_row[j], Site::initialise);
}

}  // namespace

void initialise_tableau(Workspace& ws) {
    const int n = ws.var_count;
    const int m = ws.row_count;
    StoredReal* objective = ws.tableau.row(0);
    for (int j = 1; j <= n; ++j) store_real(-load_real(objective[j]), objective[j], Site::initialise);

    for (int i = 1; i <= m; ++i) {
        ws.basis_label[i] = code::slack_base + i;
        ws.row_origin[i] = i;
    }
    for (int t = 1; t <= ws.eq_count; ++t) ws.basis_label[ws.eq_rows[t]] = code::equality_base + ws.eq_rows[t];
    for (int t = 1; t <= ws.ge_count; ++t) ws.basis_label[ws.ge_rows[t]] = code::greater_base + ws.ge_rows[t];

    for (int j = 1; j <= n; ++j) {
        ws.column_label[j] = j;
        ws.column_origin[j] = -j;
    }
    for (int k = 1; k <= ws.ge_count; ++k) {
        ws.column_label[n + k] = code::surplus_base + k;
        ws.column_origin[n + k] = -(n + k);
    }
    for (int k = 1; k <= ws.ge_count; ++k) ws.tableau(ws.ge_rows[k], n + k) = stored(-1.0L);

    for (int j = 0; j <= ws.column_count(); ++j) ws.phase1_row[j] = StoredReal{};
    for (int t = 1; t <= ws.ge_count; ++t) subtract_row(ws, ws.ge_rows[t]);
    for (int t = 1; t <= ws.eq_count; ++t) subtract_row(ws, ws.eq_rows[t]);
}

}  // namespace lpsens
