// pivot_gauss: reports written out by hand, and the bad-input contract.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "pivot_gauss.h"
#include "program_run.h"

namespace {

ProgramRun gauss(const std::string& data) { return runProgram(PIVOT_GAUSS_BIN, {{"gausslu.dat", data}}); }

// Rows of A exchanged in column 0 (|3| > |1|); multiplier 1/3.
TEST(PivotGaussReport, TwoByTwoWithRowExchange) {
    ProgramRun r = gauss("2\n1 2\n3 4\n5 6\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "Datos leidos\n\n1   2   \n3   4   \n\n5  6  \n\n"
              "Sistema  reducido\n\n3   4   \n0   0.666667   \n\n6  3  \n\n"
              " Matriz  L\n\n1   0   \n0.333333   1   \n\n"
              "Vector de  soluciones\nx[0]=-4  x[1]=4.5  \n");
}

// Column 1 pivots after the column-0 multipliers were stored: they stay in
// the rows where they were computed.  Equal magnitudes 2 and −2: the upper
// row keeps the pivot.
TEST(PivotGaussReport, StoredMultipliersAndTies) {
    ProgramRun r = gauss("3  1 3 1  2 2 1  4 4 0  1 2 3");
    EXPECT_NE(r.out.find("reducido\n\n4   4   0   \n0   2   1   \n0   0   1   \n\n3  0.25  0.5  \n\n"
                         " Matriz  L\n\n1   0   0   \n0.5   1   0   \n0.25   0   1   \n\n"
                         "Vector de  soluciones\nx[0]=0.875  x[1]=-0.125  x[2]=0.5  \n"),
              std::string::npos)
        << r.out;
    r = gauss("2\n2 1\n-2 3\n3 1\n");
    EXPECT_NE(r.out.find("reducido\n\n2   1   \n0   4   \n\n3  4  \n\n Matriz  L\n\n1   0   \n-1   1   \n\n"
                         "Vector de  soluciones\nx[0]=1  x[1]=1  \n"),
              std::string::npos)
        << r.out;
}

// A 5×5 system: the residual of the original system is small, the
// multipliers satisfy |m| <= 1.
TEST(PivotGaussRoutines, SolutionSatisfiesSystem) {
    const int n = 5;
    double a0[n][n], ra[n][n], rb[n], rl[n][n], x[n], *a[n], *l[n];
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) ra[i][j] = a0[i][j] = 1.0 / (i + j + 1) + (i == (j + 2) % n ? 3 : 0);
        rb[i] = i - 2.5;
        a[i] = ra[i], l[i] = rl[i];
    }
    ASSERT_EQ(gaussp(n, a, rb, l), -1);
    backsus(n, a, rb, x);
    for (int i = 0; i < n; ++i) {
        double r = 2.5 - i;  // −b_i
        for (int j = 0; j < n; ++j) r += a0[i][j] * x[j];
        EXPECT_NEAR(r, 0.0, 1e-13);
        for (int j = 0; j < i; ++j) EXPECT_LE(std::abs(l[i][j]), 1.0);
        EXPECT_EQ(l[i][i], 1.0);
    }
}

// A zero pivot: the echo, then one line naming the column, status 1.  A
// tiny pivot is not an error.
TEST(PivotGaussSingular, ZeroPivotIsReportedTinyPivotIsNot) {
    ProgramRun r = gauss("2\n1 2\n2 4\n1 2\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "Datos leidos\n\n1   2   \n2   4   \n\n1  2  \n\n");
    EXPECT_EQ(lineCount(r.err), 1);
    EXPECT_NE(r.err.find("singular: column 2 (counted from 1)"), std::string::npos) << r.err;
    EXPECT_NE(gauss("2  0 1  0 1  1 1").err.find("column 1 (counted from 1)"), std::string::npos);
    ProgramRun tiny = gauss("2  1e-300 0  0 1e-300  1 1");
    EXPECT_EQ(tiny.status, 0) << tiny.err;
    EXPECT_NE(tiny.out.find("x[0]=1e+300  x[1]=1e+300  "), std::string::npos) << tiny.out;
}

// The reading itself is tested with DataFile; here what is this program's.
TEST(PivotGaussBadInput, EachGetsOneLineAndNoReport) {
    const std::string p = "pivot_gauss", f = "gausslu.dat";
    EXPECT_TRUE(
        refused(runProgram(PIVOT_GAUSS_BIN, {}), p, f, "cannot open gausslu.dat in the current folder"));
    EXPECT_TRUE(refused(runProgram(PIVOT_GAUSS_BIN, {{"gausslu.dat/", ""}}), p, f,
                        "cannot read gausslu.dat: Is a directory"));
    EXPECT_TRUE(refused(gauss(""), p, f, "ends before the order n"));
    EXPECT_TRUE(refused(gauss("0"), p, f, "the order n must be at least 1, found 0"));
    EXPECT_TRUE(refused(gauss("2\n1 2\n3 4\n5\n"), p, f, "holds 5 of the 6 numbers"));
    EXPECT_TRUE(refused(gauss("2147483647 1 2"), p, f, "is too large (at most 46340)"));
    // A large order with a small file is refused without a large allocation.
    EXPECT_TRUE(refused(gauss("46340 1 2 3"), p, f, "holds 3 of the"));
}

}  // namespace
