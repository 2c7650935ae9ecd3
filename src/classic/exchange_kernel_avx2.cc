// The AVX2 + FMA kernel of the exchange step (see exchange_kernel.h for why
// each lane it takes is exact).  This file alone is compiled for AVX2 and
// FMA; it defines no inline function that other files could pick up.
#include <immintrin.h>

#include <cstdint>

#include "classic/exchange_kernel.h"

namespace lpsens {

namespace {
// Rounded magnitudes whose double exponent lies in [896, 1148] are well
// inside the stored range (double exponents 895 to 1149).
constexpr std::int64_t lowest_magnitude = std::int64_t{896} << 52;
constexpr std::int64_t highest_magnitude = (std::int64_t{1149} << 52) - 1;
}  // namespace

std::size_t eliminate_avx2(double* target, const double* pivot, double f, std::size_t count) {
    const __m256d fv = _mm256_set1_pd(f);
    const __m256i magnitude_mask = _mm256_set1_epi64x(0x7FFFFFFFFFFFFFFFLL);
    const __m256i low_mask = _mm256_set1_epi64x(0x1FFF);
    const __m256i below_midpoint = _mm256_set1_epi64x(0x0FFF);
    const __m256i two = _mm256_set1_epi64x(2);
    const __m256i times_256 = _mm256_set1_epi64x(std::int64_t{8} << 52);
    const __m256i half = _mm256_set1_epi64x(0x1000);
    const __m256i keep = _mm256_set1_epi64x(~std::int64_t{0x1FFF});
    const __m256i lowest = _mm256_set1_epi64x(lowest_magnitude);
    const __m256i highest = _mm256_set1_epi64x(highest_magnitude);
    const __m256i zero = _mm256_setzero_si256();
    // Lanes the test cannot settle are written by the vector path first and
    // then, in ascending order, by the extended-precision formula from their
    // original operands (kept aside).
    constexpr std::size_t buffer = 64;
    std::size_t open[buffer];
    double original[buffer];
    std::size_t waiting = 0;
    auto settle = [&] {
        const std::size_t stop = settle_open_lanes(target, pivot, f, open, original, waiting, count);
        waiting = 0;
        return stop;
    };
    std::size_t j = 0;
    while (j + 4 <= count) {
        // The inner loop calls nothing, so its constants stay in registers.
        // All magnitudes are below 2^63, so signed comparisons order them.
        for (; j + 4 <= count && waiting <= buffer - 4; j += 4) {
            const __m256d t = _mm256_loadu_pd(target + j);
            const __m256d r = _mm256_fnmadd_pd(_mm256_loadu_pd(pivot + j), fv, t);
            const __m256i bits = _mm256_castpd_si256(r);
            const __m256i magnitude = _mm256_and_si256(bits, magnitude_mask);
            const __m256i rounded = _mm256_and_si256(_mm256_add_epi64(magnitude, half), keep);
            // Unsettled: the 13 low bits within 2 of the midpoint 0x1000,
            __m256i open_lanes =
                _mm256_cmpgt_epi64(two, _mm256_and_si256(_mm256_sub_epi64(bits, below_midpoint), low_mask));
            // or |t| > 256 |r| (heavy cancellation),
            open_lanes = _mm256_or_si256(
                open_lanes, _mm256_cmpgt_epi64(_mm256_and_si256(_mm256_castpd_si256(t), magnitude_mask),
                                               _mm256_add_epi64(magnitude, times_256)));
            // or a nonzero rounded magnitude near the ends of the stored range.
            const __m256i out_of_range =
                _mm256_or_si256(_mm256_cmpgt_epi64(lowest, rounded), _mm256_cmpgt_epi64(rounded, highest));
            open_lanes = _mm256_or_si256(
                open_lanes, _mm256_andnot_si256(_mm256_cmpeq_epi64(magnitude, zero), out_of_range));
            const __m256d result =
                _mm256_castsi256_pd(_mm256_or_si256(rounded, _mm256_andnot_si256(magnitude_mask, bits)));
            const int lanes = _mm256_movemask_pd(_mm256_castsi256_pd(open_lanes));
            if (lanes != 0)
                for (std::size_t k = 0; k < 4; ++k)
                    if ((lanes >> k) & 1) {
                        original[waiting] = target[j + k];
                        open[waiting++] = j + k;
                    }
            _mm256_storeu_pd(target + j, result);
        }
        if (const std::size_t stop = settle(); stop != count) return stop;
    }
    for (; j < count; ++j)
        if (!exact_entry(target[j], pivot[j], f, target[j])) return j;
    return count;
}

}  // namespace lpsens
