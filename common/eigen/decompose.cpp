// SPDX-License-Identifier: MIT
#include "eigen/decompose.h"

#include "shell/translate.h"

using namespace ZELKOR;

namespace {

// The decomposition's observer (context: a ProgressLine over the
// eigenvalues): k of the total found, the eigenvectors once all are.
void eigenvaluesFound(void* context, int found) {
    ProgressLine* line = static_cast<ProgressLine*>(context);
    line->show(found < line->total() ? _("iteration") : _("eigenvectors"), found);
}

// Over the roots of a polynomial: no eigenvectors follow.
void rootsFound(void* context, int found) {
    static_cast<ProgressLine*>(context)->show(_("iteration"), found);
}

}  // namespace

DecompositionProgress::DecompositionProgress(int order, PlanePoints counted, const Voice& voice, bool enabled)
    : line_(voice.program(), order, counted == PlanePoints::Roots ? _("roots") : _("eigenvalues"), enabled,
            voice.stream()),
      roots_(counted == PlanePoints::Roots) {
    line_.show(_("reduction"));
}

EigenObserver DecompositionProgress::observer() {
    return EigenObserver{roots_ ? &rootsFound : &eigenvaluesFound, &line_};
}

bool decompositionSaid(bool converged, const Voice& voice, const std::string& leftover, const char* diverged,
                       const std::string& balancedNote) {
    if (!converged) {
        voice.aboutFile(diverged);
        return false;
    }
    voice.line(leftover);
    if (!balancedNote.empty()) voice.aboutFile(balancedNote);
    return true;
}

std::unique_ptr<Eigenvalue<Real>> decompose(const Matrix<Real>& A, const Voice& voice, bool progress,
                                            const std::string& leftover, const DecompositionWords& words) {
    std::unique_ptr<Eigenvalue<Real>> E;
    {
        DecompositionProgress shown(A.num_rows(), PlanePoints::Eigenvalues, voice, progress);
        EigenOptions options;
        options.observer = shown.observer();
        E = std::make_unique<Eigenvalue<Real>>(A, options);
    }
    if (!decompositionSaid(E->isConverged() != 0, voice, leftover, words.diverged,
                           E->isBalanced() ? words.balanced : ""))
        return nullptr;
    return E;
}
