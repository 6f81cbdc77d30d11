// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Eigenvectors from the complex Schur form T: back-substitution column by
// column into the upper triangle (triangularVector), then the product with
// the Schur vectors (backTransformRows); complexEigenvectors runs both.
// T must be upper triangular as complexSchur leaves it (its subdiagonal
// is read as 0), with its eigenvalues w = diag(T) and a finite size hNorm;
// the sizes of the buffers are the caller's to ensure: none is checked.
#ifndef ZELKOR_DETAIL_COMPLEX_EIGEN_EIGENVECTORS_H
#define ZELKOR_DETAIL_COMPLEX_EIGEN_EIGENVECTORS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/complex_eigen/eigenvectors.h> is internal to the library: include <zelkor/complex_eigen> instead"
#endif

#include <complex>

#include "../../cmat_zelkor"
#include "../../vec_zelkor"
#include "../eigenvalue/iteration.h"
#include "../scalar.h"
#include "../threads.h"

namespace ZELKOR {
namespace detail {

// Column n of the eigenvectors of T for w[n], into column n of X:
// X[n][n] = 1 and, upwards, X[i][n] = −(Σⱼ T[i][j]·X[j][n]) / (T[i][i] − w[n]),
// j = i + 1 ... n in increasing order; a difference that is exactly 0
// (a repeated eigenvalue) is taken as eps·hNorm.  When an entry's size t
// (|re| + |im|) has (eps·t)·t > 1 the entries i ... n are divided by t,
// so that no later sum overflows.  T's entries are read from S: X itself,
// or a copy when several threads compute columns (each column then
// overwrites only its own entries while the others still read T).
template <class T>
void triangularVector(const int n, const T eps, const T hNorm, const Matrix<std::complex<T>>& S,
                      Matrix<std::complex<T>>& X, const Vector<std::complex<T>>& w) {
    typedef std::complex<T> C;
    const C lambda = w[n];
    X[n][n] = C(1, 0);
    for (int i = n - 1; i >= 0; i--) {
        const C* si = S[i];
        C r(0, 0);
        for (int j = i + 1; j <= n; j++) r = r + mul(si[j], X[j][n]);
        C d = si[i] - lambda;
        if (d == C(0, 0)) d = C(eps * hNorm, 0);
        X[i][n] = -div(r, d);
        const T t = abs1(X[i][n]);
        if ((eps * t) * t > 1)
            for (int j = i; j <= n; j++) X[j][n] = div(X[j][n], t);
    }
}

// Rows i0 ... i1 − 1 of V become V·X, X upper triangular: row entry j is
// Σₖ V[i][k]·X[k][j], k = 0 ... j in increasing order, gathered in `row`
// (length n) along X's rows.
template <class T>
void backTransformRows(int i0, int i1, const Matrix<std::complex<T>>& X, Matrix<std::complex<T>>& V,
                       Vector<std::complex<T>>& row) {
    typedef std::complex<T> C;
    const int n = X.num_cols();
    for (int i = i0; i < i1; i++) {
        C* vi = V[i];
        for (int j = 0; j < n; j++) row[j] = C(0, 0);
        for (int k = 0; k < n; k++) {
            const C v = vi[k];
            const C* xk = X[k];
            for (int j = k; j < n; j++) row[j] = row[j] + mul(v, xk[j]);
        }
        for (int j = 0; j < n; j++) vi[j] = row[j];
    }
}

// The eigenvectors of the Schur form T (in H) by back-substitution, then
// V·X: on return the upper triangle of H holds X and V the eigenvectors of
// the matrix whose Schur vectors V held.  With a stop to ask (see
// EigenObserver) the columns and then the rows go 32 at a time, the
// observer asked before each group; false when it stopped.
template <class T>
bool complexEigenvectors(const T eps, const T hNorm, Matrix<std::complex<T>>& H, Matrix<std::complex<T>>& V,
                         const Vector<std::complex<T>>& w, const EigenObserver& observer) {
    typedef std::complex<T> C;
    const int n = H.num_cols();
    const int group = observer.stop ? 32 : n + 1;
    const int threads = threadsFor(Step((double)n * n * n / 6 * 4));
    Matrix<C> S;
    if (threads > 1) S = H;
    for (int top = n - 1; top >= 0; top -= group) {
        if (observer.stopRequested()) return false;
        const int bottom = top - group + 1 > 0 ? top - group + 1 : 0;
        if (threads > 1) {
            ZELKOR_OMP(parallel for num_threads(threads) schedule(dynamic, 1))
            for (int k = top; k >= bottom; k--) triangularVector(k, eps, hNorm, S, H, w);
        } else {
            for (int k = top; k >= bottom; k--) triangularVector(k, eps, hNorm, H, H, w);
        }
    }
    for (int first = 0; first < n; first += group) {
        if (observer.stopRequested()) return false;
        const int rows = n - first < group ? n - first : group;
        forChunks(rows, Step((double)rows * n * n / 2 * 4), [&](int i0, int i1) {
            Vector<C> row(n, C(0, 0));
            backTransformRows(first + i0, first + i1, H, V, row);
        });
    }
    return true;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
