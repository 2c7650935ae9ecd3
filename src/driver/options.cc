#include "driver/options.h"

#include "classic/exchange_kernel.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string_view>

namespace lpsens {

const char* const usage_line =
    "usage: lpsens [MODE] [--input=FILE] [--format=F] [--accurate] [--strict] [--show-checks] [--sweep=NAME:START:END]... "
    "[--json=FILE] [--chart=FILE] [--write-problem=FILE] [--max-exchanges=N] [--kernel=K] [--threads=N] [--utf8] "
    "[--help] [--version] [< problem.lp]";

namespace {

bool parse_count(std::string_view text, long& out) {
    if (text.empty() || text.size() > 18) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    out = std::strtol(std::string(text).c_str(), nullptr, 10);
    return out > 0;
}

// A positive decimal number of seconds: digits with at most one point
// (no sign, no exponent), above zero.  Beyond a million hours it is as good
// as no limit and is kept there.
bool parse_seconds(std::string_view text, double& out) {
    if (text.empty() || text.size() > 30) return false;
    bool digit = false;
    int points = 0;
    for (char c : text) {
        if (c == '.') ++points;
        else if (c >= '0' && c <= '9') digit = true;
        else return false;
    }
    if (!digit || points > 1) return false;
    out = std::min(std::strtod(std::string(text).c_str(), nullptr), 3.6e9);
    return out > 0;
}


// A plain argument names the model when something of that name stands in the
// file system (a folder too, which is then refused when opened) or when it
// looks like a file name; otherwise it is the mode.
bool names_model(const char* argument) {
    struct stat status;
    return ::lstat(argument, &status) == 0 || std::strpbrk(argument, "./") != nullptr;
}

}  // namespace

RunMode run_mode_of(const char* mode_argument) {
    if (mode_argument == nullptr) return RunMode::ordinary;
    std::string mode(mode_argument);
    if (mode.size() > 2) mode.resize(2);
    if (mode == "pv") return RunMode::cost_sweep;
    if (mode == "rv") return RunMode::rhs_sweep;
    if (mode == "lp") return RunMode::cut_names;
    return RunMode::ordinary;
}

std::optional<RunOptions> parse_command_line(int argc, const char* const* argv, std::string& error) {
    RunOptions options;
    std::set<std::string> seen;
    const char* model = nullptr;  // the model argument
    int plain = 0;                // plain arguments so far
    for (int a = 1; a < argc; ++a) {
        const std::string_view arg(argv[a]);
        if (arg == "-h") {  // the usual short form
            options.help = true;
            continue;
        }
        if (arg.size() > 1 && arg[0] == '-' && arg[1] != '-') {
            error = "unknown option " + std::string(arg);
            return std::nullopt;
        }
        if (arg.substr(0, 2) != "--") {
            // "-" is standard input, in the model's place.
            ++plain;
            const bool model_place = plain == 1 || (plain == 2 && options.mode != nullptr);
            if (model_place && (arg == "-" || names_model(argv[a]))) model = argv[a];
            else if (plain == 1) options.mode = argv[a];
            else options.ignored.emplace_back(argv[a]);  // later plain arguments are ignored, as before
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name(arg.substr(2, equals == std::string_view::npos ? std::string_view::npos : equals - 2));
        const bool has_value = equals != std::string_view::npos;
        const std::string_view value = has_value ? arg.substr(equals + 1) : std::string_view{};
        if (name != "sweep" && !seen.insert(name).second) {
            error = "the option --" + name + " is given twice";
            return std::nullopt;
        }
        bool* flag = nullptr;
        if (name == "help") flag = &options.help;
        else if (name == "utf8") flag = &options.utf8;
        else if (name == "version") flag = &options.version;
        else if (name == "strict") flag = &options.strict;
        else if (name == "show-checks") flag = &options.show_checks;
        else if (name == "accurate") flag = &options.accurate;
        else if (name == "classic") flag = &options.classic;
        else if (name == "listing") flag = &options.listing;
        else if (name == "quiet") flag = &options.quiet;
        if (flag != nullptr) {
            if (has_value) {
                error = "the option --" + name + " takes no value";
                return std::nullopt;
            }
            *flag = true;
        } else if (name == "max-records") {
            if (!has_value || !parse_count(value, options.max_records)) {
                error = "the option --max-records needs a whole number from 1 up, as --max-records=5000";
                return std::nullopt;
            }
        } else if (name == "max-exchanges") {
            if (!has_value || !parse_count(value, options.max_exchanges)) {
                error = "the option --max-exchanges needs a whole number from 1 up, as --max-exchanges=5000";
                return std::nullopt;
            }
        } else if (name == "time-limit") {
            if (!has_value || !parse_seconds(value, options.time_limit)) {
                error = "the option --time-limit needs a number of seconds above 0, as --time-limit=2.5";
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
        } else if (name == "input" || name == "write-problem" || name == "json" || name == "chart") {
            if (!has_value || value.empty()) {
                error = "the option --" + name + " needs a file name, as --" + name + "=FILE";
                return std::nullopt;
            }
            (name == "input" ? options.input : name == "json" ? options.json
                                            : name == "chart" ? options.chart : options.write_problem) = value;
        } else if (name == "format") {
            std::string format(value);
            for (char& c : format) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            if (format != "native" && format != "mps" && format != "lp") {
                error = "the option --format needs native, mps or lp, as --format=mps";
                return std::nullopt;
            }
            options.format = format;
        } else if (name == "presolve") {
            if (value != "on" && value != "off") {
                error = "the option --presolve needs on or off, as --presolve=off";
                return std::nullopt;
            }
            options.presolve = value == "on" ? PresolveUse::on : PresolveUse::off;
        } else if (name == "report") {
            if (value != "csv" && value != "text") {
                error = "the option --report needs csv or text, as --report=text";
                return std::nullopt;
            }
            options.text_report = value == "text";
        } else if (name == "sweep") {
            const std::size_t first = value.find(':');
            const std::size_t second = first == std::string_view::npos ? first : value.find(':', first + 1);
            if (!has_value || first == 0 || second == std::string_view::npos ||
                value.find(':', second + 1) != std::string_view::npos) {
                error = "the option --sweep needs a name, a start and an end value, as --sweep=labour:60:200";
                return std::nullopt;
            }
            options.sweeps.emplace_back(value);
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
    if (options.accurate && options.classic) {
        error = "--accurate and --classic exclude each other";
        return std::nullopt;
    }
    if (model != nullptr) {
        if (!options.input.empty()) {
            error = "the model is named twice, as --input=" + options.input + " and as " + model;
            return std::nullopt;
        }
        options.input = model;
    }
    const bool sweep = is_sweep(run_mode_of(options.mode));
    if (!options.sweeps.empty() && !sweep) {
        error = "--sweep needs the mode pv or rv";
        return std::nullopt;
    }
    if (!options.chart.empty() && !sweep) {
        error = "--chart needs the mode pv or rv";
        return std::nullopt;
    }
    return options;
}

}  // namespace lpsens
