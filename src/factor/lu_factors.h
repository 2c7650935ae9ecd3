// The factors of a basis behind BasisFactor, shared by the files of its steps:
// the build (singleton pivots, then a Markowitz nucleus), the solves and the
// Forrest-Tomlin update.
//
// The solves apply  x = U^-1 R_n .. R_1 L^-1 b  (and the transposes in the
// reverse order for B^T y = c), where
//   L     unit lower triangular, as column etas in build order; each eta has
//         a pivot row and multipliers in rows pivoted later;
//   R_e   the row etas of the updates: b[r] -= sum eta_j b[r_j];
//   U     upper triangular in pivot order: pivot k has a row, a position and
//         a diagonal value; its column holds entries in rows of earlier
//         pivots, the row of its pivot holds entries in positions of later
//         pivots. Pivots are numbered in their order; an update retires one
//         and appends a new one, so the order is the numbering without the
//         retired ones.
#pragma once

#include <vector>

#include "factor/basis_factor.h"

namespace lpsens::factor::detail {

// The pivots of the build in their order, with the multipliers (L column) and
// the entries of U's row of each; filled by the singleton and nucleus steps.
struct PivotSequence {
    std::vector<int> row;       // by pivot
    std::vector<int> position;  // by pivot
    std::vector<double> value;  // by pivot
    std::vector<int> l_start{0};  // by pivot, +1: range in l_row/l_value
    std::vector<int> l_row;
    std::vector<double> l_value;
    std::vector<int> u_start{0};  // by pivot, +1: range in u_position/u_value
    std::vector<int> u_position;
    std::vector<double> u_value;

    void clear();
    int size() const { return static_cast<int>(row.size()); }
    // Opens the next pivot; its L and U entries are pushed after this call
    // and closed by close_pivot.
    void open_pivot(int pivot_row, int pivot_position, double pivot_value);
    void close_pivot();
};

// The basis matrix copied column by column and row by row, with the active
// part of the elimination marked.
struct BasisCopy {
    std::vector<int> col_start;  // by position, +1
    std::vector<int> col_row;
    std::vector<double> col_value;
    std::vector<int> row_start;  // by row, +1
    std::vector<int> row_position;
    std::vector<double> row_value;
    std::vector<char> row_active;  // by row
    std::vector<char> col_active;  // by position
    std::vector<int> row_count;    // by row: active positions in it
    std::vector<int> col_count;    // by position: active rows in it
};

// Scratch arrays of the solves and the update; every mark is cleared again
// by the step that set it.
struct SolveWork {
    std::vector<char> mark;        // by row or position
    std::vector<int> reach;        // nodes in post order
    std::vector<int> stack_node;
    std::vector<int> stack_edge;
    SparseVector result;           // the permuted output of the U stage
    SparseVector eta_rhs;          // row of U to eliminate (update)
    SparseVector eta;              // its multipliers (update)
};

class LuFactors {
public:
    void setup(const MatrixView& a);
    int build(std::vector<int>& basic);
    void ftran(SparseVector& rhs, double density) const;
    void ftran_for_update(SparseVector& rhs, double density);
    void btran(SparseVector& rhs, double density) const;
    bool update(int p, double pivot);
    std::string check_invariants() const;

    MatrixView a;
    FactorOptions options;
    FactorStats stats;
    int rows = 0;
    bool built = false;

    // Pivots, by pivot number.
    std::vector<int> pivot_row;
    std::vector<int> pivot_position;
    std::vector<double> pivot_value;
    std::vector<char> pivot_live;
    std::vector<int> pivot_of_row;       // by row: its live pivot
    std::vector<int> pivot_of_position;  // by position: its live pivot
    std::vector<int> build_rank_of_row;  // by row: its pivot number in the build

    // L column-wise: etas with entries, in build order.
    std::vector<int> l_pivot_row;  // by eta
    std::vector<int> l_start;      // by eta, +1
    std::vector<int> l_row;
    std::vector<double> l_value;
    std::vector<int> l_eta_of_row;  // by row: its eta, or -1
    // L row-wise: row i holds (pivot row r_k, multiplier) of the etas it is in.
    std::vector<int> lt_start;  // by row, +1
    std::vector<int> lt_row;
    std::vector<double> lt_value;
    std::vector<int> lt_order;  // rows with entries, latest pivot first

    // U column-wise, by pivot: off-diagonal entries (row, value).
    std::vector<int> uc_start;
    std::vector<int> uc_count;
    std::vector<int> uc_row;
    std::vector<double> uc_value;
    // U row-wise, by row: off-diagonal entries (position, value), with room.
    std::vector<int> ur_start;
    std::vector<int> ur_count;
    std::vector<int> ur_room;
    std::vector<int> ur_position;
    std::vector<double> ur_value;
    double u_largest = 0;  // largest magnitude of U after the build

    // Row etas of the updates.
    std::vector<int> r_pivot_row;  // by eta
    std::vector<int> r_start{0};   // by eta, +1
    std::vector<int> r_row;
    std::vector<double> r_value;

    // The last column of ftran_for_update, after L and the row etas.
    SparseVector spike;
    double spike_column_largest = 0;  // of the column given
    double spike_largest = 0;         // of the spike
    double spike_result_largest = 0;  // of the solved column
    bool spike_ready = false;

    // Scratch of the build.
    PivotSequence sequence;
    BasisCopy copy;
    mutable SolveWork work;

private:
    void copy_basis(const std::vector<int>& basic);
    void pivot_singletons();
    void factorise_nucleus();
    int repair_deficiency(std::vector<int>& basic);
    void store_factors();  // the steps below, in this order
    void store_pivots();
    void store_l_columns();
    void store_l_rows();
    void store_u_rows();
    void store_u_columns();

    // Stages of the solves; each takes and leaves a listed vector.
    void solve_l(SparseVector& v, bool hyper) const;
    void solve_row_etas(SparseVector& v) const;
    void ftran_lower(SparseVector& rhs, double density) const;  // L and the row etas
    void ftran_upper(SparseVector& rhs, double density) const;  // U, into positions
    void solve_u(SparseVector& v, SparseVector& out, bool hyper) const;
    // Pivots before first_pivot are skipped on the sparse path (the update
    // solves with a row of U, which reaches no earlier pivot).
    void solve_ut(SparseVector& v, SparseVector& out, bool hyper, int first_pivot) const;
    void solve_row_etas_transposed(SparseVector& v) const;
    void solve_lt(SparseVector& v, bool hyper) const;
    bool use_hyper(const SparseVector& v, double density) const;
    void drop_small(SparseVector& v) const;
    void list_once(SparseVector& v) const;  // removes repeats; leaves work.mark set on the list
    void unmark(const SparseVector& v) const;

    void remove_from_u_row(int row, int position);
    void remove_from_u_column(int pivot, int row);
    void append_to_u_row(int row, int position, double value);
};

}  // namespace lpsens::factor::detail
