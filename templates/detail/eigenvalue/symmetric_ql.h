// -*- C++ -*-
// SPDX-License-Identifier: MIT
// tql2: the implicit QL iteration with shifts on a symmetric tridiagonal
// matrix, its rotations applied to the eigenvectors; then the eigenpairs
// sorted ascending.  Sizes (d, e of length n ≥ 1, V n × n, rotations 2n)
// are the caller's to ensure: none is checked.
#ifndef ZELKOR_DETAIL_EIGENVALUE_SYMMETRIC_QL_H
#define ZELKOR_DETAIL_EIGENVALUE_SYMMETRIC_QL_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/symmetric_ql.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include <cmath>

#include "../../cmat_zelkor"
#include "../threads.h"
#include "../../vec_zelkor"
#include "iteration.h"
#include "scalar.h"

namespace ZELKOR {
namespace detail {

// Rotation i on row v, w holding entry i + 1 as rotated so far: entry
// i + 1 becomes s·v[i] + c·w (final) and w becomes c·v[i] − s·w.
template <class T>
inline void rotateEntry(T* v, int i, const T& c, const T& s, T& w) {
    const T u = v[i];
    v[i + 1] = s * u + c * w;
    w = c * u - s * w;
}

// Indices first ... last of a range (whether last is inside is the
// user's to say).
struct Span {
    int first;
    int last;
};

// The rotations (c, s) of one QL pass, rot[2i], rot[2i + 1] for
// i = m − 1 down to l, applied to columns i, i + 1 of every row v of V in
// that order:
//     t = v[i + 1];  v[i + 1] = s·v[i] + c·t;  v[i] = c·v[i] − s·t.
// Entry i + 1 is final after rotation i; the entry carried to the next
// rotation stays in a register.  Rows rows.first ... rows.last − 1, two
// together.
template <class T>
void applyRotations(Span block, Span rows, const Vector<T>& rotations, Matrix<T>& V) {
    const int l = block.first, m = block.last;
    const int k0 = rows.first, n = rows.last;
    const T* rot = &rotations[0];
    int k = k0;
    for (; k + 1 < n; k += 2) {
        T* v0 = V[k];
        T* v1 = V[k + 1];
        T w0 = v0[m];
        T w1 = v1[m];
        for (int i = m - 1; i >= l; i--) {
            const T c = rot[2 * i];
            const T s = rot[2 * i + 1];
            rotateEntry(v0, i, c, s, w0);
            rotateEntry(v1, i, c, s, w1);
        }
        v0[l] = w0;
        v1[l] = w1;
    }
    if (k < n) {
        T* v0 = V[k];
        T w0 = v0[m];
        for (int i = m - 1; i >= l; i--) rotateEntry(v0, i, rot[2 * i], rot[2 * i + 1], w0);
        v0[l] = w0;
    }
}

// Eigenvalues d ascending, by selection (the first smallest wins), the
// columns of V exchanged with them when `vectors`.
template <class T>
void sortEigenpairs(Vector<T>& d, Matrix<T>& V, bool vectors = true) {
    const int n = d.dim();
    for (int i = 0; i < n - 1; i++) {
        int k = i;
        T p = d[i];
        for (int j = i + 1; j < n; j++) {
            if (d[j] < p) {
                k = j;
                p = d[j];
            }
        }
        if (k != i) {
            d[k] = d[i];
            d[i] = p;
            if (!vectors) continue;
            for (int j = 0; j < n; j++) {
                p = V[j][i];
                V[j][i] = V[j][k];
                V[j][k] = p;
            }
        }
    }
}

// Implicit QL iteration on the tridiagonal matrix with diagonal d and
// subdiagonal e[1 ... n−1] (as tred2 leaves them), entries negligible
// below eps times the size seen so far.  Gives the eigenvalues in d,
// ascending, and V·Q in V (Q the product of the rotations); e is used up.
// The rotations of one pass are recorded in `rotations` and applied to V
// at its end by applyRotations: the iteration itself never reads V.
// observer.notify(k) once k eigenvalues are found.  Returns 0 when the
// iteration gave up (a pass count above `maxPasses` for one eigenvalue, a
// size that is not a number, or the observer's stop before a pass: d, e
// and V then hold the state it stopped in, unsorted), or when that size
// became infinite; 1 otherwise.  Without
// `vectors`, V is neither read nor written (it may be empty) and d gets
// the same bits.
template <class T>
int tql2(Vector<T>& d, Vector<T>& e, Matrix<T>& V, Vector<T>& rotations, const T eps, const int maxPasses,
         const EigenObserver& observer, bool vectors = true) {
    const int n = d.dim();
    int converged = 1;

    for (int i = 1; i < n; i++) e[i - 1] = e[i];
    e[n - 1] = 0;

    T f = 0;
    T tst1 = 0;
    for (int l = 0; l < n; l++) {
        T size = std::abs(d[l]) + std::abs(e[l]);
        if (size > tst1) tst1 = size;
        if (!std::isfinite(tst1)) converged = 0;
        int m = l;
        while (m < n) {
            if (std::abs(e[m]) <= eps * tst1) break;
            m++;
        }
        if (m == n) return 0;  // only when eps·tst1 is not a number
        if (m > l) {
            int iter = 0;
            do {
                if (++iter > maxPasses || observer.stopRequested()) return 0;
                T g = d[l];
                T p = (d[l + 1] - g) / (e[l] + e[l]);
                T r = ZELKOR::hypot(p, T(1));
                if (p < 0) r = -r;
                d[l] = e[l] / (p + r);
                d[l + 1] = e[l] * (p + r);
                T dl1 = d[l + 1];
                T h = g - d[l];
                for (int i = l + 2; i < n; i++) d[i] = d[i] - h;
                f = f + h;

                p = d[m];
                T c = 1;
                T c2 = c;
                T c3 = c;
                T el1 = e[l + 1];
                T s = 0;
                T s2 = 0;
                for (int i = m - 1; i >= l; i--) {
                    c3 = c2;
                    c2 = c;
                    s2 = s;
                    g = c * e[i];
                    h = c * p;
                    r = ZELKOR::hypot(p, e[i]);
                    e[i + 1] = s * r;
                    s = e[i] / r;
                    c = p / r;
                    p = c * d[i] - s * g;
                    d[i + 1] = h + s * (c * g + s * d[i]);
                    rotations[2 * i] = c;
                    rotations[2 * i + 1] = s;
                }
                if (vectors)
                    forChunks(n, Step((double)n * (m - l) * 2),
                              [&](int k0, int k1) { applyRotations(Span{l, m}, Span{k0, k1}, rotations, V); });
                p = -s * s2 * c3 * el1 * e[l] / dl1;
                e[l] = s * p;
                d[l] = c * p;
            } while (std::abs(e[l]) > eps * tst1);
        }
        d[l] = d[l] + f;
        e[l] = 0;
        observer.notify(l + 1);
    }

    sortEigenpairs(d, V, vectors);
    return converged;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
