#include "model/input.h"

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

[[noreturn]] void invalid(Site site, int line, const std::string& what) {
    throw RunError(error_code::invalid_number, site, "line " + std::to_string(line) + ": " + what);
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

void check_integer(const IntegerRead& r, Site site) {
    if (!r.valid) invalid(site, r.line, quoted(r.token) + " is not an integer");
}

void read_row_list(Workspace& ws, ByteSource& source, std::vector<std::int32_t>& list, int count,
                   Site site, const char* which) {
    if (count <= 0) return;
    for (int t = 1; t <= count; ++t) {
        const IntegerRead r = read_integer(source);
        check_integer(r, site);
        list[t] = r.value;
    }
    source.skip_line();
    // A row outside 1..M would address storage that does not exist.
    for (int t = 1; t <= count; ++t)
        if (list[t] < 1 || list[t] > ws.row_count)
            throw RunError(error_code::invalid_number, Site::check_row_list,
                           std::string("the ") + which + " lists row " + std::to_string(list[t]) +
                               ", but the rows are numbered 1 to " + std::to_string(ws.row_count));
}

void check_dimensions(const Workspace& ws, int line) {
    const auto fail = [&](const std::string& why) {
        throw RunError(error_code::invalid_number, Site::check_dimensions,
                       "line " + std::to_string(line) + ": dimensions " + std::to_string(ws.row_count) +
                           " " + std::to_string(ws.var_count) + " " + std::to_string(ws.eq_count) +
                           " " + std::to_string(ws.ge_count) + ": " + why);
    };
    if (ws.row_count < 0 || ws.var_count < 0 || ws.eq_count < 0 || ws.ge_count < 0)
        fail("no dimension may be negative");
    if (ws.row_count > max_rows) fail("at most 999 constraints are allowed");
    if (ws.var_count > max_vars) fail("at most 999 variables are allowed");
    if (ws.eq_count > ws.row_count) fail("the list of equality rows is longer than the number of rows");
    if (ws.ge_count > ws.row_count)
        fail("the list of greater-or-equal rows is longer than the number of rows");
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

void read_problem(Workspace& ws, ByteSource& source, const char* first_argument) {
    ws.title = source.read_line(name_limit);

    const IntegerRead m = read_integer(source);
    const IntegerRead n = read_integer(source);
    const IntegerRead k1 = read_integer(source);
    const IntegerRead k2 = read_integer(source);
    source.skip_line();
    for (const IntegerRead* r : {&m, &n, &k1, &k2}) check_integer(*r, Site::read_dimensions);
    ws.row_count = m.value;
    ws.var_count = n.value;
    ws.eq_count = k1.value;
    ws.ge_count = k2.value;
    check_dimensions(ws, m.line);

    allocate_workspace(ws, first_argument);

    read_row_list(ws, source, ws.eq_rows, ws.eq_count, Site::read_eq_rows, "list of equality rows");
    read_row_list(ws, source, ws.ge_rows, ws.ge_count, Site::read_ge_rows, "list of greater-or-equal rows");

    for (int j = 1; j <= ws.var_count; ++j) {
        ws.line_buffer = source.read_line(name_limit);
        ws.column_names[j] = ws.line_buffer;
    }
    for (int i = 1; i <= ws.row_count; ++i) {
        ws.line_buffer = source.read_line(name_limit);
        ws.row_names[i] = ws.line_buffer;
    }

    long long missing = 0;
    if (ws.keep_input_values) {
        try {
            ws.input_values.assign(
                (static_cast<std::size_t>(ws.row_count) + 1) * (static_cast<std::size_t>(ws.var_count) + 1), 0);
        } catch (const std::bad_alloc&) {
            throw RunError(error_code::out_of_memory, Site::allocate, "out of memory for the input values");
        }
    }
    for (int i = 0; i <= ws.row_count; ++i) {
        StoredReal* row = ws.tableau.row(i);
        for (int j = 0; j <= ws.var_count; ++j) {
            const std::string token = source.read_token(value_token_limit);
            const int line = source.line();
            if (token.empty()) ++missing;
            const auto value = parse_value(token);
            if (value && !try_store_real(*value, row[j]))
                throw RunError(error_code::overflow, Site::store_value,
                               "line " + std::to_string(line) + ": " + quoted(token) +
                                   " is too large for the stored format (magnitude 1.7e38 or more)");
            source.skip_line();
            if (!value) invalid(Site::read_values, line, quoted(token) + " is not a number");
            if (ws.keep_input_values) ws.input_value(i, j) = *value;
        }
    }

    for (int j = 1; j <= ws.var_count; ++j) ws.original_objective[j] = ws.tableau(0, j);
    for (int i = 1; i <= ws.row_count; ++i) ws.original_rhs[i] = ws.tableau(i, 0);

    if (missing > 0)
        ws.console.write("lpsens: warning: the input ended before the last coefficient; " +
                         std::to_string(missing) + (missing == 1 ? " value was" : " values were") +
                         " missing and taken as 0\n");
}

}  // namespace lpsens
