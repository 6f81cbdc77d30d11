// LU with partial pivoting: small factorisations worked by hand, and the
// identities P·A = L·U, A·A⁻¹ ≈ I and inv = solve(I) on random matrices.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <initializer_list>
#include <random>
#include <vector>

#include "cmat_zelkor"
#include "lu"
#include "vec_zelkor"

namespace {

using ZELKOR::LU;
using ZELKOR::Matrix;
using ZELKOR::Real;
using ZELKOR::Vector;

Matrix<Real> mat(std::initializer_list<std::initializer_list<Real>> rows) {
    Matrix<Real> A(static_cast<int>(rows.size()), static_cast<int>(rows.begin()->size()), 0);
    int i = 0;
    for (const auto& row : rows) {
        int j = 0;
        for (Real x : row) A[i][j++] = x;
        i++;
    }
    return A;
}

Vector<Real> vec(std::initializer_list<Real> xs) {
    Vector<Real> v(static_cast<int>(xs.size()), 0);
    int i = 0;
    for (Real x : xs) v[i++] = x;
    return v;
}

Matrix<Real> identity(int n) {
    Matrix<Real> I(n, n, 0);
    for (int i = 0; i < n; i++) I[i][i] = 1;
    return I;
}

void expectSame(const Matrix<Real>& A, const Matrix<Real>& B) {
    ASSERT_EQ(A.num_rows(), B.num_rows());
    ASSERT_EQ(A.num_cols(), B.num_cols());
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) EXPECT_EQ(A[i][j], B[i][j]) << "at " << i << "," << j;
}

void expectSame(const Vector<Real>& a, const Vector<Real>& b) {
    ASSERT_EQ(a.dim(), b.dim());
    for (int i = 0; i < a.dim(); i++) EXPECT_EQ(a[i], b[i]) << "at " << i;
}

void expectEmpty(const Matrix<Real>& X) {
    EXPECT_EQ(X.num_rows(), 0);
    EXPECT_EQ(X.num_cols(), 0);
}

// Maximum absolute row sum.
Real normInf(const Matrix<Real>& A) {
    Real best = 0;
    for (int i = 0; i < A.num_rows(); i++) {
        Real s = 0;
        for (int j = 0; j < A.num_cols(); j++) s += std::abs(A[i][j]);
        if (s > best) best = s;
    }
    return best;
}

Real maxAbs(const Vector<Real>& x) {
    Real best = 0;
    for (int i = 0; i < x.dim(); i++)
        if (std::abs(x[i]) > best) best = std::abs(x[i]);
    return best;
}

TEST(LUSmall, OneByOneAndTieWithoutExchange) {
    LU<Real> one(mat({{3.5L}}));
    expectSame(one.getL(), mat({{1}}));
    expectSame(one.getU(), mat({{3.5L}}));
    EXPECT_EQ(one.det(), 3.5L);
    EXPECT_EQ(one.isNonsingular(), 1);
    expectSame(one.solve(vec({7})), vec({2}));
    expectSame(one.inv(), mat({{1 / 3.5L}}));

    // |1| = |−1| in column 0: the first row keeps the pivot, multiplier −1.
    Matrix<Real> A = mat({{1, 2}, {-1, 3}});
    LU<Real> tie(A);
    expectSame(tie.getL(), mat({{1, 0}, {-1, 1}}));
    expectSame(tie.getU(), mat({{1, 2}, {0, 5}}));
    expectSame(tie.getL() * tie.getU(), A);
    EXPECT_EQ(tie.det(), 5);
    // x1 + 2·x2 = 3, −x1 + 3·x2 = 2.
    expectSame(tie.solve(vec({3, 2})), vec({1, 1}));
    expectSame(tie.solve(mat({{3, 1}, {2, -1}})), mat({{1, 1}, {1, 0}}));
    expectSame(A, mat({{1, 2}, {-1, 3}}));  // the input is not touched

    // The multiplier is 9/10 rounded once, not 9 times a rounded 1/10.
    LU<Real> q(mat({{10, 1}, {9, 2}}));
    EXPECT_EQ(q.getL()[1][0], Real(9) / Real(10));
}

TEST(LUSmall, ExchangeMatrix) {
    Matrix<Real> A = mat({{0, 1}, {1, 0}});
    LU<Real> lu(A);
    expectSame(lu.getL(), identity(2));
    expectSame(lu.getU(), identity(2));
    EXPECT_EQ(lu.det(), -1);
    EXPECT_EQ(lu.isNonsingular(), 1);
    expectSame(lu.solve(vec({2, 3})), vec({3, 2}));
    expectSame(lu.inv(), A);
}

TEST(LUSmall, SingularFactorsGiveEmptyResults) {
    // Rows exchanged, multiplier 1/2, second pivot exactly 0.
    LU<Real> lu(mat({{1, 1}, {2, 2}}));
    expectSame(lu.getL(), mat({{1, 0}, {0.5L, 1}}));
    expectSame(lu.getU(), mat({{2, 2}, {0, 0}}));
    EXPECT_EQ(lu.isNonsingular(), 0);
    Real d = lu.det();  // (−1)·2·0
    EXPECT_EQ(d, 0);
    EXPECT_TRUE(std::signbit(d));
    EXPECT_EQ(lu.solve(vec({1, 2})).dim(), 0);
    expectEmpty(lu.solve(identity(2)));
    expectEmpty(lu.inv());

    // Zero first column: nothing to divide by, the factorisation goes on.
    LU<Real> zero(mat({{0, 1, 2}, {0, 3, 4}, {0, 5, 7}}));
    EXPECT_EQ(zero.isNonsingular(), 0);
    EXPECT_EQ(zero.det(), 0);
    EXPECT_EQ(zero.getU()[0][0], 0);
    EXPECT_EQ(zero.solve(vec({1, 2, 3})).dim(), 0);
    expectEmpty(zero.solve(identity(3)));
    expectEmpty(zero.inv());
}

TEST(LUSmall, MismatchedRightHandSidesAndWideMatrix) {
    LU<Real> lu(mat({{1, 2}, {-1, 3}}));
    expectEmpty(lu.solve(Matrix<Real>(3, 2, 1)));
    expectEmpty(lu.solve(Matrix<Real>(1, 2, 1)));
    EXPECT_EQ(lu.solve(vec({1, 2, 3})).dim(), 0);
    EXPECT_EQ(lu.solve(Vector<Real>()).dim(), 0);

    // 2 × 3: no determinant, treated as singular; L·U still gives the rows
    // of A, pivoted (|4| > |1|): (4, 5, 6) then (1, 2, 3).
    LU<Real> wide(mat({{1, 2, 3}, {4, 5, 6}}));
    EXPECT_EQ(wide.det(), 0);
    EXPECT_EQ(wide.isNonsingular(), 0);
    Matrix<Real> L = wide.getL();
    Matrix<Real> U = wide.getU();
    ASSERT_EQ(L.num_rows(), 2);
    ASSERT_EQ(L.num_cols(), 3);
    ASSERT_EQ(U.num_rows(), 3);
    expectSame(L * U, mat({{4, 5, 6}, {1, 2, 3}}));
    EXPECT_EQ(wide.solve(vec({1, 2})).dim(), 0);
    expectEmpty(wide.solve(identity(2)));
    expectEmpty(wide.inv());
}

TEST(LURandom, FactorsInverseAndSolveOnOrders1To40) {
    std::mt19937 gen(271828);
    std::uniform_real_distribution<Real> unif(-1, 1);
    const Real eps = LDBL_EPSILON;
    for (int n = 1; n <= 40; n++) {
        SCOPED_TRACE(testing::Message() << "order " << n);
        Matrix<Real> A(n, n, 0);
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) A[i][j] = unif(gen);
        const Real normA = normInf(A);
        LU<Real> lu(A);
        ASSERT_EQ(lu.isNonsingular(), 1);

        // L unit lower triangular with |multipliers| ≤ 1, U upper triangular.
        Matrix<Real> L = lu.getL();
        Matrix<Real> U = lu.getU();
        ASSERT_EQ(L.num_rows(), n);
        ASSERT_EQ(U.num_rows(), n);
        int misplaced = 0;
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) {
                bool okL = i < j ? L[i][j] == 0 : i == j ? L[i][j] == 1 : std::abs(L[i][j]) <= 1;
                bool okU = i <= j || U[i][j] == 0;
                misplaced += !okL + !okU;
            }
        EXPECT_EQ(misplaced, 0);

        // P·A = L·U: each row of L·U is a distinct row of A, within rounding.
        Matrix<Real> LU_ = L * U;
        const Real tol = 2 * n * eps * normA;
        std::vector<int> rowOf(n, -1);
        std::vector<bool> used(n, false);
        for (int i = 0; i < n; i++) {
            int best = -1;
            Real bestDist = INFINITY;
            for (int r = 0; r < n; r++) {
                if (used[r]) continue;
                Real d = 0;
                for (int k = 0; k < n; k++) d = std::fmax(d, std::abs(LU_[i][k] - A[r][k]));
                if (d < bestDist) {
                    bestDist = d;
                    best = r;
                }
            }
            ASSERT_GE(best, 0);
            EXPECT_LE(bestDist, tol) << "row " << i << " of L*U";
            used[best] = true;
            rowOf[i] = best;
        }

        // det is the sign of that permutation times the diagonal of U.
        int inversions = 0;
        for (int i = 0; i < n; i++)
            for (int k = i + 1; k < n; k++)
                if (rowOf[i] > rowOf[k]) inversions++;
        Real det = inversions % 2 ? -1 : 1;
        for (int j = 0; j < n; j++) det = det * U[j][j];
        EXPECT_EQ(lu.det(), det);

        // inv() is solve(I), bit for bit.
        Matrix<Real> X = lu.inv();
        Matrix<Real> Y = lu.solve(identity(n));
        ASSERT_EQ(X.num_rows(), n);
        ASSERT_EQ(Y.num_rows(), n);
        ASSERT_EQ(Y.num_cols(), n);
        int differ = 0;
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++)
                if (!(X[i][j] == Y[i][j]) || std::signbit(X[i][j]) != std::signbit(Y[i][j])) differ++;
        EXPECT_EQ(differ, 0);

        // A·A⁻¹ ≈ I.
        Matrix<Real> AX = A * X;
        Real worst = 0;
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) worst = std::fmax(worst, std::abs(AX[i][j] - (i == j ? 1 : 0)));
        EXPECT_LE(worst, 2 * n * eps * normA * normInf(X));

        // A vector right-hand side: a small residual, and the same numbers
        // as the one-column matrix right-hand side.
        Vector<Real> b(n, 0);
        Matrix<Real> B(n, 1, 0);
        for (int i = 0; i < n; i++) B[i][0] = b[i] = unif(gen);
        Vector<Real> x = lu.solve(b);
        ASSERT_EQ(x.dim(), n);
        EXPECT_LE(maxAbs(A * x - b), 2 * n * eps * (normA * maxAbs(x) + maxAbs(b)));
        Matrix<Real> xB = lu.solve(B);
        ASSERT_EQ(xB.num_cols(), 1);
        for (int i = 0; i < n; i++) EXPECT_EQ(x[i], xB[i][0]);
    }
}

}  // namespace
