// Scenarios of a model: sets of changes to its right-hand sides, costs and
// column bounds, each solved on its own from the model as given.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "model/problem.h"

namespace lpsens::scenario {

// What a change sets: a row's right-hand side (every finite side of the row
// moves with it, so a range keeps its width), a column's cost, or one of its
// bounds (+-infinity for none).
enum class Kind : std::uint8_t { rhs, cost, lower, upper };

struct Change {
    Kind kind = Kind::rhs;
    int index = 0;  // 0-based row or column
    double value = 0;
};

struct Scenario {
    std::string label;
    std::vector<Change> changes;
};

// The item a name stands for, as a scenario table's heading or a caller's
// key gives it: "rhs:ROW", "cost:COLUMN", "lower:COLUMN", "upper:COLUMN",
// or a bare name: a row's right-hand side, else a column's cost.  Throws
// RunError 106 for an unknown kind or name, and for a bare name that is both
// a row and a column.
struct Item {
    Kind kind = Kind::rhs;
    int index = 0;
};
class ItemNames {
public:
    explicit ItemNames(const Problem& model);
    Item find(std::string_view text) const;

private:
    const Problem& model_;
    std::vector<std::pair<std::string_view, int>> rows_, columns_;  // sorted by name
};

const char* kind_name(Kind kind);

// Checks a change against the model: the index in range, the value a number,
// finite for a right-hand side or a cost.  Throws RunError 106.
void check_change(const Problem& model, const Change& change);

// The model with the changes made.
void apply(Problem& model, const Change& change);

}  // namespace lpsens::scenario
