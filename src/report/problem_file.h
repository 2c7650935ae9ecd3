// The problem written back in lpsens's own format.
#pragma once

#include <string>

#include "form/documented_form.h"

namespace lpsens {

// The form in lpsens's own format, every value with enough digits to read
// back the same: as read (`exact`, 21 digits) or as stored (17 digits).
std::string problem_text(const DocumentedForm& form, bool exact);

}  // namespace lpsens
