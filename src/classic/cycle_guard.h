// Protection of the exchange loops against cycling.
//
// A loop keeps the bases (basis_label[1..M]) seen since its last exchange
// that changed its objective constant.  When a basis comes round again the
// loop switches to the smallest-code rules, which cannot cycle; an exchange
// that changes the constant forgets them and switches back.  Should a basis
// still repeat under the smallest-code rules (only rounding could do that),
// the loop is told to give up rather than run forever.
//
// Memory stays bounded: a basis is kept as a 128-bit hash of its labels, and
// only the most recent `window` bases are remembered.  A cycle longer than
// the window is not seen here; the stall and exchange bounds of the loops
// catch it instead.
#pragma once

#include <cstdint>
#include <deque>
#include <unordered_set>

#include "classic/classic_state.h"

namespace lpsens {

struct BasisKey {
    std::uint64_t low = 0;
    std::uint64_t high = 0;
    friend bool operator==(const BasisKey&, const BasisKey&) = default;
};

struct BasisKeyHash {
    std::size_t operator()(const BasisKey& k) const { return static_cast<std::size_t>(k.low ^ (k.high * 31)); }
};

// Two independent 64-bit hashes of basis_label[1..M].
BasisKey basis_key(const ClassicState& cs);

class CycleGuard {
public:
    enum class Verdict { normal, cycling, give_up };

    static constexpr std::size_t default_window = 4096;
    explicit CycleGuard(std::size_t window = default_window) : window_(window) {}

    // Called at the top of each iteration with the current basis.
    Verdict observe(const ClassicState& cs);
    // Called after an exchange; `constant_changed` tells whether the loop's
    // objective constant moved.
    void exchanged(bool constant_changed);
    bool cycling() const { return cycling_; }
    std::size_t remembered() const { return seen_.size() + seen_while_cycling_.size(); }

private:
    struct Memory {
        std::unordered_set<BasisKey, BasisKeyHash> keys;
        std::deque<BasisKey> order;
        std::size_t size() const { return keys.size(); }
        void clear() {
            keys.clear();
            order.clear();
        }
        // false when the key was already there.
        bool insert(const BasisKey& key, std::size_t window);
    };

    std::size_t window_;
    Memory seen_;
    Memory seen_while_cycling_;
    bool cycling_ = false;
};

}  // namespace lpsens
