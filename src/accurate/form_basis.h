// The documented form's view of a basis of the model the revised engine
// solves: which of the form's variables are basic, in which rows of the
// tableau they stand and which column each nonbasic variable takes; and the
// engine's certificates carried over to the form.
//
// The model and the form differ by the conversion (model_map.h): a column
// with two finite bounds is a shifted variable and a bound row in the form,
// a free one two parts, a ranged row two rows.  A basis of the model is one
// of the form once each of those is settled:
//   - a basic column: its part basic (the part that carries its value when
//     it is split), and the slack of its bound row too;
//   - a column at its lower bound: the slack of its bound row basic;
//     at its upper bound: its part basic, the bound row's slack not;
//   - a row whose activity is basic: the slack or surplus of each of its
//     form rows basic (the artificial variable of an equality row);
//   - a ranged row at one side: the slack or surplus of the other side's
//     row basic.
#pragma once

#include <vector>

#include "form/documented_form.h"
#include "form/double_form.h"
#include "form/variable_id.h"
#include "revised/revised_simplex.h"

namespace lpsens {

struct FormBasis {
    std::vector<VariableId> basic;     // 1..M: the variable basic in each row of the tableau
    std::vector<VariableId> nonbasic;  // 1..N+K2: the variable of each column
};

// The row variable of row i: its slack, or its artificial variable.
VariableId row_variable(const DoubleForm& problem, int i);

// The form's basis for the engine's final basis.  Basic variables take the
// row whose own variable they replace where that is clear (a surplus its
// row, a part the row of its bound, a column the row of its position in the
// engine's basis); nonbasic row variables take the column of the variable
// that replaced them, so that a basis reached by few exchanges reads as the
// condensed tableau would.  RunError when the counts do not match (a map
// that does not fit the model).
FormBasis form_basis(const DoubleForm& problem, const ModelMap& map, const revised::RevisedSimplex& engine);
// The same of a basis the engine does not stand on (`s` gives its statuses
// and the signs of free columns' values), its basic columns taking rows in
// order.
FormBasis form_basis(const DoubleForm& p, const ModelMap& map, const revised::LpSolution& s);

// The Farkas vector of an infeasible model as a certificate of the form's
// rows (1..M): w >= 0 on <= rows, w <= 0 on >= rows, A'^T w >= 0, b'^T w < 0.
std::vector<double> form_farkas(const DoubleForm& problem, const ModelMap& map, const revised::LpData& lp,
                                const std::vector<double>& farkas);

// The model's unbounded ray as a direction of the form's variables (1..N).
std::vector<double> form_ray(const DoubleForm& problem, const ModelMap& map, const std::vector<double>& ray);

}  // namespace lpsens
