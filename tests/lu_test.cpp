// LU with partial pivoting: small factorisations worked by hand, and the
// identities P·A = L·U, A·A⁻¹ ≈ I and inv = solve(I) on random matrices.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "lu"
#include "matrix_builders.h"

namespace {

using ZELKOR::LU;

TEST(LUSmall, WorkedFactorisations) {
    LU<Real> one(mat({{3.5L}}));
    EXPECT_EQ(one.det(), 3.5L);
    expectNear(one.inv(), mat({{1 / 3.5L}}));

    // |1| = |−1| in column 0: the first row keeps the pivot, multiplier −1.
    Matrix<Real> A = mat({{1, 2}, {-1, 3}});
    LU<Real> tie(A);
    expectNear(tie.getL(), mat({{1, 0}, {-1, 1}}));
    expectNear(tie.getU(), mat({{1, 2}, {0, 5}}));
    EXPECT_EQ(tie.det(), 5);
    EXPECT_EQ(tie.isNonsingular(), 1);
    // x1 + 2·x2 = 3, −x1 + 3·x2 = 2.
    expectVec(tie.solve(vec({3, 2})), {1, 1});
    expectNear(tie.solve(mat({{3, 1}, {2, -1}})), mat({{1, 1}, {1, 0}}));
    expectNear(A, mat({{1, 2}, {-1, 3}}));  // the input is not touched
    // Right-hand sides of the wrong length give empty results.
    expectEmpty(tie.solve(Matrix<Real>(3, 2, 1)));
    expectEmpty(tie.solve(Matrix<Real>(1, 2, 1)));
    EXPECT_EQ(tie.solve(vec({1, 2, 3})).dim() + tie.solve(Vector<Real>()).dim(), 0);

    // The multiplier is 9/10 rounded once, not 9 times a rounded 1/10.
    EXPECT_EQ(LU<Real>(mat({{10, 1}, {9, 2}})).getL()[1][0], Real(9) / Real(10));

    Matrix<Real> X = mat({{0, 1}, {1, 0}});
    LU<Real> ex(X);
    expectNear(ex.getL(), identity(2));
    expectNear(ex.getU(), identity(2));
    EXPECT_EQ(ex.det(), -1);
    expectVec(ex.solve(vec({2, 3})), {3, 2});
    expectNear(ex.inv(), X);
}

TEST(LUSmall, SingularAndWideFactorsGiveEmptyResults) {
    // Rows exchanged, multiplier 1/2, second pivot exactly 0.
    LU<Real> lu(mat({{1, 1}, {2, 2}}));
    expectNear(lu.getL(), mat({{1, 0}, {0.5L, 1}}));
    expectNear(lu.getU(), mat({{2, 2}, {0, 0}}));
    EXPECT_EQ(lu.isNonsingular(), 0);
    Real d = lu.det();  // (−1)·2·0
    EXPECT_TRUE(d == 0 && std::signbit(d)) << d;
    EXPECT_EQ(lu.solve(vec({1, 2})).dim(), 0);
    expectEmpty(lu.solve(identity(2)));
    expectEmpty(lu.inv());

    // Zero first column: nothing to divide by, the factorisation goes on.
    LU<Real> zero(mat({{0, 1, 2}, {0, 3, 4}, {0, 5, 7}}));
    EXPECT_EQ(zero.isNonsingular() + zero.det() + zero.solve(vec({1, 2, 3})).dim(), 0);

    // 2 × 3: no determinant, treated as singular; L·U gives the rows of A
    // pivoted (|4| > |1|).
    LU<Real> wide(mat({{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(wide.det() + wide.isNonsingular() + wide.solve(vec({1, 2})).dim(), 0);
    expectNear(wide.getL() * wide.getU(), mat({{4, 5, 6}, {1, 2, 3}}));
    expectEmpty(wide.inv());
}

TEST(LURandom, FactorsInverseAndSolveOnOrders1To40) {
    const Real eps = LDBL_EPSILON;
    for (int n = 1; n <= 40; n += 3) {
        SCOPED_TRACE("order " + std::to_string(n));
        std::mt19937 g(6000 + n);
        Matrix<Real> A = randomMatrix(n, g);
        const Real normA = frob(A);
        LU<Real> lu(A);
        ASSERT_EQ(lu.isNonsingular(), 1);

        // L unit lower triangular with |multipliers| ≤ 1, U upper triangular.
        Matrix<Real> L = lu.getL(), U = lu.getU();
        ASSERT_TRUE(L.num_rows() == n && L.num_cols() == n && U.num_rows() == n && U.num_cols() == n);
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) {
                bool inL = i < j ? L[i][j] == 0 : i == j ? L[i][j] == 1 : std::abs(L[i][j]) <= 1;
                EXPECT_TRUE(inL && (i <= j || U[i][j] == 0)) << i << "," << j;
            }

        // P·A = L·U: each row of L·U is a distinct row of A, within rounding;
        // det is the sign of that permutation times the diagonal of U.
        Matrix<Real> LU_ = L * U;
        std::vector<int> rowOf(n, -1);
        std::vector<bool> used(n, false);
        Real det = 1;
        for (int i = 0; i < n; i++) {
            Real bestDist = INFINITY;
            for (int r = 0; r < n; r++) {
                Real d = 0;
                for (int k = 0; k < n; k++) d = std::fmax(d, std::abs(LU_[i][k] - A[r][k]));
                if (!used[r] && d < bestDist) bestDist = d, rowOf[i] = r;
            }
            ASSERT_LE(bestDist, 2 * n * eps * normA) << "row " << i << " of L*U";
            used[rowOf[i]] = true;
            for (int k = 0; k < i; k++)
                if (rowOf[k] > rowOf[i]) det = -det;
        }
        for (int j = 0; j < n; j++) det = det * U[j][j];
        EXPECT_EQ(lu.det(), det);

        // inv() is solve(I), bit for bit, signs of zeros included; A·A⁻¹ ≈ I.
        Matrix<Real> X = lu.inv(), Y = lu.solve(identity(n)), I = identity(n);
        ASSERT_TRUE(X.num_rows() == n && X.num_cols() == n && Y.num_rows() == n && Y.num_cols() == n);
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++)
                EXPECT_TRUE(X[i][j] == Y[i][j] && std::signbit(X[i][j]) == std::signbit(Y[i][j]));
        Matrix<Real> AX = A * X;
        EXPECT_LE(frob(AX, &I), 2 * n * eps * normA * frob(X));

        // A vector right-hand side: a small residual, and the same numbers
        // as the one-column matrix right-hand side.
        Matrix<Real> B(n, 1, 0);
        for (int i = 0; i < n; i++) B[i][0] = uniform(g);
        Vector<Real> b = column(B, 0), x = lu.solve(b);
        EXPECT_LE(maxAbs(A * x - b), 2 * n * eps * (normA * maxAbs(x) + maxAbs(b)));
        expectNear(x, column(lu.solve(B), 0));
    }
}

}  // namespace
