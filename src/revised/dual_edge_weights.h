// Dual steepest-edge weights: for each basis position p the squared norm
// of row p of the basis inverse, w_p = ||e_p^T B^-1||^2. The dual simplex
// picks the leaving row by infeasibility^2 / w_p.
#pragma once

#include <vector>

#include "factor/basis_factor.h"

namespace lpsens::revised {

class SimplexBasis;

class DualEdgeWeights {
public:
    // All weights 1: exact for a basis of logicals.
    void set_unit(int rows);
    // Exact weights for any basis: one BTRAN per row.
    void compute_exact(const SimplexBasis& basis);

    double weight(int position) const { return weight_by_position_[position]; }
    void set(int position, double w) { weight_by_position_[position] = w; }

    // After the variable with solved column alpha_q (by position) entered
    // at position r with pivot alpha_rq: tau = B^-1 rho_r (the FTRAN of the
    // BTRAN'd row, before the basis change) and w_r exact beforehand.
    void update(const factor::SparseVector& alpha_q, int r, double alpha_rq, const factor::SparseVector& tau);

    int size() const { return static_cast<int>(weight_by_position_.size()); }

private:
    std::vector<double> weight_by_position_;
};

}  // namespace lpsens::revised
