# SPDX-License-Identifier: MIT
"""The extension module zelkor._core, built from the library's headers in
../templates (the package is built from the zelkor source tree)."""

import os
import sys

from pybind11.setup_helpers import Pybind11Extension
from setuptools import setup

here = os.path.dirname(os.path.abspath(__file__))
templates = os.path.normpath(os.path.join(here, "..", "templates"))
if not os.path.isfile(os.path.join(templates, "eigenvalue")):
    sys.exit(f"zelkor: the library's headers are not in {templates}; build from the zelkor source tree")

# As the library's CMake build: OpenMP, no contraction of products and sums,
# and the assertions kept (Python's own flags define NDEBUG).
core = Pybind11Extension(
    "zelkor._core",
    ["src/zelkor/_core.cpp"],
    include_dirs=[templates],
    cxx_std=17,
    extra_compile_args=["-O2", "-fopenmp", "-ffp-contract=off", "-UNDEBUG", "-Wall", "-Wextra"],
    extra_link_args=["-fopenmp"],
)

setup(
    name="zelkor",
    version="0.1.0",
    description="Dense linear algebra in 80-bit extended precision (np.longdouble) for numpy users",
    long_description=open(os.path.join(here, "README.md")).read(),
    long_description_content_type="text/markdown",
    python_requires=">=3.8",
    install_requires=["numpy>=1.20"],
    package_dir={"": "src"},
    packages=["zelkor"],
    package_data={"zelkor": ["*.pyi", "py.typed"]},
    exclude_package_data={"zelkor": ["*.cpp"]},
    ext_modules=[core],
)
