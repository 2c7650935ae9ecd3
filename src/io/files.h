// Whole files in and out: a result file written at once, an input file opened
// for reading.  Failures are runtime errors with the system's code.
#pragma once

#include <string>

namespace lpsens {

// Writes `text` to the file at `path`, replacing it.
void write_text_file(const std::string& path, const std::string& text);

// Opens a file for reading and returns its descriptor.
int open_input_file(const std::string& path);

}  // namespace lpsens
