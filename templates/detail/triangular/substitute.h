// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Substitution with a triangular n × n operator T on columns of a matrix
// right-hand side, in place, a row of X at a time.  The operator is read
// through a(i, k): A[i][k], or A[k][i] for the transpose.  Forward (T lower):
//   X[i][j] = (X[i][j] − Σₖ a(i, k)·X[k][j]) / a(i, i),  k = 0, ..., i − 1;
// backward (T upper): the same over k = i + 1, ..., n − 1; each sum in
// increasing k, the division left out for a unit diagonal.  Every element
// keeps that chain of operations whichever columns a call is given.
// Nothing is checked: the sizes are the caller's to match and the diagonal
// to be nonzero (a zero divides by zero).
#ifndef ZELKOR_DETAIL_TRIANGULAR_SUBSTITUTE_H
#define ZELKOR_DETAIL_TRIANGULAR_SUBSTITUTE_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/triangular/substitute.h> is internal to the library: include <zelkor/triangular> instead"
#endif

#include "../../cmat_zelkor"
#include "../scalar.h"

namespace ZELKOR {
namespace detail {

// a(i, k) = A[i][k] or, transposed, A[k][i]; its conjugate when
// `conjugated` (nothing for a real T).
template <class T>
struct TriangularEntry {
    const Matrix<T>& A;
    bool transposed;
    bool conjugated;
    T operator()(int i, int k) const {
        const T& x = transposed ? A[k][i] : A[i][k];
        return conjugated ? conjugate(x) : x;
    }
};

// Columns j0 ... j1 − 1 of X: row i of the result from the rows k of X
// already final, X[i][j] −= a(i, k)·X[k][j] for each k in increasing order.
template <class T>
void substituteRows(int j0, int j1, const TriangularEntry<T>& a, bool forward, bool unitDiagonal, Matrix<T>& X) {
    const int n = X.num_rows();
    for (int step = 0; step < n; step++) {
        const int i = forward ? step : n - 1 - step;
        const int k0 = forward ? 0 : i + 1;
        const int k1 = forward ? i : n;
        T* x = X[i];
        for (int k = k0; k < k1; k++) {
            const T f = a(i, k);
            const T* y = X[k];
            for (int j = j0; j < j1; j++) x[j] = x[j] - mul(f, y[j]);
        }
        if (unitDiagonal) continue;
        const T d = a(i, i);
        for (int j = j0; j < j1; j++) x[j] = div(x[j], d);
    }
}

}  // namespace detail
}  // namespace ZELKOR

#endif
