"""How long setupcheck takes over a package of 10,000 script entries (4,000 files beside the
script, 2,000 folders, 2,000 registry values, 1,000 shortcuts, 1,000 INI entries), checking
and planning: with the native build (sanitizers on) and with an optimised build of the same
sources that this script compiles into build/bench/ (python3 bench/check_speed.py)."""
import glob
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
NATIVE = os.path.join(REPO, "build", "native", "setupcheck")
OPTIMISED = os.path.join(REPO, "build", "bench", "setupcheck")
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


def build_optimised():
    """The checker and the portable core at -O2, without the sanitizers of the native preset."""
    sources = [f for d in ("engine", "wizard", "install", "uninstall", "windows", "check")
               for f in glob.glob(os.path.join(REPO, "src", d, "*.cpp")) if not f.endswith("_win.cpp")]
    os.makedirs(os.path.dirname(OPTIMISED), exist_ok=True)
    with open(os.path.join(REPO, "CMakeLists.txt")) as f:
        version = re.search(r"project\(\S+ VERSION (\S+)", f.read()).group(1)
    subprocess.run(["g++", "-O2", "-std=c++20", "-fexec-charset=CP932", "-DKELVO_UTF8_NAMES",
                    "-DKELVO_ENCODING_FROM_LOCALE", f'-DKELVO_VERSION="{version}"', "-I", os.path.join(REPO, "src"),
                    *sources, "-o", OPTIMISED], check=True)


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
        build_optimised()
        status = subprocess.run([NATIVE, folder], capture_output=True).returncode
        print(f"entries: {FILES + FOLDERS + VALUES + SHORTCUTS + INI}, check exit status {status}")
        for label, program in (("optimised", OPTIMISED), ("native, sanitizers", NATIVE)):
            print(f"{label}: check {best_of(program, [folder]):.3f} s, plan {best_of(program, ['--plan', folder]):.3f} s")
    finally:
        shutil.rmtree(folder)


if __name__ == "__main__":
    main()
