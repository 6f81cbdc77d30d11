// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Products with Q = H₀·H₁ ⋯ H_{k−1} from the reflectors of factor.h, on
// the rows of X = Bᵀ: a column of B is a contiguous row of X, and
// Qᴴ·B, Q·B are the reflectors applied to each row of X, Qᴴ in the order
// H₀ᴴ, H₁ᴴ, ... and Q in the order H_{k−1}, ..., H₀ (Qᴴ = Qᵀ for real B).  The rows are
// independent: the threads take blocks of them (forChunks), each row
// keeping its own chain of operations, so the bits do not depend on the
// number of threads; inside a block the rows go in tiles of a few
// (qrTileRows), each reflector applied to the whole tile while it is in
// cache.  Nothing is
// checked: X's rows must have H's length m.
#ifndef ZELKOR_DETAIL_QR_APPLY_H
#define ZELKOR_DETAIL_QR_APPLY_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/qr/apply.h> is internal to the library: include <zelkor/qr> instead"
#endif

#include <vector>

#include "../../cmat_zelkor"
#include "../scalar.h"
#include "../threads.h"
#include "reflector.h"

namespace ZELKOR {
namespace detail {

// Rows r0 ... r1 − 1 of X ← Q·x, the reflectors in decreasing order.
// With `identity`, row r holds e_r on entry and takes only the reflectors
// j ≤ r: the later ones leave e_r as it is (v is zero above j).
template <class T>
void applyQRows(const Matrix<T>& H, const std::vector<T>& tau, Matrix<T>& X, int r0, int r1, bool identity) {
    const int m = H.num_cols(), k = (int)tau.size();
    for (int t0 = r0; t0 < r1; t0 += qrTileRows) {
        const int t1 = t0 + qrTileRows < r1 ? t0 + qrTileRows : r1;
        for (int j = k - 1; j >= 0; j--) {
            const int first = identity && j > t0 ? j : t0;
            if (tau[j] != T(0) && first < t1) reflectRows(H[j], tau[j], j, m, X, first, t1);
        }
    }
}

// X ← Qᴴ·x or Q·x for every row x of X, on threads.
template <class T>
void applyReflectors(const Matrix<T>& H, const std::vector<T>& tau, Matrix<T>& X, bool transposed,
                     bool identity = false) {
    const int rows = X.num_rows();
    const Step step((ScalarTraits<T>::isComplex ? 8.0 : 2.0) * rows * H.num_cols() * (double)tau.size());
    forChunks(rows, step, [&](int r0, int r1) {
        if (transposed)
            reflectorsForward(H, tau, 0, (int)tau.size(), X, r0, r1);
        else
            applyQRows(H, tau, X, r0, r1, identity);
    });
}

}  // namespace detail
}  // namespace ZELKOR

#endif
