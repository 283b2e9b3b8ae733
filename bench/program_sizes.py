"""Sizes of what a distributor ships (setup.exe, Tovra.exe and its sounds) as built in
build/mingw, and what takes the room in each program: its sections, and the largest
contributors by object file and by library, from a map of the same link.

The map comes from linking the program again, with the build's own command and an
added -Wl,-Map, into a scratch folder; the shipped files are not touched.
Usage: python3 bench/program_sizes.py [--top N]
"""
import argparse
import collections
import os
import re
import shlex
import subprocess
import sys
import tempfile

REPO = os.path.abspath(os.path.join(os.path.dirname(__file__), ".."))
BUILD = os.environ.get("KELVO_BUILD", os.path.join(REPO, "build", "mingw"))
SHIPPED = ["setup.exe", "Tovra.exe", "click001.wav", "click003.wav"]
PROGRAMS = ["setup.exe", "Tovra.exe"]
OBJDUMP = "i686-w64-mingw32-objdump"

# A line of the map's memory part naming one input section: " .text  0xADDR  0xSIZE  file".
SECTION_LINE = re.compile(r"^ (\.\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")
CONTINUED_LINE = re.compile(r"^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S.*)$")


def contributors(map_text):
    """Bytes of loaded sections per input file ("libfoo.a(bar.o)" or "bar.obj").

    Only the memory map counts (what the linker dropped is listed before it), and no
    debugging sections. Long section names stand on their own line, the figures on the next."""
    sizes = collections.Counter()
    lines = map_text.split("\n")
    start = next((i for i, line in enumerate(lines) if line.startswith("Linker script and memory map")), len(lines))
    output_section = None
    for i in range(start + 1, len(lines)):
        line = lines[i]
        head = re.match(r"^(\.\S+)", line)
        if head:
            output_section = head.group(1)
        if output_section is None or output_section.startswith(".debug"):
            continue
        match = SECTION_LINE.match(line)
        if match:
            size, source = int(match.group(2), 16), match.group(3)
        elif re.match(r"^ \.\S+$", line) and i + 1 < len(lines) and CONTINUED_LINE.match(lines[i + 1]):
            follow = CONTINUED_LINE.match(lines[i + 1])
            size, source = int(follow.group(1), 16), follow.group(2)
        else:
            continue
        if size and not source.startswith("*"):
            sizes[os.path.basename(source.strip())] += size
    return sizes


def by_library(sizes):
    """Folds "libfoo.a(bar.o)" into "libfoo.a"; the program's own objects stay as they are."""
    libraries = collections.Counter()
    for name, size in sizes.items():
        libraries[name.split("(")[0]] += size
    return libraries


def sections(exe):
    """(name, size) of each section of the program file."""
    out = subprocess.run([OBJDUMP, "-h", exe], check=True, capture_output=True, text=True).stdout
    found = []
    for line in out.splitlines():
        parts = line.split()
        if len(parts) >= 3 and parts[0].isdigit():
            found.append((parts[1], int(parts[2], 16)))
    return found


def link_command(target):
    """The build's link command for `target` (setup.exe, Tovra.exe), as ninja runs it."""
    out = subprocess.run(["ninja", "-C", BUILD, "-t", "commands", target], check=True,
                         capture_output=True, text=True).stdout
    return out.strip().splitlines()[-1]


def link_map(target, scratch):
    # Ninja wraps the link as ": && LINK && :"; its outputs are redirected to the scratch folder.
    link = next(part for part in link_command(target).split(" && ") if " -o " in part)
    words = shlex.split(link)
    words[words.index("-o") + 1] = os.path.join(scratch, target)
    words = [w for w in words if not w.startswith("-Wl,--out-implib,")]
    words.append("-Wl,-Map," + os.path.join(scratch, target + ".map"))
    subprocess.run(words, cwd=BUILD, check=True)
    with open(os.path.join(scratch, target + ".map")) as f:
        return f.read()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--top", type=int, default=12)
    args = parser.parse_args()

    print(f"shipped files in {os.path.relpath(BUILD, REPO)}:")
    for name in SHIPPED:
        path = os.path.join(BUILD, name)
        print(f"  {name:14s} {os.path.getsize(path):>10,} bytes" if os.path.exists(path) else f"  {name:14s} missing")

    with tempfile.TemporaryDirectory() as scratch:
        for target in PROGRAMS:
            exe = os.path.join(BUILD, target)
            if not os.path.exists(exe):
                continue
            print(f"\n{target}: sections")
            for name, size in sections(exe):
                print(f"  {name:10s} {size:>9,}")
            sizes = contributors(link_map(target, scratch))
            print(f"{target}: by library (bytes of code and data, before section alignment)")
            for name, size in by_library(sizes).most_common(args.top):
                print(f"  {size:>9,}  {name}")
            print(f"{target}: largest object files")
            for name, size in sizes.most_common(args.top):
                print(f"  {size:>9,}  {name}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
