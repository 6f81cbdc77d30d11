# SPDX-License-Identifier: MIT
"""zelkor: dense linear algebra in 80-bit extended precision for numpy.

``zelkor.linalg`` has ``solve``, ``inv``, ``det``, ``slogdet``, ``lu``,
``eig``, ``eigvals``, ``eigh`` and ``eigvalsh`` with numpy.linalg's
conventions, computed in ``np.longdouble``; ``zelkor.roots`` is
``numpy.roots`` in long double, with the library's backward-error check of
the roots.  The computations run on the library's threads
(``set_num_threads``), with the same bits at any thread count.
"""

import os as _os

from . import _core, linalg
from .linalg import LinAlgError, roots

__all__ = ["linalg", "roots", "set_num_threads", "get_num_threads", "LinAlgError"]
__version__ = "0.1.0"


def set_num_threads(n):
    """Set the number of threads of every later computation.

    Parameters
    ----------
    n : int
        At least 1.  The results are the same bits at any count.

    Returns
    -------
    None

    Raises
    ------
    TypeError
        If ``n`` is not an int.
    ValueError
        If ``n`` is below 1.
    RuntimeError
        If ``n`` is above 1 in a process forked after its parent used
        threads: such a child computes on one thread (the OpenMP runtime
        cannot start threads again there).

    Examples
    --------
    >>> import zelkor
    >>> zelkor.set_num_threads(1); zelkor.get_num_threads()
    1
    """
    if isinstance(n, bool) or not isinstance(n, int):
        raise TypeError("the number of threads must be an int")
    _core.set_num_threads(n)


def get_num_threads():
    """The number of threads the computations use.

    Returns
    -------
    n : int
        As set by :func:`set_num_threads`, else OpenMP's default
        (``OMP_NUM_THREADS`` or the number of cores); 1 in a child forked
        after its parent used threads.

    Examples
    --------
    >>> import zelkor
    >>> zelkor.get_num_threads() >= 1
    True
    """
    return _core.get_num_threads()


# A child forked after the parent's OpenMP threads started would hang in
# its first parallel region: it computes on one thread instead.
_os.register_at_fork(after_in_child=_core.after_fork_in_child)
