"""The shipped programs as built: small enough for a package's first disk next to its
script, and self-contained (they import nothing but Windows' own libraries)."""
import os
import subprocess
import unittest

from harness import BUILD

LIMITS = {"setup.exe": 400 * 1024, "Tovra.exe": 200 * 1024}
# What every Windows version from 95 and NT 4 on has in its system folder.
SYSTEM_DLLS = {"advapi32.dll", "comctl32.dll", "comdlg32.dll", "gdi32.dll", "kernel32.dll", "lz32.dll",
               "msimg32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "shell32.dll", "shlwapi.dll",
               "user32.dll", "version.dll", "wininet.dll", "winmm.dll", "wsock32.dll"}


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
                self.assertEqual(dlls - SYSTEM_DLLS, set())


if __name__ == "__main__":
    unittest.main()
