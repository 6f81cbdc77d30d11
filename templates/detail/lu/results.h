// -*- C++ -*-
// SPDX-License-Identifier: MIT
// What the factors F of P·A = L·U tell without a solve: the logarithm of
// |det A| with its sign, and the reciprocal condition number estimate.
// F is the caller's to have square; no entry is checked for being finite
// except where a function says so.
#ifndef ZELKOR_DETAIL_LU_RESULTS_H
#define ZELKOR_DETAIL_LU_RESULTS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/lu/results.h> is internal to the library: include <zelkor/lu> instead"
#endif

#include <cmath>
#include <complex>
#include <limits>

#include "../../cmat_zelkor"
#include "../../norm_estimate"
#include "../scalar.h"

namespace ZELKOR {

// det A = sign·e^logAbs: sign is +1 or −1, for a complex A a number of
// modulus 1 (0 with logAbs = −∞ when A is singular; NaN with logAbs NaN
// when a pivot is NaN or an infinite pivot meets a zero one).  logAbs is
// real.
template <class S>
struct LogDeterminant {
    S sign;
    detail::RealOf<S> logAbs;
};

namespace detail {

// The sign and log |det| from U's diagonal and the permutation's sign:
// |Π U[j][j]| is held as a mantissa in [½, 1) times 2^exponent (std::frexp
// after each factor), so no product over- or underflows; logAbs is
// log(mantissa) + exponent·log 2.  An infinite pivot gives logAbs = +∞.
template <class T>
LogDeterminant<T> logDeterminant(const Matrix<T>& F, int permSign) {
    static_assert(!ScalarTraits<T>::isComplex, "the complex overload below");
    const int n = F.num_cols();
    const T nan = std::numeric_limits<T>::quiet_NaN();
    const T inf = std::numeric_limits<T>::infinity();
    T sign = T(permSign);
    T mantissa = 1;
    long long exponent = 0;
    bool zero = false, infinite = false;
    for (int j = 0; j < n; j++) {
        const T u = F[j][j];
        if (u != u) return {nan, nan};
        if (u < 0) sign = -sign;
        if (u == T(0)) {
            zero = true;
        } else if (std::isinf(u)) {
            infinite = true;
        } else {
            int e1 = 0;
            int e2 = 0;
            const T f = std::frexp(std::abs(u), &e1);
            mantissa = std::frexp(mantissa * f, &e2);
            exponent += (long long)e1 + e2;
        }
    }
    if (zero) return infinite ? LogDeterminant<T>{nan, nan} : LogDeterminant<T>{T(0), -inf};
    if (infinite) return {sign, inf};
    return {sign, std::log(mantissa) + T(exponent) * std::log(T(2))};
}

// The complex case: sign = ±Π u/|u| and |Π u| held as above, |u| the
// modulus (scaled: no over- or underflow unless |u| itself has one).  A
// pivot with a NaN component counts as NaN, one with an infinite component
// as infinite, its phase that of its infinite components.
template <class T>
LogDeterminant<std::complex<T>> logDeterminant(const Matrix<std::complex<T>>& F, int permSign) {
    const int n = F.num_cols();
    const T nan = std::numeric_limits<T>::quiet_NaN();
    const T inf = std::numeric_limits<T>::infinity();
    std::complex<T> sign = T(permSign);
    T mantissa = 1;
    long long exponent = 0;
    bool zero = false, infinite = false;
    for (int j = 0; j < n; j++) {
        const std::complex<T> u = F[j][j];
        const T r = modulus(u);
        if (r != r) return {{nan, nan}, nan};
        if (r == T(0)) {
            zero = true;
        } else if (std::isinf(r)) {  // its phase from the infinite components
            infinite = true;
            const std::complex<T> w(std::isinf(u.real()) ? std::copysign(T(1), u.real()) : T(0),
                                    std::isinf(u.imag()) ? std::copysign(T(1), u.imag()) : T(0));
            sign = mul(sign, div(w, modulus(w)));
        } else {
            sign = mul(sign, div(u, r));
            int e1 = 0;
            int e2 = 0;
            const T f = std::frexp(r, &e1);
            mantissa = std::frexp(mantissa * f, &e2);
            exponent += (long long)e1 + e2;
        }
    }
    using Result = LogDeterminant<std::complex<T>>;
    if (zero) return infinite ? Result{{nan, nan}, nan} : Result{T(0), -inf};
    const T size = modulus(sign);  // 1 up to the rounding of the products
    sign = div(sign, size);
    if (infinite) return {sign, inf};
    return {sign, std::log(mantissa) + T(exponent) * std::log(T(2))};
}

// ‖A‖₁ for rcond; −1 for a complex A (rcond is for real matrices only).
template <class T>
T luNorm1(const Matrix<T>& A) {
    return norm1(A);
}

template <class T>
T luNorm1(const Matrix<std::complex<T>>&) {
    return T(-1);
}

// 1 / (‖A‖₁·‖A⁻¹‖₁) estimated in O(n²): estimateNorm1 on A⁻¹ through
// solve(x) (x = A⁻¹·x) and solveT(x) (x = A⁻ᵀ·x).  1 for n = 0; 0 when
// norm1 or the estimate is 0 or not finite.
template <class T, class Solve, class SolveT>
T reciprocalCondition(int n, T norm1, const Solve& solve, const SolveT& solveT) {
    if (n == 0) return T(1);
    if (!(norm1 > 0) || !std::isfinite(norm1)) return T(0);
    const T inverseNorm = estimateNorm1<T>(n, solve, solveT);
    if (!(inverseNorm > 0) || !std::isfinite(inverseNorm)) return T(0);
    return (T(1) / norm1) / inverseNorm;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
