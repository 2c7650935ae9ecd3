#include "revised/dual_ratio_test.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <utility>

namespace lpsens::revised {

void DualRatioTest::choose(const TableauRow& row, double delta, const SimplexState& s, int updates, DualStep& step) {
    step.entering = -1;
    step.alpha = 0;
    step.theta_dual = 0;
    step.flips.clear();
    group_end_.clear();

    const double min_alpha = updates < 10 ? 1e-9 : updates < 20 ? 3e-8 : std::max(s.tol.pivot, 3e-8);
    const double td = s.tol.dual;
    const double move_out = delta < 0 ? -1.0 : 1.0;

    // Candidates, and Harris's bound on the step over all of them; raw
    // pointers and a buffer of full size keep calls out of the loop.
    const std::span<const int> vars = row.nonzero_vars();
    if (candidates_.size() < vars.size()) candidates_.resize(vars.size());
    Candidate* candidate = candidates_.data();
    std::size_t total = 0;
    const double* lower_by_var = s.lower_by_var.data();
    const double* upper_by_var = s.upper_by_var.data();
    const double* d_by_var = s.d_by_var.data();
    const VarStatus* status = s.basis.status_by_var.data();
    double harris = infinity;
    for (const int var : vars) {
        if (lower_by_var[var] == upper_by_var[var]) continue;
        const double alpha = row.value(var) * move_out;
        double move;
        switch (status[var]) {
            case VarStatus::at_lower: move = 1.0; break;
            case VarStatus::at_upper: move = -1.0; break;
            case VarStatus::at_zero: move = alpha > 0 ? 1.0 : -1.0; break;
            default: continue;
        }
        const double a = alpha * move;
        if (a <= min_alpha) continue;
        const double tight = move * d_by_var[var];
        candidate[total++] = {var, a, tight};
        if (harris * a > tight + td) harris = (tight + td) / a;
    }
    if (total == 0) return;

    // Groups of breakpoints while the slope stays positive.
    const double slope = std::fabs(delta);
    double change = 0;
    double select = harris;
    std::size_t done = 0;
    while (done < total) {
        double next_select = infinity;
        for (std::size_t i = done; i < total; ++i) {
            const Candidate c = candidates_[i];
            if (c.tight <= select * c.alpha) {
                std::swap(candidates_[done++], candidates_[i]);
                const double range = s.upper_by_var[c.var] - s.lower_by_var[c.var];
                change += c.alpha * range;
            } else if (c.tight + td < next_select * c.alpha) {
                next_select = (c.tight + td) / c.alpha;
            }
        }
        if (group_end_.empty() ? done == 0 : static_cast<int>(done) == group_end_.back()) break;  // no progress
        group_end_.push_back(static_cast<int>(done));
        if (change >= slope) break;
        select = next_select;
    }
    if (group_end_.empty()) return;

    // The entering variable: largest |alpha| of the last group whose largest
    // entry is not small against the largest of all.
    double largest = 0;
    for (std::size_t i = 0; i < done; ++i) largest = std::max(largest, candidates_[i].alpha);
    const double acceptable = std::min(0.1 * largest, 1.0);
    int chosen = -1;
    int chosen_group = -1;
    for (int g = static_cast<int>(group_end_.size()) - 1; g >= 0 && chosen < 0; --g) {
        const int from = g == 0 ? 0 : group_end_[g - 1];
        double best = 0;
        int best_i = -1;
        for (int i = from; i < group_end_[g]; ++i) {
            if (candidates_[i].alpha > best ||
                (candidates_[i].alpha == best && best_i >= 0 && candidates_[i].var < candidates_[best_i].var)) {
                best = candidates_[i].alpha;
                best_i = i;
            }
        }
        if (best_i >= 0 && best > acceptable) {
            chosen = best_i;
            chosen_group = g;
        }
    }
    if (chosen < 0) return;

    const Candidate& c = candidates_[chosen];
    step.entering = c.var;
    step.alpha = row.value(c.var);
    step.theta_dual = c.tight > 0 ? s.d_by_var[c.var] / step.alpha : 0.0;
    if (step.theta_dual != 0.0) {
        const int flips_end = chosen_group == 0 ? 0 : group_end_[chosen_group - 1];
        for (int i = 0; i < flips_end; ++i) step.flips.push_back(candidates_[i].var);
    }
}

}  // namespace lpsens::revised
