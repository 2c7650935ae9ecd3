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
    void attach(int fd, bool immediate, Site site);

    Channel(const Channel&) = delete;
    Channel& operator=(const Channel&) = delete;

    void write(std::string_view text);
    void write(char c) { write(std::string_view(&c, 1)); }
    // A whole line ending in a line feed, on a line of its own: a line feed
    // goes first when the last write did not end a line (progress marks).
    void write_line(std::string_view text);
    // The console's kinds of text: progress marks (and the line end that
    // closes their line) and notes are left out on a quiet channel
    // (--quiet); warnings and errors go through write() and always out.
    void mark(std::string_view marks);
    void mark(char c) { mark(std::string_view(&c, 1)); }
    void note(std::string_view text);
    void set_quiet(bool quiet) { quiet_ = quiet; }
    bool quiet() const { return quiet_; }
    // A channel on a terminal: only there does the console show status
    // lines during long solves.  attach() finds it out; tests may say so.
    bool terminal() const { return terminal_; }
    void set_terminal(bool terminal) { terminal_ = terminal; }

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
    bool quiet_ = false;
    bool terminal_ = false;
};

// The two channels of a run: the report (standard output) and the console
// (progress marks, notes, warnings and explanations; standard error).
struct Channels {
    Channel out;
    Channel console;
};

// CR LF, the line end of every line lpsens writes to standard output and to
// the console.
inline constexpr std::string_view line_end = "\r\n";

}  // namespace lpsens
