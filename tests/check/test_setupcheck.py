"""setupcheck on the broken packages of packages/ (each folder's expected.txt holds the exit
status and the exact findings), and on the example package, which must check clean."""
import json
import os
import re
import shutil
import subprocess
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.abspath(os.path.join(HERE, "..", ".."))
SETUPCHECK = os.environ.get("KELVO_SETUPCHECK", os.path.join(REPO, "build", "native", "setupcheck"))
PACKAGES = os.path.join(HERE, "packages")
COMPONENT = os.path.join(REPO, "build", "mingw", "tools", "win", "testcomponent", "component_ok.dll")


def setupcheck(*args, stream="stdout", locale="C"):
    """Exit status and standard output of one run: UTF-8 with --json or a UTF-8 locale, else
    Shift-JIS, as the script's texts are."""
    env = dict(os.environ, LC_ALL=locale)
    proc = subprocess.run([SETUPCHECK, *args], capture_output=True, timeout=60, env=env)
    utf8 = "--json" in args or "utf-8" in args or ("UTF-8" in locale and "cp932" not in args)
    return proc.returncode, getattr(proc, stream).decode("utf-8" if utf8 else "cp932")


def assemble_example(folder):
    """The example package as tools/demo.sh ships it; the component comes from the mingw build
    when there is one (only its presence matters to the checker)."""
    component = COMPONENT
    if not os.path.exists(component):
        component = os.path.join(folder, "stand-in.dll")
        with open(component, "wb") as f:
            f.write(b"MZ")
    subprocess.run([os.path.join(REPO, "tools", "sample-package.sh"), folder, component], check=True)
    if component != COMPONENT:
        os.remove(component)


class BrokenPackages(unittest.TestCase):
    def test_each_package_gives_exactly_its_findings(self):
        names = sorted(os.listdir(PACKAGES))
        self.assertGreaterEqual(len(names), 10)
        for name in names:
            with self.subTest(package=name):
                with open(os.path.join(PACKAGES, name, "expected.txt"), encoding="utf-8") as f:
                    expected = f.read()
                status, out = setupcheck(os.path.join(PACKAGES, name))
                self.assertEqual(f"exit {status}\n{out}", expected)

    def test_json_carries_the_same_findings(self):
        status, out = setupcheck("--json", os.path.join(PACKAGES, "registry"))
        self.assertEqual(status, 1)
        findings = json.loads(out)
        self.assertEqual([f["line"] for f in findings], [2, 5, 7, 10, 13, 16, 17])
        self.assertEqual(findings[0]["file"], "SETUP.INI")
        self.assertEqual({f["severity"] for f in findings}, {"error"})
        self.assertIn('"(LOCAL)"', findings[0]["message"])
        self.assertEqual((findings[0]["section"], findings[0]["key"]), ("Registry", "Key1"))
        status, out = setupcheck("--json", os.path.join(PACKAGES, "latin1"))
        self.assertEqual([(f["section"], f["key"]) for f in json.loads(out)], [("", "")])

    def test_json_of_every_package_is_utf8_and_says_what_the_text_says(self):
        for name in sorted(os.listdir(PACKAGES)):
            with self.subTest(package=name):
                folder = os.path.join(PACKAGES, name)
                # An unreadable package's findings go to standard error.
                stream = "stderr" if name == "no-script" else "stdout"
                text = setupcheck(folder, stream=stream)[1]
                findings = json.loads(setupcheck("--json", folder, stream=stream)[1])
                self.assertEqual([f"{f['file']}:{f['line']}: {f['severity']}: {f['message']}\n" for f in findings],
                                 text.splitlines(keepends=True))

    def test_lines_follow_the_locale_unless_told(self):
        folder = os.path.join(PACKAGES, "trail-bytes")
        with open(os.path.join(folder, "expected.txt"), encoding="utf-8") as f:
            expected = f.read().split("\n", 1)[1]
        for locale, args in (("C", ()), ("ja_JP.UTF-8", ()), ("C.UTF-8", ()), ("C.UTF-8", ("--encoding", "cp932")),
                             ("C", ("--encoding", "utf-8"))):
            with self.subTest(locale=locale, args=args):
                status, out = setupcheck(*args, folder, locale=locale)
                self.assertEqual(status, 1)
                self.assertEqual(out, expected)

    def test_files_named_in_utf8_are_found_and_a_name_stored_both_ways_is_reported(self):
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder)
        script = "[CopyFile]\r\nFile1=(App)データ\\表.TXT\r\nFile2=(App)ソフト.TXT\r\nFile3=(Dch)(App)能.TXT\r\n"
        files = {"SETUP.INI".encode(): script.encode("cp932"), "表.TXT".encode(): b"utf-8 name",
                 "ソフト.TXT".encode(): b"utf-8 name", "ソフト.TXT".encode("cp932"): b"shift-jis name"}
        os.mkdir(os.path.join(folder, "DISK2"))
        files["DISK2/能.TXT".encode()] = b"second disk"
        for name, content in files.items():
            with open(os.path.join(folder.encode(), name), "wb") as f:
                f.write(content)
        status, out = setupcheck(folder, locale="C.UTF-8")
        self.assertEqual((status, out), (0, 'SETUP.INI:3: warning: [CopyFile] File2: source "ソフト.TXT" is in the '
                                            "package twice, named in UTF-8 and in Shift-JIS; the Shift-JIS one is "
                                            "checked, and the copy that reaches Windows decides\n"))
        plan = json.loads(setupcheck("--plan", "--json", folder)[1])
        self.assertEqual([(f["source"], f["found"], f["missing"]) for f in plan["files"]][:3],
                         [("表.TXT", "表.TXT", False), ("ソフト.TXT", "ソフト.TXT", False),
                          ("能.TXT", "DISK2\\能.TXT", False)])

    def test_paths_typed_in_utf8_are_shown_as_typed(self):
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder)
        missing = os.path.join(folder, "パッケージ無し")
        os.mkdir(missing)
        self.assertEqual(setupcheck(missing, stream="stderr", locale="C.UTF-8"),
                         (2, f'SETUP.INI:0: error: no readable SETUP.INI in "{missing}"\n'))
        with open(os.path.join(folder, "SETUP.INI"), "wb") as f:
            f.write(b"[CopyFile]\r\nFile1=(App)A.TXT\r\n")
        plan = json.loads(setupcheck("--plan", "--json", "--folder", "(Prg)=D:\\プログラム", folder)[1])
        self.assertEqual(plan["installFolder"], "D:\\プログラム\\")

    def test_version_is_the_build_s(self):
        with open(os.path.join(REPO, "CMakeLists.txt"), encoding="utf-8") as f:
            version = re.search(r"project\(\S+ VERSION (\S+)", f.read()).group(1)
        self.assertEqual(setupcheck("--version"), (0, f"setupcheck {version}\n"))

    def test_warnings_count_only_when_strict(self):
        folder = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, folder)
        with open(os.path.join(folder, "setup.ini"), "wb") as f:
            f.write(b"[Title]\r\nSetup=Notes\r\n[Notes]\r\nWho=me\r\n")
        self.assertEqual(setupcheck(folder), (0, "SETUP.INI:3: warning: unknown section [Notes]: setup never reads it\n"))
        self.assertEqual(setupcheck("--strict", folder)[0], 1)

    def test_bad_arguments_and_unknown_systems_are_refused(self):
        self.assertEqual(setupcheck()[0], 2)
        self.assertEqual(setupcheck("--os", "win31", PACKAGES)[0], 2)
        self.assertEqual(setupcheck("--folder", "(Win)", PACKAGES)[0], 2)


class ExamplePackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.mkdtemp()
        assemble_example(cls.folder)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.folder)

    def test_checks_clean_on_every_system(self):
        for system in ("win95", "win98", "winme", "nt40", "win2k", "winxp", "win2003"):
            with self.subTest(system=system):
                self.assertEqual(setupcheck("--strict", "--os", system, self.folder), (0, ""))

    def test_plan_expands_the_folders_of_each_system(self):
        status, out = setupcheck("--plan", "--json", "--os", "win98", self.folder)
        self.assertEqual(status, 0)
        plan = json.loads(out)
        self.assertEqual(plan["installFolder"], "C:\\Program Files\\サンプルアプリ\\")
        files = {f["source"]: f for f in plan["files"]}
        self.assertEqual(files["SAMPLECMP.DLL"]["destination"], "C:\\WINDOWS\\SYSTEM\\SAMPLECMP.DLL")
        self.assertEqual(files["MANUAL.TX_"]["destination"], "C:\\Program Files\\サンプルアプリ\\MANUAL.TXT")
        self.assertEqual(files["EXTRA.TXT"]["disk"], 2)
        self.assertEqual(plan["shortcuts"][0]["file"], "C:\\WINDOWS\\デスクトップ\\サンプルアプリ.lnk")
        nt = json.loads(setupcheck("--plan", "--json", "--os", "win2k", self.folder)[1])
        self.assertEqual(nt["shortcuts"][0]["file"], "C:\\Documents and Settings\\User\\デスクトップ\\サンプルアプリ.lnk")
        self.assertIn("File5=C:\\WINNT\\system32\\SAMPLECMP.DLL,/S/R\r\n", nt["uninstallLogText"])

    def test_folders_of_a_real_machine_replace_the_sample_ones(self):
        out = setupcheck("--plan", "--folder", "(Prg)=E:\\Apps", "--folder", "(Dsk)=E:\\Desk\\", self.folder)[1]
        self.assertIn("install folder\tE:\\Apps\\サンプルアプリ\\\n", out)
        self.assertIn("shortcut\tE:\\Desk\\サンプルアプリ.lnk\t", out)
        self.assertIn("  Folder=E:\\Apps\\サンプルアプリ\\\n", out)


if __name__ == "__main__":
    unittest.main()
