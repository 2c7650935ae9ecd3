// The exact tableau of a basis of the documented form, and the one rounding
// that turns its rationals into doubles: against division in double
// precision, against the floating-point tableau on problems of ordinary
// numbers, and against Gauss-Jordan elimination in rationals (an
// independent way to B^-1 [b | A]) on problems at the format's extremes.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <random>

#include "accurate/form_tableau.h"
#include "exact/exact_form_tableau.h"
#include "exact/rational_lp.h"
#include "form/double_form.h"
#include "form_support.h"
#include "numeric/run_error.h"
#include "test_support.h"

namespace lpsens::exact {
namespace {

mpq_class power_of_two(int e) {
    mpq_class q(1);
    if (e >= 0) mpq_mul_2exp(q.get_mpq_t(), q.get_mpq_t(), static_cast<unsigned long>(e));
    else mpq_div_2exp(q.get_mpq_t(), q.get_mpq_t(), static_cast<unsigned long>(-e));
    return q;
}

TEST(NearestDouble, TiesGoToEvenAndTheEdgesHold) {
    const double max = DBL_MAX, tiny = std::ldexp(1.0, -1074);
    const struct {
        mpq_class q;
        double expected;
        const char* why;
    } cases[] = {
        {mpq_class(0), 0.0, "zero"},
        {mpq_class(1) + power_of_two(-53), 1.0, "a tie above 1 goes down to the even 1"},
        {mpq_class(1) + 3 * power_of_two(-53), 1 + std::ldexp(1.0, -51), "a tie goes up to the even neighbour"},
        {mpq_class(1) + power_of_two(-53) + power_of_two(-120), 1 + std::ldexp(1.0, -52), "just past a tie"},
        {mpq_class(1) + power_of_two(-53) - power_of_two(-120), 1.0, "just short of a tie"},
        {-(mpq_class(1) + 3 * power_of_two(-53)), -(1 + std::ldexp(1.0, -51)), "negative ties mirror"},
        {power_of_two(-1075), 0.0, "half the smallest subnormal: a tie, to the even 0"},
        {power_of_two(-1075) + power_of_two(-1200), tiny, "past it: the smallest subnormal"},
        {3 * power_of_two(-1075), 2 * tiny, "a subnormal tie, to the even two units"},
        {mpq_class(max), max, "the largest double"},
        {mpq_class(max) + power_of_two(970) - power_of_two(900), max, "short of halfway to 2^1024"},
        {mpq_class(max) + power_of_two(970), HUGE_VAL, "halfway to 2^1024 is infinite"},
        {-power_of_two(1100), -HUGE_VAL, "far beyond: infinite"},
        {mpq_class(1, 3), 1.0 / 3.0, "a third"},
    };
    for (const auto& c : cases) EXPECT_EQ(nearest_double(c.q), c.expected) << c.why;
    // Division of two doubles is rounded once to the nearest: the same.
    std::mt19937_64 random(3);
    for (int k = 0; k < 20000; ++k) {
        const auto a = static_cast<double>(static_cast<std::int64_t>(random() >> 11) - (std::int64_t{1} << 52));
        const auto b = static_cast<double>((random() >> (11 + k % 40)) + 1);
        mpq_class q(a);
        q /= mpq_class(b);
        ASSERT_EQ(nearest_double(q), a / b) << a << " / " << b;
    }
}

TEST(BinaryValue, IsTheNumberItself) {
    // Doubles as GMP takes them, and long doubles with all 64 bits.
    for (const double d : {0.1, -0.3, 1e-310, -DBL_MAX, 1.0 / 3.0, 6e37})
        EXPECT_EQ(binary_value(d), mpq_class(d)) << d;
    EXPECT_EQ(binary_value(1 + std::ldexp(1.0L, -63)), 1 + power_of_two(-63));
    EXPECT_EQ(binary_value(-std::ldexp(1.0L, -16440)), -power_of_two(-16440));
    EXPECT_EQ(binary_value(0.0L), 0);
    std::mt19937_64 random(9);
    for (int k = 0; k < 10000; ++k) {
        double d;
        std::uint64_t bits = random();
        std::memcpy(&d, &bits, sizeof d);
        if (!std::isfinite(d)) continue;
        ASSERT_EQ(nearest_double(binary_value(d)), d) << d;
    }
}

// A problem in lpsens's own format: m rows, n variables, the rows' kinds
// ('L', 'E', 'G'), the numbers drawn by `value`.
template <class Value>
DocumentedForm random_form(std::mt19937& random, int m, int n, Value value) {
    std::vector<int> eq, ge;
    for (int i = 1; i <= m; ++i) {
        const auto kind = random() % 5;
        if (kind == 0) eq.push_back(i);
        else if (kind == 1) ge.push_back(i);
    }
    std::vector<std::string> text = {"Generated", std::to_string(m) + " " + std::to_string(n) + " " +
                                                      std::to_string(eq.size()) + " " + std::to_string(ge.size())};
    const auto list = [&](const std::vector<int>& rows) {
        std::string line;
        for (int i : rows) line += (line.empty() ? "" : " ") + std::to_string(i);
        if (!rows.empty()) text.push_back(line);
    };
    list(eq);
    list(ge);
    for (int j = 1; j <= n; ++j) text.push_back("x" + std::to_string(j));
    for (int i = 1; i <= m; ++i) text.push_back("r" + std::to_string(i));
    text.push_back("0");
    for (int k = 0; k < (m + 1) * (n + 1) - 1; ++k) text.push_back(value(random));
    return testing::read_form(testing::lines(text));
}

// Every variable of the form: structural, row, surplus.
std::vector<VariableId> form_variables(const DocumentedForm& form) {
    const DoubleForm problem = capture_form(form, true);
    std::vector<VariableId> all;
    for (int j = 1; j <= form.variables(); ++j) all.push_back(structural_variable(j));
    for (int i = 1; i <= form.rows(); ++i) {
        const RowKind kind = problem.kind[i];
        all.push_back({kind == RowKind::less_or_equal ? VariableKind::slack
                       : kind == RowKind::equality    ? VariableKind::equality_artificial
                                                      : VariableKind::greater_artificial,
                       i});
    }
    for (int k = 1; k <= form.ge_count(); ++k) all.push_back(surplus_variable(k));
    return all;
}

// A random split of the variables into M basic and N+K2 nonbasic ones.
void random_basis(std::mt19937& random, const DocumentedForm& form, std::vector<VariableId>& basic,
                  std::vector<VariableId>& nonbasic) {
    std::vector<VariableId> all = form_variables(form);
    std::shuffle(all.begin(), all.end(), random);
    const auto m = static_cast<std::size_t>(form.rows());
    basic.assign(1, VariableId{});
    basic.insert(basic.end(), all.begin(), all.begin() + static_cast<std::ptrdiff_t>(m));
    nonbasic.assign(1, VariableId{});
    nonbasic.insert(nonbasic.end(), all.begin() + static_cast<std::ptrdiff_t>(m), all.end());
}

// The column of v in [A | I | -I] and the cost, as exact rationals of the
// stored values, dense.
std::vector<mpq_class> dense_column(const DocumentedForm& form, VariableId v) {
    std::vector<mpq_class> a(form.rows() + 1);
    if (v.is_structural()) {
        form.for_each_entry(v.index, [&](int i, Extended x) { a[i] += rational_of(x, true); });
    } else {
        a[v.is_surplus() ? form.ge_rows[v.index] : v.index] = v.is_surplus() ? -1 : 1;
    }
    return a;
}

// B^-1 [b | a_1 .. ] by Gauss-Jordan elimination on the dense augmented
// matrix; empty when B is singular.
std::vector<std::vector<mpq_class>> gauss_jordan(const DocumentedForm& form, const std::vector<VariableId>& basic,
                                                 const std::vector<VariableId>& nonbasic) {
    const int m = form.rows();
    const int width = m + static_cast<int>(nonbasic.size());  // B, then b, then the nonbasic columns
    std::vector<std::vector<mpq_class>> rows(m, std::vector<mpq_class>(width));
    for (int p = 1; p <= m; ++p) {
        const auto a = dense_column(form, basic[p]);
        for (int i = 1; i <= m; ++i) rows[i - 1][p - 1] = a[i];
    }
    for (int i = 1; i <= m; ++i) rows[i - 1][m] = rational_of(form.rhs(i), true);
    for (std::size_t j = 1; j < nonbasic.size(); ++j) {
        const auto a = dense_column(form, nonbasic[j]);
        for (int i = 1; i <= m; ++i) rows[i - 1][m + j] = a[i];
    }
    for (int c = 0; c < m; ++c) {
        int pivot = c;
        while (pivot < m && rows[pivot][c] == 0) ++pivot;
        if (pivot == m) return {};
        std::swap(rows[c], rows[pivot]);
        const mpq_class inverse = 1 / rows[c][c];
        for (mpq_class& x : rows[c]) x *= inverse;
        for (int r = 0; r < m; ++r) {
            if (r == c || rows[r][c] == 0) continue;
            const mpq_class f = rows[r][c];
            for (int k = 0; k < width; ++k) rows[r][k] -= f * rows[c][k];
        }
    }
    return rows;
}

std::string extreme_value(std::mt19937& random) {
    static const int exponents[] = {-38, -37, -30, -20, -10, -5, 5, 10, 20, 30, 37, 38};
    const auto r = random() % 8;
    if (r < 2) return "0";
    if (r < 4) return std::to_string(static_cast<int>(random() % 19) - 9);
    const int e = exponents[random() % 12];
    const int digit = e < 38 ? 1 + static_cast<int>(random() % 9) : 1;
    return std::string(random() % 5 < 2 ? "-" : "") + std::to_string(digit) + "e" + std::to_string(e);
}

TEST(ExactFormTableau, EveryEntryIsTheNearestDoubleOfTheEliminatedOne) {
    // Problems at the format's extremes, random bases: each entry, value
    // and price, and the phase-1 row, against Gauss-Jordan in rationals.
    std::mt19937 random(17);
    int compared = 0, singular = 0;
    for (int round = 0; round < 400; ++round) {
        const DocumentedForm form = random_form(random, 1 + round % 4, 1 + round % 3, extreme_value);
        std::vector<VariableId> basic, nonbasic;
        random_basis(random, form, basic, nonbasic);
        const auto eliminated = gauss_jordan(form, basic, nonbasic);
        if (eliminated.empty()) {
            EXPECT_THROW(ExactFormTableau(form, basic, nonbasic), RunError);
            ++singular;
            continue;
        }
        const ExactFormTableau view(form, basic, nonbasic);
        const int m = form.rows();
        // Prices: c_B^T B^-1 a_j - c_j, the objective c_B^T B^-1 b.
        const auto cost = [&](VariableId v) {
            return v.is_structural() ? rational_of(form.cost(v.index), true) : mpq_class(0);
        };
        std::vector<mpq_class> phase1(view.columns() + 1);
        for (int j = 0; j <= view.columns(); ++j) {
            mpq_class price = j == 0 ? mpq_class(0) : mpq_class(-cost(nonbasic[j]));
            for (int p = 1; p <= m; ++p) {
                const mpq_class& t = eliminated[p - 1][m + j];
                ASSERT_EQ(view.entry(p, j), nearest_double(t)) << round << " " << p << " " << j;
                price += cost(basic[p]) * t;
                if (basic[p].is_artificial()) phase1[j] -= t;
            }
            if (j > 0 && nonbasic[j].is_artificial()) phase1[j] += 1;
            ASSERT_EQ(view.entry(0, j), nearest_double(price)) << round << " " << j;
            ASSERT_EQ(view.phase1_entry(j), nearest_double(phase1[j])) << round << " " << j;
        }
        ++compared;
    }
    EXPECT_GT(compared, 150);
    EXPECT_GT(singular, 10);
}

TEST(ExactFormTableau, AgreesWithTheFloatingPointTableauOnOrdinaryNumbers) {
    // Small integers and binary fractions (stored exactly): the two views of
    // one basis agree in every entry and every position.
    std::mt19937 random(23);
    const auto ordinary = [](std::mt19937& r) {
        return std::to_string(static_cast<int>(r() % 19) - 9) + (r() % 3 == 0 ? ".5" : "");
    };
    int compared = 0;
    for (int round = 0; round < 300; ++round) {
        const DocumentedForm form = random_form(random, 1 + round % 6, 1 + round % 5, ordinary);
        std::vector<VariableId> basic, nonbasic;
        random_basis(random, form, basic, nonbasic);
        if (gauss_jordan(form, basic, nonbasic).empty()) continue;
        const DoubleForm problem = capture_form(form, true);
        std::unique_ptr<FormTableau> floating;
        try {
            floating = std::make_unique<FormTableau>(problem, basic, nonbasic);
        } catch (const RunError&) {
            continue;  // near-singular in floating point
        }
        const ExactFormTableau exact(form, basic, nonbasic);
        for (int i = 0; i <= exact.rows(); ++i)
            for (int j = 0; j <= exact.columns(); ++j)
                ASSERT_NEAR(exact.entry(i, j), floating->entry(i, j), 1e-9 * (1 + std::fabs(exact.entry(i, j))))
                    << round << " " << i << " " << j;
        for (int j = 0; j <= exact.columns(); ++j)
            ASSERT_NEAR(exact.phase1_entry(j), floating->phase1_entry(j), 1e-9 * (1 + std::fabs(exact.phase1_entry(j))));
        for (int i = 1; i <= exact.rows(); ++i) ASSERT_EQ(exact.row_position(i), floating->row_position(i));
        for (int v = 1; v <= exact.columns(); ++v) ASSERT_EQ(exact.column_position(v), floating->column_position(v));
        ++compared;
    }
    EXPECT_GT(compared, 100);
}

}  // namespace
}  // namespace lpsens::exact
