// Badly scaled input: balancing (exact, idempotent, similarity-invariant),
// the deflation test beside exactly zero diagonal entries, and the inputs
// that gave wrong eigenvalues and roots without them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>
#include <vector>

#include "eigenvalue"
#include "matrix_builders.h"
#include "program_run.h"

namespace {

using ZELKOR::Balancing;
using ZELKOR::Eigenvalue;
using Cplx = std::complex<Real>;

const Real kEps52 = std::ldexp(Real(1), -52);

// The eigenvalues by real part; V and D in the arguments given.
std::vector<Cplx> eigenvalues(Eigenvalue<Real>& E, Matrix<Real>& V, Matrix<Real>& D) {
    Vector<Real> re, im;
    E.getRealEigenvalues(re);
    E.getImagEigenvalues(im);
    E.getV(V);
    E.getD(D);
    std::vector<Cplx> z;
    for (int i = 0; i < re.dim(); i++) z.emplace_back(re[i], im[i]);
    std::sort(z.begin(), z.end(), [](Cplx a, Cplx b) { return a.real() < b.real(); });
    return z;
}

// The reported failures.  Wilkinson's (x − 1)…(x − 20) by its companion
// matrix as polyroots builds it: each root z_k is within κ_k·2⁻⁵²·10³ of
// k, κ_k = Σ|a_j|·k^j / |p'(k)| (the root's condition), and p(z) is small
// against Σ|a_j|·|z|^j.  The matrices (0, 10¹⁶; 1, 0) (that of x² − 10¹⁶,
// balanced by default) and (0, 1, 0; 10⁻³, 0, 0; 0, 0, 10¹³) have the
// well-separated eigenvalues ±10⁸ and ±√10⁻³, 10¹³, balanced or not (the
// deflation mend alone).
TEST(BadlyScaled, ReportedInputsGetTheirEigenvaluesAndRoots) {
    const int N = 20;
    std::vector<Real> a = {1};
    for (int r = 1; r <= N; r++) {  // multiply by (x − r); exact in Real
        a.push_back(0);
        for (int k = r; k >= 1; k--) a[k] = a[k - 1] - r * a[k];
        a[0] = -r * a[0];
    }
    Matrix<Real> A(N, N, 0), V, D;
    for (int j = 0; j < N; j++) A[0][j] = -a[N - 1 - j] / a[N];
    for (int i = 0; i + 1 < N; i++) A[i + 1][i] = 1;
    Eigenvalue<Real> E(A);
    EXPECT_EQ(E.isBalanced(), 1);
    std::vector<Cplx> z = eigenvalues(E, V, D);
    ASSERT_EQ(z.size(), 20u);
    for (int k = 0; k < N; k++) {
        Real r = k + 1, derivative = 1, bound = 0, zBound = 0;
        Cplx p = 0;
        for (int s = 1; s <= N; s++)
            if (s != r) derivative *= r - s;
        for (int j = N; j >= 0; j--) {
            bound = bound * r + std::abs(a[j]);
            zBound = zBound * std::abs(z[k]) + std::abs(a[j]);
            p = p * z[k] + a[j];
        }
        EXPECT_LE(std::abs(z[k] - r), 1e3L * kEps52 * bound / std::abs(derivative)) << "root " << r;
        EXPECT_LE(std::abs(p) / zBound, 1e3L * kEps52) << "root " << r;
    }
    struct Case {
        Matrix<Real> A;
        std::vector<Real> lambda;
    };
    for (const Case& c :
         {Case{{{0, 1e16L}, {1, 0}}, {-1e8L, 1e8L}},
          Case{{{0, 1, 0}, {1e-3L, 0, 0}, {0, 0, 1e13L}}, {-std::sqrt(1e-3L), std::sqrt(1e-3L), 1e13L}}}) {
        for (Balancing b : {Balancing::whenBadlyScaled, Balancing::never}) {
            Eigenvalue<Real> E(c.A, b);
            std::vector<Cplx> z = eigenvalues(E, V, D);
            EXPECT_EQ(E.isBalanced(), b == Balancing::whenBadlyScaled && c.lambda.size() == 2);
            for (std::size_t k = 0; k < z.size(); k++)
                EXPECT_LE(std::abs(z[k] - c.lambda[k]), 1e3L * kEps52 * std::abs(c.lambda[k]));
            EXPECT_LE(scaledResidual(c.A, V, D), 10);
        }
    }
}

// Random moderate A of order 2 … 8 and S = diag(2^s), s spread over ±60:
// balancing C = S·A·S⁻¹ is exact (every entry C's times a power of two),
// leaves each row and column of like norm, and is idempotent; C's
// eigenvectors, brought back to the balanced coordinates, satisfy B·W = W·D
// relative to B (so C has B's, that is A's, eigenvalues).  An ordinary A is left alone unless balancing is
// asked for.
TEST(Balancing, ExactIdempotentAndSimilarityInvariant) {
    std::mt19937 g(13);
    for (int t = 0; t < 40; t++) {
        const int n = 2 + t % 7;
        Matrix<Real> A = randomMatrix(n, g), C(n, n, 0), V, D;
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

        Eigenvalue<Real> EC(C, Balancing::always);
        EXPECT_EQ(Eigenvalue<Real>(A).isBalanced() + EC.isBalanced(), 1);
        EC.getV(V);
        EC.getD(D);
        for (int i = 0; i < n; i++)  // balanced coordinates: W = 2^−k·V satisfies B·W = W·D
            for (int j = 0; j < n; j++) V[i][j] = std::ldexp(V[i][j], -k[i]);
        EXPECT_LE(frob(B * V, V * D), 10 * n * kEps52 * frob(B) * frob(V));
    }
}

// The programs print their reports from the matrix as given and say in
// one line on standard error that they balanced it.
TEST(BadlyScaled, ProgramsNoteTheBalancing) {
    ProgramRun p = runProgram(POLYROOTS_BIN, {{"datos6.dat", "2 3 -1e16 0 1"}});
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(
        p.err,
        "polyroots: datos6.dat: the coefficients span many orders of magnitude; the companion matrix was "
        "balanced before the eigenvalue iteration\n");
    EXPECT_EQ(p.out.rfind("2\n3\n-1e+16 0 1 \n\nA = 2 2\n-0 1e+16 \n1 0 \n\nparte real raices=2\n", 0), 0u);

    ProgramRun l = runProgram(LU_SPECTRUM_BIN, {{"datos4.dat", "2 0 1e16 1 0"}});
    EXPECT_EQ(l.status, 0);
    EXPECT_EQ(
        l.err,
        "lu_spectrum: datos4.dat: the rows and columns differ in scale by many orders of magnitude; the "
        "matrix was balanced before the eigenvalue iteration\n");
    EXPECT_EQ(l.out.rfind("\n0   1e+16   \n1   0   \n valores propios = 2\n", 0), 0u);
}

}  // namespace
