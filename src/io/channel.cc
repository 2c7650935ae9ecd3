#include "io/channel.h"

#include <unistd.h>

#include <cerrno>

namespace lpsens {

namespace {
constexpr std::size_t buffer_limit = 1 << 16;
}

void Channel::attach(int fd, bool immediate, Site site) {
    fd_ = fd;
    immediate_ = immediate;
    site_ = site;
    terminal_ = ::isatty(fd) == 1;
}

void Channel::mark(std::string_view marks) {
    if (!quiet_) write(marks);
}

void Channel::note(std::string_view text) {
    if (!quiet_) write(text);
}

int Channel::write_all(std::string_view text) {
    while (!text.empty()) {
        const ssize_t n = ::write(fd_, text.data(), text.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        text.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

void Channel::write(std::string_view text) {
    if (!text.empty()) at_line_start_ = text.back() == '\n';
    if (in_memory()) {
        buffer_.append(text);
        return;
    }
    if (immediate_) {
        if (const int code = write_all(text))
            throw RunError(code, site_, "cannot write: " + system_error_text(code));
        return;
    }
    buffer_.append(text);
    if (buffer_.size() >= buffer_limit) flush();
}

void Channel::write_line(std::string_view text) {
    if (!at_line_start_) write("\n");
    write(text);
    write("\n");
}

void Channel::flush() {
    if (const int code = flush_quietly())
        throw RunError(code, site_, "cannot write: " + system_error_text(code));
}

int Channel::flush_quietly() {
    if (in_memory() || buffer_.empty()) return 0;
    const int code = write_all(buffer_);
    buffer_.clear();
    return code;
}

}  // namespace lpsens
