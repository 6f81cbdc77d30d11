# SPDX-License-Identifier: MIT
"""Least squares, the pseudo-inverse and the numerical rank, from the
singular value decomposition in long double.

The threshold below which a singular value counts as zero defaults to
``max(M, N) * eps`` relative to the largest, with ``eps`` long double's
(``np.finfo(np.longdouble).eps``, 2**-63): numpy's rule for its own
default of ``matrix_rank`` and for ``rtol=None``, applied in the precision
computed.  pinv's numpy default, a fixed 1e-15, would discard singular
values that long double resolves; it is therefore not the default here.
"""

import warnings

import numpy as np
from numpy.linalg import LinAlgError

from ._arrays import _NUMPY2, _like, _promoted, _real
from ._svd import svd, svdvals

_EPS = np.finfo(np.longdouble).eps


class _NoValue:
    """The default of an argument that may be given as None."""

    def __repr__(self):
        return "<no value>"


_NO_VALUE = _NoValue()
# numpy 1 warns when lstsq's rcond is not given and then takes eps; numpy 2
# takes max(M, N) * eps.
_LSTSQ_RCOND = None if _NUMPY2 else "warn"


def lstsq(a, b, rcond=_LSTSQ_RCOND):
    """Return the least-squares solution of ``a @ x = b`` of minimum norm.

    Parameters
    ----------
    a : (M, N) array_like
        Coefficient matrix, real or complex.
    b : {(M,), (M, K)} array_like
        Right-hand side(s), real or complex.
    rcond : float, optional
        Singular values at most ``rcond`` times the largest count as zero.
        None (numpy 2's default): ``max(M, N) * eps`` with long double's eps;
        a negative value: eps.  On numpy 1 the default ``'warn'`` issues
        numpy's FutureWarning and takes eps, as numpy 1 does.

    Returns
    -------
    x : {(N,), (N, K)} ndarray of np.longdouble
        The solution: ``V @ diag(1/s) @ U.conj().T @ b`` over the singular
        values above the threshold; np.clongdouble when ``a`` or ``b`` is
        complex.
    residuals : {(1,), (K,), (0,)} ndarray of np.longdouble
        The squared 2-norm of ``b - a @ x`` for each column, when the rank
        is N and M > N; empty otherwise.
    rank : int
        The number of singular values above the threshold.
    s : (min(M, N),) ndarray of np.longdouble
        The singular values of ``a``, descending.

    Raises
    ------
    LinAlgError
        If ``a`` is not two-dimensional, the shapes do not match, or an entry
        is infinite or NaN.

    Examples
    --------
    A line through three points, ``y = 1 + 2 t``, recovered exactly:

    >>> import zelkor
    >>> x, res, rank, s = zelkor.linalg.lstsq([[1, 0], [1, 1], [1, 2]], [1, 3, 5], rcond=None)
    >>> [round(float(v), 15) for v in x], int(rank)
    ([1.0, 2.0], 2)
    """
    A, B = _promoted(_real(a, complex_ok=True), _real(b, "b", complex_ok=True))
    if A.ndim != 2:
        raise LinAlgError(f"{A.ndim}-dimensional array given. Array must be two-dimensional")
    if B.ndim not in (1, 2):
        raise LinAlgError(f"{B.ndim}-dimensional array given. Array must be one or two-dimensional")
    m, n = A.shape
    if B.shape[0] != m:
        raise LinAlgError("Incompatible dimensions")
    if isinstance(rcond, str) and rcond == "warn":
        warnings.warn(
            "`rcond` parameter will change to the default of machine precision times ``max(M, N)`` where M and N "
            "are the input matrix dimensions.\nTo use the future default and silence this warning we advise to "
            "pass `rcond=None`, to keep using the old, explicitly pass `rcond=-1`.",
            FutureWarning,
            stacklevel=2,
        )
        rcond = -1
    if rcond is None:
        rcond = _EPS * max(m, n)
    elif rcond < 0:
        rcond = _EPS
    if not (np.isfinite(A).all() and np.isfinite(B).all()):
        raise LinAlgError("SVD did not converge in Linear Least Squares")
    B2 = B.reshape(m, B.shape[1] if B.ndim == 2 else 1)
    u, s, vt = svd(A, full_matrices=False)
    rank = int(np.count_nonzero(s > np.longdouble(rcond) * s[0])) if s.size else 0
    c = u[:, :rank].conj().T @ B2 / s[:rank, np.newaxis]
    x = vt[:rank].conj().T @ c
    if rank == n and m > n:
        residuals = np.sum(np.abs(B2 - A @ x) ** 2, axis=0)
    else:
        residuals = np.empty((0,), dtype=np.longdouble)
    if B.ndim == 1:
        x = x[:, 0]
    return _like(a, x), _like(a, residuals), np.intc(rank), s


def pinv(a, rcond=None, hermitian=False, *, rtol=_NO_VALUE):
    """Return the (Moore-Penrose) pseudo-inverse of each matrix.

    Parameters
    ----------
    a : (..., M, N) array_like
        Matrices, real or complex.
    rcond : (...) array_like of float, optional
        Singular values at most ``rcond`` times the largest count as zero.
        Not to be given with ``rtol``.
    hermitian : bool, optional
        Take ``a`` as symmetric or Hermitian, read from its lower triangle.
    rtol : (...) array_like of float or None, optional
        As ``rcond`` (numpy 2's name).  Without either, or with None: the
        threshold ``max(M, N) * eps`` of long double (not numpy's fixed
        1e-15, which would discard what long double resolves).

    Returns
    -------
    (..., N, M) ndarray of np.longdouble (np.clongdouble for complex ``a``)
        ``V @ diag(1/s) @ U.conj().T`` over the singular values above the
        threshold.

    Raises
    ------
    LinAlgError
        If ``a`` has fewer than two dimensions, an entry is infinite or NaN,
        or the singular value decomposition does not converge.
    ValueError
        If both ``rcond`` and ``rtol`` are given.

    Examples
    --------
    >>> import zelkor
    >>> zelkor.linalg.pinv([[2, 0], [0, 0]]).astype(float).tolist()
    [[0.5, 0.0], [0.0, 0.0]]
    """
    A = _real(a, complex_ok=True)
    if rcond is not None and rtol is not _NO_VALUE:
        raise ValueError("`rtol` and `rcond` can't be both set.")
    if rcond is None:
        rcond = None if rtol is _NO_VALUE else rtol
    if A.ndim < 2:
        raise LinAlgError(f"{A.ndim}-dimensional array given. Array must be at least two-dimensional")
    m, n = A.shape[-2:]
    if rcond is None:
        rcond = _EPS * max(m, n)
    if A.size == 0:
        return _like(a, np.empty(A.shape[:-2] + (n, m), dtype=A.dtype))
    u, s, vt = svd(A, full_matrices=False, hermitian=hermitian)
    cutoff = np.asarray(rcond, dtype=np.longdouble)[..., np.newaxis] * np.amax(s, axis=-1, keepdims=True)
    large = s > cutoff
    inverse = np.zeros_like(s)
    np.divide(1, s, out=inverse, where=large)
    return _like(a, np.swapaxes(vt, -1, -2).conj() @ (inverse[..., np.newaxis] * np.swapaxes(u, -1, -2).conj()))


def matrix_rank(A, tol=None, hermitian=False, *, rtol=None):
    """Return the numerical rank of each matrix: its singular values above
    a threshold.

    Parameters
    ----------
    A : {(M,), (..., M, N)} array_like
        A vector (rank 1 unless it is all zero) or matrices, real or
        complex.
    tol : (...) array_like of float, optional
        The absolute threshold.  Not to be given with ``rtol``.
    hermitian : bool, optional
        Take ``A`` as symmetric or Hermitian, read from its lower triangle.
    rtol : (...) array_like of float, optional
        The threshold relative to the largest singular value; default
        ``max(M, N) * eps`` with long double's eps.

    Returns
    -------
    int or (...) ndarray of int
        The rank of each matrix.

    Raises
    ------
    LinAlgError
        If an entry is infinite or NaN.
    ValueError
        If both ``tol`` and ``rtol`` are given.

    Examples
    --------
    A rank-one matrix plus a perturbation of 1e-17, which long double sees:

    >>> import numpy as np, zelkor
    >>> a = np.ones((3, 3), dtype=np.longdouble)
    >>> a[2, 2] += np.longdouble("1e-17")
    >>> int(zelkor.linalg.matrix_rank(a)), int(np.linalg.matrix_rank(a.astype(float)))
    (2, 1)
    """
    M = _real(A, "A", complex_ok=True)
    if tol is not None and rtol is not None:
        raise ValueError("`tol` and `rtol` can't be both set.")
    if M.ndim < 2:
        return int(not np.all(M == 0))
    s = svdvals(M) if not hermitian else svd(M, compute_uv=False, hermitian=True)
    if tol is None:
        if rtol is None:
            rtol = _EPS * max(M.shape[-2:])
        else:
            rtol = np.asarray(rtol, dtype=np.longdouble)[..., np.newaxis]
        largest = np.amax(s, axis=-1, keepdims=True) if s.shape[-1] else np.zeros(s.shape[:-1] + (1,), s.dtype)
        tol = largest * rtol
    else:
        tol = np.asarray(tol, dtype=np.longdouble)[..., np.newaxis]
    return np.count_nonzero(s > tol, axis=-1)
