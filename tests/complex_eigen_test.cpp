// SPDX-License-Identifier: MIT
// The complex eigen-decomposition: A·V = V·diag(w) on random, defective
// and cyclic matrices (the last two converge only by the shifts' rules),
// the values alone the same bits; a badly scaled matrix's eigenvalues;
// non-finite input refused without a hang.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <random>

#include <zelkor/complex_eigen>
#include "matrix_builders.h"

namespace {

using Cplx = std::complex<Real>;
using ZELKOR::ComplexEigen;

Matrix<Cplx> product(const Matrix<Cplx>& A, const Matrix<Cplx>& B) {
    const int n = A.num_rows();
    Matrix<Cplx> P(n, n, Cplx(0, 0));
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++)
            for (int k = 0; k < n; k++) P[i][j] += A[i][k] * B[k][j];
    return P;
}

bool sameBits(Real a, Real b) {
    return std::memcmp(&a, &b, std::numeric_limits<Real>::digits == 64 ? 10 : sizeof(Real)) == 0;
}

// ‖A·V − V·diag(w)‖_F / (‖A‖_F·‖V‖_F) in units of T's epsilon; expects
// convergence and the values alone to be the same bits.
Real residual(const Matrix<Cplx>& A) {
    const int n = A.num_rows();
    ZELKOR::EigenOptions options;
    options.negligibility = ZELKOR::Negligibility::typeEpsilon;
    ComplexEigen<Real> e(A, options);
    options.vectors = false;
    ComplexEigen<Real> values(A, options);
    EXPECT_TRUE(e.isConverged());
    EXPECT_TRUE(values.isConverged());
    const Vector<Cplx> w = e.getEigenvalues(), w2 = values.getEigenvalues();
    const Matrix<Cplx> V = e.getV();
    EXPECT_EQ(values.getV().num_rows(), 0);
    Real r = 0, a = 0, v = 0;
    for (int i = 0; i < n; i++) {
        EXPECT_TRUE(sameBits(w[i].real(), w2[i].real()) && sameBits(w[i].imag(), w2[i].imag())) << i;
        for (int j = 0; j < n; j++) {
            Cplx s = -V[i][j] * w[j];
            for (int k = 0; k < n; k++) s += A[i][k] * V[k][j];
            r += std::norm(s);
            a += std::norm(A[i][j]);
            v += std::norm(V[i][j]);
        }
    }
    return std::sqrt(r / (a * v)) / std::numeric_limits<Real>::epsilon();
}

TEST(ComplexEigen, ResidualOnRandomAndBadlyScaledMatrices) {
    std::mt19937 g(7);
    for (int n : {1, 2, 9, 40}) EXPECT_LT(residual(randomComplex(n, n, g)), n + 8) << "order " << n;
    // B = D·A·D⁻¹, D = diag(2^(20·i)): A's eigenvalues, which the iteration
    // finds to A's accuracy only on B balanced.
    const Matrix<Cplx> A = randomComplex(8, 8, g);
    Matrix<Cplx> B = A;
    for (int i = 0; i < 8; i++)
        for (int j = 0; j < 8; j++) B[i][j] *= std::ldexp(Real(1), 20 * (i - j));
    ComplexEigen<Real> a(A), b(B);
    EXPECT_TRUE(b.isBalanced());
    for (int k = 0; k < 8; k++) {
        Real nearest = 1;
        for (int m = 0; m < 8; m++)
            nearest = std::min(nearest, std::abs(b.getEigenvalues()[k] - a.getEigenvalues()[m]));
        EXPECT_LT(nearest, 1e-14);
    }
}

// A = S·J·S⁻¹ with J the Jordan block of 1 + i (S unit lower triangular,
// so S⁻¹ is exact to form), and the cyclic shift, whose eigenvalues are
// the 6th roots of unity and on which the ordinary shift is 0 for ever.
TEST(ComplexEigen, DefectiveAndCyclicMatricesConverge) {
    const int n = 6;
    Matrix<Cplx> S(n, n, Cplx(0, 0)), J(n, n, Cplx(0, 0)), Z(n, n, Cplx(0, 0));
    for (int i = 0; i < n; i++) {
        S[i][i] = 1;
        if (i > 0) S[i][i - 1] = Cplx(0.5, -0.25);
        J[i][i] = Cplx(1, 1);
        if (i + 1 < n) J[i][i + 1] = 1;
        Z[(i + 1) % n][i] = 1;
    }
    Matrix<Cplx> Sinv(n, n, Cplx(0, 0));  // (I + N)⁻¹ = Σ (−N)^k
    for (int i = 0; i < n; i++)
        for (int j = 0; j <= i; j++) Sinv[i][j] = std::pow(-S[1][0], i - j);
    const Matrix<Cplx> A = product(product(S, J), Sinv);
    EXPECT_LT(residual(J), 50);  // every difference T[i][i] − λ exactly 0
    EXPECT_LT(residual(A), 50);
    EXPECT_LT(residual(Z), 50);
    ComplexEigen<Real> z(Z);
    for (int k = 0; k < n; k++) {
        const Cplx w = z.getEigenvalues()[k];
        EXPECT_LT(std::abs(std::pow(w, n) - Real(1)), 1e-15) << w;
    }
}

TEST(ComplexEigen, NonFiniteEntriesAndWrongShapesAreNotConverged) {
    std::mt19937 g(3);
    for (Real bad : {std::numeric_limits<Real>::quiet_NaN(), std::numeric_limits<Real>::infinity()}) {
        Matrix<Cplx> A = randomComplex(12, 12, g);
        A[5][3] = Cplx(1, bad);
        EXPECT_FALSE(ComplexEigen<Real>(A).isConverged());
    }
    EXPECT_FALSE(ComplexEigen<Real>(Matrix<Cplx>(2, 3, Cplx(0, 0))).isConverged());
    EXPECT_EQ(ComplexEigen<Real>(Matrix<Cplx>(2, 3, Cplx(0, 0))).getEigenvalues().dim(), 0);
}

}  // namespace
