// Helpers of the revised engine's tests: small LPs written compactly,
// random LPs from a seed, and checks of results computed from the LP alone
// (never from the engine's internals).
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "revised/lp_data.h"
#include "revised/lp_solution.h"

namespace lpsens::revised::testing {

inline constexpr double inf = infinity;

struct RowSpec {
    double lower;
    double upper;
};

struct ColSpec {
    double cost;
    double lower;
    double upper;
    std::vector<std::pair<int, double>> entries;  // (row, value)
};

LpData make_lp(Sense sense, const std::vector<RowSpec>& rows, const std::vector<ColSpec>& cols, double offset = 0);

// The LP as text, for failure messages.
std::string describe(const LpData& lp);

// Optimality certified from the LP: x within the column bounds and A x
// within the row bounds, d = c - A^T y of the right sign wherever x or A x
// is off a bound, and the dual bound from y and d equal to c^T x + offset.
// Tolerances relative to 1 + the magnitudes involved.
::testing::AssertionResult is_certified_optimal(const LpData& lp, const LpSolution& s, double tol = 1e-7);

// y proves infeasibility: with z = A^T y, the largest z^T x over the
// column bounds is below the smallest y^T r over the row bounds.
::testing::AssertionResult is_farkas_proof(const LpData& lp, const std::vector<double>& y);

// The point is feasible and dx is an improving direction of recession.
::testing::AssertionResult is_unbounded_proof(const LpData& lp, const LpSolution& s);

// The optimum of an LP whose columns are all boxed, by enumerating the
// vertices of {(x, r): A x - r = 0, bounds}; false when there is none.
bool enumerate_optimum(const LpData& lp, double& objective);

// A random LP with values drawn from small sets of "interesting" numbers
// (integers, halves, zero bounds, equal bounds). `all_boxed` gives every
// column two finite bounds.
LpData random_lp(std::mt19937& random, int rows, int cols, bool all_boxed, double density = 0.5);

}  // namespace lpsens::revised::testing
