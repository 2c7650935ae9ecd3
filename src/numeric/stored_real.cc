#include "numeric/stored_real.h"

#include <cstring>

#include "numeric/run_error.h"

namespace lpsens {

void throw_store_overflow(Site site) {
    throw RunError(error_code::overflow, site,
                   "a number is too large for the stored format (magnitude 1.7e38 or more)");
}

StoredReal stored(Extended x) {
    StoredReal r;
    store_real(x, r);
    return r;
}

std::array<std::uint8_t, 6> StoredReal::to_bytes() const {
    std::array<std::uint8_t, 6> bytes{};
    if (value == 0.0) return bytes;
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    const bool negative = (bits >> 63) != 0;
    const int e = static_cast<int>((bits >> 52) & 0x7FF) - 1023 + StoredFormat::exponent_bias;
    const std::uint64_t fraction = (bits & ((std::uint64_t{1} << 52) - 1)) >> (52 - StoredFormat::fraction_bits);
    const std::uint64_t low40 = fraction | (static_cast<std::uint64_t>(negative) << 39);
    bytes[0] = static_cast<std::uint8_t>(e);
    for (int i = 0; i < 5; ++i) bytes[1 + i] = static_cast<std::uint8_t>(low40 >> (8 * i));
    return bytes;
}

StoredReal StoredReal::from_bytes(const std::array<std::uint8_t, 6>& bytes) {
    StoredReal r;
    if (bytes[0] == 0) return r;
    std::uint64_t low40 = 0;
    for (int i = 0; i < 5; ++i) low40 |= static_cast<std::uint64_t>(bytes[1 + i]) << (8 * i);
    const bool negative = (low40 >> 39) != 0;
    r.value = stored_double(negative, bytes[0], low40 & ((std::uint64_t{1} << StoredFormat::fraction_bits) - 1));
    return r;
}

}  // namespace lpsens
