// SPDX-License-Identifier: MIT
// The axes' ranges and ticks.
#include <algorithm>
#include <cmath>

#include "svg/parts.h"

namespace svg {

namespace {

// 1, 2 or 5 times a power of ten, near span / 6.
double niceStep(double span) {
    double raw = span / 6;
    double p = std::pow(10.0, std::floor(std::log10(raw)));
    double f = raw / p;
    return (f < 1.5 ? 1 : f < 3.5 ? 2 : f < 7.5 ? 5 : 10) * p;
}

}  // namespace

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

}  // namespace svg
