"""Packed install: the time to install the same files three ways under Wine, side by side
in one prefix, on two packages:
  many  bench/install_speed.py's 10,000 files, 200 MB: each incompressible alone, but all are slices
        of one 8 MiB pool, so a solid compressor whose window holds the pool shrinks them
  real  bench/pack_size.py's 335 files, 21.3 MB, like real software
The ways, each timed from the start of its process to its exit:
  folder  setup.exe /quiet, run from the package folder (setup.exe beside SETUP.INI and the files)
  packed  the one program that setupcheck --pack makes of that folder, run with /quiet
  nsis    an NSIS installer of the same files, SetCompressor /SOLID lzma (bench/nsis/compressed.nsi), /S
Each round runs every way once, the order turning by one each round so that none always goes
first. Every run installs into a folder of its own (/dir, /D=), is checked against the package
(every size, a sample of hashes) and removed again: ours through the uninstaller it logged, so
the next run finds no earlier installation. Raw runs go to build/artifacts/packed_install.json.

Usage: python3 bench/packed_install.py [--rounds N] [--only many|real] [--setup EXE] [--setupcheck PROGRAM]
       python3 bench/packed_install.py --self-test
Exit code 0 when measured, 1 when an install failed or differs from the package, 3 when a way
could not be made (setupcheck --pack or makensis failed).
"""
import argparse
import glob
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
import unittest
from dataclasses import dataclass, field

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import install_speed as speed  # noqa: E402
import pack_size as ps  # noqa: E402
from harness import ARTIFACTS, BUILD, Wine, file_hash  # noqa: E402

WAYS = ("folder", "packed", "nsis")
LABELS = {"folder": "ours, setup.exe /quiet from the folder", "packed": "ours, setupcheck --pack, /quiet",
          "nsis": "NSIS /SOLID lzma, /S"}
WORK = "C:\\bench"        # the packed programs and the NSIS installers
RUNS = "C:\\runs"         # every run's install folder below this
UNINSTALLER = "C:\\windows\\UNKELVO.EXE"
RUN_TIMEOUT = 3600


@dataclass
class Package:
    key: str
    folder: str                                     # the package folder in the prefix
    expected: dict                                  # file name -> size, what every install must hold
    hashes: dict = field(default_factory=dict)      # a sample: file name -> the package file's hash
    programs: dict = field(default_factory=dict)    # way -> the program that installs
    sizes: dict = field(default_factory=dict)       # way -> bytes a user gets
    made: dict = field(default_factory=dict)        # way -> seconds to make the program


def order(round_no):
    """The ways of a round (from 1): each round starts one further along."""
    k = (round_no - 1) % len(WAYS)
    return WAYS[k:] + WAYS[:k]


def check_files(folder, expected, hashes):
    result = speed.Check()
    for name, size in expected.items():
        path = os.path.join(folder, name)
        if not os.path.isfile(path):
            result.missing.append(name)
        elif os.path.getsize(path) != size:
            result.wrong_size.append(name)
    for name, digest in hashes.items():
        path = os.path.join(folder, name)
        if os.path.isfile(path) and os.path.getsize(path) == expected[name] and file_hash(path) != digest:
            result.wrong_hash.append(name)
    result.extra = sorted(set(os.listdir(folder)) - set(expected)) if os.path.isdir(folder) else []
    return result


def medians(runs):
    """way -> median seconds of the runs that installed the package whole (None for none)."""
    ok = {way: [r["seconds"] for r in runs if r["way"] == way and r["ok"]] for way in WAYS}
    return {way: statistics.median(v) if v else None for way, v in ok.items()}


def folder_bytes(folder):
    return sum(os.path.getsize(os.path.join(d, n)) for d, _, names in os.walk(folder) for n in names)


# The packages and their programs ------------------------------------------------------

def make_package(wine, key, setup):
    folder = f"C:\\pkg-{key}"
    unix = wine.unix(folder)
    if key == "many":
        sizes = speed.size_plan()
        speed.write_package(unix, sizes, setup)
        expected = {speed.file_name(i): s for i, s in enumerate(sizes, 1)}
        note = ""
    else:
        entries = ps.plan_package()
        note = f", fingerprint {ps.write_package(unix, entries, setup)}"
        expected = {e.name: e.size for e in entries}
    names = list(expected)
    pkg = Package(key, folder, expected)
    pkg.hashes = {names[i - 1]: file_hash(os.path.join(unix, names[i - 1]))
                  for i in speed.hash_sample(list(expected.values()))}
    pkg.programs["folder"] = folder + "\\setup.exe"
    pkg.sizes["folder"] = folder_bytes(unix)
    print(f"{key}: {len(expected):,} files, {sum(expected.values()):,} bytes{note}", flush=True)
    return pkg


def make_programs(wine, pkg, setupcheck):
    """The packed program and the NSIS installer; returns what could not be made."""
    errors, source = [], wine.unix(pkg.folder)
    packed, nsis = f"{WORK}\\{pkg.key}-packed.exe", f"{WORK}\\{pkg.key}-nsis.exe"
    print(f"{pkg.key}: setupcheck --pack ...", flush=True)
    try:
        p = ps.pack(setupcheck, wine.unix(packed), source, timeout=RUN_TIMEOUT)
        pkg.programs["packed"], pkg.sizes["packed"], pkg.made["packed"] = packed, p.size, p.seconds
    except (ps.PackError, OSError, subprocess.TimeoutExpired) as e:
        errors.append(f"{pkg.key}: setupcheck --pack: {e}")
    print(f"{pkg.key}: makensis /SOLID lzma ...", flush=True)
    try:
        pkg.made["nsis"] = ps.makensis(wine.unix(nsis), source, solid=True, timeout=RUN_TIMEOUT)
        pkg.programs["nsis"], pkg.sizes["nsis"] = nsis, os.path.getsize(wine.unix(nsis))
    except (RuntimeError, OSError, subprocess.TimeoutExpired) as e:
        errors.append(f"{pkg.key}: makensis: {e}")
    return errors


# The runs -----------------------------------------------------------------------------

def leftovers(wine):
    """Work folders a packed program left in Temp (it must leave none)."""
    return sorted(glob.glob(os.path.join(wine.temp, "KSTMP*")))


def run_once(wine, pkg, way, round_no):
    target = f"{RUNS}\\{pkg.key}-{way}-{round_no}"
    args = ["/S", f"/D={target}"] if way == "nsis" else ["/quiet", "/dir", target]
    os.sync()
    t0 = time.monotonic()
    res = wine.run(pkg.programs[way], *args, timeout=RUN_TIMEOUT)
    seconds = time.monotonic() - t0
    check = check_files(wine.unix(target), pkg.expected, pkg.hashes)
    notes = [] if res.returncode == 0 else [f"exit code {int(res.returncode)}"]
    left = leftovers(wine)
    if left:
        notes.append("left in Temp: " + ", ".join(os.path.basename(p) for p in left))
    # Ours are removed through their own uninstaller, which also takes their Add/Remove entry away.
    log = target + "\\UNSETUP.INI"
    if way != "nsis" and os.path.isfile(wine.unix(log)):
        gone = wine.run(UNINSTALLER, log, "/quiet", timeout=RUN_TIMEOUT).returncode
        if gone != 0:
            notes.append(f"uninstaller exit code {int(gone)}")
    elif way != "nsis":
        notes.append("no UNSETUP.INI")
    shutil.rmtree(wine.unix(target), ignore_errors=True)
    for path in left:
        shutil.rmtree(path, ignore_errors=True)
    ok = res.returncode == 0 and check.ok and not left
    return {"package": pkg.key, "round": round_no, "way": way, "seconds": round(seconds, 3),
            "exit": int(res.returncode), "check": check.summary(), "notes": notes, "ok": ok}


def measure(wine, pkg, rounds):
    runs = []
    for n in range(1, rounds + 1):
        for way in order(n):
            if way in pkg.programs:
                r = run_once(wine, pkg, way, n)
                runs.append(r)
                print(f"{pkg.key} round {n}: {way:6s} {r['seconds']:8.2f} s  {r['check']}"
                      + "".join(f"; {note}" for note in r["notes"]), flush=True)
    return runs


# The report ---------------------------------------------------------------------------

def ratio(value, base):
    return f"{value / base:.2f}" if value is not None and base else "n/a"


def report(pkg, runs):
    med = medians(runs)
    print(f"\n{pkg.key}: {len(pkg.expected):,} files, {sum(pkg.expected.values()):,} bytes; "
          "seconds from start to exit, median of the rounds")
    print(f"  {'way':40s} {'median':>8s} {'/folder':>8s} {'/NSIS':>7s} {'bytes':>13s} {'made in':>8s}  runs")
    for way in WAYS:
        each = " ".join(f"{r['seconds']:.2f}" + ("" if r["ok"] else "!") for r in runs if r["way"] == way)
        made = f"{pkg.made[way]:.1f} s" if way in pkg.made else ""
        size = f"{pkg.sizes[way]:,}" if way in pkg.sizes else "n/a"
        cell = f"{med[way]:.2f}" if med[way] is not None else "n/a"
        print(f"  {LABELS[way]:40s} {cell:>8s} {ratio(med[way], med['folder']):>8s} "
              f"{ratio(med[way], med['nsis']):>7s} {size:>13s} {made:>8s}  {each}")
    print("  bytes: the folder as shipped (setup.exe and SETUP.INI included), or the one program; "
          "! a run that failed its check")
    return med


def benchmark(args):
    began = time.monotonic()
    if not os.path.isfile(args.setup):
        sys.exit("build setup.exe first (KELVO_BUILD names the build folder)")
    if not speed.ensure_makensis():
        sys.exit("makensis is missing")
    info = speed.machine()
    print(f"machine: nproc {info['nproc']}, {info['wine']}, load {os.getloadavg()[0]:.1f}, "
          f"makensis {info['makensis']}, {info['date']}", flush=True)
    results, errors, runs = {"machine": info, "packages": {}}, [], []
    wine = Wine("bench-packed-install")
    try:
        os.makedirs(wine.unix(WORK), exist_ok=True)
        for key in ("many", "real") if args.only is None else (args.only,):
            pkg = make_package(wine, key, args.setup)
            errors += make_programs(wine, pkg, args.setupcheck)
            runs_of = measure(wine, pkg, args.rounds)
            runs += runs_of
            med = report(pkg, runs_of)
            results["packages"][key] = {"files": len(pkg.expected), "bytes": sum(pkg.expected.values()),
                                        "sizes": pkg.sizes, "made": pkg.made, "medians": med}
            shutil.rmtree(wine.unix(pkg.folder), ignore_errors=True)
    finally:
        wine.close()
    elapsed = time.monotonic() - began
    print(f"\nthe whole bench took {elapsed / 60:.1f} min; load at the end {os.getloadavg()[0]:.1f}")
    for error in errors:
        print(f"NOT MEASURED: {error}")
    os.makedirs(ARTIFACTS, exist_ok=True)
    with open(os.path.join(ARTIFACTS, "packed_install.json"), "w") as f:
        json.dump({**results, "runs": runs, "errors": errors, "seconds": round(elapsed, 1)}, f,
                  ensure_ascii=False, indent=1)
    if not all(r["ok"] for r in runs):
        print("an install failed or does not match its package: see the runs above")
        return 1
    return 3 if errors else 0


# Self-test ----------------------------------------------------------------------------

class HelperTest(unittest.TestCase):
    def test_each_way_goes_first_once_in_three_rounds(self):
        self.assertEqual(order(1), WAYS)
        self.assertEqual({order(n)[0] for n in (1, 2, 3)}, set(WAYS))
        self.assertEqual(order(4), order(1))
        self.assertTrue(all(sorted(order(n)) == sorted(WAYS) for n in range(1, 7)))

    def test_check_finds_missing_short_and_altered_files(self):
        with tempfile.TemporaryDirectory() as d:
            for name, data in (("a.dll", b"abc"), ("b.txt", b"12345"), ("c.bin", b"xy"), ("UNSETUP.INI", b"")):
                with open(os.path.join(d, name), "wb") as f:
                    f.write(data)
            expected = {"a.dll": 3, "b.txt": 5, "c.bin": 3, "gone.dat": 0}
            hashes = {"a.dll": file_hash(os.path.join(d, "a.dll")), "b.txt": "0" * 40}
            c = check_files(d, expected, hashes)
            self.assertEqual((c.missing, c.wrong_size, c.wrong_hash, c.extra),
                             (["gone.dat"], ["c.bin"], ["b.txt"], ["UNSETUP.INI"]))
            self.assertFalse(c.ok)
            self.assertTrue(check_files(d, {"a.dll": 3}, {"a.dll": hashes["a.dll"]}).ok)

    def test_medians_leave_out_failed_runs(self):
        runs = [{"way": "folder", "seconds": s, "ok": ok} for s, ok in ((3.0, True), (1.0, True), (0.1, False))]
        runs.append({"way": "nsis", "seconds": 2.0, "ok": False})
        self.assertEqual(medians(runs), {"folder": 2.0, "packed": None, "nsis": None})
        self.assertEqual((ratio(3.0, 2.0), ratio(None, 2.0), ratio(1.0, None)), ("1.50", "n/a", "n/a"))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=3, help="rounds, each running every way once (default 3)")
    parser.add_argument("--only", choices=("many", "real"), help="measure one package only")
    parser.add_argument("--setup", default=os.path.join(BUILD, "setup.exe"),
                        help="the setup.exe of the packages (default: the one in the build folder)")
    parser.add_argument("--setupcheck", default=ps.SETUPCHECK, help="the native setupcheck (default build/native)")
    speed.run_bench(parser, benchmark, __name__)


if __name__ == "__main__":
    main()
