// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Balancing of a nonsymmetric matrix by a diagonal similarity with powers
// of two (balanceInPlace, balance; real or complex entries), and the test that decides when the
// eigen-decomposition uses it (isBadlyScaled).  The matrices must be square
// with finite entries; neither is checked (see each function).
#ifndef ZELKOR_DETAIL_EIGENVALUE_BALANCING_H
#define ZELKOR_DETAIL_EIGENVALUE_BALANCING_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/balancing.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include <cmath>
#include <complex>
#include <utility>

#include "../../cmat_zelkor"
#include "../../vec_zelkor"

namespace ZELKOR {

namespace detail {

// The size of an entry that balancing compares: |x|, or |re| + |im| of a
// complex x.
template <class T>
T entrySize(const T& x) {
    return std::abs(x);
}

template <class T>
T entrySize(const std::complex<T>& x) {
    return std::abs(x.real()) + std::abs(x.imag());
}

// x·2^e, exactly unless it leaves the range (each part of a complex x).
template <class T>
T timesPowerOfTwo(const T& x, int e) {
    return std::ldexp(x, e);
}

template <class T>
std::complex<T> timesPowerOfTwo(const std::complex<T>& x, int e) {
    return {std::ldexp(x.real(), e), std::ldexp(x.imag(), e)};
}

// Balancing: B = D⁻¹·A·D with D = diag(2^k[0], ..., 2^k[n−1]), the powers
// of two chosen so that row i and column i of B have off-diagonal 1-norms
// within a factor of about 2 of each other.  Each sweep takes i = 0 ... n−1
// in turn and scales index i by the power of two that brings the two norms
// closest, when that lowers their sum below 0.95 of what it was; the sweeps
// end when one changes nothing (Parlett and Reinsch's method, radix 2,
// without isolating eigenvalues by permutation).
//
// Needs a square A with finite entries (an index whose row or column norm
// is zero or not finite is left as it is).  Gives B and, in k, the n
// exponents.  The scaling is exact: B[i][j] = A[i][j]·2^(k[j] − k[i]) as
// long as no entry under- or overflows, which it does not check.  B has
// A's eigenvalues; an eigenvector x of B is D·x for A.  A complex entry's
// size is |re| + |im|; its two parts are scaled alike.
template <class S>
void balanceInPlace(Matrix<S>& B, Vector<int>& k) {
    typedef decltype(entrySize(std::declval<S>())) T;
    const int n = B.num_cols();
    k = Vector<int>(n, 0);
    // Every change lowers the off-diagonal norm by 5 % of row and column
    // i's share, so the sweeps end after a few; the bound only guards
    // against a cycle through entries that underflow.
    bool changed = true;
    for (int sweep = 0; changed && sweep < 1000; sweep++) {
        changed = false;
        for (int i = 0; i < n; i++) {
            T c = 0;
            T r = 0;
            for (int j = 0; j < n; j++)
                if (j != i) {
                    c = c + entrySize(B[j][i]);
                    r = r + entrySize(B[i][j]);
                }
            if (c == T(0) || r == T(0) || !std::isfinite(c) || !std::isfinite(r)) continue;
            // Scaling index i by 2^e makes the sum c·2^e + r·2^−e.
            const T sum = c + r;
            int e = 0;
            while (c < r / 2) {
                c = c * 4;
                e++;
            }
            while (c >= r * 2 && std::isfinite(c)) {
                c = c / 4;
                e--;
            }
            if (std::ldexp(c + r, -e) < T(0.95) * sum) {
                changed = true;
                k[i] = k[i] + e;
                for (int j = 0; j < n; j++)
                    if (j != i) {
                        B[i][j] = timesPowerOfTwo(B[i][j], -e);
                        B[j][i] = timesPowerOfTwo(B[j][i], e);
                    }
            }
        }
    }
}

// Σ|A[i][j]| over i ≠ j: the part of A's size that a diagonal similarity
// can change.
template <class S>
auto offDiagonalNorm(const Matrix<S>& A) -> decltype(entrySize(A[0][0])) {
    decltype(entrySize(A[0][0])) s = 0;
    for (int i = 0; i < A.num_cols(); i++)
        for (int j = 0; j < A.num_cols(); j++)
            if (i != j) s = s + entrySize(A[i][j]);
    return s;
}

// A is badly scaled when balancing shrinks its off-diagonal 1-norm to
// balancedNorm (that of A balanced) by more than a factor of 2²⁰.  Diagonal similarities leave the
// diagonal alone, so the off-diagonal norm is the part of A's size that
// is owed to scaling, and the QR iteration's rounding and negligibility
// test are relative to that size: on A, eigenvalues of the size of the
// balanced matrix's entries lose about log₂(ratio) of the 52 bits the iteration resolves.
// Below 2²⁰ at least 32 bits (9 digits) stay, more than the 6 the
// programs print; so ordinary input keeps the unbalanced iteration and
// its results exactly.  (The ratios of sample inputs: docs/benchmarks.md.)
template <class S, class T>
int isBadlyScaled(const Matrix<S>& A, const T balancedNorm) {
    const T before = offDiagonalNorm(A);
    return std::isfinite(before) && before > std::ldexp(balancedNorm, 20);
}

}  // namespace detail

// A balanced as detail::balanceInPlace does it, into a new matrix; k as
// there.
template <class S>
Matrix<S> balance(const Matrix<S>& A, Vector<int>& k) {
    Matrix<S> B = A;
    detail::balanceInPlace(B, k);
    return B;
}

// When the nonsymmetric path balances A: never (the iteration on A as
// given), always, or only when A is badly scaled.
enum class Balancing { never, always, whenBadlyScaled };

}  // namespace ZELKOR

#endif
