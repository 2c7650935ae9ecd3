// Fuzz target: the parametric item texts.  The input, split at line feeds,
// gives the names of a small problem's two variables and two rows; the first
// byte chooses "pv" or "rv".  Bad start or end values may only be refused
// with runtime error 106.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/run.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    std::vector<std::string> names(4);
    std::size_t k = 0;
    for (std::size_t i = 1; i < size && k < 4; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\n') ++k;
        else if (c != '\r' && c != 26) names[k] += c;
    }
    const std::string text = "Fuzz\r\n2 2 0 1\r\n2\r\n" + names[0] + "\r\n" + names[1] + "\r\n" + names[2] + "\r\n" +
                             names[3] + "\r\n0\r\n3\r\n2\r\n4\r\n1\r\n1\r\n6\r\n1\r\n3\r\n";
    lpsens::RunOptions options;
    options.mode = (data[0] & 1) ? "pv" : "rv";
    options.accurate = (data[0] & 2) != 0;
    options.threads = 1;
    lpsens::Channels channels;
    lpsens::ByteSource input(text);
    const int code = lpsens::run_program(channels, input, options, false);
    if (code != 0 && code != 70 && code != 106 && code != 205) std::abort();
    return 0;
}
