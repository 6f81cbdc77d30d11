#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Factor once, solve many: the cost of a solve with stored factors against a
whole solve, and of the Cholesky factorisation against LU's, on one thread.

Random matrices (uniform in [-1, 1); a·aᵀ + n·I for Cholesky); each round
runs every case once, the cases interleaved; the table gives the median of
the rounds and their range.  "lu_solve, in a row" is one of ten calls made
back to back, as a loop solving with one factorisation makes them: between
the other cases, the memory freed by the factorisations goes back to the
system and the copy of the factor in lu_solve touches fresh pages.

  PYTHONPATH=build/default/python /usr/bin/python3 python/bench/factored.py [--rounds 15] [--sizes 100 400]
"""

import argparse

import numpy as np

import zelkor
from zelkor import linalg as zl

from speed import rounds, show  # interleaved rounds: median and range


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--rounds", type=int, default=15)
    parser.add_argument("--sizes", type=int, nargs="+", default=[100, 400])
    args = parser.parse_args()
    g = np.random.default_rng(3)
    saved = zelkor.get_num_threads()
    zelkor.set_num_threads(1)
    print("| n | solve | lu_solve | solve ÷ lu_solve | lu_solve, in a row | solve ÷ that | lu_factor | cho_factor "
          "| lu_factor ÷ cho_factor |")
    print("|---" * 9 + "|")
    for n in args.sizes:
        a = g.uniform(-1, 1, (n, n)).astype(np.longdouble)
        b = g.uniform(-1, 1, n).astype(np.longdouble)
        s = a @ a.T + n * np.eye(n)
        f = zl.lu_factor(a)
        r = rounds({
            "solve": lambda: zl.solve(a, b),
            "lu_solve": lambda: zl.lu_solve(f, b),
            "in a row": lambda: [zl.lu_solve(f, b) for _ in range(10)],
            "lu_factor": lambda: zl.lu_factor(s),
            "cho_factor": lambda: zl.cho_factor(s),
        }, args.rounds)
        row = tuple(t / 10 for t in r["in a row"])
        print(f"| {n} | {show(r['solve'])} | {show(r['lu_solve'])} | {r['solve'][0] / r['lu_solve'][0]:.1f} | "
              f"{show(row)} | {r['solve'][0] / row[0]:.1f} | "
              f"{show(r['lu_factor'])} | {show(r['cho_factor'])} | {r['lu_factor'][0] / r['cho_factor'][0]:.2f} |")
    zelkor.set_num_threads(saved)


if __name__ == "__main__":
    main()
