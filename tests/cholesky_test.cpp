// SPDX-License-Identifier: MIT
// Cholesky: a factorisation worked by hand, the first non-positive pivot,
// and L·Lᵀ = A, A·X = B on random SPD matrices at 1,
// 2 and 3 threads (the same bits).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include <zelkor/cholesky>
#include <zelkor/threads>
#include "matrix_builders.h"

namespace {

using ZELKOR::Cholesky;

// (4, 12, −16; 12, 37, −43; −16, −43, 98) = L·Lᵀ with L = (2; 6, 1; −8, 5, 3)
// exactly; the strict upper triangle is not read.  (1, 2, 0; 2, 1, 0;
// 0, 0, 1): the pivot of column 1 is 1 − 2² = −3; a NaN pivot is not
// positive either.
TEST(CholeskySmall, WorkedAndRefused) {
    const Matrix<Real> A{{4, 99, 99}, {12, 37, 99}, {-16, -43, 98}};
    const Cholesky<Real> c(A);
    EXPECT_EQ(c.isSPD(), 1);
    EXPECT_EQ(c.firstNonPositivePivot(), -1);
    expectNear(c.getL(), Matrix<Real>{{2, 0, 0}, {6, 1, 0}, {-8, 5, 3}});
    // A·x = (4, 12, −16)ᵀ, the first column: x = e₀.
    expectNear(c.solve(Vector<Real>{4, 12, -16}), Vector<Real>{1, 0, 0});
    const Cholesky<Real> indefinite(Matrix<Real>{{1, 0, 0}, {2, 1, 0}, {0, 0, 1}});
    EXPECT_EQ(indefinite.isSPD(), 0);
    EXPECT_EQ(indefinite.firstNonPositivePivot(), 1);
    expectEmpty(indefinite.solve(identity(3)));
    expectEmpty(indefinite.inv());
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    EXPECT_EQ(Cholesky<Real>(Matrix<Real>{{1, 0}, {0, nan}}).firstNonPositivePivot(), 1);
    EXPECT_EQ(c.solve(Vector<Real>{1, 1}).dim(), 0);
}

// A = B·Bᵀ, B random: ‖A − L·Lᵀ‖_F and ‖A·X − I‖_F / ‖X‖_F (X = inv())
// within n·u·‖A‖_F; order 400 is past the threads' threshold, and 2 and
// 3 threads give 1 thread's bits.
TEST(CholeskyRandom, FactorAndInverse) {
    const Real u = std::ldexp(Real(1), -64);
    for (int n : {5, 64, 400}) {
        std::mt19937 g(800 + n);
        const Matrix<Real> B = randomMatrix(n, g);
        const Matrix<Real> A = B * transpose(B);
        ZELKOR::setThreadCount(1);
        const Cholesky<Real> c(A);
        ASSERT_EQ(c.isSPD(), 1) << n;
        const Matrix<Real> L = c.getL(), X = c.inv();
        EXPECT_LE(frob(A, L * transpose(L)), n * u * frob(A)) << n;
        EXPECT_LE(frob(A * X, identity(n)), n * u * frob(A) * frob(X)) << n;
        for (int threads : {2, 3}) {
            ZELKOR::setThreadCount(threads);
            const Cholesky<Real> t(A);
            expectNear(t.getL(), L);
            expectNear(t.inv(), X);
        }
    }
    ZELKOR::setThreadCount(0);
}

}  // namespace
