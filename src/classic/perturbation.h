// A small perturbation of the right-hand sides that lets a stalling loop
// leave a degenerate vertex.
//
// On a degenerate vertex many basic variables are zero, every ratio is zero
// and the choice rules can wander from basis to basis without end.  Adding a
// small positive amount to every right-hand side (column 0 of rows 1..M)
// breaks the ties: each exchange then moves the objective by a little, so no
// basis can come round again.  The amounts differ from row to row (a fixed
// pseudo-random sequence, so runs are reproducible).
//
// Every exchange transforms column 0 linearly, so the perturbation's share of
// it can be carried along exactly: `shift` starts as the amounts added and is
// put through the same row operations as column 0.  Taking the perturbation
// away subtracts the carried shift from column 0 of every row, the objective
// row and the phase-1 row, which leaves the values of the current basis for
// the problem as it was.
#pragma once

#include <vector>

#include "numeric/stored_real.h"
#include "classic/classic_state.h"

namespace lpsens {

// Relative size of the amounts: each is between 1 and 2 times this, times
// (1 + |right-hand side|).
inline constexpr Extended perturbation_size = 1e-6L;

class Perturbation {
public:
    bool active() const { return active_; }

    // Adds the amounts to column 0 of rows 1..M.
    void apply(ClassicState& cs);
    // To be called before every exchange at (r, s) while active.
    void track_exchange(const ClassicState& cs, int r, int s);
    // Subtracts the carried shift from column 0; no-op when not active.
    void remove(ClassicState& cs);

private:
    bool active_ = false;
    int applications_ = 0;
    std::vector<Extended> shift_;  // rows 0..M, then the phase-1 row at M+1
};

}  // namespace lpsens
