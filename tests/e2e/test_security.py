"""What other programs of the user can leave in the way of the install programs: DLLs beside
them under the names of the system DLLs they load (as in a download folder), a changed copy
of setup.exe in the work folder, work folders made before it started."""
import os
import shutil

import test_install
from harness import BUILD, WineTestCase
from install_support import file_bytes
from test_install_run import NEXT, RunCase, script
from test_monitor import CERTS, FIRST_PATHS, MonitorCase, TovraServer, complete_ini
from test_startup import MINIMAL_SCRIPT, wait_for_start_up

# VERSION.DLL is left out: Wine's own user32 imports it, so with the override Wine itself
# loads a planted one before the program starts, which Windows' user32 never does.
# test_program_size.py holds setup.exe to not importing it.
# MSXML3.DLL and URLMON.DLL too: Wine registers its COM servers by bare name, where Windows
# registers full paths, and Wine's msxml3 then imports urlmon by name, so under Wine both are
# looked for beside the program. (Loading them from the system folder first crashed Wine's XMLHTTP.)
PLANTED = ["lz32", "wininet", "winmm", "wsock32", "shfolder"]
MARKER = "C:\\planted.txt"
PLANTED_DLL = os.path.join(BUILD, "tools", "win", "planted", "planted.dll")


def planted_loads(wine):
    """The lines the marker DLL wrote: "program <- DLL" for each load."""
    path = wine.unix(MARKER)
    return open(path, "rb").read().decode("cp932") if os.path.exists(path) else ""


def plant(wine, folder):
    """Copies the marker DLL into the folder under every name, and makes Wine prefer a DLL
    found by searching over its own, as Windows does."""
    for name in PLANTED:
        shutil.copy(PLANTED_DLL, os.path.join(folder, name + ".dll"))
    wine.env["WINEDLLOVERRIDES"] += ";" + ",".join(PLANTED) + "=n,b"


class PlantedBesideSetup(test_install.EverySection):
    """The package that uses every section, installed from a folder holding the DLLs: the
    installation is complete (the inherited checks), and no marker was written."""

    def package(self, wine, files=None, folder="C:\\pkg"):
        setup = super().package(wine, files, folder)
        plant(wine, os.path.dirname(setup))
        return setup

    def test_every_section_installs_as_written(self):
        super().test_every_section_installs_as_written()
        self.assertEqual(planted_loads(self.wine), "")


class PlantedBesideTovra(MonitorCase):
    def test_a_scan_with_sound_loads_nothing_from_the_program_folder(self):
        plant(self.wine, self.folder)
        self.addCleanup(lambda: self.assertEqual(planted_loads(self.wine), ""))
        self.write_ini(complete_ini(s5="True"))  # the click sound needs winmm
        with TovraServer(CERTS, {FIRST_PATHS[0]: "203.0.113.9", FIRST_PATHS[1]: "planted.example"}) as first, \
                TovraServer(CERTS, {}) as second:
            self.point_at(first.host, second.host)
            self.start()
            self.wait_for_scan()
            self.assertEqual(self.pane("PicGlobalIP"), "203.0.113.9")
            self.assertRegex(self.pane("PicLocalIP"), r"^\d+\.\d+\.\d+\.\d+$")
            self.assertEqual(self.output_lines()[2], "Host Name         : planted.example")
            self.close_monitor()
        self.assertEqual(planted_loads(self.wine), "")


class SwappedWorkCopy(RunCase):
    """The uninstaller comes from the work folder's SETUPB.EXE, which every program of the user
    may write: it must stay the program that runs, or not be installed at all."""

    def test_only_the_running_program_becomes_the_uninstaller(self):
        wine = self.wine
        app = "C:\\KelvoSwap\\"
        os.makedirs(wine.unix(app))
        proc = self.launch(script("[CopyFile]\nFile1=(App)A.TXT\n", app, key="KelvoSwap"), {"A.TXT": b"a"})
        work = os.path.join(wine.temp, "KSTMP1", "SETUPB.EXE")
        work_path = "C:\\" + os.path.relpath(work, wine.c_drive).replace(os.sep, "\\")
        other = file_bytes(os.path.join(BUILD, "tools", "win", "recorder", "recorder.exe"))
        with open(wine.unix("C:\\OTHER.EXE"), "wb") as f:
            f.write(other)
        # Another program of the user cannot replace the copy while setup holds it ...
        wine.run("cmd", "/c", "copy", "/y", "C:\\OTHER.EXE", work_path)
        self.assertEqual(file_bytes(work), file_bytes(os.path.join(BUILD, "setup.exe")))
        # ... and a copy changed all the same (here behind Wine's back) is not installed.
        with open(work, "wb") as f:
            f.write(other)
        self.to_main_page()
        wine.click("TfrmMain", "btnEvent")
        self.expect_box("警告", "フォルダの作成・ファイルのコピーで、一部の処理が失敗しました。\r\n詳細を表示しますか？", 6)
        self.assertTrue(self._until(wine, lambda: wine.controls("TfrmMain")["fraReadme"].visible))
        self.assertEqual(wine.text("TfrmMain", "txtReadme"),
                         f"<SetupFile> C:\\windows\\UNKELVO.EXE\r\n{work_path}が実行中のプログラムと一致しません。\r\n")
        wine.click("TfrmMain", "btnEvent")
        self.assertTrue(self._until(wine, lambda: wine.controls("TfrmStatus")["btnAbort"].text == NEXT))
        self.final_page("swapped")
        wine.click("TfrmMain", "btnEvent")
        self.ends(proc)
        self.assertFalse(os.path.exists(wine.unix("C:\\windows\\UNKELVO.EXE")))
        self.assert_file(app + "A.TXT", b"a")  # the rest of the installation went on


class TakenWorkFolders(WineTestCase):
    def test_all_work_folder_names_taken_is_fatal_and_none_is_used(self):
        planted = b"[Title]\r\nProgram=Planted\r\n"
        for n in range(1, 100):
            folder = os.path.join(self.wine.temp, f"KSTMP{n}")
            os.makedirs(folder)
            with open(os.path.join(folder, "SETUP.INI"), "wb") as f:
                f.write(planted)
        setup = self.package(self.wine, {"SETUP.INI": MINIMAL_SCRIPT})
        proc = self.wine.start(setup)
        wait_for_start_up(self.wine)
        self.assertEqual(self.wine.text("TfrmMain", "lblMessage"),
                         "【致命的エラー → 作業フォルダ作成失敗】\r\n\r\n処理は続行できません。")
        self.wine.screenshot("work-folders-taken")
        with open(os.path.join(self.wine.temp, "KSTMP99", "SETUP.INI"), "rb") as f:
            self.assertEqual(f.read(), planted)
        self.wine.click("TfrmMain", "btnEnd")
        self.assertEqual(proc.wait(timeout=20), 0)
