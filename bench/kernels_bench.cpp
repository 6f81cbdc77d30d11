// SPDX-License-Identifier: MIT
// Timings of the library's O(N³) kernels on seeded random matrices of order
// N = 20, 50, 100, 200, 400 (and the nonsymmetric decomposition at 1000,
// for bench/run_programs), each on one thread and at the library's
// default: the argument "threads" is 1, or 0 for the default (the
// governor's count, or OpenMP's where the environment sets one; see
// <zelkor/threads>), set through setThreadCount before the timed loop;
// without OpenMP only 1.  Each benchmark reports the rate counter "Gflop"
// (printed as Gflop/s): a textbook operation count for the kernel divided by
// the measured CPU time.
//
//   LU factorisation                    2N³/3
//   solve with N right-hand sides       2N³    (forward and back substitution)
//   inverse, factorisation included     2N³/3 + 2N³
//   matrix–matrix product               2N³
//   symmetric eigen-decomposition       9N³    (tridiagonalisation, QL, vectors)
//   nonsymmetric eigen-decomposition    25N³   (Hessenberg, QR, vectors)
//
// The eigen counts are the usual estimates for the algorithms with
// eigenvectors; the true count depends on the number of iterations.
#include <benchmark/benchmark.h>

#include <initializer_list>
#include <random>

#include <zelkor/cmat_zelkor>
#include <zelkor/eigenvalue>
#include <zelkor/lu>
#include <zelkor/threads>
#include <zelkor/vec_zelkor>

namespace {

using ZELKOR::Matrix;
using ZELKOR::Real;

Matrix<Real> randomMatrix(int n, unsigned seed) {
    std::mt19937_64 engine(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    Matrix<Real> A(n, n, 0);
    for (int i = 0; i < n; i++)
        for (int j = 0; j < n; j++) A[i][j] = uniform(engine);
    return A;
}

Matrix<Real> randomSymmetric(int n, unsigned seed) {
    std::mt19937_64 engine(seed);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    Matrix<Real> A(n, n, 0);
    for (int i = 0; i < n; i++)
        for (int j = 0; j <= i; j++) A[i][j] = A[j][i] = uniform(engine);
    return A;
}

void reportRate(benchmark::State& state, double flopsPerIteration) {
    state.counters["Gflop"] =
        benchmark::Counter(flopsPerIteration * 1e-9, benchmark::Counter::kIsIterationInvariantRate);
}

// Threads for this run, from the second argument; 0 leaves them to the
// governor, as in the programs.
void setThreads(benchmark::State& state) {
    ZELKOR::useMachineGovernor();
    ZELKOR::setThreadCount(static_cast<int>(state.range(1)));
}

double cube(benchmark::State& state) {
    double n = static_cast<double>(state.range(0));
    return n * n * n;
}

void BM_LUFactor(benchmark::State& state) {
    setThreads(state);
    Matrix<Real> A = randomMatrix(static_cast<int>(state.range(0)), 1);
    for (auto _ : state) {
        ZELKOR::LU<Real> lu(A);
        benchmark::DoNotOptimize(lu);
        benchmark::ClobberMemory();
    }
    reportRate(state, 2.0 * cube(state) / 3.0);
}

void BM_LUSolve(benchmark::State& state) {
    setThreads(state);
    int n = static_cast<int>(state.range(0));
    Matrix<Real> A = randomMatrix(n, 2);
    Matrix<Real> B = randomMatrix(n, 3);
    ZELKOR::LU<Real> lu(A);
    for (auto _ : state) {
        Matrix<Real> X = lu.solve(B);
        benchmark::DoNotOptimize(X[0]);
        benchmark::ClobberMemory();
    }
    reportRate(state, 2.0 * cube(state));
}

void BM_LUInverse(benchmark::State& state) {
    setThreads(state);
    Matrix<Real> A = randomMatrix(static_cast<int>(state.range(0)), 4);
    for (auto _ : state) {
        ZELKOR::LU<Real> lu(A);
        Matrix<Real> X = lu.inv();
        benchmark::DoNotOptimize(X[0]);
        benchmark::ClobberMemory();
    }
    reportRate(state, 2.0 * cube(state) / 3.0 + 2.0 * cube(state));
}

void BM_MatMult(benchmark::State& state) {
    setThreads(state);
    int n = static_cast<int>(state.range(0));
    Matrix<Real> A = randomMatrix(n, 5);
    Matrix<Real> B = randomMatrix(n, 6);
    for (auto _ : state) {
        Matrix<Real> C = ZELKOR::matmult(A, B);
        benchmark::DoNotOptimize(C[0]);
        benchmark::ClobberMemory();
    }
    reportRate(state, 2.0 * cube(state));
}

void BM_EigenSymmetric(benchmark::State& state) {
    setThreads(state);
    Matrix<Real> A = randomSymmetric(static_cast<int>(state.range(0)), 7);
    for (auto _ : state) {
        ZELKOR::Eigenvalue<Real> e(A);
        benchmark::DoNotOptimize(e);
        benchmark::ClobberMemory();
    }
    reportRate(state, 9.0 * cube(state));
}

void BM_EigenNonsymmetric(benchmark::State& state) {
    setThreads(state);
    Matrix<Real> A = randomMatrix(static_cast<int>(state.range(0)), 8);
    for (auto _ : state) {
        ZELKOR::Eigenvalue<Real> e(A);
        benchmark::DoNotOptimize(e);
        benchmark::ClobberMemory();
    }
    reportRate(state, 25.0 * cube(state));
}

void settings(benchmark::internal::Benchmark* b, std::initializer_list<int> sizes) {
#ifdef _OPENMP
    const std::initializer_list<int> threads = {1, 0};
#else
    const std::initializer_list<int> threads = {1};
#endif
    for (int n : sizes)
        for (int t : threads) b->Args({n, t});
    b->ArgNames({"N", "threads"})->Unit(benchmark::kMillisecond)->UseRealTime();
}

void orders(benchmark::internal::Benchmark* b) { settings(b, {20, 50, 100, 200, 400}); }
void ordersTo1000(benchmark::internal::Benchmark* b) { settings(b, {20, 50, 100, 200, 400, 1000}); }

}  // namespace

BENCHMARK(BM_LUFactor)->Apply(orders);
BENCHMARK(BM_LUSolve)->Apply(orders);
BENCHMARK(BM_LUInverse)->Apply(orders);
BENCHMARK(BM_MatMult)->Apply(orders);
BENCHMARK(BM_EigenSymmetric)->Apply(orders);
BENCHMARK(BM_EigenNonsymmetric)->Apply(ordersTo1000);

BENCHMARK_MAIN();
