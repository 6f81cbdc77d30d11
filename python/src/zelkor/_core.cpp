// SPDX-License-Identifier: MIT
// zelkor._core: the library's LU and Cholesky factorisations and eigen-decomposition on
// stacks of long double matrices, and its polynomial roots, for the Python
// layer in linalg.py, which holds numpy.linalg's conventions.  The other
// topics' bindings are in their own files (_bindings.h lists them), the
// stack machinery they share in _stack.h.
//
// Every function takes C-contiguous long double arrays (lu, solve, inv,
// det and cholesky clongdouble ones too, bound under the same name) whose last two
// dimensions are those of the matrices and the first the stack (the Python
// layer converts and reshapes), checks their shapes by ordinary code
// (std::invalid_argument, a ValueError, otherwise), allocates its results
// while it holds the GIL and computes with the GIL released (a size the
// library cannot hold is a MemoryError, before any work).  A singular matrix
// or an iteration that does not converge ends the call with LinAlgError,
// raised as numpy.linalg.LinAlgError with numpy's text.
//
// Threads: the library's (<zelkor/threads>, its machine governor installed
// at import): set_num_threads is its setThreadCount, get_num_threads the
// team its large steps get now.
//
// Ctrl-C: the computations ask an Interrupt between their steps (the
// eigen-decompositions through EigenObserver::stop, LU through its stop,
// every function between the matrices of a stack); the signal's exception
// (KeyboardInterrupt) is raised once the GIL is held again, before any
// LinAlgError.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <exception>
#include <stdexcept>
#include <vector>

#include <zelkor/cholesky>
#include <zelkor/eigenvalue>
#include <zelkor/lu>
#include <zelkor/roots>
#include <zelkor/threads>

#include "_bindings.h"
#include "_stack.h"

using namespace zelkor_python;

namespace {

void setNumThreads(int n) {
    if (n < 0) throw std::invalid_argument("the number of threads must be at least 0");
    if (n > 1 && ZELKOR::forkedAfterTeam())
        throw std::runtime_error(
            "this process was forked after its parent used threads: it computes on one thread only");
    ZELKOR::setThreadCount(n);
}

int numThreads() { return ZELKOR::threadCountNow(); }

// P·A = L·U: the pivot rows (row i of P·A is row piv[i] of A), L and U.
template <class S>
py::tuple lu(const Array<S>& a) {
    const Stack s = squareStack(a, "lu");
    checkSize("lu", s.rows, s.rows);
    py::array_t<std::int64_t> piv({s.count, s.rows});
    Array<S> L({s.count, s.rows, s.rows}), U({s.count, s.rows, s.rows});
    const S* in = a.data();
    std::int64_t* pivOut = piv.mutable_data();
    S* lOut = L.mutable_data();
    S* uOut = U.mutable_data();
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        for (py::ssize_t k = 0; k < s.count && !interrupt.asked(); k++) {
            ZELKOR::LU<S> f(matrixAt(in, k, s.rows, s.rows), &Interrupt::asked, &interrupt);
            store(f.getL(), lOut, k);
            store(f.getU(), uOut, k);
            const Vector<int> p = f.getPivot();
            for (py::ssize_t i = 0; i < s.rows; i++) pivOut[k * s.rows + i] = p[(int)i];
        }
    }
    interrupt.raise();
    return py::make_tuple(piv, L, U);
}

// X with A·X = B for each pair of the stacks, B of shape (k, n, m).
template <class S>
Array<S> solve(const Array<S>& a, const Array<S>& b) {
    const Stack s = squareStack(a, "solve");
    const Stack r = stackOf(b, "solve");
    if (r.count != s.count || r.rows != s.rows) throw std::invalid_argument("solve: the shapes of a and b differ");
    checkSize("solve", s.rows, s.rows);
    checkSize("solve", r.rows, r.cols);
    const S* bin = b.data();
    return eachMatrix(a, s, r, "Singular matrix", [&](const Matrix<S>& A, py::ssize_t k, Interrupt& interrupt) {
        const ZELKOR::LU<S> f(A, &Interrupt::asked, &interrupt);
        return f.solve(matrixAt(bin, k, r.rows, r.cols));  // empty when f is singular
    });
}

template <class S>
Array<S> inv(const Array<S>& a) {
    const Stack s = squareStack(a, "inv");
    checkSize("inv", s.rows, s.rows);
    return eachMatrix(a, s, s, "Singular matrix", [](const Matrix<S>& A, py::ssize_t, Interrupt& interrupt) {
        return ZELKOR::LU<S>(A, &Interrupt::asked, &interrupt).inv();  // empty when singular
    });
}

// The determinant of each matrix (LU::det: 0 for a singular one, 1 for a
// 0 × 0 one).
template <class S>
Array<S> det(const Array<S>& a) {
    const Stack s = squareStack(a, "det");
    checkSize("det", s.rows, s.rows);
    Array<S> d(s.count);
    const S* in = a.data();
    S* out = d.mutable_data();
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        for (py::ssize_t k = 0; k < s.count && !interrupt.asked(); k++)
            out[k] = ZELKOR::LU<S>(matrixAt(in, k, s.rows, s.rows), &Interrupt::asked, &interrupt).det();
    }
    interrupt.raise();
    return d;
}

// A = L·Lᴴ: L for each matrix of the stack, its lower triangle read; a
// matrix that is not positive definite raises numpy's LinAlgError.
template <class S>
Array<S> cholesky(const Array<S>& a) {
    const Stack s = squareStack(a, "cholesky");
    checkSize("cholesky", s.rows, s.rows);
    return eachMatrix(a, s, s, "Matrix is not positive definite",
                      [](Matrix<S> A, py::ssize_t, Interrupt&) {
                          // Factored and returned in A's own storage; empty when not positive definite.
                          return ZELKOR::Cholesky<S>(std::move(A)).getL();
                      });
}

// Eigenvalues (real and imaginary parts) and, with `vectors`, the
// eigenvector matrices as Eigenvalue::getV gives them (a complex pair's
// real and imaginary parts in two columns; an empty array without).
// `typeEpsilon`: the negligibility threshold (see EigenOptions), and with
// it a symmetric matrix's eigenvalues refined by bisection.
py::tuple eig(const RealArray& a, bool vectors, bool typeEpsilon) {
    const Stack s = squareStack(a, "eig");
    checkSize("eig", s.rows, s.rows);
    const py::ssize_t n = s.rows;
    RealArray re({s.count, n}), im({s.count, n});
    RealArray V = vectorStack<Real>(vectors, s.count, n);
    const Real* in = a.data();
    Real* reOut = re.mutable_data();
    Real* imOut = im.mutable_data();
    Real* vOut = V.mutable_data();
    const char* failure = nullptr;
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        const ZELKOR::EigenOptions options = eigenOptions(typeEpsilon, true, vectors, interrupt);
        for (py::ssize_t k = 0; k < s.count && !failure && !interrupt.asked(); k++) {
            ZELKOR::Eigenvalue<Real> e(matrixAt(in, k, n, n), options);
            if (!e.isConverged()) {
                failure = "Eigenvalues did not converge";
                break;
            }
            Vector<Real> wr, wi;
            e.getRealEigenvalues(wr);
            e.getImagEigenvalues(wi);
            for (py::ssize_t i = 0; i < n; i++) {
                reOut[k * n + i] = wr[(int)i];
                imOut[k * n + i] = wi[(int)i];
            }
            if (!vectors) continue;
            Matrix<Real> W;
            e.getV(W);
            store(W, vOut, k);
        }
    }
    interrupt.finish(failure);
    return py::make_tuple(re, im, V);
}

// The roots of a[0] + a[1]·x + … + a[n]·xⁿ (a one-dimensional, lowest
// power first, a[n] ≠ 0) by ZELKOR::polynomialRoots: (re, im).
// `typeEpsilon`: the negligibility threshold (see EigenOptions).
py::tuple roots(const RealArray& a, bool typeEpsilon) {
    if (a.ndim() != 1) throw std::invalid_argument("roots: a vector of coefficients expected");
    if (reinterpret_cast<std::uintptr_t>(a.data()) % alignof(Real) != 0)
        throw std::invalid_argument("roots: the array is not aligned");
    const py::ssize_t count = a.shape(0);
    checkSize("roots", count - 1, count - 1);
    const py::ssize_t n = count > 1 ? count - 1 : 0;
    RealArray re(n), im(n);
    const Real* in = a.data();
    Real* reOut = re.mutable_data();
    Real* imOut = im.mutable_data();
    const char* failure = nullptr;
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        Vector<Real> c((int)count, 0);
        for (py::ssize_t i = 0; i < count; i++) c[(int)i] = in[i];
        ZELKOR::EigenOptions options;
        options.negligibility =
            typeEpsilon ? ZELKOR::Negligibility::typeEpsilon : ZELKOR::Negligibility::double52;
        options.observer = interrupt.observer();
        const ZELKOR::PolynomialRoots<Real> r = ZELKOR::polynomialRoots(c, options);
        if (!r.converged) failure = "Eigenvalues did not converge";
        for (py::ssize_t i = 0; !failure && i < n; i++) {
            reOut[i] = r.re[(int)i];
            imOut[i] = r.im[(int)i];
        }
    }
    interrupt.finish(failure);
    return py::make_tuple(re, im);
}

}  // namespace

PYBIND11_MODULE(_core, m) {
    ZELKOR::useMachineGovernor();
    m.doc() =
        "The zelkor library's LU factorisation and eigen-decomposition on stacks of long double matrices, "
        "and its polynomial roots.";
    // Each with long double and clongdouble stacks: the arrays' dtype picks.
    m.def("lu", &lu<Real>, py::arg("a").noconvert());
    m.def("lu", &lu<Complex>, py::arg("a").noconvert());
    m.def("solve", &solve<Real>, py::arg("a").noconvert(), py::arg("b").noconvert());
    m.def("solve", &solve<Complex>, py::arg("a").noconvert(), py::arg("b").noconvert());
    m.def("inv", &inv<Real>, py::arg("a").noconvert());
    m.def("inv", &inv<Complex>, py::arg("a").noconvert());
    m.def("det", &det<Real>, py::arg("a").noconvert());
    m.def("det", &det<Complex>, py::arg("a").noconvert());
    m.def("cholesky", &cholesky<Real>, py::arg("a").noconvert());
    m.def("cholesky", &cholesky<Complex>, py::arg("a").noconvert());
    m.def("eig", &eig, py::arg("a").noconvert(), py::arg("vectors"), py::arg("type_epsilon"));
    bindComplexEig(m);  // eig on clongdouble, after the real one
    m.def("roots", &roots, py::arg("a").noconvert(), py::arg("type_epsilon"));
    bindQR(m);
    bindSvd(m);
    bindFactored(m);
    bindProducts(m);
    bindHermitian(m);
    m.def("set_num_threads", &setNumThreads, py::arg("n"));
    m.def("get_num_threads", &numThreads);
    // LinAlgError as numpy's own type, the one users catch; the type lives as
    // long as the process.
    static PyObject* const linAlgError =
        py::object(py::module_::import("numpy.linalg").attr("LinAlgError")).release().ptr();
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) std::rethrow_exception(p);
        } catch (const LinAlgError& e) {
            PyErr_SetString(linAlgError, e.what());
        }
    });
    m.attr("__version__") = ZELKOR_VERSION;
#ifdef _OPENMP
    m.attr("openmp") = true;
#else
    m.attr("openmp") = false;
#endif
}
