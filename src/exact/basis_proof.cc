#include "exact/basis_proof.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "exact/lp_variables.h"
#include "exact/rational_lu.h"

namespace lpsens::exact {

namespace {

using revised::BasisStatus;

const std::string out_of_time = "the exact proof ran out of the run's time limit";

BasisStatus status_of(const revised::Basis& b, int v, int n) {
    return v < n ? b.col_status[v] : b.row_status[v - n];
}
void set_status(revised::Basis& b, int v, int n, BasisStatus s) {
    (v < n ? b.col_status[v] : b.row_status[v - n]) = s;
}

// The basis solved: basic variables by position, every value, the duals and
// reduced costs.
struct Solved {
    std::vector<int> header;         // the basic variable at each position
    std::vector<mpq_class> value;    // every variable
    std::vector<mpq_class> dual;     // by row
    std::vector<mpq_class> reduced;  // every variable: cost - A^T y, for a row y_i
    std::unique_ptr<RationalLu> lu;
};

bool solve_basis(const RationalLp& lp, const revised::Basis& basis, const Variables& vars, Solved& s,
                 std::string& why, std::chrono::steady_clock::time_point deadline) {
    const int n = lp.cols, m = lp.rows;
    s.header.clear();
    for (int v = 0; v < vars.count(); ++v)
        if (status_of(basis, v, n) == BasisStatus::basic) s.header.push_back(v);
    if (static_cast<int>(s.header.size()) != m) {
        why = "the basis has " + std::to_string(s.header.size()) + " basic variables for " + std::to_string(m) + " rows";
        return false;
    }
    std::vector<std::vector<Entry>> columns;
    for (const int v : s.header) columns.push_back(vars.column(v));
    s.lu = std::make_unique<RationalLu>(columns, m, deadline);
    if (s.lu->out_of_time()) {
        why = out_of_time;
        return false;
    }
    if (s.lu->singular()) {
        why = "the basis is singular in exact arithmetic";
        return false;
    }
    s.value.assign(vars.count(), 0);
    std::vector<mpq_class> rhs(m);
    for (int v = 0; v < vars.count(); ++v) {
        const BasisStatus status = status_of(basis, v, n);
        if (status == BasisStatus::basic) continue;
        s.value[v] = vars.nonbasic_value(v, status);
        if (s.value[v] == 0) continue;
        for (const Entry& e : vars.column(v)) rhs[e.row] -= e.value * s.value[v];
    }
    s.lu->solve(rhs);
    for (int p = 0; p < m; ++p) s.value[s.header[p]] = rhs[p];
    std::vector<mpq_class> cb(m);
    for (int p = 0; p < m; ++p) cb[p] = s.header[p] < n ? lp.cost[s.header[p]] : mpq_class(0);
    s.lu->solve_transpose(cb);
    s.dual = std::move(cb);
    s.reduced.assign(vars.count(), 0);
    for (int j = 0; j < n; ++j) {
        mpq_class d = lp.cost[j];
        for (const Entry& e : lp.columns[j]) d -= e.value * s.dual[e.row];
        s.reduced[j] = d;
    }
    for (int i = 0; i < m; ++i) s.reduced[n + i] = s.dual[i];
    return true;
}

// How a value stands against its bounds: how far below the lower (< 0) or
// above the upper (> 0); 0 within.
int outside(const mpq_class& v, const Bound& lo, const Bound& up) {
    if (lo && v < *lo) return -1;
    if (up && v > *up) return 1;
    return 0;
}

// Whether a nonbasic reduced cost has the sign an optimum needs, in the
// sense of a minimisation; the way the variable would improve the objective
// otherwise (+1 up, -1 down), 0 when it is right.
int improving(const mpq_class& d_min, BasisStatus status, const Bound& lo, const Bound& up) {
    switch (status) {
        case BasisStatus::basic: return 0;
        case BasisStatus::fixed: return lo && up && *lo == *up ? 0 : (d_min < 0 ? 1 : d_min > 0 ? -1 : 0);
        case BasisStatus::at_lower: return d_min < 0 ? 1 : 0;
        case BasisStatus::at_upper: return d_min > 0 ? -1 : 0;
        default: return d_min < 0 ? 1 : d_min > 0 ? -1 : 0;
    }
}

// The simplest fraction in [a, b], 0 <= a <= b (continued fractions).
mpq_class simplest_between(const mpq_class& a, const mpq_class& b, int depth = 0) {
    mpz_class whole;
    mpz_fdiv_q(whole.get_mpz_t(), a.get_num_mpz_t(), a.get_den_mpz_t());
    if (mpq_class(whole) == a) return a;
    if (mpq_class(whole + 1) <= b || depth > 100) return mpq_class(whole + 1);
    mpq_class r = mpq_class(whole) + 1 / simplest_between(1 / (b - whole), 1 / (a - whole), depth + 1);
    r.canonicalize();
    return r;
}

// The simplest fraction within `tolerance` of x.
mpq_class simplest_near(double x, double tolerance) {
    mpq_class lo, hi;
    mpq_set_d(lo.get_mpq_t(), x - tolerance);
    mpq_set_d(hi.get_mpq_t(), x + tolerance);
    if (lo <= 0 && hi >= 0) return 0;
    return x > 0 ? simplest_between(lo, hi) : mpq_class(-simplest_between(-hi, -lo));
}

std::vector<mpq_class> rationals(const std::vector<double>& v, bool snap) {
    double largest = 0;
    for (const double x : v) largest = std::max(largest, std::fabs(x));
    std::vector<mpq_class> out;
    for (const double x : v) {
        if (!snap) {
            mpq_class q;
            mpq_set_d(q.get_mpq_t(), x);
            out.push_back(q);
        } else if (std::fabs(x) <= 1e-12 * largest) {
            out.emplace_back(0);
        } else {
            out.push_back(simplest_near(x, 1e-12 * largest));
        }
    }
    return out;
}

// Whether y proves `lp` infeasible: with z = A^T y, the largest z x over the
// column bounds lies below the smallest y r over the row sides.
bool farkas_holds(const RationalLp& lp, const std::vector<mpq_class>& y) {
    mpq_class largest = 0, smallest = 0;
    for (int j = 0; j < lp.cols; ++j) {
        mpq_class z = 0;
        for (const Entry& e : lp.columns[j]) z += e.value * y[e.row];
        if (z == 0) continue;
        const Bound& bound = z > 0 ? lp.col_upper[j] : lp.col_lower[j];
        if (!bound) return false;
        largest += z * *bound;
    }
    for (int i = 0; i < lp.rows; ++i) {
        if (y[i] == 0) continue;
        const Bound& side = y[i] > 0 ? lp.row_lower[i] : lp.row_upper[i];
        if (!side) return false;
        smallest += y[i] * *side;
    }
    return largest < smallest;
}

// Whether x is feasible and dx a ray from it that improves the objective.
bool ray_holds(const RationalLp& lp, const std::vector<mpq_class>& x, const std::vector<mpq_class>& dx,
               std::vector<mpq_class>& activity) {
    const int sense = lp.maximise ? -1 : 1;
    mpq_class gain = 0;
    activity.assign(lp.rows, 0);
    std::vector<mpq_class> move(lp.rows);
    for (int j = 0; j < lp.cols; ++j) {
        if (outside(x[j], lp.col_lower[j], lp.col_upper[j]) != 0) return false;
        if ((dx[j] > 0 && lp.col_upper[j]) || (dx[j] < 0 && lp.col_lower[j])) return false;
        gain += lp.cost[j] * dx[j];
        for (const Entry& e : lp.columns[j]) {
            activity[e.row] += e.value * x[j];
            move[e.row] += e.value * dx[j];
        }
    }
    for (int i = 0; i < lp.rows; ++i) {
        if (outside(activity[i], lp.row_lower[i], lp.row_upper[i]) != 0) return false;
        if ((move[i] > 0 && lp.row_upper[i]) || (move[i] < 0 && lp.row_lower[i])) return false;
    }
    return sense * gain < 0;
}

// One exact pivot of the primal simplex method (Bland's rule) on `entering`
// moving `direction` (+1 up, -1 down).  Unbounded: `ray` gets the
// direction (by column) along which nothing stops it.
enum class Step { pivoted, unbounded };

Step primal_pivot(const RationalLp& lp, const Variables& vars, revised::Basis& basis, const Solved& s, int entering,
                  int direction, std::vector<mpq_class>& ray) {
    const int n = lp.cols, m = lp.rows;
    // The basic values move by -B^-1 a_e per unit of the entering one.
    std::vector<mpq_class> w(m);
    for (const Entry& e : vars.column(entering)) w[e.row] = e.value;
    s.lu->solve(w);
    mpq_class best_step;
    int leave_position = -1;
    BasisStatus leave_status = BasisStatus::at_lower;
    for (int p = 0; p < m; ++p) {
        const mpq_class change = -w[p] * direction;
        if (change == 0) continue;
        const int v = s.header[p];
        const Bound& bound = change < 0 ? vars.lower(v) : vars.upper(v);
        if (!bound) continue;
        const mpq_class step = (*bound - s.value[v]) / change;
        if (leave_position < 0 || step < best_step || (step == best_step && v < s.header[leave_position])) {
            best_step = step;
            leave_position = p;
            leave_status = change < 0 ? BasisStatus::at_lower : BasisStatus::at_upper;
        }
    }
    const Bound& lo = vars.lower(entering);
    const Bound& up = vars.upper(entering);
    if (lo && up && (leave_position < 0 || *up - *lo <= best_step)) {
        set_status(basis, entering, n, direction > 0 ? BasisStatus::at_upper : BasisStatus::at_lower);
        return Step::pivoted;
    }
    if (leave_position < 0) {
        ray.assign(n, 0);
        if (entering < n) ray[entering] = direction;
        for (int p = 0; p < m; ++p)
            if (s.header[p] < n) ray[s.header[p]] = -w[p] * direction;
        return Step::unbounded;
    }
    const int leaving = s.header[leave_position];
    set_status(basis, leaving, n, vars.fixed(leaving) ? BasisStatus::fixed : leave_status);
    set_status(basis, entering, n, BasisStatus::basic);
    return Step::pivoted;
}

// One exact pivot of the dual simplex method (Bland's rule) on the basic
// variable at `position`, outside its bounds by `side` (-1 below, +1
// above), with the reduced costs `reduced` (all 0 in phase one).  False when
// no variable can enter: `row` then gets B^-T e_position, by row, whose
// multiples prove the LP infeasible.
bool dual_pivot(const RationalLp& lp, const Variables& vars, revised::Basis& basis, const Solved& s, int position,
                int side, const std::vector<mpq_class>& reduced, int sense, std::vector<mpq_class>& row) {
    const int n = lp.cols, m = lp.rows;
    std::vector<mpq_class> rho(m);
    rho[position] = 1;
    s.lu->solve_transpose(rho);
    int entering = -1;
    mpq_class best;
    for (int v = 0; v < vars.count(); ++v) {
        const BasisStatus status = status_of(basis, v, n);
        if (status == BasisStatus::basic) continue;
        if (vars.fixed(v)) continue;
        mpq_class alpha = 0;
        for (const Entry& e : vars.column(v)) alpha += e.value * rho[e.row];
        if (alpha == 0) continue;
        // The leaving variable moves by -alpha per unit of v and must move
        // back toward its bound: up when below, down when above.
        const int needed = side < 0 ? 1 : -1;
        const bool at_lower = status == BasisStatus::at_lower || (status == BasisStatus::fixed && vars.lower(v));
        const bool at_upper = status == BasisStatus::at_upper;
        const bool free = !at_lower && !at_upper;
        const bool up_works = (at_lower || free) && -alpha * needed > 0;
        const bool down_works = (at_upper || free) && alpha * needed > 0;
        if (!up_works && !down_works) continue;
        const mpq_class ratio = abs(sense * reduced[v] / alpha);
        if (entering < 0 || ratio < best) {
            entering = v;
            best = ratio;
        }
    }
    if (entering < 0) {
        row = std::move(rho);
        return false;
    }
    const int leaving = s.header[position];
    set_status(basis, leaving, n,
               vars.fixed(leaving) ? BasisStatus::fixed : side < 0 ? BasisStatus::at_lower : BasisStatus::at_upper);
    set_status(basis, entering, n, BasisStatus::basic);
    return true;
}

// The slack basis: every row's activity basic, every column at a bound.
revised::Basis slack_basis(const RationalLp& lp) {
    revised::Basis b;
    for (int j = 0; j < lp.cols; ++j)
        b.col_status.push_back(lp.col_lower[j] ? BasisStatus::at_lower
                               : lp.col_upper[j] ? BasisStatus::at_upper
                                                 : BasisStatus::free_at_zero);
    b.row_status.assign(lp.rows, BasisStatus::basic);
    return b;
}

}  // namespace

const char* to_string(Proof proof) {
    switch (proof) {
        case Proof::optimal: return "optimal";
        case Proof::infeasible: return "infeasible";
        case Proof::unbounded: return "unbounded";
        default: return "unproven";
    }
}

ExactSolution prove_optimal(const RationalLp& lp, revised::Basis basis, const ProofLimits& limits) {
    const int n = lp.cols, m = lp.rows;
    const int sense = lp.maximise ? -1 : 1;
    const Variables vars(lp);
    ExactSolution out;
    const std::vector<mpq_class> no_costs(vars.count());
    for (int round = 0;; ++round) {
        Solved s;
        if (std::chrono::steady_clock::now() >= limits.deadline) {
            out.why = out_of_time;
            return out;
        }
        if (!solve_basis(lp, basis, vars, s, out.why, limits.deadline)) {
            // A basis the float solve left that is no basis here: start over
            // from the slack basis, once.
            if (out.why == out_of_time || round > 0 || basis.row_status == slack_basis(lp).row_status) return out;
            basis = slack_basis(lp);
            out.why.clear();
            continue;
        }
        int infeasible_position = -1, infeasible_side = 0;
        for (int p = 0; p < m; ++p) {
            const int v = s.header[p];
            const int side = outside(s.value[v], vars.lower(v), vars.upper(v));
            if (side != 0 && (infeasible_position < 0 || v < s.header[infeasible_position])) {
                infeasible_position = p;
                infeasible_side = side;
            }
        }
        int entering = -1, direction = 0;
        for (int v = 0; v < vars.count() && entering < 0; ++v) {
            const int way = improving(sense * s.reduced[v], status_of(basis, v, n), vars.lower(v), vars.upper(v));
            if (way != 0) {
                entering = v;
                direction = way;
            }
        }
        out.pivots = round;
        out.basis = basis;
        if (infeasible_position < 0 && entering < 0) {
            out.proof = Proof::optimal;
            out.values.assign(s.value.begin(), s.value.begin() + n);
            out.activities.assign(m, 0);
            for (int j = 0; j < n; ++j)
                for (const Entry& e : lp.columns[j]) out.activities[e.row] += e.value * out.values[j];
            out.duals = s.dual;
            out.reduced_costs.assign(s.reduced.begin(), s.reduced.begin() + n);
            out.objective = lp.offset;
            for (int j = 0; j < n; ++j) out.objective += lp.cost[j] * out.values[j];
            out.factors = std::move(s.lu);
            return out;
        }
        if (round >= limits.max_pivots) {
            out.why = "no proven optimum within " + std::to_string(limits.max_pivots) + " exact pivots";
            return out;
        }
        if (infeasible_position < 0) {
            // Primal feasible: the primal simplex method.
            std::vector<mpq_class> ray;
            if (primal_pivot(lp, vars, basis, s, entering, direction, ray) == Step::unbounded) {
                std::vector<mpq_class> x(s.value.begin(), s.value.begin() + n), activity;
                if (!ray_holds(lp, x, ray, activity)) {
                    out.why = "the ray the exact pivots found does not hold";
                    return out;
                }
                out.proof = Proof::unbounded;
                out.values = std::move(x);
                out.activities = std::move(activity);
                out.ray = std::move(ray);
                return out;
            }
            continue;
        }
        // Dual feasible: the dual simplex method; neither: its first phase,
        // with every cost 0 (so every basis is dual feasible).
        std::vector<mpq_class> row;
        if (dual_pivot(lp, vars, basis, s, infeasible_position, infeasible_side, entering < 0 ? s.reduced : no_costs,
                       sense, row))
            continue;
        for (const int sign : {1, -1}) {
            std::vector<mpq_class> y(m);
            for (int i = 0; i < m; ++i) y[i] = sign * row[i];
            if (farkas_holds(lp, y)) {
                out.proof = Proof::infeasible;
                out.duals = std::move(y);
                return out;
            }
        }
        out.why = "the row the exact pivots stopped on does not prove infeasibility";
        return out;
    }
}

ExactSolution prove_infeasible(const RationalLp& lp, const std::vector<double>& y_given) {
    ExactSolution out;
    if (static_cast<int>(y_given.size()) != lp.rows) {
        out.why = "no certificate of infeasibility";
        return out;
    }
    for (const bool snap : {false, true}) {
        std::vector<mpq_class> y = rationals(y_given, snap);
        if (farkas_holds(lp, y)) {
            out.proof = Proof::infeasible;
            out.duals = std::move(y);
            return out;
        }
    }
    out.why = "the certificate of infeasibility does not hold in exact arithmetic";
    return out;
}

ExactSolution prove_unbounded(const RationalLp& lp, const std::vector<double>& x_given,
                              const std::vector<double>& dx_given) {
    ExactSolution out;
    if (static_cast<int>(x_given.size()) != lp.cols || static_cast<int>(dx_given.size()) != lp.cols) {
        out.why = "no certificate of unboundedness";
        return out;
    }
    for (const bool snap : {false, true}) {
        std::vector<mpq_class> x = rationals(x_given, snap), dx = rationals(dx_given, snap), activity;
        if (ray_holds(lp, x, dx, activity)) {
            out.proof = Proof::unbounded;
            out.values = std::move(x);
            out.activities = std::move(activity);
            out.ray = std::move(dx);
            return out;
        }
    }
    out.why = "the certificate of unboundedness does not hold in exact arithmetic";
    return out;
}

ExactSolution solve_exactly(const RationalLp& lp, const revised::Basis* start, const ProofLimits& limits) {
    return prove_optimal(lp, start != nullptr ? *start : slack_basis(lp), limits);
}

}  // namespace lpsens::exact
