// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Complex Householder reflectors H = I − τ·v·vᴴ, v[j] = 1, τ complex, of
// the trailing part x[j ... m) of a row, and their application to other
// rows: the complex counterparts of reflector.h's functions, chosen by
// overloading.
//
// The reflector of x with α = x[j]: β = −copysign(‖x‖, Re α) (real),
// τ = ((β − Re α)/β, −Im α/β) and v[i] = x[i]/(α − β) for i > j, so that
// Hᴴ·x = β·e_j: R's diagonal comes out real.  When x[j + 1 ... m) is zero
// and α is real, τ = 0 (H = I) and x[j] is left as it is; a non-real α
// alone still gets a reflector, which makes it real.  |Re α − β| ≥ ‖x‖,
// so α − β does not cancel.  The norm is formed on components scaled by a
// power of two, and a vector near the ends of the exponent range is scaled
// before v is formed, as for real rows.  A NaN or an infinity in x gives
// NaNs.  Nothing else is checked.
#ifndef ZELKOR_DETAIL_QR_COMPLEX_REFLECTOR_H
#define ZELKOR_DETAIL_QR_COMPLEX_REFLECTOR_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/qr/complex_reflector.h> is internal to the library: include <zelkor/qr> instead"
#endif

#include <cmath>
#include <complex>
#include <limits>

#include "../../cmat_zelkor"
#include "../scalar.h"

namespace ZELKOR {
namespace detail {

// max(|Re x[i]|, |Im x[i]|) over [first, end); NaN when one is NaN, 0 for
// an empty range.
template <class T>
T maxAbs(const std::complex<T>* x, int first, int end) {
    T big = 0;
    for (int i = first; i < end; i++) {
        const T a = std::fabs(x[i].real()), b = std::fabs(x[i].imag());
        if (std::isnan(a)) return a;
        if (std::isnan(b)) return b;
        if (a > big) big = a;
        if (b > big) big = b;
    }
    return big;
}

// ‖x[first ... end)‖₂: the sum of the squared components of x[i]·2⁻ᵉ,
// 2ᵉ ≤ max component < 2ᵉ⁺¹, in increasing i, its root scaled back by 2ᵉ.
template <class T>
T scaledNorm(const std::complex<T>* x, int first, int end) {
    const T big = maxAbs(x, first, end);
    if (!(big > 0) || std::isinf(big)) return big;
    const int e = std::ilogb(big);
    T sum = 0;
    for (int i = first; i < end; i++) {
        const T a = std::ldexp(x[i].real(), -e), b = std::ldexp(x[i].imag(), -e);
        sum = sum + a * a + b * b;
    }
    return std::ldexp(std::sqrt(sum), e);
}

// The reflector of x[j ... m): on return x[j] = β and x[j + 1 ... m)
// holds v's entries below its leading 1; the result is τ.
template <class T>
std::complex<T> makeReflector(std::complex<T>* x, int j, int m) {
    bool tailZero = x[j].imag() == 0;
    for (int i = j + 1; i < m && tailZero; i++) tailZero = x[i] == std::complex<T>(0);
    if (tailZero) return std::complex<T>(0);
    const T big = maxAbs(x, j, m);
    const T low = std::numeric_limits<T>::min() / std::numeric_limits<T>::epsilon();
    const T high = std::ldexp(std::numeric_limits<T>::max(), -32);
    int s = 0;
    if (std::isfinite(big) && (big < low || big > high)) {
        s = -std::ilogb(big);
        for (int i = j; i < m; i++) x[i] = {std::ldexp(x[i].real(), s), std::ldexp(x[i].imag(), s)};
    }
    const std::complex<T> alpha = x[j];
    const T beta = -std::copysign(scaledNorm(x, j, m), alpha.real());
    const std::complex<T> d(alpha.real() - beta, alpha.imag());
    for (int i = j + 1; i < m; i++) x[i] = div(x[i], d);
    x[j] = std::ldexp(beta, -s);
    return {(beta - alpha.real()) / beta, -alpha.imag() / beta};
}

// Rows r0 ... r1 − 1 of X, of length m, each x ← (I − τ·v·vᴴ)·x for the
// reflector v of position j: w = x[j] + Σᵢ conj(v[i])·x[i] over i > j in
// increasing i, f = τ·w, x[j] ← x[j] − f, x[i] ← x[i] − f·v[i].  Qᴴ takes
// conj(τ).  v's row must not be among them.
template <class T>
void reflectRows(const std::complex<T>* v, const std::complex<T>& tau, int j, int m,
                 Matrix<std::complex<T>>& X, int r0, int r1) {
    for (int r = r0; r < r1; r++) {
        std::complex<T>* x = X[r];
        T wr = x[j].real(), wi = x[j].imag();
        for (int i = j + 1; i < m; i++) {
            const T vr = v[i].real(), vi = v[i].imag(), xr = x[i].real(), xi = x[i].imag();
            wr = wr + (vr * xr + vi * xi);
            wi = wi + (vr * xi - vi * xr);
        }
        const std::complex<T> f = mul(tau, std::complex<T>(wr, wi));
        x[j] -= f;
        const T fr = f.real(), fi = f.imag();
        for (int i = j + 1; i < m; i++) {
            const T vr = v[i].real(), vi = v[i].imag();
            x[i] = {x[i].real() - (fr * vr - fi * vi), x[i].imag() - (fr * vi + fi * vr)};
        }
    }
}

}  // namespace detail
}  // namespace ZELKOR

#endif
