#include "revised/certificates.h"

#include <cmath>
#include <string>

namespace lpsens::revised {

namespace {
using Wide = long double;

bool is_noise(Wide v, Wide magnitude) { return std::fabs(v) <= certificate_noise * magnitude; }
}  // namespace

FarkasCheck check_farkas(const LpData& lp, const std::vector<double>& y) {
    FarkasCheck check;
    Wide y_big = 0;
    for (double v : y) y_big = std::max(y_big, static_cast<Wide>(std::fabs(v)));
    if (y_big == 0) {
        check.why = "y is zero";
        return check;
    }
    Wide lhs = 0, lhs_magnitude = 0;
    for (int j = 0; j < lp.cols; ++j) {
        Wide z = 0, magnitude = 0;
        for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) {
            const Wide product = static_cast<Wide>(y[lp.row_index[t]]) * lp.value[t];
            z += product;
            magnitude += std::fabs(product);
        }
        if (is_noise(z, magnitude)) continue;
        const double bound = z > 0 ? lp.col_upper[j] : lp.col_lower[j];
        if (!std::isfinite(bound)) {
            check.why = "column " + std::to_string(j) + " can move without bound";
            return check;
        }
        lhs += z * bound;
        lhs_magnitude += std::fabs(z * bound);
    }
    Wide rhs = 0, rhs_magnitude = 0;
    for (int i = 0; i < lp.rows; ++i) {
        const Wide v = y[i];
        if (is_noise(v, y_big)) continue;
        const double bound = v > 0 ? lp.row_lower[i] : lp.row_upper[i];
        if (!std::isfinite(bound)) {
            check.why = "row " + std::to_string(i) + " can move without bound";
            return check;
        }
        rhs += v * bound;
        rhs_magnitude += std::fabs(v * bound);
    }
    check.lhs_bound = static_cast<double>(lhs);
    check.rhs_bound = static_cast<double>(rhs);
    const Wide margin = certificate_noise * (lhs_magnitude + rhs_magnitude) + 1e-12 * y_big;
    check.valid = lhs + margin < rhs;
    if (!check.valid) check.why = "max of y^T A x is not below min of y^T r";
    return check;
}

RayCheck check_ray(const LpData& lp, const std::vector<double>& dx) {
    RayCheck check;
    std::vector<Wide> dr(lp.rows, 0), magnitude(lp.rows, 0);
    Wide cost = 0, cost_magnitude = 0;
    bool moves = false;
    for (int j = 0; j < lp.cols; ++j) {
        const Wide v = dx[j];
        if (v == 0) continue;
        moves = true;
        if (!is_noise(v, 1.0)) {
            const double bound = v > 0 ? lp.col_upper[j] : lp.col_lower[j];
            if (std::isfinite(bound)) {
                check.why = "column " + std::to_string(j) + " moves toward a finite bound";
                return check;
            }
        }
        cost += v * lp.cost[j];
        cost_magnitude += std::fabs(v * lp.cost[j]);
        for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) {
            dr[lp.row_index[t]] += v * lp.value[t];
            magnitude[lp.row_index[t]] += std::fabs(v * lp.value[t]);
        }
    }
    if (!moves) {
        check.why = "the ray is zero";
        return check;
    }
    for (int i = 0; i < lp.rows; ++i) {
        if (is_noise(dr[i], std::max(magnitude[i], static_cast<Wide>(1)))) continue;
        const double bound = dr[i] > 0 ? lp.row_upper[i] : lp.row_lower[i];
        if (std::isfinite(bound)) {
            check.why = "row " + std::to_string(i) + " moves toward a finite bound";
            return check;
        }
    }
    check.cost_change = static_cast<double>(cost);
    const Wide improvement = lp.sense == Sense::minimise ? -cost : cost;
    check.valid = improvement > certificate_noise * cost_magnitude && improvement > 0;
    if (!check.valid) check.why = "the objective does not improve along the ray";
    return check;
}

}  // namespace lpsens::revised
