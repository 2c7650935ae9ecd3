// Writes a random feasible problem to standard output:
//   lpsens_generate ROWS VARS [DENSITY [SEED [degenerate]]]
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "problem_generator.h"

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: lpsens_generate ROWS VARS [DENSITY [SEED [degenerate]]]\n");
        return 2;
    }
    lpsens::bench::ProblemShape shape;
    shape.rows = std::atoi(argv[1]);
    shape.vars = std::atoi(argv[2]);
    if (argc > 3) shape.density = std::atof(argv[3]);
    if (argc > 4) shape.seed = static_cast<unsigned>(std::strtoul(argv[4], nullptr, 10));
    shape.degenerate = argc > 5 && std::strcmp(argv[5], "degenerate") == 0;
    const std::string text = lpsens::bench::generate_problem(shape);
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
