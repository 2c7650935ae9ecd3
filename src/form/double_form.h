// The documented form in double precision, sparse by columns, as the checks
// and the accurate engine read it: kept apart from any tableau so that
// results can be checked against the problem itself.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "factor/sparse_matrix.h"
#include "form/documented_form.h"
#include "form/variable_id.h"
#include "numeric/stored_real.h"

namespace lpsens {

enum class RowKind : std::uint8_t { less_or_equal, equality, greater_or_equal };

struct DoubleForm {
    int rows = 0;       // M
    int variables = 0;  // N
    std::vector<RowKind> kind;         // 1..M
    std::vector<std::int32_t> ge_rows;  // 1..K2: the row of surplus variable k
    std::vector<double> rhs;            // 1..M
    std::vector<double> objective;      // 1..N, maximised; entry 0 the constant
    // A by columns, numbered as the form numbers them: column j (1..N)
    // holds the entries start[j] .. start[j+1]-1, each on a row 1..M;
    // column 0 and row 0 stay empty (M+1 rows, N+1 columns).
    factor::SparseMatrix matrix;

    int surplus_count() const { return static_cast<int>(ge_rows.size()) - 1; }

    // The column of variable v in the form's matrix [A | I | -I]: a
    // structural column's entries, or a unit column on the row of a slack,
    // artificial or surplus variable, -1 for a surplus and +1 otherwise.
    int logical_row(VariableId v) const { return v.is_surplus() ? ge_rows[v.index] : v.index; }
    static int sign_of(VariableId v) { return v.is_surplus() ? -1 : 1; }
    template <class Visit>
    void for_each_entry(VariableId v, Visit visit) const {
        if (!v.is_structural()) {
            visit(logical_row(v), static_cast<double>(sign_of(v)));
            return;
        }
        for (int e = matrix.start[v.index]; e < matrix.start[v.index + 1]; ++e) visit(matrix.row_index[e], matrix.value[e]);
    }
    // The column of v times y (by row 1..M), summed in extended precision in
    // the column's order; `largest` gets the largest term's magnitude.
    Extended dot(VariableId v, const std::vector<Extended>& y, Extended* largest = nullptr) const {
        if (!v.is_structural()) {
            const Extended term = sign_of(v) * y[logical_row(v)];
            if (largest != nullptr) *largest = std::fabs(term);
            return term;
        }
        Extended sum = 0, most = 0;
        for (int e = matrix.start[v.index]; e < matrix.start[v.index + 1]; ++e) {
            const Extended term = matrix.value[e] * y[matrix.row_index[e]];
            sum += term;
            most = std::max(most, std::fabs(term));
        }
        if (largest != nullptr) *largest = most;
        return sum;
    }
};

// The form's values as read, in double precision (`exact`), or as the
// classic engine stores them (40-bit).
DoubleForm capture_form(const DocumentedForm& form, bool exact);

}  // namespace lpsens
