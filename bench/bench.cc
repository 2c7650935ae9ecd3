// Benchmarks of lpsens: reading a large problem, solving random dense and
// sparse problems, and writing the reports of a large one.
//
//   lpsens_bench                   every benchmark
//   lpsens_bench quick             the small sizes only
//   lpsens_bench threads           the dense 999 x 999 solve on 1, 2 and the
//                                  default threads, idle and beside a busy core
//   lpsens_bench problems FILE...  solve and check each problem file, classic and accurate
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "accurate/accurate_engine.h"
#include "analysis/ranging.h"
#include "check/checker.h"
#include "classic/classic_engine.h"
#include "classic/exchange_kernel.h"
#include "model/native_reader.h"
#include "parallel/exchange_team.h"
#include "problem_generator.h"
#include "report/solution_report.h"
#include "report/tableau_listing.h"

namespace {

using Clock = std::chrono::steady_clock;
using lpsens::bench::ProblemShape;

double seconds_since(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void bench_read(int size) {
    const std::string text = lpsens::bench::generate_problem({size, size, 1.0, 1, false, 0.1, 0.05});
    lpsens::ByteSource source(text);
    const auto start = Clock::now();
    const lpsens::Problem problem = lpsens::read_native_problem(source);
    const double s = seconds_since(start);
    const double values = static_cast<double>(size + 1) * (size + 1);
    std::printf("read %4d x %-4d  %9.0f value lines, %6.1f MB  %7.3f s  %6.1f ns/value\n", size, size, values,
                static_cast<double>(text.size()) / 1e6, s, s * 1e9 / values);
}

struct Timing {
    double solve = 0;
    double check = 0;
};

lpsens::DocumentedForm form_of(const std::string& text) {
    lpsens::ByteSource source(text);
    return lpsens::native_form(lpsens::read_native_problem(source));
}

// Solves the form with `engine` and checks the result.
Timing solve_and_check(const lpsens::DocumentedForm& form, lpsens::SolveEngine& engine, bool accurate,
                       lpsens::SolveResult& result) {
    lpsens::ResultChecker checker(form, accurate);
    Timing t;
    auto start = Clock::now();
    result = engine.solve();
    t.solve = seconds_since(start);
    start = Clock::now();
    checker.check_final(result, result.status != lpsens::Status::infeasible);
    t.check = seconds_since(start);
    return t;
}

Timing solve_classic(const std::string& text) {
    const lpsens::DocumentedForm form = form_of(text);
    lpsens::Channel console;
    lpsens::ClassicEngine engine(form, {}, console);
    lpsens::SolveResult result;
    return solve_and_check(form, engine, false, result);
}

Timing solve_accurately(const std::string& text) {
    const lpsens::DocumentedForm form = form_of(text);
    lpsens::Channel console;
    lpsens::AccurateEngine engine(form, {}, console);
    lpsens::SolveResult result;
    return solve_and_check(form, engine, true, result);
}

void bench_problems(int count, char** files) {
    Timing classic_total, accurate_total;
    std::printf("%-16s %24s %24s\n", "", "classic: solve, check", "accurate: solve, check");
    for (int f = 0; f < count; ++f) {
        std::ifstream in(files[f], std::ios::binary);
        std::stringstream buffer;
        buffer << in.rdbuf();
        const std::string text = buffer.str();
        const Timing c = solve_classic(text);
        const Timing a = solve_accurately(text);
        classic_total.solve += c.solve;
        classic_total.check += c.check;
        accurate_total.solve += a.solve;
        accurate_total.check += a.check;
        std::printf("%-16s %10.3f s %9.4f s   %10.3f s %9.4f s\n", files[f], c.solve, c.check, a.solve, a.check);
    }
    std::printf("%-16s %10.3f s %9.4f s   %10.3f s %9.4f s\n", "all", classic_total.solve, classic_total.check,
                accurate_total.solve, accurate_total.check);
    std::printf("checks: %.1f%% of the classic solves, %.1f%% of the accurate ones\n",
                100 * classic_total.check / classic_total.solve, 100 * accurate_total.check / accurate_total.solve);
}

// A plain double-precision pass t[j] -= p[j] * f over a tableau of rows x
// columns entries, as a floor for the exchange step: nanoseconds per entry.
double plain_pass_ns(int rows, int columns) {
    const auto width = static_cast<std::size_t>(columns);
    std::vector<double> table(static_cast<std::size_t>(rows) * width);
    for (std::size_t k = 0; k < table.size(); ++k) table[k] = static_cast<double>(k % 97) * 0.25 + 1;
    std::vector<double> pivot(table.begin(), table.begin() + static_cast<long>(width));
    const double entries = static_cast<double>(rows) * columns;
    const int passes = std::max(3, static_cast<int>(2e8 / entries));
    const auto start = Clock::now();
    for (int n = 0; n < passes; ++n)
        for (int i = 1; i < rows; ++i) {
            double* row = &table[static_cast<std::size_t>(i) * width];
            const double f = row[n % columns] * 1e-9;
            for (std::size_t j = 0; j < width; ++j) row[j] -= pivot[j] * f;
        }
    const double s = seconds_since(start);
    volatile double sink = table[width + 1];
    (void)sink;
    return s * 1e9 / (passes * entries);
}

void bench_solve(const char* label, const ProblemShape& shape, bool with_reports, int threads = 0) {
    const lpsens::DocumentedForm form = form_of(lpsens::bench::generate_problem(shape));
    lpsens::Channel console;
    const lpsens::EngineSettings settings;
    lpsens::ClassicEngine engine(form, settings, console, false, lpsens::KernelKind::best, threads);
    lpsens::SolveResult result;
    const Timing t = solve_and_check(form, engine, false, result);
    const double s = t.solve;
    const std::string& marks = console.captured();
    const long phase1 = std::count(marks.begin(), marks.end(), ':');
    const long phase2 = std::max<long>(0, std::count(marks.begin(), marks.end(), '.') - 1);
    const long exchanges = phase1 + phase2;
    const double entries = static_cast<double>(form.rows() + 2) * (form.column_count() + 1);
    std::printf("solve %-20s %5ld exchanges (%ld phase 1)  %8.3f s  %9.1f exchanges/s  %5.2f ns/entry  %s, %s%s\n",
                label, exchanges, phase1, s, exchanges / s, s * 1e9 / (exchanges * entries),
                lpsens::kernel_name(lpsens::KernelKind::best),
                threads == 1 ? "1 thread" : threads == 2 ? "2 threads" : "threads by default",
                result.status == lpsens::Status::infeasible ? "  (infeasible)" : "");
    const double plain = plain_pass_ns(form.rows() + 2, form.column_count() + 1);
    std::printf("      %-20s plain double pass %5.2f ns/entry: exchange step / plain pass %5.2f\n", label, plain,
                s * 1e9 / (exchanges * entries) / plain);
    std::printf("check %-20s %8.3f s  (%4.1f%% of the solve)\n", label, t.check, 100 * t.check / s);
    if (!with_reports) return;
    lpsens::Channel out;
    const auto report_start = Clock::now();
    lpsens::write_title_line(out, form.title());
    const lpsens::Ranging ranging = lpsens::compute_ranging(engine.tableau(), form.variables());
    lpsens::write_solution_report(out, form, result.solution, ranging, std::string(lpsens::infinity_sign));
    lpsens::write_tableau_listing(out, engine.tableau(), form);
    const double r = seconds_since(report_start);
    std::printf("report and listing of %-13s %7.3f s  %6.1f MB\n", label, r,
                static_cast<double>(out.captured().size()) / 1e6);
}

}  // namespace

// A CPU-bound process beside the benchmark, as when a user runs two models at
// once: started here and stopped when it goes out of scope.
class BusyCore {
public:
    BusyCore() : pid_(::fork()) {
        if (pid_ == 0) {
            volatile unsigned long spin = 0;
            for (;;) spin = spin + 1;
        }
    }
    ~BusyCore() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    BusyCore(const BusyCore&) = delete;
    BusyCore& operator=(const BusyCore&) = delete;

private:
    pid_t pid_;
};

// The dense 999 x 999 solve with one thread, two and the default, idle and
// beside a busy core.
void bench_threads() {
    const ProblemShape dense{999, 999, 1.0, 6, false, 0.1, 0.05};
    std::printf("threads: the default here is %d (usable processors %d)\n", lpsens::default_threads(),
                lpsens::usable_processors());
    for (const bool busy : {false, true}) {
        std::optional<BusyCore> other;
        if (busy) other.emplace();
        for (const int threads : {1, 2, 0}) {
            const std::string label = std::string(busy ? "busy " : "idle ") +
                                      (threads == 0 ? "default" : threads == 1 ? "1 thread" : "2 threads");
            bench_solve(("dense 999 " + label).c_str(), dense, false, threads);
        }
    }
}

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "threads") == 0) {
        bench_threads();
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "problems") == 0) {
        bench_problems(argc - 2, argv + 2);
        return 0;
    }
    const bool quick = argc > 1 && std::strcmp(argv[1], "quick") == 0;
    bench_read(quick ? 200 : 999);
    bench_solve("dense 100 x 100", {100, 100, 1.0, 2, false, 0.1, 0.05}, false);
    bench_solve("dense 400 x 400", {400, 400, 1.0, 3, false, 0.1, 0.05}, !quick);
    if (quick) return 0;
    bench_solve("degenerate 400 x 400", {400, 400, 0.3, 4, true, 0, 0}, false);
    bench_solve("sparse 999 x 999", {999, 999, 0.02, 5, false, 0.1, 0.05}, true);
    bench_solve("dense 999 x 999", {999, 999, 1.0, 6, false, 0.1, 0.05}, true);
    bench_solve("sparse 999 x 999", {999, 999, 0.02, 5, false, 0.1, 0.05}, false, 1);
    bench_threads();
    return 0;
}
