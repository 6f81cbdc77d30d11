// SPDX-License-Identifier: MIT
// zelkor._core.svd: the library's singular value decomposition on a stack
// (k, m, n) of long double or clongdouble matrices: the values
// (k, min(m, n)), long double, and, with `vectors`, U and Vᴴ, thin or
// full.  Rotations that do not converge raise numpy's LinAlgError.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <complex>

#include <zelkor/svd>

#include "_bindings.h"
#include "_stack.h"

namespace zelkor_python {

namespace {

// Vᵀ of a real V, Vᴴ of a complex one.
Matrix<Real> adjoint(const Matrix<Real>& V) { return ZELKOR::transpose(V); }

Matrix<Complex> adjoint(const Matrix<Complex>& V) {
    Matrix<Complex> X(V.num_cols(), V.num_rows(), Complex(0));
    for (int i = 0; i < V.num_rows(); i++)
        for (int j = 0; j < V.num_cols(); j++) X[j][i] = std::conj(V[i][j]);
    return X;
}

template <class S>
py::tuple svd(const Array<S>& a, bool vectors, bool full) {
    const Stack s = stackOf(a, "svd");
    checkSize("svd", s.rows, s.cols);
    checkSize("svd", s.rows, s.rows);
    checkSize("svd", s.cols, s.cols);
    const py::ssize_t m = s.rows, n = s.cols, k = m < n ? m : n;
    const py::ssize_t uc = vectors ? (full ? m : k) : 0, vr = vectors ? (full ? n : k) : 0;
    RealArray sv({s.count, k});
    Array<S> U({s.count, vectors ? m : 0, uc}), Vt({s.count, vr, vectors ? n : 0});
    const S* in = a.data();
    Real* sOut = sv.mutable_data();
    S* uOut = U.mutable_data();
    S* vOut = Vt.mutable_data();
    const char* failure = nullptr;
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        for (py::ssize_t i = 0; i < s.count && !failure && !interrupt.asked(); i++) {
            const ZELKOR::SVD<S> d(matrixAt(in, i, m, n), vectors, full);
            if (!d.converged()) failure = "SVD did not converge";
            const Vector<Real> sigma = d.getSingularValues();
            for (py::ssize_t j = 0; j < k; j++) sOut[i * k + j] = sigma[(int)j];
            if (vectors) {
                store(d.getU(), uOut, i);
                store(adjoint(d.getV()), vOut, i);
            }
        }
    }
    interrupt.finish(failure);
    return py::make_tuple(U, sv, Vt);
}

}  // namespace

void bindSvd(py::module_& m) {
    m.def("svd", &svd<Real>, py::arg("a").noconvert(), py::arg("vectors"), py::arg("full"));
    m.def("svd", &svd<Complex>, py::arg("a").noconvert(), py::arg("vectors"), py::arg("full"));
}

}  // namespace zelkor_python
