// A chart of a parametric sweep as a self-contained SVG document: the optimal
// value against t above (every record marked, labelled where its label has
// room), the swept items' values against t below; each value axis reaches
// past the smallest and the largest value.
#pragma once

#include <string>
#include <vector>

#include "analysis/parametric_sweep.h"
#include "form/documented_form.h"

namespace lpsens {

std::string sweep_chart(const DocumentedForm& form, const SweepItems& items, const std::vector<SweepRecord>& records);

}  // namespace lpsens
