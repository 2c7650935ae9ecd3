// The watch every exchange loop keeps over itself, so that every run ends.
//
// A simplex phase can only raise its objective in exact arithmetic.  The
// monitor follows the loop's objective after each exchange and tells the loop
// when:
//   - the objective has fallen below its best so far by more than rounding
//     noise: the numbers are lost, and exchanging on only makes them worse;
//   - a long stretch of exchanges has brought no progress beyond noise: the
//     loop is stalling on a degenerate vertex and should perturb;
//   - the loop has made as many exchanges as it may.
//
// Both measures are relative to the largest magnitude the objective has had
// in the loop (at least 1): an exchange makes progress when it raises the
// best objective by more than progress_tolerance times that magnitude; the
// numbers are lost when the objective falls below its best by more than
// fall_tolerance times it.  The stored format keeps about 12 digits, and the
// classic ratio test, which passes over entries up to 0.00001, lets the
// objective of a sound run slip by a few units in the ninth digit; a fall in
// the sixth digit is far beyond both.
// The stretch and the cap grow with the size of the problem, so the small and
// well-behaved problems never reach them.
#pragma once

#include "numeric/stored_real.h"
#include "classic/classic_state.h"

namespace lpsens {

inline constexpr Extended progress_tolerance = 1e-9L;
inline constexpr Extended fall_tolerance = 1e-6L;

// Exchanges one loop may make: the option's value, or 50 (M + N + K2) + 1000.
long exchange_cap(const ClassicState& cs);

// Exchanges without progress after which a loop perturbs: 5 (M + N + K2) + 500.
long stall_limit(const ClassicState& cs);

class ExchangeMonitor {
public:
    enum class Event { none, stalled, numbers_lost, cap_reached };

    ExchangeMonitor(ClassicState& cs, Extended start_objective);

    // After each exchange, with the loop's objective (the one it raises).
    Event exchanged(Extended objective);
    // Forgets the best objective and the stretch (after a perturbation is
    // taken away, which moves the objective by design).
    void restart(Extended objective);

    long count() const { return count_; }
    Extended best() const { return best_; }
    Extended start() const { return start_; }

private:
    Extended tolerance() const;
    Extended fall_limit() const;

    ExchangeLog& log_;
    long& longest_stall_;
    long cap_;
    long stall_limit_;
    long count_ = 0;
    long stretch_ = 0;
    Extended start_;
    Extended best_;
    Extended magnitude_;
    bool watch_fall_;
    bool stall_reported_ = false;
};

}  // namespace lpsens
