// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Doubled arithmetic: a number held as the unevaluated sum hi + lo of two
// working-precision numbers, |lo| at most half an ulp of hi (normalised),
// so about twice the working precision.  Sums and products are exact
// transformations (two-sum; two-product by splitting each factor into the
// halves of its significand) followed by the rounding of the small parts;
// each operation is correct to a few units of the doubled precision,
// relative to |a| + |b| for sums.  Nothing is checked: the operands must
// be finite and far enough from overflow that a split (a times about the
// square root of 1/ε) stays finite.
#ifndef ZELKOR_DETAIL_SVD_DOUBLED_H
#define ZELKOR_DETAIL_SVD_DOUBLED_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/svd/doubled.h> is internal to the library: include <zelkor/svd> instead"
#endif

#include <cmath>
#include <limits>

namespace ZELKOR {
namespace detail {

template <class T>
struct Doubled {
    T hi, lo;
};

// a = hi + lo exactly, each half of a's significand (Dekker's split).
template <class T>
void splitHalves(const T& a, T& hi, T& lo) {
    const T factor = std::ldexp(T(1), (std::numeric_limits<T>::digits + 1) / 2) + 1;
    const T c = factor * a;
    hi = c - (c - a);
    lo = a - hi;
}

// s + e = a + b exactly, s = fl(a + b).
template <class T>
Doubled<T> twoSum(const T& a, const T& b) {
    const T s = a + b, v = s - a;
    return {s, (a - (s - v)) + (b - v)};
}

// The same when |a| ≥ |b| (or a = 0).
template <class T>
Doubled<T> quickTwoSum(const T& a, const T& b) {
    const T s = a + b;
    return {s, b - (s - a)};
}

// p + e = a·b exactly, p = fl(a·b), from the halves of a and b.
template <class T>
Doubled<T> twoProduct(const T& a, const T& b, const T& ah, const T& al, const T& bh, const T& bl) {
    const T p = a * b;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

template <class T>
Doubled<T> twoProduct(const T& a, const T& b) {
    T ah, al, bh, bl;
    splitHalves(a, ah, al);
    splitHalves(b, bh, bl);
    return twoProduct(a, b, ah, al, bh, bl);
}

template <class T>
Doubled<T> operator+(const Doubled<T>& a, const Doubled<T>& b) {
    const Doubled<T> s = twoSum(a.hi, b.hi);
    return quickTwoSum(s.hi, s.lo + (a.lo + b.lo));
}

template <class T>
Doubled<T> operator-(const Doubled<T>& a) {
    return {-a.hi, -a.lo};
}

template <class T>
Doubled<T> operator-(const Doubled<T>& a, const Doubled<T>& b) {
    return a + (-b);
}

template <class T>
Doubled<T> operator*(const Doubled<T>& a, const Doubled<T>& b) {
    const Doubled<T> p = twoProduct(a.hi, b.hi);
    return quickTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// a/b: the quotient of the high parts corrected by the remainder.
template <class T>
Doubled<T> operator/(const Doubled<T>& a, const Doubled<T>& b) {
    const T q = a.hi / b.hi;
    const Doubled<T> r = a - b * Doubled<T>{q, T(0)};
    return quickTwoSum(q, r.hi / b.hi);
}

// √a for a ≥ 0: the root of the high part corrected by Newton's step.
template <class T>
Doubled<T> sqrt(const Doubled<T>& a) {
    if (!(a.hi > 0)) return {std::sqrt(a.hi), T(0)};
    const T x = std::sqrt(a.hi);
    const Doubled<T> r = a - twoProduct(x, x);
    return quickTwoSum(x, r.hi / (2 * x));
}

// 2^e·a, exact away from the subnormal range.
template <class T>
Doubled<T> ldexp(const Doubled<T>& a, int e) {
    return {std::ldexp(a.hi, e), std::ldexp(a.lo, e)};
}

}  // namespace detail
}  // namespace ZELKOR

#endif
