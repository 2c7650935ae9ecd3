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

// A triangular crash: each structural column with an entry of at least a
// tenth of its largest in a row no structural has yet, taken while no
// earlier crash column has an entry in that row (lower triangular basis).
std::vector<int> crash_basis(const TestMatrix& a) {
    std::vector<int> basic;
    std::vector<char> covered(static_cast<std::size_t>(a.rows), 0);
    std::vector<int> logical_of_row(static_cast<std::size_t>(a.rows), 1);
    for (int j = 0; j < a.cols; ++j) {
        double largest = 0;
        for (int e = a.start[j]; e < a.start[j + 1]; ++e) largest = std::max(largest, std::fabs(a.value[e]));
        int row = -1;
        for (int e = a.start[j]; e < a.start[j + 1]; ++e)
            if (!covered[a.row_index[e]] && std::fabs(a.value[e]) >= 0.1 * largest) row = a.row_index[e];
        if (row < 0) continue;
        for (int e = a.start[j]; e < a.start[j + 1]; ++e) covered[a.row_index[e]] = 1;
        logical_of_row[row] = 0;
        basic.push_back(j);
    }
    for (int r = 0; r < a.rows; ++r)
        if (logical_of_row[r]) basic.push_back(a.cols + r);
    return basic;
}

class NetlibBases : public ::testing::TestWithParam<const char*> {};

TEST_P(NetlibBases, FactoriseSolveAndUpdate) {
    const TestMatrix a = read_netlib(GetParam());
    if (a.rows == 0) GTEST_SKIP() << "no Netlib copy beside the project";
    std::mt19937 rng(17);
    const int m = a.rows;
    std::vector<std::vector<int>> bases;
    bases.push_back(crash_basis(a));
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
