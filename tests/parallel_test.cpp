// SPDX-License-Identifier: MIT
// Results at 1, 2 and 3 threads (setThreadCount) and at the governor's
// count, whatever this machine's load makes it, are the same bits: every
// element of the LU factors, solves, inverse, products and both eigen
// paths' values and vectors (and their values alone at the type's
// epsilon), on random matrices of orders on both sides of the threading
// thresholds; the text of a large matrix; and a pipelined QR sweep that stops in its third window
// stops there on any number of threads, with the same bits.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "eigenvalue"
#include "lu"
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
    Matrix<Real> A = randomMatrix(n, g);
    Matrix<Real> B = randomMatrix(n, g);
    Matrix<Real> S = randomMatrix(n, g, true);
    Results r;
    ZELKOR::LU<Real> lu(A);
    r.push_back(lu.getL());
    r.push_back(lu.getU());
    r.push_back(lu.inv());
    r.push_back(lu.solve(B));
    r.push_back(asColumn(lu.solve(column(B, 0))));
    r.push_back(A * B);
    r.push_back(asColumn(A * column(B, 0)));
    for (const Matrix<Real>* M : {&A, &S}) {
        ZELKOR::Eigenvalue<Real> eig(*M);
        Matrix<Real> V;
        Vector<Real> re, im;
        eig.getV(V);
        eig.getRealEigenvalues(re);
        eig.getImagEigenvalues(im);
        r.push_back(V);
        r.push_back(asColumn(re));
        r.push_back(asColumn(im));
        ZELKOR::Eigenvalue<Real> alone(*M, {ZELKOR::Balancing::whenBadlyScaled,
                                            ZELKOR::Negligibility::typeEpsilon,
                                            false,
                                            {nullptr, nullptr}});
        alone.getRealEigenvalues(re);
        alone.getImagEigenvalues(im);
        r.push_back(asColumn(re));
        r.push_back(asColumn(im));
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
        std::vector<Matrix<Real>> H, V;
        for (int threads : {1, 2, 3}) {
            std::mt19937 g(7);
            Matrix<Real> h = randomMatrix(n, g);
            for (int i = 2; i < n; i++)
                for (int j = 0; j < i - 1; j++) h[i][j] = 0;
            h[m][m - 1] = 0;
            Matrix<Real> v = randomMatrix(n, g);
            Vector<Real> steps(5 * n, 0);
            Vector<int> applied(n, 0);
            const int end = ZELKOR::stages::sweepAndUpdate<Real>(threads, 0, 0, n - 1, false, 0.6L, 0.8L, 0,
                                                                 1, h, v, steps, applied, n, n);
            EXPECT_EQ(end, m) << threads << " threads";
            H.push_back(h);
            V.push_back(v);
        }
        for (int k : {1, 2}) {
            expectSameBits(H[0], H[k],
                           "H, stop at " + std::to_string(m) + ", " + std::to_string(k + 1) + " threads");
            expectSameBits(V[0], V[k],
                           "V, stop at " + std::to_string(m) + ", " + std::to_string(k + 1) + " threads");
        }
    }
}

}  // namespace
