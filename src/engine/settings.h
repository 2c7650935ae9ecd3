// What every engine is told and what it reports about its exchange loops.
#pragma once

#include <chrono>

namespace lpsens {

using RunClock = std::chrono::steady_clock;

// Whether the accurate engine solves an imported model presolved first:
// never, always, or when the model has at least presolve_min_size rows and
// columns together (the command line's default).  A smaller model has no
// time to gain, and its listing stays the one of the plain solve.
enum class PresolveUse : unsigned char { off, on, by_size };
inline constexpr int presolve_min_size = 50;
// No deadline.
inline constexpr RunClock::time_point no_deadline = RunClock::time_point::max();

struct EngineSettings {
    // Exchanges one loop (a phase, a re-optimisation, a restoration) may
    // make; 0 means in proportion to the size (see exchange_cap).
    long max_exchanges = 0;
    // The moment the run's time is up (--time-limit): an exchange loop
    // looks before every exchange, the first too, and stops there.
    RunClock::time_point deadline = no_deadline;
    // Solve a presolved model first and start from the basis it gives back
    // (--presolve; the accurate engine of an imported model only).
    PresolveUse presolve = PresolveUse::off;
};

// True when the settings' deadline has come.
inline bool past_deadline(const EngineSettings& settings) {
    return settings.deadline != no_deadline && RunClock::now() >= settings.deadline;
}

// What the exchange loops had to do beyond their rules, for the checks and
// their figures.
struct ExchangeLog {
    long exchanges = 0;        // all exchanges of the run
    int stopped_early = 0;     // loops stopped by a lost objective or a repeated basis
    int stopped_at_cap = 0;    // loops stopped by the exchange cap
};

// Exchanges one loop may make: the setting, or 50 (rows + columns) + 1000
// for a tableau of M rows and N + K2 columns.
inline long exchange_cap(const EngineSettings& settings, int rows, int columns) {
    if (settings.max_exchanges > 0) return settings.max_exchanges;
    return 50 * (static_cast<long>(rows) + static_cast<long>(columns)) + 1000;
}

}  // namespace lpsens
