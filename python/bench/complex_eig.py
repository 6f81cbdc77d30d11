#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Complex eigenvalues: accuracy against mpmath at 60 digits, and the speed
of complex eig against real eig.

Accuracy, as accuracy.py measures the real case: random complex matrices
(real and imaginary parts uniform in [-1, 1), numpy's default_rng(seed)),
max_i |w_i - λ_i| / (κ_i · u · ‖A‖_F), κ_i = ‖x_i‖‖y_i‖/|y_i·x_i| from
mpmath's right and left eigenvectors, u the method's unit roundoff (2**-64
for zelkor, 2**-53 for numpy's complex128).

Speed, on one thread: zelkor's eig of a complex n × n matrix against its eig
of a real one (four times the flops of the real double-shift iteration per
shift), numpy's complex128 eig beside, each round running every case once,
interleaved; medians and ranges of the rounds.  mpmath (64 bits) runs at
n = 40 and its time at n is extrapolated as t(40) · (n / 40)**3.

  env OPENBLAS_NUM_THREADS=1 PYTHONPATH=build/default/python \\
      /usr/bin/python3 python/bench/complex_eig.py [--seeds 3] [--rounds 7] [--n 200] [--speed-only]
"""

import argparse

import mpmath
import numpy as np

import zelkor
from zelkor import linalg as zl

from accuracy import U_DOUBLE, U_LONG, match, reference_with_conditions
from speed import rounds, show, timed


def random_complex(n, seed):
    g = np.random.default_rng(seed)
    return g.uniform(-1, 1, (n, n)) + 1j * g.uniform(-1, 1, (n, n))  # exact in every method


def accuracy(sizes, seeds):
    methods = [
        ("zelkor extended", U_LONG, lambda a: zl.eigvals(a)),
        ("zelkor tolerance='double'", U_LONG, lambda a: zl.eigvals(a, tolerance="double")),
        ("numpy (complex128)", U_DOUBLE, np.linalg.eigvals),
    ]
    print("max |w - λ| / (κ · u · ‖A‖_F), seeds 0 ...", seeds - 1)
    for n in sizes:
        table = {name: [] for name, _, _ in methods}
        for seed in range(seeds):
            a = random_complex(n, seed)
            w, kappa, frob = reference_with_conditions(a)
            for name, u, f in methods:
                pairs = match(f(a), w)
                table[name].append(float(max(abs(c - r) / (k * u * frob) for (c, r), k in zip(pairs, kappa))))
        print(f"\n| {n}×{n} | " + " | ".join(f"seed {s}" for s in range(seeds)) + " |")
        print("|---" * (seeds + 1) + "|")
        for name, values in table.items():
            print(f"| {name} | " + " | ".join(f"{v:.3g}" for v in values) + " |")


def speed(n, count):
    complex_a = random_complex(n, 1).astype(np.clongdouble)
    real_a = np.random.default_rng(1).uniform(-1, 1, (n, n)).astype(np.longdouble)
    cases = {
        "zelkor eig, complex": lambda: zl.eig(complex_a),
        "zelkor eig, real": lambda: zl.eig(real_a),
        "zelkor eigvals, complex": lambda: zl.eigvals(complex_a),
        "zelkor eigvals, real": lambda: zl.eigvals(real_a),
        "numpy eig, complex128": lambda: np.linalg.eig(complex_a.astype(np.complex128)),
    }
    saved = zelkor.get_num_threads()
    zelkor.set_num_threads(1)
    try:
        table = rounds(cases, count)
    finally:
        zelkor.set_num_threads(saved)
    with mpmath.workprec(64):
        m = mpmath.matrix(random_complex(40, 1).tolist())
        t40 = min(timed(lambda: mpmath.eig(m)) for _ in range(2))
    print(f"\nSpeed at n = {n}, one thread, medians of {count} interleaved rounds (range)\n")
    print("| case | time |")
    print("|---|---|")
    for name, value in table.items():
        print(f"| {name} | {show(value)} |")
    print(f"| mpmath eig, complex, 64 bits (t(40) = {t40:.3g} s, × ({n}/40)³) | {t40 * (n / 40) ** 3:.3g} s |")
    for what in ("eig", "eigvals"):
        ratio = table[f"zelkor {what}, complex"][0] / table[f"zelkor {what}, real"][0]
        print(f"\ncomplex {what}({n}) / real {what}({n}): {ratio:.2f}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seeds", type=int, default=3)
    parser.add_argument("--rounds", type=int, default=7)
    parser.add_argument("--n", type=int, default=200)
    parser.add_argument("--speed-only", action="store_true")
    args = parser.parse_args()
    if not args.speed_only:
        accuracy((30, 60), args.seeds)
    speed(args.n, args.rounds)


if __name__ == "__main__":
    main()
