// Random feasible, bounded problems in the input format, for benchmarks and
// for tests that need many exchanges.
#pragma once

#include <string>

namespace lpsens::bench {

struct ProblemShape {
    int rows = 100;
    int vars = 100;
    double density = 1.0;     // share of nonzero constraint coefficients
    unsigned seed = 1;
    bool degenerate = false;  // many zero right-hand sides, only <= rows
    double ge_share = 0.1;    // share of >= rows (ignored when degenerate)
    double eq_share = 0.05;   // share of = rows (ignored when degenerate)
};

// Coefficients are positive with one decimal and every column has a positive
// entry, so the problem is bounded; a random point with about a tenth of the
// variables at 1 and the rest at 0 (x = 0 when degenerate) satisfies every
// row, so it is feasible.
std::string generate_problem(const ProblemShape& shape);

}  // namespace lpsens::bench
