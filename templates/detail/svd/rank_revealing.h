// -*- C++ -*-
// SPDX-License-Identifier: MIT
// A rank-revealing decomposition B = X·D·Yᵀ of an m × n B, m ≥ n, by
// Gaussian elimination with complete pivoting: Pᵣ·B·P꜀ = L·D·Ũ with L
// (m × n) unit lower trapezoidal, D diagonal and Ũ (n × n) unit upper
// triangular, every multiplier and every entry of Ũ at most 1 in
// magnitude; X = Pᵣᵀ·L, Y = P꜀·Ũᵀ.  Elimination with complete pivoting
// is unchanged by scaling B's rows and columns (as long as the pivots
// stay), so D carries the grading of D₁·B·D₂ and X, Y stay well
// conditioned: the factors are accurate entrywise and the singular values
// of X·D·Yᵀ are determined to small relative errors by them.
//
// Then X·D = Q·R·Πᵀ by QR with column pivoting, and W = R·Πᵀ·Ũ·P꜀ᵀ, an
// ordinary product, so that Pᵣ·B = Q·W with W's rows graded as D.
//
// The trailing entries are carried as unevaluated sums of two numbers
// (twice the working precision), so that an entry's error does not grow
// with the number of steps that update it.  The rank-one update of each
// step works row by row, each row in the serial order of its own
// operations, and finds the row's largest trailing entry on the way; the threads take blocks of rows
// (forChunks), so the pivots and the bits do not depend on the number of
// threads.  Pivot ties go to the lowest row, then the lowest column.
// Nothing is checked: the entries must be finite and scaled so that the
// elimination cannot overflow.
#ifndef ZELKOR_DETAIL_SVD_RANK_REVEALING_H
#define ZELKOR_DETAIL_SVD_RANK_REVEALING_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/svd/rank_revealing.h> is internal to the library: include <zelkor/svd> instead"
#endif

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "../../cmat_zelkor"
#include "../kernels.h"
#include "../threads.h"

namespace ZELKOR {
namespace detail {

// Whether both the rows and the columns of B are graded: the largest
// magnitudes of its nonzero rows, and those of its nonzero columns, each
// span more than a factor 2^12.  Householder QR keeps the relative
// accuracy of one kind of grading (rows sorted, columns pivoted) but not
// of both at once.
template <class T>
bool gradedBothWays(const Matrix<T>& B) {
    const int m = B.num_rows(), n = B.num_cols();
    std::vector<T> row((std::size_t)m, T(0)), col((std::size_t)n, T(0));
    for (int i = 0; i < m; i++)
        for (int j = 0; j < n; j++) {
            const T x = std::abs(B[i][j]);
            row[(std::size_t)i] = std::max(row[(std::size_t)i], x);
            col[(std::size_t)j] = std::max(col[(std::size_t)j], x);
        }
    const auto spread = [](const std::vector<T>& v) {
        T big = 0, small = std::numeric_limits<T>::infinity();
        for (const T& x : v)
            if (x > 0) big = std::max(big, x), small = std::min(small, x);
        return big > std::ldexp(small, 12);
    };
    return spread(row) && spread(col);
}

// best[i], at[i]: the largest |F[i][j]| over j = first ... n − 1 and its
// lowest column, for the rows i0 ... i1 − 1.
template <class T>
void rowLargest(const Matrix<T>& F, int first, int i0, int i1, std::vector<T>& best, std::vector<int>& at) {
    const int n = F.num_cols();
    for (int i = i0; i < i1; i++) {
        const T* f = F[i];
        T b = -1;
        int c = first;
        for (int j = first; j < n; j++)
            if (std::abs(f[j]) > b) b = std::abs(f[j]), c = j;
        best[(std::size_t)i] = b;
        at[(std::size_t)i] = c;
    }
}

// a = hi + lo exactly, each half of a's significand (Dekker's split).
template <class T>
void splitHalves(const T& a, T& hi, T& lo) {
    const T factor = std::ldexp(T(1), (std::numeric_limits<T>::digits + 1) / 2) + 1;
    const T c = factor * a;
    hi = c - (c - a);
    lo = a - hi;
}

// Rows i0 ... i1 − 1 (all below k) of elimination step k, on the trailing
// entries held as unevaluated sums F[i][j] + E[i][j] (|E| at most half an
// ulp of F): the multiplier F[i][k] ← F[i][k]/F[k][k], then
// F[i][j] + E[i][j] ← F[i][j] + E[i][j] − F[i][k]·F[k][j] for j > k, the
// product exact (split halves ph, pl of the pivot row) and the sum to
// about u² of itself, so that each entry of a Schur complement is its
// value for the rounded multipliers and pivot rows to within about u of
// itself, however many steps changed it; the largest new |F[i][j]| is
// recorded as rowLargest does.
template <class T>
void eliminateRows(Matrix<T>& F, Matrix<T>& E, const std::vector<T>& ph, const std::vector<T>& pl, int k, int i0,
                   int i1, std::vector<T>& best, std::vector<int>& at) {
    const int n = F.num_cols();
    const T* pivotRow = F[k];
    const T pivot = pivotRow[k];
    for (int i = i0; i < i1; i++) {
        T* f = F[i];
        T* e = E[i];
        const T l = f[k] / pivot;
        f[k] = l;
        e[k] = 0;
        T lh, ll;
        splitHalves(l, lh, ll);
        T b = -1;
        int c = k + 1;
        for (int j = k + 1; j < n; j++) {
            const T h = ph[(std::size_t)j], g = pl[(std::size_t)j];
            const T p = l * pivotRow[j];
            const T perr = ((lh * h - p) + lh * g + ll * h) + ll * g;
            const T x = f[j], s = x - p, v = s - x;
            const T t = ((x - (s - v)) - (p + v)) + (e[j] - perr);
            const T y = s + t;
            f[j] = y;
            e[j] = t - (y - s);
            if (std::abs(y) > b) b = std::abs(y), c = j;
        }
        best[(std::size_t)i] = b;
        at[(std::size_t)i] = c;
    }
}

// F (m × n, m ≥ n) ← L below its diagonal and D·Ũ on and above it, with
// Pᵣ·B·P꜀ = L·D·Ũ: rows[i] is the row of B in position i, cols[j] the
// column of B in position j.  Returns the rank: the steps before the
// trailing matrix was exactly zero (its entries and multipliers are then
// left zero).
template <class T>
int completePivoting(Matrix<T>& F, std::vector<int>& rows, std::vector<int>& cols) {
    const int m = F.num_rows(), n = F.num_cols();
    rows.resize((std::size_t)m);
    cols.resize((std::size_t)n);
    for (int i = 0; i < m; i++) rows[(std::size_t)i] = i;
    for (int j = 0; j < n; j++) cols[(std::size_t)j] = j;
    std::vector<T> best((std::size_t)m);
    std::vector<int> at((std::size_t)m);
    std::vector<T> ph((std::size_t)n), pl((std::size_t)n);
    Matrix<T> E(m, n, 0);
    forChunks(m, Step((double)m * n), [&](int i0, int i1) { rowLargest(F, 0, i0, i1, best, at); });
    for (int k = 0; k < n; k++) {
        int p = k;
        for (int i = k + 1; i < m; i++)
            if (best[(std::size_t)i] > best[(std::size_t)p]) p = i;
        if (!(best[(std::size_t)p] > 0)) return k;
        const int q = at[(std::size_t)p];
        if (p != k) {
            for (int j = 0; j < n; j++) std::swap(F[k][j], F[p][j]), std::swap(E[k][j], E[p][j]);
            std::swap(rows[(std::size_t)k], rows[(std::size_t)p]);
        }
        if (q != k) {
            for (int i = 0; i < m; i++) std::swap(F[i][k], F[i][q]), std::swap(E[i][k], E[i][q]);
            std::swap(cols[(std::size_t)k], cols[(std::size_t)q]);
        }
        for (int j = k + 1; j < n; j++) splitHalves(F[k][j], ph[(std::size_t)j], pl[(std::size_t)j]);
        const int below = m - k - 1;
        forChunks(below, Step(10.0 * below * (n - k)), [&](int r0, int r1) {
            eliminateRows(F, E, ph, pl, k, k + 1 + r0, k + 1 + r1, best, at);
        });
    }
    return n;
}

// From completePivoting's F and rank: X·D (m × n), L's columns times D's
// entries (zero past the rank), and Ũ (n × n), F's rows over their pivot
// (rows past the rank those of the identity).
template <class T>
void splitFactors(const Matrix<T>& F, int rank, Matrix<T>& XD, Matrix<T>& Ut) {
    const int m = F.num_rows(), n = F.num_cols();
    XD = Matrix<T>(m, n, 0);
    Ut = Matrix<T>(n, n, 0);
    for (int j = 0; j < rank; j++) {
        const T d = F[j][j];
        XD[j][j] = d;
        for (int i = j + 1; i < m; i++) XD[i][j] = F[i][j] * d;
        Ut[j][j] = 1;
        for (int c = j + 1; c < n; c++) Ut[j][c] = F[j][c] / d;
    }
    for (int j = rank; j < n; j++) Ut[j][j] = 1;
}

// W = R·Πᵀ·Ũ·P꜀ᵀ (n × n) for R (n × n) of X·D·Π = Q·R (perm[j]: the
// column of X·D in position j) and cols of completePivoting: column
// cols[c] of W is Σₖ (R·Πᵀ)[·][k]·Ũ[k][c] over k ≤ c in increasing k.
// Rows are independent; blocks of them go to the threads.
template <class T>
Matrix<T> gradedProduct(const Matrix<T>& R, const std::vector<int>& perm, const Matrix<T>& Ut,
                        const std::vector<int>& cols) {
    const int n = R.num_rows();
    Matrix<T> M(n, n, 0), W(n, n, 0);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) M[i][perm[(std::size_t)j]] = R[i][j];
    forChunks(n, Step((double)n * n * n / 2), [&](int i0, int i1) {
        int i = i0;
        for (; i + 1 < i1; i += 2) {
            int c = 0;
            for (; c + 1 < n; c += 2) {
                const Sums2x2<T> s = sums2x2<SumPlusRowCol>(M[i], M[i + 1], Ut, c, 0, c + 2, Sums2x2<T>{});
                W[i][cols[(std::size_t)c]] = s.s00;
                W[i][cols[(std::size_t)c + 1]] = s.s01;
                W[i + 1][cols[(std::size_t)c]] = s.s10;
                W[i + 1][cols[(std::size_t)c + 1]] = s.s11;
            }
            if (c < n) {
                const Sums2x1<T> s = sums2x1<SumPlusRowCol>(M[i], M[i + 1], columnOf(Ut, c), 0, c + 1, Sums2x1<T>{});
                W[i][cols[(std::size_t)c]] = s.s0;
                W[i + 1][cols[(std::size_t)c]] = s.s1;
            }
        }
        for (; i < i1; i++)
            for (int c = 0; c < n; c++) W[i][cols[(std::size_t)c]] = sum1<SumPlusRowCol>(M[i], columnOf(Ut, c), 0, c + 1, T(0));
    });
    return W;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
