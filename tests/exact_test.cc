// Exact arithmetic: the rational LU against products taken back, decimals
// read as written, bases proven optimal (from the slack basis by exact
// pivots too), certificates of infeasibility and unboundedness.
#include <gtest/gtest.h>

#include <random>

#include "exact/basis_proof.h"
#include "exact/rational_lp.h"
#include "exact/rational_lu.h"

namespace lpsens::exact {
namespace {

using revised::BasisStatus;

// a / b in lowest terms (GMP compares canonical fractions only).
mpq_class q(long a, long b) {
    mpq_class r(a, b);
    r.canonicalize();
    return r;
}

std::vector<std::vector<Entry>> random_matrix(int m, std::mt19937& random, double density) {
    std::uniform_int_distribution<int> value(-9, 9);
    std::uniform_real_distribution<double> chance(0, 1);
    std::vector<std::vector<Entry>> columns(m);
    for (int j = 0; j < m; ++j) {
        for (int i = 0; i < m; ++i)
            if (i == (j * 7) % m || chance(random) < density) {
                const int v = value(random);
                if (v != 0) columns[j].push_back({i, q(v, 1 + (i + j) % 4)});
            }
    }
    return columns;
}

std::vector<mpq_class> times(const std::vector<std::vector<Entry>>& columns, const std::vector<mpq_class>& x, int m) {
    std::vector<mpq_class> b(m);
    for (std::size_t j = 0; j < columns.size(); ++j)
        for (const Entry& e : columns[j]) b[e.row] += e.value * x[j];
    return b;
}

TEST(RationalLu, SolvesAndTransposeSolvesTakeBackExactly) {
    std::mt19937 random(5);
    int solved = 0, singular = 0;
    for (int round = 0; round < 60; ++round) {
        const int m = 1 + round % 12;
        const auto columns = random_matrix(m, random, round % 3 == 0 ? 0.6 : 0.15);
        const RationalLu lu(columns, m);
        if (lu.singular()) {
            ++singular;
            continue;
        }
        ++solved;
        std::vector<mpq_class> b(m), c(m);
        for (int i = 0; i < m; ++i) {
            b[i] = q(i * i - 3, 7);
            c[i] = q(2 - i, 3);
        }
        std::vector<mpq_class> x = b;
        lu.solve(x);
        EXPECT_EQ(times(columns, x, m), b) << round;
        std::vector<mpq_class> y = c;
        lu.solve_transpose(y);
        for (int j = 0; j < m; ++j) {
            mpq_class dot = 0;
            for (const Entry& e : columns[j]) dot += e.value * y[e.row];
            EXPECT_EQ(dot, c[j]) << round << " column " << j;
        }
    }
    EXPECT_GT(solved, 40);
    // Two equal columns: singular, found exactly.
    const std::vector<std::vector<Entry>> twice = {{{0, q(1, 3)}, {1, 1}}, {{0, q(1, 3)}, {1, 1}}};
    EXPECT_TRUE(RationalLu(twice, 2).singular());
    (void)singular;
}

TEST(RationalLp, DecimalsAreTheDecimalsWritten) {
    const struct {
        long double kept;
        const char* exact;
    } cases[] = {
        {0.1L, "1/10"},       {52.6L, "263/5"},        {-3.3e-5L, "-33/1000000"}, {1e38L, "100000000000000000000000000000000000000"},
        {123456789012345678.0L, "123456789012345678"}, {0.000123456789012345678L, "61728394506172839/500000000000000000000"},
    };
    for (const auto& c : cases) EXPECT_EQ(text_of(rational_of(c.kept, false)), c.exact);
    EXPECT_EQ(text_of(rational_of(0.5L, true)), "1/2");
}

// max 3a + 2b  s.t.  a + b <= 4,  a + 3b <= 6,  0 <= a, b.
RationalLp production() {
    RationalLp lp;
    lp.rows = 2;
    lp.cols = 2;
    lp.maximise = true;
    lp.columns = {{{0, 1}, {1, 1}}, {{0, 1}, {1, 3}}};
    lp.cost = {3, 2};
    lp.col_lower = {mpq_class(0), mpq_class(0)};
    lp.col_upper = {std::nullopt, std::nullopt};
    lp.row_lower = {std::nullopt, std::nullopt};
    lp.row_upper = {mpq_class(4), mpq_class(6)};
    return lp;
}

revised::Basis slack_basis() {
    return {{BasisStatus::at_lower, BasisStatus::at_lower}, {BasisStatus::basic, BasisStatus::basic}};
}

TEST(BasisProof, TheOptimalBasisIsProvenAndTheSlackBasisPivotsThere) {
    const RationalLp lp = production();
    const revised::Basis optimal = {{BasisStatus::basic, BasisStatus::at_lower}, {BasisStatus::at_upper, BasisStatus::basic}};
    const ExactSolution proven = prove_optimal(lp, optimal);
    ASSERT_EQ(proven.proof, Proof::optimal) << proven.why;
    EXPECT_EQ(proven.pivots, 0);
    EXPECT_EQ(proven.objective, 12);
    EXPECT_EQ(proven.values, (std::vector<mpq_class>{4, 0}));
    EXPECT_EQ(proven.duals, (std::vector<mpq_class>{3, 0}));
    EXPECT_EQ(proven.reduced_costs, (std::vector<mpq_class>{0, -1}));
    const ExactSolution pivoted = prove_optimal(lp, slack_basis());
    ASSERT_EQ(pivoted.proof, Proof::optimal) << pivoted.why;
    EXPECT_GT(pivoted.pivots, 0);
    EXPECT_EQ(pivoted.objective, 12);
    // A basis with a row too many is no basis.
    revised::Basis wrong = slack_basis();
    wrong.col_status[0] = BasisStatus::basic;
    EXPECT_EQ(prove_optimal(lp, wrong).proof, Proof::unproven);
    // Thirds: the optimum of max a + b s.t. 3a + b <= 1, a + 3b <= 1 is 1/2 at (1/4, 1/4).
    RationalLp thirds = production();
    thirds.columns = {{{0, 3}, {1, 1}}, {{0, 1}, {1, 3}}};
    thirds.cost = {1, 1};
    thirds.row_upper = {mpq_class(1), mpq_class(1)};
    const ExactSolution quarter = prove_optimal(thirds, slack_basis());
    ASSERT_EQ(quarter.proof, Proof::optimal);
    EXPECT_EQ(quarter.objective, q(1, 2));
    EXPECT_EQ(quarter.values, (std::vector<mpq_class>{q(1, 4), q(1, 4)}));
}

TEST(BasisProof, ADeadlinePassedLeavesItUnprovenAndSaysWhy) {
    // A deadline gone: no factors (on a matrix large enough to be looked
    // at the clock), and no proof, with the reason; a deadline to come
    // changes nothing.
    std::mt19937 random(2);
    const auto past = std::chrono::steady_clock::now() - std::chrono::seconds(1);
    const RationalLu late(random_matrix(40, random, 0.2), 40, past);
    EXPECT_TRUE(late.out_of_time());
    ProofLimits limits;
    limits.deadline = past;
    const ExactSolution unproven = prove_optimal(production(), slack_basis(), limits);
    EXPECT_EQ(unproven.proof, Proof::unproven);
    EXPECT_NE(unproven.why.find("time limit"), std::string::npos) << unproven.why;
    limits.deadline = std::chrono::steady_clock::now() + std::chrono::hours(1);
    EXPECT_EQ(prove_optimal(production(), slack_basis(), limits).objective, 12);
}

TEST(BasisProof, DualPivotsFromAnInfeasibleBasis) {
    // min a + b  s.t.  a + b >= 2,  a - b >= -1/3: the slack basis is dual
    // feasible and primal infeasible.
    RationalLp lp;
    lp.rows = 2;
    lp.cols = 2;
    lp.columns = {{{0, 1}, {1, 1}}, {{0, 1}, {1, -1}}};
    lp.cost = {1, 1};
    lp.col_lower = {mpq_class(0), mpq_class(0)};
    lp.col_upper = {std::nullopt, std::nullopt};
    lp.row_lower = {mpq_class(2), q(-1, 3)};
    lp.row_upper = {std::nullopt, std::nullopt};
    const ExactSolution s = prove_optimal(lp, slack_basis());
    ASSERT_EQ(s.proof, Proof::optimal) << s.why;
    EXPECT_EQ(s.objective, 2);
}

TEST(BasisProof, CertificatesHoldExactlyOrNotAtAll) {
    // a + b <= 4 and a + b >= 5.
    RationalLp lp = production();
    lp.columns = {{{0, 1}, {1, 1}}, {{0, 1}, {1, 1}}};
    lp.row_lower = {std::nullopt, mpq_class(5)};
    lp.row_upper = {mpq_class(4), std::nullopt};
    EXPECT_EQ(prove_infeasible(lp, {-1, 1}).proof, Proof::infeasible);
    // Rounding noise is snapped to the simplest fraction near it.
    EXPECT_EQ(prove_infeasible(lp, {-1.0 / 3 * 3.0000000000001, 1.0 - 1e-15}).proof, Proof::infeasible);
    EXPECT_EQ(prove_infeasible(lp, {1, 1}).proof, Proof::unproven);
    EXPECT_EQ(prove_infeasible(lp, {-1}).proof, Proof::unproven);
    // max 3a + 2b with a - b <= 1 only: the ray (1, 1) from (0, 0).
    RationalLp open = production();
    open.rows = 1;
    open.columns = {{{0, 1}}, {{0, -1}}};
    open.row_upper = {mpq_class(1)};
    open.row_lower = {std::nullopt};
    EXPECT_EQ(prove_unbounded(open, {0, 0}, {1, 1}).proof, Proof::unbounded);
    EXPECT_EQ(prove_unbounded(open, {0, 0}, {1, 0}).proof, Proof::unproven);
    EXPECT_EQ(prove_unbounded(open, {2, 0}, {1, 1}).proof, Proof::unproven);
}

}  // namespace
}  // namespace lpsens::exact
