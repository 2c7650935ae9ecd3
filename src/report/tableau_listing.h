#pragma once

#include "model/workspace.h"

namespace lpsens {

// The display name of a variable code: "name" of its variable or row, or
// "Surplus/name" of the row a surplus variable belongs to.
std::string display_name(const Workspace& ws, int code);

// The final tableau: code heading, name heading, phase-1 row, objective row
// and one line per row.
void write_tableau_listing(Workspace& ws);

}  // namespace lpsens
