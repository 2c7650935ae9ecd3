// Imported models in their own terms: sweeps that move the model's rows and
// columns whatever the conversion made of them, dual values and reduced
// costs in the model's sense, and JSON that says whether its verdict is
// proven.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "accurate/accurate_engine.h"
#include "analysis/model_results.h"
#include "form/documented_form.h"
#include "run_support.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::numbers_of;
using testing::read_all;

// The model's optimum, in its own sense, from a fresh solve.
double optimum(const Problem& model) {
    std::vector<std::string> said;
    const ConvertedModel c = convert_model(model, said);
    Channel console;
    AccurateEngine engine(c.form, {}, console);
    const SolveResult r = engine.solve();
    EXPECT_EQ(r.status, Status::optimal);
    return (model.maximise ? 1 : -1) * r.solution.objective;
}



TEST(ModelSweep, RecordsAreTheModelsOptimaAtTheModelsValues) {
    const struct {
        const char* why;
        const char* model;  // LP format
        const char* mode;
        const char* sweep;
    } cases[] = {
        {"a >= row with a negative right-hand side is multiplied by -1",
         "Maximize\n y\nSubject To\n r: x - y >= -5\n cap: x + y <= 10\nEnd\n", "rv", "r:-5:-8"},
        {"a minimisation: the model's cost, in the model's sense",
         "Minimize\n 2 a + 3 b\nSubject To\n c1: a + b >= 4\n c2: a - b <= 1\nEnd\n", "pv", "a:2:5"},
        {"a shifted variable: the constant moves with its cost",
         "Maximize\n 3 x + 2 y\nSubject To\n c: x + y <= 10\nBounds\n 2 <= x <= 6\nEnd\n", "pv", "x:3:-1"},
        {"a mirrored variable: its converted cost is negated",
         "Maximize\n - x + y\nSubject To\n c: y - x <= 4\n d: y <= 7\nBounds\n -inf <= x <= 3\nEnd\n", "pv", "x:-1:2"},
        {"a free variable: both parts move",
         "Minimize\n x + y\nSubject To\n c: x + y >= 2\n d: x - y <= 3\n e: y <= 8\nBounds\n x free\nEnd\n", "pv",
         "x:1:0.5"},
        {"the upper bound of a variable moves with a row",
         "Maximize\n x + y\nSubject To\n c: x + 2 y <= 8\nBounds\n x <= 5\nEnd\n", "rv", "c:8:2"},
    };
    for (const auto& c : cases) {
        const std::string model_path = ::testing::TempDir() + "/sweep.lp";
        const std::string json_path = ::testing::TempDir() + "/sweep.json";
        std::ofstream(model_path) << c.model;
        RunOptions options;
        options.mode = c.mode;
        options.input = model_path;
        options.sweeps = {c.sweep};
        options.json = json_path;
        options.strict = true;
        const auto result = testing::run_text("", options);
        ASSERT_EQ(result.exit_code, 0) << c.why << "\n" << result.out << result.console;
        const std::string json = read_all(json_path);
        // The CSV's records come before the sweep in the model's terms.
        const std::string records = json.substr(0, json.find("\"sweep_end\""));
        const std::vector<double> t = numbers_of(records, "t");
        const std::vector<double> objective = numbers_of(records, "model_objective");
        ASSERT_GE(t.size(), 2u) << c.why;
        ASSERT_EQ(objective.size(), t.size()) << c.why;
        // The model itself at each record's value of the item, solved afresh.
        Problem model = read_lp_format(c.model, "model.lp");
        const std::string item(c.sweep);
        const std::string name = item.substr(0, item.find(':'));
        const double start = std::stod(item.substr(item.find(':') + 1));
        const double end = std::stod(item.substr(item.rfind(':') + 1));
        for (std::size_t k = 0; k < t.size(); ++k) {
            const double value = start + (end - start) * t[k];
            Problem at = model;
            if (std::string(c.mode) == "pv") {
                for (ProblemColumn& column : at.columns)
                    if (column.name == name) column.cost = value;
            } else {
                for (ProblemRow& row : at.rows)
                    if (row.name == name) row.rhs = value;
            }
            EXPECT_NEAR(objective[k], optimum(at), 1e-6 * (1 + std::fabs(objective[k]))) << c.why << ", t = " << t[k];
        }
    }
}

// A ranged row keeps its range while its right-hand side moves: both of its
// sides move together, even past where the other side stood.
TEST(ModelSweep, BothSidesOfARangedRowMoveTogether) {
    const std::string model =
        "NAME          RANGED\nROWS\n N  obj\n L  c\nCOLUMNS\n    x         obj       -1   c         1\n"
        "RHS\n    RHS       c         1\nRANGES\n    RNG       c         1\nBOUNDS\n FR BND       x\nENDATA\n";
    // c: rhs - 1 <= x <= rhs, x free; the upper side falls below where the
    // lower one stood.
    RunOptions options;
    options.format = "mps";
    options.mode = "rv";
    options.sweeps = {"c:1:-10"};
    options.strict = true;
    const auto result = testing::run_text(model, options);
    ASSERT_EQ(result.exit_code, 0) << result.out << result.console;
    EXPECT_EQ(result.out.find("No feasible solution"), std::string::npos) << result.out;
    // Two records: x = 1 and x = -10, the maximum of minus the objective;
    // x crossing zero (x.pos leaving, x.neg entering) is no breakpoint.
    EXPECT_NE(result.out.find("Optimal value,     1.000,   -10.000\r\n"), std::string::npos) << result.out;
}

// A free column's cost swept from 0 to -8 (a generated model): at the start
// x3 is nonbasic, its two halves' reduced costs tied at zero, and the
// optimum bends at once and again at -6 (t = 0.75).  The sweep must take x3
// in at once and then find the bend, not step over both to t = 1 (it
// recorded t = 0 and 1 only).  The accurate engine sweeps in the model's
// terms: its records stand on the bends themselves; the classic one takes the
// documented steps, just past each.
TEST(ModelSweep, AFreeColumnsCostBendsWhereTheOptimumDoes) {
    const std::string model =
        "NAME BEND\nOBJSENSE\n    MAX\nROWS\n N obj\n L r1\n L r2\n E r3\n L r4\n L box\nCOLUMNS\n"
        " x1 obj 0\n x1 r3 2\n x1 r4 3\n x1 box 1\n x2 obj -3\n x2 r1 2\n x2 r2 -1\n x2 box 1\n"
        " x3 obj 0\n x3 r2 2\n x3 r4 1\n x3 box 1\n x4 obj 3\n x4 r1 2\n x4 r2 4\n x4 r3 3\n x4 r4 2\n x4 box 1\n"
        "RHS\n RHS r1 9\n RHS r2 1\n RHS r3 0\n RHS r4 -6\n RHS box 20\nRANGES\n RNG box 40\n"
        "BOUNDS\n FR BND x1\n FX BND x2 -2\n FR BND x3\n MI BND x4\n UP BND x4 3\nENDATA\n";
    const std::string json_path = ::testing::TempDir() + "/bend.json";
    for (const bool classic : {false, true}) {
        RunOptions options;
        options.format = "mps";
        options.mode = "pv";
        options.sweeps = {"x3:0:-8"};
        options.json = json_path;
        options.classic = classic;
        options.strict = true;
        const auto result = testing::run_text(model, options);
        ASSERT_EQ(result.exit_code, 0) << result.out << result.console;
        const std::string json = read_all(json_path);
        const std::string records = json.substr(0, json.find("\"sweep_end\""));
        const std::vector<double> t = numbers_of(records, "t");
        const std::vector<double> objective = numbers_of(records, "model_objective");
        const char* engine = classic ? "classic" : "accurate";
        const std::vector<double> expected_t = classic ? std::vector<double>{0, 0.00002, 0.75002, 1}
                                                       : std::vector<double>{0, 0.75, 1};
        const std::vector<double> expected_objective = classic ? std::vector<double>{15, 15.00264, 114.00336, 156}
                                                               : std::vector<double>{15, 114, 156};
        ASSERT_EQ(t.size(), expected_t.size()) << engine << "\n" << json;
        for (std::size_t k = 0; k < t.size(); ++k) {
            EXPECT_NEAR(t[k], expected_t[k], 1e-9) << engine << ", record " << k;
            EXPECT_NEAR(objective[k], expected_objective[k], 1e-6) << engine << ", record " << k;
        }
    }
}

TEST(ModelTerms, DualValuesAndReducedCostsInTheModelsSense) {
    // min 2 a + 3 b with a + b >= 4 and a - b <= 1, both binding: a = 2.5,
    // b = 1.5, cost 9.5; duals y1 = 2.5, y2 = -0.5: one more unit of c1 costs
    // 2.5, one more of c2 saves 0.5.
    const Problem model = read_lp_format("Minimize\n 2 a + 3 b\nSubject To\n c1: a + b >= 4\n c2: a - b <= 1\nEnd\n", "m.lp");
    std::vector<std::string> said;
    const ConvertedModel c = convert_model(model, said);
    Channel console;
    AccurateEngine engine(c.form, {}, console);
    const SolveResult result = engine.solve();
    ASSERT_EQ(result.status, Status::optimal);
    const ModelResults r = model_results(model, c.map, c.form, result, engine.tableau(), 1e-9);
    EXPECT_NEAR(r.objective, 9.5, 1e-12);
    EXPECT_NEAR(r.columns[0].value, 2.5, 1e-12);
    EXPECT_NEAR(r.columns[1].value, 1.5, 1e-12);
    EXPECT_NEAR(r.rows[0].activity, 4, 1e-12);
    EXPECT_NEAR(r.rows[1].activity, 1, 1e-12);
    EXPECT_NEAR(r.rows[0].dual, 2.5, 1e-12);
    EXPECT_NEAR(r.rows[1].dual, -0.5, 1e-12);
    EXPECT_EQ(r.columns[0].reduced_cost, 0);
    EXPECT_EQ(r.columns[1].reduced_cost, 0);
    // The right-hand side of c1 may rise without end (the objective at 2.5 a
    // unit) and fall to 1, where b leaves; the finite limits re-solve alike.
    const ModelRange& rhs = *r.rows[0].rhs;
    EXPECT_NEAR(rhs.lower, 1, 1e-12);
    EXPECT_TRUE(std::isinf(rhs.upper));
    EXPECT_NEAR(rhs.objective_at_lower, 9.5 - 3 * 2.5, 1e-12);
    ASSERT_TRUE(rhs.leaving_at_lower.has_value());
    EXPECT_EQ(rhs.leaving_at_lower->kind, ModelPlace::Kind::column);
    EXPECT_EQ(rhs.leaving_at_lower->index, 1);
}

TEST(ModelJson, AVerdictTheChecksCannotProveIsNotStatedPlainly) {
    // The classic arithmetic finds this badly scaled problem infeasible; the
    // checks find no certificate.
    const std::string json_path = ::testing::TempDir() + "/verdict.json";
    RunOptions options;
    options.json = json_path;
    const auto classic = testing::run_text(testing::lines({"Badly scaled: x is a million", "1 1 1 0", "1", "x",
                                                           "balance", "0", "1", "1", "0.000001"}),
                                           options);
    ASSERT_EQ(classic.exit_code, 0);
    ASSERT_EQ(classic.out, "No feasible solution\r\n");
    const std::string json = read_all(json_path);
    EXPECT_NE(json.find("\"status\": \"unverified\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"reported_status\": \"infeasible\""), std::string::npos) << json;
    EXPECT_NE(json.find("\"verified\": false"), std::string::npos) << json;
    options.accurate = true;
    ASSERT_EQ(testing::run_text(testing::lines({"Badly scaled: x is a million", "1 1 1 0", "1", "x", "balance", "0",
                                                "1", "1", "0.000001"}),
                                options)
                  .exit_code,
              0);
    const std::string accurate = read_all(json_path);
    EXPECT_NE(accurate.find("\"status\": \"optimal\""), std::string::npos) << accurate;
    EXPECT_NE(accurate.find("\"verified\": true"), std::string::npos) << accurate;
}

}  // namespace
}  // namespace lpsens
