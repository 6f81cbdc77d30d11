// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Register-blocked sums of products, the inner loops of the matrix
// product, the LU factorisation and solves, the Hessenberg and
// tridiagonal reductions and the eigenvectors' back-transformation, and
// the rank-one row updates of the two reductions.
//
// Each kernel runs, for every output element of its block, that element's
// own chain of operations s = Op::step(s, r[k], c[k]) over k = first,
// first + Step, ... up to (not including) end, and nothing else: the
// elements of a block only share their loads, so a block gives the bits of
// the element-by-element loops.  r is the left factor's entry (a row
// pointer or a vector indexed by k), c the right factor's (a column,
// columnOf(B, j), or a vector).  Op fixes how a product joins the sum, each
// caller keeping its own form; the operations are those written in Op,
// in that order.
//
// Complex scalars: each Op has an overload for std::complex<T> with the
// textbook product (detail::mul, mulConj; never the language's complex
// product, which calls a library routine), so the same sums serve real
// and complex matrices and a real instantiation keeps its operations.
//
// Nothing is checked: the rows, columns and the index range are the
// caller's to keep inside the buffers; a sum starts from the value passed.
// The running sums are passed and returned by value, locals of the
// kernel, so that they stay in registers whatever the buffers may alias.
#ifndef ZELKOR_DETAIL_KERNELS_H
#define ZELKOR_DETAIL_KERNELS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/kernels.h> is internal to the library: include <zelkor/cmat_zelkor> instead"
#endif

#include <complex>

#include "scalar.h"

namespace ZELKOR {

template <class T>
class Matrix;

namespace detail {

// The forms of one step, r the left factor's entry, c the right factor's.
struct RowColPlusSum {  // r·c + s
    template <class T>
    static T step(const T& s, const T& r, const T& c) {
        return r * c + s;
    }
    template <class T>
    static std::complex<T> step(const std::complex<T>& s, const std::complex<T>& r,
                                const std::complex<T>& c) {
        return {s.real() + r.real() * c.real() - r.imag() * c.imag(),
                s.imag() + r.real() * c.imag() + r.imag() * c.real()};
    }
};
struct SumPlusRowCol {  // s + r·c
    template <class T>
    static T step(const T& s, const T& r, const T& c) {
        return s + r * c;
    }
    template <class T>
    static std::complex<T> step(const std::complex<T>& s, const std::complex<T>& r,
                                const std::complex<T>& c) {
        return {s.real() + r.real() * c.real() - r.imag() * c.imag(),
                s.imag() + r.real() * c.imag() + r.imag() * c.real()};
    }
};
struct SumPlusColRow {  // s + c·r
    template <class T>
    static T step(const T& s, const T& r, const T& c) {
        return s + c * r;
    }
    template <class T>
    static std::complex<T> step(const std::complex<T>& s, const std::complex<T>& r,
                                const std::complex<T>& c) {
        return {s.real() + c.real() * r.real() - c.imag() * r.imag(),
                s.imag() + c.real() * r.imag() + c.imag() * r.real()};
    }
};
struct SumMinusColRow {  // s − c·r
    template <class T>
    static T step(const T& s, const T& r, const T& c) {
        return s - c * r;
    }
    template <class T>
    static std::complex<T> step(const std::complex<T>& s, const std::complex<T>& r,
                                const std::complex<T>& c) {
        return {s.real() - c.real() * r.real() + c.imag() * r.imag(),
                s.imag() - c.real() * r.imag() - c.imag() * r.real()};
    }
};
// The Hermitian forms: s − conj(c)·r and s − c·conj(r); for a real scalar
// both are SumMinusColRow's s − c·r.
struct SumMinusConjColRow {
    template <class T>
    static T step(const T& s, const T& r, const T& c) {
        return s - c * r;
    }
    template <class T>
    static std::complex<T> step(const std::complex<T>& s, const std::complex<T>& r,
                                const std::complex<T>& c) {
        return {s.real() - c.real() * r.real() - c.imag() * r.imag(),
                s.imag() - c.real() * r.imag() + c.imag() * r.real()};
    }
};
struct SumMinusColConjRow {
    template <class T>
    static T step(const T& s, const T& r, const T& c) {
        return s - c * r;
    }
    template <class T>
    static std::complex<T> step(const std::complex<T>& s, const std::complex<T>& r,
                                const std::complex<T>& c) {
        return {s.real() - r.real() * c.real() - r.imag() * c.imag(),
                s.imag() - r.real() * c.imag() + r.imag() * c.real()};
    }
};

// Column j of B read by its row index: columnOf(B, j)[k] is B[k][j].
template <class T>
struct Column {
    const Matrix<T>& B;
    int j;
    const T& operator[](int k) const { return B[k][j]; }
};
template <class T>
Column<T> columnOf(const Matrix<T>& B, int j) {
    return Column<T>{B, j};
}

template <int Step>
inline bool before(int k, int end) {
    return Step > 0 ? k < end : k > end;
}

// One sum: s over r[k]·c[k].
template <class Op, int Step = 1, class R, class C, class T>
T sum1(const R& r, const C& c, int first, int end, T s) {
    for (int k = first; before<Step>(k, end); k += Step) s = Op::step(s, T(r[k]), T(c[k]));
    return s;
}

// The two running sums of two rows against one column, sX over row X;
// {} starts them from zero.  load and store move them from and to entry
// j of rows x0, x1.
template <class T>
struct Sums2x1 {
    T s0, s1;
    static Sums2x1 load(const T* x0, const T* x1, int j) { return {x0[j], x1[j]}; }
    void store(T* x0, T* x1, int j) const {
        x0[j] = s0;
        x1[j] = s1;
    }
};

// Two rows r0, r1 against one column c, continuing the sums s.
template <class Op, int Step = 1, class R, class C, class T>
Sums2x1<T> sums2x1(const R& r0, const R& r1, const C& c, int first, int end, Sums2x1<T> s) {
    for (int k = first; before<Step>(k, end); k += Step) {
        const T ck = c[k];
        s.s0 = Op::step(s.s0, T(r0[k]), ck);
        s.s1 = Op::step(s.s1, T(r1[k]), ck);
    }
    return s;
}

// The four running sums of a 2 × 2 block, sXY over row X and column
// j + Y; {} starts them from zero.  load and store move them from and to
// entries j, j + 1 of rows x0, x1.
template <class T>
struct Sums2x2 {
    T s00, s01, s10, s11;
    static Sums2x2 load(const T* x0, const T* x1, int j) { return {x0[j], x0[j + 1], x1[j], x1[j + 1]}; }
    void store(T* x0, T* x1, int j) const {
        x0[j] = s00;
        x0[j + 1] = s01;
        x1[j] = s10;
        x1[j + 1] = s11;
    }
};

// The four running sums of one row against columns j ... j + 3, sY over
// column j + Y; {} starts them from zero.
template <class T>
struct Sums1x4 {
    T s0, s1, s2, s3;
};

// Two rows r0, r1 against columns j, j + 1 of B, continuing the sums s.
template <class Op, int Step = 1, class R, class T>
Sums2x2<T> sums2x2(const R& r0, const R& r1, const Matrix<T>& B, int j, int first, int end, Sums2x2<T> s) {
    for (int k = first; before<Step>(k, end); k += Step) {
        const T* b = B[k] + j;
        const T b0 = b[0];
        const T b1 = b[1];
        const T f0 = r0[k];
        const T f1 = r1[k];
        s.s00 = Op::step(s.s00, f0, b0);
        s.s01 = Op::step(s.s01, f0, b1);
        s.s10 = Op::step(s.s10, f1, b0);
        s.s11 = Op::step(s.s11, f1, b1);
    }
    return s;
}

// Two rows r0, r1 against two vectors c0, c1 (sXY over rX and cY),
// continuing the sums s.
template <class Op, int Step = 1, class R, class C, class T>
Sums2x2<T> sums2x2(const R& r0, const R& r1, const C& c0, const C& c1, int first, int end, Sums2x2<T> s) {
    for (int k = first; before<Step>(k, end); k += Step) {
        const T b0 = c0[k];
        const T b1 = c1[k];
        const T f0 = r0[k];
        const T f1 = r1[k];
        s.s00 = Op::step(s.s00, f0, b0);
        s.s01 = Op::step(s.s01, f0, b1);
        s.s10 = Op::step(s.s10, f1, b0);
        s.s11 = Op::step(s.s11, f1, b1);
    }
    return s;
}

// One row r against columns j ... j + 3 of B, continuing the sums s.
template <class Op, int Step = 1, class R, class T>
Sums1x4<T> sums1x4(const R& r, const Matrix<T>& B, int j, int first, int end, Sums1x4<T> s) {
    for (int k = first; before<Step>(k, end); k += Step) {
        const T* b = B[k] + j;
        const T f = r[k];
        s.s0 = Op::step(s.s0, f, b[0]);
        s.s1 = Op::step(s.s1, f, b[1]);
        s.s2 = Op::step(s.s2, f, b[2]);
        s.s3 = Op::step(s.s3, f, b[3]);
    }
    return s;
}

// The rank-one updates that follow such sums: x[k] = x[k] − f·v[k] for
// k = first ... end − 1 in increasing k, on row x or rows x0, x1 (with
// f.s0, f.s1), each element on its own.
template <class T, class V>
void subtractScaled(T* x, const T& f, const V& v, int first, int end) {
    for (int k = first; k < end; k++) x[k] = x[k] - f * v[k];
}
template <class T, class V>
void subtractScaled2(T* x0, T* x1, const Sums2x1<T>& f, const V& v, int first, int end) {
    for (int k = first; k < end; k++) {
        const T vk = v[k];
        x0[k] = x0[k] - f.s0 * vk;
        x1[k] = x1[k] - f.s1 * vk;
    }
}

}  // namespace detail
}  // namespace ZELKOR

#endif
