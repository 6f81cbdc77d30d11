// SPDX-License-Identifier: MIT
// The eigen-decomposition step of lu_spectrum and polyroots: the
// decomposition of their matrix with a progress line and what is said of
// it on standard error; the picture of its eigenvalues is in
// eigen/complex_plane.h.
#ifndef ZELKOR_DECOMPOSE_H
#define ZELKOR_DECOMPOSE_H

#include <memory>
#include <string>

#include <zelkor/cmat_zelkor>
#include <zelkor/eigenvalue>
#include "eigen/complex_plane.h"
#include "shell/progress.h"
#include "shell/voice.h"

// What the voice says of the matrix when the iteration does not converge,
// and when it was balanced.
struct DecompositionWords {
    const char* diverged;
    const char* balanced;
};

// The progress line of a decomposition over `order` eigenvalues (the roots
// of a polynomial when `counted` says so: no eigenvectors follow) on the
// voice's stream when `enabled`: "reduction" from the start, then what
// observer() is told; erased when it goes out of scope.
class DecompositionProgress {
public:
    DecompositionProgress(int order, PlanePoints counted, const Voice& voice, bool enabled);
    ZELKOR::EigenObserver observer();

private:
    ProgressLine line_;
    bool roots_;
};

// What is said once a decomposition has ended: when it did not converge
// the voice says `diverged` about the file and the result is false;
// otherwise it says the left-over warning (if any) and `balancedNote`
// (unless it is empty).
bool decompositionSaid(bool converged, const Voice& voice, const std::string& leftover, const char* diverged,
                       const std::string& balancedNote);

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
