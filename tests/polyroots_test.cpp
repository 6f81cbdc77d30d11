// polyroots: a report written out by hand, and the roots of polynomials
// built from known roots.
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
TEST(PolyrootsReport, WorkedPolynomial) {
    ProgramRun r = roots("2 3 2 -3 1");
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
    using C = std::complex<Real>;
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
        std::ostringstream data, out, err;
        data.precision(21);
        data << n << " " << n + 1;
        for (const C& a : c) data << " " << a.real();
        std::istringstream in(data.str());
        ASSERT_EQ(polyroots(in, out, err), 0) << err.str();

        // A double root is ill-conditioned: its error grows like √eps.
        std::istringstream re(out.str().substr(out.str().find("real raices=") + 12)),
            im(out.str().substr(out.str().find("imaginaria raices=") + 18));
        std::vector<std::complex<double>> got(n + 1);  // got[0]: the count
        double x, y;
        for (auto& z : got) re >> x, im >> y, z = {x, y};
        std::vector<double> value(n);
        for (double& v : value) im >> v;
        for (const C& r : known) {
            auto dist = [&](int j) { return std::abs(got[j] - std::complex<double>(r)); };
            int k = 1;
            for (int j = 2; j <= n; ++j)
                if (dist(j) < dist(k)) k = j;
            double scale = 0;
            for (int j = 0; j <= n; ++j)
                scale += std::abs(double(c[j].real())) * std::pow(std::abs(got[k]), j);
            EXPECT_LT(dist(k), 1e-4) << data.str();
            EXPECT_LT(std::abs(value[k - 1]), 1e-4 * scale) << data.str();
        }
    }
    // Complex Horner on (x − 1)(x − 2)(x − 3), real part; successive calls on
    // one vector find it unchanged.
    ZELKOR::Vector<Real> a(4, 1);
    a[0] = -6, a[1] = 11, a[2] = -6;
    EXPECT_EQ(pol(a, 2, 0), 0);
    EXPECT_EQ(pol(a, 1, 1), 3);  // (−2 + 2i) − 12i + (11 + 11i) − 6 = 3 + i
}

}  // namespace
