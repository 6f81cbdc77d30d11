# SPDX-License-Identifier: MIT
"""Factor once, solve many, with scipy.linalg's signatures and conventions:
lu_factor and lu_solve, cho_factor and cho_solve, solve_triangular, in
long double, real or complex (clongdouble; a real and a complex operand
give a complex result).  Two-dimensional ``a``; ``b`` of one or two
dimensions."""

import warnings

import numpy as np
from numpy.linalg import LinAlgError

from . import _core
from ._arrays import _prepared, _promoted, _real


class LinAlgWarning(RuntimeWarning):
    """A factorisation that succeeded on a matrix that is singular (an exactly
    zero pivot): solves with its factors fail.  A RuntimeWarning, as scipy's
    class of the same name."""


def _checked(x, name, check_finite):
    arr = _real(x, name, complex_ok=True)
    if check_finite and not np.isfinite(arr).all():
        raise ValueError("array must not contain infs or NaNs")
    return arr


def _square(a, name="a", check_finite=True):
    arr = _checked(a, name, check_finite)
    if arr.ndim != 2 or arr.shape[0] != arr.shape[1]:
        raise ValueError("expected square matrix")
    return arr


def _right_hand_sides(b, n, check_finite, text):
    """b as a (1, n, k) stack for the extension, and the shape of x."""
    arr = _checked(b, "b", check_finite)
    if arr.ndim not in (1, 2) or arr.shape[0] != n:
        raise ValueError(text.format(arr.shape))
    return _prepared(arr.reshape((1, n, -1))), arr.shape


def _adjoint(x):
    """x^H (x^T when real)."""
    return x.T.conj() if x.dtype.kind == "c" else x.T


def _trans(trans):
    codes = {0: 0, 1: 1, 2: 2, "N": 0, "T": 1, "C": 2}
    try:
        return codes[trans]
    except (KeyError, TypeError):
        raise ValueError(f"trans must be 0, 1, 2, 'N', 'T' or 'C', not {trans!r}") from None


def _singular_at(diagonal):
    zero = np.flatnonzero(diagonal == 0)
    if zero.size:
        raise LinAlgError(f"singular matrix: resolution failed at diagonal {zero[0]}")


def lu_factor(a, overwrite_a=False, check_finite=True):
    """LU factorisation with partial pivoting, for :func:`lu_solve`.

    As ``scipy.linalg.lu_factor``, in long double: the factors of
    ``p @ l @ u = a`` in one matrix and the row interchanges.  The factors
    are those of :func:`zelkor.linalg.lu` and :func:`zelkor.linalg.solve`,
    so ``lu_solve(lu_factor(a), b)`` gives the bits of ``solve(a, b)``.

    Parameters
    ----------
    a : (M, M) array_like
        A real or complex square matrix.
    overwrite_a : bool, optional
        Accepted for scipy's signature; ``a`` is never overwritten.
    check_finite : bool, optional
        Refuse infs and NaNs (default).  Without the check they pass into
        the arithmetic.

    Returns
    -------
    lu : (M, M) ndarray of np.longdouble
        ``u`` on and above the diagonal, ``l``'s entries below it (its unit
        diagonal not stored).
    piv : (M,) ndarray of np.int32
        The interchanges, 0-based: row ``i`` was interchanged with row
        ``piv[i]``, for ``i = 0, 1, ...`` in turn.

    Warns
    -----
    LinAlgWarning
        If a pivot is exactly zero (``a`` singular), as scipy's, the
        number in its text counting from 1.

    Raises
    ------
    ValueError
        If ``a`` is not square, or contains infs or NaNs (``check_finite``).
    TypeError
        If ``a`` is object or string.

    Examples
    --------
    >>> import zelkor
    >>> lu, piv = zelkor.linalg.lu_factor([[1, 2], [3, 4]])
    >>> piv.tolist(), lu[0].astype(float).tolist()
    ([1, 1], [3.0, 4.0])
    """
    arr = _square(a, "a", check_finite)
    n = arr.shape[0]
    perm, l, u = _core.lu(_prepared(arr[np.newaxis]))
    lower = np.tri(n, k=-1, dtype=bool)
    lu = np.where(lower, l[0], u[0])
    piv = np.empty(n, dtype=np.int32)
    rows = np.arange(n)
    where = np.arange(n)  # where[v]: the position of original row v now
    for i, v in enumerate(perm[0]):
        p = where[v]
        piv[i] = p
        rows[i], rows[p] = rows[p], rows[i]
        where[rows[i]], where[rows[p]] = i, p
    zero = np.flatnonzero(np.diagonal(lu) == 0)
    if zero.size:
        warnings.warn(f"Diagonal number {zero[0] + 1} is exactly zero. Singular matrix.", LinAlgWarning, stacklevel=2)
    return lu, piv


def lu_solve(lu_and_piv, b, trans=0, overwrite_b=False, check_finite=True):
    """Solve ``a @ x = b`` (or with ``a.T``) from :func:`lu_factor`'s result.

    As ``scipy.linalg.lu_solve``, in long double, in O(M²) per column of
    ``b``: forward and back substitution with the factors, the bits of
    :func:`zelkor.linalg.solve` for ``trans=0``.

    Parameters
    ----------
    lu_and_piv : tuple
        ``(lu, piv)`` as :func:`lu_factor` returns them.
    b : (M,) or (M, K) array_like
        Right-hand sides, real or complex.
    trans : {0, 1, 2}, optional
        0: ``a @ x = b``; 1: ``a.T @ x = b``; 2: ``a.conj().T @ x = b``
        (for a real ``a`` the same as 1); 'N', 'T', 'C' too.
    overwrite_b : bool, optional
        Accepted for scipy's signature; ``b`` is never overwritten.
    check_finite : bool, optional
        Refuse infs and NaNs in ``lu`` and ``b`` (default).

    Returns
    -------
    x : ndarray of np.longdouble
        The solutions, of ``b``'s shape.

    Raises
    ------
    LinAlgError
        If ``lu`` has an exactly zero diagonal entry (``a`` singular).
    ValueError
        If the shapes do not match, ``piv`` is not a sequence of
        interchanges, or an input contains infs or NaNs (``check_finite``).

    Examples
    --------
    >>> import zelkor
    >>> f = zelkor.linalg.lu_factor([[3, 1], [1, 2]])
    >>> zelkor.linalg.lu_solve(f, [9, 8]).tolist() == zelkor.linalg.solve([[3, 1], [1, 2]], [9, 8]).tolist()
    True
    """
    lu, piv = lu_and_piv
    lu = _square(lu, "lu", check_finite)
    n = lu.shape[0]
    piv = np.asarray(piv)
    if piv.shape != (n,) or piv.dtype.kind not in "iu" or (n and (piv.min() < 0 or piv.max() >= n)):
        raise ValueError(f"piv must hold {n} row numbers from 0 to {n - 1}")
    x, shape = _right_hand_sides(b, n, check_finite, f"Shapes of lu {lu.shape} and b {{}} are incompatible")
    _singular_at(np.diagonal(lu))
    perm = np.arange(n, dtype=np.int64)
    for i, p in enumerate(piv):
        perm[i], perm[p] = perm[p], perm[i]
    lu, x = _promoted(lu, x)
    return _core.lu_solve(_prepared(lu[np.newaxis]), perm[np.newaxis], _prepared(x), _trans(trans)).reshape(shape)


def cho_factor(a, lower=False, overwrite_a=False, check_finite=True):
    """Cholesky factorisation of a symmetric positive definite matrix, for
    :func:`cho_solve`.

    As ``scipy.linalg.cho_factor``, in long double: ``a = u^H @ u`` from
    the upper triangle of ``a`` (default), or ``a = l @ l^H`` from the
    lower one (``^H`` the conjugate transpose, the transpose for a real
    ``a``); the triangle not read is not checked, nor the imaginary parts
    of a complex ``a``'s diagonal.

    Parameters
    ----------
    a : (M, M) array_like
        A real symmetric or complex Hermitian positive definite matrix.
    lower : bool, optional
        Factor the lower triangle; the upper (default) otherwise.
    overwrite_a : bool, optional
        Accepted for scipy's signature; ``a`` is never overwritten.
    check_finite : bool, optional
        Refuse infs and NaNs anywhere in ``a`` (default).

    Returns
    -------
    c : (M, M) ndarray of np.longdouble
        The factor in the triangle read (diagonal included); the other
        triangle holds ``a``'s entries as they were, which only
        :func:`cho_solve` may be given: it does not read them, and nothing
        else should rely on them.
    lower : bool
        The triangle of ``c`` that holds the factor.

    Raises
    ------
    LinAlgError
        If ``a`` is not positive definite: scipy's text, the leading
        minor counted from 1.
    ValueError
        If ``a`` is not a square matrix, or contains infs or NaNs
        (``check_finite``).

    Examples
    --------
    >>> import zelkor
    >>> c, lower = zelkor.linalg.cho_factor([[4, 2], [2, 5]])
    >>> c.tolist() == [[2.0, 1.0], [2.0, 2.0]], lower
    (True, False)
    """
    arr = _checked(a, "a", check_finite)
    if arr.ndim != 2:
        raise ValueError(f"Input array needs to be 2D but received a {arr.ndim}d-array.")
    if arr.shape[0] != arr.shape[1]:
        raise ValueError(f"Input array is expected to be square but has the shape: {arr.shape}.")
    # The lower triangle of a.T defines conj(a) (a complex), whose factor
    # conj(u^H) transposed is u.
    stack = arr[np.newaxis] if lower else arr.T[np.newaxis]
    l, first = _core.cho_factor(_prepared(stack))
    if first[0] >= 0:
        raise LinAlgError(f"{first[0] + 1}-th leading minor of the array is not positive definite")
    n = arr.shape[0]
    factor = l[0] if lower else l[0].T
    keep = np.tri(n, dtype=bool) if lower else np.tri(n, dtype=bool).T
    return np.where(keep, factor, arr), bool(lower)


def cho_solve(c_and_lower, b, overwrite_b=False, check_finite=True):
    """Solve ``a @ x = b`` from :func:`cho_factor`'s result.

    As ``scipy.linalg.cho_solve``, in long double: forward and back
    substitution with the factor, O(M²) per column of ``b``.

    Parameters
    ----------
    c_and_lower : tuple
        ``(c, lower)`` as :func:`cho_factor` returns them; only the
        triangle named by ``lower`` is read.
    b : (M,) or (M, K) array_like
        Right-hand sides, real or complex.
    overwrite_b : bool, optional
        Accepted for scipy's signature; ``b`` is never overwritten.
    check_finite : bool, optional
        Refuse infs and NaNs in ``c`` and ``b`` (default).

    Returns
    -------
    x : ndarray of np.longdouble
        The solutions, of ``b``'s shape.

    Raises
    ------
    LinAlgError
        If a diagonal entry of the factor is not positive (not a Cholesky
        factor).
    ValueError
        If ``c`` is not square, the shapes do not match, or an input
        contains infs or NaNs (``check_finite``).

    Examples
    --------
    >>> import zelkor
    >>> f = zelkor.linalg.cho_factor([[4, 2], [2, 5]])
    >>> zelkor.linalg.cho_solve(f, [6, 7]).astype(float).tolist()
    [1.0, 1.0]
    """
    c, lower = c_and_lower
    c = _checked(c, "c", check_finite)
    if c.ndim != 2 or c.shape[0] != c.shape[1]:
        raise ValueError("The factored matrix c is not square.")
    n = c.shape[0]
    x, shape = _right_hand_sides(b, n, check_finite, f"incompatible dimensions ({c.shape} and {{}})")
    bad = np.flatnonzero(~(np.diagonal(c).real > 0))
    if bad.size:
        raise LinAlgError(f"diagonal entry {bad[0]} of the factor is not positive: not a Cholesky factor")
    c, x = _promoted(c, x)
    l = c if lower else _adjoint(c)
    return _core.cho_solve(_prepared(l[np.newaxis]), _prepared(x)).reshape(shape)


def solve_triangular(a, b, trans=0, lower=False, unit_diagonal=False, overwrite_b=False, check_finite=True):
    """Solve ``t @ x = b`` (or with ``t.T``), ``t`` a triangle of ``a``.

    As ``scipy.linalg.solve_triangular``, in long double: forward or back
    substitution, each sum in increasing index order, the columns of
    ``b`` on the library's threads (the same bits at any count).

    Parameters
    ----------
    a : (M, M) array_like
        A real or complex square matrix; only the triangle named by ``lower`` is
        read (its diagonal not with ``unit_diagonal``).
    b : (M,) or (M, K) array_like
        Right-hand sides, real or complex.
    trans : {0, 1, 2, 'N', 'T', 'C'}, optional
        0 or 'N': ``t @ x = b``; 1 or 'T': ``t.T @ x = b``; 2 or 'C':
        ``t.conj().T @ x = b``.
    lower : bool, optional
        The lower triangle; the upper one (default) otherwise.
    unit_diagonal : bool, optional
        Take the diagonal as ones, without reading it.
    overwrite_b : bool, optional
        Accepted for scipy's signature; ``b`` is never overwritten.
    check_finite : bool, optional
        Refuse infs and NaNs in ``a`` and ``b`` (default).

    Returns
    -------
    x : ndarray of np.longdouble
        The solutions, of ``b``'s shape.

    Raises
    ------
    LinAlgError
        If a diagonal entry read is exactly zero: scipy's text, counted
        from 0.
    ValueError
        If ``a`` is not square, the shapes do not match, ``trans`` is not
        one of its values, or an input contains infs or NaNs
        (``check_finite``).

    Examples
    --------
    >>> import zelkor
    >>> zelkor.linalg.solve_triangular([[2, 0], [1, 4]], [4, 10], lower=True).astype(float).tolist()
    [2.0, 2.0]
    """
    code = _trans(trans)
    arr = _square(a, "a", check_finite)
    n = arr.shape[0]
    x, shape = _right_hand_sides(b, n, check_finite, f"shapes of a {arr.shape} and b {{}} are incompatible")
    if not unit_diagonal:
        _singular_at(np.diagonal(arr))
    arr, x = _promoted(arr, x)
    return _core.solve_triangular(_prepared(arr[np.newaxis]), _prepared(x), bool(lower), code, bool(unit_diagonal)).reshape(
        shape
    )
