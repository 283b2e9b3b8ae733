"""Start-up of setup.exe as a user meets it: one copy at a time, the OS line, the
fatal state, the work folder and the install/uninstall mode decision."""
import os
import shutil
import time
import unittest

from harness import WineTestCase, BUILD

MINIMAL_SCRIPT = "[Title]\nProgram=Sample\n"
FATAL_SCRIPT_TEXT = "【致命的エラー → iniファイル読み込み失敗】\r\n\r\n処理は続行できません。"


def wait_for_start_up(wine, timeout=15):
    """The wizard window shows before its start-up step has run; that step always ends
    by giving btnEvent a caption. Until the busy wizard has named its controls, the driver
    finds no btnEvent: reading a 270 KB script took 3.4 s under i386 emulation on an idle
    machine, past the driver's 5 s beside other scenarios."""
    wine.wait("TfrmMain")
    deadline = time.time() + timeout
    while not wine.driver("text", "TfrmMain", "btnEvent", check=False):
        if time.time() > deadline:
            raise AssertionError("start-up never finished")
        time.sleep(0.2)


class OsLine(WineTestCase):
    """The title line names the emulated Windows version; folders follow the platform."""

    EXPECTED = {
        "win98": "Kelvo Setup(on Windows 98<SE>)",
        "nt40": "Kelvo Setup(on Windows NT4.0)",
        "win2k": "Kelvo Setup(on Windows 2000)",
        "winxp": "Kelvo Setup(on Windows XP)",
        "win2003": "Kelvo Setup(on Windows 2003)",
        "win10": "Kelvo Setup(on Windows)",
    }

    def setUp(self):
        pass  # each version gets its own prefix below

    def test_title_line_and_folder_rules_per_version(self):
        for version, expected in self.EXPECTED.items():
            with self.subTest(version=version):
                wine = self.make_wine(version, "." + version)
                setup = self.package(wine, {"SETUP.INI": MINIMAL_SCRIPT})
                wine.start(setup)
                wait_for_start_up(wine)
                self.assertEqual(wine.text("TfrmMain", "lblTitleA2"), expected)
                # The engine's own folder detection, run in the same emulated system.
                res = wine.run(os.path.join(BUILD, "win32_tests.exe"), "--gtest_filter=DetectedFolders.*")
                self.assertEqual(res.returncode, 0, res.stdout.decode("cp932", "replace"))
                wine.close()


class SingleInstance(WineTestCase):
    def test_second_start_ends_silently(self):
        setup = self.package(self.wine, {"SETUP.INI": MINIMAL_SCRIPT})
        self.wine.start(setup)
        wait_for_start_up(self.wine)  # the backdrop shows during start-up, later under emulation
        before = self.wine.windows()
        second = self.wine.start(setup)
        self.assertEqual(second.wait(timeout=20), 0)
        self.assertEqual(len(self.wine.windows("TfrmMain")), 1)
        self.assertEqual(len(self.wine.windows()), len(before))
        self.assertIsNone(self.wine.driver("wait", "#32770", "500", check=False))


class FatalState(WineTestCase):
    def test_no_script_shows_fatal_text_and_quits_without_question(self):
        setup = self.package(self.wine)
        proc = self.wine.start(setup)
        wait_for_start_up(self.wine)
        controls = self.wine.controls("TfrmMain")
        self.assertEqual(controls["lblMessage"].text, FATAL_SCRIPT_TEXT)
        self.assertEqual(controls["btnEnd"].text, "終了(&E)")
        self.assertTrue(controls["btnEnd"].enabled)
        self.assertEqual(controls["btnEvent"].text, "処理開始(&S)")
        self.assertFalse(controls["btnEvent"].enabled)
        for group in ("grpMessage", "grpSetupFolder", "grpOption"):
            self.assertTrue(controls[group].visible, group)
        self.assertFalse(controls["fraTitle"].visible)
        self.wine.screenshot("fatal")
        self.wine.click("TfrmMain", "btnEnd")
        self.assertTrue(self.wine.gone("TfrmBack"))
        self.assertEqual(proc.wait(timeout=20), 0)
        self.assertFalse([d for d in os.listdir(self.wine.temp) if d.startswith("KSTMP")])

    def test_unwritable_temp_folder_is_the_script_error(self):
        # A file where the temporary folder should be: no work folder can be made in it.
        blocker = self.wine.unix("C:\\blocked")
        with open(blocker, "w") as f:
            f.write("not a folder")
        for name in ("TEMP", "TMP"):
            self.wine.reg_add("HKCU\\Environment", name, "C:\\blocked")
        setup = self.package(self.wine, {"SETUP.INI": MINIMAL_SCRIPT})
        self.wine.start(setup)
        wait_for_start_up(self.wine)
        self.assertEqual(self.wine.text("TfrmMain", "lblMessage"), FATAL_SCRIPT_TEXT)


class WorkFolder(WineTestCase):
    def test_next_free_number_and_copies(self):
        for n in (1, 2):
            os.makedirs(os.path.join(self.wine.temp, f"KSTMP{n}"), exist_ok=True)
        setup = self.package(self.wine, {"SETUP.INI": MINIMAL_SCRIPT})
        self.wine.start(setup)
        wait_for_start_up(self.wine)
        work = os.path.join(self.wine.temp, "KSTMP3")
        self.assertTrue(os.path.isfile(os.path.join(work, "SETUPB.EXE")))
        with open(os.path.join(work, "SETUP.INI"), "rb") as f:
            self.assertEqual(f.read(), MINIMAL_SCRIPT.replace("\n", "\r\n").encode("cp932"))
        self.assertFalse(os.path.exists(os.path.join(self.wine.temp, "KSTMP4")))

    def test_mode_decision_is_case_sensitive(self):
        log_dir = self.wine.unix("C:\\App")
        os.makedirs(log_dir)
        for name in ("unsetup.ini", "UNSETUP.INI"):
            with open(os.path.join(log_dir, name), "wb") as f:
                f.write(b"[SetupFolder]\r\nFolder=C:\\App\\\r\n")
        setup = self.package(self.wine, {"SETUP.INI": MINIMAL_SCRIPT})
        cases = (("C:\\App\\unsetup.ini", "SETUP.INI"), ("C:\\App\\UNSETUP.INI", "UNSETUP.INI"))
        for argument, copied in cases:
            with self.subTest(argument=argument):
                self.wine.start(setup, argument)
                wait_for_start_up(self.wine)
                work = os.path.join(self.wine.temp, "KSTMP1")
                self.assertEqual(sorted(os.listdir(work)), sorted(["SETUPB.EXE", copied]))
                self.wine.stop()
                for leftover in os.listdir(self.wine.temp):
                    if leftover.startswith("KSTMP"):
                        shutil.rmtree(os.path.join(self.wine.temp, leftover))


class HostileScripts(WineTestCase):
    """Whatever the script holds, start-up finishes and the program stays responsive."""

    SCRIPTS = {
        "empty": b"",
        "garbage": bytes(range(256)) * 64,
        "utf16": "[Title]\r\nProgram=ユニコード\r\n".encode("utf-16"),
        "long": b"[Title]\r\nProgram=" + b"x" * (200 * 1024) + b"\r\n[Setup]\r\nSetupString=" + b"y" * 70000 + b"\r\n",
    }

    def test_unreadable_scripts_never_crash_start_up(self):
        for label, content in self.SCRIPTS.items():
            with self.subTest(script=label):
                setup = self.package(self.wine, {"SETUP.INI": content}, folder=f"C:\\pkg_{label}")
                proc = self.wine.start(setup)
                wait_for_start_up(self.wine)
                self.assertIsNone(proc.poll())
                self.wine.stop()


if __name__ == "__main__":
    unittest.main()
