// SPDX-License-Identifier: MIT
// Eigen-decomposition: small cases worked by hand on both paths, the
// complex division and hypot, the paths that need the exceptional shifts,
// non-convergence, A·V = V·D on seeded random input;
// and badly scaled input: balancing (exact, idempotent, similarity-invariant),
// the deflation test beside exactly zero diagonal entries, and the inputs
// that gave wrong eigenvalues and roots without them.  Every decomposition
// is also run for its eigenvalues alone, which must give the same bits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <complex>
#include <cstring>
#include <limits>
#include <numeric>
#include <random>
#include <vector>

#include "matrix_builders.h"

#include <zelkor/eigenvalue>

namespace {

using ZELKOR::Balancing;
using ZELKOR::Eigenvalue;
using ZELKOR::Negligibility;
using ZELKOR::Refinement;
using Cplx = std::complex<Real>;

const Real kEps52 = std::ldexp(Real(1), -52);
const Real kEpsL = LDBL_EPSILON;

// The significant bytes of x87 extended (the rest is padding).
const size_t kBytes = std::numeric_limits<Real>::digits == 64 ? 10 : sizeof(Real);

bool sameBits(const Vector<Real>& a, const Vector<Real>& b) {
    if (a.dim() != b.dim()) return false;
    for (int i = 0; i < a.dim(); i++)
        if (std::memcmp(&a[i], &b[i], kBytes) != 0) return false;
    return true;
}

bool sameBits(const Matrix<Real>& a, const Matrix<Real>& b) {
    bool same = a.num_rows() == b.num_rows() && a.num_cols() == b.num_cols();
    for (int i = 0; same && i < a.num_rows(); i++)
        for (int j = 0; same && j < a.num_cols(); j++) same = std::memcmp(&a[i][j], &b[i][j], kBytes) == 0;
    return same;
}

// The counts an observer is told, in order.
void record(void* counts, int count) { static_cast<std::vector<int>*>(counts)->push_back(count); }

// Everything the public interface hands out.  The
// outputs start in another shape: the accessors must reallocate them; the
// value accessors give the same.
// The eigenvalues alone must be the same bits with the same flags and
// the same observer calls.
struct Eig {
    Vector<Real> re = Vector<Real>(7, 9), im = Vector<Real>(7, 9);
    Matrix<Real> V{5, 2, 1}, D{5, 2, 1};
    int converged, balanced;
    explicit Eig(const Matrix<Real>& A, Balancing b = Balancing::whenBadlyScaled,
                 Negligibility t = Negligibility::double52, Refinement r = Refinement::none) {
        std::vector<int> found, foundAlone;
        ZELKOR::EigenOptions options{b, t, true, {&record, &found}};
        ZELKOR::EigenOptions aloneOptions{b, t, false, {&record, &foundAlone}};
        options.refinement = aloneOptions.refinement = r;
        Eigenvalue<Real> e(A, options);
        e.getRealEigenvalues(re);
        e.getImagEigenvalues(im);
        e.getV(V);
        e.getD(D);
        converged = e.isConverged();
        balanced = e.isBalanced();
        EXPECT_TRUE(sameBits(e.getV(), V) && sameBits(e.getD(), D)) << "value accessors differ for " << A;
        Eigenvalue<Real> alone(A, aloneOptions);
        EXPECT_TRUE(sameBits(re, alone.getRealEigenvalues()) && sameBits(im, alone.getImagEigenvalues()))
            << "eigenvalues alone differ for " << A;
        EXPECT_EQ(alone.isConverged(), converged);
        EXPECT_EQ(alone.isBalanced(), balanced);
        EXPECT_EQ(foundAlone, found);
    }
};

// Pairs are stored +μ then −μ with identical real parts; returns their count.
int checkPairLayout(const Eig& e) {
    int n = e.re.dim(), pairs = 0;
    for (int i = 0; i < n; i++) {
        if (e.im[i] > 0) {
            EXPECT_TRUE(i + 1 < n && e.im[i + 1] == -e.im[i] && e.re[i + 1] == e.re[i])
                << "the pair at " << i;
            pairs++, i++;
        } else {
            EXPECT_EQ(e.im[i], 0) << "an imaginary part not opening a pair at " << i;
        }
    }
    return pairs;
}

// Converged; each expected eigenvalue λ matched by a distinct computed one,
// nearest first, within tol·max(1, |λ|); the pair layout; a small A·V − V·D.
Eig expectSolved(const Matrix<Real>& A, std::vector<Cplx> expected, Real tol,
                 Balancing b = Balancing::whenBadlyScaled, Negligibility t = Negligibility::double52) {
    Eig e(A, b, t);
    EXPECT_EQ(e.converged, 1);
    EXPECT_EQ(e.re.dim(), static_cast<int>(expected.size()));
    for (int i = 0; i < e.re.dim() && !expected.empty(); i++) {
        Cplx got(e.re[i], e.im[i]);
        auto best = std::min_element(expected.begin(), expected.end(), [&](const Cplx& a, const Cplx& b) {
            return std::abs(a - got) < std::abs(b - got);
        });
        EXPECT_LE(std::abs(*best - got), tol * std::max(Real(1), std::abs(*best)))
            << "eigenvalue " << i << " = " << got;
        expected.erase(best);
    }
    checkPairLayout(e);
    EXPECT_LE(scaledResidual(A, e.V, e.D), 10);
    return e;
}

// Eigenvalues, and V where given, by hand.  Symmetric: diagonal input is
// only sorted (V permuted, equal eigenvalues not exchanged); rows (0, 1),
// (1, e) have λ = (e ± √(e² + 4)) / 2 = ±1 to every digit (hypot used to
// overflow).  Nonsymmetric: the quarter turn has u + i·v = (−1, i) for i;
// a triangular input deflates at once; one bit off symmetric, the real
// pair is stored as x + z, then x − w/z: 3 first.
TEST(Eigen, WorkedExamples) {
    const Real h = 1 / std::sqrt(Real(2)), r33 = std::sqrt(Real(33));
    struct Case {
        Matrix<Real> A;
        Vector<Real> re, im;
        Matrix<Real> V;
        Real tol;
    } cases[] = {
        {{{3, 0, 0}, {0, 1, 0}, {0, 0, 2}}, {1, 2, 3}, {0, 0, 0}, {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}}, 0},
        {{{2, 0}, {0, 2}}, {2, 2}, {0, 0}, identity(2), 0},
        {{{2, 1}, {1, 2}}, {1, 3}, {0, 0}, {{h, h}, {-h, h}}, 8 * kEpsL},
        {{{4, 1, 2}, {1, 3, 0}, {2, 0, 5}},
         {1.854897, 3.476024, 6.669079},
         {0, 0, 0},
         {{0.679313, 0.374362, 0.631179}, {-0.593233, 0.786436, 0.172027}, {-0.431981, -0.491296, 0.756320}},
         1e-6},
        {{{0, 1}, {1, 1e-2500L}}, {-1, 1}, {0, 0}, {}, 4 * kEpsL},
        {{{1, 2}, {3, 4}},
         {(5 - r33) / 2, (5 + r33) / 2},
         {0, 0},
         {{-0.824565, -0.422229}, {0.565767, -0.923052}},
         1e-6},
        {{{0, -1}, {1, 0}}, {0, 0}, {1, -1}, {{-1, 0}, {0, 1}}, 0},
        {{{1, 2, 3}, {0, 4, 5}, {0, 0, 6}}, {1, 4, 6}, {0, 0, 0}, {}, 0},
        {{{2, std::nextafter(Real(1), Real(2))}, {1, 2}}, {3, 1}, {0, 0}, {}, 1e-15},
    };
    for (const Case& c : cases) {
        Eig e(c.A);
        EXPECT_EQ(e.converged, 1);
        expectNear(e.re, c.re, c.tol);
        expectNear(e.im, c.im, c.tol);
        if (c.V.num_rows()) expectNear(e.V, c.V, c.tol);
        EXPECT_LE(scaledResidual(c.A, e.V, e.D), 10);
    }
    // A pair a ± b·i gives D as the block (a, b; −b, a).
    expectNear(Eig({{1, 2}, {-2, 1}}).D, {{1, 2}, {-2, 1}});
    Eig none{Matrix<Real>(0, 0, 0)}, tall{Matrix<Real>(3, 2, 1)};  // not square: empty, not converged
    EXPECT_EQ(none.converged + none.re.dim() + none.im.dim() + none.V.num_rows() + none.D.num_cols(), 1);
    EXPECT_EQ(tall.converged + tall.re.dim() + tall.im.dim() + tall.V.num_rows() + tall.D.num_cols(), 0);
}

// The complex division, both branches, one rounding each; hypot when
// (b/a)² overflows.
TEST(Eigen, DivisionAndHypotByHand) {
    struct Div {
        Real xr, xi, yr, yi;
        Cplx want;
    } divs[] = {
        {6, 3, 2, 0, {3, 1.5}},
        {1, 2, 4, 3, {0.4L, 0.2L}},    // (10 + 5i)/25
        {1, 2, 3, 4, {0.44L, 0.08L}},  // (11 + 2i)/25
    };
    for (const Div& d : divs) {
        const auto q = ZELKOR::detail::Complex<Real>{d.xr, d.xi} / ZELKOR::detail::Complex<Real>{d.yr, d.yi};
        EXPECT_EQ(Cplx(q.re, q.im), d.want);
    }

    struct Hyp {
        Real a, b, want;
    } hyps[] = {{1e-2500L, 1, 1}, {1e-2500L, -4e-2000L, 4e-2000L}, {3, 4, 5}, {0, -3, 3}};
    for (const Hyp& c : hyps) EXPECT_CLOSE(ZELKOR::hypot(c.a, c.b), c.want, 4 * kEpsL * c.want);
}

// The QL iteration alone on the tridiagonal (−1, 2, −1) of order 5, whose
// eigenvalues are 2 − 2·cos(kπ/6): found ascending with orthonormal vectors
// and reported converged; reported not converged when one pass is all it
// may spend on an eigenvalue, or when the size is infinite.
TEST(Eigen, SymmetricQlReportsConvergence) {
    const int n = 5;
    const Real pi = std::acos(Real(-1));
    auto run = [&](Real d0, int maxPasses, Vector<Real>& d, Matrix<Real>& V) {
        d = Vector<Real>(n, 2);
        d[0] = d0;
        Vector<Real> e(n, -1), rotations(2 * n, 0);
        e[0] = 0;  // the subdiagonal in e[1 ... n − 1], as tred2 leaves it
        V = identity(n);
        return ZELKOR::detail::tql2(d, e, V, rotations, kEps52, maxPasses, ZELKOR::EigenObserver{nullptr, nullptr});
    };
    Vector<Real> d;
    Matrix<Real> V;
    ASSERT_EQ(run(2, ZELKOR::detail::maxIterations(n), d, V), 1);
    for (int k = 0; k < n; k++) EXPECT_CLOSE(d[k], 2 - 2 * std::cos((k + 1) * pi / (n + 1)), 16 * kEps52);
    expectNear(transpose(V) * V, identity(n), 16 * kEps52);
    EXPECT_EQ(run(2, 1, d, V), 0);
    EXPECT_EQ(run(std::numeric_limits<Real>::infinity(), ZELKOR::detail::maxIterations(n), d, V), 0);
}

// Inputs on which a plain double-shift iteration stalls or loses accuracy:
// a zero trailing diagonal entry with a zero shift (without the sweep from
// the count-30 shift each pass repeats the last; x³ − 2x² + x − 2 and
// −x³ − 2x); a Jordan block (w = 0 in the back-substitution); the
// nilpotent (1, 1; −1, −1), whose 2 × 2 block has p² + w = 0 exactly, a
// real pair to be made triangular for its vectors; a complex
// pair's vector through the 2 × 2 block of another pair of the same real
// part (a real divisor), or of the same pair (a zero one); λ·(λ + 1)²,
// which passes the second exceptional shift; cyclic permutations (the n-th
// roots of unity); nilpotent of order 400, where unscaled back-substitution
// would grow by 1/(eps·hNorm) per row and leave the range of T.  Both
// thresholds converge on all of them.
TEST(Eigen, ExceptionalShiftsAndDefectiveMatrices) {
    const Real r2 = std::sqrt(Real(2)), pi = std::acos(Real(-1));
    const Balancing b = Balancing::whenBadlyScaled;
    for (Negligibility t : {Negligibility::double52, Negligibility::typeEpsilon}) {
        expectSolved({{2, -1, 2}, {1, 0, 0}, {0, 1, 0}}, {2, Cplx(0, 1), Cplx(0, -1)}, 1e-12, b, t);
        expectSolved({{0, 0, 1}, {0, 0, 1}, {-1, -1, 0}}, {0, Cplx(0, r2), Cplx(0, -r2)}, 1e-12, b, t);
        expectSolved({{2, 1, 0, 0}, {0, 2, 1, 0}, {0, 0, 2, 1}, {0, 0, 0, 2}}, {2, 2, 2, 2}, 0, b, t);
        expectSolved({{1, 1}, {-1, -1}}, {0, 0}, 0, b, t);
        expectSolved({{1, 2, 1, 1}, {-2, 1, 1, 1}, {0, 0, 1, 3}, {0, 0, -3, 1}},
                     {Cplx(1, 2), Cplx(1, -2), Cplx(1, 3), Cplx(1, -3)}, 0, b, t);
        expectSolved({{0, 1, 1, 0}, {-1, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, -1, 0}},
                     {Cplx(0, 1), Cplx(0, -1), Cplx(0, 1), Cplx(0, -1)}, 0, b, t);
        expectSolved({{-1, -1, -1}, {1, -1, 1}, {0, 1, 0}}, {0, -1, -1}, 1e-6, b, t);
        for (int n = 3; n <= 12; n++) {
            Matrix<Real> P(n, n, 0);
            P[0][n - 1] = 1;
            for (int i = 1; i < n; i++) P[i][i - 1] = 1;
            std::vector<Cplx> roots;
            for (int k = 0; k < n; k++) roots.push_back(std::polar(Real(1), 2 * pi * k / n));
            expectSolved(P, roots, 1e-12, b, t);
        }
        Matrix<Real> N(400, 400, 0);
        for (int i = 0; i + 1 < 400; i++) N[i][i + 1] = 1;
        expectSolved(N, std::vector<Cplx>(400, 0), 0, b, t);
    }
}

// Orders 1 … 50: a random symmetric S (ascending, orthonormal V); a random
// A, with complex pairs in most orders (eigenvalues sum to the trace); both
// with a backward error of a few units of Real at the type's epsilon; and
// V·T·Vᵀ with S's V and T upper triangular, its diagonal a shuffle of 1 … n.
TEST(Eigen, RandomOrders1To50) {
    for (int n = 1; n <= 50; n++) {
        std::mt19937 gs(1000 + n), g(2000 + n);
        Matrix<Real> S = randomMatrix(n, gs, true), A = randomMatrix(n, g);
        Eig s(S);
        ASSERT_EQ(s.converged, 1) << "order " << n;
        for (int i = 0; i < n; i++) EXPECT_TRUE(s.im[i] == 0 && (i == 0 || s.re[i - 1] <= s.re[i]));
        EXPECT_LE(frob(transpose(s.V) * s.V, identity(n)), 10 * n * kEpsL);
        EXPECT_LE(frob(S * s.V, s.V * s.D), 4 * n * frob(S) * kEps52);

        Eig e(A);
        ASSERT_EQ(e.converged, 1);
        checkPairLayout(e);
        EXPECT_LE(scaledResidual(A, e.V, e.D), 10);
        // At the type's epsilon the backward error is a few units of Real
        // (S's eigenvalues refined by bisection).
        Eig s64(S, Balancing::whenBadlyScaled, Negligibility::typeEpsilon, Refinement::bisection);
        Eig e64(A, Balancing::whenBadlyScaled, Negligibility::typeEpsilon);
        EXPECT_LE(frob(S * s64.V, s64.V * s64.D), 4 * n * frob(S) * kEpsL) << "order " << n;
        EXPECT_LE(frob(A * e64.V, e64.V * e64.D), 4 * n * frob(A) * frob(e64.V) * kEpsL) << "order " << n;
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
        Eig t = expectSolved(s.V * T * transpose(s.V), std::vector<Cplx>(diag.begin(), diag.end()), 1e-12);
        expectNear(t.im, Vector<Real>(n, 0));
    }
}

// NaN or infinite entries; symmetric with eigenvalue 1.5·LDBL_MAX; positive
// with every row sum, so its dominant eigenvalue, above LDBL_MAX.  The
// bounded iterations end these quickly; a hang here is a failure in itself.
TEST(Eigen, NonConvergenceIsReported) {
    const Real nan = std::numeric_limits<Real>::quiet_NaN(), inf = std::numeric_limits<Real>::infinity();
    const Real big = LDBL_MAX;
    const Matrix<Real> cases[] = {
        {{nan}},
        {{1, 2, 3}, {4, nan, 6}, {7, 8, 9}},
        {{0.75L * big, 0.75L * big}, {0.75L * big, 0.75L * big}},
        {{inf, 0}, {0, 1}},
        {{big / 2, big / 4, big / 2}, {big / 2, big / 2, big / 2}, {big / 2, big / 2, big / 2}}};
    for (const Matrix<Real>& A : cases) EXPECT_EQ(Eig(A).converged, 0) << A;
}

// 2ᵏ·A has the eigenvalues of A times 2ᵏ and its eigenvectors, bit for bit
// (values alone too, see Eig), for k across the range where no entry of
// 2ᵏ·A is subnormal and no eigenvalue overflows, and every k within 163 of
// ±8060 (the edges of the iteration's safe range); A·V = V·D.  Subnormal
// entries keep every bit: the eigenvalues come out rounded once.
TEST(Eigen, WholeExponentRange) {
    const Real t = std::ldexp(Real(1), -16440);
    const Eig e0({{1, 2}, {3, 4}}), tiny({{t, 2 * t}, {3 * t, 4 * t}});
    EXPECT_TRUE(tiny.re[0] == e0.re[0] * t && tiny.re[1] == e0.re[1] * t);
    std::mt19937 g(30);
    for (bool symmetric : {true, false}) {
        const Matrix<Real> A = randomMatrix(8, g, symmetric);
        const Eig e(A);
        Real small = 1, big = 0;
        for (int i = 0; i < 64; i++) small = std::min(small, std::abs(A[i / 8][i % 8]));
        for (int i = 0; i < 8; i++) big = std::max(big, std::abs(Cplx(e.re[i], e.im[i])));
        const int lo = LDBL_MIN_EXP - 1 - std::ilogb(small), hi = LDBL_MAX_EXP - 2 - std::ilogb(big);
        std::vector<int> ks = {lo, hi};
        for (int k = -16300; k <= 16300; k += 100) ks.insert(ks.end(), {k, 8060 + k / 100, -8060 - k / 100});
        for (int k : ks) {
            Matrix<Real> B = A;
            Vector<Real> re = e.re, im = e.im;
            for (int i = 0; i < 64; i++) B[i / 8][i % 8] = std::ldexp(A[i / 8][i % 8], k);
            for (int i = 0; i < 8; i++) re[i] = std::ldexp(e.re[i], k), im[i] = std::ldexp(e.im[i], k);
            const Eig f(B);
            EXPECT_TRUE(f.converged && sameBits(f.re, re) && sameBits(f.im, im)) << symmetric << " k = " << k;
            expectNear(f.V, e.V);
            EXPECT_LE(normFrobenius(B * f.V - f.V * f.D),
                      80 * kEps52 * normFrobenius(B) * normFrobenius(f.V));
        }
    }
}

// The reported failures (Wilkinson's polynomial is in polyroots_test): the
// matrices (0, 10¹⁶; 1, 0) (that of x² − 10¹⁶, balanced by default) and
// (0, 1, 0; 10⁻³, 0, 0; 0, 0, 10¹³) have the well-separated eigenvalues
// ±10⁸ and ±√10⁻³, 10¹³, balanced or not (the deflation mend alone).
TEST(BadlyScaled, ReportedInputsGetTheirEigenvalues) {
    for (Balancing b : {Balancing::whenBadlyScaled, Balancing::never}) {
        Eig two = expectSolved({{0, 1e16L}, {1, 0}}, {-1e8L, 1e8L}, 1e3L * kEps52, b);
        EXPECT_EQ(two.balanced, b == Balancing::whenBadlyScaled);
        Real s = std::sqrt(1e-3L);
        expectSolved({{0, 1, 0}, {1e-3L, 0, 0}, {0, 0, 1e13L}}, {-s, s, 1e13L}, 1e3L * kEps52, b);
    }
}

// Random moderate A of order 2 … 8 and S = diag(2^s), s spread over ±60:
// balancing C = S·A·S⁻¹ is exact (every entry C's times a power of two),
// leaves each row and column of like norm, and is idempotent; C's
// eigenvectors, brought back to the balanced coordinates, satisfy B·W = W·D
// relative to B (so C has B's, that is A's, eigenvalues).  An ordinary A is
// left alone unless balancing is asked for.
TEST(Balancing, ExactIdempotentAndSimilarityInvariant) {
    std::mt19937 g(13);
    for (int t = 0; t < 40; t++) {
        const int n = 2 + t % 7;
        Matrix<Real> A = randomMatrix(n, g), C(n, n, 0);
        std::vector<int> s(n);
        for (int& e : s) e = static_cast<int>(g() % 121) - 60;
        for (int i = 0; i < n; i++)
            for (int j = 0; j < n; j++) C[i][j] = std::ldexp(A[i][j], s[i] - s[j]);

        Vector<int> k, again;
        Matrix<Real> B = ZELKOR::balance(C, k);
        for (int i = 0; i < n; i++) {
            Real c = 0, r = 0;  // row and column norms within 4 of each other
            for (int j = 0; j < n; j++) {
                ASSERT_EQ(B[i][j], std::ldexp(C[i][j], k[j] - k[i]));
                if (j != i) c += std::abs(B[j][i]), r += std::abs(B[i][j]);
            }
            EXPECT_TRUE(c <= 4 * r && r <= 4 * c) << c << " vs " << r;
        }
        expectNear(ZELKOR::balance(B, again), B);
        for (int i = 0; i < n; i++) EXPECT_EQ(again[i], 0);

        Eig ec(C, Balancing::always);
        EXPECT_EQ(Eig(A).balanced + ec.balanced, 1);
        for (int i = 0; i < n; i++)  // balanced coordinates: W = 2^−k·V satisfies B·W = W·D
            for (int j = 0; j < n; j++) ec.V[i][j] = std::ldexp(ec.V[i][j], -k[i]);
        EXPECT_LE(frob(B * ec.V, ec.V * ec.D), 10 * n * kEps52 * frob(B) * frob(ec.V));
    }
}

}  // namespace
