// SPDX-License-Identifier: MIT
// DataFile: the conversions agree with formatted extraction, and each
// problem is named with its line and token.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "input/datafile.h"
#include "shell/voice.h"
#include "program_run.h"

namespace {

const Voice p("p", "f", std::cerr);

// Long double compares on its 10 significant bytes.  The smallest normal
// numbers of both types, and exact zeros, are read; below them (a
// subnormal, or 0 for a number that is not) is out of range.
TEST(DataFile, ConversionsMatchFormattedExtraction) {
    for (const char* t :
         {"0.1", "-0", "0e999", "-.000e-9999", "2.2250738585072014e-308", "3.3621031431120935063e-4932",
          "3.14159265358979323846264338327950288", "+7", ".5", "5.", "1.18973149535723176502e+4932",
          "123456789012345678901234567890", "1.7976931348623157e308", "1e5"}) {
        std::istringstream a(t), b(t), c(t), d(t);
        DataFile f(a, p), g(c, p);
        long double mine = f.readLongDouble("x"), theirs;
        double theirsD;
        EXPECT_TRUE(b >> theirs) << t;
        EXPECT_EQ(std::memcmp(&mine, &theirs, 10), 0) << t;
        if (!(d >> theirsD) || (theirs != 0 && theirsD == 0)) continue;  // beyond the range of double
        double mineD = g.readDouble("x");
        EXPECT_EQ(std::memcmp(&mineD, &theirsD, sizeof mineD), 0) << t;
    }
    for (const char* t : {"1e-400", "2.2250738585072009e-308", "-4.9406564584124654e-324", "1e-320"}) {
        std::istringstream in(t);
        EXPECT_THROW(DataFile(in, p).readDouble("x"), InputError) << t;
    }
    // A byte-order mark at the start is skipped, even as a token of its own.
    std::istringstream in("\xEF\xBB\xBF 3\r\n\t1 2\v\f3 trailing words 4 5 1e");
    DataFile f(in, p);
    EXPECT_EQ(f.readInt("n", 1, 10), 3);
    EXPECT_EQ(f.readDoubles(3, "v"), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(f.leftoverWarning(), "p: f: 2 numbers after the data were not read; is the order right?");
    std::istringstream one("1 2 3");
    DataFile g(one, p);
    g.readDoubles(2, "v");
    EXPECT_EQ(g.leftoverWarning(), "p: f: 1 number after the data was not read; is the order right?");
}

// An order in 1 … 100, then three numbers: the whole message of each problem.
// (What the programs ask beyond this is in messages_test.)
TEST(DataFile, ProblemsNameLineAndToken) {
    const Voice voice("prog", "data.dat", std::cerr);
    const std::string at = "prog: data.dat line ";
    const std::string utf16 = "prog: data.dat: the file is UTF-16 text; save it as UTF-8 or as plain text";
    const std::pair<std::string, std::string> cases[] = {
        {"", "prog: data.dat: ends before the order N"},
        {"\n\n 0", at + "3: the order N must be at least 1, found 0"},
        {"\xEF\xBB\xBF"
         "0",
         at + "1: the order N must be at least 1, found 0"},
        {"-99999999999999999999", at + "1: the order N must be at least 1, found -99999999999999999999"},
        {"\xEF\xBB\xBF\xEF\xBB\xBF"
         "3",
         at + "1: the order N must be a whole number, found \"\\xef\\xbb\\xbf3\": it holds a character that "
              "is "
              "not plain ASCII text"},
        {"2.0 1", at + "1: the order N must be a whole number, found \"2.0\""},
        {"101", at + "1: the order N \"101\" is too large (at most 100)"},
        {"99999999999999999999", at + "1: the order N \"99999999999999999999\" is too large (at most 100)"},
        {"3 1 inf 2", at + "1: \"inf\" is not a number"},
        {"3\r1 2\rx", at + "3: \"x\" is not a number"},        // old Mac line ends
        {"3\r\n1\r\n\r\nx", at + "4: \"x\" is not a number"},  // DOS line ends
        {"3 1 -1e99999 2", at + "1: \"-1e99999\" is out of range"},
        {"3 1 1e-4950 2", at + "1: \"1e-4950\" is out of range"},  // subnormal
        {"3 1 2 1e-5000", at + "1: \"1e-5000\" is out of range"},  // 0
        {"3 1 e5 2", at + "1: \"e5\" is not a number"},
        {"3 1 1e 2", at + "1: \"1e\" is not a number"},
        {"3 1 \"\x01\xff 2",
         at + "1: \"\\x22\\x01\\xff\" is not a number: it holds a character that is not plain ASCII text"},
        {std::string("3 1 2\0 3", 8), at + "1: \"2\\x00\" is not a number"},
        {"3\n1 2\n", "prog: data.dat: holds 2 of the 3 numbers of the matrix"},
        {"3 1 " + std::string(5000, '7'), at + "1: \"" + std::string(40, '7') + "...\" is not a number"},
        // A decimal comma, and commas between numbers.
        {"3 1 1,5 2", at + "1: \"1,5\" is not a number: the decimal separator is a point, as in \"1.5\""},
        {"3 1,2,3", at + "1: \"1,2,3\" is not a number: numbers are separated by white space, not by commas"},
        {"3, 1 2 3",
         at + "1: the order N must be a whole number, found \"3,\": numbers are separated by white "
              "space, not by commas"},
        {"3 1 a,5 2", at + "1: \"a,5\" is not a number"},
        // A whole number expected: "2,5" is read as two numbers.
        {"2,5",
         at + "1: the order N must be a whole number, found \"2,5\": numbers are separated by white space, "
              "not by commas"},
        // UTF-16, either byte order ("3 1" and "3\n"); other bytes at the
        // start are named.
        {std::string("\xFF\xFE\x33\0\x20\0\x31\0", 8), utf16},
        {std::string("\xFE\xFF\0\x33\0\n", 6), utf16},
        {"\xFF\xFE", utf16},
        {"\xFF\xFF\x33",
         at + "1: the order N must be a whole number, found \"\\xff\\xff3\": it holds a character "
              "that is not plain ASCII text"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.first);
        DataFile f(in, voice);
        try {
            f.readInt("the order N", 1, 100);
            f.readLongDoubles(3, "the matrix");
            ADD_FAILURE() << "accepted: " << c.first;
        } catch (const InputError& e) {
            EXPECT_EQ(e.what(), c.second);
        }
    }
}

// What pivot_gauss says of the data file `file`, run in a folder holding
// `names` (a name ending in '/' is a folder): its status, its message.
std::string missingFileMessage(const std::vector<std::string>& names, const std::string& file) {
    std::map<std::string, std::string> files;
    for (const std::string& name : names) files[name] = "1 1 1\n";
    const ProgramRun run = runProgram(PIVOT_GAUSS_BIN, files, {file});
    return std::to_string(run.status) + " " + run.err;
}

// A missing data file, with a file of a similar name beside it: named in
// the message, the first in byte order of several.  Not: other names, a
// folder, the file's own name in another folder.
TEST(DataFile, MissingFileNamesASimilarOne) {
    const std::string expected = " (expected: the order n, then n·n numbers row by row, then the n "
                                 "right-hand-side values)";
    const std::string missing = "1 pivot_gauss: cannot open gausslu.dat in the current folder" + expected;
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"gausslu.dat.txt"}, "; found gausslu.dat.txt: rename it?"},
        {{"GAUSSLU.DAT"}, "; found GAUSSLU.DAT: rename it?"},
        {{"Gausslu.Dat.TXT"}, "; found Gausslu.Dat.TXT: rename it?"},
        {{"gausslu.txt"}, "; found gausslu.txt: rename it?"},
        {{"gausslu.dat.dat"}, "; found gausslu.dat.dat: rename it?"},
        {{"gausslu"}, "; found gausslu: rename it?"},
        {{"gausslu.txt", "gausslu.dat.txt", "other.dat", "gausslu.dat.dat"},
         "; found gausslu.dat.dat: rename it?"},
        {{"gausslu.dat.txt/", "gausslu2.dat", "xgausslu.dat", "gausslu.txt.bak", "sub/", "sub/gausslu.dat"},
         ""},
        {{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(missingFileMessage(c.first, "gausslu.dat"), missing + c.second + "\n");

    // A file named by a path: the hint looks in its folder and names the
    // file by the same path.
    EXPECT_EQ(missingFileMessage({"data/", "data/m.dat.txt"}, "data/m.dat"),
              "1 pivot_gauss: cannot open data/m.dat" + expected + "; found data/m.dat.txt: rename it?\n");
    EXPECT_EQ(missingFileMessage({"m.dat.txt"}, "data/m.dat"),
              "1 pivot_gauss: cannot open data/m.dat" + expected + "\n");
    // No extension to change: a name without one, a hidden file's name.
    for (const std::string name : {"gausslu", ".dat"})
        EXPECT_EQ(missingFileMessage({"other", ".txt"}, name),
                  "1 pivot_gauss: cannot open " + name + " in the current folder" + expected + "\n");
    // The file itself is there: no message at all.
    EXPECT_EQ(missingFileMessage({"gausslu.dat", "gausslu.dat.txt"}, "gausslu.dat"), "0 ");
}

}  // namespace
