// Whole runs of the program in memory: its output and its console.
#pragma once

#include <string>

#include "driver/options.h"

namespace lpsens::testing {

struct RunResult {
    int exit_code;
    std::string out;
    std::string console;
};

// The whole run sequence in memory, without the marker file.
RunResult run_text(const std::string& text, const char* mode = nullptr);
RunResult run_text(const std::string& text, const RunOptions& options);

}  // namespace lpsens::testing
