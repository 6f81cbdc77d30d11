// SPDX-License-Identifier: MIT
// LU with partial pivoting: small factorisations worked by hand, and the
// identities P·A = L·U, A·A⁻¹ ≈ I and A·x ≈ b on random matrices.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <random>

#include <zelkor/lu>
#include <zelkor/threads>
#include "matrix_builders.h"

namespace {

using ZELKOR::LU;

// In (1, 2; −1, 3) |1| = |−1|: the first row keeps the pivot.  In
// (1, 3, 1; 2, 2, 1; 4, 4, 0) column 0 takes row 2, column 1 the former
// row 0 (|3 − 0.25·4| = 2 > |2 − 0.5·4| = 0): two exchanges.  (1, 1; 2, 2):
// rows exchanged, second pivot exactly 0, det = (−1)·2·0.  The sign and
// log |det| against the determinant.
TEST(LUSmall, WorkedFactorisations) {
    struct Case {
        Matrix<Real> A, L, U;
        Real det;
        int permutationSign, firstZeroPivot;
    } cases[] = {
        {{{1, 2}, {-1, 3}}, {{1, 0}, {-1, 1}}, {{1, 2}, {0, 5}}, 5, 1, -1},
        {{{0, 1}, {1, 0}}, identity(2), identity(2), -1, -1, -1},
        {{{1, 3, 1}, {2, 2, 1}, {4, 4, 0}},
         {{1, 0, 0}, {0.25L, 1, 0}, {0.5L, 0, 1}},
         {{4, 4, 0}, {0, 2, 1}, {0, 0, 1}},
         8,
         1,
         -1},
        {{{1, 1}, {2, 2}}, {{1, 0}, {0.5L, 1}}, {{2, 2}, {0, 0}}, -0.0L, -1, 1},
    };
    for (const Case& c : cases) {
        LU<Real> lu(c.A);
        expectNear(lu.getL(), c.L);
        expectNear(lu.getU(), c.U);
        EXPECT_TRUE(lu.det() == c.det && std::signbit(lu.det()) == std::signbit(c.det)) << lu.det();
        EXPECT_EQ(lu.isNonsingular(), c.det != 0);
        EXPECT_EQ(lu.permutationSign(), c.permutationSign);
        EXPECT_EQ(lu.firstZeroPivot(), c.firstZeroPivot);
        const ZELKOR::LogDeterminant<Real> d = lu.logDeterminant();
        EXPECT_EQ(d.sign, (c.det > 0) - (c.det < 0));
        EXPECT_CLOSE(std::exp(d.logAbs), std::abs(c.det), 32 * LDBL_EPSILON);
    }
    // The multiplier is 9/10 rounded once, not 9 times a rounded 1/10.
    EXPECT_EQ(LU<Real>({{10, 1}, {9, 2}}).getL()[1][0], Real(9) / Real(10));
}

// The first of two zero pivots: (0, 0, 1, 0; 0, 0, 0, 0; 2, 1, 0, 0; 0, 0, 0, 0)
// takes row 2 in column 0, then columns 1 and 3 have zero pivots.  Order
// 128 with column 70 zero, at one and two threads (by columns and by
// panels): the pivot of column 70 is exactly zero.
TEST(LUSmall, FirstZeroPivot) {
    const Matrix<Real> B{{0, 0, 1, 0}, {0, 0, 0, 0}, {2, 1, 0, 0}, {0, 0, 0, 0}};
    EXPECT_EQ(LU<Real>(B).firstZeroPivot(), 1);
    std::mt19937 g(71);
    Matrix<Real> A = randomMatrix(128, g);
    for (int i = 0; i < 128; i++) A[i][70] = 0;
    for (int threads : {1, 2, 0}) {  // 0: back to the default
        ZELKOR::setThreadCount(threads);
        EXPECT_EQ(LU<Real>(A).firstZeroPivot(), 70) << threads << " threads";
    }
}

// det = −1·(−3·2⁶⁰)·(3·2⁶⁰)²⁹⁹ overflows T; its sign and log |det| =
// 300·log 3 + 18000·log 2 (mpmath) do not.  A is an upper triangular U
// with its rows shifted cyclically by one (a permutation of sign −1):
// every multiplier is 0, so U comes back exactly.
TEST(LUSmall, LogDeterminantPastOverflow) {
    const int n = 300;
    std::mt19937 g(300);
    Matrix<Real> A(n, n, 0);
    for (int r = 0; r < n; r++) {
        Real* row = A[(r + n - 1) % n];
        row[r] = std::ldexp(Real(r == 7 ? -3 : 3), 60);
        for (int j = r + 1; j < n; j++) row[j] = std::ldexp(uniform(g), 60);
    }
    LU<Real> lu(A);
    EXPECT_EQ(lu.permutationSign(), -1);
    const ZELKOR::LogDeterminant<Real> d = lu.logDeterminant();
    EXPECT_EQ(d.sign, 1);
    EXPECT_CLOSE(d.logAbs, 12806.23293667944847692875175732393593675L, 6e-15L);  // 7 ulps
}

// Right-hand sides of the wrong length, and singular factors, give empty
// results.  (The values of solve and inv: LURandom.)
TEST(LUSmall, EmptySolvesAndInverses) {
    LU<Real> lu({{1, 2}, {-1, 3}}), singular({{1, 1}, {2, 2}});
    expectEmpty(lu.solve(Matrix<Real>(3, 2, 1)));
    expectEmpty(lu.solve(Matrix<Real>(1, 2, 1)));
    expectEmpty(singular.inv());
    EXPECT_EQ(lu.solve(Vector<Real>{1, 2, 3}).dim() + lu.solve(Vector<Real>()).dim() +
                  singular.solve(Vector<Real>{1, 2}).dim(),
              0);
}

// The reciprocal condition number against ‖A‖₁·‖A⁻¹‖₁ from the computed
// inverse: never below it (the estimate of ‖A⁻¹‖₁ is a lower bound) and
// within a factor 3 on random matrices.
TEST(LURandom, FactorsInverseSolveAndRcond) {
    const Real eps = LDBL_EPSILON;
    for (int n : {1, 2, 4, 7, 10, 16, 25, 40, 120}) {
        std::mt19937 g(6000 + n);
        Matrix<Real> A = randomMatrix(n, g);
        const Real normA = frob(A);
        LU<Real> lu(A);
        ASSERT_EQ(lu.isNonsingular(), 1) << "order " << n;

        // P·A = L·U, row i of P·A being row piv[i] of A; |multipliers| ≤ 1.
        Matrix<Real> L = lu.getL(), PA(n, n, 0);
        Vector<int> piv = lu.getPivot();
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) {
                PA[i][j] = A[piv[i]][j];
                EXPECT_LE(std::abs(L[i][j]), 1);
            }
        EXPECT_LE(frob(L * lu.getU(), PA), 2 * n * eps * normA);

        Matrix<Real> X = lu.inv();
        EXPECT_LE(frob(A * X, identity(n)), 2 * n * eps * normA * frob(X));
        const Real exact = 1 / (ZELKOR::norm1(A) * ZELKOR::norm1(X));
        EXPECT_TRUE(lu.rcond() >= exact * (1 - 1e-15L) && lu.rcond() <= 3 * exact)
            << lu.rcond() << " vs " << exact;

        // A vector right-hand side gives the numbers of the one-column
        // matrix right-hand side (so a residual as small as A·A⁻¹ − I's).
        Matrix<Real> B(n, 1, 0);
        for (int i = 0; i < n; i++) B[i][0] = uniform(g);
        expectNear(lu.solve(column(B, 0)), column(lu.solve(B), 0));
    }
}

// The reciprocal condition number, exact on (1, 2; 3, 4): ‖A‖₁ = 6 and
// ‖A⁻¹‖₁ = ‖(−2, 1; 1.5, −0.5)‖₁ = 3.5.  The magic square of order 4 is
// singular with nonzero pivots in floating point: its estimate falls below
// n·ε; an exactly singular factor, a wide one and an infinite entry give 0,
// the empty matrix 1.
TEST(LURcond, WorkedAndDegenerateCases) {
    EXPECT_CLOSE(LU<Real>(Matrix<Real>{{1, 2}, {3, 4}}).rcond(), Real(1) / 21, 4 * LDBL_EPSILON);
    Matrix<Real> magic{{16, 3, 2, 13}, {5, 10, 11, 8}, {9, 6, 7, 12}, {4, 15, 14, 1}};
    EXPECT_LT(LU<Real>(magic).rcond(), 4 * LDBL_EPSILON);
    const Real inf = std::numeric_limits<Real>::infinity();
    for (const Matrix<Real>& A : {Matrix<Real>{{1, 1}, {2, 2}}, Matrix<Real>{{1, 2, 3}, {4, 5, 6}},
                                  Matrix<Real>{{inf, 1}, {1, 1}}})
        EXPECT_EQ(LU<Real>(A).rcond(), 0) << A;
    EXPECT_EQ(LU<Real>(Matrix<Real>(0, 0, 0)).rcond(), 1);
}

}  // namespace
