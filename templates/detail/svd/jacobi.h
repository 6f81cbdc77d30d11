// -*- C++ -*-
// SPDX-License-Identifier: MIT
// One-sided Jacobi on the rows of W: plane rotations G applied from the
// left until the rows of G·W are mutually orthogonal to the threshold
//   |⟨wᵢ, wⱼ⟩| ≤ tol·‖wᵢ‖·‖wⱼ‖.
// Each rotation annihilates ⟨wᵢ, wⱼ⟩ exactly in exact arithmetic: with
// a = ‖wᵢ‖², b = ‖wⱼ‖², g = ⟨wᵢ, wⱼ⟩,
//   ζ = (b − a)/(2g),  t = sign(ζ)/(|ζ| + √(1 + ζ²)),  c = 1/√(1 + t²),
//   s = c·t,  wᵢ ← c·wᵢ − s·wⱼ,  wⱼ ← s·wᵢ + c·wⱼ,
// and the squared norms follow as a − t·g and b + t·g; one that falls
// below an eighth of its value is summed again from its row, and all are
// summed again at the start of each sweep.  The same rotations, applied
// to the rows of G (when given), accumulate G.
//
// A sweep is the round-robin tournament on the rows: n − 1 rounds (n
// even; an odd n gets an idle row) of n/2 disjoint pairs.  The pairs of a
// round are independent, each with its own arithmetic, and go to the
// threads in chunks (forChunks): the bits do not depend on the number of
// threads.  Nothing is checked: W's entries must be finite and scaled so
// that n times the square of the largest cannot overflow; G, when given,
// has as many rows as W.
#ifndef ZELKOR_DETAIL_SVD_JACOBI_H
#define ZELKOR_DETAIL_SVD_JACOBI_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/svd/jacobi.h> is internal to the library: include <zelkor/svd> instead"
#endif

#include <cmath>
#include <limits>
#include <vector>

#include "../../cmat_zelkor"
#include "../kernels.h"
#include "../threads.h"

namespace ZELKOR {
namespace detail {

// ‖w‖² over the first n entries of row w, in increasing index.
template <class T>
T squaredNorm(const T* w, int n) {
    return sum1<SumPlusRowCol>(w, w, 0, n, T(0));
}

// The pairs of round `round` (0 ... players − 2) of the tournament on
// `players` (even) rows, each as (smaller, larger); pairs with the idle
// row `players − 1` of an odd count are left out (rows < n only).
inline void tournamentRound(int players, int n, int round, std::vector<int>& first, std::vector<int>& second) {
    first.clear();
    second.clear();
    const int cycle = players - 1;
    for (int k = 0; k < players / 2; k++) {
        const int p = k == 0 ? cycle : (round + k) % cycle;
        const int q = (round - k + cycle) % cycle;
        const int i = p < q ? p : q, j = p < q ? q : p;
        if (j < n) {
            first.push_back(i);
            second.push_back(j);
        }
    }
}

// x ← c·x − s·y, y ← s·x + c·y with τ = s/(1 + c) = tan(θ/2) in
// Rutishauser's form x − s·(y + τ·x), y + s·(x − τ·y): each row changes
// by a correction computed to small relative error, and c² + s² − 1 does
// not enter, so a rotation by a small angle hardly changes the norms'
// rounding.
template <class T>
void rotateRows(T* x, T* y, const T& s, const T& tau, int n) {
    for (int k = 0; k < n; k++) {
        const T a = x[k], b = y[k];
        x[k] = a - s * (b + tau * a);
        y[k] = b + s * (a - tau * b);
    }
}

// The rotation of rows i, j of W (and of G when it has rows), when they
// are not orthogonal to `tol`; d holds the squared norms.  Returns
// whether it rotated.
template <class T>
bool jacobiRotate(Matrix<T>& W, Matrix<T>& G, std::vector<T>& d, int i, int j, const T& tol) {
    const int n = W.num_cols();
    T* wi = W[i];
    T* wj = W[j];
    const T a = d[i], b = d[j];
    const T g = sum1<SumPlusRowCol>(wi, wj, 0, n, T(0));
    if (!(std::abs(g) > tol * std::sqrt(a) * std::sqrt(b))) return false;
    const T zeta = (b - a) / (2 * g);
    const T bigZeta = 1 / std::numeric_limits<T>::epsilon();
    const T az = std::abs(zeta);
    T t = az > bigZeta ? 1 / (2 * az) : 1 / (az + std::sqrt(1 + zeta * zeta));
    if (zeta < 0) t = -t;
    const T c = 1 / std::sqrt(1 + t * t);
    const T s = c * t, tau = s / (1 + c);
    rotateRows(wi, wj, s, tau, n);
    if (G.num_rows()) {
        rotateRows(G[i], G[j], s, tau, G.num_cols());
    }
    const T ai = a - t * g, bj = b + t * g;
    d[i] = ai < a / 8 ? squaredNorm(wi, n) : ai;
    d[j] = bj < b / 8 ? squaredNorm(wj, n) : bj;
    return true;
}

// Sweeps until one rotates no pair, at most maxSweeps; G (rows as W's, or
// 0 × 0 for none) accumulates the rotations.  Returns whether the last
// sweep found every pair orthogonal.
template <class T>
bool jacobiRows(Matrix<T>& W, Matrix<T>& G, const T& tol, int maxSweeps) {
    const int n = W.num_rows(), cols = W.num_cols();
    const int players = n + (n & 1);
    std::vector<T> d((std::size_t)n);
    std::vector<int> first, second;
    std::vector<char> rotated;
    for (int sweep = 0; sweep < maxSweeps; sweep++) {
        for (int i = 0; i < n; i++) d[(std::size_t)i] = squaredNorm(W[i], cols);
        bool any = false;
        for (int round = 0; round + 1 < players; round++) {
            tournamentRound(players, n, round, first, second);
            const int pairs = (int)first.size();
            rotated.assign((std::size_t)pairs, 0);
            const double work = (double)pairs * (3.0 * cols + 2.0 * G.num_cols());
            forChunks(
                pairs, Step(work),
                [&](int p0, int p1) {
                    for (int p = p0; p < p1; p++)
                        rotated[(std::size_t)p] = jacobiRotate(W, G, d, first[(std::size_t)p], second[(std::size_t)p], tol);
                },
                1);
            for (char r : rotated) any = any || r;
        }
        if (!any) return true;
    }
    return false;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
