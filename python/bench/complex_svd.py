#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Accuracy and speed of zelkor.linalg.svd on complex matrices.

Accuracy: max_i |s_i - σ_i| / (u·‖A‖₂) on random complex matrices (real
and imaginary parts uniform in [-1, 1)), σ from mpmath's svd_c at 60
digits; u = 2**-64 for zelkor, 2**-53 for numpy's complex128 svd (whose
figure in units of 2**-64 is given beside).  Speed: complex and real
svd(n) with vectors, one thread, interleaved rounds, medians; numpy's
complex128 and float64 svd beside.

  PYTHONPATH=build/default/python /usr/bin/python3 python/bench/complex_svd.py [--seeds 3] [--rounds 5]
"""

import argparse

import mpmath
import numpy as np

import zelkor
from zelkor import linalg as zl

from speed import rounds, show  # interleaved rounds: median and range

mpmath.mp.dps = 60
U_LONG, U_DOUBLE = 2.0**-64, 2.0**-53


def exact(x):
    p, q = np.longdouble(x).as_integer_ratio()
    return mpmath.mpf(p) / q


def reference(a):
    m = mpmath.matrix([[mpmath.mpc(exact(x.real), exact(x.imag)) for x in row] for row in a])
    return sorted(mpmath.svd_c(m, compute_uv=False), reverse=True)


def error(s, ref, u):
    return float(max(abs(exact(x) - r) for x, r in zip(s, ref)) / (u * ref[0]))


def accuracy(seeds):
    print("| complex matrices | zelkor (u = 2^-64) | numpy complex128 (u = 2^-53) | numpy in 2^-64 |")
    print("|---|---|---|---|")
    for m, n in ((30, 30), (60, 60), (60, 30)):
        worst = [0.0, 0.0]
        for seed in range(seeds):
            rng = np.random.default_rng(seed)
            a = rng.uniform(-1, 1, (m, n)) + 1j * rng.uniform(-1, 1, (m, n))
            ref = reference(a)
            worst[0] = max(worst[0], error(zl.svdvals(a), ref, U_LONG))
            worst[1] = max(worst[1], error(np.linalg.svd(a, compute_uv=False), ref, U_DOUBLE))
        print(f"| {m}x{n}, {seeds} seeds | {worst[0]:.2f} | {worst[1]:.2f} | {worst[1] * U_DOUBLE / U_LONG:.0f} |")


def speed(n, count):
    zelkor.set_num_threads(1)
    rng = np.random.default_rng(1)
    c = (rng.uniform(-1, 1, (n, n)) + 1j * rng.uniform(-1, 1, (n, n))).astype(np.clongdouble)
    r = rng.uniform(-1, 1, (n, n)).astype(np.longdouble)
    runs = {"zelkor complex svd": lambda: zl.svd(c), "zelkor real svd": lambda: zl.svd(r),
            "numpy complex128 svd": lambda: np.linalg.svd(c.astype(complex)),
            "numpy float64 svd": lambda: np.linalg.svd(r.astype(float))}
    times = rounds(runs, count)
    print(f"\n| n = {n}, one thread, {count} rounds | median (range) |\n|---|---|")
    for name, t in times.items():
        print(f"| {name} | {show(t)} |")
    print(f"| complex / real (zelkor) | {times['zelkor complex svd'][0] / times['zelkor real svd'][0]:.2f} |")


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seeds", type=int, default=3)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--size", type=int, default=200)
    args = parser.parse_args()
    accuracy(args.seeds)
    if args.rounds:
        speed(args.size, args.rounds)
