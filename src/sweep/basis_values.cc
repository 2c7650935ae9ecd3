#include "sweep/basis_values.h"

namespace lpsens::sweep {

namespace {

std::size_t at(int i) { return static_cast<std::size_t>(i); }

}  // namespace

BasisValues::BasisValues(const revised::RevisedSimplex& core, const revised::Basis& statuses)
    : core_(core), lp_(core.lp()), statuses_(statuses), header_(core.basis_header()) {}

std::vector<double> BasisValues::solve(const std::vector<long double>& b) const {
    std::vector<double> v(b.begin(), b.end());
    core_.solve_basis(v);
    // The residual b - B v, with B's columns a_j (a basic column) and -e_i
    // (a basic row's activity).
    std::vector<long double> residual = b;
    for (std::size_t p = 0; p < header_.size(); ++p) {
        const revised::Variable var = header_[p];
        if (var.kind == revised::Variable::Kind::row) {
            residual[at(var.index)] += v[p];
            continue;
        }
        for (int e = lp_.start[at(var.index)]; e < lp_.start[at(var.index) + 1]; ++e)
            residual[at(lp_.row_index[at(e)])] -= static_cast<long double>(lp_.value[at(e)]) * v[p];
    }
    std::vector<double> correction(residual.begin(), residual.end());
    core_.solve_basis(correction);
    for (std::size_t p = 0; p < v.size(); ++p) v[p] += correction[p];
    return v;
}

std::vector<double> BasisValues::solve_transpose(const std::vector<long double>& c) const {
    std::vector<double> y(c.begin(), c.end());
    core_.solve_basis_transpose(y);
    std::vector<long double> residual = c;
    for (std::size_t p = 0; p < header_.size(); ++p) {
        const revised::Variable var = header_[p];
        residual[p] -= var.kind == revised::Variable::Kind::row ? -static_cast<long double>(y[at(var.index)])
                                                                : column_dot(var.index, y);
    }
    std::vector<double> correction(residual.begin(), residual.end());
    core_.solve_basis_transpose(correction);
    for (std::size_t i = 0; i < y.size(); ++i) y[i] += correction[i];
    return y;
}

double BasisValues::nonbasic_value(revised::Variable v) const {
    const bool column = v.kind == revised::Variable::Kind::column;
    const auto i = at(v.index);
    const revised::BasisStatus s = column ? statuses_.col_status[i] : statuses_.row_status[i];
    const double lower = column ? lp_.col_lower[i] : lp_.row_lower[i];
    const double upper = column ? lp_.col_upper[i] : lp_.row_upper[i];
    switch (s) {
        case revised::BasisStatus::at_upper: return upper;
        case revised::BasisStatus::free_at_zero: return 0;
        default: return lower;
    }
}

std::vector<double> BasisValues::basic_values() const {
    // A x - r = 0: the basic part equals minus the nonbasic columns times
    // their values plus the nonbasic activities.
    std::vector<long double> b(at(lp_.rows), 0);
    for (int j = 0; j < lp_.cols; ++j) {
        if (statuses_.col_status[at(j)] == revised::BasisStatus::basic) continue;
        const long double x = nonbasic_value(revised::Variable::column(j));
        if (x == 0) continue;
        for (int e = lp_.start[at(j)]; e < lp_.start[at(j) + 1]; ++e)
            b[at(lp_.row_index[at(e)])] -= static_cast<long double>(lp_.value[at(e)]) * x;
    }
    for (int i = 0; i < lp_.rows; ++i)
        if (statuses_.row_status[at(i)] != revised::BasisStatus::basic)
            b[at(i)] += nonbasic_value(revised::Variable::row(i));
    return solve(b);
}

long double BasisValues::column_dot(int j, const std::vector<double>& y) const {
    long double sum = 0;
    for (int e = lp_.start[at(j)]; e < lp_.start[at(j) + 1]; ++e)
        sum += static_cast<long double>(lp_.value[at(e)]) * y[at(lp_.row_index[at(e)])];
    return sum;
}

}  // namespace lpsens::sweep
