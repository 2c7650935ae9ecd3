// Whole runs in memory, through the run sequence: what a user sees at the
// edges of the readers, the sweeps, the reports and the classic engine.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "run_support.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::beale;
using testing::lines;
using testing::polygon;

// Problem texts in lpsens's own format.

// Damaged problem texts never crash the run, in either engine: every one ends
// with exit code 0 or a runtime error, and a runtime error leaves its line as
// the last output.
TEST(Robustness, DamagedProblemTexts) {
    const std::string seeds[] = {
        testing::sample_problem(),
        testing::worked_example(),
        testing::lines({"Mix", "4 3 1 1", "4", "3", "a", "b", "c", "r1", "r2", "r3", "r4", "0", "20", "30", "45",
                        "120", "1", "2", "3", "200", "3", "2", "4", "10", "0", "1", "0", "0", "1", "0", "-2"}),
    };
    const char* modes[] = {nullptr, "lp", "pv", "rv"};
    const char alphabet[] = "0123456789 .-+eE$&\r\n\x1A\x00x";
    std::mt19937 rng(99);
    for (int n = 0; n < 3000; ++n) {
        std::string text = seeds[n % 3];
        const int edits = 1 + static_cast<int>(rng() % 4);
        for (int k = 0; k < edits; ++k) {
            const std::size_t at = rng() % text.size();
            switch (rng() % 3) {
                case 0: text[at] = alphabet[rng() % (sizeof alphabet - 1)]; break;
                case 1: text.erase(at, 1 + rng() % 3); break;
                default: text.insert(at, 1, alphabet[rng() % (sizeof alphabet - 1)]);
            }
            if (text.empty()) text = "T";
        }
        RunOptions options;
        options.mode = modes[n % 4];
        options.accurate = n % 8 >= 4;  // both engines, every mode
        const auto result = testing::run_text(text, options);
        if (result.exit_code != 0) {
            ASSERT_TRUE(result.exit_code == 106 || result.exit_code == 205) << result.exit_code << "\n" << text;
            ASSERT_EQ(result.out.substr(result.out.size() - 31, 14), "Runtime error ") << text;
        }
    }
}

// Sweeps of lpsens's own problems.

// A sweep item that is not a number stops the run before anything is
// written on the report channel.
TEST(ParametricItems, TextThatIsNotANumberStopsTheRunBeforeTheReport) {
    const auto result = testing::run_text(testing::sample_problem("x1$$$abc&&&4"), "pv");
    EXPECT_EQ(result.exit_code, 106);
    EXPECT_EQ(result.out, "Runtime error 106 at 00040010\r\n");
}

TEST(Sweep, StopsAfterTwentyRecords) {
    const auto result = testing::run_text(polygon(40, "x1$$$0&&&100"), "pv");
    ASSERT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out.substr(0, 22), "Polygon\r\n    1,   20\r\n");
    const auto parameter_line = result.out.substr(22, result.out.find("\r\n", 22) - 22);
    EXPECT_EQ(std::count(parameter_line.begin(), parameter_line.end(), ','), 20);
    EXPECT_EQ(parameter_line.find("1.000"), std::string::npos);  // t stays below 1
}

TEST(Sweep, NoItemGivesTwoEqualRecords) {
    const auto result = testing::run_text(testing::sample_problem(), "pv");
    EXPECT_EQ(result.out.substr(0, result.out.find("Operational")),
              "Sample\r\n    0,    2\r\n                Parameter,     0.000,     1.000\r\n"
              "            Optimal value,    12.000,    12.000\r\n");
    EXPECT_EQ(result.console, "....\r\n");
}

TEST(Sweep, InfeasibleRightHandSideEndsTheSweep) {
    // max x subject to x <= b, with b running from 4 to -4.
    const auto result = testing::run_text(lines({"Shrink", "1 1 0 0", "x", "cap$$$4&&&-4", "0", "1", "9", "1"}), "rv");
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_EQ(result.out,
              "No feasible solution\r\n"
              "Shrink\r\n"
              "    1,    1\r\n"
              "                Parameter,     0.000\r\n"
              "   1,               \"cap\",     4.000\r\n"
              "            Optimal value,     4.000\r\n"
              "Operational level\r\n"
              "   1,                 \"x\",     4.000\r\n"
              "Residual\r\n"
              "   1,               \"cap\",     0.000\r\n"
              "Shadow price(Shadow profit)\r\n"
              "   1,                 \"x\",     0.000\r\n"
              "Shadow price   (Imputed price)\r\n"
              "   1,               \"cap\",     1.000\r\n");
}

TEST(Sweep, ObjectiveItemOnBasicAndNonbasicVariables) {
    // x1 is basic at the optimum of the sample, x2 nonbasic.  Raising x2's
    // coefficient past 3 brings it into the basis.
    const auto result = testing::run_text(lines({"Sample", "2 2 0 0", "x1$$$3&&&3", "x2$$$2&&&8", "c1", "c2", "0",
                                                 "3", "2", "4", "1", "1", "6", "1", "3"}),
                                          "pv");
    ASSERT_EQ(result.exit_code, 0) << result.out;
    EXPECT_EQ(result.out.substr(0, result.out.find("Operational")),
              "Sample\r\n    2,    3\r\n                Parameter,     0.000,     0.167,     1.000\r\n"
              "   1,                \"x1\",     3.000,     3.000,     3.000\r\n"
              "   2,                \"x2\",     2.000,     3.000,     8.000\r\n"
              "            Optimal value,    12.000,    12.000,    17.000\r\n");
}

// Random small sweeps, some of them unbounded on the way: every record is an
// optimum of the problem at its t (the checks of each record, under
// --strict), and a sweep that reaches an unbounded t ends there.
TEST(Sweep, RandomSweepsRecordOnlyOptima) {
    std::mt19937 rng(2024);
    auto pick = [&](int low, int high) { return low + static_cast<int>(rng() % static_cast<unsigned>(high - low + 1)); };
    int unbounded = 0, records = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const bool pv = trial % 2 == 0;
        const int n = pick(2, 4), m = pick(1, 4);
        std::vector<std::string> eq, ge;
        std::vector<std::string> text = {"Random"};
        std::vector<int> kind(static_cast<std::size_t>(m));
        for (int i = 0; i < m; ++i) {
            kind[static_cast<std::size_t>(i)] = pick(0, 9) < 6 ? 0 : pick(0, 1) == 0 ? 1 : 2;
            if (kind[static_cast<std::size_t>(i)] == 1) eq.push_back(std::to_string(i + 1));
            if (kind[static_cast<std::size_t>(i)] == 2) ge.push_back(std::to_string(i + 1));
        }
        testing::add_dimensions(text, m, n, eq, ge);
        // One item: a cost (pv) or a right-hand side (rv) moving across a
        // range that may make the problem unbounded or infeasible.
        const int item = pv ? pick(1, n) : pick(1, m);
        const std::string range = "$$$" + std::to_string(pv ? pick(-4, 6) : pick(0, 20)) + "&&&" + std::to_string(pv ? pick(-4, 8) : pick(-5, 25));
        for (int j = 1; j <= n; ++j) text.push_back("x" + std::to_string(j) + (pv && j == item ? range : ""));
        for (int i = 1; i <= m; ++i) text.push_back("r" + std::to_string(i) + (!pv && i == item ? range : ""));
        text.push_back("0");
        for (int j = 0; j < n; ++j) text.push_back(std::to_string(pick(-3, 5)));
        for (int i = 0; i < m; ++i) {
            text.push_back(std::to_string(pick(0, 20)));
            for (int j = 0; j < n; ++j) text.push_back(std::to_string(pick(-2, 6)));
        }
        for (const bool accurate : {false, true}) {
            RunOptions options;
            options.mode = pv ? "pv" : "rv";
            options.accurate = accurate;
            options.strict = true;
            const auto result = testing::run_text(lines(text), options);
            ASSERT_EQ(result.exit_code, 0) << lines(text) << (accurate ? "--accurate\n" : "\n") << result.out
                                           << result.console;
            const std::size_t verdict = result.out.find("Unbounded solution");
            if (verdict != std::string::npos) {
                ++unbounded;
                // The verdict ends the sweep: the table, if any, follows it.
                EXPECT_EQ(result.out.find("Unbounded solution", verdict + 1), std::string::npos);
            }
            const auto second = result.out.find("\r\n") + 2;
            if (result.out.compare(second, 5, "    1") == 0) records += std::stoi(result.out.substr(second + 6, 5));
        }
    }
    EXPECT_GT(unbounded, 20);
    EXPECT_GT(records, 400);
}

// Reports at their edges.

// An artificial variable basic at zero must stay at zero: a row where one
// stands limits every right-hand side that moves it, both ways, at once.
// max -5 x1 with c1: 4 x1 <= 24, c2: 3 x1 <= 18 and c3: 4 x1 >= 24 (or = 24):
// the classic engine ends with c3's artificial variable basic at zero, and
// below 24 c1 leaves no solution (x1 >= 6 and x1 <= rhs / 4), above 24 for
// c3 neither.  Re-solving says the same (ranging_random_test.cc).
TEST(Ranging, AnArtificialVariableBasicAtZeroStaysThere) {
    const struct {
        const char* lists;  // the dimension line and the list of c3
        const char* list;
    } cases[] = {{"3 1 0 1", "3"}, {"3 1 1 0", "3"}};
    for (const auto& c : cases) {
        const auto result = testing::run_text(
            lines({"Small", c.lists, c.list, "x1", "c1", "c2", "c3", "0", "-5", "24", "4", "18", "3", "24", "4"}));
        ASSERT_EQ(result.exit_code, 0) << result.console;
        const std::string constraints = result.out.substr(result.out.find("    1, \"c1\""));
        EXPECT_EQ(constraints.substr(0, constraints.find("\r\n", constraints.find("    3, \"c3\"")) + 2),
                  "    1, \"c1\",      24.000,       0.000,      -1.250,      24.000,      24.000\r\n"
                  "    2, \"c2\",      18.000,       0.000,       0.000,      18.000,          \x81\x87\r\n"
                  "    3, \"c3\",      24.000,       0.000,       0.000,      24.000,      24.000\r\n")
            << c.lists;
    }
}

TEST(SolutionReport, EmptyNamesTitleAndNoRows) {
    const auto result = testing::run_text(lines({"", "0 1 0 0", "", "0", "-1"}));
    EXPECT_EQ(result.out,
              " \r\n"
              "Optimal value : ,          0.000\r\n"
              "                    Profit coefficient,Operational level,Shadow price, Lower bound, Upper bound\r\n"
              "    1, \" \",      -1.000,       0.000,       1.000,         -\x81\x87,       0.000\r\n"
              "                            Constraint,    Resitual,Shadow price, Lower bound, Upper bound\r\n"
              "                                          1\r\n"
              "                                           \"\"\r\n"
              "  -1,Artificial coefficient,     0.000,     0.000\r\n"
              "   0,Profit coefficient,     0.000,     1.000\r\n");
}

TEST(SolutionReport, UnboundedRunStillReports) {
    const auto result = testing::run_text(lines({"U", "1 2 0 0", "x", "y", "r", "0", "1", "1", "4", "1", "-1"}));
    EXPECT_EQ(result.out.substr(0, 23), "Unbounded solution\r\nU\r\n");
    EXPECT_NE(result.out.find("Optimal value : ,          4.000"), std::string::npos);
}

TEST(TableauListing, OneColumnAndLongNames) {
    const std::string long_name = "a_rather_long_variable";
    const auto result = testing::run_text(lines({"L", "1 1 0 0", long_name, "r", "0", "1", "4", "1"}));
    const auto listing = result.out.substr(result.out.find("                                 "));
    EXPECT_EQ(listing,
              "                                       1001\r\n"
              "                                          \"r\"\r\n"
              "  -1,Artificial coefficient,     0.000,     0.000\r\n"
              "   0,Profit coefficient,     4.000,     1.000\r\n"
              "   1,\"a_rather_long_variable\",     4.000,     1.000\r\n");
}

// The classic engine's verdicts.

TEST(Simplex, Outcomes) {
    const struct {
        const char* name;
        std::vector<std::string> problem;
        int exit_code;
        const char* out_start;
        const char* console;
    } cases[] = {
        {"infeasible", {"T", "1 1 1 0", "1", "x", "r", "0", "1", "5", "0"}, 0, "No feasible solution\r\n", ".\r\n"},
        {"unbounded", {"T", "1 2 0 0", "x", "y", "r", "0", "1", "1", "4", "1", "-1"}, 0,
         "Unbounded solution\r\nT\r\n", "...\r\n"},
        {"no rows, positive objective", {"T", "0 1 0 0", "x", "0", "1"}, 0, "Unbounded solution\r\n", "..\r\n"},
        {"no rows, nothing to gain", {"T", "0 1 0 0", "x", "0", "-1"}, 0, "T\r\n", "..\r\n"},
        // Phase-1 row constant just inside -0.00001: feasible.
        {"nearly feasible", {"T", "1 1 1 0", "1", "x", "r", "0", "-1", "0.000009", "0"}, 0, "T\r\n", "..\r\n"},
    };
    for (const auto& c : cases) {
        const auto result = testing::run_text(lines(c.problem));
        EXPECT_EQ(result.exit_code, c.exit_code) << c.name;
        EXPECT_EQ(result.out.substr(0, std::string(c.out_start).size()), c.out_start) << c.name;
        EXPECT_EQ(result.console, c.console) << c.name;
    }
}

TEST(Simplex, NegativeRightHandSideIsKeptWithAWarning) {
    const auto result = testing::run_text(lines({"T", "2 1 0 0", "x", "r1", "r2", "0", "1", "4", "1", "-2", "1"}));
    EXPECT_EQ(result.console,
              "lpsens: warning: row 2 has a negative right-hand side; it is not made feasible, so the reported "
              "solution may violate it\n...\r\n"
              "lpsens: warning: the checks of the result failed:\n"
              "lpsens: warning:   variable \"x\" is -2, below zero\n"
              "lpsens: warning:   rows with a negative right-hand side are not made feasible; multiply them by -1 "
              "(swapping <= and >=) and run again\n");
    // The negative ratio of row 2 wins: x enters at -2.
    EXPECT_NE(result.out.find("Optimal value : ,         -2.000"), std::string::npos);
}

TEST(Cycling, GuardReachesTheOptimum) {
    const auto result = testing::run_text(beale());
    EXPECT_EQ(result.exit_code, 0);
    EXPECT_NE(result.out.find("Optimal value : ,          0.050"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("    1, \"x1\",       0.750,       0.040,"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("    3, \"x3\",       0.020,       1.000,"), std::string::npos) << result.out;
}

}  // namespace
}  // namespace lpsens
