// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Householder QR of an m × n matrix A held transposed: H = Aᵀ, n rows of
// length m, so that column c of A is the contiguous row H[c].  For
// j = 0 ... k − 1 (k = min(m, n)) the reflector of H[j][j ... m) is made
// (reflector.h) and applied to the rows after j; on return H[c][i] is
// R[i][c] for i ≤ c and, for i > c, entry i of the reflector v of
// position c, whose τ is tau[c] (the layout and conventions of numpy's
// 'raw' mode).  A τ of zero leaves the rows as they are.
//
// Column pivoting (Businger–Golub): before step j the column of largest
// remaining norm ‖A[j ... m)[c]‖ among c ≥ j is exchanged with column j,
// the lowest index winning ties.  The norms are downdated after each step,
// ν ← ν·√(1 − (|R[j][c]| / ν)²), and recomputed from the column when the
// downdate has lost more than half the digits to cancellation: when
// (1 − (|R[j][c]| / ν)²)·(ν / ν₀)² ≤ √ε, ν₀ the norm at the last
// recomputation.  A NaN norm is never larger than another, but a column
// holding a NaN is factored in turn and its NaN spreads into R.
//
// Threads: the rows after j are independent; above the threshold the
// threads take blocks of them (forChunks), each row keeping its own chain
// of operations, its norm's downdate included, so the bits do not depend
// on the number of threads.  Nothing is checked: tau must hold k entries
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
template <class T>
void downdateNorm(const Matrix<T>& H, int c, int j, int m, ColumnNorms<T>& nu) {
    T& norm = nu.norm[c];
    if (norm == 0) return;
    const T ratio = std::abs(H[c][j]) / norm;
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
template <class T>
void exchangeColumns(Matrix<T>& H, int j, int p, ColumnNorms<T>& nu, std::vector<int>& perm) {
    const int m = H.num_cols();
    for (int i = 0; i < m; i++) std::swap(H[j][i], H[p][i]);
    std::swap(perm[j], perm[p]);
    std::swap(nu.norm[j], nu.norm[p]);
    std::swap(nu.last[j], nu.last[p]);
}

// The factorisation of H = Aᵀ in place (see the top of this file); with
// perm non-null, columns are pivoted and perm[j] is the column of A that
// went to position j (perm holds the identity on entry).
template <class T>
void qrFactor(Matrix<T>& H, std::vector<T>& tau, std::vector<int>* perm) {
    const int n = H.num_rows(), m = H.num_cols();
    const int k = m < n ? m : n;
    ColumnNorms<T> nu;
    if (perm) {
        nu.norm.resize(n);
        for (int c = 0; c < n; c++) nu.norm[c] = scaledNorm(H[c], 0, m);
        nu.last = nu.norm;
    }
    for (int j = 0; j < k; j++) {
        if (perm) {
            int p = j;
            for (int c = j + 1; c < n; c++)
                if (nu.norm[c] > nu.norm[p]) p = c;
            if (p != j) exchangeColumns(H, j, p, nu, *perm);
        }
        tau[j] = makeReflector(H[j], j, m);
        const int rows = n - j - 1;
        const T* v = H[j];
        const T t = tau[j];
        forChunks(rows, Step(2.0 * rows * (m - j)), [&](int r0, int r1) {
            if (t != 0) reflectRows(v, t, j, m, H, j + 1 + r0, j + 1 + r1);
            if (perm)
                for (int c = j + 1 + r0; c < j + 1 + r1; c++) downdateNorm(H, c, j, m, nu);
        });
    }
}

}  // namespace detail
}  // namespace ZELKOR

#endif
