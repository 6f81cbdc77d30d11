// SPDX-License-Identifier: MIT
#include <iostream>

#include "command_line.h"
#include "jacobi_rot.h"
#include "translate.h"

namespace {

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
    true};

}  // namespace

int main(int argc, char** argv) {
    return programMain(argc, argv, info, [](std::istream& data, const Voice& voice, const Options& options) {
        return jacobiRot(data, info.written, std::cout, voice, options.svgFile, options.maxRotations);
    });
}
