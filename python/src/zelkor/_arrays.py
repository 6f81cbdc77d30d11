# SPDX-License-Identifier: MIT
"""numpy.linalg's input and result conventions, shared by zelkor.linalg's
modules: exact conversion to long double, stacks of matrices as the
extension reads them, numpy's errors for shapes and non-finite entries,
numpy 2's named-tuple results, and ndarray subclasses' wrapping."""

import collections

import numpy as np
from numpy.linalg import LinAlgError

_TOLERANCES = ("extended", "double")

# numpy 2 takes solve's b as vectors only when it is one-dimensional, numpy 1
# when it has one dimension fewer than a; and passes results to the
# subclass's __array_wrap__ where numpy 1 passes them to __array_prepare__.
_NUMPY2 = int(np.__version__.split(".")[0]) >= 2
_WRAP = "__array_wrap__" if _NUMPY2 else "__array_prepare__"


def _result(name, fields):
    """numpy 2's named tuple of a result (numpy.linalg's own where it has
    it); the plain tuple on numpy 1, which returns tuples."""
    if not _NUMPY2:
        return lambda *values: tuple(values)
    try:
        from numpy.linalg import _linalg
        return getattr(_linalg, name)
    except (ImportError, AttributeError):
        return collections.namedtuple(name, fields)


def _like(a, x):
    """x through what numpy.linalg applies to a result derived from ``a``:
    an ndarray subclass's wrap (np.matrix in, np.matrix out)."""
    wrap = getattr(a, _WRAP, None)
    return x if wrap is None else wrap(x)


def _exact_ints(a):
    """An array-like of Python numbers as long double, exactly, when it holds
    integers above 2**53 (numpy would make float64 or object of them); None
    when it holds none."""
    obj = np.array(a, dtype=object)
    flat = obj.ravel()
    if not any(isinstance(x, (int, np.integer)) and abs(int(x)) > 2**53 for x in flat):
        return None
    out = np.empty(flat.shape, dtype=np.longdouble)
    for i, x in enumerate(flat):
        if isinstance(x, (int, np.integer)) and not isinstance(x, (bool, np.bool_)):
            out[i] = np.longdouble(str(int(x)))
            if int(out[i]) != int(x):
                raise ValueError(f"the integer {x} has more bits than np.longdouble holds")
        elif isinstance(x, (float, np.floating, bool, np.bool_)):
            out[i] = x
        else:
            raise TypeError(f"array element {x!r} is not a real number")
    return out.reshape(obj.shape)


def _real(a, name="a"):
    """a as a long double array, refusing what would lose bits or an imaginary part."""
    arr = np.asarray(a)
    if not isinstance(a, np.ndarray) and arr.dtype.kind in "fO":
        exact = _exact_ints(a)
        if exact is not None:
            return exact
    kind = arr.dtype.kind
    if kind == "c":
        raise TypeError(
            f"{name}: complex input is not supported (zelkor computes with real long double matrices); "
            "the imaginary part would be lost"
        )
    if kind not in "biuf":
        raise TypeError(f"array type {arr.dtype} is unsupported in linalg")
    return arr.astype(np.longdouble, copy=False)


def _prepared(x):
    """x as the extension reads it: C-contiguous and aligned long double.
    Matrices with more elements than the library holds (2**31 - 1) are a
    MemoryError before anything is copied."""
    if x.ndim >= 2 and x.shape[-1] > 0 and x.shape[-2] > (2**31 - 1) // x.shape[-1]:
        raise MemoryError(f"a {x.shape[-2]} x {x.shape[-1]} matrix has more elements than zelkor holds (2**31 - 1)")
    return np.require(x, dtype=np.longdouble, requirements=["C", "A"])


def _stacked_square(a):
    """a as a C-contiguous long double stack (k, M, M), and its leading shape."""
    arr = _real(a)
    if arr.ndim < 2:
        raise LinAlgError(f"{arr.ndim}-dimensional array given. Array must be at least two-dimensional")
    m, n = arr.shape[-2:]
    if m != n:
        raise LinAlgError("Last 2 dimensions of the array must be square")
    lead = arr.shape[:-2]
    return _prepared(arr.reshape((int(np.prod(lead, dtype=np.int64)), m, n))), lead


def _assert_finite(stack):
    if not np.isfinite(stack).all():
        raise LinAlgError("Array must not contain infs or NaNs")


def _tolerance(tolerance):
    if tolerance not in _TOLERANCES:
        raise ValueError(f"tolerance must be 'extended' or 'double', not {tolerance!r}")
    return tolerance == "extended"


def _stacked(a, name="a"):
    """a as a C-contiguous long double stack (k, M, N), and its leading shape."""
    arr = _real(a, name)
    if arr.ndim < 2:
        raise LinAlgError(f"{arr.ndim}-dimensional array given. Array must be at least two-dimensional")
    lead = arr.shape[:-2]
    return _prepared(arr.reshape((int(np.prod(lead, dtype=np.int64)),) + arr.shape[-2:])), lead
