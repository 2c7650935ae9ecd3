#include "model/read_problem.h"

#include "model/native_reader.h"

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

Problem read_problem(ByteSource& source, const std::string& format) {
    if (format == "native") return read_native_problem(source);
    const std::string text = source.read_rest();
    return format == "mps" ? read_mps(text, source.origin) : read_lp_format(text, source.origin);
}

}  // namespace lpsens
