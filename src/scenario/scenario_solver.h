// Solves scenarios of one model on one revised core that stays: each
// scenario's changes are made, the core re-solves from the basis the model
// itself ended with (a warm start; the dual simplex method after a change of
// right-hand sides or bounds, the primal one after a change of costs), and
// the changes are undone.  So a scenario's result never depends on the
// scenarios solved before it, nor on how a batch is split between workers.
//
// Every result is checked against the model with the scenario's changes:
// an optimum by its values, activities, duals and reduced costs, an
// infeasible or unbounded verdict by its certificate (check/).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/problem.h"
#include "revised/lp_solution.h"
#include "revised/revised_simplex.h"
#include "scenario/scenario.h"

namespace lpsens::scenario {

struct Outcome {
    revised::SolveStatus status = revised::SolveStatus::not_solved;
    bool verified = false;   // a verdict, and its check passed
    double objective = 0;    // in the model's sense, constant included
    std::vector<double> values;         // by column
    std::vector<double> activities;     // A x, by row
    std::vector<double> duals;          // by row: d objective / d right-hand side
    std::vector<double> reduced_costs;  // by column: cost - A^T duals
    std::int64_t iterations = 0;
    std::vector<std::string> findings;  // what the check found wrong
};

struct Settings {
    bool warm = true;            // from the model's basis; false: from the slack basis
    std::int64_t max_iterations = 0;  // per scenario; 0: 50 (rows + columns) + 1000
    double time_limit = 0;       // seconds per scenario; 0: none
};

class ScenarioSolver {
public:
    // Solves `model` itself first, from `start` when given (a basis a
    // solve of it ended with), cold otherwise.
    ScenarioSolver(Problem model, const Settings& settings, const revised::Basis* start = nullptr);
    ~ScenarioSolver();
    ScenarioSolver(const ScenarioSolver&) = delete;
    ScenarioSolver& operator=(const ScenarioSolver&) = delete;

    const Problem& model() const { return model_; }
    // The model's own result and the basis scenarios start from.
    const Outcome& base() const { return base_; }
    const revised::Basis& base_basis() const { return base_basis_; }

    // Solves the model with `scenario`'s changes.  Throws RunError 106 for a
    // change that names no row or column or sets no sound value.
    Outcome solve(const Scenario& scenario);

private:
    Outcome solve_here();
    void set_in_core(const Change& change);

    Problem model_;
    Settings settings_;
    std::unique_ptr<revised::RevisedSimplex> core_;
    Outcome base_;
    revised::Basis base_basis_;
};

// Solves every scenario of `scenarios` on `threads` workers (at least one),
// each with a solver of its own that starts from `solver`'s model and basis;
// the outcomes in the scenarios' order, the same for any number of workers.
std::vector<Outcome> solve_batch(const ScenarioSolver& solver, const Settings& settings,
                                 const std::vector<Scenario>& scenarios, int threads);

// The status as the JSON results name it: "optimal", "infeasible" or
// "unbounded" when verified, else "unverified"; "exchange limit", "time
// limit" or "numerical trouble" without a verdict.
const char* status_name(revised::SolveStatus status, bool verified);

}  // namespace lpsens::scenario
