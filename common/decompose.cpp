// SPDX-License-Identifier: MIT
#include "decompose.h"

#include "progress.h"
#include "translate.h"

using namespace ZELKOR;

namespace {

// The decomposition's observer (context: a ProgressLine over the
// eigenvalues): k of the total found, the eigenvectors once all are.
void eigenvaluesFound(void* context, int found) {
    ProgressLine* line = static_cast<ProgressLine*>(context);
    line->show(found < line->total() ? _("iteration") : _("eigenvectors"), found);
}

}  // namespace

std::unique_ptr<Eigenvalue<Real>> decompose(const Matrix<Real>& A, const Voice& voice, bool progress,
                                            const std::string& leftover, const DecompositionWords& words,
                                            bool vectors) {
    std::unique_ptr<Eigenvalue<Real>> E;
    {
        ProgressLine line(voice.program(), A.num_rows(), _("eigenvalues"), progress, voice.stream());
        line.show(_("reduction"));
        EigenOptions options;
        options.vectors = vectors;
        options.observer = EigenObserver{&eigenvaluesFound, &line};
        E = std::make_unique<Eigenvalue<Real>>(A, options);
    }
    if (!E->isConverged()) {
        voice.aboutFile(words.diverged);
        return nullptr;
    }
    voice.line(leftover);
    if (E->isBalanced()) voice.aboutFile(words.balanced);
    return E;
}
