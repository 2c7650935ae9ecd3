#include "test_support.h"

#include <cstdio>

#include "classic/tableau_init.h"
#include "driver/run.h"
#include "model/native_reader.h"

namespace lpsens::testing {

std::string lines(const std::vector<std::string>& text) {
    std::string joined;
    for (const auto& line : text) joined += line + "\n";
    return joined;
}

DocumentedForm read_form(const std::string& text) {
    ByteSource source(text);
    return native_form(read_native_problem(source));
}

Loaded::Loaded(const std::string& text) : form(read_form(text)) {
    cs.console = &console;
    load_form(cs, form);
}

Blank::Blank(int rows, int variables) {
    cs.console = &console;
    allocate_state(cs, rows, variables, {0}, {0});
    initialise_tableau(cs);
}

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

std::string hex_bytes(StoredReal r) {
    std::string text;
    for (const auto b : r.to_bytes()) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!text.empty()) text += ' ';
        text += buf;
    }
    return text;
}

StoredReal from_hex(const std::string& hex) {
    std::array<std::uint8_t, 6> bytes{};
    for (int i = 0; i < 6; ++i) bytes[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(3 * i, 2), nullptr, 16));
    return StoredReal::from_bytes(bytes);
}

std::string worked_example() {
    return lines({"Worked", "2 2 0 1", "2", "x1", "x2", "r1", "r2", "0", "2", "3", "4", "1", "1", "2", "1", "2"});
}

std::string sample_problem(const std::string& x1_name, const std::string& c1_name) {
    return lines({"Sample", "2 2 0 0", x1_name, "x2", c1_name, "c2", "0", "3", "2", "4", "1", "1", "6", "1", "3"});
}

}  // namespace lpsens::testing
