// SPDX-License-Identifier: MIT
// Results at 1, 2 and 3 threads (setThreadCount) and at the governor's
// count, whatever this machine's load makes it, are the same bits: every
// element of the LU factors, solves, inverse, products and both eigen
// paths' values and vectors (and their values alone at the type's
// epsilon), the complex eigen-decomposition's, on random matrices of orders on both sides of the threading
// thresholds; the text of a large matrix; and a pipelined QR sweep that stops in its third window
// stops there on any number of threads, with the same bits.
#include <gtest/gtest.h>

#include <complex>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include <zelkor/complex_eigen>
#include <zelkor/eigenvalue>
#include <zelkor/lu>
#include <zelkor/threads>
#include "matrix_builders.h"

namespace {

using Results = std::vector<Matrix<Real>>;

Matrix<Real> asColumn(const Vector<Real>& v) {
    Matrix<Real> M(v.dim(), 1, 0);
    for (int i = 0; i < v.dim(); i++) M[i][0] = v[i];
    return M;
}

// threads: 0 for the governor's count.
Results compute(int n, int threads) {
    ZELKOR::setThreadCount(threads);
    std::mt19937 g(1000 + n);
    const Matrix<Real> A = randomMatrix(n, g), B = randomMatrix(n, g), S = randomMatrix(n, g, true);
    ZELKOR::LU<Real> lu(A);
    Results r = {lu.getL(), lu.getU(), lu.inv(), lu.solve(B), A * B};
    for (const Vector<Real>& v : {lu.solve(column(B, 0)), A * column(B, 0)}) r.push_back(asColumn(v));
    using ZELKOR::Negligibility;
    for (const Matrix<Real>* M : {&A, &S})
        for (bool vectors : {true, false}) {  // the values alone at the type's epsilon
            ZELKOR::Eigenvalue<Real> eig(
                *M, {ZELKOR::Balancing::whenBadlyScaled,
                     vectors ? Negligibility::double52 : Negligibility::typeEpsilon, vectors});
            Matrix<Real> V;
            Vector<Real> re, im;
            eig.getV(V);
            eig.getRealEigenvalues(re);
            eig.getImagEigenvalues(im);
            r.insert(r.end(), {V, asColumn(re), asColumn(im)});
        }
    Matrix<std::complex<Real>> C(n, n, 0);  // A + i·B
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) C[i][j] = {A[i][j], B[i][j]};
    for (bool vectors : {true, false}) {
        if (n > 131) break;  // threads in every stage already
        ZELKOR::ComplexEigen<Real> eig(C, {ZELKOR::Balancing::whenBadlyScaled, Negligibility::typeEpsilon, vectors});
        const Matrix<std::complex<Real>> V = eig.getV();
        const Vector<std::complex<Real>> w = eig.getEigenvalues();
        Matrix<Real> parts(n, 2 * n + 2, 0);
        for (int i = 0; vectors && i < n; i++)
            for (int j = 0; j < n; j++) parts[i][2 * j] = V[i][j].real(), parts[i][2 * j + 1] = V[i][j].imag();
        for (int i = 0; i < n; i++) parts[i][2 * n] = w[i].real(), parts[i][2 * n + 1] = w[i].imag();
        r.push_back(parts);
    }
    return r;
}

// x87 extended: 10 significant bytes, the rest is padding.
const size_t bytes = std::numeric_limits<Real>::digits == 64 ? 10 : sizeof(Real);

void expectSameBits(const Matrix<Real>& one, const Matrix<Real>& many, const std::string& what) {
    ASSERT_EQ(one.num_rows(), many.num_rows()) << what;
    ASSERT_EQ(one.num_cols(), many.num_cols()) << what;
    for (int i = 0; i < one.num_rows(); i++)
        for (int j = 0; j < one.num_cols(); j++)
            ASSERT_EQ(std::memcmp(&one[i][j], &many[i][j], bytes), 0)
                << what << " (" << i << ", " << j << ")";
}

TEST(Parallel, SameBitsAtOneTwoThreeThreadsAndTheGovernors) {
    ZELKOR::useMachineGovernor();
    for (int n : {1, 2, 7, 40, 97, 131, 200}) {
        Results one = compute(n, 1);
        for (int threads : {2, 3, 0}) {
            Results many = compute(n, threads);
            ASSERT_EQ(one.size(), many.size());
            for (size_t k = 0; k < one.size(); k++)
                expectSameBits(one[k], many[k],
                               "order " + std::to_string(n) + ", " + std::to_string(threads) +
                                   " threads, result " + std::to_string(k));
        }
    }
    ZELKOR::setThreadCount(0);
}

// A matrix large enough that threads format it: the same text.
TEST(Parallel, SameTextOfAMatrixAtAnyCount) {
    std::mt19937 g(3);
    Matrix<Real> A = randomMatrix(300, g);
    A[7][5] = -0.0L;
    A[299][299] = std::numeric_limits<Real>::infinity();
    std::vector<std::string> texts;
    for (int threads : {1, 2, 3}) {
        ZELKOR::setThreadCount(threads);
        std::ostringstream out;
        out.precision(20);
        out.setf(std::ios::showpos);
        out << A;
        texts.push_back(out.str());
    }
    ZELKOR::setThreadCount(0);
    EXPECT_EQ(texts[0], texts[1]);
    EXPECT_EQ(texts[0], texts[2]);
    EXPECT_EQ(texts[0].compare(0, 10, "+300 +300\n"), 0);  // showpos holds for the count too
}

// An upper Hessenberg matrix of order 120 with H[m][m − 1] = 0: a sweep
// from row 0 reaches step m with column m − 1 zero below the diagonal
// (step m − 2 leaves row m alone, as r = 0 there, and step m − 1 only
// changes the sign of row and column m − 1), so it stops there, x = 0.
TEST(Parallel, PipelinedSweepStopsWhereTheSerialSweepStops) {
    const int n = 120;
    for (int m : {20, 90}) {
        Results hv;  // H, V at 1 thread, then at 2, at 3
        for (int threads : {1, 2, 3}) {
            std::mt19937 g(7);
            Matrix<Real> h = randomMatrix(n, g);
            for (int i = 2; i < n; i++)
                for (int j = 0; j < i - 1; j++) h[i][j] = 0;
            h[m][m - 1] = 0;
            Matrix<Real> v = randomMatrix(n, g);
            Vector<Real> steps(5 * n, 0);
            Vector<int> applied(n, 0);
            const int end = ZELKOR::detail::sweepAndUpdate<Real>(
                threads, {0, 0, n - 1, n, n}, {0.6L, 0.8L, 0, 1, false}, {h, v, steps, applied});
            EXPECT_EQ(end, m) << threads << " threads";
            hv.insert(hv.end(), {h, v});
        }
        for (std::size_t k = 2; k < hv.size(); k++)
            expectSameBits(hv[k % 2], hv[k],
                           "stop at " + std::to_string(m) + ", result " + std::to_string(k));
    }
}

}  // namespace
