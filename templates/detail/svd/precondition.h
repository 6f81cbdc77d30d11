// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Before the rotations: the problem scaled by a power of two (exact) so
// that its largest entry lies in [2^(scaledExponent − 1), 2^scaledExponent):
// far from overflow for the sums of squares of any row or column, and far
// from underflow for the squares of entries smaller than the largest by
// less than about 2^(minimum exponent / 2 − scaledExponent)); then its rows
// sorted by decreasing largest magnitude, which keeps Householder QR
// accurate on row-graded matrices.  Complex entries count by their
// modulus, and a complex problem is transposed with conjugation.  Nothing
// is checked: the entries must be finite.
#ifndef ZELKOR_DETAIL_SVD_PRECONDITION_H
#define ZELKOR_DETAIL_SVD_PRECONDITION_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/svd/precondition.h> is internal to the library: include <zelkor/svd> instead"
#endif

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

#include "../../cmat_zelkor"
#include "../scalar.h"

namespace ZELKOR {
namespace detail {

template <class T>
int scaledExponent() {
    return std::numeric_limits<T>::max_exponent / 4;
}

// The power of two e with 2^e·A scaled as above (0 for a zero A).
template <class S>
int svdScale(const Matrix<S>& A) {
    using T = RealOf<S>;
    T big = 0;
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) big = std::max(big, modulus(A[i][j]));
    if (!(big > 0)) return 0;
    int e;
    std::frexp(big, &e);
    return scaledExponent<T>() - e;
}

// x·2^e, exactly (each component of a complex x).
template <class T>
T scaled(const T& x, int e) {
    return std::ldexp(x, e);
}

template <class T>
std::complex<T> scaled(const std::complex<T>& z, int e) {
    return {std::ldexp(z.real(), e), std::ldexp(z.imag(), e)};
}

// B = 2^e·A (A transposed, and conjugated, when `transposed`), its rows
// ordered by decreasing largest magnitude, ties in index order;
// rowOrder[i] is the row of the scaled matrix that became row i.
template <class S>
Matrix<S> scaledSortedRows(const Matrix<S>& A, bool transposed, int e, std::vector<int>& rowOrder) {
    using T = RealOf<S>;
    const int m = transposed ? A.num_cols() : A.num_rows(), n = transposed ? A.num_rows() : A.num_cols();
    std::vector<T> big((std::size_t)m, T(0));
    for (int i = 0; i < m; i++)
        for (int j = 0; j < n; j++)
            big[(std::size_t)i] = std::max(big[(std::size_t)i], modulus(transposed ? A[j][i] : A[i][j]));
    rowOrder.resize((std::size_t)m);
    for (int i = 0; i < m; i++) rowOrder[(std::size_t)i] = i;
    std::stable_sort(rowOrder.begin(), rowOrder.end(),
                     [&](int a, int b) { return big[(std::size_t)a] > big[(std::size_t)b]; });
    Matrix<S> B(m, n, 0);
    for (int i = 0; i < m; i++) {
        const int r = rowOrder[(std::size_t)i];
        for (int j = 0; j < n; j++) B[i][j] = scaled(transposed ? conjugate(A[j][r]) : A[r][j], e);
    }
    return B;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
