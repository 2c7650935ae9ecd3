#include "model/problem_files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "model/input.h"
#include "model/run_error.h"

namespace lpsens {

namespace {

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

}  // namespace

std::string input_format(const std::string& requested, const std::string& file_name) {
    if (!requested.empty()) return requested;
    if (ends_with(file_name, ".mps") || ends_with(file_name, ".mps.gz") || ends_with(file_name, ".MPS")) return "mps";
    return "native";
}

std::optional<ConvertedModel> read_any_problem(Workspace& ws, ByteSource& source, const std::string& format,
                                               const char* mode) {
    if (format == "native") {
        read_problem(ws, source, mode);
        return std::nullopt;
    }
    const std::string text = source.read_rest();
    const LpModel model = format == "mps" ? read_mps(text, source.origin) : read_lp_format(text, source.origin);
    for (const std::string& w : model.warnings) ws.console.write("lpsens: warning: " + w + "\n");
    std::vector<std::string> lines;
    ConvertedModel converted = convert_model(model, lines);
    for (const std::string& line : lines) ws.console.write("lpsens: " + line + "\n");
    ByteSource problem(converted.text);
    problem.origin = source.origin + " (converted)";
    read_problem(ws, problem, mode);
    return converted;
}

void mark_sweep_items(Workspace& ws, const std::vector<std::string>& items) {
    const bool pv = ws.run_mode == "pv";
    for (const std::string& item : items) {
        const std::size_t second = item.rfind(':');
        const std::size_t first = item.rfind(':', second - 1);
        const std::string name = item.substr(0, first);
        const std::string suffix =
            "$$$" + item.substr(first + 1, second - first - 1) + "&&&" + item.substr(second + 1);
        std::vector<Name>& names = pv ? ws.column_names : ws.row_names;
        const int count = pv ? ws.var_count : ws.row_count;
        bool found = false;
        for (int k = 1; k <= count && !found; ++k)
            if (names[static_cast<std::size_t>(k)] == name) {
                names[static_cast<std::size_t>(k)] += suffix;
                found = true;
            }
        if (!found)
            throw RunError(error_code::invalid_number, Site::parametric_text,
                           "--sweep: there is no " + std::string(pv ? "variable" : "row") + " named '" + name + "'");
    }
}

void write_text_file(const std::string& path, const std::string& text) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        const int code = errno;
        throw RunError(code, Site::result_file, "cannot create " + path + ": " + system_error_text(code));
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        const int code = errno ? errno : 5;
        throw RunError(code, Site::result_file, "cannot write " + path + ": " + system_error_text(code));
    }
}

void write_problem_file(const Workspace& ws, const std::string& path) {
    const bool exact = !ws.input_values.empty();
    auto value = [&](int i, int j) {
        char buf[64];
        if (exact)
            std::snprintf(buf, sizeof buf, "%.21Lg", ws.input_value(i, j));
        else
            std::snprintf(buf, sizeof buf, "%.17g", ws.tableau(i, j).value);  // a stored value reads back the same
        return std::string(buf);
    };
    std::string text = ws.title + "\r\n" + std::to_string(ws.row_count) + " " + std::to_string(ws.var_count) + " " +
                       std::to_string(ws.eq_count) + " " + std::to_string(ws.ge_count) + "\r\n";
    if (ws.eq_count > 0) {
        for (int k = 1; k <= ws.eq_count; ++k) text += (k > 1 ? " " : "") + std::to_string(ws.eq_rows[k]);
        text += "\r\n";
    }
    if (ws.ge_count > 0) {
        for (int k = 1; k <= ws.ge_count; ++k) text += (k > 1 ? " " : "") + std::to_string(ws.ge_rows[k]);
        text += "\r\n";
    }
    for (int j = 1; j <= ws.var_count; ++j) text += ws.column_names[j] + "\r\n";
    for (int i = 1; i <= ws.row_count; ++i) text += ws.row_names[i] + "\r\n";
    for (int i = 0; i <= ws.row_count; ++i)
        for (int j = 0; j <= ws.var_count; ++j) text += value(i, j) + "\r\n";
    write_text_file(path, text);
}

int open_input_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        const int code = errno;
        throw RunError(code, Site::input_open, "cannot open " + path + ": " + system_error_text(code));
    }
    return fd;
}

}  // namespace lpsens
