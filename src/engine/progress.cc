#include "engine/progress.h"

#include <cstdio>

namespace lpsens {

void StatusLine::start() {
    start_ = RunClock::now();
    next_ = start_ + std::chrono::seconds(1);
}

void StatusLine::write(Channel& console, const ProgressFigures& figures) {
    const RunClock::time_point now = RunClock::now();
    const std::chrono::duration<double> seconds = now - start_;
    console.write_line(text(figures, seconds.count()));
    next_ = now + std::chrono::seconds(1);
}

std::string StatusLine::text(const ProgressFigures& figures, double seconds) {
    char buffer[200];
    std::string line = "lpsens: " + std::string(figures.phase) + ": " + std::to_string(figures.exchanges) +
                       (figures.exchanges == 1 ? " exchange" : " exchanges");
    if (!std::isnan(figures.objective)) {
        std::snprintf(buffer, sizeof buffer, ", objective %.10g", figures.objective);
        line += buffer;
    }
    if (!std::isnan(figures.infeasibility)) {
        std::snprintf(buffer, sizeof buffer, ", primal infeasibility %.3g", figures.infeasibility);
        line += buffer;
    }
    std::snprintf(buffer, sizeof buffer, ", %.1f s", seconds);
    return line + buffer;
}

}  // namespace lpsens
