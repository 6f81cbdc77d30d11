// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The sweep of one double QR pass: the bulge chased down the unreduced
// block, each step's reflector recorded (see reflectors.h).  The block
// bounds and the buffers' sizes (H n × n, steps 5n, applied n) are the
// caller's to ensure: none is checked.
#ifndef ZELKOR_DETAIL_EIGENVALUE_SCHUR_SWEEP_H
#define ZELKOR_DETAIL_EIGENVALUE_SCHUR_SWEEP_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/schur_sweep.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include <cmath>

#include "../../cmat_zelkor"
#include "../../vec_zelkor"
#include "reflectors.h"

namespace ZELKOR {
namespace detail {

// Where one double QR pass works: the unreduced block blockStart ... last
// of H, swept from row sweepStart; the row updates reach columns
// ... columns − 1 of H, the column updates vectorRows rows of V (0 without
// vectors).
struct PassBounds {
    int blockStart;
    int sweepStart;
    int last;
    int columns;
    int vectorRows;
};

// The bulge the shifts leave at step sweepStart: p, q, r scaled by the
// column scale x.  The sweep stops where x is 0, at sweepStart too unless
// sweepOnZeroShift.
template <class T>
struct Bulge {
    T p;
    T q;
    T r;
    T x;
    bool sweepOnZeroShift;
};

// The buffers a pass works on: H, the Schur vectors V (untouched when the
// pass's vectorRows is 0), and its reflectors' record, steps and applied
// (see reflectors.h).
template <class T>
struct PassBuffers {
    Matrix<T>& H;
    Matrix<T>& V;
    Vector<T>& steps;
    Vector<int>& applied;
};

// Steps from ... to − 1 of a sweep (to ≤ last), their row updates done on
// columns up to columnsEnd − 1.
struct SweepWindow {
    int from;
    int to;
    int columnsEnd;
};

// Steps w.from ... w.to − 1 of the pass's sweep on H, while the column
// scale x is not 0; the bulge read at step sweepStart only.  Step k's
// reflector (x, y, z, q, r) is recorded in steps and applied[k]; its
// column update of rows k + 1 ... and its row update of columns
// k ... w.columnsEnd − 1 are done at once.  Left for later: the column
// update of rows 0 ... k (no later step reads those entries) and the row
// update of columns w.columnsEnd and beyond, which no step before w.to
// reads when w.columnsEnd ≥ w.to + 2; applyReflectors and rowUpdates give
// those entries the same operations in the same order.  V is not touched.
// Returns the end of the steps that ran: w.to, or the step at which the
// sweep stopped.
template <class T>
int sweepSteps(const PassBounds& pass, const Bulge<T>& bulge, const SweepWindow& w, PassBuffers<T> buffers) {
    Matrix<T>& H = buffers.H;
    const int last = pass.last;
    const int sweepStart = pass.sweepStart;
    T p = bulge.p, q = bulge.q, r = bulge.r, x = bulge.x;
    T s, y, z;
    for (int k = w.from; k < w.to; k++) {
        const int threeRows = (k != last - 1);
        if (k != sweepStart) {
            p = H[k][k - 1];
            q = H[k + 1][k - 1];
            r = threeRows ? H[k + 2][k - 1] : T(0);
            x = std::abs(p) + std::abs(q) + std::abs(r);
            if (x != T(0)) {
                p = p / x;
                q = q / x;
                r = r / x;
            }
        }
        if (x == T(0) && !(k == sweepStart && bulge.sweepOnZeroShift)) return k;
        buffers.applied[k] = 0;
        s = std::sqrt(p * p + q * q + r * r);
        if (p < 0) s = -s;
        if (s == T(0)) continue;
        if (k != sweepStart)
            H[k][k - 1] = -s * x;
        else if (pass.blockStart != sweepStart)
            H[k][k - 1] = -H[k][k - 1];
        p = p + s;
        x = p / s;
        y = q / s;
        z = r / s;
        q = q / p;
        r = r / p;
        T* step = &buffers.steps[5 * k];
        step[0] = x;
        step[1] = y;
        step[2] = z;
        step[3] = q;
        step[4] = r;
        buffers.applied[k] = 1;
        rowUpdate(k, threeRows, k, w.columnsEnd, H, buffers.steps);
        const int iEnd = last < k + 3 ? last : k + 3;
        for (int i = k + 1; i <= iEnd; i++) {
            p = x * H[i][k] + y * H[i][k + 1];
            if (threeRows) {
                p = p + z * H[i][k + 2];
                H[i][k + 2] = H[i][k + 2] - p * r;
            }
            H[i][k] = H[i][k] - p;
            H[i][k + 1] = H[i][k + 1] - p * q;
        }
    }
    return w.to;
}

// The whole sweep, from sweepStart to the end of the block, the row
// updates on columns k ... columns − 1.  Returns sweepEnd: steps
// sweepStart ... sweepEnd − 1 ran.
template <class T>
int sweep(const PassBounds& pass, const Bulge<T>& bulge, PassBuffers<T> buffers) {
    return sweepSteps(pass, bulge, SweepWindow{pass.sweepStart, pass.last, pass.columns}, buffers);
}

}  // namespace detail
}  // namespace ZELKOR

#endif
