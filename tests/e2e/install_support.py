"""Driving an installation through the UI and reading back what it left on the machine:
files, registry values with their types, shell links and INI files."""
import os
import struct
import time

from harness import WineTestCase

S, U = "インストール", "アンインストール"
START = f"{S}開始(&S)"
NEXT = "次へ(&N)"


def sjis(text):
    """A script or text file as distributors save it: Shift-JIS with CR LF."""
    return text.replace("\r\n", "\n").replace("\n", "\r\n").encode("cp932")


class InstallCase(WineTestCase):
    """Starts setup.exe in a package folder, walks it to the main page and runs the installation."""

    def launch(self, script, files=None, folder="C:\\pkg", wine=None):
        wine = wine or self.wine
        wine.driver("windows", timeout=60)  # the prefix's services start before the program does
        content = {"SETUP.INI": sjis(script)}
        content.update(files or {})
        setup = self.package(wine, content, folder=folder)
        proc = wine.start(setup)
        wine.wait("TfrmMain")
        self._until(wine, lambda: wine.text("TfrmMain", "btnEvent") != "")
        return proc

    def _until(self, wine, condition, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            try:
                if condition():
                    return True
            except AssertionError:
                pass
            time.sleep(0.1)
        return False

    def to_main_page(self, wine=None):
        """Presses btnEvent until it reads the start caption (welcome, licence and readme pass)."""
        wine = wine or self.wine
        for _ in range(6):
            if wine.text("TfrmMain", "btnEvent") == START:
                return wine.controls("TfrmMain")
            before = wine.text("TfrmMain", "btnEvent")
            wine.click("TfrmMain", "btnEvent")
            self._until(wine, lambda: wine.text("TfrmMain", "btnEvent") != before, timeout=10)
        self.fail("the main page never came")

    def set_check(self, name, checked, wine=None):
        wine = wine or self.wine
        if wine.controls("TfrmMain")[name].checked != checked:
            wine.click("TfrmMain", name)

    def install(self, answers=(), wine=None, timeout=120):
        """Starts the run and answers each message box in order: answers is a list of
        (caption, button) or (caption, text, button); text None means any. Returns the
        boxes seen as (caption, text) and ends when the completion waits for "next", or
        when the run stopped (the program ended)."""
        wine = wine or self.wine
        wine.click("TfrmMain", "btnEvent")
        # Until the run shows its status window (or asks, or ends) the wizard is still on screen.
        self._until(wine, lambda: wine.windows("TfrmStatus") or wine.windows("#32770") or not wine.windows("TfrmBack"),
                    timeout=30)
        return self.answer_until_done(answers, wine, timeout)

    def answer_until_done(self, answers=(), wine=None, timeout=120):
        wine = wine or self.wine
        answers = list(answers)
        seen = []
        deadline = time.time() + timeout
        while time.time() < deadline:
            if wine.driver("wait", "#32770", "300", check=False) is not None:
                caption, text = wine.message_box()
                seen.append((caption, text))
                self.assertTrue(answers, f"unexpected message box {caption!r}: {text!r}")
                expected = answers.pop(0)
                self.assertEqual(caption, expected[0], text)
                if len(expected) == 3 and expected[1] is not None:
                    self.assertEqual(text, expected[1])
                wine.screenshot(f"box{len(seen)}")
                wine.answer(expected[-1])
                continue
            if not wine.windows("TfrmBack"):
                break
            if not wine.windows("TfrmStatus"):
                if wine.windows("TfrmMain") and wine.controls("TfrmMain")["fraReadme"].visible:
                    break  # the failure details page is up in the main window
                continue  # the status window is not shown yet
            status = wine.controls("TfrmStatus", check=False)
            if status is None:
                continue  # the status window went between the two looks
            if status["btnAbort"].text == NEXT and status["btnAbort"].enabled:
                break
        self.assertFalse(answers, f"questions never asked: {answers}")
        return seen

    def status_text(self, wine=None):
        return (wine or self.wine).text("TfrmStatus", "lblMessage")

    def to_final_page(self, wine=None):
        """Presses "next" and returns the final page's controls."""
        wine = wine or self.wine
        wine.screenshot("completion")
        wine.click("TfrmStatus", "btnAbort")
        self.assertTrue(self._until(wine, lambda: wine.controls("TfrmMain")["fraSelectType"].visible))
        wine.screenshot("final")
        return wine.controls("TfrmMain")

    def finish(self, proc, choice="optSelectType1", wine=None):
        """Chooses on the final page, presses the finish button and waits for the program's end."""
        wine = wine or self.wine
        if choice != "optSelectType1":
            wine.click("TfrmMain", choice)
        wine.click("TfrmMain", "btnEvent")
        self.assertEqual(proc.wait(timeout=60), 0)

    def walk_to_start(self, wine, on_page=lambda: None):
        """Walks the started wizard to the page whose button starts the install, the licence
        ticked on the way; on_page is called on each page passed, that one included."""
        wine.wait("TfrmMain")
        self._until(wine, lambda: wine.text("TfrmMain", "btnEvent") != "")
        for _ in range(6):
            on_page()
            controls = wine.controls("TfrmMain")
            if controls["btnEvent"].text == START:
                break
            if controls["chkEULARead"].visible and not controls["chkEULARead"].checked:
                wine.driver("check", "TfrmMain", "chkEULARead", "1")
                self._until(wine, lambda: wine.controls("TfrmMain")["btnEvent"].enabled)
            before = controls["btnEvent"].text
            wine.click("TfrmMain", "btnEvent")
            self._until(wine, lambda: wine.text("TfrmMain", "btnEvent") != before, timeout=10)

    def install_with_defaults(self, setup, wine=None):
        """Installs the example package as a user who accepts every default: the licence
        ticked, "続行" and "開始" pressed, its three questions (folder creation, disk change,
        association) answered yes, and the final page ended."""
        wine = wine or self.wine
        proc = wine.start(wine.unix(setup))
        self.walk_to_start(wine)
        wine.screenshot("main")
        self.install([("フォルダ作成", 6), ("ディスク交換", 1), ("関連付けの確認", 6)], wine)
        self.to_final_page(wine)
        self.finish(proc, wine=wine)

    def full_install(self, script, files=None, answers=(), wine=None, folder="C:\\pkg"):
        """Launch, main page, run, final page, finish: returns (status text, final page controls)."""
        wine = wine or self.wine
        proc = self.launch(script, files, folder=folder, wine=wine)
        self.to_main_page(wine)
        self.install(answers, wine)
        text = self.status_text(wine)
        final = self.to_final_page(wine)
        self.finish(proc, wine=wine)
        return text, final

    # Reading the machine -----------------------------------------------------
    def read(self, windows_path, wine=None):
        with open((wine or self.wine).unix(windows_path), "rb") as f:
            return f.read()

    def assert_file(self, windows_path, content, wine=None):
        if isinstance(content, str):
            content = content.encode("cp932")
        self.assertEqual(self.read(windows_path, wine), content, windows_path)

    def assert_log(self, windows_path, expected, wine=None):
        """The uninstall log byte for byte (expected given as text, written as Shift-JIS CR LF)."""
        got = self.read(windows_path, wine)
        self.assertEqual(got.decode("cp932"), sjis(expected).decode("cp932"))
        self.assertEqual(got, sjis(expected))


def reg_value(wine, key, name):
    """(type, data) of a registry value as `reg query` prints it, or None."""
    return wine.registry_value(key, name)


def read_lnk(path):
    """Target, arguments and working folder of a shell link file (the link format's
    LinkInfo local path and its string data)."""
    with open(path, "rb") as f:
        data = f.read()
    assert data[:4] == b"\x4c\x00\x00\x00", "not a shell link"
    flags = struct.unpack_from("<I", data, 0x14)[0]
    pos = 0x4C
    if flags & 0x01:  # HasLinkTargetIDList
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = None
    if flags & 0x02:  # HasLinkInfo
        size, header = struct.unpack_from("<II", data, pos)[:2]
        info_flags = struct.unpack_from("<I", data, pos + 8)[0]
        if info_flags & 1:
            base = pos + struct.unpack_from("<I", data, pos + 16)[0]
            target = data[base:data.index(b"\0", base)].decode("cp932")
        pos += size
    unicode = bool(flags & 0x80)
    strings = {}
    for bit, name in ((0x04, "name"), (0x08, "relative"), (0x10, "working"), (0x20, "arguments"), (0x40, "icon")):
        if flags & bit:
            count = struct.unpack_from("<H", data, pos)[0]
            pos += 2
            raw = data[pos:pos + count * (2 if unicode else 1)]
            pos += len(raw)
            strings[name] = raw.decode("utf-16-le" if unicode else "cp932").rstrip("\0")  # Wine counts the NUL
    return {"target": target, "arguments": strings.get("arguments", ""), "working": strings.get("working", "")}


def shell_folder(wine, name):
    """A folder of the user's shell ("Desktop", "Programs", "StartUp", "SendTo", "Personal") as Wine sets it up."""
    return reg_value(wine, r"HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders", name)[1]


def file_bytes(path):
    with open(path, "rb") as f:
        return f.read()
