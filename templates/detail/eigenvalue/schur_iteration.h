// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The real Schur iteration: deflation, shifts and passes of the shifted
// double-step QR iteration on an upper Hessenberg matrix (as orthes leaves
// it), the Schur vectors accumulated.  H must be n × n Hessenberg with a
// finite size, V n × n, d and e of length n, steps 5n and applied n: none
// of this is checked.
//
// Without `vectors` only the eigenvalues are wanted: V is not touched (it
// may be empty), and H's columns right of the unreduced block are not
// updated.  No later step reads those columns (the block's last row only
// moves up), so every eigenvalue gets the same bits as with `vectors`.
#ifndef ZELKOR_DETAIL_EIGENVALUE_SCHUR_ITERATION_H
#define ZELKOR_DETAIL_EIGENVALUE_SCHUR_ITERATION_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/schur_iteration.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include <cmath>

#include "../../cmat_zelkor"
#include "../threads.h"
#include "../../vec_zelkor"
#include "iteration.h"
#include "reflectors.h"
#include "schur_pipeline.h"
#include "schur_sweep.h"

namespace ZELKOR {
namespace detail {

// The Schur iteration's buffers (sizes: see the top of this file), the
// eigenvalues' real parts d and imaginary parts e, and `vectors`.
template <class T>
struct SchurWork {
    Matrix<T>& H;
    Matrix<T>& V;
    Vector<T>& d;
    Vector<T>& e;
    Vector<T>& steps;
    Vector<int>& applied;
    bool vectors;
    PassBuffers<T> passBuffers() const { return PassBuffers<T>{H, V, steps, applied}; }
};

// What the iteration carries from pass to pass: the passes spent on the
// block at the bottom, and the sum of the exceptional shifts taken off H's
// diagonal so far (added back to each eigenvalue as it deflates).
template <class T>
struct ShiftState {
    int passes;
    T shiftSum;
};

// The first row of the unreduced block that ends at row `last`: the
// search goes up from `last` to the first negligible subdiagonal entry,
// one below eps times its two diagonal neighbours.  When both are
// exactly 0, the entry is judged against its subdiagonal neighbours in
// rows 0 ... last instead (not against the whole matrix's size, which
// would drop a 1 beside a 10¹⁶ elsewhere), and an exact 0 splits.
template <class T>
int blockStartOf(int last, const T eps, const Matrix<T>& H) {
    int l = last;
    while (l > 0) {
        T s = std::abs(H[l - 1][l - 1]) + std::abs(H[l][l]);
        if (s == T(0)) {
            if (H[l][l - 1] == T(0)) break;
            if (l >= 2) s = std::abs(H[l - 1][l - 2]);
            if (l + 1 <= last) s = s + std::abs(H[l + 1][l]);
        }
        if (std::abs(H[l][l - 1]) < eps * s) break;
        l--;
    }
    return l;
}

// The 2×2 block in rows and columns a, b = a + 1 deflates: a real pair
// (the block is rotated to upper triangular form, H and V alike) or a
// complex pair, +μ first (the block stays); the eigenvalues into d, e.
// Without `vectors` a real pair is not rotated (nothing reads it again).
template <class T>
void deflatePair(const int a, const int b, const T shiftSum, const SchurWork<T>& work) {
    Matrix<T>& H = work.H;
    Matrix<T>& V = work.V;
    Vector<T>& d = work.d;
    Vector<T>& e = work.e;
    const int nn = H.num_cols();
    const int low = 0;
    const int high = nn - 1;
    T p, q, r, s, w, x, z;

    w = H[b][a] * H[a][b];
    p = (H[a][a] - H[b][b]) / T(2);
    q = p * p + w;
    z = std::sqrt(std::abs(q));
    H[b][b] = H[b][b] + shiftSum;
    H[a][a] = H[a][a] + shiftSum;
    x = H[b][b];

    if (q >= 0) {  // real pair
        if (p >= 0)
            z = p + z;
        else
            z = p - z;
        d[a] = x + z;
        d[b] = d[a];
        if (z != T(0)) d[b] = x - w / z;
        e[a] = 0;
        e[b] = 0;
        if (!work.vectors) return;
        x = H[b][a];
        s = std::abs(x) + std::abs(z);
        p = x / s;
        q = z / s;
        r = std::sqrt(p * p + q * q);
        p = p / r;
        q = q / r;
        for (int j = a; j < nn; j++) {
            z = H[a][j];
            H[a][j] = q * z + p * H[b][j];
            H[b][j] = q * H[b][j] - p * z;
        }
        for (int i = 0; i <= b; i++) {
            z = H[i][a];
            H[i][a] = q * z + p * H[i][b];
            H[i][b] = q * H[i][b] - p * z;
        }
        for (int i = low; i <= high; i++) {
            z = V[i][a];
            V[i][a] = q * z + p * V[i][b];
            V[i][b] = q * V[i][b] - p * z;
        }
    } else {  // complex pair, +μ first
        d[a] = x + p;
        d[b] = x + p;
        e[a] = z;
        e[b] = -z;
    }
}

// One pass of the double-shift QR iteration on the unreduced block
// blockStart ... last (at least 3 rows), with the exceptional shifts at
// passes 10 and 30, counted in state.passes; its transformations applied
// to H and V, steps and applied its work space.  false when the iteration
// gives up: after maxPasses passes on this block, or once
// H[last][last − 1] is NaN.
template <class T>
bool francisPass(const int blockStart, const int last, ShiftState<T>& state, const T eps, const int maxPasses,
                 const SchurWork<T>& work) {
    Matrix<T>& H = work.H;
    const int nn = H.num_cols();
    const int columns = work.vectors ? nn : last + 1;  // of H, updated by the row updates
    const int low = 0;
    const int high = nn - 1;
    T p = 0, q = 0, r = 0, s = 0, z = 0;
    T w, x, y;
    // No step assigns H[last][last-1] afresh; each only subtracts
    // from it.  Once it is NaN the block can never deflate as one
    // root, and as a pair it yields a NaN eigenvalue: give up now.
    if (state.passes >= maxPasses || std::isnan(H[last][last - 1])) return false;
    x = H[last][last];
    y = H[last - 1][last - 1];
    w = H[last][last - 1] * H[last - 1][last];

    if (state.passes == 10) {  // first exceptional shift
        state.shiftSum = state.shiftSum + x;
        for (int i = low; i <= last; i++) H[i][i] = H[i][i] - x;
        s = std::abs(H[last][last - 1]) + std::abs(H[last - 1][last - 2]);
        x = 0.75 * s;
        y = x;
        w = (s * (-0.4375)) * s;
    }
    if (state.passes == 30) {  // second exceptional shift
        s = (y - x) / T(2);
        s = s * s + w;
        if (s > 0) {
            s = std::sqrt(s);
            if (y < x) s = -s;
            s = x - w / ((y - x) / T(2) + s);
            for (int i = low; i <= last; i++) H[i][i] = H[i][i] - s;
            state.shiftSum = state.shiftSum + s;
            x = y = w = T(0.964);
        }
    }
    // A pass that cannot start its sweep (shift x exactly 0) once
    // both exceptional shifts are spent would repeat unchanged for
    // ever; such a pass sweeps from the first column's p, q, r.
    const bool sweepOnZeroShift = state.passes >= 30;
    state.passes = state.passes + 1;

    // Look for two consecutive small subdiagonal entries.
    int m = last - 2;
    for (;;) {
        z = H[m][m];
        r = x - z;
        s = y - z;
        p = (r * s - w) / H[m + 1][m] + H[m][m + 1];
        q = H[m + 1][m + 1] - z - r - s;
        r = H[m + 2][m + 1];
        s = std::abs(p) + std::abs(q) + std::abs(r);
        p = p / s;
        q = q / s;
        r = r / s;
        if (m == blockStart) break;
        if (std::abs(H[m][m - 1]) * (std::abs(q) + std::abs(r)) <
            eps * (std::abs(p) * (std::abs(H[m - 1][m - 1]) + std::abs(z) + std::abs(H[m + 1][m + 1]))))
            break;
        m--;
    }
    const int sweepStart = m;

    for (int i = sweepStart + 2; i <= last; i++) {
        H[i][i - 2] = 0;
        if (i > sweepStart + 2) H[i][i - 3] = 0;
    }

    // Double QR step on rows and columns sweepStart ... last and its
    // deferred updates (sweepAndUpdate), on threads when the pass is large.
    const int vectorRows = work.vectors ? high - low + 1 : 0;
    // About 5 multiply-adds a step for each column right of the block
    // start and each row of H and V; a synchronisation for each window.
    const int windows = (last - sweepStart + passWindow - 1) / passWindow;
    const int threads = threadsFor(
        Step((double)(last - sweepStart) * ((columns - sweepStart) + last + vectorRows) * 5, windows + 1));
    sweepAndUpdate(threads, PassBounds{blockStart, sweepStart, last, columns, vectorRows},
                   Bulge<T>{p, q, r, x, sweepOnZeroShift}, work.passBuffers());
    return true;
}

// Deflation passes on the Hessenberg matrix H from the bottom right corner
// until every eigenvalue is in d (real parts) and e (imaginary parts): H
// becomes the real Schur form (its quasi-triangle; entries below the
// subdiagonal are left over) and V is multiplied by the transformations.
// steps and applied are the passes' work space.  observer.notify(k) once
// k eigenvalues are found.  false when the iteration gave up (see
// francisPass) or the observer asked to stop (before a pass).
template <class T>
bool schurIteration(const SchurWork<T>& work, const T eps, const int maxPasses,
                    const EigenObserver& observer) {
    Matrix<T>& H = work.H;
    Vector<T>& d = work.d;
    Vector<T>& e = work.e;
    const int n = H.num_cols();
    ShiftState<T> state{0, 0};
    int last = n - 1;
    while (last >= 0) {
        const int blockStart = blockStartOf(last, eps, H);
        if (blockStart == last) {  // one root
            H[last][last] = H[last][last] + state.shiftSum;
            d[last] = H[last][last];
            e[last] = 0;
            last--;
            state.passes = 0;
            observer.notify(n - 1 - last);
        } else if (blockStart == last - 1) {  // two roots
            deflatePair(last - 1, last, state.shiftSum, work);
            last = last - 2;
            state.passes = 0;
            observer.notify(n - 1 - last);
        } else if (observer.stopRequested() || !francisPass(blockStart, last, state, eps, maxPasses, work)) {
            return false;
        }
    }
    return true;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
