# SPDX-License-Identifier: MIT
"""zelkor.linalg and zelkor.roots: residuals and factor identities with
tolerances in long double units, references computed by mpmath at 50
digits, numpy's shapes, errors and input kinds."""

import re

import mpmath
import numpy as np
import pytest

import zelkor
from zelkor import linalg as zl

EPS = np.finfo(np.longdouble).eps  # 2**-63
mpmath.mp.dps = 50


def random(shape, seed):
    return np.random.default_rng(seed).uniform(-1, 1, shape).astype(np.longdouble)


def mp(x):
    """x (long double, real or complex) exactly in mpmath."""
    x = np.clongdouble(x)
    re, im = (mpmath.mpf(n) / d for n, d in (x.real.as_integer_ratio(), x.imag.as_integer_ratio()))
    return mpmath.mpc(re, im)


def fro(x):
    return np.sqrt(np.sum(np.abs(x) ** 2, axis=(-2, -1)))


@pytest.mark.parametrize("n", [1, 5, 40])
def test_factor_identities_and_residuals(n):
    a = random((3, n, n), n)
    b = random((3, n, 2), n + 1)
    tol = 8 * n * EPS
    x = zl.solve(a, b)
    assert x.dtype == np.longdouble and x.shape == (3, n, 2)
    assert np.all(fro(a @ x - b) <= tol * fro(a) * fro(x))
    xv = zl.solve(a[0], b[0, :, 0])
    assert xv.shape == (n,) and np.array_equal(xv, x[0, :, 0])
    ainv = zl.inv(a)
    assert np.all(fro(a @ ainv - np.eye(n)) <= tol * fro(a) * fro(ainv))
    p, l, u = zl.lu(a)
    assert np.array_equal(l, np.tril(l)) and np.all(np.diagonal(l, axis1=1, axis2=2) == 1)
    assert np.array_equal(u, np.triu(u)) and np.all(np.abs(l) <= 1)
    assert np.array_equal(p, np.round(p))
    assert np.array_equal(p.sum(axis=1), np.ones((3, n))) and np.array_equal(p.sum(axis=2), np.ones((3, n)))
    assert np.all(fro(p @ l @ u - a) <= tol * fro(a))
    sign, logdet = zl.slogdet(a)
    d = zl.det(a)
    assert np.array_equal(sign, np.sign(d))
    assert np.all(np.abs(np.exp(logdet) - np.abs(d)) <= tol * np.abs(d))


@pytest.mark.parametrize("n", [1, 6, 30])
def test_eigen_decompositions(n):
    a = random((2, n, n), 10 + n)
    w, v = zl.eig(a)
    assert w.dtype == np.clongdouble or n == 1
    tol = 16 * n * EPS * fro(a)[:, None]
    assert np.all(np.linalg.norm(a @ v - v * w[:, None, :], axis=1) <= tol)
    assert np.all(np.abs(np.linalg.norm(v, axis=1) - 1) <= 4 * n * EPS)
    for tolerance in ("extended", "double"):  # the eigenvalues alone: the same bits
        assert np.array_equal(zl.eigvals(a, tolerance), zl.eig(a, tolerance)[0])

    s = a + np.swapaxes(a, 1, 2)
    junk = s + np.triu(np.full((n, n), np.nan), 1)  # eigh reads the lower triangle only
    w, v = zl.eigh(junk)
    assert w.dtype == v.dtype == np.longdouble and np.all(np.diff(w, axis=1) >= 0)
    assert np.all(fro(np.swapaxes(v, 1, 2) @ v - np.eye(n)) <= 8 * n * EPS)
    assert np.all(fro(s @ v - v * w[:, None, :]) <= 8 * n * EPS * fro(s))
    assert np.array_equal(zl.eigvalsh(junk), w)
    assert np.array_equal(zl.eigvalsh(np.swapaxes(junk, 1, 2), UPLO="u"), w)


def mp_matrix(a):
    return mpmath.matrix([[mp(x).real for x in row] for row in a])


def test_against_mpmath_at_50_digits():
    # Entries exact in double, so mpmath sees the same matrix.
    a = np.array([[4, -2, 1, 3], [1, 5, -1, 2], [-3, 1, 2, 1], [2, 2, -4, 1]], dtype=np.longdouble) / 7
    b = np.array([1, -2, 3, 1], dtype=np.longdouble)
    ref = mpmath.lu_solve(mp_matrix(a), mpmath.matrix([float(x) for x in b]))
    x = zl.solve(a, b)
    for i in range(4):
        assert abs(mp(x[i]) - ref[i]) <= 64 * EPS * abs(ref[i])
    det_ref = mpmath.det(mp_matrix(a))
    assert abs(mp(zl.det(a)) - det_ref) <= 64 * EPS * abs(det_ref)

    ev, _ = mpmath.eig(mp_matrix(a))
    for tolerance in ("extended", "double"):
        w = zl.eigvals(a, tolerance)
        for z in ev:
            assert min(abs(mp(t) - z) for t in w) <= 256 * EPS * abs(z)

    # (x − 1/3)(x² + 2x + 5)·x² from coefficients exact in double: a root
    # 1/3 beyond double's reach, a complex pair and two zero roots.
    p = [0, 3, 5, 13, -5, 0, 0]
    ref = mpmath.polyroots([3, 5, 13, -5], maxsteps=200, extraprec=200)
    r = zelkor.roots(p)
    assert r.dtype == np.clongdouble and r.shape == (5,)
    assert np.count_nonzero(r == 0) == 2
    for z in ref:
        assert min(abs(mp(t) - z) for t in r) <= 64 * EPS * abs(z)
    assert np.array_equal(zelkor.roots([0, 2, -1]), np.array([0.5], dtype=np.longdouble))
    assert zelkor.roots([5]).size == zelkor.roots([0, 0]).size == 0


def test_eigvalsh_within_eight_units_at_60_digits():
    # Every eigenvalue within 8 units of 2**-64·‖A‖₂ of mpmath's.
    a = random((30, 30), 3)
    a = a + a.T
    with mpmath.workdps(60):
        ref = sorted(mpmath.eigsy(mp_matrix(a), eigvals_only=True))
        err = max(abs(mp(w).real - r) for w, r in zip(zl.eigvalsh(a), ref))
        assert err <= 8 * EPS / 2 * max(abs(r) for r in ref)


def test_roots_spanning_orders_of_magnitude():
    # prod(x - 2**-k), k = 1 ... 10, highest power first, in exact
    # fractions (each coefficient exact in double): unbalanced, the
    # companion matrix loses its small roots to 0.5 %; the backward-error
    # retry balances it.
    from fractions import Fraction

    c = [Fraction(1)]
    for k in range(1, 11):
        c = [x - Fraction(1, 2**k) * y for x, y in zip(c + [Fraction(0)], [Fraction(0)] + c)]
    p = [float(x) for x in c]
    assert [Fraction(x) for x in p] == c
    exact = [mpmath.mpf(2) ** -k for k in range(1, 11)]
    for tolerance, bound in (("extended", 1e-15), ("double", 1e-14)):
        r = zelkor.roots(p, tolerance)
        assert r.dtype == np.longdouble and r.shape == (10,)
        for z in exact:
            assert min(abs(mp(t) - z) for t in r) <= bound * z

    # Coefficients spread over 8 decades, exact in double; the reference is
    # mpmath's at 50 digits.
    q = [620.0, 0.001188, 0.0008434, 1.778, 62.43, 0.01786, 2.623, 218.2, -1417.0, 21800.0, 0.0009143]
    ref = mpmath.polyroots([mpmath.mpf(x) for x in q], maxsteps=500, extraprec=500)
    r = zelkor.roots(q)
    assert r.dtype == np.clongdouble and r.shape == (10,)
    for z in ref:
        assert min(abs(mp(t) - z) for t in r) <= 64 * EPS * abs(z)


def test_errors():
    for f in (zl.solve, zl.inv, zl.det, zl.slogdet, zl.lu, zl.eig, zl.eigvals):
        args = (np.ones(2),) if f is zl.solve else ()
        with pytest.raises(TypeError):
            f(*((np.array([["a"]]),) + args))
    for f in (zl.lu, zl.eig, zl.eigvals, zl.eigh, zl.eigvalsh, zelkor.roots):
        with pytest.raises(np.linalg.LinAlgError, match="^Array must not contain infs or NaNs$"):
            f([[1, np.nan], [0, np.inf]] if f is not zelkor.roots else [1, np.nan])
    big = np.finfo(np.longdouble).max / 2
    with pytest.raises(np.linalg.LinAlgError, match="^Eigenvalues did not converge$"):
        zl.eigvals(np.array([[1, 0.5, 1], [1, 1, 1], [1, 1, 1]], dtype=np.longdouble) * big)
    with pytest.raises(ValueError):
        zl.solve(np.ones((2, 3, 3)), np.ones((4, 3, 1)))
    with pytest.raises(ValueError, match="rank-1"):
        zelkor.roots([[1, 2]])
    with pytest.raises(ValueError):
        zl.eig(np.eye(2), tolerance="single")


@pytest.mark.filterwarnings("ignore::PendingDeprecationWarning")
def test_as_numpy_on_the_same_calls():
    # The same exception type and text, or results of the same types (tuples
    # as numpy's: named on numpy 2; the subclass np.matrix and others kept as
    # numpy keeps them; real or complex), shapes and values (eigenvectors'
    # signs aside), stacks too.
    sub = np.array([[2.0, 1], [1, 3]]).view(type("Sub", (np.ndarray,), {}))
    m, a3, singular = np.matrix(sub), np.stack([np.eye(3), 2 * np.eye(3)]), [[1, 2], [2, 4]]
    stack = np.random.default_rng(1).uniform(-1, 1, (2, 3, 4, 4))
    calls = [("eigvalsh", [[1, np.nan], [0, 1]], "l"), ("eigvalsh", np.eye(2), "X"), ("solve", a3, np.ones(3))]
    calls += [("solve", a3, np.ones((2, 3))), ("solve", np.eye(3), np.ones(2)), ("solve", np.eye(3), np.ones(()))]
    calls += [("solve", np.eye(3), np.ones((2, 2))), ("solve", m, m), ("solve", m, sub[0]), ("solve", np.eye(2), sub)]
    calls += [("solve", singular, [1, 2]), ("solve", np.ones((2, 3)), [1, 2]), ("solve", np.ones(3), [1, 2])]
    for name in ("inv", "det", "slogdet", "eig", "eigvals", "eigh", "eigvalsh"):
        calls += [(name, x) for x in (m, sub, singular, np.ones((2, 3)), np.ones(3), stack)]
    for mode in ("reduced", "complete", "r", "raw", "x"):
        calls += [("qr", x, mode) for x in (m, sub, np.ones((2, 3)), np.ones((3, 2)), np.ones(3), stack)]
    for name, *args in calls:
        try:
            expected = getattr(np.linalg, name)(*args)
        except Exception as e:
            with pytest.raises(type(e), match="^" + re.escape(str(e)) + "$"):
                getattr(zl, name)(*args)
            continue
        result = getattr(zl, name)(*args)
        assert type(result) is type(expected) or not isinstance(expected, tuple), name  # numpy 2: named tuples
        for i, (x, y) in enumerate(zip(result, expected) if isinstance(expected, tuple) else [(result, expected)]):
            assert type(x) is type(y) if isinstance(y, np.ndarray) else np.isscalar(x), (name, i)
            assert np.shape(x) == np.shape(y) and np.asarray(x).dtype.kind == np.asarray(y).dtype.kind
            if i == 0 or name == "slogdet":
                assert np.allclose(np.sort(np.asarray(x, np.asarray(y).dtype), axis=None), np.sort(y, axis=None))


def test_sizes_beyond_the_library_are_memory_errors():
    # Views without storage of their own: the refusal comes before any copy.
    def ones(*shape):
        return np.broadcast_to(np.longdouble(1), shape)

    for f, args in ((zl.inv, (ones(46341, 46341),)), (zl.eigvals, (ones(46341, 46341),)),
                    (zl.solve, (np.eye(2), ones(2, 2**30)))):
        with pytest.raises(MemoryError, match="more elements than zelkor holds"):
            f(*args)
    with pytest.raises(MemoryError, match="more elements than zelkor holds"):
        zelkor.roots(np.ones(46342))


def test_stacks_and_empty_shapes():
    a = random((2, 3, 4, 4), 1)
    b = random((1, 3, 4, 1), 2)  # broadcast against (2, 3)
    x = zl.solve(a, b)
    assert x.shape == (2, 3, 4, 1)
    for i in range(2):
        for j in range(3):
            assert np.array_equal(x[i, j], zl.solve(a[i, j], b[0, j]))
            assert zl.det(a)[i, j] == zl.det(a[i, j])
            assert np.array_equal(zl.eigvals(a)[i, j], zl.eigvals(a[i, j]).astype(np.clongdouble))
    assert zl.solve(a, random((2, 3, 4, 5), 3)).shape == (2, 3, 4, 5) and zl.lu(a)[0].shape == (2, 3, 4, 4)
    e = np.zeros((0, 0))
    assert zl.det(e) == 1 and zl.inv(e).shape == (0, 0) and zl.eig(e)[1].shape == (0, 0)
    assert zl.solve(e, np.zeros(0)).shape == (0,) and zl.eigvals(np.zeros((3, 0, 0))).shape == (3, 0)


def test_input_kinds_keep_every_bit():
    a = random((6, 6), 4) + np.longdouble(2) ** -60  # bits beyond double's
    reference = zl.eig(a)
    fortran = np.asfortranarray(a)
    strided = np.zeros((12, 12), dtype=np.longdouble)[::2, ::2]
    strided[...] = a
    raw = np.zeros(a.nbytes + 1, dtype=np.uint8)[1:].view(np.longdouble).reshape(6, 6)  # unaligned
    raw[...] = a
    assert not raw.flags.aligned
    for kind in (fortran, strided, raw):
        w, v = zl.eig(kind)
        assert np.array_equal(w, reference[0]) and np.array_equal(v, reference[1])
    big = [2**64 - 1, -1]  # numpy would make float64 of it
    assert [int(x) for x in zl.solve(np.eye(2), big)] == big
    with pytest.raises(ValueError):
        zl.solve(np.eye(2), [2**65 + 1, 1])
    ints = [[2**62 + 1, 3], [1, 1]]  # not exact in double
    assert zl.det(ints) == np.longdouble(2**62 + 1) - 3
    assert type(zl.det(ints)) is np.longdouble
    f32 = np.array([[1.1, 0], [0, 3]], dtype=np.float32)
    assert zl.eigvalsh(f32)[0] == np.longdouble(f32[0, 0])
    assert zl.solve([[True, False], [False, True]], [1, 2]).tolist() == [1, 2]


def test_cholesky():
    # Hilbert 6 (κ₂ ≈ 1.5e7) against mpmath's factor of the same long
    # doubles; upper=True from the upper triangle; a stack of B·Bᵀ + I.
    h = np.array([[1 / np.longdouble(i + j + 1) for j in range(6)] for i in range(6)])
    ref = mpmath.cholesky(mp_matrix(h))
    l = zl.cholesky(h)
    assert l.dtype == np.longdouble and np.all(np.triu(l, 1) == 0)
    err = max(abs(mp(l[i, j]) - ref[i, j]) for i in range(6) for j in range(6))
    assert float(err) <= 6 * np.linalg.cond(h.astype(float)) * float(EPS)
    assert np.array_equal(zl.cholesky(np.triu(h), upper=True), l.T)
    b = random((3, 20, 20), 7)
    a = b @ np.swapaxes(b, -1, -2) + np.eye(20, dtype=np.longdouble)
    s = zl.cholesky(a)
    assert s.shape == (3, 20, 20)
    assert np.all(fro(s @ np.swapaxes(s, -1, -2) - a) <= 20 * EPS * fro(a))
    with pytest.raises(np.linalg.LinAlgError, match="^Matrix is not positive definite$"):
        zl.cholesky([[1, 2], [2, 1]])
    with pytest.raises(np.linalg.LinAlgError, match="^Array must not contain infs or NaNs$"):
        zl.cholesky([[1, 0], [np.nan, 1]])


def test_qr():
    # Tall and wide stacks: Q orthonormal, A = Q·R, R upper; the modes
    # agree; |R|'s diagonal of Hilbert 6 against mpmath's QR of the same
    # long doubles.
    for shape in ((3, 7, 4), (3, 4, 7)):
        a = random(shape, 9)
        k = min(shape[1:])
        q, r = zl.qr(a)
        assert q.dtype == r.dtype == np.longdouble and np.array_equal(r, np.triu(r))
        assert np.all(fro(np.swapaxes(q, -1, -2) @ q - np.eye(k)) <= 7 * EPS)
        assert np.all(fro(q @ r - a) <= 7 * EPS * fro(a))
        qc, rc = zl.qr(a, "complete")
        assert np.all(fro(np.swapaxes(qc, -1, -2) @ qc - np.eye(shape[1])) <= 7 * EPS)
        assert np.array_equal(qc[..., :k], q) and np.array_equal(rc[..., :k, :], r)
        h, tau = zl.qr(a, "raw")
        assert np.array_equal(np.triu(np.swapaxes(h, -1, -2)[..., :k, :]), r) and tau.shape == (3, k)
        assert np.array_equal(zl.qr(a, "r"), r)
    h = np.array([[1 / np.longdouble(i + j + 1) for j in range(6)] for i in range(6)])
    ref = mpmath.qr(mp_matrix(h))[1]
    r = zl.qr(h, "r")
    assert float(max(abs(abs(mp(r[i, i])) - abs(ref[i, i])) for i in range(6))) <= 6 * EPS * fro(h)
    with pytest.raises(np.linalg.LinAlgError, match="^Array must not contain infs or NaNs$"):
        zl.qr([[1, np.inf]])


def test_svd():
    # A stack of tall, wide and square matrices: U·diag(s)·Vh = A and
    # orthonormal factors within a few units, values alone the same bits;
    # shapes and values as numpy's; errors as numpy's.
    for shape in ((2, 5, 3), (2, 3, 5), (2, 4, 4)):
        a = random(shape, 7)
        for full in (True, False):
            u, s, vh = zl.svd(a, full_matrices=full)
            nu, ns, nvh = np.linalg.svd(a.astype(float), full_matrices=full)
            assert (u.shape, s.shape, vh.shape) == (nu.shape, ns.shape, nvh.shape)
            assert np.allclose(s, ns) and np.array_equal(zl.svdvals(a), s)
            k = s.shape[-1]
            assert np.all(fro(a - (u[..., :k] * s[..., None, :]) @ vh[..., :k, :]) <= 20 * EPS * fro(a))
            for q in (u, np.swapaxes(vh, -1, -2)):
                assert np.all(fro(np.swapaxes(q, -1, -2) @ q - np.eye(q.shape[-1])) <= 20 * EPS)
    assert zl.svd(np.diag([3.0, -4.0]), hermitian=True)[1].tolist() == [4, 3]
    for bad, text in ((np.ones(3), "1-dimensional array given"), ([[1, np.inf]], "must not contain infs or NaNs")):
        with pytest.raises(np.linalg.LinAlgError, match=text):
            zl.svd(bad)


def test_svd_relative_accuracy_against_mpmath():
    # Rows and columns scaled over 2**±30, and an orthogonal matrix (16 ×
    # 16) scaled on both sides from 2**40 down to 2**-40: every value, down
    # to about 2**-160 of the largest, within 20 units of itself of
    # mpmath's (110 digits, enough for the 10**48 spread).
    n = 6
    scale = np.array([2.0 ** (30 - 12 * i) for i in range(n)], dtype=np.longdouble)
    b = random((n, n), 11) / n + np.eye(n)
    d = 2.0 ** np.linspace(40, -40, 16)
    q = np.linalg.qr(random((16, 16), 11).astype(float))[0]
    for a in (scale[:, None] * b * scale[::-1][None, :] ** 0.5, (d[:, None] * q * d).astype(np.longdouble)):
        with mpmath.workdps(110):
            ref = sorted(mpmath.svd_r(mp_matrix(a), compute_uv=False), reverse=True)
            s = zl.svdvals(a)
            assert all(abs(mp(x).real - r) <= 20 * EPS / 2 * r for x, r in zip(s, ref))
