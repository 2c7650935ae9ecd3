// The problem workspace: every counter and array a run keeps, in one struct.
// Operations are free functions that take it by reference.
//
// Index conventions: rows count 1..M and columns 1..N+K2; index 0 is the
// objective row (as a row index) and the right-hand-side column (as a column
// index).  Arrays indexed "0..M" have M+1 entries, entry 0 unused where it is
// not the objective row or the right-hand side.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/channel.h"
#include "model/kernel_kind.h"
#include "model/stored_real.h"

namespace lpsens {

// A name: a title, variable or constraint name; at most 80 characters.
inline constexpr std::size_t name_limit = 80;
using Name = std::string;

// The limits of the variable codes: codes stay apart only up to 999 rows and
// 999 variables.
inline constexpr int max_rows = 999;
inline constexpr int max_vars = 999;
inline constexpr int max_records = 20;

// Variable codes held by basis_label and column_label.
namespace code {
inline constexpr int slack_base = 1000;       // 1000 + i: slack of row i
inline constexpr int equality_base = 2000;    // 2000 + r: artificial of a first-list row
inline constexpr int greater_base = 3000;     // 3000 + r: artificial of a second-list row
inline constexpr int surplus_base = 4000;     // 4000 + k: surplus of the k-th second-list row
}  // namespace code

// The index part of a variable code: the row of a slack or artificial
// variable, the list position of a surplus variable, the variable itself.
inline int code_index(int c) {
    if (c > code::surplus_base) return c - code::surplus_base;
    if (c > code::greater_base) return c - code::greater_base;
    if (c > code::equality_base) return c - code::equality_base;
    if (c > code::slack_base) return c - code::slack_base;
    return c;
}
inline bool is_row_variable(int c) { return c > code::slack_base && c < code::surplus_base; }
inline bool is_surplus(int c) { return c > code::surplus_base; }
// The artificial variable of an equality or greater-or-equal row.
inline bool is_artificial(int c) { return c > code::equality_base && c < code::surplus_base; }

struct SolutionRecord {
    StoredReal level;
    StoredReal price;
};

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
        cells_.assign(static_cast<std::size_t>(rows) * stride_ + 8, StoredReal{});
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

// Bounds and rules of the exchange loops that go beyond the choice rules:
// they only come into play on runs that would otherwise stall, run away or
// never end.
struct ExchangeSettings {
    // Exchanges one loop (a phase, a re-optimisation, a restoration) may
    // make; 0 means in proportion to the size (see exchange_cap).
    long max_exchanges = 0;
    // Set while a parametric sweep re-optimises: no artificial variable may
    // take a nonzero value, so a basic one away from zero is an infeasible
    // row and a nonbasic one enters only where it stays at zero.
    bool artificials_stay_at_zero = false;
    // Set when the problem as read has a negative right-hand side: the
    // ratio test then takes negative ratios on purpose and the objective may
    // fall, so a fall is no sign of lost numbers.
    bool objective_may_fall = false;
    // The inner loop of the exchange step and how many threads share its
    // rows (0: both cores on large problems).  Every choice gives the same
    // stored values.
    KernelKind kernel = KernelKind::best;
    int threads = 0;
};

class ExchangeTeam;

// What the exchange loops had to do beyond their rules, for the checks and
// their figures.
struct ExchangeLog {
    long exchanges = 0;        // all exchanges of the run
    long longest_stall = 0;    // longest stretch without progress beyond noise
    int perturbations = 0;     // times the right-hand sides were perturbed
    int stopped_early = 0;     // loops stopped by a lost objective or a repeated basis
    int stopped_at_cap = 0;    // loops stopped by the exchange cap
};

struct Workspace {
    // Output: the report channel (standard output) and the console (progress
    // marks, warnings and explanations; standard error in the program).
    Channel out;
    Channel console;

    // Dimensions.
    Name title;
    Name line_buffer;
    std::int32_t row_count = 0;  // M
    std::int32_t var_count = 0;  // N
    std::int32_t eq_count = 0;   // K1
    std::int32_t ge_count = 0;   // K2
    std::string run_mode;        // first two characters of the first argument

    std::int32_t entering_column = 0;
    std::int32_t leaving_row = 0;
    StoredReal objective_value;
    std::int32_t param_count = 0;
    std::int32_t record_count = 0;  // records the sweep took
    std::array<StoredReal, max_records + 1> step_parameter{};  // 1..20

    // Allocated by allocate_workspace, in this order.
    std::vector<std::int32_t> eq_rows;            // 1..K1: rows of the first list
    std::vector<std::int32_t> ge_rows;            // 1..K2: rows of the second list
    std::vector<StoredReal> rhs_lower;            // 1..M
    std::vector<StoredReal> rhs_upper;            // 1..M
    std::vector<StoredReal> original_rhs;         // 1..M: right-hand sides as read
    std::vector<std::int32_t> basis_label;        // 1..M: code basic in row i
    std::vector<Name> row_names;                  // 1..M
    std::vector<SolutionRecord> row_solution;     // 1..M: the row variable of row i
    std::vector<StoredReal> phase1_row;           // 0..N+K2
    std::vector<Name> column_names;               // 1..N (room for N+K2)
    std::vector<std::int32_t> column_label;       // 1..N+K2: code nonbasic in column j
    std::vector<SolutionRecord> column_solution;  // 1..N+K2
    std::vector<StoredReal> cost_lower;           // 1..N+K2
    std::vector<StoredReal> cost_upper;           // 1..N+K2
    std::vector<StoredReal> original_objective;   // 1..N: objective as read
    std::vector<std::int32_t> row_origin;         // 1..M: +p basic in row p, -q nonbasic in column q
    std::vector<std::int32_t> column_origin;      // 1..N+K2: same sign rule
    std::array<std::vector<StoredReal>, max_records + 1> step_results;  // 1..20, each 0..2(M+N)
    // Modes "pv" and "rv" only (sizes N, N+K2 in "pv"; M in "rv"), 1-based.
    std::vector<std::int32_t> param_index;
    std::vector<StoredReal> sweep_direction;
    std::vector<StoredReal> param_start;
    std::vector<StoredReal> param_end;
    Tableau tableau;
    // Allocated by the parametric input: 1..param_count.
    std::array<std::vector<StoredReal>, max_records + 1> step_values;  // 1..20
    std::vector<StoredReal> param_delta;

    // Exchange steps skip rows whose factor is zero and pivot-row entries that
    // are zero; both leave every stored result unchanged.  Tests switch it
    // off to compare against the plain loop.
    bool skip_zero_work = true;

    ExchangeSettings exchange;
    ExchangeLog exchange_log;
    // How the reports write an unbounded ranging limit: the two bytes 81 87,
    // or UTF-8 on a terminal that wants it.
    std::string infinity_text = "\x81\x87";
    std::shared_ptr<ExchangeTeam> exchange_team;  // the worker thread, made on first use

    // The input's values as read, before they are narrowed to the stored
    // format: rows 0..M by columns 0..N, row-major.  Kept only when
    // keep_input_values is set before the problem is read (accurate mode).
    bool keep_input_values = false;
    std::vector<Extended> input_values;
    Extended& input_value(int i, int j) {
        return input_values[static_cast<std::size_t>(i) * (static_cast<std::size_t>(var_count) + 1) +
                            static_cast<std::size_t>(j)];
    }
    Extended input_value(int i, int j) const {
        return input_values[static_cast<std::size_t>(i) * (static_cast<std::size_t>(var_count) + 1) +
                            static_cast<std::size_t>(j)];
    }

    int column_count() const { return var_count + ge_count; }  // N + K2
    bool parametric() const { return run_mode == "pv" || run_mode == "rv"; }
};

// The run mode is the first two characters of the first argument (all of a
// shorter one, empty without one).
std::string run_mode_of(const char* first_argument);

// Sets run_mode and allocates every array for the dimensions already in the
// workspace.  A failed allocation is runtime error 203.
void allocate_workspace(Workspace& ws, const char* first_argument);

}  // namespace lpsens
