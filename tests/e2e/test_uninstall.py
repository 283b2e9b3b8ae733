"""Uninstallations started as users start them, from the Add/Remove Programs entry's
command, walked through the uninstall wizard and checked on the machine they leave."""
import os
import random
import time

from harness import BUILD, on_versions
from install_support import S, U, file_bytes, reg_value, shell_folder, sjis
from uninstall_support import TOOLS, UNINSTALL_KEYS, UninstallCase, machine_changes, snapshot
import test_install

RECORDER = os.path.join(TOOLS, "recorder", "recorder.exe")
SHARED = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
SESSION = r"HKLM\System\CurrentControlSet\Control\Session Manager"
APP = test_install.APP


def edited(text, *changes):
    """The text with each (old, new) change made; each old text must occur exactly once."""
    for old, new in changes:
        assert text.count(old) == 1, old
        text = text.replace(old, new)
    return text


def steps(*results, before="なし"):
    """The status text of a whole run, given the result word of each step after the
    program before uninstalling ("なし" when there is none)."""
    names = [f"{U}処理前のプログラム実行", f"ファイルの{U}処理", f"ショートカットの{U}処理", f"フォルダの{U}処理",
             f"レジストリの{U}処理", f"関連付けの{U}処理", "「プログラム(アプリケーション)の追加と削除」の処理",
             f"{S}フォルダの{U}処理"]
    lines = [f"{name}．．．{result}" for name, result in zip(names, (before,) + results)]
    return f"{U}を行っています。\r\n\r\n【処理状況】\r\n" + "\r\n".join(lines) + "\r\n"


COMPLETION = f"\r\n【処理完了】\r\n　「次へ(N)」をクリックして、{U}を完了してください。\r\n"
# The question after a run with failures, answered "yes" to read the details.
FAILED = ("情報", f"{U}の過程で、一部の処理が失敗しました。\r\n詳細を表示しますか？", 6)
RESTART_NOTE = "(追加情報)このファイルはWindowsの再起動後に削除が試行されます。\r\n"


# The every-section package, with a program to run before uninstalling that notes how it
# was started, and the fourth uninstall option matching the note it leaves.
FULL_SCRIPT = edited(test_install.SCRIPT,
                     ("UnSetupCheckBox4=*.BAK", "UnSetupCheckBox4=*.TXT"),
                     ("File=\\APP.TXT,/x", "File=\\RECORDER.EXE,/before"),
                     ("File6=(App)COMPONENT_OK.DLL,/R/S\n",
                      "File6=(App)COMPONENT_OK.DLL,/R/S\nFile7=(App)RECORDER.EXE\n"))


class RoundTrip(UninstallCase):
    """Install the every-section package through the wizard and uninstall it through the
    Add/Remove Programs entry: the machine is as before, but for what is meant to stay."""
    version = "winxp"
    previous_class = None  # the package's extension is new to the machine

    def test_uninstall_leaves_the_machine_as_before(self):
        wine = self.wine
        files = {"SETUP.INI": sjis(FULL_SCRIPT), "RECORDER.EXE": file_bytes(RECORDER)}
        files.update(test_install.package_files())
        self.package(wine, files)
        if self.previous_class:
            wine.run("reg", "add", r"HKLM\Software\Classes\.kfl", "/ve", "/d", self.previous_class, "/f")
        before = snapshot(wine)

        proc = self.launch(FULL_SCRIPT, files)
        self.to_main_page()
        for box in ("chkSCutDesktop", "chkSCutStartMenu"):
            self.set_check(box, True)
        self.install([("フォルダ作成", None, 6), ("関連付けの確認", None, 6)])
        self.to_final_page()
        self.finish(proc)
        self.assertTrue(self.exists(shell_folder(wine, "Desktop") + "\\フル.lnk"))
        self.assertEqual(reg_value(wine, r"HKLM\Software\Classes\.kfl", ""), ("REG_SZ", "kfl_auto_file"))
        # Files the user made that the ticked uninstall options match.
        self.put(APP + "SETTINGS.INI", b"[user]\r\n")
        self.put(APP + "DATA\\表\\SESSION.LOG", b"log")

        proc = self.start_uninstall("KelvoFull")
        page = self.to_uninstall_page(readme="the application")
        boxes = [(page[n].text, page[n].checked, page[n].enabled, page[n].visible)
                 for n in ("chkSCutDesktop", "chkSCutStartMenu", "chkSCutStartUp", "chkSCutSendTo")]
        self.assertEqual(boxes, [("*.INI", True, True, True), ("*.GID", False, True, True),
                                 ("*.LOG", True, True, True), ("*.TXT", False, True, True)])
        self.assertEqual(page["fraShortCut"].text, "ファイルの追加削除")
        self.assertEqual(page["txtFolder"].text, APP)
        self.set_check("chkSCutSendTo", True)
        wine.screenshot("uninstall-page")

        recorded = []
        result = self.run_uninstall(proc, shared=["btnYes", "btnYes"],
                                    on_question=lambda text: recorded.append(self.read(APP + "recorded.txt")))
        # The program before uninstalling ran, from the install folder, before any file went.
        self.assertEqual(recorded[0].decode("cp932").split("\r\n")[:4],
                         ["cwd=C:\\KelvoFull", "cmd=\"C:\\KelvoFull\\RECORDER.EXE\" /before", "arg1=/before", ""])
        question = "\r\n\r\nこの共有ファイルは、現在、他のどのプログラムからも使われていません。\r\n" \
                   "しかし、今後、他のプログラムで使われる可能性があります。\r\nこのファイルを削除してもよろしいですか？"
        self.assertEqual(result.shared, [APP + "DATA\\表\\SHARED.DAT" + question, APP + "COMPONENT_OK.DLL" + question])
        self.assertEqual(result.boxes, [])
        self.assertEqual(result.status, steps(*["完了"] * 7, before="完了") + COMPLETION)

        final = self.final_uninstall_page()
        self.assertEqual(final["lblSelectTypeMsg"].text, f"{U}を完了しました。")
        self.assertEqual(final["optSelectType1"].text, "アンインストーラを終了します。(&Y)")
        self.assertTrue(final["optSelectType1"].checked)
        self.assertFalse(final["optSelectType2"].visible)
        self.assertEqual(final["btnEvent"].text, f"{U}完了(&E)")
        self.end_uninstall(proc)

        after = snapshot(wine)
        self.assertEqual(machine_changes(before, after, wine), [
            "+ C:\\windows\\KELVO98.INI",
            "+ C:\\windows\\UNKELVO.EXE",
            "+ hkcu\\software\\kelvotest\\",
            "+ hklm\\software\\microsoft\\windows\\currentversion\\shareddlls\\",
        ])
        # What stays: the uninstaller for other products, the record of installed programs
        # without this one, the system's register of shared counts without its counts, and
        # the test component's note that it was unregistered before it was deleted.
        self.assertEqual(self.read("C:\\windows\\UNKELVO.EXE"), file_bytes(os.path.join(BUILD, "setup.exe")))
        self.assertNotIn(b"[", self.read("C:\\windows\\KELVO98.INI"))
        self.assertEqual(after.registry["hklm\\software\\microsoft\\windows\\currentversion\\shareddlls"], {})
        self.assertEqual(after.registry["hkcu\\software\\kelvotest"], {"component_ok.dll": '"unregistered"'})


class RoundTripOn98(RoundTrip):
    version = "win98"
    previous_class = "kelvo.old"  # the extension belonged to another program, which gets it back


def product(key, app, body, program_id="", options=""):
    """A small package's setup script: titles, the install folder and the given sections."""
    head = f"""[Title]
Setup={key} セットアップ
UnSetup={key} 製品
UnSetupKey={key}
[Extend]
SetupSpeed=1
{options}
[DefaultFolder]
Folder={app}
"""
    if program_id:
        head += f"[ProgramID]\nID={program_id}\n"
    return head + body


def log_text(app, title, key, sections, program_id=""):
    """An uninstall log as the install run writes it, with the given sections' lines in
    place of the ones it would have recorded."""
    parts = ["[Information]\nMessage1=Kelvo Setup UnSetup(UnInstall) Initialize File\nMessage2=！！！　警告　！！！\n"
             "Message3=このファイルをエディタなどで書き換えたり、削除しないでください。\n"
             f"Message4=書き換えた場合、{U}動作の保証はできません。\n",
             f"[Title]\nUnSetup={title}\n", f"[SetupFolder]\nFolder={app}\n"]
    for section in ("DeleteFolder", "DeleteFile", "DeleteShortCut", "DeleteRegistry", "AddDeleteFile", "RestoreRelate"):
        parts.append(f"[{section}]\n" + "".join(line + "\n" for line in sections.get(section, ())))
    entry = sections.get("UnSetupRegistryKey", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + key)
    parts += [f"[Extend]\nSetupString={S}\nUnSetupString={U}\n", f"[UnSetupRegistryKey]\nKey={entry}\n",
              f"[ProgramID]\nID={program_id}\n"]
    return "\n".join(parts)


class SmallProducts(UninstallCase):
    """Scenarios with small packages of their own, installed through the wizard."""

    def install_product(self, script, files=(), package="C:\\pkg", answers=(("フォルダ作成", None, 6),), wine=None):
        content = {name: file_bytes(path) if isinstance(path, str) and os.path.isabs(path) else path
                   for name, path in dict(files).items()}
        self.full_install(script, content, list(answers), wine=wine, folder=package)

    def plant(self, key, body):
        """An installed product as the install run leaves it in C:\\<key>\\: files, the log
        (body: bytes, or the sections for log_text) and the Add/Remove Programs entry."""
        app = f"C:\\{key}\\"
        for name in ("A.TXT", "B.TXT", "C.TXT", "DATA\\D.TXT", "DATA\\USER.DOC", "MINE.TXT"):
            self.put(app + name, name.encode())
        log = body if isinstance(body, bytes) else sjis(log_text(app, f"{key} 製品", key, body))
        with open(self.wine.unix(app + "UNSETUP.INI"), "wb") as f:
            f.write(log)
        if not self.exists("C:\\windows\\UNKELVO.EXE"):
            self.put("C:\\windows\\UNKELVO.EXE", file_bytes(os.path.join(BUILD, "setup.exe")))
        entry = UNINSTALL_KEYS + "\\" + key
        self.wine.reg_add(entry, "DisplayName", f"{key} 製品")
        self.wine.reg_add(entry, "UninstallString", f'C:\\windows\\UNKELVO.EXE "{app}UNSETUP.INI"', "REG_EXPAND_SZ")
        self.wine.reg_add(f"HKCU\\Software\\{key}\\One", "Value", "1")
        self.wine.reg_add(f"HKCU\\Software\\{key}\\Three", "Value", "3")
        return app

    def assert_final_without_restart(self, final):
        self.assertEqual(final["lblSelectTypeMsg"].text, f"{U}を完了しました。")
        self.assertFalse(final["optSelectType2"].visible)


COMMON = "C:\\KelvoCommon\\"


class SharedAnswers(SmallProducts):
    """The four answers to the shared-file question, and a question closed unanswered."""

    def test_each_answer_and_the_sticky_ones(self):
        wine = self.wine
        os.makedirs(wine.unix(COMMON))
        names_a = ["Q1.DAT", "Q2.DAT", "Q3.DAT", "Q4.DAT", "Q5.DAT", "Q6.DLL"]
        self.install_product(product("KelvoShareA", "C:\\KelvoShareA\\", "[CopyFile]\nFile1=(App)A.TXT\n" + "".join(
            f"File{n}={COMMON}{name},/S\n" for n, name in enumerate(names_a, 2))),
            {name: name.encode() for name in ["A.TXT"] + names_a}, package="C:\\pkgA")
        names_b = ["S1.DAT", "S2.DAT", "S3.DLL"]
        self.install_product(product("KelvoShareB", "C:\\KelvoShareB\\", "[CopyFile]\nFile1=(App)B.TXT\n" + "".join(
            f"File{n}={COMMON}{name},/S/F\n" for n, name in enumerate(names_b, 2))),
            {name: name.encode() for name in ["B.TXT"] + names_b}, package="C:\\pkgB")
        for name in names_a + names_b:
            self.assertEqual(reg_value(wine, SHARED, COMMON + name), ("REG_DWORD", "0x1"))

        # Closed unanswered: kept. "Yes" and "No" decide one file each; "Delete" this one and
        # every later one without asking again.
        result, final = self.uninstall("KelvoShareA", shared=[None, "btnYes", "btnNo", "btnDelete"], label="A-")
        self.assertEqual([text.split("\r\n")[0] for text in result.shared], [COMMON + n for n in names_a[:4]])
        self.assertEqual(result.boxes, [])
        self.assert_final_without_restart(final)
        self.assertEqual(sorted(os.listdir(wine.unix(COMMON))), ["Q1.DAT", "Q3.DAT"] + names_b)
        self.assertFalse(self.exists("C:\\KelvoShareA"))

        # "Save" keeps this one and every later one, with no restart for their "/F".
        result, final = self.uninstall("KelvoShareB", shared=["btnSave"], label="B-")
        self.assertEqual([text.split("\r\n")[0] for text in result.shared], [COMMON + "S1.DAT"])
        self.assert_final_without_restart(final)
        self.assertEqual(sorted(os.listdir(wine.unix(COMMON))), ["Q1.DAT", "Q3.DAT"] + names_b)
        # Every count that reached zero is gone, kept files or not.
        for name in names_a + names_b:
            self.assertIsNone(reg_value(wine, SHARED, COMMON + name), name)
        self.assertIsNone(reg_value(wine, SESSION, "PendingFileRenameOperations"))


def two_product_script(letter):
    return product(f"Kelvo{letter}", f"C:\\Kelvo{letter}\\", f"""[CopyFile]
File1=(App){letter}.EXE
File2={COMMON}COMMON.DLL,/S/F
[ShortCut]
Make1=(App){letter}.EXE
Name1=(Sta)Kelvo共通\\{letter}
[Registry]
Key1=(Cuser)Software\\Kelvo{letter}
Name1=Folder
Value1=(Str)(App)
[DeleteRegistry]
Key1=(Cuser)Software\\Kelvo{letter}
""", program_id=f"KELVO{letter}")


class TwoProducts(SmallProducts):
    """Two products sharing a DLL and a Start menu folder: uninstalling one takes exactly its
    own things away, and the shared DLL's count of two only drops to one."""

    def test_uninstalling_one_leaves_the_other_untouched(self):
        wine = self.wine
        os.makedirs(wine.unix(COMMON))
        for letter in "AB":
            self.install_product(two_product_script(letter), {f"{letter}.EXE": b"program " + letter.encode(),
                                                              "COMMON.DLL": b"common library"},
                                 package=f"C:\\pkg{letter}")
        self.assertEqual(reg_value(wine, SHARED, COMMON + "COMMON.DLL"), ("REG_DWORD", "0x2"))
        before = snapshot(wine)

        result, final = self.uninstall("KelvoA")
        self.assertEqual((result.boxes, result.shared), ([], []))
        self.assertEqual(result.status, steps(*["完了"] * 7) + COMPLETION)
        self.assert_final_without_restart(final)

        programs = shell_folder(wine, "Programs")
        after = snapshot(wine)
        self.assertEqual(machine_changes(before, after, wine), sorted([
            "- C:\\KelvoA", "- C:\\KelvoA\\A.EXE", "- C:\\KelvoA\\UNSETUP.INI",
            f"- {programs}\\Kelvo共通\\A.lnk",
            "~ C:\\windows\\KELVO98.INI",
            "- hkcu\\software\\kelvoa\\",
            "- hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\kelvoa\\",
            "~ hklm\\software\\microsoft\\windows\\currentversion\\shareddlls\\\\c:\\kelvocommon\\common.dll",
        ], key=lambda line: (not line[2:].startswith("C:"), line[2:])))
        self.assertEqual(reg_value(wine, SHARED, COMMON + "COMMON.DLL"), ("REG_DWORD", "0x1"))
        self.assertEqual(self.read("C:\\windows\\KELVO98.INI").decode("cp932").replace("\r\n", "\n").strip(),
                         "[KELVOB]\nFolder=C:\\KelvoB\\")
        self.assertIsNone(reg_value(wine, SESSION, "PendingFileRenameOperations"))


class ComponentQuestion(SmallProducts):
    """Unshared components in the Windows or System folder are asked about; the same in the
    install folder go without a question; "/C" asks about any file."""

    def test_component_and_caution_questions(self):
        wine = self.wine
        component = os.path.join(TOOLS, "testcomponent", "component_ok.dll")
        self.install_product(product("KelvoComp", "C:\\KelvoComp\\", """[CopyFile]
File1=(Sys)KCOMPSYS.DLL,/R
File2=(Win)KCOMPWIN.OCX,/R
File3=(App)KCOMPAPP.DLL,/R
File4=(App)CAUTION.DAT,/C
File5=(Win)KCAUTION.DAT,/C
"""), {"KCOMPSYS.DLL": component, "KCOMPWIN.OCX": component, "KCOMPAPP.DLL": component,
       "CAUTION.DAT": b"caution", "KCAUTION.DAT": b"caution"})
        system = "C:\\windows\\system32\\"
        self.assertTrue(self.exists(system + "KCOMPSYS.DLL"))
        component_text = ("\r\n\r\nこのDLL/OCXファイルは、共有登録されていませんが、\r\n"
                          "今後、他のプログラムで使われる可能性があります。\r\nこのファイルを削除してもよろしいですか？")
        caution_text = ("\r\n\r\nこのファイルを削除してもよろしいですか？\r\n\r\n<<　注意　>>\r\n"
                        "DLL/OCXなどは他のプログラムでも使用される可能性があります。\r\n"
                        "確実に使用されないことがわかっている場合のみ削除してください。")
        caption = "ファイル削除の確認"
        result, final = self.uninstall("KelvoComp", boxes=[
            (caption, system + "KCOMPSYS.DLL" + component_text, 7),
            (caption, "C:\\windows\\KCOMPWIN.OCX" + component_text, 6),
            (caption, "C:\\KelvoComp\\CAUTION.DAT" + caution_text, 6),
            (caption, "C:\\windows\\KCAUTION.DAT" + caution_text, 7),
        ])
        self.assertEqual(result.status, steps(*["完了"] * 7) + COMPLETION)
        self.assert_final_without_restart(final)
        # "No" keeps a file (and its registration), "Yes" unregisters and deletes it.
        self.assertTrue(self.exists(system + "KCOMPSYS.DLL"))
        self.assertTrue(self.exists("C:\\windows\\KCAUTION.DAT"))
        self.assertFalse(self.exists("C:\\windows\\KCOMPWIN.OCX"))
        self.assertFalse(self.exists("C:\\KelvoComp"))
        registrations = r"HKCU\Software\KelvoTest"
        self.assertEqual(reg_value(wine, registrations, "KCOMPSYS.DLL"), ("REG_SZ", "registered"))
        self.assertEqual(reg_value(wine, registrations, "KCOMPWIN.OCX"), ("REG_SZ", "unregistered"))
        self.assertEqual(reg_value(wine, registrations, "KCOMPAPP.DLL"), ("REG_SZ", "unregistered"))


class DeleteAll(SmallProducts):
    """With "DeleteAll" the install folder goes with everything the user put into it, and
    the folders that were not empty on the way are not reported."""

    def test_everything_below_the_install_folder_goes(self):
        wine = self.wine
        app = "C:\\KelvoAll\\"
        self.install_product(product("KelvoAll", app, """[MakeFolder]
Folder1=(App)DATA
Folder2=(App)DATA\\SUB
[CopyFile]
File1=(App)APP.EXE
File2=(App)DATA\\D.TXT
File3=(App)DATA\\SUB\\S.TXT
""", options="UnSetupOption=DeleteAll"), {"APP.EXE": b"app", "D.TXT": b"d", "S.TXT": b"s"})
        for path in ("USER.DOC", "DATA\\SUB\\NOTE.TXT", "DATA\\自分\\深い\\X.TXT", "MINE\\A.TXT"):
            self.put(app + path, b"the user's")
        os.makedirs(wine.unix(app + "MINE\\EMPTY"))
        os.chmod(wine.unix(app + "MINE\\A.TXT"), 0o444)
        # A folder beside it whose name begins alike stays.
        self.put("C:\\KelvoAllData\\KEEP.TXT", b"keep")

        proc = self.start_uninstall("KelvoAll")
        page = self.to_uninstall_page()
        self.assertEqual((page["chkSCutDesktop"].text, page["chkSCutDesktop"].checked,
                          page["chkSCutDesktop"].enabled, page["chkSCutDesktop"].visible),
                         (f"{U}フォルダ以下の全ファイル・フォルダ", True, True, True))
        self.assertEqual(page["chkSCutDesktop"].rect[2], page["fraShortCut"].rect[2] - 16)
        for name in ("chkSCutStartMenu", "chkSCutStartUp", "chkSCutSendTo"):
            self.assertFalse(page[name].visible or page[name].checked, name)
        wine.screenshot("uninstall-page")
        result = self.run_uninstall(proc)
        self.assertEqual(result.boxes, [])
        self.assertEqual(result.status, steps(*["完了"] * 7) + COMPLETION)
        self.assert_final_without_restart(self.final_uninstall_page())
        self.end_uninstall(proc)
        self.assertFalse(self.exists(app))
        self.assertEqual(self.read("C:\\KelvoAllData\\KEEP.TXT"), b"keep")


class ProtectedFolders(SmallProducts):
    """Products installed into the Windows folder, My Documents and the drive root: the
    uninstall removes their files but never those folders, reports nothing for them, and
    leaves the files the ticked "*.INI" option would match there."""

    def test_system_folders_stay(self):
        wine = self.wine
        documents = shell_folder(wine, "Personal") + "\\"
        self.put(documents + "MEMO.INI", b"[memo]\r\n")
        self.put("C:\\KEEP.INI", b"[keep]\r\n")
        folders = {"KelvoWin": "C:\\windows\\", "KelvoDoc": documents, "KelvoRoot": "C:\\"}
        packages = []
        for n, (key, folder) in enumerate(folders.items()):
            script = product(key, folder, f"[CopyFile]\nFile1=(App)KTINY{n}.TXT\n", options="UnSetupOption=1,0,0,0")
            packages.append((script, {f"KTINY{n}.TXT": b"tiny"}, f"C:\\pkg{n}"))
            self.package(wine, {"SETUP.INI": sjis(script), f"KTINY{n}.TXT": b"tiny"}, folder=f"C:\\pkg{n}")
        before = snapshot(wine)
        for (script, files, package), folder in zip(packages, folders.values()):
            self.install_product(script, files, package=package, answers=())
            self.assertTrue(self.exists(folder + "UNSETUP.INI"))
        for n, key in enumerate(folders):
            result, final = self.uninstall(key, label=f"un{n}-")
            self.assertEqual(result.boxes, [])
            self.assertEqual(result.status, steps(*["完了"] * 7) + COMPLETION)
            self.assert_final_without_restart(final)
        # Everything else as before: the files the ticked "*.INI" option would match there too.
        self.assertEqual(machine_changes(before, snapshot(wine), wine), [
            "+ C:\\windows\\UNKELVO.EXE",
            "+ hklm\\software\\microsoft\\windows\\currentversion\\shareddlls\\",
        ])


class FailuresAndRestart(SmallProducts):
    """Files in use, one of them marked "/F", and a file already gone: each is reported in
    the details, the final page offers the restart, and the next start deletes the marked
    file only. Nested folders go before their parents, so none of them is reported."""
    version = "winxp"

    def test_failed_files_are_reported_and_the_restart_offered(self):
        wine = self.wine
        app = "C:\\KelvoBusy\\"
        self.install_product(product("KelvoBusy", app, """[MakeFolder]
Folder1=(App)A
Folder2=(App)A\\B
Folder3=(App)A\\B\\C
[CopyFile]
File1=(App)A\\B\\C\\DEEP.TXT
File2=(App)INUSE.DAT,/F
File3=(App)LOCKED.DAT
File4=(App)GONE.TXT
[AddDeleteFile]
File1=(App)NOTHERE.TMP
"""), {name: name.encode() for name in ("DEEP.TXT", "INUSE.DAT", "LOCKED.DAT", "GONE.TXT")})
        os.remove(wine.unix(app + "GONE.TXT"))
        holder, short = self.hold(app + "INUSE.DAT")
        self.hold(app + "LOCKED.DAT")

        proc = self.start_uninstall("KelvoBusy")
        self.to_uninstall_page()
        result = self.run_uninstall(proc, [FAILED])
        # A file held open is reported with the system's reason: another process uses it.
        report = (f"<File> {app}INUSE.DAT\r\n" + self.error_text(32) + RESTART_NOTE + "\r\n" +
                  f"<File> {app}LOCKED.DAT\r\n" + self.error_text(32) + "\r\n" +
                  f"<File> {app}GONE.TXT\r\n" + self.error_text(2) + "\r\n" +
                  f"<SetupFolder> {app}\r\nファイル・フォルダが残っているため、{S}フォルダを削除できませんでした。"
                  "エクスプローラなどから、直接削除してください。\r\n\r\n")
        self.assertEqual(result.details, ("削除処理失敗　詳細表示", report))
        self.assertEqual(result.status, steps("一部失敗", "完了", "完了", "完了", "完了", "完了", "一部失敗") +
                         f"《情報》{U}の過程で、一部の処理が失敗しました。\r\n" + COMPLETION)
        final = self.final_uninstall_page()
        self.assertEqual(final["lblSelectTypeMsg"].text,
                         f"　{U}を完了するには、Windowsを再起動する必要があります。\r\n\r\n"
                         "　Windowsの再起動を選択した場合、現在稼動している他のプログラムは強制的に終了され、"
                         "かつ、終了後プログラムは実行されませんので、十分にご注意ください。")
        self.assertEqual((final["optSelectType1"].text, final["optSelectType1"].checked),
                         ("はい、Windowsを再起動します。(&Y)", True))
        self.assertEqual((final["optSelectType2"].text, final["optSelectType2"].visible),
                         ("いいえ、Windowsは再起動せずに、アンインストーラーを終了します。(&N)", True))
        self.assertFalse(self.exists(app + "A"))
        self.assertEqual(sorted(os.listdir(wine.unix(app))), ["INUSE.DAT", "LOCKED.DAT"])
        self.assert_scheduled_alone(app + "INUSE.DAT", short)
        self.restart(proc, holder)
        # The next start deletes the marked file only.
        deadline = time.time() + 30
        while self.exists(app + "INUSE.DAT") and time.time() < deadline:
            time.sleep(0.5)
        self.assertEqual(sorted(os.listdir(wine.unix(app))), ["LOCKED.DAT"])

    def assert_scheduled_alone(self, path, short):
        self.assertEqual(reg_value(self.wine, SESSION, "PendingFileRenameOperations"),
                         ("REG_MULTI_SZ", f"\\??\\{path}\\0"))
        self.assertFalse(self.exists("C:\\windows\\WININIT.INI"))

    def restart(self, proc, holder):
        """Declines the restart: nothing restarts (the holder lives on); then the other
        program ends and the system starts again by itself."""
        self.end_uninstall(proc, "optSelectType2")
        self.assertIsNone(holder.poll())
        holder.kill()
        holder.wait(timeout=30)
        time.sleep(0.5)  # the server closes the handles of the ended process
        self.assertEqual(self.wine.run("wineboot", "-r").returncode, 0)


class FailuresAndRestartOn98(FailuresAndRestart):
    version = "win98"

    def assert_scheduled_alone(self, path, short):
        self.assertEqual(self.read("C:\\windows\\WININIT.INI").decode("cp932"), f"[Rename]\r\nNul={short}\r\n")
        self.assertIsNone(reg_value(self.wine, SESSION, "PendingFileRenameOperations"))

    def restart(self, proc, holder):
        """The other program ends, then the restart is chosen on the final page."""
        holder.kill()
        holder.wait(timeout=30)
        time.sleep(0.5)
        self.end_uninstall(proc)


class TamperedLog(SmallProducts):
    """A log changed after the installation to name system folders, registry roots and
    another key than the product's entry: each of those entries is refused and reported,
    nothing of them is touched, and the honest entries are still removed."""

    def test_dangerous_entries_are_refused(self):
        wine = self.wine
        app = "C:\\KelvoTamp\\"
        self.install_product(product("KelvoTamp", app, """[CopyFile]
File1=(App)T.TXT
[Registry]
Key1=(Cuser)Software\\KelvoTamp
Name1=Value
Value1=(Str)honest
[DeleteRegistry]
Key1=(Cuser)Software\\KelvoTamp
"""), {"T.TXT": b"honest"})
        # A file of the same name in the folder the run works in, for the relative entry.
        self.put(self.temp_path("KELVO.TXT"), b"not the product's")
        refused_files = ["C:\\windows\\*.*", "C:\\", "KELVO.TXT", app + "..\\windows\\system32\\*.DLL"]
        refused_keys = ["(Local)SOFTWARE", "(Cuser)Software", "Software"]
        with open(wine.unix(app + "UNSETUP.INI"), "wb") as f:
            f.write(sjis(log_text(app, "KelvoTamp 製品", "KelvoTamp", {
                "DeleteFolder": ["Folder1=C:\\windows\\system32\\"],
                "DeleteFile": [f"File{n}={path}" for n, path in
                               enumerate([app + "T.TXT"] + refused_files + [app + "UNSETUP.INI"], 1)],
                "DeleteShortCut": ["File1=C:\\windows\\*.*"],
                "DeleteRegistry": [f"Key{n}={key}" for n, key in
                                   enumerate(["(Cuser)Software\\KelvoTamp"] + refused_keys, 1)],
                "AddDeleteFile": ["File1=C:\\windows\\system32\\*.*"],
                "UnSetupRegistryKey": "SOFTWARE\\Microsoft",
            })))
        before = snapshot(wine)

        result, final = self.uninstall("KelvoTamp", boxes=[FAILED])
        denied = self.error_text(5) + "\r\n"
        self.assertEqual(result.details[1], "".join(
            [f"<File> {path}\r\n" + denied for path in refused_files + ["C:\\windows\\system32\\*.*"]] +
            ["<ShortCut> C:\\windows\\*.*\r\n" + denied, "<Folder> C:\\windows\\system32\\\r\n" + denied] +
            [f"<Registry> {key}\r\n" + denied for key in refused_keys + ["(Local)SOFTWARE\\Microsoft"]]))
        self.assertEqual(result.status, steps(*["一部失敗"] * 4, "完了", "一部失敗", "完了") +
                         f"《情報》{U}の過程で、一部の処理が失敗しました。\r\n" + COMPLETION)
        # No restart is offered for refusals.
        self.assertFalse(final["optSelectType2"].visible)
        # Only the honest entries went; the product's Add/Remove Programs entry stays, since
        # the changed log named another key in its place. (Reading a shared count makes the
        # system's register of them, which a machine without shared files lacks.)
        self.assertEqual(machine_changes(before, snapshot(wine), wine), [
            "- C:\\KelvoTamp", "- C:\\KelvoTamp\\T.TXT", "- C:\\KelvoTamp\\UNSETUP.INI", "- hkcu\\software\\kelvotamp\\",
            "+ hklm\\software\\microsoft\\windows\\currentversion\\shareddlls\\"])
        self.assertEqual(self.read(self.temp_path("KELVO.TXT")), b"not the product's")

        # A log whose install folder is the Windows folder spelt another way, with everything
        # below it to go, and shortcuts and folders that name it that way too.
        text = log_text("C:\\WINDOWS\\.\\", "KelvoEvil 製品", "KelvoEvil", {
            "DeleteFolder": ["Folder1=C:\\WINDOWS\\.\\"],
            "DeleteFile": ["File1=C:\\KelvoEvil\\A.TXT"],
            "DeleteShortCut": ["File1=C:\\WINDOWS\\SYSTEM32\\..\\*.*", "File2=C:\\WINDOWS\\.\\*.INI"]})
        self.plant("KelvoEvil", sjis(text.replace("[Extend]", "[UnSetupOption]\nCheckBox=DeleteAll\n\n[Extend]")))
        before = snapshot(wine)
        result, final = self.uninstall("KelvoEvil", boxes=[FAILED], label="evil-")
        self.assertEqual(result.details[1], "".join([
            "<ShortCut> C:\\WINDOWS\\SYSTEM32\\..\\*.*\r\n" + denied, "<ShortCut> C:\\WINDOWS\\.\\*.INI\r\n" + denied,
            "<Folder> C:\\WINDOWS\\.\\\r\n" + denied]))
        self.assertEqual(machine_changes(before, snapshot(wine), wine), [
            "- C:\\KelvoEvil\\A.TXT", "- hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\kelvoevil\\"])

    def temp_path(self, name):
        return "C:\\" + os.path.relpath(os.path.join(self.wine.temp, name), self.wine.c_drive).replace(os.sep, "\\")


class DamagedLogs(SmallProducts):
    """Logs damaged on disk: cut off in the middle of a line, numbered keys with a gap,
    garbage bytes, saved as UTF-16. The uninstaller always comes to its end, removes what it
    can read, and deletes nothing that the log does not name."""

    def damaged(self, key, body, named):
        """Uninstalls a planted product, whose changes to the machine must all be among named
        (snapshot lines); returns its folder, the failure report and those changes."""
        app = self.plant(key, body)
        # The details page of the log with a 70 KB line keeps the uninstaller busy while Wine's
        # edit control wraps it: the driver waited 102 s for it with two scenarios beside it
        # under i386 emulation.
        self.wine.command_limit = 300
        before = snapshot(self.wine)
        result, final = self.uninstall(key, boxes=[FAILED], label=f"{key}-")
        # Reading a shared count makes the system's register of them when it is missing.
        changes = [line for line in machine_changes(before, snapshot(self.wine), self.wine)
                   if line != "+ hklm\\software\\microsoft\\windows\\currentversion\\shareddlls\\"]
        self.assertLessEqual(set(changes), set(named), changes)
        return app, result.details[1], changes

    def test_damaged_logs_end_normally_and_delete_only_what_they_name(self):
        # Cut off within a file entry, where it names the folder of the next file.
        app = "C:\\KelvoCut\\"
        text = sjis(log_text(app, "KelvoCut 製品", "KelvoCut", {
            "DeleteFolder": [f"Folder1={app}DATA\\"],
            "DeleteFile": [f"File1={app}A.TXT", f"File2={app}DATA\\D.TXT", f"File3={app}UNSETUP.INI"]}))
        cut = text[:text.index(b"DATA\\D.TXT")] + b"DATA"
        app, report, changes = self.damaged("KelvoCut", cut, ["- C:\\KelvoCut\\A.TXT"])
        self.assertEqual(changes, ["- C:\\KelvoCut\\A.TXT"])
        self.assertIn(f"<File> {app}DATA\r\n", report)

        # A gap: the entries after it are not read.
        app = "C:\\KelvoGap\\"
        app, report, changes = self.damaged("KelvoGap", {
            "DeleteFile": [f"File1={app}A.TXT", f"File2={app}UNSETUP.INI", f"File4={app}B.TXT"],
            "DeleteRegistry": ["Key1=(Cuser)Software\\KelvoGap\\One", "Key3=(Cuser)Software\\KelvoGap\\Three"]},
            ["- C:\\KelvoGap\\A.TXT", "- C:\\KelvoGap\\UNSETUP.INI", "- hkcu\\software\\kelvogap\\one\\",
             "- hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\kelvogap\\"])
        self.assertEqual(len(changes), 4, changes)

        # Garbage: binary noise, a NUL inside an entry, a lead byte without its trail byte, a
        # carriage return alone and a very long line, between readable entries.
        noise = bytes(random.Random(7).randrange(256) for _ in range(3000))
        app = "C:\\KelvoJunk\\"
        text = sjis(log_text(app, "KelvoJunk 製品", "KelvoJunk", {
            "DeleteFile": [f"File1={app}A.TXT"] + [f"File{n}=@@" for n in range(2, 7)] + [f"File7={app}UNSETUP.INI"]}))
        for junk in (noise, f"{app}B.TXT\0{app}MINE.TXT".encode(), f"{app}C.TXT".encode() + b"\x81",
                     f"{app}DATA\r{app}MINE.TXT".encode(), b"X" * 70000):
            text = text.replace(b"@@", junk, 1)
        app, report, changes = self.damaged("KelvoJunk", text + noise, [
            "- C:\\KelvoJunk\\A.TXT", "- C:\\KelvoJunk\\B.TXT", "- C:\\KelvoJunk\\C.TXT",
            "- C:\\KelvoJunk\\UNSETUP.INI", "- hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\kelvojunk\\"])
        self.assertLessEqual({"- C:\\KelvoJunk\\A.TXT", "- C:\\KelvoJunk\\B.TXT"}, set(changes))
        self.assertIn(f"<File> {app}DATA\r\n", report)  # a lone carriage return ends a line

        # UTF-16, as an editor may save it.
        app = "C:\\KelvoWide\\"
        text = log_text(app, "KelvoWide 製品", "KelvoWide", {
            "DeleteFile": [f"File1={app}A.TXT", f"File2={app}UNSETUP.INI"],
            "DeleteRegistry": ["Key1=(Cuser)Software\\KelvoWide\\One"]}).replace("\n", "\r\n")
        app, report, changes = self.damaged("KelvoWide", b"\xff\xfe" + text.encode("utf-16-le"), [
            "- C:\\KelvoWide\\A.TXT", "- C:\\KelvoWide\\UNSETUP.INI", "- hkcu\\software\\kelvowide\\one\\",
            "- hklm\\software\\microsoft\\windows\\currentversion\\uninstall\\kelvowide\\"])
        self.assertEqual(len(changes), 4, changes)  # the system reads a UTF-16 profile as well


# The 95 platform for the rest; the round trip on every other emulated version.
on_versions(globals(), ["win98"], ComponentQuestion, DamagedLogs, DeleteAll, ProtectedFolders, SharedAnswers,
            TamperedLog, TwoProducts)
on_versions(globals(), ["nt40", "win2k", "win2003", "win10"], RoundTrip)
