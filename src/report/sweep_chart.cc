#include "report/sweep_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numeric>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

namespace lpsens {

namespace {

// The page: two panels one above the other, t across, values up; the right
// margin holds the labels of the last records (upper panel) and the legend
// (lower panel).  The left margin widens when the value ticks need it.
constexpr double width = 860, height = 600, right = 230, panel_height = 210;
constexpr double min_left = 90;
constexpr double top1 = 70, top2 = 345;
constexpr double plot_right = width - right;
constexpr double text_font = 12, title_font = 16, label_font = 11;
constexpr double legend_spacing = 16;
const char* const colours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd",
                               "#ff7f0e", "#8c564b", "#e377c2", "#17becf"};

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else if (c == '"')
            out += "&quot;";
        else if (static_cast<unsigned char>(c) < 0x20)
            out += ' ';
        else
            out += c;
    }
    return out;
}

std::string fmt(const char* format, double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, x);
    return buf;
}

// "-0", "-0.000", "-0.0e+00" lose their sign.
std::string without_negative_zero(std::string text) {
    if (!text.empty() && text[0] == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return text;
}

// ---- Text extents ----------------------------------------------------------
// The SVG sets fixed font sizes but not the face, so the extents are
// estimates on the generous side for the common sans-serif faces: 1 em for
// M, W, m, w, @, % and any character beyond ASCII, 0.8 em for the other
// capitals, & and #, 0.65 em for the rest (digits are 0.55 to 0.64 em), a
// tenth more in bold; from 0.9 em above the baseline to 0.3 em below it.

double text_width(const std::string& text, double font, bool bold = false) {
    double ems = 0;
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80)
            ems += b >= 0xC0 ? 1.0 : 0;  // counted once, at the first byte of a UTF-8 sequence
        else if (std::string_view("MWmw@%").find(c) != std::string_view::npos)
            ems += 1.0;
        else if ((c >= 'A' && c <= 'Z') || c == '&' || c == '#')
            ems += 0.8;
        else
            ems += 0.65;
    }
    return ems * font * (bold ? 1.1 : 1.0);
}

enum class Anchor { start, middle, end };

struct Box {
    double x0, y0, x1, y1;
    bool overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
    bool inside(const Box& o) const { return x0 >= o.x0 && x1 <= o.x1 && y0 >= o.y0 && y1 <= o.y1; }
    Box grown(double d) const { return {x0 - d, y0 - d, x1 + d, y1 + d}; }
};

Box text_box(double x, double baseline, const std::string& text, double font, Anchor anchor,
             bool bold = false) {
    const double w = text_width(text, font, bold);
    const double x0 = anchor == Anchor::start ? x : anchor == Anchor::middle ? x - w / 2 : x - w;
    return {x0, baseline - 0.9 * font, x0 + w, baseline + 0.3 * font};
}

// The text cut (with an ellipsis) to fit max_width.
std::string fitted(std::string text, double font, double max_width, bool bold = false) {
    if (text_width(text, font, bold) <= max_width) return text;
    const std::string ellipsis = "\xE2\x80\xA6";
    while (!text.empty() && text_width(text + ellipsis, font, bold) > max_width) {
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
        if (!text.empty()) text.pop_back();
    }
    return text + ellipsis;
}

std::string text_element(double x, double baseline, const std::string& text,
                         const std::string& attributes = "") {
    return "<text x=\"" + fmt("%.1f", x) + "\" y=\"" + fmt("%.1f", baseline) + "\"" + attributes + ">" +
           escaped(text) + "</text>\n";
}

// ---- The value axis ----------------------------------------------------------
// Values beyond 1e300 (and infinities, NaNs) are not drawn: the tick
// arithmetic below would overflow.
bool drawable(double v) { return std::isfinite(v) && std::fabs(v) <= 1e300; }

struct ValueAxis {
    std::vector<double> ticks;  // increasing, at least two
    std::vector<std::string> labels;
};

// Ticks at multiples of a step of 1, 2 or 5 times a power of ten, about five
// steps over the values, the lowest at or below the smallest value and the
// highest at or above the largest, so the frame holds every point.  Values
// that do not differ (by more than 1e-9 of their size) get a range of 10% of
// their size either side, or -1 to 1 around zero.
ValueAxis value_axis(const std::vector<double>& values) {
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (const double v : values)
        if (drawable(v)) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    if (low > high) low = high = 0;
    if (!(high - low > std::max(std::fabs(low), std::fabs(high)) * 1e-9)) {
        const double mid = low / 2 + high / 2;
        const double pad = mid == 0 ? 1 : std::fabs(mid) * 0.1;
        low = mid - pad;
        high = mid + pad;
    }
    const double raw = (high - low) / 5;
    int power = static_cast<int>(std::floor(std::log10(raw)));
    int factor = 10;
    for (const int f : {1, 2, 5})
        if (f * std::pow(10.0, power) >= raw) {
            factor = f;
            break;
        }
    if (factor == 10) {
        factor = 1;
        ++power;
    }
    const double step = factor * std::pow(10.0, power);
    // Integer multiples, checked against the ends after rounding.
    double k_low = std::floor(low / step), k_high = std::ceil(high / step);
    while (k_low * step > low) --k_low;
    while (k_high * step < high) ++k_high;
    if ((k_low + 1) * step <= low) ++k_low;
    if ((k_high - 1) * step >= high) --k_high;

    ValueAxis axis;
    for (double k = k_low; k <= k_high; ++k) {
        const double v = k * step;
        axis.ticks.push_back(v == 0 ? 0.0 : v);
    }
    // Fixed decimals as far as the step needs them, up to nine figures before
    // the point and five after it; otherwise as many significant digits as
    // the step needs, in exponent form.
    const double largest = std::max(std::fabs(axis.ticks.front()), std::fabs(axis.ticks.back()));
    const bool fixed = largest < 1e9 && power >= -5;
    const int digits =
        fixed ? std::max(0, -power) : std::max(0, static_cast<int>(std::floor(std::log10(largest))) - power);
    for (const double v : axis.ticks) {
        char buf[64];
        std::snprintf(buf, sizeof buf, fixed ? "%.*f" : "%.*e", digits, v);
        axis.labels.push_back(v == 0 ? "0" : without_negative_zero(buf));
    }
    return axis;
}

// A record's value as the parametric table writes it (three decimals),
// in exponent form when that would show no figure or too many.
std::string value_text(double v) {
    const double a = std::fabs(v);
    return without_negative_zero(fmt(a == 0 || (a >= 1e-3 && a < 1e10) ? "%.3f" : "%.3e", v));
}

struct Panel {
    double top;
    double left;
    ValueAxis axis;
    double x(double t) const { return left + std::clamp(t, 0.0, 1.0) * (plot_right - left); }
    double y(double v) const {
        const double low = axis.ticks.front(), high = axis.ticks.back();
        return top + panel_height - (v - low) / (high - low) * panel_height;
    }
    double bottom() const { return top + panel_height; }
};

void draw_axes(std::string& svg, const Panel& p, const std::string& label) {
    const double x0 = p.x(0), x1 = p.x(1), y0 = p.bottom();
    svg += "<rect x=\"" + fmt("%.1f", x0) + "\" y=\"" + fmt("%.1f", p.top) + "\" width=\"" +
           fmt("%.1f", x1 - x0) + "\" height=\"" + fmt("%.1f", panel_height) +
           "\" fill=\"none\" stroke=\"#444\"/>\n";
    for (int k = 0; k <= 10; ++k) {
        const double x = p.x(k / 10.0);
        svg += "<line x1=\"" + fmt("%.1f", x) + "\" y1=\"" + fmt("%.1f", y0) + "\" x2=\"" + fmt("%.1f", x) +
               "\" y2=\"" + fmt("%.1f", y0 + 5) + "\" stroke=\"#444\"/>\n";
        if (k % 2 == 0) svg += text_element(x, y0 + 18, fmt("%.1f", k / 10.0), " text-anchor=\"middle\"");
    }
    for (std::size_t k = 0; k < p.axis.ticks.size(); ++k) {
        const double y = p.y(p.axis.ticks[k]);
        svg += "<line x1=\"" + fmt("%.1f", x0 - 5) + "\" y1=\"" + fmt("%.1f", y) + "\" x2=\"" +
               fmt("%.1f", x1) + "\" y2=\"" + fmt("%.1f", y) + "\" stroke=\"#ddd\"/>\n";
        svg += text_element(x0 - 8, y + 4, p.axis.labels[k], " text-anchor=\"end\"");
    }
    svg += text_element(x0, p.top - 8, label, " font-weight=\"bold\"");
    svg += text_element((x0 + x1) / 2, y0 + 34, "parameter t", " text-anchor=\"middle\"");
}

// ---- Record labels -----------------------------------------------------------
struct Label {
    std::string text;
    double x, baseline;
    Anchor anchor;
};

// Whether the segment from (x0, y0) to (x1, y1) meets the box.
bool crosses(const Box& b, double x0, double y0, double x1, double y1) {
    double lo = 0, hi = 1;
    const double dx = x1 - x0, dy = y1 - y0;
    for (const auto& [p, q] : {std::pair{-dx, x0 - b.x0}, std::pair{dx, b.x1 - x0}, std::pair{-dy, y0 - b.y0},
                               std::pair{dy, b.y1 - y0}}) {
        if (p == 0) {
            if (q < 0) return false;
        } else if (p < 0) {
            lo = std::max(lo, q / p);
        } else {
            hi = std::min(hi, q / p);
        }
        if (lo > hi) return false;
    }
    return true;
}

// Labels of the records in the upper panel.  They are placed one by one: the
// first record, the last, then the others by how sharply the line bends there
// (the basis changes that matter most first), earlier records first among
// equals.  A label's places, nearest first, are above right, above left,
// below right and below left of its point, then the same one line further out
// (for the first and the last record up to three lines out).  Every place
// stays inside the panel's height, between the frame's left edge and the
// drawing's right edge, and clears by 2 px every label placed before it.  A
// label takes the first place that also clears every marker and the line; if
// there is none, the first that clears the markers (the label is drawn with a
// white halo over the line); the first and the last record, if there is none
// either, the first place at all.  Any other label with no place is left out;
// its record keeps its marker.
std::vector<std::optional<Label>> place_labels(const Panel& p, const std::vector<double>& t,
                                               const std::vector<double>& z) {
    const std::size_t n = t.size();
    std::vector<std::optional<Label>> labels(n);
    std::vector<double> px(n), py(n);
    std::vector<Box> markers, taken;
    std::vector<std::size_t> drawn;  // the records on the line, in order
    for (std::size_t k = 0; k < n; ++k) {
        px[k] = p.x(t[k]);
        py[k] = drawable(z[k]) ? p.y(z[k]) : 0;
        if (!drawable(z[k])) continue;
        markers.push_back(Box{px[k] - 4, py[k] - 4, px[k] + 4, py[k] + 4}.grown(1));
        drawn.push_back(k);
    }
    const auto direction = [&](std::size_t a, std::size_t b) {
        const double dx = px[b] - px[a], dy = py[a] - py[b];
        return dx == 0 && dy == 0 ? std::optional<double>{} : std::atan2(dy, dx);
    };
    std::vector<double> bend(n, 0);
    for (std::size_t d = 1; d + 1 < drawn.size(); ++d) {
        const auto in = direction(drawn[d - 1], drawn[d]), out = direction(drawn[d], drawn[d + 1]);
        if (in && out) bend[drawn[d]] = std::fabs(*out - *in);
    }
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const auto rank = [&](std::size_t k) { return k == 0 ? 0 : k + 1 == n ? 1 : 2; };
        if (rank(a) != rank(b)) return rank(a) < rank(b);
        return bend[a] > bend[b];
    });

    const auto clear = [](const std::vector<Box>& boxes, const Box& box) {
        return std::none_of(boxes.begin(), boxes.end(), [&](const Box& b) { return b.overlaps(box); });
    };
    const auto off_line = [&](const Box& box) {
        for (std::size_t d = 1; d < drawn.size(); ++d)
            if (crosses(box, px[drawn[d - 1]], py[drawn[d - 1]], px[drawn[d]], py[drawn[d]])) return false;
        return true;
    };
    // t with three decimals, as the parametric table writes it, or with up to
    // five when records would show the same t.
    const char* t_format = "%.5f";
    for (const char* format : {"%.3f", "%.4f"}) {
        bool distinct = true;
        for (std::size_t k = 1; k < n; ++k)
            distinct = distinct && (t[k] == t[k - 1] || fmt(format, t[k]) != fmt(format, t[k - 1]));
        if (distinct) {
            t_format = format;
            break;
        }
    }
    const Box region{p.left + 2, p.top + 2, width - 4, p.bottom() - 2};
    const double line = 1.2 * label_font + 2;
    for (const std::size_t k : order) {
        if (!drawable(z[k])) continue;
        const bool end = k == 0 || k + 1 == n;
        const std::string text =
            value_text(z[k]) + (k > 0 || t[k] != 0 ? " (t=" + fmt(t_format, t[k]) + ")" : "");
        // The best place of each kind: clear of everything, clear of the
        // markers, clear of the labels only.
        std::optional<std::pair<Label, Box>> best[3];
        for (int out = 0; out < (end ? 4 : 2) && !best[0]; ++out)
            for (const bool above : {true, false})
                for (const bool after : {true, false}) {
                    const double baseline =
                        above ? py[k] - 7 - out * line : py[k] + 7 + 0.9 * label_font + out * line;
                    const Label candidate{text, after ? px[k] + 6 : px[k] - 6, baseline,
                                          after ? Anchor::start : Anchor::end};
                    const Box box = text_box(candidate.x, baseline, text, label_font, candidate.anchor);
                    const Box margin = box.grown(1);
                    if (!box.inside(region) || !clear(taken, margin)) continue;
                    const int kind = !clear(markers, margin) ? 2 : !off_line(box) ? 1 : 0;
                    if (!best[kind]) best[kind] = {candidate, margin};
                }
        for (int kind = 0; kind < (end ? 3 : 2); ++kind)
            if (best[kind]) {
                labels[k] = best[kind]->first;
                taken.push_back(best[kind]->second);
                break;
            }
    }
    return labels;
}

}  // namespace

std::string sweep_chart(const DocumentedForm& form, const SweepItems& items,
                        const std::vector<SweepRecord>& sweep) {
    const std::size_t records = sweep.size();
    const bool pv = items.objective;
    const auto count = static_cast<std::size_t>(items.count());
    std::vector<double> t(records), z(records);
    for (std::size_t s = 0; s < records; ++s) {
        t[s] = sweep[s].t.value;
        z[s] = sweep[s].values.empty() ? NAN : sweep[s].values[0];
    }
    std::vector<double> item_values;
    for (std::size_t k = 1; k <= count; ++k) {
        item_values.push_back(items.start[k].value);
        item_values.push_back(items.end[k].value);
        for (const SweepRecord& r : sweep)
            if (k < r.items.size()) item_values.push_back(r.items[k].value);
    }
    Panel upper{top1, min_left, value_axis(z)};
    Panel lower{top2, min_left, value_axis(item_values)};
    // The left margin holds the widest tick label.
    double widest = 0;
    for (const Panel* p : {&upper, &lower})
        for (const std::string& label : p->axis.labels)
            widest = std::max(widest, text_width(label, text_font));
    upper.left = lower.left = std::max(min_left, std::ceil(widest + 14));

    const std::vector<std::optional<Label>> labels = place_labels(upper, t, z);
    const auto labelled =
        std::count_if(labels.begin(), labels.end(), [](const auto& l) { return l.has_value(); });

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg +=
        "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"860\" height=\"600\" viewBox=\"0 0 860 600\" "
        "font-family=\"sans-serif\" font-size=\"12\">\n<rect width=\"860\" height=\"600\" fill=\"white\"/>\n";
    svg += text_element(width / 2, 26, fitted(form.title(), title_font, width - 8, true),
                        " text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\"");
    std::string subtitle = std::string(pv ? "objective coefficients" : "right-hand sides") +
                           " swept from t = 0 to t = 1, " + std::to_string(records) +
                           (records == 1 ? " record" : " records");
    if (static_cast<std::size_t>(labelled) < records)
        subtitle += " (" + std::to_string(labelled) + " labelled)";
    svg += text_element(width / 2, 46, subtitle, " text-anchor=\"middle\" fill=\"#555\"");

    // Dashed lines at the records after the first, inside one panel.
    const auto record_lines = [&](const Panel& p) {
        for (std::size_t k = 1; k < records; ++k) {
            const double x = p.x(t[k]);
            svg += "<line x1=\"" + fmt("%.2f", x) + "\" y1=\"" + fmt("%.1f", p.top) + "\" x2=\"" +
                   fmt("%.2f", x) + "\" y2=\"" + fmt("%.1f", p.bottom()) +
                   "\" stroke=\"#999\" stroke-dasharray=\"4 3\"/>\n";
        }
    };

    // Above: the optimal value through the records, each marked, and the
    // labels that found a place.
    draw_axes(svg, upper, "Optimal value");
    record_lines(upper);
    std::string points;
    for (std::size_t k = 0; k < records; ++k)
        if (drawable(z[k])) points += fmt("%.2f,", upper.x(t[k])) + fmt("%.2f ", upper.y(z[k]));
    svg += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"#1f77b4\" stroke-width=\"2\"/>\n";
    for (std::size_t k = 0; k < records; ++k)
        if (drawable(z[k]))
            svg += "<circle cx=\"" + fmt("%.2f", upper.x(t[k])) + "\" cy=\"" + fmt("%.2f", upper.y(z[k])) +
                   "\" r=\"4\" fill=\"#1f77b4\"/>\n";
    for (const auto& label : labels)
        if (label)
            svg += text_element(
                label->x, label->baseline, label->text,
                std::string(" font-size=\"11\"") +
                    (label->anchor == Anchor::end ? " text-anchor=\"end\"" : "") +
                    " stroke=\"#fff\" stroke-width=\"3\" stroke-linejoin=\"round\" paint-order=\"stroke\"");

    // Below: the items, straight lines from start to end with the records
    // marked, and the legend in the right margin (as many names as fit).
    draw_axes(svg, lower, pv ? "Swept objective coefficients" : "Swept right-hand sides");
    record_lines(lower);
    const auto room = static_cast<std::size_t>((height - 0.3 * text_font - 2 - top2) / legend_spacing);
    const std::size_t listed = count <= room ? count : room - 1;
    const double legend_x = plot_right + 46;
    for (std::size_t k = 1; k <= count; ++k) {
        const char* colour = colours[(k - 1) % 8];
        const int index = items.index[k];
        if (drawable(items.start[k].value) && drawable(items.end[k].value))
            svg += "<line x1=\"" + fmt("%.2f", lower.x(0)) + "\" y1=\"" +
                   fmt("%.2f", lower.y(items.start[k].value)) + "\" x2=\"" + fmt("%.2f", lower.x(1)) +
                   "\" y2=\"" + fmt("%.2f", lower.y(items.end[k].value)) + "\" stroke=\"" + colour +
                   "\" stroke-width=\"2\"/>\n";
        for (std::size_t s = 0; s < records; ++s)
            if (k < sweep[s].items.size() && drawable(sweep[s].items[k].value))
                svg += "<circle cx=\"" + fmt("%.2f", lower.x(t[s])) + "\" cy=\"" +
                       fmt("%.2f", lower.y(sweep[s].items[k].value)) + "\" r=\"3\" fill=\"" + colour +
                       "\"/>\n";
        if (k > listed) continue;
        const double ly = top2 + legend_spacing * static_cast<double>(k);
        svg += "<line x1=\"" + fmt("%.1f", plot_right + 20) + "\" y1=\"" + fmt("%.1f", ly - 4) + "\" x2=\"" +
               fmt("%.1f", plot_right + 40) + "\" y2=\"" + fmt("%.1f", ly - 4) + "\" stroke=\"" + colour +
               "\" stroke-width=\"2\"/>\n";
        svg += text_element(
            legend_x, ly,
            fitted(pv ? form.column_name(index) : form.row_name(index), text_font, width - 4 - legend_x));
    }
    if (listed < count)
        svg += text_element(legend_x, top2 + legend_spacing * static_cast<double>(listed + 1),
                            "and " + std::to_string(count - listed) + " more", " fill=\"#555\"");
    return svg + "</svg>\n";
}

}  // namespace lpsens
