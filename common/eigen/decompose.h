// SPDX-License-Identifier: MIT
// The eigen-decomposition step of lu_spectrum and polyroots: the
// decomposition of their matrix with a progress line and what is said of
// it on standard error; the picture of its eigenvalues is in
// eigen/complex_plane.h.
#ifndef ZELKOR_DECOMPOSE_H
#define ZELKOR_DECOMPOSE_H

#include <functional>
#include <memory>
#include <string>

#include <zelkor/cmat_zelkor>
#include <zelkor/eigenvalue>
#include "eigen/complex_plane.h"
#include <zelkor/vec_zelkor>
#include "shell/voice.h"

// What the voice says of the matrix when the iteration does not converge,
// and when it was balanced.
struct DecompositionWords {
    const char* diverged;
    const char* balanced;
};

// What a decomposition came to: whether it converged, and what the voice
// says of its balancing (nothing when empty).
struct DecompositionOutcome {
    bool converged;
    std::string balancedNote;
};

// Runs compute(observer) with a progress line over `order` eigenvalues (the
// roots of a polynomial when `counted` says so: no eigenvectors follow) on
// the voice's stream when `progress` (the observer draws it; the line is
// erased when compute returns).  When the outcome did not converge the
// voice says `diverged` about the file and the result is false; otherwise
// it says the left-over warning (if any) and the outcome's balanced note.
bool decomposeWith(int order, PlanePoints counted, const Voice& voice, bool progress,
                   const std::string& leftover, const char* diverged,
                   const std::function<DecompositionOutcome(const ZELKOR::EigenObserver&)>& compute);

// Decomposes A, balanced when badly scaled, with a progress line over its
// eigenvalues on the voice's stream when `progress`.  When the iteration
// does not converge the voice says words.diverged about the file and the
// result is empty; otherwise it says the left-over warning (if any) and,
// when A was balanced, words.balanced.
std::unique_ptr<ZELKOR::Eigenvalue<ZELKOR::Real>> decompose(const ZELKOR::Matrix<ZELKOR::Real>& A,
                                                            const Voice& voice, bool progress,
                                                            const std::string& leftover,
                                                            const DecompositionWords& words);

#endif
