// Fuzz target: the command line.  The input, split at NUL bytes, is the
// argument list.  Parsing either succeeds or explains itself; it opens no
// file (it only looks whether a plain argument names one).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "driver/options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> args = {"lpsens", ""};
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0) args.emplace_back();
        else args.back() += static_cast<char>(data[i]);
    }
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    std::string error;
    const auto options = lpsens::parse_command_line(static_cast<int>(argv.size()), argv.data(), error);
    if (!options && error.empty()) std::abort();
    if (options && options->threads != 0 && options->threads != 1 && options->threads != 2) std::abort();
    return 0;
}
