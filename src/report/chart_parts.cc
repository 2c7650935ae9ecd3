#include "report/chart_parts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string_view>
#include <utility>

namespace lpsens::chart {

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

std::string without_negative_zero(std::string text) {
    if (!text.empty() && text[0] == '-' && text.find_first_of("123456789") == std::string::npos)
        text.erase(0, 1);
    return text;
}

// 1 em for M, W, m, w, @, % and any character beyond ASCII, 0.8 em for the
// other capitals, & and #, 0.65 em for the rest (digits are 0.55 to 0.64 em),
// a tenth more in bold; from 0.9 em above the baseline to 0.3 em below it.
double text_width(const std::string& text, double font, bool bold) {
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

Box text_box(double x, double baseline, const std::string& text, double font, Anchor anchor, bool bold) {
    const double w = text_width(text, font, bold);
    const double x0 = anchor == Anchor::start ? x : anchor == Anchor::middle ? x - w / 2 : x - w;
    return {x0, baseline - 0.9 * font, x0 + w, baseline + 0.3 * font};
}

std::string fitted(std::string text, double font, double max_width, bool bold) {
    if (text_width(text, font, bold) <= max_width) return text;
    const std::string ellipsis = "\xE2\x80\xA6";
    while (!text.empty() && text_width(text + ellipsis, font, bold) > max_width) {
        while (!text.empty() && (static_cast<unsigned char>(text.back()) & 0xC0) == 0x80) text.pop_back();
        if (!text.empty()) text.pop_back();
    }
    return text + ellipsis;
}

std::string text_element(double x, double baseline, const std::string& text, const std::string& attributes) {
    return "<text x=\"" + fmt("%.2f", x) + "\" y=\"" + fmt("%.2f", baseline) + "\"" + attributes + ">" +
           escaped(text) + "</text>\n";
}

std::string line_element(double x1, double y1, double x2, double y2, const std::string& attributes) {
    return "<line x1=\"" + fmt("%.2f", x1) + "\" y1=\"" + fmt("%.2f", y1) + "\" x2=\"" + fmt("%.2f", x2) +
           "\" y2=\"" + fmt("%.2f", y2) + "\"" + attributes + "/>\n";
}

bool drawable(double v) { return std::isfinite(v) && std::fabs(v) <= 1e300; }

namespace {

// The step (1, 2 or 5 times 10^power) nearest above raw, at or after the
// given factor index.
struct Step {
    int factor;
    int power;
    double value() const { return factor * std::pow(10.0, power); }
    Step coarser() const { return factor == 1 ? Step{2, power} : factor == 2 ? Step{5, power} : Step{1, power + 1}; }
};

Step step_above(double raw) {
    int power = static_cast<int>(std::floor(std::log10(raw)));
    for (const int f : {1, 2, 5})
        if (f * std::pow(10.0, power) >= raw) return {f, power};
    return {1, power + 1};
}

// Fixed decimals as far as the step needs them, up to nine figures before
// the point and five after it; otherwise as many significant digits as the
// step needs, in exponent form.
std::vector<std::string> tick_labels(const std::vector<double>& ticks, int power) {
    double largest = 0;
    for (const double v : ticks) largest = std::max(largest, std::fabs(v));
    const bool fixed = largest < 1e9 && power >= -5;
    const int digits = fixed ? std::max(0, -power)
                             : std::max(0, static_cast<int>(std::floor(std::log10(largest))) - power);
    std::vector<std::string> labels;
    for (const double v : ticks) {
        char buf[64];
        std::snprintf(buf, sizeof buf, fixed ? "%.*f" : "%.*e", digits, v);
        labels.push_back(v == 0 ? "0" : without_negative_zero(buf));
    }
    return labels;
}

}  // namespace

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
    const Step s = step_above((high - low) / 5);
    const double step = s.value();
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
    axis.labels = tick_labels(axis.ticks, s.power);
    return axis;
}

ValueAxis interval_axis(double a, double b, double length, double font) {
    const double low = std::min(a, b), high = std::max(a, b);
    ValueAxis axis;
    if (!(high - low > std::max(std::fabs(low), std::fabs(high)) * 1e-9)) {
        axis.ticks = {a};
        axis.labels = {short_number(a)};
        return axis;
    }
    ValueAxis coarsest;
    for (Step s = step_above((high - low) / 12);; s = s.coarser()) {
        const double step = s.value();
        double k_low = std::ceil(low / step), k_high = std::floor(high / step);
        while (k_low * step < low) ++k_low;
        while (k_high * step > high) --k_high;
        if (k_high - k_low < 1) break;
        axis.ticks.clear();
        for (double k = k_low; k <= k_high; ++k) axis.ticks.push_back(k * step == 0 ? 0.0 : k * step);
        axis.labels = tick_labels(axis.ticks, s.power);
        // Adjacent labels, centred on their ticks, at least 12 px apart.
        const double px = length * step / (high - low);
        bool apart = true;
        for (std::size_t k = 1; k < axis.labels.size(); ++k)
            apart = apart &&
                    (text_width(axis.labels[k - 1], font) + text_width(axis.labels[k], font)) / 2 + 12 <= px;
        coarsest = axis;
        if (apart) {
            if (a > b) {
                std::reverse(axis.ticks.begin(), axis.ticks.end());
                std::reverse(axis.labels.begin(), axis.labels.end());
            }
            return axis;
        }
    }
    // No two round ticks fit: the two ends.
    axis.ticks = {a, b};
    axis.labels = {short_number(a), short_number(b)};
    return axis;
}

std::string short_number(double v) {
    if (v == 0 || !std::isfinite(v)) return v == 0 ? "0" : fmt("%g", v);
    char buf[64];
    int digits = 1;
    for (; digits < 7; ++digits) {
        std::snprintf(buf, sizeof buf, "%.*e", digits - 1, v);
        if (std::fabs(std::strtod(buf, nullptr) - v) <= std::fabs(v) * 1e-12) break;
    }
    // Whole figures up to nine before the point are written out, not in
    // exponent form.
    const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
    if (exponent >= digits && exponent < 9) digits = exponent + 1;
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    return without_negative_zero(buf);
}

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

std::vector<std::optional<Label>> place_labels(const LabelLayout& layout) {
    const std::vector<double>& px = layout.x;
    const std::vector<double>& py = layout.y;
    const std::size_t n = px.size();
    std::vector<std::optional<Label>> labels(n);
    std::vector<Box> markers, taken = layout.reserved;
    std::vector<std::size_t> drawn;  // the points on the line, in order
    const double r = layout.marker_radius;
    for (std::size_t k = 0; k < n; ++k) {
        if (!std::isfinite(py[k])) continue;
        markers.push_back(Box{px[k] - r, py[k] - r, px[k] + r, py[k] + r}.grown(1));
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
    const double line = 1.2 * label_font + 2;
    for (const std::size_t k : order) {
        if (!std::isfinite(py[k])) continue;
        const bool end = k == 0 || k + 1 == n;
        const std::string& text = layout.texts[k];
        // The first place clear of everything.
        std::optional<std::pair<Label, Box>> best;
        const auto consider = [&](const Label& candidate) {
            const Box box = text_box(candidate.x, candidate.baseline, text, label_font, candidate.anchor);
            const Box margin = box.grown(1);
            if (best || !box.inside(layout.region) || !clear(taken, margin) || !clear(markers, margin) ||
                !off_line(margin))
                return;
            best = {candidate, margin};
        };
        // Labels of points inside the line stay at the nearest places.
        const int outs = end ? 4 : 1;
        for (int out = 0; out < outs && !best; ++out) {
            for (const bool above : {true, false})
                for (const bool after : {true, false}) {
                    const double baseline =
                        above ? py[k] - r - 3 - out * line : py[k] + r + 3 + 0.9 * label_font + out * line;
                    consider({text, after ? px[k] + r + 2 : px[k] - r - 2, baseline, after ? Anchor::start : Anchor::end});
                }
            // Or level with their point.
            if (out == 0)
                for (const bool after : {true, false})
                    consider({text, after ? px[k] + r + 4 : px[k] - r - 4, py[k] + 0.3 * label_font,
                              after ? Anchor::start : Anchor::end});
        }
        if (best) {
            labels[k] = best->first;
            taken.push_back(best->second);
        }
    }
    return labels;
}

std::string label_element(const Label& label) {
    return text_element(label.x, label.baseline, label.text,
                        std::string(" class=\"record-label\" font-size=\"11\"") +
                            (label.anchor == Anchor::end ? " text-anchor=\"end\"" : "") +
                            " stroke=\"#fff\" stroke-width=\"3\" stroke-linejoin=\"round\" paint-order=\"stroke\"");
}

}  // namespace lpsens::chart
