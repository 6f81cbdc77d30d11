// What the programs say about files they cannot read or write, about
// unusual text in a data file, and about a singular matrix.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

const std::string gaussExample = "2\n1 2\n3 4\n5 6\n";  // x = (−4, 4.5)

ProgramRun gauss(const std::string& data) { return runProgram(PIVOT_GAUSS_BIN, {{"gausslu.dat", data}}); }

// Runs `command` through the shell in a fresh folder holding `files`;
// returns the exit status and standard error (in err).
int shell(const std::string& command, const std::vector<std::pair<std::string, std::string>>& files,
          std::string& err) {
    char dir[] = "/tmp/zelkor-messages-XXXXXX";
    if (!mkdtemp(dir)) return -1;
    chmod(dir, 0755);
    for (const auto& f : files) std::ofstream(std::string(dir) + "/" + f.first) << f.second;
    const std::string errPath = std::string(dir) + ".err";
    int status = std::system(("cd " + std::string(dir) + " && " + command + " 2>" + errPath).c_str());
    std::ifstream in(errPath);
    std::ostringstream text;
    text << in.rdbuf();
    err = text.str();
    std::system(("rm -rf " + std::string(dir) + " " + errPath).c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Messages, DataFileText) {
    const std::string p = "pivot_gauss", f = "gausslu.dat";
    // A byte-order mark at the start changes nothing.
    ProgramRun plain = gauss(gaussExample), bom = gauss("\xEF\xBB\xBF" + gaussExample);
    EXPECT_EQ(plain.status, 0);
    EXPECT_NE(plain.out.find("x[0]=-4  x[1]=4.5  "), std::string::npos);
    EXPECT_EQ(bom.out, plain.out);
    EXPECT_EQ(bom.err, "");
    // Numbers left over: a warning, the same report.
    ProgramRun more = gauss(gaussExample + "7 8\n9\n");
    EXPECT_EQ(more.status, 0);
    EXPECT_EQ(more.out, plain.out);
    EXPECT_EQ(more.err,
              "pivot_gauss: gausslu.dat: 3 numbers after the data were not read; is the order right?\n");

    struct Case {
        std::string data, problem;
    } cases[] = {
        {"2\n1 2\n3 4\n5\xC2\xA0 6\n",
         "line 4: \"5\\xc2\\xa0\" is not a number: it holds a character that is not plain ASCII text"},
        {"\xEF\xBB\xBF\xEF\xBB\xBF"
         "2 1 2 3 4 5 6",
         "line 1: the order n must be a whole number, found "
         "\"\\xef\\xbb\\xbf2\": it holds a character"},
        {"-99999999999999999999\n", "line 1: the order n must be at least 1"},
        {"2\r1 2\r3 x\r5 6\r", "line 3: \"x\" is not a number"},          // old Mac line ends
        {"2\r\n1 2\r\n3 4\r\nx 6\r\n", "line 4: \"x\" is not a number"},  // DOS line ends
    };
    for (const Case& c : cases) EXPECT_TRUE(refused(gauss(c.data), p, f, c.problem)) << c.data;

    // A singular matrix in lu_spectrum: a note, the report as always.
    ProgramRun singular = runProgram(LU_SPECTRUM_BIN, {{"datos4.dat", "2\n1 1\n2 2\n"}});
    EXPECT_EQ(singular.status, 0);
    EXPECT_NE(singular.out.find("inversa = 0 0\n"), std::string::npos);
    EXPECT_EQ(
        singular.err,
        "lu_spectrum: datos4.dat: the matrix is singular (no nonzero pivot in column 2): the inverse and "
        "the solutions are empty\n");
}

TEST(Messages, LostOutput) {
    if (!std::ofstream("/dev/full")) GTEST_SKIP() << "no /dev/full";
    struct Case {
        const char* binary;
        std::string file, data;
    } cases[] = {{PIVOT_GAUSS_BIN, "gausslu.dat", gaussExample},
                 {LU_SPECTRUM_BIN, "datos4.dat", "2\n2 0\n0 3\n"},
                 {POLYROOTS_BIN, "datos6.dat", "1\n2\n-2 1\n"},
                 {JACOBI_ROT_BIN, "jacobi.dat", "2\n2 1\n1 2\n"}};
    std::string err;
    for (const Case& c : cases) {
        EXPECT_EQ(shell(std::string(c.binary) + " >/dev/full", {{c.file, c.data}}, err), 1) << c.binary;
        EXPECT_EQ(lineCount(err), 1) << err;
        EXPECT_NE(err.find("cannot write the report to standard output: No space left on device"),
                  std::string::npos)
            << err;
    }
    // res.dat on a full device.
    EXPECT_EQ(shell("ln -s /dev/full res.dat && " + std::string(JACOBI_ROT_BIN) + " >/dev/null",
                    {{"jacobi.dat", "2\n2 1\n1 2\n"}}, err),
              1);
    EXPECT_EQ(err, "jacobi_rot: cannot write res.dat: No space left on device\n");
}

// (A folder as data file is in pivot_gauss_test: "Is a directory".)
TEST(Messages, UnreadableDataFile) {
    // Without read permission; root reads anything, so it runs the program
    // as the unprivileged user 65534 when it can.
    std::string command = std::string("chmod 000 gausslu.dat && ") + PIVOT_GAUSS_BIN;
    if (geteuid() == 0) {
        if (std::system("setpriv --reuid=65534 --regid=65534 --clear-groups true 2>/dev/null") != 0)
            GTEST_SKIP() << "running as root and cannot drop privileges: permission test skipped";
        command =
            std::string("chmod 000 gausslu.dat && setpriv --reuid=65534 --regid=65534 --clear-groups ") +
            PIVOT_GAUSS_BIN;
    }
    std::string err;
    EXPECT_EQ(shell(command + " >/dev/null", {{"gausslu.dat", gaussExample}}, err), 1);
    EXPECT_EQ(err, "pivot_gauss: cannot read gausslu.dat: Permission denied\n");
}

}  // namespace
