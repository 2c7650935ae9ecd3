// The identity of a variable of the documented form: a kind and an index.
//
//   structural            variable j, 1..N
//   slack                 of row i (a less-or-equal row), 1..M
//   equality_artificial   of row i (an equality row), 1..M
//   greater_artificial    of row i (a greater-or-equal row), 1..M
//   surplus               of the k-th row of the greater-or-equal list, 1..K2
//
// Identities order by kind, then index: the order of the variable codes
// (j, 1000 + i, 2000 + i, 3000 + i, 4000 + k) that the tableau listing
// prints and the smallest-code rules compare.
#pragma once

#include <compare>
#include <cstdint>

namespace lpsens {

enum class VariableKind : std::uint8_t { structural, slack, equality_artificial, greater_artificial, surplus };

struct VariableId {
    VariableKind kind = VariableKind::structural;
    std::int32_t index = 0;

    friend auto operator<=>(const VariableId&, const VariableId&) = default;

    bool is_structural() const { return kind == VariableKind::structural; }
    bool is_surplus() const { return kind == VariableKind::surplus; }
    // The variable each row owns: its slack or its artificial variable.
    bool is_row_variable() const { return kind != VariableKind::structural && kind != VariableKind::surplus; }
    bool is_artificial() const {
        return kind == VariableKind::equality_artificial || kind == VariableKind::greater_artificial;
    }
};

inline VariableId structural_variable(int j) { return {VariableKind::structural, j}; }
inline VariableId surplus_variable(int k) { return {VariableKind::surplus, k}; }

// The code a report prints for a variable: j, 1000 + i, 2000 + i, 3000 + i
// or 4000 + k.  A form beyond 999 rows and variables (the accurate engine
// takes any size) counts in a larger unit, `code_unit`: 10000 + i, ...
inline int variable_code(VariableId v, int unit = 1000) {
    return static_cast<int>(v.kind) * unit + v.index;
}

// The unit of the codes for indices up to `largest`: 1000, or the smallest
// power of ten above it.
inline int code_unit(int largest) {
    int unit = 1000;
    while (unit <= largest && unit <= 100000000) unit *= 10;
    return unit;
}

}  // namespace lpsens
