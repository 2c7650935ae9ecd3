#include "report/sweep_chart.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace lpsens {

namespace {

constexpr double width = 860, left = 90, right = 230, panel_height = 210;
constexpr double top1 = 60, top2 = 330;
const char* const colours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e", "#8c564b", "#e377c2", "#17becf"};

std::string escaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '&') out += "&amp;";
        else if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '"') out += "&quot;";
        else if (static_cast<unsigned char>(c) < 0x20) out += ' ';
        else out += c;
    }
    return out;
}

std::string fmt(const char* format, double x) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, x);
    return buf;
}

// Tick values from about five steps of 1, 2 or 5 times a power of ten.
std::vector<double> ticks(double low, double high) {
    if (!(high > low)) {
        const double pad = std::max(1.0, std::fabs(low) * 0.1);
        low -= pad;
        high += pad;
    }
    const double raw = (high - low) / 5;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    double step = power;
    for (const double f : {1.0, 2.0, 5.0, 10.0})
        if (f * power >= raw) {
            step = f * power;
            break;
        }
    std::vector<double> t;
    for (double v = std::floor(low / step) * step; v <= high + step * 1e-9; v += step) t.push_back(std::fabs(v) < step * 1e-9 ? 0 : v);
    if (t.size() < 2) t.push_back(t.back() + step);
    return t;
}

std::string tick_label(double v, const std::vector<double>& all) {
    const double step = all.size() > 1 ? all[1] - all[0] : 1;
    const int decimals = step >= 1 ? 0 : static_cast<int>(std::ceil(-std::log10(step) - 1e-9));
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, v);
    return buf;
}

struct Panel {
    double top;
    std::vector<double> y_ticks;
    double x(double t) const { return left + t * (width - left - right); }
    double y(double v) const {
        const double low = y_ticks.front(), high = y_ticks.back();
        return top + panel_height - (v - low) / (high - low) * panel_height;
    }
};

void draw_axes(std::string& svg, const Panel& p, const std::string& label) {
    const double x0 = p.x(0), x1 = p.x(1), y0 = p.top + panel_height;
    svg += "<rect x=\"" + fmt("%.1f", x0) + "\" y=\"" + fmt("%.1f", p.top) + "\" width=\"" + fmt("%.1f", x1 - x0) +
           "\" height=\"" + fmt("%.1f", panel_height) + "\" fill=\"none\" stroke=\"#444\"/>\n";
    for (int k = 0; k <= 10; ++k) {
        const double t = k / 10.0, x = p.x(t);
        svg += "<line x1=\"" + fmt("%.1f", x) + "\" y1=\"" + fmt("%.1f", y0) + "\" x2=\"" + fmt("%.1f", x) + "\" y2=\"" +
               fmt("%.1f", y0 + 5) + "\" stroke=\"#444\"/>\n";
        if (k % 2 == 0)
            svg += "<text x=\"" + fmt("%.1f", x) + "\" y=\"" + fmt("%.1f", y0 + 18) + "\" text-anchor=\"middle\">" +
                   fmt("%.1f", t) + "</text>\n";
    }
    for (const double v : p.y_ticks) {
        const double y = p.y(v);
        svg += "<line x1=\"" + fmt("%.1f", x0 - 5) + "\" y1=\"" + fmt("%.1f", y) + "\" x2=\"" + fmt("%.1f", x1) +
               "\" y2=\"" + fmt("%.1f", y) + "\" stroke=\"#ddd\"/>\n";
        svg += "<text x=\"" + fmt("%.1f", x0 - 8) + "\" y=\"" + fmt("%.1f", y + 4) + "\" text-anchor=\"end\">" +
               tick_label(v, p.y_ticks) + "</text>\n";
    }
    svg += "<text x=\"" + fmt("%.1f", x0) + "\" y=\"" + fmt("%.1f", p.top - 10) + "\" font-weight=\"bold\">" +
           escaped(label) + "</text>\n";
    svg += "<text x=\"" + fmt("%.1f", (x0 + x1) / 2) + "\" y=\"" + fmt("%.1f", y0 + 34) +
           "\" text-anchor=\"middle\">parameter t</text>\n";
}

}  // namespace

std::string sweep_chart(const DocumentedForm& form, const SweepItems& items, const std::vector<SweepRecord>& sweep) {
    const int records = static_cast<int>(sweep.size());
    const bool pv = items.objective;
    std::vector<double> t(static_cast<std::size_t>(records)), z(static_cast<std::size_t>(records));
    for (int s = 1; s <= records; ++s) {
        t[static_cast<std::size_t>(s - 1)] = sweep[static_cast<std::size_t>(s - 1)].t.value;
        z[static_cast<std::size_t>(s - 1)] = sweep[static_cast<std::size_t>(s - 1)].values[0];
    }
    Panel upper{top1, ticks(*std::min_element(z.begin(), z.end()), *std::max_element(z.begin(), z.end()))};
    double low = HUGE_VAL, high = -HUGE_VAL;
    for (int k = 1; k <= items.count(); ++k)
        for (const StoredReal v : {items.start[static_cast<std::size_t>(k)], items.end[static_cast<std::size_t>(k)]}) {
            low = std::min(low, v.value);
            high = std::max(high, v.value);
        }
    if (items.count() == 0) low = high = 0;
    Panel lower{top2, ticks(low, high)};

    std::string svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"860\" height=\"600\" viewBox=\"0 0 860 600\" "
           "font-family=\"sans-serif\" font-size=\"12\">\n<rect width=\"860\" height=\"600\" fill=\"white\"/>\n";
    svg += "<text x=\"430\" y=\"28\" text-anchor=\"middle\" font-size=\"16\" font-weight=\"bold\">" + escaped(form.title()) +
           "</text>\n";
    svg += "<text x=\"430\" y=\"46\" text-anchor=\"middle\" fill=\"#555\">" +
           std::string(pv ? "objective coefficients" : "right-hand sides") + " swept from t = 0 to t = 1, " +
           std::to_string(records) + " records</text>\n";
    draw_axes(svg, upper, "Optimal value");
    draw_axes(svg, lower, pv ? "Swept objective coefficients" : "Swept right-hand sides");

    // The optimal value through the records, each marked and labelled.
    std::string points;
    for (std::size_t k = 0; k < t.size(); ++k) points += fmt("%.2f,", upper.x(t[k])) + fmt("%.2f ", upper.y(z[k]));
    svg += "<polyline points=\"" + points + "\" fill=\"none\" stroke=\"#1f77b4\" stroke-width=\"2\"/>\n";
    for (std::size_t k = 0; k < t.size(); ++k) {
        const double x = upper.x(t[k]), y = upper.y(z[k]);
        if (k > 0)
            svg += "<line x1=\"" + fmt("%.2f", x) + "\" y1=\"" + fmt("%.1f", top1) + "\" x2=\"" + fmt("%.2f", x) +
                   "\" y2=\"" + fmt("%.1f", top2 + panel_height) + "\" stroke=\"#999\" stroke-dasharray=\"4 3\"/>\n";
        svg += "<circle cx=\"" + fmt("%.2f", x) + "\" cy=\"" + fmt("%.2f", y) + "\" r=\"4\" fill=\"#1f77b4\"/>\n";
        svg += "<text x=\"" + fmt("%.2f", x + 5) + "\" y=\"" + fmt("%.2f", y - 8 - 12.0 * static_cast<double>(k % 2)) +
               "\" font-size=\"11\">" + fmt("%.3f", z[k]) + (k > 0 ? " (t=" + fmt("%.3f", t[k]) + ")" : "") + "</text>\n";
    }
    // The items: straight lines from start to end, with the records marked.
    for (int k = 1; k <= items.count(); ++k) {
        const auto sk = static_cast<std::size_t>(k);
        const char* colour = colours[(k - 1) % 8];
        const int index = items.index[sk];
        svg += "<line x1=\"" + fmt("%.2f", lower.x(0)) + "\" y1=\"" + fmt("%.2f", lower.y(items.start[sk].value)) +
               "\" x2=\"" + fmt("%.2f", lower.x(1)) + "\" y2=\"" + fmt("%.2f", lower.y(items.end[sk].value)) +
               "\" stroke=\"" + colour + "\" stroke-width=\"2\"/>\n";
        for (int s = 1; s <= records; ++s)
            svg += "<circle cx=\"" + fmt("%.2f", lower.x(t[static_cast<std::size_t>(s - 1)])) + "\" cy=\"" +
                   fmt("%.2f", lower.y(sweep[static_cast<std::size_t>(s - 1)].items[sk].value)) + "\" r=\"3\" fill=\"" +
                   colour + "\"/>\n";
        const double ly = top2 + 14.0 * k;
        svg += "<line x1=\"" + fmt("%.1f", width - right + 20) + "\" y1=\"" + fmt("%.1f", ly - 4) + "\" x2=\"" +
               fmt("%.1f", width - right + 40) + "\" y2=\"" + fmt("%.1f", ly - 4) + "\" stroke=\"" + colour +
               "\" stroke-width=\"2\"/>\n";
        svg += "<text x=\"" + fmt("%.1f", width - right + 46) + "\" y=\"" + fmt("%.1f", ly) + "\">" +
               escaped(pv ? form.column_name(index) : form.row_name(index)) + "</text>\n";
    }
    return svg + "</svg>\n";
}

}  // namespace lpsens
