// The tableau listing: the final tableau with its variable codes and names.
#pragma once

#include <string>

#include "engine/tableau_view.h"
#include "form/documented_form.h"
#include "io/channel.h"

namespace lpsens {

// The display name of a variable: "name" of its variable or row, or
// "Surplus/name" of the row a surplus variable belongs to.
std::string display_name(const DocumentedForm& form, VariableId v);

// The final tableau: code heading, name heading, phase-1 row, objective row
// and one line per row.
void write_tableau_listing(Channel& out, const TableauView& view, const DocumentedForm& form);

}  // namespace lpsens
