# SPDX-License-Identifier: MIT
"""The extension module zelkor._core, built from the library's headers in
../include/zelkor (the package is built from the zelkor source tree); the
package's metadata is in pyproject.toml."""

import glob
import os
import sys

from pybind11.setup_helpers import Pybind11Extension
from setuptools import setup

here = os.path.dirname(os.path.abspath(__file__))
source = os.path.normpath(os.path.join(here, ".."))
include = os.path.join(source, "include")
if not os.path.isfile(os.path.join(include, "zelkor", "eigenvalue")):
    sys.exit(f"zelkor: the library's headers are not in {include}/zelkor; build from the zelkor source tree")

with open(os.path.join(source, "VERSION")) as file:
    version = file.readline().strip()

# The compiler flags of the library's CMake build, "name: flags" a line.
with open(os.path.join(source, "cmake", "compile_flags.txt")) as file:
    flags = dict(line.split(":", 1) for line in file if line[:1].isalpha())
flags = {name: value.split() for name, value in flags.items()}

# As the CMake build: optimised, OpenMP, and the assertions kept (Python's
# own flags define NDEBUG).
core = Pybind11Extension(
    "zelkor._core",
    sorted(glob.glob("src/zelkor/*.cpp")),
    include_dirs=[include],
    define_macros=[("ZELKOR_VERSION", f'"{version}"')],
    cxx_std=17,
    extra_compile_args=flags["optimised"] + ["-fopenmp", "-UNDEBUG"] + flags["all"],
    extra_link_args=["-fopenmp"],
)

setup(
    version=version,
    package_dir={"": "src"},
    packages=["zelkor"],
    package_data={"zelkor": ["*.pyi", "py.typed"]},
    exclude_package_data={"zelkor": ["*.cpp", "*.h"]},
    ext_modules=[core],
)
