// SPDX-License-Identifier: MIT
// Charts as self-contained SVG text: a framed plot with labelled ticks on
// both axes, points, polylines, horizontal lines, circles, notes and a
// legend.  Items are given in data coordinates; the ranges are chosen when
// the text is made, from every finite value drawn (positive values on a
// logarithmic axis).  Values that cannot be placed (not finite; not
// positive on a logarithmic axis) are clamped to the bottom edge if zero or
// negative, and left out if not finite.
//
// Every word is given already translated.  The title names a file by its
// base name, shortened in the middle ("…") when the title would not fit
// the picture's width.  Markers shrink with their
// number (a radius from 4.5 picture units for 16 points or fewer down to
// 1.5 from 144 on), outlined in white; one centred on a horizontal line is
// at least 1.5 times the line's width in radius, over a white rim as wide
// as the line.
//
// Tick labels carry the class "xtick" or "ytick" and sit exactly at their
// tick (x for the x axis, y for the y axis); the scale of each axis is in
// the attribute data-scale ("linear" or "log") of its tick group.  Markers
// have the class given to points(); one that stands for several points has
// their number in data-count and a label "×k" of class "count" beside it
// where that has room: inside the plot, clear of every marker, line, circle
// and other label; otherwise the label is the marker's tooltip (title).
// The legend is a group of class "legend", one group of class
// "legend-entry" per entry with its kind in data-kind.
#ifndef ZELKOR_SVG_CHART_H
#define ZELKOR_SVG_CHART_H

#include <iosfwd>
#include <string>
#include <vector>

struct Axis {
    std::string label;
    bool log = false;      // base-10 logarithmic
    bool integer = false;  // linear, ticks on whole numbers only
};

// One line of the legend: a small drawing of the item and its text.
struct LegendEntry {
    enum Swatch { Marker, MarkerOnLine, Line, DashedLine, Pair, Ring, None } swatch;
    std::string kind;  // data-kind, for readers of the picture
    std::string colour, text;
};

class SvgChart {
public:
    // titlePattern: %1 stands for the base name of dataFile.  equalScale:
    // one data unit is the same length on both axes (a square plot), for
    // points in the complex plane.
    SvgChart(std::string titlePattern, const std::string& dataFile, Axis x, Axis y, bool equalScale = false);

    // Filled circles of class `cls`.  With `merge`, the points of every
    // merging set that fall on one another on the picture (centres closer
    // than half a marker's radius) are drawn as one marker at their mean,
    // labelled with their number; such a marker takes the colour of the
    // set added first among its points.
    void points(const std::vector<double>& xs, const std::vector<double>& ys, const std::string& cls,
                const std::string& colour, bool merge = false);
    void polyline(const std::vector<double>& xs, const std::vector<double>& ys, const std::string& colour,
                  bool dashed = false);
    // A line across the plot at height y, labelled at its right end unless
    // the label is empty.
    void hline(double y, const std::string& label, const std::string& colour, bool dashed = true);
    // A circle of radius r around (x, y) in data units (equal scale only).
    void circle(double x, double y, double r, const std::string& colour);
    // For each of the points xs, ys, were they added as one more merging
    // set: the marker it would be drawn in (the same number for points
    // drawn as one marker), or npos for a point that cannot be placed.
    // Points added with the same coordinates later keep these markers.
    std::vector<std::size_t> markerOf(const std::vector<double>& xs, const std::vector<double>& ys) const;
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);
    // A line of text under the title.
    void note(const std::string& text);
    // An entry of the legend, under the plot, in the order given.
    void legend(const LegendEntry& entry);
    // The legend's last entry, shown only when some marker stands for
    // several points.
    void mergedLegend(const std::string& text);

    void write(std::ostream& out) const;

private:
    struct Item {
        enum Kind { Points, Line, HLine, Circle } kind;
        std::vector<double> xs, ys;
        std::string cls, colour, label;
        bool dashed;
        double r;
        bool merge;
    };
    struct Frame;
    struct Marker;
    struct Box;
    Frame frame() const;
    void singles(const Frame& f, std::vector<Marker>& drawn, std::vector<Marker>& merging) const;
    static std::vector<std::vector<std::size_t>> groups(std::vector<Marker>& merging, double near);
    std::vector<Marker> markers(const Frame& f) const;
    std::vector<double> lineYs(const Frame& f) const;
    std::vector<Box> labelBoxes(const Frame& f, const std::vector<Marker>& marks) const;
    void writeAxes(std::ostream& out, const Frame& f) const;
    void writeItems(std::ostream& out, const Frame& f) const;
    void writeMarkers(std::ostream& out, const Frame& f, const std::vector<Marker>& marks) const;

    std::string title_, file_;
    Axis x_, y_;
    bool equal_;
    std::vector<Item> items_;
    std::vector<std::string> notes_;
    std::vector<LegendEntry> legend_;
    std::string mergedLegend_;
};

#endif
