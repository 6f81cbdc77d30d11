// Vector and Matrix: ownership, indexing, text formats, and the products
// and differences built on them.
#include <gtest/gtest.h>

#include <initializer_list>
#include <limits>
#include <sstream>
#include <string>

#include "cmat_zelkor"
#include "vec_zelkor"

namespace {

using ZELKOR::Matrix;
using ZELKOR::Real;
using ZELKOR::Vector;

template <class T>
std::string text(const T& x) {
    std::ostringstream s;
    s << x;
    return s.str();
}

Vector<Real> vec(std::initializer_list<Real> xs) {
    Vector<Real> v(static_cast<int>(xs.size()), 0);
    int i = 0;
    for (Real x : xs) v[i++] = x;
    return v;
}

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

// Entry (i, j) = (7i + 3j + 1) / 8: distinct, non-zero, exactly representable.
Matrix<Real> sample(int m, int n) {
    Matrix<Real> A(m, n, 0);
    for (int i = 0; i < m; i++)
        for (int j = 0; j < n; j++) A[i][j] = Real(7 * i + 3 * j + 1) / 8;
    return A;
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

TEST(VectorOwnership, CopiesAssignmentsAndBlockReuse) {
    Vector<Real> empty;
    EXPECT_EQ(empty.dim(), 0);
    EXPECT_EQ(empty.size(), 0);

    Vector<Real> a(3, 1.5L);
    expectSame(a, vec({1.5L, 1.5L, 1.5L}));

    // A deep copy: its own block, independent values.
    Vector<Real> b(a);
    EXPECT_NE(&b[0], &a[0]);
    b[1] = 9;
    EXPECT_EQ(a[1], 1.5L);

    // Equal lengths: the destination keeps its block and takes the values.
    // (Freed blocks are quarantined under AddressSanitizer, so there a
    // reallocation could not come back at the same address.)
    Real* block = &a[0];
    a = vec({4, 5, 6});
    EXPECT_EQ(&a[0], block);
    expectSame(a, vec({4, 5, 6}));

    // Self-assignment changes nothing.
    Vector<Real>& alias = a;
    a = alias;
    EXPECT_EQ(&a[0], block);
    expectSame(a, vec({4, 5, 6}));

    // Another length: the source's length and values.
    a = vec({7, 8});
    expectSame(a, vec({7, 8}));
    a = Vector<Real>(0, 2);
    EXPECT_EQ(a.dim(), 0);

    // Between storage-less vectors nothing happens; the target stays usable.
    Vector<Real> c, d;
    c = d;
    c = Vector<Real>(0, 1);
    EXPECT_EQ(c.dim(), 0);
    c = vec({1, 2, 3, 4});
    expectSame(c, vec({1, 2, 3, 4}));

    // newsize with the current length keeps block and values.
    block = &c[0];
    c.newsize(4);
    EXPECT_EQ(&c[0], block);
    expectSame(c, vec({1, 2, 3, 4}));
    c.newsize(6);
    EXPECT_EQ(c.dim(), 6);
}

TEST(MatrixOwnership, CopiesAssignmentsAndBlockReuse) {
    Matrix<Real> empty;
    EXPECT_EQ(empty.num_rows(), 0);
    EXPECT_EQ(empty.num_cols(), 0);
    empty = Real(3);  // no storage: nothing to write
    EXPECT_EQ(empty.num_rows(), 0);

    Matrix<Real> A(2, 3, 0.25L);
    for (int i = 0; i < 2; i++)
        for (int j = 0; j < 3; j++) EXPECT_EQ(A[i][j], 0.25L);
    EXPECT_EQ(A[0] + 3, A[1]);  // consecutive rows

    // A deep copy with its own rows.
    Matrix<Real> B(A);
    EXPECT_NE(B[0], A[0]);
    EXPECT_NE(B[1], A[1]);
    EXPECT_EQ(B[0] + 3, B[1]);
    B(2, 3) = 5;
    EXPECT_EQ(A[1][2], 0.25L);

    // Equal shapes: rows stay where they were.
    Real* row0 = A[0];
    Real* row1 = A[1];
    A = sample(2, 3);
    EXPECT_EQ(A[0], row0);
    EXPECT_EQ(A[1], row1);
    expectSame(A, sample(2, 3));

    Matrix<Real>& alias = A;
    A = alias;
    EXPECT_EQ(A[0], row0);
    expectSame(A, sample(2, 3));

    // Scalar assignment fills and keeps the shape and the rows.
    A = Real(-2);
    EXPECT_EQ(A[0], row0);
    expectSame(A, Matrix<Real>(2, 3, -2));

    // Same element count, another shape: the source's shape.
    A = sample(3, 2);
    EXPECT_EQ(A.num_rows(), 3);
    EXPECT_EQ(A.num_cols(), 2);
    expectSame(A, sample(3, 2));
    EXPECT_EQ(A[1] + 2, A[2]);

    // Between storage-less matrices nothing happens; the target stays usable.
    Matrix<Real> C, D;
    C = D;
    C = Matrix<Real>(0, 0, 0);
    EXPECT_EQ(C.num_rows(), 0);
    C = sample(4, 1);
    expectSame(C, sample(4, 1));
}

TEST(Indexing, OneBasedAndZeroBasedNameTheSameElement) {
    Vector<Real> v = vec({10, 20, 30, 40});
    const Vector<Real>& cv = v;
    for (int i = 1; i <= 4; i++) {
        EXPECT_EQ(&v(i), &v[i - 1]);
        EXPECT_EQ(&cv(i), &cv[i - 1]);
    }
    v(4) = -1;
    EXPECT_EQ(v[3], -1);

    Vector<int> p(3, 7);
    p(1) = 2;
    EXPECT_EQ(p[0], 2);
    EXPECT_EQ(&p(3), &p[2]);

    Matrix<Real> A = sample(3, 4);
    const Matrix<Real>& cA = A;
    for (int i = 1; i <= 3; i++)
        for (int j = 1; j <= 4; j++) {
            EXPECT_EQ(&A(i, j), &A[i - 1][j - 1]);
            EXPECT_EQ(&cA(i, j), &cA[i - 1][j - 1]);
        }
    A(1, 1) = 100;
    A(3, 4) = 200;
    EXPECT_EQ(A[0][0], 100);
    EXPECT_EQ(A[2][3], 200);
}

TEST(StreamFormat, ExactTextIncludingEmptyObjects) {
    EXPECT_EQ(text(Vector<Real>()), "0\n\n");
    EXPECT_EQ(text(Vector<Real>(0, 5)), "0\n\n");
    EXPECT_EQ(text(vec({0.5L})), "1\n0.5 \n");
    EXPECT_EQ(text(vec({1, 2.5L, -3})), "3\n1 2.5 -3 \n");
    EXPECT_EQ(text(Vector<Real>(1, 1.0L / 3)), "1\n0.333333 \n");

    EXPECT_EQ(text(Matrix<Real>()), "0 0\n");
    EXPECT_EQ(text(Matrix<Real>(0, 0, 1)), "0 0\n");
    EXPECT_EQ(text(Matrix<Real>(0, 3, 1)), "0 3\n");
    EXPECT_EQ(text(Matrix<Real>(2, 0, 1)), "2 0\n\n\n");
    EXPECT_EQ(text(mat({{1, 2}, {3, 4}})), "2 2\n1 2 \n3 4 \n");

    // The caller's stream settings apply.
    std::ostringstream s;
    s.precision(3);
    s << vec({1.0L / 3, 2}) << Matrix<Real>(1, 1, 2.0L / 3);
    EXPECT_EQ(s.str(), "2\n0.333 2 \n1 1\n0.667 \n");
}

TEST(StreamInput, RoundTripResizingAndBadCounts) {
    Vector<Real> w = vec({1.0L / 3, -2.5e-30L, 12345.678L, 0, -7});
    std::stringstream s;
    s.precision(std::numeric_limits<Real>::max_digits10);
    s << w;

    // Equal length: the block is kept and every value comes back exactly.
    Vector<Real> r(5, 9);
    Real* block = &r[0];
    ASSERT_TRUE(s >> r);
    EXPECT_EQ(&r[0], block);
    expectSame(r, w);

    // Another count resizes.
    std::istringstream t("2\n1.5 -4 \n");
    ASSERT_TRUE(t >> r);
    expectSame(r, vec({1.5L, -4}));
    std::istringstream z("0\n\n");
    ASSERT_TRUE(z >> r);
    EXPECT_EQ(r.dim(), 0);

    // A count that cannot be read, or a negative one: unchanged, stream failed.
    Vector<Real> u = vec({3, 4});
    std::istringstream bad("x 1 2");
    EXPECT_FALSE(bad >> u);
    expectSame(u, vec({3, 4}));
    std::istringstream neg("-2 1 2");
    EXPECT_FALSE(neg >> u);
    expectSame(u, vec({3, 4}));
    std::istringstream none("");
    EXPECT_FALSE(none >> u);
    expectSame(u, vec({3, 4}));
}

TEST(Arithmetic, HandProductsAndExactProperties) {
    Matrix<Real> A = mat({{1, 2}, {3, 4}});
    Matrix<Real> B = mat({{5, 6}, {7, 8}});
    Vector<Real> y = vec({5, 6});
    expectSame(A * y, vec({17, 39}));
    expectSame(A * B, mat({{19, 22}, {43, 50}}));
    expectSame(A, mat({{1, 2}, {3, 4}}));  // operands unchanged
    expectSame(B, mat({{5, 6}, {7, 8}}));
    expectSame(y, vec({5, 6}));
    expectSame(Real(2.5) * vec({1, -2, 0.5L}), vec({2.5L, -5, 1.25L}));
    expectSame(vec({5, 7, 0.5L}) - vec({1, 9, 0.25L}), vec({4, -2, 0.25L}));

    // Identity and unit vectors reproduce matrices and columns exactly.
    Matrix<Real> S = sample(4, 4);
    expectSame(S * identity(4), S);
    expectSame(identity(4) * S, S);
    Matrix<Real> R = sample(3, 5);
    expectSame(R * identity(5), R);
    expectSame(identity(3) * R, R);
    for (int j = 0; j < 5; j++) {
        Vector<Real> e(5, 0);
        e[j] = 1;
        Vector<Real> col = column(R, j);
        ASSERT_EQ(col.dim(), 3);
        for (int i = 0; i < 3; i++) EXPECT_EQ(col[i], R[i][j]);
        expectSame(R * e, col);
    }
    expectSame(R, sample(3, 5));

    // Shapes with zero rows or columns.
    EXPECT_EQ((Matrix<Real>(0, 3, 1) * vec({1, 2, 3})).dim(), 0);
    expectSame(Matrix<Real>(2, 0, 1) * Vector<Real>(0, 0), vec({0, 0}));
    expectSame(Matrix<Real>(2, 0, 1) * Matrix<Real>(0, 3, 1), Matrix<Real>(2, 3, 0));
    Matrix<Real> P = Matrix<Real>(0, 2, 1) * Matrix<Real>(2, 3, 1);
    EXPECT_EQ(P.num_rows(), 0);
    EXPECT_EQ(P.num_cols(), 3);
    EXPECT_EQ(column(Matrix<Real>(0, 2, 1), 1).dim(), 0);

    // A − A and 0·x are zeros of the same length; empty stays empty.
    Vector<Real> x = vec({1.0L / 3, -1e300L, 7});
    expectSame(x - x, vec({0, 0, 0}));
    expectSame(Real(0) * x, vec({0, 0, 0}));
    EXPECT_EQ((Real(3) * Vector<Real>()).dim(), 0);
    EXPECT_EQ((Vector<Real>() - Vector<Real>()).dim(), 0);
}

TEST(ContainersDeathTest, LengthAndShapeAssertions) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Vector<Real> a(3, 1), b(2, 1);
    EXPECT_DEATH((void)(a - b), "vec_zelkor.*N==B\\.dim\\(\\)");
    EXPECT_DEATH((void)(Vector<Real>() - b), "vec_zelkor.*N==B\\.dim\\(\\)");
    EXPECT_DEATH(Vector<Real>(-1, 0), "vec_zelkor.*n >= 0");
    EXPECT_DEATH(Vector<int>(-5, 0), "vec_zelkor.*n >= 0");
    EXPECT_DEATH(Matrix<Real>(-1, 2, 0), "cmat_zelkor.*M >= 0 && N >= 0");
    EXPECT_DEATH(Matrix<Real>(2, -1, 0), "cmat_zelkor.*M >= 0 && N >= 0");
    // Mismatched inner dimensions of the products.
    EXPECT_DEATH((void)(sample(2, 3) * vec({1, 2})), "cmat_zelkor.*N == x\\.dim\\(\\)");
    EXPECT_DEATH((void)(sample(2, 3) * sample(2, 3)), "cmat_zelkor.*N == B\\.num_rows\\(\\)");
}

}  // namespace
