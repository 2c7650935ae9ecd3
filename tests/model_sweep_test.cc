// Sweeps in the model's own terms, judged by an independent method: every
// record is the best vertex at its value, the optimum is straight between
// two records and bends (or the basis changes) at each, and a sweep that
// stops early stands on the edge beyond which there is no optimum.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <random>
#include <sstream>

#include "accurate/lp_from_model.h"
#include "check/model_record_check.h"
#include "driver/options.h"
#include "model/problem.h"
#include "sweep/model_sweep.h"
#include "run_support.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::numbers_of;
using testing::read_all;

using revised::LpData;
using sweep::EndReason;


LpData mps_lp(const std::string& text, const std::string& name) { return lp_from_model(read_mps(text, name)); }

int row_named(const std::string& text, const std::string& name) {
    const Problem model = read_mps(text, "model.mps");
    for (int i = 0; i < model.row_count(); ++i)
        if (model.rows[static_cast<std::size_t>(i)].name == name) return i;
    ADD_FAILURE() << "no row " << name;
    return -1;
}

// A sweep of one row's right-hand side (rhs) or one column's cost.
sweep::Target one_item(const LpData& lp, bool costs, int index, double start, double end) {
    sweep::Target target;
    target.costs = costs;
    const auto k = static_cast<std::size_t>(index);
    const double reference = costs ? lp.cost[k] : std::isfinite(lp.row_upper[k]) ? lp.row_upper[k] : lp.row_lower[k];
    target.items.push_back({index, start, end, reference});
    return target;
}

// The LP at the items' values of a record, for an independent solve.
LpData lp_at(LpData lp, const sweep::Target& target, const std::vector<double>& values) {
    for (std::size_t k = 0; k < target.items.size(); ++k) {
        const sweep::Item& item = target.items[k];
        const auto i = static_cast<std::size_t>(item.index);
        const double shift = values[k] - item.reference;
        if (target.costs) {
            lp.cost[i] += shift;
        } else {
            if (std::isfinite(lp.row_lower[i])) lp.row_lower[i] += shift;
            if (std::isfinite(lp.row_upper[i])) lp.row_upper[i] += shift;
        }
    }
    return lp;
}

// The optimum of a bounded LP by its vertices; nothing when infeasible.
std::optional<double> best_by_vertices(const LpData& lp) {
    testing::Polyhedron poly;
    poly.n = lp.cols;
    std::vector<std::vector<long double>> rows(static_cast<std::size_t>(lp.rows),
                                               std::vector<long double>(static_cast<std::size_t>(lp.cols), 0));
    for (int j = 0; j < lp.cols; ++j)
        for (int e = lp.start[static_cast<std::size_t>(j)]; e < lp.start[static_cast<std::size_t>(j) + 1]; ++e)
            rows[static_cast<std::size_t>(lp.row_index[static_cast<std::size_t>(e)])][static_cast<std::size_t>(j)] =
                lp.value[static_cast<std::size_t>(e)];
    const auto bound = [](double v) { return static_cast<long double>(v); };
    for (int i = 0; i < lp.rows; ++i)
        poly.add_range(rows[static_cast<std::size_t>(i)], bound(lp.row_lower[static_cast<std::size_t>(i)]),
                       bound(lp.row_upper[static_cast<std::size_t>(i)]));
    for (int j = 0; j < lp.cols; ++j) {
        std::vector<long double> unit(static_cast<std::size_t>(lp.cols), 0);
        unit[static_cast<std::size_t>(j)] = 1;
        poly.add_range(unit, bound(lp.col_lower[static_cast<std::size_t>(j)]), bound(lp.col_upper[static_cast<std::size_t>(j)]));
    }
    const long double sense = lp.sense == revised::Sense::maximise ? 1 : -1;
    std::vector<long double> c;
    for (const double v : lp.cost) c.push_back(sense * v);
    const auto best = testing::best_vertex(poly, c);
    if (!best) return std::nullopt;
    return static_cast<double>(sense * *best + lp.offset);
}

const std::string mix_mps = read_all(LPSENS_EXAMPLES "/mps/mix.mps");

TEST(SweepInModelTerms, MixOrdersHasARecordOnEachBreakpointAndOnTheEdge) {
    const LpData lp = mps_lp(mix_mps, "mix.mps");
    const sweep::Result r = sweep::run_sweep(lp, one_item(lp, false, row_named(mix_mps, "orders"), 0, 80), {});
    ASSERT_EQ(r.records.size(), 3u);
    const double value[] = {0, 20, 60}, objective[] = {1960, 1960, 1800};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_NEAR(r.records[k].items[0], value[k], 1e-9) << k;
        EXPECT_NEAR(r.records[k].objective, objective[k], 1e-9) << k;
    }
    EXPECT_TRUE(r.records[0].entering.empty());
    EXPECT_FALSE(r.records[1].entering.empty());
    EXPECT_NEAR(r.records[1].slope / 80, -4, 1e-9);  // per unit of orders, beyond 20
    EXPECT_EQ(r.end, EndReason::infeasible);
    EXPECT_NEAR(r.end_t, 0.75, 1e-12);
    EXPECT_FALSE(r.before);
}

TEST(SweepInModelTerms, MixLabourStartsWhereTheModelFirstIsFeasible) {
    const LpData lp = mps_lp(mix_mps, "mix.mps");
    const sweep::Result r = sweep::run_sweep(lp, one_item(lp, false, row_named(mix_mps, "labour"), 0, 200), {});
    ASSERT_TRUE(r.before);
    EXPECT_EQ(r.before->reason, EndReason::infeasible);
    EXPECT_NEAR(r.before->to, 0.1, 1e-12);
    ASSERT_FALSE(r.records.empty());
    EXPECT_NEAR(r.records[0].items[0], 20, 1e-9);
    EXPECT_EQ(r.end, EndReason::end);
    EXPECT_EQ(r.records.back().items[0], 200);
}

TEST(SweepInModelTerms, Boeing1RangedRowFromTheEdgeOfFeasibility) {
    const std::string text = read_all(LPSENS_EXAMPLES "/../../shared/netlib/boeing1.mps");
    if (text.empty()) GTEST_SKIP() << "no Netlib problems beside the project";
    const LpData lp = mps_lp(text, "boeing1.mps");
    const sweep::Result r = sweep::run_sweep(lp, one_item(lp, false, row_named(text, "DMBOSHNL"), 0, 30), {});
    std::vector<double> values;
    for (const auto& record : r.records) values.push_back(record.items[0]);
    const auto has = [&](double v) {
        for (double x : values)
            if (std::fabs(x - v) < 1e-7) return true;
        return false;
    };
    EXPECT_TRUE(has(1.6875)) << ::testing::PrintToString(values);
    EXPECT_TRUE(has(18.6875)) << ::testing::PrintToString(values);
}

// A model with every row kind, ranges, and free, fixed, bounded and
// negative columns, boxed by ranged rows so that every optimum is a vertex.
// Its rows hold at a random point, so most sweeps start feasible.
LpData random_boxed_lp(std::mt19937& rng) {
    LpData lp;
    lp.cols = 1 + static_cast<int>(rng() % 4);
    const int m = 1 + static_cast<int>(rng() % 4);
    lp.rows = m + lp.cols;
    lp.sense = rng() % 2 ? revised::Sense::maximise : revised::Sense::minimise;
    const auto pick = [&](int low, int high) { return static_cast<double>(low + static_cast<int>(rng() % static_cast<unsigned>(high - low + 1))); };
    std::vector<double> point;
    for (int j = 0; j < lp.cols; ++j) point.push_back(pick(-3, 3));
    std::vector<std::vector<double>> a(static_cast<std::size_t>(lp.rows), std::vector<double>(static_cast<std::size_t>(lp.cols), 0));
    for (int i = 0; i < m; ++i) {
        double activity = 0;
        for (int j = 0; j < lp.cols; ++j) {
            a[i][j] = rng() % 4 == 0 ? 0 : pick(-3, 5);
            activity += a[i][j] * point[j];
        }
        const double range = rng() % 3 == 0 ? pick(0, 5) : -1;
        switch (rng() % 3) {
            case 0: {
                const double b = activity + pick(0, 4);
                lp.row_lower.push_back(range >= 0 ? b - range : -revised::infinity);
                lp.row_upper.push_back(b);
                break;
            }
            case 1: {
                const double b = activity - pick(0, 4);
                lp.row_lower.push_back(b);
                lp.row_upper.push_back(range >= 0 ? b + range : revised::infinity);
                break;
            }
            default:
                lp.row_lower.push_back(activity);
                lp.row_upper.push_back(activity + std::max(range, 0.0));
                break;
        }
    }
    for (int j = 0; j < lp.cols; ++j) {
        a[static_cast<std::size_t>(m + j)][static_cast<std::size_t>(j)] = 1;
        lp.row_lower.push_back(-50);
        lp.row_upper.push_back(50);
    }
    lp.start.push_back(0);
    for (int j = 0; j < lp.cols; ++j) {
        for (int i = 0; i < lp.rows; ++i)
            if (a[i][j] != 0) {
                lp.row_index.push_back(i);
                lp.value.push_back(a[i][j]);
            }
        lp.start.push_back(static_cast<int>(lp.row_index.size()));
        lp.cost.push_back(pick(-5, 5));
        const double l = point[j] - pick(0, 3), u = point[j] + pick(0, 3);
        switch (rng() % 6) {
            case 0: lp.col_lower.push_back(std::min(l, 0.0) ); lp.col_upper.push_back(revised::infinity); break;
            case 1: lp.col_lower.push_back(l); lp.col_upper.push_back(u); break;
            case 2: lp.col_lower.push_back(point[j]); lp.col_upper.push_back(point[j]); break;
            case 3: lp.col_lower.push_back(-revised::infinity); lp.col_upper.push_back(revised::infinity); break;
            case 4: lp.col_lower.push_back(-revised::infinity); lp.col_upper.push_back(u); break;
            default: lp.col_lower.push_back(l); lp.col_upper.push_back(revised::infinity); break;
        }
    }
    return lp;
}

// The same LP as a model, for the checks (which read models).
Problem model_of(const LpData& lp) {
    Problem p;
    p.maximise = lp.sense == revised::Sense::maximise;
    p.constant = lp.offset;
    for (int i = 0; i < lp.rows; ++i) {
        const double lower = lp.row_lower[static_cast<std::size_t>(i)], upper = lp.row_upper[static_cast<std::size_t>(i)];
        ProblemRow row;
        row.name = "r" + std::to_string(i);
        if (lower == upper) {
            row.type = 'E';
            row.rhs = lower;
        } else if (!std::isfinite(lower)) {
            row.type = 'L';
            row.rhs = upper;
        } else {
            row.type = 'G';
            row.rhs = lower;
            row.ranged = std::isfinite(upper);
            row.range = row.ranged ? upper - lower : 0;
        }
        p.rows.push_back(row);
    }
    std::vector<std::vector<std::pair<int, Extended>>> entries(static_cast<std::size_t>(lp.cols));
    for (int j = 0; j < lp.cols; ++j) {
        const auto sj = static_cast<std::size_t>(j);
        ProblemColumn column;
        column.name = "x" + std::to_string(j);
        column.cost = lp.cost[sj];
        column.lower = std::isfinite(lp.col_lower[sj]) ? Extended(lp.col_lower[sj]) : -model_infinity;
        column.upper = std::isfinite(lp.col_upper[sj]) ? Extended(lp.col_upper[sj]) : model_infinity;
        p.columns.push_back(column);
        for (int e = lp.start[sj]; e < lp.start[sj + 1]; ++e)
            entries[sj].push_back({lp.row_index[static_cast<std::size_t>(e)], lp.value[static_cast<std::size_t>(e)]});
    }
    for (const auto& column : entries) p.matrix.add_column(column);
    return p;
}

std::vector<double> values_at(const sweep::Target& target, double t) {
    std::vector<double> v;
    for (const sweep::Item& item : target.items) v.push_back(item.start + t * (item.end - item.start));
    return v;
}

std::optional<double> optimum_at(const LpData& lp, const sweep::Target& target, double t) {
    return best_by_vertices(lp_at(lp, target, values_at(target, t)));
}

bool close(double a, double b) { return std::fabs(a - b) <= 1e-6 * (1 + std::fabs(a) + std::fabs(b)); }

// Judges one sweep by vertex enumeration; returns what is wrong, or "".
std::string judge(const LpData& lp, const sweep::Target& target, const sweep::Result& r) {
    std::ostringstream wrong;
    const auto& rec = r.records;
    for (std::size_t k = 0; k < rec.size(); ++k) {
        const auto best = optimum_at(lp, target, rec[k].t);
        if (!best || !close(*best, rec[k].objective))
            wrong << "record " << k << " at t " << rec[k].t << ": " << rec[k].objective << " is not the optimum "
                  << (best ? std::to_string(*best) : "(none)") << "\n";
        if (k + 1 < rec.size()) {
            // One straight line between two records.
            const double mid = (rec[k].t + rec[k + 1].t) / 2;
            const auto at_mid = optimum_at(lp, target, mid);
            if (!at_mid || !close(*at_mid, (rec[k].objective + rec[k + 1].objective) / 2))
                wrong << "not straight between records " << k << " and " << k + 1 << "\n";
            if (!close(rec[k + 1].objective, rec[k].objective + rec[k].slope * (rec[k + 1].t - rec[k].t)))
                wrong << "record " << k << "'s slope does not lead to the next\n";
        }
        if (k > 0 && k + 1 < rec.size() && rec[k].entering.empty() && close(rec[k].slope, rec[k - 1].slope))
            wrong << "record " << k << " stands where nothing changes\n";
    }
    if (rec.empty()) {
        if (optimum_at(lp, target, 0) && r.end != EndReason::end) wrong << "no record, yet an optimum at the start\n";
        return wrong.str();
    }
    const double h = 1e-5;
    if (r.before) {
        if (rec[0].t != r.before->to) wrong << "the first record is not where the stretch ends\n";
        if (rec[0].t > h && optimum_at(lp, target, rec[0].t - h)) wrong << "an optimum before the first record\n";
    } else if (rec[0].t != 0) {
        wrong << "the first record is not at the start\n";
    }
    // One item that does not move stays at t = 0; several run t to 1.
    const bool moves = target.items.size() > 1 || target.items[0].start != target.items[0].end;
    if (r.end == EndReason::end && rec.back().t != (moves ? 1 : 0)) wrong << "ended without a record at the end\n";
    if (r.end == EndReason::infeasible || r.end == EndReason::unbounded) {
        if (rec.back().t != r.end_t) wrong << "the last record is not on the edge\n";
        if (r.end_t + h <= 1 && optimum_at(lp, target, r.end_t + h)) wrong << "an optimum beyond the edge\n";
    }
    return wrong.str();
}

std::string describe(const LpData& lp, const sweep::Target& target, const sweep::Result& r) {
    std::ostringstream out;
    out << (lp.sense == revised::Sense::maximise ? "\nmax" : "\nmin");
    for (double c : lp.cost) out << " " << c;
    out << "\n";
    for (int j = 0; j < lp.cols; ++j) {
        out << "col " << j << " [" << lp.col_lower[j] << ", " << lp.col_upper[j] << "]:";
        for (int e = lp.start[j]; e < lp.start[j + 1]; ++e) out << " r" << lp.row_index[e] << "=" << lp.value[e];
        out << "\n";
    }
    for (int i = 0; i < lp.rows; ++i) out << "row " << i << " [" << lp.row_lower[i] << ", " << lp.row_upper[i] << "]\n";
    out << (target.costs ? "costs" : "sides");
    for (const auto& item : target.items) out << " " << item.index << ":" << item.start << ":" << item.end;
    out << "\nrecords:";
    for (const auto& rec : r.records) out << " (t " << rec.t << ", obj " << rec.objective << ", slope " << rec.slope << ")";
    out << "\nend " << sweep::to_string(r.end) << " at " << r.end_t << "\n";
    return out.str();
}

TEST(SweepInModelTerms, RandomBoxedModelsJudgedByTheirVertices) {
    std::mt19937 rng(23);
    int records = 0, early = 0, late_start = 0;
#ifdef NDEBUG
    const int trials = 1000;
#else
    const int trials = 250;  // the sanitizer build runs many times slower
#endif
    for (int trial = 0; trial < trials; ++trial) {
        const LpData lp = random_boxed_lp(rng);
        const bool costs = rng() % 2;
        sweep::Target target;
        target.costs = costs;
        const int items = 1 + static_cast<int>(rng() % 2);
        for (int k = 0; k < items; ++k) {
            const int index = static_cast<int>(rng() % static_cast<unsigned>(costs ? lp.cols : lp.rows - lp.cols));
            bool repeated = false;
            for (const auto& item : target.items) repeated = repeated || item.index == index;
            if (repeated) continue;
            const auto i = static_cast<std::size_t>(index);
            const double reference =
                costs ? lp.cost[i] : std::isfinite(lp.row_upper[i]) ? lp.row_upper[i] : lp.row_lower[i];
            target.items.push_back({index, reference + static_cast<int>(rng() % 21) - 10.0,
                                    reference + static_cast<int>(rng() % 21) - 10.0, reference});
        }
        const sweep::Result r = sweep::run_sweep(lp, target, {});
        ASSERT_NE(r.end, EndReason::numerical_trouble) << "trial " << trial;
        ASSERT_NE(r.end, EndReason::unbounded) << "trial " << trial;
        const std::string wrong = judge(lp, target, r);
        EXPECT_EQ(wrong, "") << "trial " << trial << describe(lp, target, r);
        const Problem model = model_of(lp);
        for (const sweep::Record& record : r.records) {
            const CheckReport check = check_model_record(model, target, record);
            EXPECT_TRUE(check.passed()) << "trial " << trial << ": " << ::testing::PrintToString(check.findings);
        }
        records += static_cast<int>(r.records.size());
        early += r.end == EndReason::infeasible;
        late_start += r.before.has_value();
    }
    EXPECT_GT(records, 1800 * trials / 1000);
    EXPECT_GT(early, 200 * trials / 1000);
    EXPECT_GT(late_start, 200 * trials / 1000);
}

// The LP as a free MPS file, for runs of the whole program.
std::string mps_of(const LpData& lp) {
    const auto num = [](double v) {
        char buf[40];
        std::snprintf(buf, sizeof buf, "%.17g", v);
        return std::string(buf);
    };
    std::string text = "NAME RANDOM\nOBJSENSE\n    " + std::string(lp.sense == revised::Sense::maximise ? "MAX" : "MIN") +
                       "\nROWS\n N obj\n";
    std::string rhs = "RHS\n", ranges = "RANGES\n", bounds = "BOUNDS\n";
    for (int i = 0; i < lp.rows; ++i) {
        const double lower = lp.row_lower[static_cast<std::size_t>(i)], upper = lp.row_upper[static_cast<std::size_t>(i)];
        const std::string name = "r" + std::to_string(i);
        const char type = lower == upper ? 'E' : !std::isfinite(lower) ? 'L' : 'G';
        text += std::string(" ") + type + " " + name + "\n";
        rhs += " RHS " + name + " " + num(type == 'L' ? upper : lower) + "\n";
        if (type == 'G' && std::isfinite(upper)) ranges += " RNG " + name + " " + num(upper - lower) + "\n";
    }
    text += "COLUMNS\n";
    for (int j = 0; j < lp.cols; ++j) {
        const auto sj = static_cast<std::size_t>(j);
        const std::string x = "x" + std::to_string(j);
        text += " " + x + " obj " + num(lp.cost[sj]) + "\n";
        for (int e = lp.start[sj]; e < lp.start[sj + 1]; ++e)
            text += " " + x + " r" + std::to_string(lp.row_index[static_cast<std::size_t>(e)]) + " " +
                    num(lp.value[static_cast<std::size_t>(e)]) + "\n";
        const double l = lp.col_lower[sj], u = lp.col_upper[sj];
        if (l == u) {
            bounds += " FX BND " + x + " " + num(l) + "\n";
            continue;
        }
        if (!std::isfinite(l) && !std::isfinite(u)) bounds += " FR BND " + x + "\n";
        else if (!std::isfinite(l)) bounds += " MI BND " + x + "\n";
        else if (l != 0) bounds += " LO BND " + x + " " + num(l) + "\n";
        if (std::isfinite(u)) bounds += " UP BND " + x + " " + num(u) + "\n";
    }
    return text + rhs + ranges + bounds + "ENDATA\n";
}


// The whole program on generated MPS models: every record of the JSON's
// sweep in the model's terms is the best vertex at its value, the CSV has a
// record for each, and every check passes.
TEST(SweepInModelTerms, WholeRunsOfGeneratedModelsJudgedByTheirVertices) {
    std::mt19937 rng(2027);
    int records = 0;
    for (int trial = 0; trial < 150; ++trial) {
        const LpData lp = random_boxed_lp(rng);
        const bool costs = rng() % 2;
        const int index = static_cast<int>(rng() % static_cast<unsigned>(costs ? lp.cols : lp.rows - lp.cols));
        const auto i = static_cast<std::size_t>(index);
        // A row's right-hand side as the MPS file states it: the upper side
        // of an L row, else the lower one.
        const double reference =
            costs ? lp.cost[i] : std::isfinite(lp.row_lower[i]) ? lp.row_lower[i] : lp.row_upper[i];
        const double start = reference + static_cast<int>(rng() % 21) - 10.0;
        const double end = reference + static_cast<int>(rng() % 21) - 10.0;
        const std::string name = (costs ? "x" : "r") + std::to_string(index);
        const std::string json_path = ::testing::TempDir() + "/whole_sweep.json";
        RunOptions options;
        options.mode = costs ? "pv" : "rv";
        options.format = "mps";
        options.strict = true;
        options.json = json_path;
        char item[96];
        std::snprintf(item, sizeof item, "%s:%.17g:%.17g", name.c_str(), start, end);
        options.sweeps = {item};
        const auto result = testing::run_text(mps_of(lp), options);
        ASSERT_EQ(result.exit_code, 0) << "trial " << trial << "\n" << mps_of(lp) << item << "\n" << result.console;
        std::ifstream in(json_path);
        std::stringstream json;
        json << in.rdbuf();
        const std::string text = json.str();
        const std::string terms = text.substr(text.find("\"sweep\": "));
        const std::vector<double> t = numbers_of(terms, "t");
        const std::vector<double> objective = numbers_of(terms, "objective");
        ASSERT_EQ(objective.size() + 1, t.size()) << "trial " << trial;  // the end has a t too
        sweep::Target target;
        target.costs = costs;
        target.items.push_back({index, start, end, reference});
        for (std::size_t k = 0; k < objective.size(); ++k) {
            const auto best = optimum_at(lp, target, t[k]);
            ASSERT_TRUE(best) << "trial " << trial << ", t " << t[k];
            EXPECT_TRUE(close(*best, objective[k])) << "trial " << trial << ", t " << t[k] << ": " << objective[k]
                                                    << " against " << *best;
        }
        // The CSV's table has one column of values per record.
        if (!objective.empty()) {
            const std::size_t at = result.out.find("Parameter,");
            ASSERT_NE(at, std::string::npos) << result.out;
            const std::string line = result.out.substr(at, result.out.find('\r', at) - at);
            EXPECT_EQ(static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')), objective.size())
                << "trial " << trial << ": " << line;
        }
        records += static_cast<int>(objective.size());
    }
    EXPECT_GT(records, 250);
}

// The check of a record catches each kind of wrong record: mix.mps at
// orders = 20, corrupted one way at a time.
TEST(SweepInModelTerms, TheRecordCheckFindsEachWrongValue) {
    const Problem model = read_mps(mix_mps, "mix.mps");
    const LpData lp = lp_from_model(model);
    const sweep::Target target = one_item(lp, false, row_named(mix_mps, "orders"), 0, 80);
    const sweep::Result r = sweep::run_sweep(lp, target, {});
    ASSERT_GE(r.records.size(), 2u);
    const sweep::Record good = r.records[1];
    ASSERT_TRUE(check_model_record(model, target, good).passed());
    struct Case {
        const char* what;
        void (*spoil)(sweep::Record&);
        const char* finding;
    } cases[] = {
        {"objective", [](sweep::Record& x) { x.objective += 1; }, "the objective"},
        {"value beyond a bound", [](sweep::Record& x) { x.x[0] = -1; }, "outside its bounds"},
        {"activity", [](sweep::Record& x) { x.activity[0] += 0.5; }, "recomputed"},
        {"dual sign", [](sweep::Record& x) { x.dual[0] = -x.dual[0] - 1; }, "wrong sign"},
        {"reduced cost", [](sweep::Record& x) { x.reduced_cost[2] += 3; }, "reduced cost"},
        {"item value", [](sweep::Record& x) { x.items[0] = 35; }, "violated"},
    };
    for (const Case& c : cases) {
        sweep::Record bad = good;
        c.spoil(bad);
        const CheckReport check = check_model_record(model, target, bad);
        ASSERT_FALSE(check.passed()) << c.what;
        EXPECT_NE(::testing::PrintToString(check.findings).find(c.finding), std::string::npos)
            << c.what << ": " << ::testing::PrintToString(check.findings);
    }
}

// Costs that make the objective unbounded on part of the sweep: max c x - y
// with x - y <= 1 and x, y >= 0 is max(0, c) for c <= 1 and unbounded
// beyond.
TEST(SweepInModelTerms, CostsSweepsStopOrStartWhereTheObjectiveTurnsUnbounded) {
    LpData lp;
    lp.rows = 1;
    lp.cols = 2;
    lp.sense = revised::Sense::maximise;
    lp.start = {0, 1, 2};
    lp.row_index = {0, 0};
    lp.value = {1, -1};
    lp.cost = {0, -1};
    lp.col_lower = {0, 0};
    lp.col_upper = {revised::infinity, revised::infinity};
    lp.row_lower = {-revised::infinity};
    lp.row_upper = {1};
    struct Case {
        double start, end;
        std::vector<double> values;  // of the records
        EndReason end_reason;
        double end_t;
        bool before;
    } cases[] = {
        {-2, 3, {-2, 0, 1}, EndReason::unbounded, 0.6, false},  // bounded up to c = 1
        {3, -2, {1, 0, -2}, EndReason::end, 1, true},          // unbounded down to c = 1
        {2, 3, {}, EndReason::unbounded, 0, true},             // unbounded everywhere
    };
    for (const Case& c : cases) {
        sweep::Target target;
        target.costs = true;
        target.items.push_back({0, c.start, c.end, 0});
        const sweep::Result r = sweep::run_sweep(lp, target, {});
        EXPECT_EQ(r.end, c.end_reason) << c.start;
        EXPECT_NEAR(r.end_t, c.end_t, 1e-12) << c.start;
        EXPECT_EQ(r.before.has_value(), c.before) << c.start;
        ASSERT_EQ(r.records.size(), c.values.size()) << c.start;
        for (std::size_t k = 0; k < c.values.size(); ++k) {
            EXPECT_NEAR(r.records[k].items[0], c.values[k], 1e-12) << c.start;
            EXPECT_NEAR(r.records[k].objective, std::max(0.0, c.values[k]), 1e-12) << c.start;
        }
    }
}

}  // namespace
}  // namespace lpsens
