// DataFile: the conversions agree with formatted extraction, and each
// problem is named with its line and token.
#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <string>

#include "datafile.h"

namespace {

std::string problem(const std::string& text, int (*read)(DataFile&)) {
    std::istringstream in(text);
    DataFile f(in, "prog", "data.dat");
    try {
        read(f);
    } catch (const InputError& e) {
        return e.what();
    }
    return "";
}

// Long double compares on its 10 significant bytes.
TEST(DataFile, ConversionsMatchFormattedExtraction) {
    for (const char* t : {"0.1", "-0", "1e-320", "1e-4950", "3.14159265358979323846264338327950288", "+7",
                          ".5", "5.", "1.18973149535723176502e+4932", "123456789012345678901234567890",
                          "1.7976931348623157e308", "2.4703282292062328e-324"}) {
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
}

TEST(DataFile, ReadsAcrossAnyWhiteSpace) {
    std::istringstream in(" 3\r\n\t1 2\v\f3 trailing words are ignored");
    DataFile f(in, "p", "f");
    EXPECT_EQ(f.readInt("n", 1, 10), 3);
    EXPECT_EQ(f.readDoubles(3, "v"), (std::vector<double>{1, 2, 3}));
}

// The whole message; the programs' tests cover the other problems by substring.
TEST(DataFile, ProblemsNameLineAndToken) {
    auto readOrder = [](DataFile& f) { return f.readInt("the order N", 1, 100); };
    auto readThree = [](DataFile& f) {
        f.readInt("the order N", 1, 100);
        f.readLongDoubles(3, "the matrix");
        return 0;
    };
    EXPECT_EQ(problem("", readOrder), "prog: data.dat: ends before the order N");
    EXPECT_EQ(problem("\n\n 0", readOrder), "prog: data.dat line 3: the order N must be at least 1, found 0");
    EXPECT_EQ(problem("3\n1\n2 0x10", readThree), "prog: data.dat line 3: \"0x10\" is not a number");
    EXPECT_EQ(problem("3 1 inf 2", readThree), "prog: data.dat line 1: \"inf\" is not a number");
    EXPECT_EQ(problem("3 1 -1e99999 2", readThree), "prog: data.dat line 1: \"-1e99999\" is out of range");
    EXPECT_EQ(problem("3 1 e5 2", readThree), "prog: data.dat line 1: \"e5\" is not a number");
    EXPECT_EQ(problem("3 1 1e 2", readThree), "prog: data.dat line 1: \"1e\" is not a number");
    EXPECT_EQ(problem("3 1 \"\x01\xff 2", readThree),
              "prog: data.dat line 1: \"\\x22\\x01\\xff\" is not a number: it holds a character that is not "
              "plain ASCII text");
    std::string m = problem("3 1 " + std::string(5000, '7'), readThree);
    EXPECT_NE(m.find("...\" is not a number"), std::string::npos) << m;
    EXPECT_LT(m.size(), 120u);
}

}  // namespace
