// The 6-byte stored real: byte examples, limits, and the rounding rule checked
// against an integer formulation of it on many random and boundary values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

#include "numeric/stored_real.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::from_hex;
using testing::hex_bytes;

Extended make_extended(bool negative, int biased_exponent, std::uint64_t significand) {
    unsigned char raw[sizeof(Extended)] = {};
    std::memcpy(raw, &significand, 8);
    const std::uint16_t se = static_cast<std::uint16_t>((negative ? 0x8000 : 0) | biased_exponent);
    std::memcpy(raw + 8, &se, 2);
    Extended x;
    std::memcpy(&x, raw, sizeof x);
    return x;
}

// The rule written with integers only: the expected six bytes, or "overflow".
std::string reference_store(bool negative, int biased_exponent, std::uint64_t significand) {
    if (biased_exponent == 0 || (significand >> 63) == 0) return "00 00 00 00 00 00";
    std::uint64_t kept = significand >> 24;
    if (significand & (std::uint64_t{1} << 23)) kept += 1;
    int e = biased_exponent - 16254;
    if (kept >> 40) {
        kept >>= 1;
        e += 1;
    }
    if (e <= 0) return "00 00 00 00 00 00";
    if (e >= 256) return "overflow";
    const std::uint64_t low40 = (kept & ((std::uint64_t{1} << 39) - 1)) | (std::uint64_t{negative} << 39);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%02X %02X %02X %02X %02X %02X", e, unsigned(low40 & 0xFF),
                  unsigned((low40 >> 8) & 0xFF), unsigned((low40 >> 16) & 0xFF), unsigned((low40 >> 24) & 0xFF),
                  unsigned((low40 >> 32) & 0xFF));
    return buf;
}

std::string actual_store(Extended x) {
    StoredReal r;
    r.value = 12345.0;  // any earlier content
    if (!try_store_real(x, r)) return r.value == 12345.0 ? "overflow" : "overflow, destination changed";
    return hex_bytes(r);
}

TEST(StoredReal, ByteExamples) {
    const struct {
        Extended value;
        const char* bytes;
    } cases[] = {
        {1.0L, "81 00 00 00 00 00"},     {-1.0L, "81 00 00 00 00 80"},    {0.5L, "80 00 00 00 00 00"},
        {3.0L, "82 00 00 00 00 40"},     {10.0L, "84 00 00 00 00 20"},    {0.1L, "7D CD CC CC CC 4C"},
        {-0.00001L, "70 1B 47 AC C5 A7"}, {1000000.0L, "94 00 00 00 24 74"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(hex_bytes(stored(c.value)), c.bytes) << static_cast<double>(c.value);
        EXPECT_EQ(from_hex(c.bytes), stored(c.value));
    }
}

TEST(StoredReal, Limits) {
    // -0 stores as six zero bytes and loads as +0.
    const StoredReal minus_zero = stored(-0.0L);
    EXPECT_EQ(hex_bytes(minus_zero), "00 00 00 00 00 00");
    EXPECT_FALSE(std::signbit(load_real(minus_zero)));
    // (2 - 2^-40) x 2^126 rounds up to 2^127: overflow, destination kept.
    EXPECT_EQ(actual_store(std::ldexp(2.0L - std::ldexp(1.0L, -40), 126)), "overflow");
    EXPECT_EQ(actual_store(std::ldexp(2.0L - std::ldexp(1.0L, -39), 126)), "FF FF FF FF FF 7F");
    EXPECT_EQ(actual_store(std::ldexp(1.0L, -129)), "00 00 00 00 00 00");
    EXPECT_EQ(actual_store(std::ldexp(1.0L, -128)), "01 00 00 00 00 00");
    EXPECT_EQ(actual_store(HUGE_VALL), "overflow");
    EXPECT_EQ(actual_store(-HUGE_VALL), "overflow");
    try {
        StoredReal r = stored(7.0L);
        store_real(1e39L, r, Site::pivot_row);
        FAIL() << "no runtime error";
    } catch (const RunError& e) {
        EXPECT_EQ(e.code(), 205);
        EXPECT_EQ(e.site(), Site::pivot_row);
    }
    // Zero exponent byte: zero whatever the other bytes.
    EXPECT_EQ(load_real(from_hex("00 12 34 56 78 9A")), 0.0L);
    // 0.1 loads back about 2.3e-14 above 0.1.
    const Extended back = load_real(stored(0.1L));
    EXPECT_GT(back - 0.1L, 2.2e-14L);
    EXPECT_LT(back - 0.1L, 2.4e-14L);
}

TEST(StoredReal, RoundingTies) {
    // Each case: a 64-bit significand at exponent 0 (biased 16383) and the
    // bytes the rule gives.
    const struct {
        std::uint64_t significand;
        const char* bytes;
        const char* why;
    } cases[] = {
        {0x8000000000800000ull, "81 01 00 00 00 00", "exact half: away from zero"},
        {0x80000000007FFFFFull, "81 00 00 00 00 00", "just below half: down, lower bits ignored"},
        {0x8000000000FFFFFFull, "81 01 00 00 00 00", "above half: up"},
        {0x8000000001800000ull, "81 02 00 00 00 00", "half above an odd kept value: away, not to even"},
        {0xFFFFFFFFFF800000ull, "82 00 00 00 00 00", "carry out of the 40 bits: next exponent"},
        {0xFFFFFFFFFF7FFFFFull, "81 FF FF FF FF 7F", "no carry just below"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(actual_store(make_extended(false, 16383, c.significand)), c.bytes) << c.why;
        std::string negative = c.bytes;
        const unsigned top = std::stoul(negative.substr(15, 2), nullptr, 16) | 0x80;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02X", top & 0xFF);
        negative.replace(15, 2, buf);
        EXPECT_EQ(actual_store(make_extended(true, 16383, c.significand)), negative) << c.why << " (negative)";
    }
}

TEST(StoredReal, MatchesIntegerRuleOnRandomAndBoundaryValues) {
    std::mt19937_64 rng(20261207);
    const int exponent_edges[] = {0, 1, 16200, 16253, 16254, 16255, 16256, 16383, 16507, 16508, 16509, 16510, 32766};
    auto check = [](bool negative, int exponent, std::uint64_t significand) {
        const Extended x = make_extended(negative, exponent, significand);
        ASSERT_EQ(actual_store(x), reference_store(negative, exponent, significand))
            << std::hex << "significand " << significand << " exponent " << std::dec << exponent;
    };
    for (int n = 0; n < 200000; ++n) {
        const bool negative = rng() & 1;
        std::uint64_t significand = rng() | (std::uint64_t{1} << 63);
        int exponent;
        switch (n % 4) {
            case 0: exponent = 16254 - 70 + static_cast<int>(rng() % 400); break;
            case 1: exponent = exponent_edges[rng() % std::size(exponent_edges)]; break;
            default: exponent = 16254 + static_cast<int>(rng() % 256); break;
        }
        if (exponent == 0) significand >>= 1;  // a subnormal has no integer bit
        if (n % 3 == 0) {
            // One unit around the rounding boundary of the kept bits.
            const std::uint64_t boundary = (significand & ~((std::uint64_t{1} << 24) - 1)) | (std::uint64_t{1} << 23);
            const int delta = static_cast<int>(rng() % 3) - 1;
            significand = boundary + static_cast<std::uint64_t>(delta);
        }
        if (n % 97 == 0) significand |= 0xFFFFFFFFFF000000ull;  // carries
        check(negative, exponent, significand);
    }
}

TEST(StoredReal, BytesRoundTrip) {
    std::mt19937_64 rng(7);
    for (int n = 0; n < 100000; ++n) {
        std::array<std::uint8_t, 6> bytes;
        for (auto& b : bytes) b = static_cast<std::uint8_t>(rng());
        if (bytes[0] == 0) continue;
        const StoredReal r = StoredReal::from_bytes(bytes);
        ASSERT_EQ(r.to_bytes(), bytes);
        // A stored value stores unchanged.
        StoredReal again;
        ASSERT_TRUE(try_store_real(load_real(r), again));
        ASSERT_EQ(again.to_bytes(), bytes);
    }
}

}  // namespace
}  // namespace lpsens
