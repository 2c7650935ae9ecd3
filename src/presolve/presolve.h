// Presolve: a smaller LP with the same optimum, and the way back to a basis
// of the LP as given.
//
//   Presolved p = presolve(lp);
//   if (p.outcome == Outcome::reduced) {
//       RevisedSimplex reduced(p.reduced);
//       if (reduced.solve().status == SolveStatus::optimal)
//           core.set_basis(postsolve(lp, p, reduced.solution()).basis);
//   }
//
// The reductions, each with its undo on a stack: empty rows and columns,
// fixed columns, row singletons (their bounds move to the column), forcing
// and redundant rows, dominated columns, doubleton equations (one column
// substituted by the other), free or implied free column singletons (the
// column and its row leave together), and duplicate rows and columns (one
// a multiple of another: their sides, or their bounds, go together). Every step records the row or
// column entries it removed as they stood at that moment, so its undo
// rebuilds values, duals and basis statuses of what it removed from the
// solution of the problem after it.
//
// The presolve never decides a verdict: where it finds the LP infeasible
// or unbounded it gives up (Outcome::gave_up), and the caller solves the
// LP as given. Postsolve gives values, duals and a basis of exactly `rows`
// basic variables; the basis refers to the LP's own bounds, never to bounds
// the presolve tightened.
#pragma once

#include <cstdint>
#include <vector>

#include "revised/lp_data.h"
#include "revised/lp_solution.h"

namespace lpsens::presolve {

enum class Outcome : std::uint8_t {
    reduced,    // `reduced` is smaller than the LP
    unchanged,  // nothing to remove
    gave_up,    // infeasible or unbounded found on the way: solve the LP as given
};

// How many of each reduction were made.
struct Counts {
    int empty_rows = 0;
    int redundant_rows = 0;
    int row_singletons = 0;
    int forcing_rows = 0;
    int empty_cols = 0;
    int fixed_cols = 0;
    int dominated_cols = 0;
    int doubletons = 0;
    int free_singletons = 0;
    int duplicate_rows = 0;
    int duplicate_cols = 0;
    int total() const {
        return empty_rows + redundant_rows + row_singletons + forcing_rows + empty_cols + fixed_cols +
               dominated_cols + doubletons + free_singletons + duplicate_rows + duplicate_cols;
    }
};

// What one reduction removed; the undo reads it back in reverse order.
enum class StepKind : std::uint8_t {
    free_row,        // empty or redundant: basic, dual 0
    removed_col,     // fixed, empty or dominated: nonbasic at its value
    row_singleton,   // bounds moved to `col`
    forcing_row,     // every column at the bound that meets a side
    doubleton,       // removed column substituted by `col`
    free_singleton,  // implied free column and its row
    duplicate_row,   // `row` a multiple of `other`, which takes its sides
    duplicate_col,   // `col` a multiple of `other` in entries and cost: one column of both
};

struct Entry {
    int index;  // row or column of the LP as given
    double value;
};

// A column as it stood when it left: entries (by row) in the column pool.
struct RemovedCol {
    int col = -1;
    double value = 0;  // where it stays (fixed, forced); computed for substitutions
    double cost = 0;
    double lower = 0, upper = 0;
    int begin = 0, end = 0;
};

struct Step {
    StepKind kind = StepKind::free_row;
    int row = -1;
    int col = -1;            // the column kept (row singleton, doubleton)
    double coef = 0;         // its entry in the row
    double removed_coef = 0; // the removed column's entry (doubleton, free singleton)
    double side = 0;         // the row's value (doubleton, free singleton)
    int other = -1;          // duplicates: the row or column kept
    double scale = 0;        // duplicates: the removed one is `scale` times the one kept
    double other_lower = 0, other_upper = 0;  // duplicate columns: the kept column's own bounds
    bool lower_tightened = false;  // `col`'s lower bound came from this row (the kept row's, from the removed one)
    bool upper_tightened = false;
    bool upper_side = false;       // forcing and free singleton: the row ends at its upper side
    int row_begin = 0, row_end = 0;  // the row's entries (by column) in the row pool
    int removed_begin = 0, removed_end = 0;  // into removed_cols
};

struct Presolved {
    Outcome outcome = Outcome::unchanged;
    revised::LpData reduced;
    Counts counts;
    std::vector<int> col_origin;  // by reduced column, the LP's column
    std::vector<int> row_origin;  // by reduced row, the LP's row

    std::vector<Step> steps;
    std::vector<RemovedCol> removed_cols;
    std::vector<Entry> row_pool;  // (column, value)
    std::vector<Entry> col_pool;  // (row, value)
};

// Throws std::invalid_argument when lp.check() finds a fault.
Presolved presolve(const revised::LpData& lp);

struct Postsolved {
    revised::Basis basis;             // of `lp`, exactly lp.rows basic
    std::vector<double> col_value;    // by column of `lp`
    std::vector<double> row_dual;     // by row
    std::vector<double> reduced_cost; // by column
};

// From a solution of p.reduced (values, duals and basis) to those of `lp`,
// the LP `p` was made from.
Postsolved postsolve(const revised::LpData& lp, const Presolved& p, const revised::LpSolution& reduced);

}  // namespace lpsens::presolve
