#include "io/files.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "numeric/run_error.h"

namespace lpsens {

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

int open_input_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) {
        const int code = errno;
        throw RunError(code, Site::input_open, "cannot open " + path + ": " + system_error_text(code));
    }
    return fd;
}

}  // namespace lpsens
