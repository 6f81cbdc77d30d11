// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Scalar helpers of the eigen-decomposition: hypot, a length without
// spurious overflow, and cdiv, the complex division of the eigenvector
// back-substitution.  Neither checks its arguments for being finite: they
// give what the formulas give.
#ifndef ZELKOR_DETAIL_EIGENVALUE_SCALAR_H
#define ZELKOR_DETAIL_EIGENVALUE_SCALAR_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/scalar.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include <cmath>

namespace ZELKOR {

// √(a² + b²) as |a|·√((b/a)² + 1); a is the divisor wherever that is
// finite.  When (b/a)² overflows (|a| far below |b|) the same length is
// formed with the larger magnitude as divisor, so a finite result is never
// lost.  Arguments that are not finite give what the formula gives.
template <class T>
T hypot(const T& a, const T& b) {
    if (a == T(0)) return std::abs(b);
    T r = b / a;
    T h = std::abs(a) * std::sqrt(r * r + 1);
    if (std::isfinite(h) || !std::isfinite(a) || !std::isfinite(b)) return h;
    T q = a / b;  // |q| < 1 unless the length itself overflows
    return std::abs(b) * std::sqrt(q * q + 1);
}

// (xr + i·xi) / (yr + i·yi) into re, im, dividing by the larger
// component of the divisor.  The quotient goes to the caller's own
// variables: eigenvectors are computed by several threads at once.  A zero
// divisor gives what the division by zero gives.
template <class T>
void cdiv(T xr, T xi, T yr, T yi, T& re, T& im) {
    T ratio;
    T den;
    if (std::abs(yr) > std::abs(yi)) {
        ratio = yi / yr;
        den = yr + ratio * yi;
        re = (xr + ratio * xi) / den;
        im = (xi - ratio * xr) / den;
    } else {
        ratio = yr / yi;
        den = yi + ratio * yr;
        re = (ratio * xr + xi) / den;
        im = (ratio * xi - xr) / den;
    }
}

}  // namespace ZELKOR

#endif
