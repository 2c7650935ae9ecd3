#include "report/sweep_chart.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "report/chart_parts.h"

namespace lpsens {

namespace {

using namespace chart;

const char* const colours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                               "#ff7f0e", "#8c564b", "#e377c2", "#17becf"};

// ---- The chart of a sweep in the model's terms -------------------------------
// One plot: the optimum against the swept item's value (one item moving) or
// against t (several, each with its own value axis under the plot).  The
// plot's x runs from the sweep's start at the left to its end at the right,
// whichever way the values go; stretches without an optimum are shaded.
namespace model {

constexpr double width = 860, right_margin = 140, plot_height = 300, top = 78;
constexpr double item_row = 40;    // the height of an item's axis under the plot
constexpr std::size_t most_item_rows = 8;  // item axes drawn at most
constexpr double note_spacing = 17;

// Items that move alike share an axis.
struct Group {
    std::vector<std::size_t> members;
    std::string names;
    double start, end;
};

struct Plot {
    double left, right, bottom = top + plot_height;
    ValueAxis y_axis;
    double x(double u) const { return left + std::clamp(u, 0.0, 1.0) * (right - left); }
    double y(double v) const {
        const double low = y_axis.ticks.front(), high = y_axis.ticks.back();
        return bottom - (v - low) / (high - low) * plot_height;
    }
    double width() const { return right - left; }
    // The x of value v on an axis that runs from start at the left to end at the right.
    double x_of(double v, double start, double end) const { return x((v - start) / (end - start)); }
};

std::string rect_element(double x0, double y0, double x1, double y1, const std::string& attributes) {
    return "<rect x=\"" + fmt("%.2f", x0) + "\" y=\"" + fmt("%.2f", y0) + "\" width=\"" + fmt("%.2f", x1 - x0) +
           "\" height=\"" + fmt("%.2f", y1 - y0) + "\"" + attributes + "/>\n";
}

bool moves(double start, double end) {
    return drawable(start) && drawable(end) &&
           std::fabs(end - start) > std::max(std::fabs(start), std::fabs(end)) * 1e-12;
}

// How a stretch without an optimum is drawn.
struct Shade {
    const char* kind;   // the class: infeasible, unbounded or not-swept
    const char* fill;
    const char* words;  // its label, the first that fits
    const char* short_words;
};

Shade shade_of(sweep::EndReason reason) {
    switch (reason) {
        case sweep::EndReason::infeasible: return {"infeasible", "#f7dcdc", "no feasible solution", "infeasible"};
        case sweep::EndReason::unbounded: return {"unbounded", "#fbe6c6", "unbounded", "unbounded"};
        default: return {"not-swept", "url(#not-swept)", "not swept", "not swept"};
    }
}

// The facts of the sweep that every part of the chart reads.
struct Sweep {
    const SweepChartInput& input;
    const sweep::Result& result;
    const std::vector<sweep::Record>& records;
    std::size_t n;      // records
    std::size_t count;  // items
    bool one;           // one item moves: the x axis carries its value
    std::string what;   // what is swept, in words

    std::string name_of(std::size_t k) const {
        return input.items[k].empty() ? "item " + std::to_string(k + 1) : input.items[k];
    }
    // Where a record stands along the x axis: 0 at the left, 1 at the right.
    double along(const sweep::Record& r) const {
        if (one && !r.items.empty() && drawable(r.items[0]))
            return (r.items[0] - input.starts[0]) / (input.ends[0] - input.starts[0]);
        return r.t;
    }
    double value_at(double t) const { return input.starts[0] + t * (input.ends[0] - input.starts[0]); }
    std::string where(double t) const {
        return one ? name_of(0) + " = " + short_number(value_at(t)) : "t = " + short_number(t);
    }
};

Sweep sweep_of(const SweepChartInput& input, const sweep::Result& result) {
    const std::size_t count = std::min({input.items.size(), input.starts.size(), input.ends.size()});
    return {input,
            result,
            result.records,
            result.records.size(),
            count,
            count == 1 && moves(input.starts[0], input.ends[0]),
            input.costs ? "cost" : input.bounds ? "bound" : "right-hand side"};
}

// The items, those that move alike together.
std::vector<Group> item_groups(const Sweep& s) {
    std::vector<Group> groups;
    for (std::size_t k = 0; k < s.count; ++k) {
        auto same = std::find_if(groups.begin(), groups.end(), [&](const Group& g) {
            return g.start == s.input.starts[k] && g.end == s.input.ends[k];
        });
        if (same == groups.end()) {
            groups.push_back({{k}, s.name_of(k), s.input.starts[k], s.input.ends[k]});
        } else {
            same->members.push_back(k);
            same->names += ", " + s.name_of(k);
        }
    }
    return groups;
}

// The plot's optimum axis, and its left edge wide enough for the tick
// labels and the names of the item axes drawn under it.
Plot fit_plot(const std::vector<double>& z, const std::vector<Group>& groups, std::size_t rows) {
    Plot plot{90, width - right_margin, top + plot_height, {}};
    // A little room above and below the extreme optima, for their labels.
    std::vector<double> heights;
    for (const double v : z)
        if (drawable(v)) heights.push_back(v);
    if (!heights.empty()) {
        const auto [low, high] = std::minmax_element(heights.begin(), heights.end());
        const double pad = (*high - *low) * 0.04;
        if (drawable(*low - pad) && drawable(*high + pad)) heights.insert(heights.end(), {*low - pad, *high + pad});
    }
    plot.y_axis = value_axis(heights);
    double widest = 0;
    for (const std::string& label : plot.y_axis.labels) widest = std::max(widest, text_width(label, text_font));
    plot.left = std::max(plot.left, std::ceil(widest + 14));
    for (std::size_t g = 0; g < rows; ++g)
        plot.left = std::max(plot.left, std::min(170.0, std::ceil(text_width(groups[g].names, text_font) + 18)));
    return plot;
}

// A stretch without an optimum, as fractions of the x axis.
struct Band {
    double from, to;
    Shade shade;
};

// The stretches without an optimum: before the first record, and after the
// last when the sweep ended short.
std::vector<Band> stretch_bands(const Sweep& s, const std::vector<double>& u) {
    const sweep::Result& result = s.result;
    std::vector<Band> bands;
    if (result.before) bands.push_back({result.before->from, result.before->to, shade_of(result.before->reason)});
    const bool short_end = result.end != sweep::EndReason::end && result.end_t < 1;
    if (short_end && !(s.n == 0 && result.before))
        bands.push_back({s.n > 0 ? std::max(result.end_t, u.back()) : result.end_t, 1, shade_of(result.end)});
    return bands;
}

// The note on the stretch without an optimum before the first record.
std::string before_note(const Sweep& s, const sweep::Stretch& stretch) {
    std::string note = stretch.reason == sweep::EndReason::unbounded ? "Unbounded" : "No feasible solution";
    if (stretch.to >= 1 && s.n == 0)
        note += " anywhere on the sweep";
    else if (s.one)
        note += " for " + s.name_of(0) + " from " + short_number(s.value_at(stretch.from)) + " to " +
                short_number(s.value_at(stretch.to));
    else
        note += " from t = " + short_number(stretch.from) + " to t = " + short_number(stretch.to);
    return note + " (shaded).";
}

// The note on why the sweep stopped before its end, if it did.
std::optional<std::string> stop_note(const Sweep& s) {
    const sweep::Result& result = s.result;
    if (result.end == sweep::EndReason::infeasible || result.end == sweep::EndReason::unbounded) {
        if (result.end_t < 1 && s.n > 0)
            return std::string(result.end == sweep::EndReason::infeasible ? "No feasible solution" : "Unbounded") +
                   " beyond " + s.where(result.end_t) + " (shaded).";
        return std::nullopt;
    }
    if (result.end == sweep::EndReason::end) return std::nullopt;
    const std::string at = s.where(result.end_t);
    std::string note;
    switch (result.end) {
        case sweep::EndReason::record_limit:
            note = "The sweep stopped at its record limit (" + std::to_string(s.n) + " records) at " + at;
            break;
        case sweep::EndReason::time_limit: note = "The sweep stopped at its time limit at " + at; break;
        case sweep::EndReason::exchange_limit:
            note = "The sweep stopped at " + at + ": a solve reached its exchange limit";
            break;
        default: note = "The sweep stopped at " + at + ": a solve could not settle (numerical trouble)"; break;
    }
    return note + (result.end_t < 1 ? "; not swept beyond (hatched)." : ".");
}

// The notes under the chart on where the sweep had no optimum.
std::vector<std::string> stretch_notes(const Sweep& s) {
    std::vector<std::string> notes;
    if (s.result.before) notes.push_back(before_note(s, *s.result.before));
    if (std::optional<std::string> note = stop_note(s)) notes.push_back(std::move(*note));
    return notes;
}

using PlacedLabels = std::vector<std::pair<Label, Box>>;

// A band's label, inside it: the words on one line, or on two, or the short
// words; in a band too narrow for those, the words upward from its foot.
void label_band(const Band& b, const Plot& plot, double radius, PlacedLabels& band_labels) {
    const double x0 = plot.x(b.from) + radius + 3, x1 = plot.x(b.to) - radius - 3;
    const std::string words = b.shade.words;
    const auto space = words.rfind(' ', words.size() / 2 + 1);
    std::vector<std::vector<std::string>> choices{{words}};
    if (space != std::string::npos) choices.push_back({words.substr(0, space), words.substr(space + 1)});
    choices.push_back({b.shade.short_words});
    for (const auto& lines : choices) {
        PlacedLabels placed;
        for (std::size_t k = 0; k < lines.size(); ++k) {
            const Label l{lines[k], (x0 + x1) / 2, top + 18 + 15 * static_cast<double>(k), Anchor::middle};
            placed.push_back({l, text_box(l.x, l.baseline, l.text, text_font, Anchor::middle)});
        }
        if (std::all_of(placed.begin(), placed.end(),
                        [&](const auto& p) { return p.second.x0 >= x0 && p.second.x1 <= x1; })) {
            band_labels.insert(band_labels.end(), placed.begin(), placed.end());
            return;
        }
    }
    const double w = text_width(words, text_font);
    if (x1 - x0 >= text_font && w + 16 <= plot_height) {
        const Label l{words, (x0 + x1) / 2 + 0.3 * text_font, plot.bottom - 8, Anchor::start};
        band_labels.push_back({l, Box{l.x - 0.9 * text_font, l.baseline - w, l.x + 0.3 * text_font, l.baseline}});
    }
}

// The records' labels "(x, optimum)", placed where they clear the bands'.
std::vector<std::optional<Label>> record_labels(const Sweep& s, const std::vector<double>& u,
                                                const std::vector<double>& z, const Plot& plot, double radius,
                                                const PlacedLabels& band_labels) {
    LabelLayout layout;
    layout.marker_radius = radius;
    layout.region = {plot.left + 2, top + 2, width - 4, plot.bottom - 2};
    for (const auto& [l, box] : band_labels) layout.reserved.push_back(box.grown(1));
    for (std::size_t k = 0; k < s.n; ++k) {
        const sweep::Record& record = s.records[k];
        layout.x.push_back(plot.x(u[k]));
        layout.y.push_back(drawable(z[k]) ? plot.y(z[k]) : NAN);
        const double x_value = s.one && !record.items.empty() ? record.items[0] : record.t;
        layout.texts.push_back("(" + short_number(x_value) + ", " + short_number(z[k]) + ")");
    }
    return place_labels(layout);
}

// The notes on what the chart leaves out.
void omission_notes(const Sweep& s, const std::vector<std::optional<Label>>& labels, std::size_t groups,
                    std::size_t rows, std::vector<std::string>& notes) {
    const auto labelled = static_cast<std::size_t>(
        std::count_if(labels.begin(), labels.end(), [](const auto& l) { return l.has_value(); }));
    if (labelled < s.n)
        notes.push_back(std::to_string(labelled) + " of " + std::to_string(s.n) +
                        " records labelled where a label has room; the reports list every one.");
    if (s.n == 0 && notes.empty()) notes.push_back("The sweep has no record.");
    if (groups > rows && !s.one)
        notes.push_back("The values of " + std::to_string(groups - rows) +
                        " more items are not drawn; the reports list them.");
}

// The document's head: its size, the hatching of stretches not swept and
// the white ground.
std::string svg_head(double height) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"860\" height=\"" +
           fmt("%.0f", height) + "\" viewBox=\"0 0 860 " + fmt("%.0f", height) +
           "\" font-family=\"sans-serif\" font-size=\"12\">\n"
           "<defs><pattern id=\"not-swept\" width=\"8\" height=\"8\" patternUnits=\"userSpaceOnUse\" "
           "patternTransform=\"rotate(45)\"><rect width=\"8\" height=\"8\" fill=\"#f0f0f0\"/>"
           "<line x1=\"0\" y1=\"0\" x2=\"0\" y2=\"8\" stroke=\"#d0d0d0\" stroke-width=\"3\"/></pattern></defs>\n"
           "<rect width=\"860\" height=\"" +
           fmt("%.0f", height) + "\" fill=\"white\"/>\n";
}

// The problem's title and a line on what was swept.
std::string titles(const Sweep& s) {
    const SweepChartInput& input = s.input;
    std::string svg = text_element(width / 2, 26, fitted(input.title, title_font, width - 8, true),
                                   " class=\"title\" text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\"");
    std::string subtitle;
    if (s.one)
        subtitle = s.what + " of " + s.name_of(0) + " swept from " + short_number(input.starts[0]) + " to " +
                   short_number(input.ends[0]);
    else
        subtitle = s.what + "s of " + std::to_string(s.count) + (input.costs || input.bounds ? " columns" : " rows") +
                   " swept together, t from 0 to 1";
    subtitle += std::string(input.maximise ? "; maximise; " : "; minimise; ") + std::to_string(s.n) +
                (s.n == 1 ? " record" : " records");
    return svg + text_element(width / 2, 46, fitted(subtitle, text_font, width - 8),
                              " class=\"subtitle\" text-anchor=\"middle\" fill=\"#555\"");
}

// The axes: the optimum up, the swept value (or t) across, and their
// captions.
std::string axes(const Sweep& s, const Plot& plot, bool y_ticks, double x_labels) {
    const SweepChartInput& input = s.input;
    std::string svg;
    for (std::size_t k = 0; k < (y_ticks ? plot.y_axis.ticks.size() : 0); ++k) {
        const double y = plot.y(plot.y_axis.ticks[k]);
        svg += line_element(plot.left - 5, y, plot.right, y, " stroke=\"#e2e2e2\"");
        svg += text_element(plot.left - 8, y + 4, plot.y_axis.labels[k], " class=\"tick-y\" text-anchor=\"end\"");
    }
    const ValueAxis x_axis = s.one ? interval_axis(input.starts[0], input.ends[0], plot.width(), text_font)
                                   : interval_axis(0, 1, plot.width(), text_font);
    for (std::size_t k = 0; k < x_axis.ticks.size(); ++k) {
        const double x = s.one ? plot.x_of(x_axis.ticks[k], input.starts[0], input.ends[0]) : plot.x(x_axis.ticks[k]);
        svg += line_element(x, plot.bottom, x, plot.bottom + 5, " stroke=\"#444\"");
        svg += text_element(x, x_labels, x_axis.labels[k], " class=\"tick-x\" text-anchor=\"middle\"");
    }
    svg += text_element(plot.left, top - 8, std::string("Optimal value (") + (input.maximise ? "maximise)" : "minimise)"),
                        " class=\"caption-y\" font-weight=\"bold\"");
    std::string caption;
    if (s.one) {
        caption = s.what + " of " + s.name_of(0);
        if (input.starts[0] > input.ends[0])
            caption += ", swept from " + short_number(input.starts[0]) + " down to " + short_number(input.ends[0]) +
                       " (left to right)";
    } else {
        caption = "parameter t; each item's value at t on its own axis below";
    }
    return svg + text_element((plot.left + plot.right) / 2, x_labels + 18, fitted(caption, text_font, width - 8),
                              " class=\"caption-x\" text-anchor=\"middle\"");
}

// The optimum: one straight line between two records, every record marked
// (up to 100 records with a tick on the x axis too; up to 12 with a guide
// down to it).
std::string optimum_line(const std::vector<double>& u, const std::vector<double>& z, const Plot& plot,
                         double radius) {
    const std::size_t n = u.size();
    std::string svg;
    for (std::size_t k = 0; k < n; ++k) {
        const double x = plot.x(u[k]);
        if (n <= 12 && drawable(z[k]))
            svg += line_element(x, plot.y(z[k]) + radius, x, plot.bottom, " stroke=\"#bbb\" stroke-dasharray=\"3 3\"");
        if (n <= 100) svg += line_element(x, plot.bottom - 5, x, plot.bottom, " stroke=\"#1f77b4\"");
    }
    std::string points;
    for (std::size_t k = 0; k < n; ++k)
        if (drawable(z[k])) points += fmt("%.2f,", plot.x(u[k])) + fmt("%.2f ", plot.y(z[k]));
    if (!points.empty())
        svg += "<polyline class=\"optimum\" points=\"" + points +
               "\" fill=\"none\" stroke=\"#1f77b4\" stroke-width=\"2\"/>\n";
    for (std::size_t k = 0; k < n; ++k)
        if (drawable(z[k]))
            svg += "<circle class=\"record\" cx=\"" + fmt("%.2f", plot.x(u[k])) + "\" cy=\"" + fmt("%.2f", plot.y(z[k])) +
                   "\" r=\"" + fmt("%g", radius) + "\" fill=\"#1f77b4\"/>\n";
    return svg;
}

// The bands' labels, then the records' that found room.
std::string labels_drawn(const PlacedLabels& band_labels, const std::vector<std::optional<Label>>& labels) {
    std::string svg;
    for (const auto& [l, box] : band_labels)
        svg += text_element(l.x, l.baseline, l.text,
                            std::string(" class=\"stretch-label\"") +
                                (l.anchor == Anchor::middle ? " text-anchor=\"middle\""
                                                            : " transform=\"rotate(-90 " + fmt("%.2f", l.x) + " " +
                                                                  fmt("%.2f", l.baseline) + ")\"") +
                                " fill=\"#8a3030\"");
    for (const auto& label : labels)
        if (label) svg += label_element(*label);
    return svg;
}

// The axis of group g at height y under the plot, from its start at the
// left to its end at the right, every record marked on it.
std::string item_axis(const Sweep& s, const Group& group, std::size_t g, const Plot& plot, double y) {
    const std::string colour = colours[g % 8];
    const std::string cls = "item-" + std::to_string(g + 1);
    std::string svg = text_element(plot.left - 10, y + 4, fitted(group.names, text_font, plot.left - 18),
                                   " class=\"item-name " + cls + "\" text-anchor=\"end\" fill=\"" + colour + "\"");
    svg += line_element(plot.left, y, plot.right, y, " class=\"item-axis " + cls + "\" stroke=\"" + colour + "\"");
    if (!moves(group.start, group.end)) {
        svg += text_element((plot.left + plot.right) / 2, y + 16, short_number(group.start) + " throughout",
                            " class=\"item-constant " + cls + "\" text-anchor=\"middle\"");
    } else {
        const ValueAxis axis = interval_axis(group.start, group.end, plot.width(), text_font);
        for (std::size_t k = 0; k < axis.ticks.size(); ++k) {
            const double x = plot.x_of(axis.ticks[k], group.start, group.end);
            svg += line_element(x, y, x, y + 4, " stroke=\"" + colour + "\"");
            svg += text_element(x, y + 16, axis.labels[k], " class=\"tick-item " + cls + "\" text-anchor=\"middle\"");
        }
    }
    const std::size_t member = group.members.front();
    for (const sweep::Record& r : s.records) {
        if (member >= r.items.size() || !drawable(r.items[member])) continue;
        const double x = moves(group.start, group.end) ? plot.x_of(r.items[member], group.start, group.end)
                                                       : plot.x(r.t);
        svg += "<circle class=\"item-mark " + cls + "\" cx=\"" + fmt("%.2f", x) + "\" cy=\"" + fmt("%.2f", y) +
               "\" r=\"2.5\" fill=\"" + colour + "\"/>\n";
    }
    return svg;
}

}  // namespace model

}  // namespace

std::string sweep_chart(const SweepChartInput& input) {
    using namespace model;
    const sweep::Result none;
    const Sweep s = sweep_of(input, input.sweep ? *input.sweep : none);
    const std::size_t n = s.n;

    // Where each record stands along the x axis, and its optimum.
    std::vector<double> u(n), z(n);
    for (std::size_t k = 0; k < n; ++k) {
        u[k] = s.along(s.records[k]);
        z[k] = s.records[k].objective;
    }
    const std::vector<Group> groups = item_groups(s);
    const std::size_t rows = s.one ? 0 : std::min(groups.size(), most_item_rows);
    const Plot plot = fit_plot(z, groups, rows);
    const bool y_ticks = std::any_of(z.begin(), z.end(), [](double v) { return drawable(v); });
    const double radius = n <= 20 ? 4 : n <= 60 ? 3 : 2;

    // Labels: the stretches' first, inside their bands; then the records'.
    const std::vector<Band> bands = stretch_bands(s, u);
    std::vector<std::string> notes = stretch_notes(s);
    PlacedLabels band_labels;
    for (const Band& b : bands) label_band(b, plot, radius, band_labels);
    const std::vector<std::optional<Label>> labels = record_labels(s, u, z, plot, radius, band_labels);
    omission_notes(s, labels, groups.size(), rows, notes);

    const double x_labels = plot.bottom + 18;
    const double rows_top = x_labels + 18 + 26;  // below the x axis's caption
    const double notes_top =
        rows > 0 ? rows_top + static_cast<double>(rows - 1) * item_row + 30 : x_labels + 18 + 12;
    const double height = std::ceil(notes_top + static_cast<double>(notes.size()) * note_spacing + 4);

    std::string svg = svg_head(height) + titles(s);
    for (const Band& b : bands)
        svg += rect_element(plot.x(b.from), top, plot.x(b.to), plot.bottom,
                            std::string(" class=\"stretch ") + b.shade.kind + "\" fill=\"" + b.shade.fill + "\"");
    svg += rect_element(plot.left, top, plot.right, plot.bottom, " class=\"frame\" fill=\"none\" stroke=\"#444\"");
    svg += axes(s, plot, y_ticks, x_labels);
    svg += optimum_line(u, z, plot, radius);
    svg += labels_drawn(band_labels, labels);
    for (std::size_t g = 0; g < rows; ++g)
        svg += item_axis(s, groups[g], g, plot, rows_top + static_cast<double>(g) * item_row);
    for (std::size_t k = 0; k < notes.size(); ++k)
        svg += text_element(16, notes_top + note_spacing * (static_cast<double>(k) + 0.7),
                            fitted(notes[k], text_font, width - 32), " class=\"note\"");
    return svg + "</svg>\n";
}

}  // namespace lpsens
