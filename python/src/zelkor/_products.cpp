// SPDX-License-Identifier: MIT
// The library's matrix product on stacks of long double or clongdouble
// matrices, for matrix_power and multi_dot (_products.py): on one thread some three times numpy's loops on long
// double, and on the library's threads above the threshold.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <stdexcept>

#include <zelkor/cmat_zelkor>

#include "_bindings.h"
#include "_stack.h"

namespace zelkor_python {
namespace {

// a[k]·b[k] for each k, a of shape (count, m, n), b (count, n, p).
template <class S>
Array<S> matmul(const Array<S>& a, const Array<S>& b) {
    const Stack s = stackOf(a, "matmul");
    const Stack r = stackOf(b, "matmul");
    if (r.count != s.count || r.rows != s.cols) throw std::invalid_argument("matmul: the shapes of a and b differ");
    checkSize("matmul", s.rows, s.cols);
    checkSize("matmul", r.rows, r.cols);
    checkSize("matmul", s.rows, r.cols);
    const S* bin = b.data();
    return eachMatrix(a, s, Stack{s.count, s.rows, r.cols}, "matmul failed",
                      [&](const Matrix<S>& A, py::ssize_t k, Interrupt&) {
                          return ZELKOR::matmult(A, matrixAt(bin, k, r.rows, r.cols));
                      });
}

}  // namespace

void bindProducts(py::module_& m) {
    m.def("matmul", &matmul<Real>, py::arg("a").noconvert(), py::arg("b").noconvert());
    m.def("matmul", &matmul<Complex>, py::arg("a").noconvert(), py::arg("b").noconvert());
}

}  // namespace zelkor_python
