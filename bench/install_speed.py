"""Install speed under Wine: setup.exe's install run against a plain CopyFileA loop and
an NSIS installer, all copying the same generated package in one prefix.

The package is 10,000 files of mixed sizes (about 200 MB, seeded, so every run copies
the same bytes). Each round runs, in this order:
  copyloop  tools/win/copyloop: CopyFileA for each file into C:\\LoopBench (its own timer)
  NSIS      a stored (uncompressed) silent installer into C:\\NsisBench, start to exit
  setup.exe the wizard walked with the UI driver, install into C:\\BenchApp; the status
            window is polled to time the copy step and the whole run, and the folder
            watched from Linux for the first and the last file
  setup.exe once more, its window left alone (only the button read twice a second):
            what the polling itself costs the run
  reinstall copyloop again over its own files (every CopyFileA overwrites), then setup.exe
            again into C:\BenchApp with every package file made newer, so that it replaces
            all of them, each through its staging folder and a replacing move
Every install is checked against the package (all sizes, 50 hashes). Raw polls go to
build/artifacts/install_speed.json.

Usage: python3 bench/install_speed.py [--rounds N] [--budget SECONDS] [--setup EXE] [--no-quiet] [--keep]
       python3 bench/install_speed.py --self-test
Exit code 0 when measured, 1 when an install differs from the package, 3 when setup.exe
could not be measured (for instance, its start button starting no run).
"""
import argparse
import datetime
import hashlib
import json
import math
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import threading
import time
import unittest
from dataclasses import asdict, dataclass, field

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "e2e"))
from harness import ARTIFACTS, BUILD, DRIVER, Wine, _unescape, file_hash, i386_mode  # noqa: E402

FILE_COUNT = 10_000
TOTAL_BYTES = 200_000_000
SEED = 1074
SIGMA = 2.0          # spread of the log-normal sizes: most files a few KB, a tail of several MB
SAMPLE_HASHES = 50

PACKAGE = "C:\\pkg"
WORK = "C:\\bench"   # the loop's list and the NSIS installer, outside the package
LOOP_DIR, NSIS_DIR, APP_DIR = "C:\\LoopBench", "C:\\NsisBench", "C:\\BenchApp"

COPYLOOP = os.path.join(BUILD, "tools", "win", "copyloop", "copyloop.exe")
NSIS_SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "nsis", "install_speed.nsi")

# What the wizard and the status window show.
START_CAPTION = "インストール開始(&S)"
FINISH_CAPTION = "インストール完了(&E)"
NEXT_CAPTION = "次へ(&N)"
COPY_LINE = "ファイルをコピーしています．．．"
SHORTCUT_LINE = "ショートカットを作成しています．．．"
FOLDER_QUESTION = "フォルダ作成"
FIXED_PAUSES = 1.5   # the run waits 500 ms and then 1000 ms before its first step
PROGRESS = re.compile(r"(\d+)%\((\d+)/(\d+)\)")


# Package ---------------------------------------------------------------------------

def file_name(index):
    """1-based: F00001.DAT ... F10000.DAT."""
    return f"F{index:05d}.DAT"


def size_plan(count=FILE_COUNT, total=TOTAL_BYTES, seed=SEED, sigma=SIGMA):
    """Log-normal file sizes scaled so that they add up to `total` exactly."""
    rng = random.Random(seed)
    raw = []
    for _ in range(count):
        # Box-Muller on random() alone: of Python's generators only random() promises
        # the same stream on every version, so the package stays the same everywhere.
        u1, u2 = 1.0 - rng.random(), rng.random()
        raw.append(math.exp(sigma * math.sqrt(-2.0 * math.log(u1)) * math.cos(2.0 * math.pi * u2)))
    scale = total / sum(raw)
    sizes = [int(r * scale) for r in raw]
    sizes[sizes.index(max(sizes))] += total - sum(sizes)  # what rounding down left over
    return sizes


def content_pool(seed=SEED, size=8 << 20):
    """Incompressible bytes that every file takes a slice of (SHAKE: stable everywhere)."""
    return hashlib.shake_256(f"install-speed-{seed}".encode()).digest(size)


def file_bytes(index, size, pool):
    """The file's name first, so that a mixed-up copy shows in a hash, then pool bytes
    from an offset of its own, wrapping round for files larger than the pool."""
    data = bytearray(f"{file_name(index)}\n".encode()[:size])
    offset = (index * 104_729) % len(pool)
    while len(data) < size:
        chunk = pool[offset:offset + size - len(data)]
        data += chunk
        offset = (offset + len(chunk)) % len(pool)
    return bytes(data)


def setup_script(count=FILE_COUNT, folder=APP_DIR):
    lines = ["[Title]", "Setup=インストール速度計測", "Program=計測",
             "[Extend]", "SetupSpeed=1",
             "[DefaultFolder]", f"Folder={folder}\\",
             "[CopyFile]"]
    lines += [f"File{i}=(App){file_name(i)}" for i in range(1, count + 1)]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def hash_sample(sizes, seed=SEED, count=SAMPLE_HASHES):
    """Indexes whose hashes are compared: the smallest and largest files and a seeded rest."""
    ends = {min(range(len(sizes)), key=sizes.__getitem__) + 1, max(range(len(sizes)), key=sizes.__getitem__) + 1}
    rest = [i for i in range(1, len(sizes) + 1) if i not in ends]
    return sorted(ends | set(random.Random(seed + 1).sample(rest, count - len(ends))))


def write_package(folder, sizes, setup_exe):
    os.makedirs(folder, exist_ok=True)
    pool = content_pool()
    for index, size in enumerate(sizes, start=1):
        with open(os.path.join(folder, file_name(index)), "wb") as f:
            f.write(file_bytes(index, size, pool))
    shutil.copy(setup_exe, os.path.join(folder, "setup.exe"))
    with open(os.path.join(folder, "SETUP.INI"), "wb") as f:
        f.write(setup_script(len(sizes)))


@dataclass
class Check:
    missing: list = field(default_factory=list)
    wrong_size: list = field(default_factory=list)
    wrong_hash: list = field(default_factory=list)
    extra: list = field(default_factory=list)

    @property
    def ok(self):
        return not (self.missing or self.wrong_size or self.wrong_hash)

    def summary(self):
        if self.ok:
            return "ok" + (f" (plus {', '.join(self.extra[:5])})" if self.extra else "")
        parts = [f"{len(v)} {k.replace('_', ' ')} (first {v[0]})"
                 for k, v in (("missing", self.missing), ("wrong_size", self.wrong_size),
                              ("wrong_hash", self.wrong_hash)) if v]
        return "FAILED: " + "; ".join(parts)


def check_install(folder, sizes, hashes):
    """Every file there with its size; the sampled ones with the package's hash."""
    result = Check()
    for index, size in enumerate(sizes, start=1):
        path = os.path.join(folder, file_name(index))
        if not os.path.isfile(path):
            result.missing.append(file_name(index))
        elif os.path.getsize(path) != size:
            result.wrong_size.append(file_name(index))
    for index, digest in hashes.items():
        path = os.path.join(folder, file_name(index))
        if os.path.isfile(path) and file_hash(path) != digest:
            result.wrong_hash.append(file_name(index))
    names = {file_name(i) for i in range(1, len(sizes) + 1)}
    result.extra = sorted(set(os.listdir(folder)) - names) if os.path.isdir(folder) else []
    return result


# Reading the status window's polls --------------------------------------------------

@dataclass
class Poll:
    """One read of one control of the status window."""
    t0: float          # driver started
    t1: float          # driver ended; the text was read in between, mostly near the end
    control: str       # lblMessage, lblStatus ("40%(4/10)") or btnAbort
    text: str


def of(polls, control):
    return [p for p in polls if p.control == control]


@dataclass
class Seen:
    at: float          # estimate: halfway between the last poll without and the first with
    spread: float      # the time between those two polls


def first_seen(polls, holds, since):
    """When `holds(poll)` first became true; `since` stands for the poll before the first."""
    previous = since
    for poll in polls:
        if holds(poll):
            return Seen((previous + poll.t1) / 2, poll.t1 - previous)
        previous = poll.t1
    return None


def message_lines(text):
    return [line for line in text.replace("\r\n", "\n").split("\n") if line.strip()]


def step_key(line):
    """A step's line without the result word (完了, なし, ...) that its end appends."""
    cut = line.rfind("．．．")
    return line[:cut + 3] if cut >= 0 else line


def line_timeline(messages, since):
    """The lines still shown at the end, in order of appearance, each with when its step
    began (its line first showed) and ended (its result word first showed). Lines that
    came and went, such as the file being copied, are left out."""
    began, ended, previous = {}, {}, since
    for poll in messages:
        for line in message_lines(poll.text):
            seen = Seen((previous + poll.t1) / 2, poll.t1 - previous)
            began.setdefault(step_key(line), seen)
            ended.setdefault(line, seen)
        previous = poll.t1
    final = message_lines(messages[-1].text) if messages else []
    timeline = [(line, began[step_key(line)], ended[line]) for line in final]
    return sorted(timeline, key=lambda entry: entry[1].at)


@dataclass
class RunTimes:
    copy_step: float = None          # seconds, None when not seen
    copy_end: str = ""               # what ended the copy step
    copy_own: float = None           # the copy line's start to its result word
    whole_run: float = None          # less FIXED_PAUSES
    resolution: float = None         # median time between two reads of the message
    longest_read: tuple = None       # (seconds, seconds after start): the window answered that late
    timeline: list = field(default_factory=list)    # (began, ended: seconds after start, line)
    progress: list = field(default_factory=list)    # (seconds after start, files done, files in all)


def analyse(polls, started):
    """Copy step: the copy line's first appearance to the shortcut line's (or, should the
    run show none, the next step's line, else the completion). Whole run: start to the
    button turning into 次へ, less the run's fixed pauses."""
    times = RunTimes()
    messages = of(polls, "lblMessage")
    if len(messages) > 1:
        times.resolution = statistics.median(b.t1 - a.t1 for a, b in zip(messages, messages[1:]))
    if polls:
        slow = max(polls, key=lambda p: p.t1 - p.t0)
        times.longest_read = (round(slow.t1 - slow.t0, 3), round(slow.t0 - started, 3))
    timeline = line_timeline(messages, started)
    times.timeline = [(round(b.at - started, 3), round(e.at - started, 3), line) for line, b, e in timeline]
    done = first_seen(of(polls, "btnAbort"), lambda p: p.text == NEXT_CAPTION, started)
    if done:
        times.whole_run = done.at - started - FIXED_PAUSES
    copy_index = next((i for i, entry in enumerate(timeline) if COPY_LINE in entry[0]), None)
    if copy_index is not None:
        _, copy_began, copy_ended = timeline[copy_index]
        if copy_ended is not copy_began:
            times.copy_own = copy_ended.at - copy_began.at
        after = timeline[copy_index + 1:]
        end = next((entry for entry in after if SHORTCUT_LINE in entry[0]), after[0] if after else None)
        if end:
            times.copy_step, times.copy_end = end[1].at - copy_began.at, end[0]
        elif done:
            times.copy_step, times.copy_end = done.at - copy_began.at, NEXT_CAPTION
    last = None
    for poll in of(polls, "lblStatus"):
        m = PROGRESS.search(poll.text)
        if m and (int(m.group(2)), int(m.group(3))) != last:
            last = (int(m.group(2)), int(m.group(3)))
            times.progress.append((round(poll.t1 - started, 3), *last))
    return times


# Wine -------------------------------------------------------------------------------

class Driver:
    """The prefix's persistent UI driver (one Wine process answering over a pipe), each
    call timed: a Wine process per read would make the reads a tenth of a second apart."""

    def __init__(self, wine):
        self.wine = wine

    def call(self, *args, timeout=60):
        t0 = time.monotonic()
        code, out, _ = self.wine.ui.call(args, timeout)
        return code, out, t0, time.monotonic()

    def controls(self, cls):
        code, out, t0, t1 = self.call("dump", cls)
        if code != 0:
            return None, t0, t1
        found = {}
        for line in out.splitlines()[1:]:
            parts = line.split("|", 7)
            if len(parts) == 8:
                found[parts[0] or f"#{parts[2]}"] = (parts[4] == "1", _unescape(parts[7]))
        return found, t0, t1

    def top_classes(self):
        code, out, _, t1 = self.call("windows")
        return [line.split("|") for line in out.splitlines() if line] if code == 0 else [], t1

    def click(self, cls, control):
        return self.call("click", cls, control)


def bare_start_seconds(wine, runs=5):
    """What starting and ending a do-nothing Wine process costs here (copyloop on an empty list)."""
    empty = os.path.join(wine.unix(WORK), "empty.lst")
    open(empty, "wb").close()
    times = []
    for _ in range(runs):
        t0 = time.monotonic()
        wine.run(COPYLOOP, WORK + "\\empty.lst")
        times.append(time.monotonic() - t0)
    return statistics.median(times)


def run_copyloop(wine, count):
    lines = [f"{PACKAGE}\\{file_name(i)}|{LOOP_DIR}\\{file_name(i)}" for i in range(1, count + 1)]
    with open(os.path.join(wine.unix(WORK), "loop.lst"), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("ascii"))
    os.makedirs(wine.unix(LOOP_DIR), exist_ok=True)
    os.sync()
    res = wine.run(COPYLOOP, WORK + "\\loop.lst", timeout=1800)
    out = res.stdout.decode("cp932", "replace")
    figures = dict(line.split(" ", 1) for line in out.splitlines() if " " in line)
    if res.returncode != 0 or "elapsed_ms" not in figures:
        raise RuntimeError(f"copyloop failed ({res.returncode}): {out} {res.stderr.decode('cp932', 'replace')[:2000]}")
    return float(figures["elapsed_ms"]) / 1000


def ensure_makensis():
    if shutil.which("makensis"):
        return True
    print("makensis missing: apt-get install -y nsis", flush=True)
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    for attempt in (["apt-get", "install", "-y", "-qq", "nsis"], ["apt-get", "update", "-qq"],
                    ["apt-get", "install", "-y", "-qq", "nsis"]):
        subprocess.run(attempt, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if shutil.which("makensis"):
            return True
    return False


def build_nsis(wine):
    out = os.path.join(wine.unix(WORK), "nsisbench.exe")
    res = subprocess.run(["makensis", "-V2", f"-DPKGDIR={wine.unix(PACKAGE)}", f"-DOUTFILE={out}", NSIS_SCRIPT],
                         capture_output=True, text=True)
    if res.returncode != 0:
        raise RuntimeError(f"makensis failed: {res.stdout[-2000:]} {res.stderr[-2000:]}")
    return out


def run_nsis(wine, installer):
    os.sync()
    t0 = time.monotonic()
    res = wine.run(installer, "/S", timeout=1800)
    elapsed = time.monotonic() - t0
    if res.returncode != 0:
        raise RuntimeError(f"NSIS installer exited with {res.returncode}")
    return elapsed


class NotReady(Exception):
    pass


@dataclass
class SetupResult:
    times: RunTimes
    polls: list
    notes: list
    started: float
    first_file: float = None   # seconds after start the first file appeared
    files_span: float = None   # first file appeared to last file complete


def run_setup(wine, drv, setup_exe, sizes, quiet=False, run_timeout=900):
    """One install through the wizard. Quiet: only the button is read, twice a second,
    so that the reading itself costs the run next to nothing."""
    notes = []
    # The folder is there beforehand, so no folder question interrupts the timed run.
    os.makedirs(wine.unix(APP_DIR), exist_ok=True)
    os.sync()
    proc = wine.start(setup_exe)
    try:
        caption = walk_to_main_page(drv)
        if caption != START_CAPTION:
            raise NotReady(f"the main page did not come up (btnEvent reads {caption!r})")
        watch = FolderWatch(wine.unix(APP_DIR), file_name(1), file_name(len(sizes)), sizes[-1])
        watch.start()
        started = drv.click("TfrmMain", "btnEvent")[3]
        started, note = wait_for_status(drv, started)
        if note:
            notes.append(note)
        try:
            polls = poll_button(drv, run_timeout) if quiet else poll_status(drv, run_timeout)
        finally:
            watch.done.set()
            watch.join()
        times = analyse(polls, started)
        finish(drv, proc, notes)
        first = watch.first_at - started if watch.first_at is not None else None
        return SetupResult(times, polls, notes, started, first, watch.span)
    except BaseException:
        wine.screenshot("install-speed-stopped")
        if proc.poll() is None:
            wine.run("taskkill", "/f", "/im", "setup.exe")
            try:
                proc.wait(timeout=20)
            except subprocess.TimeoutExpired:
                proc.kill()
        raise


def until(fetch, holds, timeout):
    deadline = time.monotonic() + timeout
    while True:
        value = fetch()
        if holds(value) or time.monotonic() > deadline:
            return value
        time.sleep(0.05)


def button_text(drv, cls, name):
    controls = drv.controls(cls)[0] or {}
    return controls.get(name, (False, ""))[1]


def walk_to_main_page(drv):
    caption = until(lambda: button_text(drv, "TfrmMain", "btnEvent"), bool, 60)
    for _ in range(8):
        if caption == START_CAPTION or not caption:
            break
        drv.click("TfrmMain", "btnEvent")
        before = caption
        caption = until(lambda: button_text(drv, "TfrmMain", "btnEvent"), lambda c: c and c != before, 15)
        if caption == before:
            break
    return caption


def wait_for_status(drv, started, timeout=20):
    """Waits for the status window; answers Yes to the folder question should it come
    anyway, and then times the run from that answer instead."""
    note = None
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        tops, _ = drv.top_classes()
        classes = [t[0] for t in tops]
        if "TfrmStatus" in classes:
            return started, note
        if "#32770" in classes:
            box = next(t for t in tops if t[0] == "#32770")
            if box[1] != FOLDER_QUESTION:
                text = drv.call("text", "#32770", "65535")[1].strip()
                raise NotReady(f"message box {box[1]!r}: {text!r}")
            started = drv.click("#32770", "6")[3]
            note = "the folder question came although the folder existed; timed from the answer"
            deadline = time.monotonic() + timeout
        time.sleep(0.05)
    raise NotReady("pressing the start button brought no status window (is the install run there yet?)")


def poll_status(drv, timeout, stall=15, every=0.02):
    """Reads the status window every `every` seconds until its button turns into 次へ: the
    message and the button by turns, the progress every tenth turn. One control a read,
    since each text costs the window a round of its message loop. When the texts stand
    still for a while, looks for a message box stopping the run."""
    polls, last, changed = [], {}, time.monotonic()
    deadline = changed + timeout
    turn = 0
    while time.monotonic() < deadline:
        turn += 1
        for control in ("lblMessage", "btnAbort") + (("lblStatus",) if turn % 10 == 1 else ()):
            code, out, t0, t1 = drv.call("text", "TfrmStatus", control)
            if code != 0:
                raise NotReady("the status window went away before the run completed")
            text = _unescape(out.rstrip("\r\n"))
            polls.append(Poll(t0, t1, control, text))
            if last.get(control) != text:
                last[control], changed = text, t1
            if control == "btnAbort" and text == NEXT_CAPTION:
                return polls
        time.sleep(every)
        if time.monotonic() - changed > stall:
            tops, _ = drv.top_classes()
            box = next((t for t in tops if t[0] == "#32770"), None)
            if box:
                text = drv.call("text", "#32770", "65535")[1].strip()
                raise NotReady(f"the run stopped at a message box {box[1]!r}: {text!r}")
            changed = time.monotonic()
    raise NotReady(f"the run did not complete within {timeout} s")


def poll_button(drv, timeout, every=0.5):
    polls = []
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        code, out, t0, t1 = drv.call("text", "TfrmStatus", "btnAbort")
        if code != 0:
            raise NotReady("the status window went away before the run completed")
        polls.append(Poll(t0, t1, "btnAbort", _unescape(out.rstrip("\r\n"))))
        if polls[-1].text == NEXT_CAPTION:
            return polls
        time.sleep(every)
    raise NotReady(f"the run did not complete within {timeout} s")


class FolderWatch(threading.Thread):
    """Watches the install folder from the Linux side every 10 ms: when the first file of
    the list appeared and when the last one had its full size. Unlike the status window,
    this does not depend on the run handling its messages."""

    def __init__(self, folder, first, last, last_size):
        super().__init__(daemon=True)
        self.first, self.last, self.last_size = os.path.join(folder, first), os.path.join(folder, last), last_size
        self.first_at = self.last_at = None
        self.done = threading.Event()

    def run(self):
        while not self.done.is_set():
            now = time.monotonic()
            if self.first_at is None and os.path.exists(self.first):
                self.first_at = now
            if self.first_at is not None:
                try:
                    if os.path.getsize(self.last) == self.last_size:
                        self.last_at = now
                        return
                except OSError:
                    pass
            time.sleep(0.01)

    @property
    def span(self):
        return self.last_at - self.first_at if self.last_at is not None else None


def finish(drv, proc, notes):
    drv.click("TfrmStatus", "btnAbort")
    caption = until(lambda: button_text(drv, "TfrmMain", "btnEvent"), lambda c: c == FINISH_CAPTION, 30)
    if caption != FINISH_CAPTION:
        notes.append(f"final page button read {caption!r}")
        raise NotReady(f"no final page after the run (btnEvent reads {caption!r})")
    drv.click("TfrmMain", "btnEvent")
    try:
        proc.wait(timeout=60)
    except subprocess.TimeoutExpired:
        notes.append("setup.exe did not end within 60 s of the final button")
        raise NotReady("setup.exe did not end after the final page")


# The benchmark ----------------------------------------------------------------------

def machine():
    wine_version = subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    makensis = subprocess.run(["makensis", "-VERSION"], capture_output=True, text=True).stdout.strip() \
        if shutil.which("makensis") else "none"
    return {"nproc": os.cpu_count(), "wine": f"{wine_version}, 32-bit programs {i386_mode()}", "makensis": makensis,
            "kernel": os.uname().release, "date": datetime.datetime.now().astimezone().strftime("%Y-%m-%d %H:%M:%S %z")}


def progress_marks(progress):
    """When the first file and each quarter of the files were done: [(count, seconds)]."""
    if not progress:
        return []
    total = progress[-1][2]
    marks = []
    for goal in [1] + [total * q // 4 for q in (1, 2, 3, 4)]:
        at = next((t for t, n, _ in progress if n >= goal), None)
        if goal and at is not None and goal not in [m[0] for m in marks]:
            marks.append((goal, at))
    return marks


def make_newer(package, count, by=2 * 86400):
    """Every package file a little newer than what is installed, so that a reinstall replaces it."""
    for i in range(1, count + 1):
        path = os.path.join(package, file_name(i))
        stat = os.stat(path)
        os.utime(path, (stat.st_atime + by, stat.st_mtime + by))


def remove_installs(wine):
    for folder in (LOOP_DIR, NSIS_DIR, APP_DIR):
        shutil.rmtree(wine.unix(folder), ignore_errors=True)


def ratio(value, base):
    return f"{value / base:5.2f}" if value is not None and base else "  n/a"


def seconds(value):
    return f"{value:.2f}" if value is not None else "n/a"


COLUMNS = (("loop", "copyloop"), ("copy", "setup copy"), ("files", "setup files"), ("run", "setup run*"),
           ("quiet_files", "quiet files"), ("quiet_run", "quiet run*"), ("nsis", "NSIS"),
           ("reloop", "loop over"), ("recopy", "setup over"))
# The reinstall is compared with the loop that overwrites, everything else with the first loop.
RATIO_BASE = {"recopy": "reloop"}


def table_row(label, r):
    cells = [f"{label:>5}"]
    for n, (key, title) in enumerate(COLUMNS):
        cells.append(f"{seconds(r.get(key)):>{max(len(title), 7)}}")
        if n:
            cells.append(ratio(r.get(key), r.get(RATIO_BASE.get(key, "loop"))))
    return "  ".join(cells)


def table_head():
    return "  ".join(["round"] + [f"{title:>{max(len(title), 7)}}" + ("  ratio" if n else "")
                                  for n, (_, title) in enumerate(COLUMNS)])


def report(info, rounds, bare, setup_error):
    print()
    print(f"Install speed: {FILE_COUNT} files, {TOTAL_BYTES / 1e6:.0f} MB, seed {SEED}")
    print(f"machine: nproc {info['nproc']}, {info['wine']}, kernel {info['kernel']}, makensis {info['makensis']}")
    print(f"date: {info['date']}")
    print()
    print(table_head())
    for n, r in enumerate(rounds, 1):
        print(table_row(str(n), r))
    if len(rounds) > 1:
        print(table_row("med", {key: statistics.median(r[key] for r in rounds if r.get(key) is not None)
                                for key, _ in COLUMNS if any(r.get(key) is not None for r in rounds)}))
    print()
    print("Seconds; each ratio is to copyloop (setup over: to loop over). Targets: setup copy <= 1.0,")
    print("setup run <= 1.15, setup over <= 1.0.")
    print("copyloop    its own timer around the CopyFileA loop alone")
    print("setup copy  the copy step's line first shown to the shortcut step's line first shown")
    print("setup files the first file appearing in C:\\BenchApp to the last one complete (watched from Linux)")
    print("setup run*  pressing インストール開始 to the status button reading 次へ, less the run's fixed")
    print(f"            pauses of {FIXED_PAUSES:.1f} s (500 ms + 1000 ms at its start)")
    print("quiet files, quiet run*: the same from a second setup run whose window is not polled, only its")
    print("            button read twice a second: what the polling costs setup (run* good to 0.5 s)")
    print(f"NSIS        installer start to exit, its CRC check included (a bare Wine process start: {bare:.2f} s)")
    print("loop over   copyloop's timer again, each CopyFileA writing over the file of the first loop")
    print("setup over  the copy step of a reinstall that replaces every file (package files made newer)")
    for n, r in enumerate(rounds, 1):
        print(f"checks, round {n}: {r['checks']}")
    measured = [r for r in rounds if r.get("run") is not None]
    if measured:
        last = measured[-1]
        if last.get("resolution"):
            print(f"The UI driver read the status message every {last['resolution']:.2f} s (median): setup copy and")
            print("setup run are good to about that much, as long as the window answers its messages.")
        if last.get("longest_read"):
            print(f"The slowest read took {last['longest_read'][0]:.2f} s (begun {last['longest_read'][1]:.2f} s "
                  f"after start).")
        print(f"copy step ended at: {last['copy_end']}")
        if last.get("first_file") is not None:
            print(f"first file copied {last['first_file']:.2f} s after pressing start")
        print("status lines of the last run, seconds after pressing start (began / result word shown):")
        for began, ended, line in last["timeline"]:
            print(f"  {began:8.2f} {ended:8.2f}  {line}")
        marks = progress_marks(last["progress"])
        if marks:
            print("files done: " + ", ".join(f"{n} at {at:.2f} s" for n, at in marks))
        for note in last.get("notes", []):
            print(f"note: {note}")
    if setup_error:
        print(f"setup.exe: NOT MEASURED: {setup_error}")


def benchmark(args):
    t_begin = time.monotonic()
    if not os.path.isfile(COPYLOOP) or not os.path.isfile(args.setup):
        sys.exit("build first: cmake --preset mingw && cmake --build --preset mingw")
    have_nsis = ensure_makensis()
    info = machine()
    wine = Wine("bench-install-speed")
    keeper = None
    rounds, setup_error, failed_checks = [], None, False
    try:
        # Keep the prefix's system processes up between runs, detached from captured output.
        keeper = subprocess.Popen(["wine", DRIVER, "wait", "NoSuchWindowClass", "7200000"], env=wine.env,
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(2)
        sizes = size_plan()
        package = wine.unix(PACKAGE)
        print(f"writing the package ({FILE_COUNT} files, {sum(sizes) / 1e6:.0f} MB) ...", flush=True)
        os.makedirs(wine.unix(WORK), exist_ok=True)
        write_package(package, sizes, args.setup)
        hashes = {i: file_hash(os.path.join(package, file_name(i))) for i in hash_sample(sizes)}
        installer = None
        if have_nsis:
            print("building the NSIS installer ...", flush=True)
            installer = build_nsis(wine)
        bare = bare_start_seconds(wine)
        drv = Driver(wine)
        for n in range(1, args.rounds + 1):
            t_round = time.monotonic()
            remove_installs(wine)
            r = {"checks": []}
            print(f"round {n}: copyloop ...", flush=True)
            r["loop"] = run_copyloop(wine, FILE_COUNT)
            c = check_install(wine.unix(LOOP_DIR), sizes, hashes)
            r["checks"].append(f"loop {c.summary()}")
            failed_checks |= not c.ok
            if installer:
                print(f"round {n}: NSIS ...", flush=True)
                r["nsis"] = run_nsis(wine, installer)
                c = check_install(wine.unix(NSIS_DIR), sizes, hashes)
                r["checks"].append(f"nsis {c.summary()}")
                failed_checks |= not c.ok
            if setup_error is None:
                print(f"round {n}: setup.exe ...", flush=True)
                try:
                    res = run_setup(wine, drv, os.path.join(package, "setup.exe"), sizes)
                    r.update(copy=res.times.copy_step, copy_end=res.times.copy_end, copy_own=res.times.copy_own,
                             files=res.files_span, first_file=res.first_file, started=res.started,
                             longest_read=res.times.longest_read, run=res.times.whole_run,
                             resolution=res.times.resolution, timeline=res.times.timeline,
                             progress=res.times.progress, notes=res.notes,
                             polls=[asdict(p) for p in res.polls])
                    c = check_install(wine.unix(APP_DIR), sizes, hashes)
                    r["checks"].append(f"setup {c.summary()}")
                    failed_checks |= not c.ok
                except NotReady as e:
                    setup_error = str(e)
            if setup_error is None and args.quiet:
                print(f"round {n}: setup.exe, quiet ...", flush=True)
                shutil.rmtree(wine.unix(APP_DIR), ignore_errors=True)
                try:
                    res = run_setup(wine, drv, os.path.join(package, "setup.exe"), sizes, quiet=True)
                    r.update(quiet_files=res.files_span, quiet_run=res.times.whole_run)
                    c = check_install(wine.unix(APP_DIR), sizes, hashes)
                    r["checks"].append(f"quiet setup {c.summary()}")
                    failed_checks |= not c.ok
                except NotReady as e:
                    setup_error = f"quiet pass: {e}"
            if setup_error is None:
                print(f"round {n}: reinstall, copyloop and setup.exe over their own files ...", flush=True)
                r["reloop"] = run_copyloop(wine, FILE_COUNT)
                make_newer(package, len(sizes))
                try:
                    res = run_setup(wine, drv, os.path.join(package, "setup.exe"), sizes)
                    r["recopy"] = res.times.copy_step
                    c = check_install(wine.unix(APP_DIR), sizes, hashes)
                    r["checks"].append(f"reinstall {c.summary()}")
                    failed_checks |= not c.ok
                except NotReady as e:
                    setup_error = f"reinstall: {e}"
            r["checks"] = "; ".join(r["checks"])
            rounds.append(r)
            spent, per_round = time.monotonic() - t_begin, time.monotonic() - t_round
            if spent + per_round > args.budget:
                break
    finally:
        if keeper:
            keeper.kill()
        if args.keep:
            wine.stop()
            print(f"prefix kept: {os.path.relpath(wine.prefix)}")
        else:
            wine.close()
    report(info, rounds, bare if rounds else 0.0, setup_error)
    os.makedirs(ARTIFACTS, exist_ok=True)
    with open(os.path.join(ARTIFACTS, "install_speed.json"), "w") as f:
        json.dump({"machine": info, "files": FILE_COUNT, "bytes": TOTAL_BYTES, "seed": SEED,
                   "bare_start": bare, "rounds": rounds, "setup_error": setup_error}, f, ensure_ascii=False, indent=1)
    if failed_checks:
        print("an install does not match the package: see the checks above")
        return 1
    return 3 if setup_error else 0


# Self-test --------------------------------------------------------------------------

class PackageTest(unittest.TestCase):
    def test_sizes_are_reproducible_exact_and_mixed(self):
        sizes = size_plan()
        self.assertEqual(sizes, size_plan())
        self.assertNotEqual(sizes, size_plan(seed=SEED + 1))
        self.assertEqual((len(sizes), sum(sizes)), (FILE_COUNT, TOTAL_BYTES))
        self.assertTrue(all(s >= 0 for s in sizes))
        small = sum(s < 64 * 1024 for s in sizes)
        self.assertGreater(small, 0.9 * FILE_COUNT)              # mostly small files ...
        self.assertGreater(sum(s >= 1 << 20 for s in sizes), 5)  # ... and a few large ones
        self.assertLess(max(sizes), TOTAL_BYTES // 10)           # none that is the whole package

    def test_total_exact_when_rounding_leaves_most(self):
        sizes = size_plan(count=7, total=10)
        self.assertEqual(sum(sizes), 10)
        self.assertTrue(all(s >= 0 for s in sizes))

    def test_file_contents_differ_and_fit_their_size(self):
        pool = content_pool(size=4096)
        for size in (0, 3, 11, 4096, 10_000):               # shorter than the name, pool-sized, wrapping
            self.assertEqual(len(file_bytes(7, size, pool)), size)
        self.assertTrue(file_bytes(7, 100, pool).startswith(b"F00007.DAT\n"))
        self.assertNotEqual(file_bytes(7, 100, pool)[11:], file_bytes(8, 100, pool)[11:])
        self.assertEqual(file_bytes(7, 10_000, pool), file_bytes(7, 10_000, pool))

    def test_setup_script_is_shift_jis_with_cr_lf(self):
        data = setup_script(count=3)
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""))
        text = data.decode("cp932")
        self.assertIn("[Extend]\r\nSetupSpeed=1\r\n", text)
        self.assertIn("[DefaultFolder]\r\nFolder=C:\\BenchApp\\\r\n", text)
        self.assertTrue(text.endswith("[CopyFile]\r\nFile1=(App)F00001.DAT\r\nFile2=(App)F00002.DAT\r\n"
                                      "File3=(App)F00003.DAT\r\n"))

    def test_hash_sample_holds_both_ends(self):
        sizes = size_plan()
        sample = hash_sample(sizes)
        self.assertEqual(len(sample), SAMPLE_HASHES)
        self.assertIn(sizes.index(min(sizes)) + 1, sample)
        self.assertIn(sizes.index(max(sizes)) + 1, sample)

    def test_check_finds_missing_short_and_altered_files(self):
        import tempfile
        sizes = [5, 0, 20, 8]
        pool = content_pool(size=64)
        with tempfile.TemporaryDirectory() as d:
            for i, s in enumerate(sizes, 1):
                with open(os.path.join(d, file_name(i)), "wb") as f:
                    f.write(file_bytes(i, s, pool))
            hashes = {i: file_hash(os.path.join(d, file_name(i))) for i in (1, 3)}
            self.assertTrue(check_install(d, sizes, hashes).ok)
            os.remove(os.path.join(d, file_name(2)))
            with open(os.path.join(d, file_name(3)), "r+b") as f:
                f.write(b"X")                                   # same size, other bytes
            with open(os.path.join(d, file_name(4)), "ab") as f:
                f.write(b"!")
            open(os.path.join(d, "UNSETUP.INI"), "w").close()
            c = check_install(d, sizes, hashes)
            self.assertEqual((c.missing, c.wrong_size, c.wrong_hash, c.extra),
                             (["F00002.DAT"], ["F00004.DAT"], ["F00003.DAT"], ["UNSETUP.INI"]))
            self.assertFalse(c.ok)


def polls_of(*states, start=10.0, step=0.2):
    """Rounds of reads one `step` apart: each state is (message lines, progress, button)."""
    polls = []
    for i, (lines, progress, button) in enumerate(states):
        t0, t1 = start + i * step, start + (i + 1) * step
        polls += [Poll(t0, t1, "lblMessage", "\r\n".join(lines)), Poll(t0, t1, "lblStatus", progress),
                  Poll(t0, t1, "btnAbort", button)]
    return polls


class AnalyseTest(unittest.TestCase):
    INFO = "インストールの情報を作成しています．．．"
    REG = "レジストリキーを作成しています．．．"

    def test_run_with_replaced_and_transient_lines(self):
        # As the run shows it: a first line that is replaced, the file under way shown
        # below the copy line and replaced by the next steps, result words appended.
        busy = "中止(&A)"
        steps = [self.INFO + "完了", COPY_LINE]
        polls = polls_of((["インストールを開始します．．．"], "0%(0/0)", busy),
                         (steps + ["【コピー元】F00001.DAT", "【コピー先】C:\\B\\F00001.DAT"], "25%(1/4)", busy),
                         (steps + ["【コピー元】F00003.DAT", "【コピー先】C:\\B\\F00003.DAT"], "50%(2/4)", busy),
                         ([self.INFO + "完了", COPY_LINE + "完了"], "100%(4/4)", busy),
                         ([self.INFO + "完了", COPY_LINE + "完了", SHORTCUT_LINE + "なし", self.REG], "100%(4/4)",
                          busy),
                         ([self.INFO + "完了", COPY_LINE + "完了", SHORTCUT_LINE + "なし", self.REG + "完了", "",
                           "【処理完了】"], "100%(4/4)", NEXT_CAPTION))
        t = analyse(polls, started=10.0)
        self.assertEqual([line for _, _, line in t.timeline],
                         [self.INFO + "完了", COPY_LINE + "完了", SHORTCUT_LINE + "なし", self.REG + "完了", "【処理完了】"])
        self.assertAlmostEqual(t.copy_step, 10.9 - 10.3)     # copy line at 10.3, shortcut line at 10.9
        self.assertEqual(t.copy_end, SHORTCUT_LINE + "なし")
        self.assertAlmostEqual(t.copy_own, 10.7 - 10.3)      # the copy line's result word at 10.7
        self.assertAlmostEqual(t.timeline[3][0], 0.9)        # the registry step began ...
        self.assertAlmostEqual(t.timeline[3][1], 1.1)        # ... and ended
        self.assertAlmostEqual(t.whole_run, 11.1 - 10.0 - FIXED_PAUSES)
        self.assertAlmostEqual(t.resolution, 0.2)
        self.assertEqual([(n, total) for _, n, total in t.progress], [(0, 0), (1, 4), (2, 4), (4, 4)])

    def test_a_slow_read_is_reported_and_widens_only_its_own_event(self):
        # The window answered one read 30 s late: the step seen then is placed halfway,
        # while the reads around it keep their own precision.
        polls = [Poll(10.0, 10.2, "lblMessage", self.INFO),
                 Poll(10.2, 10.4, "btnAbort", ""),
                 Poll(10.4, 40.4, "lblMessage", "\r\n".join([self.INFO + "完了", COPY_LINE])),
                 Poll(40.4, 40.6, "btnAbort", ""),
                 Poll(40.6, 40.8, "lblMessage", "\r\n".join([self.INFO + "完了", COPY_LINE + "完了", SHORTCUT_LINE])),
                 Poll(40.8, 41.0, "btnAbort", NEXT_CAPTION)]
        t = analyse(polls, started=10.0)
        self.assertEqual(t.longest_read, (30.0, 0.4))
        self.assertAlmostEqual(t.copy_step, (40.4 + 40.8) / 2 - (10.2 + 40.4) / 2)
        self.assertAlmostEqual(t.whole_run, (40.6 + 41.0) / 2 - 10.0 - FIXED_PAUSES)

    def test_lines_seen_together_give_zero_and_first_poll_counts_from_start(self):
        t = analyse(polls_of(([COPY_LINE, SHORTCUT_LINE], "", NEXT_CAPTION)), started=9.0)
        self.assertEqual(t.copy_step, 0.0)
        self.assertIsNone(t.copy_own)                        # no result word seen
        self.assertAlmostEqual(t.timeline[0][0], (9.0 + 10.2) / 2 - 9.0)
        self.assertIsNone(t.resolution)

    def test_without_shortcut_line_the_next_line_or_completion_ends_the_copy(self):
        t = analyse(polls_of(([COPY_LINE], "", ""), ([COPY_LINE, self.REG], "", "")), started=10.0)
        self.assertEqual((round(t.copy_step, 3), t.copy_end), (0.2, self.REG))
        self.assertIsNone(t.whole_run)
        t = analyse(polls_of(([COPY_LINE], "", ""), ([COPY_LINE], "", NEXT_CAPTION)), started=10.0)
        self.assertEqual((round(t.copy_step, 3), t.copy_end), (0.2, NEXT_CAPTION))

    def test_no_copy_line_no_copy_step(self):
        t = analyse(polls_of(([self.INFO], "", NEXT_CAPTION)), started=10.0)
        self.assertIsNone(t.copy_step)
        self.assertIsNotNone(t.whole_run)
        self.assertEqual(analyse([], started=10.0).timeline, [])

    def test_progress_marks(self):
        self.assertEqual(progress_marks([(1.0, 1, 4), (2.0, 2, 4), (3.0, 4, 4)]),
                         [(1, 1.0), (2, 2.0), (3, 3.0), (4, 3.0)])
        self.assertEqual(progress_marks([(0.5, 0, 0)]), [])   # a run with nothing to copy
        self.assertEqual(progress_marks([]), [])


class FakeDriver:
    """Stands in for the UI driver: the windows on screen and the controls' texts as a
    test lays them out; a text given as a list is served one item a read, the last kept."""

    def __init__(self, windows, texts=None, on_click=None):
        self.windows, self.texts, self.on_click = windows, dict(texts or {}), on_click
        self.clicks, self.clock = [], 100.0

    def call(self, command, cls="", control=""):
        self.clock += 0.1
        if command != "text" or cls not in (w[0] for w in self.windows):
            return 1, "", self.clock - 0.1, self.clock
        value = self.texts.get((cls, control), "")
        if isinstance(value, list):
            value = value.pop(0) if len(value) > 1 else value[0]
        return 0, value.replace("\r\n", "\\n") + "\r\n", self.clock - 0.1, self.clock

    def top_classes(self):
        return [list(w) for w in self.windows], self.clock

    def click(self, cls, control):
        self.clicks.append((cls, control))
        if self.on_click:
            self.on_click(self, cls, control)
        return self.call("click")


class DrivingTest(unittest.TestCase):
    def test_folder_question_is_answered_yes_and_the_run_timed_from_the_answer(self):
        def answered(drv, cls, control):
            drv.windows = [("TfrmStatus", "進行状況")]
        drv = FakeDriver([("#32770", FOLDER_QUESTION)], on_click=answered)
        started, note = wait_for_status(drv, 50.0)
        self.assertEqual(drv.clicks, [("#32770", "6")])
        self.assertEqual(started, drv.clock)
        self.assertIn("timed from the answer", note)

    def test_any_other_box_stops_the_measurement_with_its_text(self):
        drv = FakeDriver([("#32770", "エラー")], {("#32770", "65535"): "書き込めません"})
        with self.assertRaisesRegex(NotReady, "エラー.*書き込めません"):
            wait_for_status(drv, 50.0)
        self.assertEqual(drv.clicks, [])

    def test_no_status_window_means_the_run_is_not_there(self):
        with self.assertRaisesRegex(NotReady, "no status window"):
            wait_for_status(FakeDriver([("TfrmMain", "")]), 50.0, timeout=0.3)

    def test_polling_reads_until_next_and_unescapes_line_breaks(self):
        drv = FakeDriver([("TfrmStatus", "")], {
            ("TfrmStatus", "lblMessage"): ["a．．．", "a．．．完了\r\nb．．．"],
            ("TfrmStatus", "btnAbort"): ["中断(&A)", "中断(&A)", NEXT_CAPTION],
            ("TfrmStatus", "lblStatus"): "100%(4/4)"})
        polls = poll_status(drv, timeout=5, every=0)
        self.assertEqual(polls[-1], Poll(polls[-1].t0, polls[-1].t1, "btnAbort", NEXT_CAPTION))
        self.assertEqual(of(polls, "lblMessage")[-1].text, "a．．．完了\r\nb．．．")
        self.assertEqual(len(of(polls, "lblStatus")), 1)   # every tenth turn

    def test_a_run_stuck_at_a_message_box_is_reported_not_waited_out(self):
        drv = FakeDriver([("TfrmStatus", ""), ("#32770", "上書き確認")],
                         {("TfrmStatus", "btnAbort"): "中断(&A)", ("#32770", "65535"): "上書きしてもよろしいですか？"})
        with self.assertRaisesRegex(NotReady, "上書き確認.*上書きしてもよろしいですか"):
            poll_status(drv, timeout=5, stall=0.2, every=0)

    def test_status_window_gone_before_completion(self):
        with self.assertRaisesRegex(NotReady, "went away"):
            poll_status(FakeDriver([("TfrmMain", "")]), timeout=5, every=0)
        with self.assertRaisesRegex(NotReady, "went away"):
            poll_button(FakeDriver([]), timeout=5)


class FolderWatchTest(unittest.TestCase):
    def test_span_runs_from_the_first_file_to_the_last_one_complete(self):
        import tempfile
        with tempfile.TemporaryDirectory() as d:
            watch = FolderWatch(d, "F00001.DAT", "F00003.DAT", 10)
            watch.start()
            time.sleep(0.1)
            open(os.path.join(d, "F00001.DAT"), "wb").close()
            time.sleep(0.2)
            with open(os.path.join(d, "F00003.DAT"), "wb") as f:
                f.write(b"12345")                            # still being written
                f.flush()
                time.sleep(0.2)
                self.assertIsNone(watch.span)
                f.write(b"67890")
            watch.join(2)
            self.assertGreaterEqual(watch.span, 0.35)
            self.assertLess(watch.span, 1.0)

    def test_a_last_file_that_never_completes_gives_no_span(self):
        import tempfile
        with tempfile.TemporaryDirectory() as d:
            watch = FolderWatch(d, "F00001.DAT", "F00002.DAT", 10)
            watch.start()
            for name in ("F00001.DAT", "F00002.DAT"):
                with open(os.path.join(d, name), "wb") as f:
                    f.write(b"short")
            time.sleep(0.1)
            watch.done.set()
            watch.join(2)
            self.assertIsNotNone(watch.first_at)
            self.assertIsNone(watch.span)


@unittest.skipUnless(os.path.isfile(COPYLOOP), "copyloop not built")
class CopyLoopTest(unittest.TestCase):
    """copyloop under Wine: the counts add up whatever the list holds."""

    @classmethod
    def setUpClass(cls):
        cls.wine = Wine("bench-install-speed-selftest")
        os.makedirs(cls.wine.unix("C:\\src"))
        os.makedirs(cls.wine.unix("C:\\dst"))
        for name, data in (("a.bin", b"alpha"), ("b.bin", b""), ("c.bin", bytes(range(256)) * 300)):
            with open(cls.wine.unix(f"C:\\src\\{name}"), "wb") as f:
                f.write(data)

    @classmethod
    def tearDownClass(cls):
        cls.wine.close()

    def loop(self, text):
        with open(self.wine.unix("C:\\list.txt"), "wb") as f:
            f.write(text)
        res = self.wine.run(COPYLOOP, "C:\\list.txt")
        figures = dict(line.split(" ", 1) for line in res.stdout.decode().splitlines())
        return res.returncode, int(figures["copied"]), int(figures["failed"]), float(figures["elapsed_ms"])

    def test_copies_each_pair_with_lf_or_cr_lf_and_no_final_line_end(self):
        code, copied, failed, ms = self.loop(b"C:\\src\\a.bin|C:\\dst\\a.bin\r\n\r\n"
                                             b"C:\\src\\b.bin|C:\\dst\\b.bin\nC:\\src\\c.bin|C:\\dst\\c.bin")
        self.assertEqual((code, copied, failed), (0, 3, 0))
        self.assertGreaterEqual(ms, 0)
        for name in ("a.bin", "b.bin", "c.bin"):
            with open(self.wine.unix(f"C:\\src\\{name}"), "rb") as a, open(self.wine.unix(f"C:\\dst\\{name}"), "rb") as b:
                self.assertEqual(a.read(), b.read())

    def test_failures_and_malformed_lines_count_and_set_the_exit_code(self):
        code, copied, failed, _ = self.loop(b"C:\\src\\a.bin|C:\\dst\\a2.bin\r\nC:\\src\\none.bin|C:\\dst\\x.bin\r\n"
                                            b"no bar here\r\n|C:\\dst\\y.bin\r\nC:\\src\\a.bin|\r\n"
                                            b"C:\\src\\a.bin|C:\\nofolder\\a.bin\r\n")
        self.assertEqual((code, copied, failed), (1, 1, 5))
        self.assertFalse(os.path.exists(self.wine.unix("C:\\nofolder")))  # creates no folders

    def test_missing_list_is_a_usage_error(self):
        self.assertEqual(self.wine.run(COPYLOOP, "C:\\no-such-list.txt").returncode, 2)
        self.assertEqual(self.wine.run(COPYLOOP).returncode, 2)


def run_bench(parser, benchmark, module):
    """A bench's command line: --self-test runs the module's own tests, else benchmark(args)
    runs and its result is the exit code."""
    parser.add_argument("--self-test", action="store_true", help="test the benchmark's own parts")
    args = parser.parse_args()
    if args.self_test:
        sys.argv = sys.argv[:1]
        unittest.main(module=module, verbosity=2)
    sys.exit(benchmark(args))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--rounds", type=int, default=3, help="rounds at most (default 3)")
    parser.add_argument("--budget", type=float, default=900,
                        help="no new round when it would end past this many seconds (default 900)")
    parser.add_argument("--setup", default=os.path.join(BUILD, "setup.exe"),
                        help="the setup.exe to measure (default: the one in the build folder)")
    parser.add_argument("--no-quiet", dest="quiet", action="store_false",
                        help="skip the second, unpolled setup run of each round")
    parser.add_argument("--keep", action="store_true", help="keep the Wine prefix afterwards")
    run_bench(parser, benchmark, __name__)


if __name__ == "__main__":
    main()
