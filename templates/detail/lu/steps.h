// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Steps shared by the LU factorisations: the caller's stop query, the
// pivot search and the row exchange.  Sizes and indices are the caller's to
// keep inside the buffers: none is checked.
#ifndef ZELKOR_DETAIL_LU_STEPS_H
#define ZELKOR_DETAIL_LU_STEPS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/lu/steps.h> is internal to the library: include <zelkor/lu> instead"
#endif

#include "../../cmat_zelkor"
#include "../../vec_zelkor"
#include "../scalar.h"

namespace ZELKOR {
namespace detail {

// stop(context), asked on the calling thread; never true without stop.
struct StopQuery {
    bool (*stop)(void*);
    void* context;
    bool given() const { return stop != nullptr; }
    bool asked() const { return stop && stop(context); }
};

// The pivot row of column j: the first row p in j ... m − 1 of largest
// magnitude abs1(c[p]) (|c[p]|, or |re| + |im| for a complex entry:
// strictly greater wins, so a tie keeps the upper row and a NaN below row
// j is never chosen).  j when j + 1 ≥ m.
template <class C>
int pivotRow(const C& c, int j, int m) {
    int p = j;
    for (int r = j + 1; r < m; r++)
        if (abs1(c[r]) > abs1(c[p])) p = r;
    return p;
}

// Rows p and j of A exchanged over all its columns.
template <class T>
void swapRows(int p, int j, Matrix<T>& A) {
    const int n = A.num_cols();
    for (int k = 0; k < n; k++) {
        T t = A[p][k];
        A[p][k] = A[j][k];
        A[j][k] = t;
    }
}

// Rows p and j of F exchanged, with perm's entries and sign's parity.
template <class T>
void exchangeRows(int p, int j, Matrix<T>& F, Vector<int>& perm, int& sign) {
    swapRows(p, j, F);
    int k = perm[p];
    perm[p] = perm[j];
    perm[j] = k;
    sign = -sign;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
