#include "report/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace lpsens::json {

std::string number(double x) {
    if (!std::isfinite(x)) return "null";
    if (x == 0) return "0";
    char buf[32];
    const auto result = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, result.ptr);
}

std::string quoted(const std::string& text) {
    std::string out = "\"";
    for (const unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c >= 0x80) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);  // names are bytes; non-ASCII ones as Latin-1
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

}  // namespace lpsens::json
