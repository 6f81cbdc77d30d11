// SPDX-License-Identifier: MIT
// HermitianEigen: a 3 × 3 case worked by hand; A·V = V·Λ and VᴴV = I on
// random and graded Hermitian matrices, the strict upper triangle and the
// diagonal's imaginary parts not read, the eigenvalues alone and 1, 2, 3
// threads giving the same bits; a NaN and a non-square shape refused.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <random>

#include <zelkor/hermitian>
#include <zelkor/threads>
#include "matrix_builders.h"

namespace {

using Cplx = std::complex<Real>;
using CMatrix = Matrix<Cplx>;
using ZELKOR::HermitianEigen;

const Real u = std::ldexp(Real(1), -64);

ZELKOR::EigenOptions options(bool vectors = true, ZELKOR::Refinement r = ZELKOR::Refinement::bisection) {
    ZELKOR::EigenOptions o(ZELKOR::Balancing::never, ZELKOR::Negligibility::typeEpsilon, vectors);
    o.refinement = r;
    return o;
}

bool sameBits(const Real& a, const Real& b) { return std::memcmp(&a, &b, 10) == 0; }

bool sameBits(const Vector<Real>& x, const Vector<Real>& y) {
    bool same = x.dim() == y.dim();
    for (int i = 0; same && i < x.dim(); i++) same = sameBits(x[i], y[i]);
    return same;
}

bool sameBits(const CMatrix& V, const CMatrix& W) {
    bool same = V.num_rows() == W.num_rows() && V.num_cols() == W.num_cols();
    for (int i = 0; same && i < V.num_rows(); i++)
        for (int j = 0; same && j < V.num_cols(); j++)
            same = sameBits(V[i][j].real(), W[i][j].real()) && sameBits(V[i][j].imag(), W[i][j].imag());
    return same;
}

// ‖A·V − V·Λ‖_F / (‖A‖_F·n·u) and ‖VᴴV − I‖_F / (n·u) at most 8 (the real
// symmetric path's orthogonality is about 3 to 5 on this measure).
void expectDecomposed(const CMatrix& A, const HermitianEigen<Real>& e) {
    const int n = A.num_rows();
    ASSERT_EQ(e.converged(), 1);
    const Vector<Real> w = e.getEigenvalues();
    const CMatrix V = e.getV();
    Real r = 0, a = 0, o = 0;
    for (int i = 0; i < n; i++)
        for (int k = 0; k < n; k++) {
            Cplx av = 0, vv = 0;
            for (int j = 0; j < n; j++) {
                av += A[i][j] * V[j][k];
                vv += std::conj(V[j][i]) * V[j][k];
            }
            r += std::norm(av - V[i][k] * w[k]);
            o += std::norm(vv - Real(i == k));
            a += std::norm(A[i][k]);
        }
    for (int k = 1; k < n; k++) EXPECT_LE(w[k - 1], w[k]);
    EXPECT_LE(std::sqrt(r) / (std::sqrt(a) * n * u), 8) << n;
    EXPECT_LE(std::sqrt(o) / (n * u), 8) << n;
}

// 5 ⊕ (2, 1 − i; 1 + i, 3), the block of trace 5 and determinant
// 6 − |1 + i|² = 4: λ = 1, 4, 5 (to 8 units of u·‖A‖₂); the reduced
// matrix has a zero subdiagonal.
TEST(HermitianEigen, WorkedAndRefused) {
    const CMatrix A{{5, 0, 0}, {0, 2, Cplx(1, -1)}, {0, Cplx(1, 1), 3}};
    const HermitianEigen<Real> e(A, options(true, ZELKOR::Refinement::none));
    for (int k = 0; k < 3; k++) EXPECT_CLOSE(e.getEigenvalues()[k], Real(k == 0 ? 1 : k + 3), 8 * u * 5);
    expectDecomposed(A, e);
    // Below the safe range: 2^−16440·A (subnormal entries) has A's
    // eigenvalues times 2^−16440, rounded once, and A's eigenvectors.
    CMatrix tiny(3, 3, 0);
    Vector<Real> scaled = e.getEigenvalues();
    for (int i = 0; i < 3; i++) {
        scaled[i] = std::ldexp(scaled[i], -16440);
        for (int j = 0; j < 3; j++)
            tiny[i][j] = Cplx(std::ldexp(A[i][j].real(), -16440), std::ldexp(A[i][j].imag(), -16440));
    }
    const HermitianEigen<Real> b(tiny, options(true, ZELKOR::Refinement::none));
    EXPECT_TRUE(sameBits(b.getEigenvalues(), scaled) && sameBits(b.getV(), e.getV()));
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    EXPECT_EQ(HermitianEigen<Real>(CMatrix{{1, 0}, {Cplx(0, nan), 1}}).converged(), 0);
    const HermitianEigen<Real> wide(CMatrix(2, 3, 0));
    EXPECT_EQ(wide.converged() + wide.getEigenvalues().dim() + wide.getV().num_rows(), 0);
}

// Entries uniform in the unit square, times 2^(−6·(n−1−i) − 6·(n−1−j))
// when graded; the upper triangle and the diagonal's imaginary parts of
// the copy decomposed are NaN; the eigenvalues refined by bisection.  Order 160 is past the threads' threshold.
TEST(HermitianEigen, RandomAndGraded) {
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    for (int n : {1, 3, 40, 160})
        for (bool graded : {false, true}) {
            std::mt19937 g(500 + n);
            CMatrix A(n, n, 0), lower(n, n, Cplx(nan, nan));
            for (int i = 0; i < n; i++)
                for (int j = 0; j <= i; j++) {
                    const Real s = graded ? std::ldexp(Real(1), -6 * (2 * n - 2 - i - j)) : Real(1);
                    A[i][j] = Cplx(s * uniform(g), i == j ? 0 : s * uniform(g));
                    A[j][i] = std::conj(A[i][j]);
                    lower[i][j] = i == j ? Cplx(A[i][i].real(), nan) : A[i][j];
                }
            ZELKOR::setThreadCount(1);
            const HermitianEigen<Real> e(lower, options());
            expectDecomposed(A, e);
            const HermitianEigen<Real> alone(lower, options(false));
            EXPECT_TRUE(sameBits(alone.getEigenvalues(), e.getEigenvalues()) && alone.getV().num_rows() == 0);
            for (int threads : {2, 3}) {
                ZELKOR::setThreadCount(threads);
                const HermitianEigen<Real> t(lower, options());
                EXPECT_TRUE(sameBits(t.getEigenvalues(), e.getEigenvalues()) && sameBits(t.getV(), e.getV()));
            }
        }
    ZELKOR::setThreadCount(0);
}

}  // namespace
