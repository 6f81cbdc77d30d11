// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The LU factorisation of factor_columns.h for a team of threads, each
// element's operations unchanged: the columns go in panels of panelWidth.
// For a panel starting at column j0, rows 0 ... j0 − 1 are final; their U
// entries in the panel are triangular solves independent column by column
// (upperRows, in chunks of four columns), and every lower row's partial
// sum over k < j0 is a product (lowerSums, two rows at a time), kept in
// S; the threads take the chunks as they become free.  One thread then
// finishes the panel column by column (panelColumns).  Square F only, with
// perm, sign and firstZero as factorColumns has them; nothing is checked.
#ifndef ZELKOR_DETAIL_LU_FACTOR_PANELS_H
#define ZELKOR_DETAIL_LU_FACTOR_PANELS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/lu/factor_panels.h> is internal to the library: include <zelkor/lu> instead"
#endif

#include "../../cmat_zelkor"
#include "../../vec_zelkor"
#include "../kernels.h"
#include "../scalar.h"
#include "../threads.h"
#include "steps.h"

namespace ZELKOR {
namespace detail {

// The width of factorPanels' panels.
constexpr int luPanelWidth = 32;

// Rows 0 ... r − 1 of columns ca ... cb − 1: U[i][j] = F[i][j] − s with
// s = Σ_{k < i} L[i][k]·U[k][j] from 0 in increasing k.  Rows and
// columns go two by two; row i + 1's last term waits for U[i][j].
template <class T>
void upperRows(int r, int ca, int cb, Matrix<T>& F) {
    using Op = RowColPlusSum;
    int i = 0;
    for (; i + 1 < r; i += 2) {
        T* x0 = F[i];
        T* x1 = F[i + 1];
        int j = ca;
        for (; j + 1 < cb; j += 2) {
            Sums2x2<T> s = sums2x2<Op>(x0, x1, F, j, 0, i, Sums2x2<T>{});
            x0[j] = x0[j] - s.s00;
            x0[j + 1] = x0[j + 1] - s.s01;
            s.s10 = Op::step(s.s10, x1[i], x0[j]);
            s.s11 = Op::step(s.s11, x1[i], x0[j + 1]);
            x1[j] = x1[j] - s.s10;
            x1[j + 1] = x1[j + 1] - s.s11;
        }
        if (j < cb) {
            Sums2x1<T> s = sums2x1<Op>(x0, x1, columnOf(F, j), 0, i, Sums2x1<T>{});
            x0[j] = x0[j] - s.s0;
            s.s1 = Op::step(s.s1, x1[i], x0[j]);
            x1[j] = x1[j] - s.s1;
        }
    }
    if (i < r) {
        T* x0 = F[i];
        for (int j = ca; j < cb; j++) x0[j] = x0[j] - sum1<Op>(x0, columnOf(F, j), 0, i, T(0));
    }
}

// Rows i0 ... i1 − 1 (one or two), columns j0 ... j1 − 1: the partial
// sums Σ_{k < j0} L[i][k]·U[k][j] from 0 in increasing k, into S.
template <class T>
void lowerSums(int i0, int i1, int j0, int j1, const Matrix<T>& F, Matrix<T>& S) {
    using Op = RowColPlusSum;
    const T* l0 = F[i0];
    const T* l1 = F[i1 - 1];
    T* s0 = S[i0];
    T* s1 = S[i1 - 1];
    int j = j0;
    for (; j + 1 < j1; j += 2) sums2x2<Op>(l0, l1, F, j, 0, j0, Sums2x2<T>{}).store(s0, s1, j - j0);
    if (j < j1) sums2x1<Op>(l0, l1, columnOf(F, j), 0, j0, Sums2x1<T>{}).store(s0, s1, j - j0);
}

// Rows i0 ... i1 − 1 of column j inside the panel from j0: each continues
// its sum from S over k = j0 ... min(i, j) − 1 in increasing k.
template <class T>
void panelSums(int i0, int i1, int j0, int j, Matrix<T>& F, const Matrix<T>& S) {
    for (int i = i0; i < i1; i++) {
        T* row = F[i];
        const int kmax = i < j ? i : j;
        const T s = sum1<RowColPlusSum>(row, columnOf(F, j), j0, kmax, S[i][j - j0]);
        row[j] = row[j] - s;
    }
}

// The panel's columns j0 ... j1 − 1, one at a time: the lower rows
// continue their sums from S, the pivot row is exchanged into place (with
// its S row), the multipliers are divided by the pivot (a zero pivot
// skips that and is recorded in firstZero the first time), and the rows
// above the next column's diagonal inside the panel are finished for it.
template <class T>
void panelColumns(int j0, int j1, Matrix<T>& F, Matrix<T>& S, Vector<int>& perm, int& sign, int& firstZero) {
    const int n = F.num_rows();
    for (int j = j0; j < j1; j++) {
        panelSums(j, n, j0, j, F, S);
        const int p = pivotRow(columnOf(F, j), j, n);
        if (p != j) {
            exchangeRows(p, j, F, perm, sign);
            swapRows(p, j, S);
        }
        if (F[j][j] != T(0)) {
            for (int i = j + 1; i < n; i++) F[i][j] = div(F[i][j], F[j][j]);
        } else if (firstZero < 0) {
            firstZero = j;
        }
        if (j + 1 < j1) panelSums(j0, j + 1, j0, j + 1, F, S);
    }
}

// The factorisation with `threads` threads, three synchronisations a
// panel.  stop is asked on the calling thread before each panel: false
// when it ended the work there.
template <class T>
bool factorPanels(int threads, Matrix<T>& F, Vector<int>& perm, int& sign, int& firstZero,
                  const StopQuery& stop) {
    (void)threads;  // only OpenMP reads it
    const int n = F.num_rows();
    Matrix<T> S(n, luPanelWidth, 0);
    bool stopped = false;
    ZELKOR_OMP(parallel num_threads(threads)) {
        for (int j0 = 0; j0 < n; j0 += luPanelWidth) {
            if (stop.given()) {  // the calling thread asks; every thread reads its answer
                ZELKOR_OMP(master)
                stopped = stop.asked();
                ZELKOR_OMP(barrier)
                if (stopped) break;
            }
            const int j1 = j0 + luPanelWidth < n ? j0 + luPanelWidth : n;
            ZELKOR_OMP(for schedule(dynamic, 1))
            for (int c0 = j0; c0 < j1; c0 += 4) upperRows(j0, c0, c0 + 4 < j1 ? c0 + 4 : j1, F);
            ZELKOR_OMP(for schedule(dynamic, 8))
            for (int i = j0; i < n; i += 2) lowerSums(i, i + 1 < n ? i + 2 : n, j0, j1, F, S);
            ZELKOR_OMP(single) panelColumns(j0, j1, F, S, perm, sign, firstZero);
        }
    }
    return !stopped;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
