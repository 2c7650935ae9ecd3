// A linear program as a reader found it: rows of three kinds with optional
// ranges, columns with bounds and costs, the matrix by columns, either sense,
// an objective constant, and the names.  Every reader builds one (lpsens's
// own format, MPS, LP format); nothing is converted here.  The documented
// form the classic engine works on is built from it (form/).
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "numeric/stored_real.h"

namespace lpsens {

// A bound that is no bound.
inline constexpr Extended model_infinity = HUGE_VALL;

// A name as lpsens's own format and the reports keep it: a title, variable
// or row name of at most 80 characters.
inline constexpr std::size_t name_limit = 80;
using Name = std::string;

struct ProblemRow {
    std::string name;
    char type = 'L';     // 'L' <=, 'G' >=, 'E' =
    Extended rhs = 0;
    bool ranged = false;
    Extended range = 0;  // as an MPS RANGES section gives it
};

struct ProblemColumn {
    std::string name;
    Extended cost = 0;
    Extended lower = 0;
    Extended upper = model_infinity;
    bool integer = false;
};

// The matrix by columns: column j holds the entries start[j] .. start[j+1]-1
// (0-based rows), in the order the reader met them; a row may repeat within
// a column (its entries then add up).
struct ColumnMatrix {
    std::vector<std::int32_t> start{0};
    std::vector<std::int32_t> row;
    std::vector<Extended> value;

    int columns() const { return static_cast<int>(start.size()) - 1; }
    std::size_t nonzeros() const { return value.size(); }
    // Entries of column j as (row, value) calls.
    template <class Visit>
    void for_each(int j, Visit visit) const {
        for (auto e = static_cast<std::size_t>(start[j]); e < static_cast<std::size_t>(start[j + 1]); ++e)
            visit(static_cast<int>(row[e]), value[e]);
    }
    // Appends a column.
    void add_column(const std::vector<std::pair<int, Extended>>& entries);
};

struct Problem {
    std::string title;     // NAME, the first line, or the file's name
    std::string source;    // where it came from, for messages
    bool maximise = false;
    Extended constant = 0;  // of the objective
    std::vector<ProblemRow> rows;
    std::vector<ProblemColumn> columns;
    ColumnMatrix matrix;
    // Said on the console once the problem is read.
    std::vector<std::string> warnings;
    // lpsens's own format only: its two row lists as written (row numbers
    // 1..M in the order given; a number listed twice stays twice).  Row k
    // of the greater-or-equal list owns surplus column N + k.
    bool native = false;
    // Built from arrays of doubles (not read from text): each value is
    // exactly the binary number given, not the decimal it may print as.
    bool binary_values = false;
    std::vector<std::int32_t> equality_list;
    std::vector<std::int32_t> greater_list;

    int row_count() const { return static_cast<int>(rows.size()); }
    int column_count() const { return static_cast<int>(columns.size()); }
};

// The two sides of a row, lower <= a x <= upper, either infinite where the
// row states none (a range widens an L or G row on its open side; an E row
// toward the range's sign).
struct RowSides {
    Extended lower = -model_infinity;
    Extended upper = model_infinity;
};
RowSides row_sides(const ProblemRow& row);

// Builds the matrix from each column's entries, the last steps of the
// MPS and LP-format readers: the warning about integer variables, whose
// integrality is relaxed, and the title (the file's name by default).
void finish_model(Problem& problem, const std::vector<std::vector<std::pair<int, Extended>>>& entries);

// Readers of modelling tools' files: each returns the problem of one file's
// text; RunError 106 with the file name, line and token on malformed input,
// and with empty_model_message when the text holds nothing but bytes 0..32.
Problem read_mps(const std::string& text, const std::string& file_name);
Problem read_lp_format(const std::string& text, const std::string& file_name);

bool blank_text(const std::string& text);

// The UTF-8 byte-order mark some editors write at the start of a text; the
// MPS and LP-format readers pass over it.
inline constexpr std::string_view byte_order_mark = "\xEF\xBB\xBF";
std::string empty_model_message(const std::string& source);

// LP format: the characters a name may hold, and the words (in any case)
// that open the objective section: Maximize, Maximise, Maximum, Max and the
// same for Min.
bool lp_name_char(char c);
bool lp_objective_keyword(std::string_view word);

}  // namespace lpsens
