// The accurate engine with presolve on the Netlib problems kept beside the
// project: the same optimum as without, and the core's own solve from the
// postsolved basis needs no iteration or next to none.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "accurate/accurate_engine.h"
#include "form/documented_form.h"
#include "io/byte_source.h"
#include "model/problem.h"
#include "test_support.h"

#ifndef LPSENS_NETLIB
#error "LPSENS_NETLIB must name the folder of the Netlib problems"
#endif

namespace lpsens {
namespace {

std::vector<std::string> netlib_names() { return testing::file_stems(LPSENS_NETLIB, ".mps"); }

struct EngineRun {
    Status status;
    double objective;  // the core's, in the model's sense
    long exchanges;    // all of the run, the presolved model's too
    long cleanup;      // the core's own solve
};

EngineRun solve(const Problem& model, const ConvertedModel& c, PresolveUse use) {
    EngineSettings settings;
    settings.presolve = use;
    Channel console;
    AccurateEngine engine(c.form, model, c.map, settings, console);
    const SolveResult r = engine.solve();
    const revised::LpSolution& s = engine.core().solution();
    return {r.status, s.objective, engine.log().exchanges, static_cast<long>(s.iterations.total())};
}

Problem read_netlib(const std::string& name) {
    const std::string path = std::string(LPSENS_NETLIB) + "/" + name + ".mps";
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return Problem{};
    ByteSource source(fd);
    Problem model = read_mps(source.read_rest(), path);
    ::close(fd);
    return model;
}

// By default (by size) the presolve leaves alone a model whose own start
// (every column at its lower bound) is feasible: the core's primal simplex
// starts from it, where the presolved model may need a first phase (cycle
// took 2,792 exchanges after presolve, 1,578 without).  The others of the
// size are presolved.
TEST(PresolveNetlib, ByDefaultAFeasibleOwnStartIsKept) {
    struct Case {
        const char* name;
        bool presolved;
    };
    const Case cases[] = {{"sc205", false}, {"sc50b", false}, {"kb2", false},
                          {"agg", true},    {"stair", true},  {"scagr7", true}};
    for (const Case& k : cases) {
        const Problem model = read_netlib(k.name);
        if (model.row_count() == 0) {
            GTEST_SKIP() << "no " << k.name << " at " << LPSENS_NETLIB;
        }
        std::vector<std::string> said;
        const ConvertedModel c = convert_model(model, said);
        const EngineRun by_size = solve(model, c, PresolveUse::by_size);
        const EngineRun off = solve(model, c, PresolveUse::off);
        ASSERT_EQ(by_size.status, Status::optimal) << k.name;
        EXPECT_NEAR(by_size.objective, off.objective, 1e-9 * std::max(1.0, std::fabs(off.objective))) << k.name;
        EXPECT_EQ(by_size.exchanges > by_size.cleanup, k.presolved) << k.name;
        if (!k.presolved) {
            EXPECT_EQ(by_size.exchanges, off.exchanges) << k.name;
        }
    }
}

TEST(PresolveNetlib, SameOptimumAndNextToNoCleanUp) {
    const std::vector<std::string> names = netlib_names();
    if (names.empty()) GTEST_SKIP() << "no Netlib problems at " << LPSENS_NETLIB;
    long cleanup = 0;
    int presolved = 0;
    for (const std::string& name : names) {
        const std::string path = std::string(LPSENS_NETLIB) + "/" + name + ".mps";
        const int fd = ::open(path.c_str(), O_RDONLY);
        ASSERT_GE(fd, 0) << path;
        ByteSource source(fd);
        const Problem model = read_mps(source.read_rest(), path);
        ::close(fd);
        std::vector<std::string> said;
        const ConvertedModel c = convert_model(model, said);
        const EngineRun off = solve(model, c, PresolveUse::off), on = solve(model, c, PresolveUse::on);
        ASSERT_EQ(off.status, Status::optimal) << name;
        ASSERT_EQ(on.status, Status::optimal) << name;
        EXPECT_NEAR(on.objective, off.objective, 1e-9 * std::max(1.0, std::fabs(off.objective))) << name;
        // Without presolve the core's solve is the whole run.
        EXPECT_EQ(off.cleanup, off.exchanges) << name;
        // A model presolve leaves as it is (grow7, scsd1) is the core's alone.
        if (on.exchanges > on.cleanup) {
            ++presolved;
            EXPECT_LE(on.cleanup, 2) << name;
            cleanup += on.cleanup;
        }
        std::printf("%-10s clean-up %ld of %ld exchanges with presolve, %ld without\n", name.c_str(), on.cleanup,
                    on.exchanges, off.exchanges);
    }
    EXPECT_GE(presolved, 19);
    EXPECT_LE(cleanup, 5);
}

}  // namespace
}  // namespace lpsens
