// SPDX-License-Identifier: MIT
// lu_spectrum: reports written out by hand and properties of the printed
// blocks.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

ProgramRun spectrum(const std::string& data) { return runProgram(LU_SPECTRUM_BIN, {{"datos4.dat", data}}); }

TEST(LuSpectrumReport, DiagonalTwoByTwo) {
    ProgramRun r = spectrum("2 2 0 0 3");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "\n2   0   \n0   3   \n"
              " valores propios = 2\n2 3 \n\n"
              "Matriz Diagonal= 2 2\n2 0 \n0 3 \n\n"
              " Vectores propios = 2 2\n1 0 \n0 1 \n\n"
              "A*v-lambda*V\n2\n0 0 \n\n2\n0 0 \n\n"
              "2 2\n1 0 \n0 1 \n\n"
              "2 2\n2 0 \n0 3 \n\n"
              "det=6\nL*U= 2 2\n2 0 \n0 3 \n\n"
              "inversa = 2 2\n0.5 0 \n0 0.333333 \n\n"
              "D*ID=2 2\n1 0 \n0 1 \n\n"
              "XX= 2 2\n0.5 0 \n0 0.333333 \n\n"
              " bb= 2\n1 1 \n\n"
              "D*bb= 2\n2 3 \n\n");
}

// [[1, 1], [2, 2]]: one row exchange, multiplier 0.5, U = [[2, 2], [0, 0]],
// det = −1·2·0 = −0; inverse and solutions empty, A·bb printed empty, and
// a note.
TEST(LuSpectrumReport, SingularMatrixHasEmptyBlocks) {
    ProgramRun r = spectrum("2 1 1 2 2");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err,
              "lu_spectrum: datos4.dat: the matrix is singular (no nonzero pivot in column 2): the inverse "
              "and the solutions are empty\n");
    EXPECT_NE(r.out.find("\n2 2\n1 0 \n0.5 1 \n\n2 2\n2 2 \n0 0 \n\ndet=-0\nL*U= 2 2\n2 2 \n1 1 \n\n"
                         "inversa = 0 0\n\nD*ID=2 0\n\n\n\nXX= 0 0\n\n bb= 0\n\n\nD*bb= 0\n\n\n"),
              std::string::npos)
        << r.out;
}

// The magic square of order 4 is singular (its rows sum alike and its
// rank is 3) but no pivot comes out exactly 0: the report is as for any
// matrix, with one note that it is singular to working precision.
TEST(LuSpectrumReport, SingularToWorkingPrecisionNote) {
    ProgramRun r = spectrum("4  16 3 2 13  5 10 11 8  9 6 7 12  4 15 14 1");
    EXPECT_EQ(r.status, 0);
    const std::string note = "lu_spectrum: datos4.dat: the matrix is singular to working precision "
                             "(reciprocal condition number about ";
    ASSERT_EQ(r.err.rfind(note, 0), 0u) << r.err;
    EXPECT_LT(std::strtod(r.err.c_str() + note.size(), nullptr), 4 * 1.1e-19);
    EXPECT_NE(r.err.find("): the determinant, the inverse and the solutions are not meaningful\n"),
              std::string::npos);
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1);
}

// Rows (4, −2, 1), (3, 6, −4), (2, 1, 8): XX equals the inverse, A·A⁻¹
// prints near the identity and A·bb reproduces the eigenvalues.
TEST(LuSpectrumReport, InverseChecks) {
    ProgramRun r = spectrum("3  4 -2 1  3 6 -4  2 1 8");
    ASSERT_EQ(r.status, 0) << r.err;
    std::vector<double> inv = numbers(r.out, "inversa = "), id = numbers(r.out, "D*ID="),
                        lambda = numbers(r.out, " valores propios = "), product = numbers(r.out, "D*bb= ");
    EXPECT_EQ(inv, numbers(r.out, "XX= "));
    ASSERT_TRUE(inv.size() == 11 && id.size() == 11 && lambda.size() == 4 && product.size() == 4) << r.out;
    for (int k = 0; k < 9; ++k) EXPECT_NEAR(id[k + 2], k % 4 == 0 ? 1 : 0, 1e-17);
    for (int i = 1; i <= 3; ++i) EXPECT_NEAR(product[i], lambda[i], 1e-5 * std::abs(lambda[i]));
}

// Complex eigenvalues: the report as always, and one note that counts the
// pairs.  Rows (0, −1, 0), (1, 0, 0), (0, 0, 2): ±i and 2, the pair as a
// 2×2 block of D; two rotation blocks: ±i, ±2i.  (A real spectrum has no
// note: DiagonalTwoByTwo.)
TEST(LuSpectrumNotes, ComplexPairs) {
    const std::string one =
        "lu_spectrum: datos4.dat: 1 complex-conjugate pair of eigenvalues a ± b·i: "
        "\"valores propios\" shows its real part a twice, \"Matriz Diagonal\" its 2x2 block "
        "(a, b; -b, a), and its two residuals under \"A*v-lambda*V\" use a only\n";
    ProgramRun r = spectrum("3  0 -1 0  1 0 0  0 0 2");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, one);
    EXPECT_EQ(numbers(r.out, " valores propios = "), (std::vector<double>{3, 0, 0, 2}));
    EXPECT_EQ(numbers(r.out, "Matriz Diagonal= "), (std::vector<double>{3, 3, 0, 1, 0, -1, 0, 0, 0, 0, 2}));

    r = spectrum("4  0 -1 0 0  1 0 0 0  0 0 0 -2  0 0 2 0");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(
        r.err,
        "lu_spectrum: datos4.dat: 2 complex-conjugate pairs of eigenvalues a ± b·i: \"valores propios\" "
        "shows each real part a twice, \"Matriz Diagonal\" their 2x2 blocks (a, b; -b, a), and their "
        "residuals under \"A*v-lambda*V\" use a only\n");
}

}  // namespace
