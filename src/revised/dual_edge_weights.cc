#include "revised/dual_edge_weights.h"

#include <algorithm>

#include "revised/simplex_basis.h"

namespace lpsens::revised {

namespace {
// Weights never fall below this: an updated weight far below its true
// value would make a row look far more attractive than it is.
constexpr double min_weight = 1e-4;
}  // namespace

void DualEdgeWeights::set_unit(int rows) { weight_by_position_.assign(rows, 1.0); }

void DualEdgeWeights::compute_exact(const SimplexBasis& basis) {
    const int m = basis.rows();
    weight_by_position_.assign(m, 1.0);
    factor::SparseVector row;
    row.resize(m);
    for (int p = 0; p < m; ++p) {
        row.clear();
        row.add(p, 1.0);
        basis.factor().btran(row, 0.01);
        double sum = 0;
        for (int k = 0; k < row.count; ++k) sum += row.value[row.index[k]] * row.value[row.index[k]];
        weight_by_position_[p] = std::max(sum, min_weight);
    }
}

void DualEdgeWeights::update(const factor::SparseVector& alpha_q, int r, double alpha_rq,
                             const factor::SparseVector& tau) {
    const double w_r = weight_by_position_[r];
    const double pivotal = w_r / (alpha_rq * alpha_rq);
    const double kai = -2.0 / alpha_rq;
    for (int k = 0; k < alpha_q.count; ++k) {
        const int i = alpha_q.index[k];
        if (i == r) continue;
        const double a = alpha_q.value[i];
        double& w = weight_by_position_[i];
        w += a * (pivotal * a + kai * tau.value[i]);
        w = std::max(w, min_weight);
    }
    weight_by_position_[r] = std::max(pivotal, min_weight);
}

}  // namespace lpsens::revised
