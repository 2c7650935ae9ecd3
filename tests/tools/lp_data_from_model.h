// The model as the readers give it, turned into the revised engine's LP:
// the rows' types and ranges become row bounds, the columns keep their
// bounds, the objective constant becomes the offset.
#pragma once

#include <string>

#include "model/lp_model.h"
#include "revised/lp_data.h"

namespace lpsens::tools {

revised::LpData lp_data_from_model(const LpModel& model);

// Reads an MPS file (gzip-compressed or not) into an LpData; throws
// lpsens::RunError or std::runtime_error with the reason.
revised::LpData read_mps_file(const std::string& path);

}  // namespace lpsens::tools
