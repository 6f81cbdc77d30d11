// What the four programs refuse beyond the reading itself (tested in
// datafile_test): minimum orders, their own checks of the data, files
// they cannot read, and a report they cannot write.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

struct Program {
    std::string name, binary, file;
};
const Program gauss{"pivot_gauss", PIVOT_GAUSS_BIN, "gausslu.dat"},
    lu{"lu_spectrum", LU_SPECTRUM_BIN, "datos4.dat"}, roots{"polyroots", POLYROOTS_BIN, "datos6.dat"},
    jacobi{"jacobi_rot", JACOBI_ROT_BIN, "jacobi.dat"};

TEST(Messages, BadInputGetsOneLineAndNoReport) {
    struct Case {
        const Program& p;
        std::string data, problem;
    } cases[] = {
        {gauss, "0", "the order n must be at least 1, found 0"},
        {gauss, "46341 1", "the order n \"46341\" is too large (at most 46340)"},
        {gauss, "46340 1 2 3", "holds 3 of the"},  // without a large allocation first
        {lu, "0", "the order N must be at least 1, found 0"},
        // Finite entries whose products overflow: the iteration cannot converge.
        {lu, "3  1e4930 -1e4930 1e4930  1e4930 1e4930 -1e4930  -1e4930 1e4930 1e4930", "does not converge"},
        {roots, "0 1 5", "the degree N must be at least 1, found 0"},
        {roots, "2 4 2 -3 1 7", "the coefficient count must be N + 1 = 3, found 4"},
        {roots, "2 3 2 -3 0", "the leading coefficient a[N] is zero"},
        {roots, "2 3 1e4900 0 1e-4900", "does not converge"},
        {jacobi, "2\n1e200 1\n1 2\n", "the sum of their squares overflows"},  // (1e200)²
    };
    for (const Case& c : cases)
        EXPECT_TRUE(refused(runProgram(c.p.binary, {{c.p.file, c.data}}), c.p.name, c.p.file, c.problem))
            << c.data;
    for (const Program& p : {gauss, lu, roots, jacobi})
        EXPECT_TRUE(refused(runProgram(p.binary, {}), p.name, p.file,
                            "cannot open " + p.file + " in the current folder (expected: "));
}

TEST(Messages, UnreadableDataFileAndLostReport) {
    EXPECT_TRUE(refused(runProgram(gauss.binary, {{"gausslu.dat/", ""}}), gauss.name, gauss.file,
                        "cannot read gausslu.dat: Is a directory"));
    ProgramRun full =
        runProgram("/bin/sh", {{gauss.file, "1 2 3"}}, {"-c", "exec " + gauss.binary + " >/dev/full"});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "pivot_gauss: cannot write the report to standard output: No space left on device\n");
    // Without read permission; root reads anything, so it runs the program
    // as the unprivileged user 65534.
    std::string drop = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (geteuid() != 0)
        drop = "";
    else if (std::system((drop + "true 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "running as root and cannot drop privileges: permission test skipped";
    ProgramRun denied = runProgram("/bin/sh", {{gauss.file, "1 2 3"}},
                                   {"-c", "chmod 000 gausslu.dat && exec " + drop + gauss.binary});
    EXPECT_TRUE(refused(denied, gauss.name, gauss.file, "cannot read gausslu.dat: Permission denied"));
}

}  // namespace
