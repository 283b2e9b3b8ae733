"""setupcheck --plan against a real installation: the example package is planned with the
folders of the prefix standing for the sample ones, installed through the wizard with its
defaults, and every folder, file, shortcut, registry value, INI entry and the uninstall log
the plan names is compared with what the machine then holds; no other file lands in the
install folder. On the 95 platform and on NT."""
import json
import os
import shutil
import subprocess

from harness import BUILD, REPO
from install_support import InstallCase, file_bytes, read_lnk, reg_value, shell_folder

PACKAGE = "C:\\SamplePackage"
ROOTS = {"HKEY_LOCAL_MACHINE": "HKLM", "HKEY_CURRENT_USER": "HKCU", "HKEY_USERS": "HKU",
         "HKEY_CLASSES_ROOT": "HKLM\\Software\\Classes"}  # Wine keeps the classes there


def ini_section(text, section):
    """The lines of one section of an INI text."""
    lines, inside = [], False
    for line in text.split("\r\n"):
        if line.startswith("["):
            inside = line[1:-1].upper() == section.upper()
        elif inside:
            lines.append(line)
    return lines


class PlanAgreesWithMachine(InstallCase):
    version = "winxp"

    def plan(self):
        wine = self.wine
        folders = {"(Win)": "C:\\windows", "(Sys)": "C:\\windows\\system32", "(Prg)": "C:\\Program Files",
                   "(Dsk)": shell_folder(wine, "Desktop"), "(Sta)": shell_folder(wine, "Programs")}
        args = ["--plan", "--json", "--os", self.version]
        for token, folder in folders.items():
            args += ["--folder", f"{token}={folder}"]
        # The Windows build of the checker, run in the prefix like the distributor's own.
        res = wine.run(os.path.join(BUILD, "setupcheck.exe"), *args, PACKAGE)
        self.assertEqual(res.returncode, 0, res.stderr)
        return json.loads(res.stdout.decode("utf-8"))

    def test_plan_names_what_the_installation_leaves(self):
        wine = self.wine
        # The component of the build under test, not whatever build/mingw holds.
        component = os.path.join(BUILD, "tools", "win", "testcomponent", "component_ok.dll")
        subprocess.run([os.path.join(REPO, "tools", "sample-package.sh"), wine.unix(PACKAGE), component], check=True)
        shutil.copy(os.path.join(BUILD, "setup.exe"), wine.unix(PACKAGE))
        plan = self.plan()
        # The second disk's file is at hand when the disk change asks for it.
        shutil.copy(wine.unix(PACKAGE + "\\DISK2\\EXTRA.TXT"), wine.unix(PACKAGE))
        self.install_with_defaults(PACKAGE + "\\setup.exe")
        app = plan["installFolder"]
        self.assertEqual(app, "C:\\Program Files\\サンプルアプリ\\")
        self.assertEqual([len(plan[k]) for k in ("folders", "files", "shortcuts", "registry", "ini")],
                         [2, 7, 3, 15, 3])

        for folder in plan["folders"]:
            self.assertTrue(os.path.isdir(wine.unix(folder["path"])), folder)
        for f in plan["files"]:
            self.assertFalse(f["missing"], f)
            installed = file_bytes(wine.unix(f["destination"]))
            if f["source"] == "setup.exe":
                self.assertEqual(installed, file_bytes(os.path.join(BUILD, "setup.exe")))
            elif not f["compressed"]:
                disk = "" if f["disk"] == 1 else f"\\DISK{f['disk']}"
                self.assertEqual(installed, file_bytes(wine.unix(f"{PACKAGE}{disk}\\{f['source']}")), f)
        for s in plan["shortcuts"]:
            link = read_lnk(wine.unix(s["file"]))
            self.assertEqual((link["target"], link["arguments"], link["working"]),
                             (s["target"], s["arguments"], s["workingFolder"]), s)
        for v in plan["registry"]:
            key = ROOTS[v["root"]] + "\\" + v["key"]
            if v["type"]:
                self.assertEqual(reg_value(wine, key, v["name"]), (v["type"], v["data"]), v)
            else:
                self.assertEqual(wine.run("reg", "query", key).returncode, 0, v)
        for e in plan["ini"]:
            text = self.read(e["file"]).decode("cp932")
            self.assertIn(f"{e['key']}={e['value']}", ini_section(text, e["section"]), e)
        self.assertEqual(self.read(plan["uninstallLog"]), plan["uninstallLogText"].encode("cp932"))

        # Nothing lands in the install folder that the plan does not name.
        named = {f["destination"].upper() for f in plan["files"]} | {e["file"].upper() for e in plan["ini"]}
        named.add(plan["uninstallLog"].upper())
        for root, _, names in os.walk(wine.unix(app)):
            for name in names:
                path = app + os.path.relpath(os.path.join(root, name), wine.unix(app)).replace("/", "\\")
                self.assertIn(path.upper(), named)


class PlanAgreesWithMachineOn98(PlanAgreesWithMachine):
    version = "win98"
