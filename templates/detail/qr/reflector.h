// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Householder reflectors H = I − τ·v·vᵀ, v[j] = 1, of the trailing part
// x[j ... m) of a row, and their application to other rows.
//
// The reflector of x: β = −copysign(‖x‖, x[j]) (a −0 in x[j] counts as
// negative, so it gives β = +‖x‖), τ = (β − x[j]) / β and
// v[i] = x[i] / (x[j] − β) for i > j, so that H·x = β·e_j; when
// x[j + 1 ... m) is zero, τ = 0 (H = I) and x[j] is left as it is, also
// when it is 0 or −0.  ‖x‖ is formed on entries scaled by a power of two,
// exactly, so that neither the squares nor the norm overflow or underflow
// while the norm itself is representable; a vector whose largest entry is
// near the ends of the exponent range is scaled the same way before v is
// formed, so that v and τ keep their precision.  A NaN in x gives a NaN
// β, τ and v; an infinity gives NaNs.  Nothing else is checked.  Complex
// rows take the overloads of complex_reflector.h; reflectorsForward serves
// both (Qᴴ applies conj(τ)).
#ifndef ZELKOR_DETAIL_QR_REFLECTOR_H
#define ZELKOR_DETAIL_QR_REFLECTOR_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/qr/reflector.h> is internal to the library: include <zelkor/qr> instead"
#endif

#include <cmath>
#include <limits>
#include <vector>

#include "../../cmat_zelkor"
#include "../kernels.h"
#include "../scalar.h"
#include "complex_reflector.h"

namespace ZELKOR {
namespace detail {

// max |x[i]| over [first, end); NaN when one is NaN, 0 for an empty range.
template <class T>
T maxAbs(const T* x, int first, int end) {
    T big = 0;
    for (int i = first; i < end; i++) {
        const T a = std::abs(x[i]);
        if (a > big || std::isnan(a)) big = a;
        if (std::isnan(big)) return big;
    }
    return big;
}

// ‖x[first ... end)‖₂: the sum of squares of x[i]·2⁻ᵉ, 2ᵉ ≤ max |x[i]|
// < 2ᵉ⁺¹, in increasing i, its root scaled back by 2ᵉ.
template <class T>
T scaledNorm(const T* x, int first, int end) {
    const T big = maxAbs(x, first, end);
    if (!(big > 0) || std::isinf(big)) return big;
    const int e = std::ilogb(big);
    T sum = 0;
    for (int i = first; i < end; i++) {
        const T s = std::ldexp(x[i], -e);
        sum = sum + s * s;
    }
    return std::ldexp(std::sqrt(sum), e);
}

// The reflector of x[j ... m): on return x[j] = β and x[j + 1 ... m)
// holds v's entries below its leading 1; the result is τ.
template <class T>
T makeReflector(T* x, int j, int m) {
    bool tailZero = true;
    for (int i = j + 1; i < m && tailZero; i++) tailZero = x[i] == 0;
    if (tailZero) return T(0);
    // Entries far from 1 are brought near it by 2ˢ first: x[j] − β then
    // neither overflows nor falls among the subnormals.
    const T big = maxAbs(x, j, m);
    const T low = std::numeric_limits<T>::min() / std::numeric_limits<T>::epsilon();
    const T high = std::ldexp(std::numeric_limits<T>::max(), -32);
    int s = 0;
    if (std::isfinite(big) && (big < low || big > high)) {
        s = -std::ilogb(big);
        for (int i = j; i < m; i++) x[i] = std::ldexp(x[i], s);
    }
    const T alpha = x[j];
    const T beta = -std::copysign(scaledNorm(x, j, m), alpha);
    const T d = alpha - beta;
    for (int i = j + 1; i < m; i++) x[i] = x[i] / d;
    x[j] = std::ldexp(beta, -s);
    return (beta - alpha) / beta;
}

// Rows r0 ... r1 − 1 of X, of length m, each x ← H·x for the reflector
// (v, tau) of position j: w = x[j] + Σᵢ x[i]·v[i] over i > j in
// increasing i, f = τ·w, x[j] ← x[j] − f, x[i] ← x[i] − f·v[i]; two rows
// share each load of v.  v's row must not be among them.
template <class T>
void reflectRows(const T* v, const T& tau, int j, int m, Matrix<T>& X, int r0, int r1) {
    using Op = SumPlusRowCol;
    int r = r0;
    for (; r + 1 < r1; r += 2) {
        T* x0 = X[r];
        T* x1 = X[r + 1];
        Sums2x1<T> f = sums2x1<Op>(x0, x1, v, j + 1, m, Sums2x1<T>::load(x0, x1, j));
        f.s0 = tau * f.s0;
        f.s1 = tau * f.s1;
        x0[j] = x0[j] - f.s0;
        x1[j] = x1[j] - f.s1;
        subtractScaled2(x0, x1, f, v, j + 1, m);
    }
    if (r < r1) {
        T* x = X[r];
        const T f = tau * sum1<Op>(x, v, j + 1, m, x[j]);
        x[j] = x[j] - f;
        subtractScaled(x, f, v, j + 1, m);
    }
}

// Rows in a tile of reflectorsForward.
const int qrTileRows = 16;

// Rows r0 ... r1 − 1 of X ← H_{j1−1} ⋯ H_{j0}·x, the reflectors of rows
// j0 ... j1 − 1 of H (their τ in tau) in increasing order, a tile of rows
// at a time so that the tile stays in cache while the reflectors pass;
// each row gets the operations of reflectRows, one reflector after
// another, with conj(τ) (Hᴴ).  A τ of zero is skipped.
template <class T>
void reflectorsForward(const Matrix<T>& H, const std::vector<T>& tau, int j0, int j1, Matrix<T>& X, int r0,
                       int r1) {
    const int m = H.num_cols();
    for (int t0 = r0; t0 < r1; t0 += qrTileRows) {
        const int t1 = t0 + qrTileRows < r1 ? t0 + qrTileRows : r1;
        for (int j = j0; j < j1; j++)
            if (tau[j] != T(0)) reflectRows(H[j], conjugate(tau[j]), j, m, X, t0, t1);
    }
}

}  // namespace detail
}  // namespace ZELKOR

#endif
