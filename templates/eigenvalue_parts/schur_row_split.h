// -*- C++ -*-
// SPDX-License-Identifier: MIT
// The row updates of one double QR pass shared by two threads: the
// sweeping thread publishes each step, a helper thread applies it to the
// right-hand columns.  The only part of the library that needs <atomic>
// and <thread>.  It assumes the caller started exactly these two threads
// and that the sweep calls the hand-over points below; nothing is checked.
#ifndef ZELKOR_EIGENVALUE_PARTS_SCHUR_ROW_SPLIT_H
#define ZELKOR_EIGENVALUE_PARTS_SCHUR_ROW_SPLIT_H

#include <atomic>
#include <thread>

#include "../cmat_zelkor"
#include "../vec_zelkor"
#include "reflectors.h"

namespace ZELKOR {
namespace stages {

// Step k's update of rows k, k + 1, k + 2 covers columns k ... N − 1; the
// sweeping thread does columns k ... end(k) − 1, the helper columns
// end(k) ... N − 1, with end(k) = `split` for k < splitEnd and N afterwards
// (end(k) ≥ k + 4 keeps every column the sweep reads with the sweeping
// thread).  Each column thus gets the steps in increasing k: the helper's,
// all before splitEnd, then the sweeper's, which waits at splitEnd until
// the helper has finished.  `split` balances the two threads' work.
// Only columns 0 ... nn − 1 of H are updated (nn = N, or last + 1 when
// the columns right of the block are not wanted).
struct RowSplit {
    RowSplit(int sweepStart, int lastRow, int nn)
        : last(lastRow),
          columns(nn),
          split(nn),
          splitEnd(lastRow),
          published(sweepStart),
          helped(sweepStart),
          finished(false) {
        long long best = -1;
        for (int c = sweepStart + 4; c <= nn; c++) {
            const int kEnd = c - 4 < last ? c - 4 : last;
            const long long steps = kEnd - sweepStart;
            // Sweeper: its columns plus some 8 columns' worth of bulge
            // work per step, then every column after kEnd; helper: N − c
            // columns for each step before kEnd.
            const long long mine = steps * (c - sweepStart) - steps * (steps - 1) / 2 + 8 * steps;
            const long long rest =
                (long long)(last - kEnd) * (nn - kEnd) - (long long)(last - kEnd) * (last - kEnd - 1) / 2;
            const long long helper = steps * (nn - c);
            const long long t = (mine > helper ? mine : helper) + rest;
            if (best < 0 || t < best) {
                best = t;
                split = c;
                splitEnd = kEnd;
            }
        }
    }
    int end(int k, int nn) const { return k < splitEnd ? split : nn; }
    // One turn of a wait: the core is given away every 256 turns, so
    // that on a busy machine the other thread is not starved by it.
    static void pause(unsigned& turns) {
        if (++turns % 256 == 0) std::this_thread::yield();
    }
    int last;
    int columns;
    int split;
    int splitEnd;
    std::atomic<int> published;  // steps before this one are recorded
    std::atomic<int> helped;     // the helper has applied steps before this one
    std::atomic<bool> finished;  // the sweep is over: no more steps
};

// The helper thread of RowSplit: each step as it is published, on
// columns end(k) ... columns − 1 of H, until the sweep is finished.
template <class T>
void helpRows(RowSplit& split, Matrix<T>& H, const Vector<T>& steps, const Vector<int>& applied) {
    const int nn = split.columns;
    int k = split.helped.load(std::memory_order_relaxed);
    unsigned turns = 0;
    for (;;) {
        const bool finished = split.finished.load(std::memory_order_acquire);
        const int published = split.published.load(std::memory_order_acquire);
        if (k < published) {
            if (applied[k] && split.end(k, nn) < nn) rowUpdate(k, k != split.last - 1, split.end(k, nn), nn, H, steps);
            k++;
            split.helped.store(k, std::memory_order_release);
        } else if (finished) {
            return;
        } else {
            RowSplit::pause(turns);
        }
    }
}

}  // namespace stages
}  // namespace ZELKOR

#endif
