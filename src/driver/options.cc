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

// An option as given: --name or --name=value.
struct Option {
    std::string_view arg;  // the whole argument
    std::size_t equals;    // where its '=' stands, npos for none
    std::string name;
    bool has_value;
    std::string_view value;
};

Option split_option(std::string_view arg) {
    const std::size_t equals = arg.find('=');
    const bool has_value = equals != std::string_view::npos;
    return {arg, equals,
            std::string(arg.substr(2, equals == std::string_view::npos ? std::string_view::npos : equals - 2)),
            has_value, has_value ? arg.substr(equals + 1) : std::string_view{}};
}

// The switch an option without a value sets; null when it is not one.
bool* flag_of(RunOptions& options, const std::string& name) {
    if (name == "help") return &options.help;
    if (name == "utf8") return &options.utf8;
    if (name == "version") return &options.version;
    if (name == "strict") return &options.strict;
    if (name == "show-checks") return &options.show_checks;
    if (name == "accurate") return &options.accurate;
    if (name == "classic") return &options.classic;
    if (name == "exact") return &options.exact;
    if (name == "listing") return &options.listing;
    if (name == "quiet") return &options.quiet;
    return nullptr;
}

// The options that take a number (--max-records, --max-exchanges,
// --time-limit); false when the value is not one.
bool take_limit(RunOptions& options, const Option& o, std::string& error) {
    if (o.name == "max-records") {
        if (o.has_value && parse_count(o.value, options.max_records)) return true;
        error = "the option --max-records needs a whole number from 1 up, as --max-records=5000";
    } else if (o.name == "exact-limit") {
        if (o.has_value && (o.value == "0" || parse_count(o.value, options.exact_limit))) {
            if (o.value == "0") options.exact_limit = 0;
            return true;
        }
        error = "the option --exact-limit needs a whole number from 0 up, as --exact-limit=1000";
    } else if (o.name == "max-exchanges") {
        if (o.has_value && parse_count(o.value, options.max_exchanges)) return true;
        error = "the option --max-exchanges needs a whole number from 1 up, as --max-exchanges=5000";
    } else {
        if (o.has_value && parse_seconds(o.value, options.time_limit)) return true;
        error = "the option --time-limit needs a number of seconds above 0, as --time-limit=2.5";
    }
    return false;
}

bool take_kernel(RunOptions& options, std::string_view value, std::string& error) {
    if (value == "scalar") options.kernel = KernelKind::scalar;
    else if (value == "avx2") options.kernel = KernelKind::avx2;
    else if (value == "avx512") options.kernel = KernelKind::avx512;
    else {
        error = "the option --kernel needs scalar, avx2 or avx512, as --kernel=scalar";
        return false;
    }
    if (!kernel_available(options.kernel)) {
        error = "this processor cannot run the " + std::string(value) + " kernel";
        return false;
    }
    return true;
}

// --input, --write-problem, --json, --chart and --scenarios: a file name.
bool take_file(RunOptions& options, const Option& o, std::string& error) {
    if (!o.has_value || o.value.empty()) {
        error = "the option --" + o.name + " needs a file name, as --" + o.name + "=FILE";
        return false;
    }
    (o.name == "input" ? options.input : o.name == "json" ? options.json
                                       : o.name == "chart" ? options.chart
                                       : o.name == "scenarios" ? options.scenarios : options.write_problem) = o.value;
    return true;
}

// The options that take one of a few words (--format, --presolve, --report,
// --threads).
bool take_choice(RunOptions& options, const Option& o, std::string& error) {
    const std::string_view value = o.value;
    if (o.name == "format") {
        std::string format(value);
        for (char& c : format) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (format == "native" || format == "mps" || format == "lp") {
            options.format = format;
            return true;
        }
        error = "the option --format needs native, mps or lp, as --format=mps";
    } else if (o.name == "presolve") {
        if (value == "on" || value == "off") {
            options.presolve = value == "on" ? PresolveUse::on : PresolveUse::off;
            return true;
        }
        error = "the option --presolve needs on or off, as --presolve=off";
    } else if (o.name == "report") {
        if (value == "csv" || value == "text") {
            options.text_report = value == "text";
            return true;
        }
        error = "the option --report needs csv or text, as --report=text";
    } else {
        if (value == "1" || value == "2") {
            options.threads = value == "1" ? 1 : 2;
            return true;
        }
        error = "the option --threads needs 1 or 2, as --threads=1";
    }
    return false;
}

// --sweep=NAME:START:END; the parts are read when the model is.
bool take_sweep(RunOptions& options, const Option& o, std::string& error) {
    const std::string_view value = o.value;
    const std::size_t first = value.find(':');
    const std::size_t second = first == std::string_view::npos ? first : value.find(':', first + 1);
    if (!o.has_value || first == 0 || second == std::string_view::npos ||
        value.find(':', second + 1) != std::string_view::npos) {
        error = "the option --sweep needs a name, a start and an end value, as --sweep=labour:60:200";
        return false;
    }
    options.sweeps.emplace_back(value);
    return true;
}

// One --option; false with `error` set when it is wrong.
bool take_option(RunOptions& options, const Option& o, std::string& error) {
    const std::string& name = o.name;
    if (bool* flag = flag_of(options, name)) {
        if (o.has_value) {
            error = "the option --" + name + " takes no value";
            return false;
        }
        *flag = true;
        return true;
    }
    if (name == "max-records" || name == "max-exchanges" || name == "time-limit" || name == "exact-limit")
        return take_limit(options, o, error);
    if (name == "kernel") return take_kernel(options, o.value, error);
    if (name == "input" || name == "write-problem" || name == "json" || name == "chart" || name == "scenarios")
        return take_file(options, o, error);
    if (name == "format" || name == "presolve" || name == "report" || name == "threads")
        return take_choice(options, o, error);
    if (name == "sweep") return take_sweep(options, o, error);
    error = "unknown option " + std::string(o.arg.substr(0, o.equals));
    return false;
}

// What the options say together: false with `error` set when they do not
// fit.  The model argument, if any, becomes the input.
bool settle(RunOptions& options, const char* model, std::string& error) {
    if (options.accurate && options.classic) {
        error = "--accurate and --classic exclude each other";
        return false;
    }
    if (model != nullptr) {
        if (!options.input.empty()) {
            error = "the model is named twice, as --input=" + options.input + " and as " + model;
            return false;
        }
        options.input = model;
    }
    const bool sweep = is_sweep(run_mode_of(options.mode));
    if (!options.sweeps.empty() && !sweep) {
        error = "--sweep needs the mode pv or rv";
        return false;
    }
    if (!options.chart.empty() && !sweep) {
        error = "--chart needs the mode pv or rv";
        return false;
    }
    if (options.exact && (sweep || !options.scenarios.empty())) {
        error = "--exact needs an ordinary run (no sweep, no --scenarios)";
        return false;
    }
    if (!options.scenarios.empty() && (sweep || options.classic || options.text_report || !options.write_problem.empty())) {
        error = "--scenarios needs an ordinary run on the accurate engine, without --report=text or --write-problem";
        return false;
    }
    return true;
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
        const Option option = split_option(arg);
        if (option.name != "sweep" && !seen.insert(option.name).second) {
            error = "the option --" + option.name + " is given twice";
            return std::nullopt;
        }
        if (!take_option(options, option, error)) return std::nullopt;
    }
    if (!settle(options, model, error)) return std::nullopt;
    return options;
}

}  // namespace lpsens
