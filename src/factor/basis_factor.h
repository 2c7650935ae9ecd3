// The factorisation of a simplex basis: sparse LU with threshold pivoting,
// updates after each basis change, and solves with sparse right-hand sides.
//
// The matrix is A with one logical (unit) column per row appended: column j
// of the basis is A's column j for j < cols, and e_(j - cols) for j >= cols.
// Basis position p (0..rows-1) holds the column basic[p].
//
//   ftran: B x = b   (b indexed by row, x by basis position)
//   btran: B^T y = c (c indexed by basis position, y by row)
//
// Vectors are dense arrays with a list of the positions that may be nonzero,
// so solves with sparse right-hand sides touch only what they must.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "factor/sparse_matrix.h"

namespace lpsens::factor {

// A sparse vector of a fixed size: `value` holds every entry; `index`
// lists the positions that may be nonzero (count of them valid). When
// `count` is negative the list is unknown and `value` is the whole truth.
struct SparseVector {
    std::vector<double> value;
    std::vector<int> index;
    int count = 0;

    void resize(int size);        // all zero, list empty
    void clear();                 // all zero again, cheaply when the list is known
    // value[i] += v, listing i when it was zero; inline: the engines call
    // it for every entry of every column they solve with.
    void add(int i, double v) {
        double& entry = value[i];
        if (entry == 0.0 && count >= 0) {
            if (static_cast<std::size_t>(count) >= index.size()) grow_index();
            index[count++] = i;
        }
        entry += v;
    }
    void rebuild_index();         // lists the nonzeros of `value` again
    int size() const { return static_cast<int>(value.size()); }

private:
    void grow_index();
};

// Settings of the factorisation; the defaults suit simplex bases.
struct FactorOptions {
    // Markowitz pivots must be at least this fraction of the largest entry
    // of their column in the active submatrix (0 < threshold <= 1).
    double pivot_threshold = 0.1;
    // Entries of smaller magnitude are never taken as pivots.
    double pivot_tolerance = 1e-10;
    // Columns and rows examined per Markowitz pivot once a candidate is known.
    int search_limit = 4;
    // update() refuses once this many updates followed the last build().
    int update_limit = 100;
    // update() refuses a pivot smaller than this fraction of the largest
    // entry of the solved column ...
    double update_pivot_tolerance = 1e-9;
    // ... or a new diagonal of U that differs from (pivot x old diagonal)
    // by more than this fraction of it ...
    double update_accuracy_tolerance = 1e-6;
    // ... or a partially solved column whose largest entry exceeds the
    // largest entry of the column itself by this factor.
    double growth_limit = 1e12;
    // Solves whose expected result density (and current fill) is below this
    // fraction find the reach of the right-hand side first and touch only it.
    double hyper_density = 0.10;
    // Results of solves smaller than this in magnitude are set to zero.
    double drop_tolerance = 1e-14;
};

// What the last build() found, and the work since.
struct FactorStats {
    int rows = 0;
    int basis_entries = 0;     // nonzeros of the basis matrix
    int logical_pivots = 0;    // columns of one entry (logicals), taken first
    int singleton_pivots = 0;  // further column and row singletons
    int nucleus_rows = 0;      // the square remainder factorised by Markowitz search
    int rank_deficiency = 0;   // positions given a logical by the last build
    int l_entries = 0;         // off-diagonal nonzeros of L
    int u_entries = 0;         // off-diagonal nonzeros of U after the build
    int updates = 0;           // updates since the build
    int update_entries = 0;    // nonzeros added to U and the row etas by the updates
};

class BasisFactor {
public:
    BasisFactor();
    ~BasisFactor();
    BasisFactor(BasisFactor&&) noexcept;
    BasisFactor& operator=(BasisFactor&&) noexcept;

    // Keeps a view of A; A must outlive the factor and not change.
    void setup(const MatrixView& a);

    // Factorises the basis basic[0..rows-1]. Returns the number of positions
    // that had no acceptable pivot; each of those positions gets, in
    // `basic`, the logical column of a row left without a pivot, so that the
    // factorised basis is square and nonsingular.
    int build(std::vector<int>& basic);

    // Solves in place. `density` is the expected fraction of nonzeros of the
    // result (0..1), a hint for choosing sparse or dense work. The solves of
    // one factor share its scratch space: one thread at a time.
    void ftran(SparseVector& rhs, double density = 1.0) const;
    void btran(SparseVector& rhs, double density = 1.0) const;

    // As ftran, and keeps what update() needs from this solve.
    void ftran_for_update(SparseVector& rhs, double density = 1.0);

    // The column solved last by ftran_for_update replaces the column at
    // basis position p; `pivot` is entry p of that solve's result. Returns
    // false when the update would lose accuracy (too small a pivot or too
    // much growth, or too many updates): the caller must then call build().
    bool update(int p, double pivot);

    int rows() const;
    int updates_since_build() const;

    // Settings apply from the next build() (thresholds of solves and updates
    // at once). The defaults are those of FactorOptions.
    void set_options(const FactorOptions& options);
    const FactorOptions& options() const;
    FactorStats stats() const;

    // The invariants of the factors (permutations, triangular structure,
    // the row and column copies of U and L agreeing); an empty string when
    // they hold, else the first broken one. For tests and debugging: it
    // costs as much as a build.
    std::string check_invariants() const;

private:
    struct Impl;  // the factors and their workspace
    std::unique_ptr<Impl> impl_;
};

}  // namespace lpsens::factor
