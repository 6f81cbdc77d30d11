// SPDX-License-Identifier: MIT
#include <iostream>

#include "shell/program_main.h"
#include "jacobi_rot.h"
#include "shell/translate.h"

namespace {

// --max-rotations N: the limit on the rotations.
const NumberOption maxRotations = {
    "max-rotations",
    N_("  --max-rotations N\n"
       "               stop after at most N rotations, %1 to %2 (default %3)"),
    1,
    1000000,
    100};

const ProgramInfo info = {
    "jacobi_rot",
    "jacobi.dat",
    N_("Computes the eigenvalues and eigenvectors of a symmetric matrix by Jacobi rotations\n"
       "(each annihilates the largest off-diagonal entry), with a trace of every rotation."),
    N_("the order n (at least 2), then n·n numbers row by row"),
    N_("    2\n    2 1\n    1 2"),
    N_("Writes the eigenvalues and eigenvectors to res.dat in the current folder (created or emptied)."),
    "res.dat",
    N_("the off-diagonal sum of squares after each rotation (log scale)"),
    17,
    &maxRotations,
    N_("Exit status: 0 report written (without convergence too, with a note), 1 bad data\n"
       "or a file that cannot be written, 2 wrong command line.")};

}  // namespace

int main(int argc, char** argv) {
    return programMain(argc, argv, info, [](std::istream& data, const Voice& voice, const Options& options) {
        return jacobiRot(data, info.written, std::cout, voice, options.svgFile, options.own);
    });
}
