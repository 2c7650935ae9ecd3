#include "numeric/run_error.h"

#include <cstdio>
#include <cstring>

namespace lpsens {

std::string runtime_error_line(int code, Site site) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "Runtime error %3d at %08X", code,
                  static_cast<unsigned>(site));
    return buf;
}

std::string system_error_text(int os_code) { return std::strerror(os_code); }

}  // namespace lpsens
