// The seam between the run and the arithmetic that solves: the classic
// engine (the stored format and the documented rules) or the accurate one.
// An engine returns results and answers a view of its final tableau; it
// writes progress marks and warnings to the console, never a report.
#pragma once

#include <vector>

#include "engine/settings.h"
#include "engine/solution.h"
#include "engine/tableau_view.h"

namespace lpsens {

// How a solve ended: with a verdict (optimal, unbounded, infeasible), which
// the checks then judge, or stopped before one.  A stopped solve proves
// nothing: its result is the best basis found.
enum class Status {
    optimal,
    unbounded,
    infeasible,
    exchange_limit,     // an exchange loop made as many exchanges as it may
    time_limit,         // the run reached its --time-limit
    numerical_trouble,  // no result passed the engine's own checks
};

// True for the three verdicts.
constexpr bool is_verdict(Status status) {
    return status == Status::optimal || status == Status::unbounded || status == Status::infeasible;
}

// "optimal", "unbounded", "infeasible", "exchange limit", "time limit" or
// "numerical trouble".
const char* status_name(Status status);

struct SolveResult {
    Status status = Status::optimal;
    // Optimal, unbounded and stopped results: the values of the final
    // tableau (of a stopped one: the best basis found).
    Solution solution;
    // Stopped results: the final basis satisfies every row and bound, by
    // the engine's own tolerances (a phase-2 basis of the classic engine).
    bool feasible = false;
    // The final basis (of phase 1 when infeasible): the variable basic in
    // each row 1..M and the one nonbasic in each column 1..N+K2.  The duals
    // of the final phase-1 basis certify "infeasible".
    std::vector<VariableId> basis;
    std::vector<VariableId> nonbasic;
    // Unbounded: the nonbasic variable whose column is a ray of the problem,
    // or, when ray_direction is not empty, the ray itself: a direction of
    // the variables 1..N.
    VariableId ray;
    std::vector<double> ray_direction;
    // Infeasible: when not empty, multipliers of the rows 1..M that prove it
    // (>= 0 on <= rows, <= 0 on >= rows, y^T A >= 0 and y^T b < 0);
    // otherwise the duals of the final phase-1 basis.
    std::vector<double> farkas;
};

// A step of a parametric sweep: the items' values are start + delta t.
struct ParameterMove {
    bool objective = false;           // objective coefficients (pv) or right-hand sides (rv)
    std::vector<int> index;           // the item's variable or row, 1-based
    std::vector<double> start;        // stored values
    std::vector<double> delta;        // stored values: end - start
    double t = 0;                     // the new value of the parameter
    double length = 0;                // the step that led there
    // The objective constant, when it moves: constant_start + constant_delta t.
    double constant_start = 0;
    double constant_delta = 0;
};

class SolveEngine {
public:
    virtual ~SolveEngine() = default;
    // Both phases from the start.  Either may stop before a verdict (at the
    // exchange limit, at the settings' deadline, or by numerical trouble).
    virtual SolveResult solve() = 0;
    // After a sweep moved t: the optimum of the problem at t from the
    // current basis; infeasible when no solution is feasible at t; or
    // stopped before a verdict, as solve().
    virtual SolveResult reoptimise(const ParameterMove& move) = 0;
    virtual const TableauView& tableau() const = 0;
    virtual const ExchangeLog& log() const = 0;
};

// The basis and nonbasic variables of a view, for a result.
void take_basis(const TableauView& view, SolveResult& result);

}  // namespace lpsens
