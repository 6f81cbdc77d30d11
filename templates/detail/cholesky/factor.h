// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The Cholesky factorisation A = L·Lᴴ (L·Lᵀ for a real A) by columns
// (left-looking): column j of L from the rows of L above it,
//   L[j][j] = √(re A[j][j] − Σₖ |L[j][k]|²),
//   L[i][j] = (A[i][j] − Σₖ L[i][k]·conj(L[j][k])) / L[j][j],  i > j, k < j,
// every sum in increasing k; the diagonal is real (A's imaginary parts on
// the diagonal are not read).  The rows below the diagonal of a column are
// independent: above the threshold the threads take blocks of them
// (forChunks), each entry keeping its own chain of operations, so the
// bits do not depend on the number of threads.  Nothing is checked: F is
// the caller's to make square.
#ifndef ZELKOR_DETAIL_CHOLESKY_FACTOR_H
#define ZELKOR_DETAIL_CHOLESKY_FACTOR_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/cholesky/factor.h> is internal to the library: include <zelkor/cholesky> instead"
#endif

#include <cmath>
#include <complex>
#include <limits>

#include "../../cmat_zelkor"
#include "../kernels.h"
#include "../scalar.h"
#include "../threads.h"

namespace ZELKOR {
namespace detail {

// Rows i0 ... i1 − 1 (all below j) of column j: the sums against row j of
// L, two rows at a time so that each loaded L[j][k] serves two products,
// then the division by the pivot L[j][j].
template <class T>
void choleskyColumnRows(int j, int i0, int i1, Matrix<T>& F) {
    using Op = SumMinusConjColRow;
    const T* lj = F[j];
    const RealOf<T> d = std::real(lj[j]);
    int i = i0;
    for (; i + 1 < i1; i += 2) {
        T* l0 = F[i];
        T* l1 = F[i + 1];
        Sums2x1<T> s = sums2x1<Op>(l0, l1, lj, 0, j, Sums2x1<T>::load(l0, l1, j));
        l0[j] = div(s.s0, d);
        l1[j] = div(s.s1, d);
    }
    if (i < i1) F[i][j] = div(sum1<Op>(F[i], lj, 0, j, F[i][j]), d);
}

// Rows i0 ... i1 − 1 (all below j + 1) of columns j and j + 1 together,
// two rows at a time, so that each loaded entry serves two products: the
// sums against rows j and j + 1 of L up to k = j − 1, then L[i][j] by the
// division, then the step k = j of column j + 1 and its division.  Each
// entry keeps the chain of choleskyColumnRows.
template <class T>
void choleskyColumnPairRows(int j, int i0, int i1, Matrix<T>& F) {
    using Op = SumMinusConjColRow;
    const T* lj = F[j];
    const T* lk = F[j + 1];
    const RealOf<T> d0 = std::real(lj[j]);
    const RealOf<T> d1 = std::real(lk[j + 1]);
    const T f = lk[j];
    int i = i0;
    for (; i + 1 < i1; i += 2) {
        T* l0 = F[i];
        T* l1 = F[i + 1];
        Sums2x2<T> s = sums2x2<Op>(l0, l1, lj, lk, 0, j, Sums2x2<T>::load(l0, l1, j));
        s.s00 = div(s.s00, d0);
        s.s10 = div(s.s10, d0);
        s.s01 = div(Op::step(s.s01, s.s00, f), d1);
        s.s11 = div(Op::step(s.s11, s.s10, f), d1);
        s.store(l0, l1, j);
    }
    if (i < i1) {
        T* l0 = F[i];
        l0[j] = div(sum1<Op>(l0, lj, 0, j, l0[j]), d0);
        l0[j + 1] = div(sum1<Op>(l0, lk, 0, j + 1, l0[j + 1]), d1);
    }
}

// The pivot of column j: √(A[j][j] − Σₖ L[j][k]²) in place, false (and
// row j left as it was) when A[j][j] − Σₖ L[j][k]² is not positive and
// finite.
template <class T>
bool choleskyPivot(int j, Matrix<T>& F) {
    T* lj = F[j];
    const T d = sum1<SumMinusColRow>(lj, lj, 0, j, lj[j]);
    if (!(d > 0) || !(d <= std::numeric_limits<T>::max())) return false;
    lj[j] = std::sqrt(d);
    return true;
}

// The complex pivot: re A[j][j] − Σₖ |L[j][k]|² (each |·|² as re² + im²),
// its square root stored with a zero imaginary part.
template <class T>
bool choleskyPivot(int j, Matrix<std::complex<T>>& F) {
    std::complex<T>* lj = F[j];
    T d = lj[j].real();
    for (int k = 0; k < j; k++) d = d - absSquared(lj[k]);
    if (!(d > 0) || !(d <= std::numeric_limits<T>::max())) return false;
    lj[j] = std::sqrt(d);
    return true;
}

// F holds A's lower triangle on entry (the strict upper triangle is not
// read) and L's on return, up to the first pivot that is not positive and
// finite: its column is returned (−1 when none), that column and the ones
// after it left as they were.  Columns go in pairs: row j + 1 of column j,
// the pivot of j + 1, then the rows below both (choleskyColumnPairRows); a
// pair whose second pivot fails finishes column j alone.
template <class T>
int choleskyFactor(Matrix<T>& F) {
    const int n = F.num_rows();
    const double cost = ScalarTraits<T>::isComplex ? 4 : 1;  // real multiply-adds in one of T
    for (int j = 0; j < n; j += 2) {
        if (!choleskyPivot(j, F)) return j;
        if (j + 1 == n) break;
        choleskyColumnRows(j, j + 1, j + 2, F);
        const int rows = n - j - 2;
        if (!choleskyPivot(j + 1, F)) {
            forChunks(rows, Step((double)rows * j * cost, 1), [&](int r0, int r1) {
                choleskyColumnRows(j, j + 2 + r0, j + 2 + r1, F);
            });
            return j + 1;
        }
        forChunks(rows, Step((double)rows * 2 * (j + 1) * cost, 1), [&](int r0, int r1) {
            choleskyColumnPairRows(j, j + 2 + r0, j + 2 + r1, F);
        });
    }
    return -1;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
