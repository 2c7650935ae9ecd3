// The report field formats: each row is a value, a width, the decimals and
// the exact text, grouped by the rule it exercises.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "numeric/report_fields.h"

namespace lpsens {
namespace {

struct RealCase {
    Extended value;
    int width;
    int decimals;
    const char* text;
    const char* why;
};

void check(const RealCase& c) {
    EXPECT_EQ(format_real(c.value, c.width, c.decimals), c.text) << c.why;
}

TEST(RealField, PlainValuesAndWidths) {
    const RealCase cases[] = {
        {12, 15, 3, "         12.000", "optimal value width"},
        {12, 10, 3, "    12.000", "listing width"},
        {-1, 10, 3, "    -1.000", "negative"},
        {0, 12, 3, "       0.000", "zero"},
        {0.5L, 1, 3, "0.500", "field narrower than the text"},
        {1000000000.5L, 12, 3, "1000000000.500", "a number wider than its field is not cut"},
        {42, 5, 0, "   42", "no point without decimals"},
        {2.0L / 3, 12, 3, "       0.667", "inexact value"},
    };
    for (const auto& c : cases) check(c);
}

TEST(RealField, HalvesGoAwayFromZero) {
    const RealCase cases[] = {
        {0.0625L, 12, 3, "       0.063", "exact half at the fourth decimal"},
        {-0.0625L, 12, 3, "      -0.063", "negative half"},
        // One stored unit below 0.0625 is visible at 17 decimals.
        {0.0625L * (1 - 0x1p-40L), 12, 3, "       0.062", "just below the half"},
        {2.5L, 5, 0, "    3", "half to the next integer"},
        {3.5L, 5, 0, "    4", "not to even"},
        {-2.5L, 5, 0, "   -3", "negative half"},
        {0.5L, 3, 0, "  1", "half below one"},
        // 0.0005 in extended is 0.0005 to 17 decimals: a half.  The stored
        // value lies 2.8e-16 below and rounds down.
        {0.0005L, 10, 3, "     0.001", "half after the 17-decimal step"},
        {0.0005L * (1 - 0x1p-41L) - 0x1p-70L, 10, 3, "     0.000", "below the half at 17 decimals"},
    };
    for (const auto& c : cases) check(c);
}

TEST(RealField, SignOfValuesThatRoundToZero) {
    const RealCase cases[] = {
        {-0.0004L, 12, 3, "      -0.000", "negative, rounds to zero"},
        {-1e-30L, 10, 3, "    -0.000", "tiny negative"},
        {1e-30L, 10, 3, "     0.000", "tiny positive"},
        {0x1p-61L, 10, 3, "     0.000", "below the 17th decimal"},
    };
    for (const auto& c : cases) check(c);
}

TEST(RealField, EighteenSignificantDigits) {
    const RealCase cases[] = {
        {0x1p70L, 10, 3, "1180591620717411300000.000", "digits past the 18th print as 0"},
        {1152921504606846976.5L, 10, 3, "1152921504606846980.000", "dropped 6.5: up"},
        {123456789012345678.5L, 10, 3, "123456789012345678.000", "tie at the 18th digit: to even (down)"},
        {123456789012345677.5L, 10, 3, "123456789012345678.000", "tie at the 18th digit: to even (up)"},
        {123456789.123456789L, 10, 3, "123456789.123", "18 digits then 3 decimals"},
        {0.99999999999999999999L, 10, 3, "     1.000", "17 decimals carry into the integer"},
        {0x1p120L * (1 - 0x1p-40L), 10, 3, "1329227995783706950000000000000000000.000", "just below 2^120"},
    };
    for (const auto& c : cases) check(c);
}

TEST(RealField, ScientificFromTwoToThe120) {
    const RealCase cases[] = {
        {0x1p120L, 12, 3, " 1.329E+0036", "width 12: 4 digits"},
        {0x1p120L, 10, 3, " 1.3E+0036", "width 10: 2 digits"},
        {0x1p120L, 15, 3, " 1.329228E+0036", "width 15: 7 digits"},
        {-0x1p120L, 12, 3, "-1.329E+0036", "negative"},
        {9.96e37L, 10, 3, " 1.0E+0038", "rounding carries into the exponent"},
        {9.95e37L, 10, 3, " 1.0E+0038", "half away at the second digit"},
        {9.94e37L, 10, 3, " 9.9E+0037", "below the half"},
        {1.7014118346e38L, 5, 3, " 1.7E+0038", "at least two digits"},
        {1.7014118346e38L, 30, 3, "     1.70141183460000000E+0038", "at most eighteen digits"},
    };
    for (const auto& c : cases) check(c);
}

TEST(OtherFields, IntegersAndTexts) {
    std::string out;
    append_integer(out, 42, 5);
    append_integer(out, -7, 5);
    append_integer(out, 123456, 4);
    append_text(out, "ab", 6);
    append_text(out, "", 1);
    append_text(out, "abc", 1);
    EXPECT_EQ(out, "   42   -7123456    ab abc");
}

}  // namespace
}  // namespace lpsens

namespace lpsens {
namespace {

// An independent reference for the real field: glibc's printf rounds the
// exact binary value to nearest with ties to even, which gives the
// 18-digit (or 17-decimal) step; the second step is done on that text.
std::string reference_real(Extended value, int width, int decimals) {
    const bool negative = value < 0;
    const Extended magnitude = std::fabs(value);
    char buf[128];
    std::string digits;  // integer digits, then a point, then fraction digits
    if (magnitude >= 1) {
        std::snprintf(buf, sizeof buf, "%.17Le", magnitude);  // d.ddddddddddddddddde+XX
        std::string mantissa = std::string(buf, 1) + std::string(buf + 2, 17);
        const int exponent = std::atoi(std::strchr(buf, 'e') + 1);
        if (exponent >= 17) {
            digits = mantissa + std::string(static_cast<std::size_t>(exponent - 17), '0') + ".";
        } else {
            digits = mantissa.substr(0, static_cast<std::size_t>(exponent) + 1) + "." +
                     mantissa.substr(static_cast<std::size_t>(exponent) + 1);
        }
    } else {
        std::snprintf(buf, sizeof buf, "%.17Lf", magnitude);
        digits = buf;
    }
    const auto point = digits.find('.');
    std::string integer = "0" + digits.substr(0, point);
    std::string fraction = digits.substr(point + 1);
    fraction.resize(std::max<std::size_t>(fraction.size(), static_cast<std::size_t>(decimals) + 1), '0');
    const bool up = fraction[static_cast<std::size_t>(decimals)] >= '5';
    std::string kept = integer + fraction.substr(0, static_cast<std::size_t>(decimals));
    if (up) {
        for (auto i = kept.size(); i-- > 0;) {
            if (kept[i] == '9') {
                kept[i] = '0';
                continue;
            }
            ++kept[i];
            break;
        }
    }
    std::string int_part = kept.substr(0, kept.size() - static_cast<std::size_t>(decimals));
    int_part.erase(0, std::min(int_part.find_first_not_of('0'), int_part.size() - 1));
    std::string text = (negative ? "-" : "") + int_part;
    if (decimals > 0) text += "." + kept.substr(kept.size() - static_cast<std::size_t>(decimals));
    if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<std::size_t>(width) - text.size(), ' ');
    return text;
}

TEST(RealField, MatchesPrintfReferenceOnRandomValues) {
    std::mt19937_64 rng(424242);
    const int widths[][2] = {{15, 3}, {12, 3}, {10, 3}, {5, 0}};
    for (int n = 0; n < 300000; ++n) {
        // Stored reals of every magnitude below 2^120, and extended sums of two.
        const int exponent = static_cast<int>(rng() % 250) - 128;
        const Extended a = std::ldexp(static_cast<Extended>(rng() >> 24), exponent - 40);
        Extended value = load_real(stored(a));
        if (n % 3 == 0) value += load_real(stored(std::ldexp(static_cast<Extended>(rng() >> 24), exponent - 45)));
        if (n % 5 == 0) value = std::round(value * 1000) / 1000 + ((rng() & 1) ? 0.0005L : -0.0005L);
        if (rng() & 1) value = -value;
        if (!(std::fabs(value) < 0x1p120L)) continue;
        const auto& w = widths[n % 4];
        ASSERT_EQ(format_real(value, w[0], w[1]), reference_real(value, w[0], w[1]))
            << std::hexfloat << static_cast<double>(value);
    }
}

// The short way must give the bytes of the exact one: doubles of every
// magnitude the short way takes, values a few units of the last place from a
// half of the last decimal (where it must step aside), and every decimals
// count it serves.
TEST(RealField, ShortWayMatchesExactDigits) {
    std::mt19937_64 rng(777);
    std::string quick, exact;
    long compared = 0;
    for (int n = 0; n < 400000; ++n) {
        const int decimals = static_cast<int>(rng() % 7);
        Extended value;
        if (n % 2 == 0) {
            value = std::ldexp(static_cast<Extended>(rng() >> 11), static_cast<int>(rng() % 90) - 100);
            value = static_cast<double>(value);  // the reports print doubles
        } else {
            // k + 1/2 of the last decimal, moved by a few ulps of a double.
            const Extended scale = std::pow(10.0L, decimals);
            const double half = static_cast<double>((static_cast<Extended>(rng() % 2000000000) + 0.5L) / scale);
            double v = half;
            for (int k = static_cast<int>(rng() % 7) - 3; k != 0; k += k > 0 ? -1 : 1)
                v = std::nextafter(v, k > 0 ? HUGE_VAL : -HUGE_VAL);
            value = v;
        }
        if (rng() & 1) value = -value;
        quick.clear();
        exact.clear();
        append_real(quick, value, 12, decimals);
        append_real_exactly(exact, value, 12, decimals);
        ASSERT_EQ(quick, exact) << std::hexfloat << static_cast<double>(value) << " decimals " << decimals;
        quick.clear();
        append_real(quick, static_cast<double>(value), 12, decimals);  // every value here is a double
        ASSERT_EQ(quick, exact) << "double " << std::hexfloat << static_cast<double>(value) << " decimals " << decimals;
        ++compared;
    }
    EXPECT_EQ(compared, 400000);
    // The boundary cases by hand: halves themselves, 10^9 and beyond.
    for (const double v : {0.0005, 0.0625, 2.5, 999999999.9995, 1e9, 1e9 + 0.5, 123456789.0125, -0.0005, -0.0, 0x1p-67,
                           0x1p-68, 0x1p-1074, 999999999.99999988}) {
        for (int decimals = 0; decimals <= 6; ++decimals) {
            quick.clear();
            exact.clear();
            append_real(quick, v, 12, decimals);
            append_real_exactly(exact, v, 12, decimals);
            EXPECT_EQ(quick, exact) << v << " decimals " << decimals;
            quick.clear();
            append_real(quick, static_cast<Extended>(v), 12, decimals);
            EXPECT_EQ(quick, exact) << v << " decimals " << decimals;
        }
    }
}

}  // namespace
}  // namespace lpsens
