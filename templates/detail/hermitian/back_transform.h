// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The eigenvectors of the Hermitian matrix from those of the real
// tridiagonal one: Z = Q·D·W, W real (the QL iteration's), D the diagonal
// unitary scaling (phase), Q = H_{n−1}···H_2 the product of the reduction's
// reflectors (kept in the rows of A and in h, see tridiagonal.h).  Each
// column of Z on its own, so the threads share out whole columns: the same
// bits at any thread count.  Sizes (A, W, Z n × n; h, phase, w of length
// n) are the caller's to ensure: none is checked.
#ifndef ZELKOR_DETAIL_HERMITIAN_BACK_TRANSFORM_H
#define ZELKOR_DETAIL_HERMITIAN_BACK_TRANSFORM_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/hermitian/back_transform.h> is internal to the library: include <zelkor/hermitian> instead"
#endif

#include <complex>

#include "../../cmat_zelkor"
#include "../../vec_zelkor"
#include "../threads.h"

namespace ZELKOR {
namespace detail {

// Columns c0 ... c1 − 1 of Z: Z[j][c] = phase[j]·W[j][c], then for
// i = 2 ... n − 1 with h[i] ≠ 0, Z ← H_i·Z on rows 0 ... i − 1:
// s[c] = (Σ_{j<i} conj(u[j])·Z[j][c]) / h[i] in increasing j, then
// Z[j][c] −= u[j]·s[c]; u is row i of A.  w[c0 ... c1 − 1] holds s.
template <class T>
void hermitianBackTransform(int c0, int c1, const Matrix<std::complex<T>>& A, const Vector<T>& h,
                            const Vector<std::complex<T>>& phase, const Matrix<T>& W, Matrix<std::complex<T>>& Z,
                            std::complex<T>* w) {
    const int n = h.dim();
    for (int j = 0; j < n; j++) {
        const T pr = phase[j].real(), pi = phase[j].imag();
        const T* x = W[j];
        std::complex<T>* z = Z[j];
        for (int c = c0; c < c1; c++) z[c] = {pr * x[c], pi * x[c]};
    }
    for (int i = 2; i < n; i++) {
        if (h[i] == T(0)) continue;
        const std::complex<T>* u = A[i];
        for (int c = c0; c < c1; c++) w[c] = 0;
        int j = 0;
        for (; j + 1 < i; j += 2) {  // two rows a pass: each w[c] loaded and stored once
            const T ar = u[j].real(), ai = u[j].imag(), br = u[j + 1].real(), bi = u[j + 1].imag();
            const std::complex<T>* y = Z[j];
            const std::complex<T>* z = Z[j + 1];
            for (int c = c0; c < c1; c++) {
                T re = w[c].real() + (ar * y[c].real() + ai * y[c].imag());
                T im = w[c].imag() + (ar * y[c].imag() - ai * y[c].real());
                re = re + (br * z[c].real() + bi * z[c].imag());
                im = im + (br * z[c].imag() - bi * z[c].real());
                w[c] = {re, im};
            }
        }
        for (; j < i; j++) {
            const T ur = u[j].real(), ui = u[j].imag();
            const std::complex<T>* z = Z[j];
            for (int c = c0; c < c1; c++)
                w[c] = {w[c].real() + (ur * z[c].real() + ui * z[c].imag()),
                        w[c].imag() + (ur * z[c].imag() - ui * z[c].real())};
        }
        const T hi = h[i];
        for (int c = c0; c < c1; c++) w[c] = {w[c].real() / hi, w[c].imag() / hi};
        for (j = 0; j + 1 < i; j += 2) {
            const T ar = u[j].real(), ai = u[j].imag(), br = u[j + 1].real(), bi = u[j + 1].imag();
            std::complex<T>* y = Z[j];
            std::complex<T>* z = Z[j + 1];
            for (int c = c0; c < c1; c++) {
                const T sr = w[c].real(), si = w[c].imag();
                y[c] = {y[c].real() - (ar * sr - ai * si), y[c].imag() - (ar * si + ai * sr)};
                z[c] = {z[c].real() - (br * sr - bi * si), z[c].imag() - (br * si + bi * sr)};
            }
        }
        for (; j < i; j++) {
            const T ur = u[j].real(), ui = u[j].imag();
            std::complex<T>* z = Z[j];
            for (int c = c0; c < c1; c++)
                z[c] = {z[c].real() - (ur * w[c].real() - ui * w[c].imag()),
                        z[c].imag() - (ur * w[c].imag() + ui * w[c].real())};
        }
    }
}

}  // namespace detail
}  // namespace ZELKOR

#endif
