// Eigen-decomposition: small cases worked by hand on both paths, the
// Hessenberg reduction and the complex division, the paths that need the
// exceptional shifts, non-convergence, and A·V = V·D on seeded random input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <complex>
#include <initializer_list>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "cmat_zelkor"
#include "vec_zelkor"

// White-box access to orthes, cdiv and the work fields.
#define private public
#include "eigenvalue"
#undef private

namespace {

using ZELKOR::Eigenvalue;
using ZELKOR::Matrix;
using ZELKOR::Real;
using ZELKOR::Vector;
using Cplx = std::complex<Real>;

const Real kEps52 = std::ldexp(Real(1), -52);
const Real kEpsL = LDBL_EPSILON;

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

Matrix<Real> identity(int n) {
    Matrix<Real> I(n, n, 0);
    for (int i = 0; i < n; i++) I[i][i] = 1;
    return I;
}

Matrix<Real> transpose(const Matrix<Real>& A) {
    Matrix<Real> T(A.num_cols(), A.num_rows(), 0);
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) T[j][i] = A[i][j];
    return T;
}

// ‖A − B‖_F, or ‖A‖_F when B is omitted.
Real frob(const Matrix<Real>& A, const Matrix<Real>* B = nullptr) {
    Real s = 0;
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) {
            Real d = A[i][j] - (B ? (*B)[i][j] : Real(0));
            s += d * d;
        }
    return std::sqrt(s);
}

// |a − b| <= tol in Real (EXPECT_NEAR would round both to double).
#define EXPECT_CLOSE(a, b, tol) EXPECT_LE(std::abs(Real(a) - Real(b)), Real(tol)) << (a) << " vs " << (b)

// Entrywise within tol; tol = 0 asks for equality.
void expectNear(const Matrix<Real>& A, const Matrix<Real>& B, Real tol = 0) {
    ASSERT_EQ(A.num_rows(), B.num_rows());
    ASSERT_EQ(A.num_cols(), B.num_cols());
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++) EXPECT_CLOSE(A[i][j], B[i][j], tol) << " at " << i << "," << j;
}

// Everything the public interface hands out.
struct Eig {
    Vector<Real> re, im;
    Matrix<Real> V, D;
    int converged, hessRows, workDim;
    explicit Eig(const Matrix<Real>& A) {
        Eigenvalue<Real> e(A);
        hessRows = e.hess_.num_rows();
        workDim = e.work_.dim();
        e.getRealEigenvalues(re);
        e.getImagEigenvalues(im);
        e.getV(V);
        e.getD(D);
        converged = e.isConverged();
    }
};

// ‖A·V − V·D‖_F / (n·‖A‖_F·‖V‖_F·2⁻⁵²).
Real scaledResidual(const Matrix<Real>& A, const Eig& e) {
    Matrix<Real> AV = A * e.V;
    Matrix<Real> VD = e.V * e.D;
    Real n = A.num_cols();
    return frob(AV, &VD) / (n * frob(A) * frob(e.V) * kEps52);
}

// Pairs are stored +μ then −μ with identical real parts; returns their count.
int checkPairLayout(const Eig& e) {
    int n = e.re.dim(), pairs = 0;
    for (int i = 0; i < n; i++) {
        if (!(e.im[i] > 0)) {
            EXPECT_EQ(e.im[i], 0) << "an imaginary part not opening a pair at " << i;
            continue;
        }
        if (i + 1 == n) {
            ADD_FAILURE() << "a pair opened at the last index";
            break;
        }
        EXPECT_EQ(e.im[i + 1], -e.im[i]) << "at " << i;
        EXPECT_EQ(e.re[i + 1], e.re[i]) << "at " << i;
        pairs++, i++;
    }
    return pairs;
}

// Matches the computed eigenvalues to the expected multiset, nearest first.
void expectSpectrum(const Eig& e, std::vector<Cplx> expected, Real tol) {
    ASSERT_EQ(e.re.dim(), static_cast<int>(expected.size()));
    for (int i = 0; i < e.re.dim(); i++) {
        Cplx got(e.re[i], e.im[i]);
        size_t best = 0;
        for (size_t k = 1; k < expected.size(); k++)
            if (std::abs(expected[k] - got) < std::abs(expected[best] - got)) best = k;
        EXPECT_LE(std::abs(expected[best] - got), tol) << "eigenvalue " << i << " = " << got;
        expected.erase(expected.begin() + static_cast<long>(best));
    }
}

Real uniform(std::mt19937& g) { return std::uniform_real_distribution<double>(-1.0, 1.0)(g); }

Matrix<Real> randomMatrix(int n, std::mt19937& g) {
    Matrix<Real> A(n, n, 0);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) A[i][j] = uniform(g);
    return A;
}

Matrix<Real> symmetrise(Matrix<Real> A) {
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < i; j++) A[j][i] = A[i][j];
    return A;
}

// I − 2·v·vᵀ/(vᵀ·v) for a random v: orthogonal and symmetric.
Matrix<Real> householder(int n, std::mt19937& g) {
    std::vector<Real> v(n);
    Real vv = 0;
    for (Real& x : v) {
        x = uniform(g);
        vv += x * x;
    }
    Matrix<Real> Q = identity(n);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) Q[i][j] -= 2 * v[i] * v[j] / vv;
    return Q;
}

bool allFinite(const Matrix<Real>& A) {
    for (int i = 0; i < A.num_rows(); i++)
        for (int j = 0; j < A.num_cols(); j++)
            if (!std::isfinite(A[i][j])) return false;
    return true;
}

// An object whose hess_ holds A and whose V_, work_ hold zeros, reduced by orthes.
struct Reduced {
    Eigenvalue<Real> e;
    explicit Reduced(const Matrix<Real>& A) : e(A) {
        int n = A.num_cols();
        e.hess_ = A;
        e.work_ = Vector<Real>(n, 0);
        e.V_ = Matrix<Real>(n, n, 0);
        e.orthes();
    }
    Matrix<Real> band() const {  // H without the Householder leftovers below the band
        Matrix<Real> H = e.hess_;
        for (int i = 0; i < H.num_rows(); i++)
            for (int j = 0; j + 1 < i; j++) H[i][j] = 0;
        return H;
    }
};

TEST(Hypot, FirstArgumentIsTheDivisor) {
    EXPECT_EQ(ZELKOR::hypot(Real(0), Real(-3)), 3);
    EXPECT_CLOSE(ZELKOR::hypot(Real(3), Real(4)), 5, 16 * kEpsL);
    EXPECT_CLOSE(ZELKOR::hypot(Real(-3), Real(4)), 5, 16 * kEpsL);
}

TEST(SymmetricEigen, DiagonalAndTinyInputs) {
    Eig one(mat({{-2.5}}));
    EXPECT_EQ(one.converged, 1);
    expectNear(one.V, mat({{1}}));
    expectNear(one.D, mat({{-2.5}}));
    EXPECT_EQ(one.im[0], 0);

    // No QL step: the sort alone orders the eigenvalues and permutes V.
    Eig d(mat({{3, 0, 0}, {0, 1, 0}, {0, 0, 2}}));
    EXPECT_EQ(d.converged, 1);
    for (int i = 0; i < 3; i++) EXPECT_EQ(d.re[i], i + 1);
    expectNear(d.V, mat({{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}));
    expectNear(d.D, mat({{1, 0, 0}, {0, 2, 0}, {0, 0, 3}}));

    Eig twice(mat({{2, 0}, {0, 2}}));
    EXPECT_EQ(twice.re[0], 2);
    EXPECT_EQ(twice.re[1], 2);
    expectNear(twice.V, identity(2));

    Eig none{Matrix<Real>(0, 0, 0)};
    EXPECT_EQ(none.converged, 1);
    EXPECT_EQ(none.re.dim(), 0);
    EXPECT_EQ(none.V.num_rows(), 0);
    EXPECT_EQ(none.D.num_cols(), 0);
}

TEST(SymmetricEigen, WorkedTwoAndThreeByThree) {
    Eig two(mat({{2, 1}, {1, 2}}));
    EXPECT_CLOSE(two.re[0], 1, 8 * kEpsL);
    EXPECT_CLOSE(two.re[1], 3, 8 * kEpsL);
    Real h = 1 / std::sqrt(Real(2));
    expectNear(two.V, mat({{h, h}, {-h, h}}), 8 * kEpsL);

    Matrix<Real> A = mat({{4, 1, 2}, {1, 3, 0}, {2, 0, 5}});
    Eigenvalue<Real> e(A);
    Vector<Real> re(7, 9), im;  // a vector of another length is resized
    Matrix<Real> V, D(5, 2, 1);
    e.getRealEigenvalues(re);
    e.getImagEigenvalues(im);
    e.getV(V);
    e.getD(D);
    EXPECT_EQ(e.isConverged(), 1);
    ASSERT_EQ(re.dim(), 3);
    const Real want[3] = {1.854897, 3.476024, 6.669079};
    for (int i = 0; i < 3; i++) {
        EXPECT_CLOSE(re[i], want[i], 1e-6);
        EXPECT_EQ(im[i], 0);
    }
    expectNear(V,
               mat({{0.679313, 0.374362, 0.631179},
                    {-0.593233, 0.786436, 0.172027},
                    {-0.431981, -0.491296, 0.756320}}),
               1e-6);
    ASSERT_EQ(D.num_rows(), 3);
    ASSERT_EQ(D.num_cols(), 3);
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++) EXPECT_EQ(D[i][j], i == j ? re[i] : 0);
    EXPECT_EQ(e.hess_.num_rows(), 0);  // the nonsymmetric work fields stay unused
    EXPECT_EQ(e.work_.dim(), 0);
}

TEST(SymmetricEigen, RandomOrders1To40) {
    for (int n = 1; n <= 40; n++) {
        SCOPED_TRACE("order " + std::to_string(n));
        std::mt19937 g(1000 + n);
        Matrix<Real> A = symmetrise(randomMatrix(n, g));
        Eig e(A);
        ASSERT_EQ(e.converged, 1);
        for (int i = 0; i < n; i++) EXPECT_EQ(e.im[i], 0);
        for (int i = 1; i < n; i++) EXPECT_LE(e.re[i - 1], e.re[i]);
        Matrix<Real> VtV = transpose(e.V) * e.V, I = identity(n);
        EXPECT_LE(frob(VtV, &I), 10 * n * kEpsL);
        Matrix<Real> AV = A * e.V, VD = e.V * e.D;
        EXPECT_LE(frob(AV, &VD), 4 * n * frob(A) * kEps52);
    }
}

TEST(SymmetricEigen, RepeatedEigenvaluesKeepOrthonormalVectors) {
    std::mt19937 g(7);
    const int n = 6;
    Matrix<Real> Q = householder(n, g), L(n, n, 0);
    const Real lambda[n] = {2, 1, 2, 1, 1, 5};
    for (int i = 0; i < n; i++) L[i][i] = lambda[i];
    Matrix<Real> A = symmetrise(Q * L * Q);
    Eig e(A);
    ASSERT_EQ(e.converged, 1);
    const Real sorted[n] = {1, 1, 1, 2, 2, 5};
    for (int i = 0; i < n; i++) EXPECT_CLOSE(e.re[i], sorted[i], 1e-15);
    Matrix<Real> VtV = transpose(e.V) * e.V, I = identity(n);
    EXPECT_LE(frob(VtV, &I), 10 * n * kEpsL);
}

TEST(Hessenberg, WorkedExamples) {
    // Already Hessenberg: the single step flips the sign of row and column 1.
    Reduced c(mat({{6, -11, 6}, {1, 0, 0}, {0, 1, 0}}));
    expectNear(c.e.hess_, mat({{6, 11, 6}, {-1, 0, 0}, {0, -1, 0}}));
    expectNear(c.e.V_, mat({{1, 0, 0}, {0, -1, 0}, {0, 0, 1}}));

    Reduced r(mat({{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}));
    expectNear(r.e.hess_, mat({{1, -3.597007, -0.248069}, {-8.062258, 14.8, 2.4}, {7, 0.4, 0.2}}), 1e-6);
    EXPECT_CLOSE(r.e.hess_[1][0], -std::sqrt(Real(65)), 32 * kEpsL);
    EXPECT_EQ(r.e.hess_[2][0], 7);  // the leftover below the band is the input entry
    expectNear(r.e.V_, mat({{1, 0, 0}, {0, -0.496139, -0.868243}, {0, -0.868243, 0.496139}}), 1e-6);

    // Nothing to reduce: every column scale is zero, or the order is at most 2.
    for (const Matrix<Real>& A : {mat({{1, 2, 3}, {0, 4, 5}, {0, 0, 6}}), mat({{1, 2}, {3, 4}})}) {
        Reduced u(A);
        expectNear(u.e.hess_, A);
        expectNear(u.e.V_, identity(A.num_cols()));
    }
}

TEST(Hessenberg, OrthogonalSimilarityOnRandomMatrices) {
    for (int n = 1; n <= 50; n++) {
        SCOPED_TRACE("order " + std::to_string(n));
        std::mt19937 g(2000 + n);
        Matrix<Real> A = randomMatrix(n, g);
        Reduced r(A);
        Matrix<Real> VHVt = r.e.V_ * r.band() * transpose(r.e.V_);
        EXPECT_LE(frob(VHVt, &A), 10 * n * frob(A) * kEpsL);
        Matrix<Real> VtV = transpose(r.e.V_) * r.e.V_, I = identity(n);
        EXPECT_LE(frob(VtV, &I), 10 * n * kEpsL);
    }
}

TEST(ComplexDivision, BothBranches) {
    Eigenvalue<Real> e(mat({{1}}));
    // |yr| > |yi|: a zero yi would break the other branch.
    e.cdiv(6, 3, 2, 0);
    EXPECT_EQ(e.divRe_, 3);
    EXPECT_EQ(e.divIm_, 1.5);
    e.cdiv(1, 2, 4, 3);  // (1 + 2i)/(4 + 3i) = (10 + 5i)/25
    EXPECT_EQ(e.divRe_, Real(0.4L));
    EXPECT_EQ(e.divIm_, Real(0.2L));
    // |yr| <= |yi|: a zero yr would break the other branch.
    e.cdiv(6, 3, 0, 3);
    EXPECT_EQ(e.divRe_, 1);
    EXPECT_EQ(e.divIm_, -2);
    e.cdiv(1, 2, 3, 4);  // (1 + 2i)/(3 + 4i) = (11 + 2i)/25
    EXPECT_EQ(e.divRe_, Real(0.44L));
    EXPECT_EQ(e.divIm_, Real(0.08L));
    e.cdiv(2, 0, 1, -1);  // tie: 2/(1 − i) = 1 + i
    EXPECT_EQ(e.divRe_, 1);
    EXPECT_EQ(e.divIm_, 1);
}

TEST(NonsymmetricEigen, WorkedTwoByTwoAndTriangular) {
    Matrix<Real> A = mat({{1, 2}, {3, 4}});
    Eig e(A);
    ASSERT_EQ(e.converged, 1);
    EXPECT_CLOSE(e.re[0], (5 - std::sqrt(Real(33))) / 2, 16 * kEpsL);
    EXPECT_CLOSE(e.re[1], (5 + std::sqrt(Real(33))) / 2, 64 * kEpsL);
    EXPECT_CLOSE(e.re[0], -0.372281, 1e-6);
    EXPECT_CLOSE(e.re[1], 5.37228, 1e-5);
    EXPECT_EQ(e.im[0], 0);
    EXPECT_EQ(e.im[1], 0);
    expectNear(e.V, mat({{-0.824565, -0.422229}, {0.565767, -0.923052}}), 1e-6);
    EXPECT_CLOSE(std::hypot(e.V[0][0], e.V[1][0]), 1, 1e-15);  // only the first column is unit
    EXPECT_GT(std::hypot(e.V[0][1], e.V[1][1]), 1.01);
    EXPECT_LE(scaledResidual(A, e), 10);

    // The rotation by a quarter turn: u + i·v = (−1, i) for the eigenvalue i.
    Eig rot(mat({{0, -1}, {1, 0}}));
    ASSERT_EQ(rot.converged, 1);
    EXPECT_EQ(rot.re[0], 0);
    EXPECT_EQ(rot.re[1], 0);
    EXPECT_EQ(rot.im[0], 1);
    EXPECT_EQ(rot.im[1], -1);
    expectNear(rot.V, mat({{-1, 0}, {0, 1}}));

    // A pair 1 ± 2i gives D as the block (a, b; −b, a).
    Eig pair(mat({{1, 2}, {-2, 1}}));
    expectNear(pair.D, mat({{1, 2}, {-2, 1}}));

    // Upper triangular: no reduction step, immediate deflations, exact diagonal.
    Matrix<Real> U = mat({{1, 2, 3}, {0, 4, 5}, {0, 0, 6}});
    Eig t(U);
    ASSERT_EQ(t.converged, 1);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(t.re[i], U[i][i]);
        EXPECT_EQ(t.im[i], 0);
    }
    EXPECT_LE(scaledResidual(U, t), 10);
}

TEST(NonsymmetricEigen, ZeroTrailingDiagonalAndZeroShift) {
    const Real r2 = std::sqrt(Real(2));
    struct Case {
        Matrix<Real> A;
        std::vector<Cplx> lambda;
    };
    const Case cases[] = {
        // x³ − 6x² + 11x − 6 = (x − 1)(x − 2)(x − 3)
        {mat({{6, -11, 6}, {1, 0, 0}, {0, 1, 0}}), {1, 2, 3}},
        // x³ − 2x² + x − 2 = (x − 2)(x² + 1): the shift stays exactly 0
        {mat({{2, -1, 2}, {1, 0, 0}, {0, 1, 0}}), {2, Cplx(0, 1), Cplx(0, -1)}},
        // characteristic polynomial −x³ − 2x
        {mat({{0, 0, 1}, {0, 0, 1}, {-1, -1, 0}}), {0, Cplx(0, r2), Cplx(0, -r2)}},
    };
    for (const Case& c : cases) {
        Eig e(c.A);
        ASSERT_EQ(e.converged, 1);
        expectSpectrum(e, c.lambda, 1e-12);
        checkPairLayout(e);
        EXPECT_LE(scaledResidual(c.A, e), 10);
    }
}

TEST(NonsymmetricEigen, CyclicPermutationNeedsExceptionalShifts) {
    const Real pi = std::acos(Real(-1));
    for (int n = 3; n <= 12; n++) {
        SCOPED_TRACE("order " + std::to_string(n));
        Matrix<Real> P(n, n, 0);
        P[0][n - 1] = 1;
        for (int i = 1; i < n; i++) P[i][i - 1] = 1;
        Eig e(P);
        ASSERT_EQ(e.converged, 1);
        std::vector<Cplx> roots;
        for (int k = 0; k < n; k++) roots.push_back(std::polar(Real(1), 2 * pi * k / n));
        expectSpectrum(e, roots, 1e-12);
        checkPairLayout(e);
        EXPECT_LE(scaledResidual(P, e), 10);
    }
}

TEST(NonsymmetricEigen, DefectiveAndRepeatedEigenvalues) {
    // Jordan block: w = 0 in the back-substitution; the output stays finite.
    Matrix<Real> J = mat({{2, 1, 0, 0}, {0, 2, 1, 0}, {0, 0, 2, 1}, {0, 0, 0, 2}});
    Eig j(J);
    ASSERT_EQ(j.converged, 1);
    for (int i = 0; i < 4; i++) EXPECT_EQ(j.re[i], 2);
    EXPECT_TRUE(allFinite(j.V));
    EXPECT_LE(scaledResidual(J, j), 10);

    // Nilpotent, order 400: unscaled back-substitution grows by 1/(eps·hNorm) per
    // row and would pass the range of T; the column scaling keeps V finite.
    const int big = 400;
    Matrix<Real> N(big, big, 0);
    for (int i = 0; i + 1 < big; i++) N[i][i + 1] = 1;
    Eig nil(N);
    ASSERT_EQ(nil.converged, 1);
    for (int i = 0; i < big; i++) EXPECT_EQ(nil.re[i], 0);
    EXPECT_TRUE(allFinite(nil.V));

    // The same block in another basis: eigenvalues within 2⁻¹³ of 2 (≈ δ^(1/4)).
    std::mt19937 g(11);
    Matrix<Real> Q = householder(4, g);
    Matrix<Real> QJQ = Q * J * Q;
    Eig q(QJQ);
    ASSERT_EQ(q.converged, 1);
    expectSpectrum(q, {2, 2, 2, 2}, std::ldexp(Real(1), -13));
    EXPECT_TRUE(allFinite(q.V));

    // S·diag(1, 1, 2)·S⁻¹ with S rows (1, 1, 0), (1, 0, 1), (0, 1, 1).
    Matrix<Real> R = mat({{1, 0, 0}, {-0.5, 1.5, 0.5}, {-0.5, 0.5, 1.5}});
    Eig r(R);
    ASSERT_EQ(r.converged, 1);
    expectSpectrum(r, {1, 1, 2}, 1e-12);
    EXPECT_LE(scaledResidual(R, r), 10);

    // λ·(λ + 1)², −1 defective: reached through the second exceptional shift.
    Matrix<Real> S = mat({{-1, -1, -1}, {1, -1, 1}, {0, 1, 0}});
    Eig s(S);
    ASSERT_EQ(s.converged, 1);
    expectSpectrum(s, {0, -1, -1}, 1e-6);
    checkPairLayout(s);
}

TEST(NonsymmetricEigen, OneBitOffSymmetricTakesTheOtherPath) {
    Matrix<Real> A = mat({{2, 1}, {1, 2}});
    A[0][1] = std::nextafter(Real(1), Real(2));
    Eig r(A);
    ASSERT_EQ(r.converged, 1);
    EXPECT_EQ(r.hessRows, 2);
    EXPECT_EQ(r.workDim, 2);
    // The real pair is stored as x + z then x − w/z: 3 first, unlike the ascending symmetric path.
    EXPECT_CLOSE(r.re[0], 3, 1e-15);
    EXPECT_CLOSE(r.re[1], 1, 1e-15);
    EXPECT_LE(scaledResidual(A, r), 10);

    Matrix<Real> B = mat({{4, 1, 2}, {1, 3, 0}, {2, 0, 5}});
    B[2][0] = std::nextafter(Real(2), Real(0));
    Eig s(B);
    ASSERT_EQ(s.converged, 1);
    EXPECT_EQ(s.hessRows, 3);
    EXPECT_EQ(s.workDim, 3);
    expectSpectrum(s, {1.854897308799578L, 3.476024, 6.669079088282292L}, 1e-6);
    checkPairLayout(s);
    EXPECT_LE(scaledResidual(B, s), 10);
}

TEST(NonsymmetricEigen, RandomOrders1To50WithComplexPairs) {
    int pairs = 0;
    for (int n = 1; n <= 50; n++) {
        SCOPED_TRACE("order " + std::to_string(n));
        std::mt19937 g(3000 + n);
        Matrix<Real> A = randomMatrix(n, g);
        Eig e(A);
        ASSERT_EQ(e.converged, 1);
        pairs += checkPairLayout(e);
        EXPECT_LE(scaledResidual(A, e), 10);
        Real trace = 0, sum = 0;
        for (int i = 0; i < n; i++) {
            trace += A[i][i];
            sum += e.re[i];
        }
        EXPECT_CLOSE(sum, trace, n * frob(A) * kEps52);
    }
    EXPECT_GT(pairs, 100);
}

TEST(NonsymmetricEigen, RandomOrders1To50WithRealSpectrum) {
    for (int n = 1; n <= 50; n++) {
        SCOPED_TRACE("order " + std::to_string(n));
        std::mt19937 g(4000 + n);
        // Q·T·Q with T upper triangular, diagonal a shuffle of 1 … n.
        std::vector<int> diag(n);
        for (int i = 0; i < n; i++) diag[i] = i + 1;
        std::shuffle(diag.begin(), diag.end(), g);
        Matrix<Real> T(n, n, 0);
        for (int i = 0; i < n; i++) {
            T[i][i] = diag[i];
            for (int j = i + 1; j < n; j++) T[i][j] = uniform(g) / 2;
        }
        Matrix<Real> Q = householder(n, g);
        Matrix<Real> A = Q * T * Q;
        Eig e(A);
        ASSERT_EQ(e.converged, 1);
        std::vector<Cplx> want(diag.begin(), diag.end());
        expectSpectrum(e, want, 1e-12);
        for (int i = 0; i < n; i++) EXPECT_EQ(e.im[i], 0);
        EXPECT_LE(scaledResidual(A, e), 10);
    }
}

// The bounded iterations end these quickly; a hang here is a failure in itself.
TEST(Eigen, NonConvergenceIsReported) {
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    const Real inf = std::numeric_limits<Real>::infinity();
    const Real big = LDBL_MAX;

    EXPECT_EQ(Eigenvalue<Real>(mat({{nan}})).isConverged(), 0);
    for (int n : {3, 6, 40}) {
        std::mt19937 g(5000 + n);
        Matrix<Real> A = randomMatrix(n, g);
        A[n / 2][1] = nan;
        EXPECT_EQ(Eigenvalue<Real>(A).isConverged(), 0) << "order " << n;
    }
    // Symmetric, eigenvalue 1.5·LDBL_MAX: beyond the range of T.
    EXPECT_EQ(Eigenvalue<Real>(mat({{0.75L * big, 0.75L * big}, {0.75L * big, 0.75L * big}})).isConverged(), 0);
    // Positive, every row sum at least 1.25·LDBL_MAX: so is its dominant eigenvalue.
    Matrix<Real> P(3, 3, big / 2);
    P[0][1] = big / 4;
    EXPECT_EQ(Eigenvalue<Real>(P).isConverged(), 0);
    // Symmetric with an infinite eigenvalue.
    EXPECT_EQ(Eigenvalue<Real>(mat({{inf, 0}, {0, 1}})).isConverged(), 0);

    // Eigenvalues ±√0.165·LDBL_MAX are in range but (a − d)²/4 is not: whatever
    // comes out, a converged report promises finite, correct eigenvalues.
    Eig o(mat({{0.4L * big, 0.1L * big}, {0.05L * big, -0.4L * big}}));
    bool finite = true;
    for (int i = 0; i < 2; i++) finite = finite && std::isfinite(o.re[i]) && std::isfinite(o.im[i]);
    EXPECT_EQ(o.converged, finite ? 1 : 0);
    if (o.converged) expectSpectrum(o, {std::sqrt(0.165L) * big, -std::sqrt(0.165L) * big}, 1e-12L * big);
}

}  // namespace
