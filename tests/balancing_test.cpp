// SPDX-License-Identifier: MIT
// The programs print their reports from the matrix as given and say in
// one line on standard error that they balanced it.
#include <gtest/gtest.h>

#include <string>

#include "program_run.h"

namespace {

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
