#include "model/lp_model.h"
#include "model/run_error.h"
namespace lpsens {
LpModel read_lp_format(const std::string&, const std::string& file_name) {
    throw RunError(error_code::invalid_number, Site::read_lp_format, file_name + ": LP format is not read yet");
}
}  // namespace lpsens
