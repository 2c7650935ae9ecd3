#include "run_support.h"

#include "driver/run.h"
#include "io/byte_source.h"

namespace lpsens::testing {

RunResult run_text(const std::string& text, const RunOptions& options) {
    Channels channels;
    ByteSource source(text);
    const int code = run_program(channels, source, options, false);
    return {code, channels.out.captured(), channels.console.captured()};
}

RunResult run_text(const std::string& text, const char* mode) {
    RunOptions options;
    options.mode = mode;
    return run_text(text, options);
}

}  // namespace lpsens::testing
