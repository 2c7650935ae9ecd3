// Ranging against re-solves: for real problems, every finite limit of every
// right-hand side and objective coefficient is moved to just inside, the
// problem is solved again from scratch, and the optimum must be the one the
// ranging promises there (the price, or the level, times the move).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <memory>

#include "accurate/accurate_engine.h"
#include "analysis/model_terms.h"
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
