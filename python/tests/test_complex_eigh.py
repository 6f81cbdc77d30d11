# SPDX-License-Identifier: MIT
"""eigh and eigvalsh on complex Hermitian input: eigenvalues against mpmath
at 60 digits, A·V = V·Λ and VᴴV = I, the triangle UPLO names (the other
and the diagonal's imaginary parts not read), a stack, NaN refused."""

import mpmath
import numpy as np
import pytest

from zelkor import linalg as zl

EPS = np.finfo(np.longdouble).eps  # 2**-63


def hermitian(shape, seed):
    g = np.random.default_rng(seed)
    z = (g.uniform(-1, 1, shape) + 1j * g.uniform(-1, 1, shape)).astype(np.clongdouble)
    return z + np.conj(np.swapaxes(z, -1, -2))


def mp(x):
    """x (long double, real or complex) exactly in mpmath."""
    x = np.clongdouble(x)
    return mpmath.mpc(*(mpmath.mpf(n) / d for n, d in (x.real.as_integer_ratio(), x.imag.as_integer_ratio())))


def test_against_mpmath_at_60_digits_and_uplo():
    a = hermitian((12, 12), 7)
    nan = np.clongdouble(complex(np.nan, np.nan))
    lower = np.where(np.triu(np.ones((12, 12), bool), 1), nan, a) + np.diag(np.full(12, complex(0, np.nan)))
    upper = np.conj(lower.T)
    w, v = zl.eigh(lower)
    assert w.dtype == np.longdouble and v.dtype == np.clongdouble
    with mpmath.workdps(60):
        ref = sorted(mpmath.eighe(mpmath.matrix([[mp(x) for x in row] for row in a]), eigvals_only=True))
        assert max(abs(mp(x) - r) for x, r in zip(w, ref)) <= 8 * EPS / 2 * max(abs(r) for r in ref)
    assert np.linalg.norm(a @ v - v * w) <= 8 * 12 * EPS * np.linalg.norm(a)
    assert np.linalg.norm(np.conj(v.T) @ v - np.eye(12)) <= 8 * 12 * EPS
    for uplo in ("U", "u"):
        wu, vu = zl.eigh(upper, UPLO=uplo)
        assert np.array_equal(wu, w) and np.array_equal(vu, v)
        assert np.array_equal(zl.eigvalsh(upper, UPLO=uplo), w)


def test_stack_and_refused():
    a = hermitian((2, 3, 5, 5), 8).astype(np.complex128)
    w, v = zl.eigh(a)
    assert w.shape == (2, 3, 5) and v.shape == (2, 3, 5, 5)
    w1, v1 = zl.eigh(a[1, 2])
    assert np.array_equal(w[1, 2], w1) and np.array_equal(v[1, 2], v1)
    assert np.array_equal(zl.eigvalsh(a, tolerance="double"), zl.eigh(a, tolerance="double")[0])
    for x in ([[1, 0], [complex(0, np.nan), 1]], [[1, 0], [np.inf, 1j]]):
        with pytest.raises(np.linalg.LinAlgError, match="^Array must not contain infs or NaNs$"):
            zl.eigvalsh(x)
