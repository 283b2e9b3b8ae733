"""tools/release.sh, as a distributor meets its output: built twice from two clones of the
last commit, in folders of different names and at different times, the two dist/ folders
must be the same bytes; the archive's checksums hold, the version agrees everywhere, no
build path or link time is left in a file; and the Debian package installs and works.

Run from the repository: python3 -m unittest -v tests/tools/test_release.py"""
import gzip
import json
import os
import re
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
import zipfile

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
with open(os.path.join(REPO, "CMakeLists.txt")) as f:
    VERSION = re.search(r"project\(\S+ VERSION (\S+)", f.read()).group(1)
TOP = f"kelvo-setup-{VERSION}-win32"
ZIP = f"{TOP}.zip"
DEB = f"kelvo-setupcheck_{VERSION}_amd64.deb"
SAMPLE = "/usr/share/doc/kelvo-setupcheck/examples/sample"


def release(folder):
    subprocess.run(["git", "clone", "-q", REPO, folder], check=True)
    subprocess.run(["./tools/release.sh"], cwd=folder, check=True, stdout=subprocess.DEVNULL)
    return os.path.join(folder, "dist")


def pe_header(data):
    return struct.unpack_from("<I", data, 0x3C)[0]


def pe_version(data):
    """The file version of a program's version resource, as a.b.c.d."""
    at = data.index(struct.pack("<I", 0xFEEF04BD))
    ms, ls = struct.unpack_from("<II", data, at + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


def deb_member(deb, name):
    return subprocess.run(["dpkg-deb", "-f" if name == "control" else "--fsys-tarfile", deb],
                          capture_output=True, check=True).stdout


class Release(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp()
        cls.clones = [os.path.join(cls.tmp, "first"), os.path.join(cls.tmp, "a", "longer", "second-clone")]
        cls.dists = [release(cls.clones[0])]
        time.sleep(2)  # another second on every clock the build could read
        cls.dists.append(release(cls.clones[1]))
        cls.dist = cls.dists[0]
        with zipfile.ZipFile(os.path.join(cls.dist, ZIP)) as z:
            cls.files = {i.filename: z.read(i) for i in z.infolist() if not i.is_dir()}

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.tmp)

    def test_two_builds_are_the_same_bytes(self):
        names = [sorted(os.listdir(d)) for d in self.dists]
        self.assertEqual(names[0], sorted(["SHA256SUMS", DEB, ZIP]))
        self.assertEqual(names[0], names[1])
        for name in names[0]:
            with open(os.path.join(self.dists[0], name), "rb") as a, open(os.path.join(self.dists[1], name), "rb") as b:
                self.assertTrue(a.read() == b.read(), f"{name} differs between the two builds")

    def test_windows_archive(self):
        programs = ["setup.exe", "setupcheck.exe", "Tovra.exe", "example/setup.exe"]
        expected = programs + ["click001.wav", "click003.wav", "docs/setup-script.md", "docs/deployment.md",
                               "docs/monitor.md", "docs/release.md", "example/SETUP.INI", "example/MANUAL.TX_",
                               "example/SAMPLECMP.DLL", "example/DISK2/EXTRA.TXT"]
        for name in expected:
            self.assertIn(f"{TOP}/{name}", self.files)
        sums = self.files[f"{TOP}/SHA256SUMS"].decode().splitlines()
        listed = sorted(line.split("  ", 1)[1] for line in sums)
        self.assertEqual(listed, sorted(n[len(TOP) + 1:] for n in self.files if not n.endswith("SHA256SUMS")))
        with tempfile.TemporaryDirectory() as out:
            with zipfile.ZipFile(os.path.join(self.dist, ZIP)) as z:
                z.extractall(out)
            check = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=os.path.join(out, TOP), capture_output=True, text=True)
            self.assertEqual(check.returncode, 0, check.stdout + check.stderr)
        published = subprocess.run(["sha256sum", "-c", "SHA256SUMS"], cwd=self.dist, capture_output=True, text=True)
        self.assertEqual(published.stdout.count(": OK"), 2, published.stdout)
        for name in programs:
            data = self.files[f"{TOP}/{name}"]
            self.assertEqual(struct.unpack_from("<I", data, pe_header(data) + 8)[0], 0, f"{name} keeps a link time")
        self.assertEqual(pe_version(self.files[f"{TOP}/setup.exe"]), VERSION)

    def test_no_build_path_in_any_file(self):
        blobs = dict(self.files)
        blobs["deb data"] = deb_member(os.path.join(self.dist, DEB), "data")
        for name, data in blobs.items():
            for clone in self.clones:
                self.assertNotIn(clone.encode(), data, name)
            self.assertNotIn(self.tmp.encode(), data, name)

    def test_debian_package_depends_on_every_library_the_checker_links(self):
        deb = os.path.join(self.dist, DEB)
        with tempfile.TemporaryDirectory() as out:
            subprocess.run(["dpkg-deb", "-x", deb, out], check=True)
            linked = subprocess.run(["objdump", "-p", os.path.join(out, "usr/bin/setupcheck")],
                                    capture_output=True, text=True, check=True).stdout
        depends = re.search(r"^Depends: (.*)$", deb_member(deb, "control").decode(), re.M).group(1)
        self.assertIn("libc6 (>= ", depends)
        self.assertEqual("zlib1g (>= " in depends, bool(re.search(r"NEEDED\s+libz\.so\.1", linked)), depends)

    def test_debian_package_passes_lintian(self):
        lint = subprocess.run(["lintian", "--fail-on", "error,warning", os.path.join(self.dist, DEB)],
                              capture_output=True, text=True)
        self.assertEqual(lint.returncode, 0, lint.stdout + lint.stderr)

    @unittest.skipUnless(os.geteuid() == 0, "installing a package needs root")
    def test_debian_package_installed(self):
        control = deb_member(os.path.join(self.dist, DEB), "control").decode()
        self.assertIn(f"Version: {VERSION}\n", control)
        was_installed = subprocess.run(["dpkg-query", "-W", "kelvo-setupcheck"], capture_output=True).returncode == 0
        env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
        apt = subprocess.run(["apt-get", "install", "-y", "-qq", "--reinstall", f"./{DEB}"], cwd=self.dist, env=env,
                             capture_output=True, text=True)
        self.assertEqual(apt.returncode, 0, apt.stdout + apt.stderr)
        try:
            run = lambda *args, **kw: subprocess.run(list(args), capture_output=True, **kw)  # noqa: E731
            self.assertEqual(run("setupcheck", "--version").stdout, f"setupcheck {VERSION}\n".encode())
            page = run("man", "-P", "cat", "setupcheck", env=dict(os.environ, MANWIDTH="80"))
            self.assertEqual(page.returncode, 0, page.stderr)
            self.assertIn(b"EXIT STATUS", page.stdout)
            self.assertIn(f"Kelvo Setup {VERSION}".encode(), page.stdout)
            clean = run("/usr/bin/setupcheck", "--strict", SAMPLE, env=dict(os.environ, LANG="C.UTF-8"))
            self.assertEqual((clean.returncode, clean.stdout, clean.stderr), (0, b"", b""))
            plan = run("/usr/bin/setupcheck", "--plan", "--json", SAMPLE)
            # setup.exe itself becomes the uninstaller; every other file comes from the package.
            files = [f["found"] for f in json.loads(plan.stdout)["files"] if f["source"] != "setup.exe"]
            self.assertIn("DISK2\\EXTRA.TXT", files)
            for name in files:
                self.assertTrue(os.path.isfile(os.path.join(SAMPLE, name.replace("\\", "/"))), name)
            with gzip.open("/usr/share/man/man1/setupcheck.1.gz") as man:
                self.assertIn(b".TH SETUPCHECK 1", man.read())
        finally:
            if not was_installed:
                subprocess.run(["apt-get", "remove", "-y", "-qq", "kelvo-setupcheck"], env=env, stdout=subprocess.DEVNULL)


if __name__ == "__main__":
    unittest.main()
