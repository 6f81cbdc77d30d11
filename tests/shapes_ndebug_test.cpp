// SPDX-License-Identifier: MIT
// Shapes the decompositions cannot work on, in a build without assertions
// (NDEBUG) under AddressSanitizer: the checks are ordinary code, so nothing
// is read or written outside the storage and the results are empty.
#define NDEBUG  // as in a consumer's release build; this file alone
#include <gtest/gtest.h>

#include <zelkor/cholesky>
#include <zelkor/eigenvalue>
#include <zelkor/lu>
#include "matrix_builders.h"

namespace {

using ZELKOR::Eigenvalue;
using ZELKOR::LU;

TEST(ShapesWithoutAssertions, EmptyResults) {
    // More columns than rows: no square block to decompose.
    Eigenvalue<Real> wide(Matrix<Real>{{1, 2, 3}, {4, 5, 6}});
    Vector<Real> re(5, 1), im(5, 1);
    Matrix<Real> V(5, 5, 1), D(5, 5, 1);
    wide.getRealEigenvalues(re);
    wide.getImagEigenvalues(im);
    wide.getV(V);
    wide.getD(D);
    EXPECT_EQ(
        wide.isConverged() + re.dim() + im.dim() + V.num_rows() + V.num_cols() + D.num_rows() + D.num_cols(),
        0);
    expectEmpty(Matrix<Real>{{2, 1}, {4}});  // rows of different lengths

    // A non-square factor, tall and wide: singular, empty solves.  Wide,
    // L·U gives the rows of A pivoted (|4| > |1|).
    for (const Matrix<Real>& A : {Matrix<Real>{{1, 2}, {3, 4}, {5, 6}}, Matrix<Real>{{1, 2, 3}, {4, 5, 6}}}) {
        LU<Real> lu(A);
        EXPECT_EQ(lu.isNonsingular() + lu.det() + lu.solve(Vector<Real>(A.num_rows(), 1)).dim(), 0);
        expectEmpty(lu.solve(Matrix<Real>(A.num_rows(), 2, 1)));
        expectEmpty(lu.inv());
        if (A.num_rows() == 2) expectNear(lu.getL() * lu.getU(), {{4, 5, 6}, {1, 2, 3}});
    }
    // Not SPD, though every pivot the rows or columns hold is 1.
    for (const Matrix<Real>& A : {Matrix<Real>{{1, 0}, {0, 1}, {0, 0}}, Matrix<Real>{{1, 0, 0}, {0, 1, 0}}}) {
        ZELKOR::Cholesky<Real> c(A);
        EXPECT_EQ(c.isSPD() + c.solve(Vector<Real>(A.num_rows(), 1)).dim() + c.getL().num_rows(), 0);
        expectEmpty(c.inv());
    }
}

// Every operation that combines two objects, on shapes that do not fit:
// empty results, nothing touched outside the operands' storage.
TEST(ShapesWithoutAssertions, ArithmeticGivesEmptyResults) {
    const Matrix<Real> A(2, 3, 1), B(2, 2, 1);
    const Vector<Real> a{1, 2, 3}, b{1};
    EXPECT_EQ((a - b).dim() + (b - a).dim() + (A * b).dim() + (B * a).dim(), 0);
    EXPECT_EQ(ZELKOR::column(A, 3).dim() + ZELKOR::column(A, -1).dim(), 0);
    for (const Matrix<Real>& R : {A * B, A * A, A + B, B - A}) expectEmpty(R);
}

// Element counts beyond int fail as an allocation does, before anything is
// allocated (46341² wraps to a negative int, 65537² to 131073).
TEST(ShapesWithoutAssertions, CountsBeyondIntThrow) {
    for (int n : {46341, 65537}) EXPECT_THROW(Matrix<Real>(n, n, 0), std::bad_array_new_length);
}

}  // namespace
