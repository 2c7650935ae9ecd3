#include "revised/simplex_basis.h"

#include <cmath>

namespace lpsens::revised {

void SimplexBasis::setup(const WorkingLp& lp) {
    rows_ = lp.rows;
    cols_ = lp.cols;
    factor_.setup(lp.matrix_view());
    basic_by_position.assign(rows_, -1);
    position_by_var.assign(lp.vars(), -1);
    status_by_var.assign(lp.vars(), VarStatus::at_lower);
}

void SimplexBasis::set_slack_basis(const std::vector<double>& lower_by_var, const std::vector<double>& upper_by_var) {
    for (int j = 0; j < cols_; ++j) {
        position_by_var[j] = -1;
        if (std::isfinite(lower_by_var[j])) status_by_var[j] = VarStatus::at_lower;
        else if (std::isfinite(upper_by_var[j])) status_by_var[j] = VarStatus::at_upper;
        else status_by_var[j] = VarStatus::at_zero;
    }
    for (int i = 0; i < rows_; ++i) {
        basic_by_position[i] = cols_ + i;
        position_by_var[cols_ + i] = i;
        status_by_var[cols_ + i] = VarStatus::basic;
    }
}

void SimplexBasis::set_statuses(const std::vector<VarStatus>& status) {
    status_by_var = status;
    int p = 0;
    for (int var = 0; var < rows_ + cols_; ++var) {
        if (status[var] == VarStatus::basic) {
            basic_by_position[p] = var;
            position_by_var[var] = p++;
        } else {
            position_by_var[var] = -1;
        }
    }
}

int SimplexBasis::factorise() {
    std::vector<int> basic = basic_by_position;
    const int replaced = factor_.build(basic);
    replaced_vars.clear();
    if (replaced > 0) {
        for (int p = 0; p < rows_; ++p) {
            if (basic[p] == basic_by_position[p]) continue;
            const int out = basic_by_position[p];
            replaced_vars.push_back(out);
            position_by_var[out] = -1;
            status_by_var[out] = VarStatus::at_lower;
            basic_by_position[p] = basic[p];
            position_by_var[basic[p]] = p;
            status_by_var[basic[p]] = VarStatus::basic;
        }
    }
    return replaced;
}

bool SimplexBasis::exchange(int position, int entering, double pivot, VarStatus leaving_status) {
    const int leaving = basic_by_position[position];
    position_by_var[leaving] = -1;
    status_by_var[leaving] = leaving_status;
    basic_by_position[position] = entering;
    position_by_var[entering] = position;
    status_by_var[entering] = VarStatus::basic;
    return factor_.update(position, pivot);
}

}  // namespace lpsens::revised
