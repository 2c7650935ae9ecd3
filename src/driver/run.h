// The run sequence of lpsens, from reading the problem to the marker file.
#pragma once

#include <optional>
#include <string>

#include "driver/options.h"
#include "io/byte_source.h"
#include "io/channel.h"
#include "model/problem.h"
#include "revised/lp_solution.h"

namespace lpsens {

inline constexpr const char* marker_file_name = "KVT_DMY.$$$";

// Creates or truncates the empty marker file in the working directory.
void reset_marker_file();

// Runs the whole sequence: read, solve, report, write the console's end of
// line, check the result against the problem as read and, when
// `touch_marker` is set, reset the marker file.  Returns the exit code: 0, or
// 70 when a check failed under --strict (the marker file is then left
// alone).  A failure throws RunError.
int run_sequence(Channels& channels, ByteSource& input, const RunOptions& options, bool touch_marker);

// Runs the sequence and turns a runtime error into its line on the report
// channel and its explanation on the console.  Returns the exit code.
int run_program(Channels& channels, ByteSource& input, const RunOptions& options, bool touch_marker);

// A run of the library: the model already read or built, nothing on the
// console or in files, the reports kept.
struct LibraryRun {
    std::string json;     // the JSON results; lpsens's own problems have their `model` section too
    std::string chart;    // the SVG chart of a sweep in the model's terms, when there is one
    std::string console;  // what the run said: warnings, notes, the checks' verdicts
    int exit_code = 0;    // as the command line's
    // The final basis of an imported model's ordinary run, in its own terms
    // (every column, then every row): a warm start for a model like it.
    std::optional<revised::Basis> basis;
};

// Runs `model` as the command line runs a model read with `options` (its
// mode, sweeps, engine and limits; files and report forms are not looked
// at), the first solve starting from `start` when it is given (an imported
// model's accurate run; the presolve is then left out).  A failure throws
// RunError.
LibraryRun run_problem(Problem model, const RunOptions& options, const revised::Basis* start = nullptr);

}  // namespace lpsens
