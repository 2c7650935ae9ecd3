// How a sweep in the model's terms began and ended, in words, for the
// console, the readable report and the chart: "no feasible solution beyond
// orders = 60", "no feasible solution for labour from 0 to 20".
#pragma once

#include <string>
#include <vector>

#include "sweep/sweep_types.h"

namespace lpsens {

// The swept items as the words name them.
struct SweptItems {
    std::vector<std::string> names;
    std::vector<double> starts, ends;
};

// The items' values at t: where a record stands at t, its values.
std::vector<double> item_values_at(const SweptItems& items, const sweep::Result& result, double t);

// "orders = 60", or "t = 0.75 (orders = 60, wood = 150)" for several items.
std::string where_words(const SweptItems& items, const std::vector<double>& values, double t);

// How it ended: "it reached the end, orders = 80", "no feasible solution
// beyond orders = 60", "stopped at the limit of 1000 records at ...".
std::string end_words(const SweptItems& items, const sweep::Result& result, long max_records);

// The stretch before the first record, or "" when there is none.
std::string before_words(const SweptItems& items, const sweep::Result& result);

}  // namespace lpsens
