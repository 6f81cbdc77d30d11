// SPDX-License-Identifier: MIT
// What every binding of zelkor._core shares: the stack (k, m, n) of
// matrices as numpy's C-contiguous long double or clongdouble array (the
// scalar S: Real or Complex; numpy's clongdouble has the layout of
// std::complex<long double>), its copies in and
// out of the library's Matrix, the size the library can hold, Ctrl-C
// between the steps (Interrupt), the loop over a stack (eachMatrix), and
// LinAlgError, translated to numpy.linalg.LinAlgError by the module.
#ifndef ZELKOR_PYTHON_STACK_H
#define ZELKOR_PYTHON_STACK_H

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <chrono>
#include <climits>
#include <complex>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include <zelkor/cmat_zelkor>
#include <zelkor/eigenvalue>

namespace zelkor_python {

namespace py = pybind11;
using ZELKOR::Matrix;
using ZELKOR::Vector;
using Real = long double;
using Complex = std::complex<long double>;
template <class S>
using Array = py::array_t<S, py::array::c_style>;
using RealArray = Array<Real>;
using ComplexArray = Array<Complex>;

// A matrix numpy.linalg refuses, with numpy's text: numpy.linalg.LinAlgError.
struct LinAlgError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// A stack (k, m, n) of matrices: its sizes, checked.
struct Stack {
    py::ssize_t count, rows, cols;
};

// array_t<..., c_style> ensures the element type and the layout, not the
// alignment, which the loads of long double need (clongdouble's is the same).
inline Stack stackOf(const py::array& a, const char* name) {
    if (a.ndim() != 3) throw std::invalid_argument(std::string(name) + ": a stack of matrices (3 dimensions) expected");
    if (reinterpret_cast<std::uintptr_t>(a.data()) % alignof(Real) != 0)
        throw std::invalid_argument(std::string(name) + ": the array is not aligned");
    return {a.shape(0), a.shape(1), a.shape(2)};
}

inline Stack squareStack(const py::array& a, const char* name) {
    Stack s = stackOf(a, name);
    if (s.rows != s.cols) throw std::invalid_argument(std::string(name) + ": square matrices expected");
    return s;
}

template <class S>
Matrix<S> matrixAt(const S* data, py::ssize_t index, py::ssize_t rows, py::ssize_t cols) {
    Matrix<S> A((int)rows, (int)cols, S(0));
    const S* p = data + index * rows * cols;
    for (py::ssize_t i = 0; i < rows; i++)
        for (py::ssize_t j = 0; j < cols; j++) A[(int)i][(int)j] = p[i * cols + j];
    return A;
}

template <class S>
void store(const Matrix<S>& X, S* data, py::ssize_t index) {
    const py::ssize_t rows = X.num_rows(), cols = X.num_cols();
    S* p = data + index * rows * cols;
    for (py::ssize_t i = 0; i < rows; i++)
        for (py::ssize_t j = 0; j < cols; j++) p[i * cols + j] = X[(int)i][(int)j];
}

// A rows × cols matrix the library can hold (its element counts are int);
// otherwise MemoryError, as numpy's for an array it cannot allocate.
inline void checkSize(const char* name, py::ssize_t rows, py::ssize_t cols) {
    if (cols > 0 && rows > INT_MAX / cols) {
        PyErr_Format(PyExc_MemoryError, "%s: a %zd x %zd matrix has more elements than zelkor holds (2**31 - 1)",
                     name, rows, cols);
        throw py::error_already_set();
    }
}

// Asked with the GIL released: at most every 0.1 s it takes the GIL and
// runs the signal handlers (PyErr_CheckSignals).  Once a handler raised,
// its exception stays set on this thread and every later call answers
// true; raise() throws it with the GIL held again.
class Interrupt {
public:
    static bool asked(void* self) { return static_cast<Interrupt*>(self)->asked(); }
    bool asked() {
        if (raised_) return true;
        const auto now = std::chrono::steady_clock::now();
        if (now < next_) return false;
        next_ = now + std::chrono::milliseconds(100);
        py::gil_scoped_acquire gil;
        raised_ = PyErr_CheckSignals() != 0;
        return raised_;
    }
    ZELKOR::EigenObserver observer() { return ZELKOR::EigenObserver(nullptr, this, &Interrupt::asked); }
    void raise() const {
        if (raised_) throw py::error_already_set();
    }
    // With the GIL held, after the work: the signal's exception, else the
    // failure (numpy's text) if any.
    void finish(const char* failure) const {
        raise();
        if (failure) throw LinAlgError(failure);
    }

private:
    std::chrono::steady_clock::time_point next_ = std::chrono::steady_clock::now();
    bool raised_ = false;
};

// The options of an eigen-decomposition on a stack: the negligibility
// threshold (typeEpsilon: the type's epsilon, else 2^-52), with
// `bisection` the eigenvalues refined by bisection under typeEpsilon,
// eigenvectors or not, Ctrl-C asked through `interrupt`.
inline ZELKOR::EigenOptions eigenOptions(bool typeEpsilon, bool bisection, bool vectors, Interrupt& interrupt) {
    ZELKOR::EigenOptions options;
    options.negligibility = typeEpsilon ? ZELKOR::Negligibility::typeEpsilon : ZELKOR::Negligibility::double52;
    if (typeEpsilon && bisection) options.refinement = ZELKOR::Refinement::bisection;
    options.vectors = vectors;
    options.observer = interrupt.observer();
    return options;
}

// The eigenvectors' (count, n, n) array, or an empty one without vectors.
template <class S>
Array<S> vectorStack(bool vectors, py::ssize_t count, py::ssize_t n) {
    return Array<S>(vectors ? std::vector<py::ssize_t>{count, n, n} : std::vector<py::ssize_t>{0, 0, 0});
}

// compute(A, k, interrupt) for each matrix A (number k) of the stack a,
// stored as matrix k of a (count, rows, cols) array; a result of another
// shape (the empty result of a failed factorisation) stops the work and
// raises LinAlgError(failureText).  The result's scalar is a's.
template <class S, class Compute>
Array<S> eachMatrix(const Array<S>& a, const Stack& s, const Stack& shape, const char* failureText,
                    const Compute& compute) {
    Array<S> X({s.count, shape.rows, shape.cols});
    const S* in = a.data();
    S* out = X.mutable_data();
    const char* failure = nullptr;
    Interrupt interrupt;
    {
        py::gil_scoped_release release;
        for (py::ssize_t k = 0; k < s.count && !failure && !interrupt.asked(); k++) {
            const Matrix<S> x = compute(matrixAt(in, k, s.rows, s.cols), k, interrupt);
            if (x.num_rows() != shape.rows || x.num_cols() != shape.cols)
                failure = failureText;
            else
                store(x, out, k);
        }
    }
    interrupt.finish(failure);
    return X;
}

}  // namespace zelkor_python

#endif
