#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Accuracy and speed of zelkor.linalg.svd against mpmath's svd_r.

The values alone (svdvals, compute_uv=False) and with vectors, which from
order 32 on take different routes.

(a) absolute: max_i |s_i - σ_i| / (u·‖A‖₂) on random matrices (entries
uniform in [-1, 1)); (b) relative: max_i |s_i - σ_i| / (u·σ_i) on graded
D₁·B·D₂ (D₁, D₂ diagonal from 2**40 down to 2**-40) and B·D (D spanning
2**±40 in random order), B = Q₁·diag(logspace(0, 1))·Q₂ random with κ₂ = 10.
u is the method's unit roundoff: 2**-64 for zelkor, 2**-53 for numpy's
double svd (whose absolute figure, in u·‖A‖₂ of long double's unit, is
given beside).  mpmath works at 60 digits plus the decimal spread of the
values.  Speed: one thread, the methods interleaved, the median of the
rounds.

  PYTHONPATH=build/default/python /usr/bin/python3 python/bench/svd_accuracy.py [--seeds 3] [--rounds 5]
"""

import argparse

import mpmath
import numpy as np

import zelkor
from zelkor import linalg as zl

from speed import rounds, show  # interleaved rounds: median and range

mpmath.mp.dps = 60  # the conversions and differences; the references set their own
U_LONG, U_DOUBLE = 2.0**-64, 2.0**-53


def exact(x):
    return mpmath.mpf(int(np.longdouble(x).as_integer_ratio()[0])) / int(np.longdouble(x).as_integer_ratio()[1])


def reference(a):
    s = np.sort(np.asarray(a, dtype=np.longdouble).ravel())
    spread = np.log10(float(np.abs(a).max()) / max(float(np.min(np.abs(s[s != 0]))), 1e-300))
    with mpmath.workdps(60 + int(2 * spread)):
        m = mpmath.matrix([[exact(x) for x in row] for row in a])
        return sorted(mpmath.svd_r(m, compute_uv=False), reverse=True)


def errors(s, ref, u):
    diff = [abs(exact(x) - r) for x, r in zip(s, ref)]
    return float(max(diff) / (u * ref[0])), float(max(d / (u * r) for d, r in zip(diff, ref)))


def well_conditioned(n, rng):
    q1, _ = np.linalg.qr(rng.standard_normal((n, n)))
    q2, _ = np.linalg.qr(rng.standard_normal((n, n)))
    return (q1 * np.logspace(0, 1, n)) @ q2


def cases(seeds):
    for n, m in ((30, 30), (60, 60), (60, 30), (100, 100)):
        for seed in range(seeds):
            yield "random", f"{n}x{m}", np.random.default_rng(seed).uniform(-1, 1, (n, m))
    for n in (30, 60):
        for seed in range(seeds):
            rng = np.random.default_rng(100 + seed)
            d = 2.0 ** np.linspace(40, -40, n)
            yield "D1·B·D2", f"{n}x{n}", d[:, None] * well_conditioned(n, rng) * d[None, :]
            yield "B·D", f"{n}x{n}", well_conditioned(n, rng) * rng.permutation(d)[None, :]


def accuracy(seeds):
    rows = {}
    for kind, shape, a in cases(seeds):
        ref = reference(a)
        z = errors(zl.svd(a, compute_uv=False), ref, U_LONG)
        v = errors(zl.svd(a)[1], ref, U_LONG)
        d = errors(np.linalg.svd(a, compute_uv=False), ref, U_DOUBLE)
        worst = rows.setdefault((kind, shape), [0] * 7)
        for i, x in enumerate(z + v + d + (d[0] * U_DOUBLE / U_LONG,)):
            worst[i] = max(worst[i], x)
    print("| matrices | zelkor values alone: abs (u=2^-64) | rel | zelkor with vectors: abs | rel "
          "| numpy abs (2^-53) | numpy rel (2^-53) | numpy abs in 2^-64 |")
    print("|---|---|---|---|---|---|---|---|")
    for (kind, shape), w in rows.items():
        print(f"| {kind} {shape} | {w[0]:.2f} | {w[1]:.3g} | {w[2]:.2f} | {w[3]:.3g} | {w[4]:.2f} | {w[5]:.3g} "
              f"| {w[6]:.0f} |")


def speed(n, count):
    zelkor.set_num_threads(1)
    a = np.random.default_rng(1).uniform(-1, 1, (n, n)).astype(np.longdouble)
    runs = {"svd (vectors)": lambda: zl.svd(a), "svdvals": lambda: zl.svdvals(a), "eig": lambda: zl.eig(a),
            "numpy svd (double)": lambda: np.linalg.svd(a.astype(float))}
    print(f"\n| n = {n}, one thread | median (range) |\n|---|---|")
    for name, t in rounds(runs, count).items():
        print(f"| {name} | {show(t)} |")


if __name__ == "__main__":
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seeds", type=int, default=3)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--size", type=int, default=400)
    args = parser.parse_args()
    accuracy(args.seeds)
    if args.rounds:
        speed(args.size, args.rounds)
