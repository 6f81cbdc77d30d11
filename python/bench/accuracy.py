#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Accuracy of eigenvalues and roots against mpmath at 60 digits.

For random matrices (entries uniform in [-1, 1), numpy's default_rng(seed))
the measure is  max_i |w_i - λ_i| / (κ_i · u · ‖A‖_F),  κ_i = ‖x_i‖‖y_i‖/|y_i·x_i|
the condition number of λ_i (right and left eigenvectors from the
reference), u the method's unit roundoff (2**-53 for numpy's double, 2**-64
for long double and for mpmath at 64 bits).  A backward stable method gives
a few units.  For Frank 12 (eigenvalues), Wilkinson's (x-1)...(x-20) and
Chebyshev's T20 (roots from the coefficients, as numpy.roots) it is the
largest relative error (absolute for T20, whose roots lie in (-1, 1)).
The row of eigh measures the symmetric path on the symmetric part of the
same matrix (κ = 1).  For qr the measures are the backward error
‖A - Q·R‖_F / ‖A‖_F and ‖QᵀQ - I‖_F in the method's u, the products formed
to about u² (Dekker's exact products, compensated sums); --qr prints
only these.

  PYTHONPATH=build/default/python /usr/bin/python3 python/bench/accuracy.py [--seeds 5] [--no-mpmath64] [--qr]
"""

import argparse

import mpmath
import numpy as np

import zelkor
from zelkor import linalg as zl

mpmath.mp.dps = 60  # every conversion and difference below; the 64-bit runs set their own
U_DOUBLE = 2.0**-53
U_LONG = mpmath.mpf(2) ** -64
SYMMETRIC = "zelkor eigh, (a + aᵀ)/2"


def exact(x):
    """A long double, double, int or mpmath number, exactly as an mpmath number."""
    if isinstance(x, (mpmath.mpf, mpmath.mpc)):
        return +x  # at 60 digits: exact for 64-bit values
    if isinstance(x, (int, np.integer)):
        return mpmath.mpf(int(x))
    x = np.clongdouble(x)
    re, im = (mpmath.mpf(n) / d for n, d in (x.real.as_integer_ratio(), x.imag.as_integer_ratio()))
    return mpmath.mpc(re, im) if im else re


def match(computed, reference):
    """Each reference value paired with the nearest computed value not yet taken."""
    left = [exact(z) for z in computed]
    pairs = []
    for z in reference:
        k = min(range(len(left)), key=lambda i: abs(left[i] - z))
        pairs.append((left.pop(k), z))
    return pairs


def reference_with_conditions(a):
    """Eigenvalues of a at 60 digits with their condition numbers."""
    with mpmath.workdps(60):
        m = mpmath.matrix([[exact(x) for x in row] for row in a])
        w, left, right = mpmath.eig(m, left=True, right=True)
        n = len(w)
        kappa = []
        for i in range(n):
            x = [right[k, i] for k in range(n)]
            y = [left[i, k] for k in range(n)]
            nx = mpmath.sqrt(sum(abs(t) ** 2 for t in x))
            ny = mpmath.sqrt(sum(abs(t) ** 2 for t in y))
            kappa.append(nx * ny / abs(sum(y[k] * x[k] for k in range(n))))
        frob = mpmath.sqrt(sum(abs(exact(x)) ** 2 for row in a for x in row))
    return w, kappa, frob


def mpmath64_eigvals(a):
    with mpmath.workprec(64):
        m = mpmath.matrix([[exact(x) for x in row] for row in a])
        return [mpmath.mpc(z) for z in mpmath.eig(m, left=False, right=False)]


def methods(use_mpmath64):
    out = [
        ("numpy (double)", U_DOUBLE, lambda a: np.linalg.eigvals(np.asarray(a, dtype=np.float64))),
        ("zelkor extended", U_LONG, lambda a: zl.eigvals(a)),
        ("zelkor tolerance='double'", U_LONG, lambda a: zl.eigvals(a, tolerance="double")),
    ]
    if use_mpmath64:
        out.append(("mpmath 64 bits", U_LONG, mpmath64_eigvals))
    return out


def symmetric_measure(s):
    """eigh's worst eigenvalue of the symmetric s, by the same measure (κ = 1)."""
    with mpmath.workdps(60):
        m = mpmath.matrix([[exact(x) for x in row] for row in s])
        w = sorted(mpmath.eigsy(m, eigvals_only=True))
        frob = mpmath.sqrt(sum(exact(x) ** 2 for row in s for x in row))
        return float(max(abs(exact(c) - r) for c, r in zip(zl.eigh(s)[0], w)) / (U_LONG * frob))


def random_measure(n, seeds, use_mpmath64):
    rows = {name: [] for name, _, _ in methods(use_mpmath64)}
    rows[SYMMETRIC] = []
    for seed in range(seeds):
        a = np.random.default_rng(seed).uniform(-1, 1, (n, n))  # exact in every method
        w, kappa, frob = reference_with_conditions(a)
        for name, u, f in methods(use_mpmath64):
            pairs = match(f(a), w)
            worst = max(abs(c - r) / (k * u * frob) for (c, r), k in zip(pairs, kappa))
            rows[name].append(float(worst))
        rows[SYMMETRIC].append(symmetric_measure((a + a.T) / 2))
    return rows


def frank(n):
    return np.array([[n + 1 - max(i, j) if j >= i - 1 else 0 for j in range(1, n + 1)] for i in range(1, n + 1)])


def polynomial(roots_of):
    c = [1]
    for r in roots_of:  # multiply by (x - r), exactly in Python integers
        c = [a - r * b for a, b in zip(c + [0], [0] + c)]
    return c


def chebyshev(n):
    t = [[1], [1, 0]]
    for _ in range(2, n + 1):
        t.append([2 * a - b for a, b in zip(t[-1] + [0], [0, 0] + t[-2])])
    return t[n]


def companion_roots_mpmath64(c):
    with mpmath.workprec(64):
        n = len(c) - 1
        m = mpmath.matrix(n, n)
        for j in range(n):
            m[0, j] = -mpmath.mpf(c[j + 1]) / c[0]
        for i in range(1, n):
            m[i, i - 1] = 1
        return [mpmath.mpc(z) for z in mpmath.eig(m, left=False, right=False)]


def classic(use_mpmath64):
    with mpmath.workdps(60):
        f12 = frank(12)
        frank_ref = mpmath.eig(mpmath.matrix(f12.tolist()), left=False, right=False)
        cheb_ref = [mpmath.cos((2 * k - 1) * mpmath.pi / 40) for k in range(1, 21)]
    wilk = polynomial(range(1, 21))
    cheb = chebyshev(20)
    cases = [
        ("Frank 12 (relative)", f12, frank_ref, False, "matrix"),
        ("Wilkinson 20 (relative)", wilk, [mpmath.mpf(k) for k in range(1, 21)], False, "poly"),
        ("Chebyshev T20 (absolute)", cheb, cheb_ref, True, "poly"),
    ]
    table = {}
    for label, data, ref, absolute, kind in cases:
        runs = [
            ("numpy (double)", (lambda d: np.linalg.eigvals(d.astype(float))) if kind == "matrix"
             else (lambda d: np.roots(np.array(d, dtype=float)))),
            ("zelkor extended", (lambda d: zl.eigvals(d)) if kind == "matrix" else (lambda d: zelkor.roots(d))),
            ("zelkor tolerance='double'", (lambda d: zl.eigvals(d, tolerance="double")) if kind == "matrix"
             else (lambda d: zelkor.roots(d, tolerance="double"))),
        ]
        if use_mpmath64:
            runs.append(("mpmath 64 bits", mpmath64_eigvals if kind == "matrix" else companion_roots_mpmath64))
        for name, f in runs:
            pairs = match(f(data), ref)
            worst = max(abs(c - r) / (1 if absolute else abs(r)) for c, r in pairs)
            table.setdefault(name, []).append(float(worst))
    return [c[0] for c in cases], table


def accurate_product(x, y):
    """x @ y in long double as s + c, within about u² of the exact product:
    each x[i, k]·y[k, j] split exactly into two long doubles (Dekker, halves
    of 32 bits), the terms added with TwoSum."""
    split = np.longdouble(2**32 + 1)

    def halves(v):
        t = split * v
        high = t - (t - v)
        return high, v - high

    s = np.zeros((x.shape[0], y.shape[1]), dtype=np.longdouble)
    c = np.zeros_like(s)
    for k in range(x.shape[1]):
        a, b = x[:, k:k + 1], y[k:k + 1, :]
        (ah, al), (bh, bl) = halves(a), halves(b)
        p = a * b
        e = ((ah * bh - p) + ah * bl + al * bh) + al * bl
        t = s + p
        z = t - s
        c += (s - (t - z)) + (p - z) + e
        s = t
    return s, c


def qr_measures(shapes, seeds):
    """Largest backward error and loss of orthogonality of qr over the seeds,
    in units of each method's u: {(m, n): {method: (backward, orthogonality)}}."""
    table = {}
    for m, n in shapes:
        rows = table.setdefault((m, n), {})
        for seed in range(seeds):
            a = np.random.default_rng(seed).uniform(-1, 1, (m, n))
            for name, u, (q, r) in (("zelkor", 2.0**-64, zl.qr(a)), ("numpy (double)", U_DOUBLE, np.linalg.qr(a))):
                q, r = q.astype(np.longdouble), r.astype(np.longdouble)
                s, c = accurate_product(q, r)
                backward = np.linalg.norm(((a - s) - c).astype(float)) / np.linalg.norm(a) / u
                s, c = accurate_product(q.T, q)
                orthogonality = np.linalg.norm(((s - np.eye(q.shape[1])) + c).astype(float)) / u
                old = rows.get(name, (0.0, 0.0))
                rows[name] = (max(old[0], backward), max(old[1], orthogonality))
    return table


def print_qr(seeds):
    print(f"qr: max over seeds 0 ... {seeds - 1} of ‖A - Q·R‖_F / ‖A‖_F and ‖QᵀQ - I‖_F, in u "
          "(2**-64 for zelkor, 2**-53 for numpy)\n")
    print("| m × n | method | backward error / u | orthogonality / u |")
    print("|---|---|---|---|")
    for (m, n), rows in qr_measures([(100, 100), (400, 400), (200, 50)], seeds).items():
        for name, (backward, orthogonality) in rows.items():
            print(f"| {m} × {n} | {name} | {backward:.3g} | {orthogonality:.3g} |")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--seeds", type=int, default=5)
    parser.add_argument("--no-mpmath64", action="store_true", help="leave out mpmath at 64 bits (slow)")
    parser.add_argument("--qr", action="store_true", help="only the measures of qr")
    args = parser.parse_args()
    print_qr(args.seeds)
    if args.qr:
        return
    print()
    use64 = not args.no_mpmath64
    print("max |w - λ| / (κ · u · ‖A‖_F), seeds 0 ...", args.seeds - 1)
    for n in (30, 50):
        rows = random_measure(n, args.seeds, use64)
        print(f"\n| {n}×{n} | " + " | ".join(f"seed {s}" for s in range(args.seeds)) + " |")
        print("|---" * (args.seeds + 1) + "|")
        for name, values in rows.items():
            print(f"| {name} | " + " | ".join(f"{v:.3g}" for v in values) + " |")
    labels, table = classic(use64)
    print("\n| classic case | " + " | ".join(labels) + " |")
    print("|---" * (len(labels) + 1) + "|")
    for name, values in table.items():
        print(f"| {name} | " + " | ".join(f"{v:.2g}" for v in values) + " |")


if __name__ == "__main__":
    main()
