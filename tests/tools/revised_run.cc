// lpsens_revised_run FILE.mps[.gz] [--log] [--no-scale] [--no-perturb] [--seed=N] [--presolve]
//
// Reads an MPS model, solves it with the revised engine and prints the
// status, the objective (constant included, in the model's sense), the
// iterations and the time. With --presolve the reduced problem is solved
// first and the model's solve starts from the basis postsolve gives: the
// sizes, the reduced solve's iterations and the clean-up's are printed. Exit status 0 for an optimum, 1 for any other
// end of the solve, 2 for unusable input.
#include <chrono>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>
#include <string>

#include "lp_data_from_model.h"
#include "presolve/presolve.h"
#include "revised/revised_simplex.h"

namespace {

// The core's log on standard error.
class LogToStderr final : public lpsens::revised::SolveObserver {
public:
    bool iterated(lpsens::revised::IterationKind) override { return false; }
    void status(const lpsens::revised::IterationStatus&) override {}
    void log(const std::string& line) override { std::fprintf(stderr, "%s\n", line.c_str()); }
};

int usage() {
    std::fprintf(stderr, "usage: lpsens_revised_run FILE.mps[.gz] [--log] [--no-scale] [--no-perturb] [--seed=N] [--presolve]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lpsens;
    std::string path;
    revised::Options options;
    bool presolve = false;
    for (int a = 1; a < argc; ++a) {
        if (std::strcmp(argv[a], "--log") == 0) options.log_level = 1;
        else if (std::strcmp(argv[a], "--log=2") == 0) options.log_level = 2;
        else if (std::strcmp(argv[a], "--no-scale") == 0) options.scale = false;
        else if (std::strcmp(argv[a], "--no-perturb") == 0) options.perturb_costs = false;
        else if (std::strncmp(argv[a], "--seed=", 7) == 0) options.seed = static_cast<std::uint32_t>(std::atoi(argv[a] + 7));
        else if (std::strcmp(argv[a], "--presolve") == 0) presolve = true;
        else if (argv[a][0] == '-' || !path.empty()) return usage();
        else path = argv[a];
    }
    if (path.empty()) return usage();

    const auto start = std::chrono::steady_clock::now();
    revised::LpData lp;
    try {
        lp = tools::read_mps_file(path);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lpsens_revised_run: %s\n", e.what());
        return 2;
    }
    const auto read = std::chrono::steady_clock::now();
    LogToStderr log;
    long long reduced_iterations = 0;
    std::optional<revised::Basis> warm;
    if (presolve) {
        const presolve::Presolved p = presolve::presolve(lp);
        const char* outcome = p.outcome == presolve::Outcome::reduced ? "reduced"
                              : p.outcome == presolve::Outcome::unchanged ? "unchanged" : "gave up";
        std::printf("presolve     %s: %d rows, %d columns, %d nonzeros of %d, %d, %d\n", outcome, p.reduced.rows,
                    p.reduced.cols, p.reduced.nonzeros(), lp.rows, lp.cols, lp.nonzeros());
        if (p.outcome == presolve::Outcome::reduced && p.reduced.rows > 0 && p.reduced.cols > 0) {
            revised::RevisedSimplex reduced(p.reduced, options);
            reduced.set_observer(&log);
            const revised::LpSolution& r = reduced.solve();
            reduced_iterations = r.iterations.total();
            std::printf("reduced      %s, objective %.12g, %lld iterations\n", revised::to_string(r.status), r.objective,
                        reduced_iterations);
            if (r.status == revised::SolveStatus::optimal) warm = presolve::postsolve(lp, p, r).basis;
        }
    }
    revised::RevisedSimplex engine(std::move(lp), options);
    engine.set_observer(&log);
    if (warm) engine.set_basis(*warm);
    const revised::LpSolution& s = engine.solve();
    const auto end = std::chrono::steady_clock::now();
    const std::chrono::duration<double> read_time = read - start, solve_time = end - read;

    std::printf("status       %s\n", revised::to_string(s.status));
    std::printf("objective    %.12g\n", s.objective);
    std::printf("iterations   %lld (dual phase 1 %lld, dual phase 2 %lld, primal %lld)\n",
                static_cast<long long>(s.iterations.total()), static_cast<long long>(s.iterations.dual_phase1),
                static_cast<long long>(s.iterations.dual_phase2), static_cast<long long>(s.iterations.primal));
    std::printf("factorised   %d times, %d retries\n", s.iterations.refactorisations, s.iterations.retries);
    std::printf("infeasible   primal %.3g, dual %.3g\n", s.primal_infeasibility, s.dual_infeasibility);
    std::printf("time         %.3f s (read %.3f s, solve %.3f s)\n", read_time.count() + solve_time.count(),
                read_time.count(), solve_time.count());
    return s.status == revised::SolveStatus::optimal ? 0 : 1;
}
