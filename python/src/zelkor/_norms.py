# SPDX-License-Identifier: MIT
"""numpy.linalg's norm, matrix_norm, vector_norm and cond in long double,
real or complex entries (complex ones by their moduli): numpy's rules for
ord, axis and keepdims; 2-norms and p-norms as scaled
sums, free of over- and underflow; ord 2, -2 and 'nuc' on matrices from the
singular values."""

import numpy as np
from numpy.linalg import LinAlgError

from . import _core
from ._arrays import _real, _stacked, _stacked_square
from ._svd import svdvals

_AxisError = getattr(np, "exceptions", np).AxisError


def _axis_index(axis, ndim):
    if not -ndim <= axis < ndim:
        raise _AxisError(axis, ndim)
    return axis % ndim


def _exponent(ref):
    """e with ref / 2**e in [0.5, 1): an exact scaling; 0 where ref is 0,
    infinite or NaN."""
    _, e = np.frexp(ref)
    return np.where(np.isfinite(ref) & (ref > 0), e, 0)


def _p_norm(x, p, axis, keepdims):
    """(sum |x|**p) ** (1/p) over axis: |x| scaled by the power of two of its
    largest entry (p > 0) or smallest (p < 0), exactly, and the result
    scaled back."""
    absx = np.abs(x)
    if p > 0:
        ref = np.max(absx, axis=axis, keepdims=True, initial=0)
    else:
        ref = np.min(absx, axis=axis, keepdims=True, initial=np.inf)
    e = _exponent(ref)
    y = np.ldexp(absx, -e)
    with np.errstate(divide="ignore", over="ignore"):
        if p == 2:
            r = np.sqrt(np.sum(y * y, axis=axis, keepdims=True))
        else:
            r = np.sum(y**p, axis=axis, keepdims=True) ** (np.longdouble(1) / p)
    r = np.ldexp(r, e)
    if not keepdims:
        r = np.squeeze(r, axis=axis)
    return r


def _vector_norm(x, ord, axis, keepdims):
    if ord == np.inf:
        return np.max(np.abs(x), axis=axis, keepdims=keepdims)
    if ord == -np.inf:
        return np.min(np.abs(x), axis=axis, keepdims=keepdims)
    if ord == 0:
        return np.sum(x != 0, axis=axis, keepdims=keepdims).astype(np.longdouble)
    if ord == 1:
        return np.sum(np.abs(x), axis=axis, keepdims=keepdims)
    if ord is None or ord == 2:
        return _p_norm(x, 2, axis, keepdims)
    try:
        ord + 1
    except TypeError:
        raise ValueError(f"Invalid norm order '{ord}' for vectors") from None
    return _p_norm(x, ord, axis, keepdims)


def _svd_norm(x, row, col, reduce):
    return reduce(svdvals(np.moveaxis(x, (row, col), (-2, -1))))


def _matrix_norm(x, ord, row, col):
    if ord == 2:
        return _svd_norm(x, row, col, lambda s: s[..., 0])
    if ord == -2:
        return _svd_norm(x, row, col, lambda s: s[..., -1])
    if ord in (1, -1):
        sums = np.sum(np.abs(x), axis=row)
        return (np.max if ord == 1 else np.min)(sums, axis=col - 1 if col > row else col)
    if ord in (np.inf, -np.inf):
        sums = np.sum(np.abs(x), axis=col)
        return (np.max if ord == np.inf else np.min)(sums, axis=row - 1 if row > col else row)
    if ord is None or (isinstance(ord, str) and ord in ("fro", "f")):
        return _p_norm(x, 2, (row, col), False)
    if isinstance(ord, str) and ord == "nuc":
        return _svd_norm(x, row, col, lambda s: np.sum(s, axis=-1))
    raise ValueError("Invalid norm order for matrices.")


def norm(x, ord=None, axis=None, keepdims=False):
    """Matrix or vector norm, in long double.

    As ``numpy.linalg.norm``: the same ``ord``, ``axis`` and ``keepdims``
    rules and results' shapes.  The 2-norms (Frobenius included) and
    p-norms are computed as sums of the entries scaled by a power of two,
    exactly, so that no entry's power over- or underflows: a vector of
    entries ``2**16000`` has its exact norm.

    Parameters
    ----------
    x : array_like
        Real or complex input.  With ``axis`` None, one- or two-dimensional
        unless ``ord`` is None (then the 2-norm of all entries).
    ord : {None, 'fro', 'nuc', inf, -inf, 0, 1, -1, 2, -2, float}, optional
        Vectors: None and 2 the 2-norm, inf the largest magnitude, -inf the
        smallest, 0 the count of nonzero entries, another p
        ``sum(|x|**p)**(1/p)``.  Matrices: None and 'fro' Frobenius, 'nuc'
        the sum of the singular values, 2 and -2 the largest and smallest
        singular value, 1 and -1 the largest and smallest column sum of
        magnitudes, inf and -inf the same over rows.
    axis : {None, int, 2-tuple of ints}, optional
        The axis of the vectors, or the two axes of the matrices.
    keepdims : bool, optional
        Keep the reduced axes, of length one.

    Returns
    -------
    n : np.longdouble or ndarray of np.longdouble
        The norms.

    Raises
    ------
    ValueError
        If ``ord`` is not one of its values for vectors or matrices, the
        axes repeat, or there are more than two of them.
    numpy.exceptions.AxisError
        If an axis is out of range.
    TypeError
        If ``x`` is object or string.

    Examples
    --------
    >>> import numpy as np, zelkor
    >>> float(zelkor.linalg.norm(np.full(4, np.ldexp(np.longdouble(1), 16000))) / np.ldexp(np.longdouble(1), 16001))
    1.0
    >>> float(zelkor.linalg.norm([[1, -2], [3, 4]], 1))
    6.0
    """
    x = _real(x, "x", complex_ok=True)
    if axis is None:
        if ord is None or (isinstance(ord, str) and ord in ("fro", "f") and x.ndim == 2) or (ord == 2 and x.ndim == 1):
            r = _p_norm(x.ravel(), 2, 0, False)
            return r.reshape(x.ndim * [1]) if keepdims else r[()]
        axis = tuple(range(x.ndim))
    elif not isinstance(axis, tuple):
        try:
            axis = int(axis)
        except Exception as e:
            raise TypeError("'axis' must be None, an integer or a tuple of integers") from e
        axis = (axis,)
    if len(axis) == 1:
        return _vector_norm(x, ord, axis[0], keepdims)[()]
    if len(axis) != 2:
        raise ValueError("Improper number of dimensions to norm.")
    row, col = (_axis_index(a, x.ndim) for a in axis)
    if row == col:
        raise ValueError("Duplicate axes given.")
    r = np.asarray(_matrix_norm(x, ord, row, col))
    if keepdims:
        shape = list(x.shape)
        shape[row] = shape[col] = 1
        r = r.reshape(shape)
    return r[()]


def matrix_norm(x, /, *, keepdims=False, ord="fro"):
    """The norms of the matrices of a stack (the last two axes), in long double.

    numpy 2's ``numpy.linalg.matrix_norm``: ``norm(x, ord, (-2, -1), keepdims)``.

    Parameters
    ----------
    x : (..., M, N) array_like
        Real or complex matrices.
    keepdims : bool, optional
        Keep the two axes, of length one.
    ord : {'fro', 'nuc', inf, -inf, 1, -1, 2, -2}, optional
        As :func:`norm`'s for matrices.

    Returns
    -------
    n : np.longdouble or (...) ndarray of np.longdouble

    Examples
    --------
    >>> import zelkor
    >>> float(zelkor.linalg.matrix_norm([[3, 0], [0, 4]]))
    5.0
    """
    return norm(x, axis=(-2, -1), keepdims=keepdims, ord=ord)


def vector_norm(x, /, *, axis=None, keepdims=False, ord=2):
    """Vector norms, in long double.

    numpy 2's ``numpy.linalg.vector_norm``: the entries along ``axis``
    taken as vectors; a tuple of axes takes the entries over all of them
    as one vector, and None all of ``x``.

    Parameters
    ----------
    x : array_like
        Real or complex input.
    axis : {None, int, tuple of ints}, optional
        The axes of the vectors; None (default): all.
    keepdims : bool, optional
        Keep the reduced axes, of length one.
    ord : {int, float, inf, -inf}, optional
        As :func:`norm`'s for vectors; 2 by default.

    Returns
    -------
    n : np.longdouble or ndarray of np.longdouble

    Examples
    --------
    >>> import zelkor
    >>> float(zelkor.linalg.vector_norm([[3, 0], [0, -4]], ord=1))
    7.0
    """
    x = _real(x, "x", complex_ok=True)
    shape = list(x.shape)
    if axis is None:
        axes = tuple(range(x.ndim))
    elif isinstance(axis, tuple):
        axes = tuple(_axis_index(a, x.ndim) for a in axis)
        if len(set(axes)) != len(axes):
            raise ValueError("repeated axis")
    else:
        axes = (_axis_index(axis, x.ndim),)
    rest = [i for i in range(x.ndim) if i not in axes]
    flat = np.transpose(x, axes + tuple(rest)).reshape((-1,) + tuple(shape[i] for i in rest))
    r = np.asarray(norm(flat, ord=ord, axis=0))
    if keepdims:
        for i in axes:
            shape[i] = 1
        r = r.reshape(shape)
    return r[()]


def _inverses(stack):
    """The inverses of a stack, NaN for each singular matrix."""
    try:
        return _core.inv(stack)
    except LinAlgError:
        out = np.full(stack.shape, np.nan, dtype=np.longdouble)
        for k in range(len(stack)):
            try:
                out[k] = _core.inv(stack[k : k + 1])[0]
            except LinAlgError:
                pass
        return out


def cond(x, p=None):
    """The condition number of a matrix, in long double.

    As ``numpy.linalg.cond``: for p None, 2 and -2 the ratio of the
    largest and smallest singular value (smallest over largest for -2),
    otherwise ``norm(x, p) * norm(inv(x), p)``; inf for a singular matrix
    (unless ``x`` holds NaNs).

    Parameters
    ----------
    x : (..., M, N) array_like
        Real or complex matrices; square unless p is None, 2 or -2.
    p : {None, 1, -1, 2, -2, inf, -inf, 'fro', 'nuc'}, optional
        The norm's order, as :func:`norm`'s for matrices.

    Returns
    -------
    c : np.longdouble or (...) ndarray of np.longdouble

    Raises
    ------
    LinAlgError
        If ``x`` is empty, has fewer than two dimensions, or is not square
        where ``p`` needs the inverse.
    TypeError
        If ``x`` is object or string.

    Examples
    --------
    >>> import zelkor
    >>> float(zelkor.linalg.cond([[1, 0], [0, 4]], 1)), float(zelkor.linalg.cond([[1, 1], [1, 1]], 'fro'))
    (4.0, inf)
    """
    x = _real(x, "x", complex_ok=True)
    if x.size == 0 and np.prod(x.shape[-2:]) == 0:
        raise LinAlgError("cond is not defined on empty arrays")
    if p is None or (not isinstance(p, str) and p in (2, -2)):
        stack, lead = _stacked(x, "x", complex_ok=True)
        s = svdvals(stack)
        with np.errstate(all="ignore"):
            r = s[..., -1] / s[..., 0] if p == -2 else s[..., 0] / s[..., -1]
    else:
        stack, lead = _stacked_square(x, complex_ok=True)
        with np.errstate(all="ignore"):
            r = norm(stack, p, (-2, -1)) * norm(_inverses(stack), p, (-2, -1))
    r = np.asarray(r).reshape(lead)
    nan = np.isnan(r) & ~np.isnan(x).any(axis=(-2, -1))
    r[nan] = np.inf
    return r[()]
