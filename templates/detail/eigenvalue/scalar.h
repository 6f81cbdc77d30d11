// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Scalar helpers of the eigen-decomposition: hypot, a length without
// spurious overflow, and the complex division of the eigenvector
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

namespace detail {

// A complex number as the eigenvector back-substitution forms it.
template <class T>
struct Complex {
    T re;
    T im;
};

// The complex division x / y, dividing by the larger component of the
// divisor.  The quotient is a value: eigenvectors are computed by several
// threads at once.  A zero divisor gives what the division by zero gives.
template <class T>
Complex<T> operator/(const Complex<T>& x, const Complex<T>& y) {
    T ratio;
    T den;
    Complex<T> quotient;
    if (std::abs(y.re) > std::abs(y.im)) {
        ratio = y.im / y.re;
        den = y.re + ratio * y.im;
        quotient.re = (x.re + ratio * x.im) / den;
        quotient.im = (x.im - ratio * x.re) / den;
    } else {
        ratio = y.re / y.im;
        den = y.im + ratio * y.re;
        quotient.re = (ratio * x.re + x.im) / den;
        quotient.im = (ratio * x.im - x.re) / den;
    }
    return quotient;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
