// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Householder reduction of a Hermitian matrix to tridiagonal form by
// unitary similarity, then the diagonal unitary scaling that makes its
// subdiagonal real and non-negative.  The matrix is read from its lower
// triangle (row-major: row i holds A[i][0 ... i]), the imaginary parts of
// its diagonal ignored.  Step i = n − 1 down to 2 takes the reflector
// H = I − u·uᴴ/h on indices 0 ... i − 1 that maps the conjugate of row i
// onto a multiple of e_{i−1}, and replaces the leading block B by H·B·H;
// u is kept in row i, h in h[i].  Sizes (n ≥ 1; d, h, t, p of length n)
// are the caller's to ensure: none is checked.
#ifndef ZELKOR_DETAIL_HERMITIAN_TRIDIAGONAL_H
#define ZELKOR_DETAIL_HERMITIAN_TRIDIAGONAL_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/hermitian/tridiagonal.h> is internal to the library: include <zelkor/hermitian> instead"
#endif

#include <cmath>
#include <complex>

#include "../../cmat_zelkor"
#include "../../vec_zelkor"
#include "../eigenvalue/iteration.h"
#include "../scalar.h"
#include "../threads.h"

namespace ZELKOR {
namespace detail {

// Elements k0 ... k1 − 1 of p = B·u, B the Hermitian block of order i in
// the lower triangle of A's rows 0 ... i − 1, u row i of A: p[k] =
// Σ_{l<k} B[k][l]·u[l] + Re B[k][k]·u[k], then + conj(B[j][k])·u[j] for
// j = k + 1 ... i − 1 in turn.  Each element keeps that order whatever the
// chunk.
template <class T>
void hermitianProduct(int i, int k0, int k1, const Matrix<std::complex<T>>& A, std::complex<T>* p) {
    const std::complex<T>* u = A[i];
    for (int k = k0; k < k1; k++) {
        const std::complex<T>* b = A[k];
        T re = 0, im = 0;
        for (int l = 0; l < k; l++) {
            re = re + (b[l].real() * u[l].real() - b[l].imag() * u[l].imag());
            im = im + (b[l].real() * u[l].imag() + b[l].imag() * u[l].real());
        }
        const T bkk = b[k].real();
        p[k] = {re + bkk * u[k].real(), im + bkk * u[k].imag()};
    }
    for (int j = k0 + 1; j < i; j++) {
        const std::complex<T>* b = A[j];
        const T ur = u[j].real(), ui = u[j].imag();
        const int end = j < k1 ? j : k1;
        for (int k = k0; k < end; k++) {
            const T br = b[k].real(), bi = b[k].imag();
            p[k] = {p[k].real() + (br * ur + bi * ui), p[k].imag() + (br * ui - bi * ur)};
        }
    }
}

// The rank-two update of step i on row j < i of A's lower triangle:
// A[j][l] −= q[j]·conj(u[l]) + u[j]·conj(q[l]), l = 0 ... j − 1, and the
// diagonal, kept real, −= 2·Re(q[j]·conj(u[j])).
template <class T>
void hermitianUpdate(int i, int j, Matrix<std::complex<T>>& A, const std::complex<T>* q) {
    const std::complex<T>* u = A[i];
    std::complex<T>* a = A[j];
    const T qr = q[j].real(), qi = q[j].imag(), ur = u[j].real(), ui = u[j].imag();
    for (int l = 0; l < j; l++) {
        const T vr = u[l].real(), vi = u[l].imag(), sr = q[l].real(), si = q[l].imag();
        a[l] = {a[l].real() - ((qr * vr + qi * vi) + (ur * sr + ui * si)),
                a[l].imag() - ((qi * vr - qr * vi) + (ui * sr - ur * si))};
    }
    a[j] = {a[j].real() - 2 * (qr * ur + qi * ui), T(0)};
}

// Step i: the reflector from row i (scaled by the sum of |re| + |im| of
// its entries against overflow and underflow), kept in row i and h[i];
// t[i] = A'[i][i−1]; B replaced by H·B·H.  A zero row takes no reflector
// (h[i] = 0).
template <class T>
void hermitianStep(int i, Matrix<std::complex<T>>& A, Vector<T>& h, Vector<std::complex<T>>& t,
                   Vector<std::complex<T>>& p) {
    std::complex<T>* u = A[i];
    T scale = 0;
    for (int k = 0; k < i; k++) scale = scale + abs1(u[k]);
    if (scale == T(0)) {
        t[i] = 0;
        h[i] = 0;
        return;
    }
    T sigma2 = 0;
    for (int k = 0; k < i; k++) {
        u[k] = conjugate(div(u[k], scale));
        sigma2 = sigma2 + absSquared(u[k]);
    }
    const T sigma = std::sqrt(sigma2);
    const T m = modulus(u[i - 1]);
    const std::complex<T> phase = m > T(0) ? div(u[i - 1], m) : std::complex<T>(1);
    u[i - 1] = {phase.real() * (m + sigma), phase.imag() * (m + sigma)};
    const T hi = sigma * (sigma + m);
    h[i] = hi;
    t[i] = {-phase.real() * sigma * scale, phase.imag() * sigma * scale};

    forChunks(i, Step(4.0 * i * i), [&](int k0, int k1) { hermitianProduct(i, k0, k1, A, &p[0]); });
    T uhp = 0;
    for (int k = 0; k < i; k++) {
        p[k] = div(p[k], hi);
        uhp = uhp + (u[k].real() * p[k].real() + u[k].imag() * p[k].imag());
    }
    const T K = uhp / (hi + hi);
    for (int k = 0; k < i; k++) p[k] = {p[k].real() - K * u[k].real(), p[k].imag() - K * u[k].imag()};
    forChunks(i, Step(4.0 * i * i), [&](int j0, int j1) {
        for (int j = j0; j < j1; j++) hermitianUpdate(i, j, A, &p[0]);
    });
}

// The reduction of the Hermitian matrix in A's lower triangle: A's
// similar tridiagonal matrix T has the diagonal d and the subdiagonal
// t[1 ... n−1] (T[i][i−1] = t[i], t[0] = 0); the reflectors stay in A and
// h (see the top of this file).  false when the observer asked to stop
// (before a step).
template <class T>
bool hermitianTridiagonal(Matrix<std::complex<T>>& A, Vector<T>& d, Vector<T>& h, Vector<std::complex<T>>& t,
                          Vector<std::complex<T>>& p, const EigenObserver& observer) {
    const int n = d.dim();
    for (int j = 0; j < n; j++) A[j][j] = {A[j][j].real(), T(0)};
    for (int i = n - 1; i >= 2; i--) {
        if (observer.stopRequested()) return false;
        hermitianStep(i, A, h, t, p);
    }
    t[0] = 0;
    h[0] = 0;
    if (n > 1) {
        t[1] = A[1][0];
        h[1] = 0;
    }
    for (int j = 0; j < n; j++) d[j] = A[j][j].real();
    return true;
}

// T = D·T'·Dᴴ with D = diag(phase) unitary and T' real symmetric with the
// subdiagonal e[i] = |t[i]| ≥ 0 (e[0] = 0): phase[0] = 1,
// phase[i] = phase[i−1]·t[i]/|t[i]| (phase[i−1] where t[i] is 0).
template <class T>
void realSubdiagonal(const Vector<std::complex<T>>& t, Vector<T>& e, Vector<std::complex<T>>& phase) {
    const int n = e.dim();
    e[0] = 0;
    phase[0] = 1;
    for (int i = 1; i < n; i++) {
        const T m = modulus(t[i]);
        e[i] = m;
        phase[i] = m > T(0) ? mul(phase[i - 1], div(t[i], m)) : phase[i - 1];
    }
}

}  // namespace detail
}  // namespace ZELKOR

#endif
