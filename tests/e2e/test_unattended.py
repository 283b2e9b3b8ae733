"""Unattended installation and removal as deployment tools drive them: switches, no window,
the same machine as a user's defaults leave, exit codes and the run log."""
import os
import time

from harness import on_versions
from example_package import APP, KEY, example_files
from install_support import read_lnk, reg_value
from uninstall_support import RUNLINE, UNSTART, UninstallCase, machine_changes, snapshot

LOG = "C:\\kelvo.log"
CODE = "C:\\code.txt"
SHARED_DLL = "C:\\windows\\system32\\SAMPLECMP.DLL"
# What the final page starts after a user's installation (notepad) stores of itself.
# Where the test component notes its registration.
COMPONENT_KEY = "HKCU\\Software\\KelvoTest"
PROGRAM_OWN = ("hkcu\\software\\microsoft\\notepad", "hkcu\\software\\wine\\notepad")


class UnattendedCase(UninstallCase):

    def put_package(self, wine, files, folder="C:\\pkg"):
        return self.package(wine, files, folder=folder)

    def run_line(self, wine, command, shot=None, timeout=180):
        """Starts the command line, notes every window that shows while it runs (with a
        screenshot named shot once the status window is up), and returns (exit code, windows seen)."""
        if os.path.exists(wine.unix(CODE)):
            os.remove(wine.unix(CODE))
        # Windows of other programs (by class and process) that were there before do not count.
        there = {(w[0], w[3]) for w in wine.windows()}
        proc = wine.start(RUNLINE, command, CODE)
        seen = set()
        deadline = time.time() + timeout
        while proc.poll() is None:
            self.assertLess(time.time(), deadline, f"{command} never ended")
            now = {w[0] for w in wine.windows() if (w[0], w[3]) not in there}
            if shot and "TfrmStatus" in now - seen:
                wine.screenshot(shot)
            seen |= now
            time.sleep(0.2)
        with open(wine.unix(CODE)) as f:
            return int(f.read()), seen

    def log_text(self, wine):
        with open(wine.unix(LOG), "rb") as f:
            data = f.read()
        self.assertNotIn(b"\n", data.replace(b"\r\n", b""), "every line ends in CR LF")
        return data.decode("cp932")

    def quiet(self, wine, command):
        code, seen = self.run_line(wine, command)
        self.assertEqual(seen, set(), "a window showed during a quiet run")
        return code

    def uninstall_by_wizard(self, wine):
        """Removes the example package through its entry as a user does, deleting the shared component."""
        proc = self.start_uninstall(KEY, wine)
        for _ in range(3):
            if wine.text("TfrmMain", "btnEvent") == UNSTART:
                break
            before = wine.text("TfrmMain", "btnEvent")
            wine.click("TfrmMain", "btnEvent")
            self._until(wine, lambda: wine.text("TfrmMain", "btnEvent") != before, timeout=10)
        self.run_uninstall(proc, shared=["btnYes"], wine=wine)
        self.final_uninstall_page(wine)
        self.end_uninstall(proc, wine=wine)


class QuietMatchesWizard(UnattendedCase):
    """The example package installed and removed by a user with every default and with
    /quiet, each in a prefix of its own: both machines end up the same."""

    def check(self, version):
        ui, quiet = self.wine, self.make_wine(version, "-quiet")
        before = {}
        for wine in (ui, quiet):
            self.put_package(wine, example_files())
            before[wine] = snapshot(wine)

        self.install_with_defaults("C:\\pkg\\setup.exe", ui)
        ui.stop()  # the program the final page started
        code = self.quiet(quiet, f"C:\\pkg\\setup.exe /quiet /log {LOG}")
        self.assertEqual(code, 0)
        log = self.log_text(quiet)
        for line in ("[質問] フォルダ作成", "[回答] はい（無人実行ではインストールフォルダを作成します）",
                     "2枚目のディスクのファイルはすでにあります: C:\\pkg\\EXTRA.TXT", "[質問] 関連付けの確認",
                     "ファイルをコピーしています．．．完了", "アンインストール情報を更新しています．．．完了",
                     "終了コード: 0（完了）"):
            self.assertIn(line, log)
        os.remove(quiet.unix(LOG))
        os.remove(quiet.unix(CODE))
        installed = self.assert_same_changes(before, ui, quiet)
        self.assertIn(APP + "UNSETUP.INI", installed)

        self.uninstall_by_wizard(ui)
        command = self.uninstall_command(KEY, quiet)
        self.assertEqual(self.quiet(quiet, f"{command} /quiet /log {LOG}"), 0)
        log = self.log_text(quiet)
        self.assertIn("[質問] 共有ファイルの削除の確認", log)
        self.assertIn(SHARED_DLL, log)
        self.assertIn("[回答] いいえ（無人実行では共有ファイルを残します）", log)
        os.remove(quiet.unix(LOG))
        os.remove(quiet.unix(CODE))
        # The user deleted the shared component; the quiet removal kept it and said so.
        self.assertFalse(self.exists(SHARED_DLL, ui))
        self.assertTrue(self.exists(SHARED_DLL, quiet))
        os.remove(quiet.unix(SHARED_DLL))
        # A kept component stays registered; the deleted one was unregistered first.
        self.assertEqual(reg_value(ui, COMPONENT_KEY, "SAMPLECMP.DLL")[1], "unregistered")
        self.assertEqual(reg_value(quiet, COMPONENT_KEY, "SAMPLECMP.DLL")[1], "registered")
        # What a removal leaves by design: the record of installed programs and the uninstaller.
        self.assertEqual(self.assert_same_changes(before, ui, quiet, also_own=(COMPONENT_KEY.lower(),)),
                         ["C:\\windows\\KELVO98.INI", "C:\\windows\\UNKELVO.EXE"])

    def assert_same_changes(self, before, ui, quiet, also_own=()):
        """Both prefixes changed the same paths, keys and values, to the same contents
        (shell links by what they point to); returns the changed files."""
        after = {wine: snapshot(wine) for wine in (ui, quiet)}
        changes = {wine: [line for line in machine_changes(before[wine], after[wine], wine)
                          if not line[2:].startswith(PROGRAM_OWN + also_own)] for wine in (ui, quiet)}
        self.maxDiff = None
        self.assertEqual(changes[ui], changes[quiet])
        files = []
        for line in changes[ui]:
            path = line[2:]
            if path in after[ui].files:
                files.append(path)
                if path.lower().endswith(".lnk"):
                    self.assertEqual(read_lnk(ui.unix(path)), read_lnk(quiet.unix(path)), path)
                else:
                    self.assertEqual(after[ui].files[path], after[quiet].files[path], path)
            else:
                key = path.split("\\\\")[0].rstrip("\\")
                self.assertEqual(after[ui].registry.get(key), after[quiet].registry.get(key), path)
        return files

    def test_win98(self):
        self.wine = self.make_wine("win98", "-98")
        self.check("win98")

    def test_winxp(self):
        self.check("winxp")


PLAIN = """[Title]
Setup=無人テスト
UnSetup=無人テスト
[Extend]
SetupSpeed=1
[DefaultFolder]
Folder=C:\\Quiet\\
[CopyFile]
File1=(App)A.TXT
"""


class ExitCodes(UnattendedCase):
    """Each exit code, produced for real, with the log saying why."""
    version = "winxp"

    def package_with(self, folder, script, files=None):
        content = {"SETUP.INI": script, "A.TXT": "a\n"}
        content.update(files or {})
        self.put_package(self.wine, content, folder=folder)
        return folder + "\\setup.exe"

    def code(self, command, *lines):
        wine = self.wine
        code = self.quiet(wine, command)
        log = self.log_text(wine)
        for line in lines:
            self.assertIn(line, log)
        return code

    def test_exit_codes(self):
        wine = self.wine
        setup = self.package_with("C:\\p1", PLAIN)
        self.assertEqual(self.code(f"{setup} /quiet /bogus /log {LOG}", "不正なスイッチ: /bogus", "終了コード: 87"), 87)
        self.assertFalse(os.path.exists(wine.unix("C:\\Quiet")))

        # Another setup waits on its welcome page.
        first = wine.start(wine.unix(setup))
        wine.wait("TfrmMain")
        # Its start-up done, so that every window it shows is there before the quiet run.
        self.assertTrue(self._until(wine, lambda: wine.text("TfrmMain", "btnEvent") != ""))
        self.assertEqual(self.code(f"{setup} /quiet /log {LOG}", "ほかのセットアップが実行中です。", "終了コード: 4"), 4)
        wine.stop()

        missing = PLAIN + "File2=(App)GONE.TXT\n"
        setup = self.package_with("C:\\p2", missing)
        self.assertEqual(self.code(f"{setup} /quiet /log {LOG}", "ファイルをコピーしています．．．一部失敗",
                                   "<File> C:\\p2\\GONE.TXT", "終了コード: 1"), 1)
        self.assertEqual(self.read("C:\\Quiet\\A.TXT"), b"a\r\n")

        # Far more than any disk has; sparse, and never copied.
        setup = self.package_with("C:\\p3", PLAIN.replace("C:\\Quiet\\", "C:\\Big\\") + "File2=(App)BIG.DAT\n",
                                  {"BIG.DAT": b""})
        os.truncate(wine.unix("C:\\p3\\BIG.DAT"), 10 * 2 ** 40)
        self.assertEqual(self.code(f"{setup} /quiet /log {LOG}", "[質問] 空き容量チェックエラー",
                                   "[回答] いいえ（無人実行では容量が足りないまま続行しません）", "終了コード: 2"), 2)
        self.assertFalse(os.path.exists(wine.unix("C:\\Big")))

        # An install folder below a file cannot be made.
        self.assertEqual(self.code(f"{setup.replace('p3', 'p1')} /quiet /dir C:\\p1\\A.TXT\\sub /log {LOG}",
                                   "インストールフォルダ（/dir）: C:\\p1\\A.TXT\\sub\\", "[質問] フォルダ作成",
                                   "[質問] 致命的エラー", "終了コード: 2"), 2)

        refusing = PLAIN.replace("SetupSpeed=1", "SetupSpeed=1\nRejectOS=Windows 95,Windows 98<SE>,Windows Me,Windows XP")
        setup = self.package_with("C:\\p4", refusing.replace("C:\\Quiet\\", "C:\\Refused\\"))
        self.assertEqual(self.code(f"{setup} /quiet /log {LOG}", "認められていません", "終了コード: 3"), 3)
        self.assertFalse(os.path.exists(wine.unix("C:\\Refused")))

        # A file in use is replaced at the next start: done, but Windows must restart.
        self.hold("C:\\Quiet\\A.TXT")
        setup = self.package_with("C:\\p5", PLAIN, {"A.TXT": "new\n"})
        self.assertEqual(self.code(f"{setup} /quiet /norestart /log {LOG}", "完了するにはWindowsの再起動が必要です。",
                                   "終了コード: 3010"), 3010)
        wine.stop()

        # The folder switch with a folder macro, and a /passive run that asks nothing.
        setup = self.package_with("C:\\p6", PLAIN + '[Relate]\nName1=qqq,無人文書\nFile1=open,(App)A.TXT,"%1",,0\n')
        code, seen = self.run_line(wine, f"{setup} /passive /dir (Prg)Passive /log {LOG}", shot="passive")
        self.assertEqual(code, 0)
        self.assertIn("TfrmStatus", seen)
        self.assertIn("TfrmBack", seen)
        self.assertNotIn("#32770", seen)
        self.assertNotIn("TfrmMain", seen)
        self.assertEqual(self.read("C:\\Program Files\\Passive\\A.TXT"), b"a\r\n")
        self.assertIn("[質問] 関連付けの確認", self.log_text(wine))


on_versions(globals(), ["win98"], ExitCodes)
