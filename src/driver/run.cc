#include "driver/run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <optional>

#include "accurate/accurate_engine.h"
#include "analysis/model_terms.h"
#include "analysis/parametric_items.h"
#include "analysis/parametric_sweep.h"
#include "analysis/ranging.h"
#include "check/checker.h"
#include "driver/terms_sweep.h"
#include "classic/classic_engine.h"
#include "form/names.h"
#include "io/files.h"
#include "model/read_problem.h"
#include "numeric/plural.h"
#include "report/check_warnings.h"
#include "report/json_results.h"
#include "report/parametric_report.h"
#include "report/problem_file.h"
#include "report/solution_report.h"
#include "report/sweep_chart.h"
#include "report/tableau_listing.h"
#include "report/text_report.h"

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

// The line that stands for a verdict without an optimum, or for a stop
// before any verdict.
void write_status_line(Channel& out, Status status) {
    switch (status) {
        case Status::infeasible: out.write("No feasible solution"); break;
        case Status::unbounded: out.write("Unbounded solution"); break;
        case Status::exchange_limit: out.write("Stopped at the exchange limit"); break;
        case Status::time_limit: out.write("Stopped at the time limit"); break;
        case Status::numerical_trouble: out.write("Stopped by numerical trouble"); break;
        case Status::optimal: return;
    }
    out.write(line_end);
}

// Seconds as a plain decimal: 2, 0.5, 0.001.
std::string seconds_text(double seconds) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.9f", seconds);
    std::string text(buffer);
    while (text.back() == '0') text.pop_back();
    if (text.back() == '.') text.pop_back();
    return text;
}

// What the console says of a run that stopped before its verdict: what
// stopped it, and for a sweep after how many records.
std::string stop_message(Status status, long cap, double seconds, std::size_t records) {
    const bool sweep = records > 0;
    std::string text = sweep ? "lpsens: the sweep stopped" : "lpsens: stopped";
    std::string after = sweep ? " after " + counted(static_cast<long>(records), "record", "records") : "";
    const std::string no_verdict = !sweep ? ": no verdict" : records == 1 ? ": no verdict beyond it" : ": no verdict beyond them";
    switch (status) {
        case Status::exchange_limit:
            return text + " at the limit of " + counted(cap, "exchange", "exchanges") + after + no_verdict +
                   " (--max-exchanges sets another)\n";
        case Status::time_limit:
            return text + " at the time limit of " + seconds_text(seconds) + " s" + after + no_verdict + "\n";
        default:
            return text + " by numerical trouble" + after + no_verdict +
                   "; accurate mode found no result that passes its own checks (please report it together with the "
                   "problem file)\n";
    }
}

// Rows whose right-hand side starts negative: the classic phase 1 does not
// make them feasible.  One warning line each; true when there is one.
bool warn_negative_rhs(const DocumentedForm& form, Channel& console) {
    bool any = false;
    for (int i = 1; i <= form.rows(); ++i)
        if (narrowed(form.rhs(i)).value < 0) {
            any = true;
            console.write("lpsens: warning: row " + std::to_string(i) +
                          " has a negative right-hand side; it is not made feasible, so the reported "
                          "solution may violate it\n");
        }
    return any;
}

// Checks every record of a sweep as it is taken and says each verdict on the
// report channel as it comes.
class SweepReporter final : public SweepObserver {
public:
    // `out` is null when the verdicts go into another report.
    SweepReporter(Channel* out, ResultChecker& checker, const SweepItems& items)
        : out_(out), checker_(checker), items_(items) {}
    void record(int s, const SweepRecord& record, const SolveResult& result) override {
        checker_.check_record(items_, s, record, result);
    }
    void verdict(Status status) override {
        end_ = status;
        if (out_ != nullptr) write_status_line(*out_, status);
    }
    // How the sweep ended: optimal when it reached its end, else the
    // verdict or stop of its last re-optimisation.
    Status end() const { return end_; }

private:
    Status end_ = Status::optimal;
    Channel* out_;
    ResultChecker& checker_;
    const SweepItems& items_;
};

}  // namespace

int run_sequence(Channels& channels, ByteSource& input, const RunOptions& options, bool touch_marker) {
    // --time-limit counts from here.
    const RunClock::time_point started = RunClock::now();
    Channel& out = channels.out;
    Channel& console = channels.console;
    console.set_quiet(options.quiet);
    const RunMode mode = run_mode_of(options.mode);
    const bool parametric = is_sweep(mode);
    const std::string infinity_text =
        options.utf8 || (::isatty(1) && locale_is_utf8()) ? "\xE2\x88\x9E" : std::string(infinity_sign);  // U+221E

    // The problem from --input or standard input, in any format.
    std::optional<ByteSource> file;
    FileCloser closer;
    ByteSource* source = &input;
    const bool from_file = reads_file(options);
    if (from_file) {
        closer.fd = open_input_file(options.input);
        file.emplace(closer.fd);
        file->origin = options.input;
        source = &*file;
    }
    // Every file the run will write can be written: a run never solves for
    // long only to find that out at its end.
    for (const std::string* path : {&options.json, &options.chart, &options.write_problem})
        if (!path->empty()) check_output_file(*path);
    Problem model = read_problem(*source, input_format(options.format, from_file ? options.input : ""));
    for (const std::string& w : model.warnings) console.write("lpsens: warning: " + w + "\n");
    // lpsens's own problems keep the classic engine, whose bytes their users
    // rely on; imported models have none to keep and get the accurate one.
    const bool accurate = options.accurate || (!options.classic && !model.native);
    std::optional<ModelMap> imported;
    DocumentedForm form;
    std::vector<ModelSweepItem> model_sweep;
    if (model.native) {
        form = native_form(std::move(model));
        if (!options.write_problem.empty()) write_text_file(options.write_problem, problem_text(form, accurate));
        mark_sweep_items(form, options.sweeps, mode);
    } else {
        std::vector<std::string> lines;
        ConvertedModel converted = convert_model(model, lines);
        for (const std::string& line : lines) console.note("lpsens: " + line + "\n");
        check_stored_range(converted.form);
        if (!accurate) check_classic_size(converted.form, "the classic engine");
        if (!options.write_problem.empty()) {
            check_classic_size(converted.form, "lpsens's own format (--write-problem)");
            write_text_file(options.write_problem, problem_text(converted.form, accurate));
        }
        // A sweep names the model's own rows and columns, at its own values:
        // the model takes the start values and is converted again.
        if (parametric && !options.sweeps.empty()) {
            model_sweep = start_model_sweep(model, options.sweeps, mode);
            converted = convert_model(model, lines);
            check_stored_range(converted.form);
        }
        form = std::move(converted.form);
        imported = std::move(converted.map);
    }
    SweepItems items;
    if (parametric) items = extract_parametric_items(form, mode);
    if (imported) add_model_sweep_items(items, form, *imported, model_sweep);

    ResultChecker checker(form, accurate);
    EngineSettings settings{options.max_exchanges, options.kernel, options.threads};
    settings.presolve = options.presolve;
    if (options.time_limit > 0)
        settings.deadline = started + std::chrono::duration_cast<RunClock::duration>(
                                          std::chrono::duration<double>(options.time_limit));
    std::unique_ptr<SolveEngine> engine;
    AccurateEngine* model_engine = nullptr;  // the accurate engine of an imported model
    CheckAdvice advice;
    advice.accurate = accurate;
    if (accurate) {
        if (imported) {
            auto own = std::make_unique<AccurateEngine>(form, model, *imported, settings, console);
            model_engine = own.get();
            engine = std::move(own);
        } else
            engine = std::make_unique<AccurateEngine>(form, settings, console);
    } else {
        bool negative = false;
        for (int i = 1; i <= form.rows() && !negative; ++i) negative = narrowed(form.rhs(i)).value < 0;
        engine = std::make_unique<ClassicEngine>(form, settings, console, negative);
        advice.negative_rhs = warn_negative_rhs(form, console);
    }
    console.mark('.');

    const SolveResult result = engine->solve();
    // How the run ends: the first result's verdict, or a stop before one
    // (of the solve, or of a sweep's re-optimisation).
    Status end = result.status;
    RunResults run;
    run.mode = mode;
    run.accurate = accurate;
    run.tolerance = accurate ? 1e-9 : 0.00001;
    if (imported) {
        run.model = &model;
        run.map = &*imported;
    }
    std::optional<ModelResults> model_results;
    std::optional<Ranging> ranging;
    std::vector<SweepRecord> records;
    std::string listing_note;  // for the console, when the listing is left out
    // The CSV report, or the readable one in the model's terms instead.
    const bool csv = !options.text_report;
    // The model's own terms: for the JSON of an imported model and for the
    // readable report.
    const auto in_model_terms = [&] {
        if ((imported && !options.json.empty()) || !csv)
            model_results = lpsens::model_results(imported ? model : form.problem,
                                                  imported ? *imported : identity_map(form), form, result,
                                                  engine->tableau(), run.tolerance, options.threads);
        if (imported && model_results) run.model_results = &*model_results;
    };
    // The sweep in the model's own terms.
    std::optional<TermsSweep> terms;
    const auto start_terms_sweep = [&] {
        terms = imported ? imported_terms_sweep(model, model_sweep, items.objective) : native_terms_sweep(form, items);
        set_limits(*terms, options.max_records, settings, form.rows(), form.column_count());
    };
    if (parametric && model_engine != nullptr && is_verdict(result.status)) {
        // An imported model's sweep is the one in its terms, wherever it
        // begins (perhaps later than the start, where there is an optimum);
        // the CSV's records are taken where it records.
        if (result.status != Status::optimal) checker.check_final(result, false);
        start_terms_sweep();
        run_terms_sweep(*terms, checker, *model_engine, items, form.variables(), form.rows(), records);
        const Status ended = end_status(terms->result);
        if (csv && ended != Status::optimal) write_status_line(out, ended);
        if (csv && !records.empty()) write_parametric_report(out, form, items, records);
        end = !is_verdict(ended) || records.empty() ? ended : Status::optimal;
        run.items = &items;
        run.records = &records;
    } else if (!is_verdict(result.status)) {
        // Stopped before any verdict: the stop line instead of a report, and
        // the best basis for the JSON and the readable report, not checked
        // (it claims nothing) and without ranging.
        if (csv) write_status_line(out, result.status);
        run.feasible = result.feasible;
        if (!parametric) {
            strip_name_suffixes(form, mode);
            run.solution = &result.solution;
            in_model_terms();
        }
    } else if (result.status == Status::infeasible || (parametric && result.status == Status::unbounded)) {
        // A sweep starts only from an optimum.
        if (csv) write_status_line(out, result.status);
        checker.check_final(result, false);
    } else {
        if (result.status == Status::unbounded && csv) write_status_line(out, result.status);
        if (parametric) {
            SweepReporter reporter(csv ? &out : nullptr, checker, items);
            records = parametric_sweep(*engine, items, form.variables(), result, reporter);
            if (!is_verdict(reporter.end())) end = reporter.end();
            if (csv) write_parametric_report(out, form, items, records);
            run.items = &items;
            run.records = &records;
        } else {
            strip_name_suffixes(form, mode);
            if (csv) write_title_line(out, form.title());
            ranging = compute_ranging(engine->tableau(), form.variables(), options.threads);
            if (csv) {
                write_solution_report(out, form, result.solution, *ranging, infinity_text);
                // The listing of a model beyond lpsens's own sizes is written
                // on request once it passes a million entries.
                const long long entries = static_cast<long long>(form.rows()) * form.column_count();
                const bool beyond = form.rows() > max_rows || form.variables() > max_vars;
                if (!beyond || entries <= 1000000 || options.listing)
                    write_tableau_listing(out, engine->tableau(), form);
                else
                    listing_note = "lpsens: the tableau listing (" + std::to_string(form.rows()) + " rows by " +
                                   std::to_string(form.column_count()) + " columns) is left out; --listing writes it\n";
            }
            checker.check_final(result, csv);
            run.solution = &result.solution;
            run.ranging = &*ranging;
            in_model_terms();
        }
    }
    // Beside the documented sweep, the one in the model's terms where an
    // output in those terms asks for it (an imported model always has one).
    if (parametric && !terms && is_verdict(end) && is_verdict(result.status) &&
        (imported || !csv || !options.json.empty() || !options.chart.empty())) {
        start_terms_sweep();
        run_terms_sweep(*terms, checker);
        if (!is_verdict(end_status(terms->result))) end = end_status(terms->result);
    }
    if (terms) {
        run.model_sweep = &terms->result;
        run.swept = &terms->items;
        run.sweep_model = terms->model;
        run.sweep_costs = terms->target.costs;
    }
    run.status = end;
    if (!csv) {
        TextReportRun text;
        text.source = imported ? form.problem.source : from_file ? options.input : "";
        text.accurate = accurate;
        text.verified = is_verdict(end) && checker.passed();
        text.status = end;
        text.feasible = result.feasible;
        text.results = model_results ? &*model_results : nullptr;
        if (terms) {
            text.sweep = &terms->result;
            text.swept = &terms->items;
            text.max_records = options.max_records;
        }
        std::string report = text_report(imported ? model : form.problem, imported ? *imported : identity_map(form), text);
        // Every line lpsens writes ends with CR LF.
        std::string lines;
        for (const char c : report) lines += c == '\n' ? std::string(line_end) : std::string(1, c);
        out.write(lines);
    }
    if (!options.json.empty()) {
        TextFileWriter file(options.json);
        write_json_results(form, run, checker, [&](std::string_view piece) { file.write(piece); });
        file.close();
    }
    if (!options.chart.empty() && terms) {
        SweepChartInput chart;
        chart.title = form.title();
        chart.maximise = terms->model->maximise;
        chart.costs = terms->target.costs;
        chart.items = terms->items.names;
        chart.starts = terms->items.starts;
        chart.ends = terms->items.ends;
        chart.sweep = &terms->result;
        write_text_file(options.chart, sweep_chart(chart));
    }
    // Everything for standard output is out before the run counts as done.
    out.flush();
    console.mark(line_end);
    console.note(listing_note);
    if (terms) {
        const std::string before = before_words(terms->items, terms->result);
        if (!before.empty()) console.note("lpsens: sweep: " + before + "\n");
        console.note("lpsens: sweep: " + counted(static_cast<long>(terms->result.records.size()), "record", "records") +
                     "; " + end_words(terms->items, terms->result, options.max_records) + "\n");
    }
    if (!is_verdict(end))
        console.write(stop_message(end, exchange_cap(settings, form.rows(), form.column_count()), options.time_limit,
                                   records.size()));
    report_all_checks(console, checker, options.show_checks, advice);
    // A run without a verdict has its own exit code, before that of a
    // failed check; like a failed check under --strict it leaves the
    // marker file alone.
    if (!is_verdict(end)) return end == Status::numerical_trouble ? exit_numerical : exit_limit;
    const bool failed = options.strict && !checker.passed();
    if (touch_marker && !failed) reset_marker_file();
    return failed ? exit_check_failed : 0;
}

namespace {

int report_runtime_error(Channels& channels, const RunError& error) {
    channels.out.flush_quietly();
    channels.out.write(runtime_error_line(error.code(), error.site()));
    channels.out.write(line_end);
    channels.out.flush_quietly();
    // The explanation goes out even when the console itself failed.
    try {
        channels.console.write("lpsens: " + error.explanation() + "\n");
    } catch (const RunError&) {
    }
    return error.code();
}

}  // namespace

int run_program(Channels& channels, ByteSource& input, const RunOptions& options, bool touch_marker) {
    try {
        return run_sequence(channels, input, options, touch_marker);
    } catch (const RunError& error) {
        return report_runtime_error(channels, error);
    } catch (const std::bad_alloc&) {
        return report_runtime_error(channels, RunError(error_code::out_of_memory, Site::allocate, "out of memory"));
    }
}

}  // namespace lpsens
