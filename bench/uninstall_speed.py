"""Uninstall speed under Wine: removing the 10,000-file install benchmark package through
the uninstaller against a plain DeleteFileA loop over the same files, in one prefix.

The package is copied with the copy loop and removed by the delete loop, then installed
with setup.exe (SetupSpeed 1, through the wizard) and removed by the uninstaller, each
removal right after its install:
  deleteloop  tools/win/copyloop --delete: DeleteFileA for each copied file (its own timer)
  uninstall   UNKELVO.EXE started with the log, as the program list starts it, walked to
              its start button with the UI driver; timed from the click to the "next"
              button of the completion (the button alone is read, every 20 ms, through
              the prefix's persistent UI driver)
Each round does both, in this order; the figures are the medians of the rounds (5 unless told).
Usage: python3 bench/uninstall_speed.py [--rounds N] [--setup EXE]
"""
import argparse
import os
import statistics
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import install_speed as bench  # noqa: E402
from harness import Wine  # noqa: E402

UNINSTALL_START = "アンインストール開始(&S)"
NEXT = "次へ(&N)"


def run_deleteloop(wine, count):
    lines = [f"{bench.LOOP_DIR}\\{bench.file_name(i)}" for i in range(1, count + 1)]
    with open(os.path.join(wine.unix(bench.WORK), "delete.lst"), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))
    os.sync()
    res = wine.run(bench.COPYLOOP, "--delete", bench.WORK + "\\delete.lst", timeout=1800)
    figures = dict(line.split(" ", 1) for line in res.stdout.decode("cp932", "replace").splitlines() if " " in line)
    if res.returncode != 0:
        raise RuntimeError(f"deleteloop failed: {figures}")
    return float(figures["elapsed_ms"]) / 1000


def run_uninstall(wine, drv):
    log = bench.APP_DIR + "\\UNSETUP.INI"
    proc = wine.start(wine.unix("C:\\windows\\UNKELVO.EXE"), log)
    caption = bench.until(lambda: bench.button_text(drv, "TfrmMain", "btnEvent"), bool, 60)
    for _ in range(5):
        if caption == UNINSTALL_START:
            break
        drv.click("TfrmMain", "btnEvent")
        before = caption
        caption = bench.until(lambda: bench.button_text(drv, "TfrmMain", "btnEvent"), lambda c: c != before, 15)
    if caption != UNINSTALL_START:
        raise RuntimeError(f"no uninstall page (btnEvent reads {caption!r})")
    os.sync()
    # Timed through the prefix's one persistent driver: a Wine process per read would make
    # the figure good to a few tenths of a second only, about what the whole removal takes.
    wine.click("TfrmMain", "btnEvent")
    started = time.monotonic()
    while wine.text("TfrmStatus", "btnAbort") != NEXT:
        time.sleep(0.02)
    elapsed = time.monotonic() - started
    drv.click("TfrmStatus", "btnAbort")
    bench.until(lambda: bench.button_text(drv, "TfrmMain", "btnEvent"), lambda c: c.endswith("完了(&E)"), 30)
    drv.click("TfrmMain", "btnEvent")
    proc.wait(timeout=60)
    return elapsed


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--setup", default=os.path.join(bench.BUILD, "setup.exe"))
    parser.add_argument("--rounds", type=int, default=5)
    args = parser.parse_args()
    info = bench.machine()
    wine = Wine("bench-uninstall-speed")
    keeper = subprocess.Popen(["wine", bench.DRIVER, "wait", "NoSuchWindowClass", "7200000"], env=wine.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        time.sleep(2)
        sizes = bench.size_plan()
        os.makedirs(wine.unix(bench.WORK), exist_ok=True)
        print(f"writing the package ({len(sizes)} files) ...", flush=True)
        bench.write_package(wine.unix(bench.PACKAGE), sizes, args.setup)
        drv = bench.Driver(wine)
        # Each install is removed right after it was made: files written last go measurably
        # faster (a plain loop took 1.37 s over the older folder against 0.96 s over the newer).
        loops, uninstalls, left = [], [], False
        for n in range(1, args.rounds + 1):
            bench.run_copyloop(wine, len(sizes))
            loops.append(run_deleteloop(wine, len(sizes)))
            bench.run_setup(wine, drv, os.path.join(wine.unix(bench.PACKAGE), "setup.exe"), sizes, quiet=True)
            uninstalls.append(run_uninstall(wine, drv))
            left = left or os.path.exists(wine.unix(bench.APP_DIR))
            print(f"round {n}: DeleteFileA loop {loops[-1]:.2f} s, uninstall run {uninstalls[-1]:.2f} s, "
                  f"ratio {uninstalls[-1] / loops[-1]:.2f}", flush=True)
        loop, uninstall = statistics.median(loops), statistics.median(uninstalls)
    finally:
        keeper.kill()
        wine.close()
    print(f"machine: {info['nproc']} cores, {info['wine']}, {info['date']}; medians of {args.rounds} rounds")
    print(f"{'DeleteFileA loop':<18}{loop:8.2f} s   1.00")
    print(f"{'uninstall run':<18}{uninstall:8.2f} s   {uninstall / loop:4.2f}   (target at most 1.5)")
    print("install folder removed every round" if not left else "install folder still there")
    return 1 if left else 0


if __name__ == "__main__":
    sys.exit(main())
