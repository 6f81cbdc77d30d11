// -*- C++ -*-
// SPDX-License-Identifier: MIT
// For the values alone: W's rows made nearly orthogonal before the
// rotations, W ← Qᵀ·W, so that one-sided Jacobi needs about two sweeps
// where it needs about a dozen from W itself.  Q is exactly orthogonal
// in T: the Householder QR, in T, of the eigenvectors of W·Wᵀ computed in
// double precision, whose eigenvalues, rounded there, are not used; Qᵀ
// is applied as its reflectors, so that W's singular values change only
// by the rounding of the products (a backward error of a few n·u·‖W‖,
// column by column, as a sweep of rotations has).
//
// Taken only where that costs no accuracy the rotations would give: a
// real W whose rows' norms, none zero, span at most 2^12 (a matrix graded
// more keeps its small values to a few units of their own size only when
// its rows are rotated among themselves), of order at least
// preconditionOrder (below it the sweeps cost less than the work here),
// with T wider than double and the double eigen-decomposition converged.
// Otherwise W is left as it is.  The same bits at any number of threads.
// Nothing is checked: W's entries must be finite.
#ifndef ZELKOR_DETAIL_SVD_VALUES_PRECONDITIONER_H
#define ZELKOR_DETAIL_SVD_VALUES_PRECONDITIONER_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/svd/values_preconditioner.h> is internal to the library: include <zelkor/svd> instead"
#endif

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>

#include "../../cmat_zelkor"
#include "../../eigenvalue"
#include "../../qr"
#include "../qr/apply.h"
#include "jacobi.h"

namespace ZELKOR {
namespace detail {

const int preconditionOrder = 32;

// Whether the rows of W are all nonzero and their norms span at most
// 2^spanExponent.
template <class T>
bool rowNormsWithin(const Matrix<T>& W, int spanExponent) {
    T smallest = std::numeric_limits<T>::infinity(), largest = 0;
    for (int i = 0; i < W.num_rows(); i++) {
        const T d = squaredNorm(W[i], W.num_cols());
        smallest = std::min(smallest, d);
        largest = std::max(largest, d);
    }
    return smallest > 0 && largest <= std::ldexp(smallest, 2 * spanExponent);
}

// The eigenvectors (columns) of W·Wᵀ, computed in double from W scaled
// by a power of two into double's range; false if the iteration did not
// converge.
template <class T>
bool leftVectorsInDouble(const Matrix<T>& W, Matrix<T>& V) {
    const int n = W.num_rows(), cols = W.num_cols();
    T largest = 0;
    for (int i = 0; i < n; i++)
        for (int k = 0; k < cols; k++) largest = std::max(largest, std::abs(W[i][k]));
    int e;
    std::frexp(largest, &e);
    Matrix<double> Wd(n, cols, 0);
    for (int i = 0; i < n; i++)
        for (int k = 0; k < cols; k++) Wd[i][k] = double(std::ldexp(W[i][k], -e));
    Matrix<double> C = Wd * transpose(Wd);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < i; j++) C[j][i] = C[i][j];
    const Eigenvalue<double> eigen(C);
    const Matrix<double> Vd = eigen.getV();
    V = Matrix<T>(n, n, 0);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) {
            if (!std::isfinite(Vd[i][j])) return false;
            V[i][j] = T(Vd[i][j]);
        }
    return true;
}

// W ← Qᵀ·W as above, where it is taken; whether it was.
template <class T>
bool preconditionRows(Matrix<T>& W) {
    const int n = W.num_rows();
    if (std::numeric_limits<T>::digits <= std::numeric_limits<double>::digits || n < preconditionOrder ||
        !rowNormsWithin(W, 12))
        return false;
    Matrix<T> V;
    if (!leftVectorsInDouble(W, V)) return false;
    const QR<T> q(V);
    Matrix<T> X = transpose(W);
    applyReflectors(q.getHouseholder(), q.getTau(), X, true);
    W = transpose(X);
    return true;
}

template <class T>
bool preconditionRows(Matrix<std::complex<T>>&) {
    return false;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
