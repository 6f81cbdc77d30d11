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

ProgramRun roots(const std::string& data) { return runProgram(POLYROOTS_BIN, {{"datos6.dat", data}}); }

// x² − 3x + 2: companion rows (3, −2), (1, 0); roots 2 then 1, values 0.
// −2 + 4x: root 0.5.  x² + 1: the zero coefficient is negated to −0; the
// pair ±i comes +i first.  x² − 1: the companion (−0, 1; 1, 0) is
// symmetric, so the roots come out ascending; the values are residues.
TEST(PolyrootsReport, WorkedPolynomials) {
    ProgramRun r = roots("2 3 2 -3 1");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "2\n3\n2 -3 1 \n\n"
              "A = 2 2\n3 -2 \n1 0 \n\n"
              "parte real raices=2\n2 1 \n\n"
              "parte imaginaria raices=2\n0 0 \n\n"
              "0\n0\n");
    EXPECT_EQ(roots("1 2 -2 4").out,
              "1\n2\n-2 4 \n\nA = 1 1\n0.5 \n\nparte real raices=1\n0.5 \n\n"
              "parte imaginaria raices=1\n0 \n\n0\n");
    EXPECT_NE(roots("2 3 1 0 1").out.find("A = 2 2\n-0 -1 \n1 0 \n\nparte real raices=2\n0 0 \n\n"
                                          "parte imaginaria raices=2\n1 -1 \n\n0\n0\n"),
              std::string::npos);
    const std::string head = "A = 2 2\n-0 1 \n1 0 \n\nparte real raices=2\n-1 1 \n\nparte imaginaria raices=2\n0 0 \n\n";
    std::string out = roots("2 3 -1 0 1").out;
    ASSERT_NE(out.find(head), std::string::npos) << out;
    std::istringstream values(out.substr(out.find(head) + head.size()));
    double v0 = 1, v1 = 1;
    EXPECT_TRUE(values >> v0 >> v1 && std::abs(v0) < 1e-15 && std::abs(v1) < 1e-15) << out;
}

// Polynomials 2·∏(x − r_k) of degree up to 12: every known root is matched
// by a distinct printed root, and Re p(root) is small against Σ|a_k|·|root|^k.
TEST(PolyrootsProperties, KnownRootsAreFound) {
    using C = std::complex<Real>;
    const std::vector<std::vector<C>> cases = {
        {C(2), C(2), C(-1)},  // a double root
        {C(0, 1), C(0, -1), C(-2, 0.5), C(-2, -0.5), C(4)},
        {C(1), C(2), C(3), C(4), C(5), C(6), C(7), C(8)},
        {C(0.3, 1), C(0.3, -1), C(-0.7, 0.2), C(-0.7, -0.2), C(1.5), C(-1.1), C(0.1, 0.6), C(0.1, -0.6),
         C(-2), C(2.5), C(0.9, 0.05), C(0.9, -0.05)},
    };
    for (const auto& known : cases) {
        const int n = static_cast<int>(known.size());
        std::vector<C> c{2};  // lowest degree first
        for (const C& r : known) {
            c.push_back(0);
            for (int k = static_cast<int>(c.size()) - 1; k > 0; --k) c[k] = c[k - 1] - r * c[k];
            c[0] *= -r;
        }
        std::ostringstream data, out, err;
        data.precision(21);
        data << n << " " << n + 1;
        for (const C& a : c) data << " " << a.real();
        std::istringstream in(data.str());
        ASSERT_EQ(polyroots(in, out, err), 0) << err.str();

        const std::string report = out.str();
        std::istringstream reIn(report.substr(report.find("real raices=") + 12));
        std::istringstream imIn(report.substr(report.find("imaginaria raices=") + 18));
        int len;
        double x, y;
        reIn >> len, imIn >> len;
        std::vector<std::complex<double>> got(n);
        std::vector<double> value(n);
        for (auto& z : got) reIn >> x, imIn >> y, z = {x, y};
        for (double& v : value) imIn >> v;

        // A double root is ill-conditioned: its error grows like √eps.
        std::vector<bool> used(n, false);
        for (const C& r : known) {
            int best = 0;
            double dist = INFINITY;
            for (int k = 0; k < n; ++k) {
                double d = std::abs(got[k] - std::complex<double>(r));
                if (!used[k] && d < dist) best = k, dist = d;
            }
            used[best] = true;
            double scale = 0, modulus = std::abs(got[best]);
            for (int j = 0; j <= n; ++j) scale += std::abs(double(c[j].real())) * std::pow(modulus, j);
            EXPECT_LT(dist, 1e-4) << data.str();
            EXPECT_LT(std::abs(value[best]), 1e-4 * scale) << data.str();
        }
    }
    // Complex Horner on (x − 1)(x − 2)(x − 3), real part; successive calls on
    // one vector find it unchanged.
    ZELKOR::Vector<Real> a(4, 1);
    a[0] = -6, a[1] = 11, a[2] = -6;
    EXPECT_EQ(pol(a, 2, 0), 0);
    EXPECT_EQ(pol(a, 4, 0), 6);  // 64 − 96 + 44 − 6
    EXPECT_EQ(pol(a, 1, 1), 3);  // (−2 + 2i) − 12i + (11 + 11i) − 6 = 3 + i
}

TEST(PolyrootsBadInput, EachGetsOneLineAndNoReport) {
    const std::string p = "polyroots", f = "datos6.dat";
    EXPECT_TRUE(refused(runProgram(POLYROOTS_BIN, {}), p, f, "cannot open datos6.dat in the current folder"));
    EXPECT_TRUE(refused(roots(""), p, f, "ends before the degree N"));
    EXPECT_TRUE(refused(roots("0 1 5"), p, f, "the degree N must be at least 1"));
    EXPECT_TRUE(refused(roots("2 2 2 -3"), p, f, "the coefficient count must be N + 1 = 3, found 2"));
    EXPECT_TRUE(refused(roots("2 4 2 -3 1 7"), p, f, "the coefficient count must be N + 1 = 3, found 4"));
    EXPECT_TRUE(refused(roots("2 3 2 -3"), p, f, "holds 2 of the 3 numbers"));
    EXPECT_TRUE(refused(roots("2 3 2 -3 0"), p, f, "the leading coefficient a[N] is zero"));
    EXPECT_TRUE(refused(roots("2147483647 1"), p, f, "too large"));
    EXPECT_TRUE(refused(roots("2 3 1e4900 0 1e-4900"), p, f, "does not converge"));
}

}  // namespace
