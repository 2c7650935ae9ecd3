#include "form/documented_form.h"

namespace lpsens {

ModelMap identity_map(const DocumentedForm& form) {
    ModelMap map;
    map.maximise = true;
    for (int j = 1; j <= form.variables(); ++j) {
        VariableMap v;
        v.name = form.column_name(j);
        v.part = j;
        map.variables.push_back(v);
        map.variable_of.push_back(j - 1);
    }
    for (int i = 1; i <= form.rows(); ++i) {
        map.rows.push_back({{{i, 1}}});
        const char type = form.problem.rows[i - 1].type;
        const char side = type == 'L' ? 'U' : type == 'G' ? 'L' : 'E';
        map.form_rows.push_back({i - 1, -1, false, 1, side, 0});
    }
    return map;
}

}  // namespace lpsens
