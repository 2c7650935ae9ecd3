#include "revised/tableau_row.h"

#include <cmath>

namespace lpsens::revised {

namespace {
// Entries this small are cancellation noise and left out.
constexpr double tiny_entry = 1e-14;
}  // namespace

void TableauRow::setup(const WorkingLp& lp) {
    lp_ = &lp;
    value_by_var_.assign(lp.vars(), 0.0);
    nonzero_vars_.clear();
    touched_.clear();
}

void TableauRow::clear() {
    for (int var : nonzero_vars_) value_by_var_[var] = 0.0;
    nonzero_vars_.clear();
}

void TableauRow::compute(const factor::SparseVector& rho, const SimplexBasis& basis) {
    clear();
    const WorkingLp& lp = *lp_;
    const int n = lp.cols;
    // Work of the row-wise product against the column-wise one.
    long row_work = rho.count < 0 ? lp.nonzeros() : 0;
    for (int k = 0; k < rho.count; ++k) {
        const int i = rho.index[k];
        row_work += lp.row_start[i + 1] - lp.row_start[i];
    }
    double* value = value_by_var_.data();
    if (row_work < 0.3 * lp.nonzeros()) {
        // Basic columns are passed over; each nonbasic one is listed when
        // first met (a sum that cancels to zero stays listed as 1e-300).
        touched_.clear();
        const int* position = basis.position_by_var.data();
        for (int k = 0; k < rho.count; ++k) {
            const int i = rho.index[k];
            const double r = rho.value[i];
            for (int t = lp.row_start[i]; t < lp.row_start[i + 1]; ++t) {
                const int j = lp.row_col[t];
                if (position[j] >= 0) continue;
                double& v = value[j];
                if (v == 0.0) touched_.push_back(j);
                v += r * lp.row_value[t];
                if (v == 0.0) v = 1e-300;
            }
        }
        for (int j : touched_) {
            if (std::fabs(value[j]) < tiny_entry) {
                value[j] = 0.0;
                continue;
            }
            nonzero_vars_.push_back(j);
        }
    } else {
        const double* y = rho.value.data();
        for (int j = 0; j < n; ++j) {
            if (basis.is_basic(j)) continue;
            double dot = 0;
            for (int t = lp.col_start[j]; t < lp.col_start[j + 1]; ++t) dot += lp.col_value[t] * y[lp.col_row[t]];
            if (std::fabs(dot) >= tiny_entry) {
                value[j] = dot;
                nonzero_vars_.push_back(j);
            }
        }
    }
    const int logicals = rho.count < 0 ? lp.rows : rho.count;
    for (int k = 0; k < logicals; ++k) {
        const int i = rho.count < 0 ? k : rho.index[k];
        const int var = n + i;
        if (basis.is_basic(var) || std::fabs(rho.value[i]) < tiny_entry) continue;
        value[var] = rho.value[i];
        nonzero_vars_.push_back(var);
    }
}

}  // namespace lpsens::revised
