// SPDX-License-Identifier: MIT
// zelkor._core.svd: the library's singular value decomposition on a stack
// (k, m, n): the values (k, min(m, n)) and, with `vectors`, U and Vᵀ,
// thin or full.  Rotations that do not converge raise numpy's LinAlgError.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <zelkor/svd>

#include "_bindings.h"
#include "_stack.h"

namespace zelkor_python {

namespace {

py::tuple svd(const RealArray& a, bool vectors, bool full) {
    const Stack s = stackOf(a, "svd");
    checkSize("svd", s.rows, s.cols);
    checkSize("svd", s.rows, s.rows);
    checkSize("svd", s.cols, s.cols);
    const py::ssize_t m = s.rows, n = s.cols, k = m < n ? m : n;
    const py::ssize_t uc = vectors ? (full ? m : k) : 0, vr = vectors ? (full ? n : k) : 0;
    RealArray sv({s.count, k}), U({s.count, vectors ? m : 0, uc}), Vt({s.count, vr, vectors ? n : 0});
    const Real* in = a.data();
    Real* sOut = sv.mutable_data();
    Real* uOut = U.mutable_data();
    Real* vOut = Vt.mutable_data();
    const char* failure = nullptr;
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        for (py::ssize_t i = 0; i < s.count && !failure && !interrupt.asked(); i++) {
            const ZELKOR::SVD<Real> d(matrixAt(in, i, m, n), vectors, full);
            if (!d.converged()) failure = "SVD did not converge";
            const Vector<Real> sigma = d.getSingularValues();
            for (py::ssize_t j = 0; j < k; j++) sOut[i * k + j] = sigma[(int)j];
            if (vectors) {
                store(d.getU(), uOut, i);
                store(ZELKOR::transpose(d.getV()), vOut, i);
            }
        }
    }
    interrupt.finish(failure);
    return py::make_tuple(U, sv, Vt);
}

}  // namespace

void bindSvd(py::module_& m) { m.def("svd", &svd, py::arg("a").noconvert(), py::arg("vectors"), py::arg("full")); }

}  // namespace zelkor_python
