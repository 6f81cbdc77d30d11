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
// Then X·D = Q·R·Πᵀ by QR with column pivoting (doubled_qr.h), and
// W = R·Πᵀ·Ũ·P꜀ᵀ, so that Pᵣ·B = Q·W with W's rows graded as D.
//
// Everything up to W is carried in doubled precision (doubled.h): the
// trailing entries of the elimination, X·D and Ũ, the QR and the product;
// only W is rounded to working precision.  Rounding the factors instead
// would perturb each of their entries by a unit, which can move the
// singular values by about κ(X) + κ(Y) units of themselves.  The rank-one
// update of each step works row by row, each row in the serial order of
// its own operations, and finds the row's largest trailing entry on the
// way; the threads take blocks of rows (forChunks), so the pivots and the
// bits do not depend on the number of threads.  Pivot ties go to the
// lowest row, then the lowest column.
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
#include "../threads.h"
#include "doubled.h"

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

// Rows i0 ... i1 − 1 (all below k) of elimination step k, on the trailing
// entries held as doubled numbers F[i][j] + E[i][j]: the multiplier
// l = (F[i][k] + E[i][k])/(F[k][k] + E[k][k]) in doubled precision (column
// k itself is left as it is: X·D's column), then
// F[i][j] + E[i][j] ← F[i][j] + E[i][j] − l·(F[k][j] + E[k][j]) for j > k,
// the product of the high parts exact (split halves ph, pl of the pivot
// row) and the sum to about u² of itself, so that each entry of a Schur
// complement is correct to about u² of the entries that made it, however
// many steps changed it; the largest new |F[i][j]| is recorded as
// rowLargest does.
template <class T>
void eliminateRows(Matrix<T>& F, Matrix<T>& E, const std::vector<T>& ph, const std::vector<T>& pl, int k, int i0,
                   int i1, std::vector<T>& best, std::vector<int>& at) {
    const int n = F.num_cols();
    const T* pivotRow = F[k];
    const T* pivotLow = E[k];
    const Doubled<T> pivot{pivotRow[k], pivotLow[k]};
    for (int i = i0; i < i1; i++) {
        T* f = F[i];
        T* e = E[i];
        const Doubled<T> l = Doubled<T>{f[k], e[k]} / pivot;
        T lh, ll;
        splitHalves(l.hi, lh, ll);
        T b = -1;
        int c = k + 1;
        for (int j = k + 1; j < n; j++) {
            const T h = ph[(std::size_t)j], g = pl[(std::size_t)j];
            const T p = l.hi * pivotRow[j];
            const T perr = (((lh * h - p) + lh * g + ll * h) + ll * g) + (l.hi * pivotLow[j] + l.lo * pivotRow[j]);
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

// F + E (m × n, m ≥ n, doubled numbers; E is made here) ← L·D on and
// below the diagonal and D·Ũ on and above it, with Pᵣ·B·P꜀ = L·D·Ũ:
// rows[i] is the row of B in position i, cols[j] the column of B in
// position j.  Returns the rank: the steps before the trailing matrix was
// exactly zero (its entries are then left zero).
template <class T>
int completePivoting(Matrix<T>& F, Matrix<T>& E, std::vector<int>& rows, std::vector<int>& cols) {
    const int m = F.num_rows(), n = F.num_cols();
    rows.resize((std::size_t)m);
    cols.resize((std::size_t)n);
    for (int i = 0; i < m; i++) rows[(std::size_t)i] = i;
    for (int j = 0; j < n; j++) cols[(std::size_t)j] = j;
    std::vector<T> best((std::size_t)m);
    std::vector<int> at((std::size_t)m);
    std::vector<T> ph((std::size_t)n), pl((std::size_t)n);
    E = Matrix<T>(m, n, 0);
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

// From completePivoting's F + E and rank, in doubled precision: XD
// (n × m) holds X·D transposed, row j L·D's column j (zero past the rank),
// and Ut (n × n) Ũ, the rows of D·Ũ over their pivot (rows past the rank
// those of the identity).
template <class T>
void splitFactors(const Matrix<T>& F, const Matrix<T>& E, int rank, Matrix<Doubled<T>>& XD,
                  Matrix<Doubled<T>>& Ut) {
    const int m = F.num_rows(), n = F.num_cols();
    const Doubled<T> zero{T(0), T(0)}, one{T(1), T(0)};
    XD = Matrix<Doubled<T>>(n, m, zero);
    Ut = Matrix<Doubled<T>>(n, n, zero);
    for (int j = 0; j < rank; j++) {
        const Doubled<T> d{F[j][j], E[j][j]};
        for (int i = j; i < m; i++) XD[j][i] = Doubled<T>{F[i][j], E[i][j]};
        Ut[j][j] = one;
        for (int c = j + 1; c < n; c++) Ut[j][c] = Doubled<T>{F[j][c], E[j][c]} / d;
    }
    for (int j = rank; j < n; j++) Ut[j][j] = one;
}

// W = R·Πᵀ·Ũ·P꜀ᵀ (n × n) in doubled precision, rounded, for R of
// X·D·Π = Q·R as doubledQR leaves it in H (R[i][j] = H[j][i], i ≤ j;
// perm[j]: the column of X·D in position j), Ut of splitFactors and cols
// of completePivoting: row i of W is accumulated as Σₖ M[i][k]·Ũ[k][·]
// over the nonzero entries of M = R·Πᵀ in increasing k (Ũ[k][c] = 0 for
// c < k), each entry's high part by two-sums and its small parts gathered
// apart, the two added once at the end.  Rows are independent; blocks of
// them go to the threads.
template <class T>
Matrix<T> gradedProduct(const Matrix<Doubled<T>>& H, const std::vector<int>& perm, const Matrix<Doubled<T>>& Ut,
                        const std::vector<int>& cols) {
    const int n = Ut.num_rows();
    std::vector<int> position((std::size_t)n);
    for (int j = 0; j < n; j++) position[(std::size_t)perm[(std::size_t)j]] = j;
    Matrix<T> W(n, n, 0);
    forChunks(n, Step(8.0 * n * n * n / 4), [&](int i0, int i1) {
        std::vector<T> high((std::size_t)n), low((std::size_t)n);
        for (int i = i0; i < i1; i++) {
            std::fill(high.begin(), high.end(), T(0));
            std::fill(low.begin(), low.end(), T(0));
            for (int k = 0; k < n; k++) {
                const int j = position[(std::size_t)k];
                if (j < i || H[j][i].hi == 0) continue;
                const Doubled<T> r = H[j][i];
                T rh, rl;
                splitHalves(r.hi, rh, rl);
                const Doubled<T>* u = Ut[k];
                for (int c = k; c < n; c++) {
                    T uh, ul;
                    splitHalves(u[c].hi, uh, ul);
                    const Doubled<T> p = twoProduct(u[c].hi, r.hi, uh, ul, rh, rl);
                    const Doubled<T> s = twoSum(high[(std::size_t)c], p.hi);
                    high[(std::size_t)c] = s.hi;
                    low[(std::size_t)c] = low[(std::size_t)c] + (s.lo + (p.lo + (u[c].hi * r.lo + u[c].lo * r.hi)));
                }
            }
            for (int c = 0; c < n; c++) W[i][cols[(std::size_t)c]] = high[(std::size_t)c] + low[(std::size_t)c];
        }
    });
    return W;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
