// The results of a batch of scenarios: a table of verdicts on standard
// output and the whole results as JSON.
#pragma once

#include <string>
#include <vector>

#include "io/channel.h"
#include "model/problem.h"
#include "scenario/scenario.h"
#include "scenario/scenario_solver.h"

namespace lpsens {

struct ScenarioBatch {
    const Problem* model = nullptr;
    const scenario::Outcome* base = nullptr;  // the model's own result
    const std::vector<scenario::Scenario>* scenarios = nullptr;
    const std::vector<scenario::Outcome>* outcomes = nullptr;  // one per scenario, in order
    bool warm = true;
};

// "scenario,status,objective" and a line per scenario (CR LF ends each);
// the objective is empty where there is no optimum.
void write_scenario_table(Channel& out, const ScenarioBatch& batch);

// One object: "title", "mode": "scenarios", "engine": "accurate", "sense",
// "rows" and "columns" (the names, in the model's order), "base" and
// "scenarios[]", each result with "status" (as in the other JSON results),
// "verified", "objective" (null without an optimum), "iterations",
// "changes" (an object of item: value), "values", "activities", "duals",
// "reduced_costs" (null without an optimum) and "findings".
std::string scenario_json(const ScenarioBatch& batch);

}  // namespace lpsens
