// The classic engine's state: the condensed tableau in the stored format,
// the labels and positions of its variables, the phase-1 row, and what its
// exchange loops need.  Private to the classic engine; its operations are
// free functions that take it by reference.
//
// Index conventions: rows count 1..M and columns 1..N+K2; index 0 is the
// objective row (as a row index) and the right-hand-side column (as a column
// index).  Arrays indexed "0..M" have M+1 entries, entry 0 unused where it is
// not the objective row or the right-hand side.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "engine/progress.h"
#include "classic/kernel_kind.h"
#include "engine/settings.h"
#include "form/variable_id.h"
#include "io/channel.h"
#include "numeric/stored_real.h"

namespace lpsens {

class ExchangeTeam;

// The condensed tableau: rows 0..M, columns 0..N+K2, in one block.  Each row
// starts on a 64-byte boundary (rows are padded to a multiple of eight
// entries), so the vector kernels of the exchange step read and write whole
// cache lines.
class Tableau {
public:
    void allocate(int rows, int columns) {
        rows_ = rows;
        columns_ = columns;
        stride_ = (static_cast<std::size_t>(columns) + 7) / 8 * 8;
        cells_.assign(rows * stride_ + 8, StoredReal{});
        const auto address = reinterpret_cast<std::uintptr_t>(cells_.data());
        offset_ = ((64 - address % 64) % 64) / sizeof(StoredReal);
    }
    int rows() const { return rows_; }        // M + 1
    int columns() const { return columns_; }  // N + K2 + 1
    StoredReal* row(int i) { return cells_.data() + offset_ + static_cast<std::size_t>(i) * stride_; }
    const StoredReal* row(int i) const { return cells_.data() + offset_ + static_cast<std::size_t>(i) * stride_; }
    StoredReal& operator()(int i, int j) { return row(i)[j]; }
    const StoredReal& operator()(int i, int j) const { return row(i)[j]; }

private:
    int rows_ = 0;
    int columns_ = 0;
    std::size_t stride_ = 0;  // entries from one row to the next
    std::size_t offset_ = 0;  // entries before row 0, for the alignment
    std::vector<StoredReal> cells_;
};

struct ClassicState {
    std::int32_t row_count = 0;  // M
    std::int32_t var_count = 0;  // N
    std::int32_t eq_count = 0;   // K1
    std::int32_t ge_count = 0;   // K2
    std::vector<std::int32_t> eq_rows;  // 1..K1: rows of the first list
    std::vector<std::int32_t> ge_rows;  // 1..K2: rows of the second list

    Tableau tableau;
    std::vector<StoredReal> phase1_row;        // 0..N+K2
    std::vector<VariableId> basis_label;       // 1..M: variable basic in row i
    std::vector<VariableId> column_label;      // 1..N+K2: variable nonbasic in column j
    std::vector<std::int32_t> row_origin;      // 1..M: +p basic in row p, -q nonbasic in column q
    std::vector<std::int32_t> column_origin;   // 1..N+K2: same sign rule
    std::int32_t entering_column = 0;
    std::int32_t leaving_row = 0;

    EngineSettings settings;
    // The inner loop of the exchange step; every kind gives the same stored
    // values.
    KernelKind kernel = KernelKind::best;
    // How many threads share the rows of the exchange step (0: both cores
    // on large problems).  Every choice gives the same values.
    int threads = 0;
    // Set while a parametric sweep re-optimises: no artificial variable may
    // take a nonzero value, so a basic one away from zero is an infeasible
    // row and a nonbasic one enters only where it stays at zero.
    bool artificials_stay_at_zero = false;
    // Set when the problem as read has a negative right-hand side: the
    // ratio test then takes negative ratios on purpose and the objective may
    // fall, so a fall is no sign of lost numbers.
    bool objective_may_fall = false;
    // Exchange steps skip rows whose factor is zero and pivot-row entries that
    // are zero; both leave every stored result unchanged.  Tests switch it
    // off to compare against the plain loop.
    bool skip_zero_work = true;
    ExchangeLog log;
    long longest_stall = 0;    // the longest stretch of exchanges without progress beyond noise
    int perturbations = 0;     // times the right-hand sides were perturbed
    std::shared_ptr<ExchangeTeam> team;  // the worker thread, made on first use
    Channel* console = nullptr;          // progress marks and warnings
    StatusLine status_line;              // on a terminal, during long solves

    int column_count() const { return var_count + ge_count; }  // N + K2
};

// Sizes every array of `cs` for M rows, N variables and the two row lists
// (1-based, entry 0 unused).  A failed allocation is runtime error 203.
void allocate_state(ClassicState& cs, int rows, int variables, const std::vector<std::int32_t>& eq_rows,
                    const std::vector<std::int32_t>& ge_rows);

}  // namespace lpsens
