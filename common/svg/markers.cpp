// SPDX-License-Identifier: MIT
// The chart's points as markers: merged where they coincide on the
// picture, with their count labels placed clear of everything drawn.
#include <algorithm>
#include <cmath>
#include <ostream>

#include "shell/translate.h"
#include "svg/parts.h"

using namespace svg;

// The markers' radius for n points, in picture units: 18/√n within
// [1.5, 4.5], so that a few hundred points stay apart on the plot.
double svg::markerRadius(std::size_t n) {
    return n == 0 ? 4.5 : std::clamp(18 / std::sqrt(static_cast<double>(n)), 1.5, 4.5);
}

namespace {

std::string countText(int count) { return fill(_("×%1"), {std::to_string(count)}); }

// The distances from (x, y) to the nearest and to the farthest point of a
// box [x0, x1] × [y0, y1]; whether two boxes are `gap` apart.
double nearest(double x0, double y0, double x1, double y1, double x, double y) {
    return std::hypot(std::fmax(0, std::fmax(x0 - x, x - x1)), std::fmax(0, std::fmax(y0 - y, y - y1)));
}
double farthest(double x0, double y0, double x1, double y1, double x, double y) {
    return std::hypot(std::fmax(std::fabs(x - x0), std::fabs(x - x1)),
                      std::fmax(std::fabs(y - y0), std::fabs(y - y1)));
}

}  // namespace

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

std::vector<std::size_t> SvgChart::markerOf(const std::vector<double>& xs,
                                            const std::vector<double>& ys) const {
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
            return o.x0 > o.x1 || b.x1 + gap <= o.x0 || o.x1 + gap <= b.x0 || b.y1 + gap <= o.y0 ||
                   o.y1 + gap <= b.y0;
        });
    };
    for (std::size_t k : order) {
        const Marker& m = marks[k];
        const double w = textWidth(countText(m.count), countSize);
        const double xr = m.x + m.r + 1.5, xl = m.x - m.r - 1.5 - w, xm = m.x - w / 2;
        const double above = m.y - m.r - 1, level = m.y + (ascent - descent) / 2,
                     below = m.y + m.r + 1 + ascent;
        const double places[8][2] = {{xr, above},
                                     {xr, level},
                                     {xr, below},
                                     {xl, above},
                                     {xl, level},
                                     {xl, below},
                                     {xm, above - 0.5 - descent},
                                     {xm, below + 0.5}};
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
            out << "<text class=\"count\" x=\"" << num(boxes[k].x0) << "\" y=\"" << num(boxes[k].baseline)
                << "\" font-size=\"" << num(countSize) << "\" fill=\"" << items_[marks[k].item].colour
                << "\">" << escaped(countText(marks[k].count)) << "</text>\n";
}
