#include "classic/cycle_guard.h"

namespace lpsens {

namespace {

std::uint32_t code_of(VariableId v) { return static_cast<std::uint32_t>(variable_code(v)); }

// Two multiply-xorshift mixes with different constants over the labels'
// codes, taken two at a time as 64-bit words.
std::uint64_t mix_hash(const VariableId* labels, int count, std::uint64_t seed, std::uint64_t multiplier) {
    std::uint64_t h = seed;
    int i = 0;
    for (; i + 1 < count; i += 2) {
        const std::uint64_t word = code_of(labels[i]) | (static_cast<std::uint64_t>(code_of(labels[i + 1])) << 32);
        h = (h ^ word) * multiplier;
        h ^= h >> 29;
    }
    if (i < count) {
        h = (h ^ code_of(labels[i])) * multiplier;
        h ^= h >> 29;
    }
    return h ^ static_cast<std::uint64_t>(count);
}

}  // namespace

BasisKey basis_key(const ClassicState& cs) {
    const VariableId* labels = cs.basis_label.data() + 1;
    return {mix_hash(labels, cs.row_count, 0xcbf29ce484222325ULL, 0x100000001b3ULL | 0x9E3779B97F4A7C15ULL),
            mix_hash(labels, cs.row_count, 0x9E3779B97F4A7C15ULL, 0xBF58476D1CE4E5B9ULL)};
}

bool CycleGuard::Memory::insert(const BasisKey& key, std::size_t window) {
    if (!keys.insert(key).second) return false;
    order.push_back(key);
    if (order.size() > window) {
        keys.erase(order.front());
        order.pop_front();
    }
    return true;
}

CycleGuard::Verdict CycleGuard::observe(const ClassicState& cs) {
    const BasisKey key = basis_key(cs);
    if (!cycling_) {
        if (seen_.insert(key, window_)) return Verdict::normal;
        cycling_ = true;
    }
    if (!seen_while_cycling_.insert(key, window_)) return Verdict::give_up;
    return Verdict::cycling;
}

void CycleGuard::exchanged(bool constant_changed) {
    if (!constant_changed) return;
    seen_.clear();
    seen_while_cycling_.clear();
    cycling_ = false;
}

}  // namespace lpsens
