#include "exact/exact_ranging.h"

#include <memory>

#include "exact/lp_variables.h"
#include "exact/rational_lu.h"

namespace lpsens::exact {

namespace {

using revised::BasisStatus;

// The narrowest [lower, upper] of moves so far; none is no limit.
struct Interval {
    Bound lower, upper;  // of the move: lower <= 0 <= upper
    void at_most(const mpq_class& v) {
        if (!upper || v < *upper) upper = v;
    }
    void at_least(const mpq_class& v) {
        if (!lower || v > *lower) lower = v;
    }
};

// The range of a value now at `value`, whose move keeps within `moves`, and
// the objective there: it changes by `rate` per unit of the move.
ExactRange range_of(const mpq_class& value, const Interval& moves, const mpq_class& objective,
                    const mpq_class& rate) {
    // At a side without a limit the objective is the objective itself where
    // it does not depend on the value, and none where it does.
    ExactRange r;
    if (rate == 0) r.objective_at_lower = r.objective_at_upper = objective;
    if (moves.lower) {
        r.lower = value + *moves.lower;
        r.objective_at_lower = objective + rate * *moves.lower;
    }
    if (moves.upper) {
        r.upper = value + *moves.upper;
        r.objective_at_upper = objective + rate * *moves.upper;
    }
    return r;
}

struct Basic {
    std::vector<int> header;          // variables 0..n-1 columns, n.. rows
    std::vector<int> position;        // by variable, -1 nonbasic
    std::shared_ptr<const RationalLu> lu;
};

}  // namespace

std::optional<ExactRanging> exact_ranging(const RationalLp& lp, const ExactSolution& s,
                                          std::chrono::steady_clock::time_point deadline) {
    const auto late = [&] { return std::chrono::steady_clock::now() > deadline; };
    const int n = lp.cols, m = lp.rows, count = n + m;
    const int sense = lp.maximise ? -1 : 1;
    const Variables vars(lp);
    const auto status = [&](int v) { return vars.status(s.basis, v); };
    const auto lower = [&](int v) -> const Bound& { return vars.lower(v); };
    const auto upper = [&](int v) -> const Bound& { return vars.upper(v); };
    const auto column = [&](int v) { return vars.column(v); };
    // The variables' values and reduced costs (a row's: its dual).
    std::vector<mpq_class> value(count), reduced(count);
    for (int j = 0; j < n; ++j) {
        value[j] = s.values[j];
        reduced[j] = s.reduced_costs[j];
    }
    for (int i = 0; i < m; ++i) {
        value[n + i] = s.activities[i];
        reduced[n + i] = s.duals[i];
    }
    Basic b;
    b.position.assign(count, -1);
    for (int v = 0; v < count; ++v)
        if (status(v) == BasisStatus::basic) {
            b.position[v] = static_cast<int>(b.header.size());
            b.header.push_back(v);
        }
    // The proof's factors of the basis where it kept them.
    b.lu = s.factors;
    if (!b.lu) {
        std::vector<std::vector<Entry>> columns;
        for (const int v : b.header) columns.push_back(column(v));
        auto lu = std::make_shared<RationalLu>(columns, m, deadline);
        if (lu->out_of_time() || lu->singular()) return std::nullopt;
        b.lu = std::move(lu);
    }

    // A by rows, for the tableau rows.
    std::vector<std::vector<std::pair<int, mpq_class>>> by_row(m);
    for (int j = 0; j < n; ++j)
        for (const Entry& e : lp.columns[j]) by_row[e.row].emplace_back(j, e.value);

    ExactRanging out;
    // Costs.  In a minimisation's terms (a maximisation's costs negated) a
    // move t of the cost: a nonbasic reduced cost d moves to d + t, a basic
    // column's move changes every nonbasic d_k to d_k - t alpha_k (alpha its
    // tableau row); each must keep the sign its bound asks.  The model's
    // move is sense * t.
    for (int j = 0; j < n; ++j) {
        if (late()) return std::nullopt;
        Interval t;
        const int p = b.position[j];
        const auto keep = [&](BasisStatus st, const mpq_class& dk, const mpq_class& alpha) {
            // dk - t alpha >= 0 at a lower bound, <= 0 at an upper one, = 0 free.
            if (alpha == 0) return;
            const mpq_class at = dk / alpha;
            if (st == BasisStatus::at_lower) {
                if (alpha > 0) t.at_most(at);
                else t.at_least(at);
            } else if (st == BasisStatus::at_upper) {
                if (alpha > 0) t.at_least(at);
                else t.at_most(at);
            } else {
                t.at_least(0);
                t.at_most(0);
            }
        };
        const auto fixed = [&](int v) { return vars.fixed(v); };
        if (p < 0) {
            if (!fixed(j)) keep(status(j), sense * reduced[j], mpq_class(-1));
        } else {
            // The tableau row, through the rows where rho is not 0 alone.
            std::vector<mpq_class> rho(m);
            rho[p] = 1;
            b.lu->solve_transpose(rho);
            std::vector<mpq_class> alpha(count);
            std::vector<int> touched;
            for (int i = 0; i < m; ++i) {
                if (rho[i] == 0) continue;
                for (const auto& [k, a] : by_row[i]) {
                    if (alpha[k] == 0) touched.push_back(k);
                    alpha[k] += a * rho[i];
                }
                if (alpha[n + i] == 0) touched.push_back(n + i);
                alpha[n + i] -= rho[i];
            }
            for (const int k : touched) {
                if (b.position[k] >= 0 || fixed(k) || alpha[k] == 0) continue;
                keep(status(k), sense * reduced[k], alpha[k]);
            }
        }
        Interval moves = t;
        if (sense < 0) {
            moves.lower = t.upper ? Bound(mpq_class(-*t.upper)) : std::nullopt;
            moves.upper = t.lower ? Bound(mpq_class(-*t.lower)) : std::nullopt;
        }
        out.cost.push_back(range_of(lp.cost[j], moves, s.objective, value[j]));
    }
    // Right-hand sides: the row's sides move by delta.
    for (int i = 0; i < m; ++i) {
        if (late()) return std::nullopt;
        const int v = n + i;
        Interval moves;
        const Bound& lo = lp.row_lower[i];
        const Bound& up = lp.row_upper[i];
        mpq_class rate = 0;
        if (b.position[v] >= 0) {
            // Inactive: the activity must stay within the moved sides.
            if (up) moves.at_least(value[v] - *up);
            if (lo) moves.at_most(value[v] - *lo);
        } else {
            // Active: the activity moves with its side; the basic values
            // move by delta B^-1 e_i.
            rate = reduced[v];
            std::vector<mpq_class> w(m);
            w[i] = 1;
            b.lu->solve(w);
            for (int q = 0; q < m; ++q) {
                if (w[q] == 0) continue;
                const int u = b.header[q];
                if (upper(u)) {
                    const mpq_class t = (*upper(u) - value[u]) / w[q];
                    if (w[q] > 0) moves.at_most(t);
                    else moves.at_least(t);
                }
                if (lower(u)) {
                    const mpq_class t = (*lower(u) - value[u]) / w[q];
                    if (w[q] > 0) moves.at_least(t);
                    else moves.at_most(t);
                }
            }
        }
        out.rhs.push_back(range_of(lp.rhs[i], moves, s.objective, rate));
    }
    return out;
}

}  // namespace lpsens::exact
