// The LP as the simplex iterations see it: scaled, a minimisation, and in
// computational form
//
//   A x + s = 0,   lower <= (x, s) <= upper
//
// with one logical variable s_i per row whose value is minus the row's
// (scaled) activity. Variables are indexed by "var": 0..cols-1 are the
// columns, cols + i is the logical of row i (its column of the basis matrix
// is the unit vector e_i, as in factor/basis_factor.h).
#pragma once

#include <vector>

#include "factor/basis_factor.h"
#include "revised/lp_data.h"
#include "revised/scaling.h"

namespace lpsens::revised {

struct WorkingLp {
    int rows = 0;
    int cols = 0;
    double cost_sign = 1;  // +1 for minimisation, -1 for maximisation

    // Scaled A column-wise, duplicates summed and zeros dropped.
    std::vector<int> col_start;     // by column, cols + 1 entries
    std::vector<int> col_row;       // by entry
    std::vector<double> col_value;  // by entry
    // The same entries row-wise, for the tableau row.
    std::vector<int> row_start;     // by row, rows + 1 entries
    std::vector<int> row_col;       // by entry
    std::vector<double> row_value;  // by entry

    std::vector<double> cost_by_var;   // scaled, minimisation; 0 for logicals
    std::vector<double> lower_by_var;  // scaled
    std::vector<double> upper_by_var;  // scaled

    // An unscaled value is var_scale times the scaled one (for a logical the
    // value is minus the activity); an unscaled reduced cost is the scaled
    // one divided by var_scale. Powers of two.
    std::vector<double> var_scale;     // by var
    std::vector<double> row_scale;     // by row (the duals: y = row_scale * y_scaled)

    int vars() const { return rows + cols; }
    int nonzeros() const { return col_start.empty() ? 0 : col_start.back(); }
    factor::MatrixView matrix_view() const {
        return {rows, cols, col_start.data(), col_row.data(), col_value.data()};
    }

    // Changes of the model, in its own (unscaled) terms.
    void set_cost(int col, double cost);
    void set_col_bounds(int col, double lower, double upper);
    void set_row_bounds(int row, double lower, double upper);
};

WorkingLp build_working_lp(const LpData& lp, const Scaling& scaling);

}  // namespace lpsens::revised
