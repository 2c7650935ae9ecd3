#include "accurate/lp_from_model.h"

#include <cmath>
#include <vector>

namespace lpsens {

namespace {

double to_double(Extended v) {
    if (v == model_infinity) return revised::infinity;
    if (v == -model_infinity) return -revised::infinity;
    return static_cast<double>(v);
}

}  // namespace

void row_bounds(const ProblemRow& row, double& lower, double& upper) {
    const RowSides sides = row_sides(row);
    lower = to_double(sides.lower);
    upper = to_double(sides.upper);
}

revised::LpData lp_from_model(const Problem& model) {
    revised::LpData lp;
    lp.rows = model.row_count();
    lp.cols = model.column_count();
    lp.sense = model.maximise ? revised::Sense::maximise : revised::Sense::minimise;
    lp.offset = to_double(model.constant);
    lp.start.reserve(lp.cols + 1);
    lp.start.push_back(0);
    // A row met twice in a column: its entries add up (in extended
    // precision), and an entry that adds up to 0 is left out.
    std::vector<Extended> sum(lp.rows, 0);
    std::vector<int> slot(lp.rows, -1);
    std::vector<int> rows_met;
    for (int j = 0; j < lp.cols; ++j) {
        const ProblemColumn& c = model.columns[j];
        rows_met.clear();
        model.matrix.for_each(j, [&](int row, Extended value) {
            if (slot[row] < 0) {
                slot[row] = static_cast<int>(rows_met.size());
                rows_met.push_back(row);
            }
            sum[row] += value;
        });
        for (const int row : rows_met) {
            if (sum[row] != 0) {
                lp.row_index.push_back(row);
                lp.value.push_back(to_double(sum[row]));
            }
            sum[row] = 0;
            slot[row] = -1;
        }
        lp.start.push_back(static_cast<int>(lp.row_index.size()));
        lp.cost.push_back(to_double(c.cost));
        lp.col_lower.push_back(to_double(c.lower));
        lp.col_upper.push_back(to_double(c.upper));
    }
    lp.row_lower.resize(lp.rows);
    lp.row_upper.resize(lp.rows);
    for (int i = 0; i < lp.rows; ++i)
        row_bounds(model.rows[i], lp.row_lower[i],
                   lp.row_upper[i]);
    return lp;
}

}  // namespace lpsens
