// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Householder QR with column pivoting, A·Π = Q·R, of an m × n A (m ≥ n)
// given in doubled precision (doubled.h), held transposed as QR<T> holds
// it: row c of H is column c of A.  Every reflector is made and applied
// in doubled precision, so that R is the R of a matrix within a few units
// of twice the working precision of A, column by column; the reflectors
// are also given rounded to working precision, in QR<T>'s layout (v's
// entries below position j of row j, τ), for the products with Q.
//
// The pivot is the column of largest remaining norm, the lowest index
// winning ties; the norms are those of the high parts in working
// precision, downdated after each step and recomputed from the column
// when the downdate has lost half the digits (the rule of QR<T>).  The
// columns to update are independent: the threads take blocks of them
// (forChunks), each column keeping its own chain of operations, so the
// bits do not depend on the number of threads.  Nothing is checked: the
// entries must be finite and scaled so that products of two of them, and
// of one with about 1/√ε, stay finite.
#ifndef ZELKOR_DETAIL_SVD_DOUBLED_QR_H
#define ZELKOR_DETAIL_SVD_DOUBLED_QR_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/svd/doubled_qr.h> is internal to the library: include <zelkor/svd> instead"
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

// ‖x[first ... end)‖₂ of the high parts, on entries scaled by a power of
// two so that the squares neither overflow nor underflow.
template <class T>
T highNorm(const Doubled<T>* x, int first, int end) {
    T big = 0;
    for (int i = first; i < end; i++) big = std::max(big, std::abs(x[i].hi));
    if (!(big > 0)) return big;
    const int e = std::ilogb(big);
    T sum = 0;
    for (int i = first; i < end; i++) {
        const T s = std::ldexp(x[i].hi, -e);
        sum = sum + s * s;
    }
    return std::ldexp(std::sqrt(sum), e);
}

// The reflector of x[j ... m), H·x = β·e_j: on return x[j] = β and
// x[j + 1 ... m) holds v's entries below its leading 1; the result is τ
// (zero, x unchanged, when x[j + 1 ... m) is zero).  β = −sign(x[j])·‖x‖,
// so that x[j] − β does not cancel; x is scaled by a power of two that
// brings its largest entry to [1, 2) first.
template <class T>
Doubled<T> makeDoubledReflector(Doubled<T>* x, int j, int m) {
    T big = 0;
    for (int i = j + 1; i < m; i++) big = std::max(big, std::abs(x[i].hi));
    if (big == 0) return {T(0), T(0)};
    const int e = std::ilogb(std::max(big, std::abs(x[j].hi)));
    Doubled<T> sum{T(0), T(0)};
    for (int i = j; i < m; i++) {
        x[i] = ldexp(x[i], -e);
        sum = sum + x[i] * x[i];
    }
    const Doubled<T> norm = sqrt(sum), a = x[j];
    const Doubled<T> beta = std::signbit(a.hi) ? norm : -norm;
    const Doubled<T> d = a - beta;
    for (int i = j + 1; i < m; i++) x[i] = x[i] / d;
    x[j] = ldexp(beta, e);
    return -d / beta;
}

// y ← H·y for the reflector (v, τ) of position j (vh, vl: the halves of
// v's high parts): w = y[j] + Σᵢ v[i]·y[i] over i > j in increasing i,
// f = τ·w, y[j] ← y[j] − f, y[i] ← y[i] − f·v[i].  The sum keeps its
// high part by two-sums and gathers the small parts apart, to be added
// once at the end (an error of about m·u² of Σ|v[i]·y[i]|, as with a
// doubled sum at each step, at a shorter chain of dependent operations).
template <class T>
void reflectDoubled(const Doubled<T>* v, const std::vector<T>& vh, const std::vector<T>& vl, const Doubled<T>& tau,
                    int j, int m, Doubled<T>* y) {
    T high = y[j].hi, low = y[j].lo;
    for (int i = j + 1; i < m; i++) {
        T yh, yl;
        splitHalves(y[i].hi, yh, yl);
        const Doubled<T> p = twoProduct(y[i].hi, v[i].hi, yh, yl, vh[(std::size_t)i], vl[(std::size_t)i]);
        const Doubled<T> s = twoSum(high, p.hi);
        high = s.hi;
        low = low + (s.lo + (p.lo + (y[i].hi * v[i].lo + y[i].lo * v[i].hi)));
    }
    const Doubled<T> f = tau * twoSum(high, low);
    y[j] = y[j] - f;
    T fh, fl;
    splitHalves(f.hi, fh, fl);
    for (int i = j + 1; i < m; i++) {
        const Doubled<T> p = twoProduct(v[i].hi, f.hi, vh[(std::size_t)i], vl[(std::size_t)i], fh, fl);
        const Doubled<T> s = twoSum(y[i].hi, -p.hi);
        y[i] = quickTwoSum(s.hi, s.lo + (y[i].lo - (p.lo + (v[i].hi * f.lo + v[i].lo * f.hi))));
    }
}

// After step j: the norm of row c of H over j + 1 ... m − 1, downdated by
// |R[j][c]| or recomputed (norm: now; last: when last computed).
template <class T>
void downdateHighNorm(const Matrix<Doubled<T>>& H, int c, int j, std::vector<T>& norm, std::vector<T>& last) {
    T& nu = norm[(std::size_t)c];
    if (nu == 0) return;
    const T ratio = std::abs(H[c][j].hi) / nu;
    const T t = std::max(T(1) - ratio * ratio, T(0));
    const T q = nu / last[(std::size_t)c];
    if (t * (q * q) <= std::sqrt(std::numeric_limits<T>::epsilon())) {
        nu = highNorm(H[c], j + 1, H.num_cols());
        last[(std::size_t)c] = nu;
    } else {
        nu = nu * std::sqrt(t);
    }
}

// The factorisation of H = Aᵀ (n × m) in place: on return H[c][i] is
// R[i][c] for i ≤ c and, for i > c, v's entry i of the reflector of
// position c; perm[j] is the column of A in position j; h (n × m) and tau
// (n) hold the reflectors rounded to working precision.
template <class T>
void doubledQR(Matrix<Doubled<T>>& H, std::vector<int>& perm, Matrix<T>& h, std::vector<T>& tau) {
    const int n = H.num_rows(), m = H.num_cols();
    perm.resize((std::size_t)n);
    for (int c = 0; c < n; c++) perm[(std::size_t)c] = c;
    h = Matrix<T>(n, m, 0);
    tau.assign((std::size_t)n, T(0));
    std::vector<T> norm((std::size_t)n), vh((std::size_t)m), vl((std::size_t)m);
    for (int c = 0; c < n; c++) norm[(std::size_t)c] = highNorm(H[c], 0, m);
    std::vector<T> last = norm;
    for (int j = 0; j < n; j++) {
        int p = j;
        for (int c = j + 1; c < n; c++)
            if (norm[(std::size_t)c] > norm[(std::size_t)p]) p = c;
        if (p != j) {
            for (int i = 0; i < m; i++) std::swap(H[j][i], H[p][i]);
            std::swap(perm[(std::size_t)j], perm[(std::size_t)p]);
            std::swap(norm[(std::size_t)j], norm[(std::size_t)p]);
            std::swap(last[(std::size_t)j], last[(std::size_t)p]);
        }
        const Doubled<T> t = makeDoubledReflector(H[j], j, m);
        tau[(std::size_t)j] = t.hi;
        for (int i = j + 1; i < m; i++) {
            h[j][i] = H[j][i].hi;
            splitHalves(h[j][i], vh[(std::size_t)i], vl[(std::size_t)i]);
        }
        const int rows = n - j - 1;
        forChunks(rows, Step(16.0 * rows * (m - j)), [&](int r0, int r1) {
            for (int c = j + 1 + r0; c < j + 1 + r1; c++) {
                if (t.hi != 0) reflectDoubled(H[j], vh, vl, t, j, m, H[c]);
                downdateHighNorm(H, c, j, norm, last);
            }
        });
    }
}

}  // namespace detail
}  // namespace ZELKOR

#endif
