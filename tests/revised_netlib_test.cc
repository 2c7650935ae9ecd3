// The smaller Netlib problems through the revised engine, judged from the
// LP alone: the optimum certified by primal and dual feasibility and equal
// objectives, and metamorphic variants (the opposite sense; a row fixed off
// its optimal activity, solved warm and cold). Skipped when the problems
// are not beside the project.
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "lp_data_from_model.h"
#include "revised/revised_simplex.h"
#include "revised_test_support.h"

#ifndef REVISED_NETLIB_DIR
#define REVISED_NETLIB_DIR ""
#endif

namespace lpsens::revised {
namespace {

// problem -> optimum (MPS sense, constant included) from optima.tsv.
std::map<std::string, double> read_optima(const std::string& dir) {
    std::map<std::string, double> optima;
    std::ifstream in(dir + "/optima.tsv");
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::vector<std::string> f;
        std::string field;
        while (std::getline(fields, field, '\t')) f.push_back(field);
        if (f.size() >= 7) optima[f[0]] = std::stod(f[6]);
    }
    return optima;
}

class NetlibSmall : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = REVISED_NETLIB_DIR;
        optima_ = read_optima(dir_);
        if (optima_.empty()) GTEST_SKIP() << "no Netlib problems at '" << dir_ << "'";
    }
    std::string dir_;
    std::map<std::string, double> optima_;
};

TEST_F(NetlibSmall, OptimaCertifiedAndMetamorphicVariantsAgree) {
    for (const auto& [name, optimum] : optima_) {
        SCOPED_TRACE(name);
        const LpData lp = tools::read_mps_file(dir_ + "/" + name + ".mps");

        RevisedSimplex engine(lp);
        const LpSolution s = engine.solve();
        ASSERT_EQ(s.status, SolveStatus::optimal);
        EXPECT_NEAR(s.objective, optimum, 1e-9 * std::max(1.0, std::fabs(optimum)));
        EXPECT_TRUE(testing::is_certified_optimal(lp, s, 1e-6));

        // The opposite sense: a certified maximum, no smaller than the
        // minimum, or a verified ray.
        LpData opposite = lp;
        opposite.sense = Sense::maximise;
        RevisedSimplex other(opposite);
        const LpSolution& t = other.solve();
        if (t.status == SolveStatus::optimal) {
            EXPECT_TRUE(testing::is_certified_optimal(opposite, t, 1e-6));
            EXPECT_GE(t.objective, s.objective - 1e-9 * std::max(1.0, std::fabs(s.objective)));
        } else {
            EXPECT_TRUE(testing::is_unbounded_proof(opposite, t)) << to_string(t.status);
        }

        // A basic row fixed one unit off its optimal activity: warm from the
        // optimal basis and cold give the same answer.
        int row = -1;
        for (int i = 0; i < lp.rows && row < 0; ++i)
            if (s.basis.row_status[i] == BasisStatus::basic) row = i;
        if (row < 0) continue;
        const double level = s.row_activity[row] + 1;
        engine.set_row_bounds(row, level, level);
        const LpSolution& warm = engine.solve();
        LpData changed = lp;
        changed.row_lower[row] = changed.row_upper[row] = level;
        RevisedSimplex cold_engine(changed);
        const LpSolution& cold = cold_engine.solve();
        ASSERT_EQ(warm.status, cold.status);
        if (cold.status == SolveStatus::optimal) {
            EXPECT_NEAR(warm.objective, cold.objective, 1e-9 * std::max(1.0, std::fabs(cold.objective)));
            EXPECT_TRUE(testing::is_certified_optimal(changed, warm, 1e-6));
        } else if (cold.status == SolveStatus::infeasible) {
            EXPECT_TRUE(testing::is_farkas_proof(changed, warm.farkas));
        }
    }
}

}  // namespace
}  // namespace lpsens::revised
