// SPDX-License-Identifier: MIT
// Factor once, solve many: solves with factors computed before (LU's
// F and permutation, Cholesky's L), a Cholesky factorisation that names
// its first non-positive pivot, and solves with a triangle.  Stacks as
// _stack.h reads them; the Python layer (_factored.py) holds scipy's
// conventions and checks the factors' diagonals first, so the failures
// here are a fallback.  Each function takes long double or clongdouble
// stacks (bound twice under one name).
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <cstdint>
#include <stdexcept>
#include <utility>

#include <zelkor/cholesky>
#include <zelkor/lu>
#include <zelkor/triangular>

#include "_bindings.h"
#include "_stack.h"

namespace zelkor_python {
namespace {

Stack rightHandSides(const py::array& b, const Stack& s, const char* name) {
    const Stack r = stackOf(b, name);
    if (r.count != s.count || r.rows != s.rows)
        throw std::invalid_argument(std::string(name) + ": the shapes of the factor and b differ");
    checkSize(name, s.rows, s.rows);
    checkSize(name, r.rows, r.cols);
    return r;
}

// X with op(A)·X = B, op(A) = A, Aᵀ or Aᴴ for trans = 0, 1, 2, A = Pᵀ·L·U
// from the factors F (L below the diagonal, U on and above) and perm (row
// i of P·A is row perm[i] of A).
template <class S>
Array<S> luSolve(const Array<S>& f, const py::array_t<std::int64_t, py::array::c_style>& perm, const Array<S>& b,
                 int trans) {
    const Stack s = squareStack(f, "lu_solve");
    const Stack r = rightHandSides(b, s, "lu_solve");
    if (perm.ndim() != 2 || perm.shape(0) != s.count || perm.shape(1) != s.rows)
        throw std::invalid_argument("lu_solve: the permutation's shape is not the factor's");
    const S* bin = b.data();
    const std::int64_t* p = perm.data();
    return eachMatrix(f, s, r, "Singular matrix", [&](Matrix<S> F, py::ssize_t k, Interrupt&) {
        Vector<int> rows((int)s.rows, 0);
        for (py::ssize_t i = 0; i < s.rows; i++) {
            const std::int64_t v = p[k * s.rows + i];
            rows[(int)i] = v >= 0 && v < s.rows ? (int)v : -1;  // out of range: not a permutation
        }
        const ZELKOR::LU<S> lu = ZELKOR::LU<S>::fromFactors(std::move(F), rows);
        const Matrix<S> B = matrixAt(bin, k, r.rows, r.cols);
        // Empty when singular.
        return trans == 0 ? lu.solve(B) : trans == 1 ? lu.solveTransposed(B) : lu.solveConjugateTransposed(B);
    });
}

// X with L·Lᴴ·X = B, L the lower triangle of l.
template <class S>
Array<S> choSolve(const Array<S>& l, const Array<S>& b) {
    const Stack s = squareStack(l, "cho_solve");
    const Stack r = rightHandSides(b, s, "cho_solve");
    const S* bin = b.data();
    return eachMatrix(l, s, r, "Matrix is not positive definite",
                      [&](Matrix<S> L, py::ssize_t k, Interrupt&) {
                          return ZELKOR::Cholesky<S>::fromFactor(std::move(L)).solve(matrixAt(bin, k, r.rows, r.cols));
                      });
}

// L of A = L·Lᴴ for each matrix (zeros when not positive definite) and the
// first non-positive pivot's column (−1 when none).
template <class S>
py::tuple choFactor(const Array<S>& a) {
    const Stack s = squareStack(a, "cho_factor");
    checkSize("cho_factor", s.rows, s.rows);
    Array<S> L({s.count, s.rows, s.rows});
    py::array_t<std::int64_t> first(s.count);
    const S* in = a.data();
    S* out = L.mutable_data();
    std::int64_t* firstOut = first.mutable_data();
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        for (py::ssize_t k = 0; k < s.count && !interrupt.asked(); k++) {
            ZELKOR::Cholesky<S> c(matrixAt(in, k, s.rows, s.rows));
            firstOut[k] = c.firstNonPositivePivot();
            store(c.isSPD() ? std::move(c).getL() : Matrix<S>((int)s.rows, (int)s.rows, S(0)), out, k);
        }
    }
    interrupt.raise();
    return py::make_tuple(L, first);
}

// X with op(T)·X = B, T the lower or upper triangle of a, op(T) = T, Tᵀ or
// Tᴴ for trans = 0, 1, 2.
template <class S>
Array<S> solveTriangular(const Array<S>& a, const Array<S>& b, bool lower, int trans, bool unit) {
    const Stack s = squareStack(a, "solve_triangular");
    const Stack r = rightHandSides(b, s, "solve_triangular");
    const S* bin = b.data();
    return eachMatrix(a, s, r, "singular matrix", [&](const Matrix<S>& A, py::ssize_t k, Interrupt&) {
        return ZELKOR::solveTriangular(A, matrixAt(bin, k, r.rows, r.cols),
                                       lower ? ZELKOR::Triangle::lower : ZELKOR::Triangle::upper, trans != 0,
                                       unit ? ZELKOR::Diagonal::unit : ZELKOR::Diagonal::stored, trans == 2);
    });
}

template <class S>
void bindScalar(py::module_& m) {
    m.def("lu_solve", &luSolve<S>, py::arg("f").noconvert(), py::arg("perm").noconvert(), py::arg("b").noconvert(),
          py::arg("trans"));
    m.def("cho_factor", &choFactor<S>, py::arg("a").noconvert());
    m.def("cho_solve", &choSolve<S>, py::arg("l").noconvert(), py::arg("b").noconvert());
    m.def("solve_triangular", &solveTriangular<S>, py::arg("a").noconvert(), py::arg("b").noconvert(),
          py::arg("lower"), py::arg("trans"), py::arg("unit"));
}

}  // namespace

void bindFactored(py::module_& m) {
    bindScalar<Real>(m);
    bindScalar<Complex>(m);
}

}  // namespace zelkor_python
