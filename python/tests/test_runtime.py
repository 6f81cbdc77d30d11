# SPDX-License-Identifier: MIT
"""Threads (the same bits at any count, the GIL released, the counts), Ctrl-C,
processes made by fork, the docstrings' examples, the stubs (mypy) and the
version."""

import doctest
import importlib.metadata
import inspect
import os
import pathlib
import signal
import subprocess
import sys
import threading
import time

import numpy as np
import pytest

import zelkor
from zelkor import linalg as zl


@pytest.fixture
def restore_threads():
    yield
    zelkor.set_num_threads(0)


FORKS = """
import os, signal, numpy as np, zelkor
a = np.random.default_rng(1).uniform(-1, 1, (160, 160))
def child():  # its thread count if it computes the parent's eigenvalues, else 99
    pid = os.fork()
    if pid == 0:
        signal.alarm(60)  # a child that hangs is killed
        os._exit(zelkor.get_num_threads() if np.array_equal(zelkor.linalg.eigvals(a), w) else 99)
    return os.waitstatus_to_exitcode(os.waitpid(pid, 0)[1])
zelkor.set_num_threads(np.int64(1))
w, n = zelkor.linalg.eigvals(a), zelkor.get_num_threads()
zelkor.set_num_threads(0)
print(n, zelkor.get_num_threads(), child(), zelkor.linalg.eigvals(a).size, child())
"""


@pytest.mark.skipif(not zelkor._core.openmp, reason="built without OpenMP: one thread")
def test_thread_counts_and_forks():
    # In a fresh process with OMP_NUM_THREADS=3, the library's own choice: a
    # child forked before any team started keeps it, one forked after (the
    # parent's eigvals at 3 threads) has one thread; both compute.
    env = dict(os.environ, OMP_NUM_THREADS="3")
    run = subprocess.run([sys.executable, "-c", FORKS], env=env, capture_output=True, text=True, timeout=300)
    assert run.stdout.split() == ["1", "3", "3", "160", "1"], run.stderr
    for bad in (-1, 2**31):
        with pytest.raises(ValueError, match=f"number of threads must be from 0 .* not {bad}$"):
            zelkor.set_num_threads(bad)


def test_the_gil_is_released_while_computing(restore_threads):
    zelkor.set_num_threads(1)
    big = np.random.default_rng(8).uniform(-1, 1, (260, 260))
    start = time.perf_counter()
    zl.eig(big)
    duration = time.perf_counter() - start
    worker = threading.Thread(target=zl.eig, args=(big,))
    worker.start()
    gaps, last = [], time.perf_counter()
    while worker.is_alive():  # this thread runs only while the worker does not hold the GIL
        now = time.perf_counter()
        gaps.append(now - last)
        last = now
    worker.join()
    assert max(gaps) < duration / 2


INTERRUPTED = """
import sys, traceback, numpy as np
from zelkor import linalg as zl
a = np.random.default_rng(1).uniform(-1, 1, (1500, 1500))
for f in (zl.eig, zl.eigh, zl.inv):
    print("start", flush=True)
    try:
        f(a)
    except KeyboardInterrupt as e:  # from inside the computation, not after it
        print(traceback.extract_tb(e.__traceback__)[-1].filename.endswith("linalg.py"), flush=True)
print(zl.eigvals([[2, 0], [0, 3]]).tolist() == [2.0, 3.0])
"""


def test_ctrl_c_interrupts_a_decomposition():
    child = subprocess.Popen([sys.executable, "-c", INTERRUPTED], stdout=subprocess.PIPE, text=True)
    try:
        for _ in range(3):  # the nonsymmetric path, the symmetric one, LU
            assert child.stdout.readline() == "start\n"
            time.sleep(0.5)
            child.send_signal(signal.SIGINT)
            assert child.stdout.readline() == "True\n"
        assert child.stdout.readline() == "True\n" and child.wait(timeout=60) == 0
    finally:
        child.kill()


def test_docstring_examples_run():
    functions = [name for name in zl.__all__ if not name.startswith("LinAlg")]
    for module in {zelkor, zl} | {inspect.getmodule(getattr(zl, name)) for name in functions}:
        failures, tried = doctest.testmod(module)
        assert failures == 0
    for name in functions + ["set_num_threads", "get_num_threads"]:
        f = getattr(zl, name, None) or getattr(zelkor, name)
        sections = ["Returns", "Examples"] + (["Parameters"] if inspect.signature(f).parameters else [])
        for section in sections:
            assert section in f.__doc__, (name, section)


def test_stubs_pass_mypy(tmp_path):
    pytest.importorskip("mypy.stubtest")
    use = "from zelkor.linalg import *; import numpy as np, zelkor; zelkor.set_num_threads(np.int64(2))\n"
    use += "eigh(solve([[1.0]], [[1.0]]), UPLO='u')"
    for check in (["mypy.stubtest", "zelkor"], ["mypy", "--cache-dir", str(tmp_path), "-c", use]):
        run = subprocess.run([sys.executable, "-m"] + check, cwd=tmp_path, capture_output=True, text=True, timeout=300)
        assert run.returncode == 0, run.stdout + run.stderr


def test_version_is_the_source_trees():
    tree = pathlib.Path(__file__).parents[2].joinpath("VERSION").read_text().strip()
    cmake = os.environ.get("ZELKOR_VERSION")  # the CMake build's, in its test
    assert zelkor.__version__ == (cmake or importlib.metadata.version("zelkor")) == tree
