#pragma once

#include "classic/classic_state.h"
#include "form/documented_form.h"

namespace lpsens {

// Sizes the state for the form and writes the form's values into the
// tableau as the stored format holds them: row 0 the objective constant and
// coefficients, rows 1..M the right-hand side and the coefficients.
void load_form(ClassicState& cs, const DocumentedForm& form);

// Builds the starting condensed tableau: negated objective row, a slack or
// artificial variable basic in every row, one surplus column per
// greater-or-equal row, the labels, the positions and the phase-1 row.
void initialise_tableau(ClassicState& cs);

}  // namespace lpsens
