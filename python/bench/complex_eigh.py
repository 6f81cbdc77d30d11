#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Accuracy and speed of zelkor.linalg.eigh on complex Hermitian matrices.

Accuracy: max_i |w_i - λ_i| / (u·‖A‖₂), u = 2**-64, on random Hermitian
A = Z + Zᴴ (Z's real and imaginary parts uniform in [-1, 1)), λ mpmath's
eighe at 60 digits on the same matrix exactly; numpy's complex128 eigvalsh
beside (its error in the same unit of long double).  Speed: eigh(n) on
complex and on real symmetric matrices of the same order, one thread, the
methods interleaved, the median of the rounds (and their range); numpy
(complex128, OpenBLAS on one thread) beside.

  env OPENBLAS_NUM_THREADS=1 PYTHONPATH=build/default/python \\
      /usr/bin/python3 python/bench/complex_eigh.py [--seeds 3] [--rounds 7]
"""

import argparse

import mpmath
import numpy as np

import zelkor
from zelkor import linalg as zl

from speed import rounds, show  # interleaved rounds: median and range

U = 2.0**-64


def exact(x):
    """x (long double, real or complex) exactly in mpmath."""
    x = np.clongdouble(x)
    return mpmath.mpc(*(mpmath.mpf(n) / d for n, d in (x.real.as_integer_ratio(), x.imag.as_integer_ratio())))


def hermitian(n, rng):
    z = rng.uniform(-1, 1, (n, n)) + 1j * rng.uniform(-1, 1, (n, n))
    return z + z.conj().T  # exact in complex128, so numpy sees the same matrix


def errors(a):
    """max|w − λ| / (u·‖A‖₂) for zelkor and for numpy."""
    with mpmath.workdps(60):
        ref = sorted(mpmath.eighe(mpmath.matrix([[exact(x) for x in row] for row in a]), eigvals_only=True))
        norm2 = max(abs(r) for r in ref)
        return [float(max(abs(exact(x) - r) for x, r in zip(w, ref)) / (U * norm2))
                for w in (zl.eigvalsh(a), np.linalg.eigvalsh(a))]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seeds", type=int, default=3)
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--sizes", type=int, nargs="+", default=[30, 60])
    parser.add_argument("--speed-size", type=int, default=200)
    args = parser.parse_args()

    print("| n | seed | zelkor max\\|w − λ\\|/(u·‖A‖₂) | numpy complex128, same unit |")
    print("|---|---|---|---|")
    for n in args.sizes:
        for seed in range(1, args.seeds + 1):
            z, d = errors(hermitian(n, np.random.default_rng(seed)))
            print(f"| {n} | {seed} | {z:.2f} | {d:.3g} |")

    n = args.speed_size
    g = np.random.default_rng(1)
    c = hermitian(n, g)
    r = g.uniform(-1, 1, (n, n))
    r = r + r.T
    saved = zelkor.get_num_threads()
    zelkor.set_num_threads(1)
    t = rounds({
        "complex": lambda: zl.eigh(c),
        "real": lambda: zl.eigh(r),
        "complex values": lambda: zl.eigvalsh(c),
        "real values": lambda: zl.eigvalsh(r),
        "numpy complex": lambda: np.linalg.eigh(c),
        "numpy real": lambda: np.linalg.eigh(r),
    }, args.rounds)
    zelkor.set_num_threads(saved)
    print(f"\nSpeed at n = {n}, one thread:\n")
    print("| call | zelkor complex | zelkor real | complex ÷ real | numpy complex128 | numpy float64 |")
    print("|---|---|---|---|---|---|")
    for name, suffix in (("eigh", ""), ("eigvalsh", " values")):
        cx, re = t["complex" + suffix], t["real" + suffix]
        numpy = (show(t["numpy complex"]), show(t["numpy real"])) if not suffix else ("—", "—")
        print(f"| {name} | {show(cx)} | {show(re)} | {cx[0] / re[0]:.2f} | {numpy[0]} | {numpy[1]} |")


if __name__ == "__main__":
    main()
