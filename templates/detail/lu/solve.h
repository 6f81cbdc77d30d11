// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Solves with the factors F of P·A = L·U (L unit lower, U upper, in one
// n × n matrix): forward and back substitution on columns of a matrix
// right-hand side, the vector solve and the transposed solve.  The
// right-hand sides come in pivoted order where a function says so.
// Nothing is checked: the sizes are the caller's to match and the factor's
// to be square and nonsingular (a zero pivot divides by zero).
#ifndef ZELKOR_DETAIL_LU_SOLVE_H
#define ZELKOR_DETAIL_LU_SOLVE_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/lu/solve.h> is internal to the library: include <zelkor/lu> instead"
#endif

#include "../../cmat_zelkor"
#include "../../vec_zelkor"
#include "../kernels.h"
#include "../scalar.h"

namespace ZELKOR {
namespace detail {

// Forward substitution with L, in place, on columns j0 ... j1 − 1 of X:
// element (i, j) becomes X[i][j] − X[k][j]·L[i][k] for k = 0, 1, ..., i − 1
// in turn, each X[k][j] already final.  Rows are finished in increasing
// order, two rows and two columns at a time, so that each loaded X[k][j]
// and L[i][k] serves two products.
template <class T>
void forwardColumns(int j0, int j1, const Matrix<T>& F, Matrix<T>& X) {
    using Op = SumMinusColRow;
    const int n = F.num_cols();
    int i = 0;
    for (; i + 1 < n; i += 2) {
        const T* l0 = F[i];
        const T* l1 = F[i + 1];
        T* x0 = X[i];
        T* x1 = X[i + 1];
        int j = j0;
        for (; j + 1 < j1; j += 2) {
            Sums2x2<T> s = sums2x2<Op>(l0, l1, X, j, 0, i, Sums2x2<T>::load(x0, x1, j));
            const T f = l1[i];
            s.s10 = Op::step(s.s10, f, s.s00);
            s.s11 = Op::step(s.s11, f, s.s01);
            s.store(x0, x1, j);
        }
        if (j < j1) {
            Sums2x1<T> s = sums2x1<Op>(l0, l1, columnOf(X, j), 0, i, Sums2x1<T>::load(x0, x1, j));
            s.s1 = Op::step(s.s1, l1[i], s.s0);
            s.store(x0, x1, j);
        }
    }
    if (i < n) {
        const T* l0 = F[i];
        T* x0 = X[i];
        for (int j = j0; j < j1; j++) x0[j] = sum1<Op>(l0, columnOf(X, j), 0, i, x0[j]);
    }
}

// Back substitution with U, in place, on columns j0 ... j1 − 1 of X:
// element (i, j) becomes X[i][j] − X[k][j]·U[i][k] for k = n − 1, n − 2,
// ..., i + 1 in turn, then that divided by U[i][i].  Rows are finished from
// the bottom, two rows and two columns at a time, as in forwardColumns.
template <class T>
void backwardColumns(int j0, int j1, const Matrix<T>& F, Matrix<T>& X) {
    using Op = SumMinusColRow;
    const int n = F.num_cols();
    int i = n - 1;
    for (; i >= 1; i -= 2) {
        // Rows i and i − 1.
        const T* u0 = F[i];
        const T* u1 = F[i - 1];
        T* x0 = X[i];
        T* x1 = X[i - 1];
        int j = j0;
        for (; j + 1 < j1; j += 2) {
            Sums2x2<T> s = sums2x2<Op, -1>(u0, u1, X, j, n - 1, i, Sums2x2<T>::load(x0, x1, j));
            s.s00 = div(s.s00, u0[i]);
            s.s01 = div(s.s01, u0[i]);
            const T f = u1[i];
            s.s10 = Op::step(s.s10, f, s.s00);
            s.s11 = Op::step(s.s11, f, s.s01);
            s.s10 = div(s.s10, u1[i - 1]);
            s.s11 = div(s.s11, u1[i - 1]);
            s.store(x0, x1, j);
        }
        if (j < j1) {
            Sums2x1<T> s = sums2x1<Op, -1>(u0, u1, columnOf(X, j), n - 1, i, Sums2x1<T>::load(x0, x1, j));
            s.s0 = div(s.s0, u0[i]);
            s.s1 = Op::step(s.s1, u1[i], s.s0);
            s.s1 = div(s.s1, u1[i - 1]);
            s.store(x0, x1, j);
        }
    }
    if (i == 0) {
        const T* u0 = F[0];
        T* x0 = X[0];
        for (int j = j0; j < j1; j++) x0[j] = div(sum1<Op, -1>(u0, columnOf(X, j), n - 1, 0, x0[j]), u0[0]);
    }
}

// x, in pivoted order, becomes A⁻¹·x: forward then back substitution, one
// row of updates at a time.
template <class T>
void solveVector(const Matrix<T>& F, Vector<T>& x) {
    const int n = F.num_cols();
    for (int k = 0; k < n; k++)
        for (int i = k + 1; i < n; i++) x[i] = x[i] - mul(x[k], F[i][k]);
    for (int k = n - 1; k >= 0; k--) {
        x[k] = div(x[k], F[k][k]);
        for (int i = 0; i < k; i++) x[i] = x[i] - mul(x[k], F[i][k]);
    }
}

// x becomes A⁻ᵀ·x: Aᵀ = Uᵀ·Lᵀ·P, so Uᵀ·w = x (forward), Lᵀ·v = w
// (backward, unit diagonal), then y[perm[i]] = v[i].  (The transpose, not
// the conjugate transpose, for a complex F.)
template <class T>
void solveTransposed(const Matrix<T>& F, const Vector<int>& perm, Vector<T>& x) {
    const int n = F.num_cols();
    for (int i = 0; i < n; i++) {
        T s = x[i];
        for (int k = 0; k < i; k++) s = s - mul(F[k][i], x[k]);
        x[i] = div(s, F[i][i]);
    }
    for (int i = n - 1; i >= 0; i--) {
        T s = x[i];
        for (int k = i + 1; k < n; k++) s = s - mul(F[k][i], x[k]);
        x[i] = s;
    }
    Vector<T> y(n, 0);
    for (int i = 0; i < n; i++) y[perm[i]] = x[i];
    x = y;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
