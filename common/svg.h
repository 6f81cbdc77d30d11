// SPDX-License-Identifier: MIT
// Charts as self-contained SVG text: a framed plot with labelled ticks on
// both axes, points, polylines, horizontal lines, circles and notes.
// Items are given in data coordinates; the ranges are chosen when the text
// is made, from every finite value drawn (positive values on a logarithmic
// axis).  Values that cannot be placed (not finite; not positive on a
// logarithmic axis) are clamped to the bottom edge if zero or negative, and
// left out if not finite.
//
// Tick labels carry the class "xtick" or "ytick" and sit exactly at their
// tick (x for the x axis, y for the y axis); the scale of each axis is in
// the attribute data-scale ("linear" or "log") of its tick group.
#ifndef ZELKOR_SVG_H
#define ZELKOR_SVG_H

#include <iosfwd>
#include <string>
#include <vector>

class Voice;

struct Axis {
    std::string label;
    bool log = false;      // base-10 logarithmic
    bool integer = false;  // linear, ticks on whole numbers only
};

class SvgChart {
public:
    // equalScale: one data unit is the same length on both axes (a square
    // plot), for points in the complex plane.
    SvgChart(std::string title, Axis x, Axis y, bool equalScale = false);

    // Filled circles of class `cls`.
    void points(const std::vector<double>& xs, const std::vector<double>& ys, const std::string& cls,
                const std::string& colour);
    void polyline(const std::vector<double>& xs, const std::vector<double>& ys, const std::string& colour,
                  bool dashed = false);
    // A line across the plot at height y, labelled at its right end.
    void hline(double y, const std::string& label, const std::string& colour, bool dashed = true);
    // A circle of radius r around (x, y) in data units (equal scale only).
    void circle(double x, double y, double r, const std::string& colour);
    // A line of text under the title.
    void note(const std::string& text);

    void write(std::ostream& out) const;

private:
    struct Item {
        enum Kind { Points, Line, HLine, Circle } kind;
        std::vector<double> xs, ys;
        std::string cls, colour, label;
        bool dashed;
        double r;
    };
    std::string title_;
    Axis x_, y_;
    bool equal_;
    std::vector<Item> items_;
    std::vector<std::string> notes_;
};

// The eigenvalues re[k] + i·im[k] in the complex plane, one scale on both
// axes, the real axis drawn; real ones in one colour, each conjugate pair
// in another, joined by a dashed line.  unitCircle adds |z| = 1.
SvgChart complexPlaneChart(const std::string& title, const std::vector<double>& re,
                           const std::vector<double>& im, bool unitCircle);

// Empty when a file may be created or replaced at `path`, otherwise the
// reason (the system's message).  Creates nothing.
std::string unwritableReason(const std::string& path);

// Writes the chart to `path`; on failure the voice says "cannot write
// <path>[: reason]".  Returns the exit status, 0 or 1.
int writeChart(const SvgChart& chart, const std::string& path, const Voice& voice);

// The check before a report: 0 when `path` is empty or writable, otherwise
// 1 after the same line.
int checkChartPath(const std::string& path, const Voice& voice);

#endif
