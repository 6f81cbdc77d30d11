// SPDX-License-Identifier: MIT
#include <iostream>

#include "shell/program_main.h"
#include "lu_spectrum.h"
#include "shell/translate.h"

namespace {

const ProgramInfo info = {
    "lu_spectrum",
    "datos4.dat",
    N_("Computes the eigenvalues, eigenvectors and eigenvector residuals of a square matrix A,\n"
       "then its LU factors, determinant, inverse, the solution X of A*X = I and the solution\n"
       "of A*x = (the eigenvalues' real parts), each with a product that checks it."),
    N_("the order N, then N·N numbers row by row"),
    N_("    2\n    4 1\n    2 3"),
    "",
    "",
    N_("the eigenvalues in the complex plane"),
    21};

}  // namespace

int main(int argc, char** argv) {
    return programMain(argc, argv, info, [](std::istream& data, const Voice& voice, const Options& options) {
        return luSpectrum(data, std::cout, voice, options.svgFile, options.progress);
    });
}
