// Choice of the entering column and the leaving row, and the exchange step.
#pragma once

#include "classic/classic_state.h"

namespace lpsens {

// Thresholds of the choice rules.
inline const StoredReal column_threshold = stored(-0.00001L);  // running minimum starts here
inline constexpr Extended pivot_tolerance = 0.00001L;          // barring and ratio test
inline const StoredReal ratio_ceiling = stored(1e10L);

// The column with the most negative phase-1 entry strictly below the stored
// -0.00001, lowest index on ties; 0 when there is none.
int choose_phase1_column(const ClassicState& cs);

// The column with the most negative objective entry strictly below the stored
// -0.00001 among the columns whose phase-1 entry is below 0.00001; 0 if none.
// Columns marked in `barred` (indexed by column) are passed over as well.
int choose_phase2_column(const ClassicState& cs, const std::vector<char>* barred = nullptr);

// The minimum-ratio row for column s among rows whose entry exceeds 0.00001;
// the running minimum is kept in the stored format and starts at 1e10.
// 0 when no row limits the column.
int choose_leaving_row(const ClassicState& cs, int s);

// The exchange step at row r (1..M) and column s (1..N+K2).
void pivot(ClassicState& cs, int r, int s);

// Where a variable's position is kept: row_origin of its row, or
// column_origin of its column variable.
std::int32_t& origin_of(ClassicState& cs, VariableId v);
std::int32_t origin_of(const ClassicState& cs, VariableId v);

}  // namespace lpsens
