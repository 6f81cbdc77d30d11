// SPDX-License-Identifier: MIT
#include "eigen/decompose.h"

#include "shell/progress.h"
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

bool decomposeWith(int order, PlanePoints counted, const Voice& voice, bool progress,
                   const std::string& leftover, const char* diverged,
                   const std::function<DecompositionOutcome(const EigenObserver&)>& compute) {
    DecompositionOutcome outcome{false, ""};
    {
        const bool roots = counted == PlanePoints::Roots;
        ProgressLine line(voice.program(), order, roots ? _("roots") : _("eigenvalues"), progress,
                          voice.stream());
        line.show(_("reduction"));
        outcome = compute(EigenObserver{roots ? &rootsFound : &eigenvaluesFound, &line});
    }
    if (!outcome.converged) {
        voice.aboutFile(diverged);
        return false;
    }
    voice.line(leftover);
    if (!outcome.balancedNote.empty()) voice.aboutFile(outcome.balancedNote);
    return true;
}

std::unique_ptr<Eigenvalue<Real>> decompose(const Matrix<Real>& A, const Voice& voice, bool progress,
                                            const std::string& leftover, const DecompositionWords& words) {
    std::unique_ptr<Eigenvalue<Real>> E;
    auto eigen = [&](const EigenObserver& observer) {
        EigenOptions options;
        options.observer = observer;
        E = std::make_unique<Eigenvalue<Real>>(A, options);
        return DecompositionOutcome{E->isConverged() != 0, E->isBalanced() ? words.balanced : ""};
    };
    if (!decomposeWith(A.num_rows(), PlanePoints::Eigenvalues, voice, progress, leftover, words.diverged,
                       eigen))
        return nullptr;
    return E;
}
