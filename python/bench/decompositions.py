#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Speed of the factorisations on one thread: zelkor against numpy (double)
and mpmath at 64 bits.

Random matrices uniform in [-1, 1) (for cholesky and cho_factor a·aᵀ + n·I);
each round runs every case once, interleaved; the table gives the median of
the rounds and their range, and the ratios the issue names.  mpmath runs at
small n only, its figure at the largest n extrapolated as t(n₀)·(n/n₀)³ (and
said so).

  env OPENBLAS_NUM_THREADS=1 PYTHONPATH=build/default/python \\
      /usr/bin/python3 python/bench/decompositions.py [--rounds 5] [--n 400]
"""

import argparse

import mpmath
import numpy as np

import zelkor
from zelkor import linalg as zl

from speed import rounds, show  # interleaved rounds: median and range


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--n", type=int, default=400)
    parser.add_argument("--mpmath-n", type=int, default=40)
    args = parser.parse_args()
    n = args.n
    g = np.random.default_rng(7)
    a = g.uniform(-1, 1, (n, n))
    spd = a @ a.T + n * np.eye(n)
    b = g.uniform(-1, 1, n)
    al, spdl, bl = (x.astype(np.longdouble) for x in (a, spd, b))
    factors = zl.lu_factor(al)
    zelkor.set_num_threads(1)
    cases = {
        "eig": (lambda: zl.eig(al), lambda: np.linalg.eig(a)),
        "svd": (lambda: zl.svd(al), lambda: np.linalg.svd(a)),
        "svdvals": (lambda: zl.svdvals(al), lambda: np.linalg.svd(a, compute_uv=False)),
        "qr": (lambda: zl.qr(al), lambda: np.linalg.qr(a)),
        "lu (lu_factor)": (lambda: zl.lu_factor(al), None),
        "cholesky": (lambda: zl.cholesky(spdl), lambda: np.linalg.cholesky(spd)),
        "solve": (lambda: zl.solve(al, bl), lambda: np.linalg.solve(a, b)),
        "lu_solve (factored)": (lambda: zl.lu_solve(factors, bl), None),
    }
    flat = {}
    for name, (z, d) in cases.items():
        flat["zelkor " + name] = z
        if d:
            flat["numpy " + name] = d
    r = rounds(flat, args.rounds)
    m = args.mpmath_n
    with mpmath.workprec(64):
        am = mpmath.matrix(g.uniform(-1, 1, (m, m)).tolist())
        spdm = am * am.T + m * mpmath.eye(m)
        bm = mpmath.matrix(g.uniform(-1, 1, m).tolist())

    def at64(f):
        def go():
            with mpmath.workprec(64):
                f()
        return go

    mp = rounds({
        "eig": at64(lambda: mpmath.eig(am)),
        "svd": at64(lambda: mpmath.svd_r(am)),
        "svdvals": at64(lambda: mpmath.svd_r(am, compute_uv=False)),
        "qr": at64(lambda: mpmath.qr(am)),
        "cholesky": at64(lambda: mpmath.cholesky(spdm)),
        "solve": at64(lambda: mpmath.lu_solve(am, bm)),
    }, max(1, min(args.rounds, 3)))
    scale = (n / m) ** 3
    print(f"n = {n}, one thread; mpmath at n = {m}, × (n/{m})³\n")
    print("| operation | zelkor (long double) | numpy (double) | mpmath 64 bits (extrapolated) |")
    print("|---|---|---|---|")
    for name in cases:
        key = name.split(" ")[0]
        numpy = r.get("numpy " + name)
        mpm = mp.get(key)
        print(f"| {name} | {show(r['zelkor ' + name])} | {show(numpy) if numpy else '—'} | "
              + (f"{mpm[0] * scale:.3g} s |" if mpm else "— |"))
    t = {name: r["zelkor " + name][0] for name in cases}
    print(f"\nsvd ÷ eig {t['svd'] / t['eig']:.2f};  svd ÷ svdvals {t['svd'] / t['svdvals']:.2f};  "
          f"lu ÷ cholesky {t['lu (lu_factor)'] / t['cholesky']:.2f};  "
          f"solve ÷ lu_solve {t['solve'] / t['lu_solve (factored)']:.1f}")


if __name__ == "__main__":
    main()
