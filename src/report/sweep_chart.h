// A chart of a parametric sweep as a self-contained SVG document: the optimal
// value against t above (every record marked, labelled where its label has
// room), the swept items' values against t below; each value axis reaches
// past the smallest and the largest value.
#pragma once

#include <string>
#include <vector>

#include "analysis/parametric_sweep.h"
#include "form/documented_form.h"
#include "sweep/sweep_types.h"

namespace lpsens {

// A sweep in the model's own terms, as the chart draws it.
struct SweepChartInput {
    std::string title;                // the problem's title
    bool maximise = true;             // the model's sense: the objective is drawn as the model states it
    bool costs = false;               // costs of columns (pv) or right-hand sides of rows (rv)
    std::vector<std::string> items;   // the swept items' names, in the order of each record's values
    std::vector<double> starts, ends; // each item's start and end value
    const sweep::Result* sweep = nullptr;
};

// The chart of a sweep in the model's terms.
std::string sweep_chart(const SweepChartInput& input);

std::string sweep_chart(const DocumentedForm& form, const SweepItems& items, const std::vector<SweepRecord>& records);

}  // namespace lpsens
