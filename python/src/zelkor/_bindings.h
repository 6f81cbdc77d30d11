// SPDX-License-Identifier: MIT
// The bindings of zelkor._core beyond _core.cpp's own: each topic's file
// (src/zelkor/<topic>.cpp) defines bind<Topic>(m), which adds its
// functions to the module; _core.cpp calls each once.
#ifndef ZELKOR_PYTHON_BINDINGS_H
#define ZELKOR_PYTHON_BINDINGS_H

#include <pybind11/pybind11.h>

namespace zelkor_python {

void bindQR(pybind11::module_& m);  // _qr.cpp
void bindSvd(pybind11::module_& m);  // _svd.cpp
void bindFactored(pybind11::module_& m);  // _factored.cpp: solves with factors made before
void bindProducts(pybind11::module_& m);  // _products.cpp: the matrix product
void bindHermitian(pybind11::module_& m);  // _hermitian.cpp: the Hermitian eigen-decomposition
void bindComplexEig(pybind11::module_& m);  // _complex_eig.cpp: eig of complex matrices

}  // namespace zelkor_python

#endif
