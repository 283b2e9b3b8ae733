"""Start time under Wine: setup.exe from its start to a readable welcome page, against an
NSIS 3 Modern UI 2 installer with a welcome page (bench/nsis/start_time.nsi), and Tovra.exe
from its start to its painted addresses pane, all in one prefix.

The programs take turns (NSIS, setup.exe, Tovra.exe, then again, each round starting
one program later), so a busy machine disturbs each about as much. Each start is timed
inside the prefix by tools/win/starttimer: from CreateProcess until a control of the
program's window is visible, shows the expected words and has no repaint pending
("readable"); it also notes when the program's first window became visible. Before the
timed runs every program is started once untimed, so that all are read from a warm file
cache.

Usage: python3 bench/start_time.py [--runs N] [--setup EXE] [--compare EXE]
  --compare EXE  times a second setup.exe build too (for instance an older one)
Prints every run, the medians and the ratio of the medians to NSIS's.
"""
import argparse
import glob
import os
import shutil
import socket
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import BUILD, Wine, i386_mode  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
STARTTIMER = os.path.join(BUILD, "tools", "win", "starttimer", "starttimer.exe")
NSIS_SCRIPT = os.path.join(HERE, "nsis", "start_time.nsi")
NAME = "StartBench"  # in both welcome pages
TOVRA_WORDS = "Global IP Address"
SCRIPT = f"[Title]\r\nSetup=計測\r\nProgram={NAME}\r\n".encode("cp932")


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Program:
    def __init__(self, label, exe, words, cleanup=None):
        self.label, self.exe, self.words, self.cleanup = label, exe, words, cleanup
        self.first_window, self.readable = [], []


def parse(output):
    """'first_window=12.3 readable=45.6' -> (0.0123, 0.0456) in seconds."""
    values = dict(item.split("=") for item in output.split())
    return float(values["first_window"]) / 1000, float(values["readable"]) / 1000


def time_once(wine, program):
    res = wine.run(STARTTIMER, program.words, program.exe, timeout=60)
    out = res.stdout.decode("cp932", "replace").strip()
    if program.cleanup:
        program.cleanup()
    if res.returncode != 0:
        raise RuntimeError(f"{program.label}: no readable window ({out} {res.stderr.decode('cp932', 'replace')})")
    return parse(out)


def remove_matching(pattern):
    for path in glob.glob(pattern):
        shutil.rmtree(path, ignore_errors=True)


def prepare(wine, setups):
    """Copies the programs into the prefix and builds the NSIS installer; the programs in turn."""
    temp = wine.temp
    # Ended by force, setup.exe leaves its work folder and NSIS its plug-in folder behind.
    clean_temp = lambda: (remove_matching(os.path.join(temp, "KSTMP*")), remove_matching(os.path.join(temp, "ns*.tmp")))

    nsis = wine.unix("C:\\bench\\nsis_start.exe")
    os.makedirs(os.path.dirname(nsis), exist_ok=True)
    subprocess.run(["makensis", "-V2", f"-DOUTFILE={nsis}", NSIS_SCRIPT], check=True, stdout=subprocess.DEVNULL)
    programs = [Program("NSIS MUI2 welcome page", "C:\\bench\\nsis_start.exe", NAME, clean_temp)]

    for n, (label, exe) in enumerate(setups, start=1):
        folder = f"C:\\pkg{n}"
        os.makedirs(wine.unix(folder), exist_ok=True)
        shutil.copy(exe, os.path.join(wine.unix(folder), "setup.exe"))
        with open(os.path.join(wine.unix(folder), "SETUP.INI"), "wb") as f:
            f.write(SCRIPT)
        programs.append(Program(label, folder + "\\setup.exe", NAME, clean_temp))

    tovra = wine.unix("C:\\Tovra")
    os.makedirs(tovra, exist_ok=True)
    shutil.copy(os.path.join(BUILD, "Tovra.exe"), tovra)
    # Address servers where nothing listens: the lookups fail at once, without the network.
    port = free_port()
    with open(os.path.join(tovra, "TovraNet.ini"), "wb") as f:
        f.write(f"[Servers]\r\nFirst=localhost:{port}\r\nSecond=localhost:{port}\r\nTimeoutSeconds=1\r\n".encode())
    programs.append(Program("Tovra.exe addresses pane", "C:\\Tovra\\Tovra.exe", TOVRA_WORDS))
    return programs


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("--setup", default=os.path.join(BUILD, "setup.exe"))
    parser.add_argument("--compare", help="a second setup.exe to time as well")
    args = parser.parse_args()
    setups = [(f"setup.exe welcome page ({os.path.getsize(args.setup)} bytes)", args.setup)]
    if args.compare:
        setups.append((f"setup.exe welcome page ({os.path.getsize(args.compare)} bytes, compared)", args.compare))

    wine = Wine("bench-start-time")
    try:
        programs = prepare(wine, setups)
        # Keeps the prefix's services and its desktop process running between the starts, as
        # on Windows: a program that asks about windows keeps the desktop; without one, Wine
        # ends it after each program and starts it again for the next (about 0.15 s each time).
        keeper = wine.start(os.path.join(BUILD, "tools", "win", "uidriver", "uidriver.exe"),
                            "wait", "NoSuchWindowClass", "3600000")
        for program in programs:  # warm-up, not counted
            time_once(wine, program)
        for n in range(args.runs):
            # Each round starts one program later: a start is slower right after some
            # programs than after others, and no program should always follow the same one.
            for program in programs[n % len(programs):] + programs[:n % len(programs)]:
                first, readable = time_once(wine, program)
                program.first_window.append(first)
                program.readable.append(readable)
        keeper.kill()
    finally:
        wine.close()

    nsis = statistics.median(programs[0].readable)
    print(f"start to readable page, {args.runs} runs each, taking turns in one Wine prefix (seconds), "
          f"32-bit programs {i386_mode()}:")
    for p in programs:
        median = statistics.median(p.readable)
        print(f"  {p.label}")
        print("    readable:     " + " ".join(f"{t:.3f}" for t in p.readable))
        print("    first window: " + " ".join(f"{t:.3f}" for t in p.first_window))
        print(f"    median {median:.3f} s (first window {statistics.median(p.first_window):.3f} s), "
              f"ratio to NSIS {median / nsis:.2f}")


if __name__ == "__main__":
    main()
