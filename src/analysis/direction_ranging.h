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
#include "form/model_map.h"

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
    // Right-hand sides only: whether the change moves a variable held at
    // zero (held_at_zero), which then ends both sides at 0.
    bool moves_held = false;
};

// The halves of the split free variables of a model (x = p - q), each the
// other's partner: by structural variable 1..N of the form, the other half,
// or 0.
std::vector<int> free_partners(const ModelMap& map, int variables);

// Whether variable v of the form is half of a split free variable.
inline bool free_half(const std::vector<int>& partner, VariableId v) {
    return v.is_structural() && static_cast<std::size_t>(v.index) < partner.size() &&
           partner[v.index] != 0;
}

// Column 0 and row 0 of a final tableau, read once for many ranges, and the
// halves of split free variables.  A free variable of the model is two of
// the form, x = p - q with p, q >= 0: in the model's terms x has no bound, so
// its basic half crossing zero is no event (the other half takes its place,
// every other value unchanged), and the nonbasic half of a basic one, whose
// reduced cost is tied to zero, never enters.
struct TableauBase {
    // `partner`: by structural variable 1..N, the other half of its split
    // free variable, or 0; empty when there is none.
    explicit TableauBase(const TableauView& view, std::vector<int> partner = {});
    const TableauView& view;
    std::vector<double> values;  // column 0: the objective and the basic values
    std::vector<double> costs;   // row 0: the objective and the reduced costs
    std::vector<int> partner;

    // Whether the variable basic in row i (1..M) is half of a free variable.
    bool free_in_row(int i) const { return row_kind[i] == RowKind::free_half; }
    // Whether the variable basic in row i is held at zero (held_at_zero).
    bool held_in_row(int i) const { return row_kind[i] == RowKind::held; }
    // Whether the nonbasic variable of column j (1..N+K2) is the half of a
    // free variable whose other half is basic.
    bool tied_column(int j) const { return column_kind[j] == ColumnKind::tied; }
    // Whether column j may never enter: an artificial variable, or tied.
    bool closed_column(int j) const { return column_kind[j] != ColumnKind::open; }

    // The column that enters when the variable of row i leaves past its
    // limit, falling below zero (`sign` -1) or an artificial one rising
    // above it (+1), and the row that leaves when nonbasic column j enters:
    // 0 for none.  Each is one ratio test over one line of the tableau, and
    // many ranges end at the same row or column: each is worked out once
    // (a base serves the one tolerance its readers use).
    int entering_for(int i, int sign, double tolerance) const;
    int leaving_for(int j, double tolerance) const;

private:
    mutable std::vector<int> entering_;  // by 2 i + (sign > 0); -1 not yet known
    mutable std::vector<int> leaving_;   // by column; -1 not yet known
    mutable std::vector<std::pair<int, double>> line_;
    // Read off the view once: the ratio tests ask of every entry they see.
    enum class RowKind : unsigned char { plain, free_half, held };
    enum class ColumnKind : unsigned char { open, artificial, tied };
    std::vector<RowKind> row_kind;        // 1..M
    std::vector<ColumnKind> column_kind;  // 1..N+K2
};

// Whether the reduced costs of the tableau prove its basis optimal: none of a
// column that may enter is below -tolerance.  The classic engine's phase 2
// leaves out the columns that phase 1 proved must stay at zero, and their
// reduced costs may be of either sign.
bool duals_prove_optimum(const TableauBase& base, double tolerance);

// A change of the form's right-hand sides: row i (1..M) moves by weight w.
// Basic values move along B^-1 of the change; at a limit a basic variable
// reaches zero and leaves, and the column the dual ratio test picks enters
// (none when no column can: beyond the limit nothing is feasible).  Entries
// and rates of magnitude `tolerance` or less count as zero, and so do basic
// values and reduced costs at most `tolerance` (the engine's own: zero to its
// precision leaves no room).
DirectionRange range_rhs(const TableauBase& base, const std::vector<std::pair<int, double>>& rows, double tolerance);

// A change of the form's objective coefficients: variable j (1..N) moves by
// weight w.  Reduced costs move along the direction; at a limit a column's
// reduced cost reaches zero and it enters, and the row the ratio test picks
// leaves (none when no row limits it: beyond the limit the objective grows
// without end).
DirectionRange range_costs(const TableauBase& base, const std::vector<std::pair<int, double>>& costs,
                           double tolerance);

}  // namespace lpsens
