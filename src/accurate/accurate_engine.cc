#include "accurate/accurate_engine.h"

#include <cmath>
#include <exception>
#include <map>

#include "accurate/form_basis.h"
#include "accurate/lp_from_model.h"
#include "numeric/run_error.h"
#include "presolve/presolve.h"

namespace lpsens {

namespace {

// The core's own defaults, the exchange cap as its limit of iterations per
// solve, and the run's deadline.
revised::Options options_for(long cap, const EngineSettings& settings) {
    revised::Options options;
    options.iteration_limit = cap;
    options.deadline = settings.deadline;
    return options;
}

}  // namespace

// The core's iterations on the console as they happen: ':' for those that
// seek a dual feasible basis, '.' for the others, and on a terminal the
// status line.
class AccurateEngine::Console final : public revised::SolveObserver {
public:
    Console(Channel& console, const ExchangeLog& log) : console_(console), log_(log) {}
    void start() { line_.start(); }
    bool iterated(revised::IterationKind kind) override {
        console_.mark(kind == revised::IterationKind::dual_phase1 ? ':' : '.');
        return line_.due(console_);
    }
    void status(const revised::IterationStatus& s) override {
        const char* phase = s.kind == revised::IterationKind::dual_phase1 ? "dual phase 1"
                            : s.kind == revised::IterationKind::dual    ? "dual simplex"
                                                                         : "primal simplex";
        line_.write(console_, {phase, log_.exchanges + s.iterations, s.objective, s.primal_infeasibility});
    }
    void log(const std::string&) override {}

private:
    Channel& console_;
    const ExchangeLog& log_;
    StatusLine line_;
};

AccurateEngine::AccurateEngine(const DocumentedForm& form, const EngineSettings& settings, Channel& console)
    : console_(console),
      problem_(capture_form(form, true)),
      own_map_(identity_map(form)),
      map_(&own_map_),
      cap_(exchange_cap(settings, form.rows(), form.column_count())),
      observer_(std::make_unique<Console>(console, log_)) {
    simplex_ = std::make_unique<revised::RevisedSimplex>(lp_from_model(form.problem), options_for(cap_, settings));
    simplex_->set_observer(observer_.get());
}

AccurateEngine::AccurateEngine(const DocumentedForm& form, const Problem& model, const ModelMap& map,
                               const EngineSettings& settings, Channel& console)
    : console_(console),
      problem_(capture_form(form, true)),
      map_(&map),
      cap_(exchange_cap(settings, form.rows(), form.column_count())),
      observer_(std::make_unique<Console>(console, log_)) {
    presolve_asked_ = settings.presolve == PresolveUse::on;
    presolve_pending_ = presolve_asked_ ||
                        (settings.presolve == PresolveUse::by_size &&
                         model.row_count() + model.column_count() >= presolve_min_size);
    simplex_ = std::make_unique<revised::RevisedSimplex>(lp_from_model(model), options_for(cap_, settings));
    simplex_->set_observer(observer_.get());
}

AccurateEngine::~AccurateEngine() = default;

namespace {

// Whether the model's own start is feasible: every column at its lower
// bound (its upper one where it has none, zero where it is free) keeps every
// row within its bounds.  The core then begins with a feasible basis, which
// the presolve's moved bounds and substitutions may take away (a phase of
// its own to find one again).
bool own_start_feasible(const revised::LpData& lp) {
    std::vector<double> activity(lp.rows, 0.0);
    for (int j = 0; j < lp.cols; ++j) {
        const double x = std::isfinite(lp.col_lower[j]) ? lp.col_lower[j] : std::isfinite(lp.col_upper[j]) ? lp.col_upper[j] : 0.0;
        if (x == 0) continue;
        for (int e = lp.start[j]; e < lp.start[j + 1]; ++e)
            activity[lp.row_index[e]] += lp.value[e] * x;
    }
    constexpr double tolerance = 1e-9;
    for (int i = 0; i < lp.rows; ++i) {
        const double slack = tolerance * (1 + std::fabs(activity[i]));
        if (activity[i] < lp.row_lower[i] - slack || activity[i] > lp.row_upper[i] + slack) return false;
    }
    return true;
}

}  // namespace

// The presolved model is solved with the core's options and observer; only
// an optimum of it is taken, as a start: anything else (nothing to remove,
// an empty model, a verdict or a limit on the way, a fault of the presolve)
// leaves the core to solve the model from its own start.
void AccurateEngine::start_from_presolve() {
    presolve_pending_ = false;
    try {
        const revised::LpData& lp = simplex_->lp();
        // Asked for by size alone, the presolve leaves a feasible start be.
        if (!presolve_asked_ && own_start_feasible(lp)) return;
        const presolve::Presolved p = presolve::presolve(lp);
        if (p.outcome != presolve::Outcome::reduced || p.reduced.rows == 0 || p.reduced.cols == 0) return;
        revised::RevisedSimplex reduced(p.reduced, simplex_->options());
        reduced.set_observer(observer_.get());
        const revised::LpSolution& s = reduced.solve();
        log_.exchanges += static_cast<long>(s.iterations.total());
        if (s.status != revised::SolveStatus::optimal) return;
        simplex_->set_basis(presolve::postsolve(lp, p, s).basis);
    } catch (const std::exception&) {
        simplex_->reset_basis();
    }
}

void AccurateEngine::take_view(const FormBasis& basis, SolveResult& r, const ViewMaker& make) {
    view_.reset();  // the old view's memory first
    if (make) view_ = make(basis.basic, basis.nonbasic);
    else view_ = std::make_unique<FormTableau>(problem_, basis.basic, basis.nonbasic);
    take_basis(*view_, r);
}

SolveResult AccurateEngine::run() {
    // The marks go out as the core iterates (Console above).
    observer_->start();
    if (presolve_pending_) start_from_presolve();
    const revised::LpSolution& s = simplex_->solve();
    log_.exchanges += static_cast<long>(s.iterations.total());
    SolveResult r;
    switch (s.status) {
        case revised::SolveStatus::optimal: r.status = Status::optimal; break;
        case revised::SolveStatus::infeasible: r.status = Status::infeasible; break;
        case revised::SolveStatus::unbounded: r.status = Status::unbounded; break;
        case revised::SolveStatus::iteration_limit:
            ++log_.stopped_at_cap;
            r.status = Status::exchange_limit;
            break;
        case revised::SolveStatus::time_limit: r.status = Status::time_limit; break;
        case revised::SolveStatus::not_solved:
        case revised::SolveStatus::numerical_trouble:
            ++log_.stopped_early;
            r.status = Status::numerical_trouble;
            break;
    }
    // A stopped solve keeps its best basis; the core measured how far it is
    // from feasible.
    if (!is_verdict(r.status)) r.feasible = s.primal_infeasibility <= 1e-6;
    take_view(form_basis(problem_, *map_, *simplex_), r);
    if (r.status == Status::infeasible) {
        if (s.status == revised::SolveStatus::infeasible) r.farkas = form_farkas(problem_, *map_, simplex_->lp(), s.farkas);
        return r;
    }
    r.solution = solution_from(*view_, problem_.variables);
    if (r.status == Status::unbounded) r.ray_direction = form_ray(problem_, *map_, s.ray);
    console_.mark('.');
    return r;
}

void AccurateEngine::start_from(const revised::Basis& basis) {
    presolve_pending_ = false;
    simplex_->set_basis(basis);
}

SolveResult AccurateEngine::optimum_at(const revised::Basis& basis, const std::vector<double>& values,
                                       const ViewMaker& make) {
    revised::LpSolution s;
    s.basis = basis;
    s.col_value = values;
    SolveResult r;
    r.status = Status::optimal;
    take_view(form_basis(problem_, *map_, s), r, make);
    r.solution = solution_from(*view_, problem_.variables);
    return r;
}

SolveResult AccurateEngine::solve() { return run(); }

SolveResult AccurateEngine::reoptimise(const ParameterMove& move) {
    const auto at_t = [&](double start, double delta) {
        return static_cast<double>(static_cast<Extended>(start) + static_cast<Extended>(delta) * move.t);
    };
    const Extended sense = map_->maximise ? 1 : -1;
    if (move.constant_delta != 0) problem_.objective[0] = at_t(move.constant_start, move.constant_delta);
    // The new sides of every model row and bound the move touches, all set
    // before any is judged (the two sides of a ranged row move together).
    struct Sides {
        int form_row;  // one of its form rows
        double lower, upper;
    };
    std::map<int, Sides> rows, bounds;  // by model row, by model column
    for (std::size_t k = 0; k < move.index.size(); ++k) {
        const int index = move.index[k];
        const double value = at_t(move.start[k], move.delta[k]);
        if (move.objective) {
            problem_.objective[index] = value;
            const int c = map_->variable_of[index];
            const VariableMap& v = map_->variables[c];
            const Extended cost = index == v.part ? value / (sense * v.sign) : -value / sense;
            simplex_->set_cost(c, static_cast<double>(cost));
            continue;
        }
        problem_.rhs[index] = value;
        const FormRowOrigin& origin = map_->form_rows[index];
        const auto side = static_cast<double>(origin.sign * static_cast<Extended>(value) + origin.offset);
        const revised::LpData& lp = simplex_->lp();
        if (origin.bound_of >= 0) {
            const int c = origin.bound_of;
            bounds.insert_or_assign(origin.bound_of, Sides{index, lp.col_lower[c], side});
            continue;
        }
        const int r = origin.model_row;
        Sides& sides = rows.try_emplace(origin.model_row, Sides{index, lp.row_lower[r], lp.row_upper[r]}).first->second;
        if (origin.side != 'U') sides.lower = side;
        if (origin.side != 'L') sides.upper = side;
    }
    // Sides that cross make the problem infeasible at t: the form's rows
    // that state them prove it (+1 on an upper side, -1 on a lower one; the
    // form's rows state sign * (row - side)).
    std::vector<double> crossed;
    for (const auto& [c, sides] : bounds) {
        if (sides.lower > sides.upper) {
            crossed.assign(problem_.rows + 1, 0.0);
            crossed[sides.form_row] = map_->form_rows[sides.form_row].sign;
            break;
        }
        simplex_->set_col_bounds(c, sides.lower, sides.upper);
    }
    for (const auto& [r, sides] : rows) {
        if (!crossed.empty()) break;
        if (sides.lower > sides.upper) {
            crossed.assign(problem_.rows + 1, 0.0);
            for (const auto& [row, sign] : map_->rows[r].rows)
                crossed[row] = map_->form_rows[row].side == 'U' ? sign : -sign;
            break;
        }
        simplex_->set_row_bounds(r, sides.lower, sides.upper);
    }
    if (!crossed.empty()) {
        SolveResult r;
        r.status = Status::infeasible;
        take_basis(*view_, r);
        r.farkas = std::move(crossed);
        return r;
    }
    return run();
}

}  // namespace lpsens
