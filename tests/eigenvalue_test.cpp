// Eigen-decomposition: small cases worked by hand on both paths, the
// Hessenberg reduction and the complex division, the paths that need the
// exceptional shifts, non-convergence, and A·V = V·D on seeded random input.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <complex>
#include <limits>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "matrix_builders.h"

// White-box access to orthes, cdiv and the work fields.
#define private public
#include "eigenvalue"
#undef private

namespace {

using ZELKOR::Eigenvalue;
using Cplx = std::complex<Real>;

const Real kEps52 = std::ldexp(Real(1), -52);
const Real kEpsL = LDBL_EPSILON;

// ‖VᵀV − I‖_F.
Real orthogonalityLoss(const Matrix<Real>& V) {
    Matrix<Real> VtV = transpose(V) * V, I = identity(V.num_cols());
    return frob(VtV, &I);
}

// Everything the public interface hands out, and which path was taken.  The
// outputs start in another shape: the accessors must reallocate them.
struct Eig {
    Vector<Real> re{7, 9}, im{7, 9};
    Matrix<Real> V{5, 2, 1}, D{5, 2, 1};
    int converged, hessRows, workDim;
    explicit Eig(const Matrix<Real>& A) {
        Eigenvalue<Real> e(A);
        e.getRealEigenvalues(re);
        e.getImagEigenvalues(im);
        e.getV(V);
        e.getD(D);
        converged = e.isConverged();
        hessRows = e.hess_.num_rows();
        workDim = e.work_.dim();
    }
};

// ‖A·V − V·D‖_F / (n·‖A‖_F·‖V‖_F·2⁻⁵²).
Real scaledResidual(const Matrix<Real>& A, const Eig& e) {
    Matrix<Real> AV = A * e.V, VD = e.V * e.D;
    return frob(AV, &VD) / (A.num_cols() * frob(A) * frob(e.V) * kEps52);
}

// Pairs are stored +μ then −μ with identical real parts; returns their count.
int checkPairLayout(const Eig& e) {
    int n = e.re.dim(), pairs = 0;
    for (int i = 0; i < n; i++) {
        if (!(e.im[i] > 0)) {
            EXPECT_EQ(e.im[i], 0) << "an imaginary part not opening a pair at " << i;
        } else if (i + 1 == n) {
            ADD_FAILURE() << "a pair opened at the last index";
        } else {
            EXPECT_TRUE(e.im[i + 1] == -e.im[i] && e.re[i + 1] == e.re[i]) << "the pair at " << i;
            pairs++, i++;
        }
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

// Converged, with the expected spectrum, the pair layout and a small A·V − V·D.
Eig expectSolved(const Matrix<Real>& A, const std::vector<Cplx>& lambda, Real tol) {
    Eig e(A);
    EXPECT_EQ(e.converged, 1);
    expectSpectrum(e, lambda, tol);
    checkPairLayout(e);
    EXPECT_LE(scaledResidual(A, e), 10);
    return e;
}

// I − 2·v·vᵀ/(vᵀ·v) for a random v: orthogonal and symmetric.
Matrix<Real> householder(int n, std::mt19937& g) {
    std::vector<Real> v(n);
    for (Real& x : v) x = uniform(g);
    Real vv = std::inner_product(v.begin(), v.end(), v.begin(), Real(0));
    Matrix<Real> Q = identity(n);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) Q[i][j] -= 2 * v[i] * v[j] / vv;
    return Q;
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

TEST(EigenHypot, FirstArgumentIsTheDivisor) {
    EXPECT_EQ(ZELKOR::hypot(Real(0), Real(-3)), 3);
    EXPECT_CLOSE(ZELKOR::hypot(Real(3), Real(4)), 5, 16 * kEpsL);
    EXPECT_CLOSE(ZELKOR::hypot(Real(-3), Real(4)), 5, 16 * kEpsL);
}

TEST(SymmetricEigen, WorkedExamples) {
    // No QL step: the sort alone orders the eigenvalues and permutes V.
    Eig d(mat({{3, 0, 0}, {0, 1, 0}, {0, 0, 2}}));
    EXPECT_EQ(d.converged, 1);
    expectVec(d.re, {1, 2, 3});
    expectNear(d.V, mat({{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}));
    expectNear(d.D, mat({{1, 0, 0}, {0, 2, 0}, {0, 0, 3}}));
    expectNear(Eig(mat({{2, 0}, {0, 2}})).V, identity(2));  // equal eigenvalues are not exchanged
    Eig none{Matrix<Real>(0, 0, 0)};
    EXPECT_EQ(none.converged, 1);
    EXPECT_EQ(none.re.dim() + none.im.dim() + none.V.num_rows() + none.D.num_cols(), 0);

    Eig two(mat({{2, 1}, {1, 2}}));
    expectVec(two.re, {1, 3}, 8 * kEpsL);
    Real h = 1 / std::sqrt(Real(2));
    expectNear(two.V, mat({{h, h}, {-h, h}}), 8 * kEpsL);

    Eig e(mat({{4, 1, 2}, {1, 3, 0}, {2, 0, 5}}));
    EXPECT_EQ(e.converged, 1);
    expectVec(e.re, {1.854897, 3.476024, 6.669079}, 1e-6);
    expectVec(e.im, {0, 0, 0});
    expectNear(e.V,
               mat({{0.679313, 0.374362, 0.631179},
                    {-0.593233, 0.786436, 0.172027},
                    {-0.431981, -0.491296, 0.756320}}),
               1e-6);
    expectNear(e.D, mat({{e.re[0], 0, 0}, {0, e.re[1], 0}, {0, 0, e.re[2]}}));
    EXPECT_EQ(e.hessRows + e.workDim, 0);  // the nonsymmetric work fields stay unused
}

TEST(SymmetricEigen, RandomOrders1To40) {
    for (int n = 1; n <= 40; n++) {
        SCOPED_TRACE("order " + std::to_string(n));
        std::mt19937 g(1000 + n);
        Matrix<Real> A = randomMatrix(n, g, true);
        Eig e(A);
        ASSERT_EQ(e.converged, 1);
        for (int i = 0; i < n; i++) EXPECT_EQ(e.im[i], 0);
        for (int i = 1; i < n; i++) EXPECT_LE(e.re[i - 1], e.re[i]);
        EXPECT_LE(orthogonalityLoss(e.V), 10 * n * kEpsL);
        Matrix<Real> AV = A * e.V, VD = e.V * e.D;
        EXPECT_LE(frob(AV, &VD), 4 * n * frob(A) * kEps52);
    }
}

TEST(EigenHessenberg, WorkedExamples) {
    // Already Hessenberg: the single step flips the sign of row and column 1.
    Reduced c(mat({{6, -11, 6}, {1, 0, 0}, {0, 1, 0}}));
    expectNear(c.e.hess_, mat({{6, 11, 6}, {-1, 0, 0}, {0, -1, 0}}));
    expectNear(c.e.V_, mat({{1, 0, 0}, {0, -1, 0}, {0, 0, 1}}));

    Reduced r(mat({{1, 2, 3}, {4, 5, 6}, {7, 8, 10}}));
    // The leftover below the band, 7, is the input entry.
    expectNear(r.e.hess_, mat({{1, -3.597007, -0.248069}, {-8.062258, 14.8, 2.4}, {7, 0.4, 0.2}}), 1e-6);
    EXPECT_CLOSE(r.e.hess_[1][0], -std::sqrt(Real(65)), 32 * kEpsL);
    expectNear(r.e.V_, mat({{1, 0, 0}, {0, -0.496139, -0.868243}, {0, -0.868243, 0.496139}}), 1e-6);

    // Nothing to reduce: every column scale is zero, or the order is at most 2.
    for (const Matrix<Real>& A : {mat({{1, 2, 3}, {0, 4, 5}, {0, 0, 6}}), mat({{1, 2}, {3, 4}})}) {
        Reduced u(A);
        expectNear(u.e.hess_, A);
        expectNear(u.e.V_, identity(A.num_cols()));
    }
}

TEST(EigenComplexDivision, BothBranches) {
    auto div = [](Real xr, Real xi, Real yr, Real yi) {
        Real re, im;
        Eigenvalue<Real>::cdiv(xr, xi, yr, yi, re, im);
        return Cplx(re, im);
    };
    // |yr| > |yi|; a zero yi would break the other branch.
    EXPECT_EQ(div(6, 3, 2, 0), Cplx(3, 1.5));
    EXPECT_EQ(div(1, 2, 4, 3), Cplx(0.4L, 0.2L));  // (10 + 5i)/25, one rounding each
    // |yr| <= |yi|; a zero yr would break the other branch.
    EXPECT_EQ(div(6, 3, 0, 3), Cplx(1, -2));
    EXPECT_EQ(div(1, 2, 3, 4), Cplx(0.44L, 0.08L));  // (11 + 2i)/25
    EXPECT_EQ(div(2, 0, 1, -1), Cplx(1, 1));         // a tie
}

TEST(NonsymmetricEigen, WorkedTwoByTwoAndTriangular) {
    Matrix<Real> A = mat({{1, 2}, {3, 4}});
    Eig e(A);
    ASSERT_EQ(e.converged, 1);
    const Real r33 = std::sqrt(Real(33));
    expectVec(e.re, {(5 - r33) / 2, (5 + r33) / 2}, 64 * kEpsL);
    expectVec(e.im, {0, 0});
    expectNear(e.V, mat({{-0.824565, -0.422229}, {0.565767, -0.923052}}), 1e-6);
    EXPECT_CLOSE(std::hypot(e.V[0][0], e.V[1][0]), 1, 1e-15);  // only the first column is unit
    EXPECT_LE(scaledResidual(A, e), 10);

    // The quarter turn: u + i·v = (−1, i) for the eigenvalue i.
    Eig rot(mat({{0, -1}, {1, 0}}));
    ASSERT_EQ(rot.converged, 1);
    expectVec(rot.re, {0, 0});
    expectVec(rot.im, {1, -1});
    expectNear(rot.V, mat({{-1, 0}, {0, 1}}));

    // A pair 1 ± 2i gives D as the block (a, b; −b, a).
    expectNear(Eig(mat({{1, 2}, {-2, 1}})).D, mat({{1, 2}, {-2, 1}}));

    // Upper triangular: no reduction step, immediate deflations, exact diagonal.
    expectVec(expectSolved(mat({{1, 2, 3}, {0, 4, 5}, {0, 0, 6}}), {1, 4, 6}, 0).re, {1, 4, 6});
}

// A zero trailing diagonal entry with a zero shift: without the sweep from the
// count-30 shift each pass repeats the last.
TEST(NonsymmetricEigen, ZeroTrailingDiagonalAndZeroShift) {
    // x³ − 2x² + x − 2 = (x − 2)(x² + 1)
    expectSolved(mat({{2, -1, 2}, {1, 0, 0}, {0, 1, 0}}), {2, Cplx(0, 1), Cplx(0, -1)}, 1e-12);
    // characteristic polynomial −x³ − 2x
    const Real r2 = std::sqrt(Real(2));
    expectSolved(mat({{0, 0, 1}, {0, 0, 1}, {-1, -1, 0}}), {0, Cplx(0, r2), Cplx(0, -r2)}, 1e-12);
}

TEST(NonsymmetricEigen, CyclicPermutationNeedsExceptionalShifts) {
    const Real pi = std::acos(Real(-1));
    for (int n = 3; n <= 12; n++) {
        SCOPED_TRACE("order " + std::to_string(n));
        Matrix<Real> P(n, n, 0);
        P[0][n - 1] = 1;
        for (int i = 1; i < n; i++) P[i][i - 1] = 1;
        std::vector<Cplx> roots;
        for (int k = 0; k < n; k++) roots.push_back(std::polar(Real(1), 2 * pi * k / n));
        expectSolved(P, roots, 1e-12);
    }
}

TEST(NonsymmetricEigen, DefectiveAndRepeatedEigenvalues) {
    // Jordan block: w = 0 in the back-substitution; the output stays finite
    // (a non-finite V fails the residual bound).
    Matrix<Real> J = mat({{2, 1, 0, 0}, {0, 2, 1, 0}, {0, 0, 2, 1}, {0, 0, 0, 2}});
    expectSolved(J, {2, 2, 2, 2}, 0);

    // Nilpotent, order 400: unscaled back-substitution grows by 1/(eps·hNorm) per
    // row and would pass the range of T; the column scaling keeps V finite.
    const int big = 400;
    Matrix<Real> N(big, big, 0);
    for (int i = 0; i + 1 < big; i++) N[i][i + 1] = 1;
    expectSolved(N, std::vector<Cplx>(big, 0), 0);

    // The 4×4 block in another basis: eigenvalues within 2⁻¹³ of 2 (≈ δ^(1/4)).
    std::mt19937 g(11);
    Matrix<Real> Q = householder(4, g);
    expectSolved(Q * J * Q, {2, 2, 2, 2}, std::ldexp(Real(1), -13));

    // S·diag(1, 1, 2)·S⁻¹ with S rows (1, 1, 0), (1, 0, 1), (0, 1, 1).
    expectSolved(mat({{1, 0, 0}, {-0.5, 1.5, 0.5}, {-0.5, 0.5, 1.5}}), {1, 1, 2}, 1e-12);

    // λ·(λ + 1)², −1 defective: the iteration passes the second exceptional shift.
    expectSolved(mat({{-1, -1, -1}, {1, -1, 1}, {0, 1, 0}}), {0, -1, -1}, 1e-6);
}

TEST(NonsymmetricEigen, OneBitOffSymmetricTakesTheOtherPath) {
    Matrix<Real> A = mat({{2, 1}, {1, 2}});
    A[0][1] = std::nextafter(Real(1), Real(2));
    Eig r = expectSolved(A, {1, 3}, 1e-15);
    EXPECT_TRUE(r.hessRows == 2 && r.workDim == 2);
    // The real pair is stored as x + z, then x − w/z: 3 first, not ascending.
    expectVec(r.re, {3, 1}, 1e-15);

    Matrix<Real> B = mat({{4, 1, 2}, {1, 3, 0}, {2, 0, 5}});
    B[2][0] = std::nextafter(Real(2), Real(0));
    Eig s = expectSolved(B, {1.854897, 3.476024, 6.669079}, 1e-6);
    EXPECT_TRUE(s.hessRows == 3 && s.workDim == 3);
}

// Orders 1 … 50: a random A, with complex pairs in most orders, and Q·T·Q
// with T upper triangular, its diagonal a shuffle of 1 … n.
TEST(NonsymmetricEigen, RandomOrders1To50) {
    int pairs = 0;
    for (int n = 1; n <= 50; n++) {
        SCOPED_TRACE("order " + std::to_string(n));
        std::mt19937 g(2000 + n);
        Matrix<Real> A = randomMatrix(n, g);
        Reduced r(A);  // V·H·Vᵀ = A after the reduction, V orthogonal
        Matrix<Real> VHVt = r.e.V_ * r.band() * transpose(r.e.V_);
        EXPECT_LE(frob(VHVt, &A), 10 * n * frob(A) * kEpsL);
        EXPECT_LE(orthogonalityLoss(r.e.V_), 10 * n * kEpsL);
        Eig e(A);
        ASSERT_EQ(e.converged, 1);
        pairs += checkPairLayout(e);
        EXPECT_LE(scaledResidual(A, e), 10);
        Real trace = 0, sum = 0;
        for (int i = 0; i < n; i++) trace += A[i][i], sum += e.re[i];
        EXPECT_CLOSE(sum, trace, n * frob(A) * kEps52);

        std::vector<int> diag(n);
        std::iota(diag.begin(), diag.end(), 1);
        std::shuffle(diag.begin(), diag.end(), g);
        Matrix<Real> T(n, n, 0);
        for (int i = 0; i < n; i++) {
            T[i][i] = diag[i];
            for (int j = i + 1; j < n; j++) T[i][j] = uniform(g) / 2;
        }
        Matrix<Real> Q = householder(n, g);
        EXPECT_EQ(maxAbs(expectSolved(Q * T * Q, std::vector<Cplx>(diag.begin(), diag.end()), 1e-12).im), 0);
    }
    EXPECT_GT(pairs, 100);  // about (n − √(2n/π))/2 per order
}

// The bounded iterations end these quickly; a hang here is a failure in itself.
TEST(Eigen, NonConvergenceIsReported) {
    const Real nan = std::numeric_limits<Real>::quiet_NaN();
    const Real inf = std::numeric_limits<Real>::infinity();
    const Real big = LDBL_MAX;

    EXPECT_EQ(Eig(mat({{nan}})).converged, 0);
    for (int n : {3, 6, 40}) {
        std::mt19937 g(5000 + n);
        Matrix<Real> A = randomMatrix(n, g);
        A[n / 2][1] = nan;
        EXPECT_EQ(Eig(A).converged, 0) << "order " << n;
    }
    // Symmetric, eigenvalue 1.5·LDBL_MAX: beyond the range of T.
    EXPECT_EQ(Eig(mat({{0.75L * big, 0.75L * big}, {0.75L * big, 0.75L * big}})).converged, 0);
    // Positive, every row sum at least 1.25·LDBL_MAX: so is its dominant eigenvalue.
    Matrix<Real> P(3, 3, big / 2);
    P[0][1] = big / 4;
    EXPECT_EQ(Eig(P).converged, 0);
    // Symmetric with an infinite eigenvalue.
    EXPECT_EQ(Eig(mat({{inf, 0}, {0, 1}})).converged, 0);

    // Eigenvalues ±√0.165·LDBL_MAX are in range but (a − d)²/4 is not: whatever
    // comes out, a converged report promises finite, correct eigenvalues.
    Eig o(mat({{0.4L * big, 0.1L * big}, {0.05L * big, -0.4L * big}}));
    bool finite = true;
    for (int i = 0; i < 2; i++) finite = finite && std::isfinite(o.re[i]) && std::isfinite(o.im[i]);
    EXPECT_EQ(o.converged, finite ? 1 : 0);
    if (o.converged) expectSpectrum(o, {std::sqrt(0.165L) * big, -std::sqrt(0.165L) * big}, 1e-12L * big);
}

}  // namespace
