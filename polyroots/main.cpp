// SPDX-License-Identifier: MIT
#include <iostream>

#include "shell/program_main.h"
#include "polyroots.h"
#include "shell/translate.h"

namespace {

const ProgramInfo info = {
    "polyroots",
    "datos6.dat",
    N_("Computes the roots of a real polynomial p(x) = a[0] + a[1]*x + ... + a[N]*x^N as the\n"
       "eigenvalues of its companion matrix, and the real part of p at each root."),
    N_("the degree N, then the count N + 1, then the N + 1 coefficients, constant term first"),
    N_("    2\n    3\n    2 -3 1          (x^2 - 3x + 2)"),
    "",
    "",
    N_("the roots in the complex plane with the unit circle"),
    21};

}  // namespace

int main(int argc, char** argv) {
    return programMain(argc, argv, info, [](std::istream& data, const Voice& voice, const Options& options) {
        return polyroots(data, std::cout, voice, options.svgFile, options.progress);
    });
}
