// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Eigenvectors from the real Schur form: back-substitution column by column
// into the upper triangle of the Schur form (realVector, complexVector),
// then the product with the Schur vectors (backTransform); schurEigenvectors
// runs both.  The Schur form must be as schurIteration leaves it, with its
// eigenvalues in d, e (pairs +μ first) and a finite size hNorm; the sizes of
// the buffers are the caller's to ensure: none is checked.
#ifndef ZELKOR_DETAIL_EIGENVALUE_EIGENVECTORS_H
#define ZELKOR_DETAIL_EIGENVALUE_EIGENVECTORS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/eigenvectors.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include <cmath>

#include "../../cmat_zelkor"
#include "../kernels.h"
#include "../threads.h"
#include "../../vec_zelkor"
#include "iteration.h"
#include "scalar.h"

namespace ZELKOR {
namespace detail {

// Column n of the eigenvectors of the Schur form for the real eigenvalue
// d[n], by back-substitution into column n of X.  The Schur form's entries
// are read from S: X itself, or a copy of it when the columns are
// computed by several threads (each column then overwrites only its own
// entries while the others still read the Schur form).
template <class T>
void realVector(const int n, const T eps, const T hNorm, const Matrix<T>& S, Matrix<T>& X, const Vector<T>& d,
                const Vector<T>& e) {
    Matrix<T>& H = X;
    const T p = d[n];
    T r = 0, s = 0, z = 0;
    T t, w, x, y;
    int l = n;
    H[n][n] = 1;
    for (int i = n - 1; i >= 0; i--) {
        w = S[i][i] - p;
        r = 0;
        for (int j = l; j <= n; j++) r = r + S[i][j] * H[j][n];
        if (e[i] < 0) {
            z = w;
            s = r;
        } else {
            l = i;
            if (e[i] == T(0)) {
                if (w != T(0))
                    H[i][n] = -r / w;
                else
                    H[i][n] = -r / (eps * hNorm);
            } else {
                x = S[i][i + 1];
                y = S[i + 1][i];
                T den = (d[i] - p) * (d[i] - p) + e[i] * e[i];
                t = (x * s - z * r) / den;
                H[i][n] = t;
                if (std::abs(x) > std::abs(z))
                    H[i + 1][n] = (-r - w * t) / x;
                else
                    H[i + 1][n] = (-s - y * t) / z;
            }
            // Overflow control
            t = std::abs(H[i][n]);
            if ((eps * t) * t > 1)
                for (int j = i; j <= n; j++) H[j][n] = H[j][n] / t;
        }
    }
}

// Columns n − 1 (real part) and n (imaginary part) of the eigenvector of
// the Schur form for the pair at n − 1, n (e[n] < 0), into X; S as in
// realVector.
template <class T>
void complexVector(const int n, const T eps, const T hNorm, const Matrix<T>& S, Matrix<T>& X,
                   const Vector<T>& d, const Vector<T>& e) {
    Matrix<T>& H = X;
    const T p = d[n];
    const T q = e[n];
    T r = 0, s = 0, z = 0;
    T t, w, x, y;
    int l = n - 1;
    if (std::abs(S[n][n - 1]) > std::abs(S[n - 1][n])) {
        H[n - 1][n - 1] = q / S[n][n - 1];
        H[n - 1][n] = -(S[n][n] - p) / S[n][n - 1];
    } else {
        const Complex<T> h = Complex<T>{T(0), -S[n - 1][n]} / Complex<T>{S[n - 1][n - 1] - p, q};
        H[n - 1][n - 1] = h.re;
        H[n - 1][n] = h.im;
    }
    H[n][n - 1] = 0;
    H[n][n] = 1;
    for (int i = n - 2; i >= 0; i--) {
        T sumRe = 0;
        T sumIm = 0;
        for (int j = l; j <= n; j++) {
            sumRe = sumRe + S[i][j] * H[j][n - 1];
            sumIm = sumIm + S[i][j] * H[j][n];
        }
        w = S[i][i] - p;
        if (e[i] < 0) {
            z = w;
            r = sumRe;
            s = sumIm;
        } else {
            l = i;
            if (e[i] == T(0)) {
                const Complex<T> h = Complex<T>{-sumRe, -sumIm} / Complex<T>{w, q};
                H[i][n - 1] = h.re;
                H[i][n] = h.im;
            } else {
                x = S[i][i + 1];
                y = S[i + 1][i];
                T detRe = (d[i] - p) * (d[i] - p) + e[i] * e[i] - q * q;
                T detIm = (d[i] - p) * 2 * q;
                if (detRe == T(0) && detIm == T(0))
                    detRe =
                        (eps * hNorm) * (std::abs(w) + std::abs(q) + std::abs(x) + std::abs(y) + std::abs(z));
                const Complex<T> h =
                    Complex<T>{x * r - z * sumRe + q * sumIm, x * s - z * sumIm - q * sumRe} /
                    Complex<T>{detRe, detIm};
                H[i][n - 1] = h.re;
                H[i][n] = h.im;
                if (std::abs(x) > (std::abs(z) + std::abs(q))) {
                    H[i + 1][n - 1] = (-sumRe - w * H[i][n - 1] + q * H[i][n]) / x;
                    H[i + 1][n] = (-sumIm - w * H[i][n] - q * H[i][n - 1]) / x;
                } else {
                    const Complex<T> h1 =
                        Complex<T>{-r - y * H[i][n - 1], -s - y * H[i][n]} / Complex<T>{z, q};
                    H[i + 1][n - 1] = h1.re;
                    H[i + 1][n] = h1.im;
                }
            }
            // Overflow control
            T a = std::abs(H[i][n - 1]);
            T b = std::abs(H[i][n]);
            t = a > b ? a : b;
            if ((eps * t) * t > 1) {
                for (int j = i; j <= n; j++) {
                    H[j][n - 1] = H[j][n - 1] / t;
                    H[j][n] = H[j][n] / t;
                }
            }
        }
    }
}

// V = V·X, X the upper-triangular eigenvectors of the Schur form;
// descending columns read only columns not yet overwritten.  Columns
// j, j − 1 and rows i, i + 1 go together, each element summing its
// products in increasing k from 0.  Rows i0 ... i1 − 1: each row is
// transformed on its own.
template <class T>
void backTransform(int i0, int i1, const Matrix<T>& X, Matrix<T>& V) {
    const int nn = X.num_cols();
    const Matrix<T>& H = X;
    int j = nn - 1;
    for (; j >= 1; j -= 2) {
        int i = i0;
        for (; i + 1 < i1; i += 2) {
            const T* v0 = V[i];
            const T* v1 = V[i + 1];
            // Columns j − 1, j of H: z.sX1 is row X's sum for column j.
            Sums2x2<T> z = sums2x2<SumPlusRowCol>(v0, v1, H, j - 1, 0, j, Sums2x2<T>{});
            z.s01 = z.s01 + v0[j] * H[j][j];
            z.s11 = z.s11 + v1[j] * H[j][j];
            z.store(V[i], V[i + 1], j - 1);
        }
        if (i < i1) {
            T z0 = sum1<SumPlusRowCol>(V[i], columnOf(H, j), 0, j, T(0));
            const T z1 = sum1<SumPlusRowCol>(V[i], columnOf(H, j - 1), 0, j, T(0));
            z0 = z0 + V[i][j] * H[j][j];
            V[i][j] = z0;
            V[i][j - 1] = z1;
        }
    }
    if (j == 0) {
        for (int i = i0; i < i1; i++) V[i][0] = T(0) + V[i][0] * H[0][0];
    }
}

// The eigenvectors of the Schur form T (in H) by back-substitution, then
// V·X: on return the upper triangle of H holds X (its columns for the real
// eigenvalues and the pairs' real and imaginary parts) and V holds the
// eigenvectors of the original matrix.  eps and hNorm (the 1-norm of the
// Hessenberg band) set the size of a perturbed zero divisor.  With a stop
// to ask (see EigenObserver) the columns and then the rows go 32 at a
// time, the observer asked before each group; false when it stopped.
template <class T>
bool schurEigenvectors(const T eps, const T hNorm, Matrix<T>& H, Matrix<T>& V, const Vector<T>& d,
                       const Vector<T>& e, const EigenObserver& observer = EigenObserver()) {
    const int nn = H.num_cols();
    const int group = observer.stop ? 32 : nn + 1;
    // The columns are independent of one another; with threads each
    // reads the Schur form from a copy, the largest columns first.
    const int threads = threadsFor(Step((double)nn * nn * nn / 6));
    Matrix<T> S;
    if (threads > 1) S = H;
    for (int top = nn - 1; top >= 0; top -= group) {
        if (observer.stopRequested()) return false;
        const int bottom = top - group + 1 > 0 ? top - group + 1 : 0;
        if (threads > 1) {
            ZELKOR_OMP(parallel for num_threads(threads) schedule(dynamic, 1))
            for (int n = top; n >= bottom; n--) {
                if (e[n] == T(0))
                    realVector(n, eps, hNorm, S, H, d, e);
                else if (e[n] < 0)
                    complexVector(n, eps, hNorm, S, H, d, e);
            }
        } else {
            for (int n = top; n >= bottom; n--) {
                if (e[n] == T(0))
                    realVector(n, eps, hNorm, H, H, d, e);
                else if (e[n] < 0)
                    complexVector(n, eps, hNorm, H, H, d, e);
            }
        }
    }
    for (int first = 0; first < nn; first += group) {
        if (observer.stopRequested()) return false;
        const int rows = nn - first < group ? nn - first : group;
        forChunks(rows, Step((double)rows * nn * nn / 2),
                  [&](int i0, int i1) { backTransform(first + i0, first + i1, H, V); });
    }
    return true;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
