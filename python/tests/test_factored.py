# SPDX-License-Identifier: MIT
"""Factor once and solve many (scipy's functions), norms and condition
numbers, products and tensors: bits shared with solve, factor identities and
residuals with tolerances in long double units, exact norms at the ends of
the exponent range, numpy's shapes and values for the conventions."""

import itertools
import warnings

import numpy as np
import pytest

from zelkor import _products
from zelkor import linalg as zl

EPS = np.finfo(np.longdouble).eps  # 2**-63
DOUBLE = 64 * np.finfo(np.float64).eps


def random(shape, seed):
    return np.random.default_rng(seed).uniform(-1, 1, shape).astype(np.longdouble)


def two(k):
    return np.ldexp(np.longdouble(1), k)


@pytest.mark.parametrize("n", [1, 7, 120])
def test_lu_factor_and_solve(n):
    a, b = random((n, n), n), random((n, 3), n + 1)
    lu, piv = zl.lu_factor(a)
    assert np.array_equal(zl.lu_solve((lu, piv), b), zl.solve(a, b))
    assert np.array_equal(zl.lu_solve((lu, piv), b[:, 0]), zl.solve(a, b[:, 0]))
    # a is P·L·U with P the interchanges undone from the last.
    plu = (np.tril(lu, -1) + np.eye(n)) @ np.triu(lu)
    for i in reversed(range(n)):
        plu[[i, piv[i]]] = plu[[piv[i], i]]
    assert np.abs(plu - a).max() <= 4 * n * EPS
    for trans in (1, "T"):
        x = zl.lu_solve((lu, piv), b, trans=trans)
        assert np.abs(a.T @ x - b).max() <= 8 * n * EPS * np.abs(a).sum(axis=0).max() * np.abs(x).max()


def test_singular_factors_and_bad_shapes():
    with pytest.warns(zl.LinAlgWarning, match="^Diagonal number 2 is exactly zero. Singular matrix.$"):
        f = zl.lu_factor([[1, 2], [2, 4]])
    with pytest.raises(zl.LinAlgError, match="resolution failed at diagonal 1$"):
        zl.lu_solve(f, [1, 2])
    with pytest.raises(zl.LinAlgError, match="^2-th leading minor of the array is not positive definite$"):
        zl.cho_factor([[1, 2], [2, 1]])
    with pytest.raises(zl.LinAlgError, match="^singular matrix: resolution failed at diagonal 1$"):
        zl.solve_triangular([[1, 0], [5, 0]], [1, 1], lower=True)
    with pytest.raises(ValueError, match="array must not contain infs or NaNs"):
        zl.lu_factor([[1, np.inf], [0, 1]])
    with pytest.raises(ValueError, match=r"shapes of a \(2, 2\) and b \(3,\) are incompatible"):
        zl.solve_triangular(np.eye(2), np.ones(3))
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        with pytest.raises(ValueError, match="expected square matrix"):
            zl.lu_factor(np.ones((2, 3)))


@pytest.mark.parametrize("n", [1, 9, 80])
def test_cholesky_and_triangular_solves(n):
    g = random((n, n), 3 * n)
    s, b = g @ g.T + n * np.eye(n), random((n, 2), n)
    for lower in (False, True):
        c, low = zl.cho_factor(s, lower=lower)
        t = np.tril(c) if lower else np.triu(c)
        assert low == lower and np.abs((t @ t.T if lower else t.T @ t) - s).max() <= 4 * n * EPS * n
        x = zl.cho_solve((c, low), b[:, 0])
        assert np.abs(s @ x - b[:, 0]).max() <= 8 * n * EPS * n * np.abs(x).max()
    # A well conditioned triangle; the other one NaN, which must not be read.
    for lower, trans, unit in itertools.product((False, True), (0, 1), (False, True)):
        t = (np.tril if lower else np.triu)(g / n + 2 * np.eye(n))
        a = np.where((np.tri(n) if lower else np.tri(n).T) > 0, t, np.nan)
        if unit:
            np.fill_diagonal(t, 1)
            np.fill_diagonal(a, np.nan)
        x = zl.solve_triangular(a, b, trans, lower, unit, check_finite=False)
        op = t.T if trans else t
        assert np.abs(op @ x - b).max() <= 4 * n * EPS * np.abs(op).sum(axis=1).max() * np.abs(x).max()


def test_norms_without_over_or_underflow():
    big, tiny = np.full(16, two(16000)), np.full(4, two(-16000))
    assert zl.norm(big[:4]) == two(16001) and zl.norm(big, 4) == two(16001)
    assert zl.norm(tiny.reshape(2, 2)) == two(-15999) and zl.norm(tiny, -2) == two(-16001)
    assert np.array_equal(zl.vector_norm(big.reshape(4, 4), axis=1, keepdims=True), np.full((4, 1), two(16001)))
    assert zl.matrix_norm(tiny.reshape(1, 2, 2), keepdims=True) == two(-15999)


ORDERS = [None, "fro", np.inf, -np.inf, 0, 1, -1, 3, -3.5]
SVD_ORDERS = [2, -2, "nuc"]  # need zelkor._svd


def compare_with_numpy(f, zf, args):
    try:
        expected = f(*args)
    except Exception as e:
        with pytest.raises(type(e)):
            zf(*args)
        return
    got = zf(*args)
    assert np.shape(got) == np.shape(expected) and np.asarray(got).dtype == np.longdouble, args[1:]
    assert np.allclose(np.asarray(got, float), expected, rtol=DOUBLE, atol=0), args[1:]


@pytest.mark.parametrize("ord", ORDERS + SVD_ORDERS)
def test_norm_and_cond_follow_numpy(ord):
    x = np.random.default_rng(5).uniform(-1, 1, (3, 4, 5))
    for axis, keepdims, arr in itertools.product(
        [None, 0, -1, 3, (0, 1), (2, 0), (-1, -2), (1, 1), (0, 1, 2)], [False, True], [x, x[0], x[0, 0]]
    ):
        compare_with_numpy(np.linalg.norm, zl.norm, (arr, ord, axis, keepdims))
    square = np.stack([x[0, :, :4], np.ones((4, 4))])  # the second singular: cond inf
    for p in {None: [], 2: [2, None]}.get(ord, [ord]):  # None: the singular values, as 2
        compare_with_numpy(np.linalg.cond, zl.cond, (square, p))


def test_matrix_power_and_multi_dot():
    a = random((2, 5, 5), 1) + 3 * np.eye(5)
    p, q = zl.matrix_power(a, -2), zl.matrix_power(a, 2)
    assert np.abs(p @ q - np.eye(5)).max() <= 64 * EPS * (np.abs(p).sum(axis=-1) * np.abs(q).sum(axis=-2)).max()
    assert np.array_equal(zl.matrix_power(a, 0), np.broadcast_to(np.eye(5), a.shape))
    # (A·B)·C costs 10·100·5 + 10·5·50 = 7,500 multiplications, A·(B·C) 75,000.
    assert _products._chain_order([10, 100, 5, 50]) == ((0, 1), 2)
    assert _products._chain_order([50, 5, 100, 10]) == (0, (1, 2))
    chain = [random((10,), 2), random((10, 100), 3), random((100, 5), 4), random((5, 50), 5), random((50,), 6)]
    x, y = zl.multi_dot(chain), chain[0] @ chain[1] @ chain[2] @ chain[3] @ chain[4]
    assert x.shape == () and abs(x - y) <= 200 * EPS * np.prod([np.abs(c).max() for c in chain]) * 10**4


def test_tensorsolve_and_tensorinv_follow_numpy():
    g = np.random.default_rng(7)

    def dominant(n, shape):  # well conditioned: numpy's values within a few units of double
        return (n * np.eye(n) + g.uniform(size=(n, n))).reshape(shape)

    compare_with_numpy(np.linalg.tensorsolve, zl.tensorsolve, (dominant(6, (6, 2, 3)), g.uniform(size=6), None))
    a = dominant(6, (2, 3, 2, 3)).transpose(3, 0, 1, 2)  # axis 0 moved to the end: dominant again
    compare_with_numpy(np.linalg.tensorsolve, zl.tensorsolve, (a, g.uniform(size=(3, 2)), (0,)))
    compare_with_numpy(np.linalg.tensorsolve, zl.tensorsolve, (np.ones((2, 3, 4)), np.ones((2, 3)), None))
    for ind in (1, 2, 0):
        compare_with_numpy(np.linalg.tensorinv, zl.tensorinv, (dominant(24, (4, 6, 8, 3)), ind))
