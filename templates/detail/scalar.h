// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Real and complex scalars alike: the real type of a scalar (RealOf), the
// conjugate, the magnitude |re| + |im| that pivoting compares (it never
// overflows where the modulus would not, and costs no square root), the
// modulus without spurious overflow, and the textbook complex product and
// sum of products.  For a real scalar each is the real operation itself, so
// a real path that calls them keeps its bits.
//
// Nothing here checks for infinities or NaNs: the textbook product gives
// what its four products give (no recovery of infinities as the language's
// own complex product attempts, which also costs a library call).
#ifndef ZELKOR_DETAIL_SCALAR_H
#define ZELKOR_DETAIL_SCALAR_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/scalar.h> is internal to the library: include a public header instead"
#endif

#include <cmath>
#include <complex>
#include <type_traits>

namespace ZELKOR {
namespace detail {

template <class S>
struct ScalarTraits {
    using Real = S;
    static constexpr bool isComplex = false;
};

template <class T>
struct ScalarTraits<std::complex<T>> {
    using Real = T;
    static constexpr bool isComplex = true;
};

// The real type of S: T for T and for std::complex<T>.
template <class S>
using RealOf = typename ScalarTraits<S>::Real;

// isComplex<S> from C++17 (a consumer may compile in C++11, which reads
// ScalarTraits<S>::isComplex).
#if __cplusplus >= 201703L
template <class S>
inline constexpr bool isComplex = ScalarTraits<S>::isComplex;
#endif

template <class T>
T conjugate(const T& x) {
    return x;
}

template <class T>
std::complex<T> conjugate(const std::complex<T>& z) {
    return {z.real(), -z.imag()};
}

// |x| for a real x; |re| + |im| for a complex one (between the modulus and
// √2 times it).
template <class T>
T abs1(const T& x) {
    return std::fabs(x);
}

template <class T>
T abs1(const std::complex<T>& z) {
    return std::fabs(z.real()) + std::fabs(z.imag());
}

// |z|² as re² + im² (may overflow or underflow: for sums of squares that
// are scaled by the caller).
template <class T>
T absSquared(const T& x) {
    return x * x;
}

template <class T>
T absSquared(const std::complex<T>& z) {
    return z.real() * z.real() + z.imag() * z.imag();
}

// |z| = m·√((re/m)² + (im/m)²) with m = max(|re|, |im|): no overflow or
// underflow unless the modulus itself has one.
template <class T>
T modulus(const T& x) {
    return std::fabs(x);
}

template <class T>
T modulus(const std::complex<T>& z) {
    const T a = std::fabs(z.real()), b = std::fabs(z.imag());
    const T m = a > b ? a : b;
    if (m == T(0) || !std::isfinite(m)) return a + b;
    const T x = a / m, y = b / m;
    return m * std::sqrt(x * x + y * y);
}

// The textbook product (ar·br − ai·bi, ar·bi + ai·br).
template <class T>
T mul(const T& a, const T& b) {
    return a * b;
}

template <class T>
std::complex<T> mul(const std::complex<T>& a, const std::complex<T>& b) {
    return {a.real() * b.real() - a.imag() * b.imag(), a.real() * b.imag() + a.imag() * b.real()};
}

// conj(a)·b, the term of a Hermitian inner product.
template <class T>
T mulConj(const T& a, const T& b) {
    return a * b;
}

template <class T>
std::complex<T> mulConj(const std::complex<T>& a, const std::complex<T>& b) {
    return {a.real() * b.real() + a.imag() * b.imag(), a.real() * b.imag() - a.imag() * b.real()};
}

// x / y by dividing by the larger component of y (no overflow of the
// intermediate |y|²); a real y divides each component.
template <class T>
T div(const T& x, const T& y) {
    return x / y;
}

template <class T>
std::complex<T> div(const std::complex<T>& x, const T& y) {
    return {x.real() / y, x.imag() / y};
}

template <class T>
std::complex<T> div(const std::complex<T>& x, const std::complex<T>& y) {
    if (std::fabs(y.real()) >= std::fabs(y.imag())) {
        const T r = y.imag() / y.real(), d = y.real() + r * y.imag();
        return {(x.real() + r * x.imag()) / d, (x.imag() - r * x.real()) / d};
    }
    const T r = y.real() / y.imag(), d = y.imag() + r * y.real();
    return {(r * x.real() + x.imag()) / d, (r * x.imag() - x.real()) / d};
}

}  // namespace detail
}  // namespace ZELKOR

#endif
