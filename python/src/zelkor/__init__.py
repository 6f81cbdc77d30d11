# SPDX-License-Identifier: MIT
"""zelkor: dense linear algebra in 80-bit extended precision for numpy.

``zelkor.linalg`` has ``solve``, ``inv``, ``det``, ``slogdet``, ``lu``, ``cholesky``,
``qr``, ``svd``, ``svdvals``, ``lstsq``, ``pinv``, ``matrix_rank``, ``eig``,
``eigvals``, ``eigh``, ``eigvalsh``, ``norm``, ``matrix_norm``, ``vector_norm``,
``cond``, ``matrix_power``, ``multi_dot``, ``tensorsolve`` and ``tensorinv``
with numpy.linalg's conventions, and scipy.linalg's ``lu_factor``,
``lu_solve``, ``cho_factor``, ``cho_solve`` and ``solve_triangular``,
computed in ``np.longdouble``; ``zelkor.roots`` is
``numpy.roots`` in long double, with the library's backward-error check of
the roots.  The computations run on the library's threads
(``set_num_threads``), with the same bits at any thread count.
"""

import operator as _operator

import numpy as _np

from . import _core, linalg
from .linalg import LinAlgError, roots

__all__ = ["linalg", "roots", "set_num_threads", "get_num_threads", "LinAlgError"]
__version__ = _core.__version__

_INT_MAX = int(_np.iinfo(_np.intc).max)


def set_num_threads(n):
    """Set the number of threads of every later computation.

    Parameters
    ----------
    n : int
        The count (a Python or numpy integer), or 0 to give the choice back
        to the library (see :func:`get_num_threads`).  The results are the
        same bits at any count.

    Returns
    -------
    None

    Raises
    ------
    TypeError
        If ``n`` is not an integer (a bool or a float included).
    ValueError
        If ``n`` is below 0 or above 2**31 - 1 (the library's count is a C int).
    RuntimeError
        If ``n`` is above 1 in a process forked after its parent started
        threads: such a child computes on one thread (the OpenMP runtime
        cannot start threads again there).

    Examples
    --------
    >>> import zelkor
    >>> zelkor.set_num_threads(1); zelkor.get_num_threads()
    1
    >>> zelkor.set_num_threads(0)
    """
    if isinstance(n, (bool, _np.bool_)):
        raise TypeError("the number of threads must be an integer, not a bool")
    n = _operator.index(n)
    if not 0 <= n <= _INT_MAX:
        raise ValueError(f"the number of threads must be from 0 (the library's choice) to {_INT_MAX}, not {n}")
    _core.set_num_threads(n)


def get_num_threads():
    """The number of threads a large computation would start now.

    Steps of less than some 32768 multiply-adds always run on the calling
    thread alone; the larger ones get this many.

    Returns
    -------
    n : int
        The count given to :func:`set_num_threads`; else OpenMP's count
        where the environment (``OMP_NUM_THREADS`` and the like) or the
        program (``omp_set_num_threads``, ``omp_set_dynamic``) steers
        OpenMP; else the library's own choice: the CPUs this process may
        use (affinity, cgroup quota) that other processes leave free,
        sampled at most every 0.1 s (so it follows the machine's load), at
        most OpenMP's default (the CPUs of the affinity mask).  1 without
        OpenMP and in a process forked after its parent started threads.

    Examples
    --------
    >>> import zelkor
    >>> zelkor.get_num_threads() >= 1
    True
    """
    return _core.get_num_threads()
