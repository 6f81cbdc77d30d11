#include "polyroots.h"

#include <climits>
#include <complex>
#include <ostream>
#include <string>
#include <vector>

#include "cmat_zelkor"
#include "datafile.h"
#include "eigenvalue"

using namespace ZELKOR;
using std::endl;

Real pol(Vector<Real> a, Real x, Real y) {
    int n = a.size();
    std::complex<Real> z(x, y);
    std::complex<Real> w(a(n), 0);
    for (int k = n - 1; k >= 1; k--) {
        // w·z written out: no recovery of infinities or NaNs
        std::complex<Real> wz(z.real() * w.real() - z.imag() * w.imag(),
                              z.imag() * w.real() + z.real() * w.imag());
        w = wz + a(k);
    }
    return w.real();
}

int polyroots(std::istream& data, std::ostream& out, std::ostream& err) {
    int N;
    Vector<Real> a;
    std::string leftover;
    try {
        DataFile in(data, "polyroots", "datos6.dat");
        N = in.readInt("the degree N", 1, maxOrder);
        int count = in.readInt("the coefficient count", INT_MIN, INT_MAX);
        if (count != N + 1) {
            in.fail("the coefficient count must be N + 1 = " + std::to_string(N + 1) + ", found " +
                    std::to_string(count));
        }
        std::vector<Real> coefficients = in.readLongDoubles(count, "the N + 1 coefficients");
        if (coefficients[N] == 0) in.fail("the leading coefficient a[N] is zero");
        a = Vector<Real>(N + 1, 0);
        for (int k = 0; k <= N; k++) a[k] = coefficients[k];
        leftover = in.leftoverWarning();
    } catch (const InputError& e) {
        err << e.what() << endl;
        return 1;
    }

    // Companion matrix: its characteristic polynomial is p(x) / a[N].
    Matrix<Real> A(N, N, 0);
    Vector<Real> re(N, 0);
    Vector<Real> im(N, 0);
    for (int i = 0; i <= N - 2; i++) {
        A[0][i] = (-a[N - 1 - i]) / a[N];
        A[i + 1][i] = 1;
    }
    A[0][N - 1] = (-a[0]) / a[N];

    Eigenvalue<Real> E(A);
    if (!E.isConverged()) {
        err << "polyroots: datos6.dat: the eigenvalue iteration does not converge on the companion "
               "matrix (the coefficients' ratios overflow)"
            << endl;
        return 1;
    }
    if (!leftover.empty()) err << leftover << endl;
    E.getRealEigenvalues(re);
    E.getImagEigenvalues(im);

    out << N << endl;
    out << a << endl;
    out << "A = " << A << endl;
    out << "parte real raices=" << re << endl;
    out << "parte imaginaria raices=" << im << endl;
    for (int i = 0; i < N; i++) out << pol(a, re[i], im[i]) << endl;
    return 0;
}
