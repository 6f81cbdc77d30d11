// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Householder reduction of a complex square matrix to upper Hessenberg
// form by unitary similarity, the product of the reflections accumulated.
// Each reflection is P = I − u·uᴴ/h (Hermitian and unitary, h = ‖u‖²/2),
// mapping the column below the subdiagonal to a multiple of its first
// entry's direction.  Sizes (H and V n × n, u and work of length n) are the
// caller's to ensure: none is checked.
#ifndef ZELKOR_DETAIL_COMPLEX_EIGEN_HESSENBERG_H
#define ZELKOR_DETAIL_COMPLEX_EIGEN_HESSENBERG_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/complex_eigen/hessenberg.h> is internal to the library: include <zelkor/complex_eigen> instead"
#endif

#include <cmath>
#include <complex>

#include "../../cmat_zelkor"
#include "../../vec_zelkor"
#include "../eigenvalue/iteration.h"
#include "../scalar.h"
#include "../threads.h"

namespace ZELKOR {
namespace detail {

// Columns j0 ... j1 − 1 of rows m ... n − 1 of X become (I − u·uᴴ/h)·X,
// u = u[m ... n − 1].  The rows are walked in order (f[j] = uᴴ·X[:, j]
// summed in increasing row), so that every access runs along a row.
template <class T>
void reflectColumns(int m, T h, int j0, int j1, Matrix<std::complex<T>>& X, const Vector<std::complex<T>>& u,
                    Vector<std::complex<T>>& f) {
    typedef std::complex<T> C;
    const int n = X.num_rows();
    if (j0 >= j1) return;
    for (int j = j0; j < j1; j++) f[j] = C(0, 0);
    for (int i = m; i < n; i++) {
        const C ui = u[i];
        const C* xi = X[i];
        for (int j = j0; j < j1; j++) f[j] = f[j] + mulConj(ui, xi[j]);
    }
    for (int j = j0; j < j1; j++) f[j] = div(f[j], h);
    for (int i = m; i < n; i++) {
        const C ui = u[i];
        C* xi = X[i];
        for (int j = j0; j < j1; j++) xi[j] = xi[j] - mul(f[j], ui);
    }
}

// Rows i0 ... i1 − 1 of H become H·(I − u·uᴴ/h) on columns m ... n − 1.
template <class T>
void reflectRows(int m, T h, int i0, int i1, Matrix<std::complex<T>>& H, const Vector<std::complex<T>>& u) {
    typedef std::complex<T> C;
    const int n = H.num_cols();
    for (int i = i0; i < i1; i++) {
        C* hi = H[i];
        C g(0, 0);
        for (int k = m; k < n; k++) g = g + mul(hi[k], u[k]);
        g = div(g, h);
        for (int k = m; k < n; k++) hi[k] = hi[k] - mulConj(u[k], g);
    }
}

// Step m of the reduction: the reflection that clears H[m + 1 ...][m − 1],
// applied on both sides.  u[m ...] becomes the reflection's vector times
// the column's scale (its entries below m are H[m + 1 ...][m − 1], which
// are left in place); 0 when the column is zero already (no reflection).
template <class T>
T reduceColumn(int m, Matrix<std::complex<T>>& H, Vector<std::complex<T>>& u, Vector<std::complex<T>>& work) {
    typedef std::complex<T> C;
    const int n = H.num_cols();
    T scale = 0;
    for (int i = m; i < n; i++) scale = scale + abs1(H[i][m - 1]);
    if (scale == T(0)) return 0;
    T h = 0;
    for (int i = n - 1; i >= m; i--) {
        u[i] = div(H[i][m - 1], scale);
        h = h + absSquared(u[i]);
    }
    const T g = std::sqrt(h);  // ‖x‖ / scale
    const T a = modulus(u[m]);
    const C phase = a != T(0) ? div(u[m], a) : C(1, 0);
    // P·x = −‖x‖·phase·e₁; u = x + ‖x‖·phase·e₁, uᴴ·u / 2 = ‖x‖² + |x₁|·‖x‖.
    h = h + g * a;
    u[m] = u[m] + C(g * phase.real(), g * phase.imag());
    const int threads = threadsFor(Step((double)(n - m) * n * 4));
    if (threads > 1) {
        forChunks(
            n - m, Step((double)(n - m) * (n - m) * 4),
            [&](int j0, int j1) { reflectColumns(m, h, m + j0, m + j1, H, u, work); }, 4);
        forChunks(n, Step((double)(n - m) * n * 4), [&](int i0, int i1) { reflectRows(m, h, i0, i1, H, u); });
    } else {
        reflectColumns(m, h, m, n, H, u, work);
        reflectRows(m, h, 0, n, H, u);
    }
    u[m] = C(scale * u[m].real(), scale * u[m].imag());
    H[m][m - 1] = C(-(scale * g) * phase.real(), -(scale * g) * phase.imag());
    return scale;
}

// Reduction of H to upper Hessenberg form: H becomes Qᴴ·H·Q, its entries
// below the subdiagonal zero; with `accumulate`, V becomes Q (otherwise V
// is not touched and may be empty, and H gets the same bits).  u and work
// are work space.  false when the observer asked to stop (before a step).
template <class T>
bool complexHessenberg(Matrix<std::complex<T>>& H, Vector<std::complex<T>>& u, Vector<std::complex<T>>& work,
                       Matrix<std::complex<T>>& V, const EigenObserver& observer, bool accumulate) {
    typedef std::complex<T> C;
    const int n = H.num_cols();
    for (int m = 1; m <= n - 2; m++) {
        if (observer.stopRequested()) return false;
        reduceColumn(m, H, u, work);
    }
    if (accumulate) {
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) V[i][j] = C(i == j ? 1 : 0, 0);
        // Q = P₁·P₂·…: each P_m applied from the left, the last first, to
        // the rows and columns m ... n − 1 it touches.
        for (int m = n - 2; m >= 1; m--) {
            if (observer.stopRequested()) return false;
            if (H[m][m - 1] == C(0, 0)) continue;
            // The scaled u and scaled h = −Re(ū_m·H[m][m − 1]) (see reduceColumn).
            for (int i = m + 1; i < n; i++) u[i] = H[i][m - 1];
            const T h = -mulConj(u[m], H[m][m - 1]).real();
            forChunks(
                n - m, Step((double)(n - m) * (n - m) * 4),
                [&](int j0, int j1) { reflectColumns(m, h, m + j0, m + j1, V, u, work); }, 4);
        }
    }
    for (int i = 2; i < n; i++)
        for (int j = 0; j < i - 1; j++) H[i][j] = C(0, 0);
    return true;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
