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
    int bound_row = 0;  // the form's row "NAME.ub" of a finite upper bound, 0 for none
};

// The form's rows a model row became: a change d of the model row's
// right-hand side changes the right-hand side of each by sign * d (a ranged
// row has two, one per side; a row multiplied by -1 has sign -1).
struct RowMap {
    std::vector<std::pair<int, int>> rows;  // (form row 1..M, sign)
};

// Where a row of the form comes from: a model row (one of its sides) or the
// upper bound of a model column.  The model's value of that side is
// sign * (the form row's right-hand side) + offset (the offset is what the
// shifted, mirrored and fixed variables moved to the right-hand side).
struct FormRowOrigin {
    int model_row = -1;     // 0-based, or -1
    int bound_of = -1;      // 0-based model column of a bound row, or -1
    bool second_side = false;  // the ".rng" row of a ranged model row
    int sign = 1;           // -1 when the row was multiplied by -1
    char side = 'U';        // the model's bound it states: 'L' lower, 'U' upper, 'E' both
    Extended offset = 0;
};

struct ModelMap {
    std::vector<VariableMap> variables;  // in the model's order
    std::vector<RowMap> rows;            // in the model's order
    std::vector<FormRowOrigin> form_rows{FormRowOrigin{}};  // 1..M of the form
    bool maximise = false;               // the model's own sense
    // The model variable a form variable (1..N) is part of, 0-based.
    std::vector<int> variable_of{0};
};

}  // namespace lpsens
