#include "classic/invariants.h"

#include "classic/pivot.h"

namespace lpsens {

std::string check_positions(const ClassicState& cs) {
    for (int i = 1; i <= cs.row_count; ++i)
        if (origin_of(cs, cs.basis_label[i]) != i)
            return "row " + std::to_string(i) + ": code " + std::to_string(variable_code(cs.basis_label[i])) +
                   " has position " + std::to_string(origin_of(cs, cs.basis_label[i]));
    for (int j = 1; j <= cs.column_count(); ++j)
        if (origin_of(cs, cs.column_label[j]) != -j)
            return "column " + std::to_string(j) + ": code " + std::to_string(variable_code(cs.column_label[j])) +
                   " has position " + std::to_string(origin_of(cs, cs.column_label[j]));
    // Each position names a row or a column that holds the variable back.
    for (int i = 1; i <= cs.row_count; ++i) {
        const int p = cs.row_origin[i];
        const VariableId c = p > 0 ? cs.basis_label[p] : cs.column_label[-p];
        if (p == 0 || !c.is_row_variable() || c.index != i)
            return "row variable " + std::to_string(i) + " is lost (position " + std::to_string(p) + ")";
    }
    for (int v = 1; v <= cs.column_count(); ++v) {
        const int p = cs.column_origin[v];
        const VariableId c = p > 0 ? cs.basis_label[p] : cs.column_label[-p];
        const int back = c.is_surplus() ? cs.var_count + c.index : c.is_structural() ? c.index : 0;
        if (p == 0 || back != v)
            return "column variable " + std::to_string(v) + " is lost (position " + std::to_string(p) + ")";
    }
    return {};
}

}  // namespace lpsens
