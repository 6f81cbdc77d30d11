#include "lu_spectrum.h"

#include <ostream>
#include <string>
#include <vector>

#include "cmat_zelkor"
#include "datafile.h"
#include "eigenvalue"
#include "lu"
#include "vec_zelkor"

using namespace ZELKOR;
using std::endl;

int luSpectrum(std::istream& data, std::ostream& out, std::ostream& err) {
    int N;
    std::vector<Real> values;
    std::string leftover;
    try {
        DataFile in(data, "lu_spectrum", "datos4.dat");
        N = in.readInt("the order N", 1, maxOrder);
        values = in.readLongDoubles(static_cast<std::size_t>(N) * N, "the N·N matrix");
        leftover = in.leftoverWarning();
    } catch (const InputError& e) {
        err << e.what() << endl;
        return 1;
    }
    Matrix<Real> A(N, N, 0);
    for (int i = 0; i < N; i++)
        for (int j = 0; j < N; j++) A[i][j] = values[static_cast<std::size_t>(i) * N + j];
    std::vector<Real>().swap(values);

    // Each stage keeps its matrices of order N only while it needs them: at
    // most five at once (A, the LU factors, L, U and L·U).
    Vector<Real> lambda;
    {
        Matrix<Real> D;
        Matrix<Real> V;
        {
            Eigenvalue<Real> E(A);
            if (!E.isConverged()) {
                err << "lu_spectrum: datos4.dat: the eigenvalue iteration does not converge on this "
                       "matrix (its arithmetic overflows)"
                    << endl;
                return 1;
            }
            if (!leftover.empty()) err << leftover << endl;
            E.getRealEigenvalues(lambda);
            E.getD(D);
            E.getV(V);
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
                err << "lu_spectrum: datos4.dat: the matrix is singular (no nonzero pivot in column " << j + 1
                    << "): the inverse and the solutions are empty" << endl;
                break;
            }
        }
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
    return 0;
}
