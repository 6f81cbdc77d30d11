// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Register-blocked sums of products, the inner loops of the matrix
// product, the LU factorisation and solves, the Hessenberg reduction and
// the eigenvectors' back-transformation.
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
// Nothing is checked: the rows, columns and the index range are the
// caller's to keep inside the buffers; a sum starts from the value passed.
// The running sums are locals of the kernel (sums passed by reference
// are read before the loop and written after it), so that they stay in
// registers whatever the buffers may alias.
#ifndef ZELKOR_DETAIL_KERNELS_H
#define ZELKOR_DETAIL_KERNELS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/kernels.h> is internal to the library: include <zelkor/cmat_zelkor> instead"
#endif

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
};
struct SumPlusRowCol {  // s + r·c
    template <class T>
    static T step(const T& s, const T& r, const T& c) {
        return s + r * c;
    }
};
struct SumPlusColRow {  // s + c·r
    template <class T>
    static T step(const T& s, const T& r, const T& c) {
        return s + c * r;
    }
};
struct SumMinusColRow {  // s − c·r
    template <class T>
    static T step(const T& s, const T& r, const T& c) {
        return s - c * r;
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

// Two rows r0, r1 against one column c: s0 over r0, s1 over r1.
template <class Op, int Step = 1, class R, class C, class T>
void sums2x1(const R& r0, const R& r1, const C& c, int first, int end, T& s0, T& s1) {
    T t0 = s0;
    T t1 = s1;
    for (int k = first; before<Step>(k, end); k += Step) {
        const T ck = c[k];
        t0 = Op::step(t0, T(r0[k]), ck);
        t1 = Op::step(t1, T(r1[k]), ck);
    }
    s0 = t0;
    s1 = t1;
}

// Two rows r0, r1 against columns j, j + 1 of B: sXY over row X and
// column j + Y.
template <class Op, int Step = 1, class R, class T>
void sums2x2(const R& r0, const R& r1, const Matrix<T>& B, int j, int first, int end, T& s00, T& s01, T& s10,
             T& s11) {
    T t00 = s00;
    T t01 = s01;
    T t10 = s10;
    T t11 = s11;
    for (int k = first; before<Step>(k, end); k += Step) {
        const T* b = B[k] + j;
        const T b0 = b[0];
        const T b1 = b[1];
        const T f0 = r0[k];
        const T f1 = r1[k];
        t00 = Op::step(t00, f0, b0);
        t01 = Op::step(t01, f0, b1);
        t10 = Op::step(t10, f1, b0);
        t11 = Op::step(t11, f1, b1);
    }
    s00 = t00;
    s01 = t01;
    s10 = t10;
    s11 = t11;
}

// One row r against columns j ... j + 3 of B: sY over column j + Y.
template <class Op, int Step = 1, class R, class T>
void sums1x4(const R& r, const Matrix<T>& B, int j, int first, int end, T& s0, T& s1, T& s2, T& s3) {
    T t0 = s0;
    T t1 = s1;
    T t2 = s2;
    T t3 = s3;
    for (int k = first; before<Step>(k, end); k += Step) {
        const T* b = B[k] + j;
        const T f = r[k];
        t0 = Op::step(t0, f, b[0]);
        t1 = Op::step(t1, f, b[1]);
        t2 = Op::step(t2, f, b[2]);
        t3 = Op::step(t3, f, b[3]);
    }
    s0 = t0;
    s1 = t1;
    s2 = t2;
    s3 = t3;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
