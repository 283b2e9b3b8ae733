"""The checks before installation: the install checker's answers and the refused-system
and earlier-installation checks, each message with its exact text and caption."""
import os
import shutil
import subprocess
import time
import unittest

from harness import BUILD
from test_wizard import S, U, WizardCase

CHECKER = os.path.join(BUILD, "tools", "win", "checker", "checker.exe")
REFUSAL = (f"{S}チェック機能により、{S}は続行不可能と判断されました。\r\n"
           f"詳細については、プログラム配布者へご確認ください。\r\n{S}を続行することはできません。")
CHECKER_SCRIPT = "[Title]\nSetup=チェック\n[Extend]\nInstallChecker=\\tools\\CHECK.EXE\n"


class InstallChecker(WizardCase):
    def start_with_checker(self, behave, folder):
        tools = self.wine.unix(folder + "\\tools")
        os.makedirs(tools, exist_ok=True)
        shutil.copy(CHECKER, os.path.join(tools, "CHECK.EXE"))
        with open(os.path.join(tools, "CHECKER.INI"), "wb") as f:
            f.write(("[Behave]\r\n" + behave).encode("cp932"))
        proc = self.launch({"SETUP.INI": CHECKER_SCRIPT}, folder=folder)
        self.wine.click("TfrmMain", "btnEvent")
        return proc

    def assert_blocked(self, proc):
        self.assertEqual(self.wine.message_box(), ("警告", REFUSAL))
        self.wine.answer(1)
        c = self.main()
        self.assertFalse(c["btnEvent"].enabled)
        self.assertTrue(c["btnEnd"].enabled)
        self.assertFalse(os.path.exists(self.wine.unix("C:\\windows\\KSRESULT.INI")))
        self.wine.click("TfrmMain", "btnEnd")  # blocked: quits without a question
        self.assert_no_question_and_gone(proc)

    def test_continue_with_two_line_message(self):
        proc = self.start_with_checker("Result=ContinueInstall\r\nMessage=確認しました。<改行>続行できます。\r\n",
                                       "C:\\ok")
        self.assertEqual(self.wine.message_box(), ("情報", "確認しました。\r\n続行できます。"))
        self.wine.answer(1)
        c = self.until(lambda c: c["grpMessage"].visible)
        self.assertEqual(c["btnEvent"].text, f"{S}開始(&S)")
        self.assertFalse(os.path.exists(self.wine.unix("C:\\windows\\KSRESULT.INI")))
        self.quit(proc)

    def test_other_answers_block(self):
        cases = {"case": "Result=continueinstall\r\n", "none": "Mode=none\r\n", "garbage": "Mode=garbage\r\n"}
        for label, behave in cases.items():
            with self.subTest(checker=label):
                self.assert_blocked(self.start_with_checker(behave, "C:\\" + label))

    def test_hung_checker_keeps_the_window_alive_without_cpu(self):
        proc = self.start_with_checker("Mode=hang\r\n", "C:\\hang")
        time.sleep(1.5)
        c = self.main()  # answers while waiting: the window keeps handling messages
        self.assertFalse(c["btnEvent"].enabled or c["btnEnd"].enabled)
        setup_pid = next(int(p) for p in os.listdir("/proc") if p.isdigit() and self.is_setup(p))
        before = self.cpu_ticks(setup_pid)
        time.sleep(2)
        self.assertLess(self.cpu_ticks(setup_pid) - before, 20)  # under 10% of one core
        self.wine.run("taskkill", "/f", "/im", "CHECK.EXE")
        self.assert_blocked(proc)

    def is_setup(self, pid):
        try:
            with open(f"/proc/{pid}/cmdline", "rb") as f:
                cmd = f.read()
            with open(f"/proc/{pid}/environ", "rb") as f:
                env = f.read()
        except OSError:
            return False
        return b"setup.exe" in cmd and f"WINEPREFIX={self.wine.prefix}".encode() in env

    @staticmethod
    def cpu_ticks(pid):
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])


E = "インストーラはチェック対象プログラム"
STOP_FILE = f"{E}を検出しました。\r\n{S}を続行するためには、前バージョンの{U}を行う必要があります。"
STOP_ID = E + "識別子を検出しました。\r\n【{}】\r\n" + f"{S}を続行するためには、上記プログラムの{U}を行う必要があります。"
ADVICE = (f"{S}はこのまま続行できますが、予期せぬ結果を招く可能性があります。\r\n"
          f"できる限り中断して、前バージョンの{U}を行うことをお勧めします。")
WARN_FILE = f"{E}を検出しました。\r\nパッケージ配布者は、前バージョンのプログラムの{U}を推奨しています。\r\n" + ADVICE
WARN_ID = E + "識別子を検出しました。\r\n【{}】\r\n" + f"パッケージ配布者は、上記プログラムの{U}を推奨しています。\r\n" + ADVICE
REJECT = (f"このオペレーティングシステムへの{S}は、プログラム配布者により認められていません。\r\n"
          f"詳細については、プログラム配布者へご確認ください。\r\n{S}を続行することはできません。")


class PreviousInstallation(WizardCase):
    def setUp(self):
        super().setUp()
        old = self.wine.unix("C:\\Old")
        os.makedirs(old)
        open(os.path.join(old, "OLD.EXE"), "w").close()
        with open(os.path.join(old, "UNSETUP.INI"), "wb") as f:
            f.write("[Title]\r\nUnSetup=旧製品\r\n".encode("cp932"))
        with open(self.wine.unix("C:\\windows\\KELVO98.INI"), "wb") as f:
            f.write(b"[OLDAPP]\r\nFolder=C:\\Old\\\r\n[GONEAPP]\r\nFolder=C:\\Gone\\\r\n")

    def check(self, caution, folder):
        script = "[Title]\nSetup=検査\n[DefaultFolder]\nFolder=C:\\Old\\\n[Caution]\n" + caution
        return self.launch({"SETUP.INI": script}, folder=folder)

    def test_stops(self):
        cases = {
            "file": ("UnInstallCheckEx=\\OLD.EXE\nUnInstallCheck=OLD.EXE\n", STOP_FILE),
            "id": ("UnInstallCheckEx=idcheck:OLDAPP\n", STOP_ID.format("旧製品")),
            "idnolog": ("UnInstallCheckEx=IDCheck:GONEAPP\n", STOP_ID.format("不明なタイトル")),
        }
        for label, (caution, text) in cases.items():
            with self.subTest(check=label):
                proc = self.check(caution, "C:\\" + label)
                self.expect_box("エラー", text)
                self.assert_no_box()  # UnInstallCheck (which would hit) is not evaluated
                c = self.main()
                self.assertFalse(c["btnEvent"].enabled)
                self.assertTrue(c["fraTitle"].visible)
                self.wine.click("TfrmMain", "btnEnd")
                self.assert_no_question_and_gone(proc)

    def test_warnings_leave_the_welcome_page_usable(self):
        cases = {"file": ("UnInstallCheck=OLD.EXE\n", WARN_FILE),
                 "id": ("UnInstallCheck=IDCheck:OLDAPP\n", WARN_ID.format("旧製品"))}
        for label, (caution, text) in cases.items():
            with self.subTest(check=label):
                proc = self.check(caution, "C:\\" + label)
                self.expect_box("警告", text)
                c = self.next_page("grpMessage")
                self.assertEqual(c["btnEvent"].text, f"{S}開始(&S)")
                self.quit(proc)

    def test_unknown_identifier_and_no_caution_show_nothing(self):
        proc = self.check("UnInstallCheckEx=IDCheck:NOBODY\n", "C:\\none")
        self.next_page("grpMessage")  # would fail if a message box stood in the way
        self.quit(proc)


class RefusedSystem(WizardCase):
    version = "win98"

    def test_containment_on_the_95_platform(self):
        script = ("[Extend]\nRejectOS=Windows 95,Windows 98<SE>\n[DefaultFolder]\nFolder=C:\\pkg\\\n"
                  "[Caution]\nUnInstallCheckEx=SETUP.INI\n")
        proc = self.launch({"SETUP.INI": script})
        self.expect_box("警告", REJECT)
        self.assert_no_box()  # the refusal alone: the file check (which would hit) is skipped
        c = self.main()
        self.assertFalse(c["btnEvent"].enabled)
        self.assertNotIn("【注意】", c["lblTitleMessage"].text)  # the 95 platform has no administrator note
        self.wine.screenshot("refused")
        self.wine.click("TfrmMain", "btnEnd")
        self.assert_no_question_and_gone(proc)

    def test_letter_case_ignored_and_other_systems_pass(self):
        proc = self.launch({"SETUP.INI": "[Extend]\nRejectOS=windows 98<se>\n"}, folder="C:\\lower")
        self.expect_box("警告", REJECT)
        self.wine.click("TfrmMain", "btnEnd")
        self.assert_no_question_and_gone(proc)
        proc = self.launch({"SETUP.INI": "[Extend]\nRejectOS=Windows XP,Windows 2000\n"}, folder="C:\\other")
        self.next_page("grpMessage")
        self.quit(proc)


if __name__ == "__main__":
    unittest.main()
