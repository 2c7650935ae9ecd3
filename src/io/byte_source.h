// The bytes of the problem text, from standard input or from a string.
//
// End of input is the physical end of the stream or the first byte 26.
// Input that begins with the gzip magic bytes (1F 8B) is decompressed on the
// way in, block by block.
// Line ends are a carriage return (with a line feed directly after it), or a
// lone line feed.  The source counts lines so diagnostics can name them.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace lpsens {

class ByteSource {
public:
    static constexpr int end_of_input = -1;
    static constexpr char end_of_file_byte = 26;

    // Reads the file descriptor lazily, in blocks, so nothing after the last
    // coefficient is ever waited for.
    explicit ByteSource(int fd) : fd_(fd) {}
    // Reads a string (tests).
    explicit ByteSource(std::string text) : fd_(-1), buffer_(std::move(text)) {}

    // The next byte (0..255) without consuming it, or end_of_input.
    int peek() {
        if (position_ >= buffer_.size() && !refill()) return end_of_input;
        const auto c = static_cast<unsigned char>(buffer_[position_]);
        if (c == static_cast<unsigned char>(end_of_file_byte)) {
            finished_ = true;
            return end_of_input;
        }
        return c;
    }
    // Consumes the byte peek() returned.
    void advance() {
        const char c = buffer_[position_++];
        if (c == '\r' || (c == '\n' && previous_ != '\r')) ++line_;
        if (static_cast<unsigned char>(c) > ' ') ++printable_;
        previous_ = c;
    }
    // How many bytes above 32 have been consumed: an input of none is empty.
    std::size_t printable_consumed() const { return printable_; }

    // The number of the line the next byte belongs to, counting from 1.
    int line() const { return line_; }

    // Passes over everything up to and including the next line end.
    void skip_line();

    // A name line: up to the next line end, at most `limit` bytes kept; the
    // rest of the line is skipped.
    std::string read_line(std::size_t limit);

    // Passes over bytes 0..32, then returns the following bytes up to the
    // next byte 0..32 or the end of input, at most `limit` of them (the rest
    // stays for the next read).  Empty at the end of input.
    std::string read_token(std::size_t limit);

    // Everything that is left, as one string (for the readers of whole
    // files); RunError 106 beyond whole_file_limit bytes, so that an input
    // that never ends cannot exhaust memory.
    static constexpr std::size_t whole_file_limit = std::size_t{128} << 20;
    std::string read_rest();

    // Looking ahead without consuming anything, to tell a format by its
    // first lines: the bytes read in and not yet consumed, up to the end of
    // input (a byte 26).  read_ahead() adds the next block to them and is
    // false at the end of input; it waits for no more than one block.
    std::string_view buffered() const;
    bool read_ahead();

    // A name for messages: "standard input" or the file's name.
    std::string origin = "standard input";
    // Where line `line` of the input is, for a message: "model.lp:14: " for a
    // file, "line 14: " for standard input.
    std::string place(int line) const;

private:
    bool refill();
    // The next block of raw bytes from the descriptor into `block`; false at
    // the end of input.
    bool read_block(std::string& block);

    struct Inflater;  // gzip decompression, when the input starts with its magic bytes

    int fd_;
    std::shared_ptr<Inflater> inflater_;
    bool checked_magic_ = false;
    std::string buffer_;
    std::size_t position_ = 0;
    bool finished_ = false;
    char previous_ = 0;
    std::size_t printable_ = 0;
    int line_ = 1;
};

}  // namespace lpsens
