// Vector and Matrix: ownership, indexing, text formats, and the products
// and differences built on them.
#include <gtest/gtest.h>

#include <limits>
#include <sstream>
#include <string>

#include "matrix_builders.h"

namespace {

template <class T>
std::string text(const T& x) {
    std::ostringstream s;
    s << x;
    return s.str();
}

// Entry (i, j) = (7i + 3j + 1) / 8: distinct, non-zero, exactly representable.
Matrix<Real> sample(int m, int n) {
    Matrix<Real> A(m, n, 0);
    for (int i = 0; i < m; i++)
        for (int j = 0; j < n; j++) A[i][j] = Real(7 * i + 3 * j + 1) / 8;
    return A;
}

// Deep copies; block reuse shows as pointer stability.  (Freed blocks are
// quarantined under AddressSanitizer, so there a reallocation could not
// return the same address.)
TEST(Containers, CopiesAssignmentsIndexingAndBlockReuse) {
    Vector<Real> a(3, 1.5L), b(a);
    b[1] = 9;
    expectVec(a, {1.5L, 1.5L, 1.5L});
    Real* block = &a[0];
    a = vec({4, 5, 6});  // equal lengths: the block is kept
    Vector<Real>& alias = a;
    a = alias;
    EXPECT_EQ(&a[0], block);
    expectVec(a, {4, 5, 6});
    a = vec({7, 8});  // another length: the source's length and values
    expectVec(a, {7, 8});
    Vector<Real> c, d;  // between storage-less vectors nothing happens
    c = d;
    c = vec({1, 2, 3, 4});
    block = &c[0];
    c.newsize(4);  // the current length keeps block and values
    EXPECT_EQ(&c[0], block);
    expectVec(c, {1, 2, 3, 4});
    EXPECT_EQ(c.newsize(6).dim(), 6);

    Matrix<Real> A(2, 3, 0.25L), B(A);
    EXPECT_EQ(A[0] + 3, A[1]);  // consecutive rows
    B(2, 3) = 5;
    EXPECT_EQ(A[1][2], 0.25L);
    Real* row0 = A[0];  // equal shapes, self-assignment and a scalar keep the rows
    A = sample(2, 3);
    Matrix<Real>& aliasA = A;
    A = aliasA;
    EXPECT_EQ(A[0], row0);
    expectNear(A, sample(2, 3));
    A = Real(-2);
    EXPECT_EQ(A[0], row0);
    expectNear(A, Matrix<Real>(2, 3, -2));
    A = sample(3, 2);  // same element count, another shape
    expectNear(A, sample(3, 2));
    EXPECT_EQ(A[1] + 2, A[2]);
    Matrix<Real> C, D;
    C = D;
    C = Real(3);  // no storage: nothing to write
    C = sample(4, 1);
    expectNear(C, sample(4, 1));

    const Vector<Real>& cv = b;
    EXPECT_TRUE(&b(1) == &b[0] && &cv(3) == &cv[2]);
    const Matrix<Real>& cA = A;
    for (int i = 1; i <= 3; i++)
        for (int j = 1; j <= 2; j++) EXPECT_TRUE(&A(i, j) == &A[i - 1][j - 1] && &cA(i, j) == &cA[i - 1][j - 1]);
}

TEST(Containers, TextFormatAndRoundTrip) {
    EXPECT_EQ(text(Vector<Real>()), "0\n\n");
    EXPECT_EQ(text(vec({1, 2.5L, -3})), "3\n1 2.5 -3 \n");
    EXPECT_EQ(text(Matrix<Real>()), "0 0\n");
    EXPECT_EQ(text(Matrix<Real>(2, 0, 1)), "2 0\n\n\n");
    EXPECT_EQ(text(mat({{1, 2}, {3, 4}})), "2 2\n1 2 \n3 4 \n");
    std::ostringstream s;  // the caller's stream settings apply
    s.precision(3);
    s << vec({1.0L / 3, 2}) << Matrix<Real>(1, 1, 2.0L / 3);
    EXPECT_EQ(s.str(), "2\n0.333 2 \n1 1\n0.667 \n");

    // Equal length keeps the block, every value comes back exactly; another
    // count resizes; an unreadable or negative count leaves the vector.
    Vector<Real> w = vec({1.0L / 3, -2.5e-30L, 12345.678L, 0, -7}), r(5, 9);
    std::stringstream t;
    t.precision(std::numeric_limits<Real>::max_digits10);
    t << w << "2\n1.5 -4 \n";
    Real* block = &r[0];
    ASSERT_TRUE(t >> r);
    EXPECT_EQ(&r[0], block);
    expectNear(r, w);
    ASSERT_TRUE(t >> r);
    expectVec(r, {1.5L, -4});
    for (const char* bad : {"x 1 2", "-2 1 2", ""}) {
        std::istringstream in(bad);
        EXPECT_FALSE(in >> r) << bad;
        expectVec(r, {1.5L, -4});
    }
}

TEST(Containers, ArithmeticByHandAndExactProperties) {
    Matrix<Real> A = mat({{1, 2}, {3, 4}});
    expectVec(A * vec({5, 6}), {17, 39});
    expectNear(A * mat({{5, 6}, {7, 8}}), mat({{19, 22}, {43, 50}}));
    expectVec(Real(2.5) * vec({1, -2, 0.5L}), {2.5L, -5, 1.25L});
    expectVec(vec({5, 7, 0.5L}) - vec({1, 9, 0.25L}), {4, -2, 0.25L});

    // Identity and unit vectors reproduce matrices and columns exactly.
    Matrix<Real> R = sample(3, 5);
    expectNear(R * identity(5), R);
    expectNear(identity(3) * R, R);
    for (int j = 0; j < 5; j++) {
        Vector<Real> e(5, 0);
        e[j] = 1;
        expectVec(column(R, j), {R[0][j], R[1][j], R[2][j]});
        expectNear(R * e, column(R, j));
    }
    // Shapes with zero rows or columns.
    EXPECT_EQ((Matrix<Real>(0, 3, 1) * vec({1, 2, 3})).dim(), 0);
    expectVec(Matrix<Real>(2, 0, 1) * Vector<Real>(0, 0), {0, 0});
    expectNear(Matrix<Real>(2, 0, 1) * Matrix<Real>(0, 3, 1), Matrix<Real>(2, 3, 0));
    Matrix<Real> P = Matrix<Real>(0, 2, 1) * Matrix<Real>(2, 3, 1);
    EXPECT_TRUE(P.num_rows() == 0 && P.num_cols() == 3);
    EXPECT_EQ((Real(3) * Vector<Real>()).dim() + (Vector<Real>() - Vector<Real>()).dim(), 0);
}

TEST(ContainersDeathTest, LengthAndShapeAssertions) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Vector<Real> a(3, 1), b(2, 1);
    EXPECT_DEATH((void)(a - b), "vec_zelkor.*N==B\\.dim\\(\\)");
    EXPECT_DEATH(Vector<Real>(-1, 0), "vec_zelkor.*n >= 0");
    EXPECT_DEATH(Matrix<Real>(2, -1, 0), "cmat_zelkor.*M >= 0 && N >= 0");
    EXPECT_DEATH((void)(sample(2, 3) * vec({1, 2})), "cmat_zelkor.*N == x\\.dim\\(\\)");
    EXPECT_DEATH((void)(sample(2, 3) * sample(2, 3)), "cmat_zelkor.*N == B\\.num_rows\\(\\)");
}

}  // namespace
