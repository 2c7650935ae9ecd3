#include "revised_test_support.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace lpsens::revised::testing {

namespace {
using Wide = long double;

Wide wide_abs(Wide v) { return v < 0 ? -v : v; }
}  // namespace

LpData make_lp(Sense sense, const std::vector<RowSpec>& rows, const std::vector<ColSpec>& cols, double offset) {
    LpData lp;
    lp.sense = sense;
    lp.offset = offset;
    lp.rows = static_cast<int>(rows.size());
    lp.cols = static_cast<int>(cols.size());
    for (const RowSpec& r : rows) {
        lp.row_lower.push_back(r.lower);
        lp.row_upper.push_back(r.upper);
    }
    lp.start.push_back(0);
    for (const ColSpec& c : cols) {
        for (const auto& [row, value] : c.entries) {
            lp.row_index.push_back(row);
            lp.value.push_back(value);
        }
        lp.start.push_back(static_cast<int>(lp.row_index.size()));
        lp.cost.push_back(c.cost);
        lp.col_lower.push_back(c.lower);
        lp.col_upper.push_back(c.upper);
    }
    return lp;
}

std::string describe(const LpData& lp) {
    std::ostringstream out;
    out << (lp.sense == Sense::minimise ? "min" : "max");
    for (int j = 0; j < lp.cols; ++j) out << ' ' << lp.cost[j] << "*x" << j;
    out << '\n';
    for (int i = 0; i < lp.rows; ++i) {
        out << "  " << lp.row_lower[i] << " <=";
        for (int j = 0; j < lp.cols; ++j)
            for (int t = lp.start[j]; t < lp.start[j + 1]; ++t)
                if (lp.row_index[t] == i) out << ' ' << lp.value[t] << "*x" << j;
        out << " <= " << lp.row_upper[i] << '\n';
    }
    for (int j = 0; j < lp.cols; ++j) out << "  " << lp.col_lower[j] << " <= x" << j << " <= " << lp.col_upper[j] << '\n';
    return out.str();
}

::testing::AssertionResult is_certified_optimal(const LpData& lp, const LpSolution& s, double tol) {
    if (s.status != SolveStatus::optimal) return ::testing::AssertionFailure() << "status " << to_string(s.status);
    const int n = lp.cols, m = lp.rows;
    if (static_cast<int>(s.col_value.size()) != n || static_cast<int>(s.row_dual.size()) != m)
        return ::testing::AssertionFailure() << "result vectors of the wrong size";
    // In minimisation terms.
    const double sign = lp.sense == Sense::minimise ? 1.0 : -1.0;
    std::vector<Wide> r(m, 0), d(n);
    Wide primal = 0;
    for (int j = 0; j < n; ++j) {
        const double x = s.col_value[j];
        if (x < lp.col_lower[j] - tol * (1 + std::fabs(x)) || x > lp.col_upper[j] + tol * (1 + std::fabs(x)))
            return ::testing::AssertionFailure() << "x" << j << " = " << x << " outside its bounds";
        d[j] = sign * lp.cost[j];
        for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) {
            r[lp.row_index[t]] += static_cast<Wide>(lp.value[t]) * x;
            d[j] -= sign * static_cast<Wide>(lp.value[t]) * s.row_dual[lp.row_index[t]];
        }
        primal += static_cast<Wide>(lp.cost[j]) * x;
    }
    Wide dual_bound = 0;
    // A dual value that asks for an infinite bound must be (nearly) zero.
    auto bound_term = [&](Wide coefficient, double lower, double upper, double value, const std::string& what,
                          Wide& out) -> ::testing::AssertionResult {
        const double slack = tol * (1 + std::fabs(value));
        if (coefficient > tol) {
            if (value > lower + slack)
                return ::testing::AssertionFailure() << what << " is off its lower bound with dual " << static_cast<double>(coefficient);
            if (std::isfinite(lower)) out += coefficient * lower;
        } else if (coefficient < -tol) {
            if (value < upper - slack)
                return ::testing::AssertionFailure() << what << " is off its upper bound with dual " << static_cast<double>(coefficient);
            if (std::isfinite(upper)) out += coefficient * upper;
        } else {
            // Negligible: counts at the value itself.
            out += coefficient * value;
        }
        return ::testing::AssertionSuccess();
    };
    for (int i = 0; i < m; ++i) {
        const double ri = static_cast<double>(r[i]);
        if (ri < lp.row_lower[i] - tol * (1 + std::fabs(ri)) || ri > lp.row_upper[i] + tol * (1 + std::fabs(ri)))
            return ::testing::AssertionFailure() << "row " << i << " activity " << ri << " outside its bounds";
        auto result = bound_term(sign * static_cast<Wide>(s.row_dual[i]), lp.row_lower[i], lp.row_upper[i], ri,
                                 "row " + std::to_string(i), dual_bound);
        if (!result) return result;
    }
    for (int j = 0; j < n; ++j) {
        auto result = bound_term(d[j], lp.col_lower[j], lp.col_upper[j], s.col_value[j], "x" + std::to_string(j),
                                 dual_bound);
        if (!result) return result;
    }
    const Wide primal_min = sign * primal;
    if (wide_abs(primal_min - dual_bound) > tol * (1 + wide_abs(primal_min)) * 10)
        return ::testing::AssertionFailure() << "primal objective " << static_cast<double>(primal_min)
                                             << " and dual bound " << static_cast<double>(dual_bound) << " differ";
    const double objective = static_cast<double>(primal + lp.offset);
    if (std::fabs(objective - s.objective) > tol * (1 + std::fabs(objective)))
        return ::testing::AssertionFailure() << "reported objective " << s.objective << ", c^T x + offset " << objective;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult is_farkas_proof(const LpData& lp, const std::vector<double>& y) {
    if (static_cast<int>(y.size()) != lp.rows) return ::testing::AssertionFailure() << "y of the wrong size";
    Wide lhs = 0, rhs = 0, scale = 0;
    for (int j = 0; j < lp.cols; ++j) {
        Wide z = 0, magnitude = 0;
        for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) {
            z += static_cast<Wide>(lp.value[t]) * y[lp.row_index[t]];
            magnitude += wide_abs(static_cast<Wide>(lp.value[t]) * y[lp.row_index[t]]);
        }
        if (wide_abs(z) <= 1e-9 * magnitude) continue;
        const double bound = z > 0 ? lp.col_upper[j] : lp.col_lower[j];
        if (!std::isfinite(bound)) return ::testing::AssertionFailure() << "z" << j << " meets an infinite bound";
        lhs += z * bound;
        scale += wide_abs(z * bound);
    }
    for (int i = 0; i < lp.rows; ++i) {
        if (y[i] == 0) continue;
        const double bound = y[i] > 0 ? lp.row_lower[i] : lp.row_upper[i];
        if (!std::isfinite(bound)) return ::testing::AssertionFailure() << "y" << i << " meets an infinite bound";
        rhs += static_cast<Wide>(y[i]) * bound;
        scale += wide_abs(static_cast<Wide>(y[i]) * bound);
    }
    if (!(lhs < rhs - 1e-9 * (1 + scale)))
        return ::testing::AssertionFailure() << "max z^T x = " << static_cast<double>(lhs)
                                             << " is not below min y^T r = " << static_cast<double>(rhs);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult is_unbounded_proof(const LpData& lp, const LpSolution& s) {
    if (s.status != SolveStatus::unbounded) return ::testing::AssertionFailure() << "status " << to_string(s.status);
    const double tol = 1e-7;
    std::vector<Wide> r(lp.rows, 0), dr(lp.rows, 0);
    Wide slope = 0;
    double biggest = 0;
    for (int j = 0; j < lp.cols; ++j) {
        const double x = s.col_value[j], dx = s.ray[j];
        biggest = std::max(biggest, std::fabs(dx));
        if (x < lp.col_lower[j] - tol * (1 + std::fabs(x)) || x > lp.col_upper[j] + tol * (1 + std::fabs(x)))
            return ::testing::AssertionFailure() << "the point is outside the bounds of x" << j;
        if ((dx > 0 && std::isfinite(lp.col_upper[j])) || (dx < 0 && std::isfinite(lp.col_lower[j])))
            return ::testing::AssertionFailure() << "x" << j << " moves toward a finite bound";
        slope += static_cast<Wide>(lp.cost[j]) * dx;
        for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) {
            r[lp.row_index[t]] += static_cast<Wide>(lp.value[t]) * x;
            dr[lp.row_index[t]] += static_cast<Wide>(lp.value[t]) * dx;
        }
    }
    if (biggest == 0) return ::testing::AssertionFailure() << "the ray is zero";
    for (int i = 0; i < lp.rows; ++i) {
        const double ri = static_cast<double>(r[i]), dri = static_cast<double>(dr[i]);
        if (ri < lp.row_lower[i] - tol * (1 + std::fabs(ri)) || ri > lp.row_upper[i] + tol * (1 + std::fabs(ri)))
            return ::testing::AssertionFailure() << "the point is outside the bounds of row " << i;
        if ((dri > 1e-9 && std::isfinite(lp.row_upper[i])) || (dri < -1e-9 && std::isfinite(lp.row_lower[i])))
            return ::testing::AssertionFailure() << "row " << i << " moves toward a finite bound";
    }
    const Wide improvement = lp.sense == Sense::minimise ? -slope : slope;
    if (!(improvement > 1e-9)) return ::testing::AssertionFailure() << "the objective does not improve along the ray";
    return ::testing::AssertionSuccess();
}

namespace {

// Solves the k x k system M v = b (row-major) by Gaussian elimination with
// partial pivoting; false when M is (nearly) singular.
bool solve_dense(std::vector<Wide> M, std::vector<Wide> b, int k, std::vector<Wide>& v) {
    for (int c = 0; c < k; ++c) {
        int best = c;
        for (int r = c + 1; r < k; ++r)
            if (wide_abs(M[r * k + c]) > wide_abs(M[best * k + c])) best = r;
        if (wide_abs(M[best * k + c]) < 1e-12) return false;
        if (best != c) {
            for (int t = 0; t < k; ++t) std::swap(M[c * k + t], M[best * k + t]);
            std::swap(b[c], b[best]);
        }
        for (int r = c + 1; r < k; ++r) {
            const Wide f = M[r * k + c] / M[c * k + c];
            if (f == 0) continue;
            for (int t = c; t < k; ++t) M[r * k + t] -= f * M[c * k + t];
            b[r] -= f * b[c];
        }
    }
    v.assign(k, 0);
    for (int c = k - 1; c >= 0; --c) {
        Wide sum = b[c];
        for (int t = c + 1; t < k; ++t) sum -= M[c * k + t] * v[t];
        v[c] = sum / M[c * k + c];
    }
    return true;
}

}  // namespace

bool enumerate_optimum(const LpData& lp, double& objective) {
    const int n = lp.cols, m = lp.rows, total = n + m;
    // [A -I] densely, and the bounds of (x, r).
    std::vector<Wide> full(static_cast<std::size_t>(m) * total, 0);
    for (int j = 0; j < n; ++j)
        for (int t = lp.start[j]; t < lp.start[j + 1]; ++t) full[lp.row_index[t] * total + j] += lp.value[t];
    for (int i = 0; i < m; ++i) full[i * total + n + i] = -1;
    std::vector<double> lower(lp.col_lower), upper(lp.col_upper), cost(lp.cost);
    lower.insert(lower.end(), lp.row_lower.begin(), lp.row_lower.end());
    upper.insert(upper.end(), lp.row_upper.begin(), lp.row_upper.end());
    cost.resize(total, 0.0);
    const double sign = lp.sense == Sense::minimise ? 1.0 : -1.0;
    bool found = false;
    Wide best = 0;
    std::vector<int> basic(m);
    std::vector<char> is_basic(total, 0);
    // Every basic set of size m (as an increasing sequence), every choice
    // of finite bounds for the nonbasic variables.
    for (int i = 0; i < m; ++i) basic[i] = i;
    for (;;) {
        std::fill(is_basic.begin(), is_basic.end(), 0);
        for (int b : basic) is_basic[b] = 1;
        std::vector<int> nonbasic;
        for (int v = 0; v < total; ++v)
            if (!is_basic[v]) nonbasic.push_back(v);
        std::vector<Wide> M(static_cast<std::size_t>(m) * m);
        for (int i = 0; i < m; ++i)
            for (int k = 0; k < m; ++k) M[i * m + k] = full[i * total + basic[k]];
        const int choices = 1 << nonbasic.size();
        for (int choice = 0; choice < choices; ++choice) {
            std::vector<Wide> value(total, 0);
            bool usable = true;
            for (std::size_t t = 0; t < nonbasic.size() && usable; ++t) {
                const int v = nonbasic[t];
                const double b = (choice >> t) & 1 ? upper[v] : lower[v];
                if (!std::isfinite(b)) usable = false;
                value[v] = b;
            }
            if (!usable) continue;
            std::vector<Wide> rhs(m, 0), solved;
            for (int i = 0; i < m; ++i)
                for (int v : nonbasic) rhs[i] -= full[i * total + v] * value[v];
            if (m > 0 && !solve_dense(M, rhs, m, solved)) continue;
            for (int k = 0; k < m; ++k) value[basic[k]] = solved[k];
            bool feasible = true;
            for (int v = 0; v < total && feasible; ++v) {
                const Wide slack = 1e-9 * (1 + wide_abs(value[v]));
                if (value[v] < lower[v] - slack || value[v] > upper[v] + slack) feasible = false;
            }
            if (!feasible) continue;
            Wide obj = 0;
            for (int v = 0; v < n; ++v) obj += static_cast<Wide>(cost[v]) * value[v];
            if (!found || sign * obj < sign * best) best = obj;
            found = true;
        }
        // Next basic set.
        int i = m - 1;
        while (i >= 0 && basic[i] == total - m + i) --i;
        if (i < 0) break;
        ++basic[i];
        for (int k = i + 1; k < m; ++k) basic[k] = basic[k - 1] + 1;
    }
    objective = static_cast<double>(best + lp.offset);
    return found;
}

LpData random_lp(std::mt19937& random, int rows, int cols, bool all_boxed, double density) {
    auto pick = [&](const std::vector<double>& set) {
        return set[std::uniform_int_distribution<std::size_t>(0, set.size() - 1)(random)];
    };
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    const std::vector<double> entries = {-3, -2, -1, -0.5, 0.5, 1, 1, 2, 3, 7};
    const std::vector<double> costs = {-2, -1, -1, 0, 1, 1, 2, 0.5, 3};
    const std::vector<double> levels = {-4, -2, -1, 0, 0, 1, 2, 3, 5};
    const std::vector<double> widths = {0, 1, 2, 4, 10};
    std::vector<RowSpec> row_specs(rows);
    for (RowSpec& r : row_specs) {
        const double level = pick(levels);
        const int kind = std::uniform_int_distribution<int>(0, 9)(random);
        if (kind < 3) r = {-inf, level};
        else if (kind < 6) r = {level, inf};
        else if (kind < 8) r = {level, level};
        else if (kind < 9) r = {level, level + pick(widths)};
        else r = {-inf, inf};
    }
    std::vector<ColSpec> col_specs(cols);
    for (ColSpec& c : col_specs) {
        c.cost = pick(costs);
        const double level = pick(levels);
        const int kind = all_boxed ? 0 : std::uniform_int_distribution<int>(0, 5)(random);
        if (kind <= 1) {
            c.lower = level;
            c.upper = level + pick(widths);
        } else if (kind <= 3) {
            c.lower = level;
            c.upper = inf;
        } else if (kind == 4) {
            c.lower = -inf;
            c.upper = level;
        } else {
            c.lower = -inf;
            c.upper = inf;
        }
        for (int i = 0; i < rows; ++i)
            if (unit(random) < density) c.entries.push_back({i, pick(entries)});
    }
    const Sense sense = unit(random) < 0.5 ? Sense::minimise : Sense::maximise;
    return make_lp(sense, row_specs, col_specs, pick(levels));
}

}  // namespace lpsens::revised::testing
