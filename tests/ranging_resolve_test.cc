// Ranging against re-solves: for real problems, every finite limit of every
// right-hand side and objective coefficient is moved to just inside, the
// problem is solved again from scratch, and the optimum must be the one the
// ranging promises there (the price, or the level, times the move).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "accurate/accurate_engine.h"
#include "analysis/model_results.h"
#include "analysis/ranging.h"
#include "classic/classic_engine.h"
#include "form/documented_form.h"
#include "model/native_reader.h"

#ifndef LPSENS_NETLIB
#error "LPSENS_NETLIB must name the folder of the Netlib problems"
#endif

namespace lpsens {
namespace {

DocumentedForm read_netlib(const std::string& name) {
    const std::string path = std::string(LPSENS_NETLIB) + "/" + name + ".lp.gz";
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return {};
    ByteSource source(fd);
    DocumentedForm form = native_form(read_native_problem(source));
    ::close(fd);
    return form;
}

double optimum(const DocumentedForm& form) {
    Channel console;
    AccurateEngine engine(form, {}, console);
    const SolveResult r = engine.solve();
    EXPECT_EQ(r.status, Status::optimal);
    return r.solution.objective;
}

struct Tally {
    int limits = 0;
    int wrong = 0;
    std::string first;
};

// Moves one value to just inside a limit (9/10 of the way, so that a limit
// that is too far out shows) and compares the new optimum with the promise.
void check_limit(DocumentedForm& form, Extended& value, double offset, double slope, double z, Tally& tally,
                 const std::string& what) {
    if (!(std::fabs(offset) < 9e30) || offset == 0) return;
    const Extended saved = value;
    const Extended move = 0.9L * offset;
    value = saved + move;
    const double expected = z + static_cast<double>(slope * move);
    const double got = optimum(form);
    value = saved;
    ++tally.limits;
    if (std::fabs(got - expected) > 1e-7 * (1 + std::fabs(z) + std::fabs(static_cast<double>(slope * move)))) {
        if (tally.wrong++ == 0) tally.first = what + ": optimum " + std::to_string(got) + ", promised " + std::to_string(expected);
    }
}

Tally check_every_limit(const std::string& name, bool accurate) {
    DocumentedForm form = read_netlib(name);
    Tally tally;
    if (form.rows() == 0) return tally;
    Channel console;
    std::unique_ptr<SolveEngine> engine;
    if (accurate)
        engine = std::make_unique<AccurateEngine>(form, EngineSettings{}, console);
    else
        engine = std::make_unique<ClassicEngine>(form, EngineSettings{}, console);
    const SolveResult result = engine->solve();
    if (result.status != Status::optimal) return tally;
    const Ranging ranging = compute_ranging(engine->tableau(), form.variables());
    const double z = result.solution.objective;
    for (int i = 1; i <= form.rows(); ++i) {
        const auto si = static_cast<std::size_t>(i);
        const double price = result.solution.row[si].price;
        check_limit(form, form.rhs(i), ranging.rhs_lower[si], price, z, tally, "lower limit of row " + form.row_name(i));
        check_limit(form, form.rhs(i), ranging.rhs_upper[si], price, z, tally, "upper limit of row " + form.row_name(i));
    }
    for (int j = 1; j <= form.variables(); ++j) {
        const auto sj = static_cast<std::size_t>(j);
        const double level = result.solution.column[sj].level;
        check_limit(form, form.cost(j), ranging.cost_lower[sj], level, z, tally, "lower limit of cost " + form.column_name(j));
        check_limit(form, form.cost(j), ranging.cost_upper[sj], level, z, tally, "upper limit of cost " + form.column_name(j));
    }
    return tally;
}

TEST(RangingHolds, JustInsideEveryLimit) {
    if (read_netlib("sc50b").rows() == 0) GTEST_SKIP() << "no Netlib problems at " << LPSENS_NETLIB;
    for (const char* name : {"sc50b", "kb2", "adlittle", "scagr7", "share1b"}) {
        for (const bool accurate : {true, false}) {
            const Tally tally = check_every_limit(name, accurate);
            EXPECT_GT(tally.limits, 40) << name;
            EXPECT_EQ(tally.wrong, 0) << name << (accurate ? " --accurate" : " classic") << ": " << tally.wrong
                                      << " of " << tally.limits << " limits do not hold; first: " << tally.first;
        }
    }
}

}  // namespace
}  // namespace lpsens

namespace lpsens {
namespace {

// The ranging in the model's own terms (rows, costs and bounds of an MPS
// model, whatever the conversion made of them): just inside every finite
// limit the model solved again has the objective the ranging promises.
Problem read_mps_file(const std::string& name) {
    const std::string path = std::string(LPSENS_NETLIB) + "/" + name + ".mps";
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return {};
    ByteSource source(fd);
    const std::string text = source.read_rest();
    ::close(fd);
    return read_mps(text, path);
}

std::optional<double> model_optimum(const Problem& model) {
    std::vector<std::string> said;
    const ConvertedModel c = convert_model(model, said);
    Channel console;
    AccurateEngine engine(c.form, {}, console);
    const SolveResult r = engine.solve();
    if (r.status != Status::optimal) return std::nullopt;
    return (model.maximise ? 1 : -1) * r.solution.objective;
}

void check_model_limit(Problem& model, Extended& value, double base, double limit, double objective_there, double f,
                       Tally& tally, const std::string& what) {
    if (!std::isfinite(limit) || limit == base) return;
    const Extended saved = value;
    value = base + 0.9L * (limit - base);
    const double promised = f + 0.9 * (objective_there - f);
    const std::optional<double> got = model_optimum(model);
    value = saved;
    ++tally.limits;
    if (!got || std::fabs(*got - promised) > 1e-7 * (1 + std::fabs(f) + std::fabs(promised - f))) {
        if (tally.wrong++ == 0)
            tally.first = what + ": optimum " + (got ? std::to_string(*got) : "none") + ", promised " + std::to_string(promised);
    }
}

TEST(RangingHolds, InTheModelsOwnTerms) {
    if (read_mps_file("sc50b").rows.empty()) GTEST_SKIP() << "no Netlib problems at " << LPSENS_NETLIB;
    for (const char* name : {"sc50b", "kb2", "adlittle", "e226", "share1b"}) {
        Problem model = read_mps_file(name);
        // Every row and column of the small ones, a sample of the others.
        const int row_stride = std::max(1, model.row_count() / 60);
        const int column_stride = std::max(1, model.column_count() / 60);
        std::vector<std::string> said;
        const ConvertedModel converted = convert_model(model, said);
        Channel console;
        AccurateEngine engine(converted.form, {}, console);
        const SolveResult result = engine.solve();
        ASSERT_EQ(result.status, Status::optimal) << name;
        const ModelResults r = model_results(model, converted.map, converted.form, result, engine.tableau(), 1e-9);
        Tally tally;
        for (int i = 0; i < model.row_count(); i += row_stride) {
            ProblemRow& row = model.rows[static_cast<std::size_t>(i)];
            const ModelRange& range = *r.rows[static_cast<std::size_t>(i)].rhs;
            const double rhs = static_cast<double>(row.rhs);
            check_model_limit(model, row.rhs, rhs, range.lower, range.objective_at_lower, r.objective, tally, "rhs of " + row.name);
            check_model_limit(model, row.rhs, rhs, range.upper, range.objective_at_upper, r.objective, tally, "rhs of " + row.name);
        }
        for (int j = 0; j < model.column_count(); j += column_stride) {
            ProblemColumn& c = model.columns[static_cast<std::size_t>(j)];
            const ModelColumnResult& result_j = r.columns[static_cast<std::size_t>(j)];
            const double cost = static_cast<double>(c.cost);
            check_model_limit(model, c.cost, cost, result_j.cost->lower, result_j.cost->objective_at_lower, r.objective, tally, "cost of " + c.name);
            check_model_limit(model, c.cost, cost, result_j.cost->upper, result_j.cost->objective_at_upper, r.objective, tally, "cost of " + c.name);
            const bool fixed = c.lower == c.upper;
            if (result_j.lower_bound && !fixed) {
                const double l = static_cast<double>(c.lower);
                check_model_limit(model, c.lower, l, std::min(result_j.lower_bound->upper, static_cast<double>(c.upper)),
                                  result_j.lower_bound->objective_at_upper, r.objective, tally, "lower bound of " + c.name);
                check_model_limit(model, c.lower, l, result_j.lower_bound->lower, result_j.lower_bound->objective_at_lower,
                                  r.objective, tally, "lower bound of " + c.name);
            }
            if (result_j.upper_bound && !fixed) {
                const double u = static_cast<double>(c.upper);
                check_model_limit(model, c.upper, u, result_j.upper_bound->upper, result_j.upper_bound->objective_at_upper,
                                  r.objective, tally, "upper bound of " + c.name);
                check_model_limit(model, c.upper, u, std::max(result_j.upper_bound->lower, static_cast<double>(c.lower)),
                                  result_j.upper_bound->objective_at_lower, r.objective, tally, "upper bound of " + c.name);
            }
        }
        EXPECT_GT(tally.limits, 50) << name;
        EXPECT_EQ(tally.wrong, 0) << name << ": " << tally.wrong << " of " << tally.limits
                                  << " limits do not hold; first: " << tally.first;
    }
}

}  // namespace
}  // namespace lpsens

#include <cstdlib>
#include "test_support.h"

#include "ranging_judge.h"

namespace lpsens {
namespace {

// Every Netlib problem kept beside the project, both engines, every view of
// the ranging: the CSV of lpsens's own format (NAME.lp.gz), the CSV of the
// imported model (NAME.mps, the converted form) and the model's own terms
// (NAME.mps).  Each view judges about `sides` values of each problem, spread
// over its rows and columns (LPSENS_RANGING_VALUES=all judges every one, for
// a full survey; it takes minutes per problem).
struct NetlibCase {
    std::string name;
    bool accurate;
};

std::vector<NetlibCase> netlib_cases() {
    std::vector<NetlibCase> cases;
    for (const std::string& name : testing::file_stems(LPSENS_NETLIB, ".mps"))
        for (const bool accurate : {true, false}) cases.push_back({name, accurate});
    return cases;
}

int stride_for(int values) {
    const char* all = std::getenv("LPSENS_RANGING_VALUES");
    const int budget = all == nullptr ? 40 : std::string(all) == "all" ? values : std::atoi(all);
    return std::max(1, values / std::max(1, budget));
}

class NetlibRanging : public ::testing::TestWithParam<NetlibCase> {};

TEST_P(NetlibRanging, EveryViewHoldsJustInsideItsLimits) {
    const NetlibCase& c = GetParam();
    const std::string engine = c.accurate ? "accurate" : "classic";
    testing::Verdicts all;
    // lpsens's own format.
    const DocumentedForm own = read_netlib(c.name);
    ASSERT_GT(own.rows(), 0) << c.name;
    const testing::Verdicts own_csv =
        testing::judge_form_ranging(own, {c.accurate, stride_for(own.rows() + own.variables()), c.name + " (own format)"});
    // The imported model: its converted form, and its own terms.
    const Problem model = read_mps_file(c.name);
    std::vector<std::string> said;
    const ConvertedModel converted = convert_model(model, said);
    const testing::Verdicts model_csv = testing::judge_form_ranging(
        converted.form, {c.accurate, stride_for(converted.form.rows() + converted.form.variables()), c.name + " (MPS, CSV)"});
    const testing::Verdicts model_terms = testing::judge_model_ranging(
        model, {c.accurate, stride_for(model.row_count() + model.column_count()), c.name + " (MPS, model's terms)"});
    // The run's default for these models: the accurate engine's solve starts
    // from the basis of the presolved model.
    testing::JudgeOptions presolved{c.accurate, stride_for(model.row_count() + model.column_count()),
                                    c.name + " (MPS, model's terms, presolved)"};
    presolved.presolve = true;
    const testing::Verdicts model_terms_presolved =
        c.accurate ? testing::judge_model_ranging(model, presolved) : model_terms;
    for (const auto& [view, v] : {std::pair<const char*, const testing::Verdicts&>{"own format CSV", own_csv},
                                  {"MPS CSV", model_csv},
                                  {"MPS model's terms", model_terms},
                                  {"MPS model's terms, presolved", model_terms_presolved}}) {
        EXPECT_EQ(v.wrong, 0) << c.name << ", " << engine << ", " << view << ": " << v.summary();
        std::printf("%s %s %s: %d of %d limits fail (%s)\n", c.name.c_str(), engine.c_str(), view, v.wrong, v.limits,
                    v.problems ? "judged" : "optimum not verified");
        // The accurate engine solves every one of them.
        if (c.accurate) {
            EXPECT_EQ(v.problems, 1) << c.name << ", " << view;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Shared, NetlibRanging, ::testing::ValuesIn(netlib_cases()),
                         [](const ::testing::TestParamInfo<NetlibCase>& info) {
                             return info.param.name + (info.param.accurate ? "_accurate" : "_classic");
                         });

}  // namespace
}  // namespace lpsens

namespace lpsens {
namespace {

// The model's own terms of one Netlib model, from the accurate engine.
struct ModelTerms {
    Problem model;
    ConvertedModel converted;
    ModelResults results;
};

std::unique_ptr<ModelTerms> model_terms_of(const std::string& name) {
    auto terms = std::make_unique<ModelTerms>();
    terms->model = read_mps_file(name);
    std::vector<std::string> said;
    terms->converted = convert_model(terms->model, said);
    Channel console;
    AccurateEngine engine(terms->converted.form, terms->model, terms->converted.map, {}, console);
    const SolveResult result = engine.solve();
    EXPECT_EQ(result.status, Status::optimal) << name;
    terms->results = model_results(terms->model, terms->converted.map, terms->converted.form, result, engine.tableau(), 1e-9);
    return terms;
}

int row_named(const Problem& model, const std::string& name) {
    for (int i = 0; i < model.row_count(); ++i)
        if (model.rows[static_cast<std::size_t>(i)].name == name) return i;
    ADD_FAILURE() << "no row " << name;
    return 0;
}

int column_named(const Problem& model, const std::string& name) {
    for (int j = 0; j < model.column_count(); ++j)
        if (model.columns[static_cast<std::size_t>(j)].name == name) return j;
    ADD_FAILURE() << "no column " << name;
    return 0;
}

// An equality row whose artificial variable stays basic at zero: bore3d's
// BAF...XI, whose CSV range was [0, infinity) though the model is
// infeasible at +0.01, is [0, 0] in both engines.
TEST(RangingHolds, BasicArtificialRowOfAnImportedModel) {
    if (read_mps_file("bore3d").rows.empty()) GTEST_SKIP() << "no Netlib problems at " << LPSENS_NETLIB;
    const Problem model = read_mps_file("bore3d");
    std::vector<std::string> said;
    const ConvertedModel converted = convert_model(model, said);
    int row = 0;
    for (int i = 1; i <= converted.form.rows(); ++i)
        if (converted.form.row_name(i) == "BAF...XI") row = i;
    ASSERT_GT(row, 0);
    for (const bool accurate : {true, false}) {
        Channel console;
        std::unique_ptr<SolveEngine> engine;
        if (accurate)
            engine = std::make_unique<AccurateEngine>(converted.form, EngineSettings{}, console);
        else
            engine = std::make_unique<ClassicEngine>(converted.form, EngineSettings{}, console);
        ASSERT_EQ(engine->solve().status, Status::optimal);
        const Ranging r = compute_ranging(engine->tableau(), converted.form.variables());
        EXPECT_NEAR(r.rhs_lower[static_cast<std::size_t>(row)], 0, 1e-9) << (accurate ? "accurate" : "classic");
        EXPECT_NEAR(r.rhs_upper[static_cast<std::size_t>(row)], 0, 1e-9) << (accurate ? "accurate" : "classic");
    }
    Problem moved = model;
    moved.rows[static_cast<std::size_t>(row_named(model, "BAF...XI"))].rhs += 0.01;
    EXPECT_FALSE(testing::fresh_optimum(moved));
}

// Free columns are one column in the model's terms: a split column crossing
// zero ends no range (capri's CVI72 and stair's RFDP1 were cut off there),
// and no limit names one column as both entering and leaving.
TEST(RangingHolds, FreeColumnsCrossZeroFreely) {
    if (read_mps_file("capri").rows.empty()) GTEST_SKIP() << "no Netlib problems at " << LPSENS_NETLIB;
    const struct {
        const char* model;
        const char* row;
        bool upper;
        double limit;  // re-solving confirms it (RangingHolds.EveryNetlibProblem)
    } cases[] = {{"capri", "CVI72", false, -297.510090501184}, {"stair", "RFDP1", true, 2.0}};
    for (const auto& c : cases) {
        const auto terms = model_terms_of(c.model);
        const ModelRange& range = *terms->results.rows[static_cast<std::size_t>(row_named(terms->model, c.row))].rhs;
        EXPECT_NEAR(c.upper ? range.upper : range.lower, c.limit, 1e-6) << c.model << " " << c.row;
    }
    for (const char* name : {"capri", "stair", "tuff"}) {
        const auto terms = model_terms_of(name);
        int same = 0;
        const auto look = [&](const std::optional<ModelRange>& r) {
            if (!r) return;
            for (const auto& [entering, leaving] : {std::pair{r->entering_at_lower, r->leaving_at_lower},
                                                    std::pair{r->entering_at_upper, r->leaving_at_upper}})
                if (entering && leaving && entering->kind == ModelPlace::Kind::column &&
                    leaving->kind == ModelPlace::Kind::column && entering->index == leaving->index)
                    ++same;
        };
        for (const ModelRowResult& row : terms->results.rows) look(row.rhs);
        for (const ModelColumnResult& column : terms->results.columns) {
            look(column.cost);
            look(column.lower_bound);
            look(column.upper_bound);
        }
        EXPECT_EQ(same, 0) << name << ": limits where one column enters and leaves";
    }
}

// The JSON details of the ranging in the model's terms.
TEST(RangingHolds, ModelTermsDetails) {
    if (read_mps_file("bore3d").rows.empty()) GTEST_SKIP() << "no Netlib problems at " << LPSENS_NETLIB;
    // A fixed column's bounds moving one at a time: bore3d's EMR...XI (l = u
    // = 17.9327, reduced cost 76.57 in a minimisation) follows its lower
    // bound down to where a basic variable leaves; raising its upper bound
    // alone changes nothing, without limit.
    {
        const auto terms = model_terms_of("bore3d");
        const ModelColumnResult& c = terms->results.columns[static_cast<std::size_t>(column_named(terms->model, "EMR...XI"))];
        const double f = terms->results.objective;
        ASSERT_TRUE(c.lower_bound && c.upper_bound);
        EXPECT_NEAR(c.lower_bound->lower, 11.4698990071699, 1e-9);
        EXPECT_NEAR(c.lower_bound->objective_at_lower, 878.233252677872, 1e-6);
        EXPECT_EQ(c.lower_bound->upper, 17.9327);
        EXPECT_EQ(c.lower_bound->objective_at_upper, f);
        EXPECT_EQ(c.upper_bound->lower, 17.9327);
        EXPECT_TRUE(std::isinf(c.upper_bound->upper));
        EXPECT_EQ(c.upper_bound->objective_at_lower, f);
        EXPECT_EQ(c.upper_bound->objective_at_upper, f);
        Problem raised = terms->model;
        raised.columns[static_cast<std::size_t>(column_named(raised, "EMR...XI"))].upper = 451.7;
        EXPECT_NEAR(*testing::fresh_optimum(raised), f, 1e-6 * std::fabs(f));
    }
    // A limit computed a rounding beyond the column's other bound is that
    // bound: capri's WK4R79 (0 <= x <= 1.63966).
    {
        const auto terms = model_terms_of("capri");
        const int j = column_named(terms->model, "WK4R79");
        const ModelColumnResult& c = terms->results.columns[static_cast<std::size_t>(j)];
        EXPECT_EQ(c.lower_bound->upper, static_cast<double>(terms->model.columns[static_cast<std::size_t>(j)].upper));
    }
    // An unlimited side of a value the objective does not depend on (a zero
    // dual value, a zero column value) has the objective there; one it does
    // depend on has none (null in JSON).
    for (const char* name : {"adlittle", "kb2", "sc50b", "sc205", "scagr7", "share1b", "recipe", "bore3d", "capri", "e226"}) {
        const auto terms = model_terms_of(name);
        const double f = terms->results.objective;
        int sides = 0, wrong = 0;
        const auto look = [&](const ModelRange& r, double rate) {
            for (const auto& [limit, at] : {std::pair{r.lower, r.objective_at_lower}, std::pair{r.upper, r.objective_at_upper}}) {
                if (!std::isinf(limit)) continue;
                ++sides;
                if (rate == 0 ? at != f : !std::isinf(at)) ++wrong;
            }
        };
        for (const ModelRowResult& row : terms->results.rows) look(*row.rhs, row.dual);
        for (int j = 0; j < terms->model.column_count(); ++j) {
            const ModelColumnResult& column = terms->results.columns[static_cast<std::size_t>(j)];
            const ProblemColumn& c = terms->model.columns[static_cast<std::size_t>(j)];
            look(*column.cost, column.value);
            if (c.lower == c.upper) continue;
            // A bound moves the objective at the reduced cost when the
            // column stands at it, and not at all otherwise.
            const auto at = [&](Extended bound) {
                return std::fabs(column.value - static_cast<double>(bound)) <= 1e-9 * (1 + std::fabs(static_cast<double>(bound)));
            };
            if (column.lower_bound) look(*column.lower_bound, at(c.lower) ? column.reduced_cost : 0);
            if (column.upper_bound) look(*column.upper_bound, at(c.upper) ? column.reduced_cost : 0);
        }
        EXPECT_GT(sides, 0) << name;
        EXPECT_EQ(wrong, 0) << name << ": of " << sides << " unlimited sides";
    }
}

// The same results bit for bit from one thread and from two: the ranging of
// a model large enough to be shared is read from a second view of the
// tableau with factors of its own, in the model's terms and the form's.
TEST(ModelTermsThreads, TwoThreadsGiveOneThreadsResults) {
    for (const char* name : {"ken-07", "czprob", "80bau3b"}) {
        const std::string path = std::string(LPSENS_NETLIB) + "/../netlib-large/" + name + ".mps.gz";
        const int fd = ::open(path.c_str(), O_RDONLY);
        if (fd < 0) GTEST_SKIP() << "no " << path;
        ByteSource source(fd);
        const std::string text = source.read_rest();
        ::close(fd);
        const Problem model = read_mps(text, path);
        ASSERT_GE(model.row_count() + model.column_count(), 2000) << name << " is too small to be shared";
        std::vector<std::string> said;
        const ConvertedModel c = convert_model(model, said);
        Channel console;
        AccurateEngine engine(c.form, model, c.map, {}, console);
        const SolveResult result = engine.solve();
        ASSERT_EQ(result.status, Status::optimal) << name;
        const ModelResults one = model_results(model, c.map, c.form, result, engine.tableau(), 1e-9, 1);
        const ModelResults two = model_results(model, c.map, c.form, result, engine.tableau(), 1e-9, 2);
        const auto same_number = [](double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; };
        const auto same_place = [](const std::optional<ModelPlace>& a, const std::optional<ModelPlace>& b) {
            return a.has_value() == b.has_value() && (!a || (a->kind == b->kind && a->index == b->index));
        };
        int differ = 0;
        std::string first;
        const auto compare = [&](const std::optional<ModelRange>& a, const std::optional<ModelRange>& b, const std::string& what) {
            const bool same = a.has_value() == b.has_value() &&
                              (!a || (same_number(a->lower, b->lower) && same_number(a->upper, b->upper) &&
                                      same_number(a->objective_at_lower, b->objective_at_lower) &&
                                      same_number(a->objective_at_upper, b->objective_at_upper) &&
                                      same_number(a->rate, b->rate) && same_place(a->entering_at_lower, b->entering_at_lower) &&
                                      same_place(a->leaving_at_lower, b->leaving_at_lower) &&
                                      same_place(a->entering_at_upper, b->entering_at_upper) &&
                                      same_place(a->leaving_at_upper, b->leaving_at_upper)));
            if (!same && differ++ == 0) first = what;
        };
        for (int i = 0; i < model.row_count(); ++i)
            compare(one.rows[static_cast<std::size_t>(i)].rhs, two.rows[static_cast<std::size_t>(i)].rhs,
                    "rhs of " + model.rows[static_cast<std::size_t>(i)].name);
        for (int j = 0; j < model.column_count(); ++j) {
            const std::string& column = model.columns[static_cast<std::size_t>(j)].name;
            const ModelColumnResult &a = one.columns[static_cast<std::size_t>(j)], &b = two.columns[static_cast<std::size_t>(j)];
            compare(a.cost, b.cost, "cost of " + column);
            compare(a.lower_bound, b.lower_bound, "lower bound of " + column);
            compare(a.upper_bound, b.upper_bound, "upper bound of " + column);
        }
        EXPECT_EQ(differ, 0) << name << ": first " << first;
        // And the offsets of the form's ranging.
        const Ranging alone = compute_ranging(engine.tableau(), c.form.variables(), 1);
        const Ranging shared = compute_ranging(engine.tableau(), c.form.variables(), 2);
        for (const auto& [a, b] : {std::pair{&alone.cost_lower, &shared.cost_lower}, std::pair{&alone.cost_upper, &shared.cost_upper},
                                   std::pair{&alone.rhs_lower, &shared.rhs_lower}, std::pair{&alone.rhs_upper, &shared.rhs_upper}}) {
            ASSERT_EQ(a->size(), b->size());
            EXPECT_EQ(std::memcmp(a->data(), b->data(), a->size() * sizeof(double)), 0) << name;
        }
    }
}

}  // namespace
}  // namespace lpsens
