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
// threads.  The pairs of a round and of the next one form a chain (row x
// of one pair meets row z of the pair before it in the next round), and
// a round runs along it: rotating a pair also sums ⟨x, z⟩ for the next
// round while the rotated x is at hand, one row read instead of two.  A
// pair is not looked at again when neither row has rotated since it was
// found orthogonal a sweep before.  Every inner product is summed from
// zero in increasing index, wherever it is summed.  The rows of W and G
// are held as pairs of doubles where that keeps them (RotatedRows), with
// all arithmetic in T: the bits are those of rows held in T but for
// entries far below their row's norm (see splitScale).  Nothing is checked:
// W's entries must be finite and scaled so that n times the square of
// the largest cannot overflow; G, when given, has as many rows as W.
#ifndef ZELKOR_DETAIL_SVD_JACOBI_H
#define ZELKOR_DETAIL_SVD_JACOBI_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/svd/jacobi.h> is internal to the library: include <zelkor/svd> instead"
#endif

#include <algorithm>
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
// `players` rows, n rounded up to even, each as (smaller, larger); pairs
// with the idle row n of an odd n are left out.
inline void tournamentRound(int n, int round, std::vector<int>& first, std::vector<int>& second) {
    first.clear();
    second.clear();
    const int players = n + (n & 1), cycle = players - 1;
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

// A row held in T.
template <class T>
struct PlainRow {
    T* p;
    T operator[](int k) const { return p[k]; }
    void set(int k, const T& x) const { p[k] = x; }
};

// A row held as pairs of doubles, x = hi + lo (see RotatedRows).
template <class T>
struct SplitRow {
    double* hi;
    double* lo;
    T operator[](int k) const { return T(hi[k]) + T(lo[k]); }
    void set(int k, const T& x) const {
        const double h = double(x);
        hi[k] = h;
        lo[k] = double(x - T(h));
    }
};

// ⟨x, z⟩ over the first n entries, summed from zero in increasing index.
template <class T, class Row>
T rowProduct(const Row& x, const Row& z, int n) {
    T sum(0);
    for (int k = 0; k < n; k++) sum = sum + x[k] * z[k];
    return sum;
}

// x ← c·x − s·y, y ← s·x + c·y with τ = s/(1 + c) = tan(θ/2) in
// Rutishauser's form x − s·(y + τ·x), y + s·(x − τ·y): each row changes
// by a correction computed to small relative error, and c² + s² − 1 does
// not enter, so a rotation by a small angle hardly changes the norms'
// rounding.
template <class T, class Row>
void rotateRows(const Row& x, const Row& y, const T& s, const T& tau, int n) {
    for (int k = 0; k < n; k++) {
        const T a = x[k], b = y[k];
        x.set(k, a - s * (b + tau * a));
        y.set(k, b + s * (a - tau * b));
    }
}

// rotateRows, returning ⟨x', z⟩ (First) or ⟨y', z⟩ of a rotated row,
// summed as rowProduct sums it.
template <bool First, class T, class Row>
T rotateRowsProduct(const Row& x, const Row& y, const T& s, const T& tau, const Row& z, int n) {
    T sum(0);
    for (int k = 0; k < n; k++) {
        const T a = x[k], b = y[k];
        const T u = a - s * (b + tau * a), v = b + s * (a - tau * b);
        x.set(k, u);
        y.set(k, v);
        sum = sum + (First ? u : v) * z[k];
    }
    return sum;
}

// The rows of a matrix M during the rotations.  Where T carries 64 digits
// (x86's 80-bit format) and `split` asks for it, each entry x is held as
// two doubles, hi = x rounded and lo = x − hi (at most 11 digits), whose
// sum is x exactly for 2^-1011 ≤ |x| < 2^1023 and within 2^-1074 of it
// below: two doubles store faster than one 80-bit value, and all
// arithmetic is in T as on M's own rows.  Otherwise M's rows themselves.
template <class T>
class RotatedRows {
public:
    static const bool splittable =
        std::numeric_limits<T>::digits == 64 && std::numeric_limits<double>::digits == 53;

    RotatedRows(Matrix<T>& M, bool split) : M_(M), n_(M.num_cols()), split_(splittable && split) {
        if (!split_) return;
        hi_.resize((std::size_t)M.num_rows() * (std::size_t)n_);
        lo_.resize(hi_.size());
        for (int i = 0; i < M.num_rows(); i++)
            for (int k = 0; k < n_; k++) splitRow(i).set(k, M[i][k]);
    }

    int rows() const { return M_.num_rows(); }
    int columns() const { return n_; }
    bool split() const { return split_; }

    // Rows i, j rotated (rotateRows).
    void rotate(int i, int j, const T& s, const T& tau) {
        if (split_)
            rotateRows(splitRow(i), splitRow(j), s, tau, n_);
        else
            rotateRows(plainRow(i), plainRow(j), s, tau, n_);
    }

    // Rows i, j rotated, and the product of the new i (First) or j with
    // row z (rotateRowsProduct).
    template <bool First>
    T rotateProduct(int i, int j, const T& s, const T& tau, int z) {
        if (split_) return rotateRowsProduct<First>(splitRow(i), splitRow(j), s, tau, splitRow(z), n_);
        return rotateRowsProduct<First>(plainRow(i), plainRow(j), s, tau, plainRow(z), n_);
    }

    // ⟨row i, row z⟩ (rowProduct).
    T product(int i, int z) {
        if (split_) return rowProduct<T>(splitRow(i), splitRow(z), n_);
        return rowProduct<T>(plainRow(i), plainRow(z), n_);
    }

    // The rows back in M, held there from now on.
    void unsplit() {
        if (!split_) return;
        for (int i = 0; i < M_.num_rows(); i++)
            for (int k = 0; k < n_; k++) M_[i][k] = splitRow(i)[k];
        split_ = false;
        std::vector<double>().swap(hi_);
        std::vector<double>().swap(lo_);
    }

private:
    PlainRow<T> plainRow(int i) { return PlainRow<T>{M_[i]}; }
    SplitRow<T> splitRow(int i) {
        const std::size_t at = (std::size_t)i * (std::size_t)n_;
        return SplitRow<T>{hi_.data() + at, lo_.data() + at};
    }

    Matrix<T>& M_;
    const int n_;
    bool split_;
    std::vector<double> hi_, lo_;
};

// The rotation of rows with squared norms a, b and product g: s and τ of
// rotateRows, and t = tan θ.  False, leaving them, when the rows are
// orthogonal to tol, or when tol·‖wᵢ‖·‖wⱼ‖ is below the smallest normal
// number: g, a sum of subnormal products, cannot be resolved to it, and
// such rows (at most about 2^-12000 of the largest, the scaling's range)
// count as orthogonal.  Non-finite a, b or g: false as well.
template <class T>
bool pairRotation(const T& a, const T& b, const T& g, const T& tol, T& s, T& tau, T& t) {
    const T bound = tol * std::sqrt(a) * std::sqrt(b);
    if (!(bound >= std::numeric_limits<T>::min()) || !(std::abs(g) > bound)) return false;
    const T zeta = (b - a) / (2 * g);
    const T bigZeta = 1 / std::numeric_limits<T>::epsilon();
    const T az = std::abs(zeta);
    t = az > bigZeta ? 1 / (2 * az) : 1 / (az + std::sqrt(1 + zeta * zeta));
    if (zeta < 0) t = -t;
    const T c = 1 / std::sqrt(1 + t * t);
    s = c * t;
    tau = s / (1 + c);
    return true;
}

// Row `row` of a pair meets row `partner` in pair `next` of the next
// round (row −1: no such link).
struct ChainLink {
    int row, partner, next;
};

// A round along its chain: its pairs (first, second) in the order
// `order`; back[e], the link of the pair at position e to the pair at
// e − 1 (none at the start of a path); `closing`, the other links of the
// next round (closing a cycle, or to a row idle this round).  pairOf,
// nextPartner, nextPair and seen are scratch.
struct RoundChain {
    std::vector<int> first, second, order;
    std::vector<ChainLink> back, closing;
    std::vector<int> pairOf, nextPartner, nextPair;
    std::vector<char> seen;
};

// Lays c's pairs along the paths and cycles that the next round's pairs
// (nextFirst, nextSecond) draw through them, over rows 0 ... n − 1: the
// paths from an end first, then the cycles.
inline void chainRound(int n, const std::vector<int>& nextFirst, const std::vector<int>& nextSecond,
                       RoundChain& c) {
    const int pairs = (int)c.first.size();
    c.pairOf.assign((std::size_t)n, -1);
    c.nextPartner.assign((std::size_t)n, -1);
    c.nextPair.assign((std::size_t)n, -1);
    c.seen.assign((std::size_t)pairs, 0);
    for (int p = 0; p < pairs; p++)
        c.pairOf[(std::size_t)c.first[(std::size_t)p]] = c.pairOf[(std::size_t)c.second[(std::size_t)p]] = p;
    for (std::size_t q = 0; q < nextFirst.size(); q++) {
        const int u = nextFirst[q], v = nextSecond[q];
        c.nextPartner[(std::size_t)u] = v;
        c.nextPartner[(std::size_t)v] = u;
        c.nextPair[(std::size_t)u] = c.nextPair[(std::size_t)v] = (int)q;
    }
    const auto linkOf = [&](int r) {
        return ChainLink{r, c.nextPartner[(std::size_t)r], c.nextPair[(std::size_t)r]};
    };
    const auto end = [&](int r) {
        const int z = c.nextPartner[(std::size_t)r];
        return z < 0 || c.pairOf[(std::size_t)z] < 0;
    };
    c.order.clear();
    c.back.clear();
    c.closing.clear();
    for (int pass = 0; pass < 2; pass++)
        for (int start = 0; start < pairs; start++) {
            const int i = c.first[(std::size_t)start], j = c.second[(std::size_t)start];
            if (c.seen[(std::size_t)start] || (pass == 0 && !end(i) && !end(j))) continue;
            int out = end(j) ? i : j, p = start;
            const int in = out == i ? j : i;
            if (c.nextPartner[(std::size_t)in] >= 0 && end(in)) c.closing.push_back(linkOf(in));
            ChainLink back{-1, -1, -1};
            for (;;) {
                c.seen[(std::size_t)p] = 1;
                c.order.push_back(p);
                c.back.push_back(back);
                if (c.nextPartner[(std::size_t)out] < 0) break;
                const ChainLink l = linkOf(out);
                const int q = c.pairOf[(std::size_t)l.partner];
                if (q < 0 || c.seen[(std::size_t)q]) {
                    c.closing.push_back(l);
                    break;
                }
                back = ChainLink{l.partner, out, l.next};
                p = q;
                out =
                    c.first[(std::size_t)p] == l.partner ? c.second[(std::size_t)p] : c.first[(std::size_t)p];
            }
        }
}

// The state of the sweeps: the rows' squared norms d; this round's
// products g, with live[p] 0 for a pair known orthogonal (not looked
// at); the next round's, nextG and nextLive; per pair whether it
// rotated, per chain position whether its link was summed; per row the
// round of its last rotation (−1: none).
template <class T>
struct JacobiState {
    std::vector<T> d, g, nextG;
    std::vector<char> live, nextLive, rotated, linked;
    std::vector<long> stamp;
};

// The next round's product of link l (the next round is round `next` of
// all sweeps, `rounds` a sweep): not summed when neither row has rotated
// since the pair was looked at a sweep before.
template <class T>
void linkProduct(RotatedRows<T>& W, JacobiState<T>& s, const ChainLink& l, long next, long rounds) {
    const long last = std::max(s.stamp[(std::size_t)l.row], s.stamp[(std::size_t)l.partner]);
    s.nextLive[(std::size_t)l.next] = last >= next - rounds;
    if (last >= next - rounds) s.nextG[(std::size_t)l.next] = W.product(l.row, l.partner);
}

// The pairs at chain positions e0 ... e1 − 1 of round `now` rotated (W,
// and G when it has rows) where not orthogonal to tol, summing the
// products of their links back, but for the first's.
template <class T>
void chainStretch(RotatedRows<T>& W, RotatedRows<T>& G, JacobiState<T>& s, const RoundChain& c, int e0,
                  int e1, const T& tol, long now, long rounds) {
    for (int e = e0; e < e1; e++) {
        const int p = c.order[(std::size_t)e], i = c.first[(std::size_t)p], j = c.second[(std::size_t)p];
        const ChainLink& l = c.back[(std::size_t)e];
        const bool fuse = e > e0 && l.row >= 0;
        const T a = s.d[(std::size_t)i], b = s.d[(std::size_t)j], g = s.g[(std::size_t)p];
        T sn, tau, t;
        const bool rotate = s.live[(std::size_t)p] && pairRotation(a, b, g, tol, sn, tau, t);
        s.rotated[(std::size_t)p] = rotate;
        s.linked[(std::size_t)e] = fuse;
        if (!rotate) {
            if (fuse) linkProduct(W, s, l, now + 1, rounds);
            continue;
        }
        s.stamp[(std::size_t)i] = s.stamp[(std::size_t)j] = now;
        if (!fuse) {
            W.rotate(i, j, sn, tau);
        } else {
            s.nextG[(std::size_t)l.next] = l.row == i
                                               ? W.template rotateProduct<true>(i, j, sn, tau, l.partner)
                                               : W.template rotateProduct<false>(i, j, sn, tau, l.partner);
            s.nextLive[(std::size_t)l.next] = 1;
        }
        if (G.rows()) G.rotate(i, j, sn, tau);
        const T ai = a - t * g, bj = b + t * g;
        s.d[(std::size_t)i] = ai < a / 8 ? W.product(i, i) : ai;
        s.d[(std::size_t)j] = bj < b / 8 ? W.product(j, j) : bj;
    }
}

// Round `now` along its chain c, with `nextPairs` pairs in the next
// round; then the links not summed on the way.  Returns whether a pair
// rotated.
template <class T>
bool jacobiRound(RotatedRows<T>& W, RotatedRows<T>& G, JacobiState<T>& s, const RoundChain& c, int nextPairs,
                 const T& tol, long now, long rounds) {
    const int positions = (int)c.order.size();
    s.rotated.assign(c.first.size(), 0);
    s.linked.assign((std::size_t)positions, 0);
    s.nextG.assign((std::size_t)nextPairs, T(0));
    s.nextLive.assign((std::size_t)nextPairs, 0);
    const double work = (double)positions * (3.0 * W.columns() + 2.0 * G.columns());
    forChunks(
        positions, Step(work), [&](int e0, int e1) { chainStretch(W, G, s, c, e0, e1, tol, now, rounds); },
        1);
    for (int e = 0; e < positions; e++)
        if (c.back[(std::size_t)e].row >= 0 && !s.linked[(std::size_t)e])
            linkProduct(W, s, c.back[(std::size_t)e], now + 1, rounds);
    for (const ChainLink& l : c.closing) linkProduct(W, s, l, now + 1, rounds);
    for (char r : s.rotated)
        if (r) return true;
    return false;
}

// Whether the rows of W (or G) may be held as pairs of doubles
// (RotatedRows): its nonzero entries span at most 2^1860, so that scaled
// by 2^e (e set here) they lie in [2^-901, 2^960).  W's rows are held in
// T again, at their own scale, when a squared norm falls below 2^-1800
// (splitLimitPassed): until then each row is held exactly, or within
// 2^-1074 an entry, at most 2^-174 of the row's norm (G's rows, those of
// an orthogonal matrix, keep their norms near 2^959).
template <class T>
bool splitScale(const Matrix<T>& W, int& e) {
    int top = std::numeric_limits<int>::min(), bottom = std::numeric_limits<int>::max();
    for (int i = 0; i < W.num_rows(); i++)
        for (int k = 0; k < W.num_cols(); k++) {
            if (W[i][k] == 0) continue;
            int x;
            std::frexp(W[i][k], &x);
            top = std::max(top, x);
            bottom = std::min(bottom, x);
        }
    if (!RotatedRows<T>::splittable || top < bottom || top - bottom > 1860) return false;
    e = 960 - top;
    return true;
}

// Whether a row's squared norm d lies in (0, 2^-1800).
template <class T>
bool splitLimitPassed(const std::vector<T>& d) {
    const T limit = std::ldexp(T(1), -1800);
    for (const T& x : d)
        if (x > 0 && x < limit) return true;
    return false;
}

// M's entries scaled by 2^e.
template <class T>
void scaleEntries(Matrix<T>& M, int e) {
    for (int i = 0; i < M.num_rows(); i++)
        for (int k = 0; k < M.num_cols(); k++) M[i][k] = std::ldexp(M[i][k], e);
}

// The squared norms and products of s scaled by 2^(2e).
template <class T>
void scaleSums(JacobiState<T>& s, int e) {
    for (T& x : s.d) x = std::ldexp(x, 2 * e);
    for (T& x : s.g) x = std::ldexp(x, 2 * e);
}

// Sweeps until one rotates no pair, at most maxSweeps; G (rows as W's, or
// 0 × 0 for none) accumulates the rotations.  Returns whether the last
// sweep found every pair orthogonal.
template <class T>
bool jacobiRows(Matrix<T>& W, Matrix<T>& G, const T& tol, int maxSweeps) {
    const int n = W.num_rows(), cols = W.num_cols();
    if (n < 2) return true;
    const int rounds = n + (n & 1) - 1;
    JacobiState<T> s;
    int e = 0, eG = 0;
    const bool split = splitScale(W, e), splitG = splitScale(G, eG);
    if (split) scaleEntries(W, e);
    if (splitG) scaleEntries(G, eG);
    RotatedRows<T> rows(W, split), rotations(G, splitG);
    RoundChain c;
    std::vector<int> nextFirst, nextSecond;
    s.d.resize((std::size_t)n);
    s.stamp.assign((std::size_t)n, -1);
    tournamentRound(n, 0, c.first, c.second);
    const int pairs = (int)c.first.size();
    s.g.resize((std::size_t)pairs);
    s.live.assign((std::size_t)pairs, 1);
    forChunks(
        pairs, Step((double)pairs * cols),
        [&](int p0, int p1) {
            for (int p = p0; p < p1; p++)
                s.g[(std::size_t)p] = rows.product(c.first[(std::size_t)p], c.second[(std::size_t)p]);
        },
        1);
    bool converged = false;
    for (int sweep = 0; sweep < maxSweeps && !converged; sweep++) {
        for (int i = 0; i < n; i++) s.d[(std::size_t)i] = rows.product(i, i);
        converged = true;
        for (int round = 0; round < rounds; round++) {
            tournamentRound(n, (round + 1) % rounds, nextFirst, nextSecond);
            chainRound(n, nextFirst, nextSecond, c);
            const long now = (long)sweep * rounds + round;
            if (jacobiRound(rows, rotations, s, c, (int)nextFirst.size(), tol, now, rounds))
                converged = false;
            c.first.swap(nextFirst);
            c.second.swap(nextSecond);
            s.g.swap(s.nextG);
            s.live.swap(s.nextLive);
            if (rows.split() && splitLimitPassed(s.d)) {
                rows.unsplit();
                scaleEntries(W, -e);
                scaleSums(s, -e);
            }
        }
    }
    if (rows.split()) {
        rows.unsplit();
        scaleEntries(W, -e);
    }
    rotations.unsplit();
    if (splitG) scaleEntries(G, -eG);
    return converged;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
