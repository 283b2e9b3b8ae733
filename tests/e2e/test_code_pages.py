"""The programs on systems whose ANSI code page is not 932: an English one (1252) and a
Chinese one (936, double-byte with other lead bytes). Each run is compared with the same run on
a Japanese system (932): every text the programs show, as Unicode, and every change to the
machine, with the files' Japanese names, the registry's values and the INI files' bytes."""
import os
import re
import shutil
import struct

import test_unattended
from example_package import APP, KEY, example_files
from harness import BUILD, JAPANESE
from install_support import read_lnk
from test_monitor import FOLDER, INI_KEYS, free_port
from uninstall_support import UNSTART, UninstallCase, machine_changes, snapshot

# What a removal leaves on purpose: the record of installed programs, the uninstaller and the
# system's register of shared counts, empty again.
LEFT_BY_REMOVAL = ["+ C:\\windows\\KELVO98.INI", "+ C:\\windows\\UNKELVO.EXE",
                   "+ hklm\\software\\microsoft\\windows\\currentversion\\shareddlls\\"]
# The monitor's panes that follow the clock and the network, not the program's texts.
MONITOR_LIVE = {"PicCountDown", "PicGlobalIP", "PicLocalIP"}


def steady(text):
    """A text without the free disk space it may quote, which changes from one run to the next."""
    return re.sub(r"(空き容量：)[\d,]+", r"\1#", text)


def shown_texts(wine, cls):
    """The window's caption and the texts of its visible controls, by name (or #id)."""
    controls = wine.controls(cls, check=False)
    if controls is None:
        box = wine.driver("text", "#32770", "65535", check=False)
        raise AssertionError(f"no {cls} window on code page {wine.driver('acp').strip()}; on screen: "
                             f"{wine.windows()}" + (f"; the message box says: {box.strip()}" if box else ""))
    texts = {"(caption)": wine.driver("caption", cls).rstrip("\r\n")}
    texts.update({name: steady(c.text) for name, c in controls.items() if c.visible})
    return texts


def read_link(path):
    """Target, arguments and working folder of a shell link, the target as its item list names
    it. The item list keeps each name in UTF-16 (in the item's last part), whereas the link's
    location block, which read_lnk reads, holds the path in the system's code page: on 1252 it
    has no Japanese whatever the program did, and on 936 it is not code page 932."""
    with open(path, "rb") as f:
        data = f.read()
    flags = struct.unpack_from("<I", data, 0x14)[0]
    if not flags & 0x01:
        return None
    end = 0x4E + struct.unpack_from("<H", data, 0x4C)[0]
    link = {"target": _item_list_path(data, end)}
    pos = end
    if flags & 0x02:  # the location block
        pos += struct.unpack_from("<I", data, pos)[0]
    for bit, name in ((0x04, "name"), (0x08, "relative"), (0x10, "working"), (0x20, "arguments")):
        if flags & bit:
            count = struct.unpack_from("<H", data, pos)[0]
            size = count * 2 if flags & 0x80 else count
            raw = data[pos + 2:pos + 2 + size]
            link[name] = raw.decode("utf-16-le" if flags & 0x80 else "cp932").rstrip("\0")
            pos += 2 + size
    return link


def _item_list_path(data, end):
    pos, parts = 0x4E, []
    while pos + 2 <= end:
        size = struct.unpack_from("<H", data, pos)[0]
        if size == 0:
            break
        item = data[pos:pos + size]
        if item[2] & 0x70 == 0x20:  # a drive: "C:\" in ASCII
            parts.append(item[3:item.index(b"\0", 3)].decode("ascii").rstrip("\\"))
        elif item[2] & 0x70 == 0x30:  # a folder or a file: the last word is where its UTF-16 part starts
            offset = struct.unpack_from("<H", item, size - 2)[0]
            name = item[offset + 20:size - 2]
            end_of_name = next(i for i in range(0, len(name), 2) if name[i:i + 2] == b"\0\0")
            parts.append(name[:end_of_name].decode("utf-16-le"))
        pos += size
    return "\\".join(parts)


class Shown:
    """What a run showed, step by step. Given the Japanese run's record, each step is compared
    as it comes, so that a failure names the first text that differs, not a later symptom (a
    caption compared in vain that lets the wizard run on)."""

    def __init__(self, case, code_page, expected=None):
        self.case, self.code_page, self.expected, self.steps = case, code_page, expected, []

    def add(self, step, texts):
        self.steps.append((step, texts))
        if self.expected is not None:
            self.case.assertEqual((step, texts), self.expected.steps[len(self.steps) - 1],
                                  f"step {len(self.steps)} on code page {self.code_page}")


class OtherCodePage:
    """Mixed into one scenario class per locale (locale: its Unix locale, code_page its
    number). self.wine is the prefix of that locale; each test makes a Japanese one beside it."""

    locale = None
    code_page = None

    # Setup's round trip ----------------------------------------------------------
    def install_recorded(self, wine, seen):
        """install_with_defaults, with every page, question and completion in seen."""
        proc = wine.start(wine.unix("C:\\pkg\\setup.exe"))
        self.walk_to_start(wine, lambda: seen.add("TfrmMain", shown_texts(wine, "TfrmMain")))
        seen.add("TfrmBack", shown_texts(wine, "TfrmBack"))
        wine.screenshot("main")
        # The message boxes' buttons are the system's, captioned in its language: pressed by id.
        boxes = self.install([("フォルダ作成", 6), ("ディスク交換", 1), ("関連付けの確認", 6)], wine)
        seen.add("#32770", boxes)
        seen.add("TfrmStatus", shown_texts(wine, "TfrmStatus"))
        seen.add("final", {n: (steady(c.text), c.visible) for n, c in self.to_final_page(wine).items()})
        self.finish(proc, wine=wine)
        wine.stop()  # the program the final page started

    def uninstall_recorded(self, wine, seen):
        proc = self.start_uninstall(KEY, wine)
        for _ in range(3):
            seen.add("TfrmMain", shown_texts(wine, "TfrmMain"))
            if wine.text("TfrmMain", "btnEvent") == UNSTART:
                break
            before = wine.text("TfrmMain", "btnEvent")
            wine.click("TfrmMain", "btnEvent")
            self._until(wine, lambda: wine.text("TfrmMain", "btnEvent") != before, timeout=10)
        result = self.run_uninstall(proc, shared=["btnYes"], wine=wine)
        seen.add("run", (result.boxes, result.shared, result.details, result.status))
        seen.add("final", {n: (steady(c.text), c.visible) for n, c in self.final_uninstall_page(wine).items()})
        self.end_uninstall(proc, wine=wine)

    def assert_same_changes(self, before, japanese, other):
        """Both prefixes changed the same files and keys in the same way: files byte for byte,
        links by what they point to, registry keys with the same Unicode values."""
        after = {wine: snapshot(wine) for wine in (japanese, other)}
        changes = {wine: machine_changes(before[wine], after[wine], wine) for wine in (japanese, other)}
        self.maxDiff = None
        self.assertEqual(changes[other], changes[japanese], "the changes to the machine differ")
        for line in changes[japanese]:
            path = line[2:]
            if path in after[japanese].files:
                if path.lower().endswith(".lnk"):
                    links = [read_link(w.unix(path)) for w in (japanese, other)]
                    # The reference read both ways: the item list read whole.
                    self.assertEqual({k: links[0].get(k, "") for k in ("target", "arguments", "working")},
                                     read_lnk(japanese.unix(path)), path)
                    self.assertEqual(links[1], links[0], path)
                else:
                    self.assertEqual(after[other].files[path], after[japanese].files[path], path)
            else:
                key = path.split("\\\\")[0].rstrip("\\")
                self.assertEqual(after[other].registry.get(key), after[japanese].registry.get(key), path)
        return changes[japanese]

    def test_example_package_round_trip_as_on_a_japanese_system(self):
        other, japanese = self.wine, self.make_wine("winxp", "-932", JAPANESE)
        # Else the comparison would be of two Japanese systems.
        self.assertEqual([wine.driver("acp").strip() for wine in (japanese, other)], ["932", str(self.code_page)])
        before = {}
        for wine in (japanese, other):
            self.package(wine, example_files())
            before[wine] = snapshot(wine)

        self.maxDiff = None
        shown = Shown(self, 932)
        self.install_recorded(japanese, shown)
        self.install_recorded(other, Shown(self, self.code_page, shown))
        installed = self.assert_same_changes(before, japanese, other)
        self.assertIn("+ " + APP + "UNSETUP.INI", installed)
        self.assertTrue([line for line in installed if line.endswith(".lnk")], "no shortcut compared")

        shown = Shown(self, 932)
        self.uninstall_recorded(japanese, shown)
        self.uninstall_recorded(other, Shown(self, self.code_page, shown))
        after = snapshot(other)
        left = [line for line in machine_changes(before[other], after, other)
                if not line[2:].startswith(test_unattended.PROGRAM_OWN + (test_unattended.COMPONENT_KEY.lower(),))]
        self.assertEqual(left, LEFT_BY_REMOVAL)
        self.assert_same_changes(before, japanese, other)

    # The monitor's first start ------------------------------------------------------
    def first_start(self, wine, seen):
        """Tovra's first start without a settings file, folded and unfolded (texts in seen);
        returns the Tovra.ini it wrote."""
        folder = wine.unix(FOLDER)
        os.makedirs(folder, exist_ok=True)
        shutil.copy(os.path.join(BUILD, "Tovra.exe"), folder)
        # Nothing listens on these ports: the scan fails fast and changes no text compared here.
        with open(os.path.join(folder, "TovraNet.ini"), "wb") as f:
            f.write(f"[Servers]\r\nFirst=localhost:{free_port()}\r\nSecond=localhost:{free_port()}\r\n"
                    "TimeoutSeconds=10\r\n".encode("ascii"))
        proc = wine.start(os.path.join(folder, "Tovra.exe"))
        wine.wait("FrmMain")
        live_texts = lambda: {n: t for n, t in shown_texts(wine, "FrmMain").items() if n not in MONITOR_LIVE}  # noqa: E731
        seen.add("folded", live_texts())
        before = wine.text("FrmMain", "lblSetting")
        wine.click("FrmMain", "lblSetting")
        self.assertTrue(self._until(wine, lambda: wine.text("FrmMain", "lblSetting") != before, timeout=10))
        wine.screenshot("monitor-settings")
        seen.add("unfolded", live_texts())
        wine.click("FrmMain", "lblEnd")
        self.assertTrue(wine.gone("FrmMain", 10000))
        proc.wait(timeout=20)
        with open(os.path.join(folder, "Tovra.ini"), "rb") as f:
            return f.read()

    def test_monitor_first_start_as_on_a_japanese_system(self):
        other, japanese = self.wine, self.make_wine("winxp", "-932", JAPANESE)
        shown = Shown(self, 932)
        ini = self.first_start(japanese, shown)
        # The reference itself: the settings panel's words and the stored keys in Japanese.
        self.assertIn(INI_KEYS[3], shown.steps[-1][1].values())
        self.assertIn(INI_KEYS[3].encode("cp932"), ini)
        self.maxDiff = None
        got_ini = self.first_start(other, Shown(self, self.code_page, shown))
        self.assertEqual(got_ini, ini, f"Tovra.ini on code page {self.code_page}")


class CodePage1252(OtherCodePage, UninstallCase):
    locale = "en_US.UTF-8"
    code_page = 1252


class CodePage936(OtherCodePage, UninstallCase):
    locale = "zh_CN.UTF-8"
    code_page = 936
