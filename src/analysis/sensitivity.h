// Ranging along a direction, read off the final tableau: how far a set of
// right-hand sides, or of objective coefficients, may move together before
// the final basis stops being feasible or optimal, what the objective is
// there, and which variables leave and enter the basis at each end.
//
// The classic ranging of the reports moves one value at a time by the
// documented rules; this is the general form, for the model's own terms: a
// model row can be two rows of the form, a model cost the costs of two
// variables and a bound the right-hand sides of every row its variable is in.
#pragma once

#include <optional>
#include <vector>

#include "engine/tableau_view.h"

namespace lpsens {

// One end of a range: the move to it (infinite when nothing limits it), the
// objective there, and the variables that change places in the basis.
struct RangeEnd {
    double move = 0;                // signed; +-infinity when there is no limit
    double objective = 0;           // the form's objective at that end (when finite)
    std::optional<VariableId> leaving;
    std::optional<VariableId> entering;
};

struct DirectionRange {
    RangeEnd lower;  // the largest decrease (move <= 0)
    RangeEnd upper;  // the largest increase (move >= 0)
    double rate = 0; // the objective's change per unit of move
};

// Column 0 and row 0 of a final tableau, read once for many ranges.
struct TableauBase {
    explicit TableauBase(const TableauView& view);
    const TableauView& view;
    std::vector<double> values;  // column 0: the objective and the basic values
    std::vector<double> costs;   // row 0: the objective and the reduced costs
};

// A change of the form's right-hand sides: row i (1..M) moves by weight w.
// Basic values move along B^-1 of the change; at a limit a basic variable
// reaches zero and leaves, and the column the dual ratio test picks enters
// (none when no column can: beyond the limit nothing is feasible).  Entries
// and rates of magnitude `tolerance` or less count as zero.
DirectionRange range_rhs(const TableauBase& base, const std::vector<std::pair<int, double>>& rows, double tolerance);

// A change of the form's objective coefficients: variable j (1..N) moves by
// weight w.  Reduced costs move along the direction; at a limit a column's
// reduced cost reaches zero and it enters, and the row the ratio test picks
// leaves (none when no row limits it: beyond the limit the objective grows
// without end).
DirectionRange range_costs(const TableauBase& base, const std::vector<std::pair<int, double>>& costs,
                           double tolerance);

}  // namespace lpsens
