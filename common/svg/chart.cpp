// SPDX-License-Identifier: MIT
#include "svg/chart.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "svg/parts.h"

using namespace svg;

SvgChart::SvgChart(std::string titlePattern, const std::string& dataFile, Axis x, Axis y, bool equalScale)
    : title_(std::move(titlePattern)),
      file_(baseName(dataFile)),
      x_(std::move(x)),
      y_(std::move(y)),
      equal_(equalScale) {}

void SvgChart::points(const std::vector<double>& xs, const std::vector<double>& ys, const std::string& cls,
                      const std::string& colour, bool merge) {
    items_.push_back({Item::Points, xs, ys, cls, colour, "", false, 0, merge});
}

void SvgChart::polyline(const std::vector<double>& xs, const std::vector<double>& ys,
                        const std::string& colour, bool dashed) {
    items_.push_back({Item::Line, xs, ys, "line", colour, "", dashed, 0, false});
}

void SvgChart::hline(double y, const std::string& label, const std::string& colour, bool dashed) {
    items_.push_back({Item::HLine, {}, {y}, "level", colour, label, dashed, 0, false});
}

void SvgChart::circle(double x, double y, double r, const std::string& colour) {
    items_.push_back({Item::Circle, {x - r, x + r}, {y - r, y + r}, "circle", colour, "", false, r, false});
}

void SvgChart::note(const std::string& text) { notes_.push_back(text); }

void SvgChart::legend(const LegendEntry& entry) { legend_.push_back(entry); }

void SvgChart::mergedLegend(const std::string& text) { mergedLegend_ = text; }

// The plot's scales and place in the picture, the markers' radius; the
// picture's height without the legend.
SvgChart::Frame SvgChart::frame() const {
    std::vector<double> xs, ys;
    std::size_t pointCount = 0;
    for (const Item& it : items_) {
        xs.insert(xs.end(), it.xs.begin(), it.xs.end());
        ys.insert(ys.end(), it.ys.begin(), it.ys.end());
        if (it.kind == Item::Points) pointCount += it.xs.size();
    }
    Frame f;
    f.sx = usable(makeScale(xs, x_));
    f.sy = usable(makeScale(ys, y_));
    if (equal_) equalise(f.sx, f.sy);
    f.w = equal_ ? squareSide : plotWidth;
    f.h = equal_ ? squareSide : plotHeight;
    f.top = plotTop + noteStep * static_cast<double>(notes_.size() > 1 ? notes_.size() - 1 : 0);
    f.width = left + f.w + right;
    f.height = f.top + f.h + bottom;
    f.r = markerRadius(pointCount);
    return f;
}

void SvgChart::write(std::ostream& out) const {
    Frame f = frame();
    const std::vector<Marker> marks = markers(f);
    std::vector<LegendEntry> entries = legend_;
    const bool merged = std::any_of(marks.begin(), marks.end(), [](const Marker& m) { return m.count > 1; });
    if (merged && !mergedLegend_.empty())
        entries.push_back({LegendEntry::None, "multiple", "black", mergedLegend_});
    const Rows rows = legendRows(entries, f.width - 2 * margin);
    const double legendTop = f.height;
    if (!rows.empty()) f.height += legendRow * static_cast<double>(rows.size()) + 8;

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << num(f.width) << "\" height=\""
        << num(f.height) << "\" viewBox=\"0 0 " << num(f.width) << " " << num(f.height)
        << "\" font-family=\"sans-serif\" font-size=\"15\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text class=\"title\" x=\"" << num(f.width / 2)
        << "\" y=\"28\" text-anchor=\"middle\" font-size=\"" << num(titleSize) << "\">"
        << escaped(fitted(title_, file_, titleSize, f.width - 2 * margin)) << "</text>\n";
    for (std::size_t i = 0; i < notes_.size(); ++i)
        out << "<text class=\"note\" x=\"" << num(f.width / 2) << "\" y=\""
            << num(48 + noteStep * static_cast<double>(i)) << "\" text-anchor=\"middle\" font-size=\""
            << num(noteSize) << "\">" << escaped(notes_[i]) << "</text>\n";
    writeAxes(out, f);

    // The items, clipped to the plot; the markers last, over the lines.
    out << "<clipPath id=\"plot\"><rect x=\"" << num(left) << "\" y=\"" << num(f.top) << "\" width=\""
        << num(f.w) << "\" height=\"" << num(f.h) << "\"/></clipPath>\n<g clip-path=\"url(#plot)\">\n";
    writeItems(out, f);
    writeMarkers(out, f, marks);
    out << "</g>\n";
    writeLegend(out, entries, rows, f.width, legendTop);
    out << "</svg>\n";
}

// Grid, ticks and their labels, the frame and the axis labels.
void SvgChart::writeAxes(std::ostream& out, const Frame& f) const {
    const Scale &sx = f.sx, &sy = f.sy;
    const double top = f.top, w = f.w, h = f.h;
    out << "<g class=\"xticks\" data-scale=\"" << (sx.log ? "log" : "linear") << "\">\n";
    for (double k = std::ceil(sx.lo / sx.step - 1e-9); k * sx.step <= sx.hi + 1e-9 * sx.step; ++k) {
        double v = k * sx.step, x = left + (v - sx.lo) / (sx.hi - sx.lo) * w;
        std::string text = sx.log ? label(std::pow(10.0, v)) : label(std::fabs(v) < 1e-9 * sx.step ? 0 : v);
        out << "<line x1=\"" << num(x) << "\" y1=\"" << num(top) << "\" x2=\"" << num(x) << "\" y2=\""
            << num(top + h + 5) << "\" stroke=\"#ddd\"/>\n"
            << "<text class=\"xtick\" x=\"" << num(x) << "\" y=\"" << num(top + h + 22)
            << "\" text-anchor=\"middle\">" << text << "</text>\n";
    }
    out << "</g>\n<g class=\"yticks\" data-scale=\"" << (sy.log ? "log" : "linear") << "\">\n";
    for (double k = std::ceil(sy.lo / sy.step - 1e-9); k * sy.step <= sy.hi + 1e-9 * sy.step; ++k) {
        double v = k * sy.step, y = top + h - (v - sy.lo) / (sy.hi - sy.lo) * h;
        std::string text = sy.log ? label(std::pow(10.0, v)) : label(std::fabs(v) < 1e-9 * sy.step ? 0 : v);
        out << "<line x1=\"" << num(left - 5) << "\" y1=\"" << num(y) << "\" x2=\"" << num(left + w)
            << "\" y2=\"" << num(y) << "\" stroke=\"#ddd\"/>\n"
            << "<text class=\"ytick\" x=\"" << num(left - 9) << "\" y=\"" << num(y)
            << "\" text-anchor=\"end\" dominant-baseline=\"middle\">" << text << "</text>\n";
    }
    out << "</g>\n<rect class=\"frame\" x=\"" << num(left) << "\" y=\"" << num(top) << "\" width=\"" << num(w)
        << "\" height=\"" << num(h) << "\" fill=\"none\" stroke=\"black\"/>\n"
        << "<text x=\"" << num(left + w / 2) << "\" y=\"" << num(top + h + bottom - 18)
        << "\" text-anchor=\"middle\">" << escaped(x_.label) << "</text>\n"
        << "<text transform=\"translate(22 " << num(top + h / 2) << ") rotate(-90)\" text-anchor=\"middle\">"
        << escaped(y_.label) << "</text>\n";
}

// The lines and circles (the points are drawn as markers).
void SvgChart::writeItems(std::ostream& out, const Frame& f) const {
    auto pathOf = [&](const Item& it) {
        std::string d;
        for (std::size_t i = 0; i < it.xs.size(); ++i) {
            if (!placeable(it.xs[i], x_.log) || !std::isfinite(it.ys[i])) continue;
            d += num(f.px(it.xs[i])) + "," + num(f.py(it.ys[i])) + " ";
        }
        return d;
    };
    for (const Item& it : items_) {
        const std::string dash = it.dashed ? "\" stroke-dasharray=\"6 4" : "";
        if (it.kind == Item::Line) {
            out << "<polyline points=\"" << pathOf(it) << "\" fill=\"none\" stroke=\"" << it.colour
                << "\" stroke-width=\"" << lineWidth << dash << "\"/>\n";
        } else if (it.kind == Item::HLine && std::isfinite(it.ys[0])) {
            const double y = f.py(it.ys[0]);
            out << "<line class=\"level\" x1=\"" << num(left) << "\" y1=\"" << num(y) << "\" x2=\""
                << num(left + f.w) << "\" y2=\"" << num(y) << "\" stroke=\"" << it.colour
                << "\" stroke-width=\"" << lineWidth << dash << "\"/>\n";
            if (!it.label.empty())
                out << "<text x=\"" << num(left + f.w - 6) << "\" y=\"" << num(y - 6)
                    << "\" text-anchor=\"end\" fill=\"" << it.colour << "\">" << escaped(it.label)
                    << "</text>\n";
        } else if (it.kind == Item::Circle) {
            out << "<circle class=\"circle\" cx=\"" << num(f.px(it.xs[0] + it.r)) << "\" cy=\""
                << num(f.py(it.ys[0] + it.r)) << "\" r=\"" << num(it.r / (f.sx.hi - f.sx.lo) * f.w)
                << "\" fill=\"none\" stroke=\"" << it.colour << "\" stroke-dasharray=\"4 4\"/>\n";
        }
    }
}
