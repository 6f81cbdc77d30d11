// SPDX-License-Identifier: MIT
#include "lu_spectrum.h"

#include <cfloat>
#include <ostream>
#include <string>
#include <vector>

#include "cmat_zelkor"
#include "datafile.h"
#include "decompose.h"
#include "lu"
#include "svg.h"
#include "vec_zelkor"

using namespace ZELKOR;
using std::endl;

namespace {

// Orders from which a run shows its progress line: runs of about a second
// or more (the timing is in the notes of bench/run_programs).
constexpr int progressFrom = 250;

const DecompositionWords words = {
    "the eigenvalue iteration does not converge on this matrix (its arithmetic overflows)",
    "the rows and columns differ in scale by many orders of magnitude; the matrix was balanced before the "
    "eigenvalue iteration"};

// One note when A is singular to working precision though no pivot is
// exactly 0: the estimated reciprocal condition number below N·ε.
void singularToWorkingPrecision(const LU<Real>& lu, int N, const Voice& voice) {
    if (!lu.isNonsingular()) return;
    const Real rcond = lu.rcond();
    if (!(rcond < N * LDBL_EPSILON)) return;
    voice.aboutFile("the matrix is singular to working precision (reciprocal condition number about " +
                    twoDigits(rcond) + "): the determinant, the inverse and the solutions are not meaningful");
}

}  // namespace

int luSpectrum(std::istream& data, std::ostream& out, const Voice& voice, const std::string& svgFile,
               bool progress) {
    const std::string& file = voice.file();
    int N = 0;
    std::vector<Real> values;
    std::string leftover;
    auto read = [&](DataFile& in) {
        N = in.readInt("the order N", 1, maxOrder);
        values = in.readLongDoubles(static_cast<std::size_t>(N) * N, "the N·N matrix");
    };
    if (!readDataFile(data, voice, read, leftover)) return 1;
    Matrix<Real> A(N, N, 0);
    for (int i = 0; i < N; i++)
        for (int j = 0; j < N; j++) A[i][j] = values[static_cast<std::size_t>(i) * N + j];
    std::vector<Real>().swap(values);
    if (checkChartPath(svgFile, voice) != 0) return 1;

    // Each stage keeps its matrices of order N only while it needs them: at
    // most five at once (A, the LU factors, L, U and L·U).
    Vector<Real> lambda;
    Vector<Real> imagParts;  // for the picture only
    {
        Matrix<Real> D;
        Matrix<Real> V;
        {
            auto E = decompose(A, voice, progress && N >= progressFrom, leftover, words);
            if (!E) return 1;
            E->getRealEigenvalues(lambda);
            if (!svgFile.empty()) E->getImagEigenvalues(imagParts);
            E->getD(D);
            E->getV(V);
        }

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
        for (int j = 0; j < N; j++) {
            if (U[j][j] == 0) {
                voice.aboutFile("the matrix is singular (no nonzero pivot in column " +
                                std::to_string(j + 1) + "): the inverse and the solutions are empty");
                break;
            }
        }
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
    std::vector<double> re(N), im(N);
    for (int i = 0; i < N; i++) {
        re[i] = static_cast<double>(lambda[i]);
        im[i] = static_cast<double>(imagParts[i]);
    }
    return writeChart(
        complexPlaneChart(_("lu_spectrum: eigenvalues of %1"), file, re, im, PlanePoints::Eigenvalues, false),
        svgFile, voice);
}
