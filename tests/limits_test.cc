// Limits are not verdicts: both engines stop at the exchange limit and at
// the deadline before the exchange that would pass them (never when no
// exchange is needed), and say so; the run then writes one stop line and its
// own exit code.  The console: marks and notes left out when quiet, status
// lines only on a terminal, at most once a second, on a line of their own.
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "accurate/accurate_engine.h"
#include "classic/classic_engine.h"
#include "driver/options.h"
#include "engine/progress.h"
#include "problem_generator.h"
#include "form_support.h"
#include "run_support.h"
#include "test_support.h"

#ifndef LPSENS_EXAMPLES
#error "LPSENS_EXAMPLES must name the examples folder"
#endif

namespace lpsens {
namespace {


std::string mix() { return testing::read_all(std::string(LPSENS_EXAMPLES) + "/mix.lp"); }

// Only <= rows with right-hand sides of at least 0: the first basis is
// feasible, and phase 2 needs several exchanges.
std::string only_le_rows() { return bench::generate_problem({12, 15, 0.6, 3, false, 0.0, 0.0}); }

std::unique_ptr<SolveEngine> make_engine(bool accurate, const DocumentedForm& form, const EngineSettings& settings,
                                         Channel& console) {
    if (accurate) return std::make_unique<AccurateEngine>(form, settings, console);
    return std::make_unique<ClassicEngine>(form, settings, console);
}

const RunClock::time_point past = RunClock::now() - std::chrono::seconds(1);

struct LimitCase {
    const char* what;
    std::string (*problem)();
    long max_exchanges[2];  // classic, accurate (its limit counts the whole solve)
    bool past_deadline;
    Status status;
    bool feasible;  // of a stopped result
};

TEST(EngineLimits, StopBeforeTheExchangeThatPassesThem) {
    const std::vector<LimitCase> cases = {
        {"mix, one exchange", mix, {1, 1}, false, Status::exchange_limit, false},
        {"mix, past deadline", mix, {0, 0}, true, Status::time_limit, false},
        // Phase 1 needs two exchanges, phase 2 one; the accurate solve four.
        {"mix, just enough exchanges", mix, {2, 4}, false, Status::optimal, false},
        {"mix, one exchange too few", mix, {1, 3}, false, Status::exchange_limit, false},
        {"<= rows, one exchange", only_le_rows, {1, 1}, false, Status::exchange_limit, true},
        {"<= rows, past deadline", only_le_rows, {0, 0}, true, Status::time_limit, true},
        {"<= rows, no limit", only_le_rows, {0, 0}, false, Status::optimal, false},
    };
    for (const bool accurate : {false, true}) {
        for (const LimitCase& c : cases) {
            const std::string label = std::string(accurate ? "accurate: " : "classic: ") + c.what;
            const DocumentedForm form = testing::read_form(c.problem());
            EngineSettings settings;
            const long max_exchanges = c.max_exchanges[accurate ? 1 : 0];
            settings.max_exchanges = max_exchanges;
            if (c.past_deadline) settings.deadline = past;
            Channel console;
            const auto engine = make_engine(accurate, form, settings, console);
            const SolveResult r = engine->solve();
            EXPECT_EQ(status_name(r.status), std::string(status_name(c.status))) << label;
            if (is_verdict(c.status)) continue;
            EXPECT_EQ(r.feasible, c.feasible) << label;
            if (c.past_deadline) {
                EXPECT_EQ(engine->log().exchanges, 0) << label;
            }
            if (max_exchanges > 0 && accurate) {
                EXPECT_EQ(engine->log().exchanges, max_exchanges) << label;
            }
            // The engine says nothing of the stop itself: the run does.
            EXPECT_EQ(console.captured().find("limit"), std::string::npos) << label << ": " << console.captured();
            // The best basis found comes with its values: the objective is
            // the costs times the levels.
            ASSERT_EQ(r.solution.column.size(), static_cast<std::size_t>(form.column_count()) + 1) << label;
            Extended objective = 0;
            for (int j = 1; j <= form.variables(); ++j)
                objective += form.cost(j) * static_cast<Extended>(r.solution.column[static_cast<std::size_t>(j)].level);
            EXPECT_NEAR(static_cast<double>(objective), r.solution.objective, 1e-6 * (1 + std::fabs(r.solution.objective)))
                << label;
        }
    }
}

TEST(EngineLimits, NoExchangeNeededGivesTheVerdictWhateverTheTime) {
    // max -x1 - x2 subject to x1 <= 1, x2 <= 1: the first basis is optimal.
    const DocumentedForm form = testing::read_form(
        testing::lines({"Nothing to do", "2 2 0 0", "x1", "x2", "c1", "c2", "0", "-1", "-1", "1", "1", "0", "1", "0", "1"}));
    for (const bool accurate : {false, true}) {
        EngineSettings settings;
        settings.deadline = past;
        settings.max_exchanges = 1;
        Channel console;
        EXPECT_EQ(make_engine(accurate, form, settings, console)->solve().status, Status::optimal) << accurate;
    }
}

struct RunCase {
    const char* what;
    const char* mode;
    long max_exchanges;
    bool accurate;
    bool strict;
    bool quiet;
    int exit_code;
    const char* out;      // whole standard output, or its first line for sweeps
    const char* console;  // whole console
};

TEST(StoppedRuns, OneLineItsOwnExitCodeAndTheConsoleSaysWhy) {
    const std::string stop = "lpsens: stopped at the limit of 1 exchange: no verdict (--max-exchanges sets another)\n";
    const std::vector<RunCase> cases = {
        {"classic", nullptr, 1, false, false, false, 75, "Stopped at the exchange limit\r\n", ".:\r\n"},
        {"accurate", nullptr, 1, true, false, false, 75, "Stopped at the exchange limit\r\n", ".:.\r\n"},
        {"classic, strict: the limit's code wins", nullptr, 1, false, true, false, 75, "Stopped at the exchange limit\r\n",
         ".:\r\n"},
        {"classic, quiet: no marks", nullptr, 1, false, false, true, 75, "Stopped at the exchange limit\r\n", ""},
        {"accurate, quiet: no marks", nullptr, 1, true, false, true, 75, "Stopped at the exchange limit\r\n", ""},
    };
    for (const RunCase& c : cases) {
        RunOptions options;
        options.mode = c.mode;
        options.max_exchanges = c.max_exchanges;
        options.accurate = c.accurate;
        options.strict = c.strict;
        options.quiet = c.quiet;
        const testing::RunResult run = testing::run_text(mix(), options);
        EXPECT_EQ(run.exit_code, c.exit_code) << c.what;
        EXPECT_EQ(run.out, c.out) << c.what;
        EXPECT_EQ(run.console, c.console + stop) << c.what;
    }
}

TEST(StoppedRuns, TheJsonNamesTheStopAndGivesTheBestBasisWithoutRanging) {
    const std::filesystem::path json = std::filesystem::path(::testing::TempDir()) / "lpsens_limits_test.json";
    for (const bool accurate : {false, true}) {
        RunOptions options;
        options.max_exchanges = 1;
        options.accurate = accurate;
        options.json = json.string();
        ASSERT_EQ(testing::run_text(mix(), options).exit_code, exit_limit);
        const std::string text = testing::read_all(json.string());
        EXPECT_NE(text.find("\"status\": \"exchange limit\",\n  \"verified\": false,\n  \"feasible\": false,\n"),
                  std::string::npos)
            << text;
        EXPECT_EQ(text.find("reported_status"), std::string::npos) << text;
        EXPECT_NE(text.find("\"objective\": "), std::string::npos) << text;
        EXPECT_NE(text.find("\"level\": "), std::string::npos) << text;
        for (const char* ranging : {"cost_lower", "cost_upper", "rhs_lower", "rhs_upper"})
            EXPECT_EQ(text.find(ranging), std::string::npos) << ranging;
        EXPECT_NE(text.find("\"checks\": []"), std::string::npos) << text;
    }
    std::filesystem::remove(json);
}

// max -x1 - x2 - x3 with x1, x2, x3 <= 1 whose costs sweep upwards: x3's
// turns positive first (t = 0.25, one exchange), then x1's and x2's together
// (t = 0.5, two exchanges).
std::string three_costs() {
    return testing::lines({"Three costs", "3 3 0 0", "x1$$$-1&&&1", "x2$$$-1&&&1", "x3$$$-1&&&3", "c1", "c2", "c3",
                           "0", "-1", "-1", "-1", "1", "1", "0", "0", "1", "0", "1", "0", "1", "0", "0", "1"});
}

TEST(StoppedRuns, ASweepKeepsItsRecordsAndTheJsonNamesTheStop) {
    const std::filesystem::path json = std::filesystem::path(::testing::TempDir()) / "lpsens_limits_sweep.json";
    for (const bool accurate : {false, true}) {
        RunOptions options;
        options.mode = "pv";
        options.max_exchanges = 1;
        options.accurate = accurate;
        options.json = json.string();
        const testing::RunResult run = testing::run_text(three_costs(), options);
        EXPECT_EQ(run.exit_code, exit_limit) << accurate;
        EXPECT_EQ(run.out.rfind("Stopped at the exchange limit\r\nThree costs\r\n    3,    2\r\n", 0), 0u) << run.out;
        const std::string text = testing::read_all(json.string());
        EXPECT_NE(text.find("\"status\": \"exchange limit\",\n  \"verified\": false,\n"), std::string::npos) << text;
        EXPECT_NE(text.find("{\"t\": 0.250019"), std::string::npos) << text;
        EXPECT_EQ(text.find("{\"t\": 0.5"), std::string::npos) << text;
        // The records taken are checked as ever.
        EXPECT_NE(text.find("\"context\": \"record 2 (t = 0.25002)\", \"passed\": true"), std::string::npos) << text;
    }
    std::filesystem::remove(json);
}

TEST(Console, QuietLeavesOutMarksAndNotesOnly) {
    for (const bool quiet : {false, true}) {
        Channel console;
        console.set_quiet(quiet);
        console.mark('.');
        console.mark(":\r\n");
        console.note("lpsens: a note\n");
        console.write("lpsens: warning: a warning\n");
        console.write_line("lpsens: an error");
        EXPECT_EQ(console.captured(), quiet ? "lpsens: warning: a warning\nlpsens: an error\n"
                                            : ".:\r\nlpsens: a note\nlpsens: warning: a warning\nlpsens: an error\n");
    }
}

TEST(StatusLine, TheTextNamesPhaseExchangesObjectiveInfeasibilityAndSeconds) {
    EXPECT_EQ(StatusLine::text({"phase 2", 1234, 1960.5, 0}, 3.04),
              "lpsens: phase 2: 1234 exchanges, objective 1960.5, primal infeasibility 0, 3.0 s");
    EXPECT_EQ(StatusLine::text({"dual simplex", 1, -1.234567890123e8, 2.5e-5}, 1.25),
              "lpsens: dual simplex: 1 exchange, objective -123456789, primal infeasibility 2.5e-05, 1.2 s");
    // Figures that mean nothing in a phase are left out.
    EXPECT_EQ(StatusLine::text({"dual phase 1", 7, NAN, NAN}, 12), "lpsens: dual phase 1: 7 exchanges, 12.0 s");
}

TEST(StatusLine, OnATerminalOnlyOnceASecondOnALineOfItsOwn) {
    Channel terminal, quiet_terminal, file;
    terminal.set_terminal(true);
    quiet_terminal.set_terminal(true);
    quiet_terminal.set_quiet(true);
    StatusLine line;
    line.start();
    EXPECT_FALSE(line.due(terminal));  // not before the solve has run a second
    std::this_thread::sleep_for(std::chrono::milliseconds(1050));
    EXPECT_TRUE(line.due(terminal));
    EXPECT_FALSE(line.due(quiet_terminal));
    EXPECT_FALSE(line.due(file));
    terminal.mark("::");
    line.write(terminal, {"phase 1", 2, 0, 4});
    terminal.mark('.');
    EXPECT_FALSE(line.due(terminal));  // the next one a second later
    const std::string& text = terminal.captured();
    ASSERT_EQ(text.rfind("::\nlpsens: phase 1: 2 exchanges, objective 0, primal infeasibility 4, 1.", 0), 0u) << text;
    EXPECT_EQ(text.substr(text.size() - 4), " s\n.") << text;
}

struct OptionCase {
    std::vector<const char*> args;
    double time_limit;  // when it parses
    bool quiet;
    const char* error;  // the start of the error, or null
};

TEST(LimitOptions, TimeLimitIsAPositiveDecimalAndQuietAFlag) {
    const char* const bad_time = "the option --time-limit needs a number of seconds above 0";
    const std::vector<OptionCase> cases = {
        {{"--time-limit=2"}, 2, false, nullptr},
        {{"--time-limit=0.5", "--quiet"}, 0.5, true, nullptr},
        {{"--time-limit=.25"}, 0.25, false, nullptr},
        {{"--time-limit=3."}, 3, false, nullptr},
        {{"--time-limit=0.000001"}, 1e-6, false, nullptr},
        {{"--time-limit=99999999999999"}, 3.6e9, false, nullptr},  // kept at a million hours
        {{"--quiet"}, 0, true, nullptr},
        {{"--time-limit=0"}, 0, false, bad_time},
        {{"--time-limit=0.000"}, 0, false, bad_time},
        {{"--time-limit=-1"}, 0, false, bad_time},
        {{"--time-limit=1e3"}, 0, false, bad_time},
        {{"--time-limit=1.2.3"}, 0, false, bad_time},
        {{"--time-limit=."}, 0, false, bad_time},
        {{"--time-limit="}, 0, false, bad_time},
        {{"--time-limit"}, 0, false, bad_time},
        {{"--time-limit=inf"}, 0, false, bad_time},
        {{"--quiet=yes"}, 0, false, "the option --quiet takes no value"},
        {{"--quiet", "--quiet"}, 0, false, "the option --quiet is given twice"},
        {{"--time-limit=1", "--time-limit=2"}, 0, false, "the option --time-limit is given twice"},
    };
    for (const OptionCase& c : cases) {
        std::vector<const char*> argv = {"lpsens"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string error;
        const auto parsed = parse_command_line(static_cast<int>(argv.size()), argv.data(), error);
        const std::string label = c.args[0];
        if (c.error != nullptr) {
            EXPECT_FALSE(parsed) << label;
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << label << ": " << error;
            continue;
        }
        ASSERT_TRUE(parsed) << label << ": " << error;
        EXPECT_EQ(parsed->time_limit, c.time_limit) << label;
        EXPECT_EQ(parsed->quiet, c.quiet) << label;
    }
}

}  // namespace
}  // namespace lpsens
