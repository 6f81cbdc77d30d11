// SPDX-License-Identifier: MIT
// Builders, norms and comparisons in Real (and random complex matrices)
// shared by the container, LU, eigen-decomposition, QR and SVD tests.
#ifndef ZELKOR_TEST_MATRIX_BUILDERS_H
#define ZELKOR_TEST_MATRIX_BUILDERS_H

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>

#include <zelkor/cmat_zelkor>
#include <zelkor/vec_zelkor>

using ZELKOR::Matrix;
using ZELKOR::Real;
using ZELKOR::Vector;

// |a − b| <= tol in Real (EXPECT_NEAR would round both to double).
#define EXPECT_CLOSE(a, b, tol) EXPECT_LE(std::abs(Real(a) - Real(b)), Real(tol)) << (a) << " vs " << (b)

inline Matrix<Real> identity(int n) {
    Matrix<Real> I(n, n, 0);
    for (int i = 0; i < n; i++) I[i][i] = 1;
    return I;
}

using ZELKOR::transpose;

inline Real uniform(std::mt19937& g) { return std::uniform_real_distribution<double>(-1.0, 1.0)(g); }

// Entries uniform in [−1, 1); `symmetric` mirrors the upper triangle.
inline Matrix<Real> randomMatrix(int n, std::mt19937& g, bool symmetric = false) {
    Matrix<Real> A(n, n, 0);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) A[i][j] = (symmetric && j < i) ? A[j][i] : uniform(g);
    return A;
}

// m × n, entries uniform in [−1, 1), row by row.
inline Matrix<Real> randomRect(int m, int n, std::mt19937& g) {
    Matrix<Real> A(m, n, 0);
    for (int i = 0; i < m; i++)
        for (int j = 0; j < n; j++) A[i][j] = uniform(g);
    return A;
}

// m × n, real and imaginary parts uniform in [−1, 1), row by row.
inline Matrix<std::complex<Real>> randomComplex(int m, int n, std::mt19937& g) {
    Matrix<std::complex<Real>> A(m, n, 0);
    for (int i = 0; i < m; i++)
        for (int j = 0; j < n; j++) A[i][j] = std::complex<Real>(uniform(g), uniform(g));
    return A;
}

// ‖A − B‖_F, or ‖A‖_F when B is omitted.
inline Real frob(const Matrix<Real>& A, const Matrix<Real>& B = Matrix<Real>()) {
    Real s = 0;
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) {
            Real d = A[i][j] - (B.num_rows() ? B[i][j] : Real(0));
            s += d * d;
        }
    return std::sqrt(s);
}

// Entrywise within tol; tol = 0 asks for equality.
inline void expectNear(const Matrix<Real>& A, const Matrix<Real>& B, Real tol = 0) {
    ASSERT_EQ(A.num_rows(), B.num_rows());
    ASSERT_EQ(A.num_cols(), B.num_cols());
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) EXPECT_CLOSE(A[i][j], B[i][j], tol) << " at " << i << "," << j;
}

inline void expectNear(const Vector<Real>& a, const Vector<Real>& b, Real tol = 0) {
    ASSERT_EQ(a.dim(), b.dim());
    for (int i = 0; i < a.dim(); i++) EXPECT_CLOSE(a[i], b[i], tol) << " at " << i;
}

// ‖A·V − V·D‖_F / (n·‖A‖_F·‖V‖_F·2⁻⁵²): about 1 for an eigen-decomposition
// accurate to 52 bits.
inline Real scaledResidual(const Matrix<Real>& A, const Matrix<Real>& V, const Matrix<Real>& D) {
    return frob(A * V, V * D) / (A.num_cols() * frob(A) * frob(V) * std::ldexp(Real(1), -52));
}

inline void expectEmpty(const Matrix<Real>& X) { EXPECT_EQ(X.num_rows() + X.num_cols(), 0); }

#endif
