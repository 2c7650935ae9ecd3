#include "simplex/invariants.h"

#include "simplex/pivot.h"

namespace lpsens {

std::string check_positions(Workspace& ws) {
    for (int i = 1; i <= ws.row_count; ++i)
        if (origin_of(ws, ws.basis_label[i]) != i)
            return "row " + std::to_string(i) + ": code " + std::to_string(ws.basis_label[i]) +
                   " has position " + std::to_string(origin_of(ws, ws.basis_label[i]));
    for (int j = 1; j <= ws.column_count(); ++j)
        if (origin_of(ws, ws.column_label[j]) != -j)
            return "column " + std::to_string(j) + ": code " + std::to_string(ws.column_label[j]) +
                   " has position " + std::to_string(origin_of(ws, ws.column_label[j]));
    // Each position names a row or a column that holds the variable back.
    for (int i = 1; i <= ws.row_count; ++i) {
        const int p = ws.row_origin[i];
        const int c = p > 0 ? ws.basis_label[p] : ws.column_label[-p];
        if (p == 0 || !is_row_variable(c) || code_index(c) != i)
            return "row variable " + std::to_string(i) + " is lost (position " + std::to_string(p) + ")";
    }
    for (int v = 1; v <= ws.column_count(); ++v) {
        const int p = ws.column_origin[v];
        const int c = p > 0 ? ws.basis_label[p] : ws.column_label[-p];
        const int back = c > code::surplus_base ? ws.var_count + code_index(c) : c;
        if (p == 0 || back != v)
            return "column variable " + std::to_string(v) + " is lost (position " + std::to_string(p) + ")";
    }
    return {};
}

}  // namespace lpsens
