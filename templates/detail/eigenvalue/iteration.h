// -*- C++ -*-
// SPDX-License-Identifier: MIT
// What the QL and the Schur iteration share: the bound on the passes spent
// on one eigenvalue, and the observer told of each eigenvalue found and
// asked whether to stop.
#ifndef ZELKOR_DETAIL_EIGENVALUE_ITERATION_H
#define ZELKOR_DETAIL_EIGENVALUE_ITERATION_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/iteration.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

namespace ZELKOR {

// Optional observer of the decomposition.  found(context, k) is called
// with the number k of eigenvalues known, 0 when the reduction is done,
// then each time an eigenvalue or a pair is found.  stop(context) is asked
// between the steps of every stage (each Householder step of the
// reductions and of their accumulation, each pass of the iterations, each
// eigenvector and each block of rows of their back-transformation): true
// ends the decomposition there, with isConverged() = 0 and the results of
// the unfinished work (not to be used).  Neither may throw; a null one is
// never called, and without `stop` no stage changes its work.
struct EigenObserver {
    EigenObserver(void (*foundFunction)(void*, int) = nullptr, void* contextPointer = nullptr,
                  bool (*stopFunction)(void*) = nullptr)
        : found(foundFunction), context(contextPointer), stop(stopFunction) {}
    void (*found)(void* context, int count);
    void* context;
    bool (*stop)(void* context);
    void notify(int count) const {
        if (found) found(context, count);
    }
    bool stopRequested() const { return stop && stop(context); }
};

namespace detail {

// Passes of either iteration spent on one eigenvalue (or pair) of a
// problem of order n before it gives up: 30·max(10, n).  A converging QL
// or double-shift QR run needs a few passes per eigenvalue (ordinary
// matrices at most about 50 in one block, counting the passes that only
// wait for an exceptional shift), and once the iteration for an eigenvalue
// has failed to deflate for hundreds of passes its state is dominated by
// values that are not finite, on which no test can succeed.  The bound
// stops only such runs.
inline int maxIterations(int n) { return 30 * (n > 10 ? n : 10); }

}  // namespace detail
}  // namespace ZELKOR

#endif
