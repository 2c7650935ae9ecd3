#include "form/documented_form.h"

#include <cstdio>

#include "numeric/plural.h"
#include "numeric/run_error.h"

namespace lpsens {

DocumentedForm native_form(Problem problem) {
    DocumentedForm form;
    form.eq_rows.insert(form.eq_rows.end(), problem.equality_list.begin(), problem.equality_list.end());
    form.ge_rows.insert(form.ge_rows.end(), problem.greater_list.begin(), problem.greater_list.end());
    form.problem = std::move(problem);
    return form;
}

void check_classic_size(const DocumentedForm& form, const std::string& purpose) {
    const int m = form.rows(), n = form.variables();
    if (m <= max_rows && n <= max_vars) return;
    throw RunError(error_code::invalid_number, Site::convert_model,
                   form.problem.source + ": after conversion the problem has " + counted(m, "row", "rows") + " and " +
                       counted(n, "variable", "variables") + "; " + purpose + " takes at most " +
                       std::to_string(max_rows) + " rows and " + std::to_string(max_vars) +
                       " variables (the accurate engine, the default for imported models, takes any size)");
}

StoredReal narrowed(Extended value) {
    StoredReal r;
    store_real(value, r, Site::store_value);
    return r;
}

void check_stored_range(const DocumentedForm& form) {
    const auto check = [&](Extended value, const std::string& where) {
        StoredReal r;
        if (try_store_real(value, r)) return;
        char text[64];
        std::snprintf(text, sizeof text, "%.6Lg", value);
        throw RunError(error_code::overflow, Site::convert_model,
                       form.problem.source + ": " + where + " is " + text +
                           " after conversion, too large for the stored format (magnitude 1.7e38 or more)");
    };
    check(form.constant(), "the objective constant");
    for (int j = 1; j <= form.variables(); ++j) {
        check(form.cost(j), "the cost of '" + form.column_name(j) + "'");
        form.for_each_entry(j, [&](int i, Extended a) {
            check(a, "the entry of '" + form.column_name(j) + "' in row '" + form.row_name(i) + "'");
        });
    }
    for (int i = 1; i <= form.rows(); ++i) check(form.rhs(i), "the right-hand side of row '" + form.row_name(i) + "'");
}

}  // namespace lpsens
