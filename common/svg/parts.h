// SPDX-License-Identifier: MIT
// The chart engine's own pieces, shared by its source files: the layout's
// measures, text and numbers as written, the axes' scales, the legend, and
// the chart's private structures.
#ifndef ZELKOR_SVG_PARTS_H
#define ZELKOR_SVG_PARTS_H

#include <cmath>
#include <iosfwd>
#include <string>
#include <utility>
#include <vector>

#include "svg/chart.h"

namespace svg {

// Plot area inside the picture, in picture units; the plot's top edge
// moves down by one note's height for each note after the first.
constexpr double left = 90, plotTop = 70, plotWidth = 560, plotHeight = 380, squareSide = 460;
constexpr double right = 30, bottom = 70;
constexpr double titleSize = 18, noteSize = 13, noteStep = 17, legendSize = 13, legendRow = 20;
// The legend: a swatch, a gap, the text; entries apart by entryGap.
constexpr double swatchWidth = 30, swatchGap = 6, entryGap = 20, margin = 10;
// Lines and horizontal lines are this wide; the labels "×k" of markers
// this high in font size.
constexpr double lineWidth = 1.5, countSize = 12;

// Text (text.cpp).
std::size_t utf8Length(const std::string& s, std::size_t i);
std::string escaped(const std::string& s);
std::vector<std::string> characters(const std::string& s);
double ems(const std::string& c);
double textWidth(const std::string& s, double size);
std::string baseName(std::string path);
std::string fitted(const std::string& pattern, const std::string& name, double size, double room);
double held(double v);
std::string num(double v);
std::string label(double v);

// Scales (scale.cpp); the markers' radius for n points (markers.cpp).
// One axis's range in its own scale (log10 of the value for a log axis),
// and its ticks.
struct Scale {
    double lo = 0, hi = 1, step = 1;
    bool log = false;
    double at(double v) const {  // fraction of the axis; values off a log axis go to 0
        if (log) v = v > 0 ? std::log10(v) : lo;
        return (v - lo) / (hi - lo);
    }
};

inline bool placeable(double v, bool log) { return std::isfinite(v) && (!log || v > 0); }
Scale makeScale(const std::vector<double>& values, const Axis& axis);
Scale usable(Scale s);
void equalise(Scale& a, Scale& b);
double markerRadius(std::size_t n);

// The legend (legend.cpp): its entries row by row, [first, last) of each
// row, every row at most `room` wide; the rows written from `top` down.
using Rows = std::vector<std::pair<std::size_t, std::size_t>>;
Rows legendRows(const std::vector<LegendEntry>& entries, double room);
void writeLegend(std::ostream& out, const std::vector<LegendEntry>& entries, const Rows& rows, double width,
                 double top);

}  // namespace svg

struct SvgChart::Frame {
    svg::Scale sx, sy;
    double top, w, h, width, height;
    double r;  // of the markers
    double px(double v) const { return svg::left + sx.at(v) * w; }
    double py(double v) const { return top + h - sy.at(v) * h; }
};

// A marker in picture coordinates: `count` points, drawn in the style of
// items_[item] (a single point: the index-th of its item) with radius r
// over a white rim of width rim.
struct SvgChart::Marker {
    double x, y;
    int count;
    std::size_t item, index;
    bool onLine = false;  // the rim beneath the fill
    double r = 0, rim = 0;
};

// A label's box in picture coordinates and its text's baseline; empty
// (x0 > x1): no room.
struct SvgChart::Box {
    double x0 = 1, y0 = 0, x1 = 0, y1 = 0, baseline = 0;
};

#endif
