// SPDX-License-Identifier: MIT
// DataFile: the conversions agree with formatted extraction, and each
// problem is named with its line and token.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "datafile.h"

namespace {

// Long double compares on its 10 significant bytes.
TEST(DataFile, ConversionsMatchFormattedExtraction) {
    for (const char* t : {"0.1", "-0", "1e-320", "1e-4950", "3.14159265358979323846264338327950288", "+7",
                          ".5", "5.", "1.18973149535723176502e+4932", "123456789012345678901234567890",
                          "1.7976931348623157e308", "1e5", "2.4703282292062328e-324"}) {
        std::istringstream a(t), b(t), c(t), d(t);
        DataFile f(a, "p", "f"), g(c, "p", "f");
        long double mine = f.readLongDouble("x"), theirs;
        double theirsD;
        EXPECT_TRUE(b >> theirs) << t;
        EXPECT_EQ(std::memcmp(&mine, &theirs, 10), 0) << t;
        if (!(d >> theirsD)) continue;  // beyond the range of double
        double mineD = g.readDouble("x");
        EXPECT_EQ(std::memcmp(&mineD, &theirsD, sizeof mineD), 0) << t;
    }
    // A byte-order mark at the start is skipped, even as a token of its own.
    std::istringstream in("\xEF\xBB\xBF 3\r\n\t1 2\v\f3 trailing words 4 5 1e");
    DataFile f(in, "p", "f");
    EXPECT_EQ(f.readInt("n", 1, 10), 3);
    EXPECT_EQ(f.readDoubles(3, "v"), (std::vector<double>{1, 2, 3}));
    EXPECT_EQ(f.leftoverWarning(), "p: f: 2 numbers after the data were not read; is the order right?");
    std::istringstream one("1 2 3");
    DataFile g(one, "p", "f");
    g.readDoubles(2, "v");
    EXPECT_EQ(g.leftoverWarning(), "p: f: 1 number after the data was not read; is the order right?");
}

// An order in 1 … 100, then three numbers: the whole message of each problem.
// (What the programs ask beyond this is in messages_test.)
TEST(DataFile, ProblemsNameLineAndToken) {
    const std::string at = "prog: data.dat line ";
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
        {"3 1 e5 2", at + "1: \"e5\" is not a number"},
        {"3 1 1e 2", at + "1: \"1e\" is not a number"},
        {"3 1 \"\x01\xff 2",
         at + "1: \"\\x22\\x01\\xff\" is not a number: it holds a character that is not plain ASCII text"},
        {std::string("3 1 2\0 3", 8), at + "1: \"2\\x00\" is not a number"},
        {"3\n1 2\n", "prog: data.dat: holds 2 of the 3 numbers of the matrix"},
        {"3 1 " + std::string(5000, '7'), at + "1: \"" + std::string(40, '7') + "...\" is not a number"},
    };
    for (const auto& c : cases) {
        std::istringstream in(c.first);
        DataFile f(in, "prog", "data.dat");
        try {
            f.readInt("the order N", 1, 100);
            f.readLongDoubles(3, "the matrix");
            ADD_FAILURE() << "accepted: " << c.first;
        } catch (const InputError& e) {
            EXPECT_EQ(e.what(), c.second);
        }
    }
}

}  // namespace
