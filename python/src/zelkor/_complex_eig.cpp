// SPDX-License-Identifier: MIT
// zelkor._core.eig for complex matrices: the library's ComplexEigen on a
// stack of clongdouble matrices, under the name of the real eig (a
// clongdouble array takes this one), for zelkor.linalg's eig, eigvals and
// roots, which check the entries and normalise the vectors.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <vector>

#include <zelkor/complex_eigen>

#include "_bindings.h"
#include "_stack.h"

namespace zelkor_python {

namespace {

// The eigenvalues and, with `vectors`, the eigenvectors as
// ComplexEigen::getV gives them (an empty array without).  `typeEpsilon`:
// the negligibility threshold (see EigenOptions).
py::tuple complexEig(const ComplexArray& a, bool vectors, bool typeEpsilon) {
    const Stack s = squareStack(a, "eig");
    checkSize("eig", s.rows, s.rows);
    const py::ssize_t n = s.rows;
    ComplexArray w({s.count, n});
    ComplexArray V = vectorStack<Complex>(vectors, s.count, n);
    const Complex* in = a.data();
    Complex* wOut = w.mutable_data();
    Complex* vOut = V.mutable_data();
    const char* failure = nullptr;
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        const ZELKOR::EigenOptions options = eigenOptions(typeEpsilon, false, vectors, interrupt);
        for (py::ssize_t k = 0; k < s.count && !interrupt.asked(); k++) {
            const ZELKOR::ComplexEigen<Real> e(matrixAt(in, k, n, n), options);
            if (!e.isConverged()) {
                failure = "Eigenvalues did not converge";
                break;
            }
            const Vector<Complex> values = e.getEigenvalues();
            for (py::ssize_t i = 0; i < n; i++) wOut[k * n + i] = values[(int)i];
            if (vectors) store(e.getV(), vOut, k);
        }
    }
    interrupt.finish(failure);
    return py::make_tuple(w, V);
}

}  // namespace

void bindComplexEig(py::module_& m) {
    m.def("eig", &complexEig, py::arg("a").noconvert(), py::arg("vectors"), py::arg("type_epsilon"));
}

}  // namespace zelkor_python
