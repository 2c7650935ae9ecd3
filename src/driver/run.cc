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
#include "accurate/lp_from_model.h"
#include "analysis/model_results.h"
#include "analysis/sweep_items.h"
#include "analysis/sweep_records.h"
#include "analysis/ranging.h"
#include "check/checker.h"
#include "driver/scenario_run.h"
#include "driver/terms_sweep.h"
#include "classic/classic_engine.h"
#include "exact/basis_proof.h"
#include "exact/exact_form_tableau.h"
#include "form/names.h"
#include "io/files.h"
#include "model/read_problem.h"
#include "numeric/plural.h"
#include "report/check_warnings.h"
#include "report/json_results.h"
#include "report/sweep_table.h"
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

// The tableau listing, or, for a model beyond lpsens's own sizes whose
// listing passes a million entries, the note that it is left out (unless
// `asked`).
std::string write_listing(Channel& out, const TableauView& tableau, const DocumentedForm& form, bool asked) {
    const long long entries = static_cast<long long>(form.rows()) * form.column_count();
    const bool beyond = form.rows() > max_rows || form.variables() > max_vars;
    if (!beyond || entries <= 1000000 || asked) {
        write_tableau_listing(out, tableau, form);
        return {};
    }
    return "lpsens: the tableau listing (" + std::to_string(form.rows()) + " rows by " +
           std::to_string(form.column_count()) + " columns) is left out; --listing writes it\n";
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

namespace {

// The input of a run: --input, opened (and closed at the end of the run), or
// standard input; and every file the run will write found writable before
// anything is read: a run never solves for long only to find that out at its
// end.
class RunInput {
public:
    RunInput(ByteSource& standard_input, const RunOptions& options) : source_(&standard_input) {
        from_file_ = reads_file(options);
        if (from_file_) {
            closer_.fd = open_input_file(options.input);
            file_.emplace(closer_.fd);
            file_->origin = options.input;
            source_ = &*file_;
        }
        for (const std::string* path : {&options.json, &options.chart, &options.write_problem})
            if (!path->empty()) check_output_file(*path);
    }
    ByteSource& source() { return *source_; }
    bool from_file() const { return from_file_; }

private:
    FileCloser closer_;
    std::optional<ByteSource> file_;
    ByteSource* source_;
    bool from_file_ = false;
};

// The problem as read and the form the engines solve, with the items of a
// sweep.
struct PreparedRun {
    RunMode mode = RunMode::ordinary;
    bool parametric = false;
    bool accurate = false;
    Problem model;                    // an imported model as read
    std::optional<ModelMap> imported; // its map to the form
    DocumentedForm form;
    std::vector<ModelSweepItem> model_sweep;
    SweepItems items;
    // The model of the model's own terms (the form for lpsens's own problems).
    const Problem& terms_model() const { return imported ? model : form.problem; }
    // Its map: an imported model's own, not copied, or one made in `made`
    // from the form as it stands (its names cut).
    const ModelMap& terms_map(std::optional<ModelMap>& made) const {
        if (imported) return *imported;
        made = identity_map(form);
        return *made;
    }
};

// The run of `model`, read or built: its form, converted, and the items
// of a sweep.
PreparedRun prepare_model(Problem model, const RunOptions& options, Channel& console) {
    PreparedRun p;
    p.mode = run_mode_of(options.mode);
    p.parametric = is_sweep(p.mode);
    p.model = std::move(model);
    for (const std::string& w : p.model.warnings) console.write("lpsens: warning: " + w + "\n");
    // lpsens's own problems keep the classic engine, whose bytes their users
    // rely on; imported models have none to keep and get the accurate one.
    p.accurate = options.accurate || (!options.classic && !p.model.native);
    if (p.model.native) {
        p.form = native_form(std::move(p.model));
        if (!options.write_problem.empty()) write_text_file(options.write_problem, problem_text(p.form, p.accurate));
        mark_sweep_items(p.form, options.sweeps, p.mode);
    } else {
        std::vector<std::string> lines;
        ConvertedModel converted = convert_model(p.model, lines);
        for (const std::string& line : lines) console.note("lpsens: " + line + "\n");
        check_stored_range(converted.form);
        if (!p.accurate) check_classic_size(converted.form, "the classic engine");
        if (!options.write_problem.empty()) {
            check_classic_size(converted.form, "lpsens's own format (--write-problem)");
            write_text_file(options.write_problem, problem_text(converted.form, p.accurate));
        }
        // A sweep names the model's own rows and columns, at its own values:
        // the model takes the start values and is converted again.
        if (p.parametric && !options.sweeps.empty()) {
            p.model_sweep = start_model_sweep(p.model, options.sweeps, p.mode);
            converted = convert_model(p.model, lines);
            check_stored_range(converted.form);
        }
        p.form = std::move(converted.form);
        p.imported = std::move(converted.map);
    }
    if (p.parametric) p.items = extract_sweep_items(p.form, p.mode);
    if (p.imported) add_model_sweep_items(p.items, p.form, *p.imported, p.model_sweep);
    return p;
}

PreparedRun prepare(ByteSource& source, const RunOptions& options, bool from_file, Channel& console) {
    return prepare_model(read_problem(source, input_format(options.format, from_file ? options.input : "")), options,
                         console);
}

// The engine of a run and what the checks' warnings need to know of it.
struct RunEngine {
    EngineSettings settings;
    std::unique_ptr<SolveEngine> engine;
    AccurateEngine* model_engine = nullptr;  // the accurate engine of an imported model
    AccurateEngine* accurate_engine = nullptr;  // the accurate engine, whatever the model
    CheckAdvice advice;
};

RunEngine make_engine(const PreparedRun& p, const RunOptions& options, RunClock::time_point started,
                      Channel& console) {
    RunEngine e;
    e.settings.max_exchanges = options.max_exchanges;
    e.settings.presolve = options.presolve;
    if (options.time_limit > 0)
        e.settings.deadline = started + std::chrono::duration_cast<RunClock::duration>(
                                            std::chrono::duration<double>(options.time_limit));
    e.advice.accurate = p.accurate;
    if (p.accurate) {
        if (p.imported) {
            auto own = std::make_unique<AccurateEngine>(p.form, p.model, *p.imported, e.settings, console);
            e.model_engine = own.get();
            e.accurate_engine = own.get();
            e.engine = std::move(own);
        } else {
            auto own = std::make_unique<AccurateEngine>(p.form, e.settings, console);
            e.accurate_engine = own.get();
            e.engine = std::move(own);
        }
    } else {
        bool negative = false;
        for (int i = 1; i <= p.form.rows() && !negative; ++i) negative = narrowed(p.form.rhs(i)).value < 0;
        e.engine = std::make_unique<ClassicEngine>(p.form, e.settings, console, negative, options.kernel,
                                                   options.threads);
        e.advice.negative_rhs = warn_negative_rhs(p.form, console);
    }
    return e;
}

// What a run found past its first solve: the verdict it ends with, the
// analyses and sweeps, and what the writers read of them.  Its members are
// pointed at by `run`: it stays where it is made.
struct RunOutcome {
    Status end = Status::optimal;
    RunResults run;
    std::optional<ModelResults> model_results;
    std::optional<Ranging> ranging;
    std::vector<SweepRecord> records;
    std::optional<TermsSweep> terms;
    std::optional<exact::ExactSolution> exact;  // --exact: the proof
    std::optional<exact::ExactRanging> exact_ranging;  // and the ranging of a proven optimum
    std::string exact_note;  // for the console, when that ranging is left out
    bool exact_tableau = false;  // the report is made from the exact tableau of the proven basis
    RunClock::time_point solved = RunClock::now();  // when the first solve ended, before any proof
    std::string listing_note;  // for the console, when the listing is left out
};

// The exact proof ends where the run's --time-limit does.
exact::ProofLimits limits_of(const RunEngine& e) {
    exact::ProofLimits limits;
    limits.deadline = e.settings.deadline;
    return limits;
}

// --exact: the verdict proven in exact rational arithmetic on the model in
// its own terms (as written: 0.1 is 1/10), from the basis the accurate
// engine ended with, or, after the classic engine, from one the revised core
// finds of the model: its optimum by the basis (with exact pivots where it
// is not yet optimal), an infeasible or unbounded verdict by the core's
// certificate.
exact::ExactSolution exact_proof(const Problem& model, const RunEngine& e) {
    const exact::RationalLp lp = exact::rational_lp(model);
    std::optional<revised::RevisedSimplex> own;
    const revised::LpSolution* s = nullptr;
    if (e.accurate_engine != nullptr) {
        s = &e.accurate_engine->core().solution();
    } else {
        own.emplace(lp_from_model(model));
        s = &own->solve();
    }
    // A certificate of the core's verdict is proof enough; where it fails,
    // or there is none, exact pivots from the core's basis settle it.
    std::optional<exact::ExactSolution> proof;
    switch (s->status) {
        case revised::SolveStatus::infeasible: proof = exact::prove_infeasible(lp, s->farkas); break;
        case revised::SolveStatus::unbounded: proof = exact::prove_unbounded(lp, s->col_value, s->ray); break;
        default: break;
    }
    if (!proof || proof->proof == exact::Proof::unproven) proof = exact::prove_optimal(lp, s->basis, limits_of(e));
    return std::move(*proof);
}

// A proven optimum has its ranging made exactly too (a tableau row or
// column in rationals for every cost and right-hand side) where that is done
// within twice the time the run took to its first verdict (a tenth of a
// second at least): rational rows of some models grow long.

void prove_exactly(const PreparedRun& p, RunEngine& e, RunOutcome& o, RunClock::time_point started) {
    if (!o.exact && !is_verdict(o.end)) return;  // a run stopped at a limit claims nothing
    const Problem& model = p.terms_model();
    if (!o.exact) o.exact = exact_proof(model, e);
    o.run.exact = &*o.exact;
    o.run.exact_model = &model;
    if (o.exact->proof == exact::Proof::optimal && o.end == Status::optimal) {
        const RunClock::time_point now = RunClock::now();
        const RunClock::duration budget =
            std::max<RunClock::duration>(2 * (o.solved - started), std::chrono::milliseconds(100));
        const auto deadline = std::min(now + budget, e.settings.deadline);
        o.exact_ranging = exact::exact_ranging(exact::rational_lp(model), *o.exact, deadline);
        if (o.exact_ranging) o.run.exact_ranging = &*o.exact_ranging;
        else o.exact_note = "the exact ranging is left out: it takes longer than twice the solve on this model";
    }
}

// The verdict an exact proof gives.
Status status_of(exact::Proof proof) {
    return proof == exact::Proof::optimal      ? Status::optimal
           : proof == exact::Proof::infeasible ? Status::infeasible
                                               : Status::unbounded;
}

// Whether the exact proof stands for the verdict the run ends with.
bool proven(const RunOutcome& o) {
    return o.exact && o.exact->proof != exact::Proof::unproven && status_of(o.exact->proof) == o.end;
}

// Models up to --exact-limit rows and columns together whose floating-point
// result fails its checks (or stops in numerical trouble) are settled in
// exact arithmetic: beyond it the exact pivots may take too long.
bool small_enough(const PreparedRun& p, const RunEngine& e, const RunOptions& options) {
    const Problem& model = p.terms_model();
    return e.accurate_engine != nullptr && !p.parametric &&
           model.row_count() + model.column_count() <= options.exact_limit;
}

// Whether some number of the model (a cost, an entry, a right-hand side, a
// range or a finite bound) is not 0 and yet below 1e-7 or above 1e7 in
// magnitude: beyond what the floating-point solve and its checks, with
// their tolerances of about 1e-7, can tell apart from 0 or resolve beside
// the other numbers.  A result on such a model can pass its checks and
// still be wrong (an equation 1e-37 x = -4e-38 held "within tolerance"
// by x = 0), so it is proven.
bool beyond_tolerances(const Problem& model) {
    const auto odd = [](Extended v) {
        const Extended size = std::fabs(v);
        return size != 0 && !std::isinf(size) && (size < 1e-7L || size > 1e7L);
    };
    bool found = odd(model.constant);
    for (int j = 0; j < model.column_count() && !found; ++j) {
        const ProblemColumn& c = model.columns[static_cast<std::size_t>(j)];
        found = odd(c.cost) || odd(c.lower) || odd(c.upper);
        model.matrix.for_each(j, [&](int, Extended a) { found = found || odd(a); });
    }
    for (const ProblemRow& row : model.rows) found = found || odd(row.rhs) || (row.ranged && odd(row.range));
    return found;
}

// The proven column values, each the nearest double.
std::vector<double> nearest_values(const exact::ExactSolution& proof) {
    std::vector<double> values;
    for (const mpq_class& v : proof.values) values.push_back(exact::nearest_double(v));
    return values;
}

// The report of an optimum proven exactly made from the proven basis in
// exact arithmetic: the form's tableau solved in rationals and each entry
// rounded once.  For models small enough only (a whole tableau at once);
// RunError where the basis is singular in the form even so.
SolveResult exact_report(const PreparedRun& p, RunEngine& e, RunOutcome& o) {
    const exact::ExactSolution& proof = *o.exact;
    const DocumentedForm& form = p.form;
    SolveResult result = e.accurate_engine->optimum_at(proof.basis, nearest_values(proof), [&form](std::vector<VariableId> basic,
                                                                                    std::vector<VariableId> nonbasic) {
        return std::make_unique<exact::ExactFormTableau>(form, std::move(basic), std::move(nonbasic));
    });
    o.exact_tableau = true;
    return result;
}

// Whether `result` passes the checks the report will have, printed values
// too where it prints a solution.
bool passes_checks(const PreparedRun& p, const SolveResult& result) {
    ResultChecker probe(p.form, true);
    probe.check_final(result, result.status != Status::infeasible);
    return probe.passed();
}

// The accurate engine's result proven in exact arithmetic: under --exact
// always, otherwise on a model small enough (below).  On a model small
// enough, a proven optimum whose floating-point report fails its checks, or
// is not of the proven basis, is reported from the exact tableau of the
// proven basis.  Otherwise, where the proven verdict is another, the engine
// solves again from the proven basis (or the report is made from that basis
// itself, or an infeasible or unbounded verdict stands alone), so the
// reports show the proven answer.  Returns the result to report.  A run
// stopped at a limit the user set (or at the time limit) is left as it is.
SolveResult settle_exactly(const PreparedRun& p, RunEngine& e, SolveResult result, RunOutcome& o,
                           const RunOptions& options, Channel& console) {
    if (e.accurate_engine == nullptr || p.parametric) return result;
    // A stop at the exchange cap lpsens sets itself (no --max-exchanges) is
    // the floating-point solve lost (cycling at the format's extremes): it
    // is settled as numerical trouble is.  Limits the user set hold.
    const bool lost = result.status == Status::numerical_trouble ||
                      (result.status == Status::exchange_limit && options.max_exchanges == 0);
    if (!is_verdict(result.status) && !lost) return result;
    // --exact proves every verdict; without it, a small model's verdict is
    // proven where it fails its checks, or where the model's numbers lie
    // beyond what the checks' tolerances can judge.
    const bool small = small_enough(p, e, options);
    if (!options.exact && !small) return result;
    const bool passed = small && !lost && passes_checks(p, result);
    if (!options.exact && passed && !beyond_tolerances(p.terms_model())) return result;
    o.exact = options.exact ? exact_proof(p.terms_model(), e)
                            : exact::prove_optimal(exact::rational_lp(p.terms_model()),
                                                   e.accurate_engine->core().solution().basis, limits_of(e));
    const exact::ExactSolution& proof = *o.exact;
    const Status proven = status_of(proof.proof);
    const bool agrees = proof.proof == exact::Proof::unproven ||
                        (proven == result.status && (proven != Status::optimal || proof.pivots == 0));
    // A result the proof bears out stands where it passes its checks (not
    // probed on a large model): without --exact nothing is said of it.
    if (agrees && (!small || passed)) {
        if (!options.exact) o.exact.reset();
        return result;
    }
    if (proof.proof == exact::Proof::unproven) return result;
    if (proven == Status::optimal && small) {
        try {
            return exact_report(p, e, o);
        } catch (const RunError&) {
        }
    }
    if (proven == result.status && (proven != Status::optimal || agrees)) return result;
    // A fresh engine from the proven basis; the run's own one stays as it
    // is unless the fresh one reaches the proven verdict.
    try {
        std::unique_ptr<AccurateEngine> fresh =
            p.imported ? std::make_unique<AccurateEngine>(p.form, p.model, *p.imported, e.settings, console)
                       : std::make_unique<AccurateEngine>(p.form, e.settings, console);
        fresh->start_from(o.exact->basis);
        SolveResult again = fresh->solve();
        if (again.status != proven && proven == Status::optimal) {
            // The floating-point solve strays from the proven basis: the
            // report is made from that basis itself.
            again = fresh->optimum_at(o.exact->basis, nearest_values(*o.exact));
        }
        if (again.status == proven) {
            e.accurate_engine = fresh.get();
            if (e.model_engine != nullptr) e.model_engine = fresh.get();
            e.engine = std::move(fresh);
            return again;
        }
    } catch (const RunError&) {
    }
    // Infeasibility and unboundedness need no basis to report: the proof
    // stands for them.
    SolveResult verdict;
    verdict.status = proven;
    return proven == Status::optimal ? result : verdict;
}

// The accurate engine's first solve; on a model small enough, a solve that
// fails (a basis singular in the documented form) is settled in exact
// arithmetic: an infeasible or unbounded verdict stands alone, an optimum
// is reported from the exact tableau of its basis.
SolveResult first_solve(const PreparedRun& p, RunEngine& e, RunOutcome& o, const RunOptions& options,
                        Channel& console) {
    try {
        SolveResult result = e.engine->solve();
        o.solved = RunClock::now();
        return settle_exactly(p, e, std::move(result), o, options, console);
    } catch (const RunError& error) {
        o.solved = RunClock::now();
        if (!small_enough(p, e, options) || error.code() != error_code::overflow) throw;
        const exact::RationalLp lp = exact::rational_lp(p.terms_model());
        o.exact = exact::solve_exactly(lp, nullptr, limits_of(e));
        if (o.exact->proof == exact::Proof::optimal) {
            try {
                return exact_report(p, e, o);
            } catch (const RunError&) {
                throw error;
            }
        }
        if (o.exact->proof != exact::Proof::infeasible && o.exact->proof != exact::Proof::unbounded) throw;
        SolveResult verdict;
        verdict.status = status_of(o.exact->proof);
        return verdict;
    }
}

// What the console says of the exact proof.
std::string exact_words(const exact::ExactSolution& e) {
    if (e.proof == exact::Proof::unproven) return "lpsens: exact: not proven: " + e.why + "\n";
    std::string words = "lpsens: exact: the model is " + std::string(exact::to_string(e.proof)) +
                        ", proven in exact rational arithmetic";
    if (e.proof == exact::Proof::optimal) {
        words = "lpsens: exact: the optimum " + exact::text_of(e.objective) +
                " is proven in exact rational arithmetic";
        if (e.pivots > 0) words += " after " + counted(e.pivots, "exact pivot", "exact pivots");
    }
    return words + "\n";
}

// After the first solve: the CSV report as it comes (the solution report
// and listing, or the sweep's table), the ranging in the model's terms and
// the sweeps, each checked.
void analyse(PreparedRun& p, RunEngine& e, const SolveResult& result, const RunOptions& options, Channel& out,
             const std::string& infinity_text, ResultChecker& checker, RunOutcome& o) {
    DocumentedForm& form = p.form;
    const bool csv = !options.text_report && options.csv_report;
    o.end = result.status;
    o.run.mode = p.mode;
    o.run.accurate = p.accurate;
    o.run.tolerance = p.accurate ? 1e-9 : 0.00001;
    if (p.imported) {
        o.run.model = &p.model;
        o.run.map = &*p.imported;
    }
    // The model's own terms: for the JSON of an imported model and for the
    // readable report.
    const auto in_model_terms = [&] {
        if ((p.imported && !options.json.empty()) || !csv) {
            std::optional<ModelMap> made;
            o.model_results = lpsens::model_results(p.terms_model(), p.terms_map(made), form, result,
                                                    e.engine->tableau(), o.run.tolerance, options.threads);
        }
        if (p.imported && o.model_results) o.run.model_results = &*o.model_results;
    };
    // The sweep in the model's own terms.
    const auto start_terms_sweep = [&] {
        o.terms = p.imported ? imported_terms_sweep(p.model, p.model_sweep, p.items.objective)
                             : native_terms_sweep(form, p.items);
        set_limits(*o.terms, options.max_records, e.settings, form.rows(), form.column_count());
    };
    if (p.parametric && e.model_engine != nullptr && is_verdict(result.status)) {
        // An imported model's sweep is the one in its terms, wherever it
        // begins (perhaps later than the start, where there is an optimum);
        // the CSV's records are taken where it records.
        if (result.status != Status::optimal) checker.check_final(result, false);
        start_terms_sweep();
        run_terms_sweep(*o.terms, checker, *e.model_engine, p.items, form.variables(), form.rows(), o.records);
        const Status ended = end_status(o.terms->result);
        if (csv && ended != Status::optimal) write_status_line(out, ended);
        if (csv && !o.records.empty()) write_sweep_table(out, form, p.items, o.records);
        o.end = !is_verdict(ended) || o.records.empty() ? ended : Status::optimal;
        o.run.items = &p.items;
        o.run.records = &o.records;
    } else if (!is_verdict(result.status)) {
        // Stopped before any verdict: the stop line instead of a report, and
        // the best basis for the JSON and the readable report, not checked
        // (it claims nothing) and without ranging.
        if (csv) write_status_line(out, result.status);
        o.run.feasible = result.feasible;
        if (!p.parametric) {
            strip_name_suffixes(form, p.mode);
            o.run.solution = &result.solution;
            in_model_terms();
        }
    } else if (result.status == Status::infeasible || (p.parametric && result.status == Status::unbounded) ||
               result.basis.empty()) {
        // A sweep starts only from an optimum.  A verdict proven in exact
        // arithmetic alone (infeasible or unbounded) has no basis: its line
        // is all there is, and nothing for the checks to rebuild.
        if (csv) write_status_line(out, result.status);
        if (!result.basis.empty()) checker.check_final(result, false);
    } else {
        if (result.status == Status::unbounded && csv) write_status_line(out, result.status);
        if (p.parametric) {
            SweepReporter reporter(csv ? &out : nullptr, checker, p.items);
            o.records = sweep_records(*e.engine, p.items, form.variables(), result, reporter);
            if (!is_verdict(reporter.end())) o.end = reporter.end();
            if (csv) write_sweep_table(out, form, p.items, o.records);
            o.run.items = &p.items;
            o.run.records = &o.records;
        } else {
            strip_name_suffixes(form, p.mode);
            if (csv) write_title_line(out, form.title());
            o.ranging = compute_ranging(e.engine->tableau(), form.variables(), options.threads, p.accurate);
            if (csv) {
                write_solution_report(out, form, result.solution, *o.ranging, infinity_text);
                o.listing_note = write_listing(out, e.engine->tableau(), form, options.listing);
            }
            checker.check_final(result, csv);
            o.run.solution = &result.solution;
            o.run.ranging = &*o.ranging;
            in_model_terms();
        }
    }
    // Beside the documented sweep, the one in the model's terms where an
    // output in those terms asks for it (an imported model always has one).
    if (p.parametric && !o.terms && is_verdict(o.end) && is_verdict(result.status) &&
        (p.imported || !csv || !options.json.empty() || !options.chart.empty())) {
        start_terms_sweep();
        run_terms_sweep(*o.terms, checker);
        if (!is_verdict(end_status(o.terms->result))) o.end = end_status(o.terms->result);
    }
    if (o.terms) {
        o.run.model_sweep = &o.terms->result;
        o.run.swept = &o.terms->items;
        o.run.sweep_model = o.terms->model;
        o.run.sweep_costs = o.terms->target.costs;
    }
    o.run.status = o.end;
}

// The chart of the sweep in the model's terms.
std::string chart_of(const PreparedRun& p, const TermsSweep& terms) {
    SweepChartInput chart;
    chart.title = p.form.title();
    chart.maximise = terms.model->maximise;
    chart.costs = terms.target.costs;
    chart.bounds = terms.target.bounds;
    chart.items = terms.items.names;
    chart.starts = terms.items.starts;
    chart.ends = terms.items.ends;
    chart.sweep = &terms.result;
    return sweep_chart(chart);
}

// The reports that are written whole at the end: the readable one on
// standard output (instead of the CSV), the JSON and the chart.
void write_reports(const PreparedRun& p, const RunOptions& options, bool from_file, const SolveResult& result,
                   const ResultChecker& checker, const RunOutcome& o, Channel& out) {
    if (options.text_report) {
        TextReportRun text;
        text.source = p.imported ? p.form.problem.source : from_file ? options.input : "";
        text.accurate = p.accurate;
        text.exact = is_verdict(o.end) && proven(o);
        text.verified = is_verdict(o.end) && (checker.passed() || text.exact);
        text.status = o.end;
        text.feasible = result.feasible;
        text.results = o.model_results ? &*o.model_results : nullptr;
        if (o.terms) {
            text.sweep = &o.terms->result;
            text.swept = &o.terms->items;
            text.max_records = options.max_records;
        }
        std::optional<ModelMap> made;
        write_text_report(out, p.terms_model(), p.terms_map(made), text);
    }
    if (!options.json.empty()) {
        TextFileWriter file(options.json);
        write_json_results(p.form, o.run, checker, [&](std::string_view piece) { file.write(piece); });
        file.close();
    }
    if (!options.chart.empty() && o.terms) write_text_file(options.chart, chart_of(p, *o.terms));
}

// The console's end of the run (the end of the marks, the notes, a stop, the
// checks' warnings) and the exit code.
int finish(const PreparedRun& p, const RunEngine& e, const RunOptions& options, const ResultChecker& checker,
           const RunOutcome& o, Channel& console, bool touch_marker) {
    console.mark(line_end);
    console.note(o.listing_note);
    if (o.terms) {
        const std::string before = before_words(o.terms->items, o.terms->result);
        if (!before.empty()) console.note("lpsens: sweep: " + before + "\n");
        console.note("lpsens: sweep: " + counted(static_cast<long>(o.terms->result.records.size()), "record", "records") +
                     "; " + end_words(o.terms->items, o.terms->result, options.max_records) + "\n");
    }
    if (!is_verdict(o.end))
        console.write(stop_message(o.end, exchange_cap(e.settings, p.form.rows(), p.form.column_count()),
                                   options.time_limit, o.records.size()));
    CheckAdvice advice = e.advice;
    advice.proven_exactly = proven(o);
    advice.exact_tableau = o.exact_tableau;
    report_all_checks(console, checker, options.show_checks, advice);
    if (o.exact) {
        if (o.exact->proof == exact::Proof::unproven) console.write(exact_words(*o.exact));
        else console.note(exact_words(*o.exact));
        if (!o.exact_note.empty()) console.note("lpsens: exact: " + o.exact_note + "\n");
        if (o.exact->proof != exact::Proof::unproven && !proven(o))
            console.write("lpsens: warning: exact arithmetic proves the model " +
                          std::string(exact::to_string(o.exact->proof)) +
                          ", but the floating-point result could not be reported as such: the report is not the "
                          "proven answer (the JSON's \"exact\" section is)\n");
    }
    // A run without a verdict has its own exit code, before that of a
    // failed check; like a failed check under --strict it leaves the
    // marker file alone.
    if (!is_verdict(o.end)) return o.end == Status::numerical_trouble ? exit_numerical : exit_limit;
    const bool failed = options.strict && ((!checker.passed() && !proven(o)) || (options.exact && !proven(o)));
    if (touch_marker && !failed) reset_marker_file();
    return failed ? exit_check_failed : 0;
}

}  // namespace

int run_sequence(Channels& channels, ByteSource& input, const RunOptions& options, bool touch_marker) {
    // --time-limit counts from here.
    const RunClock::time_point started = RunClock::now();
    channels.console.set_quiet(options.quiet);
    const std::string infinity_text =
        options.utf8 || (::isatty(1) && locale_is_utf8()) ? "\xE2\x88\x9E" : std::string(infinity_sign);  // U+221E
    RunInput in(input, options);
    if (!options.scenarios.empty()) {
        Problem model = read_problem(in.source(), input_format(options.format, in.from_file() ? options.input : ""));
        for (const std::string& w : model.warnings) channels.console.write("lpsens: warning: " + w + "\n");
        return run_scenarios(channels, model, options);
    }
    PreparedRun p = prepare(in.source(), options, in.from_file(), channels.console);
    ResultChecker checker(p.form, p.accurate);
    RunEngine e = make_engine(p, options, started, channels.console);
    channels.console.mark('.');
    RunOutcome o;
    const SolveResult result = first_solve(p, e, o, options, channels.console);
    analyse(p, e, result, options, channels.out, infinity_text, checker, o);
    if (options.exact || o.exact) prove_exactly(p, e, o, started);
    write_reports(p, options, in.from_file(), result, checker, o, channels.out);
    // Everything for standard output is out before the run counts as done.
    channels.out.flush();
    return finish(p, e, options, checker, o, channels.console, touch_marker);
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

namespace {

// A sweep of column bounds: in the model's terms alone, on a core of its
// own, every record checked against the model at its values.
LibraryRun run_bound_sweep(Problem model, const RunOptions& options, RunClock::time_point started) {
    Channels channels;
    channels.console.set_quiet(options.quiet);
    RunOptions plain = options;
    plain.mode = nullptr;
    plain.sweeps.clear();
    PreparedRun p = prepare_model(std::move(model), plain, channels.console);
    ResultChecker checker(p.form, true);
    TermsSweep terms = bound_terms_sweep(p.terms_model(), options.sweeps, options.sweep_bounds);
    EngineSettings settings;
    settings.max_exchanges = options.max_exchanges;
    if (options.time_limit > 0)
        settings.deadline = started + std::chrono::duration_cast<RunClock::duration>(
                                          std::chrono::duration<double>(options.time_limit));
    set_limits(terms, options.max_records, settings, p.form.rows(), p.form.column_count());
    run_terms_sweep(terms, checker);
    const Status ended = end_status(terms.result);
    RunResults run;
    run.mode = RunMode::rhs_sweep;
    run.accurate = true;
    run.tolerance = 1e-9;
    run.status = !is_verdict(ended) || terms.result.records.empty() ? ended : Status::optimal;
    run.model_sweep = &terms.result;
    run.swept = &terms.items;
    run.sweep_model = terms.model;
    run.sweep_bounds = true;
    LibraryRun out;
    out.json = json_results(p.form, run, checker);
    if (!terms.result.records.empty()) out.chart = chart_of(p, terms);
    channels.console.note("lpsens: sweep: " + counted(static_cast<long>(terms.result.records.size()), "record", "records") +
                          "; " + end_words(terms.items, terms.result, options.max_records) + "\n");
    report_all_checks(channels.console, checker, false, CheckAdvice{true, false});
    out.exit_code = !is_verdict(run.status) ? (run.status == Status::numerical_trouble ? exit_numerical : exit_limit) : 0;
    out.console = channels.console.captured();
    return out;
}

}  // namespace

LibraryRun run_problem(Problem model, const RunOptions& options, const revised::Basis* start) {
    const RunClock::time_point started = RunClock::now();
    if (!options.sweep_bounds.empty()) return run_bound_sweep(std::move(model), options, started);
    Channels channels;
    channels.console.set_quiet(options.quiet);
    LibraryRun run;
    PreparedRun p = prepare_model(std::move(model), options, channels.console);
    ResultChecker checker(p.form, p.accurate);
    RunEngine e = make_engine(p, options, started, channels.console);
    if (start != nullptr && e.model_engine != nullptr) e.model_engine->start_from(*start);
    RunOutcome o;
    const SolveResult result = first_solve(p, e, o, options, channels.console);
    // The basis the solve ended with, before a sweep moves it.
    if (e.model_engine != nullptr && !p.parametric) run.basis = e.model_engine->core().solution().basis;
    analyse(p, e, result, options, channels.out, std::string(infinity_sign), checker, o);
    if (options.exact || o.exact) prove_exactly(p, e, o, started);
    // lpsens's own problems have their results in the model's terms too.
    std::optional<ModelMap> made;
    if (!p.imported && o.model_results && !p.parametric) {
        o.run.model = &p.form.problem;
        o.run.map = &p.terms_map(made);
        o.run.model_results = &*o.model_results;
    }
    run.json = json_results(p.form, o.run, checker);
    if (o.terms) run.chart = chart_of(p, *o.terms);
    run.exit_code = finish(p, e, options, checker, o, channels.console, false);
    run.console = channels.console.captured();
    return run;
}

}  // namespace lpsens
