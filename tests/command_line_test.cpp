// The command line of the four programs: --help, --version, a data file
// by name, usage errors, `--`; and the progress line, shown only on a
// terminal.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

struct Program {
    std::string name, binary, dataFile, data;
};

// Small valid inputs: the report of each is known to the other tests.
const std::vector<Program> programs = {
    {"pivot_gauss", PIVOT_GAUSS_BIN, "gausslu.dat", "2\n2 1 1 3\n3 5\n"},
    {"lu_spectrum", LU_SPECTRUM_BIN, "datos4.dat", "2\n4 1\n2 3\n"},
    {"polyroots", POLYROOTS_BIN, "datos6.dat", "2\n3\n2 -3 1\n"},
    {"jacobi_rot", JACOBI_ROT_BIN, "jacobi.dat", "2\n2 1\n1 2\n"},
};

bool usageError(const ProgramRun& r, const std::string& program, const std::string& problem) {
    return r.status == 2 && r.out.empty() && lineCount(r.err) == 1 && r.err.rfind(program + ": ", 0) == 0 &&
           r.err.find(problem) != std::string::npos && r.err.find("--help") != std::string::npos;
}

TEST(CommandLine, HelpVersionDataFileAndUsageErrors) {
    for (const Program& p : programs) {
        SCOPED_TRACE(p.name);
        ProgramRun help = runProgram(p.binary, {}, {"--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.substr(0, help.out.find('\n')), "Usage: " + p.name + " [OPTION]... [DATA_FILE]");
        ProgramRun version = runProgram(p.binary, {}, {"--version"});
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, p.name + " (zelkor) " ZELKOR_VERSION "\n");

        // The fixed name, then the same text by another name after `--`: the same report.
        ProgramRun fixed = runProgram(p.binary, {{p.dataFile, p.data}});
        ProgramRun named = runProgram(p.binary, {{"-x", p.data}}, {"--svg", "pic.svg", "--", "-x"});
        ASSERT_EQ(fixed.status, 0) << fixed.err;
        EXPECT_EQ(named.status, 0) << named.err;
        EXPECT_EQ(named.out, fixed.out);
        EXPECT_EQ(named.files["res.dat"], fixed.files["res.dat"]);
        // Messages name the file as given.
        EXPECT_TRUE(refused(runProgram(p.binary, {{"sub/", ""}}, {"sub/no.dat"}), p.name,
                            "cannot open sub/no.dat (", "expected: "));
        EXPECT_TRUE(
            refused(runProgram(p.binary, {{"m.txt", "x"}}, {"m.txt"}), p.name, "m.txt line 1:", "\"x\""));

        const std::pair<std::vector<std::string>, std::string> usage[] = {
            {{"--bogus"}, "unknown option '--bogus'"},
            {{"-x"}, "unknown option '-x'"},
            {{"--svg"}, "option '--svg' needs a file name"},
            {{"--svg="}, "option '--svg' needs a file name"},
            {{"a", "b"}, "one data file at most, found 'a' and 'b'"},
        };
        for (const auto& u : usage)
            EXPECT_TRUE(usageError(runProgram(p.binary, {{p.dataFile, p.data}}, u.first), p.name, u.second));
    }
}

// Degree 300: the order from which polyroots shows its progress; standard
// error on a pseudo-terminal (script), or on a file.
TEST(CommandLine, ProgressOnlyOnATerminalAndErased) {
    std::string data = "300\n301\n";
    for (int k = 0; k < 300; ++k) data += std::to_string((k * 7919) % 13 - 6) + " ";
    data += "1\n";
    ProgramRun piped = runProgram(POLYROOTS_BIN, {{"datos6.dat", data}});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");
    ProgramRun tty =
        runProgram("/bin/sh", {{"datos6.dat", data}},
                   {"-c", "exec script -qfec '" POLYROOTS_BIN " >/dev/null' /dev/null </dev/null"});
    ASSERT_EQ(tty.status, 0) << tty.err;
    const std::string& seen = tty.out;
    EXPECT_EQ(seen.rfind("\rpolyroots: reduction", 0), 0u) << seen;
    EXPECT_NE(seen.find(" of 300 eigenvalues ("), std::string::npos) << seen;
    EXPECT_EQ(seen.find('\n'), std::string::npos) << seen;
    // Last: a carriage return, blanks over the widest line drawn, a carriage return.
    std::size_t widest = 0, from = 0;
    for (std::size_t cr; (cr = seen.find('\r', from + 1)) != std::string::npos; from = cr)
        widest = std::max(widest, cr - from - 1);
    ASSERT_GE(seen.size(), widest + 2);
    EXPECT_EQ(seen.substr(seen.size() - widest - 2), "\r" + std::string(widest, ' ') + "\r") << seen;
}

}  // namespace
