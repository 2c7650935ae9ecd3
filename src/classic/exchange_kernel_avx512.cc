// The AVX-512 kernel of the exchange step: the AVX2 kernel's lane test on
// eight lanes (see exchange_kernel.h for why each lane it takes is exact).
// This file alone is compiled for AVX-512F; it defines no inline function
// that other files could pick up.
#include <immintrin.h>

#include <cstdint>

#include "classic/exchange_kernel.h"

namespace lpsens {

namespace {
constexpr std::int64_t lowest_magnitude = std::int64_t{896} << 52;
constexpr std::int64_t highest_magnitude = (std::int64_t{1149} << 52) - 1;
}  // namespace

std::size_t eliminate_avx512(double* target, const double* pivot, double f, std::size_t count) {
    const __m512d fv = _mm512_set1_pd(f);
    const __m512i magnitude_mask = _mm512_set1_epi64(0x7FFFFFFFFFFFFFFFLL);
    const __m512i low_mask = _mm512_set1_epi64(0x1FFF);
    const __m512i below_midpoint = _mm512_set1_epi64(0x0FFF);
    const __m512i two = _mm512_set1_epi64(2);
    const __m512i times_256 = _mm512_set1_epi64(std::int64_t{8} << 52);
    const __m512i half = _mm512_set1_epi64(0x1000);
    const __m512i keep = _mm512_set1_epi64(~std::int64_t{0x1FFF});
    const __m512i lowest = _mm512_set1_epi64(lowest_magnitude);
    const __m512i span = _mm512_set1_epi64(highest_magnitude - lowest_magnitude);
    // Lanes the test cannot settle are written by the vector path first and
    // then, in ascending order, by the extended-precision formula from their
    // original operands (kept aside); the hot loop itself calls nothing.
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
    while (j + 8 <= count) {
        // The inner loop calls nothing, so its constants stay in registers.
        for (; j + 8 <= count && waiting <= buffer - 8; j += 8) {
            const __m512d t = _mm512_loadu_pd(target + j);
            const __m512d r = _mm512_fnmadd_pd(_mm512_loadu_pd(pivot + j), fv, t);
            const __m512i bits = _mm512_castpd_si512(r);
            const __m512i magnitude = _mm512_and_epi64(bits, magnitude_mask);
            // Each test narrows the mask of settled lanes:
            // the 13 low bits at least 2 away from the midpoint 0x1000,
            __mmask8 settled = _mm512_cmpgt_epu64_mask(
                _mm512_and_epi64(_mm512_sub_epi64(bits, below_midpoint), low_mask), two);
            // |t| <= 256 |r|, so |p f| <= 512 |r| (no heavy cancellation),
            settled = _mm512_mask_cmple_epu64_mask(settled,
                                                   _mm512_and_epi64(_mm512_castpd_si512(t), magnitude_mask),
                                                   _mm512_add_epi64(magnitude, times_256));
            // the rounded magnitude well inside the stored range,
            const __m512i rounded = _mm512_and_epi64(_mm512_add_epi64(magnitude, half), keep);
            settled = _mm512_mask_cmple_epu64_mask(settled, _mm512_sub_epi64(rounded, lowest), span);
            // or an exact zero.
            settled |= _mm512_testn_epi64_mask(magnitude, magnitude);
            // The rounded magnitude with the sign of r.
            const __m512d result =
                _mm512_castsi512_pd(_mm512_ternarylogic_epi64(rounded, bits, magnitude_mask, 0xF4));
            if (settled != 0xFF)
                for (std::size_t k = 0; k < 8; ++k)
                    if (((settled >> k) & 1) == 0) {
                        original[waiting] = target[j + k];
                        open[waiting++] = j + k;
                    }
            _mm512_storeu_pd(target + j, result);
        }
        if (const std::size_t stop = settle(); stop != count) return stop;
    }
    for (; j < count; ++j)
        if (!exact_entry(target[j], pivot[j], f, target[j])) return j;
    return count;
}

}  // namespace lpsens
