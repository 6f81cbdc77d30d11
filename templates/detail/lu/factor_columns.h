// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The left-looking (dot-product) LU factorisation with partial pivoting,
// one column at a time, on one thread.  F (m × n) holds A on entry and the
// factors on return; perm (length m) holds the identity on entry and sign
// +1, firstZero −1.  Nothing is checked: F, perm and their sizes are the
// caller's to match.
#ifndef ZELKOR_DETAIL_LU_FACTOR_COLUMNS_H
#define ZELKOR_DETAIL_LU_FACTOR_COLUMNS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/lu/factor_columns.h> is internal to the library: include <zelkor/lu> instead"
#endif

#include "../../cmat_zelkor"
#include "../../vec_zelkor"
#include "../kernels.h"
#include "../scalar.h"
#include "steps.h"

namespace ZELKOR {
namespace detail {

// Column j of the factorisation, rows 0 ... m − 1 in increasing order: each
// element of the work column c (column j on entry) gets
// c[i] − Σ_{k < min(i, j)} F[i][k]·c[k], the sum formed from 0 in
// increasing k, and is stored in F[i][j] too.  Rows go in pairs sharing
// the loads of c[k]; row i + 1's last term, k = i, waits for c[i] to be
// final.
template <class T>
void columnSums(int j, Matrix<T>& F, Vector<T>& c) {
    using Op = RowColPlusSum;
    const int m = F.num_rows();
    int i = 0;
    for (; i + 1 < m; i += 2) {
        T* row0 = F[i];
        T* row1 = F[i + 1];
        const int kmax = i < j ? i : j;
        Sums2x1<T> s = sums2x1<Op>(row0, row1, c, 0, kmax, Sums2x1<T>{});
        c[i] = c[i] - s.s0;
        row0[j] = c[i];
        if (i < j) s.s1 = Op::step(s.s1, row1[i], c[i]);
        c[i + 1] = c[i + 1] - s.s1;
        row1[j] = c[i + 1];
    }
    if (i < m) {
        T* row = F[i];
        const int kmax = i < j ? i : j;
        const T s = sum1<Op>(row, c, 0, kmax, T(0));
        c[i] = c[i] - s;
        row[j] = c[i];
    }
}

// The factorisation, column by column: columnSums, the pivot (pivotRow of
// the work column) exchanged into row j, then the multipliers divided by
// the pivot; a pivot exactly zero skips the division and, the first time,
// is recorded in firstZero.  stop is asked before each column: false when
// it ended the work there (F then holds a partial factorisation).
template <class T>
bool factorColumns(Matrix<T>& F, Vector<int>& perm, int& sign, int& firstZero, const StopQuery& stop) {
    const int m = F.num_rows();
    const int n = F.num_cols();
    Vector<T> c(m, 0);
    for (int j = 0; j < n; j++) {
        if (stop.asked()) return false;
        for (int i = 0; i < m; i++) c[i] = F[i][j];
        columnSums(j, F, c);
        const int p = pivotRow(c, j, m);
        if (p != j) exchangeRows(p, j, F, perm, sign);
        if (j < m && F[j][j] != T(0)) {
            for (int r = j + 1; r < m; r++) F[r][j] = div(F[r][j], F[j][j]);
        } else if (j < m && firstZero < 0) {
            firstZero = j;
        }
    }
    return true;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
