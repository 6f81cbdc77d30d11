// The command line of the four programs: --help, --version, a data file
// by name, usage errors, `--`; and the progress line, shown only on a
// terminal.
#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <cerrno>
#include <cstdlib>
#include <fstream>
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
    char folder[] = "/tmp/zelkor-elsewhere-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    for (const Program& p : programs) {
        SCOPED_TRACE(p.name);
        ProgramRun help = runProgram(p.binary, {}, {"--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.substr(0, help.out.find('\n')), "Usage: " + p.name + " [OPTION]... [DATA_FILE]");
        EXPECT_NE(help.out.find("Exit status: 0"), std::string::npos);
        ProgramRun version = runProgram(p.binary, {}, {"--version"});
        EXPECT_EQ(version.status, 0);
        EXPECT_EQ(version.out, p.name + " (zelkor) " ZELKOR_VERSION "\n");

        // The fixed name, then the same text by other names: the same report.
        ProgramRun fixed = runProgram(p.binary, {{p.dataFile, p.data}});
        ASSERT_EQ(fixed.status, 0) << fixed.err;
        const std::string absolute = std::string(folder) + "/m.txt";
        std::ofstream(absolute) << p.data;
        const std::vector<std::pair<std::map<std::string, std::string>, std::vector<std::string>>> named = {
            {{{"sub/", ""}, {"sub/m.txt", p.data}}, {"sub/m.txt"}},
            {{}, {absolute}},
            {{{"-x", p.data}}, {"--", "-x"}},
            {{{"m.txt", p.data}}, {"m.txt", "--svg", "pic.svg"}},  // options after the file
        };
        for (const auto& n : named) {
            ProgramRun r = runProgram(p.binary, n.first, n.second);
            EXPECT_EQ(r.status, 0) << n.second[0] << ": " << r.err;
            EXPECT_EQ(r.out, fixed.out) << n.second[0];
            EXPECT_EQ(r.files["res.dat"], fixed.files["res.dat"]);
        }
        // Messages name the file as given.
        EXPECT_TRUE(refused(runProgram(p.binary, {{"sub/", ""}}, {"sub/no.dat"}), p.name,
                            "cannot open sub/no.dat (", "expected: "));
        EXPECT_TRUE(
            refused(runProgram(p.binary, {{"m.txt", "x"}}, {"m.txt"}), p.name, "m.txt line 1:", "\"x\""));

        EXPECT_TRUE(usageError(runProgram(p.binary, {}, {"--bogus"}), p.name, "unknown option '--bogus'"));
        EXPECT_TRUE(usageError(runProgram(p.binary, {}, {"-x"}), p.name, "unknown option '-x'"));
        EXPECT_TRUE(usageError(runProgram(p.binary, {}, {"--svg"}), p.name, "'--svg' needs a file name"));
        EXPECT_TRUE(
            usageError(runProgram(p.binary, {{p.dataFile, p.data}}, {"a", "b"}), p.name, "'a' and 'b'"));
    }
    unlink((std::string(folder) + "/m.txt").c_str());
    rmdir(folder);
}

// A run with standard error on a pseudo-terminal (standard output to
// /dev/null); returns everything the terminal received.
std::string onTerminal(const std::string& binary, const std::string& folder) {
    int master = -1;
    pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        if (null < 0 || chdir(folder.c_str()) != 0) _exit(127);
        dup2(null, 1);
        alarm(300);
        execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string seen;
    char buf[4096];
    for (ssize_t k; (k = read(master, buf, sizeof buf)) > 0 || (k < 0 && errno == EINTR);)
        if (k > 0) seen.append(buf, k);
    int status = 0;
    waitpid(pid, &status, 0);
    close(master);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return seen;
}

// Degree 300: the order from which polyroots shows its progress.
TEST(CommandLine, ProgressOnlyOnATerminalAndErased) {
    std::string data = "300\n301\n";
    for (int k = 0; k < 300; ++k) data += std::to_string((k * 7919) % 13 - 6) + " ";
    data += "1\n";
    ProgramRun piped = runProgram(POLYROOTS_BIN, {{"datos6.dat", data}});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");

    char folder[] = "/tmp/zelkor-pty-XXXXXX";
    ASSERT_NE(mkdtemp(folder), nullptr);
    const std::string file = std::string(folder) + "/datos6.dat";
    std::ofstream(file) << data;
    std::string seen = onTerminal(POLYROOTS_BIN, folder);
    unlink(file.c_str());
    rmdir(folder);
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
