"""The copy step through the wizard: overwrite decisions, compressed files, disk changes,
files in use replaced at restart, shared counts and self-registration, and folder names
whose second Shift-JIS byte is a backslash. Each scenario checks what the run left on
the machine: file bytes, registry values, the uninstall log and the pages shown."""
import os
import time

from harness import BUILD, on_versions
from install_support import InstallCase, S, file_bytes, read_lnk, reg_value, shell_folder
from test_install import compressed

APP = "C:\\KelvoFiles\\"
COMPONENTS = os.path.join(BUILD, "tools", "win", "testcomponent")
HOLDFILE = os.path.join(BUILD, "tools", "win", "holdfile", "holdfile.exe")
SHARED = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
SESSION = r"HKLM\System\CurrentControlSet\Control\Session Manager"
COPY_STEP = "ファイルをコピーしています．．．"
SPACE_STEP = "ディスクの空き容量をチェックしています．．．"
EXISTS = "\r\n\r\nこのファイルは既に存在します。\r\n上書きしてもよろしいですか？"
DONE_PAGE = f"{S}を完了しました。"
RESTART_PAGE = (f"　{S}を完了するには、Windowsを再起動する必要があります。\r\n\r\n"
                "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、"
                "かつ、終了後プログラムは実行されませんので、十分にご注意ください。")

# Debian's mscompress mangles files shorter than 16 bytes: compressed contents are longer.
OVER = b"expanded over the installed file"
# A moment well in the past, on a minute boundary: the comparison uses 2-second DOS times.
BASE_TIME = (int(time.time()) // 60) * 60 - 3600


def script(body, folder=APP, program_id="KELVOFILES", key="KelvoFiles"):
    return f"""[Title]
Setup=ファイル セットアップ
UnSetup=ファイル製品
Program=ファイル
UnSetupKey={key}
[Extend]
SetupSpeed=1
[DefaultFolder]
Folder={folder}
[ProgramID]
ID={program_id}
""" + body


def section(text, name):
    """The lines of one section of a log text, up to the empty line that ends it."""
    lines = text.split("\r\n")
    out = []
    for line in lines[lines.index(f"[{name}]") + 1:]:
        if not line or line.startswith("["):
            break
        out.append(line)
    return out


def numbered(prefix, values):
    return [f"{prefix}{n}={value}" for n, value in enumerate(values, 1)]


class FilesCase(InstallCase):

    def put(self, windows_path, content, mtime=None):
        """Writes a file into the prefix, optionally with a given modification time."""
        path = self.wine.unix(windows_path)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(content)
        if mtime is not None:
            os.utime(path, (mtime, mtime))

    def age(self, windows_path, mtime):
        os.utime(self.wine.unix(windows_path), (mtime, mtime))

    def log(self, folder=APP):
        return self.read(folder + "UNSETUP.INI").decode("cp932")

    def step_line(self, text, start):
        lines = [line for line in text.split("\r\n") if line.startswith(start)]
        self.assertEqual(len(lines), 1, text)
        return lines[0][len(start):]

    def names_in(self, windows_folder):
        return sorted(os.listdir(self.wine.unix(windows_folder)))

    def hold(self, windows_path):
        """Starts holdfile on a file and waits until it holds it; returns the process and
        the file's short path as the system gives it."""
        ready = windows_path + ".held"
        proc = self.wine.start(HOLDFILE, windows_path, ready)
        deadline = time.time() + 30
        while not (os.path.exists(self.wine.unix(ready)) and os.path.getsize(self.wine.unix(ready))):
            self.assertIsNone(proc.poll(), "holdfile could not open the file")
            self.assertLess(time.time(), deadline, "holdfile never held the file")
            time.sleep(0.1)
        short = self.read(ready).decode("cp932")
        os.remove(self.wine.unix(ready))
        self.addCleanup(lambda: proc.poll() is None and proc.kill())
        return proc, short

    def end(self, proc):
        proc.kill()
        proc.wait(timeout=30)
        time.sleep(0.5)  # the server closes the handles of the ended process


class OverwriteChoice(FilesCase):

    def test_automatic_overwrite_replaces_only_older_files_and_always_expanded_ones(self):
        """The default choice: older destinations are replaced silently, newer and equally old
        ones are left; a compressed entry always replaces (its expanded copy is new); expanded
        names come from the compressed file in upper case or from "|" as written."""
        wine = self.wine
        readme = b"expanded from the package " * 20
        self.put(APP + "OLDER.TXT", b"installed older", BASE_TIME - 600)
        self.put(APP + "NEWER.TXT", b"installed newer", BASE_TIME + 600)
        self.put(APP + "EQUAL.TXT", b"installed equal", BASE_TIME)
        self.put(APP + "OVER.TXT", b"installed, newer than the compressed file", BASE_TIME - 600)
        self.put(APP + "SHARED.DAT", b"installed shared, uncounted", BASE_TIME + 600)
        files = {
            "OLDER.TXT": b"package older", "NEWER.TXT": b"package newer", "EQUAL.TXT": b"package equal",
            "lower.tx_": compressed(readme, "t"),
            "DOC.TX_": compressed("説明書".encode("cp932") * 40, "T"),
            "OVER.TX_": compressed(OVER, "T"),
            "SHARED.DAT": b"package shared",
        }
        proc = self.launch(script(r"""[MakeFolder]
Folder1=(App)DATA
[CopyFile]
File1=(App)OLDER.TXT
File2=(App)NEWER.TXT
File3=(App)EQUAL.TXT
File4=(App)lower.tx_
File5=(App)DATA\DOC.TX_|\Mixed Case.txt
File6=(App)OVER.TX_
File7=(App)SHARED.DAT,/S
"""), files)
        for name in ("OLDER.TXT", "NEWER.TXT", "EQUAL.TXT", "SHARED.DAT"):
            self.age("C:\\pkg\\" + name, BASE_TIME)
        self.age("C:\\pkg\\OVER.TX_", BASE_TIME - 1200)
        main = self.to_main_page()
        self.assertTrue(main["chkOverWrite"].checked)
        self.install()
        text = self.status_text()
        self.assertEqual(self.step_line(text, SPACE_STEP), "完了")
        self.assertEqual(self.step_line(text, COPY_STEP), "完了")
        final = self.to_final_page()
        self.assertEqual(final["lblSelectTypeMsg"].text, DONE_PAGE)
        self.assertFalse(final["optSelectType2"].visible)
        self.finish(proc)

        self.assert_file(APP + "OLDER.TXT", b"package older")
        self.assert_file(APP + "NEWER.TXT", b"installed newer")
        self.assert_file(APP + "EQUAL.TXT", b"installed equal")
        self.assert_file(APP + "OVER.TXT", OVER)
        self.assert_file(APP + "SHARED.DAT", b"installed shared, uncounted")
        self.assertIn("LOWER.TXT", self.names_in(APP))
        self.assert_file(APP + "LOWER.TXT", readme)
        self.assertEqual(self.names_in(APP + "DATA"), ["Mixed Case.txt"])
        self.assert_file(APP + "DATA\\Mixed Case.txt", "説明書".encode("cp932") * 40)
        self.assertFalse(os.path.exists(os.path.join(wine.temp, "EXPAND.BST")))
        # An existing file without a count stands for one earlier user, even when it is left.
        self.assertEqual(reg_value(wine, SHARED, APP + "SHARED.DAT"), ("REG_DWORD", "0x2"))
        self.assertEqual(section(self.log(), "DeleteFile"), numbered("File", [
            APP + "OLDER.TXT", APP + "NEWER.TXT", APP + "EQUAL.TXT", APP + "LOWER.TXT",
            APP + "DATA\\Mixed Case.txt", APP + "OVER.TXT", APP + "SHARED.DAT,/S", APP + "UNSETUP.INI"]))

    def test_without_automatic_overwrite_each_existing_file_is_asked_for(self):
        """The choice unticked: every existing destination is asked for whatever its age; Yes
        replaces, No keeps, and an always-write entry is copied after a No."""
        wine = self.wine
        self.put(APP + "YES.TXT", b"installed yes", BASE_TIME + 600)
        self.put(APP + "NO.TXT", b"installed no", BASE_TIME - 600)
        self.put(APP + "ZIPPED.TXT", b"installed zipped", BASE_TIME - 600)
        self.put(APP + "ALWAYS.TXT", b"installed always", BASE_TIME + 600)
        files = {"YES.TXT": b"package yes", "NO.TXT": b"package no", "FRESH.TXT": b"package fresh",
                 "ZIPPED.TX_": compressed(b"package zipped, never installed", "T"), "ALWAYS.TXT": b"package always"}
        proc = self.launch(script(r"""[CopyFile]
File1=(App)YES.TXT
File2=(App)NO.TXT
File3=(App)FRESH.TXT
File4=(App)ZIPPED.TX_
File5=(App)ALWAYS.TXT,/w,/S
"""), files)
        for name in files:
            self.age("C:\\pkg\\" + name, BASE_TIME)
        self.to_main_page()
        self.set_check("chkOverWrite", False)
        self.assertFalse(wine.controls("TfrmMain")["chkOverWrite"].checked)
        self.install([("上書き確認", APP + "YES.TXT" + EXISTS, 6),
                      ("上書き確認", APP + "NO.TXT" + EXISTS, 7),
                      ("上書き確認", APP + "ZIPPED.TXT" + EXISTS, 7),
                      ("上書き確認", APP + "ALWAYS.TXT" + EXISTS, 7)])
        self.assertEqual(self.step_line(self.status_text(), COPY_STEP), "完了")
        self.to_final_page()
        self.finish(proc)

        self.assert_file(APP + "YES.TXT", b"package yes")
        self.assert_file(APP + "NO.TXT", b"installed no")
        self.assert_file(APP + "FRESH.TXT", b"package fresh")
        self.assert_file(APP + "ZIPPED.TXT", b"installed zipped")
        self.assert_file(APP + "ALWAYS.TXT", b"package always")
        self.assertFalse(os.path.exists(os.path.join(wine.temp, "EXPAND.BST")))
        # Only the second comma field is options: the third one ("/S") counts nothing.
        self.assertIsNone(reg_value(wine, SHARED, APP + "ALWAYS.TXT"))
        self.assertEqual(section(self.log(), "DeleteFile"), numbered("File", [
            APP + "YES.TXT", APP + "NO.TXT", APP + "FRESH.TXT", APP + "ZIPPED.TXT", APP + "ALWAYS.TXT,/w",
            APP + "UNSETUP.INI"]))


DISK_SCRIPT = script(r"""[CopyFile]
File1=(App)FIRST.TXT
File2=(Dch)(App)D2.TXT
File3=(App)THIRD.TXT
""")
DISK_FILES = {"FIRST.TXT": b"first disk, a larger file " * 40, "THIRD.TXT": b"third"}
DISK = ("ディスク交換", "2枚目のディスクに交換してください。")


class DiskChange(FilesCase):

    def setUp(self):
        super().setUp()
        os.makedirs(self.wine.unix(APP))

    def test_disk_question_returns_until_the_file_is_there(self):
        wine = self.wine
        proc = self.launch(DISK_SCRIPT, DISK_FILES)
        self.to_main_page()
        wine.click("TfrmMain", "btnEvent")
        self.assertEqual(wine.message_box(30000), DISK)
        # The second disk's file was missing when the package was measured: progress by entries.
        self.assertEqual(wine.text("TfrmStatus", "lblStatus"), "33%(1/3)")
        wine.screenshot("disk")
        wine.answer(1)
        self.assertEqual(wine.message_box(), DISK)  # still not there: asked again
        self.put("C:\\pkg\\D2.TXT", b"from the second disk")
        wine.answer(1)
        self.answer_until_done()
        text = self.status_text()
        self.assertNotIn(SPACE_STEP, text)
        self.assertEqual(self.step_line(text, COPY_STEP), "完了")
        self.assertEqual(wine.text("TfrmStatus", "lblStatus"), "100%(3/3)")
        self.to_final_page()
        self.finish(proc)

        self.assert_file(APP + "FIRST.TXT", DISK_FILES["FIRST.TXT"])
        self.assert_file(APP + "D2.TXT", b"from the second disk")
        self.assert_file(APP + "THIRD.TXT", b"third")
        self.assertEqual(section(self.log(), "DeleteFile"), numbered("File", [
            APP + "FIRST.TXT", APP + "D2.TXT", APP + "THIRD.TXT", APP + "UNSETUP.INI"]))

    def test_cancelled_disk_change_ends_the_program_without_a_log(self):
        wine = self.wine
        proc = self.launch(DISK_SCRIPT, DISK_FILES)
        self.to_main_page()
        self.install([DISK + (2,), ("致命的エラー", f"{S}を続行できませんでした。", 1)])
        self.assertEqual(proc.wait(timeout=60), 0)

        # What was copied before stays; nothing after it happens and no log is written.
        self.assert_file(APP + "FIRST.TXT", DISK_FILES["FIRST.TXT"])
        self.assertEqual(self.names_in(APP), ["FIRST.TXT"])
        records = wine.unix("C:\\windows\\KELVO98.INI")
        self.assertFalse(os.path.exists(records) and "KELVOFILES" in file_bytes(records).decode("cp932"))
        self.assertIsNone(reg_value(wine, r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KelvoFiles",
                                    "DisplayName"))
        self.assertFalse([name for name in os.listdir(wine.temp) if name.upper().startswith("KSTMP")])


LOCK_APP = "C:\\Kelvo Files\\"


class LockedFileCase(FilesCase):
    """A destination held open by another program is replaced at the next Windows start."""

    def locked_install(self, extra="", answers=()):
        wine = self.wine
        self.put(LOCK_APP + "Locked File.txt", b"installed, in use", BASE_TIME - 600)
        holder, short = self.hold(LOCK_APP + "Locked File.txt")
        proc = self.launch(script(r"""[CopyFile]
File1=(App)Locked File.txt
File2=(App)NORMAL.TXT
""" + extra, folder=LOCK_APP), {"Locked File.txt": b"new content", "NORMAL.TXT": b"normal"})
        self.to_main_page()
        self.install(answers)
        text = self.status_text()
        final = self.to_final_page()
        self.assertEqual(final["lblSelectTypeMsg"].text, RESTART_PAGE)
        self.assertEqual(final["optSelectType1"].text, "はい、Windowsを再起動します。(&Y)")
        self.assertTrue(final["optSelectType1"].checked)
        self.assertEqual(final["optSelectType2"].text, "いいえ、Windowsは再起動せずに、インストーラーを終了します。(&N)")
        self.assertTrue(final["optSelectType2"].visible and final["optSelectType2"].enabled)
        # The new content waits in the Windows folder; the file in use is untouched.
        self.assert_file("C:\\windows\\KSTMP1.TMP", b"new content")
        self.assert_file(LOCK_APP + "Locked File.txt", b"installed, in use")
        self.assert_file(LOCK_APP + "NORMAL.TXT", b"normal")
        self.assertEqual(section(self.log(LOCK_APP), "DeleteFile"), numbered("File", [
            LOCK_APP + "Locked File.txt", LOCK_APP + "NORMAL.TXT", LOCK_APP + "UNSETUP.INI"]))
        return proc, holder, short, text


class LockedFile(LockedFileCase):

    def test_restart_declined_leaves_the_rename_pending(self):
        wine = self.wine
        proc, holder, _, text = self.locked_install()
        self.assertEqual(self.step_line(text, COPY_STEP), "ロックファイルあり")
        pending = wine.run("reg", "query", SESSION, "/v", "PendingFileRenameOperations").stdout.decode("cp932")
        self.assertIn("REG_MULTI_SZ", pending)
        self.assertIn("C:\\windows\\KSTMP1.TMP", pending)
        self.assertIn(LOCK_APP + "Locked File.txt", pending)
        self.finish(proc, "optSelectType2")

        # Nothing restarted: the holder still runs and the old content is in place.
        self.assertIsNone(holder.poll())
        self.assert_file(LOCK_APP + "Locked File.txt", b"installed, in use")
        self.end(holder)
        self.assertEqual(wine.run("wineboot", "-r").returncode, 0)
        self.assert_file(LOCK_APP + "Locked File.txt", b"new content")
        self.assertFalse(os.path.exists(wine.unix("C:\\windows\\KSTMP1.TMP")))


class LockedFileOn98(LockedFileCase):
    version = "win98"

    def test_restart_chosen_replaces_through_wininit(self):
        wine = self.wine
        proc, holder, short, text = self.locked_install(
            "File3=(App)MISSING.TXT\n", [("警告", "フォルダの作成・ファイルのコピーで、一部の処理が失敗しました。\r\n詳細を表示しますか？", 7)])
        self.assertEqual(self.step_line(text, COPY_STEP), "一部失敗・ロックファイルあり")
        self.assertIsNone(reg_value(wine, SESSION, "PendingFileRenameOperations"))
        wininit = self.read("C:\\windows\\WININIT.INI").decode("cp932")
        rename = section(wininit, "Rename")
        self.assertEqual(len(rename), 1, wininit)
        key, value = rename[0].split("=")
        self.assertNotIn(" ", short)
        self.assertEqual(key, short)
        self.assertEqual(value.upper(), "C:\\WINDOWS\\KSTMP1.TMP")

        # The other program is closed, then the restart is chosen: the system carries out the rename.
        self.end(holder)
        wine.click("TfrmMain", "btnEvent")
        proc.wait(timeout=60)
        deadline = time.time() + 30
        while self.read(LOCK_APP + "Locked File.txt") != b"new content" and time.time() < deadline:
            time.sleep(0.5)
        self.assert_file(LOCK_APP + "Locked File.txt", b"new content")


class SharedFiles(FilesCase):

    def test_shared_counts_and_self_registration(self):
        """Two packages share a system file (count 1, then 2); a counted file over an
        uncounted one starts at 2; components register, and registration failures are shown
        while the files stay installed and recorded."""
        wine = self.wine
        system = wine.run("cmd", "/c", "echo %windir%\\system32").stdout.decode("cp932").strip() + "\\"
        app_a, app_b = "C:\\KelvoA\\", "C:\\KelvoB\\"
        for folder in (app_a, app_b):
            os.makedirs(wine.unix(folder))
        proc = self.launch(script(r"""[CopyFile]
File1=(Sys)KVSHARE.DAT,/S
File2=(App)COMPONENT_OK.DLL,/R
File3=(App)COMPONENT_FAILS.DLL,/R/S
File4=(App)NOTADLL.DLL,/r
""", folder=app_a, program_id="KELVOA", key="KelvoA"), {
            "KVSHARE.DAT": b"shared by two packages",
            "COMPONENT_OK.DLL": file_bytes(os.path.join(COMPONENTS, "component_ok.dll")),
            "COMPONENT_FAILS.DLL": file_bytes(os.path.join(COMPONENTS, "component_fails.dll")),
            "NOTADLL.DLL": b"not a library at all",
        }, folder="C:\\pkgA")
        self.to_main_page()
        self.install([
            ("OCX/DLL登録エラー(Procedure)", app_a + "COMPONENT_FAILS.DLLのDllRegisterServer関数が失敗しました。", 1),
            ("OCX/DLL登録エラー(LoadLibrary)", app_a + "NOTADLL.DLLの読み込みに失敗しました。", 1)])
        self.assertEqual(self.step_line(self.status_text(), COPY_STEP), "完了")
        self.to_final_page()
        self.finish(proc)

        self.assertEqual(reg_value(wine, SHARED, system + "KVSHARE.DAT"), ("REG_DWORD", "0x1"))
        self.assertEqual(reg_value(wine, SHARED, app_a + "COMPONENT_FAILS.DLL"), ("REG_DWORD", "0x1"))
        registered = r"HKCU\Software\KelvoTest"
        self.assertEqual(reg_value(wine, registered, "COMPONENT_OK.DLL"), ("REG_SZ", "registered"))
        self.assertEqual(reg_value(wine, registered, "COMPONENT_FAILS.DLL"), ("REG_SZ", "registered"))
        self.assert_file(app_a + "NOTADLL.DLL", b"not a library at all")
        self.assertEqual(section(self.log(app_a), "DeleteFile"), numbered("File", [
            system + "KVSHARE.DAT,/S", app_a + "COMPONENT_OK.DLL,/R", app_a + "COMPONENT_FAILS.DLL,/R/S",
            app_a + "NOTADLL.DLL,/r", app_a + "UNSETUP.INI"]))

        # A second package with its own program ID, into the same system file.
        self.put(app_b + "EXISTING.DAT", b"there before, uncounted", BASE_TIME - 600)
        proc = self.launch(script(r"""[CopyFile]
File1=(Sys)KVSHARE.DAT,/S
File2=(App)EXISTING.DAT,/s
""", folder=app_b, program_id="KELVOB", key="KelvoB"), {
            "KVSHARE.DAT": b"shared by two packages", "EXISTING.DAT": b"second package"}, folder="C:\\pkgB")
        self.to_main_page()
        self.install()
        self.to_final_page()
        self.finish(proc)

        self.assertEqual(reg_value(wine, SHARED, system + "KVSHARE.DAT"), ("REG_DWORD", "0x2"))
        self.assertEqual(reg_value(wine, SHARED, app_b + "EXISTING.DAT"), ("REG_DWORD", "0x2"))
        self.assert_file(app_b + "EXISTING.DAT", b"second package")
        self.assert_file(system + "KVSHARE.DAT", b"shared by two packages")
        self.assertEqual(section(self.log(app_b), "DeleteFile"), numbered("File", [
            system + "KVSHARE.DAT,/S", app_b + "EXISTING.DAT,/s", app_b + "UNSETUP.INI"]))
        records = self.read("C:\\windows\\KELVO98.INI").decode("cp932")
        self.assertIn(f"[KELVOA]\r\nFolder={app_a}\r\n", records)
        self.assertIn(f"[KELVOB]\r\nFolder={app_b}\r\n", records)


# Both folder names end in a character whose second byte is 0x5C, as do some file names.
SJIS_APP = "C:\\表示ソ\\"
SJIS_SCRIPT = script(r"""[MakeFolder]
Folder1=(App)表
[CopyFile]
File1=(App)表\ソ.TXT
File2=(App)表\PLAIN.TXT|能.TXT
File3=(App)表\表.TX_
File4=(App)表\DOC.TX_|\十.TXT,/S
[ShortCut]
Make1=(App)表\ソ.TXT,/表
Name1=(Dsk)表示ソ
Make2=(App)表
Name2=(Sta)表示ソ\表,(App)表
[Registry]
Key1=(Cuser)Software\KelvoFiles
Name1=Folder
Value1=(Str)(App)(Pdd)
Key2=(Cuser)Software\KelvoFiles\表
Name2=Data
Value2=(App)表\
""", folder=SJIS_APP)


class TrailByteFolders(FilesCase):

    def test_every_path_keeps_its_trail_bytes(self):
        wine = self.wine
        so = "ソ表".encode("cp932") * 10
        proc = self.launch(SJIS_SCRIPT, {
            "ソ.TXT": so, "PLAIN.TXT": b"renamed", "表.TX_": compressed("表".encode("cp932") * 50, "T"),
            "DOC.TX_": compressed(b"ten " * 30, "T")})
        self.to_main_page()
        self.assertEqual(wine.text("TfrmMain", "txtFolder"), SJIS_APP)
        for box in ("chkSCutDesktop", "chkSCutStartMenu"):
            self.set_check(box, True)
        self.install([("フォルダ作成", SJIS_APP + "\r\n\r\nこのフォルダは存在しません。作成してもよろしいですか？", 6)])
        text = self.status_text()
        self.assertEqual(self.step_line(text, COPY_STEP), "完了")
        self.assertEqual(self.step_line(text, "フォルダを作成しています．．．"), "完了")
        self.assertEqual(self.step_line(text, "ショートカットを作成しています．．．"), "完了")
        self.to_final_page()
        self.finish(proc)

        folder = SJIS_APP + "表\\"
        self.assertEqual(self.names_in(SJIS_APP), sorted(["表", "UNSETUP.INI"]))
        self.assertEqual(self.names_in(folder), sorted(["ソ.TXT", "能.TXT", "表.TXT", "十.TXT"]))
        self.assert_file(folder + "ソ.TXT", so)
        self.assert_file(folder + "能.TXT", b"renamed")
        self.assert_file(folder + "表.TXT", "表".encode("cp932") * 50)
        self.assert_file(folder + "十.TXT", b"ten " * 30)
        self.assertEqual(reg_value(wine, SHARED, folder + "十.TXT"), ("REG_DWORD", "0x1"))
        self.assertEqual(reg_value(wine, r"HKCU\Software\KelvoFiles", "Folder"), ("REG_SZ", SJIS_APP[:-1]))
        self.assertEqual(reg_value(wine, r"HKCU\Software\KelvoFiles\表", "Data"), ("REG_SZ", folder))

        desktop, programs = shell_folder(wine, "Desktop"), shell_folder(wine, "Programs")
        link = read_lnk(wine.unix(desktop + "\\表示ソ.lnk"))
        self.assertEqual((link["target"], link["arguments"], link["working"]), (folder + "ソ.TXT", "/表", folder))
        link = read_lnk(wine.unix(programs + "\\表示ソ\\表.lnk"))
        self.assertEqual((link["target"], link["working"]), (SJIS_APP + "表", folder))

        log = self.log(SJIS_APP)
        self.assertEqual(section(log, "SetupFolder"), ["Folder=" + SJIS_APP])
        self.assertEqual(section(log, "DeleteFolder"), ["Folder1=" + folder])
        self.assertEqual(section(log, "DeleteFile"), numbered("File", [
            folder + "ソ.TXT", folder + "能.TXT", folder + "表.TXT", folder + "十.TXT,/S", SJIS_APP + "UNSETUP.INI"]))
        self.assertEqual(section(log, "DeleteShortCut"), numbered("File", [
            desktop + "\\表示ソ.lnk", programs + "\\表示ソ\\表.lnk"]))
        self.assertIn(f"[KELVOFILES]\r\nFolder={SJIS_APP}\r\n", self.read("C:\\windows\\KELVO98.INI").decode("cp932"))


class TrailByteFoldersOn98(TrailByteFolders):
    version = "win98"


on_versions(globals(), ["win98"], DiskChange, OverwriteChoice, SharedFiles)
