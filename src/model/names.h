// Removal of the "$$$" marker suffixes from names before they are reported.
#pragma once

#include "model/workspace.h"

namespace lpsens {

inline constexpr std::string_view start_marker = "$$$";
inline constexpr std::string_view end_marker = "&&&";

// Cuts `name` before its first "$$$", if it has one.
void cut_at_marker(Name& name);

// Mode "pv" or "lp": constraint names are cut before their first "$$$".
// Mode "rv" or "lp": variable names likewise.  Other modes change nothing.
void strip_name_suffixes(Workspace& ws);

}  // namespace lpsens
