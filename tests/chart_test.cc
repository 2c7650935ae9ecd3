// The chart of a sweep, read back from its SVG: every point inside its
// panel's frame, drawn at the height its value axis says, every text inside
// the drawing and clear of every other text, the end records labelled.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "report/sweep_chart.h"
#include "test_support.h"

namespace lpsens {
namespace {

// ---- A minimal reader of the chart: one element a line ----------------------

struct Frame {
    double x, y, w, h;
};

struct Point {
    double cx, cy;
    std::size_t frame;  // the frame drawn last before it
};

struct Text {
    double x, y, size;
    std::string anchor, content;
    bool bold;
};

struct Chart {
    double width = 0, height = 0;
    std::vector<Frame> frames;
    std::vector<Point> points;
    std::vector<Text> texts;
};

std::string attribute(const std::string& line, const std::string& name) {
    const std::string key = " " + name + "=\"";
    const auto at = line.find(key);
    if (at == std::string::npos) return "";
    const auto start = at + key.size();
    return line.substr(start, line.find('"', start) - start);
}

double number(const std::string& text) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    EXPECT_TRUE(!text.empty() && *end == '\0') << "not a number: '" << text << "'";
    return v;
}

std::string unescaped(std::string text) {
    for (const auto& [entity, c] :
         std::map<std::string, std::string>{{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
        for (auto at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, entity.size(), c);
    return text;
}

Chart parse(const std::string& svg) {
    Chart chart;
    std::istringstream in(svg);
    std::string line;
    double font = 0;
    while (std::getline(in, line)) {
        if (line.rfind("<svg", 0) == 0) {
            chart.width = number(attribute(line, "width"));
            chart.height = number(attribute(line, "height"));
            font = number(attribute(line, "font-size"));
        } else if (line.rfind("<rect", 0) == 0 && !attribute(line, "x").empty()) {
            chart.frames.push_back({number(attribute(line, "x")), number(attribute(line, "y")),
                                    number(attribute(line, "width")), number(attribute(line, "height"))});
        } else if (line.rfind("<circle", 0) == 0) {
            EXPECT_FALSE(chart.frames.empty()) << line;
            chart.points.push_back(
                {number(attribute(line, "cx")), number(attribute(line, "cy")), chart.frames.size() - 1});
        } else if (line.rfind("<text", 0) == 0) {
            const auto open = line.find('>'), close = line.rfind("</text>");
            EXPECT_NE(close, std::string::npos) << line;
            const std::string size = attribute(line, "font-size"), anchor = attribute(line, "text-anchor");
            chart.texts.push_back({number(attribute(line, "x")), number(attribute(line, "y")),
                                   size.empty() ? font : number(size), anchor.empty() ? "start" : anchor,
                                   unescaped(line.substr(open + 1, close - open - 1)),
                                   attribute(line, "font-weight") == "bold"});
        }
    }
    return chart;
}

// A text's box: the advance widths of the printable ASCII characters in a
// common sans-serif face (Helvetica's metrics, which Arial and Liberation
// Sans share), in thousandths of an em, 1 em for any other character; from
// 0.8 em above the baseline to 0.25 em below it.
constexpr int regular_widths[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333,  278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667,
    611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667,  611, 722, 667, 944, 667,
    667, 611, 278, 278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278,  556, 556, 222, 222, 500,
    222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500,  500, 334, 260, 334, 584};
constexpr int bold_widths[95] = {
    278, 333, 474, 556, 556, 889, 722, 238, 333, 333, 389, 584, 278, 333, 278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 333, 333, 584, 584, 584, 611, 975, 722, 722, 722, 722, 667,
    611, 778, 722, 278, 556, 722, 611, 833, 722, 778, 667, 778, 722, 667, 611, 722, 667, 944, 667,
    667, 611, 333, 278, 333, 584, 556, 333, 556, 611, 556, 611, 556, 333, 611, 611, 278, 278, 556,
    278, 889, 611, 611, 611, 611, 389, 556, 333, 611, 556, 778, 556, 556, 500, 389, 280, 389, 584};

struct Box {
    double x0, y0, x1, y1;
};

Box box_of(const Text& t) {
    double ems = 0;
    for (const char c : t.content) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 32 && b < 127)
            ems += (t.bold ? bold_widths : regular_widths)[b - 32] / 1000.0;
        else if ((b & 0xC0) != 0x80)
            ems += 1;
    }
    const double w = ems * t.size;
    const double x0 = t.anchor == "middle" ? t.x - w / 2 : t.anchor == "end" ? t.x - w : t.x;
    return {x0, t.y - 0.8 * t.size, x0 + w, t.y + 0.25 * t.size};
}

bool overlap(const Box& a, const Box& b) { return a.x0 < b.x1 && b.x0 < a.x1 && a.y0 < b.y1 && b.y0 < a.y1; }

// ---- What every chart must satisfy -----------------------------------------

// The value ticks of a frame: the texts anchored at their end left of it.
std::vector<std::pair<double, double>> ticks_of(const Chart& chart, const Frame& f) {
    std::vector<std::pair<double, double>> ticks;  // (y of the tick, value)
    for (const Text& t : chart.texts)
        if (t.anchor == "end" && t.x < f.x && t.y - 4 >= f.y - 0.05 && t.y - 4 <= f.y + f.h + 0.05)
            ticks.emplace_back(t.y - 4, number(t.content));
    return ticks;
}

// The value a height stands for, read off the frame's tick labels.
double value_at(const std::vector<std::pair<double, double>>& ticks, double y) {
    const auto& [y0, v0] = ticks.front();
    const auto& [y1, v1] = ticks.back();
    return v0 + (y - y0) / (y1 - y0) * (v1 - v0);
}

void expect_sound(const Chart& chart, const std::vector<double>& optimum, const std::vector<double>& t) {
    ASSERT_EQ(chart.frames.size(), 2u);
    for (const Point& p : chart.points) {
        const Frame& f = chart.frames[p.frame];
        EXPECT_TRUE(p.cx >= f.x && p.cx <= f.x + f.w && p.cy >= f.y && p.cy <= f.y + f.h)
            << "point (" << p.cx << ", " << p.cy << ") outside frame " << p.frame << " (" << f.x << ", "
            << f.y << ", " << f.w << ", " << f.h << ")";
    }
    for (const Text& t : chart.texts) {
        const Box b = box_of(t);
        EXPECT_TRUE(b.x0 >= 0 && b.y0 >= 0 && b.x1 <= chart.width && b.y1 <= chart.height)
            << "'" << t.content << "' at (" << t.x << ", " << t.y << ") leaves the drawing";
    }
    for (std::size_t a = 0; a < chart.texts.size(); ++a)
        for (std::size_t b = a + 1; b < chart.texts.size(); ++b)
            EXPECT_FALSE(overlap(box_of(chart.texts[a]), box_of(chart.texts[b])))
                << "'" << chart.texts[a].content << "' at (" << chart.texts[a].x << ", " << chart.texts[a].y
                << ") and '" << chart.texts[b].content << "' at (" << chart.texts[b].x << ", "
                << chart.texts[b].y << ")";

    // Each frame runs from its lowest tick to its highest; the ticks are
    // evenly spaced round numbers, written without a negative zero.
    for (const Frame& f : chart.frames) {
        const auto ticks = ticks_of(chart, f);
        ASSERT_GE(ticks.size(), 2u);
        EXPECT_NEAR(ticks.front().first, f.y + f.h, 0.05);
        EXPECT_NEAR(ticks.back().first, f.y, 0.05);
        const double step = ticks[1].second - ticks[0].second;
        EXPECT_GT(step, 0);
        for (std::size_t k = 1; k < ticks.size(); ++k)
            EXPECT_NEAR(ticks[k].second - ticks[k - 1].second, step, std::fabs(step) * 1e-6);
    }
    for (const Text& t : chart.texts) {
        EXPECT_NE(t.content.rfind("-0", 0) == 0 && t.content.find_first_of("123456789") == std::string::npos,
                  true)
            << t.content;
    }

    // The upper panel's points, in order, are the records, each at the
    // height its value has on the axis.
    std::vector<Point> upper;
    for (const Point& p : chart.points)
        if (p.frame == 0) upper.push_back(p);
    ASSERT_EQ(upper.size(), optimum.size());
    const auto ticks = ticks_of(chart, chart.frames[0]);
    const double span = ticks.back().second - ticks.front().second;
    for (std::size_t k = 0; k < upper.size(); ++k)
        EXPECT_NEAR(value_at(ticks, upper[k].cy), optimum[k], span / chart.frames[0].h * 0.01)
            << "record " << k + 1;

    // Record labels ("value" or "value (t=t)") name a record; the first and
    // the last record have one.
    std::vector<bool> labelled(optimum.size(), false);
    for (const Text& text : chart.texts) {
        if (text.size != 11) continue;
        const auto open = text.content.find(" (t=");
        const double value = number(text.content.substr(0, open));
        const double at = open == std::string::npos
                              ? 0
                              : number(text.content.substr(open + 4, text.content.size() - open - 5));
        bool found = false;
        for (std::size_t k = 0; k < optimum.size(); ++k)
            if (std::fabs(value - optimum[k]) <= 0.0005 + std::fabs(optimum[k]) * 5e-4 &&
                std::fabs(at - t[k]) <= 0.0005) {
                labelled[k] = true;
                found = true;
            }
        EXPECT_TRUE(found) << "label '" << text.content << "' names no record";
    }
    EXPECT_TRUE(labelled.front()) << "first record unlabelled";
    EXPECT_TRUE(labelled.back()) << "last record unlabelled";
}

// ---- Synthetic sweeps ---------------------------------------------------------

struct Synthetic {
    const char* name;
    std::vector<double> t, optimum;
    double start = 60, end = 200;  // the one swept item (several when items > 1)
    int items = 1;
    bool pv = false;
};

std::vector<double> spread(int n, double from, double to) {
    std::vector<double> v;
    for (int k = 0; k < n; ++k) v.push_back(n == 1 ? from : from + (to - from) * k / (n - 1));
    return v;
}

std::vector<double> concave(int n) {
    std::vector<double> v;
    for (int k = 0; k < n; ++k) v.push_back(1000.123 + 300 * k - 8.5 * k * k);
    return v;
}

// Twenty records bunched after t = 0.5, 0.00002 apart, values rising slowly.
std::vector<double> bunched_t() {
    std::vector<double> v{0};
    for (int k = 1; k < 20; ++k) v.push_back(0.5 + 0.00002 * k);
    return v;
}

const std::vector<Synthetic>& synthetic_cases() {
    static const std::vector<Synthetic> cases = {
        {"NonRoundMaximum", {0, 0.357}, {0, 1830.036}},
        {"NonRoundMinimum", {0, 0.4, 1}, {-1830.036, -1200, -980}},
        {"NonRoundBothEnds", {0, 0.357, 1}, {980.5, 1830.036, 2999.99}},
        {"OneRecord", {0}, {1830.036}},
        {"OneRecordAtZero", {0}, {0}},
        {"Flat", {0, 0.5, 1}, {42, 42, 42}, 5, 5},
        {"FlatNegative", {0, 0.3, 0.6, 1}, {-7.25, -7.25, -7.25, -7.25}},
        {"TwentySpread", spread(20, 0, 1), concave(20)},
        {"TwentyBunched", bunched_t(), spread(20, 100, 100.019)},
        {"TwentyAtTheEnd", spread(20, 0.98, 1), spread(20, 500, 520)},
        {"EqualValuesSideBySide", spread(8, 0, 1), std::vector<double>(8, 1234.5)},
        {"Negative", {0, 0.25, 0.7, 1}, {-5000.5, -1200.25, -40, -3.75}, -10, -2000},
        {"Huge", {0, 0.5, 1}, {1e30, 2.5e30, 7e30}, 1e30, 3e30},
        {"HugeMixedSigns", {0, 0.2, 0.9, 1}, {-3e30, 1e28, 4.2e30, 4.3e30}, -1e25, 1e25},
        {"Tiny", {0, 0.5, 1}, {1e-9, 2e-9, 3.5e-9}, 1e-9, 2e-9},
        {"SmallMixedSigns", {0, 0.5, 1}, {-0.004, 0, 0.0031}, -0.5, 0.5},
        {"LargeNearlyFlat", {0, 0.5, 1}, {1234567.001, 1234567.002, 1234567.004}},
        {"ManyItems", spread(5, 0, 1), concave(5), 0, 1e6, 25, true},
    };
    return cases;
}

// A failing chart is kept to be looked at (every chart, with
// LPSENS_KEEP_CHARTS set).
void keep(const std::string& svg, const std::string& name, bool failed) {
    if (!failed && !std::getenv("LPSENS_KEEP_CHARTS")) return;
    const std::string path = ::testing::TempDir() + "lpsens_chart_" + name + ".svg";
    std::ofstream(path, std::ios::binary) << svg;
    if (failed) ADD_FAILURE() << "chart kept in " << path;
}

void PrintTo(const Synthetic& c, std::ostream* os) { *os << c.name; }

class SyntheticChart : public ::testing::TestWithParam<Synthetic> {};

// The chart of a synthetic sweep, checked.
void check_synthetic(const Synthetic& c) {
    DocumentedForm form;
    form.problem.title = c.items > 1 ? std::string(120, 'W') + " & <long> title" : "Synthetic sweep";
    form.problem.rows.resize(static_cast<std::size_t>(c.items));
    form.problem.columns.resize(static_cast<std::size_t>(c.items));
    SweepItems items;
    items.objective = c.pv;
    for (int k = 1; k <= c.items; ++k) {
        form.row_name(k) = form.column_name(k) =
            c.items > 1 ? "item_" + std::to_string(k) + std::string(70, 'M') : "labour";
        items.index.push_back(k);
        items.start.push_back(StoredReal{c.start * k});
        items.end.push_back(StoredReal{c.end * k});
    }
    std::vector<SweepRecord> records;
    for (std::size_t s = 0; s < c.t.size(); ++s) {
        SweepRecord r;
        r.t = StoredReal{c.t[s]};
        r.items.push_back(StoredReal{});
        for (int k = 1; k <= c.items; ++k)
            r.items.push_back(StoredReal{k * (c.start + (c.end - c.start) * c.t[s])});
        r.values = {c.optimum[s], 1, 2};
        records.push_back(r);
    }
    const std::string svg = sweep_chart(form, items, records);
    const Chart chart = parse(svg);
    expect_sound(chart, c.optimum, c.t);
    EXPECT_EQ(chart.points.size(), c.t.size() * static_cast<std::size_t>(c.items + 1));
    keep(svg, c.name, ::testing::Test::HasFailure());
}

TEST_P(SyntheticChart, PointsInFramesLabelsApart) { check_synthetic(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Sweeps, SyntheticChart, ::testing::ValuesIn(synthetic_cases()),
                         [](const auto& info) { return std::string(info.param.name); });

// Sweeps drawn at random: 1 to 20 records at increasing t from 0, optimal
// values of a random size (1e-12 to 1e35) and sign, spread from nothing to
// several times their size, one to three items.
TEST(RandomChart, PointsInFramesLabelsApart) {
    std::mt19937 random(20240607);
    const auto uniform = [&](double a, double b) { return a + (b - a) * (random() / 4294967296.0); };
    for (int sweep = 0; sweep < 300 && !::testing::Test::HasFailure(); ++sweep) {
        Synthetic c{"Random", {0}, {}};
        const int records = 1 + static_cast<int>(random() % 20);
        const bool bunched = random() % 3 == 0;
        for (int k = 1; k < records; ++k)
            c.t.push_back(std::min(1.0, c.t.back() + (bunched ? 0.00002 : uniform(0.00002, 2.0 / records))));
        const double size = std::pow(10.0, uniform(-12, 35)) * (random() % 2 ? 1 : -1);
        const double spread = std::pow(10.0, uniform(-10, 1));
        for (int k = 0; k < records; ++k) c.optimum.push_back(size * (1 + spread * uniform(-1, 1)));
        c.start = uniform(-1e3, 1e3);
        c.end = random() % 4 == 0 ? c.start : uniform(-1e6, 1e6);
        c.items = 1 + static_cast<int>(random() % 3);
        c.pv = random() % 2 == 0;
        SCOPED_TRACE("random sweep " + std::to_string(sweep));
        check_synthetic(c);
    }
}

// ---- Real sweeps, run through the program ------------------------------------

struct RealSweep {
    const char* name;
    const char* file;
    const char* mode;
};

void PrintTo(const RealSweep& c, std::ostream* os) { *os << c.name; }

class RealChart : public ::testing::TestWithParam<RealSweep> {};

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The optimal values and t of the records, from the parametric table.
void read_table(const std::string& out, std::vector<double>& optimum, std::vector<double>& t) {
    std::istringstream in(out);
    std::string line;
    const auto row = [](const std::string& text, std::vector<double>& into) {
        std::istringstream fields(text.substr(text.find(',') + 1));
        std::string field;
        while (std::getline(fields, field, ',')) {
            const auto first = field.find_first_not_of(' '), last = field.find_last_not_of(" \r");
            into.push_back(number(field.substr(first, last + 1 - first)));
        }
    };
    while (std::getline(in, line)) {
        if (line.find("Parameter,") != std::string::npos) row(line, t);
        if (line.find("Optimal value,") != std::string::npos) row(line, optimum);
    }
}

TEST_P(RealChart, PointsInFramesLabelsApart) {
    const RealSweep& c = GetParam();
    RunOptions options;
    options.mode = c.mode;
    options.chart = ::testing::TempDir() + "lpsens_chart_" + c.name + ".svg";
    std::remove(options.chart.c_str());
    const auto run = testing::run_text(read_file(std::string(LPSENS_EXAMPLES) + "/" + c.file), options);
    ASSERT_EQ(run.exit_code, 0) << run.console;
    std::vector<double> optimum, t;
    read_table(run.out, optimum, t);
    ASSERT_GE(optimum.size(), 3u);
    ASSERT_EQ(optimum.size(), t.size());
    const std::string svg = read_file(options.chart);
    std::remove(options.chart.c_str());
    expect_sound(parse(svg), optimum, t);
    keep(svg, c.name, HasFailure());
}

INSTANTIATE_TEST_SUITE_P(Examples, RealChart,
                         ::testing::Values(RealSweep{"rhs", "rhs_sweep.lp", "rv"},
                                           RealSweep{"objective", "objective_sweep.lp", "pv"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lpsens
