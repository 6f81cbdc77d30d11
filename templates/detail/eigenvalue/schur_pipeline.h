// -*- C++ -*-
// SPDX-License-Identifier: MIT
// One double QR pass on a team of threads.  The sweep goes in windows of
// passWindow steps.  Thread 0 sweeps a window with the row updates cut at
// the columns the window itself reads; then, while it sweeps the next
// window, every thread (thread 0 once its sweep is done) takes chunks of
// what the finished window left: the row updates of the columns right of
// the next window, the deferred column updates of the rows of H above it
// and those of every row of the Schur vectors.  One barrier a window;
// each entry gets the serial sweep's operations in the serial order (the
// windows in turn, and within one window the steps in increasing order).
// The block bounds and the buffers' sizes are the caller's to ensure, as
// for sweep: none is checked.
#ifndef ZELKOR_DETAIL_EIGENVALUE_SCHUR_PIPELINE_H
#define ZELKOR_DETAIL_EIGENVALUE_SCHUR_PIPELINE_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/eigenvalue/schur_pipeline.h> is internal to the library: include <zelkor/eigenvalue> instead"
#endif

#include "../../cmat_zelkor"
#include "../threads.h"
#include "../../vec_zelkor"
#include "reflectors.h"
#include "schur_sweep.h"

namespace ZELKOR {
namespace detail {

// Steps per window: large enough that a barrier (a few µs) is small
// against the window's work (some 32·N·15 multiply-adds with vectors),
// small enough that the first window, swept while the other threads wait,
// is a small part of the pass (docs/benchmarks.md: the sizes tried).
const int passWindow = 32;

// What the threads share after steps a ... end − 1 of a window ran: the
// row updates of columns farStart ... columns − 1 by those steps, and the
// column updates of steps rowFrom ... rowTo − 1 (the same steps) on rows
// 0 ... rowTo − 1 of H (row t from step max(t, rowFrom)) and on the
// vectorRows rows of V; numbered in that order as items.
struct WindowShare {
    int a;
    int end;
    int last;
    int farStart;
    int columns;
    int rowFrom;
    int rowTo;
    int vectorRows;
    int columnItems() const { return end > a ? columns - farStart : 0; }
    int items() const { return columnItems() + (rowTo > rowFrom ? rowTo + vectorRows : 0); }
};

// Items begin ... finish − 1 of the share.
template <class T>
void shareItems(const WindowShare& w, int begin, int finish, PassBuffers<T> buffers) {
    Matrix<T>& H = buffers.H;
    const Vector<T>& steps = buffers.steps;
    const Vector<int>& applied = buffers.applied;
    const int columnItems = w.columnItems();
    int i = begin;
    if (i < columnItems) {
        const int stop = finish < columnItems ? finish : columnItems;
        rowUpdates(w.a, w.end, w.last, w.farStart + i, w.farStart + stop, H, steps, applied);
        i = stop;
    }
    for (; i < finish && i < columnItems + w.rowTo; i++) {
        const int t = i - columnItems;
        applyReflectors(H[t], t > w.rowFrom ? t : w.rowFrom, w.rowTo, w.last, steps, applied);
    }
    for (; i < finish; i++)
        applyReflectors(buffers.V[i - columnItems - w.rowTo], w.rowFrom, w.rowTo, w.last, steps, applied);
}

// The pass's sweep and all its updates on `threads` threads.  Returns
// sweepEnd.
// Window i is planned as steps sweepStart + i·passWindow ... up to last;
// its row updates in the sweep reach column nearEnd = planned end + 2.
// ends[] holds the end of the window last swept and of the one before:
// thread 0 writes one while the others read the other.
template <class T>
int pipelinedSweep(int threads, const PassBounds& pass, const Bulge<T>& bulge, PassBuffers<T> buffers) {
    (void)threads;  // only OpenMP reads it
    const int sweepStart = pass.sweepStart;
    const int last = pass.last;
    const int columns = pass.columns;
    int ends[2] = {sweepStart, sweepStart};
    int sweepEnd = sweepStart;
    ZELKOR_OMP(parallel num_threads(threads)) {
        const bool sweeper = threadNumber() == 0;
        int a = sweepStart;
        int planned = last < a + passWindow ? last : a + passWindow;
        int nearEnd = columns < planned + 2 ? columns : planned + 2;
        if (sweeper) ends[0] = sweepSteps(pass, bulge, SweepWindow{a, planned, nearEnd}, buffers);
        ZELKOR_OMP(barrier)
        for (int i = 1;; i++) {
            const int end = ends[(i - 1) % 2];
            const bool next = end == planned && planned < last;
            const int nextPlanned =
                !next ? planned : (last < planned + passWindow ? last : planned + passWindow);
            const int farStart = !next ? nearEnd : (columns < nextPlanned + 2 ? columns : nextPlanned + 2);
            if (sweeper && next) {
                rowUpdates(a, end, last, nearEnd, farStart, buffers.H, buffers.steps, buffers.applied);
                ends[i % 2] = sweepSteps(pass, bulge, SweepWindow{planned, nextPlanned, farStart}, buffers);
            }
            const WindowShare share = {a, end, last, farStart, columns, a, end, pass.vectorRows};
            const int items = share.items();
            const int chunks = chunkCount(items, Step((double)items * 32 * 5), threadCount());
            ZELKOR_OMP(for schedule(dynamic, 1))
            for (int c = 0; c < chunks; c++) {
                int b0, b1;
                evenBlock(items, c, chunks, b0, b1);
                shareItems(share, b0, b1, buffers);
            }
            if (!next) {
                if (sweeper) sweepEnd = end;
                break;
            }
            a = planned;
            planned = nextPlanned;
            nearEnd = farStart;
        }
    }
    return sweepEnd;
}

// The sweep of one pass and its deferred updates (rows 0 ... k of H for
// each step k, and the vectorRows rows of V, every row on its own): on one
// thread in the serial order, on more by pipelinedSweep.  Returns sweepEnd.
template <class T>
int sweepAndUpdate(int threads, const PassBounds& pass, const Bulge<T>& bulge, PassBuffers<T> buffers) {
    if (threads > 1) return pipelinedSweep(threads, pass, bulge, buffers);
    const int sweepStart = pass.sweepStart;
    const int last = pass.last;
    const Vector<T>& steps = buffers.steps;
    const Vector<int>& applied = buffers.applied;
    const int sweepEnd = sweep(pass, bulge, buffers);
    for (int i = 0; i < sweepEnd; i++)
        applyReflectors(buffers.H[i], i > sweepStart ? i : sweepStart, sweepEnd, last, steps, applied);
    for (int i = 0; i < pass.vectorRows; i++)
        applyReflectors(buffers.V[i], sweepStart, sweepEnd, last, steps, applied);
    return sweepEnd;
}

}  // namespace detail
}  // namespace ZELKOR

#endif
