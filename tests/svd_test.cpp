// SPDX-License-Identifier: MIT
// SVD: values known exactly, U·diag(σ)·Vᵀ = A with orthonormal U and V on
// tall, wide, square and rank-deficient matrices, values alone agreeing
// with them, any number of threads giving the same bits, exact
// power-of-two scaling at the ends of the exponent range, and NaN input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include <zelkor/svd>
#include <zelkor/threads>
#include "matrix_builders.h"

namespace {

using ZELKOR::SVD;

const Real u = std::ldexp(Real(1), -64);

// A with row i scaled by 2^(30 − 60i/(m − 1)) and column j by
// 2^(30 − 60j/(n − 1)), rounded to whole powers.
Matrix<Real> graded(Matrix<Real> A) {
    const int m = A.num_rows(), n = A.num_cols();
    for (int i = 0; i < m; i++)
        for (int j = 0; j < n; j++) A[i][j] = std::ldexp(A[i][j], 60 - 60 * i / (m - 1) - 60 * j / (n - 1));
    return A;
}

// ‖XᵀX − I‖_F.
Real orthogonality(const Matrix<Real>& X) { return frob(transpose(X) * X, identity(X.num_cols())); }

void expectSameBits(const SVD<Real>& a, const SVD<Real>& b) {
    expectNear(a.getSingularValues(), b.getSingularValues());
    expectNear(a.getU(), b.getU());
    expectNear(a.getV(), b.getV());
}

// H (4 × 4, entries ±1) has H·Hᵀ = 4·I, so H/2 is orthogonal and
// A = H·diag(d)·K (K = H with its rows reversed) has the singular values
// 4·d exactly: 20, 12, 4 and 0.
TEST(SVDSmall, KnownValues) {
    const Matrix<Real> H{{1, 1, 1, 1}, {1, -1, 1, -1}, {1, 1, -1, -1}, {1, -1, -1, 1}};
    Matrix<Real> D(4, 4, 0), K(4, 4, 0);
    const Real d[] = {3, 0, 5, 1};
    for (int i = 0; i < 4; i++) {
        D[i][i] = d[i];
        for (int j = 0; j < 4; j++) K[i][j] = H[3 - i][j];
    }
    const Matrix<Real> A = H * D * K;
    const SVD<Real> s(A);
    EXPECT_EQ(s.converged(), 1);
    const Vector<Real> sigma = s.getSingularValues();
    const Real exact[] = {20, 12, 4, 0};
    for (int i = 0; i < 4; i++) EXPECT_CLOSE(sigma[i], exact[i], 4 * u * 20) << i;
    Matrix<Real> S(4, 4, 0);
    for (int i = 0; i < 4; i++) S[i][i] = sigma[i];
    EXPECT_LE(frob(A, s.getU() * S * transpose(s.getV())), 8 * u * 20);
    EXPECT_LE(orthogonality(s.getU()) + orthogonality(s.getV()), 16 * u);
}

// Thin and full decompositions of random, rank-deficient (the 12 × 10 one
// has rank 5) and graded (rows and columns scaled over 2^±30) matrices:
// residual and orthogonality within a few n·u; the values alone (rows
// preconditioned from order 32 on) within a few n·u·σ₀ of the vector
// mode's; orders 120 and 80 × 60 are past the threads' threshold, and 3
// threads give 1 thread's bits, with and without vectors.
TEST(SVDRandom, Properties) {
    std::mt19937 g(2024);
    const Matrix<Real> shapes[] = {randomRect(9, 5, g), randomRect(5, 9, g), randomRect(30, 30, g),
                                   randomRect(12, 5, g) * randomRect(5, 10, g), randomRect(120, 120, g),
                                   graded(randomRect(80, 60, g))};
    for (const Matrix<Real>& A : shapes) {
        const int m = A.num_rows(), n = A.num_cols(), k = m < n ? m : n;
        const Real tol = 4 * (m + n) * u;
        ZELKOR::setThreadCount(1);
        for (bool full : {false, true}) {
            const SVD<Real> s(A, true, full);
            ASSERT_EQ(s.converged(), 1) << m << "x" << n;
            const Matrix<Real> U = s.getU(), V = s.getV();
            ASSERT_EQ(U.num_cols(), full ? m : k);
            ASSERT_EQ(V.num_cols(), full ? n : k);
            Matrix<Real> S(U.num_cols(), V.num_cols(), 0);
            for (int i = 0; i < k; i++) S[i][i] = s.getSingularValues()[i];
            for (int i = 1; i < k; i++) EXPECT_GE(S[i - 1][i - 1], S[i][i]);
            EXPECT_LE(frob(A, U * S * transpose(V)), tol * frob(A)) << m << "x" << n;
            EXPECT_LE(orthogonality(U) + orthogonality(V), tol) << m << "x" << n;
            if (!full)
                expectNear(SVD<Real>(A, false).getSingularValues(), s.getSingularValues(),
                           tol * s.getSingularValues()[0]);
        }
        const SVD<Real> one(A), values(A, false);
        ZELKOR::setThreadCount(3);
        expectSameBits(SVD<Real>(A), one);
        expectNear(SVD<Real>(A, false).getSingularValues(), values.getSingularValues());
    }
    ZELKOR::setThreadCount(0);
}

// B·D, B random and D spanning 2^±40 in random order, 48 × 48: the values
// alone keep every value to a few units of itself, as the rotations of
// the rows give them with vectors (rows so graded are not preconditioned).
TEST(SVDGraded, ValuesAloneKeepRelativeAccuracy) {
    std::mt19937 g(5);
    Matrix<Real> A = randomRect(48, 48, g);
    std::vector<int> e(48);
    for (int j = 0; j < 48; j++) e[(std::size_t)j] = 40 - 80 * j / 47;
    std::shuffle(e.begin(), e.end(), g);
    for (int i = 0; i < 48; i++)
        for (int j = 0; j < 48; j++) A[i][j] = std::ldexp(A[i][j], e[(std::size_t)j]);
    const Vector<Real> s = SVD<Real>(A).getSingularValues(), values = SVD<Real>(A, false).getSingularValues();
    for (int i = 0; i < 48; i++) EXPECT_CLOSE(values[i], s[i], 8 * u * s[i]) << i;
}

// 2^±16000·A: the values and vectors are those of A, scaled exactly.  A
// NaN or infinite entry ends with NaN values, not converged.
TEST(SVDRange, ScalingAndNonFinite) {
    std::mt19937 g(7);
    const Matrix<Real> A = randomRect(8, 6, g);
    const SVD<Real> s(A);
    for (int e : {16000, -16000}) {
        Matrix<Real> B(A);
        for (int i = 0; i < 8; i++)
            for (int j = 0; j < 6; j++) B[i][j] = std::ldexp(A[i][j], e);
        const SVD<Real> t(B);
        for (int i = 0; i < 6; i++) EXPECT_EQ(t.getSingularValues()[i], std::ldexp(s.getSingularValues()[i], e));
        expectNear(t.getU(), s.getU());
        expectNear(t.getV(), s.getV());
    }
    for (Real bad : {std::numeric_limits<Real>::quiet_NaN(), std::numeric_limits<Real>::infinity()}) {
        Matrix<Real> B(A);
        B[3][2] = bad;
        const SVD<Real> t(B, false);
        EXPECT_EQ(t.converged(), 0);
        EXPECT_TRUE(std::isnan(t.getSingularValues()[0]));
    }
}

}  // namespace
