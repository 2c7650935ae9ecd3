// The factorisation of bases of real models: Netlib problems read by the
// project's MPS reader, with bases of three kinds (all logicals but for
// a triangular crash, half structural, and structurals as far as they go),
// then a run of exchanges.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>

#include "factor/basis_factor.h"
#include "factor_test_support.h"
#include "io/byte_source.h"
#include "model/problem.h"

namespace lpsens::factor::testing {
namespace {

TestMatrix read_netlib(const std::string& name) {
    const std::string path = std::string(LPSENS_NETLIB_DIR) + "/" + name + ".mps";
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return {};
    ByteSource source(fd);
    const std::string text = source.read_rest();
    ::close(fd);
    const Problem model = read_mps(text, path);
    TestMatrix a;
    a.rows = model.row_count();
    for (int j = 0; j < model.column_count(); ++j) {
        std::vector<std::pair<int, double>> entries;
        model.matrix.for_each(j, [&](int r, Extended v) { entries.emplace_back(r, static_cast<double>(v)); });
        a.add_column(entries);
    }
    return a;
}

class NetlibBases : public ::testing::TestWithParam<const char*> {};

TEST_P(NetlibBases, FactoriseSolveAndUpdate) {
    const TestMatrix a = read_netlib(GetParam());
    if (a.rows == 0) GTEST_SKIP() << "no Netlib copy beside the project";
    std::mt19937 rng(17);
    const int m = a.rows;
    std::vector<std::vector<int>> bases;
    bases.push_back(crash_basis(a.view()));
    bases.push_back(random_basis(a, m / 2, rng));
    bases.push_back(random_basis(a, std::min(m, a.cols), rng));
    for (std::vector<int>& basic : bases) {
        BasisFactor factor;
        factor.setup(a.view());
        const int deficiency = factor.build(basic);
        ASSERT_EQ(factor.check_invariants(), "");
        EXPECT_EQ(factor.stats().rank_deficiency, deficiency);
        for (int nonzeros : {1, 5, -1}) {
            const SparseVector rhs = random_vector(m, nonzeros, rng);
            SparseVector x = rhs;
            factor.ftran(x, nonzeros < 0 ? 1.0 : 0.05);
            SparseVector y = rhs;
            factor.btran(y, nonzeros < 0 ? 1.0 : 0.05);
            EXPECT_LT(ftran_residual(a, basic, x.value, rhs.value), 1e-11);
            EXPECT_LT(btran_residual(a, basic, y.value, rhs.value), 1e-11);
        }
        // Exchanges: an entering column, the position of its largest entry.
        SparseVector column;
        column.resize(m);
        std::uniform_int_distribution<int> any_column(0, a.cols - 1);
        for (int step = 0; step < 60; ++step) {
            const int j = any_column(rng);
            if (std::find(basic.begin(), basic.end(), j) != basic.end()) continue;
            column.clear();
            for (int e = a.start[j]; e < a.start[j + 1]; ++e) column.add(a.row_index[e], a.value[e]);
            SparseVector x = column;
            factor.ftran_for_update(x, 0.05);
            int p = -1;
            for (int s = 0; s < x.count; ++s)
                if (p < 0 || std::fabs(x.value[x.index[s]]) > std::fabs(x.value[p])) p = x.index[s];
            if (p < 0 || std::fabs(x.value[p]) < 1e-7) continue;
            basic[p] = j;
            if (!factor.update(p, x.value[p])) factor.build(basic);
        }
        ASSERT_EQ(factor.check_invariants(), "");
        const SparseVector rhs = random_vector(m, -1, rng);
        SparseVector x = rhs;
        factor.ftran(x);
        SparseVector y = rhs;
        factor.btran(y);
        EXPECT_LT(ftran_residual(a, basic, x.value, rhs.value), 1e-9);
        EXPECT_LT(btran_residual(a, basic, y.value, rhs.value), 1e-9);
    }
}

INSTANTIATE_TEST_SUITE_P(Problems, NetlibBases,
                         ::testing::Values("adlittle", "sc205", "scfxm2", "share1b", "stair", "grow7", "e226",
                                           "bore3d", "fffff800", "tuff"));

}  // namespace
}  // namespace lpsens::factor::testing
