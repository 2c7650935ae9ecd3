#include "simplex/cycle_guard.h"

namespace lpsens {

std::string CycleGuard::key_of(const Workspace& ws) {
    return std::string(reinterpret_cast<const char*>(ws.basis_label.data() + 1),
                       sizeof(std::int32_t) * static_cast<std::size_t>(ws.row_count));
}

CycleGuard::Verdict CycleGuard::observe(const Workspace& ws) {
    if (!cycling_) {
        if (seen_.insert(key_of(ws)).second) return Verdict::normal;
        cycling_ = true;
    }
    if (!seen_while_cycling_.insert(key_of(ws)).second) return Verdict::give_up;
    return Verdict::cycling;
}

void CycleGuard::exchanged(bool constant_changed) {
    if (!constant_changed) return;
    seen_.clear();
    seen_while_cycling_.clear();
    cycling_ = false;
}

}  // namespace lpsens
