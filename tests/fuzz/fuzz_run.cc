// Fuzz target: a whole run in memory.  The first byte chooses the mode, the
// engine and the format (or none: told by the content); the rest is the problem.  Checked on every input:
// the run ends (within its exchange bounds) with 0 or a documented code, and
// after a runtime error nothing follows its line.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "driver/run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    static const char* const modes[] = {nullptr, "lp", "pv", "rv"};
    static const char* const formats[] = {"native", "mps", "lp", ""};  // "": by the content
    lpsens::RunOptions options;
    options.mode = modes[data[0] & 3];
    options.accurate = (data[0] & 4) != 0;
    options.format = formats[(data[0] >> 3) & 3];
    options.max_exchanges = 3000;
    options.threads = 1;
    lpsens::Channels channels;
    lpsens::ByteSource input(std::string(reinterpret_cast<const char*>(data) + 1, size - 1));
    const int code = lpsens::run_program(channels, input, options, false);
    // 75: stopped at the exchange limit (no verdict); 76: by numerical trouble.
    const bool completed = code == 0 || code == 70 || code == 75 || code == 76;
    if (!completed && code != 106 && code != 203 && code != 205) std::abort();
    if (!completed) {
        const std::string& out = channels.out.captured();
        const std::size_t last = out.rfind("Runtime error ");
        if (last == std::string::npos || out.size() != last + 31) std::abort();  // the line, then CR LF, then nothing
    }
    return 0;
}
