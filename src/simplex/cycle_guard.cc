#include "simplex/cycle_guard.h"

namespace lpsens {

namespace {

// FNV-1a and a multiply-xorshift mix, each over the labels as 32-bit words.
std::uint64_t fnv_hash(const std::int32_t* labels, int count) {
    std::uint64_t h = 0xcbf29ce484222325ULL;
    for (int i = 0; i < count; ++i) {
        std::uint32_t word = static_cast<std::uint32_t>(labels[i]);
        for (int b = 0; b < 4; ++b) {
            h ^= (word >> (8 * b)) & 0xFF;
            h *= 0x100000001b3ULL;
        }
    }
    return h;
}

std::uint64_t mix_hash(const std::int32_t* labels, int count) {
    std::uint64_t h = 0x9E3779B97F4A7C15ULL;
    for (int i = 0; i < count; ++i) {
        h ^= static_cast<std::uint32_t>(labels[i]) + 0x9E3779B97F4A7C15ULL + (h << 6) + (h >> 2);
        h *= 0xBF58476D1CE4E5B9ULL;
        h ^= h >> 31;
    }
    return h;
}

}  // namespace

BasisKey basis_key(const Workspace& ws) {
    const std::int32_t* labels = ws.basis_label.data() + 1;
    return {fnv_hash(labels, ws.row_count), mix_hash(labels, ws.row_count)};
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

CycleGuard::Verdict CycleGuard::observe(const Workspace& ws) {
    const BasisKey key = basis_key(ws);
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
