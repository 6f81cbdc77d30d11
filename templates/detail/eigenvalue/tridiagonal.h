// -*- C++ -*-
// SPDX-License-Identifier: MIT
// tred2: Householder reduction of a symmetric matrix to tridiagonal form,
// the orthogonal transformation accumulated.  The matrix is held
// transposed (Wt[j][i] is element (i, j)), so that the loops walk rows;
// its symmetry, its order n ≥ 1 and the sizes of the buffers (d and e of
// length n, Wt n × n) are the caller's to ensure: none is checked.
#ifndef ZELKOR_DETAIL_EIGENVALUE_TRIDIAGONAL_H
#define ZELKOR_DETAIL_EIGENVALUE_TRIDIAGONAL_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/tridiagonal.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include <cmath>

#include "../../cmat_zelkor"
#include "../kernels.h"
#include "../threads.h"
#include "../../vec_zelkor"
#include "iteration.h"

namespace ZELKOR {
namespace detail {

// tred2's product of step i, elements k0 ... k1 − 1 of e (0 on entry):
// e[k] = Σ_{j<k} W[j][k]·d[j] in increasing j, then g = e[k] + W[k][k]·d[k]
// and g + W[k][k']·d[k'] for k' = k + 1 ... i − 1 in turn; e[k] = g.
// Row j of W serves at once the row part of element j and the column
// parts of the elements after it, as in one serial pass over the rows.
template <class T>
void tred2Product(int i, int k0, int k1, const Matrix<T>& W, const Vector<T>& d, Vector<T>& e) {
    for (int j = 0; j < k1; j++) {
        const T f = d[j];
        const T* w = W[j];
        if (j < k0) {
            for (int k = k0; k < k1; k++) e[k] = e[k] + w[k] * f;
            continue;
        }
        T g = e[j] + w[j] * f;
        int k = j + 1;
        for (; k < k1; k++) {
            g = g + w[k] * d[k];
            e[k] = e[k] + w[k] * f;
        }
        for (; k <= i - 1; k++) g = g + w[k] * d[k];
        e[j] = g;
    }
}

// tred2's rank-two update of step i on row j of W:
// W[j][k] −= d[j]·e[k] + e[j]·d[k] for k = j ... i − 1.
template <class T>
void tred2Update(int i, int j, Matrix<T>& W, const Vector<T>& d, const Vector<T>& e) {
    const T f = d[j];
    const T g = e[j];
    T* w = W[j];
    for (int k = j; k <= i - 1; k++) w[k] = w[k] - (f * e[k] + g * d[k]);
}

// tred2's accumulation of step i on rows j0 ... j1 − 1 of W (j1 ≤ i + 1):
// g = Σ_k W[i+1][k]·W[j][k] from 0 in increasing k, then W[j][k] −= g·d[k].
// Each j on its own; two at a time share the loads.
template <class T>
void tred2Accumulate(int i, int j0, int j1, Matrix<T>& W, const Vector<T>& d) {
    const T* wi = W[i + 1];
    int j = j0;
    for (; j + 1 < j1; j += 2) {
        T* w0 = W[j];
        T* w1 = W[j + 1];
        const Sums2x1<T> g = sums2x1<SumPlusColRow>(w0, w1, wi, 0, i + 1, Sums2x1<T>{});
        subtractScaled2(w0, w1, g, d, 0, i + 1);
    }
    for (; j < j1; j++) {
        const T g = sum1<SumPlusColRow>(W[j], W[i + 1], 0, i + 1, T(0));
        subtractScaled(W[j], g, d, 0, i + 1);
    }
}

// Householder reduction of the symmetric matrix held transposed in W to
// tridiagonal form: the diagonal into d, the subdiagonal into e[1 ... n−1]
// (e[0] = 0), and W overwritten by the transpose of the orthogonal
// transformation.  Without `accumulate`, d and e are the same bits and W is
// left as the reduction used it (the transformation is not formed).
// false when the observer asked to stop (before a step of either loop).
template <class T>
bool tred2(Matrix<T>& W, Vector<T>& d, Vector<T>& e, const EigenObserver& observer = EigenObserver(),
           bool accumulate = true) {
    const int n = d.dim();

    for (int j = 0; j < n; j++) d[j] = W[j][n - 1];

    for (int i = n - 1; i > 0; i--) {
        if (observer.stopRequested()) return false;
        T scale = 0;
        T h = 0;
        for (int k = 0; k < i; k++) scale = scale + std::abs(d[k]);
        if (scale == T(0)) {
            e[i] = d[i - 1];
            for (int j = 0; j < i; j++) {
                d[j] = W[j][i - 1];
                W[j][i] = 0;
                W[i][j] = 0;
            }
        } else {
            for (int k = 0; k < i; k++) {
                d[k] = d[k] / scale;
                h = h + d[k] * d[k];
            }
            T f = d[i - 1];
            T g = std::sqrt(h);
            if (f > 0) g = -g;
            e[i] = scale * g;
            h = h - f * g;
            d[i - 1] = f - g;
            for (int j = 0; j < i; j++) {
                e[j] = 0;
                W[i][j] = d[j];
            }
            forChunks(i, Step((double)i * i), [&](int k0, int k1) { tred2Product(i, k0, k1, W, d, e); });
            f = 0;
            for (int j = 0; j < i; j++) {
                e[j] = e[j] / h;
                f = f + e[j] * d[j];
            }
            T hh = f / (h + h);
            for (int j = 0; j < i; j++) e[j] = e[j] - hh * d[j];
            // Rank-two update of the rows, each on its own; every row
            // reads d and e as they stand before any row's d[j] changes.
            const int threads = threadsFor(Step((double)i * i));
            if (threads > 1) {
                ZELKOR_OMP(parallel for num_threads(threads) schedule(dynamic, 8))
                for (int j = 0; j < i; j++) tred2Update(i, j, W, d, e);
            } else {
                for (int j = 0; j < i; j++) tred2Update(i, j, W, d, e);
            }
            for (int j = 0; j < i; j++) {
                d[j] = W[j][i - 1];
                W[j][i] = 0;
            }
        }
        d[i] = h;
    }

    if (!accumulate) {  // the accumulation below only moves the diagonal into d
        for (int j = 0; j < n; j++) d[j] = W[j][j];
        e[0] = 0;
        return true;
    }
    for (int i = 0; i < n - 1; i++) {
        if (observer.stopRequested()) return false;
        W[i][n - 1] = W[i][i];
        W[i][i] = 1;
        T h = d[i + 1];
        if (h != T(0)) {
            for (int k = 0; k <= i; k++) d[k] = W[i + 1][k] / h;
            forChunks(i + 1, Step((double)(i + 1) * (i + 1) * 2),
                      [&](int j0, int j1) { tred2Accumulate(i, j0, j1, W, d); });
        }
        for (int k = 0; k <= i; k++) W[i + 1][k] = 0;
    }
    for (int j = 0; j < n; j++) {
        d[j] = W[j][n - 1];
        W[j][n - 1] = 0;
    }
    W[n - 1][n - 1] = 1;
    e[0] = 0;
    return true;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
