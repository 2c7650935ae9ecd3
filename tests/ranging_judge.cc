#include "ranging_judge.h"

#include <cmath>
#include <memory>

#include "accurate/accurate_engine.h"
#include "analysis/model_results.h"
#include "analysis/sweep_records.h"
#include "analysis/ranging.h"
#include "check/checker.h"
#include "classic/classic_engine.h"

namespace lpsens::testing {

void Verdicts::add(const Verdicts& other) {
    problems += other.problems;
    unverified += other.unverified;
    limits += other.limits;
    wrong += other.wrong;
    for (const std::string& f : other.failures)
        if (failures.size() < 12) failures.push_back(f);
}

void Verdicts::fail(const std::string& what) {
    ++wrong;
    if (failures.size() < 12) failures.push_back(what);
}

std::string Verdicts::summary() const {
    std::string s = std::to_string(wrong) + " of " + std::to_string(limits) + " limits of " + std::to_string(problems) +
                    " problems do not hold (" + std::to_string(unverified) + " optima not verified, not judged)";
    for (const std::string& f : failures) s += "\n  " + f;
    return s;
}

namespace {

// How far inside a finite limit the value is moved: close enough that a
// limit beyond the true one shows, far enough from it that rounding does not.
constexpr double inside = 0.999;

std::unique_ptr<SolveEngine> make_engine(const DocumentedForm& form, bool accurate, Channel& console) {
    if (accurate) return std::make_unique<AccurateEngine>(form, EngineSettings{}, console);
    bool negative = false;
    for (int i = 1; i <= form.rows() && !negative; ++i) negative = narrowed(form.rhs(i)).value < 0;
    return std::make_unique<ClassicEngine>(form, EngineSettings{}, console, negative);
}

std::optional<double> form_optimum(const DocumentedForm& form) {
    Channel console;
    AccurateEngine engine(form, {}, console);
    const SolveResult r = engine.solve();
    if (r.status != Status::optimal) return std::nullopt;
    return r.solution.objective;
}

bool agrees(double got, double promised, double scale, double tolerance = 1e-7) {
    return std::fabs(got - promised) <= tolerance * (1 + std::fabs(scale) + std::fabs(promised));
}

std::string text(double x) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.10g", x);
    return buf;
}

// One side of a range: the value moved by `move`, the optimum promised
// there, judged by `solve`.
template <class Solve>
void judge_side(Verdicts& v, Extended& value, double move, double promised, double objective, Solve solve,
                const std::string& what) {
    const Extended saved = value;
    value = saved + move;
    const std::optional<double> got = solve();
    value = saved;
    ++v.limits;
    if (!got || !agrees(*got, promised, objective))
        v.fail(what + " (moved by " + text(move) + "): optimum " + (got ? text(*got) : "none") + ", promised " +
               text(promised));
}

// Whether the run's own checks pass its result: a result they reject is not
// an optimum the user is told to trust, and its ranging is not judged.
bool verified(const DocumentedForm& form, bool accurate, const SolveResult& result) {
    ResultChecker checker(form, accurate);
    checker.check_final(result, false);
    return checker.passed();
}

// A limit this close to the value is the value to the engine's precision
// (a ratio of 0 give or take rounding; the classic engine takes values
// within 0.00001 of zero for zero): there is no move to judge.
bool at_the_value(double offset, Extended value, bool accurate) {
    return std::fabs(offset) <= (accurate ? 1e-9 : 1e-5) * (1 + std::fabs(static_cast<double>(value)));
}

// The move that judges one side of the CSV ranging: just inside a finite
// offset; out by the value's size and 1 where there is no limit; none for
// a zero offset.
std::optional<double> form_move(double offset, bool upper, Extended value, bool accurate) {
    if (upper ? offset >= 9e30 : offset <= -9e30) return (upper ? 1 : -1) * (1 + std::fabs(static_cast<double>(value)));
    if (at_the_value(offset, value, accurate)) return std::nullopt;
    return inside * offset;
}

}  // namespace

Verdicts judge_form_ranging(const DocumentedForm& original, const JudgeOptions& options) {
    Verdicts v;
    Channel console;
    const std::unique_ptr<SolveEngine> engine = make_engine(original, options.accurate, console);
    const SolveResult result = engine->solve();
    if (result.status != Status::optimal) return v;
    const double z = result.solution.objective;
    const std::optional<double> truth = form_optimum(original);
    if (!verified(original, options.accurate, result) || !truth || !agrees(z, *truth, z)) {
        ++v.unverified;
        return v;
    }
    ++v.problems;
    const Ranging ranging = compute_ranging(engine->tableau(), original.variables());
    DocumentedForm form = original;
    const auto solve = [&] { return form_optimum(form); };
    const auto side = [&](Extended& value, double offset, bool upper, double rate, const std::string& what) {
        const std::optional<double> move = form_move(offset, upper, value, options.accurate);
        if (!move) return;
        // A level or price within the engine's tolerance of zero is zero,
        // as the reports show it.
        if (std::fabs(rate) <= (options.accurate ? 1e-9 : 0.00001)) rate = 0;
        judge_side(v, value, *move, z + rate * *move, z, solve,
                   options.name + ": " + what + (upper ? " upper" : " lower") + " limit");
    };
    for (int i = 1; i <= form.rows(); i += options.stride) {
        const auto si = static_cast<std::size_t>(i);
        const double price = result.solution.row[si].price;
        for (const bool upper : {false, true})
            side(form.rhs(i), upper ? ranging.rhs_upper[si] : ranging.rhs_lower[si], upper, price,
                 "rhs of row " + form.row_name(i));
    }
    for (int j = 1; j <= form.variables(); j += options.stride) {
        const auto sj = static_cast<std::size_t>(j);
        const double level = result.solution.column[sj].level;
        for (const bool upper : {false, true})
            side(form.cost(j), upper ? ranging.cost_upper[sj] : ranging.cost_lower[sj], upper, level,
                 "cost of " + form.column_name(j));
    }
    return v;
}

std::optional<double> fresh_optimum(const Problem& model) {
    Problem copy = model;
    // lpsens's own problems too go through the conversion: it takes the
    // bounds a ranging moves.
    copy.native = false;
    copy.equality_list.clear();
    copy.greater_list.clear();
    std::vector<std::string> said;
    const ConvertedModel c = convert_model(copy, said);
    const std::optional<double> z = form_optimum(c.form);
    if (!z) return std::nullopt;
    return (model.maximise ? 1 : -1) * *z;
}

Verdicts judge_model_ranging(const Problem& model, const JudgeOptions& options) {
    Verdicts v;
    DocumentedForm form;
    ModelMap map;
    if (model.native) {
        form = native_form(model);
        map = identity_map(form);
    } else {
        std::vector<std::string> said;
        ConvertedModel c = convert_model(model, said);
        form = std::move(c.form);
        map = std::move(c.map);
    }
    Channel console;
    std::unique_ptr<SolveEngine> engine;
    if (options.accurate && !model.native) {
        EngineSettings settings;
        settings.presolve = options.presolve ? PresolveUse::on : PresolveUse::off;
        engine = std::make_unique<AccurateEngine>(form, model, map, settings, console);
    } else
        engine = make_engine(form, options.accurate, console);
    const SolveResult result = engine->solve();
    if (result.status != Status::optimal) return v;
    const double tolerance = options.accurate ? 1e-9 : 0.00001;
    const ModelResults r = model_results(model, map, form, result, engine->tableau(), tolerance);
    const double f = r.objective;
    const std::optional<double> truth = fresh_optimum(model);
    if (!verified(form, options.accurate, result) || !truth || !agrees(f, *truth, f)) {
        ++v.unverified;
        return v;
    }
    ++v.problems;

    Problem work = model;
    const auto solve = [&] { return fresh_optimum(work); };
    const auto judge = [&](Extended& value, const ModelRange& range, const std::string& what) {
        const double base = static_cast<double>(value);
        for (const bool upper : {false, true}) {
            const double limit = upper ? range.upper : range.lower;
            const double at = upper ? range.objective_at_upper : range.objective_at_lower;
            const std::string name = options.name + ": " + what + (upper ? " upper" : " lower") + " limit";
            if (std::isinf(limit)) {
                const double move = (upper ? 1 : -1) * (1 + std::fabs(base));
                judge_side(v, value, move, f + range.rate * move, f, solve, name);
            } else if (!at_the_value(limit - base, value, options.accurate)) {
                judge_side(v, value, inside * (limit - base), f + inside * (at - f), f, solve, name);
            }
        }
    };
    for (int i = 0; i < work.row_count(); i += options.stride) {
        ProblemRow& row = work.rows[static_cast<std::size_t>(i)];
        judge(row.rhs, *r.rows[static_cast<std::size_t>(i)].rhs, "rhs of row " + row.name);
    }
    for (int j = 0; j < work.column_count(); j += options.stride) {
        ProblemColumn& c = work.columns[static_cast<std::size_t>(j)];
        const ModelColumnResult& result_j = r.columns[static_cast<std::size_t>(j)];
        judge(c.cost, *result_j.cost, "cost of " + c.name);
        if (result_j.lower_bound) judge(c.lower, *result_j.lower_bound, "lower bound of " + c.name);
        if (result_j.upper_bound) judge(c.upper, *result_j.upper_bound, "upper bound of " + c.name);
    }
    return v;
}

namespace {

class QuietObserver final : public SweepObserver {
public:
    void record(int, const SweepRecord&, const SolveResult&) override {}
    void verdict(Status) override { ended = true; }
    bool ended = false;  // at a t without an optimum
};

}  // namespace

Verdicts judge_cost_sweep(const Problem& original, int column, Extended start, Extended end,
                          const JudgeOptions& options) {
    Verdicts v;
    Problem model = original;
    const std::string name = model.columns[static_cast<std::size_t>(column)].name;
    const std::vector<ModelSweepItem> swept =
        start_model_sweep(model, {name + ":" + std::to_string(static_cast<double>(start)) + ":" +
                                  std::to_string(static_cast<double>(end))},
                          RunMode::cost_sweep);
    std::vector<std::string> said;
    ConvertedModel c = convert_model(model, said);
    SweepItems items = extract_sweep_items(c.form, RunMode::cost_sweep);
    add_model_sweep_items(items, c.form, c.map, swept);
    Channel console;
    std::unique_ptr<SolveEngine> engine;
    if (options.accurate)
        engine = std::make_unique<AccurateEngine>(c.form, model, c.map, EngineSettings{}, console);
    else
        engine = make_engine(c.form, false, console);
    const SolveResult first = engine->solve();
    if (first.status != Status::optimal) return v;
    QuietObserver observer;
    const std::vector<SweepRecord> records = sweep_records(*engine, items, c.form.variables(), first, observer);
    ++v.problems;
    const VariableMap& map = c.map.variables[static_cast<std::size_t>(column)];
    const Extended from = swept.front().start, to = swept.front().end;
    Problem work = model;
    Extended& cost = work.columns[static_cast<std::size_t>(column)].cost;
    const auto optimum_at = [&](double t) {
        cost = from + (to - from) * t;
        return fresh_optimum(work);
    };
    // The optimum at each record and the column's value there: the slope
    // of the optimum in the cost at that record's basis.
    std::vector<double> at, slope;
    for (const SweepRecord& record : records) {
        const std::optional<double> here = optimum_at(record.t.value);
        ++v.limits;
        if (!here) {
            v.fail(options.name + ": no optimum at record t = " + text(record.t.value));
            return v;
        }
        at.push_back(*here);
        double x = static_cast<double>(map.shift);
        if (map.part) x += map.sign * record.values[static_cast<std::size_t>(map.part)];
        if (map.negative_part) x -= record.values[static_cast<std::size_t>(map.negative_part)];
        slope.push_back(x * static_cast<double>(to - from));
    }
    // Between two records the optimum has at most one breakpoint: it is the
    // better of the two records' lines (convex in the cost for a maximum,
    // concave for a minimum).  A breakpoint the sweep stepped over shows
    // half-way.
    for (std::size_t k = 0; k + 1 < records.size(); ++k) {
        const double t0 = records[k].t.value, t1 = records[k + 1].t.value;
        if (t1 - t0 < 1e-6) continue;
        const double mid = (t0 + t1) / 2;
        const std::optional<double> there = optimum_at(mid);
        const double a = at[k] + slope[k] * (mid - t0), b = at[k + 1] + slope[k + 1] * (mid - t1);
        const double promised = model.maximise ? std::max(a, b) : std::min(a, b);
        ++v.limits;
        // The classic engine takes reduced costs within 0.00001 of zero for
        // zero: its records are optimal to that precision.
        if (!there || !agrees(*there, promised, at[k], options.accurate ? 1e-7 : 1e-5))
            v.fail(options.name + ": between the records at t = " + text(t0) + " and " + text(t1) + " the optimum at " +
                   text(mid) + " is " + (there ? text(*there) : "none") + ", the records' bases promise " +
                   text(promised));
    }
    // After the last record, unless the sweep ended there without an
    // optimum beyond or ran out of records, nothing changes up to t = 1.
    const double last = records.back().t.value;
    if (!observer.ended && records.size() < max_records && last < 1 - 1e-6) v.fail(options.name + ": the sweep stops at " + text(last));
    return v;
}

}  // namespace lpsens::testing
