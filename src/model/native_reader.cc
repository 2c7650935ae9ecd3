#include "model/native_reader.h"

#include <new>

#include <cerrno>
#include <cstdlib>

namespace lpsens {

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string quoted(std::string_view token) { return "'" + std::string(token) + "'"; }

// Errors name the line, and the file when the input is one.
[[noreturn]] void invalid(const ByteSource& source, Site site, int line, const std::string& what) {
    throw RunError(error_code::invalid_number, site, source.place(line) + what);
}

// Reads one integer; the error, if any, is raised by the caller at its own
// check, so the dimension line is read whole first.
struct IntegerRead {
    std::int32_t value = 0;
    bool valid = true;
    int line = 0;
    std::string token;
};

IntegerRead read_integer(ByteSource& source) {
    IntegerRead r;
    r.token = source.read_token(integer_token_limit);
    r.line = source.line();
    const auto parsed = parse_integer(r.token);
    r.valid = parsed.has_value();
    r.value = parsed.value_or(0);
    return r;
}

void check_integer(const ByteSource& source, const IntegerRead& r, Site site) {
    if (!r.valid) invalid(source, site, r.line, quoted(r.token) + " is not an integer");
}

void read_row_list(ByteSource& source, std::vector<std::int32_t>& list, int count, int rows, Site site,
                   const char* which) {
    if (count <= 0) return;
    std::vector<int> lines;
    for (int t = 1; t <= count; ++t) {
        const IntegerRead r = read_integer(source);
        check_integer(source, r, site);
        list.push_back(r.value);
        lines.push_back(r.line);
    }
    source.skip_line();
    // A row outside 1..M would address storage that does not exist.
    for (std::size_t t = 0; t < list.size(); ++t)
        if (list[t] < 1 || list[t] > rows)
            invalid(source, Site::check_row_list, lines[t],
                    std::string("the ") + which + " lists row " + std::to_string(list[t]) +
                        ", but the rows are numbered 1 to " + std::to_string(rows));
}

struct Dimensions {
    std::int32_t rows, variables, equalities, greater;
};

void check_dimensions(const ByteSource& source, const Dimensions& d, int line) {
    const auto fail = [&](const std::string& why) {
        invalid(source, Site::check_dimensions, line,
                "dimensions " + std::to_string(d.rows) + " " + std::to_string(d.variables) + " " +
                    std::to_string(d.equalities) + " " + std::to_string(d.greater) + ": " + why);
    };
    if (d.rows < 0 || d.variables < 0 || d.equalities < 0 || d.greater < 0) fail("no dimension may be negative");
    if (d.rows > native_dimension_limit) fail("at most 999 constraints are allowed");
    if (d.variables > native_dimension_limit) fail("at most 999 variables are allowed");
    if (d.equalities > d.rows) fail("the list of equality rows is longer than the number of rows");
    if (d.greater > d.rows) fail("the list of greater-or-equal rows is longer than the number of rows");
}

}  // namespace

std::optional<std::int32_t> parse_integer(std::string_view token) {
    if (token.empty()) return 0;
    if (token[0] == '$') {
        if (token.size() == 1) return std::nullopt;
        std::uint64_t value = 0;
        for (char c : token.substr(1)) {
            const int d = hex_digit(c);
            if (d < 0) return std::nullopt;
            value = value * 16 + static_cast<unsigned>(d);
            if (value > 0xFFFFFFFFull) return std::nullopt;
        }
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    }
    bool negative = false;
    std::size_t i = 0;
    if (token[0] == '+' || token[0] == '-') {
        negative = token[0] == '-';
        i = 1;
    }
    if (i == token.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; i < token.size(); ++i) {
        if (!is_digit(token[i])) return std::nullopt;
        value = value * 10 + (token[i] - '0');
        if (value > 2147483647) return std::nullopt;
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::optional<Extended> parse_value(std::string_view token) {
    std::size_t i = 0;
    const std::size_t n = token.size();
    if (n == 0) return Extended{0};
    if (token[i] == '+' || token[i] == '-') ++i;
    if (i == n) return std::nullopt;  // a sign with nothing after it
    std::size_t digits = 0;
    while (i < n && is_digit(token[i])) ++i, ++digits;
    if (i < n && token[i] == '.') {
        ++i;
        while (i < n && is_digit(token[i])) ++i, ++digits;
    }
    if (i < n && (token[i] == 'e' || token[i] == 'E')) {
        ++i;
        if (i < n && (token[i] == '+' || token[i] == '-')) ++i;
        std::size_t exponent_digits = 0;
        while (i < n && is_digit(token[i])) ++i, ++exponent_digits;
        if (exponent_digits == 0) return std::nullopt;
    }
    if (i != n) return std::nullopt;
    if (digits == 0) return Extended{0};
    // The syntax is checked; glibc's strtold rounds the exact decimal value
    // to nearest in extended precision (the C locale's point is '.').
    const std::string text(token);
    errno = 0;
    return std::strtold(text.c_str(), nullptr);
}

Problem read_native_problem(ByteSource& source) {
    Problem p;
    p.native = true;
    p.maximise = true;
    p.source = source.origin;
    p.title = source.read_line(name_limit);

    const IntegerRead m = read_integer(source);
    const IntegerRead n = read_integer(source);
    const IntegerRead k1 = read_integer(source);
    const IntegerRead k2 = read_integer(source);
    source.skip_line();
    // Nothing but blanks (after a byte-order mark, if any) up to the end:
    // there is no problem to solve.  (A missing dimension token means the
    // input has ended.)
    const std::size_t printable = source.printable_consumed();
    if (m.token.empty() && (printable == 0 || (printable == byte_order_mark.size() && p.title.starts_with(byte_order_mark))))
        throw RunError(error_code::invalid_number, Site::read_title, empty_model_message(source.origin));
    for (const IntegerRead* r : {&m, &n, &k1, &k2}) check_integer(source, *r, Site::read_dimensions);
    const Dimensions d{m.value, n.value, k1.value, k2.value};
    check_dimensions(source, d, m.line);

    // The coefficients go straight into the matrix, column by column with
    // every row (zeros included); the zeros are squeezed out at the end, in
    // place, so a dense problem needs no second copy.
    const auto rows = static_cast<std::size_t>(d.rows);
    const auto columns = static_cast<std::size_t>(d.variables);
    ColumnMatrix& matrix = p.matrix;
    try {
        p.rows.resize(rows);
        p.columns.resize(columns);
        matrix.value.assign(rows * columns, 0);
    } catch (const std::bad_alloc&) {
        throw RunError(error_code::out_of_memory, Site::allocate, "out of memory for the problem workspace");
    }

    read_row_list(source, p.equality_list, d.equalities, d.rows, Site::read_eq_rows, "list of equality rows");
    read_row_list(source, p.greater_list, d.greater, d.rows, Site::read_ge_rows, "list of greater-or-equal rows");

    for (ProblemColumn& c : p.columns) c.name = source.read_line(name_limit);
    for (ProblemRow& r : p.rows) r.name = source.read_line(name_limit);

    // Row 0 is the objective (its column 0 the constant), column 0 of the
    // other rows their right-hand side.
    long long missing = 0;
    for (std::size_t i = 0; i <= rows; ++i)
        for (std::size_t j = 0; j <= columns; ++j) {
            const std::string token = source.read_token(value_token_limit);
            const int line = source.line();
            if (token.empty()) ++missing;
            const auto value = parse_value(token);
            StoredReal narrowed;
            if (value && !try_store_real(*value, narrowed))
                throw RunError(error_code::overflow, Site::store_value,
                               source.place(line) + quoted(token) +
                                   " is too large for the stored format (magnitude 1.7e38 or more)");
            source.skip_line();
            if (!value) invalid(source, Site::read_values, line, quoted(token) + " is not a number");
            if (i == 0)
                (j == 0 ? p.constant : p.columns[j - 1].cost) = *value;
            else if (j == 0)
                p.rows[i - 1].rhs = *value;
            else
                matrix.value[(j - 1) * rows + (i - 1)] = *value;
        }

    // A row in both lists counts as greater-or-equal, as the tableau sees it.
    for (const std::int32_t r : p.equality_list) p.rows[r - 1].type = 'E';
    for (const std::int32_t r : p.greater_list) p.rows[r - 1].type = 'G';
    std::size_t kept = 0;
    matrix.row.reserve(rows * columns);
    for (std::size_t j = 0; j < columns; ++j) {
        for (std::size_t i = 0; i < rows; ++i) {
            const Extended a = matrix.value[j * rows + i];
            if (a == 0) continue;
            matrix.value[kept++] = a;  // kept <= j * rows + i: nothing unread is overwritten
            matrix.row.push_back(static_cast<std::int32_t>(i));
        }
        matrix.start.push_back(static_cast<std::int32_t>(kept));
    }
    matrix.value.resize(kept);
    if (kept < matrix.value.capacity() / 2) {
        matrix.value.shrink_to_fit();
        matrix.row.shrink_to_fit();
    }

    if (missing > 0)
        p.warnings.push_back("the input ended before the last coefficient; " + std::to_string(missing) +
                             (missing == 1 ? " value was" : " values were") + " missing and taken as 0");
    return p;
}

}  // namespace lpsens
