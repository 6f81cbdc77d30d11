# SPDX-License-Identifier: MIT
"""numpy.linalg's input and result conventions, shared by zelkor.linalg's
modules: exact conversion to long double (clongdouble for complex input
where a function takes it), stacks of matrices as the
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


def _exact_ints(a, complex_ok=False):
    """An array-like of Python numbers as long double (clongdouble when it
    holds a complex number and complex_ok), exactly, when it holds integers
    above 2**53 (numpy would make float64, complex128 or object of them);
    None when it holds none."""
    obj = np.array(a, dtype=object)
    flat = obj.ravel()
    if not any(isinstance(x, (int, np.integer)) and abs(int(x)) > 2**53 for x in flat):
        return None
    cplx = complex_ok and any(isinstance(x, (complex, np.complexfloating)) for x in flat)
    out = np.empty(flat.shape, dtype=np.clongdouble if cplx else np.longdouble)
    exact = (float, np.floating, bool, np.bool_) + ((complex, np.complexfloating) if cplx else ())
    for i, x in enumerate(flat):
        if isinstance(x, (int, np.integer)) and not isinstance(x, (bool, np.bool_)):
            out[i] = np.longdouble(str(int(x)))
            if int(out[i].real) != int(x):
                raise ValueError(f"the integer {x} has more bits than np.longdouble holds")
        elif isinstance(x, exact):
            out[i] = x
        else:
            raise TypeError(f"array element {x!r} is not a {'' if complex_ok else 'real '}number")
    return out.reshape(obj.shape)


def _is_complex(arr):
    """Whether the array (or array-like) has a complex dtype."""
    return np.asarray(arr).dtype.kind == "c"


def _real(a, name="a", complex_ok=False):
    """a as a long double array, refusing what would lose bits; complex
    input as clongdouble with complex_ok, else refused (its imaginary part
    would be lost)."""
    arr = np.asarray(a)
    if not isinstance(a, np.ndarray) and arr.dtype.kind in "fOc":
        exact = _exact_ints(a, complex_ok)
        if exact is not None:
            return exact
    kind = arr.dtype.kind
    if kind == "c":
        if complex_ok:
            return arr.astype(np.clongdouble, copy=False)
        raise TypeError(
            f"{name}: complex input is not supported (zelkor computes with real long double matrices); "
            "the imaginary part would be lost"
        )
    if kind not in "biuf":
        raise TypeError(f"array type {arr.dtype} is unsupported in linalg")
    return arr.astype(np.longdouble, copy=False)


def _promoted(*arrays):
    """The arrays (long double or clongdouble) as numpy promotes operands:
    all clongdouble when one is complex, else as they are."""
    if any(x.dtype.kind == "c" for x in arrays):
        return tuple(x.astype(np.clongdouble, copy=False) for x in arrays)
    return arrays


def _prepared(x):
    """x as the extension reads it: C-contiguous and aligned long double
    (clongdouble when x is complex).
    Matrices with more elements than the library holds (2**31 - 1) are a
    MemoryError before anything is copied."""
    if x.ndim >= 2 and x.shape[-1] > 0 and x.shape[-2] > (2**31 - 1) // x.shape[-1]:
        raise MemoryError(f"a {x.shape[-2]} x {x.shape[-1]} matrix has more elements than zelkor holds (2**31 - 1)")
    dtype = np.clongdouble if x.dtype.kind == "c" else np.longdouble
    return np.require(x, dtype=dtype, requirements=["C", "A"])


def _stacked_square(a, complex_ok=False):
    """a as a C-contiguous long double stack (k, M, M) (clongdouble when
    complex and complex_ok), and its leading shape."""
    arr = _real(a, complex_ok=complex_ok)
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


def _stacked(a, name="a", complex_ok=False):
    """a as a C-contiguous long double stack (k, M, N) (clongdouble when
    complex and complex_ok), and its leading shape."""
    arr = _real(a, name, complex_ok)
    if arr.ndim < 2:
        raise LinAlgError(f"{arr.ndim}-dimensional array given. Array must be at least two-dimensional")
    lead = arr.shape[:-2]
    return _prepared(arr.reshape((int(np.prod(lead, dtype=np.int64)),) + arr.shape[-2:])), lead
