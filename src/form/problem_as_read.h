// The documented form in double precision, sparse by columns, as the checks
// and the accurate engine read it: kept apart from any tableau so that
// results can be checked against the problem itself.
#pragma once

#include <cstdint>
#include <vector>

#include "form/documented_form.h"

namespace lpsens {

enum class RowKind : std::uint8_t { less_or_equal, equality, greater_or_equal };

struct ProblemAsRead {
    int rows = 0;       // M
    int variables = 0;  // N
    std::vector<RowKind> kind;         // 1..M
    std::vector<std::int32_t> ge_rows;  // 1..K2: the row of surplus variable k
    std::vector<double> rhs;            // 1..M
    std::vector<double> objective;      // 1..N, maximised; entry 0 the constant
    // The matrix by columns: column j holds entries start[j] .. start[j+1]-1.
    std::vector<std::int32_t> start;    // 1..N+1
    std::vector<std::int32_t> row_of;
    std::vector<double> value;

    int surplus_count() const { return static_cast<int>(ge_rows.size()) - 1; }
};

// The form's values as read, in double precision (`exact`), or as the
// classic engine stores them (40-bit).
ProblemAsRead capture_problem(const DocumentedForm& form, bool exact);

}  // namespace lpsens
