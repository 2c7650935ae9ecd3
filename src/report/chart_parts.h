// The parts the sweep charts are drawn from: SVG text, estimated text
// extents, value axes with round ticks, and the placing of point labels
// where they have room.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lpsens::chart {

constexpr double text_font = 12, title_font = 16, label_font = 11;

std::string escaped(const std::string& text);
std::string fmt(const char* format, double x);
// "-0", "-0.000", "-0.0e+00" lose their sign.
std::string without_negative_zero(std::string text);

// The SVG sets fixed font sizes but not the face, so extents are estimates on
// the generous side for the common sans-serif faces.
double text_width(const std::string& text, double font, bool bold = false);

enum class Anchor { start, middle, end };

struct Box {
    double x0, y0, x1, y1;
    bool overlaps(const Box& o) const { return x0 < o.x1 && o.x0 < x1 && y0 < o.y1 && o.y0 < y1; }
    bool inside(const Box& o) const { return x0 >= o.x0 && x1 <= o.x1 && y0 >= o.y0 && y1 <= o.y1; }
    Box grown(double d) const { return {x0 - d, y0 - d, x1 + d, y1 + d}; }
};

Box text_box(double x, double baseline, const std::string& text, double font, Anchor anchor, bool bold = false);
// The text cut (with an ellipsis) to fit max_width.
std::string fitted(std::string text, double font, double max_width, bool bold = false);
std::string text_element(double x, double baseline, const std::string& text, const std::string& attributes = "");
std::string line_element(double x1, double y1, double x2, double y2, const std::string& attributes);

// Values beyond 1e300 (and infinities, NaNs) are not drawn: the tick
// arithmetic would overflow.
bool drawable(double v);

struct ValueAxis {
    std::vector<double> ticks;  // increasing
    std::vector<std::string> labels;
};

// Ticks at multiples of 1, 2 or 5 times a power of ten, about five steps,
// from one at or below the smallest value to one at or above the largest.
// Values that do not differ get a range of 10% of their size either side,
// or -1 to 1 around zero.
ValueAxis value_axis(const std::vector<double>& values);

// Round ticks inside [min(a, b), max(a, b)] along an axis `length` px long
// that runs from a to b (either way), the finest whose labels (at `font`)
// stay apart.  One tick when a and b do not differ.
ValueAxis interval_axis(double a, double b, double length, double font);

// A value in the fewest significant digits (up to seven) that give it back.
std::string short_number(double v);

// Whether the segment from (x0, y0) to (x1, y1) meets the box.
bool crosses(const Box& b, double x0, double y0, double x1, double y1);

struct Label {
    std::string text;
    double x, baseline;
    Anchor anchor;
};

// Labels of the points of a line (drawn through them in order), placed one
// by one: the first point, the last, then the others by how sharply the
// line bends there, earlier points first among equals.  A label's places,
// nearest first, are above right, above left, below right and below left of
// its point, then level with it right and left; the first and the last
// point's label also up to three lines further out.  Every place lies inside
// `region` and clears by 1 px the `reserved` boxes, every label placed
// before it, every marker and the line.  A label with no such place is left
// out.  Points whose y is not drawable get none.
struct LabelLayout {
    std::vector<double> x, y;
    std::vector<std::string> texts;
    double marker_radius = 4;
    Box region{0, 0, 0, 0};
    std::vector<Box> reserved;
};
std::vector<std::optional<Label>> place_labels(const LabelLayout& layout);

std::string label_element(const Label& label);

}  // namespace lpsens::chart
