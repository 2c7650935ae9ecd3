#include "io/byte_source.h"

#include <unistd.h>

#include <zlib.h>

#include <cerrno>

#include "numeric/run_error.h"

namespace lpsens {

struct ByteSource::Inflater {
    z_stream stream{};
    bool open = false;
    bool ended = false;  // the last member is complete
    ~Inflater() {
        if (open) inflateEnd(&stream);
    }
};

bool ByteSource::read_block(std::string& block) {
    char raw[1 << 16];
    for (;;) {
        const ssize_t n = ::read(fd_, raw, sizeof raw);
        if (n > 0) {
            block.assign(raw, static_cast<std::size_t>(n));
            return true;
        }
        if (n == 0 || errno == EPIPE) return false;
        if (errno == EINTR) continue;
        const int code = errno;
        throw RunError(code, Site::input_read, "cannot read " + origin + ": " + system_error_text(code));
    }
}

bool ByteSource::refill() {
    if (fd_ < 0 || finished_) return false;
    buffer_.erase(0, position_);
    position_ = 0;
    std::string block;
    if (!checked_magic_) {
        checked_magic_ = true;
        if (!read_block(block)) {
            finished_ = true;
            return false;
        }
        // One byte 1F alone may be the start of the magic: look at one more block.
        std::string more;
        if (block.size() == 1 && static_cast<unsigned char>(block[0]) == 0x1F && read_block(more)) block += more;
        if (block.size() < 2 || static_cast<unsigned char>(block[0]) != 0x1F ||
            static_cast<unsigned char>(block[1]) != 0x8B) {
            buffer_.append(block);
            return true;
        }
        inflater_ = std::make_shared<Inflater>();
        if (inflateInit2(&inflater_->stream, 15 + 32) != Z_OK)
            throw RunError(error_code::out_of_memory, Site::allocate, "cannot start gzip decompression");
        inflater_->open = true;
    } else if (!read_block(block)) {
        if (inflater_ && !inflater_->ended)
            throw RunError(error_code::invalid_number, Site::input_read, origin + ": the gzip data ends early");
        finished_ = true;
        return false;
    }
    if (!inflater_) {
        buffer_.append(block);
        return true;
    }
    // Decompress the block; a stream of several gzip members goes on.
    z_stream& z = inflater_->stream;
    z.next_in = reinterpret_cast<Bytef*>(block.data());
    z.avail_in = static_cast<uInt>(block.size());
    char out[1 << 16];
    while (z.avail_in > 0) {
        inflater_->ended = false;
        z.next_out = reinterpret_cast<Bytef*>(out);
        z.avail_out = sizeof out;
        const int status = inflate(&z, Z_NO_FLUSH);
        buffer_.append(out, sizeof out - z.avail_out);
        if (status == Z_STREAM_END) {
            inflater_->ended = true;
            if (z.avail_in == 0) break;
            inflateReset(&z);
        } else if (status != Z_OK && status != Z_BUF_ERROR) {
            throw RunError(error_code::invalid_number, Site::input_read,
                           origin + ": the gzip data is damaged (" + std::string(z.msg ? z.msg : "inflate failed") + ")");
        }
    }
    if (buffer_.size() > position_) return true;
    return refill();
}

std::string_view ByteSource::buffered() const {
    std::string_view rest(buffer_);
    rest.remove_prefix(position_);
    return rest.substr(0, rest.find(end_of_file_byte));
}

bool ByteSource::read_ahead() {
    if (buffer_.find(end_of_file_byte, position_) != std::string::npos) return false;
    return refill();
}

std::string ByteSource::read_rest() {
    std::string text;
    for (;;) {
        if (position_ >= buffer_.size() && !refill()) break;
        text.append(buffer_, position_, std::string::npos);
        position_ = buffer_.size();
        if (text.size() > whole_file_limit)
            throw RunError(error_code::invalid_number, Site::input_read,
                           origin + ": the model is larger than " + std::to_string(whole_file_limit >> 20) +
                               " MiB, more than a problem of 999 rows and 999 variables can need");
    }
    const auto stop = text.find(static_cast<char>(end_of_file_byte));
    if (stop != std::string::npos) text.resize(stop);
    return text;
}

std::string ByteSource::place(int line) const {
    return (origin == "standard input" ? "line " : origin + ":") + std::to_string(line) + ": ";
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
