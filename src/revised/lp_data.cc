#include "revised/lp_data.h"

#include <string>

namespace lpsens::revised {

namespace {

std::string bound_problem(const char* what, int k, double lower, double upper) {
    if (std::isnan(lower) || std::isnan(upper)) return std::string(what) + " " + std::to_string(k) + ": bound is NaN";
    if (lower > upper) return std::string(what) + " " + std::to_string(k) + ": lower bound above upper bound";
    if (lower == infinity) return std::string(what) + " " + std::to_string(k) + ": lower bound is +infinity";
    if (upper == -infinity) return std::string(what) + " " + std::to_string(k) + ": upper bound is -infinity";
    return {};
}

}  // namespace

std::string LpData::check() const {
    if (rows < 0 || cols < 0) return "negative size";
    if (static_cast<int>(start.size()) != cols + 1) return "start must have cols + 1 entries";
    if (start[0] != 0) return "start[0] must be 0";
    for (int j = 0; j < cols; ++j)
        if (start[j + 1] < start[j]) return "start decreases at column " + std::to_string(j);
    const auto nz = static_cast<std::size_t>(start[cols]);
    if (row_index.size() != nz || value.size() != nz) return "row_index and value must have start[cols] entries";
    if (cost.size() != static_cast<std::size_t>(cols) || col_lower.size() != cost.size() ||
        col_upper.size() != cost.size())
        return "cost, col_lower and col_upper must have cols entries";
    if (row_lower.size() != static_cast<std::size_t>(rows) || row_upper.size() != row_lower.size())
        return "row_lower and row_upper must have rows entries";
    if (!std::isfinite(offset)) return "offset is not finite";
    for (std::size_t k = 0; k < nz; ++k) {
        if (row_index[k] < 0 || row_index[k] >= rows) return "row index out of range in entry " + std::to_string(k);
        if (!std::isfinite(value[k])) return "entry " + std::to_string(k) + " is not finite";
    }
    for (int j = 0; j < cols; ++j) {
        if (!std::isfinite(cost[j])) return "cost of column " + std::to_string(j) + " is not finite";
        if (auto why = bound_problem("column", j, col_lower[j], col_upper[j]); !why.empty()) return why;
    }
    for (int i = 0; i < rows; ++i)
        if (auto why = bound_problem("row", i, row_lower[i], row_upper[i]); !why.empty()) return why;
    return {};
}

}  // namespace lpsens::revised
