// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The sweep of one double QR pass: the bulge chased down the unreduced
// block, each step's reflector recorded (see reflectors.h).  The block
// bounds and the buffers' sizes (H n × n, steps 5n, applied n) are the
// caller's to ensure: none is checked.
#ifndef ZELKOR_EIGENVALUE_PARTS_SCHUR_SWEEP_H
#define ZELKOR_EIGENVALUE_PARTS_SCHUR_SWEEP_H

#include <atomic>
#include <cmath>

#include "../cmat_zelkor"
#include "../vec_zelkor"
#include "reflectors.h"
#include "schur_row_split.h"

namespace ZELKOR {
namespace stages {

// The sweep of one double QR pass on H: steps sweepStart ... while the
// column scale x is not 0; p, q, r, x as the shift left them.  Step k's
// reflector (x, y, z, q, r) is recorded in steps and applied[k]; its row
// update and its column update of rows k + 1 ... are done at once, that of
// rows 0 ... k and of the Schur vectors wait for the end of the pass (no
// later step reads those entries, and applyReflectors gives each entry the
// same operations in the same order).  With `split`, the row updates are
// shared (RowSplit).  The row updates cover columns k ... columns − 1.
// Returns sweepEnd: steps sweepStart ... sweepEnd − 1 ran.
template <class T>
int sweep(int blockStart, int sweepStart, int last, bool sweepOnZeroShift, T p, T q, T r, T x, Matrix<T>& H,
          Vector<T>& steps, Vector<int>& applied, RowSplit* split, int columns) {
    const int nn = columns;
    T s, y, z;
    int sweepEnd = sweepStart;
    for (int k = sweepStart; k <= last - 1; k++) {
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
        if (x == T(0) && !(k == sweepStart && sweepOnZeroShift)) break;
        sweepEnd = k + 1;
        applied[k] = 0;
        s = std::sqrt(p * p + q * q + r * r);
        if (p < 0) s = -s;
        if (s != T(0)) {
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
        }
        int jEnd = nn;
        if (split) {
            split->published.store(k + 1, std::memory_order_release);
            jEnd = split->end(k, nn);
            unsigned turns = 0;
            if (k == split->splitEnd)
                while (split->helped.load(std::memory_order_acquire) < k) RowSplit::pause(turns);
        }
        if (s == T(0)) continue;
        rowUpdate(k, threeRows, k, jEnd, H, steps);
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
    if (split) split->finished.store(true, std::memory_order_release);
    return sweepEnd;
}

}  // namespace stages
}  // namespace ZELKOR

#endif
