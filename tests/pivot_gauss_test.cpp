// SPDX-License-Identifier: MIT
// pivot_gauss: reports written out by hand, and the stops of a singular
// or overflowing system.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>

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

// Each line holding a row of A holds n + 1 numbers: read as n·n, then n,
// with a note.  Not of order 1 (the same system either way), nor when one
// line differs.
TEST(PivotGaussNotes, AugmentedLayout) {
    const ProgramRun augmented = gauss("2\n1 2 5\n3 4 6\n");
    EXPECT_EQ(augmented.status, 0);
    EXPECT_EQ(augmented.out, gauss("2\n1 2\n5 3\n4 6\n").out);
    EXPECT_EQ(augmented.err,
              "pivot_gauss: gausslu.dat: each line of the matrix holds n + 1 = 3 numbers, as in the layout "
              "[A | b]; the file is read as the n·n matrix row by row, then the n right-hand-side values\n");
    EXPECT_EQ(gauss("2 1 2 5\n3 4 6").err, augmented.err);
    for (const char* data : {"1\n2 3\n", "2\n1 2 5\n3 4\n6\n", "2\n1 2 5 3\n4 6\n"})
        EXPECT_EQ(gauss(data).err, "") << data;
}

// A stop after the data read: one line naming the column or the unknown,
// status 1.
TEST(PivotGaussStops, SingularOrOverflowingSystem) {
    const std::pair<std::string, std::string> cases[] = {
        {"2\n1 2\n2 4\n1 2\n", "the system is singular: column 2 (counted from 1) has no nonzero pivot"},
        {"2  0 1  0 1  1 1", "the system is singular: column 1 (counted from 1) has no nonzero pivot"},
        // 1e308 − (−1)·1e308 in column 1; x[0] = 1e300 / 1e-300.
        {"2\n1e308 1e308\n-1e308 1e308\n1e308 1e308\n",
         "the elimination in column 1 (counted from 1) overflows the range of double"},
        {"2\n1e-300 0\n0 1e-300\n1e300 1\n", "the back substitution for x[0] overflows the range of double"},
    };
    for (const auto& c : cases) {
        ProgramRun r = gauss(c.first);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out.rfind("Datos leidos\n", 0), 0u);
        EXPECT_EQ(r.out.find("Sistema"), std::string::npos);
        EXPECT_EQ(r.err, "pivot_gauss: gausslu.dat: " + c.second + "\n");
    }
}

// Singular, though no pivot comes out exactly 0: the report as for any
// system, status 0, and one note with the estimated reciprocal condition
// number (below n·DBL_EPSILON).  The magic square of order 4 (rank 3) and
// rows 1 2 3 / 4 5 6 / 7 8 9 (rank 2).
TEST(PivotGaussNotes, SingularToWorkingPrecision) {
    const std::pair<std::string, double> cases[] = {
        {"4  16 3 2 13  5 10 11 8  9 6 7 12  4 15 14 1  1 2 3 4", 4 * 2.2e-16},
        {"3  1 2 3  4 5 6  7 8 9  1 1 1", 3 * 2.2e-16},
    };
    const std::string note =
        "pivot_gauss: gausslu.dat: the system is singular to working precision "
        "(reciprocal condition number about ";
    for (const auto& c : cases) {
        ProgramRun r = gauss(c.first);
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.out.find("Vector de  soluciones\nx[0]="), std::string::npos) << r.out;
        ASSERT_EQ(r.err.rfind(note, 0), 0u) << r.err;
        EXPECT_LT(std::strtod(r.err.c_str() + note.size(), nullptr), c.second) << r.err;
        EXPECT_NE(r.err.find("): the solution is not meaningful\n"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
    }
    // Well conditioned (diagonally dominant), of order 1, and nearly
    // singular but well above n·DBL_EPSILON: no note.
    for (const char* data : {"3  10 1 2  1 8 -3  2 -1 9  1 2 3", "1  1e-300  1", "2  1 1  1 1.000001  2 2"}) {
        ProgramRun r = gauss(data);
        EXPECT_EQ(r.status, 0) << data;
        EXPECT_EQ(r.err, "") << data;
    }
}

}  // namespace
