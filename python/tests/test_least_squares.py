# SPDX-License-Identifier: MIT
"""lstsq, pinv and matrix_rank: residuals orthogonal to the range, mpmath
references at 50 digits, numpy's result shapes, and a rank that only long
double resolves."""

import mpmath
import numpy as np
import pytest
from numpy.linalg import LinAlgError

from zelkor import linalg as zl

EPS = np.finfo(np.longdouble).eps  # 2**-63
mpmath.mp.dps = 50


def mp_matrix(a):
    def exact(x):
        n, d = np.longdouble(x).as_integer_ratio()
        return mpmath.mpf(n) / d

    return mpmath.matrix([[exact(x) for x in row] for row in np.atleast_2d(a)])


def rel_error(x, ref):
    return float(mpmath.mnorm(mp_matrix(x) - ref, 1) / mpmath.mnorm(ref, 1))


def test_lstsq_against_mpmath_and_orthogonal_residual():
    # A Vandermonde fit (κ ≈ 1e5) with a residual: x against the normal
    # equations at 50 digits, the residual orthogonal to the columns.
    t = np.linspace(0, 1, 12, dtype=np.longdouble)
    a = np.vander(t, 6, increasing=True)
    b = np.cos(7 * t) + np.longdouble(1) / 3
    x, res, rank, s = zl.lstsq(a, b, rcond=None)
    A, B = mp_matrix(a), mp_matrix(b[:, None])
    ref = mpmath.lu_solve(A.T * A, A.T * B)
    kappa = s[0] / s[-1]
    assert x.dtype == np.longdouble and rank == 6 and x.shape == (6,) and res.shape == (1,)
    assert rel_error(x[:, None], ref) <= 4 * kappa * EPS
    r = b - a @ x
    assert np.max(np.abs(a.T @ r)) <= 16 * EPS * s[0] * np.linalg.norm(b)
    assert abs(res[0] - r @ r) <= 16 * EPS * (r @ r) * kappa


@pytest.mark.parametrize(
    "shape, bshape, rshape",
    [((5, 3), (5,), (1,)), ((5, 3), (5, 2), (2,)), ((2, 3), (2,), (0,)), ((3, 0), (3, 2), (2,)), ((0, 3), (0,), (0,))],
)
def test_lstsq_shapes_as_numpy(shape, bshape, rshape):
    rng = np.random.default_rng(1)
    a, b = rng.uniform(-1, 1, shape), rng.uniform(-1, 1, bshape)
    x, res, rank, s = zl.lstsq(a, b, rcond=None)
    xn, _, rankn, sn = np.linalg.lstsq(a, b, rcond=None)
    assert x.shape == xn.shape and res.shape == rshape and rank == rankn and s.shape == sn.shape
    assert np.allclose(x.astype(float), xn, atol=1e-12)


def test_rank_and_pinv_below_double_resolution():
    # A = X·diag(1, 1, 1, 1, 2**-57)·Y, X and Y of -1, 0, 1, exact in long
    # double: rank 5, its smallest nonzero singular value 1.2e-17 (lost in
    # double), 1.2e-18 of the largest, above the threshold 8 eps.
    rng = np.random.default_rng(1)
    x, y = rng.integers(-1, 2, (8, 5)), rng.integers(-1, 2, (5, 8))
    d = np.array([1, 1, 1, 1, 2.0**-57], dtype=np.longdouble)
    a = (x * d) @ y
    assert zl.matrix_rank(a) == 5 and zl.matrix_rank(np.stack([a, a[:, ::-1]])).tolist() == [5, 5]
    assert zl.matrix_rank(a, tol=1e-10) == 4 and zl.matrix_rank(a, rtol=1e-10) == 4
    # The pseudo-inverse against the exact one, V·S⁺·Uᵀ over the five nonzero
    # singular values at 50 digits, within its condition σ₁/σ₅·u.
    U, S, V = mpmath.svd_r(mp_matrix(a))
    top = sorted(range(8), key=lambda k: -S[k])[:5]
    ref = sum((V[k, :].T * (U[:, k].T / S[k]) for k in top), mpmath.zeros(8, 8))
    s = zl.svdvals(a)
    assert rel_error(zl.pinv(a), ref) <= 4 * s[0] / s[4] * EPS
    assert zl.matrix_rank(zl.pinv(a, rtol=1e-10)) == 4


def test_pinv_against_mpmath_on_a_stack():
    a = np.random.default_rng(4).uniform(-1, 1, (2, 5, 3)).astype(np.longdouble)
    p = zl.pinv(a)
    assert p.shape == (2, 3, 5)
    for k in range(2):
        A = mp_matrix(a[k])
        assert rel_error(p[k], mpmath.inverse(A.T * A) * A.T) <= 64 * EPS


def test_errors():
    with pytest.raises(LinAlgError, match="Incompatible dimensions"):
        zl.lstsq(np.eye(3), np.ones(2), rcond=None)
    with pytest.raises(LinAlgError, match="3-dimensional array given"):
        zl.lstsq(np.ones((2, 2, 2)), np.ones(2), rcond=None)
    with pytest.raises(LinAlgError):
        zl.lstsq([[np.inf, 1], [1, 1]], [1, 1], rcond=None)
    with pytest.raises(ValueError, match="can't be both set"):
        zl.pinv(np.eye(2), rcond=1e-3, rtol=1e-3)
