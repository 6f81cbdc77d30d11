// -*- C++ -*-
// SPDX-License-Identifier: MIT
// orthes: Householder reduction of a square matrix to upper Hessenberg
// form over the whole index range, the product of the reflections
// accumulated.  Sizes (H and V n × n, ort of length n) are the caller's to
// ensure: none is checked.
#ifndef ZELKOR_DETAIL_EIGENVALUE_HESSENBERG_H
#define ZELKOR_DETAIL_EIGENVALUE_HESSENBERG_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/hessenberg.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include <cmath>

#include "../../cmat_zelkor"
#include "../kernels.h"
#include "../threads.h"
#include "../../vec_zelkor"
#include "iteration.h"

namespace ZELKOR {
namespace detail {

// orthes, step m: columns j0 ... j1 − 1 of H become (I − u·uᵀ/h)·H,
// u = ort[m ... n − 1].  Four columns go together so that each load of
// ort serves several of them.
template <class T>
void orthesColumns(int m, T h, int j0, int j1, Matrix<T>& H, const Vector<T>& ort) {
    const int high = H.num_cols() - 1;
    int j = j0;
    for (; j + 3 < j1; j += 4) {
        Sums1x4<T> f = sums1x4<SumPlusRowCol, -1>(ort, H, j, high, m - 1, Sums1x4<T>{});
        f.s0 = f.s0 / h;
        f.s1 = f.s1 / h;
        f.s2 = f.s2 / h;
        f.s3 = f.s3 / h;
        for (int i = m; i <= high; i++) {
            T* hi = H[i] + j;
            T o = ort[i];
            hi[0] = hi[0] - f.s0 * o;
            hi[1] = hi[1] - f.s1 * o;
            hi[2] = hi[2] - f.s2 * o;
            hi[3] = hi[3] - f.s3 * o;
        }
    }
    for (; j < j1; j++) {
        T f = sum1<SumPlusRowCol, -1>(ort, columnOf(H, j), high, m - 1, T(0));
        f = f / h;
        for (int i = m; i <= high; i++) H[i][j] = H[i][j] - f * ort[i];
    }
}

// orthes, step m: rows i0 ... i1 − 1 of H become H·(I − u·uᵀ/h), two
// rows together.
template <class T>
void orthesRows(int m, T h, int i0, int i1, Matrix<T>& H, const Vector<T>& ort) {
    const int high = H.num_cols() - 1;
    int i = i0;
    for (; i + 1 < i1; i += 2) {
        T* h0 = H[i];
        T* h1 = H[i + 1];
        Sums2x1<T> f = sums2x1<SumPlusColRow, -1>(h0, h1, ort, high, m - 1, Sums2x1<T>{});
        f.s0 = f.s0 / h;
        f.s1 = f.s1 / h;
        subtractScaled2(h0, h1, f, ort, m, high + 1);
    }
    for (; i < i1; i++) {
        T f = sum1<SumPlusColRow, -1>(H[i], ort, high, m - 1, T(0));
        f = f / h;
        subtractScaled(H[i], f, ort, m, high + 1);
    }
}

// orthes, accumulation of step m into V: columns j0 ... j1 − 1, each on
// its own, four at a time; ort[m + 1 ...] holds the step's vector and
// H[m][m − 1] its scale.
template <class T>
void orthesAccumulate(int m, int j0, int j1, const Matrix<T>& H, const Vector<T>& ort, Matrix<T>& V) {
    const int high = H.num_cols() - 1;
    const T hm = H[m][m - 1];
    int j = j0;
    for (; j + 3 < j1; j += 4) {
        Sums1x4<T> g = sums1x4<SumPlusRowCol>(ort, V, j, m, high + 1, Sums1x4<T>{});
        g.s0 = (g.s0 / ort[m]) / hm;
        g.s1 = (g.s1 / ort[m]) / hm;
        g.s2 = (g.s2 / ort[m]) / hm;
        g.s3 = (g.s3 / ort[m]) / hm;
        for (int i = m; i <= high; i++) {
            T* vi = V[i] + j;
            T o = ort[i];
            vi[0] = vi[0] + g.s0 * o;
            vi[1] = vi[1] + g.s1 * o;
            vi[2] = vi[2] + g.s2 * o;
            vi[3] = vi[3] + g.s3 * o;
        }
    }
    for (; j < j1; j++) {
        T g = sum1<SumPlusRowCol>(ort, columnOf(V, j), m, high + 1, T(0));
        g = (g / ort[m]) / hm;
        for (int i = m; i <= high; i++) V[i][j] = V[i][j] + g * ort[i];
    }
}

// Householder reduction of H to upper Hessenberg form: H becomes Qᵀ·H·Q
// with each column's Householder vector left below the band (entries
// H[i][m − 1], i > m, are not cleared), V becomes Q; ort is work space
// for the vectors.  Without `accumulate`, V is not touched (it may be
// empty) and H gets the same bits.  false when the observer asked to
// stop (before a step of either loop).
template <class T>
bool orthes(Matrix<T>& H, Vector<T>& ort, Matrix<T>& V, const EigenObserver& observer = EigenObserver(),
            bool accumulate = true) {
    int n = H.num_cols();
    int low = 0;
    int high = n - 1;

    for (int m = low + 1; m <= high - 1; m++) {
        if (observer.stopRequested()) return false;
        T scale = 0;
        for (int i = m; i <= high; i++) scale = scale + std::abs(H[i][m - 1]);
        if (scale != T(0)) {
            T h = 0;
            for (int i = high; i >= m; i--) {
                ort[i] = H[i][m - 1] / scale;
                h = h + ort[i] * ort[i];
            }
            T g = std::sqrt(h);
            if (ort[m] > 0) g = -g;
            h = h - ort[m] * g;
            ort[m] = ort[m] - g;

            // H = (I − u·uᵀ/h)·H·(I − u·uᵀ/h): the columns, then the
            // rows, each transformed on its own (the threads take chunks
            // of them as they become free).
            const int threads = threadsFor(Step((double)(n - m) * n * 2));  // the larger of its two stretches
            if (threads > 1) {
                const int columnChunks = chunkCount(n - m, Step((double)(n - m) * (n - m) * 2), threads, 4);
                const int rowChunks = chunkCount(high + 1, Step((double)(n - m) * n * 2), threads);
                ZELKOR_OMP(parallel num_threads(threads)) {
                    ZELKOR_OMP(for schedule(dynamic, 1))
                    for (int c = 0; c < columnChunks; c++) {
                        int j0, j1;
                        block(n - m, c, columnChunks, 4, j0, j1);
                        orthesColumns(m, h, m + j0, m + j1, H, ort);
                    }
                    ZELKOR_OMP(for schedule(dynamic, 1))
                    for (int c = 0; c < rowChunks; c++) {
                        int i0, i1;
                        evenBlock(high + 1, c, rowChunks, i0, i1);
                        orthesRows(m, h, i0, i1, H, ort);
                    }
                }
            } else {
                orthesColumns(m, h, m, n, H, ort);
                orthesRows(m, h, 0, high + 1, H, ort);
            }
            ort[m] = scale * ort[m];
            H[m][m - 1] = scale * g;
        }
    }

    if (!accumulate) return true;
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) V[i][j] = (i == j ? T(1) : T(0));

    for (int m = high - 1; m >= low + 1; m--) {
        if (observer.stopRequested()) return false;
        if (H[m][m - 1] != T(0)) {
            for (int i = m + 1; i <= high; i++) ort[i] = H[i][m - 1];
            // Each column on its own (in chunks, forChunks).
            forChunks(
                high - m + 1, Step((double)(high - m + 1) * (high - m + 1) * 2),
                [&](int j0, int j1) { orthesAccumulate(m, m + j0, m + j1, H, ort, V); }, 4);
        }
    }
    return true;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
