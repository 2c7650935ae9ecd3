// The marker suffixes of names: "$$$" starts the text of a parametric item
// ("name$$$start&&&end") and is cut before the names are reported.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "form/documented_form.h"
#include "form/run_mode.h"

namespace lpsens {

inline constexpr std::string_view start_marker = "$$$";
inline constexpr std::string_view end_marker = "&&&";

// Cuts `name` before its first "$$$", if it has one.
void cut_at_marker(Name& name);

// Mode "pv" or "lp": constraint names are cut before their first "$$$".
// Mode "rv" or "lp": variable names likewise.  Other modes change nothing.
void strip_name_suffixes(DocumentedForm& form, RunMode mode);

// Adds "$$$start&&&end" to the name each item "NAME:START:END" names: a
// variable in mode "pv", a row in mode "rv".  RunError 106 when no such name.
void mark_sweep_items(DocumentedForm& form, const std::vector<std::string>& items, RunMode mode);

}  // namespace lpsens
