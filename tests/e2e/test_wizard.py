"""The wizard as a user walks it: every page sequence, the quit question, the free-space
caption, uninstall mode from a prepared log, and the work folders removed at the end."""
import os
import re
import time
import unittest

from harness import WineTestCase

S, U = "インストール", "アンインストール"
QUIT_TEXT = f"{S}/{U}は終了していません。\r\n終了してもよろしいですか？"


class WizardCase(WineTestCase):
    """Starts setup.exe in a package folder and waits until start-up has finished."""

    def launch(self, files, *args, folder="C:\\pkg"):
        self.wine.driver("windows", timeout=60)  # the prefix's services start before the program does
        setup = self.package(self.wine, files, folder=folder)
        proc = self.wine.start(setup, *args)
        self.wine.wait("TfrmMain")
        self.until(lambda c: c["btnEvent"].text != "")
        return proc

    def main(self):
        return self.wine.controls("TfrmMain")

    def until(self, condition, timeout=15):
        deadline = time.time() + timeout
        while True:
            controls = self.main()
            if condition(controls) or time.time() > deadline:
                return controls
            time.sleep(0.1)

    def press(self, name, then):
        """Clicks a control of the wizard and waits until `then` holds for its controls."""
        self.wine.click("TfrmMain", name)
        controls = self.until(then)
        self.assertTrue(then(controls), f"after {name}: {[(k, c.text, c.visible) for k, c in controls.items()]}")
        return controls

    def next_page(self, panel):
        return self.press("btnEvent", lambda c: c[panel].visible)

    def expect_box(self, caption, text, answer=1):
        got = self.wine.message_box()
        self.assertEqual(got, (caption, text))
        self.wine.answer(answer)

    def assert_no_box(self):
        self.assertIsNone(self.wine.driver("wait", "#32770", "700", check=False))

    def quit(self, proc, question=QUIT_TEXT):
        """Leaves through btnEnd, answering Yes to the quit question."""
        self.wine.click("TfrmMain", "btnEnd")
        self.expect_box("終了確認", question, answer=6)
        self.assertTrue(self.wine.gone("TfrmBack", 10000))
        self.assertEqual(proc.wait(timeout=20), 0)

    def assert_no_question_and_gone(self, proc):
        self.assertTrue(self.wine.gone("TfrmBack", 10000), "the window should close without a question")
        self.assertEqual(proc.wait(timeout=20), 0)

    def assert_buttons(self, controls, event, end, event_enabled=True, end_enabled=True):
        self.assertEqual((controls["btnEvent"].text, controls["btnEnd"].text), (event, end))
        self.assertEqual((controls["btnEvent"].enabled, controls["btnEnd"].enabled), (event_enabled, end_enabled))


MAIN_GROUPS = ("grpMessage", "grpSetupFolder", "grpOption")
PLAIN = """[Title]
Setup=サンプル製品 セットアップ
Program=サンプル
CopyRight1=Copyright (C) 2024 Example Works
CopyRight2=All rights reserved.
[DefaultFolder]
Folder=(Prg)\\サンプル
[ShortCut]
Name1=(C_Dsk)\\サンプル.lnk
Name2=(Sta)\\サンプル\\サンプル.lnk
"""


class PlainPackage(WizardCase):
    def test_welcome_main_page_free_space_and_quit(self):
        stale = os.path.join(self.wine.temp, "KSTMP7")  # left by an earlier run
        os.makedirs(stale)
        open(os.path.join(stale, "SETUP.INI"), "w").close()
        proc = self.launch({"SETUP.INI": PLAIN})

        back = self.wine.controls("TfrmBack")
        self.assertEqual(self.wine.windows("TfrmBack")[0][1], "Kelvo Setup Version1.40(Build:1074/D3)")
        self.assertEqual(back["lblBackTitle1"].text, "サンプル製品 セットアップ")
        self.assertEqual(back["lblBackTitle2"].rect[:2], (back["lblBackTitle1"].rect[0] + 2, back["lblBackTitle1"].rect[1] + 2))
        self.assertTrue(back["lblPrgTitle1"].visible)
        self.assertEqual(back["lblPrgTitle1"].text, "Copyright (C) 2024 Example Works\r\nAll rights reserved.")
        self.assertEqual(self.wine.windows("TfrmMain")[0][1], "サンプル製品 セットアップ")

        c = self.main()
        self.assertTrue(c["fraTitle"].visible)
        self.assertFalse(any(c[g].visible for g in MAIN_GROUPS))
        self.assertTrue(c["lblTitleMessage"].text.startswith(
            f"　サンプル {S}プログラムへようこそ。この{S}プログラムは、あなたのコンピュータに サンプル を{S}します。"))
        self.assertIn("【注意】", c["lblTitleMessage"].text)  # Windows XP is NT
        self.assert_buttons(c, f"{S}続行(&C)", f"{S}終了(&E)")
        self.wine.screenshot("welcome")

        c = self.next_page("grpMessage")
        self.assertFalse(c["fraTitle"].visible)
        self.assertTrue(all(c[g].visible for g in MAIN_GROUPS))
        self.assert_buttons(c, f"{S}開始(&S)", f"{S}終了(&E)")
        self.assertEqual(c["lblMessage"].text, f"{S}を行います。\r\n")
        self.assertEqual(c["txtFolder"].text, "C:\\Program Files\\サンプル\\")
        self.assertRegex(c["grpSetupFolder"].text, r"^インストールフォルダ\(空き容量：\d{1,3}(,\d{3})+Byte\)$")
        self.assertEqual(c["grpOption"].text, f"{S}オプション")
        ticks = {n: (c[n].checked, c[n].enabled) for n in
                 ("chkSCutDesktop", "chkSCutStartMenu", "chkSCutStartUp", "chkSCutSendTo", "chkOverWrite")}
        self.assertEqual(ticks, {"chkSCutDesktop": (True, True), "chkSCutStartMenu": (True, True),
                                 "chkSCutStartUp": (False, False), "chkSCutSendTo": (False, False),
                                 "chkOverWrite": (True, True)})
        self.wine.screenshot("main")

        self.wine.click("TfrmMain", "btnRefer")  # cancelling the folder browser changes nothing
        self.assertEqual(self.wine.wait("#32770"), "フォルダーの参照")
        self.wine.answer(2)
        self.assertEqual(self.main()["txtFolder"].text, "C:\\Program Files\\サンプル\\")

        self.wine.driver("type", "TfrmMain", "txtFolder", "Q:\\Nowhere\\")
        self.assertEqual(self.wine.text("TfrmMain", "grpSetupFolder"), "インストールフォルダ(空き容量：不明)")

        self.wine.click("TfrmMain", "btnEnd")
        self.expect_box("終了確認", QUIT_TEXT, answer=7)
        self.assertTrue(self.main()["grpMessage"].visible)  # No keeps the wizard open
        self.quit(proc)
        self.assertEqual([d for d in os.listdir(self.wine.temp) if d.startswith("KSTMP")], [])

    def test_locked_choices_and_odd_values(self):
        key = "HKCU\\Software\\KelvoTest"
        self.wine.reg_add(key, "Number", "7", kind="REG_DWORD")
        self.wine.reg_add(key, "Dir", "C:\\FromRegistry")
        cases = (("Number", "C:\\Program Files\\Default\\"), ("Dir", "C:\\FromRegistry\\"))
        for value, expected in cases:
            with self.subTest(value=value):
                script = ("[Extend]\nEnabled=False\nSetupSpeed=fast\n[DefaultFolder]\nFolder=(Prg)\\Default\n"
                          f"ReferRegistry=Software\\KelvoTest,{value}\nReferIniFile=Paths,Home,C:\\missing.ini\n"
                          "[ShortCut]\nName1=(Sup)\\a.lnk\n")
                proc = self.launch({"SETUP.INI": script}, folder="C:\\" + value)
                c = self.next_page("grpMessage")
                self.assertEqual(c["txtFolder"].text, expected)
                for name in ("txtFolder", "btnRefer", "chkOverWrite", "chkSCutStartUp"):
                    self.assertFalse(c[name].enabled, name)
                self.assertTrue(c["chkSCutStartUp"].checked)
                self.quit(proc)

    def test_install_words_equal_to_the_uninstall_words_or_empty_still_install(self):
        for s, u in (("導入", "導入"), ("", "削除")):
            with self.subTest(words=(s, u)):
                script = f"[Extend]\nSetupString={s}\nUnSetupString={u}\n[DefaultFolder]\nFolder=C:\\New{len(s)}\n"
                proc = self.launch({"SETUP.INI": script}, folder=f"C:\\pkg{len(s)}")
                c = self.next_page("grpMessage")
                self.assert_buttons(c, f"{s}開始(&S)", f"{s}終了(&E)")
                self.wine.click("TfrmMain", "btnEvent")
                self.assertEqual(self.wine.message_box()[0], "フォルダ作成")  # the install run's first question
                self.wine.answer(7)
                self.expect_box(f"{s}中止", f"{s}を続行できませんでした。")
                self.assertTrue(self.wine.gone("TfrmBack", 10000))
                proc.wait(timeout=20)


EULA = """[Title]
Setup=契約テスト
[EULA]
File=\\EULA.TXT
[Readme]
File=README.TXT
Title=お読みください
ScrollBars=ssBoth
"""


class LicenceAndReadme(WizardCase):
    def test_licence_check_box_readme_then_main_page(self):
        eula = "第1条 本ソフトウェアの使用を許諾します。\n" * 40
        proc = self.launch({"SETUP.INI": EULA, "EULA.TXT": eula, "README.TXT": "最初にお読みください。\n"})
        c = self.next_page("fraReadme")
        self.assertEqual(c["fraReadme"].text, "使用許諾契約書")
        self.assert_buttons(c, "同意する(&A)", "同意しない(&N)", event_enabled=False)
        self.assertTrue(c["chkEULARead"].visible)
        self.assertFalse(c["chkEULARead"].checked)
        self.assertEqual(c["txtReadme"].rect[3], 217 - 24)
        self.assertEqual(c["txtReadme"].text, eula.replace("\n", "\r\n"))
        self.wine.screenshot("licence")

        self.wine.driver("check", "TfrmMain", "chkEULARead", "1")
        self.until(lambda c: c["btnEvent"].enabled)
        self.wine.driver("check", "TfrmMain", "chkEULARead", "0")
        self.assertFalse(self.until(lambda c: not c["btnEvent"].enabled)["btnEvent"].enabled)
        self.wine.driver("check", "TfrmMain", "chkEULARead", "1")
        self.until(lambda c: c["btnEvent"].enabled)

        c = self.press("btnEvent", lambda c: c["fraReadme"].text == "お読みください")
        self.assert_buttons(c, f"{S}続行(&C)", f"{S}終了(&E)")
        self.assertFalse(c["chkEULARead"].visible)
        self.assertEqual(c["txtReadme"].rect[3], 217)
        self.assertEqual(c["txtReadme"].text, "最初にお読みください。\r\n")
        self.wine.screenshot("readme")

        self.wine.click("TfrmMain", "btnEnd")  # quitting from the readme asks
        self.expect_box("終了確認", QUIT_TEXT, answer=7)
        c = self.next_page("grpMessage")
        self.assertFalse(c["fraReadme"].visible)
        self.assert_buttons(c, f"{S}開始(&S)", f"{S}終了(&E)")
        self.quit(proc)

    def test_hidden_check_box_and_disagree_quits_at_once(self):
        script = EULA.replace("File=\\EULA.TXT", "File=\\EULA.TXT\nCheckBox=Hide")
        proc = self.launch({"SETUP.INI": script, "EULA.TXT": "契約\n"})
        c = self.next_page("fraReadme")
        self.assertFalse(c["chkEULARead"].visible)
        self.assertEqual(c["txtReadme"].rect[3], 217)
        self.assert_buttons(c, "同意する(&A)", "同意しない(&N)")
        self.wine.click("TfrmMain", "btnEnd")
        self.assert_no_question_and_gone(proc)


UNSETUP_LOG = """[Title]
Setup=サンプル製品
UnSetup=サンプル製品の削除
[Extend]
UnSetupString=削除
[SetupFolder]
Folder=C:\\App\\
[UnSetupOption]
CheckBox={checkbox}
CheckBox3={caption3}
[BeforeUnInstall]
ReadmeFile={readme}
"""
UNINSTALL_QUIT = f"{S}/削除は終了していません。\r\n終了してもよろしいですか？"


class UninstallMode(WizardCase):
    def start_uninstall(self, checkbox, caption3="", readme=""):
        app = self.wine.unix("C:\\App")
        os.makedirs(app, exist_ok=True)
        log = UNSETUP_LOG.format(checkbox=checkbox, caption3=caption3, readme=readme)
        with open(os.path.join(app, "UNSETUP.INI"), "wb") as f:
            f.write(log.replace("\n", "\r\n").encode("cp932"))
        with open(os.path.join(app, "BEFORE.TXT"), "wb") as f:
            f.write("削除の前の注意\r\n".encode("cp932"))
        return self.launch({}, "C:\\App\\UNSETUP.INI", folder="C:\\Windows")

    def test_readme_first_then_options_page(self):
        proc = self.start_uninstall("1,0,1,0", caption3="設定ファイル", readme="\\BEFORE.TXT")
        c = self.until(lambda c: c["fraReadme"].visible)
        self.assertEqual(c["fraReadme"].text, "削除の前にお読みください。")
        self.assertEqual(c["txtReadme"].text, "削除の前の注意\r\n")
        self.assert_buttons(c, "削除続行(&C)", "削除終了(&E)")
        self.assertEqual(self.wine.windows("TfrmMain")[0][1], "サンプル製品の削除")
        self.assertEqual(self.wine.controls("TfrmBack")["lblBackTitle1"].text, "サンプル製品の削除")

        c = self.next_page("grpMessage")
        self.assert_buttons(c, "削除開始(&S)", "削除終了(&E)")
        self.assertEqual(c["lblMessage"].text,
                         "削除を行います。\r\n\r\n開始するには、「削除開始(S)」を選択してください。\r\n")
        self.assertEqual((c["txtFolder"].text, c["txtFolder"].enabled), ("C:\\App\\", True))
        self.assertEqual(c["grpSetupFolder"].text, "削除フォルダ")
        self.assertEqual(c["grpOption"].text, "削除オプション")
        self.assertFalse(c["chkOverWrite"].visible)
        self.assertEqual((c["fraShortCut"].text, c["fraShortCut"].rect), ("ファイルの追加削除", (8, 16, 457, 65)))
        boxes = [(c[n].text, c[n].checked, c[n].enabled) for n in
                 ("chkSCutDesktop", "chkSCutStartMenu", "chkSCutStartUp", "chkSCutSendTo")]
        self.assertEqual(boxes, [("*.INI", True, True), ("*.GID", False, True), ("設定ファイル", True, True),
                                 ("", False, False)])
        self.assertTrue(c["lblUnSetupInfo"].visible)
        self.assertEqual(c["lblUnSetupInfo"].rect[1], 16 + 17 + 2)
        self.assertEqual(c["lblUnSetupInfo"].text,
                         "　削除フォルダの中で、コピーされたファイル以外に追加削除するファイルをチェック(選択)してください。")
        self.wine.screenshot("uninstall")
        self.quit(proc, UNINSTALL_QUIT)

    def test_delete_all_without_readme(self):
        proc = self.start_uninstall("DeleteAll", readme="\\MISSING.TXT")
        c = self.until(lambda c: c["grpMessage"].visible)
        self.assertFalse(c["fraReadme"].visible)
        self.assert_buttons(c, "削除開始(&S)", "削除終了(&E)")
        desktop = c["chkSCutDesktop"]
        self.assertEqual((desktop.text, desktop.checked, desktop.enabled), ("削除フォルダ以下の全ファイル・フォルダ", True, True))
        self.assertEqual(desktop.rect[2], 457 - 16)
        for name in ("chkSCutStartMenu", "chkSCutStartUp", "chkSCutSendTo"):
            self.assertFalse(c[name].visible or c[name].checked, name)
        self.wine.screenshot("uninstall-deleteall")
        self.quit(proc, UNINSTALL_QUIT)


if __name__ == "__main__":
    unittest.main()
