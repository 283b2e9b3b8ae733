"""setup.exe on 64-bit Windows, where most users run it: a 64-bit prefix emulating Windows 10.
The system redirects the 32-bit program to Program Files (x86), to the 32-bit system folder
(syswow64) and to the registry's 32-bit view (Software\\Wow6432Node); what it does at the next
start is carried out by 64-bit code, which sees none of that redirection."""
import os
import subprocess
import tempfile
import time

from example_package import APP, KEY, example_files
from harness import ENV_SH
from install_support import reg_value
from test_install_files import script
from test_unattended import PROGRAM_OWN, UnattendedCase
from uninstall_support import machine_changes, snapshot

X86_APP = APP.replace("\\Program Files\\", "\\Program Files (x86)\\")
SYSTEM32 = "C:\\windows\\system32\\"  # what the 32-bit program names, and 64-bit code sees as its own
SYSWOW64 = "C:\\windows\\syswow64\\"
SESSION = r"HKLM\System\CurrentControlSet\Control\Session Manager"
# Keys as the snapshot holds them: the 64-bit view, and the 32-bit one beneath it.
CURRENT = "hklm\\software\\microsoft\\windows\\currentversion\\"
CURRENT32 = "hklm\\software\\wow6432node\\microsoft\\windows\\currentversion\\"
COMPONENT_KEY = "hkcu\\software\\kelvotest"  # where the test component notes its registration
# Wine's 64-bit loader, for the system's own 64-bit programs.
WINE64 = subprocess.run(["bash", "-c", f'source "{ENV_SH}"; kelvo_wine64'], capture_output=True,
                        text=True).stdout.strip()


class Win64Case(UnattendedCase):
    version = "win10"
    arch = "win64"

    def run64(self, *args, timeout=120):
        """Runs one of Wine's programs as a 64-bit process of the prefix: (exit code, output)."""
        wine = self.wine
        wine.driver("windows", timeout=60)  # the prefix's server stays up under the program
        with tempfile.TemporaryFile() as out:
            res = subprocess.run([WINE64, *args], env=wine.env, stdout=out, stderr=subprocess.DEVNULL,
                                 timeout=timeout)
            out.seek(0)
            return res.returncode, out.read().decode("cp932", "replace")


class OnWin64(Win64Case):

    def test_example_round_trip_in_the_redirected_places(self):
        """The example package installed through the wizard and removed through its entry:
        everything lands in the 32-bit places, and the machine is as before but for what a
        removal keeps by design."""
        wine = self.wine
        self.put_package(wine, example_files())
        before = snapshot(wine)
        self.install_with_defaults("C:\\pkg\\setup.exe")
        wine.stop()  # the readme the final page opened

        # The program's own view: the folder it was given, and its values read back.
        self.assertEqual(reg_value(wine, r"HKLM\SOFTWARE\Kelvo Sample\サンプルアプリ", "InstallFolder"),
                         ("REG_SZ", X86_APP[:-1]))
        # The system's own list of programs, a 64-bit program, shows the 32-bit view's entry.
        code, listed = self.run64("uninstaller", "--list")
        self.assertEqual(code, 0)
        self.assertIn(f"{KEY}|||サンプルアプリ 1.0", listed.splitlines())

        after = snapshot(wine)
        changes = [line[2:] for line in machine_changes(before, after, wine) if line.startswith("+ ")]
        for path in (X86_APP + "SAMPLE.TXT", X86_APP + "UNSETUP.INI", X86_APP + "DATA\\設定.TXT",
                     SYSWOW64 + "SAMPLECMP.DLL"):
            self.assertIn(path, changes)
        self.assertEqual([p for p in changes if p.startswith(("C:\\Program Files\\", SYSTEM32))], [])
        # The registry: the 32-bit view only, the shared count under the name the program uses.
        entry = after.registry.get(CURRENT32 + "uninstall\\" + KEY.lower())
        self.assertIsNotNone(entry, "no Add/Remove entry in the 32-bit view")
        self.assertIn("(x86)", entry["uninstallstring"])
        self.assertNotIn(CURRENT + "uninstall\\" + KEY.lower(), after.registry)
        self.assertEqual(after.registry[CURRENT32 + "shareddlls"].get(SYSTEM32.lower() + "samplecmp.dll"),
                         "dword:00000001")
        self.assertNotIn(SYSTEM32.lower() + "samplecmp.dll", after.registry.get(CURRENT + "shareddlls", {}))
        self.assertTrue(any(k.startswith("hklm\\software\\wow6432node\\kelvo sample\\") for k in after.registry))
        self.assertFalse(any(k.startswith("hklm\\software\\kelvo sample") for k in after.registry))

        self.uninstall_by_wizard(wine)
        self.assertFalse(self.exists(SYSWOW64 + "SAMPLECMP.DLL"))
        code, listed = self.run64("uninstaller", "--list")
        self.assertNotIn(KEY, listed)
        after = snapshot(wine)
        # What stays by design, as on 32-bit Windows: the uninstaller, the record of installed
        # programs, the register of shared counts (the 32-bit one) without this count, and the
        # test component's note that it was unregistered before it was deleted.
        self.assertEqual(after.registry[CURRENT32 + "shareddlls"], {})
        self.assertEqual(after.registry[COMPONENT_KEY], {"samplecmp.dll": '"unregistered"'})
        self.maxDiff = None
        self.assertEqual([line for line in machine_changes(before, after, wine)
                          if not line[2:].startswith(PROGRAM_OWN + (COMPONENT_KEY,))],
                         ["+ C:\\windows\\KELVO98.INI", "+ C:\\windows\\UNKELVO.EXE", f"+ {CURRENT32}shareddlls\\"])

    def test_held_system_file_replaced_in_the_32_bit_folder_at_restart(self):
        """A file of the 32-bit system folder held open is replaced at the next start: in
        syswow64, not in the 64-bit folder of the same name, which the restart's 64-bit code
        would take system32 for."""
        wine = self.wine
        self.put(SYSWOW64 + "KVHELD.DLL", b"old, in use")
        os.utime(wine.unix(SYSWOW64 + "KVHELD.DLL"), (time.time() - 86400,) * 2)
        # Held by its real path: the harness finds the holder's note where the prefix keeps it.
        holder, _ = self.hold(SYSWOW64 + "KVHELD.DLL")
        app = "C:\\KelvoHeld\\"
        os.makedirs(wine.unix(app))
        proc = self.launch(script("[CopyFile]\nFile1=(Sys)KVHELD.DLL,/S\nFile2=(App)A.TXT\n", folder=app,
                                  program_id="KELVOHELD", key="KelvoHeld"),
                           {"KVHELD.DLL": b"new content", "A.TXT": b"a"})
        self.to_main_page()
        self.install()
        self.assertIn("ファイルをコピーしています．．．ロックファイルあり", self.status_text())
        final = self.to_final_page()
        self.assertEqual(final["optSelectType1"].text, "はい、Windowsを再起動します。(&Y)")
        self.finish(proc, "optSelectType2")

        # The rename names the 32-bit folder; the file counted there was there before, uncounted.
        self.assertEqual(reg_value(wine, SESSION, "PendingFileRenameOperations"),
                         ("REG_MULTI_SZ", f"\\??\\C:\\windows\\KSTMP1.TMP\\0!\\??\\{SYSWOW64}KVHELD.DLL"))
        holder.kill()
        holder.wait(timeout=30)
        time.sleep(0.5)  # the server closes the handles of the ended process
        self.assertEqual(self.run64("wineboot", "-r")[0], 0)
        wine.idle()
        self.assert_file(SYSWOW64 + "KVHELD.DLL", b"new content")
        self.assertFalse(self.exists(SYSTEM32 + "KVHELD.DLL"))
        self.assertFalse(self.exists("C:\\windows\\KSTMP1.TMP"))
        shared = snapshot(wine).registry[CURRENT32 + "shareddlls"]
        self.assertEqual(shared.get(SYSTEM32.lower() + "kvheld.dll"), "dword:00000002")
