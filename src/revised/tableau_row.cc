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
    listed_.assign(lp.vars(), 0);
    touched_.assign(lp.vars(), 0);
    count_ = 0;
}

void TableauRow::clear() {
    for (int k = 0; k < count_; ++k) value_by_var_[listed_[k]] = 0.0;
    count_ = 0;
}

// The loops work through raw pointers into fixed-size buffers: with no call
// inside them the compiler keeps every array in a register.
void TableauRow::compute(const factor::SparseVector& rho, const SimplexBasis& basis) {
    clear();
    const WorkingLp& lp = *lp_;
    const int n = lp.cols;
    const int* row_start = lp.row_start.data();
    const int* rho_index = rho.index.data();
    const double* rho_value = rho.value.data();
    const int* position = basis.position_by_var.data();
    int* listed = listed_.data();
    int count = 0;
    // Work of the row-wise product against the column-wise one.
    long row_work = rho.count < 0 ? lp.nonzeros() : 0;
    for (int k = 0; k < rho.count; ++k) {
        const int i = rho_index[k];
        row_work += row_start[i + 1] - row_start[i];
    }
    double* value = value_by_var_.data();
    if (row_work < 0.3 * lp.nonzeros()) {
        // Basic columns are passed over; each nonbasic one is listed when
        // first met (a sum that cancels to zero stays listed as 1e-300).
        const int* row_col = lp.row_col.data();
        const double* row_value = lp.row_value.data();
        int* touched = touched_.data();
        int touched_count = 0;
        for (int k = 0; k < rho.count; ++k) {
            const int i = rho_index[k];
            const double r = rho_value[i];
            for (int t = row_start[i]; t < row_start[i + 1]; ++t) {
                const int j = row_col[t];
                if (position[j] >= 0) continue;
                double& v = value[j];
                if (v == 0.0) touched[touched_count++] = j;
                v += r * row_value[t];
                if (v == 0.0) v = 1e-300;
            }
        }
        for (int k = 0; k < touched_count; ++k) {
            const int j = touched[k];
            if (std::fabs(value[j]) < tiny_entry) {
                value[j] = 0.0;
                continue;
            }
            listed[count++] = j;
        }
    } else {
        const int* col_start = lp.col_start.data();
        const int* col_row = lp.col_row.data();
        const double* col_value = lp.col_value.data();
        for (int j = 0; j < n; ++j) {
            if (position[j] >= 0) continue;
            double dot = 0;
            for (int t = col_start[j]; t < col_start[j + 1]; ++t) dot += col_value[t] * rho_value[col_row[t]];
            if (std::fabs(dot) >= tiny_entry) {
                value[j] = dot;
                listed[count++] = j;
            }
        }
    }
    const int logicals = rho.count < 0 ? lp.rows : rho.count;
    for (int k = 0; k < logicals; ++k) {
        const int i = rho.count < 0 ? k : rho_index[k];
        const int var = n + i;
        if (position[var] >= 0 || std::fabs(rho_value[i]) < tiny_entry) continue;
        value[var] = rho_value[i];
        listed[count++] = var;
    }
    count_ = count;
}

}  // namespace lpsens::revised
