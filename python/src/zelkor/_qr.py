# SPDX-License-Identifier: MIT
"""zelkor.linalg.qr: numpy.linalg.qr's conventions on the library's
Householder QR."""

import numpy as np

from . import _core
from ._arrays import _assert_finite, _like, _result, _stacked

_QRResult = _result("QRResult", ["Q", "R"])


def qr(a, mode="reduced"):
    """QR factorisation ``a = q @ r`` by Householder reflections, in long
    double.

    As ``numpy.linalg.qr``: ``q`` has orthonormal columns, ``r`` is upper
    triangular (trapezoidal when ``a`` is wide); the diagonal of ``r``
    takes the sign the reflections give it, usually negative, and is real
    for complex ``a`` (reflectors ``I - tau * v @ v.conj().T``).

    Parameters
    ----------
    a : (..., M, N) array_like
        Real or complex matrices.
    mode : {'reduced', 'complete', 'r', 'raw'}, optional
        With ``K = min(M, N)``: 'reduced' returns ``q`` (..., M, K) and
        ``r`` (..., K, N); 'complete' ``q`` (..., M, M) and ``r``
        (..., M, N); 'r' only ``r`` (..., K, N); 'raw' the reflectors
        ``h`` (..., N, M), the transpose of an array in C order (numpy's
        Fortran-order array), ``r`` on and above its diagonal read as
        ``h.T``, the vectors below, and their factors ``tau`` (..., K).

    Returns
    -------
    Q, R : ndarrays of np.longdouble (np.clongdouble for complex ``a``)
        For 'reduced' and 'complete'; on numpy 2 a named tuple
        ``QRResult(Q, R)``, a tuple on numpy 1.  Of ``a``'s class when
        ``a`` is an ndarray subclass (``np.matrix``).
    r : ndarray of np.longdouble or np.clongdouble
        For 'r'.
    (h, tau) : ndarrays of np.longdouble or np.clongdouble
        For 'raw'.

    Raises
    ------
    LinAlgError
        If ``a`` has fewer than 2 dimensions or contains infs or NaNs.
    ValueError
        If ``mode`` is not one of the four.
    TypeError
        If ``a`` is object or string.

    Examples
    --------
    >>> import numpy as np, zelkor
    >>> a = [[3, 0], [4, 5], [0, 0]]
    >>> q, r = zelkor.linalg.qr(a)
    >>> r.astype(float).tolist()
    [[-5.0, -4.0], [0.0, 3.0]]
    >>> q.dtype == np.longdouble, q.shape, np.allclose(q @ r, a)
    (True, (3, 2), True)
    >>> zelkor.linalg.qr(a, mode="complete")[0].shape
    (3, 3)
    """
    if mode not in ("reduced", "complete", "r", "raw"):
        raise ValueError(f"Unrecognized mode '{mode}'")
    stack, lead = _stacked(a, complex_ok=True)
    _assert_finite(stack)
    x, y = _core.qr(stack, mode)
    if mode == "r":
        return _like(a, x.reshape(lead + x.shape[1:]))
    if mode == "raw":
        return _like(a, np.swapaxes(x.reshape(lead + x.shape[1:]), -1, -2)), y.reshape(lead + y.shape[1:])
    return _QRResult(_like(a, x.reshape(lead + x.shape[1:])), _like(a, y.reshape(lead + y.shape[1:])))
