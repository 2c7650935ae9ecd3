// Helpers shared by the unit tests of every layer: problem texts, files,
// numbers in JSON, stored reals as bytes, and an independent reference
// optimum for small problems.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "numeric/stored_real.h"

namespace lpsens::testing {

// Joins lines with line feeds (the end every editor here writes).
std::string lines(const std::vector<std::string>& text);

// Appends the dimension line of a problem text in lpsens's own format and
// its lists of equality and >= rows (each list's line only when not empty).
void add_dimensions(std::vector<std::string>& text, int rows, int vars, const std::vector<std::string>& eq,
                    const std::vector<std::string>& ge);

// An independent reference for small problems: constraints g x <= h over n
// variables, and the best vertex of the region they bound (every choice of n
// active constraints solved by Gaussian elimination, the feasible ones
// compared).
struct Polyhedron {
    int n = 0;
    std::vector<std::vector<long double>> g;
    std::vector<long double> h;

    void add(std::vector<long double> row, long double bound);
    // lower <= a x <= upper, either side possibly infinite.
    void add_range(const std::vector<long double>& a, long double lower, long double upper);
};

// The largest c x over the vertices, or nothing when there is no vertex.
std::optional<long double> best_vertex(const Polyhedron& p, const std::vector<long double>& c);

// A whole file's text.
std::string read_all(const std::string& path);

// The names of the files in `folder` that end in `suffix`, without it,
// sorted; none when the folder cannot be read.
std::vector<std::string> file_stems(const std::string& folder, const std::string& suffix);
// The numbers after `"key": ` in a JSON text, in order (the first of a list).
std::vector<double> numbers_of(const std::string& json, const std::string& key);

// The six bytes of a stored real as "7D CD CC CC CC 4C".
std::string hex_bytes(StoredReal r);
StoredReal from_hex(const std::string& hex);

// The problem of the two-phase worked example: max 2 x1 + 3 x2 subject to
// x1 + x2 <= 4 and x1 + 2 x2 >= 2.
std::string worked_example();

// The two-variable sample: max 3 x1 + 2 x2, x1 + x2 <= 4, x1 + 3 x2 <= 6.
std::string sample_problem(const std::string& x1_name = "x1", const std::string& c1_name = "c1");

// A polygon of `sides` sides around the first quadrant's corner, with the
// objective coefficient of x1 named `x1_item` (a sweep item, say): the
// optimum runs over many vertices as that coefficient moves.
std::string polygon(int sides, const std::string& x1_item);

// max 3 x1 + 2 x2 subject to x1 + x2 <= 4, x1 + 3 x2 >= 6 and
// 2 x1 - x2 = 1: a row of each kind.
std::string three_kinds();

// Beale's example: max 0.75 x1 - 150 x2 + 0.02 x3 - 6 x4 subject to
// 0.25 x1 - 60 x2 - 0.04 x3 + 9 x4 <= 0, 0.5 x1 - 90 x2 - 0.02 x3 + 3 x4 <= 0,
// x3 <= 1, which cycles under the plain rules.  Optimum 0.05 at x1 = 0.04,
// x3 = 1.
std::string beale();

}  // namespace lpsens::testing
