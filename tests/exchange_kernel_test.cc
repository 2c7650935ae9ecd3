// Every exchange kernel gives, entry for entry and bit for bit, the stored
// value of the extended-precision formula stored(t - p f): on a large seeded
// random set, and on constructed cases at the edges of the lane test.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <vector>

#include "numeric/stored_real.h"
#include "classic/exchange_kernel.h"

namespace lpsens {
namespace {

std::vector<KernelKind> available_kernels() {
    std::vector<KernelKind> kinds;
    for (KernelKind k : {KernelKind::scalar, KernelKind::avx2, KernelKind::avx512})
        if (kernel_available(k)) kinds.push_back(k);
    return kinds;
}

// A stored value with the given sign, stored exponent byte (1..255) and
// 39-bit fraction.
double make_stored(bool negative, int exponent, std::uint64_t fraction) {
    return stored_double(negative, exponent, fraction & ((std::uint64_t{1} << 39) - 1));
}

std::uint64_t bits_of(double x) {
    std::uint64_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// The formula entry by entry: the reference.
std::size_t reference(std::vector<double>& t, const std::vector<double>& p, double f) {
    for (std::size_t j = 0; j < t.size(); ++j)
        if (!exact_entry(t[j], p[j], f, t[j])) return j;
    return t.size();
}

// Runs every kernel on (t, p, f) and compares with the reference: the return
// value, and every entry up to it.
void expect_exact(const std::vector<double>& t, const std::vector<double>& p, double f, const char* what) {
    std::vector<double> want = t;
    const std::size_t stop = reference(want, p, f);
    for (KernelKind kind : available_kernels()) {
        std::vector<double> got = t;
        const std::size_t at = kernel_function(kind)(got.data(), p.data(), f, got.size());
        ASSERT_EQ(at, stop) << kernel_name(kind) << " " << what;
        for (std::size_t j = 0; j < stop; ++j)
            ASSERT_EQ(bits_of(got[j]), bits_of(want[j]))
                << kernel_name(kind) << " " << what << " entry " << j << std::hexfloat << ": t " << t[j] << " p "
                << p[j] << " f " << f << " got " << got[j] << " want " << want[j];
    }
}

TEST(ExchangeKernel, RandomOperandsOverTheWholeRange) {
    std::mt19937_64 rng(20261207);
    for (int round = 0; round < 1000; ++round) {
        // Exponents drawn near each other (ordinary tableaux) or anywhere.
        const int centre = 2 + static_cast<int>(rng() % 252);
        const int spread = round % 2 ? 3 : 60;
        auto exponent = [&] { return std::clamp(centre + static_cast<int>(rng() % (2 * spread + 1)) - spread, 1, 255); };
        const std::size_t n = 4093;  // not a multiple of the lane counts
        std::vector<double> t(n), p(n);
        for (std::size_t j = 0; j < n; ++j) {
            t[j] = rng() % 7 == 0 ? 0.0 : make_stored(rng() & 1, exponent(), rng());
            p[j] = rng() % 5 == 0 ? 0.0 : make_stored(rng() & 1, exponent(), rng());
        }
        const double f = make_stored(rng() & 1, std::clamp(129 + static_cast<int>(rng() % 21) - 10, 1, 255), rng());
        expect_exact(t, p, f, "random");
    }
}

TEST(ExchangeKernel, ResultsAtAndBesideTheRoundingMidpoints) {
    // t - p with p a few bits below t's last place: the difference lands on a
    // 40-bit midpoint, beside it, or carries into the next binade.
    std::mt19937_64 rng(7);
    std::vector<double> t, p;
    for (int k = 0; k < 20000; ++k) {
        const int e = 100 + static_cast<int>(rng() % 60);
        const std::uint64_t fraction = k % 3 == 0 ? (std::uint64_t{1} << 39) - 1 - (rng() % 4) : rng();
        t.push_back(make_stored(rng() & 1, e, k % 5 == 0 ? 0 : fraction));
        p.push_back(make_stored(rng() & 1, e - 38 - static_cast<int>(rng() % 5), rng() % 8));
    }
    for (double f : {1.0, -1.0, 0.5, 2.0}) expect_exact(t, p, f, "midpoints");
}

TEST(ExchangeKernel, HeavyCancellationWhereTheProductsRoundingDecides) {
    std::mt19937_64 rng(11);
    std::vector<double> t, p;
    const double f = make_stored(false, 129, rng());  // a factor near 1.5 with a full fraction
    for (int k = 0; k < 20000; ++k) {
        const double pj = make_stored(rng() & 1, 120 + static_cast<int>(rng() % 20), rng());
        StoredReal near;
        store_real(static_cast<Extended>(pj) * f, near);
        // t at the stored product or a few stored units beside it.
        const std::uint64_t b = bits_of(near.value) + ((static_cast<std::uint64_t>(rng() % 7) - 3) << 13);
        double tj;
        std::memcpy(&tj, &b, sizeof tj);
        t.push_back(tj);
        p.push_back(pj);
    }
    expect_exact(t, p, f, "cancellation");
}

TEST(ExchangeKernel, SmallestAndLargestStoredExponents) {
    std::mt19937_64 rng(13);
    std::vector<double> t, p;
    for (int k = 0; k < 4000; ++k) {
        const bool low = k % 2 == 0;
        t.push_back(make_stored(rng() & 1, low ? 1 + static_cast<int>(rng() % 4) : 252 + static_cast<int>(rng() % 3), rng()));
        p.push_back(make_stored(rng() & 1, low ? 1 + static_cast<int>(rng() % 4) : 120 + static_cast<int>(rng() % 6), rng()));
    }
    // Small results underflow to zero; large ones stay just inside the range.
    expect_exact(t, p, make_stored(false, 129, rng()), "range ends");
}

TEST(ExchangeKernel, OverflowStopsAtTheSameEntry) {
    std::mt19937_64 rng(17);
    for (std::size_t bad : {0u, 5u, 8u, 13u, 63u, 64u, 100u}) {
        std::vector<double> t(129), p(129);
        for (std::size_t j = 0; j < t.size(); ++j) {
            t[j] = make_stored(rng() & 1, 129, rng());
            p[j] = make_stored(rng() & 1, 129, rng());
        }
        t[bad] = make_stored(false, 255, (std::uint64_t{1} << 39) - 1);  // the largest stored value
        p[bad] = make_stored(true, 255, 0);                              // minus a huge one: beyond the range
        expect_exact(t, p, 1.0, "overflow");
    }
}

}  // namespace
}  // namespace lpsens
