// SPDX-License-Identifier: MIT
// polyroots: a report written out by hand, and the roots of polynomials
// built from known roots, among them Wilkinson's at 21 digits.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdlib>
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

// Wilkinson's polynomial ∏(x − k), k = 1 … 20, at --digits 21.  Its
// coefficients are integers below 2⁶⁴ (the largest 1.38·10¹⁹), exact in
// long double.  Bound: to first order, relative changes |δa_j| ≤ η·|a_j| of
// the coefficients move the root k by at most η·κ_k, with the condition
// number κ_k = Σ_j |a_j|·k^j / |p'(k)|; the signs of the a_j alternate, so
// Σ_j |a_j|·k^j = ∏_j (k + j) = (k + 20)!/k!, and |p'(k)| = (k − 1)!·(20 − k)!.
// The eigenvalue iteration on the companion matrix is backward stable: the
// roots are those of coefficients perturbed by a modest multiple of the unit
// roundoff u = 2⁻⁶⁴ (Edelman and Murakami, 1995), taken here as η = n·u with
// n = 20.  κ_k·u runs from 2.3e-17 at k = 1 (the bound: 15 digits right)
// to 4.1e-5 at k = 14 and 15; the errors measured are 0.2 to 8 times
// κ_k·u.  Every root printed has more than 6 significant digits (none is
// exact, and 6 would round the root near 1 to "1").
TEST(PolyrootsReport, WilkinsonAtTwentyOneDigits) {
    const int n = 20;
    std::vector<__int128> a{1};  // lowest degree first
    for (int k = 1; k <= n; ++k) {
        a.push_back(0);
        for (std::size_t j = a.size() - 1; j > 0; --j) a[j] = a[j - 1] - k * a[j];
        a[0] *= -k;
    }
    std::string data = "20 21";
    for (__int128 c : a) {
        std::string digits;
        for (unsigned __int128 m = c < 0 ? -c : c; m > 0 || digits.empty(); m /= 10)
            digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
        data += (c < 0 ? " -" : " ") + digits;
    }
    ProgramRun r = runProgram(POLYROOTS_BIN, {{"datos6.dat", data}}, {"--digits", "21"});
    ASSERT_EQ(r.status, 0) << r.err;
    // The coefficients are echoed exactly: 21 digits show all of them.
    EXPECT_EQ(r.out.rfind("20\n21\n" + data.substr(6) + " \n", 0), 0u) << r.out.substr(0, 500);

    auto parts = [&](const std::string& caption) {
        std::istringstream in(r.out.substr(r.out.find(caption) + caption.size()));
        int count = 0;
        in >> count;
        std::vector<std::string> texts(count);
        for (std::string& t : texts) in >> t;
        return texts;
    };
    const std::vector<std::string> re = parts("parte real raices="), im = parts("parte imaginaria raices=");
    ASSERT_TRUE(re.size() == 20u && im.size() == 20u) << r.out;
    const long double u = std::ldexp(1.0L, -64);
    for (int k = 1; k <= n; ++k) {
        auto distance = [&](std::size_t j) {
            return std::abs(std::complex<long double>(std::strtold(re[j].c_str(), nullptr) - k,
                                                      std::strtold(im[j].c_str(), nullptr)));
        };
        std::size_t nearest = 0;
        for (std::size_t j = 1; j < re.size(); ++j)
            if (distance(j) < distance(nearest)) nearest = j;
        long double kappa = 1;  // ∏_j (k + j) / ∏_{j ≠ k} |k − j|
        for (int j = 1; j <= n; ++j)
            kappa *= (k + j) / static_cast<long double>(j == k ? 1 : std::abs(k - j));
        EXPECT_LE(distance(nearest), n * u * kappa) << "root " << k << ": " << re[nearest];
        // The digits from the first nonzero one on.
        const std::string& t = re[nearest];
        const auto significant = std::count_if(t.begin() + std::min(t.size(), t.find_first_of("123456789")),
                                               t.end(), [](char c) { return c >= '0' && c <= '9'; });
        EXPECT_GT(significant, 6) << t;
    }
}

}  // namespace
