// lpsens's own problem format: title, dimensions, row lists, names and the
// coefficient values, one per line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "io/byte_source.h"
#include "model/problem.h"
#include "numeric/stored_real.h"

namespace lpsens {

inline constexpr std::size_t integer_token_limit = 32;
inline constexpr std::size_t value_token_limit = 64;

// An integer token: an optional sign and decimal digits, -2147483647 to
// 2147483647; or "$" and hexadecimal digits whose value fits in 32 bits,
// taken as a two's-complement pattern.  Empty is 0.  nullopt when invalid.
std::optional<std::int32_t> parse_integer(std::string_view token);

// A value token: [sign] [digits] [. [digits]] [(E|e) [sign] digits].  A token
// without any digit before its exponent part reads as 0; a lone sign, an
// exponent letter without digits or any other character is invalid.  The
// result is the exact decimal value rounded to nearest (ties to even) in
// extended precision; it may be infinite when the decimal is too large for
// extended.  Empty is 0.  nullopt when invalid.
std::optional<Extended> parse_value(std::string_view token);

// The limit of the dimension line: at most 999 rows and 999 variables.
inline constexpr int native_dimension_limit = 999;

// Reads one problem of lpsens's own format.  Runtime error 106 on an input
// of nothing but bytes 0..32 up to its end (empty), on a malformed token, on
// dimensions outside 0..999 (or a list longer than M) and on row-list entries
// outside 1..M; 205 on a value too large for the stored format.  Each names
// the line, and the file when the input is one.  Values missing at the end of
// input read as 0, with a warning.
Problem read_native_problem(ByteSource& source);

}  // namespace lpsens
