// The chart of a sweep in the model's terms, read back from its SVG: every
// record's marker, taken through the axes' tick labels, stands at the
// record's swept value (or t) and optimum; the line runs through the
// markers; each item's axis runs from its start to its end; the stretches
// without an optimum are shaded where the sweep says; labels name their
// records and clear the line, the markers and every other text.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "accurate/lp_from_model.h"
#include "io/byte_source.h"
#include "model/problem.h"
#include "model/read_problem.h"
#include "report/sweep_chart.h"
#include "sweep/model_sweep.h"
#include "test_support.h"

namespace lpsens {
namespace {

using sweep::EndReason;

// ---- A reader of the chart: one element a line, told apart by class ---------

struct Element {
    std::string tag, content;
    std::map<std::string, std::string> attributes;
    bool has_class(const std::string& name) const {
        const auto it = attributes.find("class");
        if (it == attributes.end()) return false;
        std::istringstream words(it->second);
        std::string word;
        while (words >> word)
            if (word == name) return true;
        return false;
    }
    double number(const std::string& name) const {
        const auto it = attributes.find(name);
        EXPECT_NE(it, attributes.end()) << tag << " has no " << name;
        return it == attributes.end() ? NAN : std::strtod(it->second.c_str(), nullptr);
    }
};

std::string unescaped(std::string text) {
    for (const auto& [entity, c] :
         std::map<std::string, std::string>{{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
        for (auto at = text.find(entity); at != std::string::npos; at = text.find(entity, at + 1))
            text.replace(at, entity.size(), c);
    return text;
}

std::vector<Element> parse(const std::string& svg) {
    std::vector<Element> elements;
    std::istringstream in(svg);
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 2 || line[0] != '<' || line[1] == '?' || line[1] == '/') continue;
        Element e;
        std::size_t at = 1;
        while (at < line.size() && line[at] != ' ' && line[at] != '>' && line[at] != '/') e.tag += line[at++];
        const std::size_t open_end = line.find('>');
        while (true) {
            const std::size_t eq = line.find("=\"", at);
            if (eq == std::string::npos || eq > open_end) break;
            const std::size_t name_start = line.rfind(' ', eq) + 1;
            const std::size_t value_end = line.find('"', eq + 2);
            e.attributes[line.substr(name_start, eq - name_start)] = line.substr(eq + 2, value_end - eq - 2);
            at = value_end + 1;
        }
        if (e.tag == "text") e.content = unescaped(line.substr(open_end + 1, line.rfind("</text>") - open_end - 1));
        elements.push_back(e);
    }
    return elements;
}

std::vector<Element> with_class(const std::vector<Element>& all, const std::string& name) {
    std::vector<Element> out;
    for (const Element& e : all)
        if (e.has_class(name)) out.push_back(e);
    return out;
}

double value_of(const std::string& text) {
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    EXPECT_TRUE(!text.empty() && *end == '\0') << "not a number: '" << text << "'";
    return v;
}

// A linear axis read off its tick labels: the value a coordinate stands for.
struct Mapping {
    double p0 = 0, v0 = 0, p1 = 1, v1 = 1;
    double value(double p) const { return v0 + (p - p0) / (p1 - p0) * (v1 - v0); }
    double span() const { return std::fabs(v1 - v0) / std::fabs(p1 - p0); }  // value per px
};

// From the ticks' labels: at a coordinate `position` of each (x, or y - 4).
Mapping mapping(const std::vector<Element>& ticks, bool vertical) {
    Mapping m;
    EXPECT_GE(ticks.size(), 2u);
    if (ticks.size() < 2) return m;
    const auto pos = [&](const Element& t) { return vertical ? t.number("y") - 4 : t.number("x"); };
    m.p0 = pos(ticks.front());
    m.v0 = value_of(ticks.front().content);
    m.p1 = pos(ticks.back());
    m.v1 = value_of(ticks.back().content);
    for (const Element& t : ticks)
        EXPECT_NEAR(m.value(pos(t)), value_of(t.content), m.span() * 0.02) << "tick " << t.content << " off its place";
    return m;
}

// ---- Text extents: Helvetica's advance widths (Arial and Liberation Sans
// share them), in thousandths of an em, 1 em beyond ASCII; 0.8 em above the
// baseline to 0.25 em below.
constexpr int regular_widths[95] = {
    278, 278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333,  278, 278, 556, 556, 556,
    556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, 1015, 667, 667, 722, 722, 667,
    611, 778, 722, 278, 500, 667, 556, 833, 722, 778, 667, 778, 722, 667,  611, 722, 667, 944, 667,
    667, 611, 278, 278, 278, 469, 556, 333, 556, 556, 500, 556, 556, 278,  556, 556, 222, 222, 500,
    222, 833, 556, 556, 556, 556, 333, 500, 278, 556, 500, 722, 500, 500,  500, 334, 260, 334, 584};

struct Box {
    double x0, y0, x1, y1;
    bool overlaps(const Box& b) const { return x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1; }
};

Box box_of(const Element& t) {
    const double size = t.attributes.count("font-size") ? t.number("font-size") : 12;
    const bool bold = t.attributes.count("font-weight") > 0;
    double ems = 0;
    for (const char c : t.content) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 32 && b < 127)
            ems += regular_widths[b - 32] / 1000.0 * (bold ? 1.1 : 1.0);
        else if ((b & 0xC0) != 0x80)
            ems += 1;
    }
    const double w = ems * size;
    const std::string anchor = t.attributes.count("text-anchor") ? t.attributes.at("text-anchor") : "start";
    const double x = t.number("x"), y = t.number("y");
    if (t.attributes.count("transform")) {  // rotate(-90 x y): upward from (x, y)
        EXPECT_EQ(t.attributes.at("transform"), "rotate(-90 " + t.attributes.at("x") + " " + t.attributes.at("y") + ")");
        EXPECT_EQ(anchor, "start");
        return {x - 0.8 * size, y - w, x + 0.25 * size, y};
    }
    const double x0 = anchor == "middle" ? x - w / 2 : anchor == "end" ? x - w : x;
    return {x0, y - 0.8 * size, x0 + w, y + 0.25 * size};
}

bool segment_meets(const Box& b, double x0, double y0, double x1, double y1) {
    for (int k = 0; k <= 200; ++k) {
        const double x = x0 + (x1 - x0) * k / 200, y = y0 + (y1 - y0) * k / 200;
        if (x > b.x0 && x < b.x1 && y > b.y0 && y < b.y1) return true;
    }
    return false;
}

// ---- What every chart must satisfy ---------------------------------------------

struct Case {
    std::string title = "A sweep";
    bool maximise = true, costs = false;
    std::vector<std::string> items{"labour"};
    std::vector<double> starts{60}, ends{200};
    sweep::Result result;

    SweepChartInput input() const { return {title, maximise, costs, items, starts, ends, &result}; }
};

struct Drawn {
    std::vector<Element> all;
    Element frame;
    Mapping x, y;
    std::size_t labelled = 0;
};

// The chart of `c`, with every check that holds for any chart.
Drawn draw(const Case& c, const std::string& name) {
    const std::string svg = sweep_chart(c.input());
    if (const char* dir = std::getenv("LPSENS_KEEP_CHARTS")) std::ofstream(std::string(dir) + "/" + name + ".svg") << svg;
    Drawn d;
    d.all = parse(svg);
    const auto frames = with_class(d.all, "frame");
    EXPECT_EQ(frames.size(), 1u);
    if (frames.empty()) return d;
    d.frame = frames[0];
    const double left = d.frame.number("x"), top = d.frame.number("y");
    const double right = left + d.frame.number("width"), bottom = top + d.frame.number("height");
    d.x = mapping(with_class(d.all, "tick-x"), false);
    // No optimum drawn, no value axis.
    const auto y_ticks = with_class(d.all, "tick-y");
    if (!y_ticks.empty() || !with_class(d.all, "record").empty()) d.y = mapping(y_ticks, true);

    // The markers: one a record with an optimum, in order, each where its
    // record's swept value (one item moving) or t and optimum put it.
    const bool one = c.items.size() == 1 && c.starts[0] != c.ends[0];
    const auto markers = with_class(d.all, "record");
    std::vector<std::size_t> drawn;
    for (std::size_t k = 0; k < c.result.records.size(); ++k)
        if (std::isfinite(c.result.records[k].objective)) drawn.push_back(k);
    EXPECT_EQ(markers.size(), drawn.size());
    for (std::size_t m = 0; m < std::min(markers.size(), drawn.size()); ++m) {
        const sweep::Record& r = c.result.records[drawn[m]];
        const double cx = markers[m].number("cx"), cy = markers[m].number("cy");
        EXPECT_NEAR(d.x.value(cx), one ? r.items[0] : r.t, d.x.span() * 0.02) << "record " << drawn[m] + 1 << " across";
        EXPECT_NEAR(d.y.value(cy), r.objective, d.y.span() * 0.02) << "record " << drawn[m] + 1 << " up";
        EXPECT_TRUE(cx >= left - 0.01 && cx <= right + 0.01 && cy >= top - 0.01 && cy <= bottom + 0.01);
    }
    // The line: straight from marker to marker.
    const auto lines = with_class(d.all, "optimum");
    std::vector<std::pair<double, double>> points;
    if (!lines.empty()) {
        std::istringstream in(lines[0].attributes.at("points"));
        double px, py;
        char comma;
        while (in >> px >> comma >> py) points.emplace_back(px, py);
    }
    EXPECT_EQ(points.size(), markers.empty() ? 0 : markers.size());
    for (std::size_t k = 0; k < std::min(points.size(), markers.size()); ++k) {
        EXPECT_NEAR(points[k].first, markers[k].number("cx"), 0.01);
        EXPECT_NEAR(points[k].second, markers[k].number("cy"), 0.01);
    }

    // Texts inside the drawing and apart.
    std::vector<Element> texts;
    for (const Element& e : d.all)
        if (e.tag == "text") texts.push_back(e);
    const auto svg_el = d.all.front();
    const double width = svg_el.number("width"), height = svg_el.number("height");
    for (std::size_t a = 0; a < texts.size(); ++a) {
        const Box b = box_of(texts[a]);
        EXPECT_TRUE(b.x0 >= 0 && b.y0 >= 0 && b.x1 <= width && b.y1 <= height)
            << "'" << texts[a].content << "' leaves the drawing";
        for (std::size_t o = a + 1; o < texts.size(); ++o)
            EXPECT_FALSE(b.overlaps(box_of(texts[o])))
                << "'" << texts[a].content << "' and '" << texts[o].content << "' overlap";
    }
    // Record labels "(x, optimum)": each names a record near its marker and
    // covers neither the line nor a marker.
    for (const Element& label : with_class(d.all, "record-label")) {
        ++d.labelled;
        const std::string& text = label.content;
        if (text.size() < 5 || text.front() != '(' || text.back() != ')') {
            ADD_FAILURE() << "label '" << text << "' is no point";
            continue;
        }
        const auto comma = text.find(", ");
        const double x = value_of(text.substr(1, comma - 1)), z = value_of(text.substr(comma + 2, text.size() - comma - 3));
        const Box b = box_of(label);
        bool named = false;
        for (std::size_t m = 0; m < std::min(markers.size(), drawn.size()); ++m) {
            const sweep::Record& r = c.result.records[drawn[m]];
            const double rx = one ? r.items[0] : r.t;
            const double cx = markers[m].number("cx"), cy = markers[m].number("cy");
            const double gap = std::hypot(std::max({b.x0 - cx, 0.0, cx - b.x1}), std::max({b.y0 - cy, 0.0, cy - b.y1}));
            if (std::fabs(x - rx) <= 5e-7 * std::fabs(rx) + 1e-300 && std::fabs(z - r.objective) <= 5e-7 * std::fabs(r.objective) + 1e-300 &&
                gap < 60)
                named = true;
            const double radius = markers[m].number("r");
            EXPECT_FALSE(b.overlaps({cx - radius, cy - radius, cx + radius, cy + radius}))
                << "label '" << text << "' covers a marker";
        }
        EXPECT_TRUE(named) << "label '" << text << "' names no record beside it";
        for (std::size_t k = 1; k < points.size(); ++k)
            EXPECT_FALSE(segment_meets(b, points[k - 1].first, points[k - 1].second, points[k].first, points[k].second))
                << "label '" << text << "' covers the line";
    }
    return d;
}

sweep::Record record(double t, std::vector<double> items, double objective) {
    sweep::Record r;
    r.t = t;
    r.items = std::move(items);
    r.objective = objective;
    return r;
}

// One item from start to end with the records at the given t.
Case one_item(double start, double end, const std::vector<double>& t, const std::vector<double>& z) {
    Case c;
    c.starts = {start};
    c.ends = {end};
    for (std::size_t k = 0; k < t.size(); ++k) c.result.records.push_back(record(t[k], {start + t[k] * (end - start)}, z[k]));
    return c;
}

std::vector<std::string> notes(const Drawn& d) {
    std::vector<std::string> out;
    for (const Element& e : with_class(d.all, "note")) out.push_back(e.content);
    return out;
}

bool any_contains(const std::vector<std::string>& texts, const std::string& part) {
    for (const std::string& t : texts)
        if (t.find(part) != std::string::npos) return true;
    return false;
}

// The stretches of a kind, as (value at the left, value at the right).
std::vector<std::pair<double, double>> stretches(const Drawn& d, const std::string& kind) {
    std::vector<std::pair<double, double>> out;
    for (const Element& e : with_class(d.all, kind))
        if (e.has_class("stretch"))
            out.emplace_back(d.x.value(e.number("x")), d.x.value(e.number("x") + e.number("width")));
    return out;
}

// ---- Sweeps of real models --------------------------------------------------------


// A sweep of one row's right-hand side of a model, as the chart draws it.
Case row_sweep(const Problem& model, const std::string& row, double start, double end, long max_records = 1000) {
    const revised::LpData lp = lp_from_model(model);
    Case c;
    c.title = model.title;
    c.maximise = model.maximise;
    c.items = {row};
    c.starts = {start};
    c.ends = {end};
    sweep::Target target;
    for (int i = 0; i < model.row_count(); ++i)
        if (model.rows[static_cast<std::size_t>(i)].name.rfind(row, 0) == 0) {
            const auto k = static_cast<std::size_t>(i);
            target.items.push_back({i, start, end, std::isfinite(lp.row_upper[k]) ? lp.row_upper[k] : lp.row_lower[k]});
        }
    EXPECT_EQ(target.items.size(), 1u) << row;
    sweep::Limits limits;
    limits.max_records = max_records;
    c.result = sweep::run_sweep(lp, target, limits);
    return c;
}

Problem mix() { return read_mps(lpsens::testing::read_all(std::string(LPSENS_EXAMPLES) + "/mps/mix.mps"), "mix.mps"); }

// mix.mps, orders from 0 to 80: the optimum bends at 20, reaches the edge
// at 60, and nothing is feasible beyond.
TEST(SweepChart, AxisOverTheSweptValuesAndTheStretchBeyondTheEdge) {
    const Case c = row_sweep(mix(), "orders", 0, 80);
    ASSERT_EQ(c.result.records.size(), 3u);
    const Drawn d = draw(c, "mix_orders");
    // The frame runs from the start to the end of the swept values.
    const double left = d.frame.number("x"), right = left + d.frame.number("width");
    EXPECT_NEAR(d.x.value(left), 0, 1e-6);
    EXPECT_NEAR(d.x.value(right), 80, 1e-6);
    EXPECT_EQ(stretches(d, "infeasible"), (std::vector<std::pair<double, double>>{{60, 80}}));
    std::string words;
    for (const Element& e : with_class(d.all, "stretch-label")) words += (words.empty() ? "" : " ") + e.content;
    EXPECT_EQ(words, "no feasible solution");
    EXPECT_TRUE(any_contains(notes(d), "No feasible solution beyond orders = 60")) << ::testing::PrintToString(notes(d));
    EXPECT_EQ(d.labelled, 3u);
}

// labour from 0 to 200: nothing is feasible below 20.
TEST(SweepChart, ShadesTheStretchBeforeTheFirstOptimum) {
    const Case c = row_sweep(mix(), "labour", 0, 200);
    ASSERT_TRUE(c.result.before);
    const Drawn d = draw(c, "mix_labour");
    const auto shaded = stretches(d, "infeasible");
    ASSERT_EQ(shaded.size(), 1u);
    EXPECT_NEAR(shaded[0].first, 0, 1e-6);
    EXPECT_NEAR(shaded[0].second, 20, 1e-6);
    EXPECT_TRUE(any_contains(notes(d), "No feasible solution for labour from 0 to 20")) << ::testing::PrintToString(notes(d));
}

// The same model swept downward: the axis runs from the start at the left
// to the end at the right, and its caption says so.
TEST(SweepChart, DownwardSweepRunsFromItsStart) {
    const Case c = row_sweep(mix(), "labour", 200, 0);
    const Drawn d = draw(c, "mix_labour_down");
    const double left = d.frame.number("x"), right = left + d.frame.number("width");
    EXPECT_NEAR(d.x.value(left), 200, 1e-6);
    EXPECT_NEAR(d.x.value(right), 0, 1e-6);
    const auto ticks = with_class(d.all, "tick-x");
    EXPECT_GT(value_of(ticks.front().content), value_of(ticks.back().content));
    EXPECT_NE(with_class(d.all, "caption-x").at(0).content.find("from 200 down to 0"), std::string::npos);
    // Infeasible below 20: beyond the edge, at the right.
    const auto shaded = stretches(d, "infeasible");
    ASSERT_EQ(shaded.size(), 1u);
    EXPECT_NEAR(shaded[0].first, 20, 1e-6);
    EXPECT_NEAR(shaded[0].second, 0, 1e-6);
    // Too narrow for the words across: they run upward inside it.
    const auto words = with_class(d.all, "stretch-label");
    ASSERT_EQ(words.size(), 1u);
    EXPECT_EQ(words[0].content, "no feasible solution");
    const Box b = box_of(words[0]);
    EXPECT_LT(d.x.value(b.x0), 20);
    EXPECT_GT(d.x.value(b.x1), 0);
}

// A minimisation with negative optima is drawn with the model's values.
TEST(SweepChart, MinimisationInTheModelsSign) {
    revised::LpData lp;  // minimise -x - 2y, x + y <= b (b from 1 to 5), x <= 3, y <= 2
    lp.rows = 1;
    lp.cols = 2;
    lp.start = {0, 1, 2};
    lp.row_index = {0, 0};
    lp.value = {1, 1};
    lp.cost = {-1, -2};
    lp.col_lower = {0, 0};
    lp.col_upper = {3, 2};
    lp.row_lower = {-revised::infinity};
    lp.row_upper = {1};
    Case c = one_item(1, 5, {}, {});
    c.maximise = false;
    c.items = {"capacity"};
    sweep::Target target;
    target.items.push_back({0, 1, 5, 1});
    c.result = sweep::run_sweep(lp, target, {});
    // The optimum: -2b up to b = 2, then -4 - (b - 2) up to 5, then -7.
    ASSERT_EQ(c.result.records.size(), 3u);
    EXPECT_NEAR(c.result.records[0].objective, -2, 1e-9);
    EXPECT_NEAR(c.result.records[1].objective, -4, 1e-9);
    EXPECT_NEAR(c.result.records[2].objective, -7, 1e-9);
    const Drawn d = draw(c, "minimise");
    EXPECT_LT(d.y.value(with_class(d.all, "record").back().number("cy")), -6.9);
    EXPECT_EQ(with_class(d.all, "caption-y").at(0).content, "Optimal value (minimise)");
}

// Two items of very different scales: each has its own axis, from its start
// at the left edge to its end at the right, and its marks stand at its
// records' values.
TEST(SweepChart, ItemsOfDifferentScalesEachOnItsOwnAxis) {
    Case c;
    c.costs = true;
    c.items = {"small", "large"};
    c.starts = {0, 9};
    c.ends = {0.05, 74};
    for (const double t : {0.0, 0.1, 0.45, 0.8, 1.0})
        c.result.records.push_back(record(t, {0.05 * t, 9 + 65 * t}, 100 + 30 * t - 20 * t * t));
    const Drawn d = draw(c, "two_scales");
    const double left = d.frame.number("x"), right = left + d.frame.number("width");
    EXPECT_NEAR(d.x.value(left), 0, 1e-9);  // t
    EXPECT_NEAR(d.x.value(right), 1, 1e-9);
    for (std::size_t item = 0; item < 2; ++item) {
        const std::string cls = "item-" + std::to_string(item + 1);
        EXPECT_EQ(with_class(d.all, cls).front().content, c.items[item]);
        const auto ticks = with_class(with_class(d.all, "tick-item"), cls);
        ASSERT_GE(ticks.size(), 3u) << cls;
        const Mapping m = mapping(ticks, false);
        EXPECT_NEAR(m.value(left), c.starts[item], m.span() * 0.02) << cls;
        EXPECT_NEAR(m.value(right), c.ends[item], m.span() * 0.02) << cls;
        const auto marks = with_class(with_class(d.all, "item-mark"), cls);
        ASSERT_EQ(marks.size(), c.result.records.size());
        for (std::size_t k = 0; k < marks.size(); ++k)
            EXPECT_NEAR(m.value(marks[k].number("cx")), c.result.records[k].items[item], m.span() * 0.02);
    }
}

// Many items: those that move alike share an axis, one that stays put says
// so, eight axes at most and a word on the rest; names and title escaped.
TEST(SweepChart, ManyItemsSharedConstantAndLeftOver) {
    Case c;
    c.title = "Costs & <prices> \"of\" " + std::string(100, 'W');
    c.costs = true;
    c.items.clear();
    c.starts.clear();
    c.ends.clear();
    for (int k = 0; k < 12; ++k) {
        c.items.push_back(k == 3 ? std::string(60, 'M') : "c<" + std::to_string(k) + ">");
        c.starts.push_back(k == 1 ? 0 : k == 2 ? 5 : k * 10.0);
        c.ends.push_back(k == 1 ? -1e6 : k == 2 ? 5 : k * 10.0 + (k == 0 ? 1e-3 : 1e5));
    }
    c.starts[4] = c.starts[5];  // 4 and 5 move alike
    c.ends[4] = c.ends[5];
    for (const double t : {0.0, 0.3, 1.0}) {
        std::vector<double> values;
        for (std::size_t k = 0; k < 12; ++k) values.push_back(c.starts[k] + t * (c.ends[k] - c.starts[k]));
        c.result.records.push_back(record(t, values, -5e8 * (1 + t)));
    }
    const Drawn d = draw(c, "many_items");
    EXPECT_EQ(with_class(d.all, "title").at(0).content.rfind("Costs & <prices> \"of\" WWW", 0), 0u);
    EXPECT_EQ(with_class(d.all, "item-5").at(0).content, "c<4>, c<5>");
    EXPECT_EQ(with_class(d.all, "item-constant").at(0).content, "5 throughout");
    EXPECT_TRUE(with_class(d.all, "item-9").empty());
    EXPECT_TRUE(any_contains(notes(d), "The values of 3 more items are not drawn")) << ::testing::PrintToString(notes(d));
    // Item 2 runs downward: its ticks fall from left to right.
    const auto down = with_class(with_class(d.all, "tick-item"), "item-2");
    ASSERT_GE(down.size(), 2u);
    EXPECT_GT(value_of(down.front().content), value_of(down.back().content));
    EXPECT_NEAR(mapping(down, false).value(d.frame.number("x") + d.frame.number("width")), -1e6, 1e4);
}

// No sweep at all: a chart that says so.
TEST(SweepChart, NoSweep) {
    SweepChartInput input{"Nothing", true, false, {"row"}, {1}, {2}, nullptr};
    const auto all = parse(sweep_chart(input));
    EXPECT_TRUE(with_class(all, "record").empty());
    EXPECT_EQ(with_class(all, "note").at(0).content, "The sweep has no record.");
}

// Fifty breakpoints: every one marked, labels only where they fit, no grey
// bar of guide lines.
TEST(SweepChart, FiftyBreakpointsStayReadable) {
    std::vector<double> t, z;
    for (int k = 0; k < 50; ++k) {
        t.push_back(k / 49.0);
        z.push_back(1000 + 300 * k - 5.5 * k * k);
    }
    const Case c = one_item(0, 490, t, z);
    const Drawn d = draw(c, "fifty");
    EXPECT_GE(d.labelled, 8u);
    EXPECT_LT(d.labelled, 50u);
    EXPECT_TRUE(any_contains(notes(d), std::to_string(d.labelled) + " of 50 records labelled"));
    std::size_t dashed = 0;
    for (const Element& e : d.all) dashed += e.attributes.count("stroke-dasharray");
    EXPECT_EQ(dashed, 0u);
    for (const Element& m : with_class(d.all, "record")) EXPECT_LE(m.number("r"), 3);
}

// A thousand records, bunched and spread, values of every size: drawn sound.
TEST(SweepChart, ManyRecordsOfAnySize) {
    for (const double size : {1e-9, 1.0, 1e30}) {
        std::vector<double> t, z;
        for (int k = 0; k < 1000; ++k) {
            t.push_back(k < 500 ? 0.5 * k / 500 : 0.5 + 1e-5 * (k - 500) / 500);
            z.push_back(size * (1 + std::sin(k * 0.01)));
        }
        t.back() = 1;
        SCOPED_TRACE(size);
        draw(one_item(-size, size, t, z), "thousand");
    }
}

// How the sweep ended: shaded and said.
TEST(SweepChart, StretchesAndLimitNotes) {
    struct Row {
        const char* name;
        std::optional<sweep::Stretch> before;
        EndReason end;
        double end_t;
        const char* kind;  // of the stretch after the last record
        const char* note;
    };
    const std::vector<Row> rows = {
        {"unbounded_before", sweep::Stretch{EndReason::unbounded, 0, 0.25}, EndReason::end, 1, nullptr,
         "Unbounded for labour from 60 to 95"},
        {"unbounded_after", {}, EndReason::unbounded, 0.75, "unbounded", "Unbounded beyond labour = 165"},
        {"record_limit", {}, EndReason::record_limit, 0.75, "not-swept",
         "stopped at its record limit (3 records) at labour = 165; not swept beyond"},
        {"time_limit", {}, EndReason::time_limit, 0.75, "not-swept", "stopped at its time limit at labour = 165"},
        {"exchange_limit", {}, EndReason::exchange_limit, 0.75, "not-swept",
         "at labour = 165: a solve reached its exchange limit"},
        {"trouble", {}, EndReason::numerical_trouble, 0.75, "not-swept", "numerical trouble"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const double from = row.before ? 0.25 : 0;
        Case c = one_item(60, 200, {from, 0.5, 0.75}, {10, 20, 25});
        c.result.before = row.before;
        c.result.end = row.end;
        c.result.end_t = row.end_t;
        const Drawn d = draw(c, row.name);
        EXPECT_TRUE(any_contains(notes(d), row.note)) << ::testing::PrintToString(notes(d));
        if (row.before) {
            EXPECT_EQ(stretches(d, "unbounded").at(0), (std::pair<double, double>{60, 95}));
        }
        if (row.kind) {
            const auto after = stretches(d, row.kind);
            ASSERT_EQ(after.size(), 1u);
            EXPECT_NEAR(after[0].first, 165, 1e-6);
            EXPECT_NEAR(after[0].second, 200, 1e-6);
        }
    }
    // Infeasible everywhere: the whole plot shaded, no marker.
    Case c = one_item(60, 200, {}, {});
    c.result.before = sweep::Stretch{EndReason::infeasible, 0, 1};
    c.result.end = EndReason::infeasible;
    c.result.end_t = 0;
    const Drawn d = draw(c, "nowhere");
    const auto shaded = stretches(d, "infeasible");
    ASSERT_EQ(shaded.size(), 1u);
    EXPECT_NEAR(shaded[0].first, 60, 1e-6);
    EXPECT_NEAR(shaded[0].second, 200, 1e-6);
    EXPECT_TRUE(any_contains(notes(d), "No feasible solution anywhere on the sweep"));
}

// A real sweep stopped by its record limit says so.
TEST(SweepChart, RecordLimitOfARealSweep) {
    const Case c = row_sweep(mix(), "orders", 0, 80, 2);
    ASSERT_EQ(c.result.end, EndReason::record_limit);
    const Drawn d = draw(c, "mix_limit");
    EXPECT_TRUE(any_contains(notes(d), "record limit (2 records) at orders = 20"))
        << ::testing::PrintToString(notes(d));
    EXPECT_EQ(stretches(d, "not-swept").size(), 1u);
}

// examples/rhs_sweep.svg is the chart of the example's sweep (written anew
// with LPSENS_UPDATE_EXAMPLES set).
TEST(SweepChart, ExampleChartIsCurrent) {
    const std::string path = std::string(LPSENS_EXAMPLES) + "/rhs_sweep.svg";
    ByteSource source(lpsens::testing::read_all(std::string(LPSENS_EXAMPLES) + "/rhs_sweep.lp"));
    const Case c = row_sweep(read_problem(source, "native"), "labour", 60, 200);
    const std::string svg = sweep_chart(c.input());
    if (std::getenv("LPSENS_UPDATE_EXAMPLES")) std::ofstream(path, std::ios::binary) << svg;
    EXPECT_EQ(lpsens::testing::read_all(path), svg);
    draw(c, "example");
}

}  // namespace
}  // namespace lpsens
