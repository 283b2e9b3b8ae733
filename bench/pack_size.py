"""Pack size: `setupcheck --pack` against NSIS on a package like real software, and the
time `setupcheck --pack` takes over bench/install_speed.py's 10,000-file package.

The package (seeded; the same on every machine with the same Debian packages, and its
fingerprint printed so that runs can be compared) holds 335 files, 21.3 MB:
  binaries  Wine's own 32-bit DLLs and EXEs, every 8th by name of those up to 1 MiB,
            until 15 MB (as Debian ships them, debugging sections included)
  texts     Debian's common licences and a seeded choice of packages' copyright files
  data      12 files of random bytes (what compressed pictures or archives would be),
            as many bytes as the others leave up to 21.3 MB (1.5 to 3 MB)
with a SETUP.INI copying all of them into the install folder and setup.exe beside it.

Measured side by side in one run, every figure the whole file a user would download:
  NSIS zlib        makensis with its defaults: zlib, each file on its own (bench/nsis/compressed.nsi)
  NSIS solid lzma  the same with SetCompressor /SOLID lzma
  ours             setupcheck --pack (the native build)
  zlib -9, zopfli  setup.exe plus each file deflated on its own (what a deflate payload can
                   reach without any framing); zopfli only with --zopfli (minutes)
and the smallest installer NSIS makes (no files) against setup.exe.

Usage: python3 bench/pack_size.py [--setup EXE] [--setupcheck PROGRAM] [--zopfli] [--no-many]
       python3 bench/pack_size.py --self-test
Exit code 0 when measured, 1 when setupcheck --pack said something other than what it
wrote, 3 when setupcheck --pack could not be measured.
"""
import argparse
import ctypes
import glob
import hashlib
import json
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import time
import unittest
import zlib
from dataclasses import dataclass

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import install_speed as speed  # noqa: E402
from harness import ARTIFACTS, BUILD, REPO  # noqa: E402

SEED = 335
FILE_COUNT = 335
TOTAL_BYTES = 21_300_000
BINARY_BYTES = 15_000_000
BINARY_STRIDE = 8
BINARY_LIMIT = 1 << 20        # the largest Wine DLLs would make the package a few files
TEXT_LIMIT = 128 << 10
DATA_FILES = 12
DATA_BYTES = (1_500_000, 3_000_000)

WINE_BINARIES = "/usr/lib/i386-linux-gnu/wine/i386-windows"
LICENCES = "/usr/share/common-licenses"
DOCS = "/usr/share/doc"

APP_DIR = "C:\\PackApp"
NSIS_SCRIPT = os.path.join(HERE, "nsis", "compressed.nsi")
SETUPCHECK = os.path.join(REPO, "build", "native", "setupcheck")
PACKED_LINE = re.compile(r"packed (\d+) files into (.+) \((\d+) bytes\)")


# The package -------------------------------------------------------------------------

@dataclass
class Entry:
    name: str          # in the package and in the install folder
    kind: str          # binary, text or data
    size: int
    source: str = ""   # the file copied; data files are made from the seed instead
    index: int = 0     # data files: their number


def regular_files(paths):
    return [p for p in paths if os.path.isfile(p) and not os.path.islink(p)]


def pick_binaries(folder=WINE_BINARIES, stride=BINARY_STRIDE, limit=BINARY_LIMIT, goal=BINARY_BYTES):
    names = sorted(n for n in os.listdir(folder) if n.lower().endswith((".dll", ".exe")))
    picked, total = [], 0
    for path in regular_files(os.path.join(folder, n) for n in names[::stride]):
        if total >= goal:
            break
        size = os.path.getsize(path)
        if size <= limit:
            picked.append(Entry(os.path.basename(path), "binary", size, path))
            total += size
    return picked


def pick_texts(count, licences=LICENCES, docs=DOCS, limit=TEXT_LIMIT, seed=SEED):
    """Every common licence, then a seeded choice of copyright files, in the order of their names."""
    texts = [Entry(f"license-{os.path.basename(p)}.txt", "text", os.path.getsize(p), p)
             for p in regular_files(sorted(glob.glob(os.path.join(licences, "*"))))]
    candidates = [p for p in regular_files(sorted(glob.glob(os.path.join(docs, "*", "copyright"))))
                  if os.path.getsize(p) <= limit and re.fullmatch(r"[a-z0-9.+-]+", p.split(os.sep)[-2])]
    chosen = sorted(random.Random(seed).sample(candidates, min(count - len(texts), len(candidates))))
    texts += [Entry(f"copyright-{p.split(os.sep)[-2]}.txt", "text", os.path.getsize(p), p) for p in chosen]
    return texts


def plan_package(**sources):
    binaries = pick_binaries(**{k: v for k, v in sources.items() if k == "folder"})
    texts = pick_texts(FILE_COUNT - len(binaries) - DATA_FILES,
                       **{k: v for k, v in sources.items() if k in ("licences", "docs")})
    left = TOTAL_BYTES - sum(e.size for e in binaries + texts)
    data_bytes = min(max(left, DATA_BYTES[0]), DATA_BYTES[1])
    sizes = speed.size_plan(count=DATA_FILES, total=data_bytes, seed=SEED, sigma=1.0)
    data = [Entry(f"data{i:03d}.bin", "data", size, index=i) for i, size in enumerate(sizes, 1)]
    entries = binaries + texts + data
    names = [e.name.lower() for e in entries]
    if len(set(names)) != len(names):
        raise RuntimeError("two package files would have the same name on Windows")
    return entries


def entry_bytes(entry):
    if entry.kind == "data":
        return hashlib.shake_256(f"pack-size-{SEED}-{entry.index}".encode()).digest(entry.size)
    with open(entry.source, "rb") as f:
        return f.read()


def setup_script(names, folder=APP_DIR):
    lines = ["[Title]", "Setup=パック計測", "Program=パック計測",
             "[Extend]", "SetupSpeed=1",
             "[DefaultFolder]", f"Folder={folder}\\",
             "[CopyFile]"]
    lines += [f"File{i}=(App){name}" for i, name in enumerate(names, 1)]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def write_package(folder, entries, setup_exe, install_folder=APP_DIR):
    """The package folder; returns its fingerprint (names, sizes and bytes of every file)."""
    os.makedirs(folder, exist_ok=True)
    digest = hashlib.sha1()
    for entry in entries:
        data = entry_bytes(entry)
        if len(data) != entry.size:
            raise RuntimeError(f"{entry.source} changed while the package was made")
        with open(os.path.join(folder, entry.name), "wb") as f:
            f.write(data)
        digest.update(f"{entry.name}\0{entry.size}\0".encode() + hashlib.sha1(data).digest())
    shutil.copy(setup_exe, os.path.join(folder, "setup.exe"))
    with open(os.path.join(folder, "SETUP.INI"), "wb") as f:
        f.write(setup_script([e.name for e in entries], install_folder))
    return digest.hexdigest()[:16]


# The programs ------------------------------------------------------------------------

class PackError(Exception):
    pass


@dataclass
class Packed:
    seconds: float
    files: int         # as setupcheck reported them
    size: int          # of the file written
    line: str


def parse_packed(output):
    """(files, bytes) from setupcheck's line, or None."""
    m = PACKED_LINE.search(output)
    return (int(m.group(1)), int(m.group(3))) if m else None


def pack(setupcheck, out, folder, timeout=1800):
    if os.path.exists(out):
        os.remove(out)
    t0 = time.monotonic()
    res = subprocess.run([setupcheck, "--pack", out, folder], capture_output=True, timeout=timeout)
    seconds = time.monotonic() - t0
    text = (res.stdout + res.stderr).decode("utf-8", "replace").strip()
    if res.returncode != 0:
        raise PackError(f"setupcheck --pack exited with {res.returncode}: {text[-1500:]}")
    if not os.path.isfile(out):
        raise PackError(f"setupcheck --pack exited 0 but wrote no file: {text[-500:]}")
    said = parse_packed(text)
    size = os.path.getsize(out)
    if said is None:
        raise PackError(f"setupcheck --pack did not say what it packed: {text[-500:]!r}")
    if said[1] != size:
        raise PackError(f"setupcheck --pack says {said[1]} bytes, the file has {size}")
    return Packed(seconds, said[0], size, text.splitlines()[-1] if text else "")


def makensis(out, folder=None, solid=False, empty=False, instdir=None, timeout=1800):
    """Builds bench/nsis/compressed.nsi; returns makensis's time in seconds."""
    args = ["makensis", "-V2", f"-DOUTFILE={out}"]
    args += ["-DEMPTY"] if empty else [f"-DPKGDIR={folder}"]
    args += ["-DSOLID_LZMA"] if solid else []
    args += [f"-DINSTDIR={instdir}"] if instdir else []
    t0 = time.monotonic()
    res = subprocess.run(args + [NSIS_SCRIPT], capture_output=True, text=True, timeout=timeout)
    if res.returncode != 0:
        raise RuntimeError(f"makensis failed: {res.stdout[-2000:]} {res.stderr[-2000:]}")
    return time.monotonic() - t0


def deflate_raw(data, level=9):
    c = zlib.compressobj(level, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


class Zopfli:
    """Debian's libzopfli through ctypes: raw deflate, as setupcheck would store it."""

    class Options(ctypes.Structure):
        _fields_ = [("verbose", ctypes.c_int), ("verbose_more", ctypes.c_int), ("numiterations", ctypes.c_int),
                    ("blocksplitting", ctypes.c_int), ("blocksplittinglast", ctypes.c_int),
                    ("blocksplittingmax", ctypes.c_int)]

    def __init__(self, iterations=15):
        self.lib = ctypes.CDLL("libzopfli.so.1")
        self.libc = ctypes.CDLL(None)
        self.options = self.Options()
        self.lib.ZopfliInitOptions(ctypes.byref(self.options))
        self.options.numiterations = iterations

    def deflate(self, data):
        out, size = ctypes.POINTER(ctypes.c_ubyte)(), ctypes.c_size_t(0)
        self.lib.ZopfliCompress(ctypes.byref(self.options), 2, data, ctypes.c_size_t(len(data)),
                                ctypes.byref(out), ctypes.byref(size))
        try:
            return ctypes.string_at(out, size.value)
        finally:
            self.libc.free(out)


def dictionary_sizes(folder, entries, mibs=(8, 16, 32)):
    """{MiB: (bytes, seconds)} of one raw LZMA stream over the package's compressible files."""
    import lzma
    data = b"".join(entry_bytes(e) for e in entries if e.kind != "data")
    stored = sum(e.size for e in entries if e.kind == "data")
    out = {}
    for mib in mibs:
        began = time.monotonic()
        lzma_filter = {"id": lzma.FILTER_LZMA1, "dict_size": mib << 20, "lc": 3, "lp": 0, "pb": 0,
                       "nice_len": 128, "mf": lzma.MF_BT4}
        size = len(lzma.compress(data, format=lzma.FORMAT_RAW, filters=[lzma_filter]))
        out[mib] = (size + stored, time.monotonic() - began)
    return out


def per_file(folder, names, compress):
    """Bytes of each file compressed on its own, added up; the same with files of identical
    bytes counted once (NSIS stores such files once); and the seconds it took."""
    t0, total, unique, seen = time.monotonic(), 0, 0, set()
    for name in names:
        with open(os.path.join(folder, name), "rb") as f:
            data = f.read()
        size = len(compress(data))
        total += size
        digest = hashlib.sha1(data).digest()
        if digest not in seen:
            seen.add(digest)
            unique += size
    return total, unique, time.monotonic() - t0


# The benchmark -----------------------------------------------------------------------

def ratio(value, base):
    return f"{value / base:.3f}" if value is not None and base else "n/a"


def print_table(title, rows, base):
    print(title)
    print(f"  {'':44s} {'bytes':>12s} {'ratio':>7s} {'seconds':>8s}")
    for label, size, secs in rows:
        cells = [f"{size:>12,}" if size is not None else f"{'n/a':>12s}", f"{ratio(size, base):>7s}",
                 f"{secs:>8.2f}" if secs is not None else f"{'':>8s}"]
        print(f"  {label:44s} " + " ".join(cells))


def measure_real(args, work, results):
    entries = plan_package()
    folder = os.path.join(work, "real")
    print("writing the package ...", flush=True)
    fingerprint = write_package(folder, entries, args.setup)
    kinds = {k: [e for e in entries if e.kind == k] for k in ("binary", "text", "data")}
    raw = sum(e.size for e in entries)
    results["package"] = {"files": len(entries), "bytes": raw, "fingerprint": fingerprint,
                          **{k: [len(v), sum(e.size for e in v)] for k, v in kinds.items()}}
    print(f"package: {len(entries)} files, {raw:,} bytes (" +
          ", ".join(f"{k} {len(v)} files {sum(e.size for e in v):,}" for k, v in kinds.items()) +
          f"), fingerprint {fingerprint}", flush=True)
    if os.path.isfile(args.setupcheck):
        res = subprocess.run([args.setupcheck, folder], capture_output=True)
        results["check_status"] = res.returncode
        if res.returncode != 0:
            print(f"setupcheck finds this in the package (status {res.returncode}):\n"
                  + res.stdout.decode("utf-8", "replace")[-1500:])

    setup_size = os.path.getsize(args.setup)
    out = {}
    print("NSIS ...", flush=True)
    for key, solid, empty in (("nsis_empty", False, True), ("nsis_empty_lzma", True, True),
                              ("nsis_zlib", False, False), ("nsis_lzma", True, False)):
        exe = os.path.join(work, f"{key}.exe")
        secs = makensis(exe, folder, solid=solid, empty=empty)
        out[key] = (os.path.getsize(exe), secs)
    print("setupcheck --pack ...", flush=True)
    packed_error = None
    try:
        p = pack(args.setupcheck, os.path.join(work, "packed.exe"), folder)
        out["ours"] = (p.size, p.seconds)
        results["ours_line"] = p.line
        results["ours_files"] = p.files
        if p.files not in (len(entries), len(entries) + 1):
            print(f"note: setupcheck says it packed {p.files} files; the package has {len(entries)} and SETUP.INI")
    except (PackError, OSError, subprocess.TimeoutExpired) as e:
        packed_error = str(e)
    print("zlib -9 ...", flush=True)
    names = [e.name for e in entries] + ["SETUP.INI"]
    out["zlib"] = per_file(folder, names, deflate_raw)
    if args.zopfli:
        print(f"zopfli, {args.zopfli_iterations} iterations (minutes) ...", flush=True)
        out["zopfli"] = per_file(folder, names, Zopfli(args.zopfli_iterations).deflate)

    base = out["nsis_zlib"][0]
    rows = [("NSIS zlib, per file (its default)", *out["nsis_zlib"]),
            ("NSIS SetCompressor /SOLID lzma", *out["nsis_lzma"]),
            ("ours: setupcheck --pack", *out.get("ours", (None, None)))]
    for key, label in (("zlib", "zlib -9"), ("zopfli", f"zopfli {args.zopfli_iterations} it.")):
        if key in out:
            total, unique, secs = out[key]
            rows.append((f"setup.exe + {label} per file, no framing", setup_size + total, secs))
            rows.append((f"  the same, identical files once", setup_size + unique, None))
    rows.append(("the package's files, uncompressed", raw, None))
    print()
    print_table(f"Whole files, {len(entries)} files of {raw:,} bytes; ratio to NSIS zlib's installer; "
                "seconds to make it:", rows, base)
    print()
    print("Payload alone (the program taken off):")
    print(f"  NSIS zlib        {base - out['nsis_empty'][0]:>12,}  (installer less NSIS's empty one)")
    print(f"  NSIS solid lzma  {out['nsis_lzma'][0] - out['nsis_empty_lzma'][0]:>12,}")
    if "ours" in out:
        print(f"  ours             {out['ours'][0] - setup_size:>12,}  (packed program less setup.exe)")
    for key in ("zlib", "zopfli"):
        if key in out:
            print(f"  {key + ' per file':16s} {out[key][0]:>12,}  ({out[key][1]:,} with identical files once)")
    print()
    print("The smallest program:")
    print(f"  NSIS, no files (zlib)        {out['nsis_empty'][0]:>10,}")
    print(f"  NSIS, no files (solid lzma)  {out['nsis_empty_lzma'][0]:>10,}")
    print(f"  setup.exe                    {setup_size:>10,}  ({setup_size / out['nsis_empty'][0]:.1f} times)")
    print()
    print("One LZMA stream over the files in the payload's order (Python's lzma, the packer's lc 3, lp 0,")
    print("pb 0, 128 fast bytes; the data files stored beside it), by dictionary: what taking it out holds")
    dictionaries = dictionary_sizes(folder, entries)
    results["dictionaries"] = {str(mib): list(v) for mib, v in dictionaries.items()}
    for mib, (size, secs) in dictionaries.items():
        print(f"  {mib:>2} MiB  {size:>12,}  {secs:5.1f} s")
    if "ours" in out:
        solid = out["nsis_lzma"]
        goal = "met" if out["ours"][0] <= solid[0] else f"NOT met: {out['ours'][0] - solid[0]:,} bytes over"
        print(f"\nGoal, ours <= NSIS /SOLID lzma's installer: {goal} ({out['ours'][0] / solid[0]:.3f}; "
              f"NSIS zlib's {out['ours'][0] / base:.3f})")
        goal = "met" if out["ours"][1] <= solid[1] else "NOT met"
        print(f"Goal, packing in no more time than makensis /SOLID lzma: {goal} "
              f"({out['ours'][1]:.2f} s against {solid[1]:.2f} s)")
    results.update(setup_exe=setup_size, sizes={k: list(v) for k, v in out.items()})
    return packed_error


def measure_many(args, work, results):
    sizes = speed.size_plan()
    folder = os.path.join(work, "many")
    print(f"\nwriting install_speed's package ({len(sizes)} files, {sum(sizes) / 1e6:.0f} MB) ...", flush=True)
    speed.write_package(folder, sizes, args.setup)
    os.sync()
    nsis = os.path.join(work, "many_nsis.exe")
    print("NSIS zlib ...", flush=True)
    nsis_secs = makensis(nsis, folder)
    print("setupcheck --pack ...", flush=True)
    try:
        p = pack(args.setupcheck, os.path.join(work, "many_packed.exe"), folder)
    except (PackError, OSError, subprocess.TimeoutExpired) as e:
        return str(e)
    rows = [("NSIS zlib (makensis)", os.path.getsize(nsis), nsis_secs), ("ours: setupcheck --pack", p.size, p.seconds),
            ("the package's files, uncompressed", sum(sizes), None)]
    print()
    print_table(f"install_speed's package, {len(sizes)} files of {sum(sizes):,} incompressible bytes:",
                rows, os.path.getsize(nsis))
    print(f"  setupcheck said: {p.line}")
    print(f"Goal, setupcheck --pack under 10 s: {'met' if p.seconds < 10 else 'NOT met'} ({p.seconds:.2f} s; "
          f"makensis {nsis_secs:.2f} s)")
    results["many"] = {"files": len(sizes), "bytes": sum(sizes), "nsis": [os.path.getsize(nsis), nsis_secs],
                       "ours": [p.size, p.seconds], "ours_files": p.files}
    return None


def benchmark(args):
    if not os.path.isfile(args.setup):
        sys.exit("build setup.exe first (KELVO_BUILD names the build folder)")
    if not speed.ensure_makensis():
        sys.exit("makensis is missing")
    info = speed.machine()
    print(f"machine: nproc {info['nproc']}, load {os.getloadavg()[0]:.1f}, makensis {info['makensis']}, "
          f"{info['date']}")
    results, errors = {"machine": info}, []
    work = tempfile.mkdtemp(prefix="pack-size-")
    try:
        error = measure_real(args, work, results)
        if error:
            errors.append(f"package like real software: {error}")
        if args.many:
            error = measure_many(args, work, results)
            if error:
                errors.append(f"10,000 files: {error}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print(f"\nload at the end {os.getloadavg()[0]:.1f}")
    os.makedirs(ARTIFACTS, exist_ok=True)
    with open(os.path.join(ARTIFACTS, "pack_size.json"), "w") as f:
        json.dump({**results, "errors": errors}, f, indent=1)
    for error in errors:
        print(f"setupcheck --pack: NOT MEASURED: {error}")
    if any("says" in e or "wrote no file" in e or "did not say" in e for e in errors):
        return 1
    return 3 if errors else 0


# Self-test ---------------------------------------------------------------------------

class PlanTest(unittest.TestCase):
    @unittest.skipUnless(os.path.isdir(WINE_BINARIES), "Wine's 32-bit programs are not installed")
    def test_package_is_reproducible_unique_and_near_its_target(self):
        entries = plan_package()
        self.assertEqual(entries, plan_package())
        self.assertEqual(len(entries), FILE_COUNT)
        self.assertEqual(len({e.name.lower() for e in entries}), FILE_COUNT)
        binaries = sum(e.size for e in entries if e.kind == "binary")
        self.assertGreaterEqual(binaries, BINARY_BYTES)
        self.assertLess(binaries, BINARY_BYTES + BINARY_LIMIT)
        data = sum(e.size for e in entries if e.kind == "data")
        self.assertTrue(DATA_BYTES[0] <= data <= DATA_BYTES[1])
        self.assertLess(abs(sum(e.size for e in entries) - TOTAL_BYTES), 0.1 * TOTAL_BYTES)
        self.assertTrue(all(e.kind == "data" or os.path.getsize(e.source) == e.size for e in entries))

    def test_picks_from_fake_folders(self):
        with tempfile.TemporaryDirectory() as d:
            wine, lic, docs = (os.path.join(d, n) for n in ("wine", "lic", "docs"))
            for folder in (wine, lic, docs):
                os.makedirs(folder)
            for i in range(40):
                with open(os.path.join(wine, f"m{i:02d}.dll"), "wb") as f:
                    f.write(b"x" * (300 if i == 11 else 100))
            open(os.path.join(wine, "m00.txt"), "w").close()           # not a program
            os.symlink("m00.dll", os.path.join(wine, "l00.dll"))       # a link, not a file
            picked = pick_binaries(wine, stride=4, limit=200, goal=350)
            self.assertEqual([e.name for e in picked], ["m03.dll", "m07.dll", "m15.dll", "m19.dll"])
            with open(os.path.join(lic, "GPL-3"), "w") as f:
                f.write("gpl")
            for pkg in ("alpha", "beta", "c++lib", "Bad Name", "delta"):
                os.makedirs(os.path.join(docs, pkg))
                with open(os.path.join(docs, pkg, "copyright"), "w") as f:
                    f.write(pkg)
            texts = pick_texts(4, lic, docs, seed=1)
            self.assertEqual(texts[0].name, "license-GPL-3.txt")
            self.assertEqual(len(texts), 4)
            self.assertNotIn("copyright-Bad Name.txt", [t.name for t in texts])
            self.assertEqual([t.name for t in texts[1:]], sorted(t.name for t in texts[1:]))

    def test_data_files_are_seeded_and_sized(self):
        e = Entry("data001.bin", "data", 1000, index=1)
        self.assertEqual(len(entry_bytes(e)), 1000)
        self.assertEqual(entry_bytes(e), entry_bytes(e))
        self.assertNotEqual(entry_bytes(e), entry_bytes(Entry("data002.bin", "data", 1000, index=2)))

    def test_setup_script_lists_every_file_in_order(self):
        text = setup_script(["a.dll", "copyright-c++lib.txt"]).decode("cp932")
        self.assertIn("[Extend]\r\nSetupSpeed=1\r\n", text)
        self.assertIn("[DefaultFolder]\r\nFolder=C:\\PackApp\\\r\n", text)
        self.assertTrue(text.endswith("[CopyFile]\r\nFile1=(App)a.dll\r\nFile2=(App)copyright-c++lib.txt\r\n"))


class PackTest(unittest.TestCase):
    def fake(self, d, line, size, code=0):
        """A stand-in for setupcheck that writes `size` bytes and prints `line`."""
        prog = os.path.join(d, "fake-setupcheck")
        with open(prog, "w") as f:
            f.write(f"#!/bin/sh\nhead -c {size} /dev/zero > \"$2\"\necho '{line}'\nexit {code}\n")
        os.chmod(prog, 0o755)
        return prog

    def test_reads_its_line_and_checks_it_against_the_file(self):
        with tempfile.TemporaryDirectory() as d:
            out = os.path.join(d, "o.exe")
            p = pack(self.fake(d, f"packed 3 files into {out} (10 bytes)", 10), out, d)
            self.assertEqual((p.files, p.size), (3, 10))
            with self.assertRaisesRegex(PackError, "says 10 bytes, the file has 9"):
                pack(self.fake(d, "packed 3 files into o.exe (10 bytes)", 9), out, d)
            with self.assertRaisesRegex(PackError, "did not say"):
                pack(self.fake(d, "done", 9), out, d)
            with self.assertRaisesRegex(PackError, "exited with 2"):
                pack(self.fake(d, "usage", 0, code=2), out, d)

    def test_parse(self):
        self.assertEqual(parse_packed("packed 336 files into C:\\x y.exe (123 bytes)\n"), (336, 123))
        self.assertIsNone(parse_packed("usage: setupcheck"))

    def test_per_file_counts_identical_files_once_only_in_the_second_sum(self):
        with tempfile.TemporaryDirectory() as d:
            for name, data in (("a", b"x" * 10), ("b", b"x" * 10), ("c", b"y" * 3)):
                with open(os.path.join(d, name), "wb") as f:
                    f.write(data)
            total, unique, _ = per_file(d, ["a", "b", "c"], lambda data: data)
            self.assertEqual((total, unique), (23, 13))

    def test_raw_deflate_round_trip(self):
        data = bytes(range(256)) * 50
        self.assertEqual(zlib.decompress(deflate_raw(data), -15), data)

    @unittest.skipUnless(shutil.which("makensis"), "makensis is not installed")
    def test_nsis_script_leaves_out_setup_and_its_script(self):
        with tempfile.TemporaryDirectory() as d:
            pkg = os.path.join(d, "pkg")
            os.makedirs(pkg)
            for name, data in (("setup.exe", os.urandom(200_000)), ("SETUP.INI", b"[Title]\r\n"), ("a.txt", b"a")):
                with open(os.path.join(pkg, name), "wb") as f:
                    f.write(data)
            makensis(os.path.join(d, "n.exe"), pkg)
            makensis(os.path.join(d, "e.exe"), empty=True)
            self.assertLess(os.path.getsize(os.path.join(d, "n.exe")) - os.path.getsize(os.path.join(d, "e.exe")),
                            100_000)

    @unittest.skipUnless(os.path.isfile(SETUPCHECK) and os.path.isfile(os.path.join(BUILD, "setup.exe")),
                         "setupcheck or setup.exe not built")
    def test_setupcheck_packs_a_small_package(self):
        with tempfile.TemporaryDirectory() as d:
            pkg = os.path.join(d, "pkg")
            entries = [Entry("a.txt", "data", 5000, index=1), Entry("b.txt", "data", 0, index=2)]
            write_package(pkg, entries, os.path.join(BUILD, "setup.exe"))
            p = pack(SETUPCHECK, os.path.join(d, "out.exe"), pkg)
            self.assertGreater(p.size, os.path.getsize(os.path.join(BUILD, "setup.exe")))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--setup", default=os.path.join(BUILD, "setup.exe"),
                        help="the setup.exe of the packages (default: the one in the build folder)")
    parser.add_argument("--setupcheck", default=SETUPCHECK, help="the native setupcheck (default build/native)")
    parser.add_argument("--zopfli", action="store_true", help="also zopfli each file (minutes: about 50 KB/s)")
    parser.add_argument("--zopfli-iterations", type=int, default=15)
    parser.add_argument("--no-many", dest="many", action="store_false",
                        help="skip the 10,000-file package (200 MB written, packed and built by makensis)")
    speed.run_bench(parser, benchmark, __name__)


if __name__ == "__main__":
    main()
