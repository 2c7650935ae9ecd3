// Protection of the exchange loops against cycling.
//
// A loop keeps the set of bases (basis_label[1..M]) seen since its last
// exchange that changed its objective constant.  When a basis comes round
// again the loop switches to the smallest-code rules, which cannot cycle; an
// exchange that changes the constant empties the set and switches back.
// Should a basis still repeat under the smallest-code rules (only rounding
// could do that), the loop is told to give up rather than run forever.
#pragma once

#include <string>
#include <unordered_set>

#include "model/workspace.h"

namespace lpsens {

class CycleGuard {
public:
    enum class Verdict { normal, cycling, give_up };

    // Called at the top of each iteration with the current basis.
    Verdict observe(const Workspace& ws);
    // Called after an exchange; `constant_changed` tells whether the loop's
    // objective constant moved.
    void exchanged(bool constant_changed);
    bool cycling() const { return cycling_; }

private:
    static std::string key_of(const Workspace& ws);

    std::unordered_set<std::string> seen_;
    std::unordered_set<std::string> seen_while_cycling_;
    bool cycling_ = false;
};

}  // namespace lpsens
