// A model as exact rationals: every number of the file as the decimal it was
// written as (0.1 is 1/10), the LP the revised core solves, in the model's
// own sense:
//
//   minimise (or maximise)  cost x + offset
//   subject to              row_lower <= A x <= row_upper
//                           col_lower <=  x  <= col_upper
//
// A reader keeps each number in extended precision, whose 64-bit significand
// holds every decimal of up to 18 significant digits apart from every other:
// the shortest decimal that reads back to the kept value is the decimal
// written.  (A number written with more digits is taken as that shortest
// decimal.)  lpsens's own format keeps its stored 6-byte values, binary
// fractions, exactly; a model built from arrays of doubles its doubles.
#pragma once

#include <gmpxx.h>

#include <optional>
#include <string>
#include <vector>

#include "model/problem.h"

namespace lpsens::exact {

// A bound: none, or a rational.
using Bound = std::optional<mpq_class>;

struct Entry {
    int row = 0;
    mpq_class value;
};

struct RationalLp {
    int rows = 0, cols = 0;
    bool maximise = false;
    mpq_class offset;
    std::vector<std::vector<Entry>> columns;  // A by column, rows ascending, no zeros
    std::vector<mpq_class> cost;
    std::vector<Bound> col_lower, col_upper, row_lower, row_upper;
    std::vector<mpq_class> rhs;  // by row: its right-hand side as the model states it
};

// The exact rational of a value the readers keep: the shortest decimal that
// reads back to it, or the binary value itself where `binary` (lpsens's own
// format).
mpq_class rational_of(Extended value, bool binary);

// The binary value of an extended-precision number itself, exactly.
mpq_class binary_value(Extended value);

// A value of `model` as an exact rational, by how the model holds it: the
// decimal written, the stored 6-byte value, or the binary value given.
mpq_class value_in(const Problem& model, Extended v);

// The model as exact rationals (entries of a row met twice in a column add
// up): decimals as written, lpsens's own format as stored, a model built
// from arrays as the binary values given.
RationalLp rational_lp(const Problem& model);

// The nearest double to q (ties to even); infinite beyond the largest.
double nearest_double(const mpq_class& q);

// "p/q" in lowest terms, "p" for a whole number.
std::string text_of(const mpq_class& q);

}  // namespace lpsens::exact
