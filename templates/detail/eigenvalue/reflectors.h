// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The reflectors of one double QR pass as the sweep records them: step k's
// (x, y, z, q, r) in steps[5k ... 5k + 4], applied[k] = 1 when that step
// applied its reflector.  These routines apply recorded steps to rows of
// the Schur form or of the Schur vectors; the index ranges are the
// caller's to keep inside the buffers: none is checked.
#ifndef ZELKOR_DETAIL_EIGENVALUE_REFLECTORS_H
#define ZELKOR_DETAIL_EIGENVALUE_REFLECTORS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/reflectors.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include "../../cmat_zelkor"
#include "../../vec_zelkor"

namespace ZELKOR {
namespace detail {

// The recorded reflectors of steps kFrom ... kTo − 1 of a pass ending at
// row `last`, applied from the right to one row v of H or V: step k
// (x, y, z, q, r) maps entries k, k + 1, k + 2 by
//     p = x·v[k] + y·v[k+1] + z·v[k+2],  v[k+2] −= p·r,
//     v[k] −= p,  v[k+1] −= p·q,
// without the v[k+2] terms for the last step (k = last − 1).  The two
// entries still to be changed by the next step stay in registers.
template <class T>
void applyReflectors(T* v, int kFrom, int kTo, int last, const Vector<T>& steps, const Vector<int>& applied) {
    if (kFrom >= kTo) return;
    T a = v[kFrom];
    T b = v[kFrom + 1];
    int k = kFrom;
    const int kThree = kTo < last - 1 ? kTo : last - 1;
    for (; k < kThree; k++) {
        T c = v[k + 2];
        if (applied[k]) {
            const T* step = &steps[5 * k];
            T p = step[0] * a + step[1] * b;
            p = p + step[2] * c;
            c = c - p * step[4];
            a = a - p;
            b = b - p * step[3];
        }
        v[k] = a;
        a = b;
        b = c;
    }
    if (k < kTo && applied[k]) {
        const T* step = &steps[5 * k];
        T p = step[0] * a + step[1] * b;
        a = a - p;
        b = b - p * step[3];
    }
    v[k] = a;
    v[k + 1] = b;
}

// Step k's row update (reflector as recorded in steps) on columns
// j0 ... j1 − 1 of rows k, k + 1 and, when threeRows, k + 2 of H.
template <class T>
void rowUpdate(int k, bool threeRows, int j0, int j1, Matrix<T>& H, const Vector<T>& steps) {
    const T* step = &steps[5 * k];
    const T x = step[0], y = step[1], z = step[2], q = step[3], r = step[4];
    T* h0 = H[k];
    T* h1 = H[k + 1];
    T* h2 = threeRows ? H[k + 2] : h1;
    for (int j = j0; j < j1; j++) {
        T p = h0[j] + q * h1[j];
        if (threeRows) {
            p = p + r * h2[j];
            h2[j] = h2[j] - p * z;
        }
        h0[j] = h0[j] - p * x;
        h1[j] = h1[j] - p * y;
    }
}

// The row updates of steps k0 ... k1 − 1 of a pass ending at row `last`
// (those with applied[k]) on columns j0 ... j1 − 1 of H, in increasing k.
template <class T>
void rowUpdates(int k0, int k1, int last, int j0, int j1, Matrix<T>& H, const Vector<T>& steps,
                const Vector<int>& applied) {
    if (j0 >= j1) return;
    for (int k = k0; k < k1; k++)
        if (applied[k]) rowUpdate(k, k != last - 1, j0, j1, H, steps);
}

}  // namespace detail
}  // namespace ZELKOR

#endif
