// How an imported model's variables are made of the documented form's.
#pragma once

#include <string>
#include <vector>

#include "numeric/stored_real.h"

namespace lpsens {

// x_model = shift + sign * x_form[part] - x_form[negative_part] (the second
// term only for a split free variable).  A fixed variable has no part.
struct VariableMap {
    std::string name;
    Extended shift = 0;
    int part = 0;  // 1-based variable of the form, 0 for none
    int sign = 1;
    int negative_part = 0;
};

struct ModelMap {
    std::vector<VariableMap> variables;  // in the model's order
    bool maximise = false;               // the model's own sense
};

}  // namespace lpsens
