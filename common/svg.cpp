// SPDX-License-Identifier: MIT
#include "svg.h"

#include <unistd.h>

#include <sys/stat.h>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "voice.h"

namespace {

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

// Length of the well-formed UTF-8 sequence of two to four bytes at s[i],
// or 0 (overlong forms and surrogates are not checked).
std::size_t utf8Length(const std::string& s, std::size_t i) {
    unsigned char c = s[i];
    std::size_t n = c >= 0xf0 && c < 0xf5 ? 4 : c >= 0xe0 ? 3 : c >= 0xc2 && c < 0xe0 ? 2 : 0;
    if (c >= 0xf5 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xc0) != 0x80) return 0;
    return n;
}

// Text as XML character data: markup escaped, control bytes and bytes that
// are not UTF-8 (a file name in another encoding) shown as '?'.
std::string escaped(const std::string& s) {
    std::string r;
    for (std::size_t i = 0; i < s.size(); ++i) {
        unsigned char c = s[i];
        if (c == '&')
            r += "&amp;";
        else if (c == '<')
            r += "&lt;";
        else if (c == '>')
            r += "&gt;";
        else if (c == '"')
            r += "&quot;";
        else if (c >= 0x20 && c < 0x7f)
            r += static_cast<char>(c);
        else if (std::size_t n = c >= 0x80 ? utf8Length(s, i) : 0) {
            r.append(s, i, n);
            i += n - 1;
        } else
            r += '?';
    }
    return r;
}

// The text split into characters: each well-formed UTF-8 sequence, and
// each other byte, is one.
std::vector<std::string> characters(const std::string& s) {
    std::vector<std::string> cs;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = static_cast<unsigned char>(s[i]) >= 0x80 ? utf8Length(s, i) : 0;
        n = std::max<std::size_t>(n, 1);
        cs.push_back(s.substr(i, n));
        i += n;
    }
    return cs;
}

// A character's width in ems, estimated from above for the usual
// sans-serif fonts (DejaVu Sans, Liberation Sans).
double ems(const std::string& c) {
    if (c.size() > 1) return 1;  // beyond ASCII: up to a full em (CJK)
    const char k = c[0];
    auto among = [k](const char* set) { return k != '\0' && std::strchr(set, k) != nullptr; };
    if (among(" .,:;'|!ijlft()[]")) return 0.4;
    if (among("mwMW@%")) return 1;
    if ((k >= 'A' && k <= 'Z') || among("<>=+~#&")) return 0.85;
    return 0.65;
}

double textWidth(const std::string& s, double size) {
    double w = 0;
    for (const std::string& c : characters(s)) w += ems(c) * size;
    return w;
}

// The last component of a path ("a/b/c.dat" gives "c.dat").
std::string baseName(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos || path.size() == 1 ? path : path.substr(slash + 1);
}

// The pattern with %1 the name, the name's middle replaced by "…" so that
// the text is at most `room` wide: as many characters as fit are kept
// from its ends, alternately from the front and the back.
std::string fitted(const std::string& pattern, const std::string& name, double size, double room) {
    std::string whole = fill(pattern, {name});
    if (textWidth(whole, size) <= room) return whole;
    const std::string ellipsis = "…";
    const std::vector<std::string> cs = characters(name);
    double used = textWidth(fill(pattern, {ellipsis}), size);
    std::size_t head = 0, tail = 0;
    while (head + tail < cs.size()) {
        const bool front = head <= tail;
        const double w = ems(front ? cs[head] : cs[cs.size() - 1 - tail]) * size;
        if (used + w > room) break;
        used += w;
        ++(front ? head : tail);
    }
    std::string shortened;
    for (std::size_t k = 0; k < head; ++k) shortened += cs[k];
    shortened += ellipsis;
    for (std::size_t k = cs.size() - tail; k < cs.size(); ++k) shortened += cs[k];
    return fill(pattern, {shortened});
}

// The markers' radius for n points, in picture units: 18/√n within
// [1.5, 4.5], so that a few hundred points stay apart on the plot.
double markerRadius(std::size_t n) {
    return n == 0 ? 4.5 : std::clamp(18 / std::sqrt(static_cast<double>(n)), 1.5, 4.5);
}

// A picture coordinate far outside the picture, held at ±1e6.
double held(double v) { return std::fmax(-1e6, std::fmin(1e6, v)); }

// A picture coordinate as written.
std::string num(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", held(v));
    return b;
}

std::string label(double v) {
    std::ostringstream s;
    s << v;
    return s.str() == "-0" ? "0" : s.str();
}

// 1, 2 or 5 times a power of ten, near span / 6.
double niceStep(double span) {
    double raw = span / 6;
    double p = std::pow(10.0, std::floor(std::log10(raw)));
    double f = raw / p;
    return (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * p;
}

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

bool placeable(double v, bool log) { return std::isfinite(v) && (!log || v > 0); }

Scale makeScale(const std::vector<double>& values, const Axis& axis) {
    Scale s;
    s.log = axis.log;
    double lo = INFINITY, hi = -INFINITY;
    bool offAxis = false;  // a value at or below 0 on a log axis: drawn a decade below the rest
    for (double v : values) {
        offAxis = offAxis || (axis.log && v <= 0);
        if (!placeable(v, axis.log)) continue;
        double w = axis.log ? std::log10(v) : v;
        lo = std::min(lo, w);
        hi = std::max(hi, w);
    }
    if (!(lo <= hi)) lo = hi = 0;
    if (axis.log) {
        s.lo = std::floor(lo - 0.1) - (offAxis ? 1 : 0);
        s.hi = std::max(std::ceil(hi + 0.1), s.lo + 1);
        s.step = std::ceil((s.hi - s.lo) / 8);
        return s;
    }
    double pad = (hi - lo) * 0.05;
    if (pad == 0) pad = lo == 0 ? 1 : std::fabs(lo) * 0.5;
    lo -= pad;
    hi += pad;
    s.step = niceStep(hi - lo);
    if (axis.integer) {  // half a unit beyond the ends, ticks on whole numbers
        s.step = std::max(1.0, std::round(s.step));
        s.lo = std::floor(lo + pad) - 0.5;
        s.hi = std::ceil(hi - pad) + 0.5;
        return s;
    }
    s.lo = std::floor(lo / s.step) * s.step;
    s.hi = std::ceil(hi / s.step) * s.step;
    return s;
}

// A range of extreme values (overflowing its span, or too narrow for
// double) is replaced by -1 ... 1: such points then fall outside the plot.
Scale usable(Scale s) {
    const double span = s.hi - s.lo;
    if (std::isfinite(span) && span > 0 && s.step > 0 && span / s.step <= 100) return s;
    s.lo = -1;
    s.hi = 1;
    s.step = s.log ? 1 : 0.5;
    return s;
}

// Both spans made equal: the shorter one grows on both sides to the longer.
void equalise(Scale& a, Scale& b) {
    double step = std::max(a.step, b.step);
    for (Scale* s : {&a, &b}) {
        s->step = step;
        s->lo = std::floor(s->lo / step) * step;
        s->hi = std::ceil(s->hi / step) * step;
    }
    double span = std::max(a.hi - a.lo, b.hi - b.lo);
    for (Scale* s : {&a, &b}) {
        double extra = std::round((span - (s->hi - s->lo)) / step);
        double below = std::floor(extra / 2);
        s->lo -= below * step;
        s->hi = s->lo + span;
    }
}

}  // namespace

struct SvgChart::Frame {
    Scale sx, sy;
    double top, w, h, width, height;
    double r;  // of the markers
    double px(double v) const { return left + sx.at(v) * w; }
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

namespace {

// The room of an entry's swatch and of the whole entry in the legend.
double swatchRoom(const LegendEntry& e) {
    return e.swatch == LegendEntry::None ? 0 : swatchWidth + swatchGap;
}
double entryWidth(const LegendEntry& e) { return swatchRoom(e) + textWidth(e.text, legendSize); }

// The legend's entries, row by row: [first, last) of each row, every row
// at most `room` wide.
using Rows = std::vector<std::pair<std::size_t, std::size_t>>;

Rows legendRows(const std::vector<LegendEntry>& entries, double room) {
    Rows rows;
    double x = 0;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        const double w = entryWidth(entries[k]);
        if (rows.empty() || x + entryGap + w > room) {
            rows.push_back({k, k});
            x = -entryGap;
        }
        x += entryGap + w;
        rows.back().second = k + 1;
    }
    return rows;
}

double rowWidth(const std::vector<LegendEntry>& entries, std::size_t first, std::size_t last) {
    double w = -entryGap;
    for (std::size_t k = first; k < last; ++k) w += entryGap + entryWidth(entries[k]);
    return w;
}

// The swatch of an entry, in the box from x (width swatchWidth) centred on y.
void writeSwatch(std::ostream& out, const LegendEntry& e, double x, double y) {
    auto line = [&](const char* dash) {
        out << "<line x1=\"" << num(x) << "\" y1=\"" << num(y) << "\" x2=\"" << num(x + swatchWidth)
            << "\" y2=\"" << num(y) << "\" stroke=\"" << e.colour << "\" stroke-width=\"1.5\"" << dash
            << "/>\n";
    };
    auto dot = [&](double cx) {
        out << "<circle class=\"swatch\" cx=\"" << num(cx) << "\" cy=\"" << num(y) << "\" r=\"4.5\" fill=\""
            << e.colour << "\" stroke=\"white\" stroke-width=\"0.9\"/>\n";
    };
    switch (e.swatch) {
        case LegendEntry::Marker:
            dot(x + swatchWidth / 2);
            break;
        case LegendEntry::MarkerOnLine:
            line("");
            dot(x + swatchWidth / 2);
            break;
        case LegendEntry::Line:
            line("");
            break;
        case LegendEntry::DashedLine:
            line(" stroke-dasharray=\"6 4\"");
            break;
        case LegendEntry::Pair:
            line(" stroke-dasharray=\"4 3\"");
            dot(x + 5);
            dot(x + swatchWidth - 5);
            break;
        case LegendEntry::Ring:
            out << "<circle class=\"swatch\" cx=\"" << num(x + swatchWidth / 2) << "\" cy=\"" << num(y)
                << "\" r=\"8\" fill=\"none\" stroke=\"" << e.colour << "\" stroke-dasharray=\"3 2\"/>\n";
            break;
        case LegendEntry::None:
            break;
    }
}

// The legend's rows, each centred in the picture's width, from `top` down.
void writeLegend(std::ostream& out, const std::vector<LegendEntry>& entries, const Rows& rows, double width,
                 double top) {
    if (rows.empty()) return;
    out << "<g class=\"legend\">\n";
    for (std::size_t row = 0; row < rows.size(); ++row) {
        const auto [first, last] = rows[row];
        double x = (width - rowWidth(entries, first, last)) / 2;
        const double y = top + legendRow * (static_cast<double>(row) + 0.5);
        for (std::size_t k = first; k < last; ++k) {
            const LegendEntry& e = entries[k];
            out << "<g class=\"legend-entry\" data-kind=\"" << escaped(e.kind) << "\">\n";
            writeSwatch(out, e, x, y);
            x += swatchRoom(e);
            out << "<text x=\"" << num(x) << "\" y=\"" << num(y)
                << "\" dominant-baseline=\"middle\" font-size=\"" << num(legendSize) << "\">"
                << escaped(e.text) << "</text>\n</g>\n";
            x += textWidth(e.text, legendSize) + entryGap;
        }
    }
    out << "</g>\n";
}

}  // namespace

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

// Every placeable point as a marker of one point: those of merging sets in
// `merging`, the others in `drawn`.
void SvgChart::singles(const Frame& f, std::vector<Marker>& drawn, std::vector<Marker>& merging) const {
    for (std::size_t k = 0; k < items_.size(); ++k) {
        const Item& it = items_[k];
        if (it.kind != Item::Points) continue;
        for (std::size_t i = 0; i < it.xs.size(); ++i) {
            if (!placeable(it.xs[i], x_.log) || !std::isfinite(it.ys[i])) continue;
            (it.merge ? merging : drawn).push_back({held(f.px(it.xs[i])), held(f.py(it.ys[i])), 1, k, i});
        }
    }
}

// The merging points grouped in sorted order (`merging` is sorted): each
// group is the first point not yet taken and every later one within `near`
// of it, listed by their places in `merging`.
std::vector<std::vector<std::size_t>> SvgChart::groups(std::vector<Marker>& merging, double near) {
    std::stable_sort(merging.begin(), merging.end(), [](const Marker& a, const Marker& b) {
        return a.x != b.x ? a.x < b.x : a.y != b.y ? a.y < b.y : a.item < b.item;
    });
    std::vector<std::vector<std::size_t>> found;
    std::vector<bool> taken(merging.size(), false);
    for (std::size_t i = 0; i < merging.size(); ++i) {
        if (taken[i]) continue;
        found.push_back({i});
        for (std::size_t j = i + 1; j < merging.size() && merging[j].x - merging[i].x <= near; ++j) {
            if (taken[j] || std::hypot(merging[j].x - merging[i].x, merging[j].y - merging[i].y) > near)
                continue;
            taken[j] = true;
            found.back().push_back(j);
        }
    }
    return found;
}

// Every placeable point as a marker, each group of the merging sets as one
// at its mean in the colour of the first set among its points; a marker
// centred on a horizontal line is larger than the line is wide, over a rim
// as wide as the line.
std::vector<SvgChart::Marker> SvgChart::markers(const Frame& f) const {
    std::vector<Marker> drawn, merging;
    singles(f, drawn, merging);
    for (const std::vector<std::size_t>& g : groups(merging, f.r / 2)) {
        Marker group = merging[g[0]];
        for (std::size_t k = 1; k < g.size(); ++k) {
            group.x += merging[g[k]].x;
            group.y += merging[g[k]].y;
            group.item = std::min(group.item, merging[g[k]].item);
        }
        group.count = static_cast<int>(g.size());
        group.x /= group.count;
        group.y /= group.count;
        drawn.push_back(group);
    }
    const std::vector<double> lines = lineYs(f);
    for (Marker& m : drawn) {
        m.onLine = std::any_of(lines.begin(), lines.end(),
                               [&](double y) { return std::fabs(m.y - y) <= lineWidth / 2; });
        m.r = m.onLine ? std::max(f.r, 1.5 * lineWidth) : f.r;
        m.rim = m.onLine ? lineWidth : f.r / 5;
    }
    return drawn;
}

std::vector<std::size_t> SvgChart::markerOf(const std::vector<double>& xs, const std::vector<double>& ys) const {
    SvgChart probe = *this;
    probe.points(xs, ys, "", "", true);
    const Frame f = probe.frame();
    std::vector<Marker> drawn, merging;
    probe.singles(f, drawn, merging);
    std::vector<std::size_t> marker(xs.size(), npos);
    const std::vector<std::vector<std::size_t>> found = groups(merging, f.r / 2);
    for (std::size_t g = 0; g < found.size(); ++g)
        for (std::size_t k : found[g])
            if (merging[k].item + 1 == probe.items_.size()) marker[merging[k].index] = g;
    return marker;
}

// The picture heights of the horizontal lines.
std::vector<double> SvgChart::lineYs(const Frame& f) const {
    std::vector<double> ys;
    for (const Item& it : items_)
        if (it.kind == Item::HLine && std::isfinite(it.ys[0])) ys.push_back(f.py(it.ys[0]));
    return ys;
}

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

namespace {

std::string countText(int count) { return fill(_("×%1"), {std::to_string(count)}); }

// The distances from (x, y) to the nearest and to the farthest point of a
// box [x0, x1] × [y0, y1]; whether two boxes are `gap` apart.
double nearest(double x0, double y0, double x1, double y1, double x, double y) {
    return std::hypot(std::fmax(0, std::fmax(x0 - x, x - x1)), std::fmax(0, std::fmax(y0 - y, y - y1)));
}
double farthest(double x0, double y0, double x1, double y1, double x, double y) {
    return std::hypot(std::fmax(std::fabs(x - x0), std::fabs(x - x1)), std::fmax(std::fabs(y - y0), std::fabs(y - y1)));
}

}  // namespace

// The box of each marker's label "×k" (empty for a marker of one point):
// the first of eight places around the marker, above right first, that
// lies inside the plot clear of every marker, line, circle and label
// placed before; labels of larger counts placed first.
std::vector<SvgChart::Box> SvgChart::labelBoxes(const Frame& f, const std::vector<Marker>& marks) const {
    constexpr double gap = 1, ascent = 0.75 * countSize, descent = 0.05 * countSize;
    const std::vector<double> lines = lineYs(f);
    std::vector<std::size_t> order;
    for (std::size_t k = 0; k < marks.size(); ++k)
        if (marks[k].count > 1) order.push_back(k);
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return marks[a].count > marks[b].count; });
    std::vector<Box> boxes(marks.size());
    auto clear = [&](const Box& b) {
        if (b.x0 < left + gap || b.x1 > left + f.w - gap || b.y0 < f.top + gap || b.y1 > f.top + f.h - gap)
            return false;
        for (const Marker& m : marks)
            if (nearest(b.x0, b.y0, b.x1, b.y1, m.x, m.y) <= m.r + m.rim / 2 + gap) return false;
        for (double y : lines)
            if (b.y0 - gap <= y && y <= b.y1 + gap) return false;
        for (const Item& it : items_) {
            if (it.kind != Item::Circle) continue;
            const double cx = f.px(it.xs[0] + it.r), cy = f.py(it.ys[0] + it.r);
            const double r = it.r / (f.sx.hi - f.sx.lo) * f.w;
            if (nearest(b.x0, b.y0, b.x1, b.y1, cx, cy) <= r + gap &&
                farthest(b.x0, b.y0, b.x1, b.y1, cx, cy) >= r - gap)
                return false;
        }
        return std::all_of(boxes.begin(), boxes.end(), [&](const Box& o) {
            return o.x0 > o.x1 || b.x1 + gap <= o.x0 || o.x1 + gap <= b.x0 || b.y1 + gap <= o.y0 || o.y1 + gap <= b.y0;
        });
    };
    for (std::size_t k : order) {
        const Marker& m = marks[k];
        const double w = textWidth(countText(m.count), countSize);
        const double xr = m.x + m.r + 1.5, xl = m.x - m.r - 1.5 - w, xm = m.x - w / 2;
        const double above = m.y - m.r - 1, level = m.y + (ascent - descent) / 2, below = m.y + m.r + 1 + ascent;
        const double places[8][2] = {{xr, above}, {xr, level}, {xr, below},
                                     {xl, above}, {xl, level}, {xl, below},
                                     {xm, above - 0.5 - descent}, {xm, below + 0.5}};
        for (const auto& [x, baseline] : places) {
            const Box b{x, baseline - ascent, x + w, baseline + descent, baseline};
            if (clear(b)) {
                boxes[k] = b;
                break;
            }
        }
    }
    return boxes;
}

// Each marker, then the labels of those that stand for several points; a
// label without room is its marker's tooltip.
void SvgChart::writeMarkers(std::ostream& out, const Frame& f, const std::vector<Marker>& marks) const {
    const std::vector<Box> boxes = labelBoxes(f, marks);
    for (std::size_t k = 0; k < marks.size(); ++k) {
        const Marker& m = marks[k];
        const Item& it = items_[m.item];
        out << "<circle class=\"" << it.cls << "\" cx=\"" << num(m.x) << "\" cy=\"" << num(m.y) << "\" r=\""
            << num(m.r) << "\" fill=\"" << it.colour << "\" stroke=\"white\" stroke-width=\"" << num(m.rim)
            << "\"" << (m.onLine ? " paint-order=\"stroke\"" : "");
        if (m.count > 1) out << " data-count=\"" << m.count << "\"";
        if (m.count > 1 && boxes[k].x0 > boxes[k].x1)
            out << "><title>" << escaped(countText(m.count)) << "</title></circle>\n";
        else
            out << "/>\n";
    }
    for (std::size_t k = 0; k < marks.size(); ++k)
        if (marks[k].count > 1 && boxes[k].x0 <= boxes[k].x1)
            out << "<text class=\"count\" x=\"" << num(boxes[k].x0) << "\" y=\""
                << num(boxes[k].baseline) << "\" font-size=\"" << num(countSize) << "\" fill=\""
                << items_[marks[k].item].colour << "\">" << escaped(countText(marks[k].count)) << "</text>\n";
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

SvgChart complexPlaneChart(const std::string& titlePattern, const std::string& dataFile,
                           const std::vector<double>& re, const std::vector<double>& im, PlanePoints what,
                           bool unitCircle) {
    const char *realColour = "#1b65b5", *pairColour = "#d95f02", *circleColour = "#888";
    SvgChart chart(titlePattern, dataFile, {_("real part"), false, false},
                   {_("imaginary part"), false, false}, true);
    if (unitCircle) chart.circle(0, 0, 1, circleColour);
    chart.hline(0, "", "black", false);  // the real axis
    // A pair (consecutive values with im ≠ 0) whose two values fall on one
    // marker is two real values on the picture.
    const std::vector<std::size_t> marker = chart.markerOf(re, im);
    std::vector<double> rx, ry, px, py;
    for (std::size_t k = 0; k < re.size(); ++k) {
        const std::size_t n = im[k] != 0 && k + 1 < re.size() ? 2 : 1;
        const bool real = im[k] == 0 || (n == 2 && marker[k] == marker[k + 1] && marker[k] != SvgChart::npos);
        for (std::size_t i = k; i < k + n; ++i) {
            (real ? rx : px).push_back(re[i]);
            (real ? ry : py).push_back(im[i]);
        }
        k += n - 1;
    }
    const bool roots = what == PlanePoints::Roots;
    const unsigned long reals = rx.size(), pairs = px.size() / 2;
    // Past a few dozen pairs their joins would cover the plot.
    const bool joined = pairs <= 24;
    for (std::size_t k = 0; joined && k + 1 < px.size(); k += 2)
        chart.polyline({px[k], px[k + 1]}, {py[k], py[k + 1]}, pairColour, true);
    chart.points(rx, ry, "point", realColour, true);
    chart.points(px, py, "point", pairColour, true);

    if (reals > 0)
        chart.legend({LegendEntry::Marker, "real", realColour,
                      fill(roots ? trn("%1 real root", "%1 real roots", reals)
                                 : trn("%1 real eigenvalue", "%1 real eigenvalues", reals),
                           {std::to_string(reals)})});
    if (pairs > 0)
        chart.legend({joined ? LegendEntry::Pair : LegendEntry::Marker, "pair", pairColour,
                      fill(trn("%1 complex-conjugate pair", "%1 complex-conjugate pairs", pairs),
                           {std::to_string(pairs)})});
    if (unitCircle) chart.legend({LegendEntry::Ring, "circle", circleColour, _("unit circle |z| = 1")});
    chart.mergedLegend(roots ? _("×k: k roots that coincide on the picture")
                             : _("×k: k eigenvalues that coincide on the picture"));
    return chart;
}

std::string unwritableReason(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) return std::strerror(EISDIR);
        return access(path.c_str(), W_OK) == 0 ? "" : std::strerror(errno);
    }
    if (errno != ENOENT) return std::strerror(errno);
    std::string::size_type slash = path.rfind('/');
    std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return access(folder.c_str(), W_OK | X_OK) == 0 ? "" : std::strerror(errno);
}

int checkChartPath(const std::string& path, const Voice& voice) {
    if (path.empty()) return 0;
    std::string reason = unwritableReason(path);
    if (reason.empty()) return 0;
    voice.cannotWrite(path, reason);
    return 1;
}

int writeChart(const SvgChart& chart, const std::string& path, const Voice& voice) {
    errno = 0;
    std::ofstream file(path, std::ios::out | std::ios::trunc);
    if (file) {
        chart.write(file);
        file.close();
    }
    if (!file) {
        voice.cannotWrite(path, systemReason(errno, ""));
        return 1;
    }
    return 0;
}
