// The solution report: title, optimal value, one line per variable and one
// per constraint, each with its value, shadow price and ranging bounds.
#pragma once

#include <string>
#include <string_view>

#include "analysis/ranging.h"
#include "engine/solution.h"
#include "form/documented_form.h"
#include "io/channel.h"

namespace lpsens {

// The two bytes of the infinity sign in the reports.
inline constexpr std::string_view infinity_sign = "\x81\x87";

// The title line.
void write_title_line(Channel& out, const std::string& title);

// Optimal value, one line per variable and one per constraint.  The bounds
// are the form's values as stored plus the ranging offsets; an unbounded
// one is `infinity_text` (the two bytes 81 87, or UTF-8 on a terminal).
void write_solution_report(Channel& out, const DocumentedForm& form, const Solution& solution, const Ranging& ranging,
                           const std::string& infinity_text);

}  // namespace lpsens
