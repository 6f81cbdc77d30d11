// SPDX-License-Identifier: MIT
#include <iostream>

#include "shell/program_main.h"
#include "pivot_gauss.h"
#include "shell/translate.h"

namespace {

const ProgramInfo info = {
    "pivot_gauss",
    "gausslu.dat",
    N_("Solves the linear system A*x = b by Gaussian elimination with partial pivoting and back\n"
       "substitution, and prints the data, the reduced system, the multipliers and the solution."),
    N_("the order n, then n·n numbers row by row, then the n right-hand-side values"),
    N_("    2\n    2 1   1 3\n    3 5             (2x + y = 3, x + 3y = 5)"),
    "",
    "",
    N_("the largest magnitude in the active submatrix after each step (log scale)"),
    17};

}  // namespace

int main(int argc, char** argv) {
    return programMain(argc, argv, info, [](std::istream& data, const Voice& voice, const Options& options) {
        return pivotGauss(data, std::cout, voice, options.svgFile);
    });
}
