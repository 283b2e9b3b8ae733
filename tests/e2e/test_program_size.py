"""The shipped programs as built: small enough for a package's first disk next to its
script, and self-contained (they import nothing but Windows' own libraries, and of those only
the ones no file beside the program can stand in for)."""
import os
import subprocess
import unittest

from harness import BUILD

LIMITS = {"setup.exe": 420 * 1024, "Tovra.exe": 200 * 1024}
# What the programs may import: DLLs that Windows always takes from its system folder, the
# known DLLs of every version from Windows 7 on, and setup.exe's comctl32, which its manifest
# binds to the side-by-side copy. A DLL imported by name otherwise is looked for beside the
# program first; the programs load the others (LZ32, VERSION, WININET, WINMM, WSOCK32) by
# their full path in the system folder at run time (test_security.py).
KNOWN_DLLS = {"advapi32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll",
              "oleaut32.dll", "shell32.dll", "shlwapi.dll", "user32.dll"}
IMPORTABLE = {"setup.exe": KNOWN_DLLS | {"comctl32.dll"}, "Tovra.exe": KNOWN_DLLS}


def imported_dlls(exe):
    out = subprocess.run(["i686-w64-mingw32-objdump", "-p", exe], check=True, capture_output=True,
                         text=True).stdout
    return {line.split("DLL Name:")[1].strip().lower() for line in out.splitlines() if "DLL Name:" in line}


class ProgramSize(unittest.TestCase):
    def test_programs_fit_their_limits_and_need_no_runtime_beside_them(self):
        for name, limit in LIMITS.items():
            with self.subTest(program=name):
                path = os.path.join(BUILD, name)
                self.assertLessEqual(os.path.getsize(path), limit)
                dlls = imported_dlls(path)
                self.assertIn("kernel32.dll", dlls)
                self.assertEqual(dlls - IMPORTABLE[name], set())


if __name__ == "__main__":
    unittest.main()
