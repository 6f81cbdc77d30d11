// SPDX-License-Identifier: MIT
// Complex LU, Cholesky and triangular solves: small cases worked by hand,
// and P·A = L·U, L·Lᴴ = A and the solves' residuals on random matrices,
// within tolerances from the unit roundoff u.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

#include <zelkor/cholesky>
#include <zelkor/lu>
#include <zelkor/threads>
#include <zelkor/triangular>
#include "matrix_builders.h"

namespace {

using C = std::complex<Real>;
using CMatrix = Matrix<C>;
const Real u = std::ldexp(Real(1), -64);

CMatrix adjoint(const CMatrix& A) {
    CMatrix H(A.num_cols(), A.num_rows(), 0);
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) H[j][i] = std::conj(A[i][j]);
    return H;
}

Real frob(const CMatrix& A, const CMatrix& B = CMatrix()) {
    Real s = 0;
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) s += std::norm(A[i][j] - (B.num_rows() ? B[i][j] : C(0)));
    return std::sqrt(s);
}

// A = (2, i; −i, 2): no exchange (|2| > |−i|), l = −i/2, u₂₂ = 2 − (−i/2)·i =
// 3/2, det 3; Cholesky L = (√2, 0; −i/√2, √(3/2)), the diagonal's
// imaginary part not read.  (1 + i, 2; 1, 1 − i) has det 0: l = (1 − i)/2
// and u₂₂ = 1 − i − l·2 = 0 exactly.  (1, 2i; −2i, 1): second pivot
// 1 − |2i|² = −3.
TEST(ComplexSmall, Worked) {
    const C i(0, 1);
    const CMatrix A{{2, i}, {-i, 2}};
    const ZELKOR::LU<C> lu(A);
    EXPECT_EQ(lu.getL()[1][0], -i / Real(2));
    EXPECT_EQ(lu.getU()[1][1], C(1.5L));
    EXPECT_EQ(lu.det(), C(3));
    const ZELKOR::LogDeterminant<C> d = lu.logDeterminant();
    EXPECT_EQ(d.sign, C(1));
    EXPECT_CLOSE(d.logAbs, std::log(Real(3)), 4 * u);
    const CMatrix L = ZELKOR::Cholesky<C>(CMatrix{{C(2, 5), 0}, {-i, C(2, -7)}}).getL();
    EXPECT_CLOSE(std::abs(L[0][0] - std::sqrt(Real(2))), 0, 2 * u);
    EXPECT_CLOSE(std::abs(L[1][0] + i / std::sqrt(Real(2))), 0, 2 * u);
    EXPECT_CLOSE(std::abs(L[1][1] - std::sqrt(Real(1.5))), 0, 4 * u);

    const ZELKOR::LU<C> singular(CMatrix{{C(1, 1), 2}, {1, C(1, -1)}});
    EXPECT_EQ(singular.firstZeroPivot(), 1);
    EXPECT_EQ(singular.det(), C(0));
    EXPECT_EQ(singular.logDeterminant().logAbs, -INFINITY);
    EXPECT_EQ(singular.solve(CMatrix(2, 1, 1)).num_rows(), 0);
    EXPECT_EQ(ZELKOR::Cholesky<C>(CMatrix{{1, 0}, {-Real(2) * i, 1}}).firstNonPositivePivot(), 1);
}

// Random A: P·A = L·U within 4n·u·‖L‖·‖U‖, A·X = B and Aᴴ·X = B within
// 4n·u·‖A‖·‖X‖, det = sign·e^logAbs; order 200 factored by panels at 2
// threads gives 1 thread's bits.  HPD A = B·Bᴴ: L·Lᴴ = A, A·A⁻¹ = I and
// the triangular solves with L, Lᵀ and Lᴴ.
TEST(ComplexRandom, FactorsAndSolves) {
    for (int n : {1, 7, 64, 200}) {
        std::mt19937 g(3300 + n);
        const CMatrix A = randomComplex(n, n, g), B = randomComplex(n, 2, g);
        ZELKOR::setThreadCount(1);
        const ZELKOR::LU<C> lu(A);
        const CMatrix L = lu.getL(), U = lu.getU();
        CMatrix PA(n, n, 0);
        for (int r = 0; r < n; r++)
            for (int c = 0; c < n; c++) PA[r][c] = A[lu.getPivot()[r]][c];
        EXPECT_LE(frob(L * U, PA), 4 * n * u * frob(L) * frob(U)) << n;
        const CMatrix X = lu.solve(B), Y = lu.solveConjugateTransposed(B), Z = lu.solveTransposed(B);
        EXPECT_LE(frob(A * X, B), 4 * n * u * frob(A) * frob(X)) << n;
        EXPECT_LE(frob(adjoint(A) * Y, B), 4 * n * u * frob(A) * frob(Y)) << n;
        EXPECT_LE(frob(transpose(A) * Z, B), 4 * n * u * frob(A) * frob(Z)) << n;
        const ZELKOR::LogDeterminant<C> d = lu.logDeterminant();
        if (n <= 64) {  // det itself in range
            EXPECT_LE(std::abs(d.sign * std::exp(d.logAbs) - lu.det()), 4 * n * u * std::abs(lu.det()));
        }
        ZELKOR::setThreadCount(2);
        EXPECT_EQ(frob(ZELKOR::LU<C>(A).getU(), U), 0) << n;

        const CMatrix H = A * adjoint(A);
        const ZELKOR::Cholesky<C> ch(H);
        ASSERT_EQ(ch.isSPD(), 1) << n;
        const CMatrix G = ch.getL(), Hi = ch.inv();
        EXPECT_LE(frob(G * adjoint(G), H), 4 * n * u * frob(H)) << n;
        CMatrix I(n, n, 0);
        for (int r = 0; r < n; r++) I[r][r] = 1;
        EXPECT_LE(frob(H * Hi, I), 4 * n * u * frob(H) * frob(Hi)) << n;
        using ZELKOR::Triangle;
        for (int op = 0; op < 3; op++) {
            const CMatrix T = op == 0 ? G : op == 1 ? transpose(G) : adjoint(G);
            const CMatrix W =
                ZELKOR::solveTriangular(G, B, Triangle::lower, op > 0, ZELKOR::Diagonal::stored, op == 2);
            EXPECT_LE(frob(T * W, B), 4 * n * u * frob(G) * frob(W)) << n << " " << op;
        }
    }
    ZELKOR::setThreadCount(0);
}

}  // namespace
