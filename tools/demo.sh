#!/bin/bash
# The main job: builds the programs, then starts setup.exe on the example package
# under Wine and shows what start-up found, with a screenshot of every step.
# Headless on Xvfb by default; --display uses the DISPLAY you are on.
set -euo pipefail
cd "$(dirname "$0")/.."
REPO="$(pwd)"
own_display=0
[ "${1:-}" = "--display" ] && own_display=1
if [ "$(id -u)" = 0 ]; then ./tools/install-deps.sh; fi
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j 2 >/dev/null

source tools/wine/env.sh
kelvo_wine_env
[ "$own_display" = 1 ] || unset DISPLAY
kelvo_start_xvfb
PREFIX="$KELVO_WINE_ROOT/scenarios/demo"
kelvo_new_prefix "$PREFIX" winxp
export WINEPREFIX="$PREFIX"
trap 'kelvo_end_prefix "$PREFIX"; [ -n "${KELVO_XVFB_PID:-}" ] && kill "$KELVO_XVFB_PID" 2>/dev/null; true' EXIT

# The package: setup.exe beside its script, texts in Shift-JIS with CR LF as distributors ship them.
PKG="$PREFIX/drive_c/SamplePackage"
mkdir -p "$PKG" build/artifacts
cp build/mingw/setup.exe "$PKG/"
for f in examples/sample/*; do
    iconv -f UTF-8 -t CP932 "$f" | sed 's/$/\r/' > "$PKG/$(basename "$f")"
done

DRIVER=build/mingw/tools/win/uidriver/uidriver.exe
drive() { wine "$DRIVER" "$@" | iconv -f CP932 -t UTF-8 | sed 's/\\\\/\\/g'; }
shot() { import -window root "build/artifacts/demo-$1.png"; echo "screenshot: build/artifacts/demo-$1.png"; }

echo "starting C:\\SamplePackage\\setup.exe under Wine (display $DISPLAY)"
wine "C:\\SamplePackage\\setup.exe" &
drive wait TfrmMain 20000 >/dev/null
sleep 1
echo "--- what start-up found"
echo "title line:   $(drive text TfrmMain lblTitleA2)"
echo "window:       $(drive caption TfrmMain)"
work="$(ls -d "$PREFIX"/drive_c/users/*/Temp/KSTMP* 2>/dev/null | head -1)"
echo "work folder:  ${work#$PREFIX/drive_c/} ($(ls "$work" | tr '\n' ' '))"
echo "--- the wizard window's controls (name|class|id|visible|enabled|checked|rect|text)"
drive dump TfrmMain | grep -v '^|'
shot welcome
# Walk the wizard as a user would: welcome -> readme -> main page.
for page in readme main; do
    drive click TfrmMain btnEvent
    sleep 2
    echo "--- $page page: btnEvent \"$(drive text TfrmMain btnEvent)\""
    shot "$page"
done
echo "install folder: $(drive text TfrmMain txtFolder)"
echo "folder group:   $(drive text TfrmMain grpSetupFolder)"
echo "--- leaving through the quit button"
drive click TfrmMain btnEnd
if drive wait '#32770' 3000 >/dev/null 2>&1; then
    echo "question: $(drive text '#32770' 65535 | tr '\n' ' ')"
    shot quit-question
    drive click '#32770' 6
fi
drive gone TfrmBack 10000
echo "setup ended; work folders left: $(ls -d "$PREFIX"/drive_c/users/*/Temp/KSTMP* 2>/dev/null | wc -l)"
