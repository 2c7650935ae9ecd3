#include "sweep/sweep_stretch.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "sweep/basis_values.h"

namespace lpsens::sweep {

namespace {

using revised::LpData;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

FirstOptimum least_theta(LpData aux, const revised::Options& options) {
    revised::Options settings = options;
    settings.perturb_costs = false;
    revised::RevisedSimplex core(std::move(aux), settings);
    const revised::LpSolution& s = core.solve();
    FirstOptimum first;
    first.status = s.status;
    if (s.status != revised::SolveStatus::optimal) return first;
    // Theta from the basis solved again with refinement: where the data
    // are whole numbers the edge is too.
    const int theta_column = core.lp().cols - 1;
    double theta = s.col_value.back();
    const int position = core.position_of(revised::Variable::column(theta_column));
    if (position >= 0) theta = BasisValues(core, s.basis).basic_values()[position];
    first.theta = std::max(0.0, theta);
    return first;
}

// Moving bounds of columns as rows: for each moving column a row x_j -
// rate theta within the bounds that move, the column free of them; the
// entries of theta's column (the last one, begun here).
void bound_rows(const ParametricLp& lp, LpData& aux) {
    std::vector<std::vector<std::pair<int, double>>> added(at(aux.cols));
    std::vector<std::pair<int, double>> theta;
    for (std::size_t k = 0; k < lp.moving().size(); ++k) {
        const double rate = lp.rate(static_cast<int>(k));
        if (rate == 0) continue;
        const int j = lp.moving()[k];
        const bool low = lp.moves_lower(static_cast<int>(k)), up = lp.moves_upper(static_cast<int>(k));
        const int row = aux.rows++;
        const double inf = std::numeric_limits<double>::infinity();
        aux.row_lower.push_back(low ? aux.col_lower[at(j)] : -inf);
        aux.row_upper.push_back(up ? aux.col_upper[at(j)] : inf);
        if (low) aux.col_lower[at(j)] = -inf;
        if (up) aux.col_upper[at(j)] = inf;
        added[at(j)].emplace_back(row, 1.0);
        theta.emplace_back(row, -rate);
    }
    std::vector<int> start{0}, index;
    std::vector<double> value;
    for (int j = 0; j < aux.cols; ++j) {
        for (int e = aux.start[at(j)]; e < aux.start[at(j) + 1]; ++e) {
            index.push_back(aux.row_index[at(e)]);
            value.push_back(aux.value[at(e)]);
        }
        for (const auto& [row, v] : added[at(j)]) {
            index.push_back(row);
            value.push_back(v);
        }
        start.push_back(static_cast<int>(index.size()));
    }
    for (const auto& [row, v] : theta) {
        index.push_back(row);
        value.push_back(v);
    }
    aux.start = std::move(start);
    aux.row_index = std::move(index);
    aux.value = std::move(value);
}

}  // namespace

FirstOptimum first_feasible_theta(const ParametricLp& lp, const revised::Options& options) {
    // The rows as they stand at theta = 0, with theta as one more column:
    // a moving side at theta is its value at 0 plus rate times theta, so
    // the row's activity less rate times theta keeps the bounds of 0.
    LpData aux = lp.lp_at(0.0);
    aux.sense = revised::Sense::minimise;
    aux.offset = 0;
    for (double& c : aux.cost) c = 0;
    if (lp.bounds()) bound_rows(lp, aux);
    for (std::size_t k = 0; k < lp.moving().size() && !lp.bounds(); ++k) {
        const double rate = lp.rate(static_cast<int>(k));
        if (rate == 0) continue;
        aux.row_index.push_back(lp.moving()[k]);
        aux.value.push_back(-rate);
    }
    aux.start.push_back(static_cast<int>(aux.row_index.size()));
    aux.cost.push_back(1.0);
    aux.col_lower.push_back(0.0);
    aux.col_upper.push_back(lp.theta_end());
    ++aux.cols;
    return least_theta(std::move(aux), options);
}

FirstOptimum first_bounded_theta(const ParametricLp& lp, const revised::Options& options) {
    // The objective of max c x over L <= A x <= U, l <= x <= u is bounded
    // exactly when c = A^T y + w for some y and w whose signs the finite
    // bounds allow: y_i >= 0 where only U_i is finite, <= 0 where only L_i
    // is, free where both are, 0 where neither is; w_j likewise with u_j and
    // l_j.  A column with two finite bounds always has its w_j: its equation
    // is left out.  A minimisation is the maximisation of -c.
    const LpData base = lp.lp_at(0.0);
    const double sense = base.sense == revised::Sense::maximise ? 1.0 : -1.0;
    std::vector<double> cost_rate(at(base.cols), 0.0);
    for (std::size_t k = 0; k < lp.moving().size(); ++k) cost_rate[at(lp.moving()[k])] += lp.rate(static_cast<int>(k));
    std::vector<int> equation(at(base.cols), -1);  // by column: its row of the auxiliary LP
    LpData aux;
    aux.sense = revised::Sense::minimise;
    for (int j = 0; j < base.cols; ++j) {
        if (std::isfinite(base.col_lower[at(j)]) && std::isfinite(base.col_upper[at(j)])) continue;
        equation[at(j)] = aux.rows++;
        aux.row_lower.push_back(sense * base.cost[at(j)]);
        aux.row_upper.push_back(sense * base.cost[at(j)]);
    }
    if (aux.rows == 0) return {revised::SolveStatus::optimal, 0.0};  // every column boxed: always bounded
    const auto add_column = [&](double lower, double upper) {
        aux.cost.push_back(0.0);
        aux.col_lower.push_back(lower);
        aux.col_upper.push_back(upper);
        aux.start.push_back(static_cast<int>(aux.row_index.size()));
        ++aux.cols;
    };
    const auto sign_range = [](double lower, double upper, double& low, double& high) {
        const bool has_lower = std::isfinite(lower), has_upper = std::isfinite(upper);
        low = has_lower ? -revised::infinity : 0.0;
        high = has_upper ? revised::infinity : 0.0;
    };
    aux.start.push_back(0);
    // y: the rows of A, read column by column into one list per row.
    std::vector<std::vector<std::pair<int, double>>> by_row(at(base.rows));
    for (int j = 0; j < base.cols; ++j) {
        if (equation[at(j)] < 0) continue;
        for (int e = base.start[at(j)]; e < base.start[at(j) + 1]; ++e)
            by_row[at(base.row_index[at(e)])].push_back({equation[at(j)], base.value[at(e)]});
    }
    for (int i = 0; i < base.rows; ++i) {
        double low, high;
        sign_range(base.row_lower[at(i)], base.row_upper[at(i)], low, high);
        if (low == 0 && high == 0) continue;
        for (const auto& [row, value] : by_row[at(i)]) {
            aux.row_index.push_back(row);
            aux.value.push_back(value);
        }
        add_column(low, high);
    }
    // w: one column each where a bound lets it be nonzero.
    for (int j = 0; j < base.cols; ++j) {
        if (equation[at(j)] < 0) continue;
        double low, high;
        sign_range(base.col_lower[at(j)], base.col_upper[at(j)], low, high);
        if (low == 0 && high == 0) continue;
        aux.row_index.push_back(equation[at(j)]);
        aux.value.push_back(1.0);
        add_column(low, high);
    }
    // theta: the cost's rate moves each equation's right-hand side.
    for (int j = 0; j < base.cols; ++j) {
        if (equation[at(j)] < 0 || cost_rate[at(j)] == 0) continue;
        aux.row_index.push_back(equation[at(j)]);
        aux.value.push_back(-sense * cost_rate[at(j)]);
    }
    add_column(0.0, lp.theta_end());
    aux.cost.back() = 1.0;
    return least_theta(std::move(aux), options);
}

}  // namespace lpsens::sweep
