"""Install runs beyond the plain one, each driven through the wizard and checked on the
machine it leaves: a reinstall merging the earlier log, a package without uninstall
support, a log that cannot be put in place, an abort, too little disk space, install
folders that must or cannot be made, failed items with their details page, and the
final page's ways of ending (a program by the shell or as a new process, a restart)."""
import os
import time

from harness import BUILD, on_versions
from install_support import InstallCase, NEXT, S, U, file_bytes, reg_value, shell_folder, sjis

TOOLS = os.path.join(BUILD, "tools", "win")
RECORDER = os.path.join(TOOLS, "recorder", "recorder.exe")
UNINSTALL = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall"
SHARED = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
CLASSES = r"HKLM\Software\Classes"
SESSION = r"HKLM\System\CurrentControlSet\Control\Session Manager"
STOPPED = (f"{S}中止", f"{S}を続行できませんでした。", 1)
RESTART_MESSAGE = (f"　{S}を完了するには、Windowsを再起動する必要があります。\r\n\r\n"
                   "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、"
                   "かつ、終了後プログラムは実行されませんので、十分にご注意ください。")


def script(body, folder, title="試験製品", key="KelvoTest", program_id="", speed=1):
    """A setup script: the common head, then the sections of the scenario."""
    head = f"""[Title]
Setup=試験 セットアップ
UnSetup={title}
UnSetupKey={key}
[Extend]
SetupSpeed={speed}
[DefaultFolder]
Folder={folder}
"""
    if program_id:
        head += f"[ProgramID]\nID={program_id}\n"
    return head + body


def log_text(app, title, key, program_id="", folders=(), files=(), shortcuts=(), keys=(), extra=(), restore=()):
    """The whole uninstall log of a package without options or [BeforeUnInstall]."""
    def numbered(header, prefix, values):
        return header + "\n" + "".join(f"{prefix}{n}={value}\n" for n, value in enumerate(values, 1))
    return "\n".join([
        "[Information]\nMessage1=Kelvo Setup UnSetup(UnInstall) Initialize File\nMessage2=！！！　警告　！！！\n"
        "Message3=このファイルをエディタなどで書き換えたり、削除しないでください。\n"
        f"Message4=書き換えた場合、{U}動作の保証はできません。\n",
        f"[Title]\nUnSetup={title}\n",
        f"[SetupFolder]\nFolder={app}\n",
        numbered("[DeleteFolder]", "Folder", folders),
        numbered("[DeleteFile]", "File", files),
        numbered("[DeleteShortCut]", "File", shortcuts),
        numbered("[DeleteRegistry]", "Key", keys),
        numbered("[AddDeleteFile]", "File", extra),
        numbered("[RestoreRelate]", "Key", restore),
        "[UnSetupOption]\n",
        "[BeforeUnInstall]\n",
        f"[Extend]\nSetupString={S}\nUnSetupString={U}\n",
        f"[UnSetupRegistryKey]\nKey=SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\{key}\n",
        f"[ProgramID]\nID={program_id}\n",
    ])


class RunCase(InstallCase):
    """Message boxes answered one by one, and the pages of the run's end."""

    def expect_box(self, caption, text, button, timeout_ms=60000):
        """Waits for the next message box, checks caption and (unless None) text, answers it."""
        wine = self.wine
        got_caption, got_text = wine.message_box(timeout_ms)
        self.assertEqual((got_caption, got_text if text is not None else None), (caption, text))
        wine.screenshot("box-" + caption)
        wine.click("#32770", str(button))
        # The next box may follow at once: wait for this one to go, not for none to be left.
        def answered():
            return not wine.windows("#32770") or wine.message_box(1000) != (got_caption, got_text)
        self.assertTrue(self._until(wine, answered, timeout=10))
        return got_text

    def run_install(self, answers=(), timeout=120):
        """Starts the run, answers the boxes in order ((caption, button) or (caption, text,
        button)) and waits for the completion; any other box fails the test."""
        wine = self.wine
        wine.click("TfrmMain", "btnEvent")
        for answer in answers:
            self.expect_box(answer[0], answer[1] if len(answer) == 3 else None, answer[-1])
        deadline = time.time() + timeout
        while time.time() < deadline:
            if wine.windows("#32770"):
                self.fail("unexpected message box %r: %r" % wine.message_box())
            status = wine.controls("TfrmStatus")
            if status["btnAbort"].text == NEXT and status["btnAbort"].enabled:
                return
            time.sleep(0.2)
        self.fail("the completion never came")

    def ends(self, proc):
        self.assertEqual(proc.wait(timeout=60), 0)
        self.assertFalse(self.wine.windows("TfrmBack"))

    def final_page(self, label):
        """From the completion text to the final page; screenshots of both."""
        wine = self.wine
        wine.screenshot(label + "-completion")
        wine.click("TfrmStatus", "btnAbort")
        self.assertTrue(self._until(wine, lambda: wine.controls("TfrmMain")["fraSelectType"].visible))
        wine.screenshot(label + "-final")
        return wine.controls("TfrmMain")

    def error_text(self, code):
        """The system's message for an error code as failure blocks quote it."""
        return self.wine.run(os.path.join(TOOLS, "errortext", "errortext.exe"), str(code)).stdout.decode("cp932")

    def exists(self, windows_path):
        return os.path.exists(self.wine.unix(windows_path))

    def uninstall_entry(self, key):
        return reg_value(self.wine, UNINSTALL + "\\" + key, "UninstallString")

    def recorded(self, folder, timeout=20):
        """What the recorder beside the installed files noted, once it has run."""
        path = self.wine.unix(folder + "recorded.txt")
        self._until(self.wine, lambda: os.path.exists(path) and file_bytes(path).endswith(b"\r\n\r\n"), timeout)
        return file_bytes(path).decode("cp932") if os.path.exists(path) else None


# A reinstall into the same folder ---------------------------------------------------

RE_APP = "C:\\KelvoRe\\"
RE_HEAD = dict(folder=RE_APP, title="再製品", key="KelvoRe", program_id="KELVORE")
RE_FIRST = script(r"""[MakeFolder]
Folder1=(App)データ
Folder2=(App)旧フォルダ
[CopyFile]
File1=(App)A.TXT
File2=(App)B.DAT,/S
File3=(App)データ\D.TXT,/S
File4=(App)E.TXT
[ShortCut]
Make1=(App)A.TXT
Name1=再製品
Make2=(App)E.TXT
Name2=旧
[Relate]
Name1=abc,ABC文書
File1=open,(App)A.TXT,"%1",,0
[DeleteRegistry]
Key1=(Cuser)Software\KelvoRe
[AddDeleteFile]
File1=(App)*.TMP
""", **RE_HEAD)
# A now shared, C new, D no longer marked shared, E gone; associations: a new one, the
# one of the first install again, and one whose name a held slot contains.
RE_SECOND = script(r"""[MakeFolder]
Folder1=(App)新規
Folder2=(App)データ
[CopyFile]
File1=(App)C.TXT
File2=(App)A.TXT,/S
File3=(App)B.DAT,/S
File4=(App)データ\D.TXT
[ShortCut]
Make1=(App)C.TXT
Name1=再製品C
Make2=(App)A.TXT
Name2=再製品
[Relate]
Name1=abcd,ABCD文書
File1=open,(App)C.TXT,,,0
Name2=abc,ABC文書
File2=open,(App)A.TXT,"%1",,0
Name3=ab,AB文書
File3=open,(App)A.TXT,,,0
[DeleteRegistry]
Key1=(Cuser)Software\KelvoRe2
Key2=(Cuser)Software\KELVORE
[AddDeleteFile]
File1=(App)*.BAK
File2=(App)*.TMP
""", **RE_HEAD)


class RunReinstall(RunCase):
    version = "winxp"

    def run_package(self, text, files, answers):
        proc = self.launch(text, files)
        self.to_main_page()
        self.run_install(answers)
        self.final_page("reinstall")
        self.finish(proc)

    def test_second_install_merges_the_first_log(self):
        wine = self.wine
        for ext, previous in ((".abc", "abc旧クラス"), (".abcd", "abcdclass")):
            wine.run("reg", "add", CLASSES + "\\" + ext, "/ve", "/d", previous, "/f")
        os.makedirs(wine.unix(RE_APP))
        programs = shell_folder(wine, "Programs")
        self.run_package(RE_FIRST, {"A.TXT": b"A one", "B.DAT": b"B", "D.TXT": b"D", "E.TXT": b"E"},
                         [("関連付けの確認", 6)])
        self.assert_log(RE_APP + "UNSETUP.INI", log_text(
            RE_APP, "再製品", "KelvoRe", "KELVORE",
            folders=[RE_APP + "データ\\", RE_APP + "旧フォルダ\\"],
            files=[RE_APP + "A.TXT", RE_APP + "B.DAT,/S", RE_APP + "データ\\D.TXT,/S", RE_APP + "E.TXT",
                   RE_APP + "UNSETUP.INI"],
            shortcuts=[programs + "\\再製品.lnk", programs + "\\旧.lnk"],
            keys=["(Cuser)Software\\KelvoRe"], extra=[RE_APP + "*.TMP"], restore=["abc,abc旧クラス"]))

        self.run_package(RE_SECOND, {"A.TXT": b"A two", "B.DAT": b"B", "C.TXT": b"C", "D.TXT": b"D"}, [
            ("関連付けの確認", f"拡張子 *.abcd を\r\n{RE_APP}C.TXT\r\nに関連付けします。よろしいですか？", 6),
            ("関連付けの確認", 6), ("関連付けの確認", 6)])
        # This run's entries first, then the earlier ones, each path once; "/S" survives on
        # D and is doubled on B; the first install's previous class stays in Key1.
        self.assert_log(RE_APP + "UNSETUP.INI", log_text(
            RE_APP, "再製品", "KelvoRe", "KELVORE",
            folders=[RE_APP + "新規\\", RE_APP + "データ\\", RE_APP + "旧フォルダ\\"],
            files=[RE_APP + "C.TXT", RE_APP + "A.TXT,/S", RE_APP + "B.DAT,/S/S", RE_APP + "データ\\D.TXT,/S",
                   RE_APP + "UNSETUP.INI", RE_APP + "E.TXT"],
            shortcuts=[programs + "\\再製品C.lnk", programs + "\\再製品.lnk", programs + "\\旧.lnk"],
            keys=["(Cuser)Software\\KelvoRe2", "(Cuser)Software\\KELVORE"],
            extra=[RE_APP + "*.BAK", RE_APP + "*.TMP"],
            restore=["abc,abc旧クラス", "abcd,abcdclass"]))
        self.assert_file(RE_APP + "A.TXT", b"A two")
        for ext in ("abc", "abcd", "ab"):
            self.assertEqual(reg_value(wine, f"{CLASSES}\\.{ext}", ""), ("REG_SZ", f"{ext}_auto_file"))
        self.assertEqual(reg_value(wine, SHARED, RE_APP + "B.DAT"), ("REG_DWORD", "0x2"))
        self.assertEqual(reg_value(wine, SHARED, RE_APP + "データ\\D.TXT"), ("REG_DWORD", "0x1"))
        self.assertEqual(self.uninstall_entry("KelvoRe"),
                         ("REG_EXPAND_SZ", f'C:\\windows\\UNKELVO.EXE "{RE_APP}UNSETUP.INI"'))
        self.assertFalse(self.exists(RE_APP + "UNSETUP.NEW"))


class RunReinstallOn98(RunReinstall):
    version = "win98"


# No uninstall support ---------------------------------------------------------------

class RunSetupOnly(RunCase):
    def test_setup_only_leaves_no_log_and_no_entry(self):
        wine = self.wine
        app = "C:\\KelvoSO\\"
        os.makedirs(wine.unix(app))
        old_log = sjis("[Title]\nUnSetup=以前の製品\n")
        with open(wine.unix(app + "UNSETUP.INI"), "wb") as f:
            f.write(old_log)
        # The record knows this program in another folder, and an unrelated one.
        with open(wine.unix("C:\\windows\\KELVO98.INI"), "wb") as f:
            f.write(sjis("[KELVOSO]\nFolder=C:\\Old\\\n[OTHER]\nFolder=C:\\Other\\\n"))
        text = script("[CopyFile]\nFile1=(App)X.TXT\n", "C:\\Unused\\", title="お試し版 setup only.",
                      key="KelvoSO", program_id="KELVOSO")
        proc = self.launch(text, {"X.TXT": b"x"})
        self.to_main_page()
        self.assertEqual(wine.text("TfrmMain", "txtFolder"), "C:\\Old\\")
        wine.driver("type", "TfrmMain", "txtFolder", app)
        self.run_install()
        self.assertTrue(self.status_text().endswith(
            f"{U}情報を更新しています．．．完了\r\n\r\n【処理完了】\r\n"
            f"　「次へ(N)」をクリックして、{S}を完了してください。\r\n"))
        final = self.final_page("setup-only")
        self.assertEqual(final["lblSelectTypeMsg"].text, f"{S}を完了しました。")
        self.assertEqual(final["optSelectType1"].text, "インストーラを終了します。(&Y)")
        self.assertTrue(final["optSelectType1"].visible)
        self.assertFalse(final["optSelectType2"].visible)
        self.finish(proc)

        self.assert_file(app + "X.TXT", b"x")
        self.assert_file(app + "UNSETUP.INI", old_log)
        self.assertEqual(sorted(os.listdir(wine.unix(app))), ["UNSETUP.INI", "X.TXT"])
        self.assertIsNone(self.uninstall_entry("KelvoSO"))
        self.assertFalse(self.exists("C:\\windows\\UNKELVO.EXE"))
        self.assert_file("C:\\windows\\KELVO98.INI",
                         sjis(f"[KELVOSO]\nFolder={app}\n[OTHER]\nFolder=C:\\Other\\\n"))


# A log that cannot be put in place ----------------------------------------------------

FB_APP = "C:\\KelvoFB\\"
FB_SCRIPT = script("[CopyFile]\nFile1=(App)F.TXT\n", FB_APP, key="KelvoFB")
FB_LOG = log_text(FB_APP, "試験製品", "KelvoFB", files=[FB_APP + "F.TXT", FB_APP + "UNSETUP.INI"])


def fallback_warning(name):
    return (f"インストールフォルダに仮ファイル{name}を作成しました\r\n上記ファイルを「UNSETUP.INI」にリネームしてください。"
            f"\r\nリネームを行わないと、正常に{U}できません。")


class RunLogFallback(RunCase):
    def install_with_fallback(self, name):
        proc = self.launch(FB_SCRIPT, {"F.TXT": b"f"})
        self.to_main_page()
        self.run_install([
            ("致命的エラー", f"既存の「UNSETUP.INI」が削除できませんでした。\r\n{U}が正常に行われない可能性があります。", 1),
            ("警告", fallback_warning(name), 1)])
        self.final_page("fallback")
        self.finish(proc)

    def test_log_falls_back_to_the_next_free_temporary_name(self):
        wine = self.wine
        # A folder stands where the log belongs.
        os.makedirs(wine.unix(FB_APP + "UNSETUP.INI"))
        self.install_with_fallback("UNTMP1.INI")
        self.assert_log(FB_APP + "UNTMP1.INI", FB_LOG)
        self.assertEqual(self.uninstall_entry("KelvoFB"),
                         ("REG_EXPAND_SZ", f'C:\\windows\\UNKELVO.EXE "{FB_APP}UNSETUP.INI"'))

        # Now a log held open by another program: UNTMP1.INI is taken, so UNTMP2.INI.
        os.rmdir(wine.unix(FB_APP + "UNSETUP.INI"))
        held = sjis("[Title]\nUnSetup=held\n")
        with open(wine.unix(FB_APP + "UNSETUP.INI"), "wb") as f:
            f.write(held)
        ready = wine.unix("C:\\held.txt")
        wine.start(os.path.join(TOOLS, "holdfile", "holdfile.exe"), FB_APP + "UNSETUP.INI", "C:\\held.txt")
        self.assertTrue(self._until(wine, lambda: os.path.exists(ready)))
        first = self.read(FB_APP + "UNTMP1.INI")
        self.install_with_fallback("UNTMP2.INI")
        self.assert_log(FB_APP + "UNTMP2.INI", FB_LOG)
        self.assertEqual(self.read(FB_APP + "UNTMP1.INI"), first)
        self.assert_file(FB_APP + "UNSETUP.INI", held)
        self.assertFalse(self.exists(FB_APP + "UNSETUP.NEW"))


# Abort ------------------------------------------------------------------------------

class RunAbort(RunCase):
    def test_abort_after_the_folder_step_keeps_folders_and_writes_nothing(self):
        wine = self.wine
        app = "C:\\KelvoAbort\\"
        text = script("[MakeFolder]\nFolder1=(App)一\nFolder2=(App)一\\二\n[CopyFile]\nFile1=(App)A.TXT\n", app,
                      key="KelvoAbort", program_id="KELVOABORT", speed=1500)
        os.makedirs(wine.unix(app))
        proc = self.launch(text, {"A.TXT": b"a"})
        self.to_main_page()
        wine.click("TfrmMain", "btnEvent")
        # The pause after the last folder: abort there.
        self.assertTrue(self._until(wine, lambda: f"【作成中】 -> {app}一\\二\\" in self.status_text(), timeout=60))
        self.assertEqual(wine.text("TfrmStatus", "btnAbort"), "中断(&A)")
        wine.click("TfrmStatus", "btnAbort")
        self.expect_box("中断の確認", "ここで処理を中断すると、すでにコピー済みのファイルなどは削除されません。\r\n"
                        f"一度、処理を完了してから、{U}することをおすすめします。\r\n\r\n本当にここで処理を中断しますか？", 6)
        self.expect_box("中断", "処理を中断しました。", 1)
        self.ends(proc)

        self.assertTrue(os.path.isdir(wine.unix(app + "一\\二")))
        self.assertEqual(sorted(os.listdir(wine.unix(app))), ["一"])
        self.assertIsNone(self.uninstall_entry("KelvoAbort"))
        self.assertFalse(self.exists("C:\\windows\\UNKELVO.EXE"))
        self.assertFalse(self.exists("C:\\windows\\KELVO98.INI"))


# Disk space -------------------------------------------------------------------------

class RunDiskSpace(RunCase):
    def test_short_space_refused_stops_before_the_folder(self):
        wine = self.wine
        app = "C:\\KelvoBig\\"
        # Far more than any test disk has; sparse, and never copied because the answer is No
        # (its destination folder is missing too, so even a run that went on would not copy it).
        os.makedirs(wine.unix("C:\\pkg"))
        with open(wine.unix("C:\\pkg\\BIG.DAT"), "wb"):
            pass
        os.truncate(wine.unix("C:\\pkg\\BIG.DAT"), 10 * 2 ** 40)
        proc = self.launch(script("[CopyFile]\nFile1=(App)無し\\BIG.DAT\n", app, key="KelvoBig"))
        self.to_main_page()
        wine.click("TfrmMain", "btnEvent")
        self.expect_box("空き容量チェックエラー", "ディスクの空き容量が不足しているため、エラーになる可能性があります。\r\n"
                        f"このまま{S}を続行しますか？", 7)
        self.expect_box(*STOPPED)
        self.ends(proc)
        self.assertFalse(self.exists(app))
        self.assertIsNone(self.uninstall_entry("KelvoBig"))

    def test_failed_free_space_query_names_the_total(self):
        wine = self.wine
        # A drive the prefix does not have: both free-space queries fail.
        text = script("[CopyFile]\nFile1=(App)A.DAT\nFile2=(App)EMPTY.DAT\n", "Q:\\Kelvo\\", key="KelvoQ")
        proc = self.launch(text, {"A.DAT": b"a" * 1000, "EMPTY.DAT": b""})
        self.to_main_page()
        wine.click("TfrmMain", "btnEvent")
        # An empty file counts one byte.
        self.expect_box("空き容量チェックエラー", f"ディスクの空き容量取得関数が失敗しました。\r\n{S}に必要なディスク容量は 1001Byteです。"
                        f"\r\n空き容量があるようであれば、{S}を続行してください。\r\n\r\n{S}を続行しますか？", 6)
        self.assertTrue(self._until(wine, lambda: "ディスクの空き容量をチェックしています．．．関数失敗\r\n" in self.status_text()))
        self.expect_box("フォルダ作成", "Q:\\Kelvo\\\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？", 7)
        self.expect_box(*STOPPED)
        self.ends(proc)
        self.assertIsNone(self.uninstall_entry("KelvoQ"))


# Install folder ---------------------------------------------------------------------

class RunInstallFolder(RunCase):
    def test_missing_folder_made_on_yes_only(self):
        wine = self.wine
        app = "C:\\KelvoNew\\階層\\App\\"
        text = script("[CopyFile]\nFile1=(App)A.TXT\n", app, key="KelvoNew")
        question = f"{app}\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？"

        proc = self.launch(text, {"A.TXT": b"a"})
        self.to_main_page()
        wine.click("TfrmMain", "btnEvent")
        self.expect_box("フォルダ作成", question, 7)
        self.expect_box(*STOPPED)
        self.ends(proc)
        self.assertFalse(self.exists("C:\\KelvoNew"))

        proc = self.launch(text, {"A.TXT": b"a"})
        self.to_main_page()
        self.run_install([("フォルダ作成", question, 6)])
        self.assertIn(f"{S}フォルダをチェックしています．．．完了\r\n", self.status_text())
        self.final_page("folder-made")
        self.finish(proc)
        self.assert_file(app + "A.TXT", b"a")
        self.assert_log(app + "UNSETUP.INI",
                        log_text(app, "試験製品", "KelvoNew", files=[app + "A.TXT", app + "UNSETUP.INI"]))

    def test_folder_below_a_file_cannot_be_made(self):
        wine = self.wine
        with open(wine.unix("C:\\BLOCK"), "wb") as f:
            f.write(b"a file, not a folder")
        proc = self.launch(script("[CopyFile]\nFile1=(App)A.TXT\n", "C:\\Unused\\", key="KelvoBlock"), {"A.TXT": b"a"})
        self.to_main_page()
        app = "C:\\BLOCK\\App\\"
        wine.driver("type", "TfrmMain", "txtFolder", app[:-1])
        wine.click("TfrmMain", "btnEvent")
        self.expect_box("フォルダ作成", f"{app}\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？", 6)
        self.expect_box("致命的エラー", f"{S}フォルダの作成に失敗しました。\r\n\r\nプログラム作者へご報告ください。", 1)
        self.assertTrue(self._until(wine, lambda: f"{S}フォルダをチェックしています．．．作成失敗\r\n" in self.status_text()))
        self.expect_box(*STOPPED)
        self.ends(proc)
        self.assert_file("C:\\BLOCK", b"a file, not a folder")
        self.assertFalse(self.exists("C:\\Unused"))


# Failed items -----------------------------------------------------------------------

class RunFailureDetails(RunCase):
    def test_failed_items_are_detailed_and_the_run_goes_on(self):
        wine = self.wine
        app = "C:\\KelvoFail\\"
        os.makedirs(wine.unix(app))
        # A folder whose parent is missing, a source not in the package, and a key the
        # registry refuses (a lasting key below the volatile HARDWARE key).
        text = script(r"""[MakeFolder]
Folder1=(App)有
Folder2=(App)無い\子
[CopyFile]
File1=(App)A.TXT
File2=(App)MISSING.TXT
[Registry]
Key1=(Local)HARDWARE\KelvoFail
Name1=Value
Value1=(Str)x
Key2=(Cuser)Software\KelvoFail
Name2=Value
Value2=(Str)y
""", app, key="KelvoFail")
        proc = self.launch(text, {"A.TXT": b"a"})
        self.to_main_page()
        wine.click("TfrmMain", "btnEvent")
        self.expect_box("警告", "フォルダの作成・ファイルのコピーで、一部の処理が失敗しました。\r\n詳細を表示しますか？", 6)

        self.assertTrue(self._until(wine, lambda: wine.controls("TfrmMain")["fraReadme"].visible))
        page = wine.controls("TfrmMain")
        wine.screenshot("failure-details")
        self.assertEqual(page["fraReadme"].text, "作成・コピー処理失敗　詳細表示")
        self.assertEqual(page["btnEvent"].text, "続行(&C)")
        self.assertEqual(page["txtReadme"].text,
                         f"<Folder> {app}無い\\子\\\r\n" + self.error_text(3) +
                         "<File> C:\\pkg\\MISSING.TXT\r\nコピー元のファイルが見つかりません。\r\n\r\n" +
                         "<Registry> (Local)HARDWARE\\KelvoFail\r\n" + self.error_text(1021))
        self.assertFalse(wine.windows("TfrmStatus"))
        wine.click("TfrmMain", "btnEvent")
        self.assertTrue(self._until(wine, lambda: wine.controls("TfrmStatus")["btnAbort"].text == NEXT))
        steps = self.status_text().split("\r\n")
        for line in ("フォルダを作成しています．．．一部失敗", "ファイルをコピーしています．．．一部失敗",
                     "レジストリキーを作成しています．．．一部失敗", f"{U}情報を更新しています．．．完了"):
            self.assertIn(line, steps)
        self.final_page("failures")
        self.finish(proc)

        # The rest of the run happened: the good items, the later key and the log.
        self.assert_file(app + "A.TXT", b"a")
        self.assertEqual(reg_value(wine, r"HKCU\Software\KelvoFail", "Value"), ("REG_SZ", "y"))
        self.assert_log(app + "UNSETUP.INI", log_text(app, "試験製品", "KelvoFail", folders=[app + "有\\"],
                                                      files=[app + "A.TXT", app + "UNSETUP.INI"]))


# The final page ---------------------------------------------------------------------

class RunFinalPage(RunCase):
    def test_program_started_through_the_shell(self):
        wine = self.wine
        app = "C:\\KelvoRun\\"
        os.makedirs(wine.unix(app))
        text = script("[CopyFile]\nFile1=(App)recorder.exe\n[ExecuteFile]\nFile=(App)recorder.exe,first second\n",
                      app, key="KelvoRun")
        proc = self.launch(text, {"recorder.exe": file_bytes(RECORDER)})
        self.to_main_page()
        self.run_install()
        final = self.final_page("shell")
        self.assertEqual(final["lblSelectTypeMsg"].text,
                         f"{S}を完了しました。\r\n\r\n【インストーラ終了後、以下のプログラムが実行されます。】\r\n\r\n"
                         f"(ShellExecute APIを利用します。)\r\n{app}recorder.exe first second")
        self.assertEqual(final["optSelectType1"].text, "インストーラを終了して、プログラムを実行します。(&Y)")
        self.assertFalse(final["optSelectType2"].visible)
        self.assertIsNone(self.recorded(app, timeout=0))
        self.finish(proc)
        record = self.recorded(app)
        self.assertIsNotNone(record, "the program was not started")
        self.assertIn(f"cwd={app[:-1]}\r\n", record)
        self.assertTrue(record.endswith("arg1=first\r\narg2=second\r\n\r\n"), record)

    def test_program_started_as_a_process_from_a_path_with_spaces(self):
        wine = self.wine
        app = "C:\\Program Files\\Kelvo App\\"
        os.makedirs(wine.unix(app))
        text = script("[CopyFile]\nFile1=(App)recorder.exe\n"
                      '[ExecuteFile]\nFile=(App)recorder.exe,"one two" three,CreateProcess\n', app, key="KelvoProc")
        proc = self.launch(text, {"recorder.exe": file_bytes(RECORDER)})
        self.to_main_page()
        self.run_install()
        final = self.final_page("process")
        self.assertTrue(final["lblSelectTypeMsg"].text.endswith(
            f'(CreateProcess APIを利用します。)\r\n{app}recorder.exe "one two" three'))
        self.finish(proc)
        record = self.recorded(app)
        self.assertIsNotNone(record, "the program was not started")
        self.assertIn(f"cwd={app[:-1]}\r\n", record)
        self.assertTrue(record.endswith("arg1=one two\r\narg2=three\r\n\r\n"), record)

        # A program that is not there: the start failure, then the installer's own message.
        missing = app + "nothere.exe"
        text = script(f"[ExecuteFile]\nFile={missing},-x,CreateProcess\n", app, key="KelvoProc")
        proc = self.launch(text)
        self.to_main_page()
        self.run_install()
        self.final_page("missing")
        wine.click("TfrmMain", "btnEvent")
        self.expect_box("警告", f"プログラム実行失敗\r\n{missing} -x\r\n\r\n" + self.error_text(2), 1)
        self.expect_box("警告", "終了後プログラムの起動に失敗しました。\r\niniファイルの記述ミスの可能性があります。\r\n"
                        "プログラム提供者へご報告ください。", 1)
        self.ends(proc)

    def test_restart_offer_declined_starts_nothing(self):
        wine = self.wine
        app = "C:\\KelvoBoot\\"
        os.makedirs(wine.unix(app))
        text = script("[CopyFile]\nFile1=(App)A.TXT\n[ExecuteFile]\nFile=WINDOWS_REBOOT\n", app, key="KelvoBoot")
        # A restart would carry out a rename waiting for it.
        with open(wine.unix("C:\\waiting.txt"), "wb") as f:
            f.write(b"waiting")
        wine.run("reg", "add", SESSION, "/v", "PendingFileRenameOperations", "/t", "REG_MULTI_SZ",
                 "/d", "\\??\\C:\\waiting.txt\\0\\??\\C:\\renamed.txt", "/f")
        proc = self.launch(text, {"A.TXT": b"a"})
        self.to_main_page()
        self.run_install()
        final = self.final_page("restart")
        self.assertEqual(final["lblSelectTypeMsg"].text, RESTART_MESSAGE)
        self.assertEqual(final["optSelectType1"].text, "はい、Windowsを再起動します。(&Y)")
        self.assertTrue(final["optSelectType1"].checked)
        self.assertEqual(final["optSelectType2"].text, "いいえ、Windowsは再起動せずに、インストーラーを終了します。(&N)")
        self.assertTrue(final["optSelectType2"].visible and final["optSelectType2"].enabled)
        self.finish(proc, choice="optSelectType2")
        time.sleep(2)
        self.assert_file("C:\\waiting.txt", b"waiting")
        self.assertFalse(self.exists("C:\\renamed.txt"))


on_versions(globals(), ["win98"], RunAbort, RunDiskSpace, RunFailureDetails, RunFinalPage, RunInstallFolder,
            RunLogFallback, RunSetupOnly)
