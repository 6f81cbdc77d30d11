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

// Steps kFrom ... kTo − 1 (kTo ≤ last) of the sweep of one double QR pass
// on H that starts at sweepStart, while the column scale x is not 0; p, q,
// r, x as the shift left them (read at step sweepStart only).  Step k's
// reflector (x, y, z, q, r) is recorded in steps and applied[k]; its
// column update of rows k + 1 ... and its row update of columns
// k ... columnsEnd − 1 are done at once.  Left for later: the column
// update of rows 0 ... k (no later step reads those entries) and the row
// update of columns columnsEnd and beyond, which no step before kTo reads
// when columnsEnd ≥ kTo + 2; applyReflectors and rowUpdates give those
// entries the same operations in the same order.  Returns the end of the
// steps that ran: kTo, or the step at which the sweep stopped.
template <class T>
int sweepSteps(int blockStart, int sweepStart, int kFrom, int kTo, int last, bool sweepOnZeroShift, T p, T q,
               T r, T x, Matrix<T>& H, Vector<T>& steps, Vector<int>& applied, int columnsEnd) {
    T s, y, z;
    for (int k = kFrom; k < kTo; k++) {
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
        if (x == T(0) && !(k == sweepStart && sweepOnZeroShift)) return k;
        applied[k] = 0;
        s = std::sqrt(p * p + q * q + r * r);
        if (p < 0) s = -s;
        if (s == T(0)) continue;
        if (k != sweepStart)
            H[k][k - 1] = -s * x;
        else if (blockStart != sweepStart)
            H[k][k - 1] = -H[k][k - 1];
        p = p + s;
        x = p / s;
        y = q / s;
        z = r / s;
        q = q / p;
        r = r / p;
        T* step = &steps[5 * k];
        step[0] = x;
        step[1] = y;
        step[2] = z;
        step[3] = q;
        step[4] = r;
        applied[k] = 1;
        rowUpdate(k, threeRows, k, columnsEnd, H, steps);
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
    return kTo;
}

// The whole sweep, from sweepStart to the end of the block, the row
// updates on columns k ... columns − 1: sweepSteps up to last.  Returns
// sweepEnd: steps sweepStart ... sweepEnd − 1 ran.
template <class T>
int sweep(int blockStart, int sweepStart, int last, bool sweepOnZeroShift, T p, T q, T r, T x, Matrix<T>& H,
          Vector<T>& steps, Vector<int>& applied, int columns) {
    return sweepSteps(blockStart, sweepStart, sweepStart, last, last, sweepOnZeroShift, p, q, r, x, H, steps,
                      applied, columns);
}

}  // namespace detail
}  // namespace ZELKOR

#endif
