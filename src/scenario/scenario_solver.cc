#include "scenario/scenario_solver.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

#include "accurate/lp_from_model.h"
#include "check/model_certificates.h"
#include "check/model_record_check.h"

namespace lpsens::scenario {

namespace {

revised::Options options_for(const Problem& model, const Settings& settings) {
    revised::Options options;
    options.iteration_limit = settings.max_iterations > 0
                                  ? settings.max_iterations
                                  : 50 * (static_cast<std::int64_t>(model.row_count()) + model.column_count()) + 1000;
    if (settings.time_limit > 0) options.time_limit_seconds = settings.time_limit;
    return options;
}

// The check of a result against the model as it stands.
CheckReport check(const Problem& model, const revised::LpSolution& s) {
    switch (s.status) {
        case revised::SolveStatus::optimal: {
            sweep::Record record;
            record.objective = s.objective;
            record.x = s.col_value;
            record.activity = s.row_activity;
            record.dual = s.row_dual;
            record.reduced_cost = s.reduced_cost;
            return check_model_record(model, sweep::Target{}, record);
        }
        case revised::SolveStatus::infeasible: return check_model_farkas(model, s.farkas);
        case revised::SolveStatus::unbounded: return check_model_ray(model, s.col_value, s.ray);
        default: {
            CheckReport none;
            none.findings.push_back("no verdict");
            return none;
        }
    }
}

}  // namespace

const char* status_name(revised::SolveStatus status, bool verified) {
    switch (status) {
        case revised::SolveStatus::optimal:
        case revised::SolveStatus::infeasible:
        case revised::SolveStatus::unbounded:
            return !verified ? "unverified"
                   : status == revised::SolveStatus::optimal ? "optimal"
                   : status == revised::SolveStatus::infeasible ? "infeasible"
                                                               : "unbounded";
        case revised::SolveStatus::iteration_limit: return "exchange limit";
        case revised::SolveStatus::time_limit: return "time limit";
        default: return "numerical trouble";
    }
}

ScenarioSolver::ScenarioSolver(Problem model, const Settings& settings, const revised::Basis* start)
    : model_(std::move(model)), settings_(settings) {
    core_ = std::make_unique<revised::RevisedSimplex>(lp_from_model(model_), options_for(model_, settings_));
    if (start != nullptr) core_->set_basis(*start);
    base_ = solve_here();
    base_basis_ = core_->solution().basis;
}

ScenarioSolver::~ScenarioSolver() = default;

Outcome ScenarioSolver::solve_here() {
    const revised::LpSolution& s = core_->solve();
    Outcome o;
    o.status = s.status;
    o.objective = s.objective;
    o.values = s.col_value;
    o.activities = s.row_activity;
    o.duals = s.row_dual;
    o.reduced_costs = s.reduced_cost;
    o.iterations = s.iterations.total();
    CheckReport report = check(model_, s);
    o.verified = report.passed();
    o.findings = std::move(report.findings);
    return o;
}

void ScenarioSolver::set_in_core(const Change& change) {
    const int k = change.index;
    if (change.kind == Kind::rhs) {
        double lower = 0, upper = 0;
        row_bounds(model_.rows[k], lower, upper);
        core_->set_row_bounds(k, lower, upper);
    } else if (change.kind == Kind::cost) {
        core_->set_cost(k, static_cast<double>(model_.columns[k].cost));
    } else {
        const ProblemColumn& c = model_.columns[k];
        core_->set_col_bounds(k, static_cast<double>(c.lower), static_cast<double>(c.upper));
    }
}

Outcome ScenarioSolver::solve(const Scenario& scenario) {
    for (const Change& change : scenario.changes) check_change(model_, change);
    // A column whose bounds the changes cross leaves nothing feasible: that
    // needs no solve, and the core never sees such bounds.
    std::map<int, std::pair<Extended, Extended>> bounds;
    for (const Change& change : scenario.changes) {
        if (change.kind != Kind::lower && change.kind != Kind::upper) continue;
        const ProblemColumn& c = model_.columns[change.index];
        auto [at, added] = bounds.try_emplace(change.index, c.lower, c.upper);
        const Extended v = std::isfinite(change.value) ? Extended(change.value)
                           : change.value > 0          ? model_infinity
                                                       : -model_infinity;
        (change.kind == Kind::lower ? at->second.first : at->second.second) = v;
    }
    for (const auto& [j, b] : bounds)
        if (b.first > b.second) {
            Outcome crossed;
            crossed.status = revised::SolveStatus::infeasible;
            crossed.verified = true;  // lower > upper is its own proof
            return crossed;
        }
    // What the changes replace, to put back afterwards (also when a solve
    // fails), undone in reverse order so an item changed twice gets its
    // first value back.
    std::vector<ProblemRow> rows;
    std::vector<ProblemColumn> columns;
    std::size_t applied = 0;
    const auto undo = [&] {
        for (std::size_t k = applied; k-- > 0;) {
            const Change& change = scenario.changes[k];
            if (change.kind == Kind::rhs) {
                model_.rows[change.index] = rows.back();
                rows.pop_back();
            } else {
                model_.columns[change.index] = columns.back();
                columns.pop_back();
            }
            set_in_core(change);
        }
    };
    try {
        for (const Change& change : scenario.changes) {
            if (change.kind == Kind::rhs)
                rows.push_back(model_.rows[change.index]);
            else
                columns.push_back(model_.columns[change.index]);
            ++applied;
            apply(model_, change);
            set_in_core(change);
        }
    // The core still stands on the model's basis after a scenario that
    // needed no exchange: its factors stay.
        const revised::Basis& current = core_->solution().basis;
        if (settings_.warm) {
            if (current.col_status != base_basis_.col_status || current.row_status != base_basis_.row_status)
                core_->set_basis(base_basis_);
        } else {
            core_->reset_basis();
        }
        Outcome o = solve_here();
        undo();
        return o;
    } catch (...) {
        undo();
        throw;
    }
}

std::vector<Outcome> solve_batch(const ScenarioSolver& solver, const Settings& settings,
                                 const std::vector<Scenario>& scenarios, int threads) {
    std::vector<Outcome> outcomes(scenarios.size());
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failure_lock;
    const auto work = [&] {
        try {
            ScenarioSolver own(solver.model(), settings, &solver.base_basis());
            for (std::size_t k = next++; k < scenarios.size(); k = next++) outcomes[k] = own.solve(scenarios[k]);
        } catch (...) {
            const std::lock_guard<std::mutex> hold(failure_lock);
            if (!failure) failure = std::current_exception();
            next = scenarios.size();
        }
    };
    const int workers = std::max(1, std::min<int>(threads, static_cast<int>(scenarios.size())));
    std::vector<std::thread> team;
    for (int w = 1; w < workers; ++w) team.emplace_back(work);
    work();
    for (std::thread& t : team) t.join();
    if (failure) std::rethrow_exception(failure);
    return outcomes;
}

}  // namespace lpsens::scenario
