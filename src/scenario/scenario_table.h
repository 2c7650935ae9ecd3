// A table of scenarios, as CSV: the first line names the items, one per
// column (see ItemNames), the first column may be "scenario" for the
// scenarios' labels; every further line is one scenario, its cells the
// items' values, an empty cell leaving that item as the model has it.
// Values are decimal numbers; "inf" and "-inf" (any case, also "infinity")
// stand for no bound.  Cells may be quoted ("" for a quote); blank lines
// are skipped; LF or CR LF ends a line.
//
//   scenario,rhs:demand,cost:steel,upper:overtime
//   low,80,,10
//   high,120,3.5,inf
#pragma once

#include <string>
#include <vector>

#include "scenario/scenario.h"

namespace lpsens::scenario {

// The scenarios of `text`, read from `source` (for messages), for `model`.
// Throws RunError 106 with "SOURCE:LINE: what is wrong" on a heading that
// names nothing of the model or is given twice, a line with another number
// of cells, or a cell that is not a number.  Unlabelled scenarios are
// numbered from 1 in the order of their lines.
std::vector<Scenario> read_scenario_table(const std::string& text, const std::string& source, const Problem& model);

}  // namespace lpsens::scenario
