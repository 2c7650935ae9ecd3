// The documented form of a problem: maximise, every variable at least 0,
// rows <=, = or >= with the list of equality rows and the list of
// greater-or-equal rows.  The classic engine and the reports work on it.
//
// For lpsens's own format the form is the problem as read, lists included.
// An imported model is converted (conversion.cc), and the map back to the
// model's variables is kept with it.  The classic engine and lpsens's own
// format take at most 999 rows and 999 variables (the variable codes, 1000 + i
// for the slack of row i, ...); the accurate engine takes any size.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "form/model_map.h"
#include "model/problem.h"

namespace lpsens {

inline constexpr int max_rows = 999;
inline constexpr int max_vars = 999;

struct DocumentedForm {
    // Rows of type 'L', 'G', 'E' without ranges, columns without bounds,
    // maximised; names of at most 80 characters.
    Problem problem;
    std::vector<std::int32_t> eq_rows{0};  // 1..K1: rows of the first list, in order
    std::vector<std::int32_t> ge_rows{0};  // 1..K2: rows of the second list; entry k owns surplus column N+k

    int rows() const { return problem.row_count(); }                         // M
    int variables() const { return problem.column_count(); }                 // N
    int eq_count() const { return static_cast<int>(eq_rows.size()) - 1; }    // K1
    int ge_count() const { return static_cast<int>(ge_rows.size()) - 1; }    // K2
    int column_count() const { return variables() + ge_count(); }            // N + K2

    // 1-based access: row i in 1..M, variable j in 1..N.
    Name& row_name(int i) { return problem.rows[i - 1].name; }
    const Name& row_name(int i) const { return problem.rows[i - 1].name; }
    Name& column_name(int j) { return problem.columns[j - 1].name; }
    const Name& column_name(int j) const { return problem.columns[j - 1].name; }
    Extended& rhs(int i) { return problem.rows[i - 1].rhs; }
    Extended rhs(int i) const { return problem.rows[i - 1].rhs; }
    Extended& cost(int j) { return problem.columns[j - 1].cost; }
    Extended cost(int j) const { return problem.columns[j - 1].cost; }
    Extended constant() const { return problem.constant; }
    const std::string& title() const { return problem.title; }
    // Entries of column j (1..N) as (row 1..M, value) calls.
    template <class Visit>
    void for_each_entry(int j, Visit visit) const {
        problem.matrix.for_each(j - 1, [&](int row, Extended a) { visit(row + 1, a); });
    }
};

// The form of a problem in lpsens's own format: the problem itself.
DocumentedForm native_form(Problem problem);

// The map of a problem in lpsens's own format to its form: the same rows
// and variables, maximised.
ModelMap identity_map(const DocumentedForm& form);

struct ConvertedModel {
    DocumentedForm form;
    ModelMap map;
};

// Converts an imported model (see the README for the rules).  Writes what it
// did on `console_lines`.
ConvertedModel convert_model(const Problem& model, std::vector<std::string>& console_lines);

// RunError 106 when the form has more than 999 rows or variables, which the
// classic engine and lpsens's own format cannot hold; `purpose` says what
// asked ("the classic engine", ...).
void check_classic_size(const DocumentedForm& form, const std::string& purpose);

// Stops the run with runtime error 205 when a value of a converted model is
// too large for the stored format, naming where it stands.
void check_stored_range(const DocumentedForm& form);

// The stored (40-bit) value of a value as read: the value the classic
// engine and the reports start from.  RunError 205 when it is too large.
StoredReal narrowed(Extended value);

}  // namespace lpsens
