// A problem from an input in any of the formats lpsens reads.
#pragma once

#include <string>
#include <string_view>

#include "io/byte_source.h"
#include "model/problem.h"

namespace lpsens {

// The format of an input: `requested` (native, mps, lp) when given, else by
// the file's name: .mps or .mps.gz means MPS.  Empty when neither decides:
// read_problem then tells the format by the input's first lines.
std::string input_format(const std::string& requested, const std::string& file_name);

// How the first bytes of an input read when no format is named, after a
// UTF-8 byte-order mark, blank lines and comment lines ("\\" of LP format,
// "*" of MPS): LP format when the first word opens an objective section
// (Maximize, Min, ... in any case); MPS when the first line begins with NAME,
// ROWS or OBJSENSE as a whole word; otherwise lpsens's own format.  A keyword
// on the very first line followed by four integers on the next is the title
// and dimension line of lpsens's own format (a problem titled "Max profit" or
// "NAME list").  `complete` says the bytes are all of the input.
enum class FormatGuess { native, lp_format, mps, undecided };
FormatGuess guess_format(std::string_view first_bytes, bool complete);

// Reads a problem of the given format: lpsens's own format as it streams in,
// an MPS or LP-format model whole; an empty format by the input's content.
Problem read_problem(ByteSource& source, const std::string& format);

}  // namespace lpsens
