# SPDX-License-Identifier: MIT
"""numpy.linalg's matrix_power, multi_dot, tensorsolve and tensorinv in long
double, real or complex (clongdouble): numpy's rules; the products,
inverses and solves zelkor's."""

import operator

import numpy as np
from numpy.linalg import LinAlgError

from . import _core
from ._arrays import _prepared, _promoted, _real, _stacked_square


def _matmul(x, y):
    """x @ y for stacks of matrices of one leading shape, by the library's
    product (each entry a sum in increasing index order)."""
    if x.shape[-1] != y.shape[-2]:
        raise ValueError(
            f"shapes {x.shape} and {y.shape} not aligned: {x.shape[-1]} (dim {x.ndim - 1}) != {y.shape[-2]} (dim {y.ndim - 2})"
        )
    x, y = _promoted(x, y)
    lead = x.shape[:-2]
    k = int(np.prod(lead, dtype=np.int64))
    z = _core.matmul(_prepared(x.reshape((k,) + x.shape[-2:])), _prepared(y.reshape((k,) + y.shape[-2:])))
    return z.reshape(lead + z.shape[-2:])


def matrix_power(a, n):
    """A square matrix raised to an integer power, in long double.

    As ``numpy.linalg.matrix_power``: binary powering (the squares
    ``a, a**2, a**4, ...`` and the product of those of ``n``'s bits, each
    product the library's), the
    identity for ``n = 0``, and for ``n < 0`` the powers of zelkor's
    :func:`zelkor.linalg.inv`.

    Parameters
    ----------
    a : (..., M, M) array_like
        Real or complex square matrices.
    n : int
        The exponent.

    Returns
    -------
    a**n : (..., M, M) ndarray of np.longdouble

    Raises
    ------
    LinAlgError
        If ``a`` is not square, or singular and ``n < 0``.
    TypeError
        If ``n`` is not an integer, or ``a`` is object or string.

    Examples
    --------
    >>> import zelkor
    >>> zelkor.linalg.matrix_power([[1, 1], [0, 1]], 5).astype(float).tolist()
    [[1.0, 5.0], [0.0, 1.0]]
    >>> zelkor.linalg.matrix_power([[2, 0], [0, 4]], -2).astype(float).tolist()
    [[0.25, 0.0], [0.0, 0.0625]]
    """
    stack, lead = _stacked_square(a, complex_ok=True)
    try:
        n = operator.index(n)
    except TypeError as e:
        raise TypeError("exponent must be an integer") from e
    a = stack.reshape(lead + stack.shape[1:])
    if n == 0:
        return np.broadcast_to(np.eye(a.shape[-1], dtype=a.dtype), a.shape).copy()
    if n < 0:
        from .linalg import inv

        a = inv(a)
        n = -n
    if n == 3:
        return _matmul(_matmul(a, a), a)
    z = result = None
    while n > 0:
        z = a if z is None else _matmul(z, z)
        n, bit = divmod(n, 2)
        if bit:
            result = z if result is None else _matmul(result, z)
    return result


def _chain_order(dims):
    """The cheapest parenthesisation of a chain of matrices, dims[i] × dims[i + 1]
    the i-th, by dynamic programming over the subchains; of equal costs the
    first split: nested pairs of indices, e.g. ((0, 1), 2)."""
    n = len(dims) - 1
    cost = [[0] * n for _ in range(n)]
    split = [[0] * n for _ in range(n)]
    for length in range(1, n):
        for i in range(n - length):
            j = i + length
            cost[i][j] = None
            for k in range(i, j):
                q = cost[i][k] + cost[k + 1][j] + dims[i] * dims[k + 1] * dims[j + 1]
                if cost[i][j] is None or q < cost[i][j]:
                    cost[i][j], split[i][j] = q, k

    def tree(i, j):
        return i if i == j else (tree(i, split[i][j]), tree(split[i][j] + 1, j))

    return tree(0, n - 1)


def multi_dot(arrays, *, out=None):
    """The product of two or more arrays in the cheapest order, in long double.

    As ``numpy.linalg.multi_dot``: the order that needs the fewest scalar
    multiplications, each product the library's; the first array may be a row vector and the last a
    column vector (one-dimensional), the others two-dimensional.

    Parameters
    ----------
    arrays : sequence of array_like
        Real or complex arrays.
    out : ndarray, optional
        Where to put the result (of its shape).

    Returns
    -------
    output : ndarray of np.longdouble (np.longdouble for two vectors)

    Raises
    ------
    LinAlgError
        If an inner array is not two-dimensional.
    ValueError
        If fewer than two arrays are given or the shapes do not chain.

    Examples
    --------
    >>> import zelkor
    >>> zelkor.linalg.multi_dot([[1, 2], [[1, 0], [0, 2]], [[1], [1]]]).astype(float).tolist()
    [5.0]
    """
    if len(arrays) < 2:
        raise ValueError("Expecting at least two arrays.")
    arrays = list(_promoted(*[_real(x, "arrays", complex_ok=True) for x in arrays]))
    if len(arrays) == 2:
        x, y = arrays
        result = _matmul(x, y) if x.ndim == y.ndim == 2 else np.dot(x, y)
    else:
        first, last = arrays[0].ndim, arrays[-1].ndim
        if first == 1:
            arrays[0] = arrays[0][np.newaxis, :]
        if last == 1:
            arrays[-1] = arrays[-1][:, np.newaxis]
        for x in arrays:
            if x.ndim != 2:
                raise LinAlgError(f"{x.ndim}-dimensional array given. Array must be two-dimensional")

        def product(t):
            return arrays[t] if isinstance(t, int) else _matmul(product(t[0]), product(t[1]))

        result = product(_chain_order([x.shape[0] for x in arrays] + [arrays[-1].shape[1]]))
        if first == 1 and last == 1:
            result = result[0, 0]
        elif first == 1 or last == 1:
            result = result.ravel()
    if out is None:
        return result
    np.copyto(out, result)
    return out


def tensorsolve(a, b, axes=None):
    """Solve the tensor equation ``tensordot(a, x, x.ndim) = b`` for x, in long double.

    As ``numpy.linalg.tensorsolve``: ``a``'s axes in ``axes`` moved to the
    end, then ``a`` taken as a square matrix of ``prod(b.shape)`` rows and
    solved with zelkor's :func:`zelkor.linalg.solve`.

    Parameters
    ----------
    a : array_like
        Real or complex coefficients, of shape ``b.shape + x.shape``.
    b : array_like
        Real or complex right-hand side.
    axes : tuple of ints, optional
        Axes of ``a`` moved to the end first.

    Returns
    -------
    x : ndarray of np.longdouble, of shape ``a.shape[b.ndim:]``

    Raises
    ------
    LinAlgError
        If the shapes do not make a square system, or it is singular.

    Examples
    --------
    >>> import numpy as np, zelkor
    >>> a = np.eye(6).reshape(6, 2, 3)
    >>> zelkor.linalg.tensorsolve(a, np.arange(6)).shape
    (2, 3)
    """
    from .linalg import solve

    a = _real(a, complex_ok=True)
    b = _real(b, "b", complex_ok=True)
    an = a.ndim
    if axes is not None:
        order = list(range(an))
        for k in axes:
            order.remove(k)
            order.insert(an, k)
        a = a.transpose(order)
    shape = a.shape[-(an - b.ndim) :]
    size = int(np.prod(shape, dtype=np.int64))
    if a.size != size**2:
        raise LinAlgError(
            "Input arrays must satisfy the requirement prod(a.shape[b.ndim:]) == prod(a.shape[:b.ndim])"
        )
    return solve(a.reshape(size, size), b.ravel()).reshape(shape)


def tensorinv(a, ind=2):
    """The inverse of an N-dimensional array as a tensor, in long double.

    As ``numpy.linalg.tensorinv``: ``a`` taken as a square matrix whose rows
    are its first ``ind`` axes, inverted by zelkor's
    :func:`zelkor.linalg.inv`, and shaped ``a.shape[ind:] + a.shape[:ind]``.

    Parameters
    ----------
    a : array_like
        Real or complex tensor with ``prod(a.shape[:ind]) == prod(a.shape[ind:])``.
    ind : int, optional
        The number of leading axes taken as rows (positive).

    Returns
    -------
    b : ndarray of np.longdouble, of shape ``a.shape[ind:] + a.shape[:ind]``

    Raises
    ------
    LinAlgError
        If ``a`` is not square in that sense, or singular.
    ValueError
        If ``ind`` is not positive.

    Examples
    --------
    >>> import numpy as np, zelkor
    >>> zelkor.linalg.tensorinv(2 * np.eye(4).reshape(4, 2, 2), ind=1).shape
    (2, 2, 4)
    """
    from .linalg import inv

    a = _real(a, complex_ok=True)
    if ind <= 0:
        raise ValueError("Invalid ind argument.")
    shape = a.shape[ind:] + a.shape[:ind]
    rows = int(np.prod(a.shape[ind:], dtype=np.int64))
    return inv(a.reshape(rows, -1)).reshape(shape)
