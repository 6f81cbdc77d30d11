# SPDX-License-Identifier: MIT
"""Linear algebra in 80-bit extended precision (``np.longdouble``).

The functions follow :mod:`numpy.linalg`: the same arguments, result shapes,
stacks of matrices ``(..., M, M)`` and errors (:class:`numpy.linalg.LinAlgError`
with numpy's messages), but compute in long double.  Input is any real
array-like; it is converted to ``np.longdouble`` without rounding (Python
integers of up to 64 significant bits included; longer ones are refused).
Complex input, where a function takes it, becomes ``np.clongdouble`` as
exactly; elsewhere it is refused.  The GIL is released while
they compute, and Ctrl-C interrupts them (KeyboardInterrupt).  A matrix of
more than 2**31 - 1 elements is a MemoryError.
"""

import numpy as np
from numpy.linalg import LinAlgError

from . import _core
from ._arrays import (
    _NUMPY2,
    _assert_finite,
    _is_complex,
    _like,
    _prepared,
    _promoted,
    _real,
    _result,
    _stacked_square,
    _tolerance,
)
from ._factored import LinAlgWarning, cho_factor, cho_solve, lu_factor, lu_solve, solve_triangular
from ._least_squares import lstsq, matrix_rank, pinv
from ._norms import cond, matrix_norm, norm, vector_norm
from ._products import matrix_power, multi_dot, tensorinv, tensorsolve
from ._qr import qr
from ._svd import svd, svdvals

__all__ = [
    "solve", "inv", "det", "slogdet", "lu", "eig", "eigvals", "eigh", "eigvalsh", "roots", "cholesky", "qr",
    "svd", "svdvals", "lstsq", "pinv", "matrix_rank",
    "lu_factor", "lu_solve", "cho_factor", "cho_solve", "solve_triangular",
    "norm", "matrix_norm", "vector_norm", "cond", "matrix_power", "multi_dot", "tensorsolve", "tensorinv",
    "LinAlgWarning", "LinAlgError",
]  # fmt: skip

_SlogdetResult = _result("SlogdetResult", ["sign", "logabsdet"])
_EigResult = _result("EigResult", ["eigenvalues", "eigenvectors"])
_EighResult = _result("EighResult", ["eigenvalues", "eigenvectors"])


def solve(a, b):
    """Solve the linear system ``a @ x = b`` in long double.

    Parameters
    ----------
    a : (..., M, M) array_like
        Coefficient matrices, real or complex.
    b : {(M,), (..., M), (..., M, K)} array_like
        Right-hand sides, real or complex.  As in the installed numpy, ``b`` is a
        stack of vectors when it has exactly one dimension fewer than ``a``
        (numpy 1) or is one-dimensional (numpy 2), and of matrices
        otherwise; the leading dimensions broadcast.

    Returns
    -------
    x : {(..., M), (..., M, K)} ndarray of np.longdouble (np.clongdouble when a or b is complex)
        The solutions; of ``b``'s class when ``b`` is an ndarray subclass
        (``np.matrix``), as numpy's.

    Raises
    ------
    LinAlgError
        If ``a`` is singular (an exactly zero pivot) or not square.
    ValueError
        If the shapes of ``a`` and ``b`` do not match.
    TypeError
        If an input is object or string.

    Examples
    --------
    >>> import numpy as np, zelkor
    >>> x = zelkor.linalg.solve([[3, 1], [1, 2]], [9, 8])
    >>> x.dtype == np.longdouble, np.allclose(x, [2, 3])
    (True, True)
    """
    a_stack, a_lead = _stacked_square(a, complex_ok=True)
    m = a_stack.shape[-1]
    barr = _real(b, "b", complex_ok=True)
    a_stack, barr = _promoted(a_stack, barr)
    vector = barr.ndim == 1 if _NUMPY2 else barr.ndim == len(a_lead) + 1
    if vector:
        if barr.shape[-1] != m:
            raise ValueError(
                f"solve1: Input operand 1 has a mismatch in its core dimension 0, with gufunc signature "
                f"(m,m),(m)->(m) (size {barr.shape[-1]} is different from {m})"
            )
        barr = barr[..., np.newaxis]
    elif barr.ndim < 2:
        raise ValueError(
            f"solve: Input operand 1 does not have enough dimensions (has {barr.ndim}, gufunc core with "
            f"signature (m,m),(m,n)->(m,n) requires 2)"
        )
    elif barr.shape[-2] != m:
        size = barr.shape[-2]
        raise ValueError(
            f"solve: Input operand 1 has a mismatch in its core dimension 0, with gufunc signature "
            f"(m,m),(m,n)->(m,n) (size {size} is different from {m})"
        )
    try:
        lead = np.broadcast_shapes(a_lead, barr.shape[:-2])
    except ValueError as err:
        raise ValueError(f"solve: the stacks of a and b do not broadcast: {err}") from None
    k = barr.shape[-1]
    count = int(np.prod(lead, dtype=np.int64))
    a3 = _prepared(np.broadcast_to(a_stack.reshape(a_lead + (m, m)), lead + (m, m)).reshape((count, m, m)))
    b3 = _prepared(np.broadcast_to(barr, lead + (m, k)).reshape((count, m, k)))
    x = _core.solve(a3, b3).reshape(lead + (m, k))
    return _like(b, x[..., 0] if vector else x)


def inv(a):
    """The inverse of a matrix, in long double.

    Parameters
    ----------
    a : (..., M, M) array_like
        Real or complex matrices.

    Returns
    -------
    ainv : (..., M, M) ndarray of np.longdouble or np.clongdouble
        ``ainv`` with ``a @ ainv = ainv @ a = I``; of ``a``'s class when
        ``a`` is an ndarray subclass (``np.matrix``), as numpy's.

    Raises
    ------
    LinAlgError
        If ``a`` is singular (an exactly zero pivot) or not square.
    TypeError
        If ``a`` is object or string.

    Examples
    --------
    >>> import zelkor
    >>> zelkor.linalg.inv([[2, 0], [0, 4]]).tolist() == [[0.5, 0.0], [0.0, 0.25]]
    True
    """
    stack, lead = _stacked_square(a, complex_ok=True)
    return _like(a, _core.inv(stack).reshape(lead + stack.shape[1:]))


def det(a):
    """The determinant, in long double.

    Parameters
    ----------
    a : (..., M, M) array_like
        Real or complex matrices.

    Returns
    -------
    det : (...) np.longdouble or np.clongdouble, or an ndarray of them
        The determinants: the product of the LU factorisation's pivots with
        the permutation's sign; 0 for a singular matrix, 1 for a 0 × 0 one.

    Raises
    ------
    LinAlgError
        If ``a`` is not square.
    TypeError
        If ``a`` is object or string.

    Examples
    --------
    >>> import numpy as np, zelkor
    >>> d = zelkor.linalg.det([[1, 2], [3, 4]])
    >>> type(d) is np.longdouble, float(d)
    (True, -2.0)
    """
    stack, lead = _stacked_square(a, complex_ok=True)
    return _core.det(stack).reshape(lead)[()]


def slogdet(a):
    """The sign and the natural logarithm of the absolute value of the determinant.

    Parameters
    ----------
    a : (..., M, M) array_like
        Real or complex matrices.

    Returns
    -------
    On numpy 2, a named tuple ``SlogdetResult(sign, logabsdet)``; a tuple
    on numpy 1, as numpy returns.

    sign : (...) np.longdouble or ndarray (np.clongdouble of modulus 1 for complex ``a``)
        1, -1, or 0 for a singular matrix.
    logabsdet : (...) np.longdouble or ndarray
        ``log |det a|`` as the sum of the logarithms of the pivots (no
        overflow), ``-inf`` for a singular matrix.

    Raises
    ------
    LinAlgError
        If ``a`` is not square.
    TypeError
        If ``a`` is object or string.

    Examples
    --------
    >>> import numpy as np, zelkor
    >>> sign, logdet = zelkor.linalg.slogdet([[-2, 0], [0, 3]])
    >>> float(sign), bool(np.isclose(float(logdet), np.log(6)))
    (-1.0, True)
    """
    stack, lead = _stacked_square(a, complex_ok=True)
    piv, _, u = _core.lu(stack)
    pivots = np.diagonal(u, axis1=-2, axis2=-1)
    if stack.dtype.kind == "c":
        return _complex_slogdet(pivots, _permutation_sign(piv), lead)
    negative = np.count_nonzero(pivots < 0, axis=-1) % 2 == 1
    zero = np.any(pivots == 0, axis=-1)
    sign = np.where(zero, 0, np.where(negative, -1, 1) * _permutation_sign(piv)).astype(np.longdouble)
    # log |det| as the sum of the log |u_ii|, first to last: no over- or underflow.
    logabs = np.zeros(len(piv), dtype=np.longdouble)
    with np.errstate(divide="ignore", invalid="ignore"):
        for log in np.log(np.fabs(pivots)).T:
            logabs = logabs + log
    logabs[zero] = -np.inf
    return _SlogdetResult(sign.reshape(lead)[()], logabs.reshape(lead)[()])


def _complex_slogdet(pivots, permutation_sign, lead):
    """slogdet from complex pivots: sign = ±Π u/|u| (the products first to
    last, the result scaled to modulus 1), log |det| = Σ log |u|, each |u|
    without over- or underflow (numpy's complex absolute value); sign 0 and
    -inf for a singular matrix."""
    zero = np.any(pivots == 0, axis=-1)
    sign = permutation_sign.astype(np.clongdouble)
    logabs = np.zeros(len(pivots), dtype=np.longdouble)
    with np.errstate(divide="ignore", invalid="ignore"):
        for u in pivots.T:
            size = np.abs(u)
            sign = sign * (u / size)
            logabs = logabs + np.log(size)
        sign = sign / np.abs(sign)
    sign[zero] = 0
    logabs[zero] = -np.inf
    return _SlogdetResult(sign.reshape(lead)[()], logabs.reshape(lead)[()])


def _permutation_sign(piv):
    """The signs (1 or -1) of the permutations, rows of ``piv``: -1 to the
    number of transpositions that sort them."""
    k, m = piv.shape
    p = piv.copy()
    where = np.empty_like(p)  # where[r, v]: the position of v in p[r]
    where[np.arange(k)[:, None], p] = np.arange(m)
    sign = np.ones(k, dtype=np.int64)
    rows = np.arange(k)
    for i in range(m):
        j = where[:, i]
        moved = j != i
        sign[moved] = -sign[moved]
        v = p[:, i].copy()  # swap positions i and j: value i to position i, v to position j
        p[rows, j] = v
        p[:, i] = i
        where[rows, v] = j
        where[:, i] = i
    return sign


def lu(a):
    """LU factorisation with partial pivoting: ``a = p @ l @ u``.

    As ``scipy.linalg.lu``: ``p`` is a permutation matrix, ``l`` unit lower
    triangular, ``u`` upper triangular.  Each pivot is the first entry of
    largest magnitude in its column.

    Parameters
    ----------
    a : (..., M, M) array_like
        Real or complex square matrices.

    Returns
    -------
    p, l, u : (..., M, M) ndarrays of np.longdouble (np.clongdouble for complex ``a``)

    Raises
    ------
    LinAlgError
        If ``a`` is not square or contains infs or NaNs.
    TypeError
        If ``a`` is object or string.

    Examples
    --------
    >>> import numpy as np, zelkor
    >>> p, l, u = zelkor.linalg.lu([[1, 2], [3, 4]])
    >>> (p @ l @ u).tolist() == [[1.0, 2.0], [3.0, 4.0]]
    True
    """
    stack, lead = _stacked_square(a, complex_ok=True)
    _assert_finite(stack)
    piv, l, u = _core.lu(stack)
    k, m = piv.shape
    p = np.zeros((k, m, m), dtype=stack.dtype)
    # Row i of P·A = L·U is row piv[i] of A, so A = Pᵀ·L·U: p[piv[i], i] = 1.
    p[np.arange(k)[:, None], piv, np.arange(m)[None, :]] = 1
    shape = lead + (m, m)
    return p.reshape(shape), l.reshape(shape), u.reshape(shape)


def _symmetric(stack, UPLO):
    """The symmetric matrices the ``UPLO`` triangles of ``stack`` define:
    the other triangle replaced by the transpose's, entry by entry."""
    m = stack.shape[-1]
    other = np.triu(np.ones((m, m), bool), 1) if UPLO == "L" else np.tril(np.ones((m, m), bool), -1)
    return np.where(other, np.swapaxes(stack, -1, -2), stack)


def _eigenvectors(w, wi):
    """The complex eigenvectors from the library's real columns ``w``: a
    column j with ``wi[j] > 0`` and the next hold the pair
    ``w[:, j] ± i·w[:, j+1]``; each scaled to unit 2-norm and a complex one
    turned to make its largest entry real and positive."""
    k, m, _ = w.shape
    first = np.zeros((k, m), bool)  # column j is the first of a pair
    for j in range(m - 1):
        first[:, j] = (wi[:, j] > 0) & ~first[:, j - 1] if j else wi[:, j] > 0
    s, j = np.nonzero(first)
    re, im = w.copy(), np.zeros_like(w)
    im[s, :, j] = w[s, :, j + 1]
    if m:
        re, im = _normalised(re, im, first[:, None, :])
    re[s, :, j + 1] = re[s, :, j]
    im[s, :, j + 1] = -im[s, :, j]
    v = np.empty(w.shape, dtype=np.clongdouble)
    v.real, v.imag = re, im
    return v


def _normalised(re, im, turned):
    """The columns re + i·im divided by their 2-norm, computed as
    ``big·sqrt(sum |x_i / big|²)`` with ``big`` the largest modulus, and
    those of ``turned`` multiplied by ``conj(x_at) / |x_at|``, ``at`` the
    first row where ``big`` is, whose imaginary part is then 0.  A column
    whose ``big`` is 0 or not finite stays as it is."""
    with np.errstate(all="ignore"):
        modulus = np.hypot(re, im)
        modulus[np.isnan(modulus)] = 0
        at = np.argmax(modulus, axis=-2)[:, None, :]
        big = np.take_along_axis(modulus, at, axis=-2)
        sum2 = np.zeros_like(big)
        for i in range(re.shape[-2]):
            r, j = re[:, i : i + 1] / big, im[:, i : i + 1] / big
            sum2 = sum2 + (r * r + j * j)
        norm = big * np.sqrt(sum2)
        tr = np.where(turned, np.take_along_axis(re, at, axis=-2) / big, 1)
        ti = np.where(turned, -np.take_along_axis(im, at, axis=-2) / big, 0)
        x = (re * tr - im * ti) / norm
        y = (re * ti + im * tr) / norm
    np.put_along_axis(y, at, np.where(turned, 0, np.take_along_axis(y, at, axis=-2)), axis=-2)
    keep = ~((big > 0) & np.isfinite(big))
    np.copyto(x, re, where=keep)
    np.copyto(y, im, where=keep)
    return x, y


def _eig(a, vectors, tolerance):
    extended = _tolerance(tolerance)
    stack, lead = _stacked_square(a)
    _assert_finite(stack)
    re, im, w = _core.eig(stack, vectors, extended)
    m = stack.shape[-1]
    v = _eigenvectors(w, im).reshape(lead + (m, m)) if vectors else None
    return re.reshape(lead + (m,)), im.reshape(lead + (m,)), v


def _values(re, im):
    """Real when every imaginary part is 0, as numpy's eigvals."""
    if not im.any():
        return re
    w = np.empty(re.shape, dtype=np.clongdouble)
    w.real = re
    w.imag = im
    return w


def _complex_eig(arr, vectors, tolerance):
    """w and (with ``vectors``) v of the complex matrices ``arr``
    (clongdouble): each column of v of unit 2-norm, its largest entry real
    and positive, as numpy's."""
    extended = _tolerance(tolerance)
    stack, lead = _stacked_square(arr, complex_ok=True)
    _assert_finite(stack)
    w, v = _core.eig(stack, vectors, extended)
    k, m = w.shape
    if not vectors:
        return w.reshape(lead + (m,)), None
    if m:
        x, y = _normalised(v.real.copy(), v.imag.copy(), np.ones((k, 1, m), bool))
        v.real, v.imag = x, y
    return w.reshape(lead + (m,)), v.reshape(lead + (m, m))


def eig(a, tolerance="extended"):
    """Eigenvalues and right eigenvectors of real or complex square matrices.

    Parameters
    ----------
    a : (..., M, M) array_like
        Real or complex matrices.
    tolerance : {'extended', 'double'}, optional
        The threshold below which the iteration takes an entry as
        negligible: long double's epsilon 2**-63 (the default, backward
        errors of a few long double units), or 2**-52 as the library's
        programs use.  With 'extended' the eigenvalues of an exactly
        symmetric matrix are also refined by bisection (see :func:`eigh`).

    Returns
    -------
    On numpy 2, a named tuple ``EigResult(eigenvalues, eigenvectors)``; a
    tuple on numpy 1, as numpy returns.

    w : (..., M) ndarray
        The eigenvalues, complex-conjugate pairs together (positive
        imaginary part first); ``np.longdouble`` when all are real,
        ``np.clongdouble`` otherwise.  An exactly symmetric matrix has them
        in ascending order.  Complex ``a`` (Householder reduction to
        Hessenberg form, the complex Schur form by the single-shift QR
        iteration) gives ``np.clongdouble`` always.
    v : (..., M, M) ndarray
        The unit-norm eigenvectors, ``v[..., :, i]`` for ``w[..., i]``,
        each complex one with its largest entry real; ``np.longdouble``
        when ``w`` is real, ``np.clongdouble`` otherwise; of ``a``'s class
        when ``a`` is an ndarray subclass (``np.matrix``), as numpy's.

    Raises
    ------
    LinAlgError
        If the iteration does not converge, or ``a`` is not square or
        contains infs or NaNs.
    TypeError
        If ``a`` is object or string.
    ValueError
        If ``tolerance`` is neither 'extended' nor 'double'.

    Examples
    --------
    >>> import numpy as np, zelkor
    >>> w, v = zelkor.linalg.eig([[0, -1], [1, 0]])
    >>> w.tolist() == [1j, -1j], bool(np.allclose([[0, -1], [1, 0]] @ v, v * w))
    (True, True)
    """
    arr = _real(a, complex_ok=True)
    if arr.dtype.kind == "c":
        w, v = _complex_eig(arr, True, tolerance)
        return _EigResult(w, _like(a, v))
    re, im, v = _eig(arr, True, tolerance)
    if not im.any():
        return _EigResult(re, _like(a, np.ascontiguousarray(v.real)))
    return _EigResult(_values(re, im), _like(a, v))


def eigvals(a, tolerance="extended"):
    """Eigenvalues of real or complex square matrices, without the eigenvectors.

    The same bits as ``eig(a, tolerance)[0]``, at less cost: no
    transformation is accumulated.

    Parameters
    ----------
    a : (..., M, M) array_like
        Real or complex matrices.
    tolerance : {'extended', 'double'}, optional
        See :func:`eig`.

    Returns
    -------
    w : (..., M) ndarray
        As :func:`eig`'s ``w``.

    Raises
    ------
    LinAlgError
        If the iteration does not converge, or ``a`` is not square or
        contains infs or NaNs.
    TypeError
        If ``a`` is object or string.
    ValueError
        If ``tolerance`` is neither 'extended' nor 'double'.

    Examples
    --------
    >>> import zelkor
    >>> zelkor.linalg.eigvals([[2, 0], [0, 3]]).tolist() == [2.0, 3.0]
    True
    """
    arr = _real(a, complex_ok=True)
    if arr.dtype.kind == "c":
        return _complex_eig(arr, False, tolerance)[0]
    re, im, _ = _eig(arr, False, tolerance)
    return _values(re, im)


def _uplo(UPLO):
    UPLO = UPLO.upper()
    if UPLO not in ("L", "U"):
        raise ValueError("UPLO argument must be 'L' or 'U'")
    return UPLO


def _hermitian(stack, UPLO):
    """The Hermitian matrices the ``UPLO`` triangles of complex ``stack``
    define: the other triangle replaced by the conjugate transpose's, entry
    by entry, the diagonal's imaginary parts by 0."""
    m = stack.shape[-1]
    other = np.triu(np.ones((m, m), bool), 1) if UPLO == "L" else np.tril(np.ones((m, m), bool), -1)
    h = np.where(other, np.conj(np.swapaxes(stack, -1, -2)), stack)
    h.imag[..., np.arange(m), np.arange(m)] = 0
    return h


def _eigh(a, vectors, tolerance, UPLO):
    """eigh's w and v (None without vectors), of real or complex input."""
    extended = _tolerance(tolerance)
    stack, lead = _stacked_square(a, complex_ok=True)
    m = stack.shape[-1]
    if _is_complex(stack):
        stack = _hermitian(stack, UPLO)
        _assert_finite(stack)
        w, v = _core.eigh(stack, vectors, extended)
    else:  # the symmetric path: real, orthonormal columns, no imaginary parts
        stack = _symmetric(stack, UPLO)
        _assert_finite(stack)
        w, _, v = _core.eig(stack, vectors, extended)
    return w.reshape(lead + (m,)), v.reshape(lead + (m, m)) if vectors else None


def eigh(a, UPLO="L", tolerance="extended"):
    """Eigenvalues and eigenvectors of real symmetric or complex Hermitian
    matrices.

    Only the triangle named by ``UPLO`` is read, and of a complex
    diagonal only the real parts: the rest may hold anything, infs and
    NaNs included.

    Parameters
    ----------
    a : (..., M, M) array_like
        Real or complex matrices.
    UPLO : {'L', 'U'}, optional
        The lower (default) or upper triangle; lower case too.
    tolerance : {'extended', 'double'}, optional
        See :func:`eig`.  With 'extended' (the default) the QL iteration's
        eigenvalues are refined by bisection on the tridiagonal matrix,
        to within a few units of 2**-64 times the largest eigenvalue's
        magnitude; the eigenvectors are the iteration's.

    Returns
    -------
    On numpy 2, a named tuple ``EighResult(eigenvalues, eigenvectors)``; a
    tuple on numpy 1, as numpy returns.

    w : (..., M) ndarray of np.longdouble
        The eigenvalues in ascending order, real for complex input too.
    v : (..., M, M) ndarray
        Orthonormal (unitary) eigenvectors, ``v[..., :, i]`` for
        ``w[..., i]``; ``np.longdouble`` for real input, ``np.clongdouble``
        for complex; of ``a``'s class when ``a`` is an ndarray subclass, as
        numpy's.

    Raises
    ------
    LinAlgError
        If the iteration does not converge, or ``a`` is not square or
        its ``UPLO`` triangle contains infs or NaNs.
    TypeError
        If ``a`` is object or string.
    ValueError
        If ``UPLO`` or ``tolerance`` is not one of its values.

    Examples
    --------
    >>> import numpy as np, zelkor
    >>> w, v = zelkor.linalg.eigh([[2, 1], [1, 2]])
    >>> w.tolist() == [1.0, 3.0], bool(np.allclose(v.T @ v, np.eye(2)))
    (True, True)
    >>> zelkor.linalg.eigh([[2, 1 - 1j], [1 + 1j, 3]])[0].tolist() == [1.0, 4.0]
    True
    """
    w, v = _eigh(a, True, tolerance, _uplo(UPLO))
    return _EighResult(w, _like(a, v))


def eigvalsh(a, UPLO="L", tolerance="extended"):
    """Eigenvalues of real symmetric or complex Hermitian matrices, without
    the eigenvectors.

    Parameters
    ----------
    a : (..., M, M) array_like
        Real or complex matrices; only the triangle named by ``UPLO`` is
        read (of a complex diagonal, the real parts).
    UPLO : {'L', 'U'}, optional
        The lower (default) or upper triangle; lower case too.
    tolerance : {'extended', 'double'}, optional
        See :func:`eig`.

    Returns
    -------
    w : (..., M) ndarray of np.longdouble
        The eigenvalues in ascending order, the same bits as
        ``eigh(a, UPLO, tolerance)[0]``.

    Raises
    ------
    LinAlgError
        If the iteration does not converge, or ``a`` is not square or
        its ``UPLO`` triangle contains infs or NaNs.
    TypeError
        If ``a`` is object or string.
    ValueError
        If ``UPLO`` or ``tolerance`` is not one of its values.

    Examples
    --------
    >>> import zelkor
    >>> zelkor.linalg.eigvalsh([[2, 1], [1, 2]]).tolist() == [1.0, 3.0]
    True
    """
    return _eigh(a, False, tolerance, _uplo(UPLO))[0]


def roots(p, tolerance="extended"):
    """The roots of a polynomial, in long double.

    As ``numpy.roots``: ``p[0] * x**n + ... + p[n]``, leading zeros
    stripped, each trailing zero a root 0.  The roots are the eigenvalues of
    the companion matrix (first row ``-p[1:] / p[0]``, ones below the
    diagonal), computed without eigenvectors by the library's
    ``ZELKOR::polynomialRoots`` (``templates/roots``), the routine of the
    ``polyroots`` program: when a root's backward error
    ``|p(z)| / sum(|p[i]| * |z|**(n-i))`` is above ``2**-40`` and the
    companion matrix was not balanced already, the eigenvalues are computed
    again with it balanced, and that set is kept when its worst backward
    error is at least 16 times smaller.  This recovers polynomials whose
    roots span a few orders of magnitude, such as ``prod(x - 2**-k)``,
    whose small roots the unbalanced matrix loses.

    Parameters
    ----------
    p : (N,) array_like
        Real or complex coefficients, the highest power first.  Complex
        ones take the complex eigen-decomposition (see
        :func:`zelkor.linalg.eig`) of the companion matrix, without the
        backward-error retry.
    tolerance : {'extended', 'double'}, optional
        See :func:`zelkor.linalg.eig`.

    Returns
    -------
    out : ndarray
        The roots: ``np.longdouble`` when all are real and ``p`` is real,
        ``np.clongdouble`` otherwise; empty for a constant or zero
        polynomial.

    Raises
    ------
    ValueError
        If ``p`` is not one-dimensional, or ``tolerance`` not one of its values.
    LinAlgError
        If ``p`` contains infs or NaNs (or its coefficients' ratios
        overflow), or the iteration does not converge.
    TypeError
        If ``p`` is object or string.

    Examples
    --------
    >>> import zelkor
    >>> sorted(zelkor.roots([1, -3, 2, 0]).tolist()) == [0.0, 1.0, 2.0]
    True
    """
    extended = _tolerance(tolerance)
    c = _real(p, "p", complex_ok=True)
    if c.ndim != 1:
        raise ValueError("Input must be a rank-1 array.")
    nonzero = np.nonzero(c)[0]
    if len(nonzero) == 0:
        return np.array([], dtype=np.longdouble)
    trailing = len(c) - nonzero[-1] - 1
    c = c[int(nonzero[0]) : int(nonzero[-1]) + 1]
    if len(c) > 1:
        # The companion matrix's entries are the ratios -c[1:] / c[0]: one
        # that is not finite is refused as numpy refuses such a matrix.
        with np.errstate(over="ignore", invalid="ignore"):
            if not np.isfinite(c).all() or not np.isfinite(c[1:] / c[0]).all():
                raise LinAlgError("Array must not contain infs or NaNs")
    if c.dtype.kind == "c":
        # The companion matrix's eigenvalues by the complex path.
        n = len(c) - 1
        companion = np.zeros((1, n, n), dtype=np.clongdouble)
        companion[0, :1, :] = -c[1:] / c[0]
        companion[0, np.arange(1, n), np.arange(n - 1)] = 1
        w = _core.eig(companion, False, extended)[0][0]
        return np.concatenate((w, np.zeros(trailing, dtype=np.clongdouble)))
    re, im = _core.roots(_prepared(c[::-1]), extended)
    zeros = np.zeros(trailing, dtype=np.longdouble)
    w = _values(re, im)
    return np.concatenate((w, zeros.astype(w.dtype)))


def cholesky(a, /, *, upper=False):
    """Cholesky factorisation ``a = l @ l.T`` of symmetric positive definite
    matrices (``a = l @ l^H`` of Hermitian ones), in long double.

    As ``numpy.linalg.cholesky``: only the lower triangle of ``a`` is read
    (the upper one with ``upper=True``); symmetry is not checked.

    Parameters
    ----------
    a : (..., M, M) array_like
        Real symmetric or complex Hermitian positive definite matrices (of a
        complex diagonal only the real part is read).
    upper : bool, optional
        Return the upper triangular ``u = l.T`` (``a = u.T @ u``; ``l^H``
        when complex), from the upper triangle of ``a``, instead of ``l``.

    Returns
    -------
    l : (..., M, M) ndarray of np.longdouble (np.clongdouble)
        Lower triangular with a real positive diagonal (upper triangular with
        ``upper=True``); of ``a``'s class when ``a`` is an ndarray subclass.

    Raises
    ------
    LinAlgError
        If a matrix is not positive definite (a pivot that is not positive),
        not square, or its triangle read contains infs or NaNs.
    TypeError
        If ``a`` is object or string.

    Examples
    --------
    >>> import zelkor
    >>> zelkor.linalg.cholesky([[4, 12, -16], [12, 37, -43], [-16, -43, 98]]).tolist() == [
    ...     [2.0, 0.0, 0.0], [6.0, 1.0, 0.0], [-8.0, 5.0, 3.0]]
    True
    """
    stack, lead = _stacked_square(a, complex_ok=True)
    if upper:
        # The lower triangles of the transposes define conj(a) (a complex),
        # whose factor conj(l) transposed is l^H.
        stack = np.ascontiguousarray(np.swapaxes(stack, -1, -2))
    _assert_finite(np.tril(stack))
    l = _core.cholesky(stack)
    if upper:
        l = np.swapaxes(l, -1, -2)
    return _like(a, l.reshape(lead + stack.shape[1:]))
