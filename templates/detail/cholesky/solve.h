// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Solves with the Cholesky factor L of A = L·Lᴴ (lower triangle of F, its
// diagonal real; L·Lᵀ for a real A): L·y = b by forward, then Lᴴ·x = y by
// back substitution, in place on
// columns of a matrix right-hand side or on a vector.  Nothing is checked:
// the sizes are the caller's to match and L's pivots positive.
#ifndef ZELKOR_DETAIL_CHOLESKY_SOLVE_H
#define ZELKOR_DETAIL_CHOLESKY_SOLVE_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/cholesky/solve.h> is internal to the library: include <zelkor/cholesky> instead"
#endif

#include <complex>

#include "../../cmat_zelkor"
#include "../kernels.h"
#include "../scalar.h"

namespace ZELKOR {
namespace detail {

// Column j of X becomes A⁻¹ times it: forward with the rows of L
// (element i: (X[i][j] − Σₖ L[i][k]·X[k][j]) / L[i][i], k < i
// increasing), then back with its columns (element i: (X[i][j] −
// Σₖ conj(L[k][i])·X[k][j]) / L[i][i], k > i decreasing); the divisions by
// the real part of L[i][i].
template <class T>
void choleskySolveColumn(int j, const Matrix<T>& F, Matrix<T>& X) {
    using Op = SumMinusColRow;
    const int n = F.num_rows();
    for (int i = 0; i < n; i++)
        X[i][j] = div(sum1<Op>(F[i], columnOf(X, j), 0, i, X[i][j]), std::real(F[i][i]));
    for (int i = n - 1; i >= 0; i--) {
        T s = X[i][j];
        for (int k = n - 1; k > i; k--) s = SumMinusColConjRow::step(s, F[k][i], X[k][j]);
        X[i][j] = div(s, std::real(F[i][i]));
    }
}

// x becomes A⁻¹·x, with the operations of choleskySolveColumn.
template <class T>
void choleskySolveVector(const Matrix<T>& F, Vector<T>& x) {
    using Op = SumMinusColRow;
    const int n = F.num_rows();
    for (int i = 0; i < n; i++) x[i] = div(sum1<Op>(F[i], x, 0, i, x[i]), std::real(F[i][i]));
    for (int i = n - 1; i >= 0; i--) {
        T s = x[i];
        for (int k = n - 1; k > i; k--) s = SumMinusColConjRow::step(s, F[k][i], x[k]);
        x[i] = div(s, std::real(F[i][i]));
    }
}

}  // namespace detail
}  // namespace ZELKOR

#endif
