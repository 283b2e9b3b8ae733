"""Helpers for end-to-end scenarios: the real programs under Wine on an Xvfb display,
driven from outside through tools/win/uidriver, each scenario in its own prefix."""
import hashlib
import os
import select
import shutil
import subprocess
import time
import unittest
from dataclasses import dataclass

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("KELVO_BUILD", os.path.join(REPO, "build", "mingw"))
WINE_ROOT = os.environ.get("KELVO_WINE_ROOT", os.path.join(REPO, "build", "wine"))
ARTIFACTS = os.environ.get("KELVO_ARTIFACTS", os.path.join(REPO, "build", "artifacts"))
ENV_SH = os.path.join(REPO, "tools", "wine", "env.sh")
DRIVER = os.path.join(BUILD, "tools", "win", "uidriver", "uidriver.exe")


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


class UiDriver:
    """One uidriver process per prefix, answering commands over a pipe. A Wine process
    start costs about 0.1 s natively and 0.7 s when i386 code is emulated, and a scenario
    sends hundreds of commands."""

    def __init__(self, env):
        self.env = env
        self.proc = None

    def call(self, args, timeout):
        """(exit code, output, failure) of one command; TimeoutExpired when it takes too long."""
        if self.proc is None or self.proc.poll() is not None:
            self.proc = subprocess.Popen(["wine", DRIVER, "serve"], env=self.env, stdin=subprocess.PIPE,
                                         stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        line = " ".join(arg.encode("cp932").hex() for arg in args) + "\n"
        self.proc.stdin.write(line.encode("ascii"))
        self.proc.stdin.flush()
        answer = b""
        deadline = time.time() + timeout
        # Wine's services may inherit the pipe when the driver starts the prefix, so the
        # driver's end shows as its process ending, not as the end of the pipe.
        while not (answer.startswith(b"\x1e") or b"\n\x1e" in answer) or not answer.endswith(b"\n"):
            if time.time() > deadline or self.proc.poll() is not None:
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
        if self.proc.poll() is None:
            self.proc.stdin.close()
            try:
                self.proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc.stdout.close()
        self.proc = None


class Wine:
    """A fresh prefix emulating one Windows version, and the processes started in it."""

    def __init__(self, name, version="winxp"):
        self.name = name
        self.prefix = os.path.join(WINE_ROOT, "scenarios", name)
        self.env = dict(os.environ)
        self.env.update({
            "WINEARCH": "win32", "WINEPREFIX": self.prefix, "LC_ALL": "ja_JP.UTF-8", "LANG": "ja_JP.UTF-8",
            "WINEDEBUG": "-all", "HOME": os.path.join(WINE_ROOT, "home"),
            "WINEDLLOVERRIDES": "winemenubuilder.exe=d;winedbg.exe=d;mscoree=d;mshtml=d",
            "DISPLAY": ensure_display(), "KELVO_WINE_ROOT": WINE_ROOT,
        })
        _bash(f'kelvo_new_prefix "{self.prefix}" {version}', env=self.env)
        self.processes = []
        self.ui = UiDriver(self.env)

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
    def start(self, exe, *args, cwd=None):
        proc = subprocess.Popen(["wine", exe, *args], env=self.env, cwd=cwd or os.path.dirname(exe),
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.processes.append(proc)
        return proc

    def run(self, exe, *args, timeout=120):
        """Runs a program to its end and returns its exit code and output.
        Output goes through files, not pipes: when this is the first Wine process of
        the prefix, Wine's own services inherit its handles and would keep a pipe open."""
        import tempfile
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            res = subprocess.run(["wine", exe, *args], env=self.env, stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(res.args, res.returncode, out.read(), err.read())

    def reg_query(self, key, value):
        out = self.run("reg", "query", key, "/v", value).stdout.decode("cp932", "replace")
        for line in out.splitlines():
            parts = line.strip().split("    ")
            if len(parts) >= 3 and parts[0] == value:
                return parts[2]
        return None

    def reg_add(self, key, value, data, kind="REG_SZ"):
        self.run("reg", "add", key, "/v", value, "/t", kind, "/d", data, "/f")

    def idle(self):
        """Waits until every process of the prefix has ended and Wine has written its registry files."""
        self.ui.close()
        subprocess.run(["wineserver", "-w"], env=self.env, timeout=120, capture_output=True)

    def stop(self):
        """Ends every process of this prefix (and only of it), keeping the prefix."""
        self.ui.close()
        subprocess.run(["wineserver", "-k"], env=self.env, capture_output=True)
        # A program started while the old server is still going down would go down with it.
        subprocess.run(["wineserver", "-w"], env=self.env, capture_output=True, timeout=60)
        for proc in self.processes:
            try:
                proc.wait(timeout=10)
            except subprocess.TimeoutExpired:
                proc.kill()
        self.processes = []

    def close(self):
        self.stop()
        shutil.rmtree(self.prefix, ignore_errors=True)

    # Driving windows -------------------------------------------------------
    def driver(self, *args, check=True, timeout=120):
        # A window's text is asked for by a message, which Wine lets wait until a busy program
        # answers, whatever the driver's own limit: a log with a 70 KB line kept setup's
        # status window busy 5 s natively and 37 s under i386 emulation.
        code, out, failure = self.ui.call(args, timeout)
        if check and code != 0:
            raise AssertionError(f"uidriver {' '.join(args)} failed: {failure}")
        return out if code == 0 else None

    def wait(self, cls, timeout_ms=15000):
        return _unescape(self.driver("wait", cls, str(timeout_ms), timeout=timeout_ms / 1000 + 30).rstrip("\r\n"))

    def gone(self, cls, timeout_ms=15000):
        return self.driver("gone", cls, str(timeout_ms), check=False, timeout=timeout_ms / 1000 + 30) is not None

    def windows(self, cls=""):
        out = self.driver("windows", *([cls] if cls else []))
        return [line.split("|") for line in out.splitlines() if line]

    def foreground(self):
        """Class of the window in front."""
        return self.driver("foreground").split("|")[0]

    def controls(self, cls):
        controls = {}
        for line in self.driver("dump", cls).splitlines()[1:]:
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

    def setUp(self):
        self.wine = self.make_wine(self.version)

    def make_wine(self, version, suffix=""):
        name = f"{type(self).__name__}.{self._testMethodName}{suffix}"
        wine = Wine(name, version)
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
