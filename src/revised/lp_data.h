// The linear program the revised engine solves, in general form:
//
//   minimise (or maximise)  cost^T x + offset
//   subject to              row_lower <= A x <= row_upper
//                           col_lower <=  x  <= col_upper
//
// A is stored column-wise. Bounds may be -infinity / +infinity (HUGE_VAL);
// equal bounds fix a variable or a row; a row with both bounds infinite is
// free. Nothing is added for bounds or ranges: each row gets one logical
// variable inside the engine, and bounds stay bounds.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "factor/sparse_matrix.h"

namespace lpsens::revised {

inline constexpr double infinity = HUGE_VAL;

enum class Sense { minimise, maximise };

// A (rows, cols, start, row_index, value) is the LP's own matrix.
struct LpData : factor::SparseMatrix {
    Sense sense = Sense::minimise;
    double offset = 0;             // added to the objective

    std::vector<double> cost;      // by column
    std::vector<double> col_lower; // by column
    std::vector<double> col_upper; // by column
    std::vector<double> row_lower; // by row
    std::vector<double> row_upper; // by row

    // A description of the first inconsistency (sizes, indices out of range,
    // entries not finite, lower above upper, a bound of +inf below or -inf
    // above), or an empty string when the data are usable.
    std::string check() const;
};

}  // namespace lpsens::revised
