// The variables of a rational LP as the simplex method sees them: the
// columns 0..n-1, then the rows' activities n..n+m-1 (A x - r = 0), each
// with its bounds, its column of [A -I] and its status in a basis.
#pragma once

#include <vector>

#include "exact/rational_lp.h"
#include "revised/lp_solution.h"

namespace lpsens::exact {

class Variables {
public:
    explicit Variables(const RationalLp& lp) : lp_(lp), n_(lp.cols) {}
    int count() const { return lp_.cols + lp_.rows; }
    const Bound& lower(int v) const { return v < n_ ? lp_.col_lower[v] : lp_.row_lower[v - n_]; }
    const Bound& upper(int v) const { return v < n_ ? lp_.col_upper[v] : lp_.row_upper[v - n_]; }
    bool fixed(int v) const { return lower(v) && upper(v) && *lower(v) == *upper(v); }
    // The variable's column of [A -I].
    std::vector<Entry> column(int v) const {
        if (v < n_) return lp_.columns[v];
        return {Entry{v - n_, mpq_class(-1)}};
    }
    // Its value where nonbasic at `status`.
    mpq_class nonbasic_value(int v, revised::BasisStatus status) const {
        const Bound& lo = lower(v);
        const Bound& up = upper(v);
        if (status == revised::BasisStatus::at_upper && up) return *up;
        if (lo && status != revised::BasisStatus::free_at_zero) return *lo;
        if (up && status != revised::BasisStatus::free_at_zero) return *up;
        return 0;
    }
    revised::BasisStatus status(const revised::Basis& b, int v) const {
        return v < n_ ? b.col_status[v] : b.row_status[v - n_];
    }

private:
    const RationalLp& lp_;
    int n_;
};

}  // namespace lpsens::exact
