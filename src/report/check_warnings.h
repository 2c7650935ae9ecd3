// The checks of a run on the console: warnings for every failed check with
// what to do, and on request the figures of every check.
#pragma once

#include <string>

#include "check/checker.h"
#include "io/channel.h"

namespace lpsens {

// What the advice of a failed check depends on.
struct CheckAdvice {
    bool accurate = false;        // the accurate engine solved it
    bool negative_rhs = false;    // a right-hand side started negative
    bool proven_exactly = false;  // exact arithmetic proved the verdict all the same
    bool exact_tableau = false;   // and the report was made from the proven basis in exact arithmetic
};

// Writes the findings as warning lines, with the recomputed objective and
// what to do; with `show_figures` also the figures of a check that passed.
// `context` names the result ("the result", "record 3 (t = 0.211)").
void report_checks(Channel& console, const CheckReport& report, const std::string& context, bool show_figures,
                   const CheckAdvice& advice);

// Every check of the run, in order.
void report_all_checks(Channel& console, const ResultChecker& checker, bool show_figures, const CheckAdvice& advice);

}  // namespace lpsens
