"""Uninstalling as a user does (the Add/Remove Programs entry's command, the uninstall
wizard, its questions and pages), and snapshots of a prefix's files and registry to
compare the machine before an installation with the machine after its uninstallation."""
import os
import time
from dataclasses import dataclass, field

from harness import BUILD, Wine, settled_file_hash
from install_support import InstallCase, NEXT, U, reg_value

TOOLS = os.path.join(BUILD, "tools", "win")
RUNLINE = os.path.join(TOOLS, "runline", "runline.exe")
HOLDFILE = os.path.join(TOOLS, "holdfile", "holdfile.exe")
CLOSEWINDOW = os.path.join(TOOLS, "closewindow", "closewindow.exe")
UNINSTALL_KEYS = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
UNSTART = f"{U}開始(&S)"
CONTINUE = "続行(&C)"


@dataclass
class UninstallResult:
    boxes: list = field(default_factory=list)    # (caption, text) of each message box
    shared: list = field(default_factory=list)   # message of each shared-file question
    details: tuple = None                         # (caption, report) of the details page
    status: str = ""                              # the status window's text at the end


class UninstallCase(InstallCase):
    """Installs through the wizard, then uninstalls through the Add/Remove Programs entry."""

    def make_wine(self, version, suffix="", locale=None):
        wine = super().make_wine(version, suffix, locale)
        # A machine busy with other scenarios may take longer than usual to show a window.
        wine.wait = lambda cls, timeout_ms=60000: Wine.wait(wine, cls, timeout_ms)
        return wine

    # Starting the uninstaller ------------------------------------------------
    def uninstall_command(self, key, wine=None):
        """The entry's UninstallString, which must be an expandable string."""
        value = reg_value(wine or self.wine, UNINSTALL_KEYS + "\\" + key, "UninstallString")
        self.assertIsNotNone(value, f"no Add/Remove Programs entry {key}")
        self.assertEqual(value[0], "REG_EXPAND_SZ")
        return value[1]

    def start_uninstall(self, key, wine=None):
        """Starts exactly the entry's command line and waits for the wizard's first page."""
        wine = wine or self.wine
        proc = wine.start(RUNLINE, self.uninstall_command(key, wine))
        wine.wait("TfrmMain")
        self._until(wine, lambda: wine.text("TfrmMain", "btnEvent") != "")
        return proc

    def to_uninstall_page(self, wine=None, readme=None):
        """From the first page to the uninstall page; readme is the text the page before it
        must show (None: no readme page is expected). Returns the page's controls."""
        wine = wine or self.wine
        controls = wine.controls("TfrmMain")
        if readme is None:
            self.assertEqual(controls["btnEvent"].text, UNSTART, "a readme page came")
            return controls
        self.assertEqual(controls["btnEvent"].text, f"{U}続行(&C)")
        self.assertTrue(controls["fraReadme"].visible)
        self.assertEqual(controls["fraReadme"].text, f"{U}の前にお読みください。")
        self.assertEqual(controls["txtReadme"].text, readme)
        wine.click("TfrmMain", "btnEvent")
        self.assertTrue(self._until(wine, lambda: wine.text("TfrmMain", "btnEvent") == UNSTART, timeout=10))
        return wine.controls("TfrmMain")

    # The run -------------------------------------------------------------------
    def run_uninstall(self, proc, boxes=(), shared=(), wine=None, timeout=None, label="un-", on_question=None):
        """Presses the start button and answers what the run asks until the completion waits
        for "next" (or the program ended). boxes: (caption, text or None, button) per message
        box in order; shared: the button to press for each shared-file question in order, or
        None to close the question unanswered. The failure details, when asked for, are read
        from their page and dismissed. on_question(text) is called before each answer."""
        wine = wine or self.wine
        boxes, shared = list(boxes), list(shared)
        result = UninstallResult()
        wine.click("TfrmMain", "btnEvent")
        # A run as long as one command may wait for the busy program, and then some.
        deadline = time.time() + (timeout or 120 + wine.command_limit)
        while True:
            self.assertLess(time.time(), deadline, "the uninstall run never came to its end")
            if wine.driver("wait", "#32770", "200", check=False) is not None:
                caption, text = wine.message_box()
                result.boxes.append((caption, text))
                self.assertTrue(boxes, f"unexpected message box {caption!r}: {text!r}")
                expected = boxes.pop(0)
                self.assertEqual(caption, expected[0], text)
                if expected[1] is not None:
                    self.assertEqual(text, expected[1])
                wine.screenshot(f"{label}box{len(result.boxes)}")
                if on_question:
                    on_question(text)
                wine.answer(expected[2])
                continue
            if wine.windows("TfrmCustomDlg"):
                message = wine.text("TfrmCustomDlg", "lblMessage")
                result.shared.append(message)
                self.assertTrue(shared, f"unexpected shared-file question: {message!r}")
                wine.screenshot(f"{label}shared{len(result.shared)}")
                if on_question:
                    on_question(message)
                button = shared.pop(0)
                if button:
                    wine.click("TfrmCustomDlg", button)
                else:
                    self.assertEqual(wine.run(CLOSEWINDOW, "TfrmCustomDlg").returncode, 0)
                # The next question may follow at once: gone, or asking about another file.
                self.assertTrue(self._until(wine, lambda: not wine.windows("TfrmCustomDlg") or
                                            wine.text("TfrmCustomDlg", "lblMessage") != message, timeout=10))
                continue
            if proc.poll() is not None:
                break
            main, status = self._visible_controls(wine, "TfrmMain"), self._visible_controls(wine, "TfrmStatus")
            if main and main["btnEvent"].text == CONTINUE and main["fraReadme"].visible and main["btnEvent"].enabled:
                self.assertIsNone(result.details, "the details page came twice")
                result.details = (main["fraReadme"].text, main["txtReadme"].text)
                wine.screenshot(f"{label}details")
                wine.click("TfrmMain", "btnEvent")
                self._until(wine, lambda: not wine.windows("TfrmMain"), timeout=10)
                continue
            if status and status["btnAbort"].text == NEXT and status["btnAbort"].enabled:
                # Read again: a dump is no snapshot, and the run shows its last text before it
                # offers "next".
                result.status = wine.text("TfrmStatus", "lblMessage")
                break
        self.assertFalse(boxes, f"message boxes never shown: {boxes}")
        self.assertFalse(shared, f"shared-file questions never asked: {shared}")
        return result

    @staticmethod
    def _visible_controls(wine, cls):
        """The controls of a window of that class on screen, or None (also when it went
        away between the two looks)."""
        if not wine.windows(cls):
            return None
        try:
            return wine.controls(cls)
        except AssertionError:
            return None

    def final_uninstall_page(self, wine=None, label="un-"):
        """Presses "next" on the completion and returns the final page's controls."""
        wine = wine or self.wine
        wine.screenshot(f"{label}completion")
        wine.click("TfrmStatus", "btnAbort")
        self.assertTrue(self._until(wine, lambda: wine.controls("TfrmMain")["fraSelectType"].visible))
        wine.screenshot(f"{label}final")
        return wine.controls("TfrmMain")

    def end_uninstall(self, proc, choice="optSelectType1", wine=None):
        wine = wine or self.wine
        if choice != "optSelectType1":
            wine.click("TfrmMain", choice)
        self.assertEqual(wine.text("TfrmMain", "btnEvent"), f"{U}完了(&E)")
        wine.click("TfrmMain", "btnEvent")
        self.assertEqual(proc.wait(timeout=60), 0)

    def uninstall(self, key, boxes=(), shared=(), readme=None, options=None, wine=None, label="un-",
                  on_question=None, choice="optSelectType1"):
        """The whole uninstallation, ended with the given final choice: returns the run's
        result and the final page's controls."""
        wine = wine or self.wine
        proc = self.start_uninstall(key, wine)
        self.to_uninstall_page(wine, readme)
        for name, checked in (options or {}).items():
            self.set_check(name, checked, wine)
        result = self.run_uninstall(proc, boxes, shared, wine, label=label, on_question=on_question)
        final = self.final_uninstall_page(wine, label)
        self.end_uninstall(proc, choice, wine=wine)
        return result, final

    # Reading the machine -------------------------------------------------------
    def exists(self, windows_path, wine=None):
        return os.path.lexists((wine or self.wine).unix(windows_path))

    def put(self, windows_path, content, wine=None):
        path = (wine or self.wine).unix(windows_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content if isinstance(content, bytes) else content.encode("cp932"))

    def error_text(self, code, wine=None):
        """The system's message for an error code as failure blocks quote it (ends with CR LF)."""
        out = (wine or self.wine).run(os.path.join(TOOLS, "errortext", "errortext.exe"), str(code)).stdout
        return out.decode("cp932")

    def hold(self, windows_path, wine=None):
        """Keeps a file open without sharing until the test ends; returns the process and the
        file's short path as the system gives it."""
        wine = wine or self.wine
        ready = windows_path + ".held"
        proc = wine.start(HOLDFILE, windows_path, ready)
        deadline = time.time() + 30
        while not os.path.exists(wine.unix(ready)):
            self.assertIsNone(proc.poll(), "holdfile could not open the file")
            self.assertLess(time.time(), deadline, "holdfile never held the file")
            time.sleep(0.1)
        time.sleep(0.2)  # the ready file is closed right after it is written
        with open(wine.unix(ready), "rb") as f:
            short = f.read().decode("cp932")
        os.remove(wine.unix(ready))
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        return proc, short


# Snapshots --------------------------------------------------------------------------
HIVES = {"system.reg": "HKLM", "user.reg": "HKCU", "userdef.reg": r"HKU\.DEFAULT"}


def _registry_file(path, hive):
    """Keys of one of Wine's registry files: {hive\\key (lower case): {value name: data}},
    without Wine's modification times."""
    keys = {}
    current = None
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        while line.endswith("\\") and i + 1 < len(lines) and not line.startswith("["):
            i += 1
            line = line[:-1] + lines[i].strip()
        i += 1
        if line.startswith("["):
            name = line[1:line.rindex("]")].replace("\\\\", "\\")
            current = keys.setdefault(f"{hive}\\{name}".lower(), {})
        elif current is None or not line or line.startswith(";") or line.startswith("#time="):
            continue
        elif line.startswith("#"):
            current[line] = ""
        else:
            name, _, data = _split_value(line)
            current[name] = data
    return keys


def _split_value(line):
    """'"name"=data' or '@=data' -> (name, "=", data); Wine's \\x escapes of other characters stay."""
    if line.startswith("@="):
        return "@", "=", line[2:]
    i = 1
    while i < len(line):
        if line[i] == "\\":
            i += 2
            continue
        if line[i] == '"':
            break
        i += 1
    name = line[1:i].replace('\\"', '"').replace("\\\\", "\\")
    return name.lower(), "=", line[i + 2:]


def _windows_name(relative):
    return "C:\\" + relative.replace(os.sep, "\\") if relative != "." else "C:\\"


@dataclass
class Snapshot:
    files: dict      # Windows path -> ("dir",) | ("file", size, sha1) | ("link", target)
    registry: dict   # key (lower case) -> {value name (lower case): data}

    def diff(self, later):
        """Every difference as a line: "+ " added, "- " gone, "~ " changed; files by their
        Windows path, registry keys as "key\\", values as "key\\\\name"."""
        lines = []
        for path in sorted(set(self.files) | set(later.files)):
            a, b = self.files.get(path), later.files.get(path)
            if a != b:
                lines.append(("+ " if a is None else "- " if b is None else "~ ") + path)
        for key in sorted(set(self.registry) | set(later.registry)):
            a, b = self.registry.get(key), later.registry.get(key)
            if a is None or b is None:
                lines.append(("+ " if a is None else "- ") + key + "\\")
                continue
            for name in sorted(set(a) | set(b)):
                if a.get(name) != b.get(name):
                    sign = "+ " if name not in a else "- " if name not in b else "~ "
                    lines.append(f"{sign}{key}\\\\{name}")
        return lines


def snapshot(wine):
    """Every file and folder of the prefix's drive C: with sizes and content hashes, and
    every registry key and value as Wine stores them once all its processes have ended."""
    for proc in wine.processes:
        if proc.poll() is None:
            raise AssertionError("a program of the prefix is still running")
    wine.idle()
    files = {}
    for root, dirs, names in os.walk(wine.c_drive):
        for name in dirs + names:
            path = os.path.join(root, name)
            key = _windows_name(os.path.relpath(path, wine.c_drive))
            if os.path.islink(path):
                files[key] = ("link", os.readlink(path))
            elif os.path.isdir(path):
                files[key] = ("dir",)
            else:
                files[key] = ("file", os.path.getsize(path), settled_file_hash(path))
    registry = {}
    for name, hive in HIVES.items():
        path = os.path.join(wine.prefix, name)
        if os.path.exists(path):
            registry.update(_registry_file(path, hive))
    return Snapshot(files, registry)


# What Wine itself changes while programs run, whatever they do: the console settings
# that its console programs (reg.exe) store, the device-class data its services rewrite
# at each start, and the user's temporary folder.
WINE_OWN_KEYS = ("hkcu\\console\\", "hklm\\system\\currentcontrolset\\control\\class\\")


def machine_changes(before, after, wine):
    """The differences between two snapshots, without Wine's own."""
    temp = "C:\\" + os.path.relpath(wine.temp, wine.c_drive).replace(os.sep, "\\") + "\\"
    own = WINE_OWN_KEYS + (temp,)
    return [line for line in before.diff(after) if not line[2:].startswith(own)]
