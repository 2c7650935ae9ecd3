// The basis matrix of a tableau, rebuilt from the problem as read and
// factorised, so that the values and prices of that basis can be recomputed
// independently of the exchanges that led to it.
//
// Basis position p (1..M) holds the variable basic in tableau row p.  Its
// column in the basis matrix B is the problem's column a_j for a structural
// variable j, the unit column e_i for the slack or artificial variable of row
// i, and -e_i for a surplus variable of row i.  The unit columns are solved
// for directly; the structural columns restricted to the rows no unit column
// covers form a square matrix K that is factorised (LU in double precision:
// with partial pivoting in column order up to 1000 columns, as the dense
// algorithm would but storing only the nonzeros; the sparse factorisation
// with Markowitz pivoting beyond) and solved with iterative refinement whose residuals are formed in
// extended precision, so that the results are accurate to about the
// extended precision times the condition of the basis.
#pragma once

#include <string>
#include <vector>

#include "factor/basis_factor.h"
#include "form/double_form.h"
#include "form/variable_id.h"
#include "numeric/stored_real.h"

namespace lpsens {

class BasisSolution {
public:
    // Builds and factorises B for the variables basic[1..M] (entry 0 unused);
    // K is factorised sparse when it has more than `dense_limit` columns.
    static constexpr int default_dense_limit = 1000;
    BasisSolution(const DoubleForm& problem, const std::vector<VariableId>& basic,
                  int dense_limit = default_dense_limit);

    bool singular() const { return singular_; }
    // Where the factorisation broke down: the basis position, 0 when two
    // unit columns cover the same row.
    int singular_position() const { return singular_position_; }
    // Smallest pivot relative to the largest entry of its column; known
    // only for the dense factorisation (false otherwise).
    double smallest_pivot_ratio() const { return smallest_pivot_ratio_; }
    bool pivot_ratio_known() const { return !sparse_; }

    // Solves B v = rhs; rhs is indexed by row 1..M, the result by position.
    // `refinements` steps of iterative refinement follow the first solve.
    std::vector<Extended> solve(const std::vector<Extended>& rhs, int refinements = 3) const;
    // Solves B^T y = cost; cost is indexed by position 1..M, y by row.
    std::vector<Extended> solve_transposed(const std::vector<Extended>& cost) const;

    // Entry i of the basis column of position p (problem's sign conventions).
    // Column p as (row, value) pairs.
    template <class Visit>
    void for_each_entry(int p, Visit visit) const {
        const int j = structural_[p];
        if (j == 0) {
            visit(unit_row_[p], static_cast<Extended>(unit_sign_[p]));
            return;
        }
        for (int e = problem_.matrix.start[j]; e < problem_.matrix.start[j + 1]; ++e)
            visit(problem_.matrix.row_index[e], static_cast<Extended>(problem_.matrix.value[e]));
    }

private:
    void factorise();
    void factorise_partial_pivoting();  // K of at most dense_limit_ columns
    struct Entry;
    struct Slot;
    void load_k(std::vector<std::vector<Entry>>& rows, std::vector<std::vector<Slot>>& column_rows,
                std::vector<double>& column_max) const;
    // The factors by position, each row's entries in column order: L left of
    // the diagonal, U right of it; and the same by column for the transposed
    // solves, in position order.
    void store_lu(std::vector<std::vector<Entry>>& rows, const std::vector<int>& row_at);
    void lu_solve(std::vector<double>& v) const;             // K z = v, in place
    void lu_solve_transposed(std::vector<double>& v) const;  // K^T z = v, in place

    const DoubleForm& problem_;
    int m_;
    std::vector<int> structural_;  // by position: the variable j, or 0 for a unit column
    std::vector<int> unit_row_;    // by position: the row of a unit column
    std::vector<int> unit_sign_;   // by position: +1 or -1
    std::vector<int> covering_;    // by row: the position of the unit column on it, or 0
    std::vector<int> rows_;        // the rows no unit column covers, in order
    std::vector<int> columns_;     // the positions of the structural columns, in order
    std::vector<int> local_row_;   // by row: index in rows_, or -1
    int k_ = 0;
    // Small K: P K = L U by partial pivoting, only the nonzeros stored.
    struct Entry {
        int index;  // a column (by row) or a position (by column)
        double value;
    };
    struct Slot {
        int row;   // of K, as first numbered
        int slot;  // in that row's entries
    };
    std::vector<int> lu_start_;          // by position, +1: its row in lu_entries_
    std::vector<Entry> lu_entries_;      // by position, in column order: L (unit diagonal) left, U right
    std::vector<double> lu_diagonal_;    // by position: the diagonal of U
    std::vector<int> lu_column_start_;   // by column, +1: in lu_by_column_
    std::vector<Entry> lu_by_column_;    // the same entries by column, in position order
    std::vector<int> pivot_row_;   // row exchanges: step i swapped rows i and pivot_row_[i]
    // Large K: factorised sparse.
    int dense_limit_;
    bool sparse_ = false;
    factor::SparseMatrix k_matrix_;
    factor::BasisFactor sparse_factor_;
    mutable factor::SparseVector work_;
    bool singular_ = false;
    int singular_position_ = 0;
    double smallest_pivot_ratio_ = 1.0;
};

}  // namespace lpsens
