#!/bin/bash
# Assembles the example package as a distributor ships it into the folder given: texts in
# Shift-JIS with CR LF, the manual LZ-compressed, the project's self-registering component
# (from the mingw build, or the file given second), the second disk's files in DISK2/.
set -euo pipefail
cd "$(dirname "$0")/.."
PKG="$1"
DLL="${2:-build/mingw/tools/win/testcomponent/component_ok.dll}"
mkdir -p "$PKG/DISK2"
sjis() { iconv -f UTF-8 -t CP932 "$1" | sed 's/$/\r/' > "$2"; }
for f in examples/sample/*.TXT examples/sample/SETUP.INI; do sjis "$f" "$PKG/$(basename "$f")"; done
sjis examples/sample/DISK2/EXTRA.TXT "$PKG/DISK2/EXTRA.TXT"
work="$(mktemp -d)"
mv "$PKG/MANUAL.TXT" "$work/MANUAL.TXT"
mscompress "$work/MANUAL.TXT"
# mscompress names its output MANUAL.TXT_ and leaves the stored last letter empty.
printf 'T' | dd of="$work/MANUAL.TXT_" bs=1 seek=9 conv=notrunc status=none
mv "$work/MANUAL.TXT_" "$PKG/MANUAL.TX_"
rm -rf "$work"
cp "$DLL" "$PKG/SAMPLECMP.DLL"
