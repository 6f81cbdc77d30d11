#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Speed of zelkor.linalg against numpy (double) and mpmath at 64 bits.

Random matrices (uniform in [-1, 1)); each round runs every method once, the
methods interleaved, and the table gives the median of the rounds and their
range.  mpmath runs at n <= 40 only; its figure at 400 is extrapolated as
t(40) * (400 / 40)**3 (and said so).  The binding's overhead is the time of
zelkor.linalg's call less that of the extension's own call on a prepared
long double stack (the conversion in, the result's shaping and copies out).

  env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE OPENBLAS_NUM_THREADS=1 PYTHONPATH=build/default/python \\
      /usr/bin/python3 python/bench/speed.py [--rounds 5] [--threads 1 2]

(numpy on one thread: OpenBLAS's threads keep spinning after each call and,
on a machine of two cores, slow the library's two threads that follow.)
"""

import argparse
import statistics
import time

import mpmath
import numpy as np

import zelkor
from zelkor import _core
from zelkor import linalg as zl


def timed(f):
    start = time.perf_counter()
    f()
    return time.perf_counter() - start


def rounds(cases, count):
    """Median and range of each case's time over interleaved rounds."""
    times = {name: [] for name in cases}
    for _ in range(count):
        for name, f in cases.items():
            times[name].append(timed(f))
    return {name: (statistics.median(t), min(t), max(t)) for name, t in times.items()}


def show(value):
    median, low, high = value
    return f"{median * 1e3:.3g} ms ({low * 1e3:.3g}–{high * 1e3:.3g})"


def zelkor_cases(a, b, threads):
    def run(f, *args):
        def go():
            zelkor.set_num_threads(threads)
            f(*args)
        return go
    return {
        f"eig, {threads} thr": run(zl.eig, a),
        f"eigvals, {threads} thr": run(zl.eigvals, a),
        f"solve, {threads} thr": run(zl.solve, a, b),
        f"inv, {threads} thr": run(zl.inv, a),
        f"lu, {threads} thr": run(zl.lu, a),
        f"qr, {threads} thr": run(zl.qr, a),
    }


def mpmath_cases(a, b):
    with mpmath.workprec(64):
        m = mpmath.matrix(a.tolist())
        v = mpmath.matrix(b.tolist())

    def at64(f):
        def go():
            with mpmath.workprec(64):
                f()
        return go
    return {
        "mpmath eig": at64(lambda: mpmath.eig(m)),
        "mpmath eigvals": at64(lambda: mpmath.eig(m, left=False, right=False)),
        "mpmath solve": at64(lambda: mpmath.lu_solve(m, v)),
        "mpmath inv": at64(lambda: mpmath.inverse(m)),
    }


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--threads", type=int, nargs="+", default=[1, 2])
    parser.add_argument("--sizes", type=int, nargs="+", default=[50, 100, 200, 400])
    parser.add_argument("--mpmath-sizes", type=int, nargs="+", default=[10, 20, 40])
    args = parser.parse_args()
    g = np.random.default_rng(1)
    saved = zelkor.get_num_threads()

    print("| n | operation | numpy (double) | " + " | ".join(f"zelkor, {t} thread(s)" for t in args.threads)
          + " | eig ÷ eigvals, qr ÷ lu (zelkor) |")
    print("|---" * (4 + len(args.threads)) + "|")
    for n in args.sizes:
        a = g.uniform(-1, 1, (n, n))
        b = g.uniform(-1, 1, n)
        cases = {
            "numpy eig": lambda: np.linalg.eig(a),
            "numpy eigvals": lambda: np.linalg.eigvals(a),
            "numpy solve": lambda: np.linalg.solve(a, b),
            "numpy inv": lambda: np.linalg.inv(a),
            "numpy qr": lambda: np.linalg.qr(a),
        }
        for t in args.threads:
            cases.update(zelkor_cases(a, b, t))
        r = rounds(cases, args.rounds)
        for op in ("eig", "eigvals", "solve", "inv", "lu", "qr"):
            numpy = r.get(f"numpy {op}")  # numpy has no lu
            cells = [show(numpy) if numpy else "—"] + [show(r[f"{op}, {t} thr"]) for t in args.threads]
            ratio = ""
            if op in ("eig", "qr"):
                other = "eigvals" if op == "eig" else "lu"
                ratio = " / ".join(f"{r[f'{op}, {t} thr'][0] / r[f'{other}, {t} thr'][0]:.2f}" for t in args.threads)
            print(f"| {n} | {op} | " + " | ".join(cells) + f" | {ratio} |")

    print("\nmpmath at 64 bits (one thread):\n")
    print("| n | eig | eigvals | solve | inv |")
    print("|---|---|---|---|---|")
    last = None
    for n in args.mpmath_sizes:
        a = g.uniform(-1, 1, (n, n))
        b = g.uniform(-1, 1, n)
        r = rounds(mpmath_cases(a, b), max(1, min(args.rounds, 3)))
        print(f"| {n} | " + " | ".join(show(r[f"mpmath {op}"]) for op in ("eig", "eigvals", "solve", "inv")) + " |")
        last = (n, r)
    if last:
        n, r = last
        scale = (400 / n) ** 3
        print("| 400 (extrapolated ×(400/%d)³) | " % n
              + " | ".join(f"{r[f'mpmath {op}'][0] * scale:.3g} s" for op in ("eig", "eigvals", "solve", "inv")) + " |")

    print("\nThe binding's own work beside the computation (1 thread): the copy in (conversion to an aligned "
          "long double stack, the finite check) and out (eig: the values as complex, the vectors' shapes):\n")
    print("| n | eig: whole call | copy in | copy out | solve: whole call | copy in (a and b) |")
    print("|---|---|---|---|---|---|")
    zelkor.set_num_threads(1)
    for n in args.sizes:
        a = g.uniform(-1, 1, (n, n))
        b = g.uniform(-1, 1, n)
        re, im, v, _ = _core.eig(zl._stacked_square(a)[0], True, True, "N")

        def copy_in():
            zl._assert_finite(zl._stacked_square(a)[0])

        def copy_out():
            zl._values(re.reshape(n), im.reshape(n))
            v.reshape(n, n)

        r = rounds({
            "eig": lambda: zl.eig(a),
            "in": copy_in,
            "out": copy_out,
            "solve": lambda: zl.solve(a, b),
            "solve in": lambda: (zl._stacked_square(a), zl._prepared(b.reshape(1, n, 1))),
        }, args.rounds)
        print(f"| {n} | {r['eig'][0] * 1e3:.3g} ms | {r['in'][0] * 1e3:.2g} ms | {r['out'][0] * 1e3:.2g} ms | "
              f"{r['solve'][0] * 1e3:.3g} ms | {r['solve in'][0] * 1e3:.2g} ms |")
    zelkor.set_num_threads(saved)


if __name__ == "__main__":
    main()
