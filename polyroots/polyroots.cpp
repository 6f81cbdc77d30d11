// SPDX-License-Identifier: MIT
#include "polyroots.h"

#include <climits>
#include <complex>
#include <ostream>
#include <string>
#include <vector>

#include <zelkor/cmat_zelkor>
#include "input/datafile.h"
#include "eigen/decompose.h"
#include <zelkor/roots>
#include "eigen/complex_plane.h"
#include "shell/output_file.h"
#include "shell/translate.h"

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

namespace {

// Degrees from which a run shows its progress line: runs of about a second
// or more (the timing is in docs/benchmarks.md).
constexpr int progressFrom = 300;

// What is said of the decomposition, in the user's language (looked up
// once the run has started, after startTranslation).
DecompositionWords decompositionWords() {
    return {_("the eigenvalue iteration does not converge on the companion matrix (the coefficients' ratios "
              "overflow)"),
            _("the coefficients span many orders of magnitude; the companion matrix was balanced before the "
              "eigenvalue iteration")};
}

}  // namespace

int polyroots(std::istream& data, std::ostream& out, const Voice& voice, const std::string& svgFile,
              bool progress) {
    const std::string& file = voice.file();
    int N = 0;
    Vector<Real> a;
    std::string leftover;
    const DecompositionWords words = decompositionWords();
    try {
        DataFile in(data, voice);
        N = in.readInt(_("the degree N"), 1, maxOrder);
        int count = in.readInt(_("the coefficient count"), INT_MIN, INT_MAX);
        if (count != N + 1) {
            in.fail(fill(_("the coefficient count must be N + 1 = %1, found %2"),
                         {std::to_string(N + 1), std::to_string(count)}));
        }
        std::vector<Real> coefficients = in.readLongDoubles(count, _("the N + 1 coefficients"));
        if (coefficients[N] == 0) in.fail(_("the leading coefficient a[N] is zero"));
        a = Vector<Real>(N + 1, 0);
        for (int k = 0; k <= N; k++) a[k] = coefficients[k];
        leftover = in.leftoverWarning();
    } catch (const InputError& e) {
        voice.line(e.what());
        return 1;
    }
    if (checkWritable(svgFile, voice) != 0) return 1;

    // The roots as the eigenvalues alone of the companion matrix, balanced
    // when it is badly scaled or when the roots' backward error asks for it
    // (see templates/roots).
    PolynomialRoots<Real> roots;
    {
        DecompositionProgress shown(N, PlanePoints::Roots, voice, progress && N >= progressFrom);
        EigenOptions options;
        options.observer = shown.observer();
        roots = polynomialRoots(a, options);
    }
    std::string note;
    if (roots.retried)
        note = fill(_("the roots had a large backward error (about %1) without balancing, so the companion "
                      "matrix was balanced before the eigenvalue iteration, which lowered it to about %2"),
                    {twoDigits(roots.firstBackwardError), twoDigits(roots.backwardError)});
    else if (roots.balanced)
        note = words.balanced;
    if (!decompositionSaid(roots.converged != 0, voice, leftover, words.diverged, note)) return 1;
    const Vector<Real>& re = roots.re;
    const Vector<Real>& im = roots.im;

    out << N << endl;
    out << a << endl;
    out << "A = " << companionMatrix(a) << endl;
    out << "parte real raices=" << re << endl;
    out << "parte imaginaria raices=" << im << endl;
    for (int i = 0; i < N; i++) out << pol(a, re[i], im[i]) << endl;
    if (svgFile.empty()) return 0;
    return drawComplexPlane(_("polyroots: roots of the polynomial in %1"), file, re, im, PlanePoints::Roots, true,
                            svgFile, voice);
}
