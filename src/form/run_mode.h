// What a run does, from the mode argument's first two characters.
#pragma once

namespace lpsens {

enum class RunMode {
    ordinary,     // any other mode, or none: the solution report and the listing
    cut_names,    // "lp": an ordinary run; names lose everything from "$$$" on
    cost_sweep,   // "pv": parametric analysis of the objective coefficients
    rhs_sweep,    // "rv": parametric analysis of the right-hand sides
};

inline bool is_sweep(RunMode mode) { return mode == RunMode::cost_sweep || mode == RunMode::rhs_sweep; }

// The mode's own two letters ("pv", "rv", "lp"), or "ordinary".
inline const char* mode_name(RunMode mode) {
    switch (mode) {
        case RunMode::cost_sweep: return "pv";
        case RunMode::rhs_sweep: return "rv";
        case RunMode::cut_names: return "lp";
        case RunMode::ordinary: break;
    }
    return "ordinary";
}

}  // namespace lpsens
