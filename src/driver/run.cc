#include "driver/run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <optional>

#include "accurate/accurate_engine.h"
#include "check/checker.h"
#include "model/input.h"
#include "model/names.h"
#include "model/problem_files.h"
#include "parametric/parametric_input.h"
#include "parametric/parametric_sweep.h"
#include "report/json_results.h"
#include "report/solution_report.h"
#include "report/sweep_chart.h"
#include "report/tableau_listing.h"
#include "simplex/engine.h"
#include "simplex/solve.h"
#include "simplex/tableau_init.h"

namespace lpsens {

void reset_marker_file() {
    const int fd = ::open(marker_file_name, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0) {
        const int code = errno;
        throw RunError(code, Site::marker_open,
                       std::string("cannot create ") + marker_file_name + ": " + system_error_text(code));
    }
    if (::close(fd) != 0) {
        const int code = errno;
        throw RunError(code, Site::marker_close,
                       std::string("cannot close ") + marker_file_name + ": " + system_error_text(code));
    }
}

void warn_negative_rhs(Workspace& ws) {
    for (int i = 1; i <= ws.row_count; ++i)
        if (ws.tableau(i, 0).value < 0) {
            ws.exchange.objective_may_fall = true;
            ws.console.write("lpsens: warning: row " + std::to_string(i) +
                             " has a negative right-hand side; it is not made feasible, so the reported "
                             "solution may violate it\n");
        }
}

namespace {

// The character set of the locale from LC_ALL, LC_CTYPE or LANG, whichever
// is set first: UTF-8 or not.
bool locale_is_utf8() {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == 0) continue;
        std::string v(value);
        for (char& c : v) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return v.find("utf-8") != std::string::npos || v.find("utf8") != std::string::npos;
    }
    return false;
}

// Closes an input file at the end of the run, however it ends.
struct FileCloser {
    int fd = -1;
    ~FileCloser() {
        if (fd >= 0) ::close(fd);
    }
};

}  // namespace

int run_sequence(Workspace& ws, ByteSource& input, const RunOptions& options, bool touch_marker) {
    ws.keep_input_values = options.accurate;
    if (options.utf8 || (::isatty(1) && locale_is_utf8())) ws.infinity_text = "\xE2\x88\x9E";  // U+221E
    // The problem from --input or standard input, in any format.
    std::optional<ByteSource> file;
    FileCloser closer;
    ByteSource* source = &input;
    if (!options.input.empty()) {
        closer.fd = open_input_file(options.input);
        file.emplace(closer.fd);
        file->origin = options.input;
        source = &*file;
    }
    const std::optional<ConvertedModel> imported =
        read_any_problem(ws, *source, input_format(options.format, options.input), options.mode);
    if (!options.write_problem.empty()) write_problem_file(ws, options.write_problem);
    mark_sweep_items(ws, options.sweeps);
    ws.exchange.max_exchanges = options.max_exchanges;
    ws.exchange.kernel = options.kernel;
    ws.exchange.threads = options.threads;
    if (ws.parametric()) extract_parametric_items(ws);
    ResultChecker checker(ws);
    ClassicEngine classic;
    std::optional<AccurateEngine> accurate;
    if (options.accurate) accurate.emplace(ws);
    SolveEngine& engine = accurate ? static_cast<SolveEngine&>(*accurate) : classic;
    initialise_tableau(ws);
    if (!options.accurate) warn_negative_rhs(ws);
    ws.console.write('.');
    RunFacts facts{"infeasible", options.accurate};
    if (engine.phase1(ws) == phase1_feasible) {
        const int result = engine.phase2(ws);
        facts.status = result == phase2_unbounded ? "unbounded" : "optimal";
        const Outcome outcome = result == phase2_unbounded ? Outcome::unbounded : Outcome::optimal;
        if (ws.parametric()) {
            parametric_sweep(ws, engine, result, [&](int record, int record_result) {
                checker.check_record(ws, record, record_result == phase2_unbounded ? Outcome::unbounded : Outcome::optimal);
            });
        } else {
            strip_name_suffixes(ws);
            write_solution_report(ws);
            write_tableau_listing(ws);
            checker.check_final(ws, outcome, true);
        }
    } else {
        checker.check_final(ws, Outcome::infeasible, false);
    }
    if (!options.json.empty()) write_text_file(options.json, json_results(ws, facts, checker, imported));
    if (!options.chart.empty() && ws.record_count > 0) write_text_file(options.chart, sweep_chart(ws));
    // Everything for standard output is out before the run counts as done.
    ws.out.flush();
    ws.console.write(line_end);
    checker.report(ws, options.show_checks);
    const bool failed = options.strict && !checker.passed();
    if (touch_marker && !failed) reset_marker_file();
    return failed ? exit_check_failed : 0;
}

namespace {

int report_runtime_error(Workspace& ws, const RunError& error) {
    ws.out.flush_quietly();
    ws.out.write(runtime_error_line(error.code(), error.site()));
    ws.out.write(line_end);
    ws.out.flush_quietly();
    // The explanation goes out even when the console itself failed.
    try {
        ws.console.write("lpsens: " + error.explanation() + "\n");
    } catch (const RunError&) {
    }
    return error.code();
}

}  // namespace

int run_program(Workspace& ws, ByteSource& input, const RunOptions& options, bool touch_marker) {
    try {
        return run_sequence(ws, input, options, touch_marker);
    } catch (const RunError& error) {
        return report_runtime_error(ws, error);
    } catch (const std::bad_alloc&) {
        return report_runtime_error(ws, RunError(error_code::out_of_memory, Site::allocate, "out of memory"));
    }
}

}  // namespace lpsens
