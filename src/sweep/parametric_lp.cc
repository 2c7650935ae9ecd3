#include "sweep/parametric_lp.h"

#include <cmath>
#include <map>

namespace lpsens::sweep {

ParametricLp::ParametricLp(revised::LpData lp, const Target& target, revised::Options options)
    : own_core_(std::make_unique<revised::RevisedSimplex>(std::move(lp), options)), core_(own_core_.get()),
      costs_(target.costs), bounds_(target.bounds), target_(target) {
    set_up(target);
}

ParametricLp::ParametricLp(revised::RevisedSimplex& core, const Target& target)
    : core_(&core), costs_(target.costs), bounds_(target.bounds), target_(target) {
    set_up(target);
}

void ParametricLp::set_up(const Target& target) {
    const std::size_t count = target.items.size();
    if (count == 1) theta_end_ = std::fabs(target.items[0].end - target.items[0].start);
    else theta_end_ = count == 0 ? 0.0 : 1.0;
    std::map<int, std::size_t> slot;  // moving index -> its place
    for (std::size_t k = 0; k < target.items.size(); ++k) {
        const Item& item = target.items[k];
        const double move = item.end - item.start;
        const double rate = theta_end_ == 0 ? 0.0 : count == 1 ? (move < 0 ? -1.0 : 1.0) : move;
        item_rate_.push_back(rate);
        auto [at, added] = slot.try_emplace(item.index, moving_.size());
        if (added) {
            moving_.push_back(item.index);
            const revised::LpData& data = core_->lp();
            const int i = item.index;
            base_lower_.push_back(costs_ ? data.cost[i] : bounds_ ? data.col_lower[i] : data.row_lower[i]);
            base_upper_.push_back(costs_ ? data.cost[i] : bounds_ ? data.col_upper[i] : data.row_upper[i]);
            side_.push_back(bounds_ && k < target.sides.size() ? target.sides[k] : BoundSide::both);
            offset_.push_back(0.0);
            rate_.push_back(0.0);
        }
        offset_[at->second] += item.start - item.reference;
        rate_[at->second] += rate;
    }
}

std::vector<double> ParametricLp::item_values(double theta) const {
    std::vector<double> values;
    for (std::size_t k = 0; k < target_.items.size(); ++k) {
        const Item& item = target_.items[k];
        // The end itself where the sweep reaches it, not start + length.
        values.push_back(theta >= theta_end_ ? item.end : item.start + theta * item_rate_[k]);
    }
    return values;
}

void ParametricLp::values_at(std::size_t k, double theta, double& lower, double& upper) const {
    const double shift = offset_[k] + theta * rate_[k];
    const bool low = side_[k] != BoundSide::upper, up = side_[k] != BoundSide::lower;
    lower = low && std::isfinite(base_lower_[k]) ? base_lower_[k] + shift : base_lower_[k];
    upper = up && std::isfinite(base_upper_[k]) ? base_upper_[k] + shift : base_upper_[k];
}

void ParametricLp::move_to(double theta) {
    theta_ = theta;
    for (std::size_t k = 0; k < moving_.size(); ++k) {
        double lower, upper;
        values_at(k, theta, lower, upper);
        if (costs_) core_->set_cost(moving_[k], lower);
        else if (bounds_) core_->set_col_bounds(moving_[k], lower, upper);
        else core_->set_row_bounds(moving_[k], lower, upper);
    }
}

revised::LpData ParametricLp::lp_at(double theta) const {
    revised::LpData lp = core_->lp();
    for (std::size_t k = 0; k < moving_.size(); ++k) {
        const auto i = static_cast<std::size_t>(moving_[k]);
        double lower, upper;
        values_at(k, theta, lower, upper);
        if (costs_) {
            lp.cost[i] = lower;
        } else if (bounds_) {
            lp.col_lower[i] = lower;
            lp.col_upper[i] = upper;
        } else {
            lp.row_lower[i] = lower;
            lp.row_upper[i] = upper;
        }
    }
    return lp;
}

bool ParametricLp::follows_bound(int k, const revised::LpSolution& solution) const {
    const auto j = static_cast<std::size_t>(moving_[k]);
    const BoundSide side = side_[k];
    switch (solution.basis.col_status[j]) {
        case revised::BasisStatus::at_lower: return side != BoundSide::upper;
        case revised::BasisStatus::at_upper: return side != BoundSide::lower;
        case revised::BasisStatus::fixed: {
            if (side == BoundSide::both) return true;
            // Only the upper bound rising, or the lower one falling, opens
            // room; the value takes it where that lowers a minimisation's
            // objective (raises a maximisation's).
            const double opens = side == BoundSide::upper ? rate_[k] : -rate_[k];
            const double gain = (maximise() ? -1.0 : 1.0) * solution.reduced_cost[j] * (side == BoundSide::upper ? 1.0 : -1.0);
            return opens > 0 && gain < 0;
        }
        default: return false;
    }
}

double ParametricLp::slope(const revised::LpSolution& solution) const {
    long double sum = 0;
    for (std::size_t k = 0; k < moving_.size(); ++k) {
        const auto i = static_cast<std::size_t>(moving_[k]);
        sum += static_cast<long double>(rate_[k]) *
               (costs_ ? solution.col_value[i]
                       : bounds_ ? (follows_bound(static_cast<int>(k), solution) ? solution.reduced_cost[i] : 0.0)
                                 : solution.row_dual[i]);
    }
    return static_cast<double>(sum);
}

}  // namespace lpsens::sweep
