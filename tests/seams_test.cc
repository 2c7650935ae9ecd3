// The seams between the layers: every reader builds the same problem type,
// the documented form is built from it, and both engines answer the same
// view of their final tableau.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <memory>
#include <sstream>

#include "accurate/accurate_engine.h"
#include "classic/classic_engine.h"
#include "form/documented_form.h"
#include "model/read_problem.h"
#include "problem_generator.h"
#include "form_support.h"
#include "test_support.h"

#ifndef LPSENS_EXAMPLES
#error "LPSENS_EXAMPLES must name the examples folder"
#endif

namespace lpsens {
namespace {

Problem read_file(const std::string& path, const std::string& format) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    ByteSource source(text.str());
    source.origin = path;
    return read_problem(source, format);
}

// A name without the text of a parametric item ("desks$$$20&&&80"), which
// imported models give on the command line instead.
std::string plain(const std::string& name) { return name.substr(0, name.find("$$$")); }

// The model of a problem, apart from where it came from and its title.
void expect_same_model(const Problem& a, const Problem& b, const std::string& what) {
    EXPECT_EQ(a.maximise, b.maximise) << what;
    EXPECT_EQ(a.constant, b.constant) << what;
    ASSERT_EQ(a.row_count(), b.row_count()) << what;
    ASSERT_EQ(a.column_count(), b.column_count()) << what;
    for (std::size_t i = 0; i < a.rows.size(); ++i) {
        EXPECT_EQ(plain(a.rows[i].name), b.rows[i].name) << what;
        EXPECT_EQ(a.rows[i].type, b.rows[i].type) << what << " row " << a.rows[i].name;
        EXPECT_EQ(a.rows[i].rhs, b.rows[i].rhs) << what << " row " << a.rows[i].name;
        EXPECT_EQ(a.rows[i].ranged, b.rows[i].ranged) << what;
    }
    for (int j = 0; j < a.column_count(); ++j) {
        const ProblemColumn& x = a.columns[static_cast<std::size_t>(j)];
        const ProblemColumn& y = b.columns[static_cast<std::size_t>(j)];
        EXPECT_EQ(plain(x.name), y.name) << what;
        EXPECT_EQ(x.cost, y.cost) << what << " column " << x.name;
        EXPECT_EQ(x.lower, y.lower) << what << " column " << x.name;
        EXPECT_EQ(x.upper, y.upper) << what << " column " << x.name;
        // The entries as a dense column: readers may meet them in any order.
        std::vector<Extended> ca(a.rows.size(), 0), cb(b.rows.size(), 0);
        a.matrix.for_each(j, [&](int r, Extended v) { ca[static_cast<std::size_t>(r)] += v; });
        b.matrix.for_each(j, [&](int r, Extended v) { cb[static_cast<std::size_t>(r)] += v; });
        EXPECT_EQ(ca, cb) << what << " column " << x.name;
    }
}

TEST(Readers, EveryFormatGivesTheSameProblemAndForm) {
    const std::string dir = LPSENS_EXAMPLES;
    for (const std::string name : {"sample", "mix", "infeasible", "unbounded", "objective_sweep", "rhs_sweep"}) {
        const Problem native = read_file(dir + "/" + name + ".lp", "native");
        const Problem mps = read_file(dir + "/mps/" + name + ".mps", "mps");
        const Problem lp = read_file(dir + "/lp-format/" + name + ".lp", "lp");
        EXPECT_TRUE(native.native);
        EXPECT_FALSE(mps.native);
        EXPECT_TRUE(native.maximise);
        expect_same_model(native, mps, name + " (MPS)");
        expect_same_model(native, lp, name + " (LP format)");
        // lpsens's own problem is its own form; an imported one converts to
        // the same form when it needs no conversion.
        const DocumentedForm own = native_form(native);
        std::vector<std::string> said;
        const ConvertedModel converted = convert_model(mps, said);
        EXPECT_EQ(own.eq_rows, converted.form.eq_rows) << name;
        EXPECT_EQ(own.ge_rows, converted.form.ge_rows) << name;
        expect_same_model(own.problem, converted.form.problem, name + " (converted)");
        for (const VariableMap& v : converted.map.variables) {
            EXPECT_EQ(v.shift, 0) << name;
            EXPECT_EQ(v.negative_part, 0) << name;
        }
    }
}

TEST(Readers, TheNativeListsStayAsWritten) {
    // Row 1 in both lists and row 2 twice: the form keeps the lists; the
    // rows' kinds say what the tableau makes of them.
    const DocumentedForm form = testing::read_form(
        testing::lines({"T", "3 1 1 3", "1", "1 2 2", "x", "a", "b", "c", "0", "1", "5", "1", "7", "1", "9", "1"}));
    EXPECT_EQ(form.eq_rows, (std::vector<std::int32_t>{0, 1}));
    EXPECT_EQ(form.ge_rows, (std::vector<std::int32_t>{0, 1, 2, 2}));
    EXPECT_EQ(form.column_count(), 4);
    EXPECT_EQ(form.problem.rows[0].type, 'G');
    EXPECT_EQ(form.problem.rows[1].type, 'G');
    EXPECT_EQ(form.problem.rows[2].type, 'L');
}

TEST(Conversion, ShiftsAreExactInExtendedPrecision) {
    // x in [0.1, 0.3]: x = 0.1 + x', the row's right-hand side 1 - 3 * 0.1
    // and the bound row 0.3 - 0.1, each in extended precision.
    const Problem model = read_mps(
        "NAME s\nROWS\n N obj\n L r\nCOLUMNS\n x obj 1 r 3\nRHS\n rhs r 1\nBOUNDS\n LO b x 0.1\n UP b x 0.3\nENDATA\n",
        "s.mps");
    std::vector<std::string> said;
    const ConvertedModel c = convert_model(model, said);
    const Extended tenth = 0.1L, three_tenths = 0.3L;
    EXPECT_EQ(c.form.rhs(1), 1 - 3 * tenth);
    EXPECT_EQ(c.form.row_name(2), "x.ub");
    EXPECT_EQ(c.form.rhs(2), three_tenths - tenth);
    EXPECT_EQ(c.form.constant(), -tenth);  // minimised: the constant is minus the shift's cost
    EXPECT_EQ(c.map.variables[0].shift, tenth);
}

// Where the view says a variable stands, it stands there.
void expect_consistent_positions(const TableauView& view, int variables) {
    for (int i = 1; i <= view.rows(); ++i) {
        const int p = view.row_position(i);
        const VariableId v = p > 0 ? view.basic(p) : view.nonbasic(-p);
        ASSERT_TRUE(p != 0 && v.is_row_variable() && v.index == i) << "row variable " << i;
    }
    for (int c = 1; c <= view.columns(); ++c) {
        const int p = view.column_position(c);
        const VariableId v = p > 0 ? view.basic(p) : view.nonbasic(-p);
        ASSERT_NE(p, 0);
        ASSERT_EQ(v.is_surplus() ? variables + v.index : v.is_structural() ? v.index : 0, c) << "column " << c;
    }
}

TEST(EngineView, BothEnginesAnswerTheSameFinalTableau) {
    int compared = 0;
    for (unsigned seed = 1; seed <= 12; ++seed) {
        const DocumentedForm form =
            testing::read_form(bench::generate_problem({12, 15, 0.6, seed, false, 0.2, 0.1}));
        Channel console;
        ClassicEngine classic(form, {}, console);
        AccurateEngine accurate(form, {}, console);
        const SolveResult a = classic.solve();
        const SolveResult b = accurate.solve();
        ASSERT_EQ(a.status, Status::optimal) << seed;
        ASSERT_EQ(b.status, Status::optimal) << seed;
        expect_consistent_positions(classic.tableau(), form.variables());
        expect_consistent_positions(accurate.tableau(), form.variables());
        EXPECT_NEAR(a.solution.objective, b.solution.objective, 1e-7 * (1 + std::fabs(b.solution.objective)));
        // The same optimal basis gives the same tableau, up to the order of
        // its rows and columns.
        std::vector<VariableId> basis_a(a.basis.begin() + 1, a.basis.end()), basis_b(b.basis.begin() + 1, b.basis.end());
        std::sort(basis_a.begin(), basis_a.end());
        std::sort(basis_b.begin(), basis_b.end());
        if (basis_a != basis_b) continue;  // another optimal basis: nothing more to compare
        ++compared;
        const TableauView& va = classic.tableau();
        const TableauView& vb = accurate.tableau();
        for (int i = 1; i <= va.rows(); ++i) {
            const VariableId v = va.basic(i);
            const int row_b = v.is_row_variable() ? vb.row_position(v.index)
                                                  : vb.column_position(v.is_surplus() ? form.variables() + v.index : v.index);
            ASSERT_GT(row_b, 0);
            EXPECT_NEAR(va.entry(i, 0), vb.entry(row_b, 0), 1e-7 * (1 + std::fabs(vb.entry(row_b, 0)))) << seed;
            for (int j = 1; j <= va.columns(); ++j) {
                const VariableId w = va.nonbasic(j);
                const int column_b = -(w.is_row_variable() ? vb.row_position(w.index)
                                                           : vb.column_position(w.is_surplus() ? form.variables() + w.index
                                                                                               : w.index));
                ASSERT_GT(column_b, 0);
                EXPECT_NEAR(va.entry(i, j), vb.entry(row_b, column_b), 1e-7 * (1 + std::fabs(vb.entry(row_b, column_b))))
                    << seed << " " << i << "," << j;
            }
        }
    }
    EXPECT_GE(compared, 8);
}

// The accurate engine's view answers the whole-line questions (nonzero
// entries, rates of a right-hand-side change, combinations of rows) with
// one solve each; they must agree with the same questions asked entry by
// entry, on converted models with bound rows, split and mirrored variables
// and ranged rows.
TEST(EngineView, LineQuestionsAgreeWithTheEntries) {
    // The row named third is given a range as an MPS RANGES section would.
    const struct {
        const char* text;
        const char* ranged;
        Extended range;
    } models[] = {
        {"Maximize\n 3 x + 2 y - z + w\nSubject To\n c1: x + y + z <= 10\n c2: x - y + w >= -2\n"
         " c3: y - z + w <= 7\n c4: x + z - w = 3\nBounds\n 1 <= x <= 6\n -inf <= z <= 4\n w free\n y <= 8\nEnd\n",
         "c3", 12},
        {"Minimize\n x + 2 y + 3 z\nSubject To\n a: x + y >= 2\n b: y + z >= 3\n c: x + z <= 9\n d: x - z <= 1\n"
         "Bounds\n x <= 5\n 0.5 <= z <= 6\nEnd\n",
         "d", 2},
    };
    for (const auto& [text, ranged, range] : models) {
        Problem model = read_lp_format(text, "model.lp");
        for (ProblemRow& row : model.rows)
            if (row.name == ranged) {
                row.ranged = true;
                row.range = range;
            }
        std::vector<std::string> said;
        const ConvertedModel c = convert_model(model, said);
        Channel console;
        AccurateEngine engine(c.form, model, c.map, {}, console);
        const SolveResult r = engine.solve();
        ASSERT_EQ(r.status, Status::optimal) << text;
        const TableauView& view = engine.tableau();
        expect_consistent_positions(view, c.form.variables());
        const int m = view.rows(), n = view.columns();
        const auto close = [](double a, double b) { return std::fabs(a - b) <= 1e-12 * (1 + std::fabs(b)); };
        std::vector<double> line;
        std::vector<std::pair<int, double>> entries;
        for (int i = 1; i <= m; ++i) {
            view.row(i, line);
            view.row_entries(i, entries);
            std::vector<double> dense(static_cast<std::size_t>(n) + 1, 0.0);
            for (const auto& [j, a] : entries) dense[static_cast<std::size_t>(j)] = a;
            for (int j = 1; j <= n; ++j) EXPECT_TRUE(close(dense[j], line[j])) << text << " row " << i << " column " << j;
        }
        for (int j = 1; j <= n; ++j) {
            view.column(j, line);
            view.column_entries(j, entries);
            std::vector<double> dense(static_cast<std::size_t>(m) + 1, 0.0);
            for (const auto& [i, a] : entries) dense[static_cast<std::size_t>(i)] = a;
            for (int i = 1; i <= m; ++i) EXPECT_TRUE(close(dense[i], line[i])) << text << " column " << j << " row " << i;
        }
        // A view for another thread gives the same lines to the bit.
        const std::unique_ptr<TableauView> worker = view.worker();
        ASSERT_NE(worker, nullptr);
        std::vector<std::pair<int, double>> theirs;
        for (int i = 1; i <= m; ++i) {
            view.row_entries(i, entries);
            worker->row_entries(i, theirs);
            std::sort(entries.begin(), entries.end());
            std::sort(theirs.begin(), theirs.end());
            EXPECT_EQ(entries, theirs) << text << " row " << i;
        }
        for (int j = 1; j <= n; ++j) {
            view.column_entries(j, entries);
            worker->column_entries(j, theirs);
            std::sort(entries.begin(), entries.end());
            std::sort(theirs.begin(), theirs.end());
            EXPECT_EQ(entries, theirs) << text << " column " << j;
        }
        // Every row alone and all rows together, with weights: the sparse
        // solves against the dense lines, entry 0 the objective's rate.
        const auto same_line = [&](double first, const std::vector<std::pair<int, double>>& got, double expected_first,
                                   const std::vector<std::pair<int, double>>& expected, int size, const char* what) {
            std::vector<double> a(static_cast<std::size_t>(size) + 1, 0.0), b(a);
            a[0] = first;
            b[0] = expected_first;
            for (const auto& [k, x] : got) {
                EXPECT_NE(x, 0) << text << " " << what << ": a zero listed at " << k;
                a[static_cast<std::size_t>(k)] += x;
            }
            for (const auto& [k, x] : expected) b[static_cast<std::size_t>(k)] += x;
            for (int k = 0; k <= size; ++k) EXPECT_TRUE(close(a[k], b[k])) << text << " " << what << ", entry " << k;
        };
        std::vector<std::pair<int, double>> all, expected_entries;
        for (int i = 1; i <= m; ++i) {
            const double rate = view.rhs_rates({{i, 1.5}}, entries);
            const double expected_rate = view.TableauView::rhs_rates({{i, 1.5}}, expected_entries);
            same_line(rate, entries, expected_rate, expected_entries, m, "rates of one row");
            all.push_back({i, 0.25 * i - 1});
        }
        double first = view.rhs_rates(all, entries);
        double expected_first = view.TableauView::rhs_rates(all, expected_entries);
        same_line(first, entries, expected_first, expected_entries, m, "rates of all rows");
        first = view.row_combination(all, entries);
        expected_first = view.TableauView::row_combination(all, expected_entries);
        same_line(first, entries, expected_first, expected_entries, n, "combination of all rows");
        for (int i = 1; i <= m; ++i) {
            first = view.row_combination({{i, 1.0}}, entries);
            expected_first = view.TableauView::row_combination({{i, 1.0}}, expected_entries);
            same_line(first, entries, expected_first, expected_entries, n, "one row");
        }
    }
}

}  // namespace
}  // namespace lpsens
