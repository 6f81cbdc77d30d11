// SPDX-License-Identifier: MIT
// QR: reflectors worked by hand (numpy's 'raw' layout, τ = 0 on a zero
// column, −0, ties of pivoting), NaN propagation, and on random tall, wide
// and square matrices: QᵀQ = I, A·P = Q·R, pivoting on a rank-deficient
// product, exact power-of-two scaling near 2^±16000, the same bits at 1
// and 3 threads.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include <zelkor/qr>
#include <zelkor/threads>
#include "matrix_builders.h"

namespace {

using ZELKOR::QR;

const Real u = std::ldexp(Real(1), -64);

// A·P: column j of A·P is column perm[j] of A.
Matrix<Real> permuted(const Matrix<Real>& A, const std::vector<int>& perm) {
    Matrix<Real> B(A.num_rows(), A.num_cols(), 0);
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) B[i][j] = A[i][perm[j]];
    return B;
}

// Column 0 = (3, 4, 0): β = −5, τ = 8/5, v = (1, 1/2, 0); column 1 =
// (0, 5, 0) becomes (−4, 3, 0), whose part below the diagonal is zero: τ = 0,
// R[1][1] = 3 kept.  Q's columns are H₀·e₀, H₀·e₁, e₂.  A −0 on the
// diagonal gives β = +‖x‖.  Orthogonal columns of norms 2, 2, 3 pivot as
// 2 first, then the tie goes to the lower position (original column 1).
TEST(QRSmall, WorkedByHand) {
    const QR<Real> qr(Matrix<Real>{{3, 0}, {4, 5}, {0, 0}});
    expectNear(qr.getR(), Matrix<Real>{{-5, -4}, {0, 3}});
    expectNear(qr.getHouseholder(), Matrix<Real>{{-5, 0.5L, 0}, {-4, 3, 0}});
    EXPECT_CLOSE(qr.getTau()[0], Real(8) / 5, 0);
    EXPECT_EQ(qr.getTau()[1], 0);
    expectNear(qr.getQ(true), Matrix<Real>{{-0.6L, -0.8L, 0}, {-0.8L, 0.6L, 0}, {0, 0, 1}}, 4 * u);
    EXPECT_EQ(qr.getQ().num_cols(), 2);
    Matrix<Real> wrong(2, 2, 1);
    EXPECT_FALSE(qr.applyQt(wrong));
    expectNear(wrong, Matrix<Real>(2, 2, 1));

    const QR<Real> negativeZero(Matrix<Real>{{-0.0L}, {3}});
    expectNear(negativeZero.getHouseholder(), Matrix<Real>{{3, -1}});
    EXPECT_EQ(negativeZero.getTau()[0], 1);

    const QR<Real> pivoted(Matrix<Real>{{2, 0, 0}, {0, 2, 0}, {0, 0, 3}}, true);
    EXPECT_EQ(pivoted.getPermutation(), (std::vector<int>{2, 1, 0}));
    for (int j = 0; j < 3; j++) EXPECT_EQ(std::abs(pivoted.getR()[j][j]), j ? 2 : 3);

    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    for (bool pivoting : {false, true}) {
        const Matrix<Real> R = QR<Real>(Matrix<Real>{{nan, 1}, {1, 1}}, pivoting).getR();
        EXPECT_TRUE(std::isnan(R[0][0]) && std::isnan(R[0][1]) && std::isnan(R[1][1])) << pivoting;
    }
}

// Tall, wide and square: ‖QᵀQ − I‖_F within 2n·u, ‖A·P − Q·R‖_F / ‖A‖_F
// within n·u (n the larger dimension), R upper trapezoidal, Qᵀ·(A·P) = (R; 0) and Q·I = Q (applyQ's path,
// the same bits); 3 threads give 1 thread's bits.
TEST(QRRandom, FactorsAndThreads) {
    const int shapes[][2] = {{40, 40}, {300, 120}, {90, 260}};
    for (const auto& shape : shapes)
        for (bool pivoting : {false, true}) {
            const int m = shape[0], n = shape[1], k = m < n ? m : n, big = m > n ? m : n;
            std::mt19937 g(31 * m + n);
            const Matrix<Real> A = randomRect(m, n, g);
            ZELKOR::setThreadCount(1);
            const QR<Real> qr(A, pivoting);
            const Matrix<Real> Q = qr.getQ(true), R = qr.getR(), AP = permuted(A, qr.getPermutation());
            EXPECT_LE(frob(transpose(Q) * Q, identity(m)), 2 * big * u) << m << "x" << n;
            Matrix<Real> thinR(m, n, 0);
            for (int i = 0; i < k; i++)
                for (int j = 0; j < n; j++) {
                    if (j < i) {
                        EXPECT_EQ(R[i][j], 0);
                    }
                    thinR[i][j] = R[i][j];
                }
            EXPECT_LE(frob(AP, Q * thinR), big * u * frob(A)) << m << "x" << n;
            EXPECT_LE(frob(qr.getQ() * R, AP), big * u * frob(A)) << m << "x" << n;
            Matrix<Real> QtA = AP;
            ASSERT_TRUE(qr.applyQt(QtA));
            EXPECT_LE(frob(QtA, thinR), big * u * frob(A)) << m << "x" << n;
            Matrix<Real> QI = identity(m);
            ASSERT_TRUE(qr.applyQ(QI));
            expectNear(QI, Q);
            ZELKOR::setThreadCount(3);
            const QR<Real> threaded(A, pivoting);
            EXPECT_EQ(threaded.getPermutation(), qr.getPermutation());
            expectNear(threaded.getHouseholder(), qr.getHouseholder());
            expectNear(threaded.getQ(true), Q);
            expectNear(QtA, [&] {
                Matrix<Real> B = AP;
                threaded.applyQt(B);
                return B;
            }());
        }
    ZELKOR::setThreadCount(0);
}

// A = B·C of rank 7 (80 × 50): with pivoting |R[j][j]| does not increase
// (up to √u: the pivots are chosen by downdated norms)
// and the block R[7:, 7:] is at rounding level; A·P = Q·R.
TEST(QRRandom, PivotingRevealsRank) {
    std::mt19937 g(7);
    const int m = 80, n = 50, r = 7;
    const Matrix<Real> A = randomRect(m, r, g) * randomRect(r, n, g);
    const QR<Real> qr(A, true);
    const Matrix<Real> R = qr.getR();
    for (int j = 0; j + 1 < n; j++) EXPECT_LE(std::abs(R[j + 1][j + 1]), std::abs(R[j][j]) * (1 + std::sqrt(u))) << j;
    EXPECT_GT(std::abs(R[r - 1][r - 1]), 1e-3L * frob(A));
    Real trailing = 0;
    for (int i = r; i < n; i++)
        for (int j = i; j < n; j++) trailing += R[i][j] * R[i][j];
    EXPECT_LE(std::sqrt(trailing), n * u * frob(A));
    EXPECT_LE(frob(permuted(A, qr.getPermutation()), qr.getQ() * R), n * u * frob(A));
}

// A scaled by 2^±16000: R scales by the same power of two and Q, τ and
// the permutation are the same bits.
TEST(QRRandom, PowerOfTwoScaling) {
    std::mt19937 g(16000);
    const Matrix<Real> A = randomRect(30, 20, g);
    for (bool pivoting : {false, true}) {
        const QR<Real> qr(A, pivoting);
        for (int e : {16000, -16000}) {
            Matrix<Real> S = A;
            for (int i = 0; i < 30; i++)
                for (int j = 0; j < 20; j++) S[i][j] = std::ldexp(A[i][j], e);
            const QR<Real> scaled(S, pivoting);
            Matrix<Real> R = scaled.getR();
            for (int i = 0; i < R.num_rows(); i++)
                for (int j = 0; j < R.num_cols(); j++) R[i][j] = std::ldexp(R[i][j], -e);
            expectNear(R, qr.getR());
            expectNear(scaled.getQ(), qr.getQ());
            EXPECT_EQ(scaled.getTau(), qr.getTau());
            EXPECT_EQ(scaled.getPermutation(), qr.getPermutation());
        }
    }
}

}  // namespace
