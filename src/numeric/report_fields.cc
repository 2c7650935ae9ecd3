#include "numeric/report_fields.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace lpsens {

void append_integer(std::string& out, long long value, int width) {
    char digits[24];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    append_text(out, std::string_view(digits, static_cast<std::size_t>(end - digits)), width);
}

void append_text(std::string& out, std::string_view text, int width) {
    if (static_cast<int>(text.size()) < width) out.append(static_cast<std::size_t>(width) - text.size(), ' ');
    out.append(text);
}

namespace {

constexpr int significant_digits = 18;
constexpr int small_value_decimals = 17;

// The magnitude of a finite extended value as m * 2^e with m odd (or zero).
struct Binary {
    std::uint64_t m;
    int e;
};

Binary binary_of(Extended x) {
    unsigned char raw[sizeof(Extended)];
    std::memcpy(raw, &x, sizeof raw);
    std::uint64_t m;
    std::uint16_t se;
    std::memcpy(&m, raw, 8);
    std::memcpy(&se, raw + 8, 2);
    const int biased = se & 0x7FFF;
    Binary b{m, (biased == 0 ? 1 : biased) - 16383 - 63};
    if (b.m == 0) return {0, 0};
    const int zeros = __builtin_ctzll(b.m);
    b.m >>= zeros;
    b.e += zeros;
    return b;
}

// A nonnegative integer in base 10^9, least significant limb first.
class Decimal {
public:
    explicit Decimal(std::uint64_t v) {
        do {
            limbs_[size_++] = static_cast<std::uint32_t>(v % base);
            v /= base;
        } while (v != 0);
    }
    void multiply(std::uint32_t factor) {
        std::uint64_t carry = 0;
        for (int i = 0; i < size_; ++i) {
            const std::uint64_t t = static_cast<std::uint64_t>(limbs_[i]) * factor + carry;
            limbs_[i] = static_cast<std::uint32_t>(t % base);
            carry = t / base;
        }
        while (carry != 0) {
            limbs_[size_++] = static_cast<std::uint32_t>(carry % base);
            carry /= base;
        }
    }
    void multiply_by_power(std::uint32_t factor, std::uint32_t chunk, int chunk_exponent, int exponent) {
        for (; exponent >= chunk_exponent; exponent -= chunk_exponent) multiply(chunk);
        std::uint32_t rest = 1;
        for (; exponent > 0; --exponent) rest *= factor;
        if (rest != 1) multiply(rest);
    }
    // Decimal digits, most significant first, no leading zeros ("0" for 0).
    void append_digits(std::string& out) const {
        char buf[16];
        auto end = std::to_chars(buf, buf + sizeof buf, limbs_[size_ - 1]).ptr;
        out.append(buf, end);
        for (int i = size_ - 2; i >= 0; --i) {
            end = std::to_chars(buf, buf + sizeof buf, limbs_[i]).ptr;
            out.append(static_cast<std::size_t>(9 - (end - buf)), '0');
            out.append(buf, end);
        }
    }

private:
    static constexpr std::uint32_t base = 1000000000;
    // Enough for 2^16384 (the largest extended) with room to spare.
    std::uint32_t limbs_[560];  // only the first size_ are in use
    int size_ = 0;
};

// Exact decimal digits of |x|: integer digits then `fraction` fraction
// digits, with one leading '0' kept free for a carry.
struct Digits {
    std::string text;  // "0" + integer digits + fraction digits
    int integer = 0;   // number of integer digits including the leading '0'
};

Digits exact_digits(const Binary& b) {
    Digits d;
    d.text = "0";
    Decimal n(b.m);
    int fraction = 0;
    if (b.e >= 0) {
        n.multiply_by_power(2, 1u << 29, 29, b.e);
    } else {
        fraction = -b.e;  // m / 2^k = m * 5^k / 10^k
        n.multiply_by_power(5, 1220703125u, 13, fraction);
    }
    std::string all;
    n.append_digits(all);
    if (static_cast<int>(all.size()) <= fraction) all.insert(0, static_cast<std::size_t>(fraction) + 1 - all.size(), '0');
    d.text += all;
    d.integer = static_cast<int>(d.text.size()) - fraction;
    return d;
}

void increment_before(std::string& text, int cut) {
    for (int i = cut - 1; i >= 0; --i) {
        if (text[i] != '9') {
            ++text[i];
            return;
        }
        text[i] = '0';
    }
}

// Rounds the digit string at position `cut` (digits from `cut` on are set to
// zero) to nearest with ties to even.
void round_half_even(std::string& text, int cut) {
    const auto n = static_cast<int>(text.size());
    if (cut >= n) return;
    const char first = text[cut];
    bool up = first > '5';
    if (first == '5') {
        const bool beyond = text.find_first_not_of('0', static_cast<std::size_t>(cut) + 1) != std::string::npos;
        up = beyond || ((text[cut - 1] - '0') % 2 == 1);
    }
    std::fill(text.begin() + cut, text.end(), '0');
    if (up) increment_before(text, cut);
}

// Rounds at `cut` with halves away from zero.
void round_half_away(std::string& text, int cut) {
    const auto n = static_cast<int>(text.size());
    if (cut >= n) return;
    const bool up = text[cut] >= '5';
    std::fill(text.begin() + cut, text.end(), '0');
    if (up) increment_before(text, cut);
}

int first_nonzero(const std::string& text) {
    const auto p = text.find_first_not_of('0');
    return p == std::string::npos ? static_cast<int>(text.size()) : static_cast<int>(p);
}

void append_scientific(std::string& out, bool negative, const Binary& b, int width) {
    Digits d = exact_digits(b);  // an integer: no fraction digits
    int lead = first_nonzero(d.text);
    round_half_even(d.text, lead + significant_digits);
    const int wanted = std::clamp(width - 8, 2, significant_digits);
    round_half_away(d.text, first_nonzero(d.text) + wanted);
    lead = first_nonzero(d.text);
    const int exponent = d.integer - lead - 1;
    std::string field(1, negative ? '-' : ' ');
    field += d.text[lead];
    field += '.';
    field.append(d.text, static_cast<std::size_t>(lead) + 1, static_cast<std::size_t>(wanted) - 1);
    field += 'E';
    field += exponent < 0 ? '-' : '+';
    char buf[8];
    const auto end = std::to_chars(buf, buf + sizeof buf, exponent < 0 ? -exponent : exponent).ptr;
    field.append(static_cast<std::size_t>(std::max<long>(0, 4 - (end - buf))), '0');
    field.append(buf, end);
    append_text(out, field, width);
}

constexpr std::uint32_t powers[] = {1, 10, 100, 1000, 10000, 100000, 1000000};

// The field of rounded / 10^decimals, written from the right.
void append_scaled(std::string& out, bool negative, std::uint64_t rounded, int decimals, int width) {
    char field[48];
    char* const end = field + sizeof field;
    char* p = end;
    for (int k = 0; k < decimals; ++k) {
        *--p = static_cast<char>('0' + rounded % 10);
        rounded /= 10;
    }
    if (decimals > 0) *--p = '.';
    do {
        *--p = static_cast<char>('0' + rounded % 10);
        rounded /= 10;
    } while (rounded != 0);
    if (negative) *--p = '-';
    append_text(out, std::string_view(p, static_cast<std::size_t>(end - p)), width);
}

// The common case without the exact digits: a magnitude below 10^9 with at
// most 6 decimals whose scaled value x 10^decimals lies clearly away from a
// half.  The first rounding (18 significant digits, or 17 decimals) moves x
// by at most 5e-18 max(1, x), and the product below is off by less than
// 2^-63 of itself; when the scaled value is further than ten times both from
// a half, the second rounding is decided already.  False leaves the case to
// the exact path.
bool append_real_quickly(std::string& out, bool negative, Extended magnitude, int width, int decimals) {
    if (!(magnitude < 1e9L) || decimals < 0 || decimals > 6) return false;
    const std::uint32_t scale = powers[decimals];
    const Extended scaled = magnitude * scale;
    const Extended whole = std::floor(scaled);
    const Extended fraction = scaled - whole;
    const Extended margin = 1e-16L * std::max(Extended{1}, magnitude) * scale;
    if (std::fabs(fraction - 0.5L) <= margin) return false;
    const auto rounded = static_cast<std::uint64_t>(whole) + (fraction > 0.5L ? 1 : 0);
    append_scaled(out, negative, rounded, decimals, width);
    return true;
}

// The short way for a double, in integers: |value| = m 2^e, scaled by
// 10^decimals (at most 6), split exactly into its whole part and the rest.
bool append_double_quickly(std::string& out, double value, int width, int decimals) {
    const double magnitude = std::fabs(value);
    if (!(magnitude < 1e9) || decimals < 0 || decimals > 6) return false;
    const std::uint32_t scale = powers[decimals];
    // magnitude = m / 2^shift with m < 2^53, from the bits of the double.
    std::uint64_t bits;
    std::memcpy(&bits, &magnitude, sizeof bits);
    const int biased = static_cast<int>(bits >> 52);
    if (biased == 0) return false;  // zero and subnormals: the exact way
    const std::uint64_t m = (bits & ((std::uint64_t{1} << 52) - 1)) | (std::uint64_t{1} << 52);
    const int shift = 1075 - biased;  // > 23 below 10^9
    if (shift > 120) return false;    // below 2^-68: the exact way writes its zero
    const unsigned __int128 scaled = static_cast<unsigned __int128>(m) * scale;
    const unsigned __int128 one = static_cast<unsigned __int128>(1) << shift;
    const auto whole = static_cast<std::uint64_t>(scaled >> shift);
    const unsigned __int128 rest = scaled & (one - 1);
    // The rest against a half, with room for the first rounding (5e-18
    // max(1, magnitude) scale) and for the rest's own rounding to a double.
    // rest / 2^shift as a double: its top 64 bits, scaled by a power of two.
    const int drop = shift > 64 ? shift - 64 : 0;
    double power;  // 2^-(shift - drop)
    const std::uint64_t power_bits = static_cast<std::uint64_t>(1023 - (shift - drop)) << 52;
    std::memcpy(&power, &power_bits, sizeof power);
    const double rest_fraction = static_cast<double>(static_cast<std::uint64_t>(rest >> drop)) * power;
    const double margin = 1e-15 * std::max(1.0, magnitude) * scale;
    if (std::fabs(rest_fraction - 0.5) <= margin) return false;
    const std::uint64_t rounded = whole + (rest_fraction > 0.5 ? 1 : 0);
    append_scaled(out, value < 0, rounded, decimals, width);
    return true;
}

}  // namespace

void append_real(std::string& out, double value, int width, int decimals) {
    if (value == 0 && decimals == 3) {  // most entries of a tableau
        append_text(out, "0.000", width);
        return;
    }
    if (append_double_quickly(out, value, width, decimals)) return;
    append_real(out, static_cast<Extended>(value), width, decimals);
}

void append_real(std::string& out, Extended value, int width, int decimals) {
    const bool negative = value < 0;
    const Extended magnitude = negative ? -value : value;
    if (value == 0 && decimals == 3) {  // most entries of a tableau
        append_text(out, "0.000", width);
        return;
    }
    if (append_real_quickly(out, negative, magnitude, width, decimals)) return;
    append_real_exactly(out, value, width, decimals);
}

void append_real_exactly(std::string& out, Extended value, int width, int decimals) {
    const bool negative = value < 0;
    const Extended magnitude = negative ? -value : value;
    const Binary b = binary_of(magnitude);
    if (magnitude >= 0x1p120L) {
        append_scientific(out, negative, b, width);
        return;
    }
    std::string field;
    if (negative) field += '-';
    // Below half a unit of the 17th decimal everything rounds to zero.
    if (b.m == 0 || magnitude < 0x1p-60L) {
        field += '0';
        if (decimals > 0) {
            field += '.';
            field.append(static_cast<std::size_t>(decimals), '0');
        }
        append_text(out, field, width);
        return;
    }
    Digits d = exact_digits(b);
    if (magnitude >= 1)
        round_half_even(d.text, first_nonzero(d.text) + significant_digits);
    else
        round_half_even(d.text, d.integer + small_value_decimals);
    if (static_cast<int>(d.text.size()) < d.integer + decimals)
        d.text.append(static_cast<std::size_t>(d.integer + decimals) - d.text.size(), '0');
    round_half_away(d.text, d.integer + decimals);
    const int lead = std::min(first_nonzero(d.text), d.integer - 1);
    field.append(d.text, static_cast<std::size_t>(lead), static_cast<std::size_t>(d.integer - lead));
    if (decimals > 0) {
        field += '.';
        field.append(d.text, static_cast<std::size_t>(d.integer), static_cast<std::size_t>(decimals));
    }
    append_text(out, field, width);
}

std::string format_real(Extended value, int width, int decimals) {
    std::string out;
    append_real(out, value, width, decimals);
    return out;
}

}  // namespace lpsens
