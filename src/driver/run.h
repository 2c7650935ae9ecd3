// The run sequence of lpsens, from reading the problem to the marker file.
#pragma once

#include <string>

#include "driver/options.h"
#include "io/byte_source.h"
#include "io/channel.h"

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

}  // namespace lpsens
