#!/usr/bin/env python3
"""Runs the end-to-end scenarios of tests/e2e in parallel: every scenario class is one
unit, taken in turn by a number of workers. Each worker has an Xvfb display of its own
(focus and the foreground window are per display), and each scenario a prefix of its own.

Prints each unit's output as it ends, then one line per module with its counts; with
--summary FILE the same counts go to FILE as "module passed failed" lines.
Units start longest first, by tests/e2e/unit_seconds.txt (--record rewrites it from this run).
Usage: tools/run_e2e.py [--jobs N] [--summary FILE] [--record] [module or module.Class ...]
"""
import argparse
import glob
import os
import queue
import re
import subprocess
import sys
import threading
import time
import unittest

E2E = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e")
# Seconds each unit took under i386 emulation, three workers on 2 cores (--record rewrites it).
TIMES = os.path.join(E2E, "unit_seconds.txt")
sys.path.insert(0, E2E)
from harness import start_xvfb  # noqa: E402
UNIT_TIMEOUT = 1200


def units(modules):
    """module.Class of every scenario class that has tests, in module order."""
    found = []
    for module in modules:
        suite = unittest.defaultTestLoader.loadTestsFromName(module)
        for case in _cases(suite):
            unit = f"{type(case).__module__}.{type(case).__name__}"
            if unit not in found:
                found.append(unit)
    return found


def _cases(suite):
    for item in suite:
        if isinstance(item, unittest.TestSuite):
            yield from _cases(item)
        else:
            yield item


def counts(output):
    """(passed, failed) tests from unittest's report; a unit that printed no count failed once.
    A test counts once however many of its subtests failed."""
    ran = re.findall(r"^Ran (\d+) test", output, re.M)
    if not ran:
        return 0, 1
    bad = len(set(re.findall(r"^(?:FAIL|ERROR): \S+ \(([^)]*)\)", output, re.M)))
    return max(int(ran[-1]) - bad, 0), bad


def by_duration(todo, times_file):
    """The units longest first, by the seconds a past run took (unknown ones first of all),
    so that no long unit starts last and keeps one worker busy while the others idle."""
    seconds = {}
    if os.path.exists(times_file):
        with open(times_file) as f:
            for line in f:
                unit, _, value = line.partition(" ")
                if value.strip():
                    seconds[unit] = float(value)
    return sorted(todo, key=lambda unit: -seconds.get(unit, float("inf")))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--jobs", type=int, default=3)
    parser.add_argument("--summary")
    parser.add_argument("--record", action="store_true", help=f"write each unit's seconds to {TIMES}")
    parser.add_argument("modules", nargs="*")
    args = parser.parse_args()
    modules = args.modules or sorted(os.path.basename(p)[:-3] for p in glob.glob(os.path.join(E2E, "test_*.py")))

    work = queue.Queue()
    todo = by_duration(units(modules), TIMES)
    for unit in todo:
        work.put(unit)
    results = {}
    took = {}
    lock = threading.Lock()

    def worker(display, xvfb):
        env = dict(os.environ, DISPLAY=display)
        try:
            while True:
                try:
                    unit = work.get_nowait()
                except queue.Empty:
                    return
                begun = time.time()
                try:
                    res = subprocess.run([sys.executable, "-m", "unittest", "-v", unit], cwd=E2E, env=env,
                                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                         timeout=UNIT_TIMEOUT)
                    output = res.stdout
                except subprocess.TimeoutExpired as e:
                    output = (e.stdout or b"").decode(errors="replace") + f"\n{unit}: timed out\n"
                with lock:
                    results[unit] = counts(output)
                    took[unit] = time.time() - begun
                    print(f"---- {unit} ({took[unit]:.0f} s, display {display})\n{output}", flush=True)
        finally:
            xvfb.terminate()

    # Started one after another: two at once could pick the same free number.
    displays = [start_xvfb(range(121, 160)) for _ in range(args.jobs)]
    threads = [threading.Thread(target=worker, args=display) for display in displays]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    for unit in todo:
        if unit not in results:
            print(f"---- {unit}: never ran (no worker could start)")
            results[unit] = (0, 1)

    lines = []
    for module in sorted({m.split(".")[0] for m in modules}):
        ok = sum(r[0] for u, r in results.items() if u.startswith(module + "."))
        bad = sum(r[1] for u, r in results.items() if u.startswith(module + "."))
        lines.append(f"{module} {ok} {bad}")
        print(f"== e2e {module}: {ok} passed, {bad} failed")
    if args.record:
        with open(TIMES, "w") as f:
            f.writelines(f"{unit} {took[unit]:.0f}\n" for unit in sorted(took))
    if args.summary:
        with open(args.summary, "w") as f:
            f.write("\n".join(lines) + "\n")
    return 0 if all(r[1] == 0 for r in results.values()) else 1


if __name__ == "__main__":
    sys.exit(main())
