#include "check/model_certificates.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace lpsens {

namespace {

constexpr Extended noise = 1e-9L;
constexpr Extended feasibility_tolerance = 1e-7L;

bool finite(Extended v) { return std::isfinite(static_cast<double>(v)); }

std::string figure(Extended v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10Lg", v);
    return text;
}

void note(CheckReport& report, const std::string& what) {
    if (report.findings.size() < 20) report.findings.push_back(what);
}

}  // namespace

CheckReport check_model_farkas(const Problem& model, const std::vector<double>& y) {
    CheckReport report;
    report.certificate_checked = true;
    report.pivot_ratio_known = false;
    const int n = model.column_count();
    const int m = model.row_count();
    if (static_cast<int>(y.size()) != m) {
        note(report, "the certificate has " + std::to_string(y.size()) + " multipliers for " + std::to_string(m) + " rows");
        return report;
    }
    // The largest z x over the column bounds.
    Extended largest = 0, scale = 1;
    for (int j = 0; j < n; ++j) {
        Extended z = 0, column_scale = 1;
        model.matrix.for_each(j, [&](int i, Extended a) {
            const Extended ya = a * static_cast<Extended>(y[i]);
            z += ya;
            column_scale = std::max(column_scale, std::fabs(ya));
        });
        if (std::fabs(z) <= noise * column_scale) continue;
        const ProblemColumn& c = model.columns[j];
        const Extended bound = z > 0 ? c.upper : c.lower;
        if (!finite(bound)) {
            note(report, "column \"" + c.name + "\" can move without end against the certificate");
            return report;
        }
        largest += z * bound;
        scale = std::max(scale, std::fabs(z * bound));
    }
    // The smallest y r over the row sides.
    Extended smallest = 0;
    for (int i = 0; i < m; ++i) {
        if (y[i] == 0) continue;
        const RowSides s = row_sides(model.rows[i]);
        const Extended side = y[i] > 0 ? s.lower : s.upper;
        if (!finite(side)) {
            note(report, "row \"" + model.rows[i].name + "\" has no side where the certificate needs one");
            return report;
        }
        smallest += static_cast<Extended>(y[i]) * side;
        scale = std::max(scale, std::fabs(static_cast<Extended>(y[i]) * side));
    }
    report.certificate_bound = largest - smallest;
    if (!(largest - smallest < -noise * scale))
        note(report, "the certificate does not prove infeasibility: max z x = " + figure(largest) +
                         " is not below min y r = " + figure(smallest));
    return report;
}

CheckReport check_model_ray(const Problem& model, const std::vector<double>& x, const std::vector<double>& dx) {
    CheckReport report;
    report.certificate_checked = true;
    report.pivot_ratio_known = false;
    const int n = model.column_count();
    const int m = model.row_count();
    if (static_cast<int>(x.size()) != n || static_cast<int>(dx.size()) != n) {
        note(report, "the point or the direction does not have one entry per column");
        return report;
    }
    std::vector<Extended> activity(m, 0), move(m, 0), row_scale(m, 1), move_scale(m, 1);
    Extended gain = 0, gain_scale = 1;
    for (int j = 0; j < n; ++j) {
        const ProblemColumn& c = model.columns[j];
        const Extended v = x[j], d = dx[j];
        if (v < c.lower - feasibility_tolerance * std::max<Extended>(1, std::fabs(v)) ||
            v > c.upper + feasibility_tolerance * std::max<Extended>(1, std::fabs(v)))
            note(report, "column \"" + c.name + "\" lies outside its bounds at the point");
        if ((d > noise && finite(c.upper)) || (d < -noise && finite(c.lower)))
            note(report, "column \"" + c.name + "\" meets a bound along the direction");
        gain += c.cost * d;
        gain_scale = std::max(gain_scale, std::fabs(c.cost * d));
        model.matrix.for_each(j, [&](int i, Extended a) {
            activity[i] += a * v;
            row_scale[i] = std::max(row_scale[i], std::fabs(a * v));
            move[i] += a * d;
            move_scale[i] = std::max(move_scale[i], std::fabs(a * d));
        });
    }
    for (int i = 0; i < m; ++i) {
        const RowSides s = row_sides(model.rows[i]);
        const Extended tolerance = feasibility_tolerance * std::max({row_scale[i], finite(s.lower) ? std::fabs(s.lower) : 0,
                                                                     finite(s.upper) ? std::fabs(s.upper) : 0});
        if (activity[i] < s.lower - tolerance || activity[i] > s.upper + tolerance)
            note(report, "row \"" + model.rows[i].name + "\" is violated at the point");
        if ((move[i] > noise * move_scale[i] && finite(s.upper)) || (move[i] < -noise * move_scale[i] && finite(s.lower)))
            note(report, "row \"" + model.rows[i].name + "\" meets a side along the direction");
    }
    if (model.maximise) gain = -gain;
    report.certificate_bound = gain;
    if (!(gain < -noise * gain_scale))
        note(report, "the direction does not improve the objective (" + figure(gain) + ")");
    report.feasible = report.findings.empty();
    return report;
}

}  // namespace lpsens
