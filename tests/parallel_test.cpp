// SPDX-License-Identifier: MIT
// Results at 1, 2 and 3 threads are the same bits: every element of the LU
// factors, solves, inverse, products and both eigen paths' values and
// vectors (and their values alone at the type's epsilon), on random
// matrices of orders on both sides of the threading thresholds.
#include <gtest/gtest.h>
#include <omp.h>

#include <cstring>
#include <limits>
#include <random>
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

Results compute(int n, int threads) {
    omp_set_num_threads(threads);
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
        ZELKOR::Eigenvalue<Real> alone(*M, {ZELKOR::Balancing::whenBadlyScaled, ZELKOR::Negligibility::typeEpsilon,
                                            false, {nullptr, nullptr}});
        alone.getRealEigenvalues(re);
        alone.getImagEigenvalues(im);
        r.push_back(asColumn(re));
        r.push_back(asColumn(im));
    }
    return r;
}

TEST(Parallel, SameBitsAtOneTwoThreeThreads) {
    // x87 extended: 10 significant bytes, the rest is padding.
    const size_t bytes = std::numeric_limits<Real>::digits == 64 ? 10 : sizeof(Real);
    const int saved = omp_get_max_threads();
    for (int n : {1, 2, 7, 40, 97, 131, 200}) {
        Results one = compute(n, 1);
        for (int threads : {2, 3}) {
            Results many = compute(n, threads);
            for (size_t k = 0; k < one.size(); k++) {
                ASSERT_EQ(one[k].num_rows(), many[k].num_rows());
                ASSERT_EQ(one[k].num_cols(), many[k].num_cols());
                for (int i = 0; i < one[k].num_rows(); i++)
                    for (int j = 0; j < one[k].num_cols(); j++)
                        ASSERT_EQ(std::memcmp(&one[k][i][j], &many[k][i][j], bytes), 0)
                            << "order " << n << ", " << threads << " threads, result " << k << " (" << i
                            << ", " << j << ")";
            }
        }
    }
    omp_set_num_threads(saved);
}

}  // namespace
