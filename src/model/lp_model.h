// A linear program as modelling tools write it (MPS and LP-format files):
// rows of three kinds with optional ranges, columns with bounds, either
// sense, an objective constant.  convert_model turns it into lpsens's own
// problem (maximise, every variable at least 0).
#pragma once

#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "model/stored_real.h"

namespace lpsens {

inline constexpr Extended model_infinity = HUGE_VALL;

struct ModelRow {
    std::string name;
    char type = 'L';       // 'L' <=, 'G' >=, 'E' =
    Extended rhs = 0;
    bool ranged = false;
    Extended range = 0;    // as the RANGES section gives it
};

struct ModelColumn {
    std::string name;
    Extended cost = 0;
    Extended lower = 0;
    Extended upper = model_infinity;
    bool integer = false;
    std::vector<std::pair<int, Extended>> entries;  // (row index, value)
};

struct LpModel {
    std::string name;
    std::string source;    // the file it came from, for messages
    bool maximise = false;
    Extended constant = 0;
    std::vector<ModelRow> rows;
    std::vector<ModelColumn> columns;
    std::vector<std::string> warnings;  // said on the console once the model is read
};

// How the variables of the converted problem make up a model's variables:
// x_model = shift + sign * x_converted (first part) - x_converted (second
// part, for a split free variable).  A fixed variable has no part.
struct VariableMap {
    std::string name;
    Extended shift = 0;
    int part = 0;       // 1-based variable of the converted problem, 0 for none
    int sign = 1;
    int negative_part = 0;
};

struct ConvertedModel {
    std::string text;                 // the problem in lpsens's own format
    std::vector<VariableMap> variables;
    bool maximise = false;            // the model's own sense
};

// Converts a model to lpsens's own problem text; see the README for the
// rules.  Writes what it did on `console_lines`.  RunError 106 when the
// result has more than 999 rows or variables.
ConvertedModel convert_model(const LpModel& model, std::vector<std::string>& console_lines);

// The last steps of every reader: the warning about integer variables,
// whose integrality is relaxed, and the model's name (the file's by default).
void finish_model(LpModel& model);

// Readers: each returns the model of one file's text; RunError 106 with the
// file name, line and token on malformed input.
LpModel read_mps(const std::string& text, const std::string& file_name);
LpModel read_lp_format(const std::string& text, const std::string& file_name);

}  // namespace lpsens
