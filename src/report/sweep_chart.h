// The chart of a parametric sweep as a self-contained SVG document, in the
// model's terms: the optimum (in the model's own sense) against the
// swept item's value when one item moves, or against t with each item's
// values on an axis of its own under the plot when several do; the x axis
// runs from the sweep's start at the left to its end at the right, whichever
// way the values go.  Every record is marked and labelled "(x, optimum)"
// where the label has room; the stretches without an optimum are shaded and
// named, and notes under the plot say in words where the sweep had none and
// where and why it stopped short.
#pragma once

#include <string>
#include <vector>

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
    bool bounds = false;              // bounds of columns (neither costs nor right-hand sides)
};

// The chart of a sweep in the model's terms.
std::string sweep_chart(const SweepChartInput& input);

}  // namespace lpsens
