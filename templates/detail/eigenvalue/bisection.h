// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Eigenvalues of a symmetric tridiagonal matrix refined by bisection on its
// Sturm count.  The count of the eigenvalues below x is exact for a matrix
// whose entries differ from the given ones by a few units of roundoff, each
// eigenvalue on its own: the error does not grow with the number of QL
// passes it went through.  Sizes (d of length n ≥ 1, tridiagonal 2n) are the
// caller's to ensure: none is checked.
#ifndef ZELKOR_DETAIL_EIGENVALUE_BISECTION_H
#define ZELKOR_DETAIL_EIGENVALUE_BISECTION_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/bisection.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include <cmath>
#include <limits>

#include "../threads.h"
#include "../../vec_zelkor"

namespace ZELKOR {
namespace detail {

// The number of eigenvalues below x of the tridiagonal matrix with
// diagonal a[0 ... n−1] and subdiagonal b[1 ... n−1]: the negative pivots
// of the LDLᵀ factorisation of the matrix − x·I.  A pivot smaller than the
// least normal number is taken as minus that number; the next pivot is then
// (a − x) − b·(b/q), which stays a number (an infinite b/q gives
// a pivot of −∞, counted, and the one after it a − x).
template <class T>
int countBelow(const T* a, const T* b, int n, T x) {
    const T tiny = std::numeric_limits<T>::min();
    int count = 0;
    T q = a[0] - x;
    for (int i = 0;;) {
        if (std::abs(q) < tiny) q = -tiny;
        if (q < 0) count++;
        if (++i == n) return count;
        q = (a[i] - x) - b[i] * (b[i] / q);
    }
}

// Eigenvalue k (ascending, from 0) of that matrix, from an estimate y.
// y itself is kept when the counts place eigenvalue k within `tol` of it.
// Otherwise a bracket [lo, hi] with count(lo) ≤ k < count(hi) is found
// around y, its half-width doubled from `width` until it holds, and halved
// down to `tol`; its midpoint is returned.
template <class T>
T bisectEigenvalue(const T* a, const T* b, int n, int k, T y, T width, T tol) {
    if (countBelow(a, b, n, y - tol) <= k && countBelow(a, b, n, y + tol) > k) return y;
    T lo = y - width;
    for (T w = width; countBelow(a, b, n, lo) > k;) {
        w = w + w;
        lo = y - w;
    }
    T hi = y + width;
    for (T w = width; countBelow(a, b, n, hi) <= k;) {
        w = w + w;
        hi = y + w;
    }
    while (hi - lo > tol) {
        const T mid = lo + (hi - lo) / 2;
        if (mid == lo || mid == hi) break;
        if (countBelow(a, b, n, mid) > k)
            hi = mid;
        else
            lo = mid;
    }
    return lo + (hi - lo) / 2;
}

// d (ascending, as tql2 leaves it, all finite) refined to the eigenvalues
// of the tridiagonal matrix with diagonal tridiagonal[0 ... n−1] and
// subdiagonal tridiagonal[n + 1 ... 2n − 1] (as tred2 leaves d and e),
// each to within a quarter unit of epsilon times the matrix's largest row
// sum, and kept ascending.  Each eigenvalue on its own: the same bits at
// any thread count.
template <class T>
void bisectEigenvalues(const Vector<T>& tridiagonal, Vector<T>& d) {
    const int n = d.dim();
    const T* a = &tridiagonal[0];
    const T* b = &tridiagonal[n];
    T norm = 0;
    for (int i = 0; i < n; i++) {
        const T row = std::abs(b[i]) + std::abs(a[i]) + (i + 1 < n ? std::abs(b[i + 1]) : T(0));
        if (row > norm) norm = row;
    }
    const T unit = norm * std::numeric_limits<T>::epsilon();
    if (!(unit > 0) || !std::isfinite(unit)) return;
    forChunks(n, Step((double)n * n * 10), [&](int k0, int k1) {
        for (int k = k0; k < k1; k++) d[k] = bisectEigenvalue(a, b, n, k, d[k], 8 * unit, unit / 4);
    });
    for (int k = 1; k < n; k++)
        if (d[k] < d[k - 1]) d[k] = d[k - 1];
}

}  // namespace detail
}  // namespace ZELKOR

#endif
