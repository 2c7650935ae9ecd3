#include "classic/perturbation.h"

#include <cmath>
#include <cstdint>

namespace lpsens {

namespace {

// A uniform number in [0, 1) from a 64-bit linear congruential sequence.
Extended next_uniform(std::uint64_t& state) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<Extended>(state >> 11) / static_cast<Extended>(std::uint64_t{1} << 53);
}

}  // namespace

void Perturbation::apply(ClassicState& cs) {
    const int m = cs.row_count;
    shift_.assign(m + 2, 0);
    std::uint64_t state = 0x5DEECE66DULL + static_cast<std::uint64_t>(applications_++);
    for (int i = 1; i <= m; ++i) {
        const Extended value = load_real(cs.tableau(i, 0));
        const Extended amount = (1 + next_uniform(state)) * perturbation_size * (1 + std::fabs(value));
        StoredReal& target = cs.tableau(i, 0);
        store_real(value + amount, target, Site::pivot_row);
        // What was really added, after the store's rounding.
        shift_[i] = load_real(target) - value;
    }
    active_ = true;
}

void Perturbation::track_exchange(const ClassicState& cs, int r, int s) {
    if (!active_) return;
    const int m = cs.row_count;
    const Extended p = load_real(cs.tableau(r, s));
    const Extended moved = shift_[r] / p;
    for (int i = 0; i <= m; ++i) {
        if (i == r) continue;
        shift_[i] -= moved * load_real(cs.tableau(i, s));
    }
    shift_[m + 1] -= moved * load_real(cs.phase1_row[s]);
    shift_[r] = moved;
}

void Perturbation::remove(ClassicState& cs) {
    if (!active_) return;
    const int m = cs.row_count;
    for (int i = 0; i <= m; ++i)
        store_real(load_real(cs.tableau(i, 0)) - shift_[i], cs.tableau(i, 0),
                   Site::pivot_row);
    store_real(load_real(cs.phase1_row[0]) - shift_[m + 1], cs.phase1_row[0],
               Site::pivot_phase1_row);
    active_ = false;
}

}  // namespace lpsens
