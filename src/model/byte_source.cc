#include "model/byte_source.h"

#include <unistd.h>

#include <cerrno>

#include "model/run_error.h"

namespace lpsens {

bool ByteSource::refill() {
    if (fd_ < 0 || finished_) return false;
    buffer_.erase(0, position_);
    position_ = 0;
    char block[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd_, block, sizeof block);
        if (n > 0) {
            buffer_.append(block, static_cast<std::size_t>(n));
            return true;
        }
        if (n == 0 || errno == EPIPE) {
            finished_ = true;
            return false;
        }
        if (errno == EINTR) continue;
        const int code = errno;
        throw RunError(code, Site::input_read, "cannot read standard input: " + system_error_text(code));
    }
}

void ByteSource::skip_line() {
    for (int c = peek(); c != end_of_input; c = peek()) {
        advance();
        if (c == '\n') return;
        if (c == '\r') {
            if (peek() == '\n') advance();
            return;
        }
    }
}

std::string ByteSource::read_line(std::size_t limit) {
    std::string text;
    for (int c = peek(); c != end_of_input && c != '\r' && c != '\n' && text.size() < limit; c = peek()) {
        text.push_back(static_cast<char>(c));
        advance();
    }
    skip_line();
    return text;
}

std::string ByteSource::read_token(std::size_t limit) {
    int c = peek();
    while (c != end_of_input && c <= ' ') {
        advance();
        c = peek();
    }
    std::string token;
    while (c != end_of_input && c > ' ' && token.size() < limit) {
        token.push_back(static_cast<char>(c));
        advance();
        c = peek();
    }
    return token;
}

}  // namespace lpsens
