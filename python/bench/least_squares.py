#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Least squares, rank and pseudo-inverse against mpmath at 60 digits.

Polynomial fit: t at 100 equispaced points of [0, 1], the Vandermonde
matrix of degree 15 in the monomials (κ about 1e11), b = A·c for random
coefficients c, rounded.  Each method is measured against the exact
least-squares solution of its own stored data (long double for zelkor,
double for numpy): the forward error ‖x − x*‖/‖x*‖, also in units of κ·u
(u = 2**-64 for long double, 2**-53 for double).

Rank: A = X·D·Y with X (8×5) and Y (5×8) of -1, 0 and 1 and
D = diag(1, 1, 1, 1, 2**-57), every entry exact in long double; its
smallest nonzero singular value is about 1e-17, below double's resolution.
matrix_rank and pinv of zelkor (long double) and numpy (the data rounded to
double) against the exact rank (5) and the exact pseudo-inverse.

  PYTHONPATH=build/default/python /usr/bin/python3 python/bench/least_squares.py [--seeds 3]
"""

import argparse

import mpmath
import numpy as np

from zelkor import linalg as zl

mpmath.mp.dps = 60


def exact(x):
    n, d = np.longdouble(x).as_integer_ratio()
    return mpmath.mpf(n) / d


def mp_matrix(a):
    return mpmath.matrix([[exact(x) for x in row] for row in np.atleast_2d(a)])


def least_squares_reference(a, b):
    """The exact least-squares solution of (a, b): the normal equations at
    60 digits (κ² ≈ 1e22 leaves about 38 digits)."""
    A = mp_matrix(a)
    B = mpmath.matrix([exact(x) for x in b])
    return mpmath.lu_solve(A.T * A, A.T * B)


def relative(x, ref):
    diff = [exact(v) - ref[i] for i, v in enumerate(x)]
    return float(mpmath.norm(mpmath.matrix(diff)) / mpmath.norm(ref))


def fit(seed):
    rng = np.random.default_rng(seed)
    t = np.linspace(0, 1, 100, dtype=np.longdouble)
    a = np.vander(t, 16, increasing=True)
    c = rng.uniform(-1, 1, 16).astype(np.longdouble)
    b = a @ c
    s = mpmath.svd_r(mp_matrix(a), compute_uv=False)
    kappa = float(max(s) / min(s))
    rows = []
    x = zl.lstsq(a, b, rcond=None)[0]
    err = relative(x, least_squares_reference(a, b))
    rows.append(("zelkor lstsq (long double)", err, err / (kappa * 2.0**-64)))
    ad, bd = a.astype(np.float64), b.astype(np.float64)
    xd = np.linalg.lstsq(ad, bd, rcond=None)[0]
    errd = relative(xd, least_squares_reference(ad, bd))
    rows.append(("numpy lstsq (double)", errd, errd / (kappa * 2.0**-53)))
    return kappa, rows


def rank_case(seed):
    rng = np.random.default_rng(seed)
    x = rng.integers(-1, 2, (8, 5))
    y = rng.integers(-1, 2, (5, 8))
    d = [mpmath.mpf(1)] * 4 + [mpmath.mpf(2) ** -57]
    A = mpmath.matrix(8, 8)
    for i in range(8):
        for j in range(8):
            A[i, j] = sum(int(x[i, k]) * d[k] * int(y[k, j]) for k in range(5))
    a = np.array([[np.longdouble(mpmath.nstr(A[i, j], 40)) for j in range(8)] for i in range(8)])
    assert all(exact(a[i, j]) == A[i, j] for i in range(8) for j in range(8)), "not exact in long double"
    U, S, V = mpmath.svd_r(A)
    smallest = sorted(S, reverse=True)[4]
    # The exact pseudo-inverse: V·S⁺·Uᵀ over the five nonzero singular values.
    keep = [k for k in range(8) if S[k] > smallest / 2]
    P = mpmath.matrix(8, 8)
    for k in keep:
        P += V[k, :].T * (U[:, k].T / S[k])
    def pinv_error(p):
        return float(mpmath.mnorm(mp_matrix(p) - P, 1) / mpmath.mnorm(P, 1))
    return float(smallest), [
        ("zelkor (long double)", int(zl.matrix_rank(a)), pinv_error(zl.pinv(a))),
        ("numpy (double)", int(np.linalg.matrix_rank(a.astype(float))), pinv_error(np.linalg.pinv(a.astype(float)))),
    ]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--seeds", type=int, default=3)
    args = parser.parse_args()
    print("polynomial fit, 100 points, degree 15 (forward error)")
    print(f"{'seed':>4}  {'kappa':>8}  {'method':<28} {'rel. error':>10}  {'/(κ·u)':>7}")
    for seed in range(args.seeds):
        kappa, rows = fit(seed)
        for name, err, units in rows:
            print(f"{seed:>4}  {kappa:8.1e}  {name:<28} {err:10.2e}  {units:7.2f}")
    print("\nrank 5 with the smallest nonzero singular value near 1e-17 (exact rank 5)")
    print(f"{'seed':>4}  {'σ5':>8}  {'method':<22} {'rank':>4}  {'pinv rel. error':>15}")
    for seed in range(args.seeds):
        smallest, rows = rank_case(seed)
        for name, rank, err in rows:
            print(f"{seed:>4}  {smallest:8.1e}  {name:<22} {rank:>4}  {err:15.2e}")


if __name__ == "__main__":
    main()
