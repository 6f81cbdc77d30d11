#include "polyroots.h"

#include <climits>
#include <complex>
#include <ostream>
#include <string>
#include <vector>

#include "cmat_zelkor"
#include "datafile.h"
#include "eigenvalue"
#include "progress.h"
#include "svg.h"

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

const ProgramInfo polyrootsInfo = {
    "polyroots",
    "datos6.dat",
    "Computes the roots of a real polynomial p(x) = a[0] + a[1]*x + ... + a[N]*x^N as the\n"
    "eigenvalues of its companion matrix, and the real part of p at each root.",
    "the degree N, then the count N + 1, then the N + 1 coefficients, constant term first",
    "    2\n    3\n    2 -3 1          (x^2 - 3x + 2)",
    "",
    "the roots in the complex plane with the unit circle"};

namespace {

// Degrees from which a run takes about a second or more (measured: degree
// 300 about 1.2 s at 2.1 GHz, nearly all of it in the eigen-decomposition).
constexpr int progressFrom = 300;

}  // namespace

int polyroots(std::istream& data, std::ostream& out, std::ostream& err, const Options& options) {
    const char* program = "polyroots";
    const std::string& file = options.dataFile;
    int N;
    Vector<Real> a;
    std::string leftover;
    try {
        DataFile in(data, program, file);
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
    if (checkChartPath(options.svgFile, program, err) != 0) return 1;

    // Companion matrix: its characteristic polynomial is p(x) / a[N].
    Matrix<Real> A(N, N, 0);
    Vector<Real> re(N, 0);
    Vector<Real> im(N, 0);
    for (int i = 0; i <= N - 2; i++) {
        A[0][i] = (-a[N - 1 - i]) / a[N];
        A[i + 1][i] = 1;
    }
    A[0][N - 1] = (-a[0]) / a[N];

    ProgressLine progress(program, N, options.progress && N >= progressFrom, err);
    progress.show("reduction");
    // The eigenvalues alone: the same bits as with the vectors, which the report does not show.
    Eigenvalue<Real> E(A, {Balancing::whenBadlyScaled, Negligibility::double52, false,
                           {&ProgressLine::eigenvaluesFound, &progress}});
    progress.erase();
    if (!E.isConverged()) {
        err << program << ": " << file
            << ": the eigenvalue iteration does not converge on the companion matrix (the coefficients' "
               "ratios overflow)"
            << endl;
        return 1;
    }
    if (!leftover.empty()) err << leftover << endl;
    if (E.isBalanced()) {
        err << program << ": " << file
            << ": the coefficients span many orders of magnitude; the companion matrix was balanced before "
               "the eigenvalue iteration"
            << endl;
    }
    E.getRealEigenvalues(re);
    E.getImagEigenvalues(im);

    out << N << endl;
    out << a << endl;
    out << "A = " << A << endl;
    out << "parte real raices=" << re << endl;
    out << "parte imaginaria raices=" << im << endl;
    for (int i = 0; i < N; i++) out << pol(a, re[i], im[i]) << endl;
    if (options.svgFile.empty()) return 0;
    std::vector<double> x(N), y(N);
    for (int i = 0; i < N; i++) {
        x[i] = static_cast<double>(re[i]);
        y[i] = static_cast<double>(im[i]);
    }
    return writeChart(complexPlaneChart("polyroots: roots of the polynomial in " + file, x, y, true),
                      options.svgFile, program, err);
}
