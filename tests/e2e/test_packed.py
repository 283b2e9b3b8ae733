"""A package packed into one setup program (setupcheck --pack): only a package without
errors is packed, the same folder gives the same bytes, and the packed program, run from a
download folder, installs and removes as the package folder does, without a disk change;
signed afterwards it still runs and verifies; changed or cut short, it installs nothing."""
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

from harness import BUILD, REPO
from example_package import APP, KEY
from install_support import file_bytes, read_lnk, reg_value, sjis
from uninstall_support import UNINSTALL_KEYS, UNSTART, machine_changes, snapshot
from test_security import plant, planted_loads
from test_unattended import CODE, LOG, PROGRAM_OWN, SHARED_DLL, UnattendedCase

SETUPCHECK = os.environ.get("KELVO_SETUPCHECK", os.path.join(REPO, "build", "native", "setupcheck"))
SETUPCHECK_EXE = os.path.join(BUILD, "setupcheck.exe")
SETUP = os.path.join(BUILD, "setup.exe")
COMPONENT = os.path.join(BUILD, "tools", "win", "testcomponent", "component_ok.dll")
PACKED = "サンプルアプリ1.0.exe"
# The script and the seven files it uses, the second disk's among them.
PAYLOAD_FILES = 8
# Every file of a package folder carries this time (2001-02-03 04:05:06 UTC), so that a time
# taken from the package is told apart from the time of the run.
PACKAGE_TIME = 981173106
BROKEN = ("致命的エラー", "壊れています")
# What the example package's removal leaves: the record of installed programs, the uninstaller
# for other products, the test component's note of its unregistration and the register of
# shared counts.
LEFT_BY_REMOVAL = ["+ C:\\windows\\KELVO98.INI", "+ C:\\windows\\UNKELVO.EXE", "+ hkcu\\software\\kelvotest\\",
                   "+ hklm\\software\\microsoft\\windows\\currentversion\\shareddlls\\"]


def example_folder(folder, setup=SETUP, setup_name="setup.exe"):
    """The example package as a distributor ships it (the second disk in DISK2\\), with
    setup.exe beside the script and every file dated PACKAGE_TIME."""
    subprocess.run([os.path.join(REPO, "tools", "sample-package.sh"), folder, COMPONENT], check=True,
                   capture_output=True)
    shutil.copy(setup, os.path.join(folder, setup_name))
    for root, _, names in os.walk(folder):
        for name in names:
            os.utime(os.path.join(root, name), (PACKAGE_TIME, PACKAGE_TIME))
    return folder


def pack(out, folder, *options):
    """The native checker packing the folder: (exit status, stdout, stderr), Shift-JIS."""
    res = subprocess.run([SETUPCHECK, *options, "--pack", out, folder], capture_output=True, timeout=120,
                         env=dict(os.environ, LC_ALL="C"))
    return res.returncode, res.stdout.decode("cp932", "replace"), res.stderr.decode("cp932", "replace")


def manual_text():
    """MANUAL.TXT as the package ships it before compression."""
    with open(os.path.join(REPO, "examples", "sample", "MANUAL.TXT"), encoding="utf-8") as f:
        return sjis(f.read())


def packed_line(out, size):
    return f"packed {PAYLOAD_FILES} files into {out} ({size} bytes)"


def make_certificate(folder):
    """A self-signed code-signing certificate and its key: (cert.pem, key.pem)."""
    cert, key = os.path.join(folder, "cert.pem"), os.path.join(folder, "key.pem")
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", cert,
                    "-days", "30", "-subj", "/CN=Kelvo Test Signer", "-addext", "keyUsage=digitalSignature",
                    "-addext", "extendedKeyUsage=codeSigning"], check=True, capture_output=True)
    return cert, key


def sign(source, target, cert, key):
    subprocess.run(["osslsigncode", "sign", "-certs", cert, "-key", key, "-in", source, "-out", target],
                   check=True, capture_output=True)
    return target


def verifies(path, cert):
    return subprocess.run(["osslsigncode", "verify", "-CAfile", cert, path], capture_output=True).returncode == 0


def work_folders(wine):
    """The KSTMP* folders in the user's temporary folder."""
    return sorted(name for name in os.listdir(wine.temp) if name.upper().startswith("KSTMP"))


def downloads(wine):
    """The user's download folder, as a browser saves into it."""
    user = os.path.relpath(wine.temp, os.path.join(wine.c_drive, "users")).split(os.sep)[0]
    return f"C:\\users\\{user}\\Downloads"


class PackedCase(UnattendedCase):
    """Packages packed natively into a folder of the class's own, outside every prefix."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.work = tempfile.mkdtemp(prefix="kelvo-packed-")
        cls.addClassCleanup(shutil.rmtree, cls.work, ignore_errors=True)

    def packed_example(self, name="example", setup=SETUP, edit=None):
        """(package folder, packed program) of the example package, edit(folder) done first."""
        folder = example_folder(os.path.join(self.work, name), setup)
        if edit:
            edit(folder)
        out = os.path.join(self.work, name + ".exe")
        code, stdout, stderr = pack(out, folder)
        self.assertEqual(code, 0, stdout + stderr)
        self.assertEqual(stdout.splitlines()[-1:], [packed_line(out, os.path.getsize(out))])
        return folder, out

    def download(self, wine, data, name=PACKED):
        """Saves the program into the user's download folder: its Windows path."""
        path = downloads(wine) + "\\" + name
        os.makedirs(wine.unix(downloads(wine)), exist_ok=True)
        with open(wine.unix(path), "wb") as f:
            f.write(data if isinstance(data, bytes) else file_bytes(data))
        return path

    def quiet_install(self, wine, exe, *lines):
        """/quiet /log: the exit code, with the log holding each line; the log is removed."""
        code = self.quiet(wine, f'"{exe}" /quiet /log {LOG}')
        log = self.log_text(wine)
        for line in lines:
            self.assertIn(line, log)
        os.remove(wine.unix(LOG))
        os.remove(wine.unix(CODE))
        return code, log

    def refused_in_wizard(self, wine, exe):
        """The damaged program started as a user starts it: its one box, before any work
        folder or wizard, and exit code 2 after OK."""
        proc = wine.start(wine.unix(exe), cwd=wine.c_drive)
        try:
            caption, text = wine.message_box(60000)
            wine.screenshot("damaged")
            self.assertEqual(caption, BROKEN[0], text)
            self.assertIn(BROKEN[1], text)
            buttons = [c.text for c in wine.controls("#32770").values() if c.cls.lower() == "button" and c.visible]
            self.assertEqual(buttons, ["OK"])
            self.assertEqual(work_folders(wine), [])
            self.assertEqual(wine.windows("TfrmMain"), [])
            wine.answer(1)
            self.assertEqual(proc.wait(timeout=60), 2)
        finally:
            if proc.poll() is None:
                wine.stop()  # so that the next run is not "another setup running"

    def refused_quietly(self, wine, exe):
        code, log = self.quiet_install(wine, exe, BROKEN[1])
        self.assertEqual(code, 2, log)

    def assert_installed_from(self, wine, folder):
        """The example package's files installed with the bytes of the package folder's own."""
        source = lambda *name: file_bytes(os.path.join(folder, *name))
        for installed, expected in ((APP + "README.TXT", source("README.TXT")),
                                    (APP + "SAMPLE.TXT", source("SAMPLE.TXT")),
                                    (APP + "DATA\\設定.TXT", source("SETTINGS.TXT")),
                                    (APP + "DATA\\EXTRA.TXT", source("DISK2", "EXTRA.TXT")),
                                    (SHARED_DLL, source("SAMPLECMP.DLL")),
                                    (APP + "MANUAL.TXT", manual_text())):
            self.assertEqual(self.read(installed, wine), expected, installed)


def copy_sample_twice(folder):
    """A [CopyFile] entry naming SAMPLE.TXT again after later files: the packed program has
    passed it in its payload when the run asks for it once more."""
    path = os.path.join(folder, "SETUP.INI")
    with open(path, "rb") as f:
        script = f.read()
    script = script.replace(b"File6=", b"File7=").replace(b"File5=", b"File6=")
    script = script.replace(b"\r\nFile6=", b"\r\nFile5=(App)SAMPLE.TXT|\\SAMPLE2.TXT\r\nFile6=", 1)
    with open(path, "wb") as f:
        f.write(script)
    os.utime(path, (PACKAGE_TIME, PACKAGE_TIME))


class PackedRoundTrip(PackedCase):
    """The example package, with one source named twice, installed through the wizard from
    its folder in one prefix and packed, from a download folder, in another: both machines
    end up the same; the packed one then goes through its Add/Remove Programs entry and
    leaves the machine as before."""

    def wizard_install(self, wine, exe, answers, cwd=None):
        """The wizard with every default (as install_with_defaults), the questions given."""
        proc = wine.start(wine.unix(exe), cwd=cwd)
        wine.wait("TfrmMain")
        self._until(wine, lambda: wine.text("TfrmMain", "btnEvent") != "")
        self.assertNotIn("致命的エラー", wine.text("TfrmMain", "lblMessage"))
        self.walk_to_start(wine)
        wine.screenshot("main")
        self.install(answers, wine)
        self.to_final_page(wine)
        self.finish(proc, wine=wine)

    def test_packed_program_installs_and_removes_as_its_folder_does(self):
        packed_wine, folder_wine = self.wine, self.make_wine(self.version, "-folder")
        folder, packed = self.packed_example(edit=copy_sample_twice)
        # The folder install reads every disk from one folder (the second disk's file beside).
        shutil.copytree(folder, folder_wine.unix("C:\\pkg"))
        shutil.copy2(os.path.join(folder, "DISK2", "EXTRA.TXT"), folder_wine.unix("C:\\pkg\\EXTRA.TXT"))
        exe = self.download(packed_wine, packed)
        before = {wine: snapshot(wine) for wine in (folder_wine, packed_wine)}

        self.install_with_defaults("C:\\pkg\\setup.exe", folder_wine)
        folder_wine.stop()  # the program the final page started
        # Started from another folder than its own; the disk change never comes.
        self.wizard_install(packed_wine, exe, [("フォルダ作成", 6), ("関連付けの確認", 6)], cwd=packed_wine.c_drive)
        packed_wine.stop()
        self.assertEqual(work_folders(packed_wine), [])
        self.assertEqual(work_folders(folder_wine), [])

        installed = self.assert_same_machines(before, folder_wine, packed_wine)
        self.assertIn(APP + "UNSETUP.INI", installed)
        self.assertEqual(self.read(APP + "SAMPLE2.TXT", packed_wine), file_bytes(os.path.join(folder, "SAMPLE.TXT")))
        self.assertEqual(self.read("C:\\windows\\UNKELVO.EXE", packed_wine), file_bytes(SETUP))
        # The files that keep the package's time from the folder keep it from the packed program.
        kept = {wine: sorted(path for path in installed if os.stat(wine.unix(path)).st_mtime_ns == PACKAGE_TIME * 10 ** 9)
                for wine in (folder_wine, packed_wine)}
        self.assertIn(APP + "SAMPLE.TXT", kept[folder_wine])
        self.assertEqual(kept[packed_wine], kept[folder_wine])

        self.remove(packed_wine, before[packed_wine], folder)

    def remove(self, wine, before, folder):
        """Removal through the Add/Remove Programs entry, the shared component deleted:
        the machine is as before but for what a removal leaves."""
        proc = self.start_uninstall(KEY, wine)
        readme = file_bytes(os.path.join(folder, "README.TXT")).decode("cp932")
        self.to_uninstall_page(wine, readme=readme)
        self.run_uninstall(proc, shared=["btnYes"], wine=wine)
        self.final_uninstall_page(wine)
        self.end_uninstall(proc, wine=wine)
        after = snapshot(wine)
        self.assertEqual([line for line in machine_changes(before, after, wine)
                          if not line[2:].startswith(PROGRAM_OWN)], LEFT_BY_REMOVAL)
        self.assertEqual(work_folders(wine), [])

    def assert_same_machines(self, before, first, second):
        """Both prefixes changed the same paths, keys and values, to the same contents (shell
        links by what they point to, the uninstall log as text first); returns the changed files."""
        after = {wine: snapshot(wine) for wine in (first, second)}
        changes = {wine: [line for line in machine_changes(before[wine], after[wine], wine)
                          if not line[2:].startswith(PROGRAM_OWN)] for wine in (first, second)}
        self.maxDiff = None
        self.assertEqual(changes[second], changes[first])
        files = []
        for line in changes[first]:
            path = line[2:]
            if path not in after[first].files:
                key = path.split("\\\\")[0].rstrip("\\")
                self.assertEqual(after[second].registry.get(key), after[first].registry.get(key), path)
                continue
            files.append(path)
            if path.lower().endswith(".lnk"):
                self.assertEqual(read_lnk(second.unix(path)), read_lnk(first.unix(path)), path)
                continue
            if path.upper().endswith("UNSETUP.INI"):
                self.assertEqual(self.read(path, second).decode("cp932"), self.read(path, first).decode("cp932"))
            self.assertEqual(after[second].files[path], after[first].files[path], path)
        return files


class PackedAndSigned(PackedCase):
    """Signed after packing, the program verifies and installs unattended; a copy with one
    byte of its payload changed, or a packed program cut short, installs nothing."""

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.cert, cls.key = make_certificate(cls.work)

    def test_signed_program_installs_and_damaged_ones_are_refused(self):
        wine = self.wine
        folder, packed = self.packed_example()
        signed = sign(packed, os.path.join(self.work, "signed.exe"), self.cert, self.key)
        self.assertTrue(verifies(signed, self.cert))

        data, start = file_bytes(signed), os.path.getsize(SETUP)
        middle = start + (os.path.getsize(packed) - start) // 2
        changed = bytearray(data)
        changed[middle] ^= 0x01
        changed_path = os.path.join(self.work, "changed.exe")
        with open(changed_path, "wb") as f:
            f.write(changed)
        self.assertFalse(verifies(changed_path, self.cert))  # the byte lies in the signed part
        whole = file_bytes(packed)
        damaged = {"changed": self.download(wine, bytes(changed), "サンプルアプリ1.0 (1).exe"),
                   "cut in the middle": self.download(wine, whole[:middle], "サンプルアプリ1.0 (2).exe"),
                   "last byte cut": self.download(wine, whole[:-1], "サンプルアプリ1.0 (3).exe")}
        exe = self.download(wine, signed, "サンプルアプリ 1.0 署名済み.exe")
        before = snapshot(wine)

        for name in ("changed", "cut in the middle"):
            with self.subTest(name, run="wizard"):
                self.refused_in_wizard(wine, damaged[name])
        for name in ("changed", "last byte cut"):
            with self.subTest(name, run="quiet"):
                self.refused_quietly(wine, damaged[name])
        self.assertEqual(machine_changes(before, snapshot(wine), wine), [])
        self.assertEqual(work_folders(wine), [])

        code, log = self.quiet_install(wine, exe, "ファイルをコピーしています．．．完了", "終了コード: 0（完了）")
        self.assertEqual(code, 0, log)
        self.assertNotIn("[質問] ディスク交換", log)
        self.assert_installed_from(wine, folder)
        # The uninstaller is the program that was packed, not the signed whole.
        self.assertEqual(self.read("C:\\windows\\UNKELVO.EXE"), file_bytes(SETUP))
        self.assertEqual(reg_value(wine, UNINSTALL_KEYS + "\\" + KEY, "DisplayName"), ("REG_SZ", "サンプルアプリ 1.0"))
        self.assertEqual(work_folders(wine), [])

    def test_setup_signed_before_packing_is_given_back_with_its_signature(self):
        wine = self.wine
        signed_setup = sign(SETUP, os.path.join(self.work, "signed-setup.exe"), self.cert, self.key)
        folder, packed = self.packed_example("signed-first", setup=signed_setup)
        exe = self.download(wine, packed)
        code, log = self.quiet_install(wine, exe, "終了コード: 0（完了）")
        self.assertEqual(code, 0, log)
        self.assertEqual(self.read("C:\\windows\\UNKELVO.EXE"), file_bytes(signed_setup))
        self.assertTrue(verifies(wine.unix("C:\\windows\\UNKELVO.EXE"), self.cert))
        self.assert_installed_from(wine, folder)
        self.assertEqual(work_folders(wine), [])


class Packing(unittest.TestCase):
    """The native checker's packing: the check first, then the whole folder, the same bytes."""

    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="kelvo-pack-")
        self.addCleanup(shutil.rmtree, self.work, ignore_errors=True)

    def test_only_a_readable_package_without_errors_is_packed(self):
        out = os.path.join(self.work, "out.exe")
        with open(out, "wb") as f:
            f.write(b"an earlier download")
        broken = example_folder(os.path.join(self.work, "broken"))
        os.remove(os.path.join(broken, "SAMPLE.TXT"))  # a [CopyFile] source
        check = subprocess.run([SETUPCHECK, broken], capture_output=True, env=dict(os.environ, LC_ALL="C"))
        self.assertEqual(check.returncode, 1)
        self.assertIn(b"SAMPLE.TXT", check.stdout)
        self.assertEqual(pack(out, broken)[:2], (1, check.stdout.decode("cp932")))
        self.assertEqual(file_bytes(out), b"an earlier download")
        os.remove(out)

        for missing in ("setup.exe", "SETUP.INI"):
            with self.subTest(missing=missing):
                folder = example_folder(os.path.join(self.work, "without " + missing))
                os.remove(os.path.join(folder, missing))
                code, stdout, stderr = pack(out, folder)
                self.assertEqual(code, 2, stdout + stderr)
                self.assertFalse(os.path.exists(out))
        self.assertEqual(pack(out, os.path.join(self.work, "nowhere"))[0], 2)
        self.assertFalse(os.path.exists(out))
        # A whole package, but an output that cannot be written.
        folder = example_folder(os.path.join(self.work, "whole"))
        self.assertEqual(pack(os.path.join(self.work, "no folder", "out.exe"), folder)[0], 2)
        self.assertFalse(os.path.exists(os.path.join(self.work, "no folder")))

    def test_the_package_folder_is_never_written(self):
        # The program written over a file of the package would lose the distributor's own copy.
        for name in ("setup.exe", "SETUP.INI"):
            with self.subTest(name=name):
                folder = example_folder(os.path.join(self.work, "over " + name))
                target = os.path.join(folder, name)
                original = file_bytes(target)
                code, stdout, stderr = pack(target, folder)
                self.assertTrue(file_bytes(target) == original, f"{name} was written over: {stdout}{stderr}")
                self.assertNotEqual(code, 0)

    def test_the_same_folder_gives_the_same_program(self):
        folder = example_folder(os.path.join(self.work, "pkg"), setup_name="Setup.EXE")
        notes = os.path.join(folder, "NOTES.DOC")  # the distributor's own, used by no entry
        with open(notes, "wb") as f:
            f.write(b"not for the user")
        os.utime(notes, (PACKAGE_TIME, PACKAGE_TIME))
        first = os.path.join(self.work, "first.exe")
        code, stdout, stderr = pack(first, folder)
        self.assertEqual(code, 0, stdout + stderr)
        self.assertEqual(stdout.splitlines(), ["left out: NOTES.DOC", packed_line(first, os.path.getsize(first))])
        data = file_bytes(first)
        self.assertEqual(data[:os.path.getsize(SETUP)], file_bytes(SETUP))
        self.assertGreater(len(data), os.path.getsize(SETUP))

        time.sleep(1.1)
        second = os.path.join(self.work, "second.exe")
        self.assertEqual(pack(second, folder)[0], 0)
        self.assertEqual(file_bytes(second), data)
        # The same files under another folder's path.
        copy = shutil.copytree(folder, os.path.join(self.work, "elsewhere", "package copy"))
        third = os.path.join(self.work, "third.exe")
        self.assertEqual(pack(third, copy)[0], 0)
        self.assertEqual(file_bytes(third), data)


class PackedByWindowsChecker(PackedCase):
    """setupcheck.exe under Wine: the same refusal, the same bytes twice, and a program that installs."""

    def test_windows_checker_packs_the_same_program_twice(self):
        wine = self.wine
        folder = example_folder(os.path.join(self.work, "pkg"))
        shutil.copytree(folder, wine.unix("C:\\pkg"))
        os.makedirs(wine.unix("C:\\out"))
        outputs = []
        for name in ("a.exe", "b.exe"):
            res = wine.run(SETUPCHECK_EXE, "--pack", f"C:\\out\\{name}", "C:\\pkg")
            self.assertEqual(res.returncode, 0, res.stderr)
            size = os.path.getsize(wine.unix(f"C:\\out\\{name}"))
            self.assertEqual(res.stdout.decode("cp932").splitlines()[-1:], [packed_line(f"C:\\out\\{name}", size)])
            outputs.append(file_bytes(wine.unix(f"C:\\out\\{name}")))
            time.sleep(1.1)
        shutil.copytree(folder, wine.unix("C:\\コピー\\pkg"))
        self.assertEqual(wine.run(SETUPCHECK_EXE, "--pack", "C:\\out\\c.exe", "C:\\コピー\\pkg").returncode, 0)
        outputs.append(file_bytes(wine.unix("C:\\out\\c.exe")))
        self.assertEqual(outputs[1], outputs[0])
        self.assertEqual(outputs[2], outputs[0])
        self.assertEqual(outputs[0][:os.path.getsize(SETUP)], file_bytes(SETUP))

        shutil.copytree(folder, wine.unix("C:\\broken"))
        os.remove(wine.unix("C:\\broken\\SAMPLE.TXT"))
        self.assertEqual(wine.run(SETUPCHECK_EXE, "--pack", "C:\\out\\d.exe", "C:\\broken").returncode, 1)
        self.assertFalse(os.path.exists(wine.unix("C:\\out\\d.exe")))

        code, log = self.quiet_install(wine, self.download(wine, outputs[0]), "終了コード: 0（完了）")
        self.assertEqual(code, 0, log)
        self.assert_installed_from(wine, folder)
        self.assertEqual(self.read("C:\\windows\\UNKELVO.EXE"), file_bytes(SETUP))
        self.assertEqual(work_folders(wine), [])


class PlantedBesidePacked(PackedCase):
    """DLLs under system DLLs' names in the download folder beside the packed program: the
    installation is complete and none of them was loaded."""

    def test_nothing_is_loaded_from_the_download_folder(self):
        wine = self.wine
        folder, packed = self.packed_example()
        exe = self.download(wine, packed)
        plant(wine, wine.unix(downloads(wine)))
        code, log = self.quiet_install(wine, exe, "終了コード: 0（完了）")
        self.assertEqual(code, 0, log)
        self.assert_installed_from(wine, folder)
        self.assertEqual(planted_loads(wine), "")


class PackedOutOfOrder(PackedCase):
    """A run that asks for the payload's files out of its order: a source passed over while an
    existing newer file is kept and asked for later, one asked again after its first copy was
    overwritten. Each destination gets the bytes a folder install gives it, and Temp keeps nothing."""

    FILES = {"A.TXT": b"first file\r\n" * 300, "B.TXT": b"second file, newer\r\n" * 200,
             "C.TXT": b"third file\r\n" * 100}
    SCRIPT = ["[Title]", "Setup=順序", "Program=順序", "[DefaultFolder]", "Folder=C:\\Order\\", "[CopyFile]",
              "File1=(App)A.TXT",          # kept: a newer A.TXT is there
              "File2=(App)B.TXT",          # A is passed over in the payload
              "File3=(App)A.TXT|\\A2.TXT",  # A after B
              "File4=(App)C.TXT",
              "File5=(App)B.TXT|\\C.TXT",   # B again, over C (B is newer)
              "File6=(App)C.TXT|\\C2.TXT"]  # C again, its first copy no longer C

    def test_files_asked_for_out_of_order_or_twice_get_their_own_bytes(self):
        wine = self.wine
        folder = os.path.join(self.work, "order")
        os.makedirs(folder)
        for name, data in self.FILES.items():
            with open(os.path.join(folder, name), "wb") as f:
                f.write(data)
            newer = 86400 if name == "B.TXT" else 0
            os.utime(os.path.join(folder, name), (PACKAGE_TIME + newer, PACKAGE_TIME + newer))
        with open(os.path.join(folder, "SETUP.INI"), "wb") as f:
            f.write(sjis("\r\n".join(self.SCRIPT) + "\r\n"))
        shutil.copy(SETUP, os.path.join(folder, "setup.exe"))
        out = os.path.join(self.work, "order.exe")
        code, stdout, stderr = pack(out, folder)
        self.assertEqual(code, 0, stdout + stderr)
        os.makedirs(wine.unix("C:\\Order"))
        with open(wine.unix("C:\\Order\\A.TXT"), "wb") as f:
            f.write(b"installed before, newer")

        code, log = self.quiet_install(wine, self.download(wine, out), "終了コード: 0（完了）")
        self.assertEqual(code, 0, log)
        expected = {"A.TXT": b"installed before, newer", "A2.TXT": self.FILES["A.TXT"], "B.TXT": self.FILES["B.TXT"],
                    "C.TXT": self.FILES["B.TXT"], "C2.TXT": self.FILES["C.TXT"]}
        for name, data in expected.items():
            self.assertEqual(self.read("C:\\Order\\" + name, wine), data, name)
        self.assertEqual(work_folders(wine), [])
