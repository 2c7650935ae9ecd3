// A count with its noun for messages: "1 row", "2 rows", "0 rows".
#pragma once

#include <string>

namespace lpsens {

inline std::string counted(long long count, const char* one, const char* many) {
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace lpsens
