// Edges where the programs used to give a wrong answer or fail silently:
// a tiny entry in the symmetric path, jacobi_rot on a small matrix and
// without convergence, arithmetic that leaves the range of double.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

// The numbers after the first line of res.dat's eigenvalue block.
std::vector<double> eigenvaluesOf(const std::string& res, int n) {
    std::istringstream in(res.substr(res.find('\n') + 1));
    std::vector<double> values(n);
    for (double& v : values) in >> v;
    return values;
}

// The number after `key` in s.
double after(const std::string& s, const std::string& key) {
    std::size_t at = s.find(key);
    return at == std::string::npos ? -1 : std::strtod(s.c_str() + at + key.size(), nullptr);
}

TEST(SoundEdges, JacobiRotOnSmallMatricesAndWithoutConvergence) {
    // The README example times 1e-7: its eigenvalues (roots of det(A − λI)
    // found by bisection) times 1e-7, to the 6 digits printed.
    ProgramRun small = runProgram(JACOBI_ROT_BIN, {{"jacobi.dat",
                                                    "4\n5e-7 1e-7 0 2e-7\n1e-7 4e-7 1e-7 0\n"
                                                    "0 1e-7 3e-7 1e-7\n2e-7 0 1e-7 2e-7\n"}});
    ASSERT_EQ(small.status, 0) << small.err;
    std::vector<double> got = eigenvaluesOf(small.files["res.dat"], 4);
    std::sort(got.begin(), got.end());
    const double want[] = {4.77173e-08, 2.89791e-07, 4.10209e-07, 6.52283e-07};
    for (int i = 0; i < 4; i++) EXPECT_NEAR(got[i], want[i], 1e-6 * want[i]) << i;

    // Entries of a few hundred: the running estimate stays above 1e-12
    // while the matrix is diagonal; the note tells both sums apart.
    ProgramRun stuck = runProgram(JACOBI_ROT_BIN, {{"jacobi.dat",
                                                    "5\n-263 182 382 -336 -139\n182 -280 107 379 60\n"
                                                    "382 107 83 267 -12\n-336 379 267 -186 -304\n"
                                                    "-139 60 -12 -304 99\n"}});
    EXPECT_EQ(stuck.status, 0);
    EXPECT_NE(stuck.out.find("Numero de  maximo de iteraciones en jacobi sin convergencia"),
              std::string::npos);
    const std::string note =
        "jacobi_rot: jacobi.dat: no convergence in 100 rotations (off-diagonal sum of squares now ";
    ASSERT_EQ(stuck.err.rfind(note, 0), 0u) << stuck.err;
    EXPECT_EQ(lineCount(stuck.err), 1);
    EXPECT_LT(after(stuck.err, "now "), 1e-20);
    EXPECT_GT(std::abs(after(stuck.err, "estimate is ")), 1e-12);
}

TEST(SoundEdges, ArithmeticBeyondDouble) {
    // Elimination: 1e308 − (−1)·1e308 overflows in column 1.
    ProgramRun g =
        runProgram(PIVOT_GAUSS_BIN, {{"gausslu.dat", "2\n1e308 1e308\n-1e308 1e308\n1e308 1e308\n"}});
    EXPECT_EQ(g.status, 1);
    EXPECT_EQ(g.out, "Datos leidos\n\n1e+308   1e+308   \n-1e+308   1e+308   \n\n1e+308  1e+308  \n\n");
    EXPECT_EQ(g.err,
              "pivot_gauss: gausslu.dat: the elimination in column 1 (counted from 1) overflows the range of "
              "double\n");
    // Back substitution: x[0] = 1e300 / 1e-300.
    ProgramRun x = runProgram(PIVOT_GAUSS_BIN, {{"gausslu.dat", "2\n1e-300 0\n0 1e-300\n1e300 1\n"}});
    EXPECT_EQ(x.status, 1);
    EXPECT_NE(x.err.find("the back substitution for x[0] overflows"), std::string::npos) << x.err;
    // jacobi_rot: (1e200)² overflows; refused as bad input.
    ProgramRun j = runProgram(JACOBI_ROT_BIN, {{"jacobi.dat", "2\n1e200 1\n1 2\n"}});
    EXPECT_TRUE(refused(j, "jacobi_rot", "jacobi.dat", "the sum of their squares overflows"));

    // Rows (0, 1), (1, 1e-2500): λ = (e ± √(e² + 4)) / 2 = ±1 to every digit.
    ProgramRun s = runProgram(LU_SPECTRUM_BIN, {{"datos4.dat", "2\n0 1\n1 1e-2500\n"}});
    EXPECT_EQ(s.status, 0) << s.err;
    EXPECT_NE(s.out.find(" valores propios = 2\n-1 1 \n"), std::string::npos) << s.out;
}

}  // namespace
