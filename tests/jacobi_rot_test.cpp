// SPDX-License-Identifier: MIT
// jacobi_rot: reports written out by hand, properties of the rotations,
// the degenerate rotation angles, and the result file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "jacobi_rot.h"
#include "program_run.h"

namespace {

using Rows = std::vector<std::vector<double>>;

ProgramRun jacobiRun(const std::string& data) { return runProgram(JACOBI_ROT_BIN, {{"jacobi.dat", data}}); }

// The routine on a copy of m, over row-pointer tables.
struct Solved {
    explicit Solved(const Rows& m, int maxRotations = 100) : a(m), v(m.size(), std::vector<double>(m.size())) {
        std::vector<double*> pa, pv;
        for (std::size_t i = 0; i < m.size(); ++i) pa.push_back(a[i].data()), pv.push_back(v[i].data());
        converged = jacobi(static_cast<int>(m.size()), pa.data(), pv.data(), trace, nullptr, maxRotations);
    }
    Rows a, v;
    std::ostringstream trace;
    bool converged;
};

// The turn by 45 degrees: c = s = 1/√2 = 0.707107, tau = s/(c+1) = √2 − 1.
const std::string halfRight = "  s= 0.707107  c= 0.707107 t=1 tau=0.414214\n\n";
const std::string vectors2 =
    "Vectores propios (columnas) \n"
    "\n  0.707107     0.707107   \n -0.707107     0.707107   \n\n";

// Rows (2, 1), (1, 2): equal diagonal, t = 1; diagonal 2 ∓ 1; Delta 1 − 1·1.
// An old res.dat is emptied.  A nonsymmetric matrix is read by its upper
// triangle.
TEST(JacobiRotReport, TwoByTwoExampleAndNonsymmetricInput) {
    ProgramRun r = runProgram(JACOBI_ROT_BIN, {{"jacobi.dat", "2\n2 1\n1 2\n"}, {"res.dat", "old"}});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "\n         2            1   \n         1            2   \n"
              "Delta inicial = 1\np= 0 q= 1 apq= 1\n" +
                  halfRight +
                  "Matriz iteracion 1\n\n         1   \n         0            3   \n\n\n"
                  "V iteracion 1\n\n  0.707107     0.707107   \n -0.707107     0.707107   \n\n" +
                  " Delta= 0\n\n Jacobi ha convergido  con 1 iteraciones\n\nDelta= 0\n\n"
                  "Matriz diagonalizada\n\n         1            0   \n         0            3   \n\n" +
                  vectors2 +
                  "Productos escalares de vectores propios\n\n         1           0  \n         1  \n");
    EXPECT_EQ(r.files["res.dat"], "Los valores propios son \n\n1   \n3   \n\n" + vectors2);
    // 5 below the diagonal changes nothing but the echo, and adds a warning.
    ProgramRun lower = jacobiRun("2\n2 1\n5 2\n");
    EXPECT_EQ(lower.err,
              "jacobi_rot: jacobi.dat: the matrix is not symmetric; its upper triangle was used\n");
    EXPECT_EQ(lower.out, "\n         2            1   \n         5            2   \n" +
                             r.out.substr(r.out.find("Delta")));
}

// A symmetric matrix of order 12, entries (i·j mod 7) − 3 for i, j = 1 … 12.
std::string order12() {
    std::ostringstream data;
    data << "12\n";
    for (int i = 1; i <= 12; ++i)
        for (int j = 1; j <= 12; ++j) data << (i * j) % 7 - 3 << (j == 12 ? "\n" : " ");
    return data.str();
}

// Order 12 needs more than 100 rotations (some four sweeps of 66 entries):
// the trace ends at rotation 100 and the note gives the true sum, far
// above 1e-12; the picture says so too, that of a converged run not.
TEST(JacobiRotReport, NoConvergenceAfterHundredRotations) {
    ProgramRun r = runProgram(JACOBI_ROT_BIN, {{"jacobi.dat", order12()}}, {"--svg", "p.svg"});
    EXPECT_NE(r.files["p.svg"].find("no convergence"), std::string::npos);
    EXPECT_EQ(runProgram(JACOBI_ROT_BIN, {{"jacobi.dat", "2 2 1 1 2"}}, {"--svg", "p.svg"})
                  .files["p.svg"]
                  .find("no convergence"),
              std::string::npos);
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Matriz iteracion 100\n"), std::string::npos);
    EXPECT_NE(r.out.find("\n\nNumero de  maximo de iteraciones en jacobi sin convergencia\n\n  Delta= "),
              std::string::npos);
    const std::string note =
        "jacobi_rot: jacobi.dat: no convergence in 100 rotations (off-diagonal sum of squares now ";
    ASSERT_EQ(r.err.rfind(note, 0), 0u) << r.err;
    EXPECT_GT(std::strtod(r.err.c_str() + note.size(), nullptr), 1e-9);
    EXPECT_NE(r.err.find("); --max-rotations allows more\n"), std::string::npos) << r.err;
}

// With a larger limit the order-12 matrix converges, after more than 100
// rotations: the eigenvalues sum to its trace Σ ((i² mod 7) − 3) =
// (1 + 4 + 2 + 2 + 4 + 1 + 0 + 1 + 4 + 2 + 2 + 4) − 36 = −9, to the rounding
// of some hundred rotations; res.dat at --digits 17 gives them as the very
// doubles the routine left (17 significant digits identify a double).  A
// limit of 1 stops after the first rotation.
TEST(JacobiRotOptions, MaxRotations) {
    const int trace = -9;
    ProgramRun r = runProgram(JACOBI_ROT_BIN, {{"jacobi.dat", order12()}},
                              {"--max-rotations", "1000", "--digits", "17"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::string done = " Jacobi ha convergido  con ";
    const std::size_t at = r.out.find(done);
    ASSERT_NE(at, std::string::npos) << r.out.substr(r.out.size() - 2000);
    const int rotations = std::atoi(r.out.c_str() + at + done.size());
    EXPECT_GT(rotations, 100);
    EXPECT_LE(rotations, 1000);
    EXPECT_NE(r.out.find("Matriz iteracion " + std::to_string(rotations) + "\n"), std::string::npos);
    EXPECT_EQ(r.out.find("Matriz iteracion " + std::to_string(rotations + 1) + "\n"), std::string::npos);
    EXPECT_EQ(r.out.find("sin convergencia"), std::string::npos);
    const std::vector<double> lambda = numbers(r.files["res.dat"], "Los valores propios son \n");
    ASSERT_EQ(lambda.size(), 12u) << r.files["res.dat"];
    double sum = 0;
    for (double x : lambda) sum += x;
    EXPECT_NEAR(sum, trace, 1e-12);  // some 130 rotations · 2⁻⁵³ · ‖A‖_F (about 24): 4e-13
    Rows m(12, std::vector<double>(12));
    for (int i = 0; i < 12; ++i)
        for (int j = 0; j < 12; ++j) m[i][j] = (i + 1) * (j + 1) % 7 - 3;
    Solved s(m, 1000);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(lambda[i], s.a[i][i]) << i;

    r = runProgram(JACOBI_ROT_BIN, {{"jacobi.dat", order12()}}, {"--max-rotations", "1"});
    EXPECT_TRUE(r.out.find("Matriz iteracion 1\n") != std::string::npos &&
                r.out.find("Matriz iteracion 2\n") == std::string::npos);
    EXPECT_NE(r.err.find(": no convergence in 1 rotation (off-diagonal"), std::string::npos) << r.err;
}

// Rounding carries the running sum below −1e-12 while the matrix is
// converging; the sum recomputed from the matrix then ends the run.
// (300, 200, 100; 200, 400, 150; 100, 150, 500): the seventh rotation
// leaves a running −2.9e-12, the true sum is below 1e-19, and the
// eigenvalues sum to the trace 1200.  And the other way: with 10⁸ and 1.1
// in two planes of their own, two rotations zero both exactly while the
// running sum keeps fl(fl(10¹⁶ + 1.21) − 10¹⁶) − 1.21 = 0.79 (the ulp of
// 10¹⁶ is 2); no rotation can lower it, and the exact 0 ends the run.
TEST(JacobiRotProperties, RoundingOfTheRunningSumDoesNotStopConvergence) {
    Solved s({{300, 200, 100}, {200, 400, 150}, {100, 150, 500}});
    ASSERT_TRUE(s.converged) << s.trace.str();
    const std::string trace = s.trace.str();
    EXPECT_NE(trace.find("Matriz iteracion 7\n"), std::string::npos);
    EXPECT_EQ(trace.find("Matriz iteracion 8\n"), std::string::npos);
    const std::size_t last = trace.rfind(" Delta= ");
    EXPECT_LT(std::strtod(trace.c_str() + last + 8, nullptr), -1e-12);
    const std::string done = " Jacobi ha convergido  con 7 iteraciones\n\nDelta= ";
    ASSERT_NE(trace.find(done), std::string::npos);
    EXPECT_LE(std::strtod(trace.c_str() + trace.find(done) + done.size(), nullptr), 1e-19);
    EXPECT_NEAR(s.a[0][0] + s.a[1][1] + s.a[2][2], 1200, 1e-10);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) EXPECT_LE(i == j ? 0 : std::abs(s.a[i][j]), 1e-9);

    // Only squares of the diagonal overflow: the report is finite, the
    // eigenvalues ±1e200 and, from (−1e200, 1; 1, 3), 3 − 1/(1e200 + 3).
    ProgramRun big = jacobiRun("3\n1e200 1e-200 0\n1e-200 -1e200 1\n0 1 3\n");
    EXPECT_EQ(big.status, 0) << big.err;
    EXPECT_NE(big.out.find(" Jacobi ha convergido"), std::string::npos);
    EXPECT_EQ(big.files["res.dat"].rfind("Los valores propios son \n\n1e+200   \n-1e+200   \n3   \n", 0), 0u)
        << big.files["res.dat"];

    Solved planes({{1, 1e8, 0, 0}, {1e8, 2, 0, 0}, {0, 0, 3, 1.1}, {0, 0, 1.1, 4}});
    ASSERT_TRUE(planes.converged);
    EXPECT_NE(planes.trace.str().find(" Delta= 0.79\n"), std::string::npos);
    EXPECT_NE(planes.trace.str().find(" Jacobi ha convergido  con 2 iteraciones\n\nDelta= 0\n"), std::string::npos);
    EXPECT_EQ(planes.trace.str().find("Matriz iteracion 3\n"), std::string::npos);
}

// A0 = V·Â·Vᵀ, Â the final matrix: the residuals A0·v_k − â_kk·v_k are V
// times the columns of Â's off-diagonal part, so their squares sum to twice
// the upper sum of squares, at most 2·1e-12 at convergence.
TEST(JacobiRotProperties, RandomSymmetricMatrices) {
    std::mt19937 gen(2024);
    std::uniform_real_distribution<double> entry(-1, 1);
    for (int t = 0; t < 14; ++t) {
        const int n = 2 + t / 2;  // two of each order 2 … 8
        Rows m(n, std::vector<double>(n));
        for (int i = 0; i < n; ++i)
            for (int j = i; j < n; ++j) m[i][j] = m[j][i] = entry(gen);
        Solved s(m);
        ASSERT_TRUE(s.converged) << "order " << n;
        double residual2 = 0;
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < i; ++j) EXPECT_EQ(s.a[i][j], s.a[j][i]);
            for (int j = 0; j < n; ++j) {
                double dot = 0, av = -s.a[j][j] * s.v[i][j];
                for (int k = 0; k < n; ++k) dot += s.v[k][i] * s.v[k][j], av += m[i][k] * s.v[k][j];
                EXPECT_NEAR(dot, i == j ? 1 : 0, 1e-14);
                residual2 += av * av;
            }
        }
        EXPECT_LE(residual2, 2.1e-12);
    }
    // A matrix of norm below 1 converges relative to its norm: the README
    // example times 1e-7 has its eigenvalues (bisection on det(A − λI)) times
    // 1e-7 to 6 digits.
    Solved small(
        {{5e-7, 1e-7, 0, 2e-7}, {1e-7, 4e-7, 1e-7, 0}, {0, 1e-7, 3e-7, 1e-7}, {2e-7, 0, 1e-7, 2e-7}});
    std::vector<double> d{small.a[0][0], small.a[1][1], small.a[2][2], small.a[3][3]};
    std::sort(d.begin(), d.end());
    std::ostringstream printed;
    for (double x : d) printed << x << " ";
    EXPECT_EQ(printed.str(), "4.77173e-08 2.89791e-07 4.10209e-07 6.52283e-07 ");
}

TEST(JacobiRotAngle, DegenerateThetaStaysFinite) {
    // Pivot 0 beside unequal diagonal entries (theta infinite): no turn.
    Solved zero({{3, 0, 0}, {0, 1, 0}, {0, 0, 2}});
    EXPECT_NE(zero.trace.str().find("p= 0 q= 1 apq= 0\n  s= 0  c= 1 t=0 tau=0\n\n"), std::string::npos);
    EXPECT_TRUE(zero.converged);
    // theta = 1e10 / 2e-145 = 5e154, theta² overflows: t = 1/(2·theta) =
    // 1e-155, c = 1, a00 = 0 − t·1e-145.
    Solved big({{0, 1e-145}, {1e-145, 1e10}});
    EXPECT_TRUE(big.converged);
    EXPECT_NE(big.trace.str().find("  s= 1e-155  c= 1 t=1e-155 tau=5e-156\n"), std::string::npos);
    EXPECT_DOUBLE_EQ(big.a[0][0], -1e-300);
    // theta = 1e-300 / 2e150 underflows to 0: t = 1, diagonal ∓1e150.
    Solved tiny({{0, 1e150}, {1e150, 1e-300}});
    EXPECT_TRUE(tiny.converged);
    EXPECT_NE(tiny.trace.str().find(halfRight), std::string::npos);
    EXPECT_TRUE(tiny.a[0][0] == -1e150 && tiny.a[1][1] == 1e150);
    EXPECT_DOUBLE_EQ(tiny.v[1][0], -std::sqrt(0.5));
}

// res.dat is left as it was on bad input; a res.dat that cannot be written
// is named with the reason.
TEST(JacobiRotInput, ResultFileProblems) {
    const std::string p = "jacobi_rot", f = "jacobi.dat";
    ProgramRun one = runProgram(JACOBI_ROT_BIN, {{"jacobi.dat", "1\n5\n"}, {"res.dat", "kept"}});
    EXPECT_TRUE(refused(one, p, f, "the order n must be at least 2, found 1"));
    EXPECT_EQ(one.files["res.dat"], "kept");
    EXPECT_TRUE(refused(runProgram(JACOBI_ROT_BIN, {{"jacobi.dat", "2 2 1 1 2"}, {"res.dat/", ""}}), p,
                        "res.dat", "cannot write res.dat"));
    // Opened, but every write fails.
    std::istringstream data("2 2 1 1 2");
    std::ostringstream out, err;
    EXPECT_EQ(jacobiRot(data, "/dev/full", out, Voice("jacobi_rot", "jacobi.dat", err)), 1);
    EXPECT_EQ(err.str(), "jacobi_rot: cannot write /dev/full: No space left on device\n");
}

}  // namespace
