// A parametric sweep: t from 0 to 1, the optimum recorded at t = 0 and just
// past every breakpoint.
#pragma once

#include <vector>

#include "analysis/sweep_items.h"
#include "engine/engine.h"

namespace lpsens {

inline constexpr int max_records = 20;

// One record: t, each item's value at t, and the optimum there.
struct SweepRecord {
    StoredReal t;
    std::vector<StoredReal> items;  // 1..count
    StoredReal constant;            // the objective constant, when it moves
    // 0 the optimal value; 1..N the levels, N+1..N+M the residuals,
    // N+M+1..2N+M the reduced costs, 2N+M+1..2(N+M) the shadow prices.
    std::vector<double> values;
};

// How the items move: each one's end - start (1-based), the constant's,
// and the engine's move with t still to set.
struct SweepMove {
    std::vector<StoredReal> delta;
    StoredReal constant_delta;
    ParameterMove move;
};
SweepMove sweep_move(const SweepItems& items);

// The record at t of a solution of the form (n variables, m rows).
SweepRecord take_record(const Solution& solution, const SweepItems& items, const SweepMove& move, StoredReal t,
                        int n, int m);

// What the run does as the sweep goes: check each record, say each verdict.
class SweepObserver {
public:
    virtual ~SweepObserver() = default;
    // Record s (1-based) was taken from `result`.
    virtual void record(int s, const SweepRecord& record, const SolveResult& result) = 0;
    // A re-optimisation ended without an optimum (unbounded or infeasible):
    // the sweep ends.
    virtual void verdict(Status status) = 0;
};

// Sweeps t from 0 to 1 from the engine's first result, an optimum: records
// the optimum at t = 0 and just past every breakpoint (at most 20 records),
// and ends at a t where there is none.  From the first step on no
// artificial variable may take a nonzero value.
std::vector<SweepRecord> sweep_records(SolveEngine& engine, const SweepItems& items, int variables,
                                          const SolveResult& first, SweepObserver& observer);

}  // namespace lpsens
