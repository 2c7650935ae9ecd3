// An MPS file read straight into the revised engine's LP, for the test
// driver and the engine's own tests.
#pragma once

#include <string>

#include "accurate/lp_from_model.h"

namespace lpsens::tools {

// Reads an MPS file (gzip-compressed or not) into an LpData; throws
// lpsens::RunError or std::runtime_error with the reason.
revised::LpData read_mps_file(const std::string& path);

}  // namespace lpsens::tools
