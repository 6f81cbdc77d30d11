# SPDX-License-Identifier: MIT
"""Threads (the same bits at any count, the GIL released), Ctrl-C, processes
made by fork and spawn, the docstrings' examples and the stubs' signatures."""

import ast
import doctest
import inspect
import multiprocessing
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

A = np.random.default_rng(7).uniform(-1, 1, (160, 160)).astype(np.longdouble)


def decompositions():
    s = A + A.T
    return zl.eig(A) + zl.eigh(s) + (zl.eigvals(A), zl.solve(A, s), zl.inv(A), zl.det(A))


@pytest.fixture
def restore_threads():
    saved = zelkor.get_num_threads()
    yield
    zelkor.set_num_threads(saved)


def test_same_bits_at_one_and_two_threads(restore_threads):
    results = []
    for n in (1, 2):
        zelkor.set_num_threads(n)
        assert zelkor.get_num_threads() == n
        results.append(decompositions())
    for one, two in zip(*results):
        assert np.array_equal(one, two)
    with pytest.raises(ValueError):
        zelkor.set_num_threads(0)


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
print(zl.eigvals([[2, 0], [0, 3]]).tolist())
"""


def test_ctrl_c_interrupts_a_decomposition():
    child = subprocess.Popen([sys.executable, "-c", INTERRUPTED], stdout=subprocess.PIPE, text=True)
    try:
        for _ in range(3):  # the nonsymmetric path, the symmetric one, LU
            assert child.stdout.readline() == "start\n"
            time.sleep(0.5)
            child.send_signal(signal.SIGINT)
            assert child.stdout.readline() == "True\n"
        assert child.stdout.readline() == "[2.0, 3.0]\n" and child.wait(timeout=60) == 0
    finally:
        child.kill()


def child_eig(queue):
    queue.put((zelkor.get_num_threads(), zl.eig(A)[0]))


@pytest.mark.parametrize("method", ["fork", "spawn"])
def test_child_processes_compute(method, restore_threads):
    zelkor.set_num_threads(2)
    expected = zl.eig(A)[0]  # the parent's threads have run
    context = multiprocessing.get_context(method)
    queue = context.Queue()
    child = context.Process(target=child_eig, args=(queue,))
    child.start()
    try:
        threads, values = queue.get(timeout=60)  # a child that hangs fails here
        child.join(timeout=60)
    finally:
        if child.is_alive():
            child.kill()
    assert child.exitcode == 0
    assert np.array_equal(values, expected)
    if method == "fork":
        assert threads == 1


def test_docstring_examples_run():
    for module in (zelkor, zl):
        failures, tried = doctest.testmod(module)
        assert failures == 0
    for name in zl.__all__[:-1] + ["set_num_threads", "get_num_threads"]:
        f = getattr(zl, name, None) or getattr(zelkor, name)
        sections = ["Returns", "Examples"] + (["Parameters"] if inspect.signature(f).parameters else [])
        for section in sections:
            assert section in f.__doc__, (name, section)


def test_stubs_match_the_signatures():
    folder = pathlib.Path(zelkor.__file__).parent
    for module, stub in ((zl, "linalg.pyi"), (zelkor, "__init__.pyi")):
        tree = ast.parse((folder / stub).read_text())
        stubbed = {f.name: [a.arg for a in f.args.args] for f in tree.body if isinstance(f, ast.FunctionDef)}
        public = [n for n in module.__all__ if inspect.isfunction(getattr(module, n)) and n in module.__dict__]
        if module is zelkor:
            public = [n for n in public if getattr(module, n).__module__ == "zelkor"]
        assert sorted(stubbed) == sorted(public)
        for name, args in stubbed.items():
            assert args == list(inspect.signature(getattr(module, name)).parameters), name
    assert (folder / "py.typed").exists()
