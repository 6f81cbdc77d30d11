// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The singular values and vectors from the orthogonalised rows: with
// G·R = W, the rows of W orthogonal, R = Gᵀ·Σ·Ṽᵀ where σᵢ = ‖wᵢ‖ and
// row i of Ṽᵀ is wᵢ/σᵢ.  The values are sorted descending (equal ones in
// row order); the right vectors are the normalised rows, placed by the
// column permutation P of A·P = Q·R; the left ones are Q·Gᵀ, placed by
// the row order the preconditioning chose.  For complex rows (G unitary)
// R = Gᴴ·Σ·Ṽᴴ: the right vectors are the conjugated normalised rows and
// the left ones Q·Gᴴ.  Nothing is checked: the caller passes matching
// sizes.
#ifndef ZELKOR_DETAIL_SVD_VECTORS_H
#define ZELKOR_DETAIL_SVD_VECTORS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/svd/vectors.h> is internal to the library: include <zelkor/svd> instead"
#endif

#include <algorithm>
#include <cmath>
#include <vector>

#include "../../cmat_zelkor"
#include "../scalar.h"
#include "complex_jacobi.h"
#include "jacobi.h"

namespace ZELKOR {
namespace detail {

// σᵢ = ‖wᵢ‖ for the rows of W, and `order`: the rows by decreasing σ.
template <class S, class T>
void rowNorms(const Matrix<S>& W, std::vector<T>& sigma, std::vector<int>& order) {
    const int k = W.num_rows();
    sigma.resize((std::size_t)k);
    order.resize((std::size_t)k);
    for (int i = 0; i < k; i++) {
        sigma[(std::size_t)i] = std::sqrt(squaredNorm(W[i], W.num_cols()));
        order[(std::size_t)i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return sigma[(std::size_t)a] > sigma[(std::size_t)b]; });
}

// Ṽ (n × k): column c the row order[c] of W (conjugated) over its σ; the
// columns of zero rows are left zero and their count returned.
template <class S, class T>
int normalisedRows(const Matrix<S>& W, const std::vector<T>& sigma, const std::vector<int>& order,
                   Matrix<S>& V) {
    const int k = W.num_rows(), n = W.num_cols();
    int zero = 0;
    V = Matrix<S>(n, k, 0);
    for (int c = 0; c < k; c++) {
        const int i = order[(std::size_t)c];
        const T s = sigma[(std::size_t)i];
        if (!(s > 0)) {
            zero++;
            continue;
        }
        for (int r = 0; r < n; r++) V[r][c] = div(conjugate(W[i][r]), s);
    }
    return zero;
}

// Rows r of V placed at rows perm[r] (V ← P·V for A·P's permutation).
template <class T, class Perm>
Matrix<T> permuteRows(const Matrix<T>& V, const Perm& perm) {
    Matrix<T> out(V.num_rows(), V.num_cols(), 0);
    for (int r = 0; r < V.num_rows(); r++)
        for (int c = 0; c < V.num_cols(); c++) out[perm[r]][c] = V[r][c];
    return out;
}

// The m × cols matrix whose first k rows hold Gᴴ with columns in `order`
// (column c: row order[c] of G, conjugated), the identity continuing below and to the
// right of it when cols > k: Q times it gives the left vectors.
template <class T>
Matrix<T> rotationsBlock(const Matrix<T>& G, const std::vector<int>& order, int m, int cols) {
    const int k = G.num_rows();
    Matrix<T> B(m, cols, 0);
    for (int c = 0; c < k; c++) {
        const T* g = G[order[(std::size_t)c]];
        for (int r = 0; r < k; r++) B[r][c] = conjugate(g[r]);
    }
    for (int c = k; c < cols && c < m; c++) B[c][c] = 1;
    return B;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
