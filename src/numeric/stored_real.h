// The 6-byte stored real: every number the classic engine keeps is one of these.
//
// Byte layout (byte 0 first): byte 0 is the exponent biased by 129 (0 means
// the value is zero); bytes 1..5 form a 40-bit little-endian integer whose
// bits 0..38 are the fraction below an implicit leading 1 and whose bit 39 is
// the sign.  Value = (-1)^s * (1 + f / 2^39) * 2^(e - 129).
//
// In memory a stored real is held as a double holding exactly the same value:
// 40 significant bits and exponents -128..126 are all representable, so the
// double is just another spelling of the six bytes.  The bytes are produced
// only where somebody asks for them (tests, diagnostics).
#pragma once

#include <array>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <limits>

#include "numeric/run_error.h"

namespace lpsens {

static_assert(std::numeric_limits<long double>::digits == 64,
              "lpsens needs the 80-bit extended format (64-bit significand) for long double");
static_assert(std::numeric_limits<double>::digits == 53, "lpsens needs IEEE double");
// A double must really be a double (no excess precision), or the rounding
// through a double below would see more bits than it should.
static_assert(FLT_EVAL_METHOD == 0, "lpsens needs doubles evaluated in double precision (x86-64 SSE)");

using Extended = long double;

// The format, described once.
struct StoredFormat {
    static constexpr int exponent_bias = 129;        // byte 0 = exponent + 129
    static constexpr int fraction_bits = 39;         // below the implicit 1
    static constexpr int significand_bits = 40;      // with the implicit 1
    static constexpr int max_biased_exponent = 255;
    static constexpr int extended_bias = 16383;
    // Biased extended exponent E maps to stored byte e = E - 16254.
    static constexpr int extended_to_stored = extended_bias - exponent_bias;
};

struct StoredReal {
    double value = 0.0;  // always exactly a value of the 6-byte format

    friend bool operator==(StoredReal a, StoredReal b) { return a.value == b.value; }

    std::array<std::uint8_t, 6> to_bytes() const;
    static StoredReal from_bytes(const std::array<std::uint8_t, 6>& bytes);
};

// Widening to extended precision; exact.
inline Extended load_real(StoredReal r) { return static_cast<Extended>(r.value); }

// The double with sign s, stored exponent byte e (1..255) and 39-bit fraction
// f: exponent e - 129 + 1023, the 39 fraction bits at the top of its 52.
inline double stored_double(bool negative, int e, std::uint64_t fraction39) {
    const std::uint64_t bits = (static_cast<std::uint64_t>(negative) << 63) |
                               (static_cast<std::uint64_t>(e + 1023 - StoredFormat::exponent_bias) << 52) |
                               (fraction39 << (52 - StoredFormat::fraction_bits));
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

// Narrowing of an extended value to the stored format (try_store_real below).
// Returns false (and leaves `out` untouched) when the rounded magnitude
// reaches 2^127 or the value is infinite or NaN; the caller turns that into
// runtime error 205.
//
// Rounding rule: keep the top 40 bits of the 64-bit significand and add one
// when the highest dropped bit (bit 23) is set; bits 22..0 play no part.  So
// this is round-to-nearest with ties away from zero on the magnitude.  Worked
// example: 0.1 in extended is CCCCCCCC CCCCCCCD x 2^-67; the kept bits are
// CCCCCCCCCC, bit 23 is 1, so they become CCCCCCCCCD: bytes 7D CD CC CC CC 4C.
// Values whose rounded exponent byte would be 0 or less are stored as zero.
//
// This form applies the rule to the bits of the extended value; it is exact
// for every input.
inline bool try_store_real_from_bits(Extended x, StoredReal& out) {
    unsigned char raw[sizeof(Extended)];
    std::memcpy(raw, &x, sizeof raw);
    std::uint64_t significand;
    std::uint16_t sign_exponent;
    std::memcpy(&significand, raw, 8);
    std::memcpy(&sign_exponent, raw + 8, 2);
    int biased = sign_exponent & 0x7FFF;
    if (biased == 0x7FFF) return false;  // infinity or NaN
    std::uint64_t kept = significand >> 24;
    if ((significand >> 23) & 1) {
        ++kept;
        if (kept == (std::uint64_t{1} << StoredFormat::significand_bits)) {
            kept >>= 1;  // 1.000... with the next exponent
            ++biased;
        }
    }
    const int e = biased - StoredFormat::extended_to_stored;
    if (e <= 0 || (kept >> (StoredFormat::significand_bits - 1)) == 0) {
        out.value = 0.0;  // underflow, an extended zero or a subnormal
        return true;
    }
    if (e > StoredFormat::max_biased_exponent) return false;
    out.value = stored_double((sign_exponent >> 15) != 0, e,
                              kept & ((std::uint64_t{1} << StoredFormat::fraction_bits) - 1));
    return true;
}

// The same rule by way of a double, which avoids moving the 80-bit value
// through memory (the slow part on x87).  The double keeps significand bits
// 63..11, so it still holds bit 23, which decides the rounding.  Its own
// rounding can only disturb bit 23 by a carry through bits 22..11; then the
// double is inexact with its low 12 fraction bits zero, and the bits of the
// extended value decide instead.
inline bool try_store_real(Extended x, StoredReal& out) {
    constexpr int dropped = 52 - StoredFormat::fraction_bits;  // 13 fraction bits beyond the 39
    const double d = static_cast<double>(x);
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    if ((bits & ((std::uint64_t{1} << (dropped - 1)) - 1)) == 0 && static_cast<Extended>(d) != x)
        return try_store_real_from_bits(x, out);
    // Half away from zero: add half a unit of the 40-bit significand to the
    // magnitude bits and cut; a carry moves into the exponent by itself.
    const std::uint64_t sign = bits & (std::uint64_t{1} << 63);
    std::uint64_t magnitude = bits & ~(std::uint64_t{1} << 63);
    magnitude = (magnitude + (std::uint64_t{1} << (dropped - 1))) & ~((std::uint64_t{1} << dropped) - 1);
    const int exponent = static_cast<int>(magnitude >> 52);  // the double's biased exponent
    constexpr int lowest = 1023 - StoredFormat::exponent_bias + 1;  // stored exponent byte 1
    constexpr int highest = 1023 - StoredFormat::exponent_bias + StoredFormat::max_biased_exponent;
    if (exponent < lowest) {
        out.value = 0.0;
        return true;
    }
    if (exponent > highest) return false;  // includes infinity and NaN
    bits = sign | magnitude;
    std::memcpy(&out.value, &bits, sizeof bits);
    return true;
}

[[noreturn]] void throw_store_overflow(Site site);

// Narrowing that stops the run with runtime error 205 on overflow; the
// destination keeps its previous content in that case.
inline void store_real(Extended x, StoredReal& out, Site site = Site::store_value) {
    if (!try_store_real(x, out)) throw_store_overflow(site);
}

// Convenience for a value known to fit (a constant, a copy).
StoredReal stored(Extended x);

}  // namespace lpsens
