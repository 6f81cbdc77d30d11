// SPDX-License-Identifier: MIT
// Complex QR and SVD: a reflector worked by hand, then on random complex
// tall and wide matrices QᴴQ = I, A·P = Q·R with a real diagonal,
// A = U·diag(σ)·Vᴴ with unitary U and V, values alone and 3 threads giving
// the same bits.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

#include <zelkor/qr>
#include <zelkor/svd>
#include <zelkor/threads>
#include "matrix_builders.h"

namespace {

using C = std::complex<Real>;
using CMatrix = Matrix<C>;

const Real u = std::ldexp(Real(1), -64);

// ‖X·Yᴴ − Z‖_F over the first k columns of X and Y.
Real residual(const CMatrix& X, const CMatrix& Y, int k, const CMatrix& Z) {
    Real sum = 0;
    for (int i = 0; i < X.num_rows(); i++)
        for (int j = 0; j < Y.num_rows(); j++) {
            C s = -Z[i][j];
            for (int q = 0; q < k; q++) s += X[i][q] * std::conj(Y[j][q]);
            sum += std::norm(s);
        }
    return std::sqrt(sum);
}

// ‖A − B‖_F.
Real distance(const CMatrix& A, const CMatrix& B) {
    Real sum = 0;
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) sum += std::norm(A[i][j] - B[i][j]);
    return std::sqrt(sum);
}

// ‖XᴴX − I‖_F.
Real unitarity(const CMatrix& X) {
    CMatrix Xt(X.num_cols(), X.num_rows(), 0), I(X.num_cols(), X.num_cols(), 0);
    for (int i = 0; i < X.num_rows(); i++)
        for (int j = 0; j < X.num_cols(); j++) Xt[j][i] = std::conj(X[i][j]);
    for (int i = 0; i < X.num_cols(); i++) I[i][i] = 1;
    return residual(Xt, Xt, X.num_rows(), I);
}

void expectSame(const CMatrix& A, const CMatrix& B) {
    ASSERT_EQ(A.num_rows(), B.num_rows());
    ASSERT_EQ(A.num_cols(), B.num_cols());
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) EXPECT_EQ(A[i][j], B[i][j]) << i << "," << j;
}

// Column (3i, 4): β = −‖x‖ = −5 (the sign opposite to Re α = +0),
// τ = ((β − 0)/β, −3/β) = (1, 3/5), v₁ = 4/(3i + 5) = (10 − 6i)/17.
TEST(ComplexQR, ReflectorByHand) {
    const ZELKOR::QR<C> qr(CMatrix{{C(0, 3)}, {C(4, 0)}});
    const C h = qr.getHouseholder()[0][1], tau = qr.getTau()[0];
    EXPECT_EQ(qr.getR()[0][0], C(-5));
    EXPECT_NEAR(tau.real(), 1, 2 * u);
    EXPECT_NEAR(tau.imag(), Real(0.6L), 2 * u);
    EXPECT_NEAR(h.real(), Real(10) / 17, 2 * u);
    EXPECT_NEAR(h.imag(), Real(-6) / 17, 2 * u);
}

// Tall and wide, with and without pivoting: ‖QᴴQ − I‖_F within 2·big·u,
// ‖A·P − Q·R‖_F within big·u·‖A‖_F, R upper trapezoidal with a real
// diagonal, Qᴴ·(A·P) = R and Q·I = Q.  The SVD: thin and full,
// ‖A − U·Σ·Vᴴ‖_F within 4(m + n)·u·‖A‖_F, U and V unitary, σ descending;
// the values alone and 3 threads give the same bits.
TEST(ComplexRandom, Factorisations) {
    const int shapes[][2] = {{130, 80}, {60, 150}};
    for (const auto& shape : shapes) {
        const int m = shape[0], n = shape[1], k = m < n ? m : n, big = m > n ? m : n;
        std::mt19937 g(m + n);
        const CMatrix A = randomComplex(m, n, g);
        const Real norm = distance(A, CMatrix(m, n, 0));
        ZELKOR::setThreadCount(1);
        for (bool pivoting : {false, true}) {
            const ZELKOR::QR<C> qr(A, pivoting);
            const CMatrix Q = qr.getQ(true), R = qr.getR();
            const std::vector<int> perm = qr.getPermutation();
            CMatrix AP(m, n, 0), Rt(n, m, 0);
            for (int i = 0; i < m; i++)
                for (int j = 0; j < n; j++) AP[i][j] = A[i][perm[j]];
            for (int i = 0; i < k; i++)
                for (int j = 0; j < n; j++) {
                    EXPECT_TRUE(j >= i || R[i][j] == C(0));
                    Rt[j][i] = std::conj(R[i][j]);
                }
            for (int i = 0; i < k; i++) EXPECT_EQ(R[i][i].imag(), 0);
            EXPECT_LE(unitarity(Q), 2 * big * u) << m << "x" << n;
            EXPECT_LE(residual(Q, Rt, k, AP), big * u * norm) << m << "x" << n;
            CMatrix QtA = AP, QI(m, m, 0);
            for (int i = 0; i < m; i++) QI[i][i] = 1;
            ASSERT_TRUE(qr.applyQt(QtA) && qr.applyQ(QI));
            CMatrix thinR(m, n, 0);
            for (int i = 0; i < k; i++)
                for (int j = 0; j < n; j++) thinR[i][j] = R[i][j];
            EXPECT_LE(distance(QtA, thinR), big * u * norm);
            expectSame(QI, Q);
        }
        for (bool full : {false, true}) {
            const ZELKOR::SVD<C> s(A, true, full);
            ASSERT_EQ(s.converged(), 1);
            const Vector<Real> sigma = s.getSingularValues();
            CMatrix U = s.getU();
            ASSERT_EQ(U.num_cols(), full ? m : k);
            ASSERT_EQ(s.getV().num_cols(), full ? n : k);
            EXPECT_LE(unitarity(U) + unitarity(s.getV()), 4 * (m + n) * u) << m << "x" << n;
            for (int i = 0; i < k; i++) {
                EXPECT_GE(sigma[i > 0 ? i - 1 : 0], sigma[i]);
                for (int r = 0; r < m; r++) U[r][i] *= sigma[i];
            }
            EXPECT_LE(residual(U, s.getV(), k, A), 4 * (m + n) * u * norm) << m << "x" << n;
            expectNear(ZELKOR::SVD<C>(A, false, full).getSingularValues(), sigma);
        }
        const ZELKOR::SVD<C> one(A);
        const CMatrix h = ZELKOR::QR<C>(A, true).getHouseholder();
        ZELKOR::setThreadCount(3);
        const ZELKOR::SVD<C> three(A);
        expectSame(ZELKOR::QR<C>(A, true).getHouseholder(), h);
        expectNear(three.getSingularValues(), one.getSingularValues());
        expectSame(three.getU(), one.getU());
        expectSame(three.getV(), one.getV());
        ZELKOR::setThreadCount(0);
    }
}

}  // namespace
