// The LU factorisation of a square sparse matrix in exact rationals, for a
// basis: B x = b and B^T y = c solved exactly.  Pivots are chosen by
// Markowitz counts on the active submatrix (singletons first), any nonzero
// pivot being as good as another in exact arithmetic.
#pragma once

#include <gmpxx.h>

#include <chrono>
#include <vector>

#include "exact/rational_lp.h"

namespace lpsens::exact {

class RationalLu {
public:
    // `columns`: the matrix by columns (m of them, rows 0..m-1).  singular()
    // says whether it has no inverse.
    // Where `deadline` passes before the factors are made, out_of_time()
    // says so and there are none.
    explicit RationalLu(const std::vector<std::vector<Entry>>& columns, int m,
                        std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

    bool singular() const { return singular_; }
    bool out_of_time() const { return out_of_time_; }
    // B x = b in place: b by row in, x by column out.
    void solve(std::vector<mpq_class>& values) const;
    // B^T y = c in place: c by column in, y by row out.
    void solve_transpose(std::vector<mpq_class>& values) const;

private:
    struct Step {
        int row = 0, col = 0;                 // the pivot
        mpq_class pivot;
        std::vector<Entry> lower;             // (row, multiplier) of the rows it eliminated from
        std::vector<std::pair<int, mpq_class>> upper;  // (col, value) of the pivot row, pivot left out
    };
    int m_ = 0;
    bool singular_ = false;
    bool out_of_time_ = false;
    std::vector<mpz_class> scale_;  // D: column j of the factorised B D is column j of B times scale_[j]
    std::vector<Step> steps_;
};

}  // namespace lpsens::exact
