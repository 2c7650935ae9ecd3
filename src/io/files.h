// Whole files in and out: a result file written at once, an input file opened
// for reading.  Failures are runtime errors with the system's code.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace lpsens {

// Writes `text` to the file at `path`, replacing it.
void write_text_file(const std::string& path, const std::string& text);

// A file at `path`, replaced, written in pieces as they are made (a report
// of hundreds of megabytes need never be whole in memory).  The failures are
// write_text_file's; a file given up on (an exception on the way) is closed
// as it stands.
class TextFileWriter {
public:
    explicit TextFileWriter(const std::string& path);
    TextFileWriter(const TextFileWriter&) = delete;
    TextFileWriter& operator=(const TextFileWriter&) = delete;
    ~TextFileWriter();
    void write(std::string_view text);
    void close();  // the last write's failure may only show here

private:
    [[noreturn]] void fail(int code) const;
    std::string path_;
    std::FILE* file_ = nullptr;
};

// Opens a file for reading and returns its descriptor; a folder is refused
// at once (21) rather than when the first read fails.  Pipes and devices
// (/dev/stdin, a shell's <(...)) are read as streams.
int open_input_file(const std::string& path);

// Checks, before anything is read, that write_text_file(path) can create the
// file, without creating or truncating anything: an existing file must be
// writable and no folder, a missing one needs an existing, writable folder.
// A failure is the runtime error write_text_file would give, with the
// system's code.
void check_output_file(const std::string& path);

}  // namespace lpsens
