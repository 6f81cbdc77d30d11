# SPDX-License-Identifier: MIT
"""The singular value decomposition in long double: svd and svdvals with
numpy.linalg's signatures, shapes, stacks and errors."""

import numpy as np

from . import _core
from ._arrays import _assert_finite, _like, _result, _stacked

_SVDResult = _result("SVDResult", ["U", "S", "Vh"])


def svd(a, full_matrices=True, compute_uv=True, hermitian=False):
    """Singular value decomposition ``a = u @ diag(s) @ vh``, in long double.

    The values carry small relative errors where the data determine them
    (rows or columns of very different scales), as numpy's double ones do
    not.

    Parameters
    ----------
    a : (..., M, N) array_like
        Real or complex matrices.
    full_matrices : bool, optional
        ``u`` (..., M, M) and ``vh`` (..., N, N) when True (the default),
        else (..., M, K) and (..., K, N), K = min(M, N).
    compute_uv : bool, optional
        Whether to compute ``u`` and ``vh`` besides ``s`` (default True).
    hermitian : bool, optional
        Take ``a`` as symmetric (Hermitian), read from its lower triangle
        and the real part of its diagonal, as numpy does; the decomposition
        is the same general one.

    Returns
    -------
    u : (..., M, M) or (..., M, K) ndarray of np.longdouble
        Orthonormal columns (only with ``compute_uv``); np.clongdouble for
        complex ``a``, as ``vh``.
    s : (..., K) ndarray of np.longdouble
        The singular values, descending, real also for complex ``a``.
    vh : (..., N, N) or (..., K, N) ndarray of np.longdouble
        Orthonormal rows (only with ``compute_uv``), ``a = u * s @ vh``.
    With ``compute_uv`` the three as numpy's result (``SVDResult`` on
    numpy 2, a tuple on numpy 1), else ``s`` alone.

    Raises
    ------
    LinAlgError
        If ``a`` has fewer than two dimensions or contains infs or NaNs, or
        the rotations do not converge ("SVD did not converge").
    TypeError
        If ``a`` is object or string.

    Examples
    --------
    >>> import numpy as np, zelkor
    >>> u, s, vh = zelkor.linalg.svd([[3, 0], [4, 5]])
    >>> s.dtype == np.longdouble, np.allclose(s**2, [45, 5]), np.allclose(u * s @ vh, [[3, 0], [4, 5]])
    (True, True, True)
    """
    stack, lead = _stacked(a, complex_ok=True)
    if hermitian:
        lower = np.tril(stack)
        upper = np.swapaxes(np.tril(stack, -1), -1, -2)
        if stack.dtype.kind == "c":
            upper = upper.conj()
            diagonal = np.arange(min(stack.shape[-2:]))
            lower[..., diagonal, diagonal] = lower[..., diagonal, diagonal].real
        stack = np.ascontiguousarray(lower + upper)
    _assert_finite(stack)
    u, s, vh = _core.svd(stack, bool(compute_uv), bool(full_matrices))
    s = s.reshape(lead + s.shape[1:])
    if not compute_uv:
        return s
    u = _like(a, u.reshape(lead + u.shape[1:]))
    return _SVDResult(u, s, _like(a, vh.reshape(lead + vh.shape[1:])))


def svdvals(x, /):
    """The singular values of matrices, descending, in long double: as
    ``svd(x, compute_uv=False)``.

    Parameters
    ----------
    x : (..., M, N) array_like
        Real or complex matrices.

    Returns
    -------
    s : (..., K) ndarray of np.longdouble
        K = min(M, N) values per matrix, descending.

    Examples
    --------
    >>> import zelkor
    >>> zelkor.linalg.svdvals([[0, 2], [3, 0], [0, 0]]).astype(float).tolist()
    [3.0, 2.0]
    """
    return svd(x, compute_uv=False)
