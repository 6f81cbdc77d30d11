#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Complex solve: forward error against κ·u, and speed against the real solve.

Accuracy: random complex matrices (real and imaginary parts uniform in
[-1, 1)) of orders 30, 60 and 100; the reference is mpmath's solve of the
same long doubles at 60 digits; the table gives max_i |x_i - x*_i| / ‖x*‖∞
divided by κ₁(a)·u, u = 2**-64, worst and median over the seeds (numpy's
complex128 beside, its u 2**-53).

Speed, on one thread: complex solve(400) against real solve(400), each
round running every case once, interleaved; the median of the rounds and
their range.  numpy's complex128 solve beside; mpmath's at 64 bits at
n <= 40, extrapolated to 400 as t(40)·(400/40)**3 (and said so).

  env -u OPENBLAS_CORETYPE -u OPENBLAS_L2_SIZE OPENBLAS_NUM_THREADS=1 PYTHONPATH=build/default/python \\
      /usr/bin/python3 python/bench/complex_solve.py [--seeds 3] [--rounds 7]
"""

import argparse
import statistics

import mpmath
import numpy as np

import zelkor
from zelkor import linalg as zl

from speed import rounds, show, timed  # interleaved rounds: median and range

U = 2.0**-64


def crandom(g, shape):
    return g.uniform(-1, 1, shape) + 1j * g.uniform(-1, 1, shape)


def to_mp(x):
    x = np.clongdouble(x)
    re, im = (mpmath.mpf(n) / d for n, d in (x.real.as_integer_ratio(), x.imag.as_integer_ratio()))
    return mpmath.mpc(re, im)


def forward_errors(n, seed):
    """zelkor's and numpy's forward errors over κ₁·u, theirs."""
    g = np.random.default_rng(1000 * n + seed)
    a, b = crandom(g, (n, n)), crandom(g, n)
    with mpmath.workdps(60):
        A = mpmath.matrix([[to_mp(v) for v in row] for row in a])
        x = mpmath.lu_solve(A, mpmath.matrix([to_mp(v) for v in b]))
        kappa = mpmath.mnorm(A, 1) * mpmath.mnorm(A**-1, 1)
        scale = mpmath.norm(x, mpmath.inf)

        def error(y, u):
            return float(max(abs(to_mp(y[i]) - x[i]) for i in range(n)) / scale / (kappa * u))

        return error(zl.solve(a, b), U), error(np.linalg.solve(a, b), 2.0**-53)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seeds", type=int, default=3)
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--sizes", type=int, nargs="+", default=[30, 60, 100])
    args = parser.parse_args()
    saved = zelkor.get_num_threads()
    zelkor.set_num_threads(1)

    print("| n | zelkor error / (κ·u), worst | median | numpy complex128 / (κ·u₅₃), worst |")
    print("|---" * 4 + "|")
    for n in args.sizes:
        errors = [forward_errors(n, s) for s in range(args.seeds)]
        ours = [e[0] for e in errors]
        print(f"| {n} | {max(ours):.3g} | {statistics.median(ours):.3g} | {max(e[1] for e in errors):.3g} |")

    g = np.random.default_rng(7)
    n = 400
    ar, br = g.uniform(-1, 1, (n, n)).astype(np.longdouble), g.uniform(-1, 1, n).astype(np.longdouble)
    ac, bc = crandom(g, (n, n)).astype(np.clongdouble), crandom(g, n).astype(np.clongdouble)
    a128, b128 = ac.astype(np.complex128), bc.astype(np.complex128)
    r = rounds({
        "real": lambda: zl.solve(ar, br),
        "complex": lambda: zl.solve(ac, bc),
        "numpy": lambda: np.linalg.solve(a128, b128),
    }, args.rounds)
    m = 40
    with mpmath.workprec(64):
        A = mpmath.matrix([[to_mp(v) for v in row] for row in ac[:m, :m]])
        B = mpmath.matrix([to_mp(v) for v in bc[:m]])
        mp40 = min(timed(lambda: mpmath.lu_solve(A, B)) for _ in range(3))
    print(f"\nsolve({n}), one thread:\n")
    print("| real (long double) | complex (clongdouble) | complex ÷ real | numpy complex128 | mpmath 64 bits |")
    print("|---" * 5 + "|")
    print(f"| {show(r['real'])} | {show(r['complex'])} | {r['complex'][0] / r['real'][0]:.2f} | {show(r['numpy'])} | "
          f"{mp40 * (n / m) ** 3:.3g} s (extrapolated from n = {m}: {mp40 * 1e3:.3g} ms) |")
    zelkor.set_num_threads(saved)


if __name__ == "__main__":
    main()
