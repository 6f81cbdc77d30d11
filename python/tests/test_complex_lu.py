# SPDX-License-Identifier: MIT
"""Complex input to the LU and Cholesky family: mpmath references for solve
and det, a mixed real and complex solve worked by hand, the factor
identities and residuals on a stack, a matrix that is not positive
definite."""

import mpmath
import numpy as np
import pytest

from zelkor import linalg as zl

EPS = np.finfo(np.longdouble).eps  # 2**-63
mpmath.mp.dps = 50


def crandom(shape, seed):
    g = np.random.default_rng(seed)
    return (g.uniform(-1, 1, shape) + 1j * g.uniform(-1, 1, shape)).astype(np.clongdouble)


def mp(x):
    re, im = (mpmath.mpf(n) / d for n, d in (x.real.as_integer_ratio(), x.imag.as_integer_ratio()))
    return mpmath.mpc(re, im)


def fro(x):
    return np.sqrt(np.sum(np.abs(x) ** 2, axis=(-2, -1)))


def herm(x):
    return np.conj(np.swapaxes(x, -1, -2))


def test_solve_and_det_against_mpmath():
    # Entries with bits below double's: the reference solves the same long
    # doubles; errors within a small multiple of cond(a)·u.
    n = 8
    a = crandom((n, n), 1) * (1 + np.longdouble(2) ** -60)
    b = crandom((n,), 2)
    A, B = mpmath.matrix([[mp(v) for v in row] for row in a]), mpmath.matrix([mp(v) for v in b])
    xr, dr = mpmath.lu_solve(A, B), mpmath.det(A)
    kappa = float(mpmath.mnorm(A, 1) * mpmath.mnorm(A**-1, 1))
    x, d = zl.solve(a, b), zl.det(a)
    assert x.dtype == d.dtype == np.clongdouble
    assert float(max(abs(mp(x[i]) - xr[i]) for i in range(n)) / mpmath.norm(xr, mpmath.inf)) <= 4 * n * kappa * EPS
    assert float(abs(mp(d) - dr) / abs(dr)) <= 4 * n * kappa * EPS
    sign, logabs = zl.slogdet(a)
    assert sign.dtype == np.clongdouble and logabs.dtype == np.longdouble
    assert float(abs(mp(sign) - dr / abs(dr))) <= 4 * n * kappa * EPS
    assert float(abs(mp(logabs) - mpmath.log(abs(dr)))) <= 4 * n * kappa * EPS


def test_mixed_solve_by_hand():
    # (2, 1; 1, 3)·x = (1 + 2i, 3i): det 5, x = ((3 + 3i)/5, (−1 + 4i)/5); a
    # clongdouble right-hand side keeps its last bits through the identity.
    x = zl.solve([[2, 1], [1, 3]], [1 + 2j, 3j])
    assert x.dtype == np.clongdouble
    assert np.all(np.abs(x - np.array([3 + 3j, -1 + 4j], dtype=np.clongdouble) / 5) <= 2 * EPS)
    b = np.array([1 + 1j, 2j], dtype=np.clongdouble) * (1 + np.longdouble(2) ** -62)
    assert np.array_equal(zl.solve(np.eye(2), b), b)


def test_stack_identities():
    a = crandom((2, 3, 5, 5), 3)
    b = crandom((2, 3, 5, 2), 4)
    tol = 16 * 5 * EPS
    x = zl.solve(a, b)
    assert np.all(fro(a @ x - b) <= tol * fro(a) * fro(x))
    ainv = zl.inv(a)
    assert np.all(fro(a @ ainv - np.eye(5)) <= tol * fro(a) * fro(ainv))
    p, l, u = zl.lu(a)
    assert np.all(fro(p @ l @ u - a) <= tol * fro(a))
    sign, logabs = zl.slogdet(a)
    d = zl.det(a)
    assert np.all(np.abs(sign * np.exp(logabs) - d) <= tol * np.abs(d))
    assert np.all(fro(zl.matrix_power(a, -2) @ a @ a - np.eye(5)) <= 4 * tol * fro(a) ** 2 * fro(ainv) ** 2)
    h = a @ herm(a)
    c = zl.cholesky(h)
    assert np.array_equal(c, np.tril(c)) and np.all(np.diagonal(c, axis1=-2, axis2=-1).imag == 0)
    assert np.all(fro(c @ herm(c) - h) <= tol * fro(h))
    assert np.array_equal(zl.cholesky(h, upper=True), herm(c))
    f, k = zl.lu_factor(a[0, 0]), zl.cho_factor(h[0, 0])
    for trans, op in ((0, a[0, 0]), (1, a[0, 0].T), (2, herm(a[0, 0]))):
        y = zl.lu_solve(f, b[0, 0], trans=trans)
        assert fro(op @ y - b[0, 0]) <= tol * fro(a[0, 0]) * fro(y)
        t = np.tril(a[0, 0])
        y = zl.solve_triangular(t, b[0, 0], trans=trans, lower=True)
        assert fro({0: t, 1: t.T, 2: herm(t)}[trans] @ y - b[0, 0]) <= tol * fro(t) * fro(y)
    y = zl.cho_solve(k, b[0, 0])
    assert fro(h[0, 0] @ y - b[0, 0]) <= tol * fro(h[0, 0]) * fro(y)
    z = zl.multi_dot([a[0, 0], a[0, 1].real, b[0, 0]])
    assert fro(z - a[0, 0] @ a[0, 1].real @ b[0, 0]) <= tol * fro(z)


def test_not_positive_definite():
    # (1, 2i; −2i, 1): the second pivot is 1 − |2i|² = −3.
    h = np.array([[1, 2j], [-2j, 1]])
    with pytest.raises(np.linalg.LinAlgError, match="^Matrix is not positive definite$"):
        zl.cholesky(h)
    with pytest.raises(np.linalg.LinAlgError, match="^2-th leading minor"):
        zl.cho_factor(h)
