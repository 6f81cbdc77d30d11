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

#include "voice.h"

namespace {

// Plot area inside the picture, in picture units.
constexpr double left = 90, top = 70, plotWidth = 560, plotHeight = 380, squareSide = 460;
constexpr double right = 30, bottom = 70;

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

// A picture coordinate; far outside the picture it is held at ±1e6.
std::string num(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%.2f", std::fmax(-1e6, std::fmin(1e6, v)));
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

SvgChart::SvgChart(std::string title, Axis x, Axis y, bool equalScale)
    : title_(std::move(title)), x_(std::move(x)), y_(std::move(y)), equal_(equalScale) {}

void SvgChart::points(const std::vector<double>& xs, const std::vector<double>& ys, const std::string& cls,
                      const std::string& colour) {
    items_.push_back({Item::Points, xs, ys, cls, colour, "", false, 0});
}

void SvgChart::polyline(const std::vector<double>& xs, const std::vector<double>& ys,
                        const std::string& colour, bool dashed) {
    items_.push_back({Item::Line, xs, ys, "line", colour, "", dashed, 0});
}

void SvgChart::hline(double y, const std::string& label, const std::string& colour, bool dashed) {
    items_.push_back({Item::HLine, {}, {y}, "level", colour, label, dashed, 0});
}

void SvgChart::circle(double x, double y, double r, const std::string& colour) {
    items_.push_back({Item::Circle, {x - r, x + r}, {y - r, y + r}, "circle", colour, "", false, r});
}

void SvgChart::note(const std::string& text) { notes_.push_back(text); }

void SvgChart::write(std::ostream& out) const {
    std::vector<double> xs, ys;
    for (const Item& it : items_) {
        xs.insert(xs.end(), it.xs.begin(), it.xs.end());
        ys.insert(ys.end(), it.ys.begin(), it.ys.end());
    }
    Scale sx = usable(makeScale(xs, x_)), sy = usable(makeScale(ys, y_));
    if (equal_) equalise(sx, sy);
    const double w = equal_ ? squareSide : plotWidth, h = equal_ ? squareSide : plotHeight;
    const double width = left + w + right, height = top + h + bottom;
    auto px = [&](double v) { return left + sx.at(v) * w; };
    auto py = [&](double v) { return top + h - sy.at(v) * h; };
    auto pathOf = [&](const Item& it) {
        std::string d;
        for (std::size_t i = 0; i < it.xs.size(); ++i) {
            if (!placeable(it.xs[i], x_.log) || !std::isfinite(it.ys[i])) continue;
            d += num(px(it.xs[i])) + "," + num(py(it.ys[i])) + " ";
        }
        return d;
    };

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << num(width) << "\" height=\"" << num(height)
        << "\" viewBox=\"0 0 " << num(width) << " " << num(height)
        << "\" font-family=\"sans-serif\" font-size=\"15\">\n"
        << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n"
        << "<text x=\"" << num(width / 2) << "\" y=\"28\" text-anchor=\"middle\" font-size=\"18\">"
        << escaped(title_) << "</text>\n";
    for (std::size_t i = 0; i < notes_.size(); ++i)
        out << "<text x=\"" << num(width / 2) << "\" y=\"" << num(48 + 17 * i)
            << "\" text-anchor=\"middle\" font-size=\"13\">" << escaped(notes_[i]) << "</text>\n";

    // Grid, ticks and their labels.
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
        << "<text x=\"" << num(left + w / 2) << "\" y=\"" << num(height - 18) << "\" text-anchor=\"middle\">"
        << escaped(x_.label) << "</text>\n"
        << "<text transform=\"translate(22 " << num(top + h / 2) << ") rotate(-90)\" text-anchor=\"middle\">"
        << escaped(y_.label) << "</text>\n";

    // The items, clipped to the plot.
    out << "<clipPath id=\"plot\"><rect x=\"" << num(left) << "\" y=\"" << num(top) << "\" width=\"" << num(w)
        << "\" height=\"" << num(h) << "\"/></clipPath>\n<g clip-path=\"url(#plot)\">\n";
    for (const Item& it : items_) {
        const std::string dash = it.dashed ? "\" stroke-dasharray=\"6 4" : "";
        if (it.kind == Item::Line) {
            out << "<polyline points=\"" << pathOf(it) << "\" fill=\"none\" stroke=\"" << it.colour
                << "\" stroke-width=\"1.5" << dash << "\"/>\n";
        } else if (it.kind == Item::HLine && std::isfinite(it.ys[0])) {
            out << "<line class=\"level\" x1=\"" << num(left) << "\" y1=\"" << num(py(it.ys[0])) << "\" x2=\""
                << num(left + w) << "\" y2=\"" << num(py(it.ys[0])) << "\" stroke=\"" << it.colour
                << "\" stroke-width=\"1.5" << dash << "\"/>\n"
                << "<text x=\"" << num(left + w - 6) << "\" y=\"" << num(py(it.ys[0]) - 6)
                << "\" text-anchor=\"end\" fill=\"" << it.colour << "\">" << escaped(it.label) << "</text>\n";
        } else if (it.kind == Item::Circle) {
            out << "<circle class=\"circle\" cx=\"" << num(px(it.xs[0] + it.r)) << "\" cy=\""
                << num(py(it.ys[0] + it.r)) << "\" r=\"" << num(it.r / (sx.hi - sx.lo) * w)
                << "\" fill=\"none\" stroke=\"" << it.colour << "\" stroke-dasharray=\"4 4\"/>\n";
        } else if (it.kind == Item::Points) {
            for (std::size_t i = 0; i < it.xs.size(); ++i) {
                if (!placeable(it.xs[i], x_.log) || !std::isfinite(it.ys[i])) continue;
                out << "<circle class=\"" << it.cls << "\" cx=\"" << num(px(it.xs[i])) << "\" cy=\""
                    << num(py(it.ys[i])) << "\" r=\"4.5\" fill=\"" << it.colour << "\"/>\n";
            }
        }
    }
    out << "</g>\n</svg>\n";
}

SvgChart complexPlaneChart(const std::string& title, const std::vector<double>& re,
                           const std::vector<double>& im, bool unitCircle) {
    SvgChart chart(title, {"real part", false, false}, {"imaginary part", false, false}, true);
    std::vector<double> rx, ry, px, py;
    for (std::size_t k = 0; k < re.size(); ++k) {
        (im[k] == 0 ? rx : px).push_back(re[k]);
        (im[k] == 0 ? ry : py).push_back(im[k]);
    }
    if (unitCircle) chart.circle(0, 0, 1, "#888");
    chart.hline(0, "", "black", false);  // the real axis
    for (std::size_t k = 0; k + 1 < px.size(); k += 2)
        chart.polyline({px[k], px[k + 1]}, {py[k], py[k + 1]}, "#d95f02", true);
    chart.points(rx, ry, "point", "#1b65b5");
    chart.points(px, py, "point", "#d95f02");
    chart.note("real: " + std::to_string(rx.size()) + ", complex-conjugate pairs (joined): " +
               std::to_string(px.size() / 2) + (unitCircle ? "; dashed circle: |z| = 1" : ""));
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
