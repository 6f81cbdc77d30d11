// SPDX-License-Identifier: MIT
// Vector and Matrix: ownership, indexing, the initializer-list constructors,
// reading, and the products and differences built on them.  (The text
// formats are pinned by the programs' reports.)
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>
#include <sstream>

#include "matrix_builders.h"

namespace {

// Deep copies; block reuse shows as pointer stability.  (Freed blocks are
// quarantined under AddressSanitizer, so there a reallocation could not
// return the same address.)
TEST(Containers, CopiesAssignmentsIndexingAndBlockReuse) {
    Vector<Real> a(3, 1.5L), b(a);
    b[1] = 9;
    expectNear(a, {1.5L, 1.5L, 1.5L});
    Real* block = &a[0];
    a = Vector<Real>{4, 5, 6};  // equal lengths: the block is kept
    EXPECT_EQ(&a[0], block);
    EXPECT_EQ(&a.newsize(3)[0], block);  // so does newsize to the current length
    expectNear(a, {4, 5, 6});

    Matrix<Real> A(2, 3, 0.25L), B(A);
    B(2, 3) = 5;
    EXPECT_EQ(A[1][2], 0.25L);
    Real* row0 = A[0];  // equal shapes: the rows are kept
    A = Matrix<Real>{{1, 2, 3}, {4, 5, 6}};
    EXPECT_EQ(A[0], row0);
    expectNear(A, {{1, 2, 3}, {4, 5, 6}});

    const Vector<Real>& cv = b;
    EXPECT_TRUE(&b(1) == &b[0] && &cv(3) == &cv[2]);
    const Matrix<Real>& cA = A;
    EXPECT_TRUE(&A(2, 3) == &A[1][2] && &cA(1, 1) == &cA[0][0]);
}

TEST(Containers, TextFormatAndRoundTrip) {
    // Equal length keeps the block, every value comes back exactly; another
    // count resizes; an unreadable or negative count leaves the vector.
    Vector<Real> w{1.0L / 3, -2.5e-30L, 12345.678L, 0, -7}, r(5, 9);
    std::stringstream t;
    t.precision(std::numeric_limits<Real>::max_digits10);
    t << w << "2\n1.5 -4 \n";
    Real* block = &r[0];
    ASSERT_TRUE(t >> r);
    EXPECT_EQ(&r[0], block);
    expectNear(r, w);
    ASSERT_TRUE(t >> r);
    expectNear(r, {1.5L, -4});
    for (const char* bad : {"x 1 2", "-2 1 2", ""}) {
        std::istringstream in(bad);
        EXPECT_FALSE(in >> r) << bad;
        expectNear(r, {1.5L, -4});
    }
}

// By hand; the 3 × 5 factor has an odd row and an odd column left over
// from the 2 × 2 blocks.
TEST(Containers, ArithmeticByHand) {
    Matrix<Real> R{{1, 2, 3, 4, 5}, {6, 7, 8, 9, 10}, {11, 12, 13, 14, 15}};
    expectNear(R * Vector<Real>{1, -1, 0, 2, 1}, {12, 27, 42});
    expectNear(Matrix<Real>{{1, 2}, {3, 4}} * Matrix<Real>{{5, 6}, {7, 8}}, {{19, 22}, {43, 50}});
    expectNear(Real(2.5) * Vector<Real>{1, -2, 0.5L}, {2.5L, -5, 1.25L});
    expectNear(Vector<Real>{5, 7, 0.5L} - Vector<Real>{1, 9, 0.25L}, {4, -2, 0.25L});
    // An empty inner dimension: sums of nothing.
    expectNear(Matrix<Real>(2, 0, 1) * Vector<Real>(0, 0), {0, 0});
    expectNear(Matrix<Real>(2, 0, 1) * Matrix<Real>(0, 3, 1), Matrix<Real>(2, 3, 0));

    Matrix<Real> A{{1, -2, 3}, {-4, 5, -6}}, B{{0.5L, 0, -1}, {2, 2, 2}};
    expectNear(A + B, {{1.5L, -2, 2}, {-2, 7, -4}});
    expectNear(A - B, {{0.5L, -2, 4}, {-6, 3, -8}});
    expectNear(ZELKOR::transpose(A), {{1, -4}, {-2, 5}, {3, -6}});
    EXPECT_EQ(ZELKOR::norm1(A), 9);     // |3| + |−6|
    EXPECT_EQ(ZELKOR::normInf(A), 15);  // |−4| + 5 + |−6|
    EXPECT_EQ(ZELKOR::normFrobenius(A), std::sqrt(Real(91)));
    // Scaled by the largest magnitude: entries whose squares over- or
    // underflow still give the norm (3, 4 → 5 at both ends of the range).
    for (Real s : {Real(1e4000L), Real(1e-4000L)})
        EXPECT_CLOSE(ZELKOR::normFrobenius(Matrix<Real>{{3 * s}, {-4 * s}}), 5 * s, 4 * LDBL_EPSILON * 5 * s);
    const Real nan = std::numeric_limits<Real>::quiet_NaN(), inf = std::numeric_limits<Real>::infinity();
    Matrix<Real> N{{1, nan}, {inf, 2}};
    EXPECT_TRUE(std::isnan(ZELKOR::norm1(N)) && std::isnan(ZELKOR::normInf(N)) &&
                std::isnan(ZELKOR::normFrobenius(N)));
    EXPECT_EQ(ZELKOR::normFrobenius(Matrix<Real>{{1, inf}}), inf);
    EXPECT_EQ(ZELKOR::norm1(Matrix<Real>()) + ZELKOR::normInf(Matrix<Real>()) +
                  ZELKOR::normFrobenius(Matrix<Real>()),
              0);
}

TEST(ContainersDeathTest, LengthAssertion) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Vector<Real> a(3, 1), b(2, 1);
    EXPECT_DEATH((void)(a - b), "vec_zelkor.*N==B\\.dim\\(\\)");
    EXPECT_DEATH(Matrix<Real>({{2, 1}, {4}}), "cmat_zelkor.*sameLengths");
}

// Negative sizes fail as an allocation does, also where assertions are on.
TEST(Containers, NegativeSizesThrow) {
    EXPECT_THROW(Vector<Real>(-1, 0), std::bad_array_new_length);
    EXPECT_THROW(Matrix<Real>(2, -1, 0), std::bad_array_new_length);
}

}  // namespace
