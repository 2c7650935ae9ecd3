// The pieces of lpsens's JSON: numbers as the shortest decimal that reads
// back to the same double (null for none), names as quoted strings.
#pragma once

#include <string>

namespace lpsens::json {

std::string number(double x);
std::string quoted(const std::string& text);

// "[a, b, c]" of `count` items, each from item(k).
template <class Item>
std::string inline_list(std::size_t count, Item item) {
    std::string out = "[";
    for (std::size_t k = 0; k < count; ++k) out += (k ? ", " : "") + item(k);
    return out + "]";
}

}  // namespace lpsens::json
