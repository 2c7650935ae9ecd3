#include "lp_data_from_model.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <stdexcept>

#include <fcntl.h>
#include <unistd.h>

#include "model/byte_source.h"

namespace lpsens::tools {

namespace {

double to_double(Extended v) {
    if (v == model_infinity) return revised::infinity;
    if (v == -model_infinity) return -revised::infinity;
    return static_cast<double>(v);
}

// Row bounds with the MPS meaning of RANGES.
void row_bounds(const ModelRow& row, double& lower, double& upper) {
    const double rhs = to_double(row.rhs);
    const double range = to_double(row.range);
    lower = -revised::infinity;
    upper = revised::infinity;
    switch (row.type) {
        case 'L':
            upper = rhs;
            if (row.ranged) lower = rhs - std::fabs(range);
            break;
        case 'G':
            lower = rhs;
            if (row.ranged) upper = rhs + std::fabs(range);
            break;
        default:  // 'E'
            lower = upper = rhs;
            if (row.ranged) {
                if (range > 0) upper = rhs + range;
                else lower = rhs + range;
            }
            break;
    }
}

}  // namespace

revised::LpData lp_data_from_model(const LpModel& model) {
    revised::LpData lp;
    lp.rows = static_cast<int>(model.rows.size());
    lp.cols = static_cast<int>(model.columns.size());
    lp.sense = model.maximise ? revised::Sense::maximise : revised::Sense::minimise;
    lp.offset = to_double(model.constant);
    lp.start.reserve(lp.cols + 1);
    lp.start.push_back(0);
    for (const ModelColumn& c : model.columns) {
        for (const auto& [row, value] : c.entries) {
            lp.row_index.push_back(row);
            lp.value.push_back(to_double(value));
        }
        lp.start.push_back(static_cast<int>(lp.row_index.size()));
        lp.cost.push_back(to_double(c.cost));
        lp.col_lower.push_back(to_double(c.lower));
        lp.col_upper.push_back(to_double(c.upper));
    }
    lp.row_lower.resize(lp.rows);
    lp.row_upper.resize(lp.rows);
    for (int i = 0; i < lp.rows; ++i) row_bounds(model.rows[i], lp.row_lower[i], lp.row_upper[i]);
    return lp;
}

revised::LpData read_mps_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) throw std::runtime_error(path + ": " + std::strerror(errno));
    std::string text;
    try {
        ByteSource source(fd);
        source.origin = path;
        text = source.read_rest();
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return lp_data_from_model(read_mps(text, path));
}

}  // namespace lpsens::tools
