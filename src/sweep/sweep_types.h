// A parametric sweep of a linear program in its own terms: costs, or the
// right-hand sides of rows, move on straight lines as a parameter t runs
// from 0 to 1, and the optimum is recorded where the basis changes.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "revised/revised_simplex.h"

namespace lpsens::sweep {

// What moves: the costs of columns, or the right-hand sides of rows (every
// finite side of a row moves by the same amount, so a range keeps its
// width).  Each item's value is start + t (end - start); `reference` is the
// value at which the LP as given stands (its cost, or its right-hand side).
struct Item {
    int index = 0;  // 0-based column or row
    double start = 0;
    double end = 0;
    double reference = 0;
};

// Which bounds of a swept column move: its lower one, its upper one, or
// both (a fixed column: its value).
enum class BoundSide : std::uint8_t { lower, upper, both };

struct Target {
    bool costs = false;   // costs of columns; otherwise sides of rows, or
    bool bounds = false;  // bounds of columns (`sides`, one per item)
    std::vector<Item> items;
    std::vector<BoundSide> sides;
};

// Why a sweep ended.
enum class EndReason {
    end,                // it reached the end value
    infeasible,         // beyond `at` no point is feasible
    unbounded,          // beyond `at` the objective grows without end
    record_limit,       // it took as many records as it may
    exchange_limit,     // a solve reached its limit of exchanges
    time_limit,         // the time given ran out
    numerical_trouble,  // a solve could not settle
};
const char* to_string(EndReason reason);

struct Limits {
    long max_records = 1000;
    std::int64_t exchange_limit = INT64_MAX;  // per solve
    std::optional<std::chrono::steady_clock::time_point> deadline;
};

// The optimum at one value of the parameter, from the basis that holds
// from there on (the first record: at the start; the last one: at the end
// or on the edge where the sweep stops).
struct Record {
    double t = 0;
    std::vector<double> items;  // each item's value at t
    double objective = 0;       // in the LP's sense, offset included
    // The objective's rate of change per unit of t on the stretch this
    // record opens (the last record: the stretch it closes).
    double slope = 0;
    std::vector<double> x;             // by column
    std::vector<double> activity;      // A x, by row
    std::vector<double> dual;          // by row: d objective / d right-hand side
    std::vector<double> reduced_cost;  // by column: cost - A^T dual
    // The exchanges that made this record's basis from the one before
    // (empty for the first record and where a bound was all that changed).
    std::vector<revised::Variable> entering;
    std::vector<revised::Variable> leaving;
};

// A stretch of the parameter without an optimum before the first record.
struct Stretch {
    EndReason reason = EndReason::infeasible;  // infeasible or unbounded
    double from = 0, to = 0;                   // values of t
};

struct Result {
    std::vector<Record> records;
    std::optional<Stretch> before;  // from the start to where the optimum begins
    EndReason end = EndReason::end;
    double end_t = 1;               // t where it ended
};

}  // namespace lpsens::sweep
