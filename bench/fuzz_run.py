#!/usr/bin/env python3
"""Runs every libFuzzer target of the fuzz preset for a given time, one after the other
on one core, and prints per target: executions, coverage (libFuzzer's cov and ft),
when coverage last grew, the corpus size and the findings.

    cmake --preset fuzz && cmake --build --preset fuzz
    python3 bench/fuzz_run.py 300                  # five minutes each
    python3 bench/fuzz_run.py 60 strings script    # some targets only

The seeds and kept findings in tests/fuzz/corpus/NAME/ are read, never written; what a
run adds goes to build/fuzz/corpus/NAME/, findings to build/fuzz/findings/NAME/. A finding
is mended, then its input is copied to tests/fuzz/corpus/NAME/ so that every test run
replays it.
"""
import argparse
import pathlib
import re
import subprocess
import sys
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
BUILD = ROOT / "build" / "fuzz"
# Paths are short: longer inputs only slow the path targets down.
MAX_LEN = {"strings": 1024, "folder_macros": 1024, "uninstall_rules": 1024}
STATUS = re.compile(r"^#(\d+)\s+(\w+)\s+cov: (\d+) ft: (\d+)(?: corp: (\d+)/)?")


def targets():
    return sorted(p.stem[: -len("_fuzz")] for p in (ROOT / "tests" / "fuzz").glob("*_fuzz.cpp"))


def run(name, seconds):
    program = BUILD / f"{name}_fuzz"
    work = BUILD / "corpus" / name
    findings = BUILD / "findings" / name
    work.mkdir(parents=True, exist_ok=True)
    findings.mkdir(parents=True, exist_ok=True)
    before = set(findings.iterdir())
    command = [str(program), str(work), str(ROOT / "tests" / "fuzz" / "corpus" / name),
               f"-max_total_time={seconds}", f"-max_len={MAX_LEN.get(name, 4096)}", "-timeout=10", "-rss_limit_mb=2048",
               "-print_final_stats=1", f"-artifact_prefix={findings}/"]
    start = time.monotonic()
    execs = cov = ft = corpus = 0
    grew = 0.0
    errors = []
    with subprocess.Popen(command, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, text=True,
                          errors="replace") as process:
        for line in process.stderr:
            m = STATUS.match(line)
            if m:
                execs = int(m.group(1))
                if int(m.group(3)) > cov:
                    grew = time.monotonic() - start
                cov, ft = int(m.group(3)), int(m.group(4))
                corpus = int(m.group(5) or corpus)
            elif line.startswith("stat::number_of_executed_units:"):
                execs = int(line.split(":")[-1])
            elif "ERROR:" in line or "property failed" in line or "runtime error" in line:
                errors.append(line.strip())
    elapsed = time.monotonic() - start
    found = sorted(set(findings.iterdir()) - before)
    return {"name": name, "execs": execs, "cov": cov, "ft": ft, "corpus": corpus, "seconds": elapsed,
            "grew": grew, "findings": found, "errors": errors[:3]}


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("seconds", type=int, help="fuzzing time per target")
    parser.add_argument("names", nargs="*", help="targets (default: all)")
    args = parser.parse_args()
    names = args.names or targets()
    missing = [n for n in names if not (BUILD / f"{n}_fuzz").exists()]
    if missing:
        sys.exit(f"not built: {', '.join(missing)} (cmake --preset fuzz && cmake --build --preset fuzz)")
    print(f"{'target':16} {'executions':>12} {'exec/s':>8} {'cov':>6} {'ft':>7} {'corpus':>7} "
          f"{'cov grew last':>14} {'time s':>7}  findings")
    total = 0
    for name in names:
        r = run(name, args.seconds)
        total += len(r["findings"])
        rate = r["execs"] / r["seconds"] if r["seconds"] else 0
        print(f"{name:16} {r['execs']:>12,} {rate:>8,.0f} {r['cov']:>6} {r['ft']:>7} {r['corpus']:>7} "
              f"{r['grew']:>13.0f}s {r['seconds']:>7.0f}  {len(r['findings'])}", flush=True)
        for f in r["findings"]:
            print(f"    {f.relative_to(ROOT)}")
        for e in r["errors"]:
            print(f"    {e}")
    print(f"findings: {total}")


if __name__ == "__main__":
    main()
