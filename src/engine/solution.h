// Levels and prices of every variable at the end of a solve.
#pragma once

#include <vector>

#include "engine/tableau_view.h"

namespace lpsens {

struct SolutionValue {
    double level = 0;
    double price = 0;
};

struct Solution {
    double objective = 0;               // the tableau's entry (0, 0)
    std::vector<SolutionValue> column;  // 1..N+K2: structural variable j, surplus variable N+k
    std::vector<SolutionValue> row;     // 1..M: the row variable (slack or artificial) of row i
    int variables = 0;                  // N

    SolutionValue& of(VariableId v);
};

// The values of a tableau: a basic variable has the level of its row and
// price 0, a nonbasic one level 0 and the objective row's entry as price.
Solution solution_from(const TableauView& view, int variables);

}  // namespace lpsens
