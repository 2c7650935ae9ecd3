// A chart of a parametric sweep as a self-contained SVG document: the optimal
// value against t (records marked and labelled) above, the swept items'
// values against t below.
#pragma once

#include <string>
#include <vector>

#include "analysis/parametric_sweep.h"
#include "form/documented_form.h"

namespace lpsens {

std::string sweep_chart(const DocumentedForm& form, const SweepItems& items, const std::vector<SweepRecord>& records);

}  // namespace lpsens
