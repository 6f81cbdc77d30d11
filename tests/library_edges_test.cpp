// hypot when the quotient overflows, the row permutation of LU, and the
// initializer-list constructors.
#include <gtest/gtest.h>

#include "eigenvalue"
#include "lu"
#include "matrix_builders.h"

namespace {

using ZELKOR::Eigenvalue;
using ZELKOR::LU;

TEST(LibraryEdges, HypotWithATinyFirstArgument) {
    // √(a² + b²) by hand; in the first two rows (b/a)² overflows.
    struct Case {
        Real a, b, want;
    } cases[] = {{1e-2500L, 1, 1}, {1e-2500L, -4e-2000L, 4e-2000L}, {3, 4, 5}, {0, -3, 3}};
    for (const Case& c : cases) EXPECT_CLOSE(ZELKOR::hypot(c.a, c.b), c.want, 4 * LDBL_EPSILON * c.want);
    EXPECT_NEAR(ZELKOR::hypot(1e-160, 1.0), 1.0, 1e-15);
}

// Rows (0, 1), (1, e): λ = (e ± √(e² + 4)) / 2, which is ±1 to every digit
// for these e.  Both used to overflow in hypot.
TEST(LibraryEdges, SymmetricPathWithATinyEntry) {
    Eigenvalue<Real> real(mat({{0, 1}, {1, 1e-2500L}}));
    Vector<Real> re;
    real.getRealEigenvalues(re);
    EXPECT_EQ(real.isConverged(), 1);
    expectVec(re, {-1, 1}, 4 * LDBL_EPSILON);

    Matrix<double> A{{0, 1}, {1, 1e-160}};
    Eigenvalue<double> dbl(A);
    Vector<double> red;
    dbl.getRealEigenvalues(red);
    ASSERT_EQ(red.dim(), 2);
    EXPECT_NEAR(red[0], -1, 1e-15);
    EXPECT_NEAR(red[1], 1, 1e-15);
}

// Rows (1, 3, 1), (2, 2, 1), (4, 4, 0): column 0 takes row 2, column 1 the
// former row 1 (|2 − 0.5·4| = 0 < |3 − 0.25·4| = 2): P·A has rows 2, 0, 1.
TEST(LibraryEdges, PivotFormsP) {
    Matrix<Real> A{{1, 3, 1}, {2, 2, 1}, {4, 4, 0}};
    LU<Real> lu(A);
    Vector<int> piv = lu.getPivot();
    ASSERT_EQ(piv.dim(), 3);
    EXPECT_EQ(piv[0], 2);
    EXPECT_EQ(piv[1], 0);
    EXPECT_EQ(piv[2], 1);
    Matrix<Real> PA(3, 3, 0);
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) PA[i][j] = A[piv[i]][j];
    expectNear(lu.getL() * lu.getU(), PA);
}

TEST(LibraryEdges, InitializerLists) {
    Vector<Real> x{1, 2.5, -3};
    expectVec(x, {1, 2.5, -3});
    Matrix<Real> A{{4, 1}, {2, 3}};
    expectNear(A, mat({{4, 1}, {2, 3}}));
    Matrix<Real> ragged{{1}, {2, 3}};  // the short row ends in zeros
    expectNear(ragged, mat({{1, 0}, {2, 3}}));
    EXPECT_EQ(Vector<Real>(2, 0).dim(), 2);  // parentheses: the (length, fill) constructor
}

}  // namespace
