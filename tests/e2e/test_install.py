"""A package that uses every section of the script, installed through the wizard on the
95 platform and on NT; then everything the run left on the machine is checked."""
import os
import shutil
import subprocess

from harness import BUILD, on_versions
from install_support import InstallCase, file_bytes, S, read_lnk, reg_value, shell_folder

APP = "C:\\KelvoFull\\"
COMPONENTS = os.path.join(BUILD, "tools", "win", "testcomponent")

SCRIPT = r"""[Title]
Setup=フル セットアップ
UnSetup=フル製品
Program=フル
UnSetupKey=KelvoFull
UnSetupDisplay=フル製品 1.0
[Extend]
SetupSpeed=1
UnSetupOption=1,0,1,0
UnSetupCheckBox3=*.LOG
UnSetupCheckBox4=*.BAK
[DefaultFolder]
Folder=C:\KelvoFull\
[ProgramID]
ID=KELVOFULL
[Support]
Publisher=Kelvo Works
DisplayVersion=1.0
HelpLink=http://localhost/help
Comments=コメント
[MakeFolder]
Folder1=(App)DATA
Folder2=(App)DATA\表
[CopyFile]
File1=(App)APP.TXT
File2=(App)DATA\PLAIN.TXT|RENAMED.TXT
File3=(App)DATA\README.TX_
File4=(App)DATA\DOC.TX_|\マニュアル.TXT,/w
File5=(App)DATA\表\SHARED.DAT,/S
File6=(App)COMPONENT_OK.DLL,/R/S
[ShortCut]
Make1=(App)APP.TXT,/view
Name1=(Dsk)フル
Make2=(App)DATA\RENAMED.TXT
Name2=(Sta)フル\説明,(App)DATA
Make3=(App)APP.TXT
Name3=Default
Make4=(App)DATA
Name4=フォルダ
[Registry]
Key1=(Local)\SOFTWARE\KelvoFull\
Name1=Folder
Value1=(Str)(App)(Pdd)
Key2=Software\KelvoFull
Name2=Count
Value2=(Int)-2
Key3=(Cuser)Software\KelvoFull
Name3=Hex
Value3=(Dwd)$1F
Key4=(Cuser)Software\KelvoFull
Name4=Bytes
Value4=(Bin)ff
Key5=(Cuser)Software\KelvoFull
Name5=Path
Value5=(Exp)%SystemRoot%\kelvo
Key6=(Cuser)Software\KelvoFull
Name6=Plain
Value6=(App)DATA\
Key7=(Cuser)Software\KelvoFull\Empty
Key8=(Cuser)Software\KelvoFull
Name8=
Value8=(Str)既定
[IniFile]
Data1=Paths,Data,(App)DATA,(App)FULL.INI
Data2=Option,名前,値,(App)FULL.INI
[Relate]
Name1=kfl,フル文書
File1=open,(App)APP.TXT,"%1",,0
[DeleteRegistry]
Key1=(Local)SOFTWARE\KelvoFull
Key2=(Cuser)Software\KelvoFull
[AddDeleteFile]
File1=(App)DATA\*.TMP
[BeforeUnInstall]
ReadmeFile=APP.TXT
File=\APP.TXT,/x
"""


def compressed(plain, stored_last_letter):
    """An LZ-compressed file as the distributor's tool makes it, with the letter the
    expanded name gets back in place of the "_"."""
    import tempfile
    folder = tempfile.mkdtemp()
    try:
        with open(os.path.join(folder, "f.txt"), "wb") as f:
            f.write(plain)
        subprocess.run(["mscompress", os.path.join(folder, "f.txt")], check=True, capture_output=True)
        data = bytearray(file_bytes(os.path.join(folder, "f.txt_")))
    finally:
        shutil.rmtree(folder)
    data[9] = ord(stored_last_letter)
    return bytes(data)


README = b"read me, compressed " * 20
DOC = "マニュアル本文 ".encode("cp932") * 30


def package_files():
    return {
        "APP.TXT": b"the application",
        "PLAIN.TXT": b"plain text",
        "README.TX_": compressed(README, "T"),
        "DOC.TX_": compressed(DOC, "T"),
        "SHARED.DAT": b"shared data",
        "COMPONENT_OK.DLL": file_bytes(os.path.join(COMPONENTS, "component_ok.dll")),
    }


def expected_log(wine):
    desktop = shell_folder(wine, "Desktop")
    programs = shell_folder(wine, "Programs")
    return f"""[Information]
Message1=Kelvo Setup UnSetup(UnInstall) Initialize File
Message2=！！！　警告　！！！
Message3=このファイルをエディタなどで書き換えたり、削除しないでください。
Message4=書き換えた場合、アンインストール動作の保証はできません。

[Title]
UnSetup=フル製品

[SetupFolder]
Folder={APP}

[DeleteFolder]
Folder1={APP}DATA\\
Folder2={APP}DATA\\表\\

[DeleteFile]
File1={APP}APP.TXT
File2={APP}DATA\\RENAMED.TXT
File3={APP}DATA\\README.TXT
File4={APP}DATA\\マニュアル.TXT,/w
File5={APP}DATA\\表\\SHARED.DAT,/S
File6={APP}COMPONENT_OK.DLL,/R/S
File7={APP}UNSETUP.INI

[DeleteShortCut]
File1={desktop}\\フル.lnk
File2={programs}\\フル\\説明.lnk
File3={programs}\\APP.TXT.lnk
File4={programs}\\フォルダ.lnk

[DeleteRegistry]
Key1=(Local)SOFTWARE\\KelvoFull
Key2=(Cuser)Software\\KelvoFull

[AddDeleteFile]
File1={APP}DATA\\*.TMP

[RestoreRelate]
Key1=kfl,

[UnSetupOption]
CheckBox=1,0,1,0
CheckBox3=*.LOG
CheckBox4=*.BAK

[BeforeUnInstall]
ReadmeFile=APP.TXT
File=\\APP.TXT,/x

[Extend]
SetupString=インストール
UnSetupString=アンインストール

[UnSetupRegistryKey]
Key=SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KelvoFull

[ProgramID]
ID=KELVOFULL
"""


class EverySection(InstallCase):
    version = "winxp"

    def test_every_section_installs_as_written(self):
        wine = self.wine
        os.makedirs(wine.unix(APP))
        proc = self.launch(SCRIPT, package_files())
        self.to_main_page()
        for box in ("chkSCutDesktop", "chkSCutStartMenu"):
            self.set_check(box, True)
        wine.screenshot("main")
        self.install([("関連付けの確認", f"拡張子 *.kfl を\r\n{APP}APP.TXT\r\nに関連付けします。よろしいですか？", 6)])
        steps = self.status_text().split("\r\n")[:11]
        self.assertEqual(steps, [
            f"{S}の情報を作成しています．．．完了", f"{S}に必要な容量を調べています．．．完了",
            "ディスクの空き容量をチェックしています．．．完了", f"{S}フォルダをチェックしています．．．完了",
            "フォルダを作成しています．．．完了", "ファイルをコピーしています．．．完了",
            "ショートカットを作成しています．．．完了", "レジストリキーを作成しています．．．完了",
            "INIファイルを設定しています．．．完了", "関連付けを設定しています．．．完了",
            "アンインストール情報を更新しています．．．完了"])
        final = self.to_final_page()
        self.assertEqual(final["lblSelectTypeMsg"].text, f"{S}を完了しました。")
        self.finish(proc)

        # Files, expanded files and renamed files, byte for byte.
        self.assert_file(APP + "APP.TXT", b"the application")
        self.assert_file(APP + "DATA\\RENAMED.TXT", b"plain text")
        self.assert_file(APP + "DATA\\README.TXT", README)
        self.assert_file(APP + "DATA\\マニュアル.TXT", DOC)
        self.assert_file(APP + "DATA\\表\\SHARED.DAT", b"shared data")
        self.assertFalse(os.path.exists(wine.unix(APP + "DATA\\PLAIN.TXT")))
        self.assertFalse(os.path.exists(os.path.join(wine.temp, "EXPAND.BST")))

        # Shared counts and the component's own registration.
        shared = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
        self.assertEqual(reg_value(wine, shared, APP + "DATA\\表\\SHARED.DAT"), ("REG_DWORD", "0x1"))
        self.assertEqual(reg_value(wine, shared, APP + "COMPONENT_OK.DLL"), ("REG_DWORD", "0x1"))
        self.assertEqual(reg_value(wine, r"HKCU\Software\KelvoTest", "COMPONENT_OK.DLL"), ("REG_SZ", "registered"))

        # Shortcuts: targets, arguments and working folders.
        desktop = read_lnk(wine.unix(shell_folder(wine, "Desktop") + "\\フル.lnk"))
        self.assertEqual((desktop["target"], desktop["arguments"], desktop["working"]),
                         (APP + "APP.TXT", "/view", APP))
        guide = read_lnk(wine.unix(shell_folder(wine, "Programs") + "\\フル\\説明.lnk"))
        self.assertEqual((guide["target"], guide["working"]), (APP + "DATA\\RENAMED.TXT", APP + "DATA\\"))
        folder_link = read_lnk(wine.unix(shell_folder(wine, "Programs") + "\\フォルダ.lnk"))
        self.assertEqual((folder_link["target"], folder_link["working"]), (APP + "DATA", APP))

        # Registry values and their types.
        key = r"HKCU\Software\KelvoFull"
        self.assertEqual(reg_value(wine, r"HKLM\SOFTWARE\KelvoFull", "Folder"), ("REG_SZ", APP[:-1]))
        self.assertEqual(reg_value(wine, key, "Count"), ("REG_DWORD", "0xfffffffe"))
        self.assertEqual(reg_value(wine, key, "Hex"), ("REG_DWORD", "0x1f"))
        self.assertEqual(reg_value(wine, key, "Bytes"), ("REG_BINARY", "FF000000"))
        self.assertEqual(reg_value(wine, key, "Path"), ("REG_EXPAND_SZ", r"%SystemRoot%\kelvo"))
        self.assertEqual(reg_value(wine, key, "Plain"), ("REG_SZ", APP + "DATA\\"))
        self.assertEqual(reg_value(wine, key, ""), ("REG_SZ", "既定"))
        self.assertIn("Empty", wine.run("reg", "query", key).stdout.decode("cp932"))

        # INI entries, the association and its saved previous value.
        ini = self.read(APP + "FULL.INI").decode("cp932")
        self.assertIn(f"[Paths]\r\nData={APP}DATA\r\n", ini)
        self.assertIn("[Option]\r\n名前=値\r\n", ini)
        classes = r"HKLM\Software\Classes"
        self.assertEqual(reg_value(wine, classes + r"\.kfl", ""), ("REG_SZ", "kfl_auto_file"))
        self.assertEqual(reg_value(wine, classes + r"\kfl_auto_file", ""), ("REG_SZ", "フル文書"))
        self.assertEqual(reg_value(wine, classes + r"\kfl_auto_file\DefaultIcon", ""), ("REG_SZ", APP + "APP.TXT,0"))
        self.assertEqual(reg_value(wine, classes + r"\kfl_auto_file\shell\open\command", ""),
                         ("REG_SZ", APP + 'APP.TXT "%1" '))

        # Uninstall information: the uninstaller, the record, the log and the Add/Remove Programs entry.
        self.assertEqual(self.read("C:\\windows\\UNKELVO.EXE"), file_bytes(os.path.join(BUILD, "setup.exe")))
        self.assertIn(f"[KELVOFULL]\r\nFolder={APP}\r\n", self.read("C:\\windows\\KELVO98.INI").decode("cp932"))
        self.assert_log(APP + "UNSETUP.INI", expected_log(wine))
        entry = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Uninstall\KelvoFull"
        self.assertEqual(reg_value(wine, entry, "DisplayName"), ("REG_SZ", "フル製品 1.0"))
        self.assertEqual(reg_value(wine, entry, "UninstallString"),
                         ("REG_EXPAND_SZ", f'C:\\windows\\UNKELVO.EXE "{APP}UNSETUP.INI"'))
        self.assertEqual(reg_value(wine, entry, "DisplayIcon"), ("REG_SZ", "C:\\windows\\UNKELVO.EXE"))
        self.assertEqual(reg_value(wine, entry, "Publisher"), ("REG_SZ", "Kelvo Works"))
        self.assertEqual(reg_value(wine, entry, "HelpLink"), ("REG_EXPAND_SZ", "http://localhost/help"))
        self.assertEqual(reg_value(wine, entry, "Comments"), ("REG_SZ", "コメント"))
        self.assertIsNone(reg_value(wine, entry, "Contact"))


class EverySectionOn98(EverySection):
    version = "win98"


HOSTILE = r"""[Extend]
SetupSpeed=1
[DefaultFolder]
Folder=C:\KelvoOdd\
[CopyFile]
File1=,/S
File2=|
File3=(App)|
File4=(App)A.TXT,,,,
File5=(App)B.TXT|||x
File6=(App)LONG""" + "X" * 3000 + r""".TXT
File7=(App)A.TXT|\
File8=(App)
[MakeFolder]
Folder1=(App)""" + "Y" * 3000 + r"""
Folder2=,,
[ShortCut]
Make1=,
Name1=(Zzz)odd
Make2=(App)A.TXT,,,
Name2=,
[Registry]
Key1=(Xxxxx)Software\KelvoOdd
Name1=Tagless
Value1=(Zzz)abc
Key2=(
Value2=(Bin)zz
Key3=(Cuser)Software\KelvoOdd
Name3=Huge
Value3=(Int)99999999999999999999
[IniFile]
Data1=,,,
Data2=only,two
Data3=Sec,Key,v,(App)NOFOLDER\X.INI
[Relate]
Name1=,
File1=,
[ExecuteFile]
File=,,,
"""


class HostileScript(InstallCase):
    def test_malformed_entries_fail_softly_and_write_only_where_named(self):
        wine = self.wine
        win_ini = self.read("C:\\windows\\win.ini")
        root_before = set(os.listdir(wine.c_drive))
        proc = self.launch(HOSTILE, {"A.TXT": b"a", "B.TXT": b"b"})
        self.to_main_page()
        seen = self.install([("フォルダ作成", 6), ("関連付けの確認", 7), ("警告", 6)])
        self.assertIn("フォルダの作成・ファイルのコピーで、一部の処理が失敗しました。", seen[-1][1])
        details = wine.text("TfrmMain", "txtReadme")
        for block in ("<File> ", "<Folder> ", "<IniFile> ,,,", "<IniFile> only,two",
                      "<IniFile> Sec,Key,v,C:\\KelvoOdd\\NOFOLDER\\X.INI\r\n"):  # a file that cannot be written
            self.assertIn(block, details)
        wine.click("TfrmMain", "btnEvent")
        self.answer_until_done([])
        final = self.to_final_page()
        self.assertEqual(final["optSelectType1"].text, "インストーラを終了します。(&Y)")
        self.finish(proc)

        # The good parts went in; nothing landed outside the install folder.
        self.assert_file("C:\\KelvoOdd\\A.TXT", b"a")
        self.assertEqual(self.read("C:\\windows\\win.ini"), win_ini)
        self.assertEqual(set(os.listdir(wine.c_drive)) - root_before, {"pkg", "KelvoOdd"})
        key = r"HKCU\Software\KelvoOdd"
        self.assertEqual(reg_value(wine, key, "Tagless"), ("REG_SZ", "(Zzz)abc"))  # unknown root tag: current user
        self.assertEqual(reg_value(wine, key, "Huge"), ("REG_DWORD", "0x0"))
        log = self.read("C:\\KelvoOdd\\UNSETUP.INI").decode("cp932")
        self.assertIn("File1=C:\\KelvoOdd\\A.TXT\r\n", log)


# The 95 platform for the rest; the whole package on every other emulated version.
on_versions(globals(), ["win98"], HostileScript)
on_versions(globals(), ["nt40", "win2k", "win2003", "win10"], EverySection)
