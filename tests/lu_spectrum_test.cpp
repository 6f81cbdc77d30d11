// lu_spectrum: reports written out by hand, properties of the printed
// blocks, and the bad-input contract.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "lu_spectrum.h"
#include "program_run.h"

namespace {

ProgramRun spectrum(const std::string& data) {
    return runProgram(LU_SPECTRUM_BIN, {{"datos4.dat", data}});
}

// The text from the line that starts with `caption` up to the next caption
// line (a line starting with a letter or a space) or the end.
std::string block(const std::string& report, const std::string& caption) {
    std::size_t start = report.find("\n" + caption);
    if (start == std::string::npos) return "";
    start += 1;
    std::size_t end = start;
    for (;;) {
        end = report.find('\n', end);
        if (end == std::string::npos || end + 1 >= report.size()) return report.substr(start);
        char c = report[end + 1];
        ++end;
        if (c == ' ' || std::isalpha(static_cast<unsigned char>(c))) return report.substr(start, end - start);
    }
}

// Numbers of a printed vector: its length, then the values.
std::vector<double> numbers(std::istringstream& in) {
    int n = 0;
    in >> n;
    std::vector<double> v(n);
    for (double& x : v) in >> x;
    return v;
}

TEST(LuSpectrumReport, DiagonalTwoByTwo) {
    ProgramRun r = spectrum("2 2 0 0 3");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "\n"
              "2   0   \n"
              "0   3   \n"
              " valores propios = 2\n"
              "2 3 \n"
              "\n"
              "Matriz Diagonal= 2 2\n"
              "2 0 \n"
              "0 3 \n"
              "\n"
              " Vectores propios = 2 2\n"
              "1 0 \n"
              "0 1 \n"
              "\n"
              "A*v-lambda*V\n"
              "2\n"
              "0 0 \n"
              "\n"
              "2\n"
              "0 0 \n"
              "\n"
              "2 2\n"
              "1 0 \n"
              "0 1 \n"
              "\n"
              "2 2\n"
              "2 0 \n"
              "0 3 \n"
              "\n"
              "det=6\n"
              "L*U= 2 2\n"
              "2 0 \n"
              "0 3 \n"
              "\n"
              "inversa = 2 2\n"
              "0.5 0 \n"
              "0 0.333333 \n"
              "\n"
              "D*ID=2 2\n"
              "1 0 \n"
              "0 1 \n"
              "\n"
              "XX= 2 2\n"
              "0.5 0 \n"
              "0 0.333333 \n"
              "\n"
              " bb= 2\n"
              "1 1 \n"
              "\n"
              "D*bb= 2\n"
              "2 3 \n"
              "\n");
}

TEST(LuSpectrumReport, EchoOfRows) {
    ProgramRun r = spectrum("2\n1 2\n3 4\n");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.substr(0, 20), "\n1   2   \n3   4   \n ");
}

// [[1, 1], [2, 2]]: one row exchange, multiplier 0.5, U = [[2, 2], [0, 0]],
// det = −1·2·0 = −0; inverse and solutions empty, A·bb printed empty.
TEST(LuSpectrumReport, SingularMatrixHasEmptyBlocks) {
    ProgramRun r = spectrum("2 1 1 2 2");
    EXPECT_EQ(r.status, 0);
    std::size_t lu = r.out.find("\n2 2\n1 0 \n0.5 1 \n\n");
    ASSERT_NE(lu, std::string::npos) << r.out;
    EXPECT_EQ(r.out.substr(lu + 1),
              "2 2\n1 0 \n0.5 1 \n\n"
              "2 2\n2 2 \n0 0 \n\n"
              "det=-0\n"
              "L*U= 2 2\n2 2 \n1 1 \n\n"
              "inversa = 0 0\n\n"
              "D*ID=2 0\n\n\n\n"
              "XX= 0 0\n\n"
              " bb= 0\n\n\n"
              "D*bb= 0\n\n\n");
}

// A nonsingular nonsymmetric matrix: XX equals the inverse digit for digit,
// A·A⁻¹ prints near the identity and A·bb reproduces the eigenvalues.
TEST(LuSpectrumReport, InverseChecks) {
    ProgramRun r = spectrum("3  4 -2 1  3 6 -4  2 1 8");
    ASSERT_EQ(r.status, 0) << r.err;
    std::string inv = block(r.out, "inversa = "), xx = block(r.out, "XX= ");
    ASSERT_FALSE(inv.empty());
    EXPECT_EQ(inv.substr(10), xx.substr(4));
    std::istringstream id(block(r.out, "D*ID=").substr(5));
    int rows, cols;
    id >> rows >> cols;
    ASSERT_EQ(rows, 3);
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double x;
            id >> x;
            EXPECT_NEAR(x, i == j ? 1 : 0, 1e-17);
        }
    std::istringstream ev(block(r.out, " valores propios = ").substr(19));
    std::istringstream abb(block(r.out, "D*bb= ").substr(6));
    std::vector<double> lambda = numbers(ev), product = numbers(abb);
    ASSERT_EQ(lambda.size(), 3u);
    ASSERT_EQ(product.size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(product[i], lambda[i], 1e-5 * std::abs(lambda[i]));
}

// Rows (0, −1, 0), (1, 0, 0), (0, 0, 2): eigenvalues ±i and 2.  The residual
// of each column of the pair uses only the real part 0, so it is the column
// A·v itself, of the size of v; the residual for 2 vanishes.
TEST(LuSpectrumReport, ComplexPairResidualsUseRealPartOnly) {
    ProgramRun r = spectrum("3  0 -1 0  1 0 0  0 0 2");
    ASSERT_EQ(r.status, 0) << r.err;
    std::istringstream in(r.out.substr(r.out.find("A*v-lambda*V\n") + 13));
    double largest[3];
    for (int k = 0; k < 3; ++k) {
        std::vector<double> v = numbers(in);
        ASSERT_EQ(v.size(), 3u);
        largest[k] = 0;
        for (double x : v) largest[k] = std::max(largest[k], std::abs(x));
    }
    std::istringstream ev(block(r.out, " valores propios = ").substr(19));
    std::vector<double> lambda = numbers(ev);
    for (int k = 0; k < 3; ++k) {
        if (lambda[k] == 2)
            EXPECT_LT(largest[k], 1e-15);
        else
            EXPECT_GT(largest[k], 0.5);
    }
    EXPECT_NE(block(r.out, "Matriz Diagonal= ").find("\n0 1 0 \n-1 0 0 \n0 0 2 \n"), std::string::npos)
        << r.out;
}

TEST(LuSpectrumBadInput, EachGetsOneLineAndNoReport) {
    const std::string p = "lu_spectrum", f = "datos4.dat";
    EXPECT_TRUE(refused(runProgram(LU_SPECTRUM_BIN, {}), p, f,
                        "cannot open datos4.dat in the current folder (expected: the order N, then N·N numbers"));
    EXPECT_TRUE(refused(spectrum(""), p, f, "ends before the order N"));
    EXPECT_TRUE(refused(spectrum("2\n1 2\n3 four\n"), p, f, "line 3: \"four\" is not a number"));
    EXPECT_TRUE(refused(spectrum("0"), p, f, "must be at least 1"));
    EXPECT_TRUE(refused(spectrum("3 1 2 3 4 5 6 7 8"), p, f, "holds 8 of the 9 numbers"));
    EXPECT_TRUE(refused(spectrum("2147483647 1"), p, f, "too large"));
    // Finite entries whose products overflow: the iteration cannot converge.
    EXPECT_TRUE(refused(spectrum("3  1e4930 -1e4930 1e4930  1e4930 1e4930 -1e4930  -1e4930 1e4930 1e4930"),
                        p, f, "does not converge"));
}

}  // namespace
