// SPDX-License-Identifier: MIT
#include "lu_spectrum.h"

#include <cfloat>
#include <ostream>
#include <string>
#include <vector>

#include <zelkor/cmat_zelkor>
#include "input/datafile.h"
#include "eigen/decompose.h"
#include <zelkor/lu>
#include "eigen/complex_plane.h"
#include "shell/output_file.h"
#include "shell/translate.h"
#include <zelkor/vec_zelkor>

using namespace ZELKOR;
using std::endl;

namespace {

// Orders from which a run shows its progress line: runs of about a second
// or more (the timing is in docs/benchmarks.md).
constexpr int progressFrom = 250;

// What is said of the decomposition, in the user's language (looked up
// once the run has started, after startTranslation).
DecompositionWords decompositionWords() {
    return {
        _("the eigenvalue iteration does not converge on this matrix (its arithmetic overflows)"),
        _("the rows and columns differ in scale by many orders of magnitude; the matrix was balanced before "
          "the eigenvalue iteration")};
}

// One note when A is singular to working precision though no pivot is
// exactly 0: the estimated reciprocal condition number below N·ε.
void singularToWorkingPrecision(const LU<Real>& lu, int N, const Voice& voice) {
    if (!lu.isNonsingular()) return;
    const Real rcond = lu.rcond();
    if (!(rcond < N * LDBL_EPSILON)) return;
    voice.aboutFile(
        fill(_("the matrix is singular to working precision (reciprocal condition number about %1): "
               "the determinant, the inverse and the solutions are not meaningful"),
             {twoDigits(rcond)}));
}

// One note when A has complex eigenvalues: the report lists a pair a ± b·i
// by its real part a twice, so that it reads like a double real eigenvalue.
// Each pair has one positive imaginary part (then its negative).
void complexPairs(const Vector<Real>& imagParts, const Voice& voice) {
    unsigned long pairs = 0;
    for (int i = 0; i < imagParts.dim(); i++)
        if (imagParts[i] > 0) ++pairs;
    if (pairs == 0) return;
    voice.aboutFile(
        fill(trn("%1 complex-conjugate pair of eigenvalues a ± b·i: \"valores propios\" shows its "
                 "real part a twice, \"Matriz Diagonal\" its 2x2 block (a, b; -b, a), and its two "
                 "residuals under \"A*v-lambda*V\" use a only",
                 "%1 complex-conjugate pairs of eigenvalues a ± b·i: \"valores propios\" shows "
                 "each real part a twice, \"Matriz Diagonal\" their 2x2 blocks (a, b; -b, a), and "
                 "their residuals under \"A*v-lambda*V\" use a only",
                 pairs),
             {std::to_string(pairs)}));
}

}  // namespace

int luSpectrum(std::istream& data, std::ostream& out, const Voice& voice, const std::string& svgFile,
               bool progress) {
    const std::string& file = voice.file();
    int N = 0;
    std::vector<Real> values;
    std::string leftover;
    try {
        DataFile in(data, voice);
        N = in.readInt(_("the order N"), 1, maxOrder);
        values = in.readLongDoubles(static_cast<std::size_t>(N) * N, _("the N·N matrix"));
        leftover = in.leftoverWarning();
    } catch (const InputError& e) {
        voice.line(e.what());
        return 1;
    }
    Matrix<Real> A(N, N, 0);
    for (int i = 0; i < N; i++)
        for (int j = 0; j < N; j++) A[i][j] = values[static_cast<std::size_t>(i) * N + j];
    std::vector<Real>().swap(values);
    if (checkWritable(svgFile, voice) != 0) return 1;

    // Each stage keeps its matrices of order N only while it needs them: at
    // most five at once (A, the LU factors, L, U and L·U).
    Vector<Real> lambda;
    Vector<Real> imagParts;  // for the note on complex pairs and the picture
    {
        Matrix<Real> D;
        Matrix<Real> V;
        {
            auto E = decompose(A, voice, progress && N >= progressFrom, leftover, decompositionWords());
            if (!E) return 1;
            E->getRealEigenvalues(lambda);
            E->getImagEigenvalues(imagParts);
            E->getD(D);
            E->getV(V);
        }
        complexPairs(imagParts, voice);

        for (int i = 0; i < N; i++) {
            out << endl;
            for (int j = 0; j < N; j++) out << A[i][j] << "   ";
        }
        out << endl;

        out << " valores propios = " << lambda << endl;
        out << "Matriz Diagonal= " << D << endl;
        out << " Vectores propios = " << V << endl;
        out << "A*v-lambda*V" << endl;
        for (int i = 0; i < N; i++) {
            Vector<Real> c = column(V, i);
            Vector<Real> t = lambda[i] * c;
            Vector<Real> w = A * c;
            out << w - t << endl;
        }
    }

    LU<Real> lu(A);
    {
        Matrix<Real> L = lu.getL();
        out << L << endl;
        Matrix<Real> U = lu.getU();
        out << U << endl;
        if (lu.firstZeroPivot() >= 0)
            voice.aboutFile(fill(_("the matrix is singular (no nonzero pivot in column %1): the inverse and "
                                   "the solutions are empty"),
                                 {std::to_string(lu.firstZeroPivot() + 1)}));
        singularToWorkingPrecision(lu, N, voice);
        out << "det=" << lu.det() << endl;
        out << "L*U= " << L * U << endl;
    }
    {
        Matrix<Real> Ainv = lu.inv();
        out << "inversa = " << Ainv << endl;
        // A singular matrix has an empty inverse: A·Ainv has N empty rows.
        Matrix<Real> AAinv = Ainv.num_rows() == N ? A * Ainv : Matrix<Real>(N, 0, 0);
        out << "D*ID=" << AAinv << endl;
    }
    {
        Matrix<Real> I(N, N, 0);
        for (int k = 1; k <= N; k++) I(k, k) = 1;
        I = lu.solve(I);
        out << "XX= " << I << endl;
    }

    Vector<Real> bb = lu.solve(lambda);
    out << " bb= " << bb << endl;
    // A singular matrix has no solution bb; its product prints empty.
    Vector<Real> Abb = bb.dim() == N ? A * bb : Vector<Real>();
    out << "D*bb= " << Abb << endl;
    if (svgFile.empty()) return 0;
    return drawComplexPlane(_("lu_spectrum: eigenvalues of %1"), file, lambda, imagParts, PlanePoints::Eigenvalues,
                            false, svgFile, voice);
}
