"""Helpers for end-to-end scenarios: the real programs under Wine on an Xvfb display,
driven from outside through tools/win/uidriver, each scenario in its own prefix."""
import fcntl
import glob
import hashlib
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import time
import unittest
from collections import Counter
from dataclasses import dataclass

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("KELVO_BUILD", os.path.join(REPO, "build", "mingw"))
WINE_ROOT = os.environ.get("KELVO_WINE_ROOT", os.path.join(REPO, "build", "wine"))
ARTIFACTS = os.environ.get("KELVO_ARTIFACTS", os.path.join(REPO, "build", "artifacts"))
ENV_SH = os.path.join(REPO, "tools", "wine", "env.sh")
DRIVER = os.path.join(BUILD, "tools", "win", "uidriver", "uidriver.exe")
# How much of a program's stderr a failure message quotes.
STDERR_TAIL = 2000
JAPANESE = "ja_JP.UTF-8"  # the locale of code page 932, every scenario's unless it says otherwise


def _bash(script, env=None):
    cmd = f'source "{ENV_SH}"; {script}'
    return subprocess.run(["bash", "-c", cmd], env=env, check=True, capture_output=True, text=True)


def i386_mode():
    """How Wine's 32-bit programs run on this machine: "native" or "emulated (qemu-i386 ...)"."""
    res = subprocess.run([os.path.join(REPO, "tools", "i386.sh"), "mode"], capture_output=True, text=True)
    return res.stdout.strip()


def file_hash(path):
    """A file's content hash, read a megabyte at a time."""
    digest = hashlib.sha1()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


_hashes = {}  # (inode, size, times) -> hash: the base prefix's 600 MB are read once per process


def settled_file_hash(path):
    """file_hash of a file that nothing is writing (a prefix whose programs have all ended),
    not read again while it stays the same file with the same size and times."""
    st = os.stat(path)
    key = (st.st_ino, st.st_size, st.st_mtime_ns, st.st_ctime_ns)
    if key not in _hashes:
        _hashes[key] = file_hash(path)
    return _hashes[key]

# The wineserver of a prefix -----------------------------------------------------------
def _server_dirs(prefix, env):
    """The folders where a prefix's wineserver keeps its lock and socket. Wine names the folder
    after the prefix's device and inode, below /tmp/.wine-UID or, with Debian's Wine, below the
    user's runtime folder or a random temporary folder that the prefix's file "wineserver" records."""
    try:
        st = os.stat(prefix)
    except FileNotFoundError:
        return []
    name = f"server-{st.st_dev:x}-{st.st_ino:x}"
    tmp = env.get("TMPDIR") or "/tmp"
    uid = os.getuid()
    roots = [f"/tmp/.wine-{uid}", f"/run/user/{uid}/wine", *glob.glob(os.path.join(tmp, "wine-*"))]
    try:
        with open(os.path.join(prefix, "wineserver")) as f:
            roots.append(os.path.join(tmp, f.read().strip()))
    except OSError:
        pass
    return sorted({os.path.join(r, name) for r in roots if os.path.isdir(os.path.join(r, name))})


def _lock_holder(lock):
    """The process that holds the server lock (0 when it is not ours to see), or None. The
    server holds it from its start until its process is gone; wineserver -k asks the same."""
    try:
        fd = os.open(lock, os.O_RDONLY)
    except OSError:
        return None
    try:
        probe = struct.pack("hhqqi4x", fcntl.F_WRLCK, os.SEEK_SET, 0, 0, 0)
        kind, _, _, _, pid = struct.unpack("hhqqi4x", fcntl.fcntl(fd, fcntl.F_GETLK, probe))
        return None if kind == fcntl.F_UNLCK else pid
    finally:
        os.close(fd)


def _server_processes(prefix):
    """wineserver processes that hold the prefix open: found wherever their folder is."""
    prefix = os.path.realpath(prefix)
    found = set()
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            if not os.path.basename(os.readlink(f"/proc/{pid}/exe")).startswith("wineserver"):
                continue
            fds = os.listdir(f"/proc/{pid}/fd")
        except OSError:
            continue
        for fd in fds:
            try:
                if os.readlink(f"/proc/{pid}/fd/{fd}") == prefix:
                    found.add(int(pid))
                    break
            except OSError:
                pass
    return found


def server_pids(prefix, env=os.environ):
    """The live wineserver of a prefix, as a set of process ids (empty once it is gone; 0
    stands for a lock holder whose id cannot be seen)."""
    pids = _server_processes(prefix)
    for folder in _server_dirs(prefix, env):
        holder = _lock_holder(os.path.join(folder, "lock"))
        if holder is not None:
            pids.add(holder)
    return pids


_display = None


def ensure_display():
    """One Xvfb display for the whole run, unless DISPLAY already works."""
    global _display
    if _display:
        return _display
    disp = os.environ.get("DISPLAY")
    if disp and subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0:
        _display = disp
        return disp
    _display, proc = start_xvfb(range(91, 121))
    import atexit
    atexit.register(proc.terminate)
    os.environ["DISPLAY"] = _display
    return _display


def start_xvfb(numbers):
    """A new Xvfb display on the first free one of the numbers: (name, process)."""
    for n in numbers:
        if os.path.exists(f"/tmp/.X11-unix/X{n}") or os.path.exists(f"/tmp/.X{n}-lock"):
            continue
        proc = subprocess.Popen(["Xvfb", f":{n}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(50):
            if proc.poll() is not None:
                break
            if subprocess.run(["xdpyinfo", "-display", f":{n}"], capture_output=True).returncode == 0:
                return f":{n}", proc
            time.sleep(0.1)
        proc.terminate()
    raise RuntimeError("no Xvfb display could be started")


@dataclass
class Control:
    name: str
    cls: str
    id: int
    visible: bool
    enabled: bool
    checked: bool
    rect: tuple
    text: str


def _unescape(text):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\" and i + 1 < len(text):
            out.append("\r\n" if text[i + 1] == "n" else text[i + 1])
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


class DriverEnded(Exception):
    """The UI driver's process ended before it answered a command."""


class UiDriver:
    """One uidriver process per prefix, answering commands over a pipe. A Wine process
    start costs about 0.1 s natively and 0.7 s when i386 code is emulated, and a scenario
    sends hundreds of commands."""

    def __init__(self, launch):
        self.launch = launch  # starts a Wine process of the prefix, keeping its stderr
        self.proc = None
        self.ended = None  # the last driver that ended on its own, for failure reports

    def running(self):
        return self.proc is not None and self.proc.poll() is None

    def call(self, args, timeout):
        """(exit code, output, failure) of one command; TimeoutExpired when it takes too long."""
        if not self.running():
            self.close()
            self.proc = self.launch(DRIVER, ["serve"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        line = " ".join(arg.encode("cp932").hex() for arg in args) + "\n"
        self.proc.stdin.write(line.encode("ascii"))
        self.proc.stdin.flush()
        answer = b""
        deadline = time.time() + timeout
        # Wine's services may inherit the pipe when the driver starts the prefix, so the
        # driver's end shows as its process ending, not as the end of the pipe.
        while not (answer.startswith(b"\x1e") or b"\n\x1e" in answer) or not answer.endswith(b"\n"):
            if self.proc.poll() is not None:
                self.ended = self.proc
                self.close()
                raise DriverEnded(args)
            if time.time() > deadline:
                self.close()
                raise subprocess.TimeoutExpired(["uidriver", *args], timeout)
            if select.select([self.proc.stdout], [], [], 0.1)[0]:
                answer += os.read(self.proc.stdout.fileno(), 65536)
        out, _, status = answer.rpartition(b"\x1e")
        code, _, failure = status.decode("cp932", "replace").rstrip("\r\n").partition(" ")
        return int(code), out.decode("cp932", "replace"), failure

    def close(self):
        if self.proc is None:
            return
        try:
            self.proc.stdin.close()
        except OSError:
            pass  # the driver is gone already
        try:
            self.proc.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.proc.kill()
            self.proc.wait()
        self.proc.stdout.close()
        self.proc = None


class ExitCode(int):
    """A program's exit code from Wine.run, carrying the end of the program's stderr; a
    WineTestCase's assertEqual on it quotes that when it fails."""

    def __new__(cls, code, program, stderr):
        self = super().__new__(cls, code)
        self.detail = f"{program} exit code {code}, stderr: {_tail(stderr) or '(empty)'}"
        return self


def _tail(data):
    return data[-STDERR_TAIL:].decode("utf-8", "replace").strip()


def _program(exe):
    """The file name of a program given by a Unix or a Windows path."""
    return re.split(r"[\\/]", exe)[-1]


class Wine:
    """A fresh prefix emulating one Windows version, and the processes started in it.

    From the first program until stop() or idle(), the UI driver stays connected, so the
    prefix's wineserver never ends under a program. A server whose last client has gone ends
    about 2 s later natively, and a program that connects just as it goes down dies with
    "recvmsg: Connection reset by peer". A program that follows another on the same server
    also starts in 0.1 s instead of 3 s (waiting for the old server, then a new one and the
    prefix's services)."""

    def __init__(self, name, version="winxp", locale=None, arch="win32"):
        """arch "win64": a 64-bit prefix, where the 32-bit programs are redirected as on 64-bit Windows."""
        self.name = name
        self.arch = arch
        self.prefix = os.path.join(WINE_ROOT, "scenarios", name)
        # The Unix locale sets the system's ANSI code page (ja_JP 932, en_US 1252, zh_CN 936);
        # the prefix is made for it and every process of the prefix runs in it.
        self.locale = locale or JAPANESE
        self.env = dict(os.environ)
        self.env.update({
            "WINEARCH": "win32", "WINEPREFIX": self.prefix, "LC_ALL": self.locale, "LANG": self.locale,
            "KELVO_LOCALE": self.locale,
            "WINEDEBUG": "-all", "HOME": os.path.join(WINE_ROOT, "home"),
            "WINEDLLOVERRIDES": "winemenubuilder.exe=d;winedbg.exe=d;mscoree=d;mshtml=d",
            "DISPLAY": ensure_display(), "KELVO_WINE_ROOT": WINE_ROOT,
        })
        self.env["WINEARCH"] = self.env["KELVO_ARCH"] = arch
        self.processes = []
        self._starts = Counter()
        self.ui = UiDriver(self._launch)
        # Seconds one driver command may wait for a busy program before the scenario fails.
        self.command_limit = 120
        _bash(f'kelvo_new_prefix "{self.prefix}" {version}', env=self.env)

    # Paths -----------------------------------------------------------------
    @property
    def c_drive(self):
        return os.path.join(self.prefix, "drive_c")

    def unix(self, windows_path):
        """C:\\a\\b -> the file in this prefix's drive_c."""
        assert windows_path[:3].upper() == "C:\\", windows_path
        return os.path.join(self.c_drive, *windows_path[3:].split("\\"))

    @property
    def temp(self):
        """The user's temporary folder as Wine sets it up."""
        users = os.path.join(self.c_drive, "users")
        user = os.environ.get("USER") or os.listdir(users)[0]
        for candidate in (os.path.join(users, user, "Temp"), os.path.join(users, user, "AppData", "Local", "Temp")):
            if os.path.isdir(candidate):
                return candidate
        return os.path.join(users, user, "Temp")

    # Processes -------------------------------------------------------------
    def _launch(self, exe, args, cwd=None, **popen):
        """Starts a Wine process with its stderr in ARTIFACTS, named after the scenario, the
        program and its count (Name-Tovra.exe-2.stderr), for failure messages and for later."""
        program = _program(exe)
        self._starts[program] += 1
        os.makedirs(ARTIFACTS, exist_ok=True)
        path = os.path.join(ARTIFACTS, f"{self.name}-{program}-{self._starts[program]}.stderr")
        with open(path, "wb") as err:
            proc = subprocess.Popen(["wine", exe, *args], env=self.env, cwd=cwd, stderr=err, **popen)
        proc.kelvo_label = f"{program} #{self._starts[program]}"
        proc.kelvo_stderr = path
        return proc

    def _keep_server(self):
        """Makes sure the UI driver holds the prefix's server up before a program starts."""
        if self.ui.running():
            return
        if not any(proc.poll() is None for proc in self.processes):
            # The driver ended without stop() or idle() and no program of ours is left: the
            # server may be going down. A child of a program may keep it up, so wait only so long.
            self.await_server_end(30, check=False)
        self._call(("foreground",), 120)

    def _call(self, args, timeout):
        began = time.monotonic()
        try:
            return self.ui.call(args, timeout)
        except DriverEnded:
            raise AssertionError(self._report(f"uidriver {' '.join(args)}: the driver ended")) from None
        except subprocess.TimeoutExpired:
            raise AssertionError(self._report(f"uidriver {' '.join(args)}: no answer in {timeout} s")) from None
        finally:
            # A command waits for a busy program: slow answers are worth a line in the log.
            if time.monotonic() - began > 20:
                print(f"{self.name}: uidriver {args[0]} answered after {time.monotonic() - began:.0f} s",
                      file=sys.stderr)

    def ended(self):
        """A line for each program of the prefix that has ended: exit code and stderr's end."""
        lines = []
        for proc in [*self.processes, *([self.ui.ended] if self.ui.ended else [])]:
            if proc.poll() is None:
                continue
            label = getattr(proc, "kelvo_label", " ".join(map(str, proc.args)))
            path = getattr(proc, "kelvo_stderr", None)
            tail = "(not kept)"
            if path:
                with open(path, "rb") as f:
                    tail = _tail(f.read()) or "(empty)"
            lines.append(f"{label} ended with exit code {proc.returncode}; stderr: {tail}")
        return lines

    def _report(self, message):
        ended = self.ended()
        return message + ("\nended in this prefix:\n  " + "\n  ".join(ended) if ended else "")

    def start(self, exe, *args, cwd=None):
        self._keep_server()
        proc = self._launch(exe, args, cwd=cwd or os.path.dirname(exe), stdout=subprocess.DEVNULL)
        self.processes.append(proc)
        return proc

    def run(self, exe, *args, timeout=120):
        """Runs a program to its end and returns its exit code (which shows the end of stderr
        in a failed assertion) and output.
        Output goes through files, not pipes: when this is the first Wine process of
        the prefix, Wine's own services inherit its handles and would keep a pipe open."""
        import tempfile
        self._keep_server()
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            res = subprocess.run(["wine", exe, *args], env=self.env, stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            stdout, stderr = out.read(), err.read()
            return subprocess.CompletedProcess(res.args, ExitCode(res.returncode, _program(exe), stderr),
                                               stdout, stderr)

    def registry_value(self, key, name=""):
        """(type, data) of a registry value as `reg query` prints them, or None; name "" is the
        key's default value. The UI driver reads it: a reg.exe for each read would cost most
        of a second under i386 emulation, a fifth of all the scenarios' processor time."""
        out = self.driver("regvalue", key, name, check=False)
        if out is None:
            return None
        kind, _, data = _unescape(out.rstrip("\r\n")).partition("|")
        return kind, data

    def reg_query(self, key, value):
        found = self.registry_value(key, value)
        return found[1] if found else None

    def reg_add(self, key, value, data, kind="REG_SZ"):
        res = self.run("reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f")
        if res.returncode != 0:
            raise AssertionError(f"reg add {key} /v {value} failed: {res.returncode.detail}")

    # The prefix's server ---------------------------------------------------
    def await_server_end(self, timeout=120, check=True):
        """Waits until the prefix's wineserver process is gone (about 2 s after its last client
        natively), so that the next program starts a server of its own."""
        deadline = time.monotonic() + timeout
        while server_pids(self.prefix, self.env):
            if time.monotonic() > deadline:
                if check:
                    raise AssertionError(self._report(f"the wineserver of {self.name} did not end in {timeout} s"))
                return False
            time.sleep(0.01)
        return True

    def end_server(self, timeout=60):
        """Ends the prefix's server and every process of it, as wineserver -k does (SIGINT, the
        server writes the registry first), and waits until it is gone."""
        for pid in server_pids(self.prefix, self.env) - {0}:
            try:
                os.kill(pid, signal.SIGINT)
                os.kill(pid, signal.SIGCONT)
            except ProcessLookupError:
                pass
        self.await_server_end(timeout)

    def idle(self):
        """Waits until every process of the prefix has ended and Wine has written its registry files."""
        self.ui.close()
        self.await_server_end(120)

    def stop(self):
        """Ends every process of this prefix (and only of it), keeping the prefix."""
        self.ui.close()
        self.end_server()
        for proc in self.processes:
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                proc.kill()
        self.processes = []

    def close(self):
        self.stop()
        _bash(f'kelvo_drop_prefix "{self.prefix}"', env=self.env)

    # Driving windows -------------------------------------------------------
    def driver(self, *args, check=True, timeout=None):
        # A window's text is asked for by a message, which Wine lets wait until a busy program
        # answers, whatever the driver's own limit: a log with a 70 KB line kept setup's
        # status window busy 5 s natively and 37 s under i386 emulation.
        self._keep_server()
        code, out, failure = self._call(args, timeout or self.command_limit)
        if check and code != 0:
            raise AssertionError(self._report(f"uidriver {' '.join(args)} failed: {failure}"))
        return out if code == 0 else None

    def wait(self, cls, timeout_ms=15000):
        return _unescape(self.driver("wait", cls, str(timeout_ms), timeout=max(timeout_ms / 1000 + 30, self.command_limit)).rstrip("\r\n"))

    def gone(self, cls, timeout_ms=15000):
        return self.driver("gone", cls, str(timeout_ms), check=False, timeout=max(timeout_ms / 1000 + 30, self.command_limit)) is not None

    def windows(self, cls=""):
        out = self.driver("windows", *([cls] if cls else []))
        return [line.split("|") for line in out.splitlines() if line]

    def foreground(self):
        """Class of the window in front."""
        return self.driver("foreground").split("|")[0]

    def controls(self, cls, check=True):
        """The controls of the window of that class by name; None when it is not there and
        check is False."""
        out = self.driver("dump", cls, check=check)
        if out is None:
            return None
        controls = {}
        for line in out.splitlines()[1:]:
            name, kind, cid, vis, en, chk, rect, text = line.split("|", 7)
            controls[name or f"#{cid}"] = Control(name, kind, int(cid), vis == "1", en == "1", chk == "1",
                                                  tuple(int(v) for v in rect.split(",")), _unescape(text))
        return controls

    def text(self, cls, control):
        return _unescape(self.driver("text", cls, control).rstrip("\r\n"))

    def click(self, cls, control):
        self.driver("click", cls, control)

    def message_box(self, timeout_ms=15000):
        """(caption, text) of the message box on screen."""
        caption = self.wait("#32770", timeout_ms)
        return caption, self.text("#32770", "65535")

    def answer(self, button):
        """Presses a message-box button by its id (1 OK, 2 Cancel, 6 Yes, 7 No) or caption."""
        self.click("#32770", str(button))
        self.gone("#32770", 5000)

    def screenshot(self, label):
        os.makedirs(ARTIFACTS, exist_ok=True)
        path = os.path.join(ARTIFACTS, f"{self.name}-{label}.png")
        subprocess.run(["import", "-display", self.env["DISPLAY"], "-window", "root", path], capture_output=True)
        return path


SUFFIXES = {"win98": "On98", "nt40": "OnNt40", "win2k": "OnWin2k", "winxp": "OnXp", "win2003": "OnWin2003",
            "win10": "OnWin10"}


def on_versions(namespace, versions, *classes):
    """Adds to a module a copy of each scenario class for each of the Windows versions,
    named after the class and the version (DiskChangeOn98)."""
    for cls in classes:
        for version in versions:
            name = cls.__name__ + SUFFIXES[version]
            namespace[name] = type(name, (cls,), {"version": version, "__module__": cls.__module__})


class WineTestCase(unittest.TestCase):
    """Gives each test its own prefix (self.wine) and always cleans it up."""

    version = "winxp"
    arch = "win32"  # "win64": every prefix of the case is a 64-bit one
    locale = JAPANESE

    def setUp(self):
        self.wine = self.make_wine(self.version)

    def assertEqual(self, first, second, msg=None):
        # assertEqual(wine.run(...).returncode, 0) then says why the program failed.
        for code in (first, second):
            if isinstance(code, ExitCode) and first != second:
                msg = f"{msg}\n{code.detail}" if msg else code.detail
        super().assertEqual(first, second, msg)

    def make_wine(self, version, suffix="", locale=None):
        name = f"{type(self).__name__}.{self._testMethodName}{suffix}"
        wine = Wine(name, version, locale or self.locale, arch=self.arch)
        self.addCleanup(wine.close)
        return wine

    def package(self, wine, files=None, folder="C:\\pkg"):
        """Copies setup.exe into a package folder in the prefix, with the given files
        (name -> bytes or str, str written as Shift-JIS with CR LF)."""
        target = wine.unix(folder)
        os.makedirs(target, exist_ok=True)
        shutil.copy(os.path.join(BUILD, "setup.exe"), target)
        for name, content in (files or {}).items():
            if isinstance(content, str):
                content = content.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932")
            with open(os.path.join(target, name), "wb") as f:
                f.write(content)
        return os.path.join(target, "setup.exe")
