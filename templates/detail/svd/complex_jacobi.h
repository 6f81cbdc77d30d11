// -*- C++ -*-
// SPDX-License-Identifier: MIT
// One-sided Jacobi on the rows of a complex W, the counterpart of
// jacobi.h's jacobiRows chosen by overloading: unitary plane rotations
// applied from the left until the rows are mutually orthogonal,
//   |⟨wᵢ, wⱼ⟩| ≤ tol·‖wᵢ‖·‖wⱼ‖,  ⟨x, y⟩ = Σₖ xₖ·conj(yₖ).
// With g = ⟨wᵢ, wⱼ⟩ = |g|·p, |p| = 1, the rows wᵢ and p·wⱼ have the real
// product |g|, and the real rotation of jacobi.h (pairRotation, with
// a = ‖wᵢ‖², b = ‖wⱼ‖² and |g|) annihilates it:
//   wᵢ ← wᵢ − (q·wⱼ + r·wᵢ),  wⱼ ← wⱼ + (conj(q)·wᵢ − r·wⱼ),
// q = s·p, r = s·τ: Rutishauser's form of c·wᵢ − s·p·wⱼ and
// conj(p)·(s·wᵢ + c·p·wⱼ) (each row changes by a small correction), the
// matrix [c, −s·p; s·conj(p), c] being unitary.  The squared norms follow
// as a − t·|g| and b + t·|g|, summed again from the row when one falls
// below an eighth of its value and at the start of every sweep.  The same
// rotations accumulate G (when it has rows).
//
// A sweep is the round-robin tournament of jacobi.h; the disjoint pairs
// of a round go to the threads in chunks (forChunks), each pair summing
// its own products from zero in increasing index, so the bits do not
// depend on the number of threads.  A pair is not looked at again when
// neither row has rotated since it was found orthogonal a sweep before.  Nothing is checked: W's entries must
// be finite and scaled so that n times the square of the largest cannot
// overflow; G, when given, has as many rows as W.
#ifndef ZELKOR_DETAIL_SVD_COMPLEX_JACOBI_H
#define ZELKOR_DETAIL_SVD_COMPLEX_JACOBI_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/svd/complex_jacobi.h> is internal to the library: include <zelkor/svd> instead"
#endif

#include <algorithm>
#include <complex>
#include <vector>

#include "../../cmat_zelkor"
#include "../scalar.h"
#include "../threads.h"
#include "jacobi.h"

namespace ZELKOR {
namespace detail {

// ‖w‖² over the first n entries, in increasing index.
template <class T>
T squaredNorm(const std::complex<T>* w, int n) {
    T sum = 0;
    for (int k = 0; k < n; k++) sum = sum + (w[k].real() * w[k].real() + w[k].imag() * w[k].imag());
    return sum;
}

// ⟨x, y⟩ = Σₖ xₖ·conj(yₖ) over the first n entries, in increasing index.
template <class T>
std::complex<T> hermitianProduct(const std::complex<T>* x, const std::complex<T>* y, int n) {
    T re = 0, im = 0;
    for (int k = 0; k < n; k++) {
        const T xr = x[k].real(), xi = x[k].imag(), yr = y[k].real(), yi = y[k].imag();
        re = re + (xr * yr + xi * yi);
        im = im + (xi * yr - xr * yi);
    }
    return {re, im};
}

// x ← x − (q·y + r·x), y ← y + (conj(q)·x − r·y) over n entries, with
// q = s·p and r = s·τ.
template <class T>
void rotateComplexRows(std::complex<T>* x, std::complex<T>* y, const std::complex<T>& p, const T& s,
                       const T& tau, int n) {
    const T qr = s * p.real(), qi = s * p.imag(), r = s * tau;
    for (int k = 0; k < n; k++) {
        const T ar = x[k].real(), ai = x[k].imag(), br = y[k].real(), bi = y[k].imag();
        x[k] = {ar - ((qr * br - qi * bi) + r * ar), ai - ((qr * bi + qi * br) + r * ai)};
        y[k] = {br + ((qr * ar + qi * ai) - r * br), bi + ((qr * ai - qi * ar) - r * bi)};
    }
}

// Rows i and j of W (and of G when it has rows) rotated in round `now`
// unless orthogonal to tol, d[i] and d[j] their squared norms, stamp[]
// the rows' rounds of their last rotation (−1: none); whether they
// rotated.  Not looked at when neither row rotated since round
// now − rounds, when the pair was last found orthogonal.
template <class T>
bool rotateComplexPair(Matrix<std::complex<T>>& W, Matrix<std::complex<T>>& G, std::vector<T>& d,
                       std::vector<long>& stamp, int i, int j, const T& tol, long now, long rounds) {
    if (std::max(stamp[(std::size_t)i], stamp[(std::size_t)j]) < now - rounds) return false;
    const int n = W.num_cols();
    const std::complex<T> g = hermitianProduct(W[i], W[j], n);
    const T a = d[(std::size_t)i], b = d[(std::size_t)j], ag = modulus(g);
    T s, tau, t;
    if (!pairRotation(a, b, ag, tol, s, tau, t)) return false;
    const std::complex<T> p = div(g, ag);
    rotateComplexRows(W[i], W[j], p, s, tau, n);
    stamp[(std::size_t)i] = stamp[(std::size_t)j] = now;
    if (G.num_rows()) rotateComplexRows(G[i], G[j], p, s, tau, G.num_cols());
    const T ai = a - t * ag, bj = b + t * ag;
    d[(std::size_t)i] = ai < a / 8 ? squaredNorm(W[i], n) : ai;
    d[(std::size_t)j] = bj < b / 8 ? squaredNorm(W[j], n) : bj;
    return true;
}

// Sweeps until one rotates no pair, at most maxSweeps; G (rows as W's, or
// 0 × 0 for none) accumulates the rotations.  Returns whether the last
// sweep found every pair orthogonal.
template <class T>
bool jacobiRows(Matrix<std::complex<T>>& W, Matrix<std::complex<T>>& G, const T& tol, int maxSweeps) {
    const int n = W.num_rows(), cols = W.num_cols();
    if (n < 2) return true;
    const int rounds = n + (n & 1) - 1;
    std::vector<T> d((std::size_t)n);
    std::vector<long> stamp((std::size_t)n, -1);
    std::vector<int> first, second;
    std::vector<char> rotated;
    bool converged = false;
    for (int sweep = 0; sweep < maxSweeps && !converged; sweep++) {
        for (int i = 0; i < n; i++) d[(std::size_t)i] = squaredNorm(W[i], cols);
        converged = true;
        for (int round = 0; round < rounds; round++) {
            tournamentRound(n, round, first, second);
            const int pairs = (int)first.size();
            rotated.assign((std::size_t)pairs, 0);
            const long now = (long)sweep * rounds + round;
            const Step step((double)pairs * (12.0 * cols + 8.0 * G.num_cols()));
            forChunks(
                pairs, step,
                [&](int p0, int p1) {
                    for (int p = p0; p < p1; p++)
                        rotated[(std::size_t)p] = rotateComplexPair(W, G, d, stamp, first[(std::size_t)p],
                                                                    second[(std::size_t)p], tol, now, rounds);
                },
                1);
            for (char r : rotated)
                if (r) converged = false;
        }
    }
    return converged;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
