// The dual ratio test (CHUZC) with bound flipping and Harris tolerances.
//
// The leaving variable is infeasible by delta (x - lower < 0, or
// x - upper > 0). Moving the duals along the tableau row, each candidate
// reaches its breakpoint d_j / alpha_j; passing the breakpoint of a boxed
// variable flips it to its other bound and costs |alpha_j| (u_j - l_j) of the
// slope |delta|. The breakpoints are taken in groups (Harris: a group is
// every breakpoint up to the smallest ratio with the dual tolerance added),
// group after group while the slope stays positive; the entering variable
// is the largest |alpha_j| of the last group (or of an earlier group when
// the last one's entries are all small), and the boxed variables of the
// groups before it flip.
#pragma once

#include <vector>

#include "revised/simplex_state.h"
#include "revised/tableau_row.h"

namespace lpsens::revised {

struct DualStep {
    int entering = -1;       // -1: no candidate, the row proves primal infeasibility
    double alpha = 0;        // the entering variable's entry of the tableau row
    double theta_dual = 0;   // d_j -= theta_dual * alpha_j for the nonbasic j
    std::vector<int> flips;  // boxed variables that go to their other bound
};

class DualRatioTest {
public:
    // `updates` is the number of factor updates since the last
    // refactorisation: the smallest acceptable |alpha| grows with it.
    void choose(const TableauRow& row, double delta, const SimplexState& s, int updates, DualStep& step);

private:
    struct Candidate {
        int var;
        double alpha;  // |alpha_j|, oriented so that the breakpoint is tight / alpha
        double tight;  // the dual's slack toward its breakpoint (>= -tolerance)
    };
    std::vector<Candidate> candidates_;  // a buffer: the first `total` of choose() are this row's
    std::vector<int> group_end_;  // candidates_[group_end_[g-1] .. group_end_[g]) form group g
};

}  // namespace lpsens::revised
