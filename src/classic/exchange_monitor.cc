#include "classic/exchange_monitor.h"

#include <algorithm>
#include <cmath>

namespace lpsens {

namespace {

long problem_size(const ClassicState& cs) {
    return static_cast<long>(cs.row_count) + static_cast<long>(cs.column_count());
}

}  // namespace

long exchange_cap(const ClassicState& cs) { return exchange_cap(cs.settings, cs.row_count, cs.column_count()); }

long stall_limit(const ClassicState& cs) { return 5 * problem_size(cs) + 500; }

ExchangeMonitor::ExchangeMonitor(ClassicState& cs, Extended start_objective)
    : log_(cs.log),
      longest_stall_(cs.longest_stall),
      cap_(exchange_cap(cs)),
      stall_limit_(stall_limit(cs)),
      start_(start_objective),
      best_(start_objective),
      magnitude_(std::max<Extended>(1, std::fabs(start_objective))),
      watch_fall_(!cs.objective_may_fall) {}

Extended ExchangeMonitor::tolerance() const { return progress_tolerance * magnitude_; }
Extended ExchangeMonitor::fall_limit() const { return fall_tolerance * magnitude_; }

ExchangeMonitor::Event ExchangeMonitor::exchanged(Extended objective) {
    ++count_;
    ++log_.exchanges;
    magnitude_ = std::max(magnitude_, std::fabs(objective));
    if (objective > best_ + tolerance()) {
        best_ = objective;
        stretch_ = 0;
        stall_reported_ = false;
    } else {
        ++stretch_;
        longest_stall_ = std::max(longest_stall_, stretch_);
        best_ = std::max(best_, objective);
    }
    if (watch_fall_ && objective < best_ - fall_limit()) return Event::numbers_lost;
    if (count_ >= cap_) return Event::cap_reached;
    if (stretch_ >= stall_limit_ && !stall_reported_) {
        stall_reported_ = true;
        return Event::stalled;
    }
    return Event::none;
}

void ExchangeMonitor::restart(Extended objective) {
    best_ = objective;
    stretch_ = 0;
    stall_reported_ = false;
    magnitude_ = std::max(magnitude_, std::fabs(objective));
}

}  // namespace lpsens
