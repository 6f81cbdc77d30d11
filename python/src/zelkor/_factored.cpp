// SPDX-License-Identifier: MIT
// Factor once, solve many: solves with factors computed before (LU's
// F and permutation, Cholesky's L), a Cholesky factorisation that names
// its first non-positive pivot, and solves with a triangle.  Stacks as
// _stack.h reads them; the Python layer (_factored.py) holds scipy's
// conventions and checks the factors' diagonals first, so the failures
// here are a fallback.
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

Stack rightHandSides(const RealArray& b, const Stack& s, const char* name) {
    const Stack r = stackOf(b, name);
    if (r.count != s.count || r.rows != s.rows)
        throw std::invalid_argument(std::string(name) + ": the shapes of the factor and b differ");
    checkSize(name, s.rows, s.rows);
    checkSize(name, r.rows, r.cols);
    return r;
}

// X with A·X = B, or Aᵀ·X = B with `transposed`, A = Pᵀ·L·U from the factors
// F (L below the diagonal, U on and above) and perm (row i of P·A is row
// perm[i] of A).
RealArray luSolve(const RealArray& f, const py::array_t<std::int64_t, py::array::c_style>& perm, const RealArray& b,
                  bool transposed) {
    const Stack s = squareStack(f, "lu_solve");
    const Stack r = rightHandSides(b, s, "lu_solve");
    if (perm.ndim() != 2 || perm.shape(0) != s.count || perm.shape(1) != s.rows)
        throw std::invalid_argument("lu_solve: the permutation's shape is not the factor's");
    const Real* bin = b.data();
    const std::int64_t* p = perm.data();
    return eachMatrix(f, s, r, "Singular matrix", [&](Matrix<Real> F, py::ssize_t k, Interrupt&) {
        Vector<int> rows((int)s.rows, 0);
        for (py::ssize_t i = 0; i < s.rows; i++) {
            const std::int64_t v = p[k * s.rows + i];
            rows[(int)i] = v >= 0 && v < s.rows ? (int)v : -1;  // out of range: not a permutation
        }
        const ZELKOR::LU<Real> lu = ZELKOR::LU<Real>::fromFactors(std::move(F), rows);
        const Matrix<Real> B = matrixAt(bin, k, r.rows, r.cols);
        return transposed ? lu.solveTransposed(B) : lu.solve(B);  // empty when singular
    });
}

// X with L·Lᵀ·X = B, L the lower triangle of l.
RealArray choSolve(const RealArray& l, const RealArray& b) {
    const Stack s = squareStack(l, "cho_solve");
    const Stack r = rightHandSides(b, s, "cho_solve");
    const Real* bin = b.data();
    return eachMatrix(l, s, r, "Matrix is not positive definite",
                      [&](Matrix<Real> L, py::ssize_t k, Interrupt&) {
                          return ZELKOR::Cholesky<Real>::fromFactor(std::move(L)).solve(matrixAt(bin, k, r.rows, r.cols));
                      });
}

// L of A = L·Lᵀ for each matrix (zeros when not positive definite) and the
// first non-positive pivot's column (−1 when none).
py::tuple choFactor(const RealArray& a) {
    const Stack s = squareStack(a, "cho_factor");
    checkSize("cho_factor", s.rows, s.rows);
    RealArray L({s.count, s.rows, s.rows});
    py::array_t<std::int64_t> first(s.count);
    const Real* in = a.data();
    Real* out = L.mutable_data();
    std::int64_t* firstOut = first.mutable_data();
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        for (py::ssize_t k = 0; k < s.count && !interrupt.asked(); k++) {
            ZELKOR::Cholesky<Real> c(matrixAt(in, k, s.rows, s.rows));
            firstOut[k] = c.firstNonPositivePivot();
            store(c.isSPD() ? std::move(c).getL() : Matrix<Real>((int)s.rows, (int)s.rows, 0), out, k);
        }
    }
    interrupt.raise();
    return py::make_tuple(L, first);
}

// X with op(T)·X = B, T the lower or upper triangle of a.
RealArray solveTriangular(const RealArray& a, const RealArray& b, bool lower, bool transposed, bool unit) {
    const Stack s = squareStack(a, "solve_triangular");
    const Stack r = rightHandSides(b, s, "solve_triangular");
    const Real* bin = b.data();
    return eachMatrix(a, s, r, "singular matrix", [&](const Matrix<Real>& A, py::ssize_t k, Interrupt&) {
        return ZELKOR::solveTriangular(A, matrixAt(bin, k, r.rows, r.cols),
                                       lower ? ZELKOR::Triangle::lower : ZELKOR::Triangle::upper, transposed,
                                       unit ? ZELKOR::Diagonal::unit : ZELKOR::Diagonal::stored);
    });
}

}  // namespace

void bindFactored(py::module_& m) {
    m.def("lu_solve", &luSolve, py::arg("f").noconvert(), py::arg("perm").noconvert(), py::arg("b").noconvert(),
          py::arg("transposed"));
    m.def("cho_factor", &choFactor, py::arg("a").noconvert());
    m.def("cho_solve", &choSolve, py::arg("l").noconvert(), py::arg("b").noconvert());
    m.def("solve_triangular", &solveTriangular, py::arg("a").noconvert(), py::arg("b").noconvert(),
          py::arg("lower"), py::arg("transposed"), py::arg("unit"));
}

}  // namespace zelkor_python
