// SPDX-License-Identifier: MIT
// polyroots: a report written out by hand, the roots of polynomials built
// from known roots (among them Wilkinson's at 21 digits), and the
// backward-error retry of ZELKOR::polynomialRoots (templates/roots) with the
// program's note about it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "program_run.h"
#include <zelkor/roots>

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
            EXPECT_LE(std::abs(value[k - 1]), 1e-4 * scale) << data.str();
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
    std::vector<long double> a{1};  // lowest degree first; every partial sum exact below 2⁶⁴
    for (int k = 1; k <= n; ++k) {
        a.push_back(0);
        for (std::size_t j = a.size() - 1; j > 0; --j) a[j] = a[j - 1] - k * a[j];
        a[0] *= -k;
    }
    std::string data = "20 21";
    char digits[32];
    for (long double c : a) data += (std::snprintf(digits, sizeof digits, " %.0Lf", c), digits);
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

// ∏(2^k·x − 1), k = 1 … 10, lowest power first: 2⁵⁵·∏(x − 2⁻ᵏ) in exact
// integers (below 2⁵⁷), whose roots are 2⁻¹ … 2⁻¹⁰.  Its companion matrix
// shrinks only 4-fold by balancing, so the badly-scaled test lets it be.
std::vector<std::int64_t> geometric() {
    std::vector<std::int64_t> b{1};
    for (int k = 1; k <= 10; k++) {
        b.push_back(0);
        for (std::size_t j = b.size() - 1; j > 0; --j) b[j] = (std::int64_t(1) << k) * b[j - 1] - b[j];
        b[0] = -b[0];
    }
    return b;
}

// A course-style polynomial keeps its unbalanced roots, bit for bit; so
// does one with a zero root, whose computed stand-in (η about 1) is not
// counted.
TEST(PolynomialRoots, OrdinaryPolynomialsKeepTheirRoots) {
    using ZELKOR::Real;
    const std::vector<std::vector<Real>> cases = {
        {-3.125L, 7.402L, -0.218L, 4.5L, -9.003L, 1.25L},
        {0, -0.8L, -8, -8, 0.403L, 7, 6.6L, -8.32L},
    };
    for (const std::vector<Real>& c : cases) {
        ZELKOR::Vector<Real> a(static_cast<int>(c.size()), 0), re, im;
        for (int i = 0; i < a.size(); i++) a[i] = c[i];
        const ZELKOR::PolynomialRoots<Real> r = ZELKOR::polynomialRoots(a);
        const ZELKOR::Eigenvalue<Real> E(ZELKOR::companionMatrix(a));
        E.getRealEigenvalues(re);
        E.getImagEigenvalues(im);
        EXPECT_TRUE(r.converged == 1 && r.retried == 0 && r.balanced == 0);
        EXPECT_LT(r.backwardError, std::ldexp(1.0L, -40));
        ASSERT_EQ(r.re.size(), re.size());
        for (int i = 0; i < re.size(); i++) EXPECT_TRUE(r.re[i] == re[i] && r.im[i] == im[i]) << i;
    }
}

// p = (x − 1)(x + 2)(x² − x + 3) = x⁴ + 5x − 6: 2¹⁶³⁸¹·p has p's roots and η
// bit for bit (η's sums overflow unless scaled); 2²ᵏ·p(x/2ᵏ), all its
// coefficients normal, 2ᵏ times p's roots: its companion matrix is beyond the
// safe range from |k| ≈ 2000 on, its ratios beyond T's from |k| ≈ 4100 on.
TEST(PolynomialRoots, WholeExponentRange) {
    using ZELKOR::Real;
    ZELKOR::Vector<Real> a{-6, 5, 0, 0, 1}, b = a;
    const ZELKOR::PolynomialRoots<Real> r = ZELKOR::polynomialRoots(a);
    for (int k = -8150; k <= 8150; k += 50) {
        for (int i = 0; i < 5; i++) b[i] = std::ldexp(a[i], k == 0 ? 16381 : k * (2 - i));  // k = 0: 2¹⁶³⁸¹·p
        const ZELKOR::PolynomialRoots<Real> s = ZELKOR::polynomialRoots(b);
        EXPECT_TRUE(s.converged && (k ? s.backwardError < 1e-16L : s.backwardError == r.backwardError)) << k;
        for (int i = 0; i < 4; i++) {
            const std::complex<Real> d(std::ldexp(s.re[i], -k) - r.re[i], std::ldexp(s.im[i], -k) - r.im[i]);
            EXPECT_LE(std::abs(d), k ? 1e-15L : 0) << k;
        }
    }
}

// The geometric polynomial: unbalanced, its small roots come out 0.5 %
// wrong; the backward-error retry balances the companion matrix, says so
// in one note with both errors, and each printed root is the exact one to
// 6 digits.
TEST(PolyrootsReport, GeometricRootsAndTheNote) {
    std::ostringstream data;
    data << "10\n11\n";
    for (std::int64_t c : geometric()) data << c << " ";
    ProgramRun run = runProgram(POLYROOTS_BIN, {{"datos6.dat", data.str()}});
    ASSERT_EQ(run.status, 0) << run.err;

    const std::string opening = "polyroots: datos6.dat: the roots had a large backward error (about ";
    const std::string middle =
        ") without balancing, so the companion matrix was balanced before the eigenvalue iteration, which "
        "lowered it to about ";
    const std::size_t at = run.err.find(middle);
    ASSERT_TRUE(run.err.rfind(opening, 0) == 0 && at != std::string::npos && lineCount(run.err) == 1)
        << run.err;
    EXPECT_GT(std::stod(run.err.substr(opening.size())), std::ldexp(1.0, -40));
    EXPECT_LT(std::stod(run.err.substr(at + middle.size())), 1e-15);

    std::vector<double> roots = numbers(run.out, "parte real raices=");
    ASSERT_EQ(roots.size(), 11u) << run.out;
    std::sort(roots.begin() + 1, roots.end(), std::greater<double>());
    for (int k = 1; k <= 10; k++)  // 6 significant digits: within half a unit of the sixth
        EXPECT_NEAR(roots[k], std::ldexp(1.0, -k), 5e-6 * std::ldexp(1.0, -k)) << "2^-" << k;
    EXPECT_NE(run.out.find("parte imaginaria raices=10\n0 0 0 0 0 0 0 0 0 0 \n"), std::string::npos)
        << run.out;
}

}  // namespace
