// SPDX-License-Identifier: MIT
// The four programs as a user runs them: --help, --version, a data file
// by name, usage errors, `--`, --digits and --max-rotations; what they
// refuse beyond the reading itself (tested in datafile_test); a report
// they cannot write; the pictures of --svg; and the progress line, shown
// only on a terminal.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <regex>
#include <sstream>
#include <string>
#include <tuple>
#include <utility>
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

const Program &gauss = programs[0], &lu = programs[1], &roots = programs[2], &jacobi = programs[3];

TEST(CommandLine, HelpVersionDataFileAndUsageErrors) {
    for (const Program& p : programs) {
        SCOPED_TRACE(p.name);
        ProgramRun help = runProgram(p.binary, {}, {"--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.substr(0, help.out.find('\n')), "Usage: " + p.name + " [OPTION]... [DATA_FILE]");
        EXPECT_EQ(runProgram(p.binary, {}, {"-h"}).out, help.out);
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
            EXPECT_TRUE(refused(runProgram(p.binary, {{p.dataFile, p.data}}, u.first), p.name, "--help",
                                u.second, 2));
        // jacobi_rot exits 0 without convergence, with a note.
        EXPECT_EQ(help.out.find("0 report written (without convergence too") != std::string::npos,
                  &p == &jacobi);
    }
}

// No output replaces the data file: --svg naming it, a hard link or a
// symbolic link to it; jacobi_rot's res.dat as the data file, or as the
// picture by another path before it exists.  A usage error; the folder is
// left as it was.
TEST(CommandLine, NoOutputReplacesTheDataFile) {
    for (const Program& p : programs)
        for (const std::string& picture : {p.dataFile, std::string("h"), std::string("s")}) {
            ProgramRun r = runProgram("/bin/sh", {{p.dataFile, p.data}},
                                      {"-c", "ln " + p.dataFile + " h && ln -s " + p.dataFile +
                                                 " s && exec " + p.binary + " --svg " + picture});
            EXPECT_TRUE(refused(r, p.name, "--help",
                                "the picture " + picture + " would overwrite the data file " + p.dataFile,
                                2));
            EXPECT_EQ(r.files[p.dataFile], p.data);
        }
    const std::map<std::string, std::string> own = {{"res.dat", jacobi.data}},
                                             other = {{"jacobi.dat", jacobi.data}};
    ProgramRun r = runProgram(jacobi.binary, own, {"res.dat"});
    EXPECT_TRUE(refused(r, jacobi.name, "--help", "res.dat would overwrite the data file res.dat", 2));
    EXPECT_EQ(r.files, own);
    r = runProgram(jacobi.binary, {{"jacobi.dat", jacobi.data}, {"d/", ""}}, {"--svg", "d/../res.dat"});
    EXPECT_TRUE(refused(r, jacobi.name, "--help",
                        "the picture d/../res.dat would overwrite res.dat, which the program also writes",
                        2));
    EXPECT_EQ(r.files, other);
}

// --digits from 1 to 21 in long double, 1 to 17 in double; 6 is the
// default report.  --max-rotations from 1 to 1000000, jacobi_rot's alone.
// The parsing is shared: its bad values go through lu_spectrum, the other
// programs get their bounds.
TEST(CommandLine, DigitsAndMaxRotationsRanges) {
    for (const Program& p : programs) {
        SCOPED_TRACE(p.name);
        const bool longDouble = &p == &lu || &p == &roots;
        const std::string top = longDouble ? "21" : "17", over = longDouble ? "22" : "18";
        const std::string help = runProgram(p.binary, {}, {"--help"}).out;
        EXPECT_NE(help.find(" 1 to " + top + " (default 6)\n"), std::string::npos) << help;
        EXPECT_EQ(help.find("--max-rotations") != std::string::npos, &p == &jacobi) << help;

        ProgramRun plain = runProgram(p.binary, {{p.dataFile, p.data}});
        ProgramRun six = runProgram(p.binary, {{p.dataFile, p.data}}, {"--digits", "6"});
        EXPECT_EQ(six.out, plain.out);
        EXPECT_EQ(six.files["res.dat"], plain.files["res.dat"]);
        const std::string needs = "option '--digits' needs a whole number from 1 to " + top;
        std::vector<std::string> bad = {"0", over};
        if (&p == &lu) bad.insert(bad.end(), {"abc", "5x", "", "-1", "99999999999999999999999"});
        for (const std::string& b : bad)
            EXPECT_TRUE(refused(runProgram(p.binary, {{p.dataFile, p.data}}, {"--digits", b}), p.name,
                                "--help", needs + ", found '" + b + "'; try '" + p.name + " --help'", 2));
        if (&p != &jacobi) continue;

        EXPECT_EQ(runProgram(p.binary, {{p.dataFile, p.data}}, {"--max-rotations", "1000000"}).status, 0);
        EXPECT_EQ(runProgram(p.binary, {{p.dataFile, p.data}}, {"--max-rotations", "100"}).out, plain.out);
        const std::string rotations = "option '--max-rotations' needs a whole number from 1 to 1000000";
        for (const std::string bad : {"0", "1000001", "1e3"})
            EXPECT_TRUE(refused(runProgram(p.binary, {{p.dataFile, p.data}}, {"--max-rotations", bad}),
                                p.name, "--help", rotations + ", found '" + bad + "'", 2));
    }
    EXPECT_TRUE(refused(runProgram(lu.binary, {{lu.dataFile, lu.data}}, {"--digits"}), lu.name, "--help",
                        "option '--digits' needs a whole number from 1 to 21; try", 2));
    EXPECT_TRUE(refused(runProgram(lu.binary, {{lu.dataFile, lu.data}}, {"--max-rotations", "5"}), lu.name,
                        "--help", "unknown option '--max-rotations'", 2));
}

// The inverse of diag(2, 3) in long double at 21 digits.  1/3 lies in
// [2^-2, 2^-1), where the 64-bit significand has unit 2^-65: the nearest
// long double is round(2^65/3)·2^-65 = 0xAAAAAAAAAAAAAAAB·2^-65 = 1/3 +
// 2^-65/3 = 0.333…3 + 9.035…e-21, whose 21 digits are nineteen 3s, then
// 4 (the carry of 3 + 9) and 2: 0.333333333333333333342 (next digit 3).
// The solution of diag(3, 7)·x = (1, 1) in double at 17 digits (no
// elimination step rounds: the multiplier is 0): 2^54 ≡ 1 (mod 3) and
// 2^55 ≡ 2 (mod 7), so the nearest doubles are 1/3 − 2^-54/3 =
// 0.33333333333333331483… and 1/7 − 2^-54/7 = 0.14285714285714284921….
// At 1 digit 1/3 is 0.3.
TEST(CommandLine, DigitsWorkedCases) {
    ProgramRun r = runProgram(lu.binary, {{lu.dataFile, "2 2 0 0 3"}}, {"--digits", "21"});
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string inverse = "2 2\n0.5 0 \n0 0.333333333333333333342 \n\n";
    EXPECT_NE(r.out.find("\ninversa = " + inverse + "D*ID="), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("\nXX= " + inverse), std::string::npos) << r.out;
    r = runProgram(lu.binary, {{lu.dataFile, "2 2 0 0 3"}}, {"--digits", "1"});
    EXPECT_NE(r.out.find("\ninversa = 2 2\n0.5 0 \n0 0.3 \n\n"), std::string::npos) << r.out;

    r = runProgram(gauss.binary, {{gauss.dataFile, "2  3 0  0 7  1 1"}}, {"--digits", "17"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\nVector de  soluciones\nx[0]=0.33333333333333331  x[1]=0.14285714285714285  \n"),
              std::string::npos)
        << r.out;
}

TEST(Messages, BadInputGetsOneLineAndNoReport) {
    struct Case {
        const Program& p;
        std::string data, problem;
    } cases[] = {
        {gauss, "0", "the order n must be at least 1, found 0"},
        {gauss, "46341 1", "the order n \"46341\" is too large (at most 46340)"},
        {gauss, "46340 1 2 3", "holds 3 of the"},  // without a large allocation first
        {lu, "0", "the order N must be at least 1, found 0"},
        // Finite entries whose eigenvalues overflow (1 ± √3·i times 1e4932): no convergence.  A
        // number left over is not warned of then (here and for polyroots): one line only.
        {lu, "3  1e4932 -1e4932 1e4932  1e4932 1e4932 -1e4932  -1e4932 1e4932 1e4932  7",
         "does not converge"},
        {roots, "0 1 5", "the degree N must be at least 1, found 0"},
        {roots, "2 4 2 -3 1 7", "the coefficient count must be N + 1 = 3, found 4"},
        {roots, "2 2 2 -3", "the coefficient count must be N + 1 = 3, found 2"},
        {roots, "2 3 2 -3 0", "the leading coefficient a[N] is zero"},
        {roots, "1 2 1e4900 1e-4900 7", "does not converge"},  // the root −1e9800
        {jacobi, "2\n1 1e200\n1e200 2\n", "the sum of their squares overflows"},  // (1e200)²
    };
    for (const Case& c : cases)
        EXPECT_TRUE(
            refused(runProgram(c.p.binary, {{c.p.dataFile, c.data}}), c.p.name, c.p.dataFile, c.problem))
            << c.data;
}

TEST(Messages, UnreadableDataFileAndLostReport) {
    EXPECT_TRUE(refused(runProgram(gauss.binary, {{"gausslu.dat/", ""}}), gauss.name, gauss.dataFile,
                        "cannot read gausslu.dat: Is a directory"));
    ProgramRun full =
        runProgram("/bin/sh", {{gauss.dataFile, gauss.data}}, {"-c", "exec " + gauss.binary + " >/dev/full"});
    EXPECT_EQ(full.status, 1);
    EXPECT_EQ(full.err, "pivot_gauss: cannot write the report to standard output: No space left on device\n");
    // Without read permission; root reads anything, so it runs the program
    // as the unprivileged user 65534.
    std::string drop = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (geteuid() != 0)
        drop = "";
    else if (std::system((drop + "true 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "running as root and cannot drop privileges: permission test skipped";
    ProgramRun denied = runProgram("/bin/sh", {{gauss.dataFile, gauss.data}},
                                   {"-c", "chmod 000 gausslu.dat && exec " + drop + gauss.binary});
    EXPECT_TRUE(refused(denied, gauss.name, gauss.dataFile, "cannot read gausslu.dat: Permission denied"));
}

// The pictures of --svg, read back with an XML parser (svg_check.py) in the
// picture's own scale, and rendered when rsvg-convert is installed.
struct Mark {
    double x, y;   // y = NAN: on the bottom edge
    int count;     // the points the marker stands for
    double r = 0;  // radius in picture units
    bool operator<(const Mark& o) const { return std::tie(x, y) < std::tie(o.x, o.y); }
};

struct Reading {
    std::string title;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // the frame's corners
    std::vector<Mark> marks;                // sorted
    std::vector<double> levels;
    std::vector<std::pair<std::string, std::string>> legend;  // kind, text
    double inked = 1, edge = 0;  // shares of inked pixels, all and at the left and right edges
};

bool rendering() {
    static const bool render = runProgram("/bin/sh", {}, {"-c", "command -v rsvg-convert"}).status == 0;
    return render;
}

// The picture of a run (its p.svg) as svg_check.py reads it.
::testing::AssertionResult readPicture(const ProgramRun& run, Reading& r) {
    auto svg = run.files.find("p.svg");
    if (run.status != 0 || svg == run.files.end())
        return ::testing::AssertionFailure() << "no picture: " << run.err;
    const std::string check = "/usr/bin/python3 " SVG_CHECK " p.svg";
    ProgramRun read = runProgram(
        "/bin/sh", {{"p.svg", svg->second}},
        {"-c", rendering() ? "rsvg-convert -w 400 -f png -o p.png p.svg && " + check + " p.png" : check});
    if (read.status != 0) return ::testing::AssertionFailure() << "not a valid picture: " << read.err;
    std::istringstream in(read.out);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::string kind, rest;
        words >> kind;
        std::getline(words >> std::ws, rest);
        std::istringstream values(rest);
        Mark m{};
        double level;
        std::string legendKind, legendText;
        if (kind == "title") r.title = rest;
        if (kind == "frame") values >> r.x0 >> r.y0 >> r.x1 >> r.y1;
        if (kind == "point" && values >> m.x >> m.y >> m.r >> m.count) r.marks.push_back(m);
        if (kind == "level" && values >> level) r.levels.push_back(level);
        if (kind == "legend" && values >> legendKind && std::getline(values >> std::ws, legendText))
            r.legend.push_back({legendKind, legendText});
        if (kind == "inked") values >> r.inked;
        if (kind == "edge") values >> r.edge;
    }
    std::sort(r.marks.begin(), r.marks.end());
    return ::testing::AssertionSuccess();
}

// The legend's entries, "kind" or "kind:N" for an entry whose text starts
// with the number N, in order and separated by blanks.
std::string legendOf(const Reading& r) {
    std::string kinds;
    for (const auto& [kind, text] : r.legend) {
        const std::size_t digits = text.find_first_not_of("0123456789");
        kinds += (kinds.empty() ? "" : " ") + kind;
        if (digits > 0 && digits != std::string::npos && text[digits] == ' ') kinds += ":" + text.substr(0, digits);
    }
    return kinds;
}

struct Picture {
    const Program& p;
    std::string path;  // of the data file; empty: the program's fixed name
    std::string data;
    std::vector<Mark> expected;  // sorted
    std::vector<double> levels;
    std::string legend;  // a pattern for legendOf()
    bool logY;           // otherwise the complex plane: one scale on both axes
};

// Quotes and markup in a base name too long for the title, in a folder.
const std::string longName = "x<&\"y" + std::string(150, 'n') + "_final.dat";

// x⁴ − 1: ±1, ±i.  (x − 1)²·(x + 2): −2 and the double root 1, computed as
// a pair of tiny imaginary parts, one marker on the real axis: three real
// roots.  The rotation by 90 degrees:
// ±i.  Jacobi on rows (2, 1), (1, 2): Delta 1, then exactly 0 (drawn on
// the bottom edge), threshold 1e-12.  Elimination on rows (1, 2), (3, 4):
// max 4, then 2 − (1/3)·4; one kind of item, no legend.
// clang-format off
const Picture pictures[] = {
    {roots, "", "4\n5\n-1 0 0 0 1\n",
     {{-1, 0, 1}, {0, -1, 1}, {0, 1, 1}, {1, 0, 1}}, {0}, "real:2 pair:1 circle", false},
    {roots, "curso 2/" + longName, "3\n4\n2 -3 0 1\n",
     {{-2, 0, 1}, {1, 0, 2}}, {0}, "real:3 circle multiple", false},
    {lu, "datos/m.dat", "2\n0 -1\n1 0\n", {{0, -1, 1}, {0, 1, 1}}, {0}, "pair:1", false},
    {jacobi, "", "2\n2 1\n1 2\n", {{0, 1, 1}, {1, NAN, 1}}, {1e-12}, "sum threshold", true},
    {gauss, "", "2\n1 2\n3 4\n5 6\n", {{0, 4, 1}, {1, 2 - 4.0 / 3, 1}}, {}, "", true},
};
// clang-format on

ProgramRun drawn(const Program& p, const std::string& path, const std::string& data) {
    if (path.empty()) return runProgram(p.binary, {{p.dataFile, data}}, {"--svg", "p.svg"});
    return runProgram(p.binary, {{path.substr(0, path.rfind('/') + 1), ""}, {path, data}},
                      {"--svg", "p.svg", path});
}

// The title names the data file by its base name, shortened in the middle
// when long: the name's head, "…", its tail.
void expectTitle(const Reading& r, const std::string& path) {
    const std::string base = path.substr(path.rfind('/') + 1), ellipsis = "…";
    EXPECT_EQ(r.title.find('/'), std::string::npos) << r.title;
    const std::size_t cut = r.title.find(ellipsis), at = r.title.find(base.substr(0, 5));
    if (base.size() < 20) {
        EXPECT_TRUE(cut == std::string::npos && r.title.size() > base.size() &&
                    r.title.substr(r.title.size() - base.size() - 1) == " " + base)
            << r.title;
        return;
    }
    ASSERT_TRUE(cut != std::string::npos && at < cut) << r.title;
    const std::string head = r.title.substr(at, cut - at), tail = r.title.substr(cut + ellipsis.size());
    EXPECT_TRUE(base.rfind(head, 0) == 0 && !tail.empty() && tail.size() < base.size() &&
                base.compare(base.size() - tail.size(), tail.size(), tail) == 0)
        << r.title;
}

// Markers where the mathematics puts them, within half a picture unit of
// rounding (relative to the frame; 1e-3 decades on a log axis), coinciding
// ones as one; the title and the legend; with rsvg-convert, not blank.
TEST(Picture, PointsWhereTheMathematicsPutsThem) {
    if (!rendering())
        std::cout << "rsvg-convert not installed (Debian: librsvg2-bin): pictures not rendered\n";
    for (const Picture& c : pictures) {
        SCOPED_TRACE(c.p.name + " " + c.path);
        Reading r;
        ASSERT_TRUE(readPicture(drawn(c.p, c.path, c.data), r));
        auto y = [&](double v) { return c.logY ? std::log10(v) : v; };
        const double tx = (r.x1 - r.x0) / 500, ty = c.logY ? 1e-3 : (r.y1 - r.y0) / 500;
        ASSERT_EQ(r.marks.size(), c.expected.size());
        for (std::size_t k = 0; k < c.expected.size(); ++k) {
            EXPECT_NEAR(r.marks[k].x, c.expected[k].x, tx);
            EXPECT_NEAR(y(r.marks[k].y), y(std::isnan(c.expected[k].y) ? r.y0 : c.expected[k].y), ty);
            EXPECT_EQ(r.marks[k].count, c.expected[k].count);
        }
        ASSERT_EQ(r.levels.size(), c.levels.size());
        for (std::size_t k = 0; k < c.levels.size(); ++k) EXPECT_NEAR(y(r.levels[k]), y(c.levels[k]), ty);
        if (!c.logY) {
            EXPECT_NEAR(r.x1 - r.x0, r.y1 - r.y0, tx);  // the plot is square
        }
        EXPECT_TRUE(std::regex_match(legendOf(r), std::regex(c.legend))) << legendOf(r);
        expectTitle(r, c.path.empty() ? c.p.dataFile : c.path);
        EXPECT_GT(r.inked, 0.01) << "a blank picture";
        EXPECT_EQ(r.edge, 0) << "text runs past the picture's edges";
    }
}

// The 400 roots of x⁴⁰⁰ − 1 on the unit circle, 2π/400 apart (over a
// marker's radius): 400 markers, each smaller than those of x⁴ − 1.  On one
// thread, as fast as two on a busy machine; the roots are the same.
TEST(Picture, MarkersShrinkWithTheirNumber) {
    std::string data = "400\n401\n-1";
    for (int k = 1; k < 400; ++k) data += " 0";
    Reading few, many;
    ASSERT_TRUE(readPicture(drawn(roots, "", pictures[0].data), few));
    ASSERT_TRUE(readPicture(runProgram("/usr/bin/env", {{roots.dataFile, data + " 1\n"}},
                                       {"OMP_NUM_THREADS=1", roots.binary, "--svg", "p.svg"}),
                            many));
    ASSERT_EQ(many.marks.size(), 400u);
    for (const Mark& m : many.marks)
        EXPECT_TRUE(m.count == 1 && m.r < few.marks[0].r && std::abs(std::hypot(m.x, m.y) - 1) < 0.01);
}

// (x − 20)(x²⁹⁹ − 1): at the scale that 20 asks for, the roots of unity fall
// on one another two or three at a time; their counts only where they have
// room (svg_check.py: clear of one another and of the unit circle).
TEST(Picture, CountsOnlyWhereTheyHaveRoom) {
    std::string data = "300\n301\n20 -1";
    for (int k = 2; k < 299; ++k) data += " 0";
    Reading r;
    ASSERT_TRUE(readPicture(runProgram("/usr/bin/env", {{roots.dataFile, data + " -20 1\n"}},
                                       {"OMP_NUM_THREADS=1", roots.binary, "--svg", "p.svg"}),
                            r));
    int points = 0;
    for (const Mark& m : r.marks) points += m.count;
    EXPECT_TRUE(points == 300 && r.marks.size() < 150) << r.marks.size();
}

TEST(Picture, BadPathRefusedBeforeTheReport) {
    for (const Program& p : programs) {
        ProgramRun folder = runProgram(p.binary, {{p.dataFile, p.data}, {"dir/", ""}}, {"--svg", "dir"});
        EXPECT_TRUE(refused(folder, p.name, "dir", "cannot write dir: Is a directory"));
        EXPECT_EQ(folder.files.count("res.dat"), 0u);
        ProgramRun missing = runProgram(p.binary, {{p.dataFile, p.data}}, {"--svg", "no/pic.svg"});
        EXPECT_TRUE(refused(missing, p.name, "no/pic.svg", "No such file or directory"));
    }
}

// Whether a pseudo-terminal can be made (not in a chroot without /dev/pts).
bool pseudoTerminalAvailable() {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) return false;
    const char* slave = grantpt(master) == 0 && unlockpt(master) == 0 ? ptsname(master) : nullptr;
    const bool ok = slave != nullptr && access(slave, R_OK | W_OK) == 0;
    close(master);
    return ok;
}

// Degree 300: the order from which polyroots shows its progress; standard
// error on a pseudo-terminal (script) 40 columns wide, or on a file.  The
// line counts roots and never reaches the last column.
TEST(CommandLine, ProgressOnlyOnATerminalAndErased) {
    if (!pseudoTerminalAvailable()) GTEST_SKIP() << "no pseudo-terminal can be made here (is /dev/pts mounted?)";
    std::string data = "300\n301\n";
    for (int k = 0; k < 300; ++k) data += std::to_string((k * 7919) % 13 - 6) + " ";
    data += "1\n";
    ProgramRun piped = runProgram(POLYROOTS_BIN, {{"datos6.dat", data}});
    EXPECT_EQ(piped.status, 0);
    EXPECT_EQ(piped.err, "");
    ProgramRun tty = runProgram(
        "/bin/sh", {{"datos6.dat", data}},
        {"-c", "exec script -qfec 'stty cols 40; exec " POLYROOTS_BIN " >/dev/null' /dev/null </dev/null"});
    ASSERT_EQ(tty.status, 0) << tty.err;
    const std::string& seen = tty.out;
    EXPECT_EQ(seen.rfind("\rpolyroots: reduction", 0), 0u) << seen;
    EXPECT_NE(seen.find(" of 300 roots"), std::string::npos) << seen;
    EXPECT_EQ(seen.find('\n'), std::string::npos) << seen;
    // Last: a carriage return, blanks over the widest line drawn, a carriage return.
    std::size_t widest = 0, from = 0;
    for (std::size_t cr; (cr = seen.find('\r', from + 1)) != std::string::npos; from = cr)
        widest = std::max(widest, cr - from - 1);
    EXPECT_EQ(widest, 39u) << seen;
    ASSERT_GE(seen.size(), widest + 2);
    EXPECT_EQ(seen.substr(seen.size() - widest - 2), "\r" + std::string(widest, ' ') + "\r") << seen;
}

}  // namespace
