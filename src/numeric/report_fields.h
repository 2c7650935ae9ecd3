// Field formats shared by every report.  All fields are right-aligned and
// never cut: a longer text takes the room it needs.
//
//   integer field, width 5:             42 -> "   42",   -7 -> "   -7"
//   real field, width 12, 3 decimals:   12 -> "      12.000"
//                                   0.0625 -> "       0.063"  (halves away from zero)
//                                  -0.0004 -> "      -0.000"  (the sign stays)
//                                     2^70 -> "1180591620717411300000.000" (18 significant digits)
//                                    2^120 -> " 1.329E+0036"  (scientific from 2^120 on)
//   text field, width 6:              "ab" -> "    ab"
#pragma once

#include <string>
#include <string_view>

#include "numeric/stored_real.h"

namespace lpsens {

void append_integer(std::string& out, long long value, int width);
void append_text(std::string& out, std::string_view text, int width);

// The real field.  The value is first taken to 18 significant digits (to 17
// decimals when its magnitude is below 1), rounding the exact binary value to
// nearest with ties to even; that decimal is then rounded to `decimals` places
// with halves away from zero.  Magnitudes of 2^120 and more are written as a
// blank or "-", one digit, a point, more digits for width-8 significant
// digits (2 to 18) in all, "E", the exponent's sign and four exponent digits;
// the same two roundings apply, the second to that many digits.
void append_real(std::string& out, Extended value, int width, int decimals);
// The same for a double (the same bytes as for its extended value).
void append_real(std::string& out, double value, int width, int decimals);
// The same from the exact decimal digits of the value every time (the field
// takes a shorter way when the result is clear without them; the tests
// compare the two).
void append_real_exactly(std::string& out, Extended value, int width, int decimals);

std::string format_real(Extended value, int width, int decimals);

// The real fields the reports show values in: the solution report's levels,
// prices and ranges, and the sweep table's values.  The checks judge a
// value to the last digit its field shows, so both take them from here.
struct RealField {
    int width;
    int decimals;
};
inline constexpr RealField solution_field{12, 3};
inline constexpr RealField record_field{10, 3};

inline void append_real(std::string& out, Extended value, RealField field) {
    append_real(out, value, field.width, field.decimals);
}
inline void append_real(std::string& out, double value, RealField field) {
    append_real(out, value, field.width, field.decimals);
}

}  // namespace lpsens
