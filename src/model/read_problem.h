// A problem from an input in any of the formats lpsens reads.
#pragma once

#include <string>

#include "io/byte_source.h"
#include "model/problem.h"

namespace lpsens {

// The format of an input: `requested` (native, mps, lp) when given, else by
// the file's name: .mps or .mps.gz means MPS, anything else lpsens's own.
std::string input_format(const std::string& requested, const std::string& file_name);

// Reads a problem of the given format: lpsens's own format as it streams in,
// an MPS or LP-format model whole.
Problem read_problem(ByteSource& source, const std::string& format);

}  // namespace lpsens
