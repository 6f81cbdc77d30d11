// polyroots: reports written out by hand, roots of polynomials built from
// known roots, and the bad-input contract.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <sstream>
#include <string>
#include <vector>

#include "polyroots.h"
#include "program_run.h"

namespace {

using ZELKOR::Real;
using ZELKOR::Vector;

ProgramRun roots(const std::string& data) { return runProgram(POLYROOTS_BIN, {{"datos6.dat", data}}); }

TEST(PolyrootsReport, QuadraticWithRealRoots) {
    ProgramRun r = roots("2 3 2 -3 1");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "2\n"
              "3\n"
              "2 -3 1 \n"
              "\n"
              "A = 2 2\n"
              "3 -2 \n"
              "1 0 \n"
              "\n"
              "parte real raices=2\n"
              "2 1 \n"
              "\n"
              "parte imaginaria raices=2\n"
              "0 0 \n"
              "\n"
              "0\n"
              "0\n");
}

TEST(PolyrootsReport, DegreeOne) {
    ProgramRun r = roots("1 2 -2 4");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "1\n2\n-2 4 \n\n"
              "A = 1 1\n0.5 \n\n"
              "parte real raices=1\n0.5 \n\n"
              "parte imaginaria raices=1\n0 \n\n"
              "0\n");
}

// x² + 1: the zero coefficient is negated to -0; the pair ±i comes +i first.
TEST(PolyrootsReport, ConjugatePair) {
    ProgramRun r = roots("2 3 1 0 1");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out,
              "2\n3\n1 0 1 \n\n"
              "A = 2 2\n-0 -1 \n1 0 \n\n"
              "parte real raices=2\n0 0 \n\n"
              "parte imaginaria raices=2\n1 -1 \n\n"
              "0\n0\n");
}

// x² − 1: the companion matrix (−0, 1; 1, 0) is symmetric, so the roots come
// out ascending with zero imaginary parts.
TEST(PolyrootsReport, SymmetricCompanion) {
    ProgramRun r = roots("2 3 -1 0 1");
    ASSERT_EQ(r.status, 0);
    std::istringstream in(r.out);
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(in, line)) lines.push_back(line);
    ASSERT_EQ(lines.size(), 16u);
    EXPECT_EQ(lines[5], "-0 1 ");
    EXPECT_EQ(lines[6], "1 0 ");
    EXPECT_EQ(lines[9], "-1 1 ");
    EXPECT_EQ(lines[12], "0 0 ");
    EXPECT_LT(std::abs(std::stod(lines[14])), 1e-15);
    EXPECT_LT(std::abs(std::stod(lines[15])), 1e-15);
}

// The coefficients of ∏(x − r_k), lowest degree first.
std::vector<std::complex<Real>> expand(const std::vector<std::complex<Real>>& rootsOf) {
    std::vector<std::complex<Real>> c{1};
    for (const auto& r : rootsOf) {
        std::vector<std::complex<Real>> next(c.size() + 1);
        for (std::size_t k = 0; k < c.size(); ++k) {
            next[k + 1] += c[k];
            next[k] -= r * c[k];
        }
        c = next;
    }
    return c;
}

// Polynomials with known roots, degree up to 12: every known root is
// matched by a distinct printed root, and Re p(root) is small against
// Σ|a_k|·|root|^k.
TEST(PolyrootsProperties, KnownRootsAreFound) {
    using C = std::complex<Real>;
    const std::vector<std::vector<C>> cases = {
        {C(3), C(-1), C(0.5)},
        {C(1, 2), C(1, -2), C(-3)},
        {C(2), C(2), C(-1)},  // a double root
        {C(0, 1), C(0, -1), C(-2, 0.5), C(-2, -0.5), C(4)},
        {C(1), C(2), C(3), C(4), C(5), C(6), C(7), C(8)},
        {C(0.3, 1), C(0.3, -1), C(-0.7, 0.2), C(-0.7, -0.2), C(1.5), C(-1.1), C(0.1, 0.6), C(0.1, -0.6),
         C(-2), C(2.5), C(0.9, 0.05), C(0.9, -0.05)},
    };
    for (const auto& known : cases) {
        std::vector<C> c = expand(known);
        int n = static_cast<int>(known.size());
        std::ostringstream data;
        data.precision(21);
        data << n << " " << n + 1;
        for (const C& a : c) data << " " << 2 * a.real();
        std::istringstream in(data.str());
        std::ostringstream out, err;
        ASSERT_EQ(polyroots(in, out, err), 0) << err.str();

        int len;
        std::vector<double> re(n), im(n), value(n);
        std::string report = out.str();
        std::istringstream reIn(report.substr(report.find("parte real raices=") + 18));
        reIn >> len;
        for (double& x : re) reIn >> x;
        std::istringstream imIn(report.substr(report.find("parte imaginaria raices=") + 24));
        imIn >> len;
        for (double& x : im) imIn >> x;
        for (double& x : value) imIn >> x;

        // A double root is ill-conditioned: its error grows like √eps.
        const double tolerance = 1e-4;
        std::vector<bool> used(n, false);
        for (const C& r : known) {
            int best = -1;
            for (int k = 0; k < n; ++k)
                if (!used[k] && (best < 0 || std::abs(std::complex<double>(re[k], im[k]) - std::complex<double>(r)) <
                                                 std::abs(std::complex<double>(re[best], im[best]) -
                                                          std::complex<double>(r))))
                    best = k;
            used[best] = true;
            EXPECT_NEAR(re[best], static_cast<double>(r.real()), tolerance) << data.str();
            EXPECT_NEAR(im[best], static_cast<double>(r.imag()), tolerance) << data.str();
        }
        for (int k = 0; k < n; ++k) {
            double scale = 0, modulus = std::hypot(re[k], im[k]);
            for (int j = 0; j <= n; ++j) scale += std::abs(2 * static_cast<double>(c[j].real())) * std::pow(modulus, j);
            EXPECT_LT(std::abs(value[k]), 1e-4 * scale) << data.str();
        }
    }
}

TEST(PolyrootsRoutines, PolEvaluatesACopy) {
    Vector<Real> a(4, 0);
    a[0] = -6; a[1] = 11; a[2] = -6; a[3] = 1;  // (x − 1)(x − 2)(x − 3)
    EXPECT_EQ(pol(a, 2, 0), 0);
    EXPECT_EQ(pol(a, 4, 0), 6);   // 64 − 96 + 44 − 6
    EXPECT_EQ(pol(a, 0, 1), 0);   // −i + 6 + 11i − 6 = 10i
    EXPECT_EQ(pol(a, 1, 1), 3);   // (−2 + 2i) − 12i + (11 + 11i) − 6 = 3 + i
    EXPECT_EQ(a[0], -6);
    EXPECT_EQ(a[3], 1);
}

TEST(PolyrootsBadInput, EachGetsOneLineAndNoReport) {
    const std::string p = "polyroots", f = "datos6.dat";
    EXPECT_TRUE(refused(runProgram(POLYROOTS_BIN, {}), p, f, "cannot open datos6.dat in the current folder"));
    EXPECT_TRUE(refused(roots(""), p, f, "ends before the degree N"));
    EXPECT_TRUE(refused(roots("2 3 2 -3 x"), p, f, "\"x\" is not a number"));
    EXPECT_TRUE(refused(roots("0 1 5"), p, f, "the degree N must be at least 1"));
    EXPECT_TRUE(refused(roots("2 2 2 -3"), p, f, "the coefficient count must be N + 1 = 3, found 2"));
    EXPECT_TRUE(refused(roots("2 4 2 -3 1 7"), p, f, "the coefficient count must be N + 1 = 3, found 4"));
    EXPECT_TRUE(refused(roots("2 3 2 -3"), p, f, "holds 2 of the 3 numbers"));
    EXPECT_TRUE(refused(roots("2 3 2 -3 0"), p, f, "the leading coefficient a[N] is zero"));
    EXPECT_TRUE(refused(roots("2147483647 1"), p, f, "too large"));
    EXPECT_TRUE(refused(roots("2 3 1e4900 0 1e-4900"), p, f, "does not converge"));
}

}  // namespace
