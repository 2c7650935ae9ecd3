// An output channel: standard output (buffered), the console (every write goes
// out at once), or a string (tests).  A failing write stops the run with the
// operating system's error code.
#pragma once

#include <string>
#include <string_view>

#include "numeric/run_error.h"

namespace lpsens {

class Channel {
public:
    // A channel that keeps everything in memory; `captured()` returns it.
    Channel() = default;
    // A channel on a file descriptor.  `immediate` writes every piece at once
    // (the console); otherwise pieces collect in a buffer until it fills or
    // flush() is called.  `site` names the failing operation in the
    // runtime-error line.
    Channel(int fd, bool immediate, Site site) : fd_(fd), immediate_(immediate), site_(site) {}

    // Turns an in-memory channel into one on a file descriptor.
    void attach(int fd, bool immediate, Site site) {
        fd_ = fd;
        immediate_ = immediate;
        site_ = site;
    }

    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    void write(std::string_view text);
    void write(char c) { write(std::string_view(&c, 1)); }
    // A whole line ending in a line feed, on a line of its own: a line feed
    // goes first when the last write did not end a line (progress marks).
    void write_line(std::string_view text);
    void flush();
    // Writes what is buffered and reports the error code instead of throwing;
    // used on the way out after a runtime error.
    int flush_quietly();

    bool in_memory() const { return fd_ < 0; }
    const std::string& captured() const { return buffer_; }
    void clear_captured() { buffer_.clear(); }

private:
    int write_all(std::string_view text);

    int fd_ = -1;
    bool immediate_ = false;
    Site site_ = Site::output_write;
    std::string buffer_;
    bool at_line_start_ = true;
};

// The two channels of a run: the report (standard output) and the console
// (progress marks, warnings and explanations; standard error).
struct Channels {
    Channel out;
    Channel console;
};

// CR LF, the line end of every line lpsens writes to standard output and to
// the console.
inline constexpr std::string_view line_end = "\r\n";

}  // namespace lpsens
