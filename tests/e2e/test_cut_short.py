"""Runs cut short: setup.exe and the uninstaller killed at many moments of their work, a
drive that fills up during an overwrite, a cut compressed source, and setups started
together. After every kill each file that was there before is whole; running again to
the end installs the package's files, and removing the product then leaves the machine
as it was before the first run, shared counts included. Every run is unattended
(/quiet /log), so a scenario can watch the run's log and files and kill it at a moment."""
import errno
import hashlib
import os
import signal
import subprocess
import tempfile
import time

from harness import BUILD, file_hash, on_versions
from install_support import file_bytes, reg_value, sjis
from test_install import compressed
from uninstall_support import RUNLINE, UNINSTALL_KEYS, UninstallCase, machine_changes, snapshot

SHARED = r"HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs"
UNINSTALLER = "C:\\windows\\UNKELVO.EXE"
STAGING = "~KSCOPY"
COMMON = "C:\\KelvoCommon\\"
ASSOCIATIONS_DONE = "関連付けを設定しています．．．"
UNINSTALL_INFO_DONE = "アンインストール情報を更新しています．．．"
SHARED_QUESTION = "[質問] 共有ファイルの削除の確認"
# What a removal leaves by design, as the other round trips accept: the uninstaller for
# other products, the record of installed programs, and the system's register of shared
# counts, which a fresh prefix lacks.
LEFT_BY_DESIGN = {"+ C:\\windows\\KELVO98.INI", "+ C:\\windows\\UNKELVO.EXE",
                  "+ hklm\\software\\microsoft\\windows\\currentversion\\shareddlls\\"}
# Package files get times in the past, version 2 newer than version 1, so that version 2
# replaces version 1 and a file cut by a kill (dated now) looks newer than either.
BASE_TIME = (int(time.time()) // 60) * 60 - 7200


def setup_hash():
    return file_hash(os.path.join(BUILD, "setup.exe"))


class CutShortCase(UninstallCase):
    """Unattended runs started, watched and killed; the machine read between them."""

    def setUp(self):
        super().setUp()
        self.runs = 0

    # Paths ---------------------------------------------------------------------------
    def temp_path(self, name):
        """A file in the user's temporary folder, which the machine comparisons leave out."""
        wine = self.wine
        return "C:\\" + os.path.relpath(os.path.join(wine.temp, name), wine.c_drive).replace(os.sep, "\\")

    def put_package(self, folder, files, version):
        """setup.exe and the files in a package folder, dated by version."""
        setup = self.package(self.wine, files, folder=folder)
        stamp = BASE_TIME + version * 600
        for name in list(files) + ["setup.exe"]:
            os.utime(os.path.join(os.path.dirname(setup), name), (stamp, stamp))
        return folder + "\\setup.exe"

    def text_of(self, windows_path):
        with open(self.wine.unix(windows_path), "rb") as f:
            return f.read().decode("cp932", "replace")

    # Runs ------------------------------------------------------------------------------
    def new_log(self, name):
        self.runs += 1
        log = self.temp_path(f"{name}{self.runs}.log")
        if os.path.exists(self.wine.unix(log)):
            os.remove(self.wine.unix(log))
        return log

    def start_setup(self, setup, name="setup"):
        """Starts an unattended installation; returns the process and its log's path. /passive,
        not /quiet: its steps keep the script's pace, which leaves room to act between entries."""
        log = self.new_log(name)
        return self.wine.start(self.wine.unix(setup), "/passive", "/log", log), log

    def run_setup(self, setup, watch=()):
        """Runs an installation to its end: (exit code, log text, when each text of watch
        first showed in the log, in seconds from the start)."""
        proc, log = self.start_setup(setup)
        begun, seen = time.time(), {}
        path = self.wine.unix(log)
        while proc.poll() is None:
            self.assertLess(time.time() - begun, 180, f"{setup} never ended")
            if len(seen) < len(watch) and os.path.exists(path):
                text = file_bytes(path).decode("cp932", "replace")
                for line in watch:
                    if line not in seen and line in text:
                        seen[line] = time.time() - begun
            time.sleep(0.001 if watch else 0.05)
        return proc.returncode, self.text_of(log), seen

    def run_command(self, command, name="remove"):
        """Runs a command line as the Add/Remove Programs entry gives it, with the unattended
        switches: (exit code, log text)."""
        log, code = self.new_log(name), self.temp_path("code.txt")
        if os.path.exists(self.wine.unix(code)):
            os.remove(self.wine.unix(code))
        proc = self.wine.start(RUNLINE, f"{command} /quiet /log {log}", code)
        proc.wait(timeout=180)
        with open(self.wine.unix(code)) as f:
            return int(f.read()), self.text_of(log)

    def program_pid(self, proc, name):
        """The Linux process that runs the Windows program name, started by proc in this
        prefix. Wine's loader becomes the program itself, and a program that runline starts
        is a process of its own. Where i386 code is emulated, the emulator comes first on
        the process's command line: any argument naming the program will do."""
        wanted = name.lower().encode()
        prefix = b"WINEPREFIX=" + self.wine.prefix.encode() + b"\0"
        deadline = time.time() + 60
        while time.time() < deadline:
            for pid in [str(proc.pid)] + [p for p in os.listdir("/proc") if p.isdigit()]:
                try:
                    with open(f"/proc/{pid}/cmdline", "rb") as f:
                        arguments = f.read().split(b"\0")
                    with open(f"/proc/{pid}/environ", "rb") as f:
                        environment = f.read()
                except OSError:
                    continue
                names = [argument.replace(b"\\", b"/").rsplit(b"/", 1)[-1].lower() for argument in arguments]
                if wanted in names and prefix in environment:
                    return int(pid)
            self.assertIsNone(proc.poll(), f"{name} ended before it showed")
            time.sleep(0.005)
        self.fail(f"no process runs {name}")

    def kill_when(self, proc, name, moment, what):
        """Kills the program name (SIGKILL, as a crash or the task list ends it) as soon as
        moment() holds; fails when the run ends before that."""
        pid = self.program_pid(proc, name)
        deadline = time.time() + 180
        while True:
            try:
                if moment():
                    break
            except OSError:  # a file went away between two looks
                pass
            self.assertIsNone(proc.poll(), f"the run ended before it was killed at {what}")
            self.assertLess(time.time(), deadline, f"{what} never came")
            time.sleep(0.0005)
        os.kill(pid, signal.SIGKILL)
        proc.wait(timeout=60)

    # Moments ---------------------------------------------------------------------------
    def log_shows(self, log, *texts):
        """The moment the run's log shows any of the texts."""
        path, wanted = self.wine.unix(log), [t.encode("cp932") for t in texts]
        return lambda: os.path.exists(path) and any(t in file_bytes(path) for t in wanted)

    def logged(self, text):
        """The moment a run's log shows the text."""
        return lambda log: self.log_shows(log, text)

    def size_is(self, windows_path, size):
        path = self.wine.unix(windows_path)
        return lambda log: lambda: os.path.exists(path) and os.path.getsize(path) == size

    def stat_of(self, windows_path):
        try:
            info = os.stat(self.wine.unix(windows_path))
        except FileNotFoundError:
            return None
        return info.st_ino, info.st_size, info.st_mtime_ns

    # The machine -----------------------------------------------------------------------
    def entry_log(self, key):
        """The log the Add/Remove Programs entry's command names, or None without an entry."""
        value = reg_value(self.wine, UNINSTALL_KEYS + "\\" + key, "UninstallString")
        if value is None:
            return None
        self.assertEqual(value[1], f'{UNINSTALLER} "{value[1].split(chr(34))[1]}"', value)
        return value[1].split('"')[1]

    def assert_whole_log(self, windows_path, program_id, paths, label):
        """An uninstall log saved whole, listing every path."""
        self.assertTrue(os.path.isfile(self.wine.unix(windows_path)), f"{label}: {windows_path} is missing")
        text = self.text_of(windows_path)
        self.assertTrue(text.startswith("[Information]\r\n") and text.endswith(f"[ProgramID]\r\nID={program_id}\r\n"),
                        f"{label}: {windows_path} is cut:\n{text}")
        for path in paths:
            self.assertIn("=" + path, text, f"{label}: the log lost {path}")

    def shared_count(self, path):
        return reg_value(self.wine, SHARED, path)


# The product killed while it installs --------------------------------------------------

APP = "C:\\KelvoCut\\"
KEY = "KelvoCut"
PROGRAM_ID = "KELVOCUT"
SMALL = [f"S{n:02d}.TXT" for n in range(1, 13)]
BIG_SIZE = 48 << 20
# In the order of the script: the shared file first, so that every kill in the copy step
# comes after its count was raised; six small files, the big one, six more in a folder.
DESTINATIONS = ([(COMMON + "KSHARE.DAT", "KSHARE.DAT")] + [(APP + name, name) for name in SMALL[:6]] +
                [(APP + "BIG.DAT", "BIG.DAT")] + [(APP + "DATA\\" + name, name) for name in SMALL[6:]])
CUT_SCRIPT = f"""[Title]
Setup=中断試験 セットアップ
UnSetup=中断試験
UnSetupKey={KEY}
[Extend]
SetupSpeed=1
[ProgramID]
ID={PROGRAM_ID}
[DefaultFolder]
Folder={APP}
[MakeFolder]
Folder1=(App)DATA
[CopyFile]
File1={COMMON}KSHARE.DAT,/S
""" + "".join(f"File{n}={dest.replace(APP, '(App)')}\n" for n, (dest, _) in enumerate(DESTINATIONS[1:], 2)) + f"""[ShortCut]
Make1=(App)S01.TXT
Name1=(Sta)中断試験\\S01
[Registry]
Key1=(Cuser)Software\\{KEY}
Name1=Folder
Value1=(Str)(App)
[Relate]
Name1=kcut,中断試験文書
File1=open,(App)S01.TXT,"%1",,0
[DeleteRegistry]
Key1=(Cuser)Software\\{KEY}
"""
_versions = {}


def cut_files(version):
    """The package's files in one version. Version 2's big file is 48 MB, so that a kill
    lands inside it; version 1's is small. One random megabyte, repeated, after a header
    of each version's own."""
    if version not in _versions:
        if not _versions:
            _versions["block"] = os.urandom(1 << 20)
        block = _versions["block"]
        files = {name: f"{name} 第{version}版\r\n".encode("cp932") * (4 + 3 * version) for name in SMALL}
        files["KSHARE.DAT"] = f"共有ファイル 第{version}版\r\n".encode("cp932") * 8 * version
        header = f"BIG version {version}\r\n".encode()
        files["BIG.DAT"] = header + (block * (BIG_SIZE >> 20) if version == 2 else block[:256 << 10])
        _versions[version] = files
        _versions[f"digest{version}"] = {name: hashlib.sha1(data).hexdigest() for name, data in files.items()}
    return _versions[version]


def cut_digests(name):
    cut_files(1), cut_files(2)
    return {_versions["digest1"][name], _versions["digest2"][name]}


class KillCase(CutShortCase):
    """The product's two versions run, killed, run again and removed."""

    def prepared(self):
        """The two packages and the shared file's folder; returns the machine before."""
        os.makedirs(self.wine.unix(COMMON))
        self.setups = {v: self.put_package(f"C:\\pkg{v}", dict(cut_files(v), **{"SETUP.INI": sjis(CUT_SCRIPT)}), v)
                       for v in (1, 2)}
        return snapshot(self.wine)

    def install(self, version, watch=()):
        code, text, seen = self.run_setup(self.setups[version], watch)
        self.assertEqual(code, 0, text)
        return seen

    def present(self):
        """The product's files on the machine now, with its log and the uninstaller."""
        there = {dest: name for dest, name in DESTINATIONS if self.exists(dest)}
        return there, self.exists(APP + "UNSETUP.INI"), self.exists(UNINSTALLER)

    def kill_setup(self, version, moment, what):
        """Runs a version and kills it at the moment (made for the run from its log's path);
        then every file that was there before is still there, and every file of the product
        is whole: one version's bytes, never cut."""
        there, had_log, had_uninstaller = self.present()
        proc, log = self.start_setup(self.setups[version])
        self.kill_when(proc, "setup.exe", moment(log), what)
        label = f"killed at {what}"
        for dest, name in DESTINATIONS:
            path = self.wine.unix(dest)
            if not os.path.lexists(path) and dest in there and self.version == "win98":
                # Between the rename of the old file aside and the new one in: the old one waits.
                aside = self.wine.unix(dest.rsplit("\\", 1)[0] + f"\\{STAGING}\\{name}.OLD")
                self.assertTrue(os.path.isfile(aside), f"{label}: {dest} is gone and not set aside")
                self.assertIn(file_hash(aside), cut_digests(name), f"{label}: {dest} set aside cut")
                continue
            if dest in there:
                self.assertTrue(os.path.isfile(path), f"{label}: {dest} is missing")
            if os.path.lexists(path):
                self.assertIn(file_hash(path), cut_digests(name),
                              f"{label}: {dest} is cut ({os.path.getsize(path)} bytes)")
        if had_uninstaller:
            self.assertEqual(file_hash(self.wine.unix(UNINSTALLER)), setup_hash(), f"{label}: the uninstaller is cut")
        paths = [dest for dest, _ in DESTINATIONS]
        if had_log:
            self.assert_whole_log(APP + "UNSETUP.INI", PROGRAM_ID, paths, label)
        # The entry never points at a missing or cut log; once made, it stays.
        entry = self.entry_log(KEY)
        if had_log:
            self.assertEqual(entry, APP + "UNSETUP.INI", f"{label}: the Add/Remove Programs entry went")
        if entry:
            self.assert_whole_log(entry, PROGRAM_ID, paths, f"{label}, the entry's log")

    def inside_big(self, fraction):
        """The moment the big file is written that far (in its staging folder or in place)."""
        full = len(cut_files(2)["BIG.DAT"])
        paths = [self.wine.unix(APP + "BIG.DAT"), self.wine.unix(f"{APP}{STAGING}\\BIG.DAT")]

        def moment():
            for path in paths:
                if os.path.exists(path) and fraction * full <= os.path.getsize(path) < full:
                    return True
            return False
        return lambda log: moment, f"{fraction:.0%} of BIG.DAT"

    def small_done(self, number, version=2):
        """The moment the small file of that number holds its new version."""
        dest, name = next(d for d in DESTINATIONS if d[1] == SMALL[number - 1])
        return self.size_is(dest, len(cut_files(version)[name])), f"{name} of version {version} in place"

    def assert_installed(self, version, count):
        """A version as a whole run leaves it: exactly the package's files, the uninstaller,
        the log and its entry, and the shared file's count (None: not looked at)."""
        wine = self.wine
        self.assertEqual(sorted(os.listdir(wine.unix(APP))), sorted(SMALL[:6] + ["BIG.DAT", "DATA", "UNSETUP.INI"]))
        self.assertEqual(sorted(os.listdir(wine.unix(APP + "DATA"))), SMALL[6:])
        self.assertEqual(os.listdir(wine.unix(COMMON)), ["KSHARE.DAT"])
        for dest, name in DESTINATIONS:
            self.assertEqual(file_hash(wine.unix(dest)), _versions[f"digest{version}"][name],
                             f"{dest} is not version {version}'s")
        self.assertEqual(file_hash(wine.unix(UNINSTALLER)), setup_hash(), "the uninstaller is not setup.exe")
        # Nothing of the runs cut short is left: no uninstaller copy beside it, no journal.
        self.assertEqual([name for name in os.listdir(wine.unix("C:\\windows"))
                          if name.upper() == "UNKELVO.NEW" or name.upper().endswith(".JNL")], [])
        self.assertEqual(self.entry_log(KEY), APP + "UNSETUP.INI")
        self.assert_whole_log(APP + "UNSETUP.INI", PROGRAM_ID, [d for d, _ in DESTINATIONS], "after the last run")
        if count:
            self.assertEqual(self.shared_count(COMMON + "KSHARE.DAT"), ("REG_DWORD", hex(count)))

    def remove_and_compare(self, before):
        """Removes the product from its entry: the shared file's count comes back to zero (a
        quiet removal then keeps the file and says so) and the machine is as before."""
        code, text = self.run_command(self.uninstall_command(KEY))
        self.assertEqual(code, 0, text)
        self.assertIn(SHARED_QUESTION, text)
        self.assertIn(f"  {COMMON}KSHARE.DAT\r\n", text)
        os.remove(self.wine.unix(COMMON + "KSHARE.DAT"))
        changes = machine_changes(before, snapshot(self.wine), self.wine)
        self.assertLessEqual(set(changes), LEFT_BY_DESIGN, changes)


class KilledInsideBigFile(KillCase):
    """Killed while the 48 MB file is written. A first installation killed half-way, run
    again to the end and removed: the machine as before. Then version 2 over version 1,
    killed at a quarter and at three quarters, each run taking over the one before, and
    the uninstaller cut as an older build's crash leaves it; a run to the end installs
    version 2, the shared file counted once for each of the two installations."""

    def test_killed_inside_the_big_file_then_run_again(self):
        before = self.prepared()
        self.kill_inside_big(0.5)
        self.install(2)
        self.assert_installed(2, count=1)
        self.remove_and_compare(before)

        self.install(1)
        for fraction in (0.25, 0.75):
            self.kill_inside_big(fraction)
        # Half of the uninstaller, dated now: it must be replaced all the same.
        path = self.wine.unix(UNINSTALLER)
        os.truncate(path, os.path.getsize(path) // 2)
        self.install(2)
        self.assert_installed(2, count=2)

    def kill_inside_big(self, fraction):
        self.kill_setup(2, *self.inside_big(fraction))
        # The kill came inside the file: its new bytes lie cut beside it.
        staged = self.wine.unix(f"{APP}{STAGING}\\BIG.DAT")
        self.assertLess(os.path.getsize(staged), len(cut_files(2)["BIG.DAT"]))


class KilledBetweenFiles(KillCase):
    """A first installation killed once its third small file is there, run again to the
    end and removed: the machine as before. Then version 2 over version 1, killed once
    its 2nd, its 5th and its 9th small file is in place, and run to the end."""

    def test_killed_between_small_files_then_run_again(self):
        before = self.prepared()
        self.kill_setup(1, self.size_is(APP + "S03.TXT", len(cut_files(1)["S03.TXT"])), "S03.TXT appearing")
        self.install(1)
        self.assert_installed(1, count=1)
        self.remove_and_compare(before)

        self.install(1)
        for number in (2, 5, 9):
            self.kill_setup(2, *self.small_done(number))
        self.install(2)
        self.assert_installed(2, count=2)


class KilledInLastStep(KillCase):
    """The last step (uninstaller, record, log, entry) killed. A first installation killed
    as the step begins, run again and killed as it writes its log (UNSETUP.NEW), run again
    to the end and removed: the machine as before. Then version 2 over version 1, killed
    while it writes the uninstaller beside UNKELVO.EXE, as it writes its log, and as the
    step's line is written, and run to the end. That last kill may come after the
    installation was complete, making the run after it a reinstallation, which counts the
    shared file again: the count is not looked at there."""

    def test_killed_in_the_last_step_then_run_again(self):
        before = self.prepared()
        self.kill_setup(1, self.logged(ASSOCIATIONS_DONE), f"the line {ASSOCIATIONS_DONE}")
        self.kill_setup(1, self.in_last_step(self.log_saving()), "the log being saved")
        self.install(1)
        self.assert_installed(1, count=1)
        self.remove_and_compare(before)

        self.install(1)
        self.kill_setup(2, self.in_last_step(self.uninstaller_copying()), "the uninstaller being copied")
        self.kill_setup(2, self.in_last_step(self.log_saving()), "the log being saved")
        self.kill_setup(2, self.logged(UNINSTALL_INFO_DONE), f"the line {UNINSTALL_INFO_DONE}")
        self.install(2)
        self.assert_installed(2, count=None)

    def in_last_step(self, changed):
        """A moment inside the last step, which lasts milliseconds: once the log shows the
        step before it, changed() is looked at without a pause between two looks."""
        def for_run(log):
            begun = self.log_shows(log, ASSOCIATIONS_DONE)

            def moment():
                if not begun():
                    return False
                end = time.time() + 0.2
                while time.time() < end:
                    if changed():
                        return True
                return False
            return moment
        return for_run

    def log_saving(self):
        """UNSETUP.NEW there, or (when it came and went between two looks) the log in place
        changed since the run began."""
        new, before = self.wine.unix(APP + "UNSETUP.NEW"), self.stat_of(APP + "UNSETUP.INI")
        return lambda: os.path.exists(new) or self.stat_of(APP + "UNSETUP.INI") != before

    def uninstaller_copying(self):
        """A file in the Windows folder that was not there before the run, other than its
        journal (KSnnnnnn.JNL): the new uninstaller beside the old one; or else the
        uninstaller already changed."""
        folder = self.wine.unix("C:\\windows")
        there, before = set(os.listdir(folder)), self.stat_of(UNINSTALLER)
        return lambda: (any(not name.upper().endswith(".JNL") for name in set(os.listdir(folder)) - there) or
                        self.stat_of(UNINSTALLER) != before)


# A removal killed -----------------------------------------------------------------------

DATA_FILES = [f"F{n:03d}.TXT" for n in range(200)]


def removal_script(letter, body):
    return f"""[Title]
Setup=削除試験{letter} セットアップ
UnSetup=削除試験{letter}
UnSetupKey=KelvoRm{letter}
[Extend]
SetupSpeed=1
[ProgramID]
ID=KELVORM{letter}
[DefaultFolder]
Folder=C:\\KelvoRm{letter}\\
[CopyFile]
File1={COMMON}KFAULT.DLL,/S
""" + body


# Product A: the shared file first, then 200 small files in a folder of their own, a
# shortcut in a folder of its own, a registry key and an association.
REMOVAL_A = removal_script("A", "".join(f"File{n}=(App)DATA\\{name}\n" for n, name in enumerate(DATA_FILES, 2)) + """\
[MakeFolder]
Folder1=(App)DATA
[ShortCut]
Make1=(App)DATA\\F000.TXT
Name1=(Sta)削除試験A\\F000
[Registry]
Key1=(Cuser)Software\\KelvoRmA
Name1=Folder
Value1=(Str)(App)
[Relate]
Name1=krma,削除試験文書
File1=open,(App)DATA\\F000.TXT,"%1",,0
[DeleteRegistry]
Key1=(Cuser)Software\\KelvoRmA
""")
REMOVAL_B = removal_script("B", "File2=(App)B.TXT\n")
SHARED_DLL = b"shared library of two products " * 40


class RemovalKilled(CutShortCase):
    """Products A and B share KFAULT.DLL (count 2). A's removal is killed after 30 of its
    200 files are gone, started again from its entry and killed after 120, then started
    again to its end; A is installed once more, and its removal killed once files,
    shortcuts and folders are gone, and started again. Each time the machine ends as it was
    with B alone: B's DLL there with a count of 1, nothing of A, and no failure listed for
    what an earlier attempt removed."""

    def test_removal_killed_then_started_again(self):
        wine = self.wine
        os.makedirs(wine.unix(COMMON))
        files = {name: f"{name} の中身\r\n".encode("cp932") * 4 for name in DATA_FILES}
        self.setup_a = self.put_package("C:\\pkgA", dict(files, **{"SETUP.INI": sjis(REMOVAL_A),
                                                                  "KFAULT.DLL": SHARED_DLL}), 1)
        setup_b = self.put_package("C:\\pkgB", {"SETUP.INI": sjis(REMOVAL_B), "KFAULT.DLL": SHARED_DLL,
                                                 "B.TXT": b"product B"}, 1)
        code, text, _ = self.run_setup(setup_b)
        self.assertEqual(code, 0, text)
        before = snapshot(wine)

        self.install_a()
        data = wine.unix("C:\\KelvoRmA\\DATA")
        gone = lambda count: lambda: len(os.listdir(data)) <= len(DATA_FILES) - count
        for count in (30, 120):
            self.kill_removal(lambda log: gone(count), f"{count} files gone")
            self.assertTrue(os.path.isdir(data) and os.listdir(data), "the kill came after the last file")
        self.finish_removal(before)

        self.install_a()
        # At the shortcuts, after every file: four steps before the entry goes, a moment a poller
        # catches even beside other scenarios (the folder step alone, three before it, was missed).
        self.kill_removal(self.logged("ショートカットのアンインストール処理．．．"), "the shortcut step's line")
        self.finish_removal(before)

    def install_a(self):
        code, text, _ = self.run_setup(self.setup_a)
        self.assertEqual(code, 0, text)
        self.assertEqual(self.shared_count(COMMON + "KFAULT.DLL"), ("REG_DWORD", "0x2"))

    def kill_removal(self, moment, what):
        """Starts A's removal from its entry, kills the uninstaller at the moment; the entry
        and the log it names are still there to start it again."""
        command = self.uninstall_command("KelvoRmA")
        log, code = self.new_log("remove"), self.temp_path("code.txt")
        proc = self.wine.start(RUNLINE, f"{command} /quiet /log {log}", code)
        self.kill_when(proc, "UNKELVO.EXE", moment(log), what)
        self.assertEqual(self.entry_log("KelvoRmA"), "C:\\KelvoRmA\\UNSETUP.INI", f"killed at {what}")
        self.assertTrue(self.exists("C:\\KelvoRmA\\UNSETUP.INI"), f"killed at {what}: the log went before the end")
        self.assertEqual(self.read(COMMON + "KFAULT.DLL"), SHARED_DLL)

    def finish_removal(self, before):
        code, text = self.run_command(self.uninstall_command("KelvoRmA"))
        # B still uses the DLL: its count is lowered once, and it is not offered as unused.
        self.assertEqual(self.shared_count(COMMON + "KFAULT.DLL"), ("REG_DWORD", "0x1"))
        self.assertNotIn(SHARED_QUESTION, text)
        for block in ("<File> ", "<ShortCut> ", "<Folder> ", "<Registry> ", "<SetupFolder> "):
            self.assertNotIn(block, text)
        self.assertEqual(code, 0, text)
        self.assertEqual(machine_changes(before, snapshot(self.wine), self.wine), [])


# A full disk --------------------------------------------------------------------------

DISK_APP = "D:\\KelvoDisk\\"
DISK_NAMES = ["A.DAT", "B.DAT", "C.DAT", "D.DAT"]
# A pause of 150 ms after each file leaves time to fill the drive once the first is in.
DISK_SCRIPT = """[Title]
Setup=満杯試験 セットアップ
UnSetup=満杯試験
UnSetupKey=KelvoDisk
[Extend]
SetupSpeed=150
[ProgramID]
ID=KELVODISK
[DefaultFolder]
Folder=D:\\KelvoDisk\\
[CopyFile]
""" + "".join(f"File{n}=(App){name}\n" for n, name in enumerate(DISK_NAMES, 1))


def disk_files(version):
    """Four files, each version's bytes its own: 256 KB in version 1, 768 KB in version 2,
    so that an old file's space alone cannot hold its new version."""
    size, files = (256 << 10) * (2 * version - 1), {}
    for name in DISK_NAMES:
        pattern = f"{name} 第{version}版 ".encode("cp932")
        files[name] = (pattern * (size // len(pattern) + 1))[:size]
    return files


class FullDisk(CutShortCase):
    """Version 1 on an 8 MB drive D:, then version 2 while the drive fills up after its
    first file: the files it could not write keep version 1's bytes and are listed in the
    log, and once space is freed the product removes without a trace."""

    def setUp(self):
        super().setUp()
        self.drive = tempfile.mkdtemp(prefix="kelvo-small-drive-")
        self.addCleanup(os.rmdir, self.drive)
        res = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=8m", "tmpfs", self.drive], capture_output=True,
                             text=True)
        if res.returncode != 0:
            self.skipTest(f"a small drive needs a tmpfs mount, which failed: {res.stderr.strip()}")
        self.addCleanup(self.unmount)
        os.symlink(self.drive, os.path.join(self.wine.prefix, "dosdevices", "d:"))

    def unmount(self):
        # Whatever still runs in the prefix lets go of the drive first.
        self.wine.stop()
        if subprocess.run(["umount", self.drive], capture_output=True).returncode != 0:
            subprocess.run(["umount", "-l", self.drive], capture_output=True)

    def on_drive(self, windows_path):
        assert windows_path[:3].upper() == "D:\\", windows_path
        return os.path.join(self.drive, *windows_path[3:].split("\\"))

    def fill(self):
        """Writes a file until the drive has no byte left."""
        fd = os.open(os.path.join(self.drive, "FILLER"), os.O_WRONLY | os.O_CREAT)
        chunk = b"\0" * (1 << 20)
        try:
            while True:
                os.write(fd, chunk)
        except OSError as e:
            self.assertEqual(e.errno, errno.ENOSPC)
        finally:
            os.close(fd)

    def test_full_drive_during_an_overwrite(self):
        wine = self.wine
        setups = {v: self.put_package(f"C:\\pkg{v}", dict(disk_files(v), **{"SETUP.INI": sjis(DISK_SCRIPT)}), v)
                  for v in (1, 2)}
        before = snapshot(wine)
        code, text, _ = self.run_setup(setups[1])
        self.assertEqual(code, 0, text)

        new = disk_files(2)
        first = self.on_drive(DISK_APP + DISK_NAMES[0])
        proc, log = self.start_setup(setups[2])
        deadline = time.time() + 120
        while not (os.path.exists(first) and file_bytes(first) == new[DISK_NAMES[0]]):
            self.assertIsNone(proc.poll(), "version 2 ended before its first file was in place")
            self.assertLess(time.time(), deadline)
            time.sleep(0.001)
        self.fill()
        code = proc.wait(timeout=120)
        text = self.text_of(log)
        failed = []
        for name in DISK_NAMES:
            path = self.on_drive(DISK_APP + name)
            self.assertTrue(os.path.isfile(path), f"{name} is gone")
            if file_bytes(path) != new[name]:
                self.assertEqual(file_bytes(path), disk_files(1)[name], f"{name} is neither version")
                self.assertIn(f"<File> {DISK_APP}{name}\r\n", text)
                failed.append(name)
        self.assertIn("D.DAT", failed, "the last file came long after the drive was full")
        self.assertIn("ファイルをコピーしています．．．一部失敗", text)
        self.assertEqual(code, 1, text)
        self.assertEqual(sorted(os.listdir(self.on_drive(DISK_APP))), DISK_NAMES + ["UNSETUP.INI"])
        # The entry still names a whole log.
        with open(self.on_drive(self.entry_log("KelvoDisk")), "rb") as f:
            saved = f.read().decode("cp932")
        self.assertTrue(saved.endswith("[ProgramID]\r\nID=KELVODISK\r\n"), saved)
        for name in DISK_NAMES:
            self.assertIn(f"={DISK_APP}{name}\r\n", saved)

        os.remove(os.path.join(self.drive, "FILLER"))
        code, text = self.run_command(self.uninstall_command("KelvoDisk"))
        self.assertEqual(code, 0, text)
        self.assertEqual(os.listdir(self.drive), [])
        changes = machine_changes(before, snapshot(wine), wine)
        self.assertLessEqual(set(changes), LEFT_BY_DESIGN, changes)


# A cut compressed file, and setups started together --------------------------------------

LZ_APP = "C:\\KelvoLz\\"
LZ_SCRIPT = """[Title]
Setup=圧縮試験 セットアップ
UnSetup=圧縮試験
UnSetupKey=KelvoLz
[Extend]
SetupSpeed=1
[DefaultFolder]
Folder=C:\\KelvoLz\\
[CopyFile]
File1=(App)PLAIN.TXT
File2=(App)MANUAL.TX_
"""
MANUAL = ["マニュアル 第1版 第{n}節\r\n".format(n=n).encode("cp932") for n in range(300)]


class CutCompressed(CutShortCase):
    """Version 1 installed with its compressed manual; version 2's manual, and a compressed
    file new in version 2, cut to half their bytes: both entries fail with a block naming
    the destination, the manual of version 1 stays, nothing of the new one is installed."""

    def test_cut_compressed_sources_fail_their_entries(self):
        manual1 = b"".join(MANUAL)
        manual2, extra = manual1.replace("第1版".encode("cp932"), "第2版".encode("cp932")), manual1[::-1]
        cut2, cut_extra = compressed(manual2, "T"), compressed(extra, "T")
        setup1 = self.put_package("C:\\pkg1", {"SETUP.INI": sjis(LZ_SCRIPT), "PLAIN.TXT": b"plain, version 1",
                                               "MANUAL.TX_": compressed(manual1, "T")}, 1)
        setup2 = self.put_package("C:\\pkg2", {"SETUP.INI": sjis(LZ_SCRIPT + "File3=(App)EXTRA.TX_\n"),
                                               "PLAIN.TXT": b"plain, version 2", "MANUAL.TX_": cut2[:len(cut2) // 2],
                                               "EXTRA.TX_": cut_extra[:len(cut_extra) // 2]}, 2)
        code, text, _ = self.run_setup(setup1)
        self.assertEqual(code, 0, text)
        self.assertEqual(self.read(LZ_APP + "MANUAL.TXT"), manual1)

        code, text, _ = self.run_setup(setup2)
        self.assertEqual(self.read(LZ_APP + "MANUAL.TXT"), manual1, "the cut expansion replaced the manual")
        self.assertEqual(sorted(os.listdir(self.wine.unix(LZ_APP))), ["MANUAL.TXT", "PLAIN.TXT", "UNSETUP.INI"])
        self.assertEqual(self.read(LZ_APP + "PLAIN.TXT"), b"plain, version 2")
        self.assertIn("ファイルをコピーしています．．．一部失敗", text)
        self.assertIn(f"<File> {LZ_APP}MANUAL.TXT\r\n", text)
        self.assertIn(f"<File> {LZ_APP}EXTRA.TXT\r\n", text)
        self.assertIn("終了コード: 1", text)
        self.assertEqual(code, 1, text)
        # The log keeps version 1's manual and records nothing of the failed new file.
        log = self.text_of(LZ_APP + "UNSETUP.INI")
        self.assertIn(f"={LZ_APP}MANUAL.TXT\r\n", log)
        self.assertNotIn("EXTRA", log)


class TwoSetupsAtOnce(CutShortCase):
    """Three unattended installations started together: one installs, the two others end at
    once with exit code 4, before it, and say why in their logs."""

    def test_only_one_setup_runs(self):
        wine = self.wine
        setup = self.put_package("C:\\pkg", {"SETUP.INI": sjis(LZ_SCRIPT.replace("File2=(App)MANUAL.TX_\n", "")),
                                             "PLAIN.TXT": b"plain"}, 1)
        wine.run("cmd", "/c", "ver")  # the prefix's services are up before the three start
        runs = [self.start_setup(setup) for _ in range(3)]
        ended = {}
        deadline = time.time() + 180
        while len(ended) < len(runs):
            self.assertLess(time.time(), deadline, "the setups never ended")
            for n, (proc, _) in enumerate(runs):
                if n not in ended and proc.poll() is not None:
                    ended[n] = time.time()
            time.sleep(0.01)
        codes = [proc.returncode for proc, _ in runs]
        self.assertEqual(sorted(codes), [0, 4, 4], codes)
        winner = codes.index(0)
        for n, (proc, log) in enumerate(runs):
            text = self.text_of(log)
            if n == winner:
                self.assertIn("終了コード: 0", text)
            else:
                self.assertIn("ほかのセットアップが実行中です。", text)
                self.assertIn("終了コード: 4", text)
                self.assertNotIn("インストールを開始します", text)
                self.assertLess(ended[n], ended[winner])
        self.assertEqual(self.read("C:\\KelvoLz\\PLAIN.TXT"), b"plain")
        self.assertEqual(self.entry_log("KelvoLz"), LZ_APP + "UNSETUP.INI")


on_versions(globals(), ["win98"], KilledInsideBigFile)
