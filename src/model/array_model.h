// A problem built from arrays, as a program that makes its model in memory
// hands it over: costs, a matrix by columns, the two sides of every row and
// the two bounds of every column, the names.  It is the problem a reader
// would build of the same model: rows with one finite side are <= or >=,
// rows with two equal sides =, rows with two different finite sides ranged
// (>= the lower side with the range up to the upper one).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/problem.h"

namespace lpsens {

struct ModelArrays {
    std::string title;
    bool maximise = false;
    double constant = 0;
    std::vector<double> costs;                    // by column
    std::vector<double> column_lower, column_upper;  // +-infinity for none
    std::vector<double> row_lower, row_upper;
    // The matrix by columns: column j holds start[j] .. start[j + 1] - 1.
    std::vector<std::int64_t> start;
    std::vector<std::int64_t> row;
    std::vector<double> value;
    // Empty for the default names: r1, r2, ... and x1, x2, ...
    std::vector<std::string> row_names, column_names;
};

// The problem of `arrays`.  Throws RunError 106 naming what is wrong: sizes
// that do not agree, a value that is not a number, an infinite cost or
// entry, a lower side or bound above the upper one, a row with no finite
// side, a row index out of range or given twice in a column, a name that is
// empty, too long, holds a blank or is given twice.
Problem model_from_arrays(const ModelArrays& arrays);

}  // namespace lpsens
