# SPDX-License-Identifier: MIT
"""Complex qr, svd, lstsq, pinv, matrix_rank and norms: singular values
against mpmath's svd_c at 60 digits, the raw reflectors against numpy's
own complex128 ones, a least-squares residual orthogonal to the range,
norms worked by hand."""

import mpmath
import numpy as np

from zelkor import linalg as zl

EPS = np.finfo(np.longdouble).eps  # 2**-63


def random_complex(shape, seed):
    rng = np.random.default_rng(seed)
    return (rng.uniform(-1, 1, shape) + 1j * rng.uniform(-1, 1, shape)).astype(np.clongdouble)


def mp(x):
    x = np.clongdouble(x)
    re, im = (mpmath.mpf(n) / d for n, d in (x.real.as_integer_ratio(), x.imag.as_integer_ratio()))
    return mpmath.mpc(re, im)


def test_svd_against_mpmath_and_hermitian():
    # A tall matrix and its conjugate transpose (the wide path): every value
    # within 4u·‖A‖₂ of mpmath's; U·diag(s)·Vh = A; in a stack with A/2,
    # the values of A/2 exactly half of A's.  With hermitian=True only the
    # lower triangle and the diagonal's real part are read.
    a = random_complex((5, 3), 1)
    for b in (a, a.conj().T):
        u, s, vh = zl.svd(b, full_matrices=False)
        assert u.dtype == vh.dtype == np.clongdouble and s.dtype == np.longdouble
        assert np.abs(u * s @ vh - b).max() <= 16 * EPS
        with mpmath.workdps(60):
            ref = sorted(mpmath.svd_c(mpmath.matrix([[mp(x) for x in row] for row in b]), compute_uv=False))[::-1]
            assert max(abs(mp(x) - r) for x, r in zip(s, ref)) <= 4 * EPS / 2 * ref[0]
    assert np.array_equal(zl.svdvals(np.stack([a, a / 2]))[1], zl.svdvals(a) / 2)
    h = random_complex((4, 4), 2)
    full = np.tril(h, -1) + np.tril(h, -1).conj().T + np.diag(h.diagonal().real)
    assert np.array_equal(zl.svd(np.tril(h), compute_uv=False, hermitian=True), zl.svdvals(full))


def test_qr_raw_as_numpy():
    # numpy's complex128 (h, τ): the same layout and values to double's
    # precision; Q = Π(I − τⱼ·vⱼ·vⱼᴴ) from them times R is A; R's diagonal
    # real; complete Q unitary.
    for shape in ((6, 4), (3, 5)):
        a = random_complex(shape, 3)
        k = min(shape)
        h, tau = zl.qr(a, "raw")
        nh, ntau = np.linalg.qr(a.astype(complex), "raw")
        assert h.dtype == tau.dtype == np.clongdouble and h.shape == nh.shape and tau.shape == ntau.shape
        assert np.abs(h - nh).max() < 1e-13 and np.abs(tau - ntau).max() < 1e-13
        q = np.eye(shape[0], dtype=np.clongdouble)
        for j in range(k):
            v = np.concatenate([np.zeros(j), [1], h[j, j + 1 :]]).astype(np.clongdouble)
            q = q @ (np.eye(shape[0]) - tau[j] * np.outer(v, v.conj()))
        r = np.triu(h.T[:k])
        assert np.all(r.diagonal().imag == 0) and np.abs(q[:, :k] @ r - a).max() <= 16 * EPS
        qc = zl.qr(a, "complete")[0]
        assert np.abs(qc.conj().T @ qc - np.eye(shape[0])).max() <= 16 * EPS


def test_lstsq_pinv_rank():
    # Overdetermined: the residual b − A·x is orthogonal to A's columns,
    # `residuals` is its squared norm, pinv(A)·b is x; a real b promotes.
    # A product of rank 2 has rank 2.
    a = random_complex((8, 3), 4)
    b = random_complex((8, 2), 5)
    x, res, rank, s = zl.lstsq(a, b, rcond=None)
    r = b - a @ x
    assert x.dtype == np.clongdouble and rank == 3
    assert np.abs(a.conj().T @ r).max() <= 32 * EPS
    assert np.allclose(res, np.sum(np.abs(r) ** 2, axis=0), rtol=1e-15, atol=0)
    assert np.abs(zl.pinv(a) @ b - x).max() <= 32 * EPS
    assert zl.lstsq(a, b.real, rcond=None)[0].dtype == np.clongdouble
    assert zl.matrix_rank(random_complex((6, 2), 6) @ random_complex((2, 5), 7)) == 2


def test_norms_by_hand():
    # |3+4i| = 5, |−12i| = 12: vector norms 13, 17, 12, 5 and 2 nonzero.
    # diag(3+4i, −12i) has singular values 12 and 5; [[3+4i, 1], [0, 2i]]
    # has column sums 5 and 3, row sums 6 and 2.
    x = np.array([3 + 4j, -12j])
    assert [float(zl.norm(x, p)) for p in (None, 1, np.inf, -np.inf, 0)] == [13, 17, 12, 5, 2]
    d = np.diag(x)
    assert [float(zl.norm(d, p)) for p in ("fro", "nuc", 2, -2)] == [13, 17, 12, 5]
    assert float(zl.cond(d)) == 12 / 5
    m = np.array([[3 + 4j, 1], [0, 2j]])
    assert [float(zl.matrix_norm(m, ord=p)) for p in (1, -1, np.inf, -np.inf)] == [5, 3, 6, 2]
    assert float(zl.vector_norm(m, ord=1)) == 8
