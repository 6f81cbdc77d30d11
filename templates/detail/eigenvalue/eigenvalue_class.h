// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Eigenvalue<T>: eigen-decomposition of a real square matrix A, done in the
// constructor.  An exactly symmetric A is reduced to tridiagonal form by
// Householder transformations (tred2) and diagonalised by the implicit QL
// iteration (tql2): real eigenvalues in ascending order, orthonormal
// eigenvectors.  Any other A is reduced to upper Hessenberg form (orthes),
// to real Schur form by the shifted double-step QR iteration
// (schurIteration), and its eigenvectors follow by back-substitution
// (schurEigenvectors): real eigenvalues and complex-conjugate pairs, +μ
// first, the pair's eigenvector u + i·v held as columns u, v of V.  In
// every case A·V = V·D, D from getD.
//
// Negligibility is judged against 2⁻⁵² although the arithmetic is in T,
// by default; EigenOptions::negligibility = Negligibility::typeEpsilon
// judges it against T's own epsilon (2⁻⁶³ for long double), which brings
// the backward error of the eigenvalues down to a few units of T.
//
// EigenOptions::refinement = Refinement::bisection refines the symmetric
// path's eigenvalues by bisection on the tridiagonal matrix (see
// bisectEigenvalues): the QL iteration's rounding accumulates over its
// passes, the bisection's does not.  The eigenvectors are the QL's.
//
// EigenOptions::vectors = false computes the eigenvalues alone: no
// transformation is accumulated and the Schur iteration updates only the
// columns its eigenvalues read.  Every eigenvalue, isConverged() and
// isBalanced() are then the same bits as with the vectors; getV and getD
// are not to be used (getV gives an empty matrix).
//
// A badly scaled nonsymmetric A (see detail::isBadlyScaled) is balanced first,
// by default: without it the iteration's accuracy is relative to A's
// largest entries and small eigenvalues are lost.  The constructor's second
// argument asks for balancing always or never; isBalanced() tells whether
// it ran.
//
// Any finite entries: when A's largest magnitude is outside the range in
// which the iterations' squares and products stay normal and finite (see
// detail::rangeShift), a copy of A scaled into it by a power of two is
// decomposed, and the eigenvalues are scaled back, exactly unless they
// leave T's range (then they round as IEEE arithmetic does: to a
// subnormal, 0 or ∞).  The eigenvectors need no scaling back.  Inside the
// range A is decomposed as given.
//
// Both iterations are bounded (see detail::maxIterations); isConverged()
// tells whether every eigenvalue was found and is finite.  A matrix with no
// columns gives empty results.  The shape is checked by ordinary code, not
// only by assertions: a matrix that is not square gives empty results and
// isConverged() = 0.  Entries that are not finite are not refused: they
// give isConverged() = 0.
//
// EigenOptions::observer is told of the eigenvalues found and may stop the
// decomposition between its steps (see EigenObserver): isConverged() is
// then 0 and the results are those of the unfinished work, not to be used.
#ifndef ZELKOR_DETAIL_EIGENVALUE_EIGENVALUE_CLASS_H
#define ZELKOR_DETAIL_EIGENVALUE_EIGENVALUE_CLASS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/eigenvalue_class.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include <cmath>
#include <limits>

#include "../../cmat_zelkor"
#include "../../vec_zelkor"
#include "balancing.h"
#include "bisection.h"
#include "eigenvectors.h"
#include "hessenberg.h"
#include "iteration.h"
#include "schur_iteration.h"
#include "symmetric_ql.h"
#include "tridiagonal.h"

namespace ZELKOR {

namespace detail {

// The safe range [2^low, 2^high) of a matrix's largest magnitude m, p
// being T's digits: low = min_exponent/2 + 2p, high = max_exponent/2 − 2p.
// The iterations form squares and products of two values (entries,
// shifts, subdiagonals near deflation), and sums of such products.  With m
// in the range, a product of two values between 2^−2p·m and 2^p·m is
// normal, and a sum of 2^p of them finite.  While every value stays so,
// each operation rounds as it would on the matrix scaled by any other
// power of two in the range: the eigenvalues of 2^k·A are 2^k times those
// of A, bit for bit, and its eigenvectors the same.
template <class T>
int rangeLow() {
    return std::numeric_limits<T>::min_exponent / 2 + 2 * std::numeric_limits<T>::digits;
}

template <class T>
int rangeHigh() {
    return std::numeric_limits<T>::max_exponent / 2 - 2 * std::numeric_limits<T>::digits;
}

// rangeShift(m): the power of two k that brings m into the range, as
// little as it takes: 2^k·m in [2^(high−1), 2^high) from above, in
// [2^low, 2^(low+1)) from below (a subnormal m included).  0 when m is
// inside, 0, or not finite.
template <class T>
int rangeShift(T m) {
    const int low = rangeLow<T>();
    const int high = rangeHigh<T>();
    if (m == T(0) || !std::isfinite(m)) return 0;
    const int e = std::ilogb(m);  // m in [2^e, 2^(e+1))
    if (e >= high) return high - 1 - e;
    if (e < low) return low - e;
    return 0;
}

}  // namespace detail

// The threshold below which the iterations take an entry as negligible,
// relative to its neighbours: 2⁻⁵², or the type's epsilon.
enum class Negligibility { double52, typeEpsilon };

// The symmetric path's eigenvalues: the QL iteration's, or those refined
// by bisection.
enum class Refinement { none, bisection };

// The choices of an eigen-decomposition (see Eigenvalue); the defaults are
// those of Eigenvalue(A).  A constructor rather than member initializers,
// so that EigenOptions{...} also works in C++11.
struct EigenOptions {
    EigenOptions(Balancing b = Balancing::whenBadlyScaled, Negligibility n = Negligibility::double52,
                 bool withVectors = true, EigenObserver o = EigenObserver{nullptr, nullptr})
        : balancing(b), negligibility(n), vectors(withVectors), observer(o) {}
    Balancing balancing;
    Negligibility negligibility;
    bool vectors;
    EigenObserver observer;
    Refinement refinement = Refinement::none;
};

template <class T>
class Eigenvalue {
public:
    // Optional observer of the iteration (see EigenObserver).
    typedef EigenObserver Observer;

    // The members are built in place, each with its final size (the work
    // storage of the path not taken is empty): no temporary matrix is made
    // but the scaled copy of an A outside the safe range.
    Eigenvalue(const Matrix<T>& A, Balancing balancing = Balancing::whenBadlyScaled,
               Observer observer = Observer{nullptr, nullptr})
        : Eigenvalue(A, EigenOptions{balancing, Negligibility::double52, true, observer}) {}

    // Without vectors the symmetric path reduces A in hess_, V_ stays empty.
    Eigenvalue(const Matrix<T>& A, const EigenOptions& options)
        : observer_(options.observer),
          eps_(options.negligibility == Negligibility::typeEpsilon ? std::numeric_limits<T>::epsilon()
                                                                   : T(std::pow(2.0, -52.0))),
          vectors_(options.vectors),
          refine_(options.refinement == Refinement::bisection),
          n_(order(A)),
          symmetric_(isSymmetric(A)),
          realPart_(n_, 0),
          imagPart_(n_, 0),
          V_(vectors_ ? n_ : 0, vectors_ ? n_ : 0, 0),
          hess_(symmetric_ && vectors_ ? 0 : n_, symmetric_ && vectors_ ? 0 : n_, 0),
          ort_(symmetric_ ? 0 : n_, 0),
          rotations_(symmetric_ ? 2 * n_ : 0, 0),
          tridiag_(symmetric_ && refine_ ? 2 * n_ : 0, 0),
          reflectors_(symmetric_ ? 0 : 5 * n_, 0),
          applied_(symmetric_ ? 0 : n_, 0),
          converged_(A.num_rows() == A.num_cols()),
          balanced_(0) {
        if (n_ == 0) return;
        const int shift = rangeShift(A, n_);
        if (shift == 0) {
            decompose(A, options.balancing);
        } else {
            Matrix<T> scaled(n_, n_, 0);
            for (int i = 0; i < n_; i++)
                for (int j = 0; j < n_; j++) scaled[i][j] = std::ldexp(A[i][j], shift);
            decompose(scaled, options.balancing);
            for (int i = 0; i < n_; i++) {
                realPart_[i] = std::ldexp(realPart_[i], -shift);
                imagPart_[i] = std::ldexp(imagPart_[i], -shift);
            }
        }
        for (int i = 0; i < n_; i++)
            if (!std::isfinite(realPart_[i]) || !std::isfinite(imagPart_[i])) converged_ = 0;
    }

    // 1 when every eigenvalue was found within the iteration bound and is
    // finite.  0 when the iteration gave up, when the observer asked to
    // stop (see EigenObserver), or when the size of the matrix is not
    // finite (an entry that is not, or sums that overflow): every entry is
    // then negligible against it and the results are meaningless.
    int isConverged() const { return converged_; }

    // 1 when A was balanced before the iteration (then V is transformed
    // back: A·V = V·D holds for A as given).
    int isBalanced() const { return balanced_; }

    // The results as values, or into the caller's out by assignment.
    Vector<T> getRealEigenvalues() const { return realPart_; }
    Vector<T> getImagEigenvalues() const { return imagPart_; }
    Matrix<T> getV() const { return V_; }
    Matrix<T> getD() const {
        Matrix<T> D;
        getD(D);
        return D;
    }
    void getRealEigenvalues(Vector<T>& out) const { out = realPart_; }
    void getImagEigenvalues(Vector<T>& out) const { out = imagPart_; }
    void getV(Matrix<T>& out) const { out = V_; }

    // Block-diagonal D: each real eigenvalue on the diagonal; each pair
    // a ± b·i as the block (a, b; −b, a).
    void getD(Matrix<T>& D) const {
        D = Matrix<T>(n_, n_, 0);
        for (int i = 0; i < n_; i++) {
            for (int j = 0; j < n_; j++) D[i][j] = 0;
            D[i][i] = realPart_[i];
            if (imagPart_[i] > 0)
                D[i][i + 1] = imagPart_[i];
            else if (imagPart_[i] < 0)
                D[i][i - 1] = imagPart_[i];
        }
    }

private:
    // The order of the problem: A's order, or 0 when A is not square.
    static int order(const Matrix<T>& A) { return A.num_rows() == A.num_cols() ? A.num_cols() : 0; }

    // detail::rangeShift of A's largest magnitude (order n).
    static int rangeShift(const Matrix<T>& A, int n) {
        T m = 0;
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++)
                if (std::abs(A[i][j]) > m) m = std::abs(A[i][j]);
        return detail::rangeShift(m);
    }

    void decompose(const Matrix<T>& A, Balancing balancing) {
        if (symmetric_)
            symmetricPath(A);
        else
            nonsymmetricPath(A, balancing);
    }

    // 1 when A equals its transpose in its leading square block of the
    // problem's order, compared with ==.
    static int isSymmetric(const Matrix<T>& A) {
        const int n = order(A);
        int symmetric = 1;
        for (int j = 0; (j < n) && symmetric; j++)
            for (int i = 0; (i < n) && symmetric; i++) symmetric = (A[i][j] == A[j][i]);
        return symmetric;
    }

    // tred2 works on the transpose of V (its loops then walk rows, not
    // columns): A goes in transposed, and the result is transposed back
    // before tql2.  The subdiagonal passes from tred2 to tql2 in imagPart_.
    void symmetricPath(const Matrix<T>& A) {
        if (!vectors_) {
            for (int i = 0; i < n_; i++)
                for (int j = 0; j < n_; j++) hess_[j][i] = A[i][j];
            if (!detail::tred2(hess_, realPart_, imagPart_, observer_, false)) {
                converged_ = 0;
                return;
            }
            iterateSymmetric();
            return;
        }
        for (int i = 0; i < n_; i++)
            for (int j = 0; j < n_; j++) V_[j][i] = A[i][j];
        if (!detail::tred2(V_, realPart_, imagPart_, observer_)) {
            converged_ = 0;
            return;
        }
        for (int i = 0; i < n_; i++)
            for (int j = i + 1; j < n_; j++) {
                T t = V_[i][j];
                V_[i][j] = V_[j][i];
                V_[j][i] = t;
            }
        iterateSymmetric();
    }

    // tql2 on tred2's d and e; with refine_, its eigenvalues then bisected
    // on the tridiagonal matrix kept before.
    void iterateSymmetric() {
        if (refine_)
            for (int i = 0; i < n_; i++) {
                tridiag_[i] = realPart_[i];
                tridiag_[n_ + i] = imagPart_[i];
            }
        observer_.notify(0);
        if (!detail::tql2(realPart_, imagPart_, V_, rotations_, eps_, detail::maxIterations(n_), observer_,
                          vectors_)) {
            converged_ = 0;
            return;
        }
        if (refine_) detail::bisectEigenvalues(tridiag_, realPart_);
    }

    // hess_ holds A (balanced or not), then its Hessenberg form, its Schur
    // form, and finally the Schur form's eigenvectors.
    void nonsymmetricPath(const Matrix<T>& A, Balancing balancing) {
        for (int j = 0; j < n_; j++)
            for (int i = 0; i < n_; i++) hess_[i][j] = A[i][j];
        if (balancing != Balancing::never) {
            detail::balanceInPlace(hess_, scale_);
            balanced_ =
                balancing == Balancing::always || detail::isBadlyScaled(A, detail::offDiagonalNorm(hess_));
            if (!balanced_)
                for (int j = 0; j < n_; j++)
                    for (int i = 0; i < n_; i++) hess_[i][j] = A[i][j];
        }
        if (!detail::orthes(hess_, ort_, V_, observer_, vectors_)) {
            converged_ = 0;
            return;
        }
        observer_.notify(0);
        hqr2();
        if (balanced_ && vectors_)  // A's eigenvectors are D times those of D⁻¹·A·D
            for (int i = 0; i < n_; i++)
                for (int j = 0; j < n_; j++) V_[i][j] = std::ldexp(V_[i][j], scale_[i]);
    }

    // Real Schur form of the Hessenberg matrix with Schur vectors
    // accumulated in V_, then the eigenvectors by back-substitution (with
    // vectors_).
    void hqr2() {
        const T eps = eps_;
        T hNorm = 0;
        for (int i = 0; i < n_; i++)
            for (int j = (i - 1 > 0 ? i - 1 : 0); j < n_; j++) hNorm = hNorm + std::abs(hess_[i][j]);
        // A size that is not finite makes every entry negligible: the results
        // would mean nothing, so the iteration does not start.
        if (!std::isfinite(hNorm)) {
            converged_ = 0;
            return;
        }
        const detail::SchurWork<T> work{hess_, V_, realPart_, imagPart_, reflectors_, applied_, vectors_};
        if (!detail::schurIteration(work, eps, detail::maxIterations(n_), observer_)) {
            converged_ = 0;
            return;
        }
        if (hNorm == T(0) || !vectors_) return;
        if (!detail::schurEigenvectors(eps, hNorm, hess_, V_, realPart_, imagPart_, observer_)) converged_ = 0;
    }

    Observer observer_;
    T eps_;  // the negligibility threshold of both iterations
    bool vectors_;
    bool refine_;
    int n_;
    int symmetric_;
    Vector<T> realPart_;    // eigenvalues; tred2 → tql2: the diagonal
    Vector<T> imagPart_;    // imaginary parts; tred2 → tql2: the subdiagonal
    Matrix<T> V_;           // eigenvectors (transposed during tred2)
    Matrix<T> hess_;        // nonsymmetric path: see nonsymmetricPath
    Vector<T> ort_;         // orthes: the Householder vectors
    Vector<T> rotations_;   // tql2: one pass's rotations (c, s)
    Vector<T> tridiag_;     // with refine_: tred2's d, then its e
    Vector<T> reflectors_;  // schurIteration: one pass's reflectors (x, y, z, q, r)
    Vector<int> applied_;   // schurIteration: 1 where that step applied its reflector
    int converged_;
    int balanced_;
    Vector<int> scale_;  // balancing: A's index i scaled by 2^scale_[i]
};

}  // namespace ZELKOR

#endif
