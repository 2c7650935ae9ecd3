// The status line of a long solve.  On a terminal, once a solve has run for
// a second, the console gets a line at most once a second saying where it
// stands: the phase, the exchanges so far, the objective and the primal
// infeasibility of the current basis, and the seconds since the solve
// began.  The line stands on its own between the progress marks.  Off a
// terminal (a pipe, a file) and on a quiet console there is none, and
// asking costs nothing.
#pragma once

#include <cmath>
#include <string>

#include "engine/settings.h"
#include "io/channel.h"

namespace lpsens {

struct ProgressFigures {
    const char* phase = "";
    long long exchanges = 0;       // of the run so far
    double objective = NAN;        // left out when NaN
    double infeasibility = NAN;    // left out when NaN
};

class StatusLine {
public:
    // A solve (or a re-optimisation) begins now.
    void start();
    // True when a line is due: on a terminal that is not quiet, a second
    // after the start and after the last line.
    bool due(const Channel& console) const {
        return console.terminal() && !console.quiet() && RunClock::now() >= next_;
    }
    void write(Channel& console, const ProgressFigures& figures);

    // The text of the line, without its line end.
    static std::string text(const ProgressFigures& figures, double seconds);

private:
    RunClock::time_point start_ = RunClock::now();
    RunClock::time_point next_ = start_ + std::chrono::seconds(1);
};

}  // namespace lpsens
