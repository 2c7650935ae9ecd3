#include "driver/options.h"

#include "simplex/exchange_kernel.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string_view>

namespace lpsens {

const char* const usage_line =
    "usage: lpsens [MODE] [--accurate] [--strict] [--show-checks] [--max-exchanges=N] [--kernel=K] [--threads=N] [--help] [--version] < problem.lp";

namespace {

bool parse_count(std::string_view text, long& out) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = std::strtol(std::string(text).c_str(), nullptr, 10);
    return out > 0;
}

}  // namespace

std::optional<RunOptions> parse_command_line(int argc, const char* const* argv, std::string& error) {
    RunOptions options;
    std::set<std::string> seen;
    for (int a = 1; a < argc; ++a) {
        const std::string_view arg(argv[a]);
        if (arg.substr(0, 2) != "--") {
            if (options.mode == nullptr) options.mode = argv[a];
            continue;  // later plain arguments are ignored, as before
        }
        const std::size_t equals = arg.find('=');
        const std::string name(arg.substr(2, equals == std::string_view::npos ? std::string_view::npos : equals - 2));
        const bool has_value = equals != std::string_view::npos;
        const std::string_view value = has_value ? arg.substr(equals + 1) : std::string_view{};
        if (!seen.insert(name).second) {
            error = "the option --" + name + " is given twice";
            return std::nullopt;
        }
        bool* flag = nullptr;
        if (name == "help") flag = &options.help;
        else if (name == "version") flag = &options.version;
        else if (name == "strict") flag = &options.strict;
        else if (name == "show-checks") flag = &options.show_checks;
        else if (name == "accurate") flag = &options.accurate;
        if (flag != nullptr) {
            if (has_value) {
                error = "the option --" + name + " takes no value";
                return std::nullopt;
            }
            *flag = true;
        } else if (name == "max-exchanges") {
            if (!has_value || !parse_count(value, options.max_exchanges)) {
                error = "the option --max-exchanges needs a whole number from 1 up, as --max-exchanges=5000";
                return std::nullopt;
            }
        } else if (name == "kernel") {
            if (value == "scalar") options.kernel = KernelKind::scalar;
            else if (value == "avx2") options.kernel = KernelKind::avx2;
            else if (value == "avx512") options.kernel = KernelKind::avx512;
            else {
                error = "the option --kernel needs scalar, avx2 or avx512, as --kernel=scalar";
                return std::nullopt;
            }
            if (!kernel_available(options.kernel)) {
                error = "this processor cannot run the " + std::string(value) + " kernel";
                return std::nullopt;
            }
        } else if (name == "threads") {
            if (value != "1" && value != "2") {
                error = "the option --threads needs 1 or 2, as --threads=1";
                return std::nullopt;
            }
            options.threads = value == "1" ? 1 : 2;
        } else {
            error = "unknown option " + std::string(arg.substr(0, equals));
            return std::nullopt;
        }
    }
    return options;
}

}  // namespace lpsens
