// Problems in lpsens's own format read into the documented form.
#pragma once

#include <string>

#include "form/documented_form.h"

namespace lpsens::testing {

// The documented form of a problem text in lpsens's own format.
DocumentedForm read_form(const std::string& text);

}  // namespace lpsens::testing
