// Problems from files in any of the formats lpsens reads, and the problem
// written back in its own format.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/byte_source.h"
#include "model/lp_model.h"
#include "model/workspace.h"

namespace lpsens {

// The format of an input: `requested` (native, mps, lp) when given, else by
// the file's name: .mps or .mps.gz means MPS, anything else lpsens's own.
std::string input_format(const std::string& requested, const std::string& file_name);

// Reads a problem of the given format into the workspace (read_problem for
// lpsens's own; an MPS or LP-format model converted first, with its
// warnings and what the conversion did on the console).  Returns the
// conversion of an imported model.
std::optional<ConvertedModel> read_any_problem(Workspace& ws, ByteSource& source, const std::string& format,
                                               const char* mode);

// Adds "$$$start&&&end" to the name each item "NAME:START:END" names: a
// variable in mode "pv", a row in mode "rv".  RunError 106 when no such name.
void mark_sweep_items(Workspace& ws, const std::vector<std::string>& items);

// Writes the problem as read (before parametric items are taken out) in
// lpsens's own format, every value with enough digits to read back the same.
void write_problem_file(const Workspace& ws, const std::string& path);

// Writes `text` to the file at `path`; RunError with the system's code.
void write_text_file(const std::string& path, const std::string& text);

// Opens a file for reading; RunError with the system's code when it cannot.
int open_input_file(const std::string& path);

}  // namespace lpsens
