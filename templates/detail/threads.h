// -*- C++ -*-
// SPDX-License-Identifier: MIT
// Threads for the O(N³) kernels, when the headers are compiled with OpenMP.
// The public side (setThreadCount, the machine governor's opt-in) is
// <zelkor/threads>.
//
// ZELKOR_OMP(directive) is `#pragma omp directive` under OpenMP and nothing
// otherwise, so a translation unit compiled without -fopenmp sees no
// unknown pragma.
//
// Bits.  The kernels share out whole output elements, never the terms of
// one sum: every element gets its own operations in the serial order, so
// results are the same bits at any number of threads and whichever thread
// computes which element.
//
// How many threads.  Every kernel describes its step by one cost model,
// Step: its multiply-adds and the synchronisations of its team, whose
// ratio is the work of a stretch between two synchronisations.
// threadsFor(step) gives the team size: 1 (no team) when a stretch is
// below parallelThreshold, inside a parallel region already, in a child
// forked after a team ran (forkedAfterTeam), or when OpenMP offers one
// thread; otherwise, in this order:
//   - setThreadCount(n), n ≥ 1: n;
//   - OpenMP's count as the user set it (omp_get_max_threads()) when the
//     environment steers OpenMP (any of the variables in
//     environmentSteersThreads), omp_set_dynamic(1) was called (OpenMP
//     then starts fewer by its own rule), or the count is not OpenMP's
//     default (omp_set_num_threads(k) with k other than omp_get_num_procs());
//   - else the count of the installed governor (governorHook; the machine
//     governor of <zelkor/threads> once useMachineGovernor() was called),
//     at most OpenMP's default; without one, OpenMP's count.
//
// Sharing out.  A step is cut into more chunks than threads (chunkCount:
// four per thread) that the threads take as they become free (schedule
// dynamic), so that a thread that lost its core holds back at most the
// chunk it is in; whichever thread takes a chunk, the bits are the same.
// The QR sweep runs as a pipeline with one barrier per window of
// passWindow steps (detail/eigenvalue/schur_pipeline.h), whose waits are
// OpenMP's, which give the core away after a short spin.
//
#ifndef ZELKOR_DETAIL_THREADS_H
#define ZELKOR_DETAIL_THREADS_H
#if !defined(ZELKOR_PUBLIC_HEADER) && !defined(ZELKOR_WHITE_BOX)
#error "<zelkor/detail/threads.h> is internal to the library: include <zelkor/cmat_zelkor> instead"
#endif

#include <atomic>
#include <cstdlib>

#ifdef _OPENMP
#include <omp.h>
#ifdef __unix__
#include <pthread.h>
#endif
#define ZELKOR_PRAGMA(text) _Pragma(#text)
#define ZELKOR_OMP(directive) ZELKOR_PRAGMA(omp directive)
#else
#define ZELKOR_OMP(directive)
#endif

namespace ZELKOR {
namespace detail {

// Below this many multiply-adds a step runs on the calling thread:
// starting and joining the threads would cost more than they save
// (bench/kernels_bench.cpp times the kernels on both sides of it).
const double parallelThreshold = 32768.0;

// A chunk of forChunks is at least this much work, when the step allows
// as many chunks as threads.
const double minimumChunkWork = 8192.0;

// A kernel step for the choice of its team: `multiplyAdds` in all, cut by
// the team's `synchronisations` (its join included) into stretches of
// work() multiply-adds.
struct Step {
    explicit Step(double adds, double syncs = 1) : multiplyAdds(adds), synchronisations(syncs) {}
    double work() const { return multiplyAdds / synchronisations; }
    double multiplyAdds;
    double synchronisations;
};

// The setThreadCount setting: n ≥ 1 threads for every step large enough,
// whatever OpenMP and the governor say; 0 leaves it to them.
inline std::atomic<int>& threadCountSetting() {
    static std::atomic<int> n(0);
    return n;
}

// The governor's count, asked only where it decides (see the top of this
// file); 0: no count.  Null until one is installed.
typedef int (*ThreadCounter)();

inline std::atomic<ThreadCounter>& governorHook() {
    static std::atomic<ThreadCounter> counter(nullptr);
    return counter;
}

inline int governedThreads() {
    const ThreadCounter counter = governorHook().load(std::memory_order_acquire);
    return counter ? counter() : 0;
}

#ifdef _OPENMP
// Whether the environment sets one of OpenMP's variables that choose or
// steer threads (read once): the user has chosen, and OpenMP's count holds.
inline bool environmentSteersThreads() {
    static const bool steered = [] {
        const char* names[] = {"OMP_NUM_THREADS", "OMP_THREAD_LIMIT", "OMP_DYNAMIC",       "OMP_WAIT_POLICY",
                               "OMP_PROC_BIND",   "OMP_PLACES",       "GOMP_CPU_AFFINITY", "GOMP_SPINCOUNT"};
        for (const char* name : names)
            if (std::getenv(name)) return true;
        return false;
    }();
    return steered;
}
#endif

// The rule of threadsFor (see the top of this file) on its inputs: the
// step's work, whether a parallel region is running already, the
// setThreadCount setting, omp_get_max_threads(), omp_get_num_procs(),
// omp_get_dynamic(), environmentSteersThreads(), and a function giving
// the governor's count (0: none; asked only when it decides).
template <class Governed>
int teamSize(double work, bool inParallel, int setting, int openmp, int procs, bool dynamic, bool steered,
             const Governed& governed) {
    if (work < parallelThreshold || inParallel) return 1;
    if (setting > 0) return setting;
    if (openmp <= 1) return 1;
    if (steered || dynamic || openmp != procs) return openmp;
    const int g = governed();
    return g > 0 && g < openmp ? g : openmp;
}

// Whether this process is a child forked after a team ran: the OpenMP
// runtime's pool there would wait for threads the child does not have, so
// such a child never starts a team.  The first team registers the fork
// handler; a child forked before it is not limited.
inline std::atomic<bool>& forkedAfterTeam() {
    static std::atomic<bool> forked(false);
    return forked;
}

inline void noteTeam() {
#if defined(_OPENMP) && defined(__unix__)
    static const int registered = pthread_atfork(nullptr, nullptr, [] { forkedAfterTeam().store(true); });
    (void)registered;
#endif
}

// The team a stretch of `work` multiply-adds would get now (the rule at
// the top of this file), without threadsFor's registration: teamThreads(
// parallelThreshold) is the count every large step gets at this moment.
inline int teamThreads(double work) {
#ifdef _OPENMP
    if (work < parallelThreshold || omp_in_parallel() || forkedAfterTeam().load()) return 1;
    return teamSize(work, false, threadCountSetting().load(std::memory_order_relaxed), omp_get_max_threads(),
                    omp_get_num_procs(), omp_get_dynamic() != 0, environmentSteersThreads(), governedThreads);
#else
    (void)work;
    return 1;
#endif
}

// The team size for `step`; a caller given more than 1 starts a team of
// that size.
inline int threadsFor(const Step& step) {
    const int threads = teamThreads(step.work());
    if (threads > 1) noteTeam();
    return threads;
}

// Number of the calling thread in its team and the team's size (0 and 1
// outside a parallel region or without OpenMP).
inline int threadNumber() {
#ifdef _OPENMP
    return omp_get_thread_num();
#else
    return 0;
#endif
}

inline int threadCount() {
#ifdef _OPENMP
    return omp_get_num_threads();
#else
    return 1;
#endif
}

// Part `part` of `parts` of the range [0, count): [begin, end), the parts in
// increasing order, each beginning at a multiple of `unit` so that the
// kernels' groups of 2 or 4 rows or columns stay together.
inline void block(int count, int part, int parts, int unit, int& begin, int& end) {
    const int groups = (count + unit - 1) / unit;
    begin = unit * (int)((long long)groups * part / parts);
    end = unit * (int)((long long)groups * (part + 1) / parts);
    if (begin > count) begin = count;
    if (end > count) end = count;
}

inline void evenBlock(int count, int part, int parts, int& begin, int& end) {
    block(count, part, parts, 2, begin, end);
}

// The chunks of `step` over `count` elements for `threads` threads: four
// per thread, fewer when a chunk of its stretch would fall below
// minimumChunkWork (but never fewer than the threads), and at most one
// per group of `unit` elements.
inline int chunkCount(int count, const Step& step, int threads, int unit = 2) {
    const int groups = (count + unit - 1) / unit;
    int chunks = 4 * threads;
    const double byWork = step.work() / minimumChunkWork;
    if (byWork < chunks) chunks = byWork < threads ? threads : (int)byWork;
    return chunks < groups ? chunks : groups;
}

// f(begin, end) over [0, count) in chunks of chunkCount (block, `unit`),
// taken by a team of threadsFor(step) threads as they become free; with
// one thread, once: f(0, count).
template <class F>
void forChunks(int count, const Step& step, const F& f, int unit = 2) {
    const int threads = threadsFor(step);
    if (threads <= 1) {
        f(0, count);
        return;
    }
    const int chunks = chunkCount(count, step, threads, unit);
    ZELKOR_OMP(parallel for num_threads(threads) schedule(dynamic, 1))
    for (int c = 0; c < chunks; c++) {
        int begin, end;
        block(count, c, chunks, unit, begin, end);
        f(begin, end);
    }
}

}  // namespace detail
}  // namespace ZELKOR

#endif
