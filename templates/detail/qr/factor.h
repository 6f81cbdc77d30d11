// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Householder QR of an m × n matrix A, real or complex, held transposed:
// H = Aᵀ (not conjugated), n rows of length m, so that column c of A is the contiguous row H[c].  For
// j = 0 ... k − 1 (k = min(m, n)) the reflector of H[j][j ... m) is made
// (reflector.h) and applied to the rows after j; on return H[c][i] is
// R[i][c] for i ≤ c and, for i > c, entry i of the reflector v of
// position c, whose τ is tau[c] (the layout and conventions of numpy's
// 'raw' mode).  A τ of zero leaves the rows as they are.  The rows after
// j take Hⱼᴴ (conj(τ)), which is Hⱼ for real rows.
//
// Column pivoting (Businger–Golub): before step j the column of largest
// remaining norm ‖A[j ... m)[c]‖ among c ≥ j is exchanged with column j,
// the lowest index winning ties.  The norms are downdated after each step,
// ν ← ν·√(1 − (|R[j][c]| / ν)²) (|·| the modulus), and recomputed from the column when the
// downdate has lost more than half the digits to cancellation: when
// (1 − (|R[j][c]| / ν)²)·(ν / ν₀)² ≤ √ε, ν₀ the norm at the last
// recomputation.  A NaN norm is never larger than another, but a column
// holding a NaN is factored in turn and its NaN spreads into R.
//
// Without pivoting the reflectors go by panels (qrFactorPanels), with the
// bits of one at a time.  Threads: the rows to update are independent;
// above the threshold the threads take blocks of them (forChunks), each
// row keeping its own chain of operations, its norm's downdate included,
// so the bits do not depend on the number of threads.  Nothing is checked: tau must hold k entries
// and perm, when given, n.
#ifndef ZELKOR_DETAIL_QR_FACTOR_H
#define ZELKOR_DETAIL_QR_FACTOR_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/qr/factor.h> is internal to the library: include <zelkor/qr> instead"
#endif

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "../../cmat_zelkor"
#include "../scalar.h"
#include "../threads.h"
#include "reflector.h"

namespace ZELKOR {
namespace detail {

// The remaining column norms of pivoting: norm[c] now, last[c] when it
// was last computed from the column.
template <class T>
struct ColumnNorms {
    std::vector<T> norm, last;
};

// After step j: the norm of row c of H over j + 1 ... m − 1, downdated
// by R[j][c] = H[c][j] or recomputed.
template <class S, class T>
void downdateNorm(const Matrix<S>& H, int c, int j, int m, ColumnNorms<T>& nu) {
    T& norm = nu.norm[c];
    if (norm == 0) return;
    const T ratio = modulus(H[c][j]) / norm;
    T t = 1 - ratio * ratio;
    if (t < 0) t = 0;
    const T q = norm / nu.last[c];
    if (t * (q * q) <= std::sqrt(std::numeric_limits<T>::epsilon())) {
        norm = scaledNorm(H[c], j + 1, m);
        nu.last[c] = norm;
    } else {
        norm = norm * std::sqrt(t);
    }
}

// Exchange of columns j and p (rows of H) with their norms and indices.
template <class S, class T>
void exchangeColumns(Matrix<S>& H, int j, int p, ColumnNorms<T>& nu, std::vector<int>& perm) {
    const int m = H.num_cols();
    for (int i = 0; i < m; i++) std::swap(H[j][i], H[p][i]);
    std::swap(perm[j], perm[p]);
    std::swap(nu.norm[j], nu.norm[p]);
    std::swap(nu.last[j], nu.last[p]);
}

// Reflectors in a panel of the factorisation without pivoting.
const int qrPanel = 32;

// Without pivoting, by panels of qrPanel rows: the reflectors of a panel
// are made and applied to the panel's rows one at a time, then all of them
// to the rows after the panel (reflectorsForward), a tile of rows at a
// time.  Every row gets the same reflectors in the same order as one at a
// time over the whole matrix, so the bits are those of that order.
template <class T>
void qrFactorPanels(Matrix<T>& H, std::vector<T>& tau) {
    const int n = H.num_rows(), m = H.num_cols();
    const int k = m < n ? m : n;
    const double flops = ScalarTraits<T>::isComplex ? 8.0 : 2.0;
    for (int j0 = 0; j0 < k; j0 += qrPanel) {
        const int j1 = j0 + qrPanel < k ? j0 + qrPanel : k;
        for (int j = j0; j < j1; j++) {
            tau[j] = makeReflector(H[j], j, m);
            const int rows = j1 - j - 1;
            if (tau[j] == T(0) || rows == 0) continue;
            forChunks(rows, Step(flops * rows * (m - j)), [&](int r0, int r1) {
                reflectRows(H[j], conjugate(tau[j]), j, m, H, j + 1 + r0, j + 1 + r1);
            });
        }
        const int rows = n - j1;
        forChunks(rows, Step(flops * rows * (m - j0) * (j1 - j0)), [&](int r0, int r1) {
            reflectorsForward(H, tau, j0, j1, H, j1 + r0, j1 + r1);
        });
    }
}

// The factorisation of H = Aᵀ in place (see the top of this file); with
// perm non-null, columns are pivoted and perm[j] is the column of A that
// went to position j (perm holds the identity on entry), one step at a
// time, each step's trailing rows on threads.
template <class T>
void qrFactor(Matrix<T>& H, std::vector<T>& tau, std::vector<int>* perm) {
    if (!perm) {
        qrFactorPanels(H, tau);
        return;
    }
    const int n = H.num_rows(), m = H.num_cols();
    const int k = m < n ? m : n;
    const double flops = ScalarTraits<T>::isComplex ? 8.0 : 2.0;
    ColumnNorms<RealOf<T>> nu;
    nu.norm.resize(n);
    for (int c = 0; c < n; c++) nu.norm[c] = scaledNorm(H[c], 0, m);
    nu.last = nu.norm;
    for (int j = 0; j < k; j++) {
        int p = j;
        for (int c = j + 1; c < n; c++)
            if (nu.norm[c] > nu.norm[p]) p = c;
        if (p != j) exchangeColumns(H, j, p, nu, *perm);
        tau[j] = makeReflector(H[j], j, m);
        const int rows = n - j - 1;
        const T* v = H[j];
        const T t = conjugate(tau[j]);
        forChunks(rows, Step(flops * rows * (m - j)), [&](int r0, int r1) {
            if (t != T(0)) reflectRows(v, t, j, m, H, j + 1 + r0, j + 1 + r1);
            for (int c = j + 1 + r0; c < j + 1 + r1; c++) downdateNorm(H, c, j, m, nu);
        });
    }
}

}  // namespace detail
}  // namespace ZELKOR

#endif
