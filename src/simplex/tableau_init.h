#pragma once

#include "model/workspace.h"

namespace lpsens {

// Builds the starting condensed tableau: negated objective row, a slack or
// artificial variable basic in every row, one surplus column per
// greater-or-equal row, the labels, the positions and the phase-1 row.
void initialise_tableau(Workspace& ws);

}  // namespace lpsens
