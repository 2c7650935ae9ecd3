#include "simplex/exchange_monitor.h"

#include <algorithm>
#include <cmath>

namespace lpsens {

namespace {

long problem_size(const Workspace& ws) {
    return static_cast<long>(ws.row_count) + static_cast<long>(ws.column_count());
}

}  // namespace

long exchange_cap(const Workspace& ws) {
    if (ws.exchange.max_exchanges > 0) return ws.exchange.max_exchanges;
    return 50 * problem_size(ws) + 1000;
}

long stall_limit(const Workspace& ws) { return 5 * problem_size(ws) + 500; }

ExchangeMonitor::ExchangeMonitor(Workspace& ws, Extended start_objective)
    : log_(ws.exchange_log),
      cap_(exchange_cap(ws)),
      stall_limit_(stall_limit(ws)),
      start_(start_objective),
      best_(start_objective),
      magnitude_(std::max<Extended>(1, std::fabs(start_objective))),
      watch_fall_(!ws.exchange.objective_may_fall) {}

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
        log_.longest_stall = std::max(log_.longest_stall, stretch_);
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
