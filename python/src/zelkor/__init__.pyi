# SPDX-License-Identifier: MIT
from numpy.linalg import LinAlgError as LinAlgError

from . import linalg as linalg
from .linalg import roots as roots

__all__: list[str]
__version__: str

def set_num_threads(n: int) -> None: ...
def get_num_threads() -> int: ...
