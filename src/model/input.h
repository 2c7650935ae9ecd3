// The problem input: title, dimensions, row lists, names and the coefficient
// values, one per line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/byte_source.h"
#include "model/stored_real.h"
#include "model/workspace.h"

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

// Reads one problem into the workspace and allocates it (allocate_workspace
// with `first_argument`).  Runtime error 106 on a malformed token, on
// dimensions outside 0..999 (or a list longer than M) and on row-list entries
// outside 1..M; 205 on a value too large to store.  Values missing at the end
// of input read as 0, with one warning line on the console.
void read_problem(Workspace& ws, ByteSource& source, const char* first_argument);

}  // namespace lpsens
