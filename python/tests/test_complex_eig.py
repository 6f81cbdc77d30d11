# SPDX-License-Identifier: MIT
"""eig, eigvals and roots on complex input: mpmath's eigenvalues at 60
digits, A·v = v·w with numpy's normalisation, known roots, a stack, and
non-finite entries refused."""

import mpmath
import numpy as np
import pytest

import zelkor
from zelkor import linalg as zl

EPS = float(np.finfo(np.longdouble).eps)  # 2**-63


def mp(x):
    """x (clongdouble) exactly in mpmath."""
    x = np.clongdouble(x)
    re, im = (mpmath.mpf(n) / d for n, d in (x.real.as_integer_ratio(), x.imag.as_integer_ratio()))
    return mpmath.mpc(re, im)


def test_eigenvalues_against_mpmath_and_vectors():
    rng = np.random.default_rng(5)
    a = (rng.uniform(-1, 1, (5, 5)) + 1j * rng.uniform(-1, 1, (5, 5))).astype(np.clongdouble)
    w, v = zl.eig(a)
    assert w.dtype == v.dtype == np.clongdouble
    with mpmath.workdps(60):
        ref = mpmath.eig(mpmath.matrix([[mp(x) for x in row] for row in a]), left=False, right=False)
        for z in ref:  # well conditioned: κ < 2
            assert min(abs(mp(t) - z) for t in w) <= 64 * EPS
    assert np.array_equal(zl.eigvals(a), w)
    assert np.abs(a @ v - v * w).max() <= 32 * EPS
    assert np.allclose(np.linalg.norm(v.astype(complex), axis=0), 1, rtol=0, atol=1e-15)
    top = v[np.argmax(np.abs(v), axis=0), np.arange(5)]  # the largest entry of each column: real, positive
    assert np.all(top.imag == 0) and np.all(top.real > 0)


def test_roots_of_complex_polynomials():
    # (x - i)(x - 2 + i)(x + 3) = x³ + x² + (2i - 5)·x + 3 + 6i, times x²
    r = zelkor.roots([1, 1, -5 + 2j, 3 + 6j, 0, 0])
    assert r.dtype == np.clongdouble and r.shape == (5,)
    for z in (1j, 2 - 1j, -3, 0, 0):
        assert np.min(np.abs(r - z)) <= 16 * EPS * abs(z)
    assert np.array_equal(zelkor.roots([2j, 1j]), np.array([-0.5], dtype=np.clongdouble))


def test_stack_and_non_finite_entries():
    rng = np.random.default_rng(6)
    a = rng.uniform(-1, 1, (2, 3, 4, 4)) + 1j * rng.uniform(-1, 1, (2, 3, 4, 4))
    w, v = zl.eig(a.astype(np.complex64))
    assert w.shape == (2, 3, 4) and v.shape == (2, 3, 4, 4)
    w1, v1 = zl.eig(a[1, 2].astype(np.complex64))
    assert np.array_equal(w[1, 2], w1) and np.array_equal(v[1, 2], v1)
    for f in (zl.eig, zl.eigvals):
        with pytest.raises(np.linalg.LinAlgError, match="^Array must not contain infs or NaNs$"):
            f([[1j, complex(0, np.nan)], [0, 1]])
    with pytest.raises(np.linalg.LinAlgError):
        zelkor.roots([1j, complex(np.inf, 0)])
