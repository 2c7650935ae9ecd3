#pragma once

#include <optional>
#include <string_view>

#include "model/workspace.h"

namespace lpsens {

// A start or end text of a parametric item: blanks (code 32) around it are
// passed over, an empty text is 0, and what is left must be a number written
// like a coefficient value.  nullopt when it is not.
std::optional<Extended> parse_parametric_text(std::string_view text);

// Modes "pv" and "rv": finds the names "plain$$$start&&&end" among the
// variable names (pv) or constraint names (rv), records the items, cuts their
// names to the plain name, allocates the per-record arrays and writes each
// start value into the tableau.  Ends with strip_name_suffixes.  A start or
// end text that is not a number is runtime error 106.
void extract_parametric_items(Workspace& ws);

}  // namespace lpsens
