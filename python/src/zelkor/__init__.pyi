# SPDX-License-Identifier: MIT
from typing import SupportsIndex

from numpy.linalg import LinAlgError as LinAlgError

from . import linalg as linalg
from .linalg import roots as roots

__all__ = ["linalg", "roots", "set_num_threads", "get_num_threads", "LinAlgError"]
__version__: str

def set_num_threads(n: SupportsIndex) -> None: ...
def get_num_threads() -> int: ...
