#pragma once

#include <string>

#include "classic/classic_state.h"

namespace lpsens {

// Checks that every label and every position agree: the variable basic in
// row i has position +i, the one nonbasic in column j has position -j, and
// every row and column variable appears exactly once.  Returns an empty
// string when they do, else a description of the first disagreement.
std::string check_positions(const ClassicState& cs);

}  // namespace lpsens
