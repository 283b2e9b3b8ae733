#!/bin/bash
# Runs clang-tidy with .clang-tidy's checks over the project's own sources, as the native and
# the mingw builds compile them (configure both first); prints each finding and exits 1 when
# there is one. The Win32 sources are read as clang reads them for i686 mingw-w64.
set -eu
cd "$(dirname "$0")/.."
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# Clang knows no Shift-JIS execution character set: the texts' bytes do not matter to the
# checks, so that flag goes. A file both builds compile is read as the native build does.
# For mingw, clang takes the C++ library headers the cross compiler itself uses.
python3 - "$work" <<'EOF'
import json, os, re, shlex, subprocess, sys
work, seen = sys.argv[1], set()

def cxx_headers(compiler):
    out = subprocess.run([compiler, "-E", "-x", "c++", "-", "-v"], input="", capture_output=True, text=True).stderr
    dirs = re.search(r"#include <...> search starts here:\n(.*?)End of search list", out, re.S).group(1).split()
    return [flag for d in dirs if "/c++" in d for flag in ("-isystem", d)]

for build in ("native", "mingw"):
    entries = []
    for entry in json.load(open(f"build/{build}/compile_commands.json")):
        name = entry["file"]
        if "/src/" not in name or name.endswith("_table.cpp") or name in seen:
            continue
        seen.add(name)
        compiler, *args = shlex.split(entry["command"])
        args = [a for a in args if not a.startswith("-fexec-charset=")]
        if build == "mingw":
            args = ["--target=i686-w64-mingw32", "-nostdinc++", *cxx_headers(compiler), *args]
        entry["command"] = shlex.join(["clang++", *args])
        entries.append(entry)
    os.makedirs(f"{work}/{build}")
    json.dump(entries, open(f"{work}/{build}/compile_commands.json", "w"))
    open(f"{work}/{build}.files", "w").write("".join(e["file"] + "\n" for e in entries))
EOF
status=0
for build in native mingw; do
    xargs -P 2 -n 6 clang-tidy -p "$work/$build" --quiet < "$work/$build.files" 2>&1 |
        grep -v '^[0-9]* warnings\? generated\.$' || true
    [ "${PIPESTATUS[0]}" = 0 ] || status=1
done
[ "$status" = 0 ] && echo "tidy: $(cat "$work"/*.files | wc -l) files as .clang-tidy says"
exit "$status"
