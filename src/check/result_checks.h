// Checks of a result against the problem as read.
//
// The basis the tableau ends with is rebuilt from the problem and solved
// afresh in extended precision (BasisSolution); its values and prices are
// then measured against the problem and against what the report printed.
// Tolerances are relative to the problem's own magnitudes:
//   - a row's scale is max(1, |b_i|, max_j |a_ij x_j|); a variable's value or
//     a row's slack fails when it is below zero (an artificial variable: away
//     from zero) by more than 0.00001 + 1e-7 times the scale of its row, a
//     structural variable by more than 0.00001 + 1e-7 max(1, |x|max);
//   - a column's scale is max(1, |c_j|, max_i |y_i a_ij|); its reduced cost
//     fails when it is below zero by more than 0.00001 + 1e-7 times it (the
//     0.00001 is the threshold of the choice rules, which a sound run may use
//     up);
//   - a printed value fails when it is further from the recomputed value
//     than one unit of its last printed digit plus the spacing of the stored
//     format at its magnitude (which no report of stored values can beat);
//   - a basis is singular when a pivot of its factorisation is below 1e-13
//     times the largest entry of its column.
#pragma once

#include <string>
#include <vector>

#include "engine/engine.h"
#include "form/documented_form.h"
#include "form/double_form.h"
#include "numeric/report_fields.h"

namespace lpsens {

// What a report printed, as the values it formatted, 1-based.
struct PrintedValues {
    double objective = 0;
    std::vector<double> column_level;  // 1..N
    std::vector<double> column_price;  // 1..N
    std::vector<double> row_level;     // 1..M
    std::vector<double> row_price;     // 1..M
    RealField field = solution_field;  // the field they were shown in
};

// The printed values of the solution report.
PrintedValues printed_by_report(const Solution& solution, int variables, int rows);
// The printed values of a sweep record (layout of SweepRecord::values).
PrintedValues printed_by_record(const std::vector<double>& values, int variables, int rows);

struct CheckReport {
    std::vector<std::string> findings;  // one line per failed check
    bool singular = false;
    bool feasible = false;              // the recomputed basis satisfies every row
    bool have_objective = false;
    Extended objective = 0;             // recomputed objective value of the basis
    double primal_infeasibility = 0;    // largest violation / its scale
    double dual_infeasibility = 0;      // largest wrong-signed reduced cost / its scale
    double printed_difference = 0;      // largest difference in units of the last digit
    double pivot_ratio = 1;             // smallest pivot of the factorisation, relative
    bool pivot_ratio_known = true;      // the dense factorisation measures it
    bool certificate_checked = false;   // "No feasible solution": a Farkas certificate was tried
    Extended certificate_bound = 0;     // its y^T b, below zero when it proves infeasibility

    bool passed() const { return findings.empty(); }
};

// Checks the basis of `result` against the problem with the given
// right-hand sides and objective (1-based; objective[0] the constant).
// `form` gives the names.  `printed` may be null (nothing printed).
CheckReport check_result(const DoubleForm& problem, const std::vector<double>& rhs,
                         const std::vector<double>& objective, const DocumentedForm& form, const SolveResult& result,
                         const PrintedValues* printed);

}  // namespace lpsens
