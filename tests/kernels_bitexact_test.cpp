// The library's kernels against the frozen reference copy in
// reference_kernels.h: every result of the products, of LU and of both paths
// of Eigenvalue must agree bit for bit (the 10 significant bytes of each
// long double), on seeded random matrices of orders 1 to 60.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "cmat_zelkor"
#include "eigenvalue"
#include "lu"
#include "reference_kernels.h"
#include "vec_zelkor"

namespace {

using ZELKOR::Matrix;
using ZELKOR::Real;
using ZELKOR::Vector;

// Significant bytes of the x87 extended format: 64-bit significand and
// 16-bit sign and exponent; the rest of sizeof(Real) is padding.
constexpr std::size_t kSignificantBytes = 10;
static_assert(std::numeric_limits<Real>::digits == 64, "Real is the x87 extended type");

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// Orders 1 ... 60; under the sanitizers every third order above 20.
std::vector<int> orders() {
    std::vector<int> result;
    for (int n = 1; n <= 60; n++)
        if (!kSanitized || n <= 20 || n % 3 == 0) result.push_back(n);
    return result;
}

bool sameBits(Real a, Real b) { return std::memcmp(&a, &b, kSignificantBytes) == 0; }

std::string hex(Real a) {
    unsigned char bytes[sizeof(Real)];
    std::memcpy(bytes, &a, sizeof(Real));
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::size_t k = kSignificantBytes; k-- > 0;) {
        s += digits[bytes[k] >> 4];
        s += digits[bytes[k] & 15];
    }
    return s;
}

::testing::AssertionResult bitsEqual(const Matrix<Real>& got, const Matrix<Real>& want) {
    if (got.num_rows() != want.num_rows() || got.num_cols() != want.num_cols())
        return ::testing::AssertionFailure()
               << "shape " << got.num_rows() << "x" << got.num_cols() << " instead of "
               << want.num_rows() << "x" << want.num_cols();
    for (int i = 0; i < got.num_rows(); i++)
        for (int j = 0; j < got.num_cols(); j++)
            if (!sameBits(got[i][j], want[i][j]))
                return ::testing::AssertionFailure() << "element (" << i << ", " << j << "): "
                                                     << hex(got[i][j]) << " instead of "
                                                     << hex(want[i][j]);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult bitsEqual(const Vector<Real>& got, const Vector<Real>& want) {
    if (got.dim() != want.dim())
        return ::testing::AssertionFailure() << "length " << got.dim() << " instead of " << want.dim();
    for (int i = 0; i < got.dim(); i++)
        if (!sameBits(got[i], want[i]))
            return ::testing::AssertionFailure()
                   << "element " << i << ": " << hex(got[i]) << " instead of " << hex(want[i]);
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult bitsEqual(Real got, Real want) {
    if (sameBits(got, want)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << hex(got) << " instead of " << hex(want);
}

// Seeded generator of test matrices.  Every draw goes through explicit
// integer arithmetic, so the values depend only on the seed.
class Source {
public:
    explicit Source(std::uint64_t seed) : engine_(seed) {}

    // Uniform in (−1, 1) with 63 random bits.
    Real uniform() {
        std::int64_t k = static_cast<std::int64_t>(engine_() >> 1) - (std::int64_t(1) << 62);
        return std::ldexp(static_cast<Real>(k), -62);
    }

    // A small integer in −range ... range: many ties and exact zeros.
    Real integer(int range) {
        return static_cast<Real>(static_cast<int>(engine_() % (2 * range + 1)) - range);
    }

    // Uniform value times 2^e, e in −20 ... 20: entries of widely different size.
    Real scaled() { return std::ldexp(uniform(), static_cast<int>(engine_() % 41) - 20); }

    Matrix<Real> general(int m, int n) {
        Matrix<Real> A(m, n, 0);
        for (int i = 0; i < m; i++)
            for (int j = 0; j < n; j++) A[i][j] = uniform();
        return A;
    }

    Matrix<Real> integers(int n, int range) {
        Matrix<Real> A(n, n, 0);
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) A[i][j] = integer(range);
        return A;
    }

    Matrix<Real> graded(int n) {
        Matrix<Real> A(n, n, 0);
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) A[i][j] = scaled();
        return A;
    }

    Matrix<Real> symmetric(int n) {
        Matrix<Real> A(n, n, 0);
        for (int i = 0; i < n; i++)
            for (int j = 0; j <= i; j++) A[i][j] = A[j][i] = uniform();
        return A;
    }

    Matrix<Real> symmetricIntegers(int n, int range) {
        Matrix<Real> A(n, n, 0);
        for (int i = 0; i < n; i++)
            for (int j = 0; j <= i; j++) A[i][j] = A[j][i] = integer(range);
        return A;
    }

    // The companion matrix of a polynomial with random coefficients, built as
    // the root-finding program builds it: zeros on the diagonal, ones below.
    Matrix<Real> companion(int n) {
        std::vector<Real> a(n + 1);
        for (int k = 0; k <= n; k++) a[k] = uniform();
        if (a[n] == 0) a[n] = 1;
        Matrix<Real> A(n, n, 0);
        for (int i = 0; i <= n - 2; i++) {
            A[0][i] = (-a[n - 1 - i]) / a[n];
            A[i + 1][i] = 1;
        }
        A[0][n - 1] = (-a[0]) / a[n];
        return A;
    }

    Vector<Real> vector(int n) {
        Vector<Real> x(n, 0);
        for (int i = 0; i < n; i++) x[i] = uniform();
        return x;
    }

private:
    std::mt19937_64 engine_;
};

std::uint64_t seedFor(int n, int kind) { return 0x5eed0000u + 1000u * static_cast<unsigned>(kind) + n; }

// ---------------------------------------------------------------- products

TEST(KernelsBitExact, MatrixTimesMatrix) {
    for (int n : orders()) {
        Source src(seedFor(n, 1));
        // Square, and rectangular with inner dimension and width around n.
        int shapes[3][3] = {{n, n, n}, {n, n / 2 + 1, n + 3}, {(n + 1) / 3 + 1, n, 2 * n / 3 + 1}};
        for (auto& shape : shapes) {
            Matrix<Real> A = src.general(shape[0], shape[1]);
            Matrix<Real> B = src.general(shape[1], shape[2]);
            EXPECT_TRUE(bitsEqual(ZELKOR::matmult(A, B), reference::matmult(A, B)))
                << "order " << n << ", " << shape[0] << "x" << shape[1] << " times " << shape[1]
                << "x" << shape[2];
            EXPECT_TRUE(bitsEqual(A * B, reference::matmult(A, B))) << "operator*, order " << n;
        }
        Matrix<Real> G = src.graded(n);
        Matrix<Real> H = src.graded(n);
        EXPECT_TRUE(bitsEqual(ZELKOR::matmult(G, H), reference::matmult(G, H))) << "graded, order " << n;
    }
}

TEST(KernelsBitExact, MatrixTimesMatrixSpecialValues) {
    // Signed zeros, infinities and NaNs follow the same operations.
    const Real inf = std::numeric_limits<Real>::infinity();
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    Real special[] = {0.0L, -0.0L, 1.0L, -1.0L, inf, -inf, nan, 1e-4940L, 1e4930L};
    for (int n = 1; n <= 7; n++) {
        Source src(seedFor(n, 2));
        Matrix<Real> A(n, n, 0), B(n, n, 0);
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) {
                A[i][j] = special[(7 * i + 3 * j + n) % 9];
                B[i][j] = special[(5 * i + j + 2 * n) % 9];
            }
        EXPECT_TRUE(bitsEqual(ZELKOR::matmult(A, B), reference::matmult(A, B))) << "order " << n;
        Vector<Real> x = src.vector(n);
        x[0] = -0.0L;
        EXPECT_TRUE(bitsEqual(ZELKOR::matmult(A, x), reference::matmult(A, x))) << "order " << n;
    }
    // Empty shapes.
    Matrix<Real> E(3, 0, 0), F(0, 4, 0);
    EXPECT_TRUE(bitsEqual(ZELKOR::matmult(E, F), reference::matmult(E, F)));
    EXPECT_TRUE(bitsEqual(ZELKOR::matmult(F, Matrix<Real>(4, 2, 1)), reference::matmult(F, Matrix<Real>(4, 2, 1))));
    Vector<Real> empty(0, 0);
    EXPECT_TRUE(bitsEqual(ZELKOR::matmult(E, empty), reference::matmult(E, empty)));
}

TEST(KernelsBitExact, MatrixTimesVector) {
    for (int n : orders()) {
        Source src(seedFor(n, 3));
        Matrix<Real> A = src.general(n, n);
        Vector<Real> x = src.vector(n);
        EXPECT_TRUE(bitsEqual(ZELKOR::matmult(A, x), reference::matmult(A, x))) << "order " << n;
        EXPECT_TRUE(bitsEqual(A * x, reference::matmult(A, x))) << "operator*, order " << n;
        Matrix<Real> R = src.general(n / 2 + 1, n);
        EXPECT_TRUE(bitsEqual(ZELKOR::matmult(R, x), reference::matmult(R, x))) << "rectangular, order " << n;
    }
}

// ---------------------------------------------------------------------- LU

void compareLU(const Matrix<Real>& A, Source& src, const std::string& what) {
    ZELKOR::LU<Real> lu(A);
    reference::LU<Real> ref(A);
    int n = A.num_cols();
    EXPECT_EQ(lu.isNonsingular(), ref.isNonsingular()) << what;
    EXPECT_TRUE(bitsEqual(lu.getL(), ref.getL())) << "getL, " << what;
    EXPECT_TRUE(bitsEqual(lu.getU(), ref.getU())) << "getU, " << what;
    EXPECT_TRUE(bitsEqual(lu.det(), ref.det())) << "det, " << what;
    EXPECT_TRUE(bitsEqual(lu.inv(), ref.inv())) << "inv, " << what;
    Matrix<Real> B = src.general(A.num_rows(), n);
    EXPECT_TRUE(bitsEqual(lu.solve(B), ref.solve(B))) << "solve with n right-hand sides, " << what;
    Matrix<Real> B3 = src.general(A.num_rows(), 3);
    EXPECT_TRUE(bitsEqual(lu.solve(B3), ref.solve(B3))) << "solve with 3 right-hand sides, " << what;
    Vector<Real> b = src.vector(A.num_rows());
    EXPECT_TRUE(bitsEqual(lu.solve(b), ref.solve(b))) << "solve with a vector, " << what;
}

TEST(KernelsBitExact, LU) {
    for (int n : orders()) {
        Source src(seedFor(n, 4));
        compareLU(src.general(n, n), src, "random, order " + std::to_string(n));
        compareLU(src.graded(n), src, "graded, order " + std::to_string(n));
        // Small integers: pivot ties and exact zeros, often singular.
        compareLU(src.integers(n, 2), src, "integers, order " + std::to_string(n));
        if (n >= 2) {
            Matrix<Real> S = src.general(n, n);
            for (int j = 0; j < n; j++) S[n - 1][j] = S[0][j];
            compareLU(S, src, "singular, order " + std::to_string(n));
        }
    }
}

// -------------------------------------------------------------- Eigenvalue

void compareEigen(const Matrix<Real>& A, const std::string& what) {
    ZELKOR::Eigenvalue<Real> e(A);
    reference::Eigenvalue<Real> ref(A);
    EXPECT_EQ(e.isConverged(), ref.isConverged()) << what;
    Vector<Real> got, want;
    e.getRealEigenvalues(got);
    ref.getRealEigenvalues(want);
    EXPECT_TRUE(bitsEqual(got, want)) << "real parts, " << what;
    e.getImagEigenvalues(got);
    ref.getImagEigenvalues(want);
    EXPECT_TRUE(bitsEqual(got, want)) << "imaginary parts, " << what;
    Matrix<Real> gotM, wantM;
    e.getV(gotM);
    ref.getV(wantM);
    EXPECT_TRUE(bitsEqual(gotM, wantM)) << "V, " << what;
    e.getD(gotM);
    ref.getD(wantM);
    EXPECT_TRUE(bitsEqual(gotM, wantM)) << "D, " << what;
}

bool hasComplexPair(const Matrix<Real>& A) {
    reference::Eigenvalue<Real> ref(A);
    Vector<Real> im;
    ref.getImagEigenvalues(im);
    for (int i = 0; i < im.dim(); i++)
        if (im[i] != 0) return true;
    return false;
}

TEST(KernelsBitExact, EigenvalueNonsymmetric) {
    int withPairs = 0;
    for (int n : orders()) {
        Source src(seedFor(n, 5));
        Matrix<Real> A = src.general(n, n);
        if (n >= 3 && hasComplexPair(A)) withPairs++;
        compareEigen(A, "random, order " + std::to_string(n));
        compareEigen(src.graded(n), "graded, order " + std::to_string(n));
        compareEigen(src.integers(n, 3), "integers, order " + std::to_string(n));
        if (n >= 2) compareEigen(src.companion(n), "companion, order " + std::to_string(n));
    }
    // Random nonsymmetric matrices nearly always have complex pairs.
    EXPECT_GT(withPairs, static_cast<int>(orders().size()) / 2);
}

TEST(KernelsBitExact, EigenvalueSymmetric) {
    for (int n : orders()) {
        Source src(seedFor(n, 6));
        compareEigen(src.symmetric(n), "random symmetric, order " + std::to_string(n));
        // Repeated eigenvalues and exact zeros in the reduction.
        compareEigen(src.symmetricIntegers(n, 1), "integer symmetric, order " + std::to_string(n));
    }
}

TEST(KernelsBitExact, EigenvalueStructured) {
    for (int n = 1; n <= 12; n++) {
        Matrix<Real> I(n, n, 0), J(n, n, 0), Z(n, n, 0), R(n, n, 0);
        for (int i = 0; i < n; i++) {
            I[i][i] = 1;
            for (int j = 0; j < n; j++) J[i][j] = 1;
            R[i][(i + 1) % n] = 1;  // cyclic shift: eigenvalues on the unit circle
        }
        compareEigen(I, "identity, order " + std::to_string(n));
        compareEigen(J, "ones, order " + std::to_string(n));
        compareEigen(Z, "zero, order " + std::to_string(n));
        compareEigen(R, "cyclic shift, order " + std::to_string(n));
    }
}

TEST(KernelsBitExact, EigenvalueNotFinite) {
    // Entries that are not finite: the bounded iteration gives up the same way.
    const Real inf = std::numeric_limits<Real>::infinity();
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    for (int n = 1; n <= 5; n++) {
        Source src(seedFor(n, 7));
        Matrix<Real> A = src.general(n, n);
        A[n - 1][0] = nan;
        compareEigen(A, "NaN, order " + std::to_string(n));
        Matrix<Real> B = src.general(n, n);
        B[0][n - 1] = inf;
        compareEigen(B, "infinity, order " + std::to_string(n));
        Matrix<Real> S = src.symmetric(n);
        S[0][0] = inf;
        compareEigen(S, "symmetric with infinity, order " + std::to_string(n));
    }
    // Finite entries near the top of the range: sums overflow.
    for (int n = 3; n <= 8; n++) {
        Source src(seedFor(n, 8));
        Matrix<Real> A = src.general(n, n);
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) A[i][j] = std::ldexp(A[i][j], 16382);
        compareEigen(A, "huge entries, order " + std::to_string(n));
    }
    // Two matrices found by search on which |p| + |q| + |r| overflows in the
    // QR sweep, so that p, q, r all become 0 and steps with a zero
    // Householder norm are skipped (nine times each).
    const Real skipping[2][3][3] = {
        {{0xd.d1d90325ccfcp-5L, 0xb.8116b195d032p-4L, 0x9.c376be35bab8p-5L},
         {-0xf.5b1bfad0485dp+16376L, -0x8.3bf8bbc545b3p+16379L, 0x9.79731d029abcp-5L},
         {-0xd.fe2e220ef812p-4L, 0xf.462432a1d3ffp+16376L, -0x8.59e74532aa49p-5L}},
        {{0xd.be30dcc1d0cep-4L, 0xc.8bac2b94382ep-5L, 0xd.dce42ee6e2b4p-4L},
         {-0x9.42511bf8066d8p+16378L, 0xf.f71ed284f8c3p+16379L, -0xa.f23d83e395e98p-4L},
         {-0xf.fcf738accf6p-6L, 0xb.726acf116a78p+16377L, -0xf.5c93209333798p-4L}}};
    for (int t = 0; t < 2; t++) {
        Matrix<Real> A(3, 3, 0);
        for (int i = 0; i < 3; i++)
            for (int j = 0; j < 3; j++) A[i][j] = skipping[t][i][j];
        compareEigen(A, "skipped sweep steps, matrix " + std::to_string(t));
    }
}

}  // namespace
