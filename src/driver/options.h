// The command line: options are --name or --name=value and may stand
// anywhere; -h is --help, and any other argument that begins with a single
// "-" (but "-" itself) is a usage error.  The first plain argument names the
// model when something of that name exists in the file system or it holds a
// "." or a "/", else it is the mode; after a mode, the next plain argument
// names the model by the same rule.  "-" in the model's place is standard
// input.  Further plain arguments are ignored.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "classic/kernel_kind.h"
#include "engine/settings.h"
#include "form/run_mode.h"

namespace lpsens {

inline constexpr int exit_usage = 64;          // a bad command line
inline constexpr int exit_check_failed = 70;   // --strict and a check failed
inline constexpr int exit_limit = 75;          // stopped at the exchange or time limit: no verdict
inline constexpr int exit_numerical = 76;      // stopped by numerical trouble: no verdict

struct RunOptions {
    const char* mode = nullptr;  // the mode argument, null when there is none
    bool help = false;
    bool version = false;
    bool strict = false;       // a failed check makes the exit code 70
    bool show_checks = false;  // the checks' figures on the console
    bool accurate = false;     // the accurate engine, whatever the input
    bool classic = false;      // the classic engine, whatever the input
    bool exact = false;        // --exact: the result proven in exact rational arithmetic
    // --exact-limit: models of up to this many rows and columns together
    // whose floating-point result fails its checks are settled in exact
    // arithmetic (accurate engine); 0: none.
    long exact_limit = 400;
    bool text_report = false;  // --report=text: the readable report in the model's terms
    bool csv_report = true;    // the CSV report on standard output (the library asks for none)
    bool listing = false;      // the tableau listing of a model beyond 999 rows or variables too
    long max_exchanges = 0;    // 0: in proportion to the size
    long max_records = 1000;   // records of a sweep in the model's own terms
    double time_limit = 0;     // --time-limit: seconds of the run; 0: none
    bool quiet = false;        // --quiet: the console only for warnings and errors
    PresolveUse presolve = PresolveUse::by_size;  // --presolve=on|off: imported models, accurate engine
    KernelKind kernel = KernelKind::best;  // the exchange step's inner loop
    int threads = 0;                       // 0: both cores on large problems
    std::string input;                     // --input=FILE or the model argument; empty or "-": standard input
    std::vector<std::string> ignored;      // plain arguments that are neither the mode nor the model
    std::string format;                    // --format=native|mps|lp (any case); empty: by name and content
    std::string write_problem;             // --write-problem=FILE
    std::string json;                      // --json=FILE
    std::string chart;                     // --chart=FILE (parametric modes)
    std::string scenarios;                 // --scenarios=FILE: a table of scenarios to solve
    bool utf8 = false;                     // --utf8: the infinity sign as UTF-8
    std::vector<std::string> sweeps;       // --sweep=NAME:START:END, repeated
    // The library's sweeps of column bounds ("bound", "lower" or "upper"):
    // `sweeps` name columns, in the model's terms alone.
    std::string sweep_bounds;
};

// Whether the options name a model file (not standard input).
inline bool reads_file(const RunOptions& options) { return !options.input.empty() && options.input != "-"; }

// The run mode from the first two characters of the mode argument
// (case-sensitive: "pv", "rv", "lp"; anything else, or none, is ordinary).
RunMode run_mode_of(const char* mode_argument);

// Parses argv[1..argc-1].  On a bad command line returns nullopt and sets
// `error` to what is wrong.
std::optional<RunOptions> parse_command_line(int argc, const char* const* argv, std::string& error);

// The one-line usage summary.
extern const char* const usage_line;

}  // namespace lpsens
