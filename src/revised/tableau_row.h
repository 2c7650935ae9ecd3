// Row r of the tableau, alpha_r = e_r^T B^-1 [A I], over the nonbasic
// variables, from rho = B^-T e_r (a BTRAN). Sparse rho uses the row-wise
// copy of A (only the rows where rho is nonzero are touched); dense rho
// takes dot products with the nonbasic columns.
#pragma once

#include <span>
#include <vector>

#include "factor/basis_factor.h"
#include "revised/simplex_basis.h"
#include "revised/working_lp.h"

namespace lpsens::revised {

class TableauRow {
public:
    void setup(const WorkingLp& lp);

    // Replaces the row by rho^T [A I] restricted to the nonbasic variables.
    void compute(const factor::SparseVector& rho, const SimplexBasis& basis);

    double value(int var) const { return value_by_var_[var]; }
    // The nonbasic variables with a nonzero entry.
    std::span<const int> nonzero_vars() const { return {listed_.data(), static_cast<std::size_t>(count_)}; }

    // Resets the row to zero.
    void clear();

private:
    const WorkingLp* lp_ = nullptr;
    std::vector<double> value_by_var_;
    std::vector<int> listed_;   // nonzero_vars(): the first count_
    int count_ = 0;
    std::vector<int> touched_;  // scratch of the row-wise product
};

}  // namespace lpsens::revised
