// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The complex Schur iteration: the shifted single-step QR iteration on an
// upper Hessenberg matrix by plane rotations, deflating one eigenvalue at a
// time from the bottom right corner; the Schur vectors accumulated.  H must
// be n × n upper Hessenberg (zeros below the subdiagonal) with a finite
// size, V n × n, w of length n, the rotation buffers c and s of length n:
// none of this is checked.
//
// Without `vectors` only the eigenvalues are wanted: V is not touched (it
// may be empty), and H's columns right of the unreduced block are not
// updated.  No later step reads those columns (the block's last row only
// moves up), so every eigenvalue gets the same bits as with `vectors`.
#ifndef ZELKOR_DETAIL_COMPLEX_EIGEN_SCHUR_H
#define ZELKOR_DETAIL_COMPLEX_EIGEN_SCHUR_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/complex_eigen/schur.h> is internal to the library: include <zelkor/complex_eigen> instead"
#endif

#include <cmath>
#include <complex>
#include <limits>

#include "../../cmat_zelkor"
#include "../../vec_zelkor"
#include "../eigenvalue/iteration.h"
#include "../scalar.h"
#include "../threads.h"

namespace ZELKOR {
namespace detail {

// The iteration's buffers: H, the Schur vectors V, the eigenvalues w, one
// pass's rotations (c[k], s[k]) for rows k, k + 1, and `vectors`.
template <class T>
struct ComplexSchurWork {
    Matrix<std::complex<T>>& H;
    Matrix<std::complex<T>>& V;
    Vector<std::complex<T>>& w;
    Vector<T>& c;
    Vector<std::complex<T>>& s;
    bool vectors;
};

// The rotation G = (c, s; −s̄, c), c real and c² + |s|² = 1, with
// G·(a, b)ᵀ = (r, 0)ᵀ, r = (a/|a|)·‖(a, b)‖; r is returned.  From the
// squares f = |a|², h = |a|² + |b|² where they are normal and finite:
// c = √(f/h), r = a/c, s = b̄·(r/h) (c² + |s|² within a few units of 1);
// otherwise from moduli formed without over- or underflow.
template <class T>
std::complex<T> rotationFor(const std::complex<T>& a, const std::complex<T>& b, T& c, std::complex<T>& s) {
    typedef std::complex<T> C;
    if (b == C(0, 0)) {
        c = 1;
        s = C(0, 0);
        return a;
    }
    if (a == C(0, 0)) {
        const T beta = modulus(b);
        c = 0;
        s = div(conjugate(b), beta);
        return C(beta, 0);
    }
    const T f = absSquared(a), g = absSquared(b), h = f + g;
    const T tiny = std::numeric_limits<T>::min();
    if (f >= tiny && g >= tiny && h <= std::numeric_limits<T>::max()) {
        c = std::sqrt(f / h);
        const C r = div(a, c);
        s = mul(conjugate(b), div(r, h));
        return r;
    }
    const T alpha = modulus(a), beta = modulus(b);
    const T big = alpha > beta ? alpha : beta;
    const T x = alpha / big, y = beta / big;
    const T length = big * std::sqrt(x * x + y * y);
    const C phase = div(a, alpha);
    c = alpha / length;
    s = mul(phase, div(conjugate(b), length));
    return C(phase.real() * length, phase.imag() * length);
}

// Rows k, k + 1 of H times G from the left, on columns j0 ... j1 − 1:
// (x, y) → (c·x + s·y, c·y − s̄·x).
template <class T>
void rotateRows(T c, const std::complex<T>& s, int k, int j0, int j1, Matrix<std::complex<T>>& H) {
    typedef std::complex<T> C;
    C* h0 = H[k];
    C* h1 = H[k + 1];
    for (int j = j0; j < j1; j++) {
        const C x = h0[j], y = h1[j];
        h0[j] = C(c * x.real(), c * x.imag()) + mul(s, y);
        h1[j] = C(c * y.real(), c * y.imag()) - mulConj(s, x);
    }
}

// Entries k, k + 1 of the row v times Gᴴ from the right,
// (x, y) → (c·x + s̄·y, c·y − s·x), for the rotations k = k0 ... k1 − 1 in
// turn; the entry carried from one rotation to the next stays in a
// register.
template <class T>
void rotateColumns(int k0, int k1, const Vector<T>& c, const Vector<std::complex<T>>& s, std::complex<T>* v) {
    typedef std::complex<T> C;
    if (k0 >= k1) return;
    C x = v[k0];
    for (int k = k0; k < k1; k++) {
        const C y = v[k + 1];
        const T ck = c[k];
        const C sk = s[k];
        v[k] = C(ck * x.real(), ck * x.imag()) + mulConj(sk, y);
        x = C(ck * y.real(), ck * y.imag()) - mul(sk, x);
    }
    v[k1] = x;
}

// The first row of the unreduced block that ends at row `last`: the
// search goes up from `last` to the first negligible subdiagonal entry,
// one below eps times its two diagonal neighbours (sizes |re| + |im|).
// When both are exactly 0, the entry is judged against its subdiagonal
// neighbours in rows 0 ... last instead, and an exact 0 splits.
template <class T>
int complexBlockStart(int last, const T eps, const Matrix<std::complex<T>>& H) {
    int l = last;
    while (l > 0) {
        T size = abs1(H[l - 1][l - 1]) + abs1(H[l][l]);
        if (size == T(0)) {
            if (H[l][l - 1] == std::complex<T>(0, 0)) break;
            if (l >= 2) size = abs1(H[l - 1][l - 2]);
            if (l + 1 <= last) size = size + abs1(H[l + 1][l]);
        }
        if (abs1(H[l][l - 1]) < eps * size) break;
        l--;
    }
    return l;
}

// The shift of the pass after `passes` passes on the block l ... last
// (at least 2 rows): the eigenvalue of the trailing 2 × 2 block nearer its
// corner entry d (Wilkinson's); after 10 and 20 passes without deflation
// an exceptional shift instead, d moved by 3/4 of the size of the last two
// subdiagonal entries, along the real axis and then the imaginary one.
template <class T>
std::complex<T> complexShift(int l, int last, int passes, const Matrix<std::complex<T>>& H) {
    typedef std::complex<T> C;
    const C d = H[last][last];
    if (passes == 10 || passes == 20) {
        T size = abs1(H[last][last - 1]);
        if (last - 2 >= l) size = size + abs1(H[last - 1][last - 2]);
        size = T(0.75) * size;
        return passes == 10 ? d + C(size, 0) : d + C(0, size);
    }
    // λ = d − bc / (p ± √(p² + bc)), p = (a − d)/2, the sign giving the
    // larger denominator.
    const C bc = mul(H[last - 1][last], H[last][last - 1]);
    const C diff = H[last - 1][last - 1] - d;
    const C p(diff.real() / 2, diff.imag() / 2);
    const C root = std::sqrt(mul(p, p) + bc);
    const C plus = p + root, minus = p - root;
    const C den = abs1(plus) >= abs1(minus) ? plus : minus;
    if (den == C(0, 0)) return d;
    return d - div(bc, den);
}

// Where a pass works: the unreduced block l ... last, H's columns updated
// up to columns − 1 (n with vectors, last + 1 without), vectorRows rows of
// V (n with vectors, 0 without).
struct RotationPass {
    int l;
    int last;
    int columns;
    int vectorRows;
    // The deferred updates, numbered: the columns right of the block, the
    // rows 0 ... last of H, the rows of V.
    int rightColumns() const { return columns - (last + 1); }
    int items() const { return rightColumns() + last + 1 + vectorRows; }
};

// The deferred updates begin ... finish − 1 of the pass (numbered as in
// RotationPass): each column right of the block gets the rotations from
// the left in increasing k; each row i of H those from the right that the
// sweep left, k = max(i, l) ... last − 1; each row of V all of them.
template <class T>
void deferredRotations(const RotationPass& pass, int begin, int finish, const ComplexSchurWork<T>& work) {
    const int right = pass.rightColumns();
    if (begin < right) {
        const int j0 = pass.last + 1 + begin;
        const int j1 = pass.last + 1 + (finish < right ? finish : right);
        for (int k = pass.l; k < pass.last; k++) rotateRows(work.c[k], work.s[k], k, j0, j1, work.H);
        begin = right;
    }
    for (int item = begin; item < finish; item++) {
        const int row = item - right;
        if (row <= pass.last)
            rotateColumns(row > pass.l ? row : pass.l, pass.last, work.c, work.s, work.H[row]);
        else
            rotateColumns(pass.l, pass.last, work.c, work.s, work.V[row - pass.last - 1]);
    }
}

// One implicit single-shift QR pass with shift sigma on the block: the
// first rotation from (H[l][l] − σ, H[l + 1][l]), then the bulge chased
// down to the corner, the rotations recorded in c and s.  The sweep itself
// applies rotation k from the left to rows k, k + 1 of the block and from
// the right to rows k + 1, k + 2, the only ones a later step of the sweep
// reads; the rest of H and V get them afterwards, each entry its
// rotations in increasing k (deferredRotations, on threads when the pass
// is large).
template <class T>
void complexPass(const RotationPass& pass, const std::complex<T>& sigma, const ComplexSchurWork<T>& work) {
    typedef std::complex<T> C;
    Matrix<C>& H = work.H;
    const int l = pass.l, last = pass.last;
    for (int k = l; k < last; k++) {
        T& c = work.c[k];
        C& s = work.s[k];
        if (k == l) {
            rotationFor(H[l][l] - sigma, H[l + 1][l], c, s);
        } else {
            H[k][k - 1] = rotationFor(H[k][k - 1], H[k + 1][k - 1], c, s);
            H[k + 1][k - 1] = C(0, 0);
        }
        rotateRows(c, s, k, k, last + 1, H);
        const int rows = last < k + 2 ? last : k + 2;
        for (int i = k + 1; i <= rows; i++) rotateColumns(k, k + 1, work.c, work.s, H[i]);
    }
    const int items = pass.items();
    forChunks(items, Step((double)items * (last - l) * 4),
              [&](int begin, int finish) { deferredRotations(pass, begin, finish, work); });
}

// Passes on the Hessenberg matrix H until every eigenvalue is in w: H
// becomes upper triangular (its subdiagonal negligible, not cleared), the
// Schur form, and V is multiplied by the rotations.  observer.notify(k)
// once k eigenvalues are found.  false when the iteration gave up (after
// maxPasses passes on one block, or once H[last][last − 1] is NaN) or the
// observer asked to stop (before a pass).
template <class T>
bool complexSchur(const ComplexSchurWork<T>& work, const T eps, const int maxPasses, const EigenObserver& observer) {
    Matrix<std::complex<T>>& H = work.H;
    const int n = H.num_cols();
    int passes = 0;
    int last = n - 1;
    while (last >= 0) {
        const int l = complexBlockStart(last, eps, H);
        if (l == last) {
            work.w[last] = H[last][last];
            last--;
            passes = 0;
            observer.notify(n - 1 - last);
            continue;
        }
        const std::complex<T> corner = H[last][last - 1];
        if (observer.stopRequested() || passes >= maxPasses || std::isnan(corner.real()) ||
            std::isnan(corner.imag()))
            return false;
        const std::complex<T> sigma = complexShift(l, last, passes, H);
        passes++;
        complexPass(RotationPass{l, last, work.vectors ? n : last + 1, work.vectors ? n : 0}, sigma, work);
    }
    return true;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
