// The values of the core's current basis at the LP as it now stands,
// solved again with one step of iterative refinement (residuals in extended
// precision), so that breakpoints computed from them are as exact as the
// data allow: a sweep of integers bends at integers.
#pragma once

#include <vector>

#include "revised/revised_simplex.h"

namespace lpsens::sweep {

class BasisValues {
public:
    // The basis of `core`, with nonbasic variables where `statuses` puts them.
    BasisValues(const revised::RevisedSimplex& core, const revised::Basis& statuses);

    const std::vector<revised::Variable>& header() const { return header_; }
    // B v = b for b by row; v by position.
    std::vector<double> solve(const std::vector<long double>& b) const;
    // B^T y = c for c by position; y by row.
    std::vector<double> solve_transpose(const std::vector<long double>& c) const;

    // The basic values where the nonbasic ones sit at their bounds.
    std::vector<double> basic_values() const;
    // The value of a nonbasic variable at its bound (0 when free).
    double nonbasic_value(revised::Variable v) const;
    // a_j^T y for column j.
    long double column_dot(int j, const std::vector<double>& y) const;

private:
    const revised::RevisedSimplex& core_;
    const revised::LpData& lp_;
    const revised::Basis& statuses_;
    std::vector<revised::Variable> header_;
};

}  // namespace lpsens::sweep
