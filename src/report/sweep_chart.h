// A chart of a parametric sweep as a self-contained SVG document: the optimal
// value against t (records marked and labelled) above, the swept items'
// values against t below.
#pragma once

#include <string>

#include "model/workspace.h"

namespace lpsens {

std::string sweep_chart(const Workspace& ws);

}  // namespace lpsens
