"""How long setupcheck takes over a package of 10,000 script entries (4,000 files beside the
script, 2,000 folders, 2,000 registry values, 1,000 shortcuts, 1,000 INI entries), checking
and planning: the released checker (the release-native preset, which this script builds) against
the test build (the native preset, sanitizers on). python3 bench/check_speed.py"""
import os
import shutil
import subprocess
import tempfile
import time

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
NATIVE = os.path.join(REPO, "build", "native", "setupcheck")
RELEASED = os.path.join(REPO, "build", "release-native", "setupcheck")
FILES, FOLDERS, VALUES, SHORTCUTS, INI = 4000, 2000, 2000, 1000, 1000


def script():
    lines = ["[Title]", "Setup=速度", "[DefaultFolder]", "Folder=(Prg)\\速度\\", "[CopyFile]"]
    lines += [f"File{n}=(App)F{n // 100}\\FILE{n}.DAT{',/S' if n % 10 == 0 else ''}" for n in range(1, FILES + 1)]
    lines += ["[MakeFolder]"] + [f"Folder{n}=(App)F{n}" for n in range(1, FOLDERS + 1)]
    lines += ["[Registry]"]
    for n in range(1, VALUES + 1):
        lines += [f"Key{n}=(Cuser)Software\\Speed\\K{n // 50}", f"Name{n}=V{n}", f"Value{n}=(Dwd){n}"]
    lines += ["[ShortCut]"]
    for n in range(1, SHORTCUTS + 1):
        lines += [f"Make{n}=(App)F1\\FILE{n}.DAT", f"Name{n}=(Sta)速度\\L{n}"]
    lines += ["[IniFile]"] + [f"Data{n}=S{n // 100},K{n},(App)F{n},(App)SPEED.INI" for n in range(1, INI + 1)]
    return ("\r\n".join(lines) + "\r\n").encode("cp932")


def build_released():
    for step in (["--preset", "release-native"], ["--build", "--preset", "release-native"]):
        subprocess.run(["cmake", *step], cwd=REPO, check=True, stdout=subprocess.DEVNULL)


def best_of(program, args, rounds=5):
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        subprocess.run([program, *args], stdout=subprocess.DEVNULL, check=False)
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    folder = tempfile.mkdtemp()
    try:
        with open(os.path.join(folder, "SETUP.INI"), "wb") as f:
            f.write(script())
        for n in range(1, FILES + 1):
            with open(os.path.join(folder, f"FILE{n}.DAT"), "wb") as f:
                f.write(b"x")
        build_released()
        status = subprocess.run([NATIVE, folder], capture_output=True).returncode
        print(f"entries: {FILES + FOLDERS + VALUES + SHORTCUTS + INI}, check exit status {status}")
        for label, program in (("released", RELEASED), ("test build, sanitizers", NATIVE)):
            print(f"{label}: check {best_of(program, [folder]):.3f} s, plan {best_of(program, ['--plan', folder]):.3f} s")
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
