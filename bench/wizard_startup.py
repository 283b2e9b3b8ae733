"""Measures setup.exe from process start to the welcome page under Wine: the time until
the welcome text can be read from outside. Each figure is an upper bound, since it
includes the UI driver's own start. Usage: python3 bench/wizard_startup.py [RUNS]"""
import os
import shutil
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "tests", "e2e"))
from harness import BUILD, DRIVER, Wine, i386_mode  # noqa: E402

SCRIPT = "[Title]\r\nSetup=計測\r\nProgram=計測\r\n".encode("cp932")


def one_run(wine, setup):
    start = time.monotonic()
    proc = wine.start(setup)
    while True:
        out = subprocess.run(["wine", DRIVER, "text", "TfrmMain", "lblTitleMessage"], env=wine.env,
                             stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, timeout=30).stdout
        if out.strip():
            elapsed = time.monotonic() - start
            break
    wine.run("taskkill", "/f", "/im", "setup.exe")
    proc.wait(timeout=20)
    return elapsed


def main():
    runs = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    wine = Wine("bench-wizard-startup")
    try:
        folder = wine.unix("C:\\pkg")
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.path.join(BUILD, "setup.exe"), folder)
        with open(os.path.join(folder, "SETUP.INI"), "wb") as f:
            f.write(SCRIPT)
        # Keep the prefix's system processes up between runs, detached from captured output.
        keeper = subprocess.Popen(["wine", DRIVER, "wait", "NoSuchWindowClass", "600000"], env=wine.env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(2)
        times = [one_run(wine, os.path.join(folder, "setup.exe")) for _ in range(runs)]
        keeper.kill()
    finally:
        wine.close()
    print(f"32-bit programs: {i386_mode()}")
    print("start to welcome page (s): " + " ".join(f"{t:.3f}" for t in times))
    print(f"median {statistics.median(times):.3f} s, max {max(times):.3f} s")


if __name__ == "__main__":
    main()
