// SPDX-License-Identifier: MIT
// polyroots: a report written out by hand, and the roots of polynomials
// built from known roots.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"

namespace {

// x² − 3x + 2: companion rows (3, −2), (1, 0); roots 2 then 1, values 0.
TEST(PolyrootsReport, WorkedPolynomial) {
    ProgramRun r = runProgram(POLYROOTS_BIN, {{"datos6.dat", "2 3 2 -3 1"}});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out,
              "2\n3\n2 -3 1 \n\n"
              "A = 2 2\n3 -2 \n1 0 \n\n"
              "parte real raices=2\n2 1 \n\n"
              "parte imaginaria raices=2\n0 0 \n\n"
              "0\n0\n");
}

// Polynomials 2·∏(x − r_k) of degree 2 to 12: every known root has a
// printed root near it, and Re p(root) is small against Σ|a_k|·|root|^k.
TEST(PolyrootsProperties, KnownRootsAreFound) {
    using C = std::complex<long double>;
    const std::vector<std::vector<C>> cases = {
        {C(1), C(-1)},        // the companion (−0, 1; 1, 0) is symmetric
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
        std::ostringstream data;
        data.precision(21);
        data << n << " " << n + 1;
        for (const C& a : c) data << " " << a.real();
        ProgramRun run = runProgram(POLYROOTS_BIN, {{"datos6.dat", data.str()}});
        ASSERT_EQ(run.status, 0) << run.err;

        // A double root is ill-conditioned: its error grows like √eps.
        const std::string& report = run.out;
        std::vector<double> re = numbers(report, "real raices="), im = numbers(report, "imaginaria raices="),
                            value = numbers(report.substr(report.find("imaginaria")), "\n\n");
        ASSERT_TRUE(re.size() == n + 1u && im.size() == n + 1u && value.size() == n + 0u) << report;
        for (const C& r : known) {
            auto dist = [&](int j) {
                return std::abs(std::complex<double>(re[j], im[j]) - std::complex<double>(r));
            };
            int k = 1;  // after the count
            for (int j = 2; j <= n; ++j)
                if (dist(j) < dist(k)) k = j;
            double scale = 0;
            for (int j = 0; j <= n; ++j)
                scale += std::abs(double(c[j].real())) * std::pow(std::hypot(re[k], im[k]), j);
            EXPECT_LT(dist(k), 1e-4) << data.str();
            EXPECT_LT(std::abs(value[k - 1]), 1e-4 * scale) << data.str();
        }
    }
}

}  // namespace
