// SPDX-License-Identifier: MIT
// zelkor._core.eigh: the library's Hermitian eigen-decomposition on a stack
// of clongdouble matrices, for zelkor.linalg.eigh and eigvalsh, which make
// the lower triangle the one named by UPLO and check the entries.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <vector>

#include <zelkor/hermitian>

#include "_bindings.h"
#include "_stack.h"

namespace zelkor_python {

namespace {

// The eigenvalues (k, n), ascending, and with `vectors` the unitary
// eigenvector matrices (k, n, n; an empty array without), each matrix's
// lower triangle read.  `typeEpsilon`: the negligibility threshold (see
// EigenOptions), and with it the eigenvalues refined by bisection.
py::tuple eigh(const ComplexArray& a, bool vectors, bool typeEpsilon) {
    const Stack s = squareStack(a, "eigh");
    checkSize("eigh", s.rows, s.rows);
    const py::ssize_t n = s.rows;
    RealArray w({s.count, n});
    ComplexArray V = vectorStack<Complex>(vectors, s.count, n);
    const Complex* in = a.data();
    Real* wOut = w.mutable_data();
    Complex* vOut = V.mutable_data();
    const char* failure = nullptr;
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        const ZELKOR::EigenOptions options = eigenOptions(typeEpsilon, true, vectors, interrupt);
        for (py::ssize_t k = 0; k < s.count && !failure && !interrupt.asked(); k++) {
            const ZELKOR::HermitianEigen<Real> e(matrixAt(in, k, n, n), options);
            if (!e.converged()) {
                failure = "Eigenvalues did not converge";
                break;
            }
            const Vector<Real> values = e.getEigenvalues();
            for (py::ssize_t i = 0; i < n; i++) wOut[k * n + i] = values[(int)i];
            if (vectors) store(e.getV(), vOut, k);
        }
    }
    interrupt.finish(failure);
    return py::make_tuple(w, V);
}

}  // namespace

void bindHermitian(py::module_& m) {
    m.def("eigh", &eigh, py::arg("a").noconvert(), py::arg("vectors"), py::arg("type_epsilon"));
}

}  // namespace zelkor_python
