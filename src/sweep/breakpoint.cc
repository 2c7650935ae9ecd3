#include "sweep/breakpoint.h"

#include "sweep/basis_values.h"

#include <algorithm>
#include <cmath>

namespace lpsens::sweep {

namespace {

using revised::BasisStatus;
using revised::LpSolution;
using revised::Variable;

constexpr double infinity = std::numeric_limits<double>::infinity();
// Rates and tableau entries below this fraction of the largest of their
// kind are rounding noise.
constexpr double relative_noise = 1e-9;
// A basic value within this (relative to 1 + |bound|) of its bound stands
// on it.
constexpr double value_tolerance = 1e-9;
// A reduced cost within this (relative to 1 + the largest cost) is zero.
constexpr double cost_tolerance = 1e-9;

std::size_t at(int i) { return static_cast<std::size_t>(i); }

double value_of(const LpSolution& s, Variable v) {
    return v.kind == Variable::Kind::column ? s.col_value[at(v.index)] : s.row_activity[at(v.index)];
}
double lower_of(const revised::LpData& lp, Variable v) {
    return v.kind == Variable::Kind::column ? lp.col_lower[at(v.index)] : lp.row_lower[at(v.index)];
}
double upper_of(const revised::LpData& lp, Variable v) {
    return v.kind == Variable::Kind::column ? lp.col_upper[at(v.index)] : lp.row_upper[at(v.index)];
}
// The reduced cost of a column, or of a row's activity (its dual), in
// the sense of a minimisation: >= 0 at a lower bound, <= 0 at an upper one.
double min_cost_of(const ParametricLp& lp, const LpSolution& s, Variable v) {
    const double d = v.kind == Variable::Kind::column ? s.reduced_cost[at(v.index)] : s.row_dual[at(v.index)];
    return lp.maximise() ? -d : d;
}

double slack_below(double value, double lower) {
    const double slack = value - lower;
    return slack <= value_tolerance * (1 + std::fabs(lower)) ? 0.0 : slack;
}

// Every nonbasic variable, columns first.
template <class Visit>
void for_each_nonbasic(const LpSolution& s, Visit visit) {
    for (std::size_t j = 0; j < s.basis.col_status.size(); ++j)
        if (s.basis.col_status[j] != BasisStatus::basic)
            visit(Variable::column(static_cast<int>(j)), s.basis.col_status[j]);
    for (std::size_t i = 0; i < s.basis.row_status.size(); ++i)
        if (s.basis.row_status[i] != BasisStatus::basic)
            visit(Variable::row(static_cast<int>(i)), s.basis.row_status[i]);
}

// A candidate of a ratio test: the smallest ratio wins, and among ratios
// within the tolerance-widened smallest (Harris's two passes), the largest
// entry, for a stable exchange.
struct Candidate {
    double ratio = infinity;
    double entry = 0;
};

std::size_t harris_choice(const std::vector<Candidate>& candidates, double slack_tolerance) {
    double bound = infinity;
    for (const Candidate& c : candidates) bound = std::min(bound, c.ratio + slack_tolerance / std::fabs(c.entry));
    std::size_t best = candidates.size();
    for (std::size_t k = 0; k < candidates.size(); ++k)
        if (candidates[k].ratio <= bound &&
            (best == candidates.size() || std::fabs(candidates[k].entry) > std::fabs(candidates[best].entry)))
            best = k;
    return best;
}

// Bounds of columns: a basic column's bounds move themselves; a nonbasic one
// on a moving bound moves with it and pushes the basic values along -B^-1 of
// its column.  A nonbasic column whose other bound moves toward the one it
// stands on ends the sweep where the two meet: `crossing`, the least step
// to such a meeting.
void push_columns(const ParametricLp& lp, const LpSolution& s, const revised::RevisedSimplex& core,
                  std::vector<long double>& pushed, std::vector<double>& lower_rate, std::vector<double>& upper_rate,
                  double& crossing) {
    const revised::LpData& data = lp.lp();
    for (std::size_t k = 0; k < lp.moving().size(); ++k) {
        const int column = lp.moving()[k];
        const double rate = lp.rate(static_cast<int>(k));
        if (rate == 0) continue;
        const bool low = lp.moves_lower(static_cast<int>(k)), up = lp.moves_upper(static_cast<int>(k));
        const int position = core.position_of(Variable::column(column));
        if (position >= 0) {
            if (low && std::isfinite(data.col_lower[at(column)])) lower_rate[at(position)] += rate;
            if (up && std::isfinite(data.col_upper[at(column)])) upper_rate[at(position)] += rate;
            continue;
        }
        if (lp.follows_bound(static_cast<int>(k), s)) {
            for (int e = data.start[at(column)]; e < data.start[at(column) + 1]; ++e)
                pushed[at(data.row_index[at(e)])] -= static_cast<long double>(data.value[at(e)]) * rate;
        }
        // The bound that moves alone, toward the one the column stands on.
        const double gap = data.col_upper[at(column)] - data.col_lower[at(column)];
        if (low != up && std::isfinite(gap) && ((low && rate > 0) || (up && rate < 0)))
            crossing = std::min(crossing, std::max(0.0, gap) / std::fabs(rate));
    }
}

// Sides: the basic values move along B^-1 of the moving activities of
// nonbasic rows (each at its moving bound); a basic row's bounds move
// themselves.  The breakpoint is where the first basic value reaches a bound.
Breakpoint side_breakpoint(const ParametricLp& lp, const LpSolution& s) {
    const revised::RevisedSimplex& core = lp.core();
    const revised::LpData& data = lp.lp();
    const BasisValues basis(core, s.basis);
    const std::vector<double> value = basis.basic_values();
    const std::size_t m = value.size();
    std::vector<long double> pushed(m, 0);
    std::vector<double> lower_rate(m, 0.0), upper_rate(m, 0.0);
    double crossing = std::numeric_limits<double>::infinity();
    if (lp.bounds()) push_columns(lp, s, core, pushed, lower_rate, upper_rate, crossing);
    for (std::size_t k = 0; k < lp.moving().size() && !lp.bounds(); ++k) {
        const int row = lp.moving()[k];
        const double rate = lp.rate(static_cast<int>(k));
        if (rate == 0) continue;
        const int position = core.position_of(Variable::row(row));
        if (position >= 0) {
            if (std::isfinite(data.row_lower[at(row)])) lower_rate[at(position)] += rate;
            if (std::isfinite(data.row_upper[at(row)])) upper_rate[at(position)] += rate;
        } else if (s.basis.row_status[at(row)] != BasisStatus::free_at_zero) {
            pushed[at(row)] += rate;
        }
    }
    const std::vector<double> value_rate = basis.solve(pushed);
    double biggest = 0;
    for (std::size_t p = 0; p < m; ++p)
        biggest = std::max({biggest, std::fabs(value_rate[p]), std::fabs(lower_rate[p]), std::fabs(upper_rate[p])});
    const double noise = relative_noise * biggest;
    const std::vector<Variable>& header = basis.header();
    Breakpoint best;
    double best_rate = 0;
    const auto consider = [&](double step, double rate, int p, bool to_upper) {
        if (step < best.step || (step == best.step && std::fabs(rate) > best_rate)) {
            best.step = step;
            best.position = p;
            best.to_upper = to_upper;
            best_rate = std::fabs(rate);
        }
    };
    for (std::size_t p = 0; p < m; ++p) {
        const Variable v = header[p];
        const double lower = lower_of(data, v);
        const double upper = upper_of(data, v);
        const double toward_lower = value_rate[p] - lower_rate[p];
        const double toward_upper = value_rate[p] - upper_rate[p];
        if (std::isfinite(lower) && toward_lower < -noise)
            consider(slack_below(value[p], lower) / -toward_lower, toward_lower, static_cast<int>(p), false);
        if (std::isfinite(upper) && toward_upper > noise)
            consider(slack_below(-value[p], -upper) / toward_upper, toward_upper, static_cast<int>(p), true);
    }
    if (crossing < best.step) {
        best = Breakpoint{};
        best.step = crossing;  // no position: no basis holds beyond
    }
    return best;
}

// Costs: the duals y = B^-T c_B and their rates along theta give every
// nonbasic reduced cost (c_j - a_j^T y for a column, y_i for a row's
// activity) and its rate, in the sense of a minimisation.  The breakpoint
// is where the first reaches zero.
Breakpoint cost_breakpoint(const ParametricLp& lp, const LpSolution& s) {
    const revised::LpData& data = lp.lp();
    const BasisValues basis(lp.core(), s.basis);
    const std::vector<Variable>& header = basis.header();
    std::vector<double> cost_rate(at(data.cols), 0.0);
    for (std::size_t k = 0; k < lp.moving().size(); ++k) cost_rate[at(lp.moving()[k])] += lp.rate(static_cast<int>(k));
    std::vector<long double> basic_cost(header.size(), 0), basic_rate(header.size(), 0);
    for (std::size_t p = 0; p < header.size(); ++p)
        if (header[p].kind == Variable::Kind::column) {
            basic_cost[p] = data.cost[at(header[p].index)];
            basic_rate[p] = cost_rate[at(header[p].index)];
        }
    const std::vector<double> y = basis.solve_transpose(basic_cost);
    const std::vector<double> y_rate = basis.solve_transpose(basic_rate);
    const double sense = lp.maximise() ? -1.0 : 1.0;
    double biggest = 0, biggest_cost = 0;
    for (const double c : data.cost) biggest_cost = std::max(biggest_cost, std::fabs(c));
    struct Entry {
        Variable v;
        BasisStatus status;
        double d, rate;
    };
    std::vector<Entry> entries;
    for_each_nonbasic(s, [&](Variable v, BasisStatus status) {
        if (status == BasisStatus::fixed) return;
        const bool column = v.kind == Variable::Kind::column;
        const long double d = column ? data.cost[at(v.index)] - basis.column_dot(v.index, y) : y[at(v.index)];
        const long double rate = column ? cost_rate[at(v.index)] - basis.column_dot(v.index, y_rate) : y_rate[at(v.index)];
        entries.push_back({v, status, static_cast<double>(sense * d), static_cast<double>(sense * rate)});
        biggest = std::max(biggest, std::fabs(static_cast<double>(rate)));
    });
    const double noise = relative_noise * biggest;
    const double zero_cost = cost_tolerance * (1 + biggest_cost);
    Breakpoint best;
    double best_rate = 0;
    for (const Entry& e : entries) {
        const double d = std::fabs(e.d) <= zero_cost ? 0.0 : e.d;
        double step = infinity;
        int direction = 0;
        if (e.status == BasisStatus::at_lower && e.rate < -noise) {
            step = std::max(d, 0.0) / -e.rate;
            direction = 1;
        } else if (e.status == BasisStatus::at_upper && e.rate > noise) {
            step = std::max(-d, 0.0) / e.rate;
            direction = -1;
        } else if (e.status == BasisStatus::free_at_zero && std::fabs(e.rate) > noise) {
            step = std::fabs(d) / std::fabs(e.rate);
            direction = e.rate < 0 ? 1 : -1;
        }
        if (step < best.step || (step == best.step && step < infinity && std::fabs(e.rate) > best_rate)) {
            best.step = step;
            best.entering = e.v;
            best.direction = direction;
            best_rate = std::fabs(e.rate);
        }
    }
    return best;
}

// Sides: the dual ratio test on the row of the position that reaches its
// bound.
Exchange side_exchange(const ParametricLp& lp, const LpSolution& s, const Breakpoint& b) {
    std::vector<double> by_column, by_row;
    lp.core().tableau_row(b.position, by_column, by_row);
    double biggest = 0;
    for (const double a : by_column) biggest = std::max(biggest, std::fabs(a));
    for (const double a : by_row) biggest = std::max(biggest, std::fabs(a));
    const double noise = relative_noise * biggest;
    double biggest_cost = 0;
    for (const double c : lp.lp().cost) biggest_cost = std::max(biggest_cost, std::fabs(c));
    std::vector<Candidate> candidates;
    std::vector<Variable> variables;
    for_each_nonbasic(s, [&](Variable v, BasisStatus status) {
        const double alpha = v.kind == Variable::Kind::column ? by_column[at(v.index)] : by_row[at(v.index)];
        if (status == BasisStatus::fixed || std::fabs(alpha) <= noise) return;
        // The entering variable must move the leaving one back toward the
        // bound it reaches: up to a lower bound, down to an upper one.
        const double pushes_up = -alpha * (status == BasisStatus::at_upper ? -1.0 : 1.0);
        const bool fits = status == BasisStatus::free_at_zero || (b.to_upper ? pushes_up < 0 : pushes_up > 0);
        if (!fits) return;
        candidates.push_back({std::fabs(min_cost_of(lp, s, v)) / std::fabs(alpha), alpha});
        variables.push_back(v);
    });
    Exchange e;
    const std::size_t k = harris_choice(candidates, cost_tolerance * (1 + biggest_cost));
    if (k == candidates.size()) return e;
    e.kind = Exchange::Kind::pivot;
    e.position = b.position;
    e.entering = variables[k];
    e.leaving = lp.core().basis_header()[at(b.position)];
    e.status = b.to_upper ? BasisStatus::at_upper : BasisStatus::at_lower;
    return e;
}

// Costs: the primal ratio test on the column of the entering variable.
Exchange cost_exchange(const ParametricLp& lp, const LpSolution& s, const Breakpoint& b) {
    const std::vector<double> column = lp.core().tableau_column(b.entering);
    double biggest = 0;
    for (const double a : column) biggest = std::max(biggest, std::fabs(a));
    const double noise = relative_noise * biggest;
    const std::vector<Variable> header = lp.core().basis_header();
    std::vector<Candidate> candidates;
    std::vector<int> positions;
    double largest_bound = 0;
    for (std::size_t p = 0; p < header.size(); ++p) {
        // The basic values move by minus the column times the entering
        // variable's move.
        const double change = -column[p] * b.direction;
        if (std::fabs(change) <= noise) continue;
        const Variable v = header[p];
        const double bound = change < 0 ? lower_of(lp.lp(), v) : upper_of(lp.lp(), v);
        if (!std::isfinite(bound)) continue;
        largest_bound = std::max(largest_bound, std::fabs(bound));
        const double value = value_of(s, v);
        const double room = change < 0 ? slack_below(value, bound) : slack_below(-value, -bound);
        candidates.push_back({room / std::fabs(change), change});
        positions.push_back(static_cast<int>(p));
    }
    const std::size_t k = harris_choice(candidates, value_tolerance * (1 + largest_bound));
    const double own_range = upper_of(lp.lp(), b.entering) - lower_of(lp.lp(), b.entering);
    Exchange e;
    if (std::isfinite(own_range) && (k == candidates.size() || own_range <= candidates[k].ratio)) {
        // The entering variable reaches its other bound first.
        e.kind = Exchange::Kind::flip;
        e.entering = b.entering;
        e.status = b.direction > 0 ? BasisStatus::at_upper : BasisStatus::at_lower;
        return e;
    }
    if (k == candidates.size()) return e;
    e.kind = Exchange::Kind::pivot;
    e.position = positions[k];
    e.entering = b.entering;
    e.leaving = header[at(positions[k])];
    e.status = candidates[k].entry < 0 ? BasisStatus::at_lower : BasisStatus::at_upper;
    return e;
}

}  // namespace

Breakpoint next_breakpoint(const ParametricLp& lp, const LpSolution& solution) {
    return lp.costs() ? cost_breakpoint(lp, solution) : side_breakpoint(lp, solution);
}

Exchange choose_exchange(const ParametricLp& lp, const LpSolution& solution, const Breakpoint& b) {
    if (!std::isfinite(b.step)) return {};
    if (lp.costs()) return cost_exchange(lp, solution, b);
    return b.position >= 0 ? side_exchange(lp, solution, b) : Exchange{};
}

void apply(ParametricLp& lp, const Exchange& exchange) {
    if (exchange.kind == Exchange::Kind::pivot) lp.core().exchange(exchange.position, exchange.entering, exchange.status);
    else if (exchange.kind == Exchange::Kind::flip) lp.core().set_nonbasic_status(exchange.entering, exchange.status);
}

}  // namespace lpsens::sweep
