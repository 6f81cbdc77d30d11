// SPDX-License-Identifier: MIT
// zelkor._core.qr: the library's Householder QR on a stack of long double
// or clongdouble matrices, for zelkor.linalg.qr (_qr.py), which checks the
// mode and the entries.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <stdexcept>
#include <string>
#include <vector>

#include <zelkor/qr>

#include "_bindings.h"
#include "_stack.h"

namespace zelkor_python {

namespace {

// R (k × n) over `rows` rows, zero below k (numpy's complete R is m × n).
template <class S>
Matrix<S> padded(const Matrix<S>& R, int rows) {
    Matrix<S> X(rows, R.num_cols(), S(0));
    for (int i = 0; i < R.num_rows(); i++)
        for (int j = 0; j < R.num_cols(); j++) X[i][j] = R[i][j];
    return X;
}

// For each (m × n) matrix of the stack a, by mode: "reduced" (Q m × k, R
// k × n), "complete" (Q m × m, R m × n), "r" (R k × n, an empty second
// array), "raw" (the reflectors as an m × n array whose column c is
// QR::getHouseholder's row c, and τ, k entries).
template <class S>
py::tuple qr(const Array<S>& a, const std::string& mode) {
    const Stack s = stackOf(a, "qr");
    const bool complete = mode == "complete", raw = mode == "raw", rOnly = mode == "r";
    if (!complete && !raw && !rOnly && mode != "reduced") throw std::invalid_argument("qr: unknown mode " + mode);
    checkSize("qr", s.rows, s.cols);
    if (complete) checkSize("qr", s.rows, s.rows);
    const py::ssize_t m = s.rows, n = s.cols, k = m < n ? m : n;
    std::vector<py::ssize_t> first{s.count, m, n}, second{0};
    if (raw) second = {s.count, k};
    if (rOnly) first = {s.count, k, n};
    if (complete) {
        first = {s.count, m, m};
        second = {s.count, m, n};
    } else if (!raw && !rOnly) {
        first = {s.count, m, k};
        second = {s.count, k, n};
    }
    Array<S> X(first), Y(second);
    const S* in = a.data();
    S* x = X.mutable_data();
    S* y = Y.mutable_data();
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        for (py::ssize_t i = 0; i < s.count && !interrupt.asked(); i++) {
            const ZELKOR::QR<S> f(matrixAt(in, i, m, n));
            if (raw) {
                store(ZELKOR::transpose(f.getHouseholder()), x, i);
                const std::vector<S> tau = f.getTau();
                for (py::ssize_t j = 0; j < k; j++) y[i * k + j] = tau[(size_t)j];
            } else if (rOnly) {
                store(f.getR(), x, i);
            } else {
                store(f.getQ(complete), x, i);
                store(complete ? padded(f.getR(), (int)m) : f.getR(), y, i);
            }
        }
    }
    interrupt.raise();
    return py::make_tuple(X, Y);
}

}  // namespace

void bindQR(py::module_& m) {
    m.def("qr", &qr<Real>, py::arg("a").noconvert(), py::arg("mode"));
    m.def("qr", &qr<Complex>, py::arg("a").noconvert(), py::arg("mode"));
}

}  // namespace zelkor_python
